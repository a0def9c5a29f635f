#pragma once

#include "canvas.h"
#include "path.h"

#include <string>
#include <utility>
#include <vector>

namespace artgen {

// One timed run of Nocturo's own light, photographed by its exposure simulator as the screen's
// middle is carried along a path over the picture, a pixel a millimetre.
struct Trail {
    // Stored settings for the run: a whole number is an integer setting, any other a float.
    std::vector<std::pair<std::string, double>> settings;
    // Where the screen's middle goes, in the picture's pixels.
    Path centres;
    // Metres a second along the path.
    float pace = 0.5f;
    // How long the light stays at a single point.
    float seconds = 0.5f;
    float stops = 0.0f;
};

// Adds the run's photograph to a light layer.
void addTrail(Canvas& light, const Trail& trail);

} // namespace artgen
