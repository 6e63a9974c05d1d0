// Texture addressing for the software renderer: which texel a coordinate
// outside the texture reads under each address mode.
#pragma once

#include <cstdint>

#include "graphics/backend.h"
#include "graphics/software/surface.h"

namespace tarn::gfx {

inline int WrapIndex(int i, int n, int mode) {
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

struct Sampler {
  const Surface* tex = nullptr;
  int mode = kAddressWrap;
  bool fastWrap = false;  // power-of-two size with wrapping: masks instead of modulo
  int wMask = 0, hMask = 0;
  float scaleU = 0, scaleV = 0;  // texture size times 256 (8 fraction bits)
};

inline Sampler MakeSampler(const Surface* tex, int mode) {
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

inline int Address(const Sampler& s, int i, int n, int mask) {
  return s.fastWrap ? i & mask : WrapIndex(i, n, s.mode);
}

}  // namespace tarn::gfx
