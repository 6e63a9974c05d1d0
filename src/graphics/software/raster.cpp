#include "graphics/software/raster.h"

#include <algorithm>
#include <cmath>

namespace tarn::gfx {

namespace {

// A vertex after projection; colour channels as 0..255.
struct ClipVertex {
  float x, y, z, w;
  float u, v;
  float r, g, b, a;
};

struct ScreenVertex {
  float x, y;
  float invW;
  float attr[6];  // u, v, r, g, b, a (divided by w on the perspective path)
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

int WrapIndex(int i, int n, int mode) {
  if (mode == kAddressClamp) return i < 0 ? 0 : (i >= n ? n - 1 : i);
  if (mode == kAddressMirror) {
    int period = 2 * n;
    int m = i % period;
    if (m < 0) m += period;
    return m < n ? m : period - 1 - m;
  }
  int m = i % n;
  return m < 0 ? m + n : m;
}

// Bilinear sample; channels 0..255 in out[0..3] = r, g, b, a.
void Sample(const Surface& tex, float u, float v, int mode, float* out) {
  float tx = u * static_cast<float>(tex.width) - 0.5f;
  float ty = v * static_cast<float>(tex.height) - 0.5f;
  float fx0 = std::floor(tx), fy0 = std::floor(ty);
  float fx = tx - fx0, fy = ty - fy0;
  // Keep huge coordinates from overflowing the integer conversion.
  fx0 = std::clamp(fx0, -1.0e8f, 1.0e8f);
  fy0 = std::clamp(fy0, -1.0e8f, 1.0e8f);
  int x0 = static_cast<int>(fx0), y0 = static_cast<int>(fy0);
  int xa = WrapIndex(x0, tex.width, mode), xb = WrapIndex(x0 + 1, tex.width, mode);
  int ya = WrapIndex(y0, tex.height, mode), yb = WrapIndex(y0 + 1, tex.height, mode);
  uint32_t p00 = tex.Row(ya)[xa], p10 = tex.Row(ya)[xb], p01 = tex.Row(yb)[xa], p11 = tex.Row(yb)[xb];
  float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy), w01 = (1 - fx) * fy, w11 = fx * fy;
  for (int c = 0; c < 4; ++c) {
    int shift = c == 0 ? 16 : c == 1 ? 8 : c == 2 ? 0 : 24;
    out[c] = static_cast<float>((p00 >> shift) & 0xFF) * w00 + static_cast<float>((p10 >> shift) & 0xFF) * w10 +
             static_cast<float>((p01 >> shift) & 0xFF) * w01 + static_cast<float>((p11 >> shift) & 0xFF) * w11;
  }
  if (!tex.alpha) out[3] = 255.0f;
}

float Factor(int factor, int channel, const float* src, const float* dst, float srcA, float dstA) {
  switch (factor) {
    case kBlendZero: return 0.0f;
    case kBlendOne: return 1.0f;
    case kBlendSrcColor: return src[channel];
    case kBlendInvSrcColor: return 1.0f - src[channel];
    case kBlendSrcAlpha: return srcA;
    case kBlendInvSrcAlpha: return 1.0f - srcA;
    case kBlendDestAlpha: return dstA;
    case kBlendInvDestAlpha: return 1.0f - dstA;
    case kBlendDestColor: return dst[channel];
    case kBlendInvDestColor: return 1.0f - dst[channel];
    default: return 1.0f;
  }
}

bool AlphaPasses(int func, int alpha, int ref) {
  switch (func) {
    case kNever: return false;
    case kLess: return alpha < ref;
    case kEqual: return alpha == ref;
    case kLessEqual: return alpha <= ref;
    case kGreater: return alpha > ref;
    case kNotEqual: return alpha != ref;
    case kGreaterEqual: return alpha >= ref;
    default: return true;
  }
}

uint32_t ToByte(float value) {
  if (value <= 0.0f) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

struct PixelContext {
  Surface* target;
  const RenderStates* states;
  const Surface* texture;
  int addressMode;
  uint32_t writeMask;  // bits of the 32-bit pixel that are written
};

// Colour channels of 'rgba' are 0..255. Writes one pixel.
void ShadePixel(const PixelContext& ctx, uint32_t& pixel, float r, float g, float b, float a, float u, float v) {
  float src[4] = {r, g, b, a};
  if (ctx.texture) {
    float texel[4];
    Sample(*ctx.texture, u, v, ctx.addressMode, texel);
    for (int c = 0; c < 4; ++c) src[c] = texel[c] * src[c] * (1.0f / 255.0f);
  }
  const RenderStates& st = *ctx.states;
  int alphaByte = static_cast<int>(src[3] + 0.5f);
  if (st.alphaFunc != kAlways && !AlphaPasses(st.alphaFunc, alphaByte, st.alphaRef)) return;
  for (float& c : src) c *= 1.0f / 255.0f;
  float out[4];
  if (!st.blendEnabled) {
    for (int c = 0; c < 4; ++c) out[c] = src[c];
  } else {
    float dst[4] = {static_cast<float>((pixel >> 16) & 0xFF) / 255.0f, static_cast<float>((pixel >> 8) & 0xFF) / 255.0f,
                    static_cast<float>(pixel & 0xFF) / 255.0f,
                    ctx.target->alpha ? static_cast<float>(pixel >> 24) / 255.0f : 1.0f};
    for (int c = 0; c < 4; ++c) {
      float s = src[c], d = dst[c];
      switch (st.blendOp) {
        case kOpMin: out[c] = std::min(s, d); break;
        case kOpMax: out[c] = std::max(s, d); break;
        default: {
          float fs = s * Factor(st.srcBlend, c, src, dst, src[3], dst[3]);
          float fd = d * Factor(st.dstBlend, c, src, dst, src[3], dst[3]);
          out[c] = st.blendOp == kOpSubtract ? fs - fd : st.blendOp == kOpRevSubtract ? fd - fs : fs + fd;
        }
      }
    }
  }
  uint32_t rb = ToByte(out[0]), gb = ToByte(out[1]), bb = ToByte(out[2]), ab = ToByte(out[3]);
  if (ctx.target->bit16) {
    rb = (rb >> 3) << 3 | rb >> 5;
    gb = (gb >> 2) << 2 | gb >> 6;
    bb = (bb >> 3) << 3 | bb >> 5;
  }
  uint32_t value = ab << 24 | rb << 16 | gb << 8 | bb;
  pixel = (pixel & ~ctx.writeMask) | (value & ctx.writeMask);
}

bool IsTopLeft(float dx, float dy) { return (dy == 0.0f && dx > 0.0f) || dy < 0.0f; }

void RasterTriangle(const PixelContext& ctx, ScreenVertex a, ScreenVertex b, ScreenVertex c, bool perspective) {
  float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  int cull = ctx.states->cullMode;
  if (area == 0.0f) return;
  if (cull == kCullBack && area < 0) return;   // counter-clockwise on screen
  if (cull == kCullFront && area > 0) return;  // clockwise on screen
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  const Surface& target = *ctx.target;
  float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  int x0 = std::max(0, static_cast<int>(std::ceil(std::max(minX, -1.0f))));
  int x1 = std::min(target.width - 1, static_cast<int>(std::floor(std::min(maxX, 1.0e9f))));
  int y0 = std::max(0, static_cast<int>(std::ceil(std::max(minY, -1.0f))));
  int y1 = std::min(target.height - 1, static_cast<int>(std::floor(std::min(maxY, 1.0e9f))));
  if (x0 > x1 || y0 > y1) return;

  // Edge functions, positive inside for this orientation. Each edge is
  // evaluated from its canonically ordered end points in double precision,
  // so the two triangles sharing an edge agree exactly on every pixel and
  // the top-left rule gives each pixel on it to exactly one of them.
  const ScreenVertex* v[3] = {&a, &b, &c};
  double edgeA[3], edgeB[3], edgeC[3];
  float ex[3], ey[3], e0[3];  // for the attribute planes only
  bool inclusive[3];
  for (int i = 0; i < 3; ++i) {
    const ScreenVertex* p = v[(i + 1) % 3];
    const ScreenVertex* q = v[(i + 2) % 3];
    float fdx = q->x - p->x, fdy = q->y - p->y;
    ex[i] = -fdy;
    ey[i] = fdx;
    e0[i] = fdx * (static_cast<float>(y0) - p->y) - fdy * (static_cast<float>(x0) - p->x);
    inclusive[i] = IsTopLeft(fdx, fdy);
    double sign = 1.0;
    if (p->x > q->x || (p->x == q->x && p->y > q->y)) {
      std::swap(p, q);
      sign = -1.0;
    }
    double dx = static_cast<double>(q->x) - p->x, dy = static_cast<double>(q->y) - p->y;
    edgeA[i] = -dy * sign;
    edgeB[i] = dx * sign;
    edgeC[i] = (dy * p->x - dx * p->y) * sign;
  }
  float invArea = 1.0f / area;
  const int kAttrs = 6;
  float attr0[kAttrs + 1], attrX[kAttrs + 1], attrY[kAttrs + 1];
  // Interpolated quantities: the six attributes (over w when perspective)
  // and 1/w. Barycentric weight i belongs to vertex i, whose opposite edge is i.
  for (int k = 0; k <= kAttrs; ++k) {
    float va = k < kAttrs ? a.attr[k] : a.invW;
    float vb = k < kAttrs ? b.attr[k] : b.invW;
    float vc = k < kAttrs ? c.attr[k] : c.invW;
    attr0[k] = (va * e0[0] + vb * e0[1] + vc * e0[2]) * invArea;
    attrX[k] = (va * ex[0] + vb * ex[1] + vc * ex[2]) * invArea;
    attrY[k] = (va * ey[0] + vb * ey[1] + vc * ey[2]) * invArea;
  }
  for (int y = y0; y <= y1; ++y) {
    float fy = static_cast<float>(y - y0);
    double rowE[3];
    for (int i = 0; i < 3; ++i) rowE[i] = edgeB[i] * y + edgeC[i];
    float row[kAttrs + 1];
    for (int k = 0; k <= kAttrs; ++k) row[k] = attr0[k] + attrY[k] * fy;
    uint32_t* line = ctx.target->Row(y);
    for (int x = x0; x <= x1; ++x) {
      float fx = static_cast<float>(x - x0);
      bool inside = true;
      for (int i = 0; i < 3 && inside; ++i) {
        double value = edgeA[i] * x + rowE[i];
        inside = value > 0.0 || (value == 0.0 && inclusive[i]);
      }
      if (!inside) continue;
      float at[kAttrs];
      if (perspective) {
        float w = 1.0f / (row[kAttrs] + attrX[kAttrs] * fx);
        for (int k = 0; k < kAttrs; ++k) at[k] = (row[k] + attrX[k] * fx) * w;
      } else {
        for (int k = 0; k < kAttrs; ++k) at[k] = row[k] + attrX[k] * fx;
      }
      ShadePixel(ctx, line[x], at[2], at[3], at[4], at[5], at[0], at[1]);
    }
  }
}

}  // namespace

void RasterQuad(Surface& target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                const Surface* texture, int addressMode) {
  ClipVertex in[4], mid[8], out[12];
  for (int i = 0; i < 4; ++i) in[i] = Transform(quad.v[i], viewport.matrix);
  int n = ClipPolygon(in, 4, mid, [](const ClipVertex& c) { return c.z; });
  n = ClipPolygon(mid, n, out, [](const ClipVertex& c) { return c.w - c.z; });
  if (n < 3) return;
  bool perspective = false;
  for (int i = 1; i < n; ++i) perspective = perspective || out[i].w != out[0].w;
  ScreenVertex screen[12];
  float halfW = 0.5f * static_cast<float>(viewport.width), halfH = 0.5f * static_cast<float>(viewport.height);
  for (int i = 0; i < n; ++i) {
    const ClipVertex& c = out[i];
    float invW = 1.0f / c.w;
    ScreenVertex& s = screen[i];
    s.x = (c.x * invW + 1.0f) * halfW;
    s.y = (1.0f - c.y * invW) * halfH;
    float scale = perspective ? invW : 1.0f;
    s.invW = invW;
    float values[6] = {c.u, c.v, c.r, c.g, c.b, c.a};
    for (int k = 0; k < 6; ++k) s.attr[k] = values[k] * scale;
  }
  uint32_t mask = (states.colorMask[0] ? 0x00FF0000u : 0) | (states.colorMask[1] ? 0x0000FF00u : 0) |
                  (states.colorMask[2] ? 0x000000FFu : 0) | (states.colorMask[3] ? 0xFF000000u : 0);
  if (mask == 0) return;
  PixelContext ctx{&target, &states, texture && texture->width > 0 ? texture : nullptr, addressMode, mask};
  for (int i = 1; i + 1 < n; ++i) RasterTriangle(ctx, screen[0], screen[i], screen[i + 1], perspective);
}

}  // namespace tarn::gfx
