#include "soak/Shrinker.h"

#include <algorithm>

namespace nocturo {

// Each pass cuts the list into `parts` runs and tries it without each run in turn; a removal
// that keeps the failure is taken, and a pass that removes nothing cuts finer, down to single
// lines.
std::vector<std::string> Shrinker::shrink(std::vector<std::string> lines) {
    std::size_t parts = 2;
    while (lines.size() >= 2 && !exhausted()) {
        std::size_t size = lines.size();
        parts = std::min(parts, size);
        bool removed = false;
        for (std::size_t i = 0; i < parts && !exhausted(); ++i) {
            std::size_t begin = size * i / parts;
            std::size_t end = size * (i + 1) / parts;
            std::vector<std::string> without;
            without.reserve(size - (end - begin));
            without.insert(without.end(), lines.begin(),
                           lines.begin() + static_cast<std::ptrdiff_t>(begin));
            without.insert(without.end(), lines.begin() + static_cast<std::ptrdiff_t>(end),
                           lines.end());
            ++tries_;
            if (fails_(without)) {
                lines = std::move(without);
                parts = std::max<std::size_t>(parts - 1, 2);
                removed = true;
                break;
            }
        }
        if (!removed) {
            if (parts >= size)
                break;
            parts = std::min(parts * 2, size);
        }
    }
    return lines;
}

} // namespace nocturo
