// The painter on tiny bitmaps: what lands inside, outside and on the edges.

#include "platform/render/Blend.h"
#include "platform/render/Font.h"
#include "platform/render/ImageCache.h"
#include "platform/render/Painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <vector>

namespace nocturo {
namespace {

Framebuffer blackBitmap(int w, int h) {
    Framebuffer fb;
    fb.resize(w, h);
    for (std::size_t i = 3; i < fb.pixels.size(); i += 4)
        fb.pixels[i] = 255;
    return fb;
}

int red(const Framebuffer& fb, int x, int y) {
    return fb.at(x, y)[0];
}
int green(const Framebuffer& fb, int x, int y) {
    return fb.at(x, y)[1];
}

// A picture of `size` pixels a side: opaque black with a clear disc touching its edges, the
// way the spot's mask is drawn.
std::shared_ptr<const Image> discMask(int size) {
    auto image = std::make_shared<Image>();
    image->name = "disc";
    image->width = image->height = size;
    image->scale = 3.0f;
    image->pixels.assign(static_cast<std::size_t>(size) * size * 4, 0);
    float c = size / 2.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            bool inside = dx * dx + dy * dy <= c * c;
            image->pixels[(static_cast<std::size_t>(y) * size + x) * 4 + 3] = inside ? 0 : 255;
        }
    return image;
}

std::shared_ptr<const Image> checker(int w, int h, float scale) {
    auto image = std::make_shared<Image>();
    image->name = "checker";
    image->width = w;
    image->height = h;
    image->scale = scale;
    image->pixels.resize(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = image->pixels.data() + (static_cast<std::size_t>(y) * w + x) * 4;
            p[0] = (x + y) % 2 ? 255 : 0;
            p[1] = static_cast<std::uint8_t>(x * 40);
            p[2] = static_cast<std::uint8_t>(y * 40);
            p[3] = 255;
        }
    return image;
}

TEST(RenderPainter, RectOnTheLastPixelFillsExactlyThatPixel) {
    Framebuffer fb = blackBitmap(4, 3);
    Painter painter(fb, 1.0f);
    painter.fillRect({3, 2, 1, 1}, Color::redColor());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(red(fb, x, y), x == 3 && y == 2 ? 255 : 0) << x << "," << y;
}

TEST(RenderPainter, RectPastTheBitmapIsClippedToIt) {
    Framebuffer fb = blackBitmap(4, 4);
    Painter painter(fb, 1.0f);
    painter.fillRect({2, 2, 100, 100}, Color::redColor());
    painter.fillRect({-50, -50, 51, 51}, Color::greenColor());
    EXPECT_EQ(red(fb, 3, 3), 255);
    EXPECT_EQ(red(fb, 1, 1), 0);
    EXPECT_EQ(green(fb, 0, 0), 255);
    EXPECT_EQ(green(fb, 1, 0), 0);
}

TEST(RenderPainter, FractionalEdgesCoverPartOfAPixel) {
    Framebuffer fb = blackBitmap(4, 1);
    Painter painter(fb, 1.0f);
    painter.fillRect({0.5f, 0, 2, 1}, Color::whiteColor());
    EXPECT_NEAR(red(fb, 0, 0), 128, 1);
    EXPECT_EQ(red(fb, 1, 0), 255);
    EXPECT_NEAR(red(fb, 2, 0), 128, 1);
    EXPECT_EQ(red(fb, 3, 0), 0);
}

// At the scales of real windows and phones rect edges fall inside pixels: such a pixel is
// still drawn, by the part of it the rect covers.
TEST(RenderPainter, EdgesInsidePixelsAtFractionalScalesColourThemByCoverage) {
    Framebuffer fb = blackBitmap(4, 1);
    Painter painter(fb, 1.0f);
    painter.fillRect({0.3f, 0, 2.0f, 1}, Color::whiteColor());
    EXPECT_NEAR(red(fb, 0, 0), 0.7 * 255, 1);
    EXPECT_EQ(red(fb, 1, 0), 255);
    EXPECT_NEAR(red(fb, 2, 0), 0.3 * 255, 1);
    EXPECT_EQ(red(fb, 3, 0), 0);

    for (float scale : {1.25f, 3.66f}) {
        Framebuffer big = blackBitmap(12, 12);
        Painter scaled(big, scale);
        scaled.fillRect({1, 1, 1, 1}, Color::whiteColor());
        // [scale, 2 scale) in pixels: the first and last pixels it reaches are partly covered.
        int first = static_cast<int>(scale), last = static_cast<int>(2 * scale);
        double startCover = first + 1 - scale, endCover = 2 * scale - last;
        EXPECT_NEAR(red(big, first, first), startCover * startCover * 255, 1) << scale;
        EXPECT_NEAR(red(big, last, first), endCover * startCover * 255, 1) << scale;
        EXPECT_EQ(red(big, first - 1, first), 0) << scale;
        EXPECT_EQ(red(big, last + 1, first), 0) << scale;
    }
}

TEST(RenderPainter, ScaleMultipliesPointsIntoPixels) {
    Framebuffer fb = blackBitmap(9, 9);
    Painter painter(fb, 3.0f);
    painter.fillRect({1, 1, 1, 1}, Color::redColor());
    EXPECT_EQ(red(fb, 2, 2), 0);
    EXPECT_EQ(red(fb, 3, 3), 255);
    EXPECT_EQ(red(fb, 5, 5), 255);
    EXPECT_EQ(red(fb, 6, 6), 0);
}

TEST(RenderPainter, ClipKeepsDrawingInsideAndScopeRestoresIt) {
    Framebuffer fb = blackBitmap(6, 6);
    Painter painter(fb, 1.0f);
    {
        Painter::Scope scope(painter);
        painter.translate(1, 1);
        painter.clipTo({0, 0, 2, 2});
        painter.fillRect({-10, -10, 100, 100}, Color::redColor());
        painter.fillCircle({1, 1}, 10, Color::greenColor());
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
            EXPECT_EQ(green(fb, x, y), inside ? 255 : 0) << x << "," << y;
        }
    EXPECT_EQ(painter.clip(), (PixelRect{0, 0, 6, 6}));
    EXPECT_EQ(painter.translation(), (Point{0, 0}));
}

TEST(RenderPainter, AlphaAndOpacityMultiply) {
    Framebuffer fb = blackBitmap(2, 1);
    Painter painter(fb, 1.0f);
    painter.multiplyOpacity(0.5f);
    painter.fillRect({0, 0, 1, 1}, {1, 1, 1, 0.5f});
    painter.fillRect({1, 0, 1, 1}, Color::whiteColor());
    EXPECT_NEAR(red(fb, 0, 0), 64, 1);
    EXPECT_NEAR(red(fb, 1, 0), 128, 1);
}

TEST(RenderPainter, ClearColourDrawsNothing) {
    Framebuffer fb = blackBitmap(2, 2);
    Painter painter(fb, 1.0f);
    painter.fillRect({0, 0, 2, 2}, Color::clearColor());
    painter.fillRoundedRect({0, 0, 2, 2}, 1, {1, 1, 1, 0});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(red(fb, x, y), 0);
}

// The smallest spots are a few pixels across: the middle is lit, the corners are not, the
// shape is symmetric, and nothing lands outside it.
TEST(RenderPainter, SpotOfTwoAndAHalfPointsIsRoundAndCentred) {
    Framebuffer fb = blackBitmap(5, 5);
    Painter painter(fb, 1.0f);
    painter.fillCircle({2.5f, 2.5f}, 1.25f, Color::whiteColor());
    EXPECT_EQ(red(fb, 2, 2), 255);
    EXPECT_EQ(red(fb, 0, 0), 0);
    EXPECT_EQ(red(fb, 4, 4), 0);
    EXPECT_GT(red(fb, 1, 2), 0);
    EXPECT_LT(red(fb, 1, 2), 255);
    EXPECT_EQ(red(fb, 1, 2), red(fb, 3, 2));
    EXPECT_EQ(red(fb, 2, 1), red(fb, 2, 3));
    EXPECT_EQ(red(fb, 1, 1), red(fb, 3, 3));
    int total = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            total += red(fb, x, y);
    // The disc's area, pi * 1.25^2 = 4.9 pixels, within a pixel.
    EXPECT_NEAR(total / 255.0, 4.91, 1.0);
}

TEST(RenderPainter, MaskPictureShrunkToTwoAndAHalfPointsLetsTheLightThroughItsMiddle) {
    auto mask = discMask(60);
    ImageCache cache;
    for (float scale : {1.0f, 2.0f, 3.0f}) {
        int size = static_cast<int>(std::ceil(6 * scale));
        Framebuffer fb;
        fb.resize(size, size);
        Painter painter(fb, scale);
        painter.fillRect({0, 0, 6, 6}, Color::yellowColor());
        Rect spot{1.75f, 1.75f, 2.5f, 2.5f};
        Rect p = painter.toPixels(spot);
        const ScaledImage* scaled =
            cache.scaled(mask, {p.minX(), p.minY(), p.width(), p.height(), painter.clip()});
        ASSERT_NE(scaled, nullptr);
        painter.drawImage(*scaled);
        int mid = size / 2;
        EXPECT_GT(red(fb, mid, mid), 150) << scale; // light through the disc
        EXPECT_EQ(red(fb, 0, 0), 255) << scale;     // outside the mask: the yellow
        EXPECT_LT(
            red(fb, static_cast<int>(std::floor(p.minX())), static_cast<int>(std::floor(p.minY()))),
            255)
            << scale; // the mask's corner darkens
        EXPECT_EQ(scaled->area, painter.enclosing(spot)) << scale;
    }
}

TEST(RenderPainter, PictureAtItsOwnScaleIsCopiedPixelForPixel) {
    auto image = checker(6, 3, 3.0f);
    ImageCache cache;
    Framebuffer fb = blackBitmap(8, 5);
    Painter painter(fb, 3.0f);
    Rect p = painter.toPixels({1.0f / 3.0f, 1.0f / 3.0f, 2, 1});
    const ScaledImage* scaled =
        cache.scaled(image, {p.minX(), p.minY(), p.width(), p.height(), painter.clip()});
    ASSERT_NE(scaled, nullptr);
    painter.drawImage(*scaled);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(fb.at(x + 1, y + 1)[c], image->pixels[(y * 6 + x) * 4 + c]);
    EXPECT_EQ(red(fb, 0, 0), 0);
    EXPECT_EQ(red(fb, 7, 4), 0);
}

TEST(RenderPainter, PictureDrawnAgainAtTheSamePlaceIsNotResampled) {
    auto image = checker(30, 30, 3.0f);
    ImageCache cache;
    Framebuffer fb = blackBitmap(20, 20);
    ImageCache::Placement place{0.5f, 0.25f, 17.0f, 13.0f, {0, 0, 20, 20}};
    ASSERT_NE(cache.scaled(image, place), nullptr);
    ASSERT_NE(cache.scaled(image, place), nullptr);
    EXPECT_EQ(cache.resampleCount(), 1u);
    place.width = 16.0f;
    ASSERT_NE(cache.scaled(image, place), nullptr);
    EXPECT_EQ(cache.resampleCount(), 2u);
    EXPECT_TRUE(cache.isOpaque(image));
    EXPECT_FALSE(cache.isOpaque(discMask(8)));
}

// A picture that reads the same mirrored has half its target pixels copied from the other
// half; they must be the pixels that computing each of them gives, but for the rounding of sums
// taken in the other order. A clear pixel's colour, which weighs nothing, breaks the picture's
// mirror image without changing what it draws.
TEST(RenderPainter, MirroredPictureResamplesAsIfEveryPixelWereComputed) {
    auto mirrored = std::const_pointer_cast<Image>(discMask(60));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            std::uint8_t* p = mirrored->pixels.data() + (y * 60 + x) * 4;
            if (p[3] != 0) // greys that grow away from the middle column
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(std::abs(2 * x - 59) * 4);
        }
    auto broken = std::make_shared<Image>(*mirrored);
    broken->pixels[(30 * 60 + 29) * 4] = 7; // inside the disc, clear
    ImageCache cache;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> size(34.0f, 70.0f), shift(-3.0f, 3.0f);
    for (int round = 0; round < 60; ++round) {
        const float w = size(random), h = round % 3 ? w : size(random);
        // Centred on a pixel's corner or middle, so that its target pixels mirror too; and
        // sometimes not, or clipped on one side.
        const float cx = 40.0f + (round % 4) * 0.5f + (round % 5 == 0 ? shift(random) : 0.0f);
        const float cy = 40.0f + (round % 2) * 0.5f;
        const PixelRect visible = round % 7 == 0   ? PixelRect{0, 0, 80, 60}
                                  : round % 6 == 0 ? PixelRect{10, 10, 70, 70}
                                                   : PixelRect{0, 0, 80, 80};
        const ImageCache::Placement place{cx - w / 2, cy - h / 2, w, h, visible};
        Framebuffer drawn[2] = {blackBitmap(80, 80), blackBitmap(80, 80)};
        for (int k = 0; k < 2; ++k) {
            const ScaledImage* scaled = cache.scaled(k ? broken : mirrored, place);
            ASSERT_NE(scaled, nullptr);
            Painter painter(drawn[k], 1.0f);
            painter.fillRect({0, 0, 80, 80}, Color::yellowColor());
            painter.drawImage(*scaled);
        }
        for (std::size_t i = 0; i < drawn[0].pixels.size(); ++i)
            ASSERT_NEAR(drawn[0].pixels[i], drawn[1].pixels[i], 1)
                << w << " x " << h << " at " << cx << ", " << cy << ": byte " << i;
    }
}

