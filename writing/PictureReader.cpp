#include "writing/PictureReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <stb/stb_image.h>
#include <vector>

namespace nocturo {

namespace {

const char* const notAPicture = "This file is not a picture: choose a PNG or JPEG file.";

// For each column of `to` spread over `from` source columns, the source columns it covers and
// how much of the first and last one: a box filter, so every source pixel counts once.
struct Span {
    int first = 0;
    int last = 0; // inclusive
    float firstWeight = 1.0f;
    float lastWeight = 1.0f;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        double a = i * step, b = std::min((i + 1) * step, static_cast<double>(from));
        Span& s = out[static_cast<std::size_t>(i)];
        s.first = static_cast<int>(a);
        s.last = std::max(s.first, static_cast<int>(std::ceil(b)) - 1);
        s.firstWeight = static_cast<float>(std::min(b, s.first + 1.0) - a);
        s.lastWeight = s.last == s.first ? s.firstWeight : static_cast<float>(b - s.last);
    }
    return out;
}

struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The size in a PNG's header. The decoder checks it too, but refuses a picture of more than a
// gigabyte as if it were no picture at all.
std::optional<Size> pngSize(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t start[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                               0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), start, sizeof start) != 0)
        return std::nullopt;
    auto word = [&](std::size_t at) {
        return std::int64_t{bytes[at]} << 24 | std::int64_t{bytes[at + 1]} << 16 |
               std::int64_t{bytes[at + 2]} << 8 | std::int64_t{bytes[at + 3]};
    };
    return Size{word(16), word(20)};
}

// With no size when the decoder would not tell it.
std::string tooLarge(std::int64_t width, std::int64_t height, std::int64_t pixelLimit) {
    char text[160];
    if (width > 0 && height > 0)
        std::snprintf(text, sizeof text,
                      "This picture is too large: %lld x %lld pixels is over %g megapixels.",
                      static_cast<long long>(width), static_cast<long long>(height),
                      static_cast<double>(pixelLimit) / 1e6);
    else
        std::snprintf(text, sizeof text, "This picture is too large: it is over %g megapixels.",
                      static_cast<double>(pixelLimit) / 1e6);
    return text;
}

float weightOf(const Span& s, int i) {
    return i == s.first ? s.firstWeight : i == s.last ? s.lastWeight : 1.0f;
}

// Straight RGBA in, opaque RGBA out at the new size, colours premultiplied (laid on black)
// before they are averaged.
void shrink(const std::uint8_t* src, int w, int h, Image& out) {
    const std::vector<Span> across = spans(w, out.width);
    const std::vector<Span> down = spans(h, out.height);
    std::vector<float> row(static_cast<std::size_t>(out.width) * 3);
    std::vector<float> sum(row.size());
    for (int oy = 0; oy < out.height; ++oy) {
        const Span& dy = down[static_cast<std::size_t>(oy)];
        std::fill(sum.begin(), sum.end(), 0.0f);
        float rowsWeight = 0.0f;
        for (int y = dy.first; y <= dy.last; ++y) {
            const std::uint8_t* line = src + static_cast<std::size_t>(y) * w * 4;
            float wy = weightOf(dy, y);
            rowsWeight += wy;
            for (int ox = 0; ox < out.width; ++ox) {
                const Span& dx = across[static_cast<std::size_t>(ox)];
                float r = 0.0f, g = 0.0f, b = 0.0f, total = 0.0f;
                for (int x = dx.first; x <= dx.last; ++x) {
                    const std::uint8_t* p = line + static_cast<std::size_t>(x) * 4;
                    float wa = weightOf(dx, x) * p[3] / 255.0f;
                    r += p[0] * wa;
                    g += p[1] * wa;
                    b += p[2] * wa;
                    total += weightOf(dx, x);
                }
                float* s = &sum[static_cast<std::size_t>(ox) * 3];
                s[0] += wy * r / total;
                s[1] += wy * g / total;
                s[2] += wy * b / total;
            }
        }
        std::uint8_t* o = out.pixels.data() + static_cast<std::size_t>(oy) * out.width * 4;
        for (int ox = 0; ox < out.width; ++ox, o += 4) {
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<std::uint8_t>(std::clamp(
                    std::lround(sum[static_cast<std::size_t>(ox) * 3 + c] / rowsWeight), 0L, 255L));
            o[3] = 255;
        }
    }
}

} // namespace

PictureReader::Result PictureReader::read(std::span<const std::uint8_t> bytes, int keepHeight,
                                          int keepWidth, std::int64_t pixelLimit) {
    if (bytes.empty())
        return {nullptr, "This file is empty: choose a PNG or JPEG picture."};
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {nullptr, "This file is too large to be a picture Nocturo can show."};
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    if (std::optional<Size> size = pngSize(bytes); size && size->width * size->height > pixelLimit)
        return {nullptr, tooLarge(size->width, size->height, pixelLimit)};
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &w, &h, &channels) || w <= 0 || h <= 0) {
        const char* why = stbi_failure_reason();
        if (why && std::strcmp(why, "too large") == 0)
            return {nullptr, tooLarge(0, 0, pixelLimit)};
        return {nullptr, notAPicture};
    }
    if (static_cast<std::int64_t>(w) * h > pixelLimit)
        return {nullptr, tooLarge(w, h, pixelLimit)};
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data, length, &w, &h, &channels, 4), stbi_image_free);
    if (!pixels)
        return {nullptr, "This picture cannot be read: the file is damaged or incomplete."};

    double scale = std::min({1.0, static_cast<double>(std::max(keepHeight, 1)) / h,
                             static_cast<double>(std::max(keepWidth, 1)) / w});
    auto image = std::make_shared<Image>();
    image->name = "picture";
    image->scale = 1.0f;
    image->width = std::max(1, static_cast<int>(std::lround(w * scale)));
    image->height = std::max(1, static_cast<int>(std::lround(h * scale)));
    image->pixels.resize(static_cast<std::size_t>(image->width) * image->height * 4);
    shrink(pixels.get(), w, h, *image);
    return {std::move(image), {}};
}

} // namespace nocturo
