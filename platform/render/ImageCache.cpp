#include "platform/render/ImageCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nocturo {

namespace {

// For each target pixel of one axis, the source pixels that make it and their weights. The
// weights of a target pixel add up to the part of it the picture covers, so the picture's
// edges come out smooth without a separate coverage step.
struct Axis {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<float> weights;
    std::vector<float> total;
    std::vector<int> end;       // first + count: never decreases along the axis
    std::vector<int> sameTotal; // the last pixel from this one on with the same total weight
};

Axis makeAxis(double origin, double length, int source, int from, int to) {
    Axis axis;
    double perPixel = static_cast<double>(source) / length; // source pixels per target pixel
    const auto n = static_cast<std::size_t>(std::max(0, to - from));
    for (auto* v : {&axis.first, &axis.count, &axis.offset, &axis.end})
        v->reserve(n);
    axis.total.reserve(n);
    axis.weights.reserve(n * 3);
    for (int i = from; i < to; ++i) {
        int first = 0;
        const std::size_t offset = axis.weights.size();
        auto& w = axis.weights;
        if (perPixel >= 1.0) {
            // Shrinking: the average over the source pixels under the target pixel.
            double a = (i - origin) * perPixel, b = (i + 1 - origin) * perPixel;
            int k0 = std::max(0, static_cast<int>(std::floor(a)));
            int k1 = std::min(source, static_cast<int>(std::ceil(b)));
            first = k0;
            for (int k = k0; k < k1; ++k) {
                double overlap = std::min(b, k + 1.0) - std::max(a, static_cast<double>(k));
                w.push_back(static_cast<float>(std::max(0.0, overlap) / perPixel));
            }
        } else {
            // Growing: bilinear between the two nearest source pixels, held at the edges.
            double cover = std::clamp(
                std::min(i + 1.0, origin + length) - std::max<double>(i, origin), 0.0, 1.0);
            double u = (i + 0.5 - origin) * perPixel - 0.5;
            int k = static_cast<int>(std::floor(u));
            double f = u - k;
            int k0 = std::clamp(k, 0, source - 1), k1 = std::clamp(k + 1, 0, source - 1);
            first = k0;
            if (k0 == k1) {
                w.push_back(static_cast<float>(cover));
            } else {
                w.push_back(static_cast<float>((1.0 - f) * cover));
                w.push_back(static_cast<float>(f * cover));
            }
        }
        const int count = static_cast<int>(w.size() - offset);
        float sum = 0.0f;
        for (std::size_t t = offset; t < w.size(); ++t)
            sum += w[t];
        axis.first.push_back(first);
        axis.count.push_back(count);
        axis.offset.push_back(static_cast<int>(offset));
        axis.total.push_back(sum);
        axis.end.push_back(first + count);
    }
    // Only pixels at the picture's edges weigh less than a whole one.
    const int last = static_cast<int>(n) - 1;
    axis.sameTotal.assign(n, last);
    for (int i = last - 1; i >= 0; --i) {
        auto k = static_cast<std::size_t>(i);
        axis.sameTotal[k] =
            std::fabs(axis.total[k] - axis.total[k + 1]) < 1e-5f ? axis.sameTotal[k + 1] : i;
    }
    return axis;
}

// For each source pixel boundary k (0 to `source`), the last target pixel of the axis whose
// source pixels all lie before k, or -1.
std::vector<int> lastBefore(const Axis& axis, int source) {
    std::vector<int> last(static_cast<std::size_t>(source) + 1);
    std::size_t done = 0;
    for (int k = 0; k <= source; ++k) {
        while (done < axis.end.size() && axis.end[done] <= k)
            ++done;
        last[static_cast<std::size_t>(k)] = static_cast<int>(done) - 1;
    }
    return last;
}

// Whether target pixels i and m of `axis` are each other's mirror image over a picture `source`
// pixels long: the same weights on the same source pixels counted from the other end.
bool mirrors(const Axis& axis, std::size_t i, std::size_t m, int source) {
    const int n = axis.count[i];
    if (n != axis.count[m] || axis.first[i] != source - axis.end[m] ||
        axis.total[i] != axis.total[m])
        return false;
    const float* a = axis.weights.data() + axis.offset[i];
    const float* b = axis.weights.data() + axis.offset[m] + n;
    for (int t = 0; t < n; ++t)
        if (a[t] != *--b)
            return false;
    return true;
}

std::int64_t toFixed(float v) {
    return std::llround(static_cast<double>(v) * 64.0);
}

// Builds a ScaledImage row by row, joining a run to the one before it where they can be one.
class RunWriter {
public:
    explicit RunWriter(ScaledImage& out) : out_(out) {}

