#pragma once

#include "platform/FileSettingsStore.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace nocturo {

// The settings file as the soak's application sees it: a FileSettingsStore that can be opened
// afresh, as a relaunched process would open it, and that remembers which keys were written
// and every warning the store gave.
class ObservedStore : public SettingsStore {
public:
    explicit ObservedStore(std::string path);

    // Drops the store and reads the file again.
    void reopen();

    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    void setObject(const std::string& key, SettingValue value) override;
    std::map<std::string, SettingValue> dictionary() const override;
    std::optional<std::string> stringForKey(const std::string& key) const override;
    void setString(const std::string& key, std::string_view value) override;
    std::map<std::string, std::string> strings() const override;

    // The keys written since the last call.
    std::set<std::string> takeWrittenKeys();
    const std::vector<std::string>& warnings() const { return warnings_; }
    const FileSettingsStore& file() const { return *file_; }
    const std::string& path() const { return path_; }
    long writes() const { return writes_; }

private:
    std::string path_;
    std::unique_ptr<FileSettingsStore> file_;
    std::set<std::string> written_;
    std::vector<std::string> warnings_;
    long writes_ = 0;
};

} // namespace nocturo
