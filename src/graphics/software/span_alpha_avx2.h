// The AVX2 form of the alpha-blended textured row (see span_alpha.h).
#pragma once

#include <cstdint>

#include "graphics/software/span_alpha.h"

namespace tarn::gfx {

// SpanAlphaBlendRows for power-of-two textures with wrapping whose sides
// fit in 16 bits, on processors with AVX2.
void SpanAlphaBlendRowsAvx2(const SpanRow* rows, int n, const SpanStyle& style);

}  // namespace tarn::gfx
