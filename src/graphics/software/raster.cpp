#include "graphics/software/raster.h"

#include <algorithm>
#include <cmath>

#include <emmintrin.h>

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

// x / 255 rounded to nearest, for x up to 255 * 255 * 2.
inline uint32_t Div255(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

inline int FloorToInt(float f) {
  f = std::clamp(f, -1.0e9f, 1.0e9f);
  int i = static_cast<int>(f);
  return f < static_cast<float>(i) ? i - 1 : i;
}

struct Sampler {
  const Surface* tex = nullptr;
  int mode = kAddressWrap;
  bool fastWrap = false;  // power-of-two size with wrapping: masks instead of modulo
  int wMask = 0, hMask = 0;
  float scaleU = 0, scaleV = 0;  // texture size times 256 (8 fraction bits)
};

Sampler MakeSampler(const Surface* tex, int mode) {
  Sampler s;
  if (!tex) return s;
  s.tex = tex;
  s.mode = mode;
  auto pow2 = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
  s.fastWrap = mode != kAddressClamp && mode != kAddressMirror && pow2(tex->width) && pow2(tex->height);
  s.wMask = tex->width - 1;
  s.hMask = tex->height - 1;
  s.scaleU = static_cast<float>(tex->width) * 256.0f;
  s.scaleV = static_cast<float>(tex->height) * 256.0f;
  return s;
}

// Linear interpolation of two packed pixels with weight f (0..256) on b.
__attribute__((always_inline)) inline uint32_t LerpPixel(uint32_t a, uint32_t b, uint32_t f) {
  uint32_t g = 256 - f;
  uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f)) & 0xFF00FF00u;
  return rb | ag;
}

// Bilinear sample at fixed-point texel coordinates (8 fraction bits,
// already shifted by half a texel).
inline int Address(const Sampler& s, int i, int n, int mask) {
  return s.fastWrap ? i & mask : WrapIndex(i, n, s.mode);
}

__attribute__((always_inline)) inline uint32_t SampleFixed(const Sampler& s, int tx, int ty) {
  uint32_t fx = static_cast<uint32_t>(tx & 255), fy = static_cast<uint32_t>(ty & 255);
  int x0 = tx >> 8, y0 = ty >> 8;
  const Surface& t = *s.tex;
  int xa = Address(s, x0, t.width, s.wMask);
  const uint32_t* rowA = t.Row(Address(s, y0, t.height, s.hMask));
  uint32_t texel;
  if (fx == 0 && fy == 0) {
    texel = rowA[xa];  // exactly on a texel centre
  } else {
    int xb = fx ? Address(s, x0 + 1, t.width, s.wMask) : xa;
    const uint32_t* rowB = fy ? t.Row(Address(s, y0 + 1, t.height, s.hMask)) : rowA;
    uint32_t top = fx ? LerpPixel(rowA[xa], rowA[xb], fx) : rowA[xa];
    if (fy) {
      uint32_t bottom = fx ? LerpPixel(rowB[xa], rowB[xb], fx) : rowB[xa];
      texel = LerpPixel(top, bottom, fy);
    } else {
      texel = top;
    }
  }
  return t.alpha ? texel : texel | 0xFF000000u;
}

// Bilinear sample at texture coordinates; texel centres at half-integers.
inline uint32_t Sample(const Sampler& s, float u, float v) {
  return SampleFixed(s, FloorToInt(u * s.scaleU - 128.0f), FloorToInt(v * s.scaleV - 128.0f));
}

// The textured, flat-coloured, alpha-blended pixel in 16-bit vector lanes
// (the same arithmetic as LerpPixel, Modulate and AlphaBlend, four channels
// at once).
namespace simd {

inline __m128i Widen(uint32_t p) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p)), _mm_setzero_si128()); }

inline __m128i Lerp(__m128i a, __m128i b, uint32_t f) {
  __m128i wf = _mm_set1_epi16(static_cast<short>(f)), wg = _mm_set1_epi16(static_cast<short>(256 - f));
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, wg), _mm_mullo_epi16(b, wf)), 8);
}

