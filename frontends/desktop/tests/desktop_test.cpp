// The desktop front end's parts that need no display: the command line, where the screen sits
// in a window, the mouse and fingers as touches, the browser hand-off and the real clock.

#include "frontends/desktop/BrowserLauncher.h"
#include "frontends/desktop/LineEditor.h"
#include "frontends/desktop/LiveApp.h"
#include "frontends/desktop/Options.h"
#include "frontends/desktop/PictureFile.h"
#include "frontends/desktop/ResourceLayout.h"
#include "frontends/desktop/ToneSpeaker.h"
#include "frontends/desktop/TouchRouter.h"
#include "frontends/desktop/Viewport.h"
#include "platform/ScrollView.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace nocturo {
namespace {

ParsedOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "nocturo");
    return parseOptions(static_cast<int>(args.size()), args.data(), "res");
}

// -- the command line

TEST(DesktopOptions, DefaultsRunInAWindowOfTheFittingSizeWithThePerUserSettings) {
    ParsedOptions p = parse({});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_FALSE(p.options.scale.has_value());
    EXPECT_FALSE(p.options.fullscreen);
    EXPECT_TRUE(p.options.settingsFile.empty());
    EXPECT_EQ(p.options.resourceDir, "res");
    EXPECT_FALSE(p.options.quitAfter.has_value());
}

TEST(DesktopOptions, ReadsEveryOptionInBothSpellings) {
    ParsedOptions p = parse({"--scale", "2", "--fullscreen", "--settings=/tmp/s.json",
                             "--resources", "/r", "--quit-after=1.5", "--stats"});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.scale.value(), 2.0f);
    EXPECT_TRUE(p.options.fullscreen);
    EXPECT_EQ(p.options.settingsFile, "/tmp/s.json");
    EXPECT_EQ(p.options.resourceDir, "/r");
    EXPECT_EQ(p.options.quitAfter.value(), 1.5);
    EXPECT_TRUE(p.options.stats);
    EXPECT_TRUE(parse({"-f", "--scale=0.25"}).options.fullscreen);
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(DesktopOptions, RefusesScalesOutOfRangeOrNotNumbers) {
    for (const char* bad : {"0", "0.1", "9", "nan", "inf", "-1", "2x", "", "1e400"}) {
        ParsedOptions p = parse({"--scale", bad});
        EXPECT_FALSE(p.ok()) << bad;
        EXPECT_NE(p.error.find("--scale"), std::string::npos) << p.error;
    }
    EXPECT_FALSE(parse({"--scale"}).ok());
}

