#include "platform/KeptFiles.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace nocturo {

namespace {
// A name is one plain file in the folder: nothing that climbs out of it.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}
} // namespace

std::optional<std::vector<std::uint8_t>> FolderKeptFiles::read(const std::string& name) const {
    if (folder_.empty() || !isPlainName(name))
        return std::nullopt;
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool FolderKeptFiles::write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    if (folder_.empty() || !isPlainName(name))
        return false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return false;
    const std::string path = folder_ + "/" + name;
    const std::string temporary = path + ".new-" + std::to_string(::getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}

} // namespace nocturo
