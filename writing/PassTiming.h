#pragma once

#include <optional>
#include <string>

namespace nocturo {

// When each column of a written picture shows during a pass. The pass plays `columns()` columns
// evenly over its length T: column i from i T / n to (i + 1) T / n, none before the light's start
// and none from T on. A picture whose columns would change faster than the display refreshes is
// played as fewer, wider columns, so that every column stays up for at least one frame and none
// is skipped. Mirrored, the columns play from the last to the first.
class PassTiming {
public:
    static constexpr double minPassLength = 0.5;
    static constexpr double maxPassLength = 30.0;
    static constexpr double defaultPassLength = 3.0;
    static constexpr double defaultRefreshRate = 60.0;

    // A pass length outside its range is held to it (one that is not a number reads as the
    // default); a refresh rate that is not a positive number reads as 60 a second.
    PassTiming(int pictureColumns, double passLength, double refreshRate = defaultRefreshRate,
               bool mirrored = false);

    int pictureColumns() const { return pictureColumns_; }
    // The columns a pass plays.
    int columns() const { return columns_; }
    bool isResampled() const { return columns_ < pictureColumns_; }
    double passLength() const { return passLength_; }
    double refreshRate() const { return refreshRate_; }
    bool isMirrored() const { return mirrored_; }
    // Columns a second.
    double columnRate() const { return columns_ / passLength_; }

    // The column (0 .. columns() - 1, counted across the picture from its left) shown at `time`
    // seconds since the light's start; none before the start, from the pass's end on, and for
    // a picture with no columns.
    std::optional<int> columnAt(double time) const;
    // When the column shown at `time` gives way to the next, or the pass ends; infinity from the
    // end on. For the loop that redraws the band.
    double nextChangeAfter(double time) const;

    // For the settings screen: how the picture is played when it is resampled; empty when it is
    // not.
    std::string resamplingWords() const;

private:
    // The slot (in time order) that `time` falls in; may lie outside 0 .. columns - 1.
    double slot(double time) const;

    int pictureColumns_;
    int columns_;
    double passLength_;
    double refreshRate_;
    bool mirrored_;
};

} // namespace nocturo
