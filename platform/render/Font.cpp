#include "platform/render/Font.h"

#include <cmath>
#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace nocturo {

struct Font::Info {
    stbtt_fontinfo font;
    int ascent = 0;
    int descent = 0;
};

Font::Font() = default;
Font::~Font() = default;

bool Font::loadFile(const std::string& path) {
    info_.reset();
    glyphs_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (data_.empty())
        return false;
    auto info = std::make_unique<Info>();
    int offset = stbtt_GetFontOffsetForIndex(data_.data(), 0);
    if (offset < 0 || !stbtt_InitFont(&info->font, data_.data(), offset))
        return false;
    int lineGap = 0;
    stbtt_GetFontVMetrics(&info->font, &info->ascent, &info->descent, &lineGap);
    info_ = std::move(info);
    return true;
}

float Font::ascent(float pixels) const {
    if (!info_)
        return 0.0f;
    return static_cast<float>(info_->ascent) *
           stbtt_ScaleForMappingEmToPixels(&info_->font, pixels);
}

float Font::descent(float pixels) const {
    if (!info_)
        return 0.0f;
    return static_cast<float>(info_->descent) *
           stbtt_ScaleForMappingEmToPixels(&info_->font, pixels);
}

const Font::Glyph& Font::glyph(char32_t codepoint, float pixels) {
    int size = static_cast<int>(std::lround(pixels * 16.0f));
    auto key = std::make_pair(codepoint, size);
    if (auto it = glyphs_.find(key); it != glyphs_.end())
        return it->second;
    Glyph g;
    if (info_ && size > 0) {
        float scale =
            stbtt_ScaleForMappingEmToPixels(&info_->font, static_cast<float>(size) / 16.0f);
        int index = stbtt_FindGlyphIndex(&info_->font, static_cast<int>(codepoint));
        int advance = 0, bearing = 0;
        stbtt_GetGlyphHMetrics(&info_->font, index, &advance, &bearing);
        g.advance = static_cast<float>(advance) * scale;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetGlyphBitmapBox(&info_->font, index, scale, scale, &x0, &y0, &x1, &y1);
        if (x1 > x0 && y1 > y0) {
            g.left = x0;
            g.top = y0;
            g.width = x1 - x0;
            g.height = y1 - y0;
            g.coverage.resize(static_cast<std::size_t>(g.width) *
                              static_cast<std::size_t>(g.height));
            stbtt_MakeGlyphBitmap(&info_->font, g.coverage.data(), g.width, g.height, g.width,
                                  scale, scale, index);
        }
    }
    return glyphs_.emplace(key, std::move(g)).first->second;
}

float Font::kerning(char32_t left, char32_t right, float pixels) const {
    if (!info_)
        return 0.0f;
    return static_cast<float>(stbtt_GetCodepointKernAdvance(&info_->font, static_cast<int>(left),
                                                            static_cast<int>(right))) *
           stbtt_ScaleForMappingEmToPixels(&info_->font, pixels);
}

float Font::measure(std::u32string_view text, float pixels) {
    float pen = 0.0f;
    for (std::size_t i = 0; i < text.size(); ++i) {
        pen += glyph(text[i], pixels).advance;
        if (i + 1 < text.size())
            pen += kerning(text[i], text[i + 1], pixels);
    }
    return pen;
}

std::u32string Font::decode(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c >> 6) != 2) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace nocturo
