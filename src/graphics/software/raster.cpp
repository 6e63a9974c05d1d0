#include "graphics/software/raster.h"

#include <algorithm>
#include <cmath>

#include "graphics/software/pixel_ops.h"
#include "graphics/software/pixel_rows.h"
#include "graphics/software/span_alpha.h"

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

inline int FloorToInt(float f) {
  f = std::clamp(f, -1.0e9f, 1.0e9f);
  int i = static_cast<int>(f);
  return f < static_cast<float>(i) ? i - 1 : i;
}

// Bilinear sample at texture coordinates; texel centres at half-integers.
inline uint32_t Sample(const Sampler& s, float u, float v) {
  return SampleFixed(s, FloorToInt(u * s.scaleU - 128.0f), FloorToInt(v * s.scaleV - 128.0f));
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

// Sets up a, b, c (clockwise on screen after this) or returns false when the
// triangle is culled, degenerate or off the target.
bool SetUpTriangle(const PixelContext& ctx, const ScreenVertex& a, ScreenVertex& b, ScreenVertex& c, Triangle& t) {
  float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  int cull = ctx.states->cullMode;
  if (area == 0.0f) return false;
  if (cull == kCullBack && area < 0) return false;   // counter-clockwise on screen
  if (cull == kCullFront && area > 0) return false;  // clockwise on screen
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  const Surface& target = *ctx.target;
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

// 'value' in 1/65536 steps, rounded to nearest and kept in range.
inline int64_t Fixed16(double value, double limit) { return FloorI64(std::clamp(value, -limit, limit) + 0.5); }

// Texels landing exactly on pixels and opaque make a straight copy (the
// main render target drawn onto the window, for one). False when the row is
// not such a row; nothing is drawn then.
bool CopyRow(const PixelContext& ctx, uint32_t* pixel, int count, int64_t tx, int64_t ty, int64_t dtx, int64_t dty,
             uint32_t colour) {
  const Surface& tex = *ctx.sampler.tex;
  if (colour != 0xFFFFFFFFu || tex.alpha || !(ctx.path == BlendPath::Alpha || ctx.path == BlendPath::Opaque))
    return false;
  int64_t firstX = tx >> 16, row = ty >> 16;
  // The sampler sees 8 fraction bits: below them the texel is the same.
  bool oneToOne = dtx == 65536 && dty == 0 && ((tx >> 8) & 255) == 0 && ((ty >> 8) & 255) == 0 && firstX >= 0 &&
                  firstX + count <= tex.width && row >= 0 && row < tex.height;
  if (!oneToOne) return false;
  CopyOpaque(pixel, tex.Row(static_cast<int>(row)) + firstX, static_cast<size_t>(count));
  return true;
}

// An affine, single-coloured, textured row: the common case of sprites.
void TexturedRow(const PixelContext& ctx, uint32_t* pixel, int count, int64_t tx, int64_t ty, int64_t dtx,
                 int64_t dty, uint32_t colour) {
  if (CopyRow(ctx, pixel, count, tx, ty, dtx, dty, colour)) return;
  if (ctx.path == BlendPath::Alpha) {
    SpanAlphaBlend(pixel, count, ctx.sampler, tx, ty, dtx, dty, colour, ctx.target->alpha);
    return;
  }
  for (int i = 0; i < count; ++i, tx += dtx, ty += dty)
    BlendPixel(ctx, pixel[i], Modulate(SampleFixed(ctx.sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8)),
                                       colour));
}

// The textured rows of one quad, gathered so that the blending loop sets up
// once for many of them.
class RowBatch {
 public:
  RowBatch(const PixelContext& ctx, int64_t dtx, int64_t dty, uint32_t colour)
      : ctx_(ctx), style_{&ctx.sampler, dtx, dty, colour, ctx.target->alpha} {}
  ~RowBatch() { Flush(); }
  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  void Add(uint32_t* pixel, int count, int64_t tx, int64_t ty) {
    if (ctx_.path != BlendPath::Alpha) {
      TexturedRow(ctx_, pixel, count, tx, ty, style_.dtx, style_.dty, style_.colour);
      return;
    }
    if (CopyRow(ctx_, pixel, count, tx, ty, style_.dtx, style_.dty, style_.colour)) return;
    rows_[count_++] = {pixel, count, tx, ty};
    if (count_ == kRows) Flush();
  }
  void Flush() {
    if (count_ > 0) SpanAlphaBlendRows(rows_, count_, style_);
    count_ = 0;
  }

 private:
  static constexpr int kRows = 64;
  const PixelContext& ctx_;
  SpanStyle style_;
  SpanRow rows_[kRows];
  int count_ = 0;
};

// Texture coordinate k of a triangle at a pixel, in the row loop's fixed point.
inline int64_t TexelAt(const Triangle& t, int k, double scale, int x, int y) {
  return Fixed16(t.At(k, x, y) * scale - 32768.0, 4.0e15);
}

// Draws both halves of a quad with one span a row when the quad is one
// colour, affine and textured, and its two triangles step through the
// texture alike (a sprite: a parallelogram). Coverage stays that of the two
// triangles; only the row set-up is shared. False when the quad does not
// qualify; nothing is drawn then.
bool DrawQuadRows(const PixelContext& ctx, const PreparedQuad& quad, int rowBegin, int rowEnd) {
  if (quad.count != 4 || quad.perspective || !ctx.sampler.tex) return false;
  const ScreenVertex* v = quad.v;
  for (int i = 1; i < 4; ++i)
    for (int k = 2; k < kAttrs; ++k)
      if (v[i].attr[k] != v[0].attr[k]) return false;
  ScreenVertex b1 = v[1], c1 = v[2], b2 = v[2], c2 = v[3];
  Triangle first, second;
  if (!SetUpTriangle(ctx, v[0], b1, c1, first) || !SetUpTriangle(ctx, v[0], b2, c2, second)) return false;
  const double su = ctx.sampler.scaleU * 256.0, sv = ctx.sampler.scaleV * 256.0;
  const int64_t dtx = Fixed16(first.attrX[0] * su, 1.0e12), dty = Fixed16(first.attrX[1] * sv, 1.0e12);
  if (dtx != Fixed16(second.attrX[0] * su, 1.0e12) || dty != Fixed16(second.attrX[1] * sv, 1.0e12)) return false;
  // The planes are linear: agreeing at two opposite corners of the second
  // triangle's box, they agree over all of it. A few steps of 1/65536 texel
  // are the rounding of the vertices, far below what filtering resolves.
  const int64_t kSlack = 4;
  for (int corner = 0; corner < 2; ++corner) {
    int x = corner ? second.x1 : second.x0, y = corner ? second.y1 : second.y0;
    if (std::abs(TexelAt(first, 0, su, x, y) - TexelAt(second, 0, su, x, y)) > kSlack ||
        std::abs(TexelAt(first, 1, sv, x, y) - TexelAt(second, 1, sv, x, y)) > kSlack)
      return false;
  }
  RowBatch batch(ctx, dtx, dty, PackColour(v[0].attr[2], v[0].attr[3], v[0].attr[4], v[0].attr[5]));
  const int yEnd = std::min(std::max(first.y1, second.y1) + 1, rowEnd);
  for (int y = std::max(std::min(first.y0, second.y0), rowBegin); y < yEnd; ++y) {
    int xs1 = 0, xe1 = -1, xs2 = 0, xe2 = -1;
    bool has1 = y >= first.y0 && y <= first.y1 && first.RowSpan(y, xs1, xe1);
    bool has2 = y >= second.y0 && y <= second.y1 && second.RowSpan(y, xs2, xe2);
    // Within a convex quad the two spans of a row meet; otherwise each is
    // drawn alone.
    if (has1 && has2 && (xe1 + 1 == xs2 || xe2 + 1 == xs1)) {
      xs1 = std::min(xs1, xs2);
      xe1 = std::max(xe1, xe2);
      has2 = false;
    }
    for (int span = 0; span < 2; ++span) {
      int xs = span ? xs2 : xs1, xe = span ? xe2 : xe1;
      if (!(span ? has2 : has1)) continue;
      batch.Add(ctx.target->Row(y) + xs, xe - xs + 1, TexelAt(first, 0, su, xs, y), TexelAt(first, 1, sv, xs, y));
    }
  }
  return true;
}

void RasterTriangle(const PixelContext& ctx, ScreenVertex a, ScreenVertex b, ScreenVertex c, bool perspective,
                    int rowBegin, int rowEnd) {
  Triangle t;
  if (!SetUpTriangle(ctx, a, b, c, t)) return;
  // One colour for the whole triangle when its vertices agree (decided from
  // the vertices: the interpolation planes carry rounding noise).
  bool constantColour = !perspective;
  for (int k = 2; k < kAttrs && constantColour; ++k) constantColour = a.attr[k] == b.attr[k] && a.attr[k] == c.attr[k];
  const uint32_t flatColour = PackColour(a.attr[2], a.attr[3], a.attr[4], a.attr[5]);
  const bool textured = ctx.sampler.tex != nullptr;
  // Fixed-point texture stepping with 16 fraction bits; the sampler takes 8.
  const double su = ctx.sampler.scaleU * 256.0, sv = ctx.sampler.scaleV * 256.0;
  const int64_t dtx = Fixed16(t.attrX[0] * su, 1.0e12), dty = Fixed16(t.attrX[1] * sv, 1.0e12);
  float stepX[kAttrs + 1];
  for (int k = 0; k <= kAttrs; ++k) stepX[k] = static_cast<float>(t.attrX[k]);
  const int yEnd = std::min(t.y1 + 1, rowEnd);
  for (int y = std::max(t.y0, rowBegin); y < yEnd; ++y) {
    int xs, xe;
    if (!t.RowSpan(y, xs, xe)) continue;
    uint32_t* pixel = ctx.target->Row(y) + xs;
    const int count = xe - xs + 1;
    if (constantColour) {
      if (textured) {
        TexturedRow(ctx, pixel, count, TexelAt(t, 0, su, xs, y), TexelAt(t, 1, sv, xs, y), dtx, dty, flatColour);
      } else if (ctx.path == BlendPath::Alpha) {
        const bool targetAlpha = ctx.target->alpha;
        for (int i = 0; i < count; ++i) AlphaBlend(pixel[i], flatColour, targetAlpha);
      } else {
        for (int i = 0; i < count; ++i) BlendPixel(ctx, pixel[i], flatColour);
      }
      continue;
    }
    float at[kAttrs + 1];
    for (int k = 0; k <= kAttrs; ++k) at[k] = static_cast<float>(t.At(k, xs, y));
    for (int i = 0; i < count; ++i) {
      float w = perspective ? 1.0f / at[kAttrs] : 1.0f;
      uint32_t colour = PackColour(at[2] * w, at[3] * w, at[4] * w, at[5] * w);
      uint32_t source = textured ? Modulate(Sample(ctx.sampler, at[0] * w, at[1] * w), colour) : colour;
      BlendPixel(ctx, pixel[i], source);
      for (int k = 0; k <= kAttrs; ++k) at[k] += stepX[k];
    }
  }
}

}  // namespace

