// The settings file: what it keeps, what it refuses, what it does with a file it cannot read,
// and the whole application finding its settings again after a restart.

#include "frontends/sim/Simulator.h"
#include "platform/FileSettingsStore.h"
#include "platform/UserFolders.h"
#include "tests/AppFixture.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nocturo {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

unsigned modeOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

::testing::AssertionResult sameValues(const std::map<std::string, SettingValue>& found,
                                      const std::map<std::string, SettingValue>& expected) {
    if (found.size() != expected.size())
        return ::testing::AssertionFailure()
               << found.size() << " values found, " << expected.size() << " expected";
    for (const auto& [key, value] : expected) {
        auto it = found.find(key);
        if (it == found.end())
            return ::testing::AssertionFailure() << "'" << key << "' is missing";
        if (!sameSetting(it->second, value))
            return ::testing::AssertionFailure() << "'" << key << "' differs";
    }
    return ::testing::AssertionSuccess();
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp && tmp[0] ? tmp : "/tmp") + "/nocturo-settings-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name.data();
        path = dir / "settings.json";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    FileSettingsStore::WarningHandler collect() {
        return [this](const std::string& message) { warnings.push_back(message); };
    }
    std::unique_ptr<FileSettingsStore> open() {
        return std::make_unique<FileSettingsStore>(path.string(), collect());
    }
    std::vector<fs::path> filesNamed(const std::string& part) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().find(part) != std::string::npos)
                found.push_back(entry.path());
        return found;
    }

    fs::path dir;
    fs::path path;
    std::vector<std::string> warnings;
};

TEST_F(SettingsFileTest, MissingFileIsAnEmptyStoreWithoutWarning) {
    auto store = open();
    EXPECT_TRUE(store->dictionary().empty());
    EXPECT_TRUE(warnings.empty());
    EXPECT_FALSE(fs::exists(path)) << "reading alone writes nothing";
}

TEST_F(SettingsFileTest, RoundTripKeepsIntegersFloatsAndBooleansExactly) {
    const std::map<std::string, SettingValue> values = {
        {"intMin", std::numeric_limits<std::int64_t>::min()},
        {"intMax", std::numeric_limits<std::int64_t>::max()},
        {"intZero", std::int64_t{0}},
        {"intOdd", std::int64_t{(1LL << 53) + 1}},
        {"whole", 50.0f},
        {"tenth", 0.1f},
        {"third", 1.0f / 3.0f},
        {"nextAfterOne", std::nextafter(1.0f, 2.0f)},
        {"negativeZero", -0.0f},
        {"largest", FLT_MAX},
        {"smallestNormal", FLT_MIN},
        {"smallestSubnormal", std::numeric_limits<float>::denorm_min()},
        {"negative", -123456.789f},
        {"yes", true},
        {"no", false},
    };
    {
        auto store = open();
        for (const auto& [key, value] : values)
            store->setObject(key, value);
        EXPECT_TRUE(store->lastError().empty()) << store->lastError();
    }
    auto reopened = open();
    EXPECT_TRUE(sameValues(reopened->dictionary(), values));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SettingsFileTest, FileIsSortedJsonAndFloatsKeepTheirKind) {
    auto store = open();
    store->setObject("spotWidth", 320.0f);
    store->setObject("colorIndex", std::int64_t{3});
    store->setObject("adjustSpotSize", false);
    store->setObject("cyclicFrequency", 1e20f);

    EXPECT_EQ(readBytes(path), "{\n"
                               "  \"adjustSpotSize\": false,\n"
                               "  \"colorIndex\": 3,\n"
                               "  \"cyclicFrequency\": 1.00000002e+20,\n"
                               "  \"spotWidth\": 320.0\n"
                               "}\n");
    auto reopened = open();
    EXPECT_TRUE(std::holds_alternative<float>(*reopened->objectForKey("spotWidth")));
    EXPECT_TRUE(std::holds_alternative<std::int64_t>(*reopened->objectForKey("colorIndex")));
}