TEST(DesktopOptions, RefusesUnknownOptionsAndMissingValues) {
    EXPECT_NE(parse({"--bogus"}).error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(parse({"extra"}).ok());
    EXPECT_FALSE(parse({"--settings"}).ok());
    EXPECT_FALSE(parse({"--settings="}).ok());
    EXPECT_FALSE(parse({"--resources"}).ok());
    EXPECT_FALSE(parse({"--quit-after", "-2"}).ok());
    EXPECT_FALSE(parse({"--quit-after", "soon"}).ok());
    EXPECT_FALSE(parse({"--help=yes"}).ok());
}

TEST(DesktopOptions, HelpAndVersionSayWhatUsersExpect) {
    std::string usage = usageText("nocturo");
    EXPECT_EQ(usage.rfind("Usage: nocturo", 0), 0u);
    for (const char* word : {"--scale", "--fullscreen", "--settings", "--help", "--version", "F11"})
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    EXPECT_EQ(versionText().rfind(std::string("nocturo ") + NOCTURO_VERSION, 0), 0u);
}

TEST(DesktopOptions, PictureNamesTheFileToWriteWithAndTheHelpSaysSo) {
    EXPECT_EQ(parse({"--picture", "a.png"}).options.pictureFile, "a.png");
    EXPECT_EQ(parse({"--picture=b.jpg"}).options.pictureFile, "b.jpg");
    EXPECT_TRUE(parse({}).options.pictureFile.empty());
    EXPECT_FALSE(parse({"--picture"}).ok());
    EXPECT_FALSE(parse({"--picture="}).ok());
    EXPECT_NE(usageText("nocturo").find("--picture FILE"), std::string::npos);
}

// -- light writing's line of text and picture files

TEST(DesktopLineEditor, TypedTextGoesOnTheEndAndBackspaceTakesOffAWholeCharacter) {
    LineEditor line;
    EXPECT_FALSE(line.isEditing());
    line.begin("NOCTURO");
    EXPECT_TRUE(line.isEditing());
    EXPECT_TRUE(line.insert(" \xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(line.text(), "NOCTURO \xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(line.backspace());
    EXPECT_EQ(line.text(), "NOCTURO \xC3\xA9t");
    EXPECT_TRUE(line.backspace());
    EXPECT_TRUE(line.backspace());
    EXPECT_EQ(line.text(), "NOCTURO ");
    line.end();
    EXPECT_FALSE(line.isEditing());
    line.begin("");
    EXPECT_FALSE(line.backspace());
}

TEST(DesktopLineEditor, TheLineHoldsAtMostItsLengthInCharacters) {
    LineEditor line;
    line.begin(std::string(LineEditor::maxCharacters + 5, 'A'));
    EXPECT_EQ(line.text().size(), LineEditor::maxCharacters);
    EXPECT_FALSE(line.insert("\xC3\xA9"));
    EXPECT_TRUE(line.backspace());
    EXPECT_TRUE(line.insert("\xC3\xA9\xC3\xA9"));
    EXPECT_EQ(line.text().substr(line.text().size() - 2), "\xC3\xA9");
}

TEST(DesktopPictureFile, AFileIsReadWholeAndWhatCannotBeReadIsSaidNotThrown) {
    std::string folder =
        std::filesystem::temp_directory_path() / ("nocturo-picture-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string file = folder + "/p.png";
    std::ofstream(file, std::ios::binary) << "\x89PNG bytes";
    PictureFile read = PictureFile::read(file);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "\x89PNG bytes");

    PictureFile missing = PictureFile::read(folder + "/none.png");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("none.png"), std::string::npos) << missing.error;
    EXPECT_FALSE(PictureFile::read(folder).ok());
    // A file larger than any picture is refused from its size, without being read.
    std::filesystem::resize_file(file, PictureFile::maxBytes + 1);
    PictureFile huge = PictureFile::read(file);
    EXPECT_FALSE(huge.ok());
    EXPECT_TRUE(huge.bytes.empty());
    EXPECT_NE(huge.error.find("larger"), std::string::npos) << huge.error;
    std::filesystem::remove_all(folder);
}

TEST(DesktopOptions, AWindowInMemoryIsNoDisplayUnlessAskedForByName) {
    EXPECT_TRUE(showsOnAScreen("x11", nullptr));
    EXPECT_TRUE(showsOnAScreen("wayland", "x11"));
    EXPECT_FALSE(showsOnAScreen("offscreen", nullptr));
    EXPECT_FALSE(showsOnAScreen("dummy", "x11"));
    EXPECT_TRUE(showsOnAScreen("offscreen", "offscreen"));
    EXPECT_FALSE(showsOnAScreen(nullptr, nullptr));
}

// -- where the screen sits

constexpr Size screen{320.0f, 480.0f};

TEST(DesktopViewport, AWindowOfTheScreensShapeIsFilled) {
    Viewport v(640, 960, 1.0f, screen);
    EXPECT_EQ(v.scale(), 2.0f);
    EXPECT_EQ(v.frameWidth(), 640);
    EXPECT_EQ(v.frameHeight(), 960);
    EXPECT_EQ(v.frameX(), 0);
    EXPECT_EQ(v.frameY(), 0);
}

TEST(DesktopViewport, AWideWindowLetterboxesLeftAndRight) {
    Viewport v(1920, 1080, 1.0f, screen);
    EXPECT_EQ(v.scale(), 2.25f);
    EXPECT_EQ(v.frameWidth(), 720);
    EXPECT_EQ(v.frameHeight(), 1080);
    EXPECT_EQ(v.frameX(), 600);
    EXPECT_EQ(v.frameY(), 0);
    // The middle of the window is the middle of the screen.
    Point centre = v.pointAtFraction(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(centre.x, 160.0f);
    EXPECT_FLOAT_EQ(centre.y, 240.0f);
    EXPECT_FALSE(v.contains(v.pointAt(10.0f, 500.0f)));
}

TEST(DesktopViewport, ATallWindowLetterboxesAboveAndBelow) {
    Viewport v(320, 1000, 1.0f, screen);
    EXPECT_EQ(v.scale(), 1.0f);
    EXPECT_EQ(v.frameY(), 260);
    Point top = v.pointAt(0.0f, 260.0f);
    EXPECT_FLOAT_EQ(top.x, 0.5f);
    EXPECT_FLOAT_EQ(top.y, 0.5f);
    EXPECT_FALSE(v.contains(v.pointAt(0.0f, 259.0f)));
    EXPECT_TRUE(v.contains(v.pointAt(319.0f, 739.0f)));
    EXPECT_FALSE(v.contains(v.pointAt(0.0f, 740.0f)));
}

TEST(DesktopViewport, AMousePositionNamesTheCentreOfItsUnitOnADenseDisplay) {
    // Twice as many pixels as window units: unit 10 covers pixels 20 and 21.
    Viewport v(640, 960, 2.0f, screen);
    EXPECT_EQ(v.scale(), 2.0f);
    Point p = v.pointAt(10.0f, 20.0f);
    EXPECT_FLOAT_EQ(p.x, 10.5f);
    EXPECT_FLOAT_EQ(p.y, 20.5f);
}

TEST(DesktopViewport, PointsOffTheScreenAreHeldJustInsideItsEdges) {
    Viewport v(320, 480, 1.0f, screen);
    Point p = v.clamp({-5.0f, 900.0f});
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_LT(p.y, 480.0f);
    EXPECT_GT(p.y, 479.9f);
    EXPECT_TRUE(v.contains(p));
    EXPECT_EQ(v.clamp({std::nanf(""), 10.0f}).x, 0.0f);
}

TEST(DesktopViewport, AnEmptyWindowShowsNothingAndDividesByNothing) {
    Viewport v(0, 0, 1.0f, screen);
    EXPECT_TRUE(v.isEmpty());
    EXPECT_FALSE(v.contains({1.0f, 1.0f}));
    Viewport odd(100, 100, std::nanf(""), {0.0f, 0.0f});
    EXPECT_TRUE(odd.isEmpty());
    EXPECT_EQ(odd.scale(), 1.0f);
}

TEST(DesktopViewport, TheDefaultSizeIsTheLargestQuarterScaleThatFitsTheDisplay) {
    EXPECT_EQ(Viewport::fittingScale(screen, 1920, 1050), 2.0f);
    EXPECT_EQ(Viewport::fittingScale(screen, 1366, 728), 1.25f);
    EXPECT_EQ(Viewport::fittingScale(screen, 3840, 2110), 4.25f);
    EXPECT_EQ(Viewport::fittingScale(screen, 100, 100), minimumScale);
    EXPECT_EQ(Viewport::fittingScale(screen, 100000, 100000), maximumScale);
    EXPECT_EQ(Viewport::windowExtent(320.0f, 1.25f), 400);
    EXPECT_EQ(Viewport::windowExtent(480.0f, 0.0f), 1);
}

// -- the mouse and fingers

class DesktopTouches : public ::testing::Test {
protected:
    DesktopTouches() : app(store, NOCTURO_RESOURCE_DIR) {
        store.setBool("adjustSpotSize", true);
        app.launch();
        app.runLoop().advanceBy(1.4); // past the launch fade, which refuses touches
    }
    Window& window() { return *app.window(); }
    NocturoAppDelegate& controller() { return app.controller(); }

    MemorySettingsStore store;
    Nocturo app;
    TouchRouter router;
    // The screen at scale 2 in a window twice as wide as it, letterboxed.
    Viewport viewport{1280, 960, 1.0f, screen};
};

TEST_F(DesktopTouches, TheMouseButtonIsOneFingerOnThePaintingScreen) {
    ASSERT_EQ(controller().currentOffMode, 2);
    // The screen's centre is at (640, 480) in the window; 50 points below it is (640, 580).
    float before = controller().theMaskView->frame().width();
    router.mouseDown(window(), viewport, 640.0f, 580.0f);
    EXPECT_TRUE(router.isMouseDown());
    EXPECT_TRUE(window().hasTouch(TouchRouter::mouseFinger));
    EXPECT_TRUE(controller().inBlackMode);
    // 20 pixels nearer the centre is 10 points: the spot shrinks by twice that.
    router.mouseMove(window(), viewport, 640.0f, 560.0f);
    // (A mouse position is the centre of its pixel: a quarter point off the axis here.)
    EXPECT_NEAR(controller().theMaskView->frame().width(), before - 20.0f, 0.01f);
    router.mouseUp(window(), viewport, 640.0f, 560.0f);
    EXPECT_FALSE(router.isMouseDown());
    EXPECT_FALSE(controller().inBlackMode);
    EXPECT_EQ(window().touchCount(), 0u);
    EXPECT_EQ(store.floatForKey("spotWidth"), controller().theMaskView->frame().width());
}

TEST_F(DesktopTouches, AClickOnTheBlackBesideTheScreenTouchesNothing) {
    router.mouseDown(window(), viewport, 100.0f, 480.0f);
    EXPECT_FALSE(router.isMouseDown());
    EXPECT_EQ(window().touchCount(), 0u);
    EXPECT_FALSE(controller().inBlackMode);
    router.mouseMove(window(), viewport, 640.0f, 480.0f);
    router.mouseUp(window(), viewport, 640.0f, 480.0f);
    EXPECT_EQ(window().touchCount(), 0u);
}

TEST_F(DesktopTouches, ADragOffTheScreenStaysAtItsEdge) {
    router.mouseDown(window(), viewport, 640.0f, 480.0f);
    router.mouseMove(window(), viewport, 640.0f, 5000.0f);
    // From 240 points below the centre at most: the spot grows by 2 x 240 at most.
    EXPECT_LE(controller().theMaskView->frame().width(), 320.0f + 480.0f);
    router.mouseUp(window(), viewport, -100.0f, -100.0f);
    EXPECT_EQ(window().touchCount(), 0u);
}

TEST_F(DesktopTouches, AClickOnTheSettingsButtonOpensTheSettings) {
    // The button is at (290..316, 452..478) in points: (303, 465) is (946, 930) here.
    router.mouseDown(window(), viewport, 946.0f, 930.0f);
    router.mouseUp(window(), viewport, 946.0f, 930.0f);
    app.runLoop().advanceBy(1.0);
    auto& screens = controller().containerView->subviews();
    ASSERT_FALSE(screens.empty());
    EXPECT_EQ(screens.back(), controller().settingsView);
}

TEST_F(DesktopTouches, TheWheelScrollsTheSettingsUnderThePointerAndNothingElse) {
    // On the painting screen there is nothing to scroll, and the light does not switch.
    router.scroll(window(), viewport, 640.0f, 480.0f, 100.0f);
    EXPECT_FALSE(controller().inBlackMode);
    EXPECT_EQ(window().touchCount(), 0u);

    router.mouseDown(window(), viewport, 946.0f, 930.0f);
    router.mouseUp(window(), viewport, 946.0f, 930.0f);
    app.runLoop().advanceBy(1.0);
    ScrollView* settings = controller().settingsScrollView;
    ASSERT_NE(settings, nullptr);
    int flashes = settings->flashCount();
    // Over the settings' content, (150, 300) in points.
    router.scroll(window(), viewport, 620.0f, 600.0f, 100.0f);
    EXPECT_EQ(settings->contentOffset().y, 100.0f);
    EXPECT_EQ(settings->flashCount(), flashes + 1);
    router.scroll(window(), viewport, 620.0f, 600.0f, 1000.0f);
    EXPECT_EQ(settings->contentOffset().y, 224.0f);
    // Not while a finger is down, nor beside the screen.
    router.mouseDown(window(), viewport, 620.0f, 600.0f);
    router.scroll(window(), viewport, 620.0f, 600.0f, -50.0f);
    router.mouseUp(window(), viewport, 620.0f, 600.0f);
    router.scroll(window(), viewport, 100.0f, 600.0f, -50.0f);
    EXPECT_EQ(settings->contentOffset().y, 224.0f);
    router.scroll(window(), viewport, 620.0f, 600.0f, -500.0f);
    EXPECT_EQ(settings->contentOffset().y, 0.0f);
}

TEST_F(DesktopTouches, EachFingerOfATouchScreenIsAFingerOfItsOwn) {
    router.fingerDown(window(), viewport, 7, 100, 0.5f, 0.5f);
    router.fingerDown(window(), viewport, 7, 101, 0.45f, 0.5f);
    router.fingerDown(window(), viewport, 8, 100, 0.55f, 0.5f);
    EXPECT_EQ(window().touchCount(), 3u);
    EXPECT_EQ(router.fingerCount(), 3u);
    // A finger that lands on the black beside the screen is no finger.
    router.fingerDown(window(), viewport, 7, 102, 0.05f, 0.5f);
    EXPECT_EQ(window().touchCount(), 3u);
    router.fingerMove(window(), viewport, 7, 102, 0.5f, 0.5f);
    router.fingerUp(window(), viewport, 7, 102, 0.5f, 0.5f);
    EXPECT_EQ(window().touchCount(), 3u);

    router.fingerUp(window(), viewport, 7, 101, 0.45f, 0.5f);
    EXPECT_EQ(window().touchCount(), 2u);
    // A new finger takes the lowest number free.
    router.fingerDown(window(), viewport, 9, 1, 0.5f, 0.4f);
    EXPECT_EQ(window().touchCount(), 3u);
    EXPECT_TRUE(window().hasTouch(2));
}

TEST_F(DesktopTouches, WhenTheBarsAreTheScreensAFingerOnThemTouchesTheNearestEdge) {
    router.setBarsTouchTheEdge(true);
    // The left bar, 50 points below the centre's height: the screen's left edge there.
    float before = controller().theMaskView->frame().width();
    router.mouseDown(window(), viewport, 100.0f, 580.0f);
    EXPECT_TRUE(router.isMouseDown());
    EXPECT_TRUE(controller().inBlackMode);
    // Along the bar to the centre's height: from (0, 290.25) to (0, 240.25) in points, so the
    // finger comes nearer the centre and the spot shrinks by twice that.
    router.mouseMove(window(), viewport, 100.0f, 480.0f);
    float change = std::hypot(160.0f, 0.25f) - std::hypot(160.0f, 50.25f);
    EXPECT_NEAR(controller().theMaskView->frame().width(), before + 2.0f * change, 0.01f);
    router.mouseUp(window(), viewport, 100.0f, 480.0f);
    EXPECT_FALSE(controller().inBlackMode);

    // A finger on the right bar, and one above a tall window's screen, are fingers too.
    router.fingerDown(window(), viewport, 7, 100, 0.98f, 0.5f);
    EXPECT_EQ(window().touchCount(), 1u);
    Viewport tall{640, 1280, 1.0f, screen};
    router.fingerDown(window(), tall, 7, 101, 0.5f, 0.02f);
    EXPECT_EQ(window().touchCount(), 2u);
    router.cancelAll(window());

    // Not when the bars are only black.
    router.setBarsTouchTheEdge(false);
    router.fingerDown(window(), viewport, 7, 102, 0.02f, 0.5f);
    EXPECT_EQ(window().touchCount(), 0u);
}

TEST_F(DesktopTouches, LosingTheScreenCancelsEveryFinger) {
    router.mouseDown(window(), viewport, 640.0f, 480.0f);
    router.fingerDown(window(), viewport, 1, 1, 0.5f, 0.45f);
    ASSERT_TRUE(controller().inBlackMode);
    router.cancelAll(window());
    EXPECT_EQ(window().touchCount(), 0u);
    EXPECT_EQ(router.fingerCount(), 0u);
    // The light returns to the off mode's resting state, and the button's later release and
    // the finger's later lift are nobody's.
    EXPECT_FALSE(controller().inBlackMode);
    router.mouseUp(window(), viewport, 640.0f, 480.0f);
    router.fingerUp(window(), viewport, 1, 1, 0.5f, 0.45f);
    EXPECT_EQ(window().touchCount(), 0u);
    EXPECT_FALSE(controller().inBlackMode);
}

// -- the browser

TEST(DesktopBrowser, TheHelpAddressOpensTheShippedPageAndOtherAddressesStayAsTheyAre) {
    std::string help = NOCTURO_RESOURCE_DIR "/help";
    std::string page = BrowserLauncher::shippedPage(helpAddress, help);
    EXPECT_EQ(page.rfind("file:///", 0), 0u) << page;
    EXPECT_NE(page.find("/help/iPhoneApps/Nocturo/Tips_and_Tricks.html"), std::string::npos);
    EXPECT_EQ(BrowserLauncher::shippedPage(helpAddress, "/nonexistent"), helpAddress);
    EXPECT_EQ(BrowserLauncher::shippedPage("http://elsewhere.org/iPhoneApps/Nocturo/"
                                           "Tips_and_Tricks.html",
                                           help),
              "http://elsewhere.org/iPhoneApps/Nocturo/Tips_and_Tricks.html");
    std::string escape =
        helpAddress.substr(0, helpAddress.find("/iPhoneApps")) + "/../../README.md";
    EXPECT_EQ(BrowserLauncher::shippedPage(escape, help), escape);
}

TEST(DesktopBrowser, WithoutBrowserTheAddressGoesToXdgOpen) {
    auto commands = BrowserLauncher::commandsFor("", "http://h/p.html");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (BrowserLauncher::CommandLine{"xdg-open", "http://h/p.html"}));
}

TEST(DesktopBrowser, TheBrowserVariableIsAListOfCommandsTriedInOrder) {
    auto commands = BrowserLauncher::commandsFor("firefox --new-window:: chromium %s --x", "U");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0], (BrowserLauncher::CommandLine{"firefox", "--new-window", "U"}));
    EXPECT_EQ(commands[1], (BrowserLauncher::CommandLine{"chromium", "U", "--x"}));
    EXPECT_EQ(commands[2][0], "xdg-open");
}

class DesktopBrowserLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("nocturo-browser-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        script = dir / "browser";
        record = dir / "opened";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record.string()
                              << ".part' && mv '" << record.string() << ".part' '"
                              << record.string() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string waitForRecord() {
        for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(record);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path dir, script, record;
};

TEST_F(DesktopBrowserLaunch, TheAddressReachesTheBrowserAsOneWordWithNoShellBetween) {
    BrowserLauncher launcher(script.string());
    // Were a shell to read this, it would run a command and split the words.
    const std::string url = "http://h/p.html?a=$(touch%20x);b=`id`&c=1";
    std::string error;
    ASSERT_TRUE(launcher.open(url, &error)) << error;
    EXPECT_EQ(waitForRecord(), url + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

TEST_F(DesktopBrowserLaunch, AProgramThatCannotStartGivesWayToTheNext) {
    BrowserLauncher launcher((dir / "missing").string() + ":" + script.string() + " --flag");
    ASSERT_TRUE(launcher.open("http://h/"));
    EXPECT_EQ(waitForRecord(), "--flag\nhttp://h/\n");
    for (int i = 0; i < 200 && launcher.running() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        launcher.reap();
    }
    EXPECT_EQ(launcher.running(), 0u);
}

TEST_F(DesktopBrowserLaunch, NoBrowserAtAllIsAClearErrorNotACrash) {
    const char* path = std::getenv("PATH");
    std::string saved = path ? path : "";
    ::setenv("PATH", dir.string().c_str(), 1);
    BrowserLauncher launcher((dir / "missing").string());
    std::string error;
    bool opened = launcher.open("http://h/", &error);
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(opened);
    EXPECT_NE(error.find("http://h/"), std::string::npos) << error;
    EXPECT_NE(error.find("xdg-open"), std::string::npos) << error;
}

// -- the real clock

TEST(DesktopClock, TheColourCycleTicksOnTheRealClockWhateverTheDrawingDoes) {
    MemorySettingsStore store;
    store.setInteger("lightMode", 1);
    store.setFloat("cyclicFrequency", 100.0f);
    LiveApp live(store, NOCTURO_RESOURCE_DIR, LiveApp::Clock::now());
    live.launch();
    live.start({});
    // A window thread that draws 60 frames a second, each holding the application for 2 ms:
    // the ticks keep to the clock, not to the frames.
    auto until = LiveApp::Clock::now() + std::chrono::milliseconds(1000);
    while (LiveApp::Clock::now() < until) {
        {
            auto guard = live.lock();
            live.catchUp();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(14667));
    }
    live.stop();
    double ran = live.clockNow() - live.launchTime();
    double ideal = ran * 100.0;
    // None may be gained; a busy machine (or a sanitizer build) may lose some, never most.
    EXPECT_LE(static_cast<double>(live.colourSteps()), ideal + 1.0);
    EXPECT_GE(static_cast<double>(live.colourSteps()), ideal * 0.5);
    EXPECT_GT(static_cast<double>(live.colourSteps()), 60.0) << "more than one tick a frame";
}

TEST(DesktopClock, WhatAnEventSchedulesIsTimedFromTheEventNotFromTheLastTick) {
    MemorySettingsStore store;
    LiveApp live(store, NOCTURO_RESOURCE_DIR, LiveApp::Clock::now());
    live.launch();
    bool fired = false;
    double firedAt = 0.0, scheduledAt = 0.0;
    std::atomic<int> changes{0};
    live.start([&] { ++changes; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    {
        auto guard = live.lock();
        scheduledAt = live.catchUp(), scheduledAt = live.app().runLoop().now();
        live.app().runLoop().performAfterDelay(0.2, [&] {
            fired = true;
            firedAt = live.app().runLoop().now();
        });
    }
    live.wake();
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        auto guard = live.lock();
        if (fired)
            break;
    }
    live.stop();
    ASSERT_TRUE(fired);
    EXPECT_GE(firedAt - scheduledAt, 0.2);
    EXPECT_LT(firedAt - scheduledAt, 0.5);
    // The launch fade changed the screen while the clock thread ran it.
    EXPECT_GT(changes.load(), 0);
}

// -- where the resources are

TEST(DesktopResources, TheProgramInItsBuildFolderReadsTheSourceTreeAndAnInstalledOneItsOwnShare) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("nocturo-layout-" + std::to_string(::getpid()));
    fs::create_directories(root / "build");
    fs::create_directory_symlink(root / "build", root / "link");
    const ResourceLayout layout((root / "build").string(), "/src/resources", "../share/nocturo");

    EXPECT_EQ(layout.folderFor((root / "build").string()), "/src/resources");
    EXPECT_EQ(layout.folderFor((root / "build/").string()), "/src/resources");
    EXPECT_EQ(layout.folderFor((root / "link").string()), "/src/resources");
    EXPECT_EQ(layout.folderFor(""), "/src/resources");
    EXPECT_EQ(layout.folderFor("/usr/bin/"), "/usr/share/nocturo");
    EXPECT_EQ(layout.folderFor("/tmp/unpacked/usr/local/bin"),
              "/tmp/unpacked/usr/local/share/nocturo");
    fs::remove_all(root);
}

// ---- ToneSpeaker

TEST(ToneSpeaker, WithoutASoundDeviceItIsSilentNotAnError) {
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        ToneSpeaker speaker;
        EXPECT_FALSE(speaker.hasDevice());
        speaker.play(ToneKind::Start);
    }
    ::unsetenv("SDL_AUDIODRIVER");
}

TEST(ToneSpeaker, TheTonesDifferInLengthAndFadeInAndOutSoTheyDoNotClick) {
    auto tick = ToneSpeaker::samples(ToneKind::Tick, 48000);
    auto start = ToneSpeaker::samples(ToneKind::Start, 48000);
    auto end = ToneSpeaker::samples(ToneKind::End, 48000);
    EXPECT_LT(tick.size(), start.size());
    EXPECT_LT(start.size(), end.size());
    for (const auto& wave : {tick, start, end}) {
        ASSERT_FALSE(wave.empty());
        EXPECT_EQ(wave.front(), 0);
        EXPECT_LT(std::abs(wave.back()), 200);
        EXPECT_GT(*std::max_element(wave.begin(), wave.end()), 10000);
    }
}

} // namespace
} // namespace nocturo
