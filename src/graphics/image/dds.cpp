#include "graphics/image/dds.h"

#include <algorithm>
#include <cstring>

#include "graphics/image/bytes.h"
#include "graphics/image/dxt.h"
#include "graphics/image/image.h"

namespace tarn::gfx {

namespace {

constexpr uint32_t kAlphaPixels = 0x1, kFourCC = 0x4, kRgb = 0x40;

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

bool DecodeDds(const uint8_t* data, size_t size, DdsImage& out) {
  out.bgra.clear();
  if (!data || size < 128 || std::memcmp(data, "DDS ", 4) != 0 || Get32(data + 4) != 124) return false;
  uint32_t height = Get32(data + 12), width = Get32(data + 16), mips = Get32(data + 28);
  const uint8_t* pf = data + 76;
  uint32_t pfFlags = Get32(pf + 4), fourCC = Get32(pf + 8), bits = Get32(pf + 12);
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
    const char* kind = dxt1 ? "DXT1" : fourCC == FourCC("DXT3") ? "DXT3" : "DXT5";
    for (uint64_t by = 0; by < blocksHigh; ++by)
      for (uint64_t bx = 0; bx < blocksWide; ++bx) {
        uint32_t texels[16];
        DecodeDxtBlock(pixels + (by * blocksWide + bx) * blockBytes, kind, texels);
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
  uint32_t masks[4] = {Get32(pf + 16), Get32(pf + 20), Get32(pf + 24), (pfFlags & kAlphaPixels) ? Get32(pf + 28) : 0};
  out.alpha = masks[3] != 0;
  out.compressed = false;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t p = Get32(pixels + (static_cast<size_t>(y) * width + x) * 4);
      uint32_t c[4];
      for (int k = 0; k < 4; ++k) c[k] = masks[k] ? (p & masks[k]) >> MaskShift(masks[k]) & 0xFF : 255;
      put(x, y, c[3] << 24 | c[0] << 16 | c[1] << 8 | c[2]);
    }
  return true;
}

}  // namespace tarn::gfx