TEST_F(SettingsFileTest, LaterWriteReplacesEarlierValueAndKind) {
    auto store = open();
    store->setObject("lightMode", std::int64_t{1});
    store->setObject("lightMode", 2.5f);
    auto reopened = open();
    ASSERT_TRUE(reopened->objectForKey("lightMode"));
    EXPECT_TRUE(sameSetting(*reopened->objectForKey("lightMode"), SettingValue{2.5f}));
}

TEST_F(SettingsFileTest, WrongKindsAndNumbersThatDoNotFitReadAsAbsent) {
    writeBytes(path, R"({
        "text": "320",
        "list": [1, 2],
        "object": {"spotWidth": 1.0},
        "nothing": null,
        "hugeFloat": 1e400,
        "hugeNegativeFloat": -1e400,
        "beyondFloat": 3.5e38,
        "belowFloat": 1e-50,
        "belowDouble": -1e-400,
        "zero": 0.0,
        "beyondInteger": 9223372036854775808,
        "beyondNegativeInteger": -9223372036854775809,
        "veryLongInteger": 123456789012345678901234567890,
        "replacedByText": 5,
        "replacedByText": "five",
        "largestInteger": 9223372036854775807,
        "largestFloat": 3.40282347e+38,
        "exponentFloat": 2E3,
        "spotWidth": 420.0,
        "colorIndex": 4,
        "adjustSpotSize": true
    })");
    auto store = open();
    EXPECT_TRUE(sameValues(store->dictionary(),
                           {{"largestInteger", std::numeric_limits<std::int64_t>::max()},
                            {"largestFloat", FLT_MAX},
                            {"exponentFloat", 2000.0f},
                            {"zero", 0.0f},
                            {"spotWidth", 420.0f},
                            {"colorIndex", std::int64_t{4}},
                            {"adjustSpotSize", true}}));
    EXPECT_FALSE(store->objectForKey("hugeFloat"));
    EXPECT_EQ(store->floatForKey("text"), 0.0f);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_TRUE(store->movedAsidePath().empty());
}

TEST_F(SettingsFileTest, NonFiniteFloatIsKeptForTheRunButReadsAsAbsentAfterRestart) {
    auto store = open();
    store->setObject("spotWidth", 100.0f);
    store->setObject("spotWidth", std::numeric_limits<float>::quiet_NaN());
    store->setObject("cyclicFrequency", std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(store->floatForKey("spotWidth")));
    EXPECT_TRUE(store->lastError().empty());

    auto reopened = open();
    EXPECT_FALSE(reopened->objectForKey("spotWidth"));
    EXPECT_FALSE(reopened->objectForKey("cyclicFrequency"));
    EXPECT_TRUE(warnings.empty());
}

struct BadFile {
    const char* name;
    std::string bytes;
};

class CorruptSettingsFileTest : public SettingsFileTest,
                                public ::testing::WithParamInterface<BadFile> {};

