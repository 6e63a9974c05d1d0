// The alpha-blended textured row four pixels at a time with AVX2, for
// power-of-two textures with wrapping. Same integer arithmetic as the SSE2
// loop, so the pixels are identical whichever one runs.
#include "graphics/software/span_alpha_avx2.h"

#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")

namespace tarn::gfx {

namespace {

inline __m256i Lerp(__m256i a, __m256i b, __m256i w) {
  __m256i d = _mm256_sub_epi16(b, a);
  return _mm256_add_epi16(a, _mm256_mulhi_epi16(_mm256_add_epi16(d, d), w));
}

// x / 255 rounded to nearest for x up to 255 * 255: (x + 128) * 257 >> 16
// equals (x + 128 + ((x + 128) >> 8)) >> 8 over that range.
inline __m256i Div255(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// Four weights (below 2^16, one per 32-bit lane) spread over the four
// channels of their pixel: [w0 x4, w1 x4 | w2 x4, w3 x4].
inline __m256i Spread(__m128i w) {
  __m256i wide = _mm256_cvtepu32_epi64(w);
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(wide, 0), 0);
}

// Eight texel indices [a0 b0 a1 b1 | a2 b2 a3 b3] from four of each.
inline __m256i Interleave(__m128i a, __m128i b) {
  return _mm256_set_m128i(_mm_unpackhi_epi32(a, b), _mm_unpacklo_epi32(a, b));
}

// [a0 a1 | a2 a3] and [b0 b1 | b2 b3] widened to 16-bit lanes.
inline void Split(__m256i texels, __m256i& a, __m256i& b) {
  __m256i grouped = _mm256_shuffle_epi32(texels, _MM_SHUFFLE(3, 1, 2, 0));
  a = _mm256_unpacklo_epi8(grouped, _mm256_setzero_si256());
  b = _mm256_unpackhi_epi8(grouped, _mm256_setzero_si256());
}

// The loop's constants and one group of four pixels.
class Fours {
 public:
  Fours(const Sampler& s, uint32_t colour, bool targetAlpha, bool added)
      : texels_(reinterpret_cast<const int*>(s.tex->pixels.data())),
        shift_(_mm_cvtsi32_si128(__builtin_ctz(static_cast<unsigned>(s.tex->width)))),
        wMask_(_mm_set1_epi32(s.wMask)),
        hMask_(_mm_set1_epi32(s.hMask)),
        width_(_mm_set1_epi32(s.tex->width)),
        tint_(_mm256_broadcastq_epi64(
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colour)), _mm_setzero_si128()))),
        opaqueTexels_(s.tex->alpha ? _mm256_setzero_si256() : _mm256_set1_epi64x(0x00FF000000000000LL)),
        targetMask_(targetAlpha ? _mm_setzero_si128() : _mm_set1_epi32(static_cast<int>(0xFF000000u))),
        textureAlpha_(s.tex->alpha),
        targetAlpha_(targetAlpha),
        added_(added) {}

  // The texels under four pixels: the upper and lower pair of each.
  struct Taps {
    __m256i top, bottom;
  };
  Taps Fetch(__m128i u, __m128i v) const {
    __m128i xa = _mm_and_si128(_mm_srli_epi32(u, 16), wMask_);
    __m128i ya = _mm_and_si128(_mm_srli_epi32(v, 16), hMask_);
    __m128i offA = _mm_add_epi32(_mm_sll_epi32(ya, shift_), xa);
    __m128i atEdge = _mm_or_si128(_mm_cmpeq_epi32(xa, wMask_), _mm_cmpeq_epi32(ya, hMask_));
    if (_mm_movemask_epi8(atEdge) == 0) {
      // No pixel on the last column or row: each pair of texels is one
      // 8-byte read, and the lower pair is a row further on.
      const long long* base = reinterpret_cast<const long long*>(texels_);
      return {_mm256_i32gather_epi64(base, offA, 4), _mm256_i32gather_epi64(base, _mm_add_epi32(offA, width_), 4)};
    }
    const __m128i one = _mm_set1_epi32(1);
    __m128i xb = _mm_and_si128(_mm_add_epi32(xa, one), wMask_);
    __m128i rowA = _mm_sll_epi32(ya, shift_);
    __m128i rowB = _mm_sll_epi32(_mm_and_si128(_mm_add_epi32(ya, one), hMask_), shift_);
    return {_mm256_i32gather_epi32(texels_, Interleave(_mm_add_epi32(rowA, xa), _mm_add_epi32(rowA, xb)), 4),
            _mm256_i32gather_epi32(texels_, Interleave(_mm_add_epi32(rowB, xa), _mm_add_epi32(rowB, xb)), 4)};
  }

  // Pixels out[0..3] from their taps at texture coordinates u, v (16
  // fraction bits); with kPartial only the lanes set in 'lanes' are read and
  // written.
  template <bool kPartial>
  void Draw(uint32_t* out, const Taps& taps, __m128i u, __m128i v, __m128i lanes) const {
    const __m256i top = taps.top, bottom = taps.bottom;
    int* target = reinterpret_cast<int*>(out);
    __m128i old = kPartial ? _mm_maskload_epi32(target, lanes) : _mm_loadu_si128(reinterpret_cast<__m128i*>(out));
    __m128i result;
    const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    if (textureAlpha_ && _mm256_testz_si256(_mm256_or_si256(top, bottom), alphaBits)) {
      // Every tap has alpha 0: the blend gives the target back.
      if (targetAlpha_) return;
      result = _mm_or_si128(old, targetMask_);
    } else {
      result = Blend(Filter(top, bottom, u, v), old);
    }
    if (kPartial)
      _mm_maskstore_epi32(target, lanes, result);
    else
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), result);
  }

 private:
  static __m256i Filter(__m256i top, __m256i bottom, __m128i u, __m128i v) {
    // Bits 8..15 of the coordinate (the weight) moved to bits 7..14.
    const __m128i weightBits = _mm_set1_epi32(0x7F80);
    __m256i wx = Spread(_mm_and_si128(_mm_srli_epi32(u, 1), weightBits));
    __m256i wy = Spread(_mm_and_si128(_mm_srli_epi32(v, 1), weightBits));
    __m256i topA, topB, bottomA, bottomB;
    Split(top, topA, topB);
    Split(bottom, bottomA, bottomB);
    return Lerp(Lerp(topA, topB, wx), Lerp(bottomA, bottomB, wx), wy);
  }

  // Source (texel times tint) over four target pixels.
  __m128i Blend(__m256i filtered, __m128i old) const {
    __m256i src = Div255(_mm256_mullo_epi16(_mm256_or_si256(filtered, opaqueTexels_), tint_));
    __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(src, 0xFF), 0xFF);
    __m256i d = _mm256_cvtepu8_epi16(_mm_or_si128(old, targetMask_));
    if (added_) return Pack(_mm256_add_epi16(d, Div255(_mm256_mullo_epi16(src, a))));  // packing caps at 255
    __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return Pack(Div255(_mm256_add_epi16(_mm256_mullo_epi16(src, a), _mm256_mullo_epi16(d, ia))));
  }

  // Four pixels of 16-bit channels back to bytes, saturated.
  static __m128i Pack(__m256i channels) {
    __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(channels, channels), _MM_SHUFFLE(3, 1, 2, 0));
    return _mm256_castsi256_si128(packed);
  }

  const int* texels_;
  __m128i shift_, wMask_, hMask_, width_;
  __m256i tint_, opaqueTexels_;
  __m128i targetMask_;
  bool textureAlpha_, targetAlpha_, added_;
};

}  // namespace

