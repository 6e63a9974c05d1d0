#include "graphics/dds.h"

#include <algorithm>
#include <cstring>

#include "graphics/image.h"

namespace tarn::gfx {

namespace {

constexpr uint32_t kAlphaPixels = 0x1, kFourCC = 0x4, kRgb = 0x40;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint32_t FourCC(const char* text) { return U32(reinterpret_cast<const uint8_t*>(text)); }

void Rgb565(uint16_t c, int& r, int& g, int& b) {
  r = (c >> 11) & 31;
  g = (c >> 5) & 63;
  b = c & 31;
  r = r << 3 | r >> 2;
  g = g << 2 | g >> 4;
  b = b << 3 | b >> 2;
}

// The four colours of a block's colour part; 'alphaBlock' forces four-colour mode.
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
  uint32_t indices = U32(colourPart + 4);
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

// Levels in a full mip chain of a texture of this size.
int MipChainLength(uint32_t width, uint32_t height) {
  int levels = 1;
  for (uint32_t side = width > height ? width : height; side > 1; side >>= 1) ++levels;
  return levels;
}

int MaskShift(uint32_t mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

void DecodeDxtBlock(const uint8_t* block, const char* kind, uint32_t out[16]) { DecodeBlock(block, FourCC(kind), out); }

bool DecodeDds(const uint8_t* data, size_t size, DdsImage& out) {
  out.bgra.clear();
  if (!data || size < 128 || std::memcmp(data, "DDS ", 4) != 0 || U32(data + 4) != 124) return false;
  uint32_t height = U32(data + 12), width = U32(data + 16), mips = U32(data + 28);
  const uint8_t* pf = data + 76;
  uint32_t pfFlags = U32(pf + 4), fourCC = U32(pf + 8), bits = U32(pf + 12);
  const uint32_t maxSide = static_cast<uint32_t>(kMaxImageSide);
  if (width == 0 || height == 0 || width > maxSide || height > maxSide) return false;
  const uint8_t* pixels = data + 128;
  const uint64_t available = size - 128;
  const bool blocks = (pfFlags & kFourCC) != 0;
  uint64_t blockBytes = 0, blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
  if (blocks) {
    if (fourCC != FourCC("DXT1") && fourCC != FourCC("DXT3") && fourCC != FourCC("DXT5")) return false;
    blockBytes = fourCC == FourCC("DXT1") ? 8 : 16;
    if (available < blocksWide * blocksHigh * blockBytes) return false;
  } else {
    if (!(pfFlags & kRgb) || bits != 32) return false;
    if (available < static_cast<uint64_t>(width) * height * 4) return false;
  }
  // Only now is the first level known to be in the file.
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.mipLevels = static_cast<int>(std::clamp<uint32_t>(mips, 1, static_cast<uint32_t>(MipChainLength(width, height))));
  out.punchThrough = false;
  out.bgra.assign(static_cast<size_t>(width) * height * 4, 0);
  auto put = [&](uint32_t x, uint32_t y, uint32_t argb) {
    if (x < width && y < height) std::memcpy(&out.bgra[(static_cast<size_t>(y) * width + x) * 4], &argb, 4);
  };
  if (blocks) {
    const bool dxt1 = fourCC == FourCC("DXT1");
    for (uint64_t by = 0; by < blocksHigh; ++by)
      for (uint64_t bx = 0; bx < blocksWide; ++bx) {
        uint32_t texels[16];
        DecodeBlock(pixels + (by * blocksWide + bx) * blockBytes, fourCC, texels);
        for (int i = 0; i < 16; ++i) {
          uint32_t x = static_cast<uint32_t>(bx * 4 + i % 4), y = static_cast<uint32_t>(by * 4 + i / 4);
          if (x >= width || y >= height) continue;  // a partial block over the edge
          // A DXT1 texel of alpha 0 only comes from index 3 of a three-colour block.
          if (dxt1 && (texels[i] >> 24) == 0) out.punchThrough = true;
          put(x, y, texels[i]);
        }
      }
    out.compressed = true;
    out.alpha = !dxt1;
    return true;
  }
  uint32_t masks[4] = {U32(pf + 16), U32(pf + 20), U32(pf + 24), (pfFlags & kAlphaPixels) ? U32(pf + 28) : 0};
  out.alpha = masks[3] != 0;
  out.compressed = false;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t p = U32(pixels + (static_cast<size_t>(y) * width + x) * 4);
      uint32_t c[4];
      for (int k = 0; k < 4; ++k) c[k] = masks[k] ? (p & masks[k]) >> MaskShift(masks[k]) & 0xFF : 255;
      put(x, y, c[3] << 24 | c[0] << 16 | c[1] << 8 | c[2]);
    }
  return true;
}

}  // namespace tarn::gfx
