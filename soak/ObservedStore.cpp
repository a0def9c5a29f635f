#include "soak/ObservedStore.h"

namespace nocturo {

ObservedStore::ObservedStore(std::string path) : path_(std::move(path)) {
    reopen();
}

void ObservedStore::reopen() {
    file_.reset();
    file_ = std::make_unique<FileSettingsStore>(
        path_, [this](const std::string& message) { warnings_.push_back(message); });
}

std::optional<SettingValue> ObservedStore::objectForKey(const std::string& key) const {
    return file_->objectForKey(key);
}

void ObservedStore::setObject(const std::string& key, SettingValue value) {
    file_->setObject(key, value);
    written_.insert(key);
    ++writes_;
}

std::map<std::string, SettingValue> ObservedStore::dictionary() const {
    return file_->dictionary();
}

std::optional<std::string> ObservedStore::stringForKey(const std::string& key) const {
    return file_->stringForKey(key);
}

void ObservedStore::setString(const std::string& key, std::string_view value) {
    file_->setString(key, value);
    written_.insert(key);
    ++writes_;
}

std::map<std::string, std::string> ObservedStore::strings() const {
    return file_->strings();
}

std::set<std::string> ObservedStore::takeWrittenKeys() {
    std::set<std::string> keys;
    keys.swap(written_);
    return keys;
}

} // namespace nocturo
