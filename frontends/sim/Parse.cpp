#include "frontends/sim/Parse.h"

#include "frontends/sim/Simulator.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace nocturo::parse {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    std::string w;
    while (in >> w)
        result.push_back(w);
    return result;
}

std::int64_t integer(const std::string& text, const std::string& what) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        throw ScriptError(what + " must be a whole number, not '" + text + "'");
    return value;
}

namespace {
double number(const std::string& text, const std::string& what) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        throw ScriptError(what + " must be a finite number, not '" + text + "'");
    return value;
}
} // namespace

float finiteFloat(const std::string& text, const std::string& what) {
    double value = number(text, what);
    if (std::fabs(value) > 3.4e38)
        throw ScriptError(what + " is out of range: '" + text + "'");
    return static_cast<float>(value);
}

double seconds(const std::string& text, const std::string& what) {
    double value = number(text, what);
    if (value < 0.0 || value > 1e7)
        throw ScriptError(what + " must lie from 0 to 10000000 seconds, not '" + text + "'");
    return value;
}

bool onOff(const std::string& text, const std::string& what) {
    if (text == "on" || text == "true")
        return true;
    if (text == "off" || text == "false")
        return false;
    throw ScriptError(what + " must be on or off, not '" + text + "'");
}

std::string afterWords(const std::string& line, std::size_t count) {
    const char* blanks = " \t\r\n\f\v";
    std::size_t at = line.find_first_not_of(blanks);
    for (std::size_t i = 0; i < count && at != std::string::npos; ++i)
        at = line.find_first_not_of(blanks, line.find_first_of(blanks, at));
    if (at == std::string::npos)
        return {};
    return line.substr(at, line.find_last_not_of(blanks) + 1 - at);
}

std::string quoted(const std::string& text, const std::string& what) {
    if (text.size() < 2 || text.front() != '"')
        throw ScriptError(what + " must be a string in double quotes, not '" + text + "'");
    std::string value;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (i + 1 != text.size())
                throw ScriptError("nothing may follow the closing quote of " + what);
            return value;
        }
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '"' && text[i + 1] != '\\'))
                throw ScriptError("in " + what + " a backslash comes before \" or \\ only");
            c = text[++i];
        }
        value += c;
    }
    throw ScriptError(what + " has no closing quote");
}

} // namespace nocturo::parse
