#include "graphics/software/span_alpha.h"

#include <emmintrin.h>

#include "graphics/software/pixel_blend.h"
#include "graphics/software/pixel_ops.h"
#include "graphics/software/span_alpha_avx2.h"

namespace tarn::gfx {

namespace {

// Two pixels at a time, each as four 16-bit lanes B, G, R, A. Every step is
// the integer arithmetic of LerpPixel, Modulate and AlphaBlend, so the result
// is the same bit for bit.

// a + floor((b - a) * f / 256) per lane, w holding f << 7: the doubled
// difference times w is (b - a) * f * 256, whose high half is the quotient.
inline __m128i Lerp(__m128i a, __m128i b, __m128i w) {
  __m128i d = _mm_sub_epi16(b, a);
  return _mm_add_epi16(a, _mm_mulhi_epi16(_mm_add_epi16(d, d), w));
}

// x / 255 rounded to nearest for x up to 255 * 255: (x + 128) * 257 >> 16
// equals (x + 128 + ((x + 128) >> 8)) >> 8 over that range.
inline __m128i Div255(__m128i x) {
  return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// Lanes [p p p p q q q q] from two values below 2^16.
inline __m128i Spread(uint32_t p, uint32_t q) {
  __m128i w = _mm_cvtsi32_si128(static_cast<int>(p | q << 16));
  w = _mm_unpacklo_epi16(w, w);
  return _mm_unpacklo_epi32(w, w);
}

// Texels row[xa] and row[xb] in the low 64 bits.
inline __m128i FetchPair(const uint32_t* row, int xa, int xb) {
  if (xb == xa + 1) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + xa));
  return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(row[xa])), _mm_cvtsi32_si128(static_cast<int>(row[xb])));
}

struct Tap {
  __m128i top, bottom;  // [a b] of the upper and lower texel rows
  uint32_t fx, fy;      // weights, shifted left by 7
};

template <bool kFastWrap>
inline Tap Fetch(const Sampler& s, int64_t tx, int64_t ty) {
  const Surface& t = *s.tex;
  int x0 = static_cast<int>(tx >> 16), y0 = static_cast<int>(ty >> 16);
  int xa, xb, ya, yb;
  if (kFastWrap) {
    xa = x0 & s.wMask;
    xb = (x0 + 1) & s.wMask;
    ya = y0 & s.hMask;
    yb = (y0 + 1) & s.hMask;
  } else {
    xa = WrapIndex(x0, t.width, s.mode);
    xb = WrapIndex(x0 + 1, t.width, s.mode);
    ya = WrapIndex(y0, t.height, s.mode);
    yb = WrapIndex(y0 + 1, t.height, s.mode);
  }
  Tap tap;
  tap.top = FetchPair(t.Row(ya), xa, xb);
  tap.bottom = FetchPair(t.Row(yb), xa, xb);
  tap.fx = static_cast<uint32_t>((tx >> 8) & 255) << 7;
  tap.fy = static_cast<uint32_t>((ty >> 8) & 255) << 7;
  return tap;
}

// Two filtered texels, [p q] in 16-bit lanes.
inline __m128i Filter(const Tap& p, const Tap& q) {
  const __m128i zero = _mm_setzero_si128();
  // [a_p b_p a_q b_q] -> [a_p a_q b_p b_q], then widened.
  __m128i top = _mm_shuffle_epi32(_mm_unpacklo_epi64(p.top, q.top), _MM_SHUFFLE(3, 1, 2, 0));
  __m128i bottom = _mm_shuffle_epi32(_mm_unpacklo_epi64(p.bottom, q.bottom), _MM_SHUFFLE(3, 1, 2, 0));
  __m128i wx = Spread(p.fx, q.fx), wy = Spread(p.fy, q.fy);
  __m128i upper = Lerp(_mm_unpacklo_epi8(top, zero), _mm_unpackhi_epi8(top, zero), wx);
  __m128i lower = Lerp(_mm_unpacklo_epi8(bottom, zero), _mm_unpackhi_epi8(bottom, zero), wx);
  return Lerp(upper, lower, wy);
}

// True when all eight texels under two pixels have alpha 0.
inline bool Transparent(const Tap& p, const Tap& q) {
  __m128i any = _mm_or_si128(_mm_or_si128(p.top, p.bottom), _mm_or_si128(q.top, q.bottom));
  __m128i alpha = _mm_and_si128(any, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
  return (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) & 0xFF) == 0xFF;
}

