#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace nocturo {

// One stored value: an integer, a float or a boolean.
using SettingValue = std::variant<std::int64_t, float, bool>;

// The most characters (code points) a stored string keeps.
inline constexpr std::size_t maxStoredStringLength = 200;
// `text` as the store keeps a string: UTF-8, each malformed byte replaced by U+FFFD, cut after
// maxStoredStringLength characters.
std::string storedString(std::string_view text);

// The per-user key-value store of the application's settings. Readers of a key that was never
// written get zero (or false); numbers read across their kinds the way stored numbers do.
// Strings are kept apart from the numbers: a key holds a number or a string, whichever was
// written last; a string reads as absent to objectForKey (so as zero or false), a number as
// absent to stringForKey.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<SettingValue> objectForKey(const std::string& key) const = 0;
    virtual void setObject(const std::string& key, SettingValue value) = 0;
    virtual std::map<std::string, SettingValue> dictionary() const = 0;

    virtual std::optional<std::string> stringForKey(const std::string& key) const = 0;
    // Keeps storedString(value).
    virtual void setString(const std::string& key, std::string_view value) = 0;
    virtual std::map<std::string, std::string> strings() const = 0;

    float floatForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;
    void setInteger(const std::string& key, std::int32_t value) {
        setObject(key, std::int64_t{value});
    }
    void setFloat(const std::string& key, float value) { setObject(key, value); }
    void setBool(const std::string& key, bool value) { setObject(key, value); }
};

// Whether two stored values are the same: the same kind and, for floats, the same bits, as a
// value read back from a file must be.
bool sameSetting(const SettingValue& a, const SettingValue& b);
// The same keys holding the same values.
bool sameSettings(const std::map<std::string, SettingValue>& a,
                  const std::map<std::string, SettingValue>& b);

// A store that lives as long as the process.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    void setObject(const std::string& key, SettingValue value) override;
    std::map<std::string, SettingValue> dictionary() const override { return values_; }

    std::optional<std::string> stringForKey(const std::string& key) const override;
    void setString(const std::string& key, std::string_view value) override;
    std::map<std::string, std::string> strings() const override { return strings_; }

private:
    std::map<std::string, SettingValue> values_;
    std::map<std::string, std::string> strings_;
};

} // namespace nocturo
