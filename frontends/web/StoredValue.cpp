#include "frontends/web/StoredValue.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>

namespace nocturo {

std::optional<std::string> StoredValue::format(const SettingValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value))
        return std::to_string(*i);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? "true" : "false";
    float f = std::get<float>(value);
    if (!std::isfinite(f))
        return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return s;
}

std::optional<SettingValue> StoredValue::parse(const std::string& text) {
    if (text.size() > 64)
        return std::nullopt;
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_boolean())
        return SettingValue{value.get<bool>()};
    if (value.is_number_integer() && !value.is_number_unsigned())
        return SettingValue{value.get<std::int64_t>()};
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return SettingValue{static_cast<std::int64_t>(u)};
    }
    // Digits alone that do not fit 64 bits are an integer out of range, not a float.
    if (value.is_number_float() && text.find_first_of(".eE") != std::string::npos) {
        double v = value.get<double>();
        // Beyond this a double rounds to infinity as a float; a non-zero value that rounds to
        // zero is out of range as well.
        constexpr double floatOverflow = 0x1p128 - 0x1p103;
        if (!std::isfinite(v) || std::fabs(v) >= floatOverflow)
            return std::nullopt;
        float f = static_cast<float>(v);
        if (f == 0.0f && v != 0.0)
            return std::nullopt;
        return SettingValue{f};
    }
    return std::nullopt;
}

std::string StoredValue::formatString(const std::string& value) {
    return nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<std::string> StoredValue::parseString(const std::string& text) {
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (!value.is_string())
        return std::nullopt;
    return storedString(value.get<std::string>());
}

} // namespace nocturo
