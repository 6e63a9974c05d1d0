#include "graphics/quad_limits.h"

#include <cmath>

namespace tarn::gfx {

bool QuadWithinLimits(const Quad& quad) {
  for (const QuadVertex& v : quad.v) {
    for (float coordinate : {v.x, v.y, v.z, v.u, v.v})
      if (!(std::fabs(coordinate) <= kMaxQuadCoordinate)) return false;  // NaN fails too
    for (float channel : {v.r, v.g, v.b, v.a})
      if (!std::isfinite(channel)) return false;
  }
  return true;
}

}  // namespace tarn::gfx
