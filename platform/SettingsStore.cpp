#include "platform/SettingsStore.h"

#include <cmath>
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