struct Blender {
  __m128i colour;        // the tint, twice
  __m128i opaqueTexels;  // alpha lanes set when the texture has no alpha
  __m128i targetMask;    // alpha bits set when the target's alpha reads as opaque

  // Source (texel times tint) over the two target pixels, as 16-bit lanes.
  __m128i Blend(__m128i texels, __m128i target) const {
    const __m128i zero = _mm_setzero_si128();
    __m128i src = Div255(_mm_mullo_epi16(_mm_or_si128(texels, opaqueTexels), colour));
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, 0xFF), 0xFF);
    __m128i d = _mm_unpacklo_epi8(_mm_or_si128(target, targetMask), zero);
    __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255(_mm_add_epi16(_mm_mullo_epi16(src, a), _mm_mullo_epi16(d, ia)));
  }
};

template <bool kFastWrap>
void Span(uint32_t* pixel, int count, const Sampler& s, int64_t tx, int64_t ty, int64_t dtx, int64_t dty,
          uint32_t colour, bool targetAlpha) {
  const __m128i zero = _mm_setzero_si128();
  __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colour)), zero);
  Blender blender{_mm_unpacklo_epi64(c, c), s.tex->alpha ? zero : _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0),
                  targetAlpha ? zero : _mm_set1_epi32(static_cast<int>(0xFF000000u))};
  int i = 0;
  for (; i + 2 <= count; i += 2) {
    Tap p = Fetch<kFastWrap>(s, tx, ty);
    Tap q = Fetch<kFastWrap>(s, tx + dtx, ty + dty);
    tx += 2 * dtx;
    ty += 2 * dty;
    __m128i* out = reinterpret_cast<__m128i*>(pixel + i);
    if (s.tex->alpha && Transparent(p, q)) {
      // Every tap has alpha 0: the blend gives the target back.
      if (!targetAlpha) _mm_storel_epi64(out, _mm_or_si128(_mm_loadl_epi64(out), blender.targetMask));
      continue;
    }
    __m128i result = blender.Blend(Filter(p, q), _mm_loadl_epi64(out));
    _mm_storel_epi64(out, _mm_packus_epi16(result, result));
  }
  if (i < count) {
    Tap p = Fetch<kFastWrap>(s, tx, ty);
    __m128i target = _mm_cvtsi32_si128(static_cast<int>(pixel[i]));
    __m128i result = blender.Blend(Filter(p, p), target);
    pixel[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(result, result)));
  }
}

}  // namespace

void SpanAlphaBlendSse2(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty, int64_t dtx,
                        int64_t dty, uint32_t colour, bool targetAlpha) {
  if (sampler.fastWrap)
    Span<true>(pixel, count, sampler, tx, ty, dtx, dty, colour, targetAlpha);
  else
    Span<false>(pixel, count, sampler, tx, ty, dtx, dty, colour, targetAlpha);
}

void SpanAlphaBlendRows(const SpanRow* rows, int n, const SpanStyle& style) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  const Sampler& sampler = *style.sampler;
  if (avx2 && sampler.fastWrap && sampler.tex->width <= 65536 && sampler.tex->height <= 65536) {
    SpanAlphaBlendRowsAvx2(rows, n, style);
    return;
  }
  if (style.added) {
    for (int i = 0; i < n; ++i)
      SpanAddReference(rows[i].pixel, rows[i].count, sampler, rows[i].tx, rows[i].ty, style.dtx, style.dty,
                       style.colour, style.targetAlpha);
    return;
  }
  for (int i = 0; i < n; ++i)
    SpanAlphaBlendSse2(rows[i].pixel, rows[i].count, sampler, rows[i].tx, rows[i].ty, style.dtx, style.dty,
                       style.colour, style.targetAlpha);
}

void SpanAddReference(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty, int64_t dtx,
                      int64_t dty, uint32_t colour, bool targetAlpha) {
  for (int i = 0; i < count; ++i, tx += dtx, ty += dty) {
    uint32_t texel = SampleFixed(sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8));
    AddBlend(pixel[i], Modulate(texel, colour), targetAlpha);
  }
}

void SpanAlphaBlendReference(uint32_t* pixel, int count, const Sampler& sampler, int64_t tx, int64_t ty,
                             int64_t dtx, int64_t dty, uint32_t colour, bool targetAlpha) {
  for (int i = 0; i < count; ++i, tx += dtx, ty += dty) {
    uint32_t texel = SampleFixed(sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8));
    AlphaBlend(pixel[i], Modulate(texel, colour), targetAlpha);
  }
}

}  // namespace tarn::gfx
