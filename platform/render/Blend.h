#pragma once

// The pixel operations every drawing comes down to. Destinations are opaque RGBA8, so straight
// and premultiplied colour are the same there; sources are straight colours with an 8-bit
// alpha, or premultiplied pixels.

#include <cstdint>
#include <cstring>
#include <cwchar>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nocturo::blend {

// x / 255, rounded, for x in [0, 255 * 255].
constexpr std::uint32_t div255(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

constexpr std::uint8_t toByte(float v) {
    return v <= 0.0f ? 0 : v >= 1.0f ? 255 : static_cast<std::uint8_t>(v * 255.0f + 0.5f);
}

// Whether the C library fills 32-bit patterns with the widest stores the processor has, as it
// does bytes for memset: glibc's wmemset, where a wide character is 32 bits.
#if defined(__GLIBC__) && __WCHAR_MAX__ > 0xffff
inline constexpr bool libraryFills = true;
#else
inline constexpr bool libraryFills = false;
#endif

// One colour over `count` pixels: a long span by the library where it fills fast; otherwise
// four pixels a store, so that short spans (a flip fills many of 4 to 32 pixels) take wide
// stores too; then one pixel at a time.
inline void fillSpan(std::uint8_t* p, int count, const std::uint8_t rgba[4]) {
    if constexpr (libraryFills) {
        if (count >= 64 && reinterpret_cast<std::uintptr_t>(p) % alignof(wchar_t) == 0) {
            wchar_t pattern;
            static_assert(sizeof pattern == 4);
            std::memcpy(&pattern, rgba, 4);
            std::wmemset(reinterpret_cast<wchar_t*>(p), pattern, static_cast<std::size_t>(count));
            return;
        }
    }
    int i = 0;
    if (count >= 4) {
#if defined(__SSE2__)
        std::uint32_t colour;
        std::memcpy(&colour, rgba, 4);
        const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
        auto store = [&](int at) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + static_cast<std::size_t>(at) * 4),
                             four);
        };
        for (; i + 16 <= count; i += 16) {
            store(i);
            store(i + 4);
            store(i + 8);
            store(i + 12);
        }
        for (; i + 4 <= count; i += 4)
            store(i);
#else
        std::uint8_t pattern[64];
        for (int k = 0; k < 16; ++k)
            std::memcpy(pattern + k * 4, rgba, 4);
        for (; i + 16 <= count; i += 16)
            std::memcpy(p + static_cast<std::size_t>(i) * 4, pattern, 64);
        for (; i + 4 <= count; i += 4)
            std::memcpy(p + static_cast<std::size_t>(i) * 4, pattern, 16);
#endif
    }
    for (; i < count; ++i)
        std::memcpy(p + static_cast<std::size_t>(i) * 4, rgba, 4);
}

// A straight colour with alpha `a` (0..255) over `count` pixels.
inline void blendSpan(std::uint8_t* p, int count, const std::uint8_t rgba[4], std::uint32_t a) {
    if (a == 0)
        return;
    if (a >= 255) {
        fillSpan(p, count, rgba);
        return;
    }
    const std::uint32_t r = rgba[0] * a, g = rgba[1] * a, b = rgba[2] * a, keep = 255 - a;
    for (int i = 0; i < count; ++i, p += 4) {
        p[0] = static_cast<std::uint8_t>(div255(r + p[0] * keep));
        p[1] = static_cast<std::uint8_t>(div255(g + p[1] * keep));
        p[2] = static_cast<std::uint8_t>(div255(b + p[2] * keep));
        p[3] = 255;
    }
}

inline void blendPixel(std::uint8_t* p, const std::uint8_t rgba[4], std::uint32_t a) {
    if (a == 0)
        return;
    if (a >= 255) {
        std::memcpy(p, rgba, 4);
        return;
    }
    const std::uint32_t keep = 255 - a;
    p[0] = static_cast<std::uint8_t>(div255(rgba[0] * a + p[0] * keep));
    p[1] = static_cast<std::uint8_t>(div255(rgba[1] * a + p[1] * keep));
    p[2] = static_cast<std::uint8_t>(div255(rgba[2] * a + p[2] * keep));
    p[3] = 255;
}

