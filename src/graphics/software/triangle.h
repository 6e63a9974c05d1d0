// One triangle of the software rasteriser set up for scanning: exact edge
// functions with the top-left fill rule, and the planes of its attributes.
#pragma once

#include <cstdint>

#include "graphics/software/raster.h"

namespace tarn::gfx {

// Nearest integers below and above x, for |x| well inside the int64 range
// (no library call: the baseline instruction set has no rounding instruction).
// Without branches: which way the rounding goes is not predictable.
inline int64_t FloorI64(double x) {
  int64_t i = static_cast<int64_t>(x);
  return i - static_cast<int64_t>(x < static_cast<double>(i));
}
inline int64_t CeilI64(double x) {
  int64_t i = static_cast<int64_t>(x);
  return i + static_cast<int64_t>(x > static_cast<double>(i));
}

constexpr int kAttrs = 6;  // u, v, r, g, b, a; plane kAttrs is 1/w

// A triangle ready for scanning: its three edge functions and the planes of
// its interpolated quantities.
struct Triangle {
  int x0, x1, y0, y1;  // bounding box on the target, inclusive
  // Edge functions, positive inside. Each edge is evaluated from its
  // canonically ordered end points in double precision, so the two
  // triangles sharing an edge agree exactly on every pixel and the top-left
  // rule gives each pixel on it to exactly one of them.
  double edgeA[3], edgeB[3], edgeC[3];
  double crossing[3], crossingStep[3];  // where the edge crosses row 0, and its move per row
  double tolerance[3];                  // bound on the error of that estimate within the box
  // The same estimate in 32.32 fixed point from row y0, where it fits:
  // whole-pixel decisions without conversions.
  bool fixedOk[3];
  int64_t crossFixed[3], stepFixed[3];
  uint64_t nearFixed[3];  // tolerance with the fixed-point rounding, in 2^-32
  bool inclusive[3];
  double attr0[kAttrs + 1], attrX[kAttrs + 1], attrY[kAttrs + 1];  // relative to (x0, y0)

  bool Passes(int i, int64_t x, double rowE) const {
    double value = edgeA[i] * static_cast<double>(x) + rowE;
    return value > 0.0 || (value == 0.0 && inclusive[i]);
  }
  // The first (or last) pixel of the row on the inner side of edge i, from
  // an estimate close to it.
  int64_t SettleFirst(int i, int64_t first, double rowE) const {
    while (first > x0 && Passes(i, first - 1, rowE)) --first;
    while (first <= x1 && !Passes(i, first, rowE)) ++first;
    return first;
  }
  int64_t SettleLast(int i, int64_t last, double rowE) const {
    while (last < x1 && Passes(i, last + 1, rowE)) ++last;
    while (last >= x0 && !Passes(i, last, rowE)) --last;
    return last;
  }
  // The covered pixels of row y, [xs, xe]; false when none.
  bool RowSpan(int y, int& xs, int& xe) const;
  double At(int k, int x, int y) const { return attr0[k] + attrY[k] * (y - y0) + attrX[k] * (x - x0); }
};

// Sets up a, b, c (clockwise on screen after this) or returns false when the
// triangle is culled ('cull' is the render state), degenerate or off the target.
bool SetUpTriangle(const Surface& target, int cull, const ScreenVertex& a, ScreenVertex& b, ScreenVertex& c,
                   Triangle& t);

}  // namespace tarn::gfx
