#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace artgen {

// Device pixels per point: every picture is drawn for a 3x screen.
inline constexpr float kScale = 3.0f;

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Colour operator*(Colour c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Colour operator+(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Colour mix(Colour a, Colour b, float t) {
    return a * (1.0f - t) + b * t;
}
inline Colour grey(float v) {
    return {v, v, v};
}

// Fully saturated colour wheel; hue in degrees, wraps around.
Colour hsv(float hueDegrees, float saturation = 1.0f, float value = 1.0f);

// Rainbow order from red (t = 0) to violet (t = 1), with the hue spread so that orange,
// yellow, green, cyan, blue and violet each get a similar share.
Colour spectrum(float t);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);

// Premultiplied RGBA, one float per channel, row-major from the top-left.
// Pixel (x, y) covers [x, x + 1) x [y, y + 1); shapes sample at its centre.
struct Canvas {
    int width;
    int height;
    std::vector<float> px;

    Canvas(int w, int h);

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    float* at(int x, int y) { return &px[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const float* at(int x, int y) const {
        return &px[(static_cast<std::size_t>(y) * width + x) * 4];
    }

    void fill(Colour c, float alpha = 1.0f);
    // Opaque colour for a whole row; keeps vertical gradients PNG-friendly.
    void fillRow(int y, Colour c);
    // Source-over paint of colour c with the given coverage.
    void blend(int x, int y, Colour c, float coverage);
    // Light added on top (long-exposure trails sum up).
    void add(int x, int y, Colour c);
    // Cuts toward full transparency by the given coverage.
    void punch(int x, int y, float coverage);
};

// Channels stored in the file; fewer channels mean smaller files for the same picture.
enum class PngFormat {
    Grey,      // grey pictures (red channel used)
    GreyAlpha, // single-colour overlays
    Rgb,       // opaque colour pictures
    Rgba,
};

// Writes an 8-bit PNG and returns the file size in bytes.
std::size_t writePng(const Canvas& canvas, const std::string& path, PngFormat format);

} // namespace artgen
