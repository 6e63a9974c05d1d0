// The renderer's hottest loop: one row of an affine, flat-coloured, textured
// quad blended over the target by the source's alpha.
#pragma once

#include <cstdint>

#include "graphics/software/sampler.h"

namespace tarn::gfx {

// One row for the blending loop: 'count' pixels from 'pixel' on, the first
// at texture coordinates (tx, ty).
struct SpanRow {
  uint32_t* pixel;
  int count;
  int64_t tx, ty;
};

// What all rows of one quad share.
struct SpanStyle {
  const Sampler* sampler;
  int64_t dtx, dty;  // texture step from one pixel to the next
  uint32_t colour;
  bool targetAlpha;
  // The source times its alpha added to the target (each channel capped at
  // 255) instead of blended over it.
  bool added = false;
};

// Draws several rows, set up once. Texture coordinates are fixed point with
// 16 fraction bits, already shifted by half a texel; filtering uses the top 8
// of them. The source is the bilinear texel times 'colour' (ARGB); the
// target's alpha reads as opaque unless 'targetAlpha'.
void SpanAlphaBlendRows(const SpanRow* rows, int n, const SpanStyle& style);

// The added rows one pixel at a time: where the vector loop does not take
// the texture, and its reference.
void SpanAddReference(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty, int64_t dtx,
                      int64_t dty, uint32_t colour, bool targetAlpha);

// One row by the two-pixel SSE2 loop alone (SpanAlphaBlendRows uses it for
// textures the AVX2 loop does not take, and on processors without AVX2).
void SpanAlphaBlendSse2(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty, int64_t dtx,
                        int64_t dty, uint32_t colour, bool targetAlpha);

// The same pixels one at a time, in plain integer arithmetic: the reference
// the vector loop must match bit for bit.
void SpanAlphaBlendReference(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty,
                             int64_t dtx, int64_t dty, uint32_t colour, bool targetAlpha);

}  // namespace tarn::gfx
