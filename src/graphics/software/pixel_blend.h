// The software renderer's per-pixel state: how a source pixel meets the
// target under the current render states, and sampling at float texture
// coordinates.
#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/backend.h"
#include "graphics/software/pixel_ops.h"

namespace tarn::gfx {

// Added and Subtracted: source factor SRCALPHA with destination factor ONE
// under the add operation, or INVSRCALPHA under subtract (the two particle
// blendings), in integers with the general path's rounding.
enum class BlendPath { Alpha, Opaque, Added, Subtracted, General };

struct PixelContext {
  Surface* target;
  const RenderStates* states;
  Sampler sampler;
  uint32_t writeMask;  // bits of the 32-bit pixel that are written
  BlendPath path;
};

inline BlendPath ChooseBlendPath(const RenderStates& st, const Surface& target, uint32_t mask) {
  if (st.alphaFunc != kAlways || mask != 0xFFFFFFFFu || target.bit16) return BlendPath::General;
  if (!st.blendEnabled) return st.blendOp == kOpAdd ? BlendPath::Opaque : BlendPath::General;
  if (st.srcBlend != kBlendSrcAlpha) return BlendPath::General;
  if (st.blendOp == kOpAdd && st.dstBlend == kBlendInvSrcAlpha) return BlendPath::Alpha;
  if (st.blendOp == kOpAdd && st.dstBlend == kBlendOne) return BlendPath::Added;
  if (st.blendOp == kOpSubtract && st.dstBlend == kBlendInvSrcAlpha) return BlendPath::Subtracted;
  return BlendPath::General;
}

// x / 255 rounded to nearest for 0 <= x <= 255 * 255 (x / 255 never ends in
// exactly one half, so no tie arises).
inline uint32_t RoundDiv255(uint32_t x) { return (x + 127) / 255; }

// source × its alpha + target, each channel capped at 255.
inline void AddBlend(uint32_t& pixel, uint32_t source, bool targetAlpha) {
  uint32_t a = source >> 24;
  uint32_t out = targetAlpha ? 0 : 0xFF000000u;
  for (int shift = 0; shift < 32; shift += 8) {
    if (shift == 24 && !targetAlpha) break;
    uint32_t s = (source >> shift) & 255, d = (pixel >> shift) & 255;
    out |= std::min<uint32_t>(255, d + RoundDiv255(s * a)) << shift;
  }
  pixel = out;
}

// source × its alpha - target × (1 - alpha), each channel at least 0; a
// target without alpha counts as opaque.
inline void SubtractBlend(uint32_t& pixel, uint32_t source, bool targetAlpha) {
  int32_t a = static_cast<int32_t>(source >> 24), ia = 255 - a;
  uint32_t d = targetAlpha ? pixel : pixel | 0xFF000000u, out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int32_t x = static_cast<int32_t>((source >> shift) & 255) * a - static_cast<int32_t>((d >> shift) & 255) * ia;
    if (x > 0) out |= RoundDiv255(static_cast<uint32_t>(x)) << shift;
  }
  pixel = out;
}

// Blending, alpha test, colour mask and 16-bit precision the general way.
void BlendGeneral(const PixelContext& ctx, uint32_t& pixel, uint32_t source);

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
  if (ctx.path == BlendPath::Added) {
    AddBlend(pixel, source, ctx.target->alpha);
    return;
  }
  if (ctx.path == BlendPath::Subtracted) {
    SubtractBlend(pixel, source, ctx.target->alpha);
    return;
  }
  BlendGeneral(ctx, pixel, source);
}

inline uint32_t PackColour(float r, float g, float b, float a) {
  auto byte = [](float c) { return static_cast<uint32_t>(std::clamp(c, 0.0f, 255.0f) + 0.5f); };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
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

}  // namespace tarn::gfx
