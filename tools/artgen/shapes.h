#pragma once

#include "canvas.h"

namespace artgen {

// Coverage of a pixel whose centre lies signedDistance inside an edge (negative outside),
// ramped linearly over edgeWidth pixels.
float edgeCoverage(float signedDistance, float edgeWidth = 1.0f);

void fillDisc(Canvas& canvas, float cx, float cy, float radius, Colour colour,
              float edgeWidth = 1.0f);
// Makes a round hole: pixels inside the disc turn transparent.
void punchDisc(Canvas& canvas, float cx, float cy, float radius, float edgeWidth = 1.0f);
// Circle outline; radius is measured to the middle of the line.
void strokeRing(Canvas& canvas, float cx, float cy, float radius, float lineWidth, Colour colour,
                float edgeWidth = 1.0f);

} // namespace artgen
