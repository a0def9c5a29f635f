#include "frontends/desktop/PictureFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace nocturo {

PictureFile PictureFile::read(const std::string& path) {
    PictureFile file;
    auto fail = [&](const std::string& why) {
        file.bytes.clear();
        file.error = "cannot read the picture " + path + ": " + why;
        return file;
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
    if (!in)
        return fail(std::strerror(errno));
    struct stat info {};
    if (fstat(fileno(in.get()), &info) != 0)
        return fail(std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return fail("it is a folder");
    if (!S_ISREG(info.st_mode))
        return fail("it is not a file");
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return fail("it is larger than " + std::to_string(maxBytes >> 20) +
                    " MB, more than any picture to write with");
    file.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = std::fread(file.bytes.data(), 1, file.bytes.size(), in.get());
    if (got != file.bytes.size() || std::ferror(in.get()))
        return fail("the file could not be read to its end");
    return file;
}

} // namespace nocturo
