// The timed light, driven as a user does: the start control, the keys, touches and time.

#include "app/SettingsTable.h"
#include "frontends/web/LocalStorageSettingsStore.h"
#include "platform/FileSettingsStore.h"
#include "tests/AppFixture.h"
#include "tests/MapStorage.h"
#include "timed/TimedLight.h"

#include <filesystem>
#include <unistd.h>
#include <vector>

namespace nocturo::testing {
namespace {

using Phase = TimedLight::Phase;

class TimedLightTest : public AppTest {
protected:
    // Launched, with the clock at a whole 2 s when the run starts.
    void launchedWith(std::initializer_list<std::string> stores) {
        for (const std::string& line : stores)
            run({line});
        launched();
        run({"wait 0.6"});
    }
    TimedLight& timed() { return app().timedLight(); }
    bool lit() { return !app().inBlackMode && !(lightColor() == black); }
    std::vector<std::pair<double, ToneKind>> tones() {
        std::vector<std::pair<double, ToneKind>> list;
        for (const Tone& t : timed().tones())
            list.emplace_back(t.time, t.kind);
        return list;
    }
};

TEST_F(TimedLightTest, DarkUntilTheDelayEndsThenLitForTheLengthThenDarkWithTones) {
    launchedWith({"store timedLightDelay 3.0", "store timedLightLength 2.0"});
    run({"press startTimedLight:"});
    EXPECT_EQ(timed().phase(), Phase::Countdown);
    EXPECT_FALSE(lit());
    run({"wait 2.999999"});
    EXPECT_FALSE(lit());
    run({"wait 0.000001"});
    EXPECT_EQ(timed().phase(), Phase::Light);
    EXPECT_EQ(lightColor(), yellow);
    run({"wait 1.999999"});
    EXPECT_TRUE(lit());
    run({"wait 0.000001"});
    EXPECT_EQ(timed().phase(), Phase::Done);
    EXPECT_FALSE(lit());
    run({"wait 60"});
    EXPECT_FALSE(lit());
    using enum ToneKind;
    std::vector<std::pair<double, ToneKind>> expected{
        {3.0, Tick}, {4.0, Tick}, {5.0, Start}, {7.0, End}};
    ASSERT_EQ(tones().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(tones()[i].first, expected[i].first, 1e-9) << i;
        EXPECT_EQ(tones()[i].second, expected[i].second) << i;
    }
    // The next touch ends the dark: the light rests as off mode 2 says.
    run({"touch down 160 240", "touch up 160 240"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    EXPECT_EQ(lightColor(), yellow);
}

TEST_F(TimedLightTest, WithTheSoundOffNoToneIsPlayed) {
    launchedWith(
        {"store timedLightSound false", "store timedLightDelay 2.0", "store timedLightLength 1.0"});
    int played = 0;
    timed().setTonePlayer([&](ToneKind) { ++played; });
    run({"key enter", "wait 5"});
    EXPECT_EQ(timed().phase(), Phase::Done);
    EXPECT_TRUE(timed().tones().empty());
    EXPECT_EQ(played, 0);
}

TEST_F(TimedLightTest, ACancelRestsTheLightAndSchedulesNothingFurther) {
    launchedWith({"store timedLightDelay 3.0", "store timedLightLength 2.0"});
    std::size_t idle = sim.app()->runLoop().pendingCount();
    run({"press startTimedLight:", "wait 1.5", "press startTimedLight:"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_EQ(sim.app()->runLoop().pendingCount(), idle);
    run({"wait 30"});
    EXPECT_EQ(timed().tones().size(), 1u);
    EXPECT_EQ(lightColor(), yellow);
    // The key cancels a lit run too, and the start corner takes a touch though nothing is drawn.
    run({"key space", "wait 3.5"});
    ASSERT_EQ(timed().phase(), Phase::Light);
    run({"key space"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    run({"key space", "wait 0.5", "touch down 20 460", "touch up 20 460"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    EXPECT_EQ(lightColor(), yellow);
}

TEST_F(TimedLightTest, TheControlsAreNotDrawnDuringTheRunButAreAfterIt) {
    launchedWith({"store timedLightDelay 1.0", "store timedLightLength 1.0"});
    Button* start = timed().startButton;
    ASSERT_NE(start, nullptr);
    const std::string picture = start->imageName();
    run({"press startTimedLight:"});
    EXPECT_TRUE(start->imageName().empty());
    EXPECT_EQ(start->tintColor().alpha, 0.0f);
    EXPECT_TRUE(start->isReachable());
    for (View* v : app().frontControlView->subviews()) {
        if (auto* b = dynamic_cast<Button*>(v)) {
            EXPECT_TRUE(b->imageName().empty());
        }
    }
    run({"wait 2"});
    EXPECT_EQ(start->imageName(), picture);
}

class TimedLightOffModes : public TimedLightTest, public ::testing::WithParamInterface<int> {};

TEST_P(TimedLightOffModes, ARunLightsWhateverTheOffMode) {
    launchedWith({"store lightOffMode " + std::to_string(GetParam()), "store timedLightDelay 1.0",
                  "store timedLightLength 1.0"});
    run({"press startTimedLight:", "wait 1"});
    EXPECT_EQ(lightColor(), yellow);
    // A touch keeps its meaning while lit, and the light returns to the run's look as it ends.
    run({"touch down 160 240"});
    EXPECT_EQ(lit(), GetParam() == 1);
    run({"touch up 160 240"});
    EXPECT_EQ(lightColor(), yellow);
    run({"wait 1"});
    EXPECT_FALSE(lit());
}

INSTANTIATE_TEST_SUITE_P(Both, TimedLightOffModes, ::testing::Values(1, 2));

TEST_F(TimedLightTest, ColourFantasyRunsPaintTheSameColoursAtTheSameMoments) {
    launchedWith({"store lightMode 1", "store timedLightDelay 1.0", "store timedLightLength 2.0"});
    auto oneRun = [&] {
        std::vector<Color> seen;
        run({"press startTimedLight:", "wait 1"});
        for (int i = 0; i < 40; ++i) {
            seen.push_back(lightColor());
            run({"wait 0.049"});
        }
        run({"wait 1", "touch down 160 240", "touch up 160 240"});
        return seen;
    };
    std::vector<Color> first = oneRun();
    run({"wait 0.37"});
    std::vector<Color> second = oneRun();
    EXPECT_EQ(first.front(), red);
    EXPECT_NE(first.back(), red);
    EXPECT_EQ(first, second);
}

TEST_F(TimedLightTest, UntilTouchedEndsAsTheNextTouchEnds) {
    launchedWith({"store timedLightDelay 0.0", "store timedLightLength 0.0"});
    run({"key space", "wait 500"});
    EXPECT_EQ(timed().phase(), Phase::Light);
    EXPECT_TRUE(std::isnan(timed().timeLeft()));
    run({"touch down 160 240", "touch move 160 250"});
    EXPECT_EQ(timed().phase(), Phase::Light);
    run({"touch up 160 250"});
    EXPECT_EQ(timed().phase(), Phase::Done);
    EXPECT_FALSE(lit());
    ASSERT_EQ(timed().tones().size(), 2u);
    EXPECT_NEAR(timed().tones().back().time, 502.0, 1e-9);
    EXPECT_EQ(timed().tones().back().kind, ToneKind::End);
}

TEST_F(TimedLightTest, GoingToTheSettingsCancelsARunAndKeysThereDoNothing) {
    launchedWith({"store timedLightDelay 1.0", "store timedLightLength 5.0"});
    run({"key enter", "wait 2", "press goToSettings:"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    run({"wait 1", "key enter", "wait 10"});
    EXPECT_EQ(timed().phase(), Phase::Idle);
    // The section of the settings shows and changes the run's settings.
    run({"press showTimedLightSettings:", "control timedDelaySlider 7.5",
         "control timedUntilTouchedSwitch on", "control timedSoundSwitch off"});
    EXPECT_EQ(timed().delay(), 7.5f);
    EXPECT_EQ(timed().length(), 0.0f);
    EXPECT_FALSE(timed().sound());
    EXPECT_EQ(timed().timedLengthLabel->text(), "Light until touched");
    run({"press finishTimedLightSettings:", "press finishSettings:", "wait 1", "key enter"});
    EXPECT_EQ(timed().phase(), Phase::Countdown);
}

// ---- the settings

TEST(TimedLightSettings, BadStoredValuesReadAsTheDefaultsAndNumbersAreHeldToTheRange) {
    MemorySettingsStore store;
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightDelay)), 3.0f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightLength)), 10.0f);
    EXPECT_TRUE(std::get<bool>(readSetting(store, SettingsKey::timedLightSound)));
    store.setBool(SettingsKey::timedLightDelay, true);
    store.setFloat(SettingsKey::timedLightLength, std::numeric_limits<float>::quiet_NaN());
    store.setInteger(SettingsKey::timedLightSound, 0);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightDelay)), 3.0f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightLength)), 10.0f);
    EXPECT_TRUE(std::get<bool>(readSetting(store, SettingsKey::timedLightSound)));
    store.setFloat(SettingsKey::timedLightDelay, 45.0f);
    store.setFloat(SettingsKey::timedLightLength, 0.2f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightDelay)), 30.0f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightLength)), 0.5f);
    store.setInteger(SettingsKey::timedLightDelay, 4);
    store.setFloat(SettingsKey::timedLightLength, 1e9f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightDelay)), 4.0f);
    EXPECT_EQ(std::get<float>(readSetting(store, SettingsKey::timedLightLength)), 120.0f);
}

