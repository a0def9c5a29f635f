#pragma once

#include "platform/SettingsStore.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace nocturo {

// The per-user settings, kept in a JSON file of one object:
//
//   {
//     "adjustSpotSize": true,
//     "colorIndex": 3,
//     "spotWidth": 420.0
//   }
//
// Integers are JSON integers, floats always carry a '.' or an exponent (and read back to the
// same 32-bit value), booleans are true or false, strings are JSON strings (held to what
// storedString keeps); keys are in sorted order. The file is read
// once, when the store is made, and replaced atomically at every change, readable only by its
// owner. A file that cannot be read or parsed is moved aside, never overwritten, and the store
// starts empty. Entries of any other kind, and numbers that do not fit their kind, read as
// absent.
class FileSettingsStore : public SettingsStore {
public:
    // Receives a one-line message: which file, what went wrong, what was done about it.
    using WarningHandler = std::function<void(const std::string& message)>;

    // The calls a save makes on the temporary file, replaceable so that their failures can be
    // tried; each returns what the system call does, with errno set on failure.
    struct FileOperations {
        std::function<long(int fd, const char* data, std::size_t size)> write;
        std::function<int(int fd)> fsync;
        std::function<int(int fd)> close;
        std::function<int(const char* from, const char* to)> rename;
        static FileOperations system();
    };

    // Loads `path`. Warnings go to `warn`, or to standard error when it is empty.
    explicit FileSettingsStore(std::string path, WarningHandler warn = {});

    // $XDG_CONFIG_HOME/nocturo/settings.json when that variable holds an absolute path,
    // otherwise $HOME/.config/nocturo/settings.json (the home from the user database when
    // HOME is unset). Empty when no home can be found.
    static std::string defaultPath();

    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    // Keeps the value and rewrites the file. Never throws: when the file cannot be written the
    // value is still kept for the life of the store, and the failure is reported.
    void setObject(const std::string& key, SettingValue value) override;
    std::map<std::string, SettingValue> dictionary() const override { return values_; }

    std::optional<std::string> stringForKey(const std::string& key) const override;
    // Keeps the string and rewrites the file, as setObject does.
    void setString(const std::string& key, std::string_view value) override;
    std::map<std::string, std::string> strings() const override { return strings_; }

    // Several values with one replacement of the file, so that a reader finds all of them or
    // none of them.
    void setObjects(const std::map<std::string, SettingValue>& values);

    const std::string& path() const { return path_; }
    void setFileOperations(FileOperations operations) { operations_ = std::move(operations); }
    // Why the last write failed; empty once a write has succeeded.
    const std::string& lastError() const { return lastError_; }
    // Where an unreadable file was moved at load; empty when nothing was moved.
    const std::string& movedAsidePath() const { return movedAsidePath_; }

    // The file's text for `values`. A float that is not finite has no JSON form and is left
    // out, so it reads as absent.
    static std::string serialize(const std::map<std::string, SettingValue>& values,
                                 const std::map<std::string, std::string>& strings = {});
    // The values of a file's text, or nothing (with the reason in `error`) when the text is not
    // a JSON object. Its strings go to `strings` when given.
    static std::optional<std::map<std::string, SettingValue>>
    parse(const std::string& text, std::string* error = nullptr,
          std::map<std::string, std::string>* strings = nullptr);

private:
    void load();
    void moveAside(const std::string& reason);
    void removeStaleTemporaries() const;
    void save();
    void warn(const std::string& message) const;

    std::string path_;
    WarningHandler warn_;
    std::map<std::string, SettingValue> values_;
    std::map<std::string, std::string> strings_;
    std::string lastError_;
    std::string movedAsidePath_;
    // Set when an unreadable file could not be moved aside: writing would destroy it.
    std::string writeBlocked_;
    FileOperations operations_ = FileOperations::system();
};

} // namespace nocturo
