#pragma once

#include "canvas.h"
#include "text.h"

namespace artgen {

// The brightest ink of a control drawn over the light's screen: about a tenth grey on black
// (26 of 255), which a photograph exposed for the lit spot does not record and an eye used to
// the dark still finds. Every such control's picture is drawn in it.
constexpr float kDimInk = 26.0f / 255.0f;

struct Fonts {
    Font regular;
    Font bold;
};

// Overlays that shape the light.
Canvas spotMask();
Canvas dotArray(int spacingPoints);

// Full-screen pictures.
Canvas rainbow();
Canvas launchScreen(const Fonts& fonts);

// Example photographs for the mode pickers.
Canvas staticSpotSample();
Canvas colourSpotSample();
Canvas rainbowSample();
Canvas dotStripSample();

// Pictures to write with light, column by column.
Canvas writingStar();
Canvas writingHeart();
Canvas writingArrow();
Canvas writingWave();

// Small interface pieces.
Canvas caption(const Fonts& fonts, const char* text);
Canvas settingsIcon(const Fonts& fonts);
Canvas timedLightIcon();

} // namespace artgen
