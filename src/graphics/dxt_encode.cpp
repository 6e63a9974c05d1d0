#include "graphics/dxt_encode.h"

#include <algorithm>

namespace tarn::gfx {

namespace {

int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

uint16_t Pack565(int r, int g, int b) { return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

void Unpack565(uint16_t c, int rgb[3]) {
  int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
  rgb[0] = r << 3 | r >> 2;
  rgb[1] = g << 2 | g >> 4;
  rgb[2] = b << 3 | b >> 2;
}

int Distance(uint32_t a, uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int d = Channel(a, shift) - Channel(b, shift);
    sum += d * d;
  }
  return sum;
}

// The colour part (8 bytes) in four-colour mode: the two pixels farthest
// apart as end points, each pixel given the nearest of the four colours.
void EncodeColours(const uint32_t pixels[16], uint8_t* out) {
  uint32_t ends[2] = {pixels[0], pixels[0]};
  int widest = -1;
  for (int i = 0; i < 16; ++i)
    for (int j = i + 1; j < 16; ++j)
      if (int d = Distance(pixels[i], pixels[j]); d > widest) {
        widest = d;
        ends[0] = pixels[i];
        ends[1] = pixels[j];
      }
  uint16_t c0 = Pack565(Channel(ends[0], 16), Channel(ends[0], 8), Channel(ends[0], 0));
  uint16_t c1 = Pack565(Channel(ends[1], 16), Channel(ends[1], 8), Channel(ends[1], 0));
  // Four colours need c0 > c1 in DXT1; equal end points leave one colour.
  if (c0 < c1) std::swap(c0, c1);
  int palette[4][3];
  Unpack565(c0, palette[0]);
  Unpack565(c1, palette[1]);
  for (int c = 0; c < 3; ++c) {
    palette[2][c] = (2 * palette[0][c] + palette[1][c]) / 3;
    palette[3][c] = (palette[0][c] + 2 * palette[1][c]) / 3;
  }
  uint32_t indices = 0;
  if (c0 != c1) {
    for (int i = 0; i < 16; ++i) {
      int best = 0, bestDistance = 1 << 30;
      for (int k = 0; k < 4; ++k) {
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
          int d = Channel(pixels[i], 16 - 8 * c) - palette[k][c];
          distance += d * d;
        }
        if (distance < bestDistance) {
          bestDistance = distance;
          best = k;
        }
      }
      indices |= static_cast<uint32_t>(best) << (2 * i);
    }
  }
  out[0] = static_cast<uint8_t>(c0);
  out[1] = static_cast<uint8_t>(c0 >> 8);
  out[2] = static_cast<uint8_t>(c1);
  out[3] = static_cast<uint8_t>(c1 >> 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(indices >> (8 * i));
}

// The alpha part of DXT5 (8 bytes) in eight-value mode between the block's
// extremes.
void EncodeAlpha(const uint32_t pixels[16], uint8_t* out) {
  int lo = 255, hi = 0;
  for (int i = 0; i < 16; ++i) {
    lo = std::min(lo, Channel(pixels[i], 24));
    hi = std::max(hi, Channel(pixels[i], 24));
  }
  int values[8] = {hi, lo};
  for (int i = 1; i < 7; ++i) values[i + 1] = ((7 - i) * hi + i * lo) / 7;
  uint64_t bits = 0;
  if (hi != lo) {
    for (int i = 0; i < 16; ++i) {
      int a = Channel(pixels[i], 24), best = 0;
      for (int k = 1; k < 8; ++k)
        if (std::abs(values[k] - a) < std::abs(values[best] - a)) best = k;
      bits |= static_cast<uint64_t>(best) << (3 * i);
    }
  }
  out[0] = static_cast<uint8_t>(hi);
  out[1] = static_cast<uint8_t>(lo);
  for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

void EncodeDxt1Block(const uint32_t pixels[16], uint8_t block[8]) { EncodeColours(pixels, block); }

void EncodeDxt5Block(const uint32_t pixels[16], uint8_t block[16]) {
  EncodeAlpha(pixels, block);
  EncodeColours(pixels, block + 8);
}

}  // namespace tarn::gfx
