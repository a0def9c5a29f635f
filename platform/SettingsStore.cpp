#include "platform/SettingsStore.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace nocturo {

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
}

} // namespace nocturo