TEST(RenderPainter, PictureOutsideTheClipOrOfNoSizeIsSkipped) {
    auto image = checker(4, 4, 1.0f);
    ImageCache cache;
    EXPECT_EQ(cache.scaled(image, {10, 10, 4, 4, {0, 0, 5, 5}}), nullptr);
    EXPECT_EQ(cache.scaled(image, {0, 0, 0, 4, {0, 0, 5, 5}}), nullptr);
    EXPECT_EQ(cache.scaled(nullptr, {0, 0, 4, 4, {0, 0, 5, 5}}), nullptr);
    const ScaledImage* part = cache.scaled(image, {-2, -2, 4, 4, {0, 0, 5, 5}});
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->area, (PixelRect{0, 0, 2, 2}));
}

TEST(RenderPainter, StrokeLeavesTheInsideAlone) {
    Framebuffer fb = blackBitmap(10, 10);
    Painter painter(fb, 1.0f);
    painter.strokeRoundedRect({0, 0, 10, 10}, 3, 1, Color::whiteColor());
    EXPECT_EQ(red(fb, 5, 0), 255);
    EXPECT_EQ(red(fb, 0, 5), 255);
    EXPECT_EQ(red(fb, 9, 5), 255);
    EXPECT_EQ(red(fb, 5, 5), 0);
    EXPECT_EQ(red(fb, 2, 5), 0);
    EXPECT_LT(red(fb, 0, 0), 64); // the rounded corner
}

