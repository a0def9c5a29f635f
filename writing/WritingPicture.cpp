#include "writing/WritingPicture.h"

#include "platform/render/Font.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

WritingPicture WritingPicture::fromImage(const Image& image) {
    WritingPicture picture;
    const std::size_t count = static_cast<std::size_t>(std::max(image.width, 0)) *
                              static_cast<std::size_t>(std::max(image.height, 0));
    if (count == 0 || image.pixels.size() < count * 4)
        return picture;
    picture.width_ = image.width;
    picture.height_ = image.height;
    picture.pixels_.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &image.pixels[i * 4];
        for (int c = 0; c < 3; ++c)
            picture.pixels_[i * 3 + static_cast<std::size_t>(c)] =
                static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
    }
    return picture;
}

WritingPicture WritingPicture::fromText(Font& font, std::string_view text, int height) {
    WritingPicture picture;
    picture.isText_ = true;
    std::u32string codes = Font::decode(text);
    for (char32_t& c : codes)
        if (c < 0x20 || c == 0x7F)
            c = U' ';
    const float unit = font.ascent(1.0f) - font.descent(1.0f);
    if (codes.empty() || height <= 0 || !(unit > 0.0f))
        return picture;
    const float size = static_cast<float>(height) / unit;
    const int baseline = static_cast<int>(std::lround(font.ascent(size)));

    // Where each glyph goes, then the extent of them all: a glyph may reach left of the pen.
    struct Placed {
        const Font::Glyph* glyph;
        int x;
    };
    std::vector<Placed> placed;
    float pen = 0.0f;
    int left = 0, right = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const Font::Glyph& g = font.glyph(codes[i], size);
        int x = static_cast<int>(std::lround(pen));
        placed.push_back({&g, x});
        if (g.width > 0) {
            left = std::min(left, x + g.left);
            right = std::max(right, x + g.left + g.width);
        }
        pen += g.advance;
        if (i + 1 < codes.size())
            pen += font.kerning(codes[i], codes[i + 1], size);
    }
    right = std::max(right, static_cast<int>(std::ceil(pen)));
    picture.width_ = right - left;
    picture.height_ = height;
    picture.pixels_.assign(static_cast<std::size_t>(picture.width_) * height, 0);
    for (const Placed& p : placed) {
        const Font::Glyph& g = *p.glyph;
        for (int gy = 0; gy < g.height; ++gy) {
            int y = baseline + g.top + gy;
            if (y < 0 || y >= height)
                continue;
            for (int gx = 0; gx < g.width; ++gx) {
                std::uint8_t& out =
                    picture.pixels_[static_cast<std::size_t>(y) * picture.width_ +
                                    static_cast<std::size_t>(p.x + g.left + gx - left)];
                out = std::max(out, g.coverage[static_cast<std::size_t>(gy) * g.width + gx]);
            }
        }
    }
    return picture;
}

std::vector<std::uint8_t> WritingPicture::column(int index, int count,
                                                 const ColumnLight& light) const {
    if (isEmpty() || count <= 0 || index < 0 || index >= count)
        return {};
    // The picture's columns from a to b, the first and last counted by how much of them lies
    // inside.
    const double a = static_cast<double>(index) * width_ / count;
    const double b = static_cast<double>(index + 1) * width_ / count;
    const int first = std::min(static_cast<int>(a), width_ - 1);
    const int last = std::clamp(static_cast<int>(std::ceil(b)) - 1, first, width_ - 1);
    auto weight = [&](int x) {
        return static_cast<float>(std::min(b, x + 1.0) - std::max(a, static_cast<double>(x)));
    };
    float total = 0.0f;
    for (int x = first; x <= last; ++x)
        total += weight(x);
    if (!(total > 0.0f))
        total = 1.0f;

    const int channels = isText_ ? 1 : 3;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(height_) * 4);
    for (int y = 0; y < height_; ++y) {
        float sum[3] = {0.0f, 0.0f, 0.0f};
        const std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_ *
                                                       static_cast<std::size_t>(channels);
        for (int x = first; x <= last; ++x) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * channels;
            float w = weight(x);
            for (int c = 0; c < channels; ++c)
                sum[c] += p[c] * w;
        }
        std::uint8_t* o = &out[static_cast<std::size_t>(y) * 4];
        if (isText_) {
            ColumnLight::Rgb rgb = light.at((static_cast<float>(y) + 0.5f) / height_);
            float cover = sum[0] / total / 255.0f;
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<std::uint8_t>(
                    std::lround(rgb[static_cast<std::size_t>(c)] * cover));
        } else {
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[c] / total), 0L, 255L));
        }
        o[3] = 255;
    }
    return out;
}

} // namespace nocturo
