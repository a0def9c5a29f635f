// The soak's own parts: every rule of the checker fires on the fault it is there to see, the
// shrinker finds the lines a failure needs, and the generator's lines are ones nocturo-sim
// takes.

#include "soak/EventGenerator.h"
#include "soak/Shrinker.h"
#include "soak/SoakChecker.h"
#include "soak/SoakSession.h"
#include "soak/TinyResources.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace nocturo {
namespace {

namespace fs = std::filesystem;

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/nocturo-soak-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return ::mkdtemp(name.data()) ? name.data() : "";
}

class SoakCheckerTest : public ::testing::Test {
protected:
    SoakCheckerTest()
        : dir(temporaryFolder()), resources(NOCTURO_RESOURCE_DIR), store(dir + "/settings.json"),
          sim(store, resources.dir()), checker(store) {}
    ~SoakCheckerTest() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    Violation run(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "launch")
            store.reopen();
        std::ostringstream out;
        sim.execute(line, out);
        return checker.afterCommand(sim.app(), command);
    }
    void launched() {
        ASSERT_FALSE(run("launch"));
        ASSERT_FALSE(run("wait 1.4"));
    }
    Violation check() { return checker.afterCommand(sim.app(), "dump"); }
    NocturoAppDelegate& app() { return sim.app()->controller(); }

    std::string dir;
    TinyResources resources;
    ObservedStore store;
    Simulator sim;
    SoakChecker checker;
};

TEST_F(SoakCheckerTest, AFreshLaunchKeepsEveryRule) {
    launched();
    EXPECT_FALSE(run("press goToSettings:"));
    EXPECT_FALSE(run("control lightModeSelector 2"));
    EXPECT_FALSE(run("wait 2"));
    EXPECT_FALSE(run("control lightModeSelector 1"));
    EXPECT_FALSE(run("wait 2"));
}

TEST_F(SoakCheckerTest, SeesBothLayersInThePaintingScreen) {
    launched();
    app().paintingView->insertSubviewBelow(app().theRainbowView, app().stripImageView);
    EXPECT_EQ(check().rule, "light layers");
}

TEST_F(SoakCheckerTest, SeesALayerThatIsNotDirectlyBelowTheStrip) {
    launched();
    app().paintingView->insertSubviewAt(app().theMaskView, 0);
    EXPECT_EQ(check().rule, "light layers");
}

TEST_F(SoakCheckerTest, SeesAColourOutOfRange) {
    launched();
    app().imageContainerView->setBackgroundColor({1.0f, 1.0000001f, 0.0f, 1.0f});
    EXPECT_EQ(check().rule, "colour range");
}

TEST_F(SoakCheckerTest, SeesACycleTimerOutsideLightModeOne) {
    launched();
    app().startColorFantasyTimer();
    EXPECT_EQ(check().rule, "colour-cycle timer");
}

TEST_F(SoakCheckerTest, SeesATimerTheControllerLostTrackOf) {
    launched();
    auto stray = sim.app()->runLoop().scheduleTimer(0.02, true, [] {});
    EXPECT_EQ(check().rule, "colour-cycle timer");
    stray->invalidate();
    EXPECT_FALSE(check());
}

TEST_F(SoakCheckerTest, SeesTheColourSquareOffTheMasksCentre) {
    launched();
    app().imageContainerView->setCenter({160.0f, 240.00002f});
    EXPECT_EQ(check().rule, "spot centre");
}

TEST_F(SoakCheckerTest, SeesASpotBeyondTheDragLimits) {
    launched();
    app().setSpotSizeByWidth(700.0f);
    EXPECT_EQ(check().rule, "spot size");
}

TEST_F(SoakCheckerTest, SeesTwoScreensInTheContainer) {
    launched();
    app().containerView->addSubview(app().settingsView);
    EXPECT_EQ(check().rule, "screen shown");
}

TEST_F(SoakCheckerTest, SeesTheLightOffWithNoFingerDownInOffModeTwo) {
    launched();
    app().setSpotColorBlack(nullptr);
    EXPECT_EQ(check().rule, "resting light");
}

