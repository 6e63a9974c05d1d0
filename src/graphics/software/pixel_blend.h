// The software renderer's per-pixel state: how a source pixel meets the
// target under the current render states, and sampling at float texture
// coordinates.
#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/backend.h"
#include "graphics/software/pixel_ops.h"

namespace tarn::gfx {

enum class BlendPath { Alpha, Opaque, General };

struct PixelContext {
  Surface* target;
  const RenderStates* states;
  Sampler sampler;
  uint32_t writeMask;  // bits of the 32-bit pixel that are written
  BlendPath path;
};

inline BlendPath ChooseBlendPath(const RenderStates& st, const Surface& target, uint32_t mask) {
  if (st.alphaFunc != kAlways || mask != 0xFFFFFFFFu || target.bit16 || st.blendOp != kOpAdd) return BlendPath::General;
  if (!st.blendEnabled) return BlendPath::Opaque;
  if (st.srcBlend == kBlendSrcAlpha && st.dstBlend == kBlendInvSrcAlpha) return BlendPath::Alpha;
  return BlendPath::General;
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
