#pragma once

#include "platform/SettingsStore.h"

#include <string>
#include <vector>

namespace nocturo {

// How a stored value becomes the value in force.
enum class SettingReading {
    // Read as it is stored: integers as 32-bit codes, a boolean by the store's rules.
    AsStored,
    // A stored zero (or nothing) means never written: the fallback is used.
    ZeroIsFallback,
    // Anything but a finite number above zero is the fallback.
    PositiveOrFallback,
    // Only a value of the rule's own kind counts (any number for a float); anything else, and a
    // number that is not finite, is the fallback; a number out of range is held to the range.
    CheckedInRange,
};

enum class SettingKind { Integer, Float, Boolean, String };

// One stored setting: its key, its kind, the value used in place of a missing one and, for
// floats, its range.
struct SettingRule {
    std::string key;
    SettingKind kind;
    SettingReading reading;
    SettingValue fallback;
    float minimum;
    float maximum;
    // A checked float above zero but below this is raised to it (zero keeps its own meaning).
    float leastAboveZero = 0.0f;
    // A string's fallback; strings are read by readStringSetting.
    std::string textFallback = {};
};

// Every setting the application stores, in the order the loader applies them.
const std::vector<SettingRule>& settingsTable();
// The rule for `key`, or none.
const SettingRule* findSetting(const std::string& key);
// The value in force for `rule` given what `store` holds.
SettingValue readSetting(const SettingsStore& store, const SettingRule& rule);
// The same, by key; the key must be in the table.
SettingValue readSetting(const SettingsStore& store, const std::string& key);
// The string in force for a string rule: what is stored under its key when that is a string,
// otherwise the rule's fallback.
std::string readStringSetting(const SettingsStore& store, const SettingRule& rule);
// Every key of the table.
std::vector<std::string> settingsKeys();

} // namespace nocturo
