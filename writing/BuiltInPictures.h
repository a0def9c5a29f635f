#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nocturo {

// The pictures Nocturo brings to write with, drawn by the artwork program into the resources.
// The settings number them from 1, in this order, so that a stored 0 means never chosen.
class BuiltInPictures {
public:
    struct Entry {
        std::string_view file;
        std::string_view title;
    };

    static constexpr std::array<Entry, 4> entries = {{
        {"writingStar.png", "Star"},
        {"writingHeart.png", "Heart"},
        {"writingArrow.png", "Arrow"},
        {"writingWave.png", "Wave of colour"},
    }};

    static constexpr int count() { return static_cast<int>(entries.size()); }
    // The picture numbered `number`; none for a number outside 1 .. count().
    static std::optional<Entry> numbered(std::int64_t number) {
        if (number < 1 || number > count())
            return std::nullopt;
        return entries[static_cast<std::size_t>(number - 1)];
    }
};

} // namespace nocturo
