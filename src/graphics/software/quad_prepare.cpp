// Quads through the projection and clipped to the depth range, ready for
// the rasteriser.
#include <algorithm>
#include <cmath>

#include "graphics/software/raster.h"

namespace tarn::gfx {

namespace {

// A vertex after projection; colour channels as 0..255.
struct ClipVertex {
  float x, y, z, w;
  float u, v;
  float r, g, b, a;
};


float PackedByte(float c) {
  if (c >= 1.0f) return 255.0f;
  if (c <= 0.0f) return 0.0f;
  return static_cast<float>(static_cast<int>(c * 255.0f + 0.5f));
}

ClipVertex Transform(const QuadVertex& q, const float* m) {
  ClipVertex c;
  c.x = q.x * m[0] + q.y * m[4] + q.z * m[8] + m[12];
  c.y = q.x * m[1] + q.y * m[5] + q.z * m[9] + m[13];
  c.z = q.x * m[2] + q.y * m[6] + q.z * m[10] + m[14];
  c.w = q.x * m[3] + q.y * m[7] + q.z * m[11] + m[15];
  c.u = q.u;
  c.v = q.v;
  c.r = PackedByte(q.r);
  c.g = PackedByte(q.g);
  c.b = PackedByte(q.b);
  c.a = PackedByte(q.a);
  return c;
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  auto mix = [t](float p, float q) { return p + (q - p) * t; };
  return {mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.w, b.w), mix(a.u, b.u),
          mix(a.v, b.v), mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
}

// Keeps the part of the polygon where dist(v) >= 0.
template <typename Dist>
int ClipPolygon(const ClipVertex* in, int count, ClipVertex* out, Dist dist) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const ClipVertex& a = in[i];
    const ClipVertex& b = in[(i + 1) % count];
    float da = dist(a), db = dist(b);
    if (da >= 0) out[n++] = a;
    if ((da >= 0) != (db >= 0)) out[n++] = Lerp(a, b, da / (da - db));
  }
  return n;
}

}  // namespace

// Beyond the depth range, the quad is cut at a band this many half-targets
// out from the centre: far enough that no ordinary sprite meets it, near
// enough that the edges keep their precision and no row walks across
// millions of pixels. What lies inside the target is drawn as before.
constexpr float kGuardBand = 4.0f;

bool PrepareQuad(const Viewport& viewport, const Quad& quad, PreparedQuad& out) {
  ClipVertex buffers[2][12];
  for (int i = 0; i < 4; ++i) buffers[0][i] = Transform(quad.v[i], viewport.matrix);
  int n = 4, from = 0;
  auto clip = [&](auto dist) {
    n = ClipPolygon(buffers[from], n, buffers[1 - from], dist);
    from = 1 - from;
  };
  clip([](const ClipVertex& c) { return c.z; });
  clip([](const ClipVertex& c) { return c.w - c.z; });
  clip([](const ClipVertex& c) { return kGuardBand * c.w + c.x; });
  clip([](const ClipVertex& c) { return kGuardBand * c.w - c.x; });
  clip([](const ClipVertex& c) { return kGuardBand * c.w + c.y; });
  clip([](const ClipVertex& c) { return kGuardBand * c.w - c.y; });
  if (n < 3) return false;
  const ClipVertex* clipped = buffers[from];
  bool perspective = false;
  for (int i = 1; i < n; ++i) perspective = perspective || clipped[i].w != clipped[0].w;
  float halfW = 0.5f * static_cast<float>(viewport.width), halfH = 0.5f * static_cast<float>(viewport.height);
  float minY = 1.0e9f, maxY = -1.0e9f;
  for (int i = 0; i < n; ++i) {
    const ClipVertex& c = clipped[i];
    float invW = 1.0f / c.w;
    ScreenVertex& s = out.v[i];
    s.x = (c.x * invW + 1.0f) * halfW;
    s.y = (1.0f - c.y * invW) * halfH;
    float scale = perspective ? invW : 1.0f;
    s.invW = invW;
    float values[6] = {c.u, c.v, c.r, c.g, c.b, c.a};
    for (int k = 0; k < 6; ++k) s.attr[k] = values[k] * scale;
    // After the cuts only a vertex on the eye's plane (w 0) could fail here.
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(invW)) return false;
    minY = std::min(minY, s.y);
    maxY = std::max(maxY, s.y);
  }
  out.count = n;
  out.perspective = perspective;
  // Rows that may hold a pixel centre of the quad (NaN keeps the full range).
  out.firstRow = minY >= 0.0f ? static_cast<int>(std::min(minY, 1.0e9f)) : 0;
  out.lastRow = maxY < 1.0e9f ? static_cast<int>(std::max(maxY, 0.0f)) + 1 : 1000000000;
  return true;
}

}  // namespace tarn::gfx
