#pragma once

namespace nocturo {

// Red, green, blue and alpha, each from 0 to 1, as 32-bit floats.
struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;

    constexpr Color() = default;
    constexpr Color(float r, float g, float b, float a) : red(r), green(g), blue(b), alpha(a) {}
    constexpr bool operator==(const Color&) const = default;

    static constexpr Color clearColor() { return {0, 0, 0, 0}; }
    static constexpr Color blackColor() { return {0, 0, 0, 1}; }
    static constexpr Color whiteColor() { return {1, 1, 1, 1}; }
    static constexpr Color yellowColor() { return {1, 1, 0, 1}; }
    static constexpr Color redColor() { return {1, 0, 0, 1}; }
    static constexpr Color greenColor() { return {0, 1, 0, 1}; }
    static constexpr Color blueColor() { return {0, 0, 1, 1}; }
    static constexpr Color grey(float level) { return {level, level, level, 1}; }
};

} // namespace nocturo
