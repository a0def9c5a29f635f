#include "soak/SoakSession.h"

#include <cstdio>

namespace nocturo {

SoakSession::SoakSession(const std::string& settingsPath, const std::string& resourceDir)
    : store_(settingsPath), sim_(store_, resourceDir), checker_(store_) {}

Outcome SoakSession::run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "launch" && !sim_.app())
        store_.reopen();
    Outcome outcome;
    try {
        sim_.execute(line, output_);
    } catch (const ScriptError& e) {
        outcome.refusal = e.what();
        return outcome;
    }
    output_.str({});
    outcome.violation = checker_.afterCommand(sim_.app(), command);
    return outcome;
}

std::vector<std::string> SoakSession::prelude() const {
    std::vector<std::string> lines;
    for (const auto& [key, value] : store_.dictionary()) {
        std::string text;
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            text = std::to_string(*i);
        } else if (const auto* f = std::get_if<float>(&value)) {
            char number[32];
            std::snprintf(number, sizeof number, "%.9g", static_cast<double>(*f));
            text = number;
            // `store` takes a number without a point or an exponent for an integer.
            if (text.find_first_of(".e") == std::string::npos)
                text += ".0";
        } else {
            text = std::get<bool>(value) ? "true" : "false";
        }
        lines.push_back("store " + key + " " + text);
    }
    if (sim_.clock() > 0.0) {
        char number[40];
        std::snprintf(number, sizeof number, "%.17g", sim_.clock());
        lines.push_back(std::string("wait ") + number);
    }
    return lines;
}

} // namespace nocturo
