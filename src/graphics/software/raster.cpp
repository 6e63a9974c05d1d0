#include "graphics/software/raster.h"

#include <algorithm>
#include <cmath>

#include "graphics/software/pixel_blend.h"
#include "graphics/software/pixel_rows.h"
#include "graphics/software/span_alpha.h"
#include "graphics/software/triangle.h"

namespace tarn::gfx {

namespace {

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

// The texture steps from one pixel to the next, in the row loop's fixed
// point (16 fraction bits; the sampler takes 8).
struct TexelSteps {
  int64_t dtx, dty;
  bool operator!=(const TexelSteps& o) const { return dtx != o.dtx || dty != o.dty; }
};

// Texture coordinate k of a triangle at a pixel, in the row loop's fixed point.
inline int64_t TexelAt(const Triangle& t, int k, double scale, int x, int y) {
  return Fixed16(t.At(k, x, y) * scale - 32768.0, 4.0e15);
}

// The texture coordinates of a triangle's rows. Where the mapping lies on
// the sampler's grid (1/256 texel) to within a quarter step all over the
// triangle, as for a sprite drawn unscaled at a whole pixel, the rounding
// noise of the vertices is taken out: the steps are exact grid steps and
// every row starts on the nearest grid point. Left in, a texel centre comes
// out a hair below its grid point and the filter mixes in the neighbouring
// texel (from the far side of the texture with wrapping).
class TexelMap {
 public:
  TexelMap(const Triangle& t, const Sampler& s) : t_(t), scale_{s.scaleU * 256.0, s.scaleV * 256.0} {
    const double columns = t.x1 - t.x0 + 1.0, rows = t.y1 - t.y0 + 1.0;
    int64_t step[2];
    for (int k = 0; k < 2; ++k) {
      const double dx = t.attrX[k] * scale_[k], dy = t.attrY[k] * scale_[k];
      const double gx = OnGrid(dx), gy = OnGrid(dy);
      snapped_[k] = std::fabs(dx - gx) * columns + std::fabs(dy - gy) * rows <= kGrid / 4;
      step[k] = snapped_[k] ? static_cast<int64_t>(gx) : Fixed16(dx, 1.0e12);
    }
    steps_ = {step[0], step[1]};
  }
  TexelSteps Steps() const { return steps_; }
  int64_t At(int k, int x, int y) const {
    if (!snapped_[k]) return TexelAt(t_, k, scale_[k], x, y);
    const double value = std::clamp(t_.At(k, x, y) * scale_[k] - 32768.0, -4.0e15, 4.0e15);
    return static_cast<int64_t>(OnGrid(value));
  }

 private:
  static constexpr double kGrid = 256.0;  // one sampler step in the row loop's fixed point
  static double OnGrid(double value) {
    return kGrid * static_cast<double>(FloorI64(std::clamp(value / kGrid, -1.0e15, 1.0e15) + 0.5));
  }
  const Triangle& t_;
  double scale_[2];
  bool snapped_[2];
  TexelSteps steps_;
};

// The affine, single-coloured, textured rows of a quad or triangle (the
// common case of sprites). Rows blended by alpha are gathered so that the
// vector loop sets up once for many of them; other rows are drawn at once.
class RowBatch {
 public:
  RowBatch(const PixelContext& ctx, TexelSteps steps, uint32_t colour)
      : ctx_(ctx),
        style_{&ctx.sampler, steps.dtx, steps.dty, colour, ctx.target->alpha, ctx.path == BlendPath::Added} {}
  ~RowBatch() { Flush(); }
  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  void Add(uint32_t* pixel, int count, int64_t tx, int64_t ty) {
    const int64_t dtx = style_.dtx, dty = style_.dty;
    if (CopyRow(ctx_, pixel, count, tx, ty, dtx, dty, style_.colour)) return;
    if (ctx_.path == BlendPath::Alpha || ctx_.path == BlendPath::Added) {
      rows_[count_++] = {pixel, count, tx, ty};
      if (count_ == kRows) Flush();
      return;
    }
    for (int i = 0; i < count; ++i, tx += dtx, ty += dty) {
      uint32_t texel = SampleFixed(ctx_.sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8));
      BlendPixel(ctx_, pixel[i], Modulate(texel, style_.colour));
    }
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
  const int cull = ctx.states->cullMode;
  if (!SetUpTriangle(*ctx.target, cull, v[0], b1, c1, first) || !SetUpTriangle(*ctx.target, cull, v[0], b2, c2, second))
    return false;
  const double su = ctx.sampler.scaleU * 256.0, sv = ctx.sampler.scaleV * 256.0;
  const TexelMap map(first, ctx.sampler);
  const TexelSteps steps = map.Steps();
  if (steps != TexelMap(second, ctx.sampler).Steps()) return false;
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
  RowBatch batch(ctx, steps, PackColour(v[0].attr[2], v[0].attr[3], v[0].attr[4], v[0].attr[5]));
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
      batch.Add(ctx.target->Row(y) + xs, xe - xs + 1, map.At(0, xs, y), map.At(1, xs, y));
    }
  }
  return true;
}

void RasterTriangle(const PixelContext& ctx, ScreenVertex a, ScreenVertex b, ScreenVertex c, bool perspective,
                    int rowBegin, int rowEnd) {
  Triangle t;
  if (!SetUpTriangle(*ctx.target, ctx.states->cullMode, a, b, c, t)) return;
  // One colour for the whole triangle when its vertices agree (decided from
  // the vertices: the interpolation planes carry rounding noise).
  bool constantColour = !perspective;
  for (int k = 2; k < kAttrs && constantColour; ++k) constantColour = a.attr[k] == b.attr[k] && a.attr[k] == c.attr[k];
  const uint32_t flatColour = PackColour(a.attr[2], a.attr[3], a.attr[4], a.attr[5]);
  const bool textured = ctx.sampler.tex != nullptr;
  const TexelMap map(t, ctx.sampler);
  RowBatch batch(ctx, map.Steps(), flatColour);
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
        batch.Add(pixel, count, map.At(0, xs, y), map.At(1, xs, y));
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

void RasterPrepared(Surface& target, const RenderStates& states, const PreparedQuad& quad, const Surface* texture,
                    int addressMode, int rowBegin, int rowEnd) {
  rowBegin = std::max(rowBegin, quad.firstRow);
  rowEnd = std::min(rowEnd, quad.lastRow + 1);
  if (rowBegin >= rowEnd) return;
  uint32_t mask = (states.colourMask[0] ? 0x00FF0000u : 0) | (states.colourMask[1] ? 0x0000FF00u : 0) |
                  (states.colourMask[2] ? 0x000000FFu : 0) | (states.colourMask[3] ? 0xFF000000u : 0);
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
