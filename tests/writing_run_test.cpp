// Light writing played as a timed run, driven as a user does: the settings, a chosen picture or
// typed text, the start control and time; checked by the column the band shows.

#include "app/SettingsTable.h"
#include "tests/AppFixture.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"
#include "writing/PictureReader.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>
#include <vector>

namespace nocturo::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture one row high whose columns are the given colours.
Bytes pngOfColumns(const std::vector<std::array<std::uint8_t, 3>>& columns) {
    Image picture{"test", static_cast<int>(columns.size()), 1, 1.0f, {}};
    for (const auto& c : columns)
        picture.pixels.insert(picture.pixels.end(), {c[0], c[1], c[2], 255});
    return PictureReader::encode(picture);
}

class WritingRunTest : public AppTest {
protected:
    WritingRunTest() {
        folder = std::filesystem::temp_directory_path() /
                 ("nocturo-writing-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    ~WritingRunTest() override { std::filesystem::remove_all(folder); }

    std::string file(const std::string& name, const Bytes& bytes) {
        std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Launched with writing on and no countdown, the clock at a whole 2 s.
    void launchedWriting(std::initializer_list<std::string> stores) {
        run({"store writingEnabled true", "store timedLightDelay 0"});
        for (const std::string& line : stores)
            run({line});
        launched();
        run({"wait 0.6"});
    }
    LightWriting& writing() { return app().lightWriting(); }
    // The colour at the top of the band's column, or none when no band shows.
    std::optional<std::array<int, 3>> band() {
        BandView* v = writing().writingBandView;
        if (!v || !v->superview() || v->column().empty())
            return std::nullopt;
        const auto& c = v->column();
        return std::array<int, 3>{c[0], c[1], c[2]};
    }
    std::array<int, 3> bandAt(float fraction) {
        const auto& c = writing().writingBandView->column();
        std::size_t rows = c.size() / 4;
        std::size_t row = std::min(rows - 1, static_cast<std::size_t>(fraction * rows));
        return {c[row * 4], c[row * 4 + 1], c[row * 4 + 2]};
    }

    std::filesystem::path folder;
    const std::array<int, 3> red3{255, 0, 0}, green3{0, 255, 0}, blue3{0, 0, 255};
};

TEST_F(WritingRunTest, AThreeColumnPictureShowsEachColumnForAThirdOfThePassThenBlack) {
    for (bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "as drawn");
        std::string picture =
            file("three.png", pngOfColumns({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}));
        launchedWriting(
            {"store writingPassLength 3", mirrored ? "store writingMirrored true" : ""});
        run({"picture " + picture, "press startTimedLight:"});
        const auto first = mirrored ? blue3 : red3, last = mirrored ? red3 : blue3;
        EXPECT_EQ(band(), first);
        run({"wait 0.999999"});
        EXPECT_EQ(band(), first);
        run({"wait 0.000001"});
        EXPECT_EQ(band(), green3);
        run({"wait 0.999999"});
        EXPECT_EQ(band(), green3);
        run({"wait 0.000001"});
        EXPECT_EQ(band(), last);
        run({"wait 0.999999"});
        EXPECT_EQ(band(), last);
        run({"wait 0.000001"});
        EXPECT_EQ(band(), std::nullopt);
        EXPECT_EQ(app().timedLight().phase(), TimedLight::Phase::Done);
        EXPECT_TRUE(app().inBlackMode);
        run({"quit", "store writingMirrored false"});
    }
}

TEST_F(WritingRunTest, AWidePictureIsPlayedAsFewerColumnsEachShownForAFrameAtLeast) {
    std::vector<std::array<std::uint8_t, 3>> columns;
    for (int i = 0; i < 600; ++i)
        columns.push_back({static_cast<std::uint8_t>(i % 256), static_cast<std::uint8_t>(i / 3),
                           static_cast<std::uint8_t>(255 - i % 256)});
    launchedWriting({"store writingPassLength 2"});
    run({"picture " + file("wide.png", pngOfColumns(columns)), "press startTimedLight:"});
    int count = writing().timing().columns();
    EXPECT_LE(count, 120);
    EXPECT_GT(count, 60);
    std::set<int> seen;
    for (int frame = 0; frame < 120; ++frame) {
        if (auto shown = writing().shownColumn())
            seen.insert(*shown);
        run({"wait 0.0166666666667"});
    }
    EXPECT_EQ(static_cast<int>(seen.size()), count);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), count - 1);
}

