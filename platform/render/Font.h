#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nocturo {

// One TrueType face, rasterised glyph by glyph at the pixel sizes asked for and kept.
class Font {
public:
    // A glyph's coverage, placed relative to the pen on the baseline.
    struct Glyph {
        int left = 0; // from the pen to the bitmap's first column
        int top = 0;  // from the baseline to the bitmap's first row (negative: above)
        int width = 0;
        int height = 0;
        float advance = 0.0f;
        std::vector<std::uint8_t> coverage;
    };

    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // False, leaving the font empty, when the file cannot be read or is not a font.
    bool loadFile(const std::string& path);
    bool isLoaded() const { return info_ != nullptr; }

    // Ascent and descent (negative) for a font size of `pixels` to the em.
    float ascent(float pixels) const;
    float descent(float pixels) const;
    const Glyph& glyph(char32_t codepoint, float pixels);
    float kerning(char32_t left, char32_t right, float pixels) const;
    // The pen advance of a whole line.
    float measure(std::u32string_view text, float pixels);

    // Code points of UTF-8 text; a malformed byte reads as U+FFFD.
    static std::u32string decode(std::string_view utf8);

private:
    struct Info;
    std::vector<unsigned char> data_;
    std::unique_ptr<Info> info_;
    std::map<std::pair<char32_t, int>, Glyph> glyphs_; // by code point and size in 1/16 pixel
};

} // namespace nocturo