inline __m128i Div255(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// One texel, bilinear, as four 16-bit lanes B, G, R, A.
inline __m128i Sample(const Sampler& s, int tx, int ty) {
  uint32_t fx = static_cast<uint32_t>(tx & 255), fy = static_cast<uint32_t>(ty & 255);
  int x0 = tx >> 8, y0 = ty >> 8;
  const Surface& t = *s.tex;
  int xa = Address(s, x0, t.width, s.wMask), xb = Address(s, x0 + 1, t.width, s.wMask);
  const uint32_t* rowA = t.Row(Address(s, y0, t.height, s.hMask));
  const uint32_t* rowB = t.Row(Address(s, y0 + 1, t.height, s.hMask));
  __m128i top = Lerp(Widen(rowA[xa]), Widen(rowA[xb]), fx);
  __m128i bottom = Lerp(Widen(rowB[xa]), Widen(rowB[xb]), fx);
  __m128i texel = Lerp(top, bottom, fy);
  if (!t.alpha) texel = _mm_or_si128(texel, _mm_set_epi16(0, 0, 0, 0, 255, 0, 0, 0));
  return texel;
}

// Source over target by the source's alpha, source = texel times colour.
inline void SpanAlpha(uint32_t* pixel, uint32_t* end, const Sampler& sampler, int64_t tx, int64_t ty,
                      int64_t dtx, int64_t dty, uint32_t colour, bool targetAlpha) {
  const __m128i c = Widen(colour);
  const __m128i full = _mm_set1_epi16(255);
  const uint32_t alphaMask = targetAlpha ? 0u : 0xFF000000u;
  for (; pixel != end; ++pixel, tx += dtx, ty += dty) {
    __m128i src = Div255(_mm_mullo_epi16(Sample(sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8)), c));
    __m128i a = _mm_shufflelo_epi16(src, _MM_SHUFFLE(3, 3, 3, 3));
    __m128i d = Widen(*pixel | alphaMask);
    __m128i out = Div255(_mm_add_epi16(_mm_mullo_epi16(src, a), _mm_mullo_epi16(d, _mm_sub_epi16(full, a))));
    *pixel = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(out, out)));
  }
}

}  // namespace simd

