// What the render device accepts as a quad at all, for every back end: each
// of its numbers finite, and positions and texture coordinates within a
// range where a 32-bit float still resolves a pixel (beyond it nothing
// sensible can be drawn, and the rasterisers' arithmetic loses its footing).
// A quad outside this is dropped before any back end sees it.
#pragma once

#include "graphics/backend.h"

namespace tarn::gfx {

// Ten million pixels (or texture repeats, or units of depth): thousands of
// screens away, where a float's step is already about a pixel.
inline constexpr float kMaxQuadCoordinate = 1.0e7f;

bool QuadWithinLimits(const Quad& quad);

}  // namespace tarn::gfx