TEST_P(CorruptSettingsFileTest, IsMovedAsideWithItsBytesAndTheStoreStartsEmpty) {
    const std::string bytes = GetParam().bytes;
    writeBytes(path, bytes);

    auto store = open();
    EXPECT_TRUE(store->dictionary().empty());
    ASSERT_EQ(warnings.size(), 1u);
    const std::string moved = store->movedAsidePath();
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(moved.rfind(path.string() + ".corrupt-", 0), 0u) << moved;
    EXPECT_NE(warnings[0].find(path.string()), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(moved), std::string::npos) << warnings[0];
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readBytes(moved), bytes);

    // The next change makes a new file; the bad one is left alone.
    store->setObject("colorIndex", std::int64_t{2});
    EXPECT_EQ(open()->integerForKey("colorIndex"), 2);
    EXPECT_EQ(readBytes(moved), bytes);
    EXPECT_EQ(warnings.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, CorruptSettingsFileTest,
    ::testing::Values(BadFile{"NotJson", "spotWidth = 320\n"},
                      BadFile{"Truncated", "{\n  \"colorIndex\": 3,\n  \"spotWid"},
                      BadFile{"Empty", ""}, BadFile{"Array", "[1, 2, 3]"}, BadFile{"Number", "42"},
                      BadFile{"TwoObjects", "{} {}"},
                      BadFile{"NotANumberLiteral", "{\"spotWidth\": NaN}"},
                      BadFile{"InvalidBytes", std::string("{\"a\xff\xfe\": 1}\0\x80", 12)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, DirectoryInPlaceOfTheFileIsLeftAloneAndNothingIsSavedOverIt) {
    fs::create_directory(path);
    writeBytes(path / "inside", "kept");

    auto store = open();
    EXPECT_TRUE(store->dictionary().empty());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("is a directory"), std::string::npos) << warnings[0];
    EXPECT_TRUE(store->movedAsidePath().empty());

    store->setObject("stripIndex", std::int64_t{3});
    EXPECT_EQ(store->integerForKey("stripIndex"), 3); // kept for this run
    EXPECT_FALSE(store->lastError().empty());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(readBytes(path / "inside"), "kept");
}

TEST_F(SettingsFileTest, SecondBadFileDoesNotReplaceTheFirstMovedAside) {
    writeBytes(path, "first");
    auto first = open();
    writeBytes(path, "second");
    auto second = open();

    ASSERT_FALSE(first->movedAsidePath().empty());
    ASSERT_FALSE(second->movedAsidePath().empty());
    EXPECT_NE(first->movedAsidePath(), second->movedAsidePath());
    EXPECT_EQ(readBytes(first->movedAsidePath()), "first");
    EXPECT_EQ(readBytes(second->movedAsidePath()), "second");
    EXPECT_EQ(filesNamed(".corrupt-").size(), 2u);
}

TEST_F(SettingsFileTest, FileIsReadableOnlyByItsOwnerAndItsNewDirectoriesToo) {
    path = dir / "config" / "nocturo" / "settings.json";
    auto store = open();
    EXPECT_FALSE(fs::exists(path.parent_path())) << "the directory is made when writing";
    store->setObject("hideStrip", std::int64_t{2});
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(path.parent_path()), 0700u);
    EXPECT_EQ(modeOf(path.parent_path().parent_path()), 0700u);

    // A file that others could read becomes private with the next change.
    ::chmod(path.c_str(), 0644);
    auto again = open();
    again->setObject("hideStrip", std::int64_t{1});
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST_F(SettingsFileTest, FailedWriteKeepsTheValueAndReportsOnceUntilAWriteSucceeds) {
    // A regular file where the settings directory should be: no directory can be made there,
    // whoever runs the test.
    fs::path blocker = dir / "blocked";
    writeBytes(blocker, "not a directory");
    path = blocker / "settings.json";

    auto store = open();
    EXPECT_NO_THROW(store->setObject("lightMode", std::int64_t{2}));
    EXPECT_NO_THROW(store->setObject("colorIndex", std::int64_t{5}));
    EXPECT_EQ(store->integerForKey("lightMode"), 2);
    EXPECT_EQ(store->integerForKey("colorIndex"), 5);
    EXPECT_FALSE(store->lastError().empty());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(path.string()), std::string::npos) << warnings[0];
    EXPECT_EQ(readBytes(blocker), "not a directory");

    fs::remove(blocker);
    store->setObject("stripIndex", std::int64_t{1});
    EXPECT_TRUE(store->lastError().empty()) << store->lastError();
    auto reopened = open();
    EXPECT_EQ(reopened->integerForKey("lightMode"), 2);
    EXPECT_EQ(reopened->integerForKey("colorIndex"), 5);
    EXPECT_EQ(reopened->integerForKey("stripIndex"), 1);
}

