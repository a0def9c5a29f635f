// The band that writes a picture's column: drawn by the renderer in the painting screen's
// place, compared with golden pictures at 1x and 3x (NOCTURO_UPDATE_GOLDEN=1 writes missing
// ones), and pixel by pixel at its edges.

#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/render/PngFile.h"
#include "platform/render/Renderer.h"
#include "writing/BandView.h"
#include "writing/BuiltInPictures.h"
#include "writing/WritingPicture.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace nocturo {
namespace {

class Band : public ::testing::Test {
protected:
    Band() {
        window.setRunLoop(&loop);
        window.setBackgroundColor(Color::blackColor());
        window.addSubview(&band);
        application.setStatusBarHidden(true, false);
    }

    const Framebuffer& draw(float scale) {
        renderer.draw(window, application, 0.0, scale, frame);
        return frame;
    }
    std::vector<int> pixel(int x, int y) const {
        const std::uint8_t* p = frame.at(x, y);
        return {p[0], p[1], p[2]};
    }

    RunLoop loop;
    Window window{{0, 0, 320, 480}};
    Application application;
    ImageLibrary images{NOCTURO_RESOURCE_DIR};
    Renderer renderer{images};
    BandView band{{0, 0, 320, 480}};
    Framebuffer frame;
};

TEST_F(Band, ShowsTheColumnStretchedToTheScreenInACentredBandOnBlack) {
    // Two rows, red over blue; a band 10 points wide.
    band.setBandWidth(10.0f);
    band.setColumn({255, 0, 0, 255, 0, 0, 255, 255});
    draw(1.0f);
    const std::vector<int> black{0, 0, 0}, red{255, 0, 0}, blue{0, 0, 255};
    EXPECT_EQ(pixel(155, 0), red);
    EXPECT_EQ(pixel(164, 100), red);
    EXPECT_EQ(pixel(160, 479), blue);
    EXPECT_EQ(pixel(154, 100), black);
    EXPECT_EQ(pixel(165, 100), black);
    EXPECT_EQ(pixel(0, 0), black);
    // Between the two rows the colours blend, so a short column stretches smoothly.
    EXPECT_GT(pixel(160, 240)[0], 0);
    EXPECT_GT(pixel(160, 240)[2], 0);

    band.setColumn({});
    draw(1.0f);
    EXPECT_EQ(pixel(160, 100), black);
    band.setBandWidth(500.0f);
    EXPECT_EQ(band.bandWidth(), BandView::maxBandWidth);
    band.setBandWidth(0.0f);
    EXPECT_EQ(band.bandWidth(), BandView::minBandWidth);
}

TEST_F(Band, MatchesItsGoldenPictures) {
    auto wave = images.imageNamed(std::string(BuiltInPictures::entries[3].file));
    ASSERT_NE(wave, nullptr);
    WritingPicture picture = WritingPicture::fromImage(*wave);
    band.setBandWidth(24.5f);
    band.setColumn(picture.column(70, 180));
    for (float scale : {1.0f, 3.0f}) {
        const std::string name = scale == 1.0f ? "writing_band" : "writing_band_3x";
        const std::string path = std::string(NOCTURO_TEST_DIR) + "/golden/" + name + ".png";
        const Framebuffer& actual = draw(scale);
        auto golden = readPng(path);
        if (!golden) {
            const char* update = std::getenv("NOCTURO_UPDATE_GOLDEN");
            ASSERT_TRUE(update && std::string(update) == "1")
                << "no golden picture " << path << " (NOCTURO_UPDATE_GOLDEN=1 writes it)";
            ASSERT_TRUE(writePng(actual, path));
            continue;
        }
        ASSERT_EQ(golden->width, actual.width);
        ASSERT_EQ(golden->height, actual.height);
        int worst = 0;
        for (std::size_t i = 0; i < actual.pixels.size(); ++i)
            worst = std::max(worst, std::abs(actual.pixels[i] - golden->pixels[i]));
        if (worst > 2)
            writePng(actual, "render_actual_" + name + ".png");
        EXPECT_LE(worst, 2) << name;
    }
}

} // namespace
} // namespace nocturo
