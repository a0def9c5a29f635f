#include "frontends/desktop/LineEditor.h"

namespace nocturo {

namespace {
bool continues(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t LineEditor::characters(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if (!continues(c))
            ++count;
    return count;
}

void LineEditor::begin(std::string_view text) {
    text_.clear();
    editing_ = true;
    insert(text);
}

bool LineEditor::insert(std::string_view typed) {
    std::size_t room = maxCharacters - characters(text_);
    std::size_t taken = 0, count = 0;
    // Whole characters only: a sequence is taken with every byte that continues it.
    while (taken < typed.size()) {
        if (typed[taken] == '\n' || typed[taken] == '\r')
            break;
        if (!continues(typed[taken]) && count++ == room)
            break;
        ++taken;
    }
    if (taken == 0)
        return false;
    text_.append(typed.substr(0, taken));
    return true;
}

bool LineEditor::backspace() {
    if (text_.empty())
        return false;
    std::size_t end = text_.size() - 1;
    while (end > 0 && continues(text_[end]))
        --end;
    text_.erase(end);
    return true;
}

} // namespace nocturo
