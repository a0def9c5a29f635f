#pragma once

#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/View.h"
#include "platform/render/Painter.h"

#include <memory>
#include <string>

namespace nocturo {

class Button;
class Font;
class ImageCache;
class ScrollView;
class SegmentedControl;
class Slider;
class Switch;

// What one view looks like apart from its background and its children: pictures, text and
// each control in its state. Everything is drawn in the view's own points, the painter being
// moved to the view's top left.
class ViewPainter {
public:
    ViewPainter(ImageLibrary& images, ImageCache& cache, Font& regular, Font& bold);

    // Whether the view draws anything besides its background and children.
    static bool hasContent(const View& view);
    // Whether that content covers the view's whole rect with opaque pixels.
    bool contentIsOpaque(const View& view);

    void paintContent(Painter& painter, const View& view);
    void paintScrollIndicators(Painter& painter, const ScrollView& view);

    // A picture scaled to `rect`.
    void paintImage(Painter& painter, const std::shared_ptr<const Image>& image, Rect rect);
    // One line of text in `box`: centred on it vertically, placed by `alignment` across it,
    // and cut short with an ellipsis when it does not fit.
    void paintText(Painter& painter, const std::string& text, Rect box, float size, bool bold,
                   Color color, TextAlignment alignment);

    // The largest size from `size` down to `smallest` at which the text fits `width`.
    float fittingSize(const std::string& text, float width, bool bold, float size, float smallest);

    // How much a disabled control's look is dimmed.
    static constexpr float disabledOpacity = 0.45f;

private:
    void paintSegmentedControl(Painter& painter, const SegmentedControl& control);
    void paintSwitch(Painter& painter, const Switch& control);
    void paintSlider(Painter& painter, const Slider& control);
    void paintButton(Painter& painter, const Button& control);

    ImageLibrary& images_;
    ImageCache& cache_;
    Font& regular_;
    Font& bold_;
};

} // namespace nocturo
