// Per-pixel arithmetic of the software renderer on packed 0xAARRGGBB words:
// bilinear sampling, modulation by a colour and blending by alpha.
#pragma once

#include <cstdint>

#include "graphics/software/sampler.h"

namespace tarn::gfx {

// Linear interpolation of two packed pixels with weight f (0..256) on b.
__attribute__((always_inline)) inline uint32_t LerpPixel(uint32_t a, uint32_t b, uint32_t f) {
  uint32_t g = 256 - f;
  uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f)) & 0xFF00FF00u;
  return rb | ag;
}

// Bilinear sample at fixed-point texel coordinates (8 fraction bits,
// already shifted by half a texel).
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

}  // namespace tarn::gfx
