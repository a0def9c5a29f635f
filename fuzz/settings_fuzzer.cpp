// The settings file reader: a file of any bytes is either read, giving exactly what the parser
// makes of its text, or moved aside with a warning; what was read writes back and reads again
// unchanged; and the application launches on it.

#include "app/Nocturo.h"
#include "platform/FileSettingsStore.h"
#include "soak/TinyResources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace nocturo;

namespace {

namespace fs = std::filesystem;
using Values = std::map<std::string, SettingValue>;

// Settings files are flushed at every write: in memory that costs nothing.
std::string makeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base =
        ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && tmp[0] ? tmp : "/tmp");
    std::string pattern = base + "/nocturo-fuzz-settings-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        std::abort();
    return name.data();
}

struct Folder {
    std::string path = makeFolder();
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "settings fuzzer: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TinyResources resources(NOCTURO_RESOURCE_DIR);
    static Folder folder;
    const std::string path = folder.path + "/settings.json";
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    std::string error;
    std::optional<Values> parsed = FileSettingsStore::parse(text, &error);
    std::vector<std::string> warnings;
    auto collect = [&](const std::string& m) { warnings.push_back(m); };
    {
        FileSettingsStore store(path, collect);
        if (parsed && size <= (1u << 20)) {
            if (!warnings.empty() || !store.movedAsidePath().empty())
                broken("a file that parses was not read");
            if (!sameSettings(store.dictionary(), *parsed))
                broken("the store holds other values than the parser read");
        } else if (!parsed) {
            if (warnings.empty() || store.movedAsidePath().empty())
                broken("a file that does not parse was not moved aside with a warning");
            if (!store.dictionary().empty())
                broken("values were kept from a file that does not parse");
            if (error.empty())
                broken("no reason was given for a file that does not parse");
        }

        std::map<std::string, std::string> strings;
        std::optional<Values> again = FileSettingsStore::parse(
            FileSettingsStore::serialize(store.dictionary(), store.strings()), nullptr, &strings);
        if (!again || !sameSettings(*again, store.dictionary()) || strings != store.strings())
            broken("what was read does not write back the same");

        store.setObject(SettingsKey::colorIndex, std::int64_t{3});
        warnings.clear();
        FileSettingsStore reread(path, collect);
        if (!warnings.empty() || !sameSettings(reread.dictionary(), store.dictionary()))
            broken("a write is not read back as written");

        if (parsed) {
            Nocturo app(reread, resources.dir());
            app.launch();
            app.runLoop().advanceTo(3.0);
        }
    }
    for (const auto& entry : fs::directory_iterator(folder.path)) {
        std::error_code ignored;
        fs::remove(entry.path(), ignored);
    }
    return 0;
}
