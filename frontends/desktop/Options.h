#pragma once

#include <optional>
#include <string>

namespace nocturo {

// What the command line of the desktop front end asks for.
struct Options {
    // Pixels of the window a point of the screen; absent: the largest that fits the display.
    std::optional<float> scale;
    bool fullscreen = false;
    // The settings file; empty: the per-user file.
    std::string settingsFile;
    std::string resourceDir;
    // A picture to write with from the start; empty: the one kept from before, if any.
    std::string pictureFile;
    // Quits by itself this many seconds after the launch; absent: runs until closed.
    std::optional<double> quitAfter;
    // Prints timing and processor figures when it quits.
    bool stats = false;
    bool help = false;
    bool version = false;
};

// The outcome of reading the command line: the options, or the fault in it.
struct ParsedOptions {
    Options options;
    std::string error;
    bool ok() const { return error.empty(); }
};

ParsedOptions parseOptions(int argc, const char* const* argv, std::string defaultResourceDir);

std::string usageText(const std::string& program);
std::string versionText();

// Whether SDL's video driver `driver` shows a window to anybody: its drivers that draw into
// memory count only when asked for by name in `requested` (what $SDL_VIDEODRIVER holds).
bool showsOnAScreen(const char* driver, const char* requested);

inline constexpr float minimumScale = 0.25f;
inline constexpr float maximumScale = 8.0f;

} // namespace nocturo
