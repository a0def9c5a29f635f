// nocturo-sim: Nocturo without a screen, on a virtual clock, driven by a script of events.

#include "frontends/sim/ScreenCapture.h"
#include "frontends/sim/Simulator.h"
#include "platform/FileSettingsStore.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#ifndef NOCTURO_RESOURCE_DIR
#define NOCTURO_RESOURCE_DIR "resources"
#endif

namespace {
void usage(std::ostream& out) {
    out << "usage: nocturo-sim [--resources DIR] [--store FILE] [--data DIR] [SCRIPT]\n"
           "  --store FILE  keep the settings in FILE (JSON), read at start and written at\n"
           "                every change, as a restart would find them; without it they\n"
           "                live in memory only\n"
           "  --data DIR    keep the user's picture for light writing in DIR; without it\n"
           "                in memory only\n"
           "Reads one command a line from SCRIPT, or from standard input:\n"
           "  store KEY VALUE | launch | quit | wait SECONDS | dump\n"
           "  touch down|move|up X Y [FINGER] | touch cancel [FINGER]\n"
           "  control NAME VALUE | press ACTION | call SELECTOR [ARG...]\n"
           "  key space|enter | text WORDS... | picture FILE\n"
           "  render FILE.png [SCALE] | expose FILE.png [SPEED] [STOPS]\n";
}
} // namespace

int main(int argc, char** argv) {
    std::string resources = NOCTURO_RESOURCE_DIR;
    const char* scriptPath = nullptr;
    const char* storePath = nullptr;
    const char* dataPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage(std::cout);
            return 0;
        } else if (!std::strcmp(argv[i], "--resources") && i + 1 < argc) {
            resources = argv[++i];
        } else if (!std::strcmp(argv[i], "--store") && i + 1 < argc) {
            storePath = argv[++i];
        } else if (!std::strcmp(argv[i], "--data") && i + 1 < argc) {
            dataPath = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::cerr << "nocturo-sim: unknown option " << argv[i] << "\n";
            usage(std::cerr);
            return 2;
        } else if (!scriptPath) {
            scriptPath = argv[i];
        } else {
            usage(std::cerr);
            return 2;
        }
    }

    std::unique_ptr<nocturo::SettingsStore> store;
    if (storePath)
        store = std::make_unique<nocturo::FileSettingsStore>(storePath);
    else
        store = std::make_unique<nocturo::MemorySettingsStore>();
    std::unique_ptr<nocturo::KeptFiles> files;
    if (dataPath)
        files = std::make_unique<nocturo::FolderKeptFiles>(dataPath);
    nocturo::Simulator simulator(*store, resources, files.get());
    simulator.setPngWriter(nocturo::screenPngWriter());
    simulator.setPhotographWriter(nocturo::photographPngWriter());
    if (!scriptPath || !std::strcmp(scriptPath, "-"))
        return simulator.run(std::cin, std::cout, std::cerr);
    std::ifstream script(scriptPath);
    if (!script) {
        std::cerr << "nocturo-sim: cannot read " << scriptPath << "\n";
        return 2;
    }
    return simulator.run(script, std::cout, std::cerr);
}