    void solid(int start, int length, const std::uint8_t rgba[4]) {
        if (rgba[3] == 0) {
            clear(start, length);
            return;
        }
        if (auto* last = joinable(start, ScaledImage::RunKind::Solid);
            last && std::memcmp(last->colour, rgba, 4) == 0) {
            last->length += length;
            return;
        }
        ScaledImage::Run run{start, length, ScaledImage::RunKind::Solid, {}, 0};
        std::memcpy(run.colour, rgba, 4);
        out_.runs.push_back(run);
    }
    void pixel(int start, const std::uint8_t rgba[4]) {
        if (rgba[3] == 0) {
            clear(start, 1);
            return;
        }
        auto kind = rgba[3] == 255 ? ScaledImage::RunKind::Opaque : ScaledImage::RunKind::Blend;
        if (auto* last = joinable(start, kind))
            ++last->length;
        else
            out_.runs.push_back(
                {start, 1, kind, {}, static_cast<std::uint32_t>(out_.pixels.size())});
        out_.pixels.insert(out_.pixels.end(), rgba, rgba + 4);
    }
    void clear(int start, int length) {
        if (auto* last = joinable(start, ScaledImage::RunKind::Clear))
            last->length += length;
        else
            out_.runs.push_back({start, length, ScaledImage::RunKind::Clear, {}, 0});
    }
    void endRow() {
        out_.rowEnd.push_back(static_cast<std::uint32_t>(out_.runs.size()));
        rowBegin_ = out_.runs.size();
    }

private:
    ScaledImage::Run* joinable(int start, ScaledImage::RunKind kind) {
        if (out_.runs.size() == rowBegin_)
            return nullptr;
        ScaledImage::Run& last = out_.runs.back();
        return last.kind == kind && last.start + last.length == start ? &last : nullptr;
    }

    ScaledImage& out_;
    std::size_t rowBegin_ = 0;
};

// The sums that make one target pixel: red, green and blue, each weighed by its source pixel's
// alpha when the source is straight, and alpha. The vector version takes the same steps lane by
// lane, so both give the same bytes.
class PixelSum {
public:
    // Source pixel `p` at `weight` of a whole one; `m` is the weight of its colour.
    void add(const std::uint8_t* p, float weight, float m) {
#if defined(__SSE2__)
        std::int32_t bytes;
        std::memcpy(&bytes, p, 4);
        const __m128i zero = _mm_setzero_si128();
        const __m128i wide =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
        acc_ = _mm_add_ps(acc_, _mm_mul_ps(_mm_cvtepi32_ps(wide), _mm_set_ps(weight, m, m, m)));
#else
        acc_[0] += p[0] * m;
        acc_[1] += p[1] * m;
        acc_[2] += p[2] * m;
        acc_[3] += p[3] * weight;
#endif
    }

