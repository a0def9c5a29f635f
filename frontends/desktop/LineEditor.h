#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nocturo {

// The line of text the keyboard edits for light writing: typed text goes on its end, Backspace
// takes off its last character (a whole UTF-8 sequence), and it holds at most `maxCharacters`.
class LineEditor {
public:
    static constexpr std::size_t maxCharacters = 200;

    bool isEditing() const { return editing_; }
    const std::string& text() const { return text_; }

    // Starts editing `text`, cut to the longest line it holds.
    void begin(std::string_view text);
    void end() { editing_ = false; }
    // Each is false, changing nothing, when the line stays as it was.
    bool insert(std::string_view typed);
    bool backspace();

private:
    static std::size_t characters(std::string_view text);

    std::string text_;
    bool editing_ = false;
};

} // namespace nocturo