// Premultiplied pixels over the destination, each scaled by `opacity` (0..255).
inline void blendPremultipliedSpan(std::uint8_t* d, const std::uint8_t* s, int count,
                                   std::uint32_t opacity) {
    if (opacity >= 255) {
        int i = 0;
#if defined(__SSE2__)
        // Two pixels a register, a byte a 16-bit lane, in the same steps as below: no product
        // passes 255 * 255 + 255, and each sum keeps its low byte as the narrowing cast does.
        const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(255);
        const __m128i half = _mm_set1_epi16(128), low = _mm_set1_epi16(0xff);
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
        auto two = [&](__m128i dst, __m128i src) {
            __m128i keep =
                _mm_sub_epi16(ones, _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, 0xff), 0xff));
            __m128i x = _mm_add_epi16(_mm_mullo_epi16(dst, keep), half);
            x = _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
            return _mm_and_si128(_mm_add_epi16(src, x), low);
        };
        for (; i + 4 <= count; i += 4, d += 16, s += 16) {
            const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i lo = two(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(src, zero));
            const __m128i hi = two(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(src, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                             _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
        }
#endif
        for (; i < count; ++i, d += 4, s += 4) {
            std::uint32_t keep = 255u - s[3];
            d[0] = static_cast<std::uint8_t>(s[0] + div255(d[0] * keep));
            d[1] = static_cast<std::uint8_t>(s[1] + div255(d[1] * keep));
            d[2] = static_cast<std::uint8_t>(s[2] + div255(d[2] * keep));
            d[3] = 255;
        }
        return;
    }
    for (int i = 0; i < count; ++i, d += 4, s += 4) {
        std::uint32_t sa = div255(s[3] * opacity), keep = 255u - sa;
        d[0] = static_cast<std::uint8_t>(div255(s[0] * opacity) + div255(d[0] * keep));
        d[1] = static_cast<std::uint8_t>(div255(s[1] * opacity) + div255(d[1] * keep));
        d[2] = static_cast<std::uint8_t>(div255(s[2] * opacity) + div255(d[2] * keep));
        d[3] = 255;
    }
}

// One premultiplied colour over `count` pixels, scaled by `opacity` (0..255).
inline void blendPremultipliedColourSpan(std::uint8_t* d, const std::uint8_t s[4], int count,
                                         std::uint32_t opacity) {
    const std::uint32_t o = opacity >= 255 ? 255 : opacity;
    const std::uint32_t r = o >= 255 ? s[0] : div255(s[0] * o);
    const std::uint32_t g = o >= 255 ? s[1] : div255(s[1] * o);
    const std::uint32_t b = o >= 255 ? s[2] : div255(s[2] * o);
    const std::uint32_t keep = 255u - (o >= 255 ? s[3] : div255(s[3] * o));
    for (int i = 0; i < count; ++i, d += 4) {
        d[0] = static_cast<std::uint8_t>(r + div255(d[0] * keep));
        d[1] = static_cast<std::uint8_t>(g + div255(d[1] * keep));
        d[2] = static_cast<std::uint8_t>(b + div255(d[2] * keep));
        d[3] = 255;
    }
}

// d = a + (b - a) * t, for t in 0..256.
inline void mixSpan(std::uint8_t* d, const std::uint8_t* a, const std::uint8_t* b, int count,
                    std::uint32_t t) {
    const std::uint32_t u = 256 - t;
    for (int i = 0; i < count * 4; ++i)
        d[i] = static_cast<std::uint8_t>((a[i] * u + b[i] * t + 128) >> 8);
}

} // namespace nocturo::blend
