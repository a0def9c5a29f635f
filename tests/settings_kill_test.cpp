// A writer killed at any moment leaves the settings file as it was before the write that was
// running or as that write made it: never a mix, never a broken file.
//
// A child process writes as fast as it can and is killed with SIGKILL after a random delay;
// then a fresh store reads the file. The number of kills per test comes from
// NOCTURO_KILL_ITERATIONS (default 300), the random seed from NOCTURO_KILL_SEED. A long run:
//
//   NOCTURO_KILL_ITERATIONS=1000 build/default/tests/nocturo_tests --gtest_filter='SettingsKill*'

#include "platform/FileSettingsStore.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace nocturo {
namespace {

namespace fs = std::filesystem;
using Values = std::map<std::string, SettingValue>;

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 ? value : fallback;
}

// Two complete sets of the eight settings that differ in every value and in the length of the
// file, so that any mix or tear shows.
const Values setA = {
    {"adjustSpotSize", true},       {"colorIndex", std::int64_t{3}},
    {"cyclicFrequency", 12.5f},     {"hideStrip", std::int64_t{2}},
    {"lightMode", std::int64_t{2}}, {"lightOffMode", std::int64_t{1}},
    {"spotWidth", 420.0f},          {"stripIndex", std::int64_t{1}},
};
const Values setB = {
    {"adjustSpotSize", false},      {"colorIndex", std::int64_t{-1234567890123}},
    {"cyclicFrequency", 0.1f},      {"hideStrip", std::int64_t{1}},
    {"lightMode", std::int64_t{0}}, {"lightOffMode", std::int64_t{2}},
    {"spotWidth", 6.00000048f},     {"stripIndex", std::int64_t{3}},
};

std::string describe(const Values& values) {
    std::string text;
    for (const auto& [key, value] : values) {
        text += key + "=";
        std::visit([&](auto v) { text += std::to_string(v); }, value);
        text += " ";
    }
    return text;
}

// What the child shares with the test: how many writes returned, how many of them failed.
struct Progress {
    std::atomic<long> completed{0};
    std::atomic<long> failed{0};
};

// One way of writing: the n-th write (n from 1) and the file it leaves, `expected(0)` being the
// file before the first.
struct Writer {
    std::function<void(FileSettingsStore&, long n)> write;
    std::function<Values(long n)> expected;
};

// Each write puts a whole set at once, alternately B and A.
Writer wholeSets() {
    return {[](FileSettingsStore& store, long n) { store.setObjects(n % 2 ? setB : setA); },
            [](long n) { return n % 2 ? setB : setA; }};
}

// Each write changes one key, as the application does: rounds of the eight keys in order,
// taking them from B in even rounds and from A in odd ones.
Writer keyByKey() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (const auto& entry : setA)
            k.push_back(entry.first);
        return k;
    }();
    auto setOfRound = [](long round) -> const Values& { return round % 2 ? setA : setB; };
    return {[setOfRound](FileSettingsStore& store, long n) {
                long round = (n - 1) / 8;
                const std::string& key = keys[static_cast<std::size_t>((n - 1) % 8)];
                store.setObject(key, setOfRound(round).at(key));
            },
            [setOfRound](long n) {
                Values values = setA;
                long round = n / 8, done = n % 8;
                for (std::size_t i = 0; i < keys.size(); ++i) {
                    long last = static_cast<long>(i) < done ? round : round - 1;
                    if (last >= 0)
                        values[keys[i]] = setOfRound(last).at(keys[i]);
                }
                return values;
            }};
}

class SettingsKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/nocturo-kill-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name.data();
        path = dir / "settings.json";
        void* shared = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(shared, MAP_FAILED);
        progress = new (shared) Progress;
    }
    void TearDown() override {
        if (progress) {
            progress->~Progress();
            ::munmap(progress, sizeof(Progress));
        }
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::size_t countFiles(const std::string& part) const {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(dir))
            n += entry.path().filename().string().find(part) != std::string::npos;
        return n;
    }

    // Starts a writer that runs until it is killed; returns once it is writing.
    pid_t startWriter(const Writer& writer, long firstWrite) {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::close(ready[0]);
            FileSettingsStore store(path.string(), [](const std::string&) {});
            char byte = 1;
            if (::write(ready[1], &byte, 1) != 1)
                ::_exit(3);
            for (long n = firstWrite;; ++n) {
                writer.write(store, n);
                if (!store.lastError().empty())
                    progress->failed.fetch_add(1);
                progress->completed.store(n);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ssize_t got = 0;
        do {
            got = ::read(ready[0], &byte, 1);
        } while (got < 0 && errno == EINTR);
        ::close(ready[0]);
        return got == 1 ? child : -1;
    }

    // Kills writers at random moments; after each kill a fresh store must find the file before
    // or after the write that was running, and nothing moved aside.
    void killRepeatedly(const Writer& writer) {
        const long iterations = environmentNumber("NOCTURO_KILL_ITERATIONS", 300);
        const auto seed = static_cast<unsigned>(
            environmentNumber("NOCTURO_KILL_SEED", static_cast<long>(std::random_device{}())));
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

        {
            FileSettingsStore first(path.string());
            first.setObjects(writer.expected(0));
            ASSERT_TRUE(first.lastError().empty()) << first.lastError();
        }

        long done = 0, midWrite = 0, failures = 0;
        auto started = std::chrono::steady_clock::now();
        for (long i = 0; i < iterations; ++i) {
            pid_t child = startWriter(writer, done + 1);
            ASSERT_GT(child, 0) << "cannot start a writer";
            std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                << "the writer ended by itself, status " << status;

            long completed = std::max(progress->completed.load(), done);
            midWrite += countFiles(".tmp-") > 0;

            std::vector<std::string> warnings;
            FileSettingsStore reader(path.string(),
                                     [&](const std::string& m) { warnings.push_back(m); });
            Values found = reader.dictionary();
            bool before = sameSettings(found, writer.expected(completed));
            bool after = sameSettings(found, writer.expected(completed + 1));
            bool good = (before || after) && warnings.empty() && reader.movedAsidePath().empty();
            if (!good) {
                ++failures;
                ADD_FAILURE() << "kill " << i << " (seed " << seed << ") after write " << completed
                              << ": found " << describe(found)
                              << (warnings.empty() ? "" : "; warning: " + warnings.front());
            }
            EXPECT_EQ(countFiles(".tmp-"), 0u) << "a gone writer's temporary file was kept";
            // The next writer goes on from the file as it is now.
            done = after && !before ? completed + 1 : completed;
            progress->completed.store(done);
        }
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(progress->failed.load(), 0) << "writes reported failures";
        EXPECT_EQ(countFiles(".corrupt-"), 0u);
        std::cout << "[ kills    ] " << iterations << " kills (seed " << seed << "), " << done
                  << " writes completed, " << midWrite << " kills left a temporary file, "
                  << failures << " broken or mixed files, " << seconds << " s\n";
        RecordProperty("kills", static_cast<int>(iterations));
        RecordProperty("writes", static_cast<int>(done));
        RecordProperty("killsDuringAWrite", static_cast<int>(midWrite));
        RecordProperty("failures", static_cast<int>(failures));
    }

    fs::path dir;
    fs::path path;
    Progress* progress = nullptr;
};

TEST_F(SettingsKillTest, KilledWriterOfWholeSetsLeavesTheOldOrTheNewSet) {
    killRepeatedly(wholeSets());
}

TEST_F(SettingsKillTest, KilledWriterOfOneKeyAtATimeLeavesTheFileBeforeOrAfterThatWrite) {
    killRepeatedly(keyByKey());
}

} // namespace
} // namespace nocturo
