// The software rasteriser: one quad at a time into a surface, with the
// conventions of the default renderer: pixel centres at integer
// coordinates, top-left fill rule, perspective-correct interpolation,
// bilinear filtering, blending, alpha test, colour mask and culling.
#pragma once

#include "graphics/backend.h"
#include "graphics/software/surface.h"

namespace tarn::gfx {

struct Viewport {
  float matrix[16];  // row-vector convention
  int width = 0;
  int height = 0;
};

// Draws a quad (two triangles: 0-1-2 and 0-2-3). 'texture' may be null.
// Only rows y with y % rowStep == rowPhase are touched, so several threads
// can draw the same quads into one target side by side.
void RasterQuad(Surface& target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                const Surface* texture, int addressMode, int rowPhase = 0, int rowStep = 1);

}  // namespace tarn::gfx