    // The pixel's bytes: alpha rounded, colour held to at most the alpha.
    void toPixel(std::uint8_t out[4]) const {
#if defined(__SSE2__)
        const __m128 held = _mm_min_ps(_mm_max_ps(acc_, _mm_setzero_ps()), _mm_set1_ps(255.0f));
        const __m128i whole = _mm_cvttps_epi32(_mm_add_ps(held, _mm_set1_ps(0.5f)));
        const __m128i narrow = _mm_packs_epi32(whole, whole);
        const __m128i alpha = _mm_shufflelo_epi16(narrow, _MM_SHUFFLE(3, 3, 3, 3));
        const __m128i bytes = _mm_packus_epi16(_mm_min_epi16(narrow, alpha), narrow);
        const std::int32_t packed = _mm_cvtsi128_si32(bytes);
        std::memcpy(out, &packed, 4);
#else
        float a = std::clamp(acc_[3], 0.0f, 255.0f);
        auto ab = static_cast<std::uint8_t>(a + 0.5f);
        for (int c = 0; c < 3; ++c) {
            float v = std::clamp(acc_[c], 0.0f, 255.0f);
            out[c] = std::min(ab, static_cast<std::uint8_t>(v + 0.5f));
        }
        out[3] = ab;
#endif
    }

private:
#if defined(__SSE2__)
    __m128 acc_ = _mm_setzero_ps();
#else
    float acc_[4] = {0, 0, 0, 0};
#endif
};

} // namespace

bool ImageCache::Key::operator<(const Key& o) const {
    return std::tie(image, x, y, width, height, visible.x0, visible.y0, visible.x1, visible.y1) <
           std::tie(o.image, o.x, o.y, o.width, o.height, o.visible.x0, o.visible.y0, o.visible.x1,
                    o.visible.y1);
}

ImageCache::Source& ImageCache::source(const std::shared_ptr<const Image>& image) {
    Source& s = sources_[image.get()];
    if (s.image.lock() != image) {
        s = Source{};
        s.image = image;
        s.opaque = true;
        const auto& px = image->pixels;
        for (std::size_t i = 3; i < px.size(); i += 4) {
            if (px[i] != 255) {
                s.opaque = false;
                break;
            }
        }
    }
    return s;
}

bool ImageCache::isOpaque(const std::shared_ptr<const Image>& image) {
    if (!image || image->width <= 0 || image->height <= 0)
        return false;
    return source(image).opaque;
}

// The smallest halving still about as large as the target on both axes; level 0 is the
// picture itself, read straight, and has no pixels of its own here.
ImageCache::Source::Level& ImageCache::level(Source& s, float targetWidth, float targetHeight) {
    auto image = s.image.lock();
    if (s.levels.empty())
        s.levels.push_back({image->width, image->height, {}, false, {}, {}});
    std::size_t index = 0;
    for (;;) {
        const auto& cur = s.levels[index];
        int nw = (cur.width + 1) / 2, nh = (cur.height + 1) / 2;
        // A halving a little smaller than the target still serves, grown by at most a tenth:
        // reading a quarter of the pixels matters more while a spot is being resized.
        if (cur.width < 2 || cur.height < 2 || static_cast<float>(nw) < targetWidth * 0.9f ||
            static_cast<float>(nh) < targetHeight * 0.9f)
            break;
        if (index + 1 == s.levels.size()) {
            Source::Level next{nw, nh, {}, false, {}, {}};
            next.pixels.resize(static_cast<std::size_t>(nw) * static_cast<std::size_t>(nh) * 4);
            const bool straight = index == 0;
            const std::uint8_t* src = straight ? image->pixels.data() : cur.pixels.data();
            for (int y = 0; y < nh; ++y) {
                int ya = 2 * y, yb = std::min(2 * y + 1, cur.height - 1);
                for (int x = 0; x < nw; ++x) {
                    int xa = 2 * x, xb = std::min(2 * x + 1, cur.width - 1);
                    const std::uint8_t* q[4] = {
                        src + (static_cast<std::size_t>(ya) * cur.width + xa) * 4,
                        src + (static_cast<std::size_t>(ya) * cur.width + xb) * 4,
                        src + (static_cast<std::size_t>(yb) * cur.width + xa) * 4,
                        src + (static_cast<std::size_t>(yb) * cur.width + xb) * 4};
                    std::uint32_t sum[4] = {0, 0, 0, 0};
                    for (const std::uint8_t* p : q) {
                        std::uint32_t a = p[3];
                        for (int c = 0; c < 3; ++c)
                            sum[c] += straight ? (p[c] * a + 127) / 255 : p[c];
                        sum[3] += a;
                    }
                    std::uint8_t* d =
                        next.pixels.data() + (static_cast<std::size_t>(y) * nw + x) * 4;
                    for (int c = 0; c < 4; ++c)
                        d[c] = static_cast<std::uint8_t>((sum[c] + 2) / 4);
                }
            }
            s.levels.push_back(std::move(next));
        }
        ++index;
    }
    return s.levels[index];
}