TEST(RenderPainter, TextLandsInsideItsBoxAndReadsUtf8) {
    Font font;
    ASSERT_TRUE(font.loadFile(std::string(NOCTURO_RESOURCE_DIR) + "/fonts/DejaVuSans.ttf"));
    EXPECT_EQ(Font::decode("a\xC2\xB0\xE2\x80\xA6"), (std::u32string{U'a', 0xB0, 0x2026}));
    EXPECT_EQ(Font::decode("\xE2\x80"), (std::u32string{0xFFFD, 0xFFFD}));
    EXPECT_GT(font.measure(U"Settings", 15.0f), font.measure(U"Set", 15.0f));
    EXPECT_GT(font.glyph(0x2026, 15.0f).width, 0); // the ellipsis is in the subset
    EXPECT_GT(font.glyph(0xB0, 15.0f).width, 0);

    Framebuffer fb = blackBitmap(60, 20);
    Painter painter(fb, 1.0f);
    painter.clipToPixels({0, 0, 30, 20});
    painter.drawText(font, U"HHHHHHHH", 14.0f, {2, 15}, Color::whiteColor());
    int inside = 0, outside = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            (x < 30 ? inside : outside) += red(fb, x, y);
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
}

TEST(RenderPainter, MissingFontDrawsNoText) {
    Font font;
    EXPECT_FALSE(font.loadFile("/nonexistent/font.ttf"));
    Framebuffer fb = blackBitmap(10, 10);
    Painter painter(fb, 1.0f);
    painter.drawText(font, U"x", 12.0f, {0, 9}, Color::whiteColor());
    EXPECT_EQ(font.measure(U"x", 12.0f), 0.0f);
}

