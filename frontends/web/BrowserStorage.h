#pragma once

#include "frontends/web/LocalStorageSettingsStore.h"

namespace nocturo {

// window.localStorage. Every call tolerates a storage that is missing or throws (a browser
// that keeps no site data, a full quota): reads find nothing and writes report failure.
class BrowserStorage : public LocalStorageSettingsStore::Storage {
public:
    std::optional<std::string> get(const std::string& key) const override;
    bool set(const std::string& key, const std::string& text) override;
    void remove(const std::string& key) override;
};

} // namespace nocturo
