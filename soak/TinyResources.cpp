#include "soak/TinyResources.h"

#include "platform/render/PngFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace nocturo {

namespace fs = std::filesystem;

TinyResources::TinyResources(const std::string& sourceDir) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/nocturo-res-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        return;
    dir_ = name.data();

    Framebuffer pixel;
    pixel.resize(1, 1);
    pixel.pixels = {255, 255, 255, 255};
    std::error_code error;
    bool ok = true;
    for (const auto& entry : fs::directory_iterator(sourceDir, error)) {
        if (!entry.is_regular_file())
            continue;
        fs::path target = fs::path(dir_) / entry.path().filename();
        if (entry.path().extension() == ".png")
            ok = ok && writePng(pixel, target.string());
        else
            ok = ok && fs::copy_file(entry.path(), target, error);
    }
    if (error || !ok) {
        fs::remove_all(dir_, error);
        dir_.clear();
    }
}

TinyResources::~TinyResources() {
    if (dir_.empty())
        return;
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

} // namespace nocturo