bool PrepareQuad(const Viewport& viewport, const Quad& quad, PreparedQuad& out) {
  ClipVertex in[4], mid[8], clipped[12];
  for (int i = 0; i < 4; ++i) in[i] = Transform(quad.v[i], viewport.matrix);
  int n = ClipPolygon(in, 4, mid, [](const ClipVertex& c) { return c.z; });
  n = ClipPolygon(mid, n, clipped, [](const ClipVertex& c) { return c.w - c.z; });
  if (n < 3) return false;
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

void RasterPrepared(Surface& target, const RenderStates& states, const PreparedQuad& quad, const Surface* texture,
                    int addressMode, int rowBegin, int rowEnd) {
  rowBegin = std::max(rowBegin, quad.firstRow);
  rowEnd = std::min(rowEnd, quad.lastRow + 1);
  if (rowBegin >= rowEnd) return;
  uint32_t mask = (states.colorMask[0] ? 0x00FF0000u : 0) | (states.colorMask[1] ? 0x0000FF00u : 0) |
                  (states.colorMask[2] ? 0x000000FFu : 0) | (states.colorMask[3] ? 0xFF000000u : 0);
  if (mask == 0) return;
  const Surface* tex = texture && texture->width > 0 ? texture : nullptr;
  PixelContext ctx{&target, &states, MakeSampler(tex, addressMode), mask, ChooseBlendPath(states, target, mask)};
  if (DrawQuadRows(ctx, quad, rowBegin, rowEnd)) return;
  for (int i = 1; i + 1 < quad.count; ++i)
    RasterTriangle(ctx, quad.v[0], quad.v[i], quad.v[i + 1], quad.perspective, rowBegin, rowEnd);
}

void RasterQuad(Surface& target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                const Surface* texture, int addressMode) {
  PreparedQuad prepared;
  if (PrepareQuad(viewport, quad, prepared)) RasterPrepared(target, states, prepared, texture, addressMode, 0, target.height);
}

}  // namespace tarn::gfx
