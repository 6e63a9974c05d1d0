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

// A vertex on the target after projection.
struct ScreenVertex {
  float x, y;
  float invW;
  float attr[6];  // u, v, r, g, b, a (0..255); divided by w when perspective
};

// A quad transformed and clipped to the depth range: a convex polygon drawn
// as a fan of triangles from its first vertex.
struct PreparedQuad {
  ScreenVertex v[12];
  int count = 0;
  bool perspective = false;
  int firstRow = 0, lastRow = 0;  // no pixel outside these rows (inclusive)
};

// False when nothing of the quad is left to draw.
bool PrepareQuad(const Viewport& viewport, const Quad& quad, PreparedQuad& out);

// Draws the pixels of a prepared quad in rows [rowBegin, rowEnd) only, so
// several threads can draw the same quads into one target side by side.
// 'texture' may be null.
void RasterPrepared(Surface& target, const RenderStates& states, const PreparedQuad& quad, const Surface* texture,
                    int addressMode, int rowBegin, int rowEnd);

// Prepares and draws a quad (two triangles: 0-1-2 and 0-2-3) on every row.
void RasterQuad(Surface& target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                const Surface* texture, int addressMode);

}  // namespace tarn::gfx
