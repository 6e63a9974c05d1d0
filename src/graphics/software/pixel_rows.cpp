#include "graphics/software/pixel_rows.h"

#include <emmintrin.h>

namespace tarn::gfx {

void FillPixels(uint32_t* pixels, size_t count, uint32_t value) {
  const __m128i four = _mm_set1_epi32(static_cast<int>(value));
  size_t i = 0;
  for (; i + 4 <= count; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), four);
  for (; i < count; ++i) pixels[i] = value;
}

void CopyOpaque(uint32_t* to, const uint32_t* from, size_t count) {
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_or_si128(p, alpha));
  }
  for (; i < count; ++i) to[i] = from[i] | 0xFF000000u;
}

}  // namespace tarn::gfx
