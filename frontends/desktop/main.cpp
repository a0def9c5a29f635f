// nocturo: the light source in a window of the desktop.

#include "frontends/desktop/DesktopFrontend.h"
#include "frontends/desktop/Options.h"
#include "frontends/desktop/ResourceLayout.h"
#include "platform/FileSettingsStore.h"
#include "platform/InterfaceLoader.h"
#include "platform/KeptFiles.h"
#include "platform/UserFolders.h"

#include <SDL.h>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#ifndef NOCTURO_RESOURCE_DIR
#define NOCTURO_RESOURCE_DIR "resources"
#endif
#ifndef NOCTURO_BUILD_PROGRAM_DIR
#define NOCTURO_BUILD_PROGRAM_DIR "."
#endif
#ifndef NOCTURO_INSTALLED_RESOURCES
#define NOCTURO_INSTALLED_RESOURCES "../share/nocturo"
#endif

int main(int argc, char** argv) {
    const auto processStart = std::chrono::steady_clock::now();
    const std::string program = "nocturo";

    const nocturo::ResourceLayout layout(NOCTURO_BUILD_PROGRAM_DIR, NOCTURO_RESOURCE_DIR,
                                         NOCTURO_INSTALLED_RESOURCES);
    std::string programFolder;
    if (char* base = SDL_GetBasePath()) {
        programFolder = base;
        SDL_free(base);
    }
    nocturo::ParsedOptions parsed =
        nocturo::parseOptions(argc, argv, layout.folderFor(programFolder));
    if (!parsed.ok()) {
        std::cerr << program << ": " << parsed.error << "\n"
                  << "Try '" << program << " --help' for more information.\n";
        return 2;
    }
    const nocturo::Options& options = parsed.options;
    if (options.help) {
        std::cout << nocturo::usageText(program);
        return 0;
    }
    if (options.version) {
        std::cout << nocturo::versionText();
        return 0;
    }

    // A finger on a touch screen is not also a mouse, nor the mouse a finger.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_SetHint(SDL_HINT_APP_NAME, "Nocturo");
#ifdef NOCTURO_APP_ID
    // The window's class (X11) and application id (Wayland) name the installed menu entry, so
    // that the desktop shows the window with its icon; a class the user sets stays.
    ::setenv("SDL_VIDEO_X11_WMCLASS", NOCTURO_APP_ID, 0);
    ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", NOCTURO_APP_ID, 0);
#endif
    SDL_SetHint(SDL_HINT_SCREENSAVER_INHIBIT_ACTIVITY_NAME, "Light painting");
    std::string noDisplay;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        noDisplay = SDL_GetError();
    } else if (!nocturo::showsOnAScreen(SDL_GetCurrentVideoDriver(),
                                        SDL_getenv("SDL_VIDEODRIVER"))) {
        // SDL falls back to drawing into memory when no display answers; nobody would see that.
        noDisplay = "no display answered";
        SDL_Quit();
    }
    if (!noDisplay.empty()) {
        std::cerr << program << ": cannot open a display: " << noDisplay << "\n"
                  << "Nocturo shows its light in a window. Start it in a graphical session "
                     "(X11 or Wayland), or set DISPLAY to the display to use.\n";
        return 1;
    }

    std::unique_ptr<nocturo::SettingsStore> store;
    std::string settingsFile = options.settingsFile.empty()
                                   ? nocturo::FileSettingsStore::defaultPath()
                                   : options.settingsFile;
    if (settingsFile.empty()) {
        std::cerr << program
                  << ": no home folder to keep the settings in; they last until "
                     "Nocturo quits\n";
        store = std::make_unique<nocturo::MemorySettingsStore>();
    } else {
        store = std::make_unique<nocturo::FileSettingsStore>(
            settingsFile, [&](const std::string& m) { std::cerr << program << ": " << m << "\n"; });
    }

    // The user's picture for light writing; with no home folder, kept until Nocturo quits.
    std::unique_ptr<nocturo::KeptFiles> files;
    if (std::string folder = nocturo::UserFolders::data(); !folder.empty())
        files = std::make_unique<nocturo::FolderKeptFiles>(folder);
    else
        files = std::make_unique<nocturo::MemoryKeptFiles>();

    int status = 0;
    try {
        nocturo::DesktopFrontend frontend(options, *store, processStart, files.get());
        status = frontend.run();
        if (options.stats)
            frontend.figures().print(std::cout);
    } catch (const nocturo::DisplayError& e) {
        std::cerr << program << ": cannot open a window: " << e.what() << "\n";
        status = 1;
    } catch (const nocturo::InterfaceError& e) {
        std::cerr << program << ": cannot start: " << e.what() << "\n";
        status = 1;
    } catch (const std::exception& e) {
        std::cerr << program << ": " << e.what() << "\n";
        status = 1;
    }
    SDL_Quit();
    return status;
}
