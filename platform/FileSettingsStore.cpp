// The settings file.
//   [paths]    where the file lives by default; making its directory
//   [reading]  loading, parsing, moving a bad file aside, stale temporaries
//   [writing]  the text of the file; the atomic replacement

#include "platform/FileSettingsStore.h"

#include "platform/UserFolders.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nocturo {

namespace {

// A settings file is a few hundred bytes; anything far larger is not one of ours.
constexpr off_t maxFileSize = 1 << 20;
const std::string temporaryMark = ".tmp-";
const std::string corruptMark = ".corrupt-";

std::string errorText(int error) {
    return std::strerror(error);
}

std::string directoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Hands the descriptor over to a caller that closes it.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now; false (with errno set) when the close reports a failed write.
    bool reset() {
        if (fd_ < 0)
            return true;
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// ---- [paths]

// Makes every missing directory of `dir`, each readable only by its owner.
bool makeDirectories(const std::string& dir, std::string& error) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        error = dir + " is not a directory";
        return false;
    }
    if (errno != ENOENT) {
        error = dir + ": " + errorText(errno);
        return false;
    }
    std::string parent = directoryOf(dir);
    if (parent != dir && !makeDirectories(parent, error))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make " + dir + ": " + errorText(errno);
        return false;
    }
    return true;
}

// ---- [reading]

// Reads the file's values through the parser's event interface, which gives the text of every
// number: an integer too long for 64 bits arrives as a float, and only its text tells.
class SettingsReader : public nlohmann::json_sax<nlohmann::json> {
public:
    std::map<std::string, SettingValue> values;
    std::map<std::string, std::string> strings;
    std::string error;

    bool null() override { return scalar(std::nullopt); }
    bool boolean(bool v) override { return scalar(SettingValue{v}); }
    bool number_integer(number_integer_t v) override {
        return scalar(SettingValue{static_cast<std::int64_t>(v)});
    }
    bool number_unsigned(number_unsigned_t v) override {
        if (v > static_cast<number_unsigned_t>(std::numeric_limits<std::int64_t>::max()))
            return scalar(std::nullopt);
        return scalar(SettingValue{static_cast<std::int64_t>(v)});
    }
    bool number_float(number_float_t v, const string_t& text) override {
        if (text.find_first_of(".eE") == std::string::npos)
            return scalar(std::nullopt);
        // Beyond this a double rounds to infinity as a float.
        constexpr double floatOverflow = 0x1p128 - 0x1p103;
        if (!std::isfinite(v) || std::fabs(v) >= floatOverflow)
            return scalar(std::nullopt);
        // Too small for a float is out of range as well, rather than a silent zero.
        float f = static_cast<float>(v);
        if (f == 0.0f && v != 0.0)
            return scalar(std::nullopt);
        return scalar(SettingValue{f});
    }
    bool string(string_t& v) override {
        if (!scalar(std::nullopt))
            return false;
        if (depth_ == 1)
            strings[key_] = storedString(v);
        return true;
    }
    bool binary(binary_t&) override { return scalar(std::nullopt); }

    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& k) override {
        if (depth_ == 1)
            key_ = k;
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& e) override {
        // Drop the library's "[json.exception.parse_error.101] " tag; the rest says where.
        error = e.what();
        if (auto tag = error.find("] "); error.starts_with("[json.") && tag != std::string::npos)
            error.erase(0, tag + 2);
        return false;
    }

private:
    bool fail(const std::string& why) {
        error = why;
        return false;
    }
    // A later entry under the same key replaces an earlier one, as it would in a JSON object.
    bool scalar(std::optional<SettingValue> v) {
        if (depth_ == 0)
            return fail("the file does not hold a JSON object");
        if (depth_ == 1) {
            strings.erase(key_);
            if (v)
                values[key_] = *v;
            else
                values.erase(key_);
        }
        return true;
    }
    bool open(bool isObject) {
        if (depth_ == 0 && (!isObject || objectStarted_))
            return fail("the file does not hold a JSON object");
        objectStarted_ = true;
        if (depth_ == 1) {
            values.erase(key_);
            strings.erase(key_);
        }
        ++depth_;
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    int depth_ = 0;
    bool objectStarted_ = false;
    std::string key_;
};

