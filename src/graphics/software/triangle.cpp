#include "graphics/software/triangle.h"

#include <algorithm>
#include <cmath>

namespace tarn::gfx {

namespace {

bool IsTopLeft(float dx, float dy) { return (dy == 0.0f && dx > 0.0f) || dy < 0.0f; }

}  // namespace

bool Triangle::RowSpan(int y, int& xs, int& xe) const {
  int64_t lo = x0, hi = x1;
  for (int i = 0; i < 3; ++i) {
    double rowE = edgeB[i] * y + edgeC[i];
    if (edgeA[i] == 0.0) {
      if (!(rowE > 0.0 || (rowE == 0.0 && inclusive[i]))) return false;
      continue;
    }
    // The estimated crossing decides alone when it is clear of the pixel
    // centres by more than its error; otherwise it is settled with the exact
    // test, which is monotonic along the row.
    if (fixedOk[i]) {
      constexpr int64_t kOne = int64_t{1} << 32;
      int64_t t = std::clamp(crossFixed[i] + stepFixed[i] * (y - y0), (x0 - int64_t{2}) * kOne, (x1 + int64_t{2}) * kOne);
      uint64_t fraction = static_cast<uint64_t>(t) & 0xFFFFFFFFu;
      bool clear = fraction > nearFixed[i] && fraction < static_cast<uint64_t>(kOne) - nearFixed[i];
      if (edgeA[i] > 0) {
        int64_t first = (t + kOne - 1) >> 32;
        if (!clear) first = SettleFirst(i, first, rowE);
        lo = std::max(lo, first);
      } else {
        int64_t last = t >> 32;
        if (!clear) last = SettleLast(i, last, rowE);
        hi = std::min(hi, last);
      }
      if (lo > hi) return false;
      continue;
    }
    double t = std::clamp(crossing[i] + crossingStep[i] * y, x0 - 2.0, x1 + 2.0);
    if (edgeA[i] > 0) {
      int64_t first = CeilI64(t);
      if (!(first - t > tolerance[i] && t - (first - 1) > tolerance[i])) first = SettleFirst(i, first, rowE);
      lo = std::max(lo, first);
    } else {
      int64_t last = FloorI64(t);
      if (!(t - last > tolerance[i] && (last + 1) - t > tolerance[i])) last = SettleLast(i, last, rowE);
      hi = std::min(hi, last);
    }
    if (lo > hi) return false;
  }
  xs = static_cast<int>(lo);
  xe = static_cast<int>(hi);
  return true;
}

bool SetUpTriangle(const Surface& target, int cull, const ScreenVertex& a, ScreenVertex& b, ScreenVertex& c, Triangle& t) {
  float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  // A position that is not a finite number makes the area one too; such a
  // triangle has no pixels that could be found (the row scan would walk
  // from the end of the integer range).
  if (area == 0.0f || !std::isfinite(area)) return false;
  if (cull == kCullBack && area < 0) return false;   // counter-clockwise on screen
  if (cull == kCullFront && area > 0) return false;  // clockwise on screen
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  t.x0 = std::max(0, static_cast<int>(std::ceil(std::max(minX, -1.0f))));
  t.x1 = std::min(target.width - 1, static_cast<int>(std::floor(std::min(maxX, 1.0e9f))));
  t.y0 = std::max(0, static_cast<int>(std::ceil(std::max(minY, -1.0f))));
  t.y1 = std::min(target.height - 1, static_cast<int>(std::floor(std::min(maxY, 1.0e9f))));
  if (t.x0 > t.x1 || t.y0 > t.y1) return false;

  const ScreenVertex* v[3] = {&a, &b, &c};
  double ex[3], ey[3], e0[3];  // for the attribute planes only
  for (int i = 0; i < 3; ++i) {
    const ScreenVertex* p = v[(i + 1) % 3];
    const ScreenVertex* q = v[(i + 2) % 3];
    float fdx = q->x - p->x, fdy = q->y - p->y;
    ex[i] = -fdy;
    ey[i] = fdx;
    e0[i] = static_cast<double>(fdx) * (t.y0 - p->y) - static_cast<double>(fdy) * (t.x0 - p->x);
    t.inclusive[i] = IsTopLeft(fdx, fdy);
    double sign = 1.0;
    if (p->x > q->x || (p->x == q->x && p->y > q->y)) {
      std::swap(p, q);
      sign = -1.0;
    }
    double dx = static_cast<double>(q->x) - p->x, dy = static_cast<double>(q->y) - p->y;
    t.edgeA[i] = -dy * sign;
    t.edgeB[i] = dx * sign;
    t.edgeC[i] = (dy * p->x - dx * p->y) * sign;
    if (t.edgeA[i] != 0.0) {
      double inverse = 1.0 / t.edgeA[i];
      t.crossing[i] = -t.edgeC[i] * inverse;
      t.crossingStep[i] = -t.edgeB[i] * inverse;
      // Rounding in the estimate and in the exact test, with a wide margin.
      double reach = std::fabs(t.edgeC[i]) + std::fabs(t.edgeB[i]) * (std::fabs(static_cast<double>(t.y1)) + 2.0) +
                     std::fabs(t.edgeA[i]) * (std::fabs(static_cast<double>(t.x1)) + 2.0);
      t.tolerance[i] = 64.0 * 2.220446049250313e-16 * reach * std::fabs(inverse);
      double start = t.crossing[i] + t.crossingStep[i] * t.y0, rows = t.y1 - t.y0 + 1.0;
      t.fixedOk[i] = std::fabs(start) < 1.0e9 && std::fabs(t.crossingStep[i]) * rows < 1.0e9 && t.tolerance[i] < 0.01;
      if (t.fixedOk[i]) {
        constexpr double kScale = 4294967296.0;
        t.crossFixed[i] = FloorI64(start * kScale + 0.5);
        t.stepFixed[i] = FloorI64(t.crossingStep[i] * kScale + 0.5);
        // Half a unit from each rounding, per row for the step.
        t.nearFixed[i] = static_cast<uint64_t>(t.tolerance[i] * kScale) + static_cast<uint64_t>(rows) + 2;
      }
    } else {
      t.fixedOk[i] = false;
    }
  }
  double invArea = 1.0 / area;
  // Barycentric weight i belongs to vertex i, whose opposite edge is i.
  for (int k = 0; k <= kAttrs; ++k) {
    double va = k < kAttrs ? a.attr[k] : a.invW;
    double vb = k < kAttrs ? b.attr[k] : b.invW;
    double vc = k < kAttrs ? c.attr[k] : c.invW;
    t.attr0[k] = (va * e0[0] + vb * e0[1] + vc * e0[2]) * invArea;
    t.attrX[k] = (va * ex[0] + vb * ex[1] + vc * ex[2]) * invArea;
    t.attrY[k] = (va * ey[0] + vb * ey[1] + vc * ey[2]) * invArea;
  }
  return true;
}

}  // namespace tarn::gfx
