#include "graphics/software/pixel_blend.h"

namespace tarn::gfx {

namespace {

float Factor(int factor, int channel, const float* src, const float* dst, float srcA, float dstA) {
  switch (factor) {
    case kBlendZero: return 0.0f;
    case kBlendOne: return 1.0f;
    case kBlendSrcColour: return src[channel];
    case kBlendInvSrcColour: return 1.0f - src[channel];
    case kBlendSrcAlpha: return srcA;
    case kBlendInvSrcAlpha: return 1.0f - srcA;
    case kBlendDestAlpha: return dstA;
    case kBlendInvDestAlpha: return 1.0f - dstA;
    case kBlendDestColour: return dst[channel];
    case kBlendInvDestColour: return 1.0f - dst[channel];
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

}  // namespace

// Every other combination of states, in floating point.
void BlendGeneral(const PixelContext& ctx, uint32_t& pixel, uint32_t source) {
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

}  // namespace tarn::gfx
