// A written picture's pass: which column shows when, mirrored, resampled to the display's rate,
// and the walk that keeps the picture's proportions.

#include "writing/PassTiming.h"
#include "writing/WalkGuidance.h"
#include "writing/WritingPicture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <set>
#include <vector>

namespace nocturo {
namespace {

// A picture of three one-pixel columns: red, green, blue.
WritingPicture threeColumns() {
    Image image;
    image.width = 3;
    image.height = 2;
    image.pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                    255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
    return WritingPicture::fromImage(image);
}

// The colour of the band at `time`: 'r', 'g' or 'b', or '-' for black.
char shown(const WritingPicture& picture, const PassTiming& timing, double time) {
    std::optional<int> column = timing.columnAt(time);
    if (!column)
        return '-';
    std::vector<std::uint8_t> rgba = picture.column(*column, timing.columns());
    return rgba[0] == 255 ? 'r' : rgba[1] == 255 ? 'g' : rgba[2] == 255 ? 'b' : '?';
}

TEST(WritingPass, ThreeColumnsInThreeSecondsShowOneASecondThenBlack) {
    WritingPicture picture = threeColumns();
    PassTiming timing(picture.width(), 3.0);
    EXPECT_EQ(timing.columns(), 3);
    EXPECT_DOUBLE_EQ(timing.columnRate(), 1.0);
    const double times[] = {-0.001, 0.0, 0.5, 0.999999, 1.0, 1.999999, 2.0, 2.999999, 3.0, 60.0};
    std::string seen;
    for (double t : times)
        seen += shown(picture, timing, t);
    EXPECT_EQ(seen, "-rrrggbb--");
    EXPECT_DOUBLE_EQ(timing.nextChangeAfter(0.5), 1.0);
    EXPECT_DOUBLE_EQ(timing.nextChangeAfter(2.5), 3.0);

    PassTiming mirrored(picture.width(), 3.0, 60.0, true);
    seen.clear();
    for (double t : times)
        seen += shown(picture, mirrored, t);
    EXPECT_EQ(seen, "-bbbggrr--");
}

TEST(WritingPass, ColumnsTooFastForTheDisplayAreResampledAndEachShowsForAFrame) {
    for (double rate : {60.0, 50.0, 59.94, 120.0}) {
        PassTiming timing(600, 2.0, rate);
        EXPECT_LE(timing.columns(), static_cast<int>(2.0 * rate)) << rate;
        EXPECT_TRUE(timing.isResampled());
        EXPECT_LE(timing.columnRate(), rate);
        // Frames as a run loop steps them: each a period after the one before.
        std::vector<int> order;
        double t = 0.0;
        for (int frame = 0; frame < 2.0 * rate + 2; ++frame, t += 1.0 / rate)
            if (std::optional<int> c = timing.columnAt(t);
                c && (order.empty() || order.back() != *c))
                order.push_back(*c);
        ASSERT_EQ(static_cast<int>(order.size()), timing.columns()) << rate;
        for (int i = 0; i < timing.columns(); ++i)
            ASSERT_EQ(order[static_cast<std::size_t>(i)], i) << rate;
    }
    PassTiming slow(600, 30.0);
    EXPECT_FALSE(slow.isResampled());
    EXPECT_TRUE(slow.resamplingWords().empty());
    EXPECT_EQ(PassTiming(600, 2.0).resamplingWords(),
              "The picture's 600 columns play as 120, 60 a second: the display shows no more.");
}

TEST(WritingPass, AResampledColumnAveragesThePictureColumnsItSpans) {
    Image image;
    image.width = 4;
    image.height = 1;
    image.pixels = {200, 0, 0, 255, 100, 0, 0, 255, 0, 0, 40, 255, 0, 0, 0, 255};
    WritingPicture picture = WritingPicture::fromImage(image);
    EXPECT_EQ(picture.column(0, 2), (std::vector<std::uint8_t>{150, 0, 0, 255}));
    EXPECT_EQ(picture.column(1, 2), (std::vector<std::uint8_t>{0, 0, 20, 255}));
    EXPECT_EQ(picture.column(0, 3), (std::vector<std::uint8_t>{175, 0, 0, 255}));
    EXPECT_TRUE(picture.column(2, 2).empty());
}

TEST(WritingPass, OutOfRangeSettingsAreHeldAndAnEmptyPictureShowsNothing) {
    EXPECT_EQ(PassTiming(10, 0.1).passLength(), PassTiming::minPassLength);
    EXPECT_EQ(PassTiming(10, 1e9).passLength(), PassTiming::maxPassLength);
    EXPECT_EQ(PassTiming(10, std::nan("")).passLength(), PassTiming::defaultPassLength);
    EXPECT_EQ(PassTiming(10, 3.0, -5.0).refreshRate(), PassTiming::defaultRefreshRate);
    PassTiming empty(0, 3.0);
    EXPECT_EQ(empty.columnAt(1.0), std::nullopt);
    EXPECT_EQ(empty.nextChangeAfter(1.0), std::numeric_limits<double>::infinity());
}

TEST(WalkGuidance, GivesTheWalkForTheProportionsAndWarnsWhenTooFast) {
    WalkGuidance calm(0.14, 640, 128, 3.5);
    EXPECT_DOUBLE_EQ(calm.distance(), 0.7);
    EXPECT_DOUBLE_EQ(calm.pace(), 0.2);
    EXPECT_FALSE(calm.isTooFast());
    EXPECT_EQ(calm.words(),
              "Walk 0.70 m in 3.5 s (0.20 m/s) to keep the picture's proportions, for a screen "
              "14 cm tall.");
    EXPECT_TRUE(calm.warning().empty());

    WalkGuidance hurried(0.14, 640, 128, 0.5);
    EXPECT_TRUE(hurried.isTooFast());
    EXPECT_NE(hurried.warning().find("faster than a walk"), std::string::npos);

    EXPECT_NEAR(WalkGuidance::screenHeightFromDpi(1440, 460), 0.0795, 0.0001);
    EXPECT_EQ(WalkGuidance::screenHeightFromDpi(1440, 0), WalkGuidance::typicalScreenHeight);
    EXPECT_EQ(WalkGuidance(-1.0, 1, 1, 1.0).screenHeight(), WalkGuidance::typicalScreenHeight);
    EXPECT_EQ(WalkGuidance(0.14, 0, 0, 1.0).distance(), 0.0);
}

} // namespace
} // namespace nocturo
