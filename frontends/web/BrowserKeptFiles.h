#pragma once

#include "frontends/web/LocalStorageSettingsStore.h"
#include "platform/KeptFiles.h"

namespace nocturo {

// The application's files in the browser's local storage, each under "nocturo." and its name, as
// base64 text. A write the storage refuses (its quota of a few megabytes is full, or it keeps
// nothing) reports failure and leaves what was kept before.
class BrowserKeptFiles : public KeptFiles {
public:
    static inline const std::string keyPrefix = "nocturo.";

    explicit BrowserKeptFiles(LocalStorageSettingsStore::Storage& storage) : storage_(storage) {}
    std::optional<std::vector<std::uint8_t>> read(const std::string& name) const override;
    bool write(const std::string& name, const std::vector<std::uint8_t>& bytes) override;

    static std::string toBase64(const std::vector<std::uint8_t>& bytes);
    // None when `text` is not base64.
    static std::optional<std::vector<std::uint8_t>> fromBase64(const std::string& text);

private:
    LocalStorageSettingsStore::Storage& storage_;
};

} // namespace nocturo
