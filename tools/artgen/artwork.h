#pragma once

#include "canvas.h"
#include "text.h"

namespace artgen {

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
