#pragma once

// Drives the whole application as a user does: launch, touches, controls, time.

#include "frontends/sim/Simulator.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace nocturo::testing {

// Runs script lines on `sim`; a line that fails fails the test.
inline void runLines(Simulator& sim, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
        std::ostringstream out;
        try {
            sim.execute(line, out);
        } catch (const std::exception& e) {
            FAIL() << "'" << line << "': " << e.what();
        }
    }
}

class AppTest : public ::testing::Test {
protected:
    AppTest() : sim(store, NOCTURO_RESOURCE_DIR) {}

    void run(std::initializer_list<std::string> lines) { runLines(sim, lines); }
    // The fault a line gives, or empty when it succeeds.
    std::string refusal(const std::string& line) {
        std::ostringstream out;
        try {
            sim.execute(line, out);
        } catch (const ScriptError& e) {
            return e.what();
        }
        return {};
    }
    // Launches and waits until the launch fade has ended.
    void launched() { run({"launch", "wait 1.4"}); }
    void toSettings() { run({"press goToSettings:", "wait 1.0"}); }
    void toPainting() { run({"press finishSettings:", "wait 1.0"}); }

    NocturoAppDelegate& app() { return sim.app()->controller(); }
    Application& application() { return sim.app()->application(); }
    View* shownScreen() {
        auto& subs = app().containerView->subviews();
        return subs.empty() ? nullptr : subs.back();
    }
    Color lightColor() { return app().imageContainerView->backgroundColor(); }
    float spotWidth() { return app().theMaskView->frame().width(); }

    MemorySettingsStore store;
    Simulator sim;
};

inline constexpr Color yellow = Color::yellowColor();
inline constexpr Color black = Color::blackColor();
inline constexpr Color red = Color::redColor();

} // namespace nocturo::testing
