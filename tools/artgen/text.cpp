#include "text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace artgen {

struct Font::Impl {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

Font Font::load(const std::string& fileName) {
    const std::string path = std::string(kFontDir) + fileName;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("font not found: " + path +
                                 " (install the DejaVu fonts, e.g. apt-get install "
                                 "fonts-dejavu-core)");
    }
    auto impl = std::make_shared<Impl>();
    impl->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (impl->data.empty() ||
        stbtt_InitFont(&impl->info, impl->data.data(),
                       stbtt_GetFontOffsetForIndex(impl->data.data(), 0)) == 0) {
        throw std::runtime_error("not a usable TrueType font: " + path);
    }
    Font font;
    font.impl_ = std::move(impl);
    return font;
}

namespace {

// Walks the string, giving each glyph's pen x (unscaled advance applied with kerning).
template <typename Fn>
void layout(const stbtt_fontinfo& info, const std::string& text, float scale, Fn fn) {
    float pen = 0.0f;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int cp = static_cast<unsigned char>(text[i]);
        fn(cp, pen);
        int advance = 0;
        int bearing = 0;
        stbtt_GetCodepointHMetrics(&info, cp, &advance, &bearing);
        pen += advance * scale;
        if (i + 1 < text.size()) {
            pen += scale * stbtt_GetCodepointKernAdvance(&info, cp,
                                                         static_cast<unsigned char>(text[i + 1]));
        }
    }
}

} // namespace

Font::Box Font::measure(const std::string& text, float emPx) const {
    const float scale = stbtt_ScaleForMappingEmToPixels(&impl_->info, emPx);
    Box box{1e9f, 1e9f, -1e9f, -1e9f};
    layout(impl_->info, text, scale, [&](int cp, float pen) {
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        if (stbtt_GetCodepointBox(&impl_->info, cp, &x0, &y0, &x1, &y1) == 0) {
            return; // blank glyph such as a space
        }
        box.x0 = std::min(box.x0, pen + x0 * scale);
        box.x1 = std::max(box.x1, pen + x1 * scale);
        box.y0 = std::min(box.y0, -y1 * scale);
        box.y1 = std::max(box.y1, -y0 * scale);
    });
    return box.x0 > box.x1 ? Box{0, 0, 0, 0} : box;
}

void Font::draw(Canvas& canvas, const std::string& text, float emPx, float penX, float baselineY,
                Colour colour, float opacity) const {
    const stbtt_fontinfo& info = impl_->info;
    const float scale = stbtt_ScaleForMappingEmToPixels(&info, emPx);
    const float originY = std::floor(baselineY);
    const float shiftY = baselineY - originY;
    layout(info, text, scale, [&](int cp, float pen) {
        const float gx = penX + pen;
        const float originX = std::floor(gx);
        const float shiftX = gx - originX;
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        stbtt_GetCodepointBitmapBoxSubpixel(&info, cp, scale, scale, shiftX, shiftY, &x0, &y0, &x1,
                                            &y1);
        const int w = x1 - x0;
        const int h = y1 - y0;
        if (w <= 0 || h <= 0) {
            return;
        }
        std::vector<unsigned char> bitmap(static_cast<std::size_t>(w) * h);
        stbtt_MakeCodepointBitmapSubpixel(&info, bitmap.data(), w, h, w, scale, scale, shiftX,
                                          shiftY, cp);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const float coverage = bitmap[static_cast<std::size_t>(y) * w + x] / 255.0f;
                canvas.blend(static_cast<int>(originX) + x0 + x, static_cast<int>(originY) + y0 + y,
                             colour, coverage * opacity);
            }
        }
    });
}

void Font::drawCentred(Canvas& canvas, const std::string& text, float emPx, float cx, float cy,
                       Colour colour, VerticalCentre how, float opacity) const {
    const Box ink = measure(text, emPx);
    float baseline = cy - (ink.y0 + ink.y1) * 0.5f;
    if (how == VerticalCentre::CapHeight) {
        const Box caps = measure("H", emPx);
        baseline = cy - caps.y0 * 0.5f;
    }
    draw(canvas, text, emPx, cx - (ink.x0 + ink.x1) * 0.5f, baseline, colour, opacity);
}

} // namespace artgen
