#include "platform/render/ImageCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

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
    int maxTaps = 0;
};

Axis makeAxis(double origin, double length, int source, int from, int to) {
    Axis axis;
    double perPixel = static_cast<double>(source) / length; // source pixels per target pixel
    for (int i = from; i < to; ++i) {
        int first = 0;
        std::vector<float> w;
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
        axis.first.push_back(first);
        axis.count.push_back(static_cast<int>(w.size()));
        axis.offset.push_back(static_cast<int>(axis.weights.size()));
        axis.weights.insert(axis.weights.end(), w.begin(), w.end());
        float sum = 0.0f;
        for (float v : w)
            sum += v;
        axis.total.push_back(sum);
        axis.maxTaps = std::max(axis.maxTaps, static_cast<int>(w.size()));
    }
    return axis;
}

std::int64_t toFixed(float v) {
    return std::llround(static_cast<double>(v) * 64.0);
}

void cutIntoRuns(ScaledImage& out) {
    int w = out.area.width();
    out.rows.assign(static_cast<std::size_t>(out.area.height()), {});
    for (int y = 0; y < out.area.height(); ++y) {
        const std::uint8_t* p = out.row(y);
        auto& runs = out.rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < w; ++x) {
            std::uint8_t a = p[x * 4 + 3];
            auto kind = a == 0     ? ScaledImage::RunKind::Clear
                        : a == 255 ? ScaledImage::RunKind::Opaque
                                   : ScaledImage::RunKind::Blend;
            if (!runs.empty() && runs.back().kind == kind)
                ++runs.back().length;
            else
                runs.push_back({x, 1, kind});
        }
    }
}

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
const ImageCache::Source::Level& ImageCache::level(Source& s, float targetWidth,
                                                   float targetHeight) {
    auto image = s.image.lock();
    if (s.levels.empty())
        s.levels.push_back({image->width, image->height, {}});
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
            Source::Level next{nw, nh, {}};
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
    const Source::Level& lv = level(src, static_cast<float>(w), static_cast<float>(h));
    const bool straight = lv.pixels.empty();
    const std::uint8_t* base = straight ? image->pixels.data() : lv.pixels.data();
    const PixelRect area = key.visible;
    Axis ax = makeAxis(x, w, lv.width, area.x0, area.x1);
    Axis ay = makeAxis(y, h, lv.height, area.y0, area.y1);

    const int outW = area.width();
    const int ring = ay.maxTaps + 1;
    std::vector<float> rows(static_cast<std::size_t>(ring) * static_cast<std::size_t>(outW) * 4);
    std::vector<int> tags(static_cast<std::size_t>(ring), -1);
    const int spanStart = ax.first.empty() ? 0 : ax.first.front();
    const int spanEnd = ax.first.empty() ? 0 : ax.first.back() + ax.count.back();
    std::vector<int> runEnd(static_cast<std::size_t>(lv.width), 0);
    auto horizontal = [&](int k) -> const float* {
        std::size_t slot = static_cast<std::size_t>(k % ring);
        float* out = rows.data() + slot * static_cast<std::size_t>(outW) * 4;
        if (tags[slot] == k)
            return out;
        tags[slot] = k;
        const std::uint8_t* srcRow = base + static_cast<std::size_t>(k) * lv.width * 4;
        // Pictures are mostly runs of one colour (a mask above all): a target pixel whose
        // source pixels are all alike is that colour times its weight, without a loop.
        for (int x = spanEnd - 1; x >= spanStart; --x) {
            bool same = x + 1 < spanEnd && std::memcmp(srcRow + x * 4, srcRow + x * 4 + 4, 4) == 0;
            runEnd[static_cast<std::size_t>(x)] =
                same ? runEnd[static_cast<std::size_t>(x) + 1] : x;
        }
        for (int i = 0; i < outW; ++i) {
            float acc[4] = {0, 0, 0, 0};
            const float* wt = ax.weights.data() + ax.offset[static_cast<std::size_t>(i)];
            const int f = ax.first[static_cast<std::size_t>(i)];
            const std::uint8_t* p = srcRow + static_cast<std::size_t>(f) * 4;
            int n = ax.count[static_cast<std::size_t>(i)];
            if (n > 0 && runEnd[static_cast<std::size_t>(f)] >= f + n - 1) {
                float w = ax.total[static_cast<std::size_t>(i)];
                float m = straight ? w * p[3] * (1.0f / 255.0f) : w;
                float* o = out + static_cast<std::size_t>(i) * 4;
                o[0] = p[0] * m;
                o[1] = p[1] * m;
                o[2] = p[2] * m;
                o[3] = p[3] * w;
                continue;
            }
            for (int t = 0; t < n; ++t, p += 4) {
                float a = p[3];
                float m = straight ? wt[t] * a * (1.0f / 255.0f) : wt[t];
                acc[0] += p[0] * m;
                acc[1] += p[1] * m;
                acc[2] += p[2] * m;
                acc[3] += a * wt[t];
            }
            std::copy(acc, acc + 4, out + static_cast<std::size_t>(i) * 4);
        }
        return out;
    };

    Entry entry{key, image, {}};
    ScaledImage& out = entry.scaled;
    out.area = area;
    out.pixels.resize(static_cast<std::size_t>(outW) * static_cast<std::size_t>(area.height()) * 4);
    std::vector<float> acc(static_cast<std::size_t>(outW) * 4);
    for (int j = 0; j < area.height(); ++j) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        const float* wt = ay.weights.data() + ay.offset[static_cast<std::size_t>(j)];
        int first = ay.first[static_cast<std::size_t>(j)];
        for (int t = 0; t < ay.count[static_cast<std::size_t>(j)]; ++t) {
            const float* hr = horizontal(first + t);
            float wy = wt[t];
            for (std::size_t c = 0; c < acc.size(); ++c)
                acc[c] += hr[c] * wy;
        }
        std::uint8_t* d = out.pixels.data() + static_cast<std::size_t>(j) * outW * 4;
        for (int i = 0; i < outW; ++i) {
            float a = std::clamp(acc[static_cast<std::size_t>(i) * 4 + 3], 0.0f, 255.0f);
            std::uint8_t ab = static_cast<std::uint8_t>(a + 0.5f);
            for (int c = 0; c < 3; ++c) {
                float v = std::clamp(acc[static_cast<std::size_t>(i) * 4 + c], 0.0f, 255.0f);
                d[i * 4 + c] = std::min(ab, static_cast<std::uint8_t>(v + 0.5f));
            }
            d[i * 4 + 3] = ab;
        }
    }
    cutIntoRuns(out);
    ++resamples_;
    bytes_ += out.byteSize();
    entries_.push_front(std::move(entry));
    evict();
    return &entries_.front().scaled;
}

void ImageCache::evict() {
    while (bytes_ > budget_ && entries_.size() > 1) {
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
