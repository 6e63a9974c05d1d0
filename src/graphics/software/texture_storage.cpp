#include "graphics/software/texture_storage.h"

#include <algorithm>

#include "graphics/image/dxt.h"

namespace tarn::gfx {

namespace {

// A channel kept in 'bits' bits, read back by repeating its high bits.
uint32_t Keep(uint32_t value, int bits) {
  uint32_t kept = value >> (8 - bits);
  return (kept << (8 - bits) | kept >> (2 * bits - 8)) & 0xFF;
}

uint32_t Reduce16(uint32_t p, bool alpha) {
  uint32_t a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (alpha) return Keep(a, 4) << 24 | Keep(r, 4) << 16 | Keep(g, 4) << 8 | Keep(b, 4);
  return 0xFF000000u | Keep(r, 5) << 16 | Keep(g, 6) << 8 | Keep(b, 5);
}

void Compress(Surface& s) {
  for (int by = 0; by < s.height; by += 4)
    for (int bx = 0; bx < s.width; bx += 4) {
      // Blocks over the edge repeat the last row and column.
      uint32_t block[16];
      for (int i = 0; i < 16; ++i)
        block[i] = s.Row(std::min(by + i / 4, s.height - 1))[std::min(bx + i % 4, s.width - 1)];
      uint8_t packed[16];
      uint32_t decoded[16];
      if (s.alpha) {
        EncodeDxt5Block(block, packed);
        DecodeDxtBlock(packed, "DXT5", decoded);
      } else {
        EncodeDxt1Block(block, packed);
        DecodeDxtBlock(packed, "DXT1", decoded);
      }
      for (int i = 0; i < 16; ++i)
        if (by + i / 4 < s.height && bx + i % 4 < s.width) s.Row(by + i / 4)[bx + i % 4] = decoded[i];
    }
}

}  // namespace

void ReduceToStorage(Surface& surface, TextureStorage storage) {
  if (storage == TextureStorage::kBits16) {
    for (uint32_t& p : surface.pixels) p = Reduce16(p, surface.alpha);
  } else if (storage == TextureStorage::kCompressed) {
    Compress(surface);
  }
}

}  // namespace tarn::gfx