void ImageCache::index(Source::Level& level, const std::uint8_t* pixels) {
    if (level.indexed)
        return;
    level.indexed = true;
    level.rowEnd.reserve(static_cast<std::size_t>(level.height));
    auto colourAt = [](const std::uint8_t* p) {
        std::uint32_t c = 0;
        if (p[3] != 0)
            std::memcpy(&c, p, 4);
        return c;
    };
    for (int y = 0; y < level.height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * level.width * 4;
        for (int x = 0; x < level.width;) {
            std::uint32_t c = colourAt(row + x * 4);
            int e = x + 1;
            while (e < level.width && colourAt(row + e * 4) == c)
                ++e;
            if (e - x >= 2) {
                level.runs.push_back({x, e, c});
            }
            x = e;
        }
        level.rowEnd.push_back(static_cast<std::uint32_t>(level.runs.size()));
    }
    const auto rowBytes = static_cast<std::size_t>(level.width) * 4;
    auto row = [&](int y) { return pixels + static_cast<std::size_t>(y) * rowBytes; };
    level.mirroredDown = true;
    for (int y = 0; y < level.height / 2 && level.mirroredDown; ++y)
        level.mirroredDown = std::memcmp(row(y), row(level.height - 1 - y), rowBytes) == 0;
    level.mirroredAcross = true;
    for (int y = 0; y < level.height && level.mirroredAcross; ++y)
        for (int x = 0; x < level.width / 2 && level.mirroredAcross; ++x)
            level.mirroredAcross =
                std::memcmp(row(y) + x * 4, row(y) + (level.width - 1 - x) * 4, 4) == 0;
}