// The parser refuses the whole text at a number beyond the range of a double. Such a number
// is only one bad value, so it becomes null (absent) before parsing. Outside strings, a digit
// or a minus sign can only start a number.
std::string withHugeNumbersAsNull(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '"') {
            std::size_t end = i + 1;
            while (end < text.size() && text[end] != '"')
                end += text[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, text.size());
            out.append(text, i, end - i);
            i = end;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t end = text.find_first_not_of("0123456789+-.eE", i);
            if (end == std::string::npos)
                end = text.size();
            double value = 0.0;
            auto [last, error] = std::from_chars(text.data() + i, text.data() + end, value);
            if (error == std::errc::result_out_of_range && last == text.data() + end)
                out += "null";
            else
                out.append(text, i, end - i);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

enum class ReadResult { ok, missing, notAFile, failed };

ReadResult readFile(const std::string& path, std::string& text, std::string& error) {
    // Non-blocking, so that a pipe in the file's place cannot hang the launch.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        // No file, or no directory to hold one: nothing to keep safe.
        if (errno == ENOENT || errno == ENOTDIR)
            return ReadResult::missing;
        error = errorText(errno);
        return ReadResult::failed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = errorText(errno);
        return ReadResult::failed;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "is a directory";
        return ReadResult::notAFile;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "is not a regular file";
        return ReadResult::notAFile;
    }
    if (st.st_size > maxFileSize) {
        error = "it is too large (" + std::to_string(st.st_size) + " bytes)";
        return ReadResult::failed;
    }
    text.clear();
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errorText(errno);
            return ReadResult::failed;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(maxFileSize)) {
            error = "it is too large";
            return ReadResult::failed;
        }
    }
    return ReadResult::ok;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Renames unless `to` exists; never replaces anything.
