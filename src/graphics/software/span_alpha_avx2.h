// The AVX2 form of the alpha-blended textured row (see span_alpha.h).
#pragma once

#include <cstdint>

#include "graphics/software/sampler.h"

namespace tarn::gfx {

// Only for power-of-two textures with wrapping whose sides fit in
// 16 bits, and only on processors with AVX2.
void SpanAlphaBlendAvx2(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty, int64_t dtx,
                       int64_t dty, uint32_t colour, bool targetAlpha);

}  // namespace tarn::gfx