void changeTheTimedSettings(SettingsStore& store) {
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    runLines(sim, {"launch", "wait 1.4", "press goToSettings:", "wait 1",
                   "press showTimedLightSettings:", "control timedDelaySlider 12.5",
                   "control timedLengthSlider 42", "control timedSoundSwitch off", "quit"});
}

void expectTheChangedSettings(SettingsStore& store) {
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    runLines(sim, {"launch"});
    const TimedLight& t = sim.app()->controller().timedLight();
    EXPECT_EQ(t.delay(), 12.5f);
    EXPECT_EQ(t.length(), 42.0f);
    EXPECT_FALSE(t.sound());
    EXPECT_EQ(t.timedDelaySlider->value(), 12.5f);
    EXPECT_FALSE(t.timedSoundSwitch->isOn());
}

TEST(TimedLightSettings, SurviveARestartInTheSettingsFile) {
    auto dir =
        std::filesystem::temp_directory_path() / ("nocturo-timed-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "settings.json").string();
    {
        FileSettingsStore store(path);
        changeTheTimedSettings(store);
    }
    FileSettingsStore again(path);
    expectTheChangedSettings(again);
    std::filesystem::remove_all(dir);
}

TEST(TimedLightSettings, SurviveARestartInTheBrowsersStorage) {
    MapStorage storage;
    {
        LocalStorageSettingsStore store(storage, settingsKeys());
        changeTheTimedSettings(store);
    }
    EXPECT_EQ(storage.entries.at(SettingsKey::timedLightSound), "false");
    LocalStorageSettingsStore again(storage, settingsKeys());
    expectTheChangedSettings(again);
}

} // namespace
} // namespace nocturo::testing