bool renameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without the flag: check, then rename.
    if (exists(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// ---- [writing]

std::string floatText(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    std::string s = text;
    // Without a point or an exponent the number would read back as an integer.
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return s;
}

bool writeAll(const FileSettingsStore::FileOperations& ops, int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        long n = ops.write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

// ---- [paths]

std::string FileSettingsStore::defaultPath() {
    std::string folder = UserFolders::config();
    return folder.empty() ? folder : folder + "/settings.json";
}

// ---- [reading]

FileSettingsStore::FileSettingsStore(std::string path, WarningHandler warn)
    : path_(std::move(path)), warn_(std::move(warn)) {
    load();
}

std::optional<SettingValue> FileSettingsStore::objectForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> FileSettingsStore::stringForKey(const std::string& key) const {
    auto it = strings_.find(key);
    if (it == strings_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::map<std::string, SettingValue>>
FileSettingsStore::parse(const std::string& text, std::string* error,
                         std::map<std::string, std::string>* strings) {
    SettingsReader reader;
    bool ok = nlohmann::json::sax_parse(withHugeNumbersAsNull(text), &reader);
    if (!ok) {
        if (error)
            *error = reader.error.empty() ? "it is not valid JSON" : reader.error;
        return std::nullopt;
    }
    if (strings)
        *strings = std::move(reader.strings);
    return std::move(reader.values);
}

void FileSettingsStore::load() {
    if (path_.empty())
        return;
    removeStaleTemporaries();
    std::string text, error;
    switch (readFile(path_, text, error)) {
    case ReadResult::missing:
        return;
    case ReadResult::notAFile:
        // Something else stands at the path, likely a mistyped one: it is none of ours to
        // move, so it stays where it is and nothing is saved over it.
        writeBlocked_ = "the settings path " + error;
        warn("settings file " + path_ + " " + error +
             "; it is left as it is, the default settings are used and changes will not be saved");
        return;
    case ReadResult::failed:
        moveAside("cannot be read: " + error);
        return;
    case ReadResult::ok:
        break;
    }
    if (auto values = parse(text, &error, &strings_))
        values_ = std::move(*values);
    else
        moveAside(text.empty() ? std::string("is empty") : "cannot be parsed: " + error);
}

void FileSettingsStore::moveAside(const std::string& reason) {
    std::string base = path_ + corruptMark + timestamp();
    int code = EEXIST;
    for (int n = 1; n < 1000; ++n) {
        std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        if (renameNoReplace(path_, target)) {
            movedAsidePath_ = target;
            warn("settings file " + path_ + " " + reason + "; moved it to " + target +
                 " and started from the default settings");
            return;
        }
        code = errno;
        if (code == ENOENT)
            return warn("settings file " + path_ + " " + reason +
                        "; it has gone since, and the default settings are used");
        if (code != EEXIST && code != ENOTEMPTY)
            break;
    }
    writeBlocked_ = "the unreadable settings file could not be moved aside (" + errorText(code) +
                    ") and is kept as it is";
    warn("settings file " + path_ + " " + reason + "; " + writeBlocked_ +
         "; started from the default settings, and changes will not be saved");
}

// A writer killed between making its temporary file and renaming it leaves the file behind.
// Its name carries the writer's process id; a file whose writer is gone is removed. Readers
// never look at these files either way.
void FileSettingsStore::removeStaleTemporaries() const {
    std::string dir = directoryOf(path_);
    std::string prefix = baseNameOf(path_) + temporaryMark;
    DIR* listing = ::opendir(dir.c_str());
    if (!listing)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.push_back(dir + "/" + name);
    }
    ::closedir(listing);
    for (const std::string& file : stale)
        ::unlink(file.c_str());
}

// ---- [writing]

void FileSettingsStore::setObject(const std::string& key, SettingValue value) {
    values_[key] = value;
    strings_.erase(key);
    save();
}

void FileSettingsStore::setString(const std::string& key, std::string_view value) {
    strings_[key] = storedString(value);
    values_.erase(key);
    save();
}

void FileSettingsStore::setObjects(const std::map<std::string, SettingValue>& values) {
    for (const auto& [key, value] : values) {
        values_[key] = value;
        strings_.erase(key);
    }
    save();
}

std::string FileSettingsStore::serialize(const std::map<std::string, SettingValue>& values,
                                         const std::map<std::string, std::string>& strings) {
    // Bytes that are not UTF-8 have no JSON form; they are replaced rather than thrown.
    auto jsonText = [](const std::string& s) {
        return nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    std::map<std::string, std::string> entries;
    for (const auto& [key, value] : values) {
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            entries[key] = std::to_string(*i);
        } else if (const auto* f = std::get_if<float>(&value)) {
            if (std::isfinite(*f))
                entries[key] = floatText(*f);
        } else {
            entries[key] = std::get<bool>(value) ? "true" : "false";
        }
    }
    for (const auto& [key, string] : strings)
        entries.try_emplace(key, jsonText(string));
    std::string text = "{";
    bool first = true;
    for (const auto& [key, value] : entries) {
        text += first ? "\n  " : ",\n  ";
        first = false;
        text += jsonText(key) + ": " + value;
    }
    text += first ? "}\n" : "\n}\n";
    return text;
}

FileSettingsStore::FileOperations FileSettingsStore::FileOperations::system() {
    return {
        [](int fd, const char* data, std::size_t size) -> long { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); }, [](int fd) { return ::close(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); }};
}

// Writes the whole file beside the old one, makes it durable, and renames it into place, so
// that the file on disk is always either the old one or the new one. Then the directory is
// made durable, so that the rename survives a power cut.
void FileSettingsStore::save() {
    auto fail = [this](const std::string& why) {
        bool repeated = why == lastError_;
        lastError_ = why;
        // A run of failures of one cause is reported once.
        if (!repeated)
            warn("cannot save the settings to " + (path_.empty() ? "a file" : path_) + ": " + why +
                 "; the change is kept until the application quits");
    };
    if (path_.empty())
        return fail("no settings file (no home directory was found)");
    if (!writeBlocked_.empty())
        return fail(writeBlocked_);

    std::string dir = directoryOf(path_);
    std::string error;
    if (!makeDirectories(dir, error))
        return fail(error);

    std::string name = path_ + temporaryMark + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> temporary(name.begin(), name.end());
    temporary.push_back('\0');
    Descriptor fd(::mkstemp(temporary.data()));
    if (!fd)
        return fail("cannot make a temporary file in " + dir + ": " + errorText(errno));
    std::string tempPath = temporary.data();
    // The temporary's name is left out of the reason: it differs at every try, and a run of
    // failures of one cause is reported once.
    auto abandon = [&](const std::string& what) {
        int code = errno;
        fd.reset();
        ::unlink(tempPath.c_str());
        fail(what + ": " + errorText(code));
    };

    std::string text = serialize(values_, strings_);
    if (::fchmod(fd.get(), 0600) != 0)
        return abandon("cannot restrict the access to its temporary copy");
    if (!writeAll(operations_, fd.get(), text))
        return abandon("cannot write its temporary copy");
    if (operations_.fsync(fd.get()) != 0)
        return abandon("cannot flush its temporary copy");
    if (operations_.close(fd.release()) != 0 && errno != EINTR)
        return abandon("cannot close its temporary copy");
    if (operations_.rename(tempPath.c_str(), path_.c_str()) != 0)
        return abandon("cannot rename its temporary copy into place");

    // The file is in place already; a directory that cannot be flushed (some file systems
    // refuse) costs only durability against a power cut, so it is not reported.
    Descriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd)
        ::fsync(dirFd.get());
    lastError_.clear();
}

void FileSettingsStore::warn(const std::string& message) const {
    if (warn_)
        warn_(message);
    else
        std::cerr << "nocturo: " << message << "\n";
}

} // namespace nocturo
