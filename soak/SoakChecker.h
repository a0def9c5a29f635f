#pragma once

#include "app/Nocturo.h"
#include "soak/ObservedStore.h"

#include <map>
#include <string>

namespace nocturo {

// A broken rule: which one, and what was seen. Empty when every rule holds.
struct Violation {
    std::string rule;
    std::string detail;
    explicit operator bool() const { return !rule.empty(); }
    std::string text() const { return rule + ": " + detail; }
};

// The rules a photographer relies on, checked after every event:
//   - in light modes 0 to 2, exactly one of the spot and the rainbow lies in the painting
//     screen, directly below the dot strip;
//   - every colour of the light has its components within 0 to 1;
//   - at most one colour-cycle timer is scheduled, and only in light mode 1;
//   - the colour square and the mask share one centre; the mask is a square of 6 to 620
//     points and the colour square one point inside it;
//   - with no finger down, the light rests as the off mode says;
//   - the settings controls show the settings in force;
//   - the container shows exactly one of the four screens;
//   - the settings file can always be read, and after each write it holds what the
//     controller holds; nothing is moved aside and the store never warns;
//   - a launch reads back what the file holds.
class SoakChecker {
public:
    explicit SoakChecker(ObservedStore& store);

    // After one command has run on `app` (none when the application is not running).
    Violation afterCommand(Nocturo* app, const std::string& command);

    // The rules on a running application alone.
    static Violation checkApplication(Nocturo& app);

    // The keys the controller writes, with the value that its writer stores.
    static std::map<std::string, SettingValue> controllerSettings(const NocturoAppDelegate& c);

private:
    Violation checkWrites(Nocturo* app);
    Violation checkFile() const;
    Violation checkLaunch(Nocturo& app) const;

    ObservedStore& store_;
    std::map<std::string, SettingValue> expected_;
};

} // namespace nocturo
