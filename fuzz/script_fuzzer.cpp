// The nocturo-sim script reader: any line is carried out or refused with a message, and a
// refused line changes nothing. Waits are limited to a minute of virtual time per input, since
// the virtual clock delivers every timer tick and a long wait is only slow, not wrong.

#include "frontends/sim/Parse.h"
#include "frontends/sim/Simulator.h"
#include "soak/TinyResources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace nocturo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TinyResources resources(NOCTURO_RESOURCE_DIR);
    constexpr double waitBudget = 60.0;

    MemorySettingsStore store;
    Simulator sim(store, resources.dir());
    std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
    double waited = 0.0;
    std::ostringstream out;
    for (std::string line; std::getline(script, line);) {
        std::vector<std::string> words = parse::words(line);
        if (words.size() == 2 && words[0] == "wait") {
            try {
                double seconds = parse::seconds(words[1], "the time");
                if (waited + seconds > waitBudget)
                    continue;
                waited += seconds;
            } catch (const ScriptError&) {
            }
        }
        std::string before = sim.dump();
        try {
            sim.execute(line, out);
        } catch (const ScriptError& e) {
            if (sim.dump() != before) {
                std::fprintf(stderr,
                             "script fuzzer: the refused line '%s' (%s) changed the state\n",
                             line.c_str(), e.what());
                std::abort();
            }
        }
        out.str({});
    }
    return 0;
}