const ScaledImage* ImageCache::scaled(const std::shared_ptr<const Image>& image,
                                      Placement placement) {
    if (!image || image->width <= 0 || image->height <= 0 ||
        image->pixels.size() <
            static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 4)
        return nullptr;
    if (!(placement.width > 0.0f) || !(placement.height > 0.0f) || !std::isfinite(placement.x) ||
        !std::isfinite(placement.y) || !std::isfinite(placement.width) ||
        !std::isfinite(placement.height))
        return nullptr;

    Key key{image.get(),
            toFixed(placement.x),
            toFixed(placement.y),
            toFixed(placement.width),
            toFixed(placement.height),
            {}};
    if (key.width <= 0 || key.height <= 0)
        return nullptr;
    // Work from the rounded placement so that a hit and a miss draw the same pixels.
    double x = static_cast<double>(key.x) / 64.0, y = static_cast<double>(key.y) / 64.0;
    double w = static_cast<double>(key.width) / 64.0, h = static_cast<double>(key.height) / 64.0;
    PixelRect covered{static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)),
                      static_cast<int>(std::ceil(x + w)), static_cast<int>(std::ceil(y + h))};
    key.visible = covered.intersection(placement.visible);
    if (key.visible.isEmpty())
        return nullptr;

    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!(it->key < key) && !(key < it->key) && it->image == image) {
            entries_.splice(entries_.begin(), entries_, it);
            return &entries_.front().scaled;
        }
    }

    Source& src = source(image);
    Source::Level& lv = level(src, static_cast<float>(w), static_cast<float>(h));
    const bool straight = lv.pixels.empty();
    const std::uint8_t* base = straight ? image->pixels.data() : lv.pixels.data();
    index(lv, base);
    const PixelRect area = key.visible;
    const Axis ax = makeAxis(x, w, lv.width, area.x0, area.x1);
    // A square picture placed alike on both axes, as a spot in the middle of the screen is,
    // has the same axis twice: the differences to the placement are exact in 1/64 pixels.
    const bool sameAxes = lv.width == lv.height && w == h && x - area.x0 == y - area.y0 &&
                          area.width() == area.height();
    const Axis rows = sameAxes ? Axis{} : makeAxis(y, h, lv.height, area.y0, area.y1);
    const Axis& ay = sameAxes ? ax : rows;
    const std::vector<int> lastInRun = lastBefore(ax, lv.width);
    const int outW = area.width();

    Entry entry{key, image, {}};
    ScaledImage& out = entry.scaled;
    out.area = area;
    out.rowEnd.reserve(static_cast<std::size_t>(area.height()));
    out.runs.reserve(static_cast<std::size_t>(area.height()) * 8);
    RunWriter writer(out);
    std::vector<SameRun> same, next;

    // One target pixel from every source pixel under it, read where they lie: the few an edge
    // reads are two short stretches of each source row.
    auto computed = [&](int i, int j, std::uint8_t rgba[4]) {
        PixelSum sum;
        const auto ii = static_cast<std::size_t>(i), jj = static_cast<std::size_t>(j);
        const float* wx = ax.weights.data() + ax.offset[ii];
        const float* wy = ay.weights.data() + ay.offset[jj];
        const int x0 = ax.first[ii], n = ax.count[ii];
        for (int t = 0; t < ay.count[jj]; ++t) {
            const std::uint8_t* p = base + (static_cast<std::size_t>(ay.first[jj] + t) *
                                                static_cast<std::size_t>(lv.width) +
                                            static_cast<std::size_t>(x0)) *
                                               4;
            for (int u = 0; u < n; ++u, p += 4) {
                float weight = wx[u] * wy[t];
                sum.add(p, weight, straight ? weight * p[3] * (1.0f / 255.0f) : weight);
            }
        }
        sum.toPixel(rgba);
#if defined(__SSE2__)
        // A few target rows down, an edge is read at about the same place. The picture is
        // larger than the cache and the frame drawn since the last resampling has pushed it
        // out, so those rows are asked for now, to be there by then.
        const auto ahead = static_cast<std::size_t>(std::min(j + 4, area.height() - 1));
        for (int t = 0; t < ay.count[ahead]; ++t) {
            const std::uint8_t* row =
                base + static_cast<std::size_t>(ay.first[ahead] + t) * lv.width * 4;
            _mm_prefetch(reinterpret_cast<const char*>(row + x0 * 4), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(row + (x0 + n - 1) * 4), _MM_HINT_T0);
        }
#endif
    };
    // A source colour spread over a target pixel that weighs `weight` of a whole one.
    auto spread = [&](std::uint32_t colour, float weight, std::uint8_t rgba[4]) {
        std::uint8_t p[4];
        std::memcpy(p, &colour, 4);
        float m = straight ? weight * p[3] * (1.0f / 255.0f) : weight;
        PixelSum sum;
        sum.add(p, weight, m);
        sum.toPixel(rgba);
    };

    // Where the picture reads the same mirrored and so do the target pixels' weights, half of
    // the target pixels are copies: a row of the lower half repeats one of the upper half, and
    // the right half of a row is its left half backwards.
    bool across = lv.mirroredAcross && area.x0 + area.x1 == covered.x0 + covered.x1;
    for (int i = 0; across && i < outW / 2; ++i)
        across = mirrors(ax, static_cast<std::size_t>(i), static_cast<std::size_t>(outW - 1 - i),
                         lv.width);
    const int computedW = across ? (outW + 1) / 2 : outW;

    for (int j = 0; j < area.height(); ++j) {
        const auto jj = static_cast<std::size_t>(j);
        const std::size_t rowStart = out.rowEnd.empty() ? 0 : out.rowEnd.back();
        if (const int m = covered.y0 + covered.y1 - 1 - j - 2 * area.y0;
            lv.mirroredDown && m >= 0 && m < j &&
            mirrors(ay, jj, static_cast<std::size_t>(m), lv.height)) {
            const auto mm = static_cast<std::size_t>(m);
            for (std::size_t k = mm == 0 ? 0 : out.rowEnd[mm - 1]; k < out.rowEnd[mm]; ++k) {
                const ScaledImage::Run run = out.runs[k];
                out.runs.push_back(run);
            }
            writer.endRow();
            continue;
        }
        // The runs of one colour shared by every source row under this target row.
        same.clear();
        for (int t = 0; t < ay.count[jj]; ++t) {
            auto k = static_cast<std::size_t>(ay.first[jj] + t);
            const SameRun* b = lv.runs.data() + (k == 0 ? 0 : lv.rowEnd[k - 1]);
            const SameRun* e = lv.runs.data() + lv.rowEnd[k];
            if (t == 0) {
                same.assign(b, e);
                continue;
            }
            next.clear();
            for (std::size_t a = 0; a < same.size() && b < e;) {
                int lo = std::max(same[a].start, b->start), hi = std::min(same[a].end, b->end);
                if (hi - lo >= 1 && same[a].colour == b->colour)
                    next.push_back({lo, hi, b->colour});
                if (same[a].end < b->end)
                    ++a;
                else
                    ++b;
            }
            same.swap(next);
        }

        std::size_t s = 0;
        for (int i = 0; i < computedW;) {
            const auto ii = static_cast<std::size_t>(i);
            while (s < same.size() && same[s].end < ax.end[ii])
                ++s;
            if (s < same.size() && same[s].start <= ax.first[ii]) {
                // Every target pixel whose source pixels all lie in this run.
                const int last =
                    std::min(lastInRun[static_cast<std::size_t>(same[s].end)], computedW - 1);
                while (i <= last) {
                    int to = std::min(last, ax.sameTotal[static_cast<std::size_t>(i)]);
                    std::uint8_t rgba[4];
                    spread(same[s].colour, ax.total[static_cast<std::size_t>(i)] * ay.total[jj],
                           rgba);
                    writer.solid(i, to - i + 1, rgba);
                    i = to + 1;
                }
                continue;
            }
            std::uint8_t rgba[4];
            computed(i, j, rgba);
            writer.pixel(i, rgba);
            ++i;
        }
        // The row's right half: its runs left of the middle, last first, each turned round.
        for (std::size_t k = out.runs.size(); across && k-- > rowStart;) {
            const ScaledImage::Run run = out.runs[k];
            const int end = std::min(run.start + run.length, outW - computedW);
            if (end <= run.start)
                continue;
            if (run.kind == ScaledImage::RunKind::Clear) {
                writer.clear(outW - end, end - run.start);
            } else if (run.kind == ScaledImage::RunKind::Solid) {
                writer.solid(outW - end, end - run.start, run.colour);
            } else {
                for (int c = end - 1; c >= run.start; --c) {
                    std::uint8_t rgba[4];
                    std::memcpy(rgba, out.pixels.data() + run.offset + (c - run.start) * 4, 4);
                    writer.pixel(outW - 1 - c, rgba);
                }
            }
        }
        writer.endRow();
    }
    ++resamples_;
    bytes_ += out.byteSize();
    entries_.push_front(std::move(entry));
    evict();
    return &entries_.front().scaled;
}

void ImageCache::evict() {
    while ((bytes_ > budget_ || entries_.size() > maxEntries) && entries_.size() > 1) {
        bytes_ -= entries_.back().scaled.byteSize();
        entries_.pop_back();
    }
    for (auto it = sources_.begin(); it != sources_.end();) {
        if (it->second.image.expired())
            it = sources_.erase(it);
        else
            ++it;
    }
}

void ImageCache::clear() {
    entries_.clear();
    sources_.clear();
    bytes_ = 0;
}

} // namespace nocturo
