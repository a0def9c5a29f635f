#include "app/SettingsTable.h"

#include "app/NocturoAppDelegate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nocturo {

namespace {
constexpr float unlimited = std::numeric_limits<float>::infinity();

SettingValue integer(std::int64_t v) {
    return SettingValue{v};
}
} // namespace

const std::vector<SettingRule>& settingsTable() {
    using enum SettingKind;
    using enum SettingReading;
    // The frequency's limits are the slider's, which the interface file sets.
    static const std::vector<SettingRule> table{
        {SettingsKey::cyclicFrequency, Float, PositiveOrFallback, 50.0f, -unlimited, unlimited},
        {SettingsKey::colorIndex, Integer, AsStored, integer(0), -unlimited, unlimited},
        {SettingsKey::spotWidth, Float, PositiveOrFallback, 320.0f, -unlimited, unlimited},
        {SettingsKey::lightMode, Integer, AsStored, integer(0), -unlimited, unlimited},
        {SettingsKey::lightOffMode, Integer, ZeroIsFallback, integer(2), -unlimited, unlimited},
        {SettingsKey::adjustSpotSize, Boolean, AsStored, false, -unlimited, unlimited},
        {SettingsKey::hideStrip, Integer, ZeroIsFallback, integer(1), -unlimited, unlimited},
        {SettingsKey::stripIndex, Integer, ZeroIsFallback, integer(2), -unlimited, unlimited},
        {SettingsKey::timedLightDelay, Float, CheckedInRange, 3.0f, 0.0f, 30.0f},
        // Zero is "until touched"; any other length is at least half a second.
        {SettingsKey::timedLightLength, Float, CheckedInRange, 10.0f, 0.0f, 120.0f, 0.5f},
        {SettingsKey::timedLightSound, Boolean, CheckedInRange, true, -unlimited, unlimited},
        {SettingsKey::writingEnabled, Boolean, CheckedInRange, false, -unlimited, unlimited},
        // Codes count from 1 (text, a built-in picture, the user's picture).
        {SettingsKey::writingSource, Integer, CheckedInRange, integer(1), 1.0f, 3.0f},
        {SettingsKey::writingText, String, CheckedInRange, false, 0.0f, 0.0f, 0.0f, "NOCTURO"},
        {SettingsKey::writingPicture, Integer, CheckedInRange, integer(1), 1.0f, 4.0f},
        {SettingsKey::writingPassLength, Float, CheckedInRange, 3.0f, 0.5f, 30.0f},
        {SettingsKey::writingBandWidth, Float, CheckedInRange, 8.0f, 1.0f, 80.0f},
        {SettingsKey::writingMirrored, Boolean, CheckedInRange, false, -unlimited, unlimited},
        // Metres; zero takes the height the platform tells, or a typical phone's.
        {SettingsKey::writingScreenHeight, Float, CheckedInRange, 0.0f, 0.0f, 0.5f, 0.03f},
        // The preview's walking pace in metres a second, and its brightness in stops.
        {SettingsKey::previewPace, Float, CheckedInRange, 0.5f, 0.05f, 2.0f},
        {SettingsKey::previewStops, Float, CheckedInRange, 0.0f, -4.0f, 4.0f},
    };
    return table;
}

const SettingRule* findSetting(const std::string& key) {
    for (const SettingRule& rule : settingsTable())
        if (rule.key == key)
            return &rule;
    return nullptr;
}

std::vector<std::string> settingsKeys() {
    std::vector<std::string> keys;
    for (const SettingRule& rule : settingsTable())
        keys.push_back(rule.key);
    return keys;
}

SettingValue readSetting(const SettingsStore& store, const std::string& key) {
    const SettingRule* rule = findSetting(key);
    return rule ? readSetting(store, *rule) : SettingValue{std::int64_t{0}};
}

std::string readStringSetting(const SettingsStore& store, const SettingRule& rule) {
    return store.stringForKey(rule.key).value_or(rule.textFallback);
}

SettingValue readSetting(const SettingsStore& store, const SettingRule& rule) {
    if (rule.kind == SettingKind::String)
        return rule.fallback;
    switch (rule.reading) {
    case SettingReading::AsStored:
        if (rule.kind == SettingKind::Boolean)
            return store.boolForKey(rule.key);
        if (rule.kind == SettingKind::Float)
            return store.floatForKey(rule.key);
        return integer(static_cast<std::int32_t>(store.integerForKey(rule.key)));
    case SettingReading::ZeroIsFallback: {
        auto code = static_cast<std::int32_t>(store.integerForKey(rule.key));
        return code == 0 ? rule.fallback : integer(code);
    }
    case SettingReading::PositiveOrFallback: {
        float v = store.floatForKey(rule.key);
        return std::isfinite(v) && v > 0.0f ? SettingValue{v} : rule.fallback;
    }
    case SettingReading::CheckedInRange:
        break;
    }
    auto stored = store.objectForKey(rule.key);
    if (!stored)
        return rule.fallback;
    if (rule.kind == SettingKind::Boolean) {
        const bool* b = std::get_if<bool>(&*stored);
        return b ? SettingValue{*b} : rule.fallback;
    }
    double number = 0.0;
    if (const float* f = std::get_if<float>(&*stored))
        number = *f;
    else if (const std::int64_t* i = std::get_if<std::int64_t>(&*stored))
        number = static_cast<double>(*i);
    else
        return rule.fallback;
    if (!std::isfinite(number))
        return rule.fallback;
    number =
        std::clamp(number, static_cast<double>(rule.minimum), static_cast<double>(rule.maximum));
    if (rule.kind == SettingKind::Integer)
        return integer(static_cast<std::int64_t>(number));
    float value = static_cast<float>(number);
    if (value > 0.0f && value < rule.leastAboveZero)
        value = rule.leastAboveZero;
    return value;
}

} // namespace nocturo
