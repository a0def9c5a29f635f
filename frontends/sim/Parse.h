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
// The line past its first `count` words, without the blanks around it.
std::string afterWords(const std::string& line, std::size_t count);
// The string of `text` that is one double-quoted string, in which \" is a quote and \\ a
// backslash.
std::string quoted(const std::string& text, const std::string& what);

} // namespace nocturo::parse
