// Emission points from the solid pixels of a shape image.
#pragma once

#include <string>

#include "particles/effect.h"
#include "resources/parcon.h"

namespace tarn::particles {

// Reads "path [width [height]]" at the cursor and adds a point for every
// pixel whose byte 'channel' (0..3 of B, G, R, A) is above 31, spread over
// width × height around the generator. An image that cannot be loaded adds
// nothing; images are kept for the life of the process.
void AddShapePoints(ParticleGenerator& generator, ParconCursor& cursor, int channel);
// The pixel byte a "shape_mask" key's suffix selects.
int ShapeChannel(const char* suffix);
// Forgets the kept images (tests).
void ForgetShapeImages();

}  // namespace tarn::particles