// Two 16-bit fields at once: each field x becomes x / 255 rounded.
inline uint32_t Div255Pair(uint32_t x) {
  x += 0x00800080u;
  return ((x + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Multiplies a packed pixel by a packed colour, channel by channel.
__attribute__((always_inline)) inline uint32_t Modulate(uint32_t p, uint32_t c) {
  if (c == 0xFFFFFFFFu) return p;
  uint32_t rb = Div255Pair(((p >> 16) & 0xFF) * ((c >> 16) & 0xFF) << 16 | (p & 0xFF) * (c & 0xFF));
  uint32_t ag = Div255Pair((p >> 24) * (c >> 24) << 16 | ((p >> 8) & 0xFF) * ((c >> 8) & 0xFF));
  return rb | ag << 8;
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

enum class BlendPath { Alpha, Opaque, General };

struct PixelContext {
  Surface* target;
  const RenderStates* states;
  Sampler sampler;
  uint32_t writeMask;  // bits of the 32-bit pixel that are written
  BlendPath path;
};

BlendPath ChooseBlendPath(const RenderStates& st, const Surface& target, uint32_t mask) {
  if (st.alphaFunc != kAlways || mask != 0xFFFFFFFFu || target.bit16 || st.blendOp != kOpAdd) return BlendPath::General;
  if (!st.blendEnabled) return BlendPath::Opaque;
  if (st.srcBlend == kBlendSrcAlpha && st.dstBlend == kBlendInvSrcAlpha) return BlendPath::Alpha;
  return BlendPath::General;
}

// The default blending: source over target by the source's alpha.
__attribute__((always_inline)) inline void AlphaBlend(uint32_t& pixel, uint32_t source, bool targetAlpha) {
  uint32_t a = source >> 24;
  if (a == 255) {
    pixel = source;  // opaque: the blend gives the source exactly
    return;
  }
  uint32_t ia = 255 - a, d = pixel;
  if (!targetAlpha) d |= 0xFF000000u;
  uint32_t rb = Div255Pair((source & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia);
  uint32_t ag = Div255Pair(((source >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * ia);
  pixel = rb | ag << 8;
}

// Combines the source pixel (after texturing) with the target pixel.
inline void BlendPixel(const PixelContext& ctx, uint32_t& pixel, uint32_t source) {
  if (ctx.path == BlendPath::Alpha) {
    AlphaBlend(pixel, source, ctx.target->alpha);
    return;
  }
  if (ctx.path == BlendPath::Opaque) {
    pixel = source;
    return;
  }
  const RenderStates& st = *ctx.states;
  if (st.alphaFunc != kAlways && !AlphaPasses(st.alphaFunc, static_cast<int>(source >> 24), st.alphaRef)) return;
  float src[4] = {static_cast<float>((source >> 16) & 0xFF) / 255.0f, static_cast<float>((source >> 8) & 0xFF) / 255.0f,
                  static_cast<float>(source & 0xFF) / 255.0f, static_cast<float>(source >> 24) / 255.0f};
  float out[4];
  if (!st.blendEnabled) {
    for (int c = 0; c < 4; ++c) out[c] = src[c];
  } else {
    float dst[4] = {static_cast<float>((pixel >> 16) & 0xFF) / 255.0f, static_cast<float>((pixel >> 8) & 0xFF) / 255.0f,
                    static_cast<float>(pixel & 0xFF) / 255.0f,
                    ctx.target->alpha ? static_cast<float>(pixel >> 24) / 255.0f : 1.0f};
    for (int c = 0; c < 4; ++c) {
      float sc = src[c], dc = dst[c];
      switch (st.blendOp) {
        case kOpMin: out[c] = std::min(sc, dc); break;
        case kOpMax: out[c] = std::max(sc, dc); break;
        default: {
          float fs = sc * Factor(st.srcBlend, c, src, dst, src[3], dst[3]);
          float fd = dc * Factor(st.dstBlend, c, src, dst, src[3], dst[3]);
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

inline uint32_t PackColour(float r, float g, float b, float a) {
  auto byte = [](float c) { return static_cast<uint32_t>(std::clamp(c, 0.0f, 255.0f) + 0.5f); };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

bool IsTopLeft(float dx, float dy) { return (dy == 0.0f && dx > 0.0f) || dy < 0.0f; }

void RasterTriangle(const PixelContext& ctx, ScreenVertex a, ScreenVertex b, ScreenVertex c, bool perspective,
                    int rowPhase, int rowStep) {
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
  auto inside = [&](int x, const double* rowE) {
    for (int i = 0; i < 3; ++i) {
      double value = edgeA[i] * x + rowE[i];
      if (!(value > 0.0 || (value == 0.0 && inclusive[i]))) return false;
    }
    return true;
  };
  // One colour for the whole triangle when its vertices agree (decided from
  // the vertices: the interpolation planes carry rounding noise).
  bool constantColour = !perspective;
  for (int k = 2; k < kAttrs && constantColour; ++k) constantColour = a.attr[k] == b.attr[k] && a.attr[k] == c.attr[k];
  uint32_t flatColour = PackColour(a.attr[2], a.attr[3], a.attr[4], a.attr[5]);
  const bool textured = ctx.sampler.tex != nullptr;
  int firstRow = y0 + ((rowPhase - y0 % rowStep) % rowStep + rowStep) % rowStep;
  for (int y = firstRow; y <= y1; y += rowStep) {
    double rowE[3];
    for (int i = 0; i < 3; ++i) rowE[i] = edgeB[i] * y + edgeC[i];
    // The covered span of this row: bounds from the edges, then settled
    // with the exact test (the covered pixels of a row are contiguous).
    double lo = x0, hi = x1;
    bool empty = false;
    for (int i = 0; i < 3; ++i) {
      if (edgeA[i] > 0) lo = std::max(lo, std::ceil(-rowE[i] / edgeA[i]) - 1);
      else if (edgeA[i] < 0) hi = std::min(hi, std::floor(-rowE[i] / edgeA[i]) + 1);
      else if (rowE[i] < 0 || (rowE[i] == 0 && !inclusive[i])) empty = true;
    }
    if (empty || lo > hi) continue;
    int xs = static_cast<int>(lo), xe = static_cast<int>(hi);
    while (xs <= xe && !inside(xs, rowE)) ++xs;
    while (xe >= xs && !inside(xe, rowE)) --xe;
    if (xs > xe) continue;
    float fy = static_cast<float>(y - y0);
    float fx = static_cast<float>(xs - x0);
    float at[kAttrs + 1];
    for (int k = 0; k <= kAttrs; ++k) at[k] = attr0[k] + attrY[k] * fy + attrX[k] * fx;
    uint32_t* pixel = ctx.target->Row(y) + xs;
    uint32_t* const end = pixel + (xe - xs + 1);
    if (perspective) {
      for (; pixel != end; ++pixel) {
        float w = 1.0f / at[kAttrs];
        uint32_t colour = PackColour(at[2] * w, at[3] * w, at[4] * w, at[5] * w);
        uint32_t source = textured ? Modulate(Sample(ctx.sampler, at[0] * w, at[1] * w), colour) : colour;
        BlendPixel(ctx, *pixel, source);
        for (int k = 0; k <= kAttrs; ++k) at[k] += attrX[k];
      }
    } else if (constantColour) {
      // The common case: an affine quad of one colour; only u and v move.
      float u = at[0], v = at[1];
      const float du = attrX[0], dv = attrX[1];
      if (textured) {
        // Fixed-point stepping with 16 fraction bits; the sampler takes 8.
        const double su = ctx.sampler.scaleU * 256.0, sv = ctx.sampler.scaleV * 256.0;
        int64_t tx = static_cast<int64_t>(std::floor(std::clamp(u * su - 32768.0, -4.0e15, 4.0e15)));
        int64_t ty = static_cast<int64_t>(std::floor(std::clamp(v * sv - 32768.0, -4.0e15, 4.0e15)));
        const int64_t dtx = static_cast<int64_t>(std::llround(std::clamp(du * su, -1.0e12, 1.0e12)));
        const int64_t dty = static_cast<int64_t>(std::llround(std::clamp(dv * sv, -1.0e12, 1.0e12)));
        auto sample = [&](int64_t x, int64_t y) {
          return SampleFixed(ctx.sampler, static_cast<int>(x >> 8), static_cast<int>(y >> 8));
        };
        const Surface& tex = *ctx.sampler.tex;
        const int64_t count = end - pixel;
        int64_t firstX = tx >> 16, row = ty >> 16;
        // The sampler sees 8 fraction bits: below them the texel is the same.
        bool oneToOne = dtx == 65536 && dty == 0 && ((tx >> 8) & 255) == 0 && ((ty >> 8) & 255) == 0 && firstX >= 0 &&
                        firstX + count <= tex.width && row >= 0 && row < tex.height;
        if (oneToOne && flatColour == 0xFFFFFFFFu && !tex.alpha &&
            (ctx.path == BlendPath::Alpha || ctx.path == BlendPath::Opaque)) {
          // Texels land exactly on pixels and are opaque: a straight copy
          // (the main render target drawn onto the window, for one).
          const uint32_t* source = tex.Row(static_cast<int>(row)) + firstX;
          for (int64_t i = 0; i < count; ++i) pixel[i] = source[i] | 0xFF000000u;
        } else if (ctx.path == BlendPath::Alpha) {
          simd::SpanAlpha(pixel, end, ctx.sampler, tx, ty, dtx, dty, flatColour, ctx.target->alpha);
        } else {
          for (; pixel != end; ++pixel, tx += dtx, ty += dty)
            BlendPixel(ctx, *pixel, Modulate(sample(tx, ty), flatColour));
        }
      } else if (ctx.path == BlendPath::Alpha) {
        const bool targetAlpha = ctx.target->alpha;
        for (; pixel != end; ++pixel) AlphaBlend(*pixel, flatColour, targetAlpha);
      } else {
        for (; pixel != end; ++pixel) BlendPixel(ctx, *pixel, flatColour);
      }
    } else {
      for (; pixel != end; ++pixel) {
        uint32_t colour = PackColour(at[2], at[3], at[4], at[5]);
        uint32_t source = textured ? Modulate(Sample(ctx.sampler, at[0], at[1]), colour) : colour;
        BlendPixel(ctx, *pixel, source);
        for (int k = 0; k < kAttrs; ++k) at[k] += attrX[k];
      }
    }
  }
}

}  // namespace

void RasterQuad(Surface& target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                const Surface* texture, int addressMode, int rowPhase, int rowStep) {
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
  const Surface* tex = texture && texture->width > 0 ? texture : nullptr;
  PixelContext ctx{&target, &states, MakeSampler(tex, addressMode), mask, ChooseBlendPath(states, target, mask)};
  for (int i = 1; i + 1 < n; ++i)
    RasterTriangle(ctx, screen[0], screen[i], screen[i + 1], perspective, rowPhase, rowStep);
}

}  // namespace tarn::gfx
