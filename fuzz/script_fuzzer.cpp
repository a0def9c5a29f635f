// The nocturo-sim script reader: any line is carried out or refused with a message, a refused
// line changes nothing, and a script runs the same way every time. Waits are limited to a
// minute of virtual time per input, since the virtual clock delivers every timer tick and a
// long wait is only slow, not wrong.
//
// Each input runs twice: first to learn which lines are refused, then again with the state
// dumped around those lines only, since a dump costs far more than a line.

#include "frontends/sim/Parse.h"
#include "frontends/sim/Simulator.h"
#include "soak/TinyResources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace nocturo;

namespace {

constexpr double waitBudget = 60.0;

std::vector<std::string> linesOf(const std::uint8_t* data, std::size_t size) {
    std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    double waited = 0.0;
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
        lines.push_back(line);
    }
    return lines;
}

[[noreturn]] void broken(const std::string& line, const char* what) {
    std::fprintf(stderr, "script fuzzer: '%s': %s\n", line.c_str(), what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TinyResources resources(NOCTURO_RESOURCE_DIR);
    const std::vector<std::string> lines = linesOf(data, size);
    std::ostringstream out;

    std::vector<bool> refused(lines.size(), false);
    {
        MemorySettingsStore store;
        Simulator sim(store, resources.dir());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            try {
                sim.execute(lines[i], out);
            } catch (const ScriptError&) {
                refused[i] = true;
            }
            out.str({});
        }
    }

    // A run of refused lines is checked as a whole: the state before its first line against
    // the state after its last.
    MemorySettingsStore store;
    Simulator sim(store, resources.dir());
    std::string before;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool firstOfRun = refused[i] && (i == 0 || !refused[i - 1]);
        if (firstOfRun)
            before = sim.dump();
        bool threw = false;
        try {
            sim.execute(lines[i], out);
        } catch (const ScriptError&) {
            threw = true;
        }
        out.str({});
        if (threw != refused[i])
            broken(lines[i], "a second run of the script took a different course");
        bool lastOfRun = refused[i] && (i + 1 == lines.size() || !refused[i + 1]);
        if (lastOfRun && sim.dump() != before)
            broken(lines[i], "a refused line, this or one just before it, changed the state");
    }
    return 0;
}