void SpanAlphaBlendRowsAvx2(const SpanRow* rows, int n, const SpanStyle& style) {
  const Fours fours(*style.sampler, style.colour, style.targetAlpha, style.added);
  // Coordinates in 32-bit lanes: wrapping arithmetic keeps the low bits,
  // which are all the masks look at.
  const uint32_t dtx = static_cast<uint32_t>(style.dtx), dty = static_cast<uint32_t>(style.dty);
  const __m128i stepsU = _mm_set_epi32(static_cast<int>(3 * dtx), static_cast<int>(2 * dtx), static_cast<int>(dtx), 0);
  const __m128i stepsV = _mm_set_epi32(static_cast<int>(3 * dty), static_cast<int>(2 * dty), static_cast<int>(dty), 0);
  const __m128i du = _mm_set1_epi32(static_cast<int>(4 * dtx)), dv = _mm_set1_epi32(static_cast<int>(4 * dty));
  for (const SpanRow* row = rows; row != rows + n; ++row) {
    uint32_t* pixel = row->pixel;
    const int count = row->count;
    __m128i u = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(row->tx)), stepsU);
    __m128i v = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(row->ty)), stepsV);
    // The texels of the next four pixels are read while these four are
    // blended: the reads are slow and this keeps them off the critical path.
    // Reading past the row is harmless: the addresses wrap into the texture.
    Fours::Taps taps = fours.Fetch(u, v);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
      __m128i nextU = _mm_add_epi32(u, du), nextV = _mm_add_epi32(v, dv);
      Fours::Taps next = fours.Fetch(nextU, nextV);
      fours.Draw<false>(pixel + i, taps, u, v, __m128i{});
      taps = next;
      u = nextU;
      v = nextV;
    }
    if (i < count) {
      __m128i lanesLeft = _mm_cmpgt_epi32(_mm_set1_epi32(count - i), _mm_set_epi32(3, 2, 1, 0));
      fours.Draw<true>(pixel + i, taps, u, v, lanesLeft);
    }
  }
}

}  // namespace tarn::gfx

#pragma GCC pop_options
