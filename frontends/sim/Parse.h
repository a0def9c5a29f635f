#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nocturo::parse {

std::vector<std::string> words(const std::string& line);
// Each throws ScriptError naming `what` when the text is not exactly such a value.
std::int64_t integer(const std::string& text, const std::string& what);
float finiteFloat(const std::string& text, const std::string& what);
double seconds(const std::string& text, const std::string& what);
bool onOff(const std::string& text, const std::string& what);

} // namespace nocturo::parse
