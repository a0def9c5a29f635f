// The browser front end's pieces that need no browser: the text of a stored setting, the
// local-storage settings store, and the page's driver of the application.

#include "frontends/web/LocalStorageSettingsStore.h"
#include "frontends/web/StoredValue.h"
#include "frontends/web/WebApp.h"
#include "tests/MapStorage.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace nocturo::testing {
namespace {

// ---- StoredValue

TEST(StoredValue, ReadsIntegersFloatsAndBooleansAsTheirOwnKinds) {
    EXPECT_EQ(StoredValue::parse("3"), SettingValue{std::int64_t{3}});
    EXPECT_EQ(StoredValue::parse("-7"), SettingValue{std::int64_t{-7}});
    EXPECT_EQ(StoredValue::parse(" 12 "), SettingValue{std::int64_t{12}});
    EXPECT_EQ(StoredValue::parse("420.5"), SettingValue{420.5f});
    EXPECT_EQ(StoredValue::parse("3.0"), SettingValue{3.0f});
    EXPECT_EQ(StoredValue::parse("1e2"), SettingValue{100.0f});
    EXPECT_EQ(StoredValue::parse("true"), SettingValue{true});
    EXPECT_EQ(StoredValue::parse("false"), SettingValue{false});
    EXPECT_EQ(StoredValue::parse("9223372036854775807"),
              SettingValue{std::numeric_limits<std::int64_t>::max()});
    EXPECT_EQ(StoredValue::parse("-9223372036854775808"),
              SettingValue{std::numeric_limits<std::int64_t>::min()});
}

TEST(StoredValue, TextThatIsNoFiniteNumberOrBooleanReadsAsAbsent) {
    for (const char* text : {"",
                             " ",
                             "abc",
                             "NaN",
                             "nan",
                             "Infinity",
                             "-Infinity",
                             "null",
                             "\"3\"",
                             "[1]",
                             "{}",
                             "{\"a\":1}",
                             "3 4",
                             "3,",
                             "0x10",
                             "+1",
                             ".5",
                             "1.",
                             "True",
                             "1e999",
                             "-1e999",
                             "1e-50",
                             "3.5e38",
                             "1e39",
                             "9223372036854775808",
                             "99999999999999999999",
                             "\xff\xfe"})
        EXPECT_EQ(StoredValue::parse(text), std::nullopt) << "'" << text << "'";
}

TEST(StoredValue, LongTextReadsAsAbsent) {
    EXPECT_EQ(StoredValue::parse(std::string(1000, '1')), std::nullopt);
    EXPECT_EQ(StoredValue::parse(std::string(100000, '[')), std::nullopt);
}

TEST(StoredValue, WritesEachKindSoThatItReadsBackTheSame) {
    EXPECT_EQ(StoredValue::format(std::int64_t{42}), "42");
    EXPECT_EQ(StoredValue::format(true), "true");
    EXPECT_EQ(StoredValue::format(false), "false");
    EXPECT_EQ(StoredValue::format(3.0f), "3.0");
    for (float f : {0.1f, 420.0f, -2.5f, 1e-30f, 3.4e38f, std::numeric_limits<float>::min()}) {
        auto text = StoredValue::format(f);
        ASSERT_TRUE(text);
        EXPECT_EQ(StoredValue::parse(*text), SettingValue{f}) << *text;
    }
}

TEST(StoredValue, AFloatThatIsNotFiniteHasNoText) {
    EXPECT_EQ(StoredValue::format(std::numeric_limits<float>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(StoredValue::format(std::numeric_limits<float>::infinity()), std::nullopt);
}

// ---- LocalStorageSettingsStore

TEST(LocalStorageSettingsStore, ReadsTheGivenKeysAndDropsUnusableValues) {
    MapStorage storage;
    storage.entries = {{"colorIndex", "3"},         {"spotWidth", "abc"},
                       {"cyclicFrequency", "12.5"}, {"hideStrip", "1e999"},
                       {"adjustSpotSize", "true"},  {"other", "1"}};
    LocalStorageSettingsStore store(
        storage, {"colorIndex", "spotWidth", "cyclicFrequency", "hideStrip", "adjustSpotSize"});
    EXPECT_EQ(store.integerForKey("colorIndex"), 3);
    EXPECT_EQ(store.objectForKey("spotWidth"), std::nullopt);
    EXPECT_EQ(store.floatForKey("cyclicFrequency"), 12.5f);
    EXPECT_EQ(store.objectForKey("hideStrip"), std::nullopt);
    EXPECT_TRUE(store.boolForKey("adjustSpotSize"));
    EXPECT_EQ(store.objectForKey("other"), std::nullopt);
    EXPECT_EQ(store.dictionary().size(), 3u);
}

TEST(LocalStorageSettingsStore, WritesThroughAndAReloadReadsTheSameValues) {
    MapStorage storage;
    {
        LocalStorageSettingsStore store(storage, {});
        store.setInteger("colorIndex", 4);
        store.setFloat("spotWidth", 123.25f);
        store.setBool("adjustSpotSize", false);
        EXPECT_TRUE(store.lastWriteSaved());
    }
    EXPECT_EQ(storage.entries["colorIndex"], "4");
    EXPECT_EQ(storage.entries["spotWidth"], "123.25");
    EXPECT_EQ(storage.entries["adjustSpotSize"], "false");
    LocalStorageSettingsStore again(storage, {"colorIndex", "spotWidth", "adjustSpotSize"});
    EXPECT_EQ(again.objectForKey("colorIndex"), SettingValue{std::int64_t{4}});
    EXPECT_EQ(again.objectForKey("spotWidth"), SettingValue{123.25f});
    EXPECT_EQ(again.objectForKey("adjustSpotSize"), SettingValue{false});
}

TEST(LocalStorageSettingsStore, ANonFiniteFloatIsKeptForThePageButNotStored) {
    MapStorage storage;
    storage.entries["spotWidth"] = "200.0";
    LocalStorageSettingsStore store(storage, {"spotWidth"});
    store.setFloat("spotWidth", std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isinf(store.floatForKey("spotWidth")));
    EXPECT_EQ(storage.entries.count("spotWidth"), 0u);
    LocalStorageSettingsStore again(storage, {"spotWidth"});
    EXPECT_EQ(again.objectForKey("spotWidth"), std::nullopt);
}

TEST(LocalStorageSettingsStore, ARefusedWriteKeepsTheValueForThePage) {
    MapStorage storage;
    storage.refuse = true;
    LocalStorageSettingsStore store(storage, {});
    store.setInteger("lightMode", 2);
    EXPECT_FALSE(store.lastWriteSaved());
    EXPECT_EQ(store.integerForKey("lightMode"), 2);
    EXPECT_TRUE(storage.entries.empty());
}

// ---- WebApp

struct Pixel {
    int r, g, b;
};

class WebAppTest : public ::testing::Test {
protected:
    WebAppTest()
        : web(store, NOCTURO_RESOURCE_DIR, 100.0, [this](const std::string& p) { opened = p; }) {}

    Pixel pixel(float x, float y) const {
        const Framebuffer& fb = web.framebuffer();
        const std::uint8_t* p = fb.at(static_cast<int>(x * scale), static_cast<int>(y * scale));
        return {p[0], p[1], p[2]};
    }
    // Steps and draws as the page does on one frame.
    void frame(double now) {
        web.step(now);
        web.render(now, scale);
    }
    // Launches and runs frames until the launch fade has ended.
    void lit() {
        ASSERT_TRUE(web.launch()) << web.error();
        for (double t = 100.0; t < 101.5; t += 1.0 / 60.0)
            frame(t);
    }

    MemorySettingsStore store;
    WebApp web;
    std::string opened;
    float scale = 1.0f;
};

TEST_F(WebAppTest, ShowsTheLaunchViewThenTheLitSpot) {
    ASSERT_TRUE(web.launch()) << web.error();
    EXPECT_EQ(web.pointWidth(), 320.0f);
    EXPECT_EQ(web.pointHeight(), 480.0f);
    EXPECT_EQ(web.step(100.0), 100.5);
    ASSERT_TRUE(web.render(100.0, scale));
    EXPECT_EQ(web.framebuffer().width, 320);
    EXPECT_FALSE(web.render(100.1, scale)) << "nothing changed";
    Pixel launch = pixel(160, 200);
    EXPECT_LT(launch.r, 80);
    for (double t = 100.5; t < 101.5; t += 1.0 / 60.0)
        frame(t);
    Pixel lit = pixel(160, 240);
    EXPECT_EQ(lit.r, 255);
    EXPECT_EQ(lit.g, 255);
    EXPECT_EQ(lit.b, 0);
}

TEST_F(WebAppTest, ATouchInOffModeTwoDarkensTheLightUntilItLifts) {
    lit();
    web.touch(TouchKind::Down, 7, 160, 240, 102.0);
    frame(102.0);
    EXPECT_EQ(pixel(160, 240).r, 0);
    web.touch(TouchKind::Move, 7, 161, 240, 102.1);
    web.touch(TouchKind::Up, 7, 161, 240, 102.2);
    frame(102.2);
    EXPECT_EQ(pixel(160, 240).r, 255);
}

TEST_F(WebAppTest, TouchesThatMakeNoSenseAreIgnored) {
    lit();
    web.touch(TouchKind::Move, 3, 10, 10, 101.6);
    web.touch(TouchKind::Up, 3, 10, 10, 101.6);
    web.touch(TouchKind::Cancel, 3, 10, 10, 101.6);
    web.touch(TouchKind::Down, 3, std::nanf(""), 10, 101.6);
    web.touch(TouchKind::Down, 4, 160, 240, 101.7);
    web.touch(TouchKind::Down, 4, 160, 250, 101.7);
    frame(101.7);
    EXPECT_EQ(pixel(160, 240).r, 0);
    web.cancelTouches(101.8);
    frame(101.8);
    EXPECT_EQ(pixel(160, 240).r, 255) << "a cancelled touch leaves the light on";
    web.step(50.0);
    web.step(std::nan(""));
    web.render(std::nan(""), std::nanf(""));
    EXPECT_EQ(web.framebuffer().width, 320) << "a scale that is no number draws at 1x";
}

TEST_F(WebAppTest, TheHelpControlOpensThisSitesHelpPage) {
    ASSERT_TRUE(web.launch());
    web.nocturo().controller().switchHelp(nullptr);
    EXPECT_EQ(opened, "/iPhoneApps/Nocturo/Tips_and_Tricks.html");
}

TEST_F(WebAppTest, DrawsAtTheScaleAsked) {
    scale = 2.5f;
    lit();
    EXPECT_EQ(web.framebuffer().width, 800);
    EXPECT_EQ(web.framebuffer().height, 1200);
}

TEST_F(WebAppTest, TellsThePageWhileThePaintingScreenShows) {
    EXPECT_FALSE(web.showsPaintingScreen()) << "not launched";
    ASSERT_TRUE(web.launch());
    EXPECT_FALSE(web.showsPaintingScreen()) << "the launch view";
    for (double t = 100.0; t < 101.5; t += 1.0 / 60.0)
        frame(t);
    EXPECT_TRUE(web.showsPaintingScreen());
    web.nocturo().controller().goToSettings(nullptr);
    frame(101.6);
    EXPECT_FALSE(web.showsPaintingScreen());
    web.nocturo().controller().finishSettings(nullptr);
    frame(101.7);
    EXPECT_TRUE(web.showsPaintingScreen());
}

TEST(WebApp, AMissingInterfaceFileIsReportedNotThrown) {
    MemorySettingsStore store;
    WebApp web(store, "/nonexistent", 0.0, nullptr);
    EXPECT_FALSE(web.launch());
    EXPECT_NE(web.error().find("MainWindow.json"), std::string::npos) << web.error();
    EXPECT_EQ(web.step(1.0), INFINITY);
    EXPECT_FALSE(web.render(1.0, 1.0f));
    web.touch(TouchKind::Down, 1, 10, 10, 1.0);
    web.cancelTouches(1.0);
}

TEST(WebApp, ThePathOfAnAddress) {
    EXPECT_EQ(WebApp::pathOf("http://a.example/x/y.html"), "/x/y.html");
    EXPECT_EQ(WebApp::pathOf("https://a.example/x?q=1#f"), "/x?q=1#f");
    EXPECT_EQ(WebApp::pathOf("https://a.example"), "");
    EXPECT_EQ(WebApp::pathOf("no address"), "");
    EXPECT_EQ(WebApp::pathOf(""), "");
}

} // namespace
} // namespace nocturo::testing
