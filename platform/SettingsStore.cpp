#include "platform/SettingsStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace nocturo {

std::string storedString(std::string_view text) {
    std::string out;
    out.reserve(std::min(text.size(), maxStoredStringLength * 4));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size() && characters < maxStoredStringLength; ++characters) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x06 ? 2
                             : (lead >> 4) == 0x0E ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        bool ok = length > 0 && i + length <= text.size();
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; ok && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next >> 6) == 0x02;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are malformed as well.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && code >= smallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (ok) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

float SettingsStore::floatForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value)
        return 0.0f;
    return std::visit([](auto v) { return static_cast<float>(v); }, *value);
}

std::int64_t SettingsStore::integerForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value)
        return 0;
    if (const float* f = std::get_if<float>(&*value)) {
        // Truncates toward zero; a float beyond the integers (or not a number) reads as zero.
        if (!std::isfinite(*f) || std::fabs(*f) >= 9.2e18f)
            return 0;
        return static_cast<std::int64_t>(*f);
    }
    if (const bool* b = std::get_if<bool>(&*value))
        return *b ? 1 : 0;
    return std::get<std::int64_t>(*value);
}

bool SettingsStore::boolForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value)
        return false;
    return std::visit([](auto v) { return v != decltype(v){}; }, *value);
}

bool sameSetting(const SettingValue& a, const SettingValue& b) {
    if (a.index() != b.index())
        return false;
    if (const float* f = std::get_if<float>(&a)) {
        // By bits (std::bit_cast is missing from the browser build's library).
        float g = std::get<float>(b);
        return std::memcmp(f, &g, sizeof g) == 0;
    }
    return a == b;
}

bool sameSettings(const std::map<std::string, SettingValue>& a,
                  const std::map<std::string, SettingValue>& b) {
    if (a.size() != b.size())
        return false;
    for (const auto& [key, value] : a) {
        auto it = b.find(key);
        if (it == b.end() || !sameSetting(value, it->second))
            return false;
    }
    return true;
}

std::optional<SettingValue> MemorySettingsStore::objectForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsStore::setObject(const std::string& key, SettingValue value) {
    values_[key] = value;
    strings_.erase(key);
}

std::optional<std::string> MemorySettingsStore::stringForKey(const std::string& key) const {
    auto it = strings_.find(key);
    if (it == strings_.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsStore::setString(const std::string& key, std::string_view value) {
    strings_[key] = storedString(value);
    values_.erase(key);
}

} // namespace nocturo
