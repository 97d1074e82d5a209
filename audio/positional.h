// Where a sound comes from is told by stereo pan alone, from the map column
// of its source.
#pragma once

#include <cstdint>

namespace tamblor {

// Rotation of the last TransformPoint, row-vector convention.
extern float TransformMatrix[4][4];

// Rotates (x, y, z) about the y axis by `angle` degrees, swaps the first
// and third components and normalises. For (1, 1, 1) the result is
// ((cos - sin)/sqrt 3, 1/sqrt 3, (cos + sin)/sqrt 3): the ball's step.
void TransformPoint(float& x, float& y, float& z, float angle);

// round((x - centre) * scale), halves to even, kept within the pan range.
// The tables' usual rule is centre 26, scale 400.
int32_t PanFor(float x, float centre = 26.0f, float scale = 400.0f);

}  // namespace tamblor
