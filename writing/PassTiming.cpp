#include "writing/PassTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace nocturo {

namespace {
// A frame time that is one column's start in exact arithmetic may land a hair before it in
// floating point; it counts as that column's, so that none is skipped by a rounding.
constexpr double slotTolerance = 1e-9;
} // namespace

PassTiming::PassTiming(int pictureColumns, double passLength, double refreshRate, bool mirrored)
    : pictureColumns_(std::max(pictureColumns, 0)),
      passLength_(std::isnan(passLength) ? defaultPassLength
                                         : std::clamp(passLength, minPassLength, maxPassLength)),
      refreshRate_(std::isfinite(refreshRate) && refreshRate > 0.0 ? refreshRate
                                                                   : defaultRefreshRate),
      mirrored_(mirrored) {
    // One column a frame at the most: n T / n = T seconds hold n columns of T / n each.
    const double frames = std::floor(passLength_ * refreshRate_ + slotTolerance);
    const double most =
        std::clamp(frames, 1.0, static_cast<double>(std::numeric_limits<int>::max()));
    columns_ = std::min(pictureColumns_, static_cast<int>(most));
}

double PassTiming::slot(double time) const {
    return time * columns_ / passLength_ + slotTolerance;
}

std::optional<int> PassTiming::columnAt(double time) const {
    if (columns_ == 0 || !(time >= 0.0))
        return std::nullopt;
    const double s = std::floor(slot(time));
    if (s >= columns_)
        return std::nullopt;
    const int index = static_cast<int>(s);
    return mirrored_ ? columns_ - 1 - index : index;
}

double PassTiming::nextChangeAfter(double time) const {
    if (columns_ == 0 || std::isnan(time))
        return std::numeric_limits<double>::infinity();
    if (time < 0.0)
        return 0.0;
    const double s = std::floor(slot(time));
    if (s >= columns_)
        return std::numeric_limits<double>::infinity();
    return (s + 1.0) * passLength_ / columns_;
}

std::string PassTiming::resamplingWords() const {
    if (!isResampled())
        return {};
    char text[160];
    std::snprintf(text, sizeof text,
                  "The picture's %d columns play as %d, %.0f a second: the display shows no more.",
                  pictureColumns_, columns_, columnRate());
    return text;
}

} // namespace nocturo
