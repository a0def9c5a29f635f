#pragma once

#include "frontends/sim/Simulator.h"
#include "soak/ObservedStore.h"
#include "soak/SoakChecker.h"

#include <sstream>
#include <string>
#include <vector>

namespace nocturo {

// What one line did: refused by nocturo-sim, broke a rule, or neither.
struct Outcome {
    std::string refusal;
    Violation violation;
    bool ok() const { return refusal.empty() && !violation; }
};

// nocturo-sim on a settings file, with the soak's rules checked after every line. Each launch
// opens the file afresh, as a new process would.
class SoakSession {
public:
    SoakSession(const std::string& settingsPath, const std::string& resourceDir);

    Outcome run(const std::string& line);

    Nocturo* app() const { return sim_.app(); }
    const ObservedStore& store() const { return store_; }
    double clock() const { return sim_.clock(); }

    // Lines that give a fresh session's file and clock what this one has now: a script that
    // starts from them and launches starts where this session would.
    std::vector<std::string> prelude() const;

private:
    ObservedStore store_;
    Simulator sim_;
    SoakChecker checker_;
    std::ostringstream output_;
};

} // namespace nocturo
