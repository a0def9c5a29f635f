// Strings in the settings store: kept as UTF-8 of at most 200 characters, in the file, in the
// browser's storage and in the command line's store, apart from the numbers.

#include "frontends/sim/Simulator.h"
#include "frontends/web/LocalStorageSettingsStore.h"
#include "frontends/web/StoredValue.h"
#include "platform/FileSettingsStore.h"
#include "tests/MapStorage.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace nocturo {
namespace {

using nocturo::testing::MapStorage;

TEST(StoredStrings, AreKeptAsUtf8OfAtMost200Characters) {
    EXPECT_EQ(storedString("Licht \xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x9F"),
              "Licht \xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x9F");
    // A stray byte, a cut sequence, an overlong form and a surrogate each become U+FFFD.
    EXPECT_EQ(storedString("a\xFF"
                           "b\xC3"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    std::string fiveReplaced;
    for (int i = 0; i < 5; ++i)
        fiveReplaced += "\xEF\xBF\xBD";
    EXPECT_EQ(storedString("\xC0\xAF\xED\xA0\x80"), fiveReplaced);
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "\xC3\xA9";
    EXPECT_EQ(storedString(many), many.substr(0, 400));
}

TEST(StoredStrings, AKeyHoldsTheStringOrTheNumberWrittenLast) {
    MemorySettingsStore store;
    store.setString("writingText", "NOCTURO");
    EXPECT_EQ(store.stringForKey("writingText"), "NOCTURO");
    EXPECT_EQ(store.objectForKey("writingText"), std::nullopt);
    EXPECT_EQ(store.integerForKey("writingText"), 0);
    EXPECT_TRUE(store.dictionary().empty());
    store.setInteger("writingText", 3);
    EXPECT_EQ(store.stringForKey("writingText"), std::nullopt);
    store.setString("writingText", "again");
    EXPECT_EQ(store.objectForKey("writingText"), std::nullopt);
    EXPECT_EQ(store.strings(), (std::map<std::string, std::string>{{"writingText", "again"}}));
}

TEST(StoredStrings, SurviveARestartInTheSettingsFile) {
    const std::string path = ::testing::TempDir() + "nocturo_strings_test.json";
    std::filesystem::remove(path);
    std::vector<std::string> warnings;
    auto warn = [&](const std::string& m) { warnings.push_back(m); };
    {
        FileSettingsStore store(path, warn);
        store.setInteger("colorIndex", 2);
        store.setString("writingText", "Say \"hi\" \\ \xE2\x9C\xA8");
        store.setString("gone", "soon");
        store.setFloat("gone", 1.5f);
    }
    FileSettingsStore again(path, warn);
    EXPECT_EQ(again.stringForKey("writingText"), "Say \"hi\" \\ \xE2\x9C\xA8");
    EXPECT_EQ(again.integerForKey("colorIndex"), 2);
    EXPECT_EQ(again.stringForKey("gone"), std::nullopt);
    EXPECT_EQ(again.floatForKey("gone"), 1.5f);
    EXPECT_TRUE(warnings.empty());

    // A string written into the file by hand is held to what the store keeps.
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fprintf(f, "{\"writingText\": \"%s\", \"list\": [\"x\"]}",
                     std::string(250, 'a').c_str());
        std::fclose(f);
    }
    FileSettingsStore edited(path, warn);
    EXPECT_EQ(edited.stringForKey("writingText"), std::string(200, 'a'));
    EXPECT_EQ(edited.stringForKey("list"), std::nullopt);
    std::filesystem::remove(path);
}

TEST(StoredStrings, SurviveAReloadInTheBrowsersStorage) {
    MapStorage storage;
    {
        LocalStorageSettingsStore store(storage, {});
        store.setString("writingText", "Nacht \"licht\"");
    }
    EXPECT_EQ(storage.entries["writingText"], "\"Nacht \\\"licht\\\"\"");
    storage.entries["plain"] = "unquoted";
    LocalStorageSettingsStore again(storage, {"writingText", "plain"});
    EXPECT_EQ(again.stringForKey("writingText"), "Nacht \"licht\"");
    EXPECT_EQ(again.stringForKey("plain"), std::nullopt);
    EXPECT_EQ(again.objectForKey("plain"), std::nullopt);
}

TEST(StoredStrings, AreStoredByTheCommandLineAndShownInItsDump) {
    MemorySettingsStore store;
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    std::ostringstream out;
    sim.execute(R"(store writingText "two  words, a \"quote\" and \\")", out);
    EXPECT_EQ(store.stringForKey("writingText"), "two  words, a \"quote\" and \\");
    for (const char* bad :
         {R"(store writingText "open)", R"(store writingText "a" b)", R"(store writingText "a\b")"})
        EXPECT_THROW(sim.execute(bad, out), ScriptError) << bad;
    sim.execute("launch", out);
    auto dump = nlohmann::json::parse(sim.dump());
    EXPECT_EQ(dump["store"]["writingText"], "two  words, a \"quote\" and \\");
}

} // namespace
} // namespace nocturo
