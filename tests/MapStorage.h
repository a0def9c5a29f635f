#pragma once

// The browser's local storage for the tests: a map, which can be made to refuse writes as a
// full storage does.

#include "frontends/web/LocalStorageSettingsStore.h"

#include <map>
#include <optional>
#include <string>

namespace nocturo::testing {

class MapStorage : public LocalStorageSettingsStore::Storage {
public:
    std::optional<std::string> get(const std::string& key) const override {
        auto it = entries.find(key);
        if (it == entries.end())
            return std::nullopt;
        return it->second;
    }
    bool set(const std::string& key, const std::string& text) override {
        if (refuse)
            return false;
        entries[key] = text;
        return true;
    }
    void remove(const std::string& key) override { entries.erase(key); }

    std::map<std::string, std::string> entries;
    bool refuse = false;
};

} // namespace nocturo::testing
