#include "graphics/image/dxt.h"

#include <algorithm>

#include "graphics/image/bytes.h"

namespace tarn::gfx {

namespace {

void Rgb565(uint16_t c, int& r, int& g, int& b) {
  r = (c >> 11) & 31;
  g = (c >> 5) & 63;
  b = c & 31;
  r = r << 3 | r >> 2;
  g = g << 2 | g >> 4;
  b = b << 3 | b >> 2;
}

// The four colours of a block's colour part; 'fourAlways' forces four-colour mode.
void BlockColours(const uint8_t* block, bool fourAlways, uint32_t colours[4]) {
  uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8), c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
  int r[4], g[4], b[4];
  Rgb565(c0, r[0], g[0], b[0]);
  Rgb565(c1, r[1], g[1], b[1]);
  bool four = fourAlways || c0 > c1;
  for (int i = 0; i < 2; ++i) colours[i] = 0xFF000000u | r[i] << 16 | g[i] << 8 | b[i];
  if (four) {
    colours[2] = 0xFF000000u | (2 * r[0] + r[1]) / 3 << 16 | (2 * g[0] + g[1]) / 3 << 8 | (2 * b[0] + b[1]) / 3;
    colours[3] = 0xFF000000u | (r[0] + 2 * r[1]) / 3 << 16 | (g[0] + 2 * g[1]) / 3 << 8 | (b[0] + 2 * b[1]) / 3;
  } else {
    colours[2] = 0xFF000000u | (r[0] + r[1]) / 2 << 16 | (g[0] + g[1]) / 2 << 8 | (b[0] + b[1]) / 2;
    colours[3] = 0;  // transparent black
  }
}

void DecodeBlock(const uint8_t* block, uint32_t kind, uint32_t out[16]) {
  const uint8_t* colourPart = kind == FourCC("DXT1") ? block : block + 8;
  uint32_t colours[4];
  BlockColours(colourPart, kind != FourCC("DXT1"), colours);
  uint32_t indices = Get32(colourPart + 4);
  for (int i = 0; i < 16; ++i) out[i] = colours[(indices >> (2 * i)) & 3];
  if (kind == FourCC("DXT3")) {
    for (int i = 0; i < 16; ++i) {
      uint32_t a = (block[i / 2] >> (4 * (i % 2))) & 15;
      out[i] = (out[i] & 0x00FFFFFFu) | (a * 17) << 24;
    }
  } else if (kind == FourCC("DXT5")) {
    uint32_t a[8] = {block[0], block[1]};
    if (a[0] > a[1]) {
      for (int i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
      for (int i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
      a[6] = 0;
      a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0x00FFFFFFu) | a[(bits >> (3 * i)) & 7] << 24;
  }
}

int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

uint16_t Pack565(int r, int g, int b) { return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

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
  // The four colours exactly as the decoder makes them: a block whose
  // pixels 0 to 3 take colours 0 to 3.
  uint8_t probe[8] = {static_cast<uint8_t>(c0), static_cast<uint8_t>(c0 >> 8), static_cast<uint8_t>(c1),
                      static_cast<uint8_t>(c1 >> 8), 0xE4, 0xE4, 0xE4, 0xE4};
  uint32_t palette[16];
  DecodeDxtBlock(probe, "DXT1", palette);
  uint32_t indices = 0;
  if (c0 != c1) {
    for (int i = 0; i < 16; ++i) {
      int best = 0, bestDistance = 1 << 30;
      for (int k = 0; k < 4; ++k) {
        int distance = Distance(pixels[i], palette[k]);
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

void DecodeDxtBlock(const uint8_t* block, const char* kind, uint32_t out[16]) { DecodeBlock(block, FourCC(kind), out); }

void EncodeDxt1Block(const uint32_t pixels[16], uint8_t block[8]) { EncodeColours(pixels, block); }

void EncodeDxt5Block(const uint32_t pixels[16], uint8_t block[16]) {
  EncodeAlpha(pixels, block);
  EncodeColours(pixels, block + 8);
}

}  // namespace tarn::gfx
