// A save that fails at any step of replacing the file leaves the old file exactly as it was,
// removes its temporary, warns once for a run of such failures and reports the failure.

#include "platform/FileSettingsStore.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace nocturo {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SaveFailure : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("nocturo-save-" + std::to_string(::getpid()) + "-" + GetParam());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "settings.json").string();
        FileSettingsStore(path).setInteger("colorIndex", 3);
        before = contentsOf(path);
    }
    void TearDown() override { fs::remove_all(dir); }

    // The system's calls, but the one named by the test fails with an input/output error.
    FileSettingsStore::FileOperations failing() const {
        auto ops = FileSettingsStore::FileOperations::system();
        std::string step = GetParam();
        if (step == "write")
            ops.write = [](int, const char*, std::size_t) -> long {
                errno = EIO;
                return -1;
            };
        if (step == "fsync")
            ops.fsync = [](int) {
                errno = EIO;
                return -1;
            };
        if (step == "close")
            ops.close = [](int fd) {
                ::close(fd);
                errno = EIO;
                return -1;
            };
        if (step == "rename")
            ops.rename = [](const char*, const char*) {
                errno = EIO;
                return -1;
            };
        return ops;
    }

    fs::path dir;
    std::string path;
    std::string before;
};

TEST_P(SaveFailure, LeavesTheOldFileRemovesTheTemporaryAndWarnsOnce) {
    std::vector<std::string> warnings;
    FileSettingsStore store(path, [&](const std::string& m) { warnings.push_back(m); });
    store.setFileOperations(failing());
    store.setInteger("colorIndex", 5);
    store.setInteger("colorIndex", 4);

    EXPECT_EQ(contentsOf(path), before);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(path), std::string::npos);
    EXPECT_FALSE(store.lastError().empty());
    // The change is kept for the life of the store, and a later save that works writes it.
    EXPECT_EQ(store.integerForKey("colorIndex"), 4);
    store.setFileOperations(FileSettingsStore::FileOperations::system());
    store.setInteger("lightMode", 1);
    EXPECT_TRUE(store.lastError().empty());
    EXPECT_EQ(FileSettingsStore(path).integerForKey("colorIndex"), 4);
}

INSTANTIATE_TEST_SUITE_P(EachStep, SaveFailure,
                         ::testing::Values("write", "fsync", "close", "rename"));

} // namespace
} // namespace nocturo
