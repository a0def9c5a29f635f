#pragma once

#include "platform/View.h"

#include <string>

namespace nocturo {

enum class TextAlignment { Left, Center, Right };

// A line of text. It takes no touches.
class Label : public View {
public:
    explicit Label(Rect frame = {}) : View(frame) { setUserInteractionEnabled(false); }
    const char* className() const override { return "Label"; }

    const std::string& text() const { return text_; }
    void setText(std::string text) {
        text_ = std::move(text);
        setNeedsDisplay();
    }
    float fontSize() const { return fontSize_; }
    void setFontSize(float size) {
        fontSize_ = size;
        setNeedsDisplay();
    }
    bool isBold() const { return bold_; }
    void setBold(bool bold) {
        bold_ = bold;
        setNeedsDisplay();
    }
    Color textColor() const { return textColor_; }
    void setTextColor(Color color) {
        textColor_ = color;
        setNeedsDisplay();
    }
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment) {
        alignment_ = alignment;
        setNeedsDisplay();
    }

private:
    std::string text_;
    float fontSize_ = 15.0f;
    bool bold_ = false;
    Color textColor_ = Color::whiteColor();
    TextAlignment alignment_ = TextAlignment::Left;
};

} // namespace nocturo
