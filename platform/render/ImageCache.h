#pragma once

#include "platform/Image.h"
#include "platform/render/PixelRect.h"
#include "platform/render/ScaledImage.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <vector>

namespace nocturo {

// Pictures resampled to the size they are drawn at, kept between frames: a picture drawn at
// the same size and place as in an earlier frame costs one copy, not a resampling. Each picture
// also keeps a chain of halvings, so that resampling to a new size reads at most twice as many
// pixels as it writes, and knows the runs of one colour in its rows: a target pixel made only of
// such a run is that colour, so resampling works by spans and computes pixels only at edges. A
// picture that reads the same mirrored, as a round mask does, has only a quarter of its target
// pixels worked out; the rest are copies.
class ImageCache {
public:
    // Where a picture goes, in target pixels: its rect (fractional) and the part that shows.
    struct Placement {
        float x = 0.0f;
        float y = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        PixelRect visible;
    };

    explicit ImageCache(std::size_t budgetBytes = 96u << 20) : budget_(budgetBytes) {}
    // Few entries keep the search short while a size changes every frame.
    static constexpr std::size_t maxEntries = 64;

    // The picture over `placement.visible` (clipped to the rect it covers); null when nothing
    // shows.
    const ScaledImage* scaled(const std::shared_ptr<const Image>& image, Placement placement);
    // Whether every pixel of the picture is opaque.
    bool isOpaque(const std::shared_ptr<const Image>& image);

    std::size_t entryCount() const { return entries_.size(); }
    std::size_t resampleCount() const { return resamples_; }
    void clear();

private:
    // Source pixels [start, end) of one row that are all `colour` (fully clear ones are 0).
    struct SameRun {
        int start;
        int end;
        std::uint32_t colour;
    };
    struct Source {
        std::weak_ptr<const Image> image;
        bool opaque = false;
        // Premultiplied levels: the picture, then each half the size of the one before.
        struct Level {
            int width = 0;
            int height = 0;
            std::vector<std::uint8_t> pixels;
            // Each row's runs of two or more alike pixels, found the first time they are needed.
            bool indexed = false;
            std::vector<SameRun> runs;
            std::vector<std::uint32_t> rowEnd;
            // Whether each row reads the same from the right, and the rows the same from the
            // bottom (a round mask does both), found with the runs.
            bool mirroredAcross = false;
            bool mirroredDown = false;
        };
        std::vector<Level> levels;
    };
    struct Key {
        const Image* image;
        std::int64_t x, y, width, height; // in 1/64 pixel
        PixelRect visible;
        bool operator<(const Key& o) const;
    };
    struct Entry {
        Key key;
        std::shared_ptr<const Image> image; // keeps the address in the key from being reused
        ScaledImage scaled;
    };

    Source& source(const std::shared_ptr<const Image>& image);
    Source::Level& level(Source& source, float targetWidth, float targetHeight);
    static void index(Source::Level& level, const std::uint8_t* pixels);
    void evict();

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::size_t resamples_ = 0;
    std::map<const Image*, Source> sources_;
    std::list<Entry> entries_; // most recently used first
};

} // namespace nocturo
