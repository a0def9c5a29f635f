#pragma once

#include "platform/SettingsStore.h"

#include <optional>
#include <string>

namespace nocturo {

// The text form of one setting in the browser's local storage, which holds only strings: a
// JSON number, boolean or string. Integers are written without a point, floats always with one
// (or an exponent), so each reads back as its own kind and the same 32-bit value.
struct StoredValue {
    // Nothing for a float that is not finite: it has no text form and the key is removed.
    static std::optional<std::string> format(const SettingValue& value);
    // Nothing (the value is absent) for text that is not one JSON number or boolean, and for a
    // number that does not fit its kind: an integer beyond 64 bits, a float beyond or below the
    // range of a float.
    static std::optional<SettingValue> parse(const std::string& text);

    // A stored string as JSON text.
    static std::string formatString(const std::string& value);
    // The string of text that is one JSON string, held to what storedString keeps; nothing for
    // any other text.
    static std::optional<std::string> parseString(const std::string& text);
};

} // namespace nocturo
