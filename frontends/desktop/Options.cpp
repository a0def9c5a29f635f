#include "frontends/desktop/Options.h"

#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <sstream>

#ifndef NOCTURO_VERSION
#define NOCTURO_VERSION "unknown"
#endif

namespace nocturo {

namespace {
std::optional<double> number(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}
} // namespace

ParsedOptions parseOptions(int argc, const char* const* argv, std::string defaultResourceDir) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    o.resourceDir = std::move(defaultResourceDir);
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                inlineValue = true;
            }
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return value;
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        auto flagOnly = [&] { return !inlineValue; };

        if ((arg == "--help" || arg == "-h") && flagOnly()) {
            o.help = true;
        } else if (arg == "--version" && flagOnly()) {
            o.version = true;
        } else if ((arg == "--fullscreen" || arg == "-f") && flagOnly()) {
            o.fullscreen = true;
        } else if (arg == "--stats" && flagOnly()) {
            o.stats = true;
        } else if (arg == "--scale") {
            auto text = takeValue();
            if (!text)
                return fail("--scale needs a number");
            auto v = number(*text);
            if (!v || *v < minimumScale || *v > maximumScale) {
                std::ostringstream m;
                m << "--scale takes a number from " << minimumScale << " to " << maximumScale
                  << ", not '" << *text << "'";
                return fail(m.str());
            }
            o.scale = static_cast<float>(*v);
        } else if (arg == "--settings") {
            auto text = takeValue();
            if (!text || text->empty())
                return fail("--settings needs a file");
            o.settingsFile = *text;
        } else if (arg == "--picture") {
            auto text = takeValue();
            if (!text || text->empty())
                return fail("--picture needs a file");
            o.pictureFile = *text;
        } else if (arg == "--resources") {
            auto text = takeValue();
            if (!text || text->empty())
                return fail("--resources needs a folder");
            o.resourceDir = *text;
        } else if (arg == "--quit-after") {
            auto text = takeValue();
            if (!text)
                return fail("--quit-after needs a number of seconds");
            auto v = number(*text);
            if (!v || *v < 0.0 || *v > 1e7)
                return fail("--quit-after takes a number of seconds from 0, not '" + *text + "'");
            o.quitAfter = *v;
        } else if (arg.rfind("-psn_", 0) == 0) {
            // Added by some desktops when they start a program; it means nothing here.
        } else {
            return fail("unknown option '" + std::string(argv[i]) + "'");
        }
    }
    return parsed;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program +
           " [OPTION]...\n"
           "Nocturo turns this screen into a hand-held light source for light painting.\n"
           "\n"
           "  --scale S          window pixels a point of the 320 x 480 point screen\n"
           "                     (default: the largest size that fits the display)\n"
           "  -f, --fullscreen   start full screen\n"
           "  --settings FILE    keep the settings in FILE (default:\n"
           "                     $XDG_CONFIG_HOME/nocturo/settings.json, or\n"
           "                     ~/.config/nocturo/settings.json)\n"
           "  --picture FILE     write with the PNG or JPEG picture FILE when light\n"
           "                     writing is on, and keep it for later runs (in\n"
           "                     $XDG_DATA_HOME/nocturo, or ~/.local/share/nocturo); a\n"
           "                     file that is not such a picture is an error (status 1)\n"
           "  --resources DIR    the interface file, pictures and fonts (default:\n"
           "                     ../share/nocturo from the program's folder)\n"
           "  --quit-after SECS  quit by itself SECS seconds after starting\n"
           "  --stats            print timing and processor figures on quitting\n"
           "  -h, --help         show this help and exit\n"
           "      --version      show the version and exit\n"
           "\n"
           "The mouse is one finger and its wheel scrolls; a touch screen gives every\n"
           "finger. F11 switches full screen on and off, Escape leaves it, Ctrl+Q quits.\n"
           "The help page opens in the program named by $BROWSER, or with xdg-open.\n"
           "A picture file dropped on the window becomes the picture to write with; a\n"
           "refused one says why in the light writing settings and on standard error.\n"
           "While its line of text is edited, typing goes to the line, Backspace takes a\n"
           "character off, and Enter or Escape ends the editing.\n";
}

std::string versionText() {
    SDL_version linked;
    SDL_GetVersion(&linked);
    std::ostringstream out;
    out << "nocturo " << NOCTURO_VERSION << " (SDL " << int(linked.major) << '.'
        << int(linked.minor) << '.' << int(linked.patch) << ")\n";
    return out.str();
}

bool showsOnAScreen(const char* driver, const char* requested) {
    if (!driver)
        return false;
    std::string name = driver;
    if (name != "offscreen" && name != "dummy" && name != "evdev")
        return true;
    return requested && std::string(requested).find(name) != std::string::npos;
}

} // namespace nocturo