// Spans take wide stores and the library's fills where they can; what lands must be what the
// same pixels get one at a time, for every length and every kind of source pixel.
TEST(RenderPainter, SpansLandAsTheirPixelsOneAtATime) {
    std::mt19937 random(7);
    auto bytes = [&](std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (auto& b : v)
            b = static_cast<std::uint8_t>(random());
        return v;
    };
    for (int count : {1, 3, 4, 7, 16, 63, 64, 100}) {
        const auto n = static_cast<std::size_t>(count) * 4;
        std::vector<std::uint8_t> source = bytes(n), under = bytes(n);
        // Premultiplied, as pictures are kept, then a few that are not, which wrap.
        for (std::size_t i = 0; i < n; i += 4)
            for (std::size_t c = 0; c < 3 && i < n - 8; ++c)
                source[i + c] = std::min(source[i + c], source[i + 3]);
        std::vector<std::uint8_t> span = under, single = under;
        blend::blendPremultipliedSpan(span.data(), source.data(), count, 255);
        for (std::size_t i = 0; i < n; i += 4)
            blend::blendPremultipliedSpan(single.data() + i, source.data() + i, 1, 255);
        EXPECT_EQ(span, single) << count << " pixels blended";

        const std::uint8_t colour[4] = {9, 80, 200, 255};
        span = under;
        blend::fillSpan(span.data(), count, colour);
        for (std::size_t i = 0; i < n; i += 4)
            EXPECT_EQ(0, std::memcmp(span.data() + i, colour, 4)) << count << " pixels filled";
    }
}

} // namespace
} // namespace nocturo
