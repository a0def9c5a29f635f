#pragma once

#include "platform/SettingsStore.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nocturo {

// The settings in the browser's local storage: one entry a key, under the key's own name,
// holding the value's text (see StoredValue). The entries of `keys` are read once, when the
// store is made; an entry that is missing or is not a finite number, a boolean or a string
// reads as absent. Every change is written through at once. When the storage refuses (private
// browsing, storage full or switched off), the values are still kept for this page's life.
class LocalStorageSettingsStore : public MemorySettingsStore {
public:
    // The storage itself, so that the store can be tried without a browser.
    class Storage {
    public:
        virtual ~Storage() = default;
        virtual std::optional<std::string> get(const std::string& key) const = 0;
        // False when the storage refused the value.
        virtual bool set(const std::string& key, const std::string& text) = 0;
        virtual void remove(const std::string& key) = 0;
    };

    LocalStorageSettingsStore(Storage& storage, const std::vector<std::string>& keys);

    void setObject(const std::string& key, SettingValue value) override;
    void setString(const std::string& key, std::string_view value) override;

    // Whether the last write reached the storage.
    bool lastWriteSaved() const { return lastWriteSaved_; }

private:
    Storage& storage_;
    bool lastWriteSaved_ = true;
};

} // namespace nocturo