TEST_F(SettingsFileTest, TemporaryFileOfAGoneWriterIsIgnoredAndRemoved) {
    pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);

    writeBytes(path, "{\"colorIndex\": 1}\n");
    fs::path stale = dir / ("settings.json.tmp-" + std::to_string(gone) + "-a1b2c3");
    writeBytes(stale, "{\"colorIndex\": 4, \"spotW");
    fs::path other = dir / "other.json.tmp-1-a1b2c3";
    writeBytes(other, "not ours");

    auto store = open();
    EXPECT_EQ(store->integerForKey("colorIndex"), 1);
    EXPECT_TRUE(warnings.empty());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(filesNamed(".corrupt-").empty());
}

// ---- Where the file lives by default

class EnvironmentGuard {
public:
    explicit EnvironmentGuard(std::vector<std::string> names) : names_(std::move(names)) {
        for (const std::string& name : names_) {
            const char* value = std::getenv(name.c_str());
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    ~EnvironmentGuard() {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (saved_[i])
                ::setenv(names_[i].c_str(), saved_[i]->c_str(), 1);
            else
                ::unsetenv(names_[i].c_str());
        }
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::vector<std::string> names_;
    std::vector<std::optional<std::string>> saved_;
};

TEST(SettingsFilePath, IsUnderXdgConfigHomeWhenThatIsAbsolute) {
    EnvironmentGuard guard({"XDG_CONFIG_HOME", "HOME"});
    ::setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
    ::setenv("HOME", "/home/painter", 1);
    EXPECT_EQ(FileSettingsStore::defaultPath(), "/srv/conf/nocturo/settings.json");
}

TEST(SettingsFilePath, FallsBackToHomeConfigWhenXdgConfigHomeIsRelativeEmptyOrUnset) {
    EnvironmentGuard guard({"XDG_CONFIG_HOME", "HOME"});
    ::setenv("HOME", "/home/painter", 1);
    const std::string expected = "/home/painter/.config/nocturo/settings.json";
    ::setenv("XDG_CONFIG_HOME", "conf", 1);
    EXPECT_EQ(FileSettingsStore::defaultPath(), expected);
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(FileSettingsStore::defaultPath(), expected);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(FileSettingsStore::defaultPath(), expected);
}

TEST(SettingsFilePath, WithoutHomeUsesTheAccountsHomeDirectory) {
    EnvironmentGuard guard({"XDG_CONFIG_HOME", "HOME"});
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    std::string found = FileSettingsStore::defaultPath();
    if (found.empty())
        GTEST_SKIP() << "this account has no home directory";
    EXPECT_EQ(found.front(), '/');
    EXPECT_TRUE(found.ends_with("/.config/nocturo/settings.json")) << found;
}

TEST(UserDataFolder, IsUnderXdgDataHomeWhenThatIsAbsoluteAndUnderHomeOtherwise) {
    EnvironmentGuard guard({"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"});
    ::setenv("HOME", "/home/painter", 1);
    ::setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(UserFolders::data(), "/srv/data/nocturo");
    EXPECT_EQ(UserFolders::config(), "/srv/conf/nocturo");
    for (const char* notAbsolute : {"data", ""}) {
        ::setenv("XDG_DATA_HOME", notAbsolute, 1);
        EXPECT_EQ(UserFolders::data(), "/home/painter/.local/share/nocturo") << notAbsolute;
    }
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserFolders::data(), "/home/painter/.local/share/nocturo");
    EXPECT_EQ(UserFolders::config(), "/srv/conf/nocturo");
}

// ---- The whole application on a settings file

class SettingsFileAppTest : public SettingsFileTest {
protected:
    static void run(Simulator& sim, std::initializer_list<std::string> lines) {
        testing::runLines(sim, lines);
    }
    static nlohmann::json dump(const Simulator& sim) { return nlohmann::json::parse(sim.dump()); }
};

TEST_F(SettingsFileAppTest, EverySettingControlAndTheScreenSurviveARestart) {
    nlohmann::json before;
    {
        auto store = open();
        Simulator sim(*store, NOCTURO_RESOURCE_DIR);
        run(sim, {"launch", "wait 1.4", "press goToSettings:", "wait 1.2",
                  // Unlock the size, pick a colour, touch lights up, show the strip, finest dots.
                  "control adjustSizeSwitch off", "control spotColorSelector 3",
                  "control offModeSelector 0", "control stripOnOffSwitch on",
                  "control stripSizeSelector 0",
                  // The frequency slider works in colour fantasy only.
                  "control lightModeSelector 1", "control cyclicFreqSlider 12.5",
                  "press finishSettings:", "wait 1.0",
                  // 50 points further from the centre: the spot grows by 100.
                  "touch down 160 340", "touch move 160 370", "touch move 160 390",
                  "touch up 160 390", "press goToSettings:", "wait 1.2",
                  "control lightModeSelector 2", "press finishSettings:", "wait 1.0"});
        ASSERT_FALSE(HasFailure());
        before = dump(sim);
        run(sim, {"quit"});
    }
    EXPECT_EQ(before["store"].size(), 8u) << before["store"];
    EXPECT_EQ(before["store"], nlohmann::json::parse(readBytes(path)));

    auto store = open();
    Simulator sim(*store, NOCTURO_RESOURCE_DIR);
    run(sim, {"launch", "wait 1.4"});
    ASSERT_FALSE(HasFailure());
    NocturoAppDelegate& d = sim.app()->controller();
    EXPECT_EQ(d.cyclicFreq, 12.5f);
    EXPECT_EQ(d.currentColorIndex, 3);
    EXPECT_EQ(d.theMaskView->frame().width(), 420.0f);
    EXPECT_EQ(d.currentLightMode, 2);
    EXPECT_EQ(d.currentOffMode, 1);
    EXPECT_TRUE(d.shouldAdjustSpotSize);
    EXPECT_EQ(d.shouldHideStrip, 2);
    EXPECT_EQ(d.currentStripIndex, 1);

    nlohmann::json after = dump(sim);
    for (const char* field : {"cyclicFreq", "currentColorIndex", "currentLightMode",
                              "currentOffMode", "shouldAdjustSpotSize", "shouldHideStrip",
                              "currentStripIndex", "storedColor", "inBlackMode"})
        EXPECT_EQ(after["fields"][field], before["fields"][field]) << field;
    EXPECT_EQ(after["controls"], before["controls"]);
    for (const char* view : {"containerView", "paintingView", "theMaskView", "imageContainerView",
                             "theRainbowView", "stripImageView"})
        EXPECT_EQ(after["views"][view], before["views"][view]) << view;
    EXPECT_EQ(after["store"], before["store"]);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SettingsFileAppTest, CorruptFileIsKeptAsideAndTheLaunchGoesOnFromDefaults) {
    const std::string bytes = "{\"lightMode\": 2, \"colorIndex\": ";
    writeBytes(path, bytes);
    auto store = open();
    Simulator sim(*store, NOCTURO_RESOURCE_DIR);
    run(sim, {"launch", "wait 1.4"});
    ASSERT_FALSE(HasFailure());

    NocturoAppDelegate& d = sim.app()->controller();
    EXPECT_EQ(d.cyclicFreq, 50.0f);
    EXPECT_EQ(d.currentColorIndex, 0);
    EXPECT_EQ(d.theMaskView->frame().width(), 320.0f);
    EXPECT_EQ(d.currentLightMode, 0);
    EXPECT_EQ(d.currentOffMode, 2);
    EXPECT_FALSE(d.shouldAdjustSpotSize);
    EXPECT_EQ(d.shouldHideStrip, 1);
    EXPECT_EQ(d.currentStripIndex, 2);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(readBytes(store->movedAsidePath()), bytes);

    run(sim, {"press goToSettings:", "wait 1.2", "control lightModeSelector 1"});
    EXPECT_EQ(open()->integerForKey("lightMode"), 1);
    EXPECT_EQ(readBytes(store->movedAsidePath()), bytes);
}

} // namespace
} // namespace nocturo