TEST_F(SoakCheckerTest, SeesAControlThatDisagreesWithTheState) {
    launched();
    app().lightModeSelector->setSelectedSegmentIndex(2);
    EXPECT_EQ(check().rule, "controls show the state");
}

TEST_F(SoakCheckerTest, SeesAWriteThatDiffersFromTheController) {
    launched();
    store.setObject(SettingsKey::lightMode, std::int64_t{2});
    Violation v = check();
    EXPECT_EQ(v.rule, "settings file");
    EXPECT_NE(v.detail.find("lightMode"), std::string::npos) << v.text();
}

TEST_F(SoakCheckerTest, SeesAFileThatDiffersFromTheStoreAfterAWrite) {
    launched();
    store.setObject(SettingsKey::lightMode, std::int64_t{0});
    FileSettingsStore(store.path()).setObject(SettingsKey::lightMode, std::int64_t{2});
    Violation v = check();
    EXPECT_EQ(v.rule, "settings file");
    EXPECT_NE(v.detail.find("the file after a write"), std::string::npos) << v.text();
}

TEST_F(SoakCheckerTest, SeesALaunchThatDoesNotReadBackTheFile) {
    ASSERT_FALSE(run("store lightMode 2"));
    ASSERT_FALSE(run("launch"));
    EXPECT_EQ(app().currentLightMode, 2);
    app().currentOffMode = 1;
    app().offModeSelector->setSelectedSegmentIndex(0);
    EXPECT_EQ(checker.afterCommand(sim.app(), "launch").rule, "settings read back");
}

TEST_F(SoakCheckerTest, TakesStoredCodesAtTheEdgesOfTheirRange) {
    ASSERT_FALSE(run("store lightOffMode 2147483648"));
    ASSERT_FALSE(run("store stripIndex 2147483648"));
    ASSERT_FALSE(run("store colorIndex 2147483647"));
    EXPECT_FALSE(run("launch"));
    EXPECT_FALSE(run("wait 1.4"));
}

TEST_F(SoakCheckerTest, SeesAWarningOfTheStore) {
    std::ofstream(store.path()) << "{\"spotWidth\": ";
    ASSERT_FALSE(run("launch").rule.empty());
    EXPECT_FALSE(store.warnings().empty());
}

TEST(Shrinker, KeepsOnlyTheLinesTheFailureNeeds) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back("noise " + std::to_string(i));
    lines[37] = "first";
    lines[151] = "second";
    auto fails = [](const std::vector<std::string>& l) {
        auto a = std::find(l.begin(), l.end(), "first");
        return a != l.end() && std::find(a, l.end(), "second") != l.end();
    };
    Shrinker shrinker(fails, 10000);
    EXPECT_EQ(shrinker.shrink(lines), (std::vector<std::string>{"first", "second"}));
}

TEST(Shrinker, StopsWhenItsBudgetIsSpent) {
    std::vector<std::string> lines(64, "x");
    Shrinker shrinker([](const std::vector<std::string>&) { return false; }, 5);
    EXPECT_EQ(shrinker.shrink(lines).size(), 64u);
    EXPECT_TRUE(shrinker.exhausted());
}

TEST(EventGenerator, GivesOnlyLinesThatNocturoSimTakesAndEveryRuleHolds) {
    std::string dir = temporaryFolder();
    TinyResources resources(NOCTURO_RESOURCE_DIR);
    {
        SoakSession session(dir + "/settings.json", resources.dir());
        EventGenerator generator(12345);
        for (int i = 0; i < 3000; ++i) {
            std::string line = generator.next(session.app());
            Outcome o = session.run(line);
            ASSERT_TRUE(o.ok()) << "event " << i << " '" << line << "': " << o.refusal
                                << o.violation.text();
        }
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

TEST(EventGenerator, IsTheSameForTheSameSeed) {
    EventGenerator a(99), b(99);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(a.next(nullptr), b.next(nullptr));
}

} // namespace
} // namespace nocturo
