#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nocturo {

// The bytes of a picture file the user named or dropped on the window, for the application to
// read. A file that cannot be read, or is larger than any picture the application keeps comes
// from, is refused with words for the user, before it takes the memory.
struct PictureFile {
    static constexpr std::size_t maxBytes = 128u << 20;

    std::vector<std::uint8_t> bytes;
    std::string error; // empty when the bytes were read

    bool ok() const { return error.empty(); }
    static PictureFile read(const std::string& path);
};

} // namespace nocturo
