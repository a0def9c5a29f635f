#include "frontends/web/LocalStorageSettingsStore.h"

#include "frontends/web/StoredValue.h"

namespace nocturo {

LocalStorageSettingsStore::LocalStorageSettingsStore(Storage& storage,
                                                     const std::vector<std::string>& keys)
    : storage_(storage) {
    for (const std::string& key : keys) {
        std::optional<std::string> text = storage_.get(key);
        if (!text)
            continue;
        if (std::optional<SettingValue> value = StoredValue::parse(*text))
            MemorySettingsStore::setObject(key, *value);
        else if (std::optional<std::string> string = StoredValue::parseString(*text))
            MemorySettingsStore::setString(key, *string);
    }
}

void LocalStorageSettingsStore::setString(const std::string& key, std::string_view value) {
    MemorySettingsStore::setString(key, value);
    lastWriteSaved_ = storage_.set(key, StoredValue::formatString(*stringForKey(key)));
}

void LocalStorageSettingsStore::setObject(const std::string& key, SettingValue value) {
    MemorySettingsStore::setObject(key, value);
    // A float that is not finite has no text form: it is kept for this page's life and
    // reads as absent after a reload, as it would from the settings file.
    std::optional<std::string> text = StoredValue::format(value);
    if (!text) {
        storage_.remove(key);
        lastWriteSaved_ = true;
        return;
    }
    lastWriteSaved_ = storage_.set(key, *text);
}

} // namespace nocturo