TEST_F(WritingRunTest, TextIsLitByTheSpotColourTheWalkingColourAndTheRainbow) {
    // A letter's column in the middle of "I": lit wherever the glyph covers it.
    launchedWriting({"store colorIndex 1", "store writingPassLength 3"});
    run({"text I", "press startTimedLight:", "wait 1.5"});
    ASSERT_TRUE(writing().shownColumn());
    EXPECT_EQ(bandAt(0.5f), red3);

    run({"quit", "store lightMode 1", "launch", "wait 2", "press startTimedLight:", "wait 1.5"});
    const NocturoAppDelegate& c = app();
    std::array<int, 3> walking{static_cast<int>(std::lround(c.rollingColorRed * 255)),
                               static_cast<int>(std::lround(c.rollingColorGreen * 255)),
                               static_cast<int>(std::lround(c.rollingColorBlue * 255))};
    EXPECT_NE(walking, red3); // the walk has moved on from its start
    EXPECT_EQ(bandAt(0.5f), walking);

    run({"quit", "store lightMode 2", "launch", "wait 2", "press startTimedLight:", "wait 1.5"});
    EXPECT_NE(bandAt(0.3f), bandAt(0.6f));
    EXPECT_GT(bandAt(0.3f)[0], bandAt(0.3f)[2]); // warmer above, cooler below
    EXPECT_LT(bandAt(0.6f)[0], bandAt(0.6f)[2]);
}

TEST_F(WritingRunTest, ABadFileGivesItsMessageAndChangesNothing) {
    launchedWriting({});
    std::string good = file("good.png", pngOfColumns({{255, 0, 0}, {0, 0, 255}}));
    run({"picture " + good});
    auto keptBefore = writing().picture().width();
    Bytes truncated = pngOfColumns(std::vector<std::array<std::uint8_t, 3>>(300, {9, 9, 9}));
    truncated.resize(truncated.size() / 2);
    Bytes huge = pngOfColumns({{1, 2, 3}, {4, 5, 6}});
    const std::uint8_t side[4] = {0x00, 0x00, 0x4E, 0x20}; // 20000 x 20000 in the header
    std::memcpy(&huge[16], side, 4);
    std::memcpy(&huge[20], side, 4);
    const std::string text = "light painting notes\n";
    for (const auto& [name, bytes] :
         std::vector<std::pair<std::string, Bytes>>{{"empty.png", {}},
                                                    {"truncated.png", truncated},
                                                    {"notes.png", Bytes(text.begin(), text.end())},
                                                    {"huge.png", huge}}) {
        SCOPED_TRACE(name);
        auto storeBefore = store.dictionary();
        std::string message = refusal("picture " + file(name, bytes));
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(writing().message(), message);
        EXPECT_TRUE(sameSettings(store.dictionary(), storeBefore));
        EXPECT_EQ(writing().source(), LightWriting::Source::User);
        EXPECT_EQ(writing().picture().width(), keptBefore);
    }
    // The kept picture is still there after a restart.
    run({"quit", "launch"});
    EXPECT_EQ(writing().picture().width(), keptBefore);
}

TEST_F(WritingRunTest, TheSettingsSurviveARestartAndBadStoredValuesReadAsDefaults) {
    launchedWriting({});
    run({"press goToSettings:", "wait 1", "press showWritingSettings:",
         "control writingSourceSelector 1", "control writingPictureSelector 2",
         "control writingPassSlider 7.5", "control writingBandSlider 20",
         "control writingMirrorSwitch on", "text Nacht", "quit", "launch"});
    EXPECT_TRUE(writing().isEnabled());
    EXPECT_EQ(writing().source(), LightWriting::Source::Text);
    EXPECT_EQ(writing().text(), "Nacht");
    EXPECT_EQ(writing().builtInPicture(), 3);
    EXPECT_EQ(writing().passLength(), 7.5f);
    EXPECT_EQ(writing().bandWidth(), 20.0f);
    EXPECT_TRUE(writing().isMirrored());

    MemorySettingsStore bad;
    bad.setInteger(SettingsKey::writingSource, 9);
    bad.setString(SettingsKey::writingPicture, "two");
    bad.setFloat(SettingsKey::writingPassLength, std::numeric_limits<float>::infinity());
    bad.setFloat(SettingsKey::writingBandWidth, 500.0f);
    bad.setInteger(SettingsKey::writingMirrored, 1);
    bad.setFloat(SettingsKey::writingText, 3.0f);
    auto read = [&](const std::string& key) { return readSetting(bad, key); };
    EXPECT_EQ(std::get<std::int64_t>(read(SettingsKey::writingSource)), 3);
    EXPECT_EQ(std::get<std::int64_t>(read(SettingsKey::writingPicture)), 1);
    EXPECT_EQ(std::get<float>(read(SettingsKey::writingPassLength)), 3.0f);
    EXPECT_EQ(std::get<float>(read(SettingsKey::writingBandWidth)), 80.0f);
    EXPECT_FALSE(std::get<bool>(read(SettingsKey::writingMirrored)));
    EXPECT_EQ(readStringSetting(bad, *findSetting(SettingsKey::writingText)), "NOCTURO");
}

TEST_F(WritingRunTest, WithWritingOffATimedRunLightsTheSpotAndNoBandShows) {
    run({"store timedLightDelay 0", "store timedLightLength 2"});
    launched();
    run({"press startTimedLight:", "wait 1"});
    EXPECT_EQ(band(), std::nullopt);
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_NEAR(app().timedLight().timeLeft(), 1.0, 1e-9);
}

} // namespace
} // namespace nocturo::testing
