// DDS files for the default renderer: DXT1, DXT3, DXT5 and uncompressed
// 32-bit, first mip level only, decoded to B, G, R, A pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarn::gfx {

struct DdsImage {
  int width = 0;
  int height = 0;
  bool alpha = false;         // the format has an alpha channel (not DXT1)
  bool punchThrough = false;  // DXT1 whose three-colour blocks leave texels transparent
  bool compressed = false;
  int mipLevels = 1;
  std::vector<uint8_t> bgra;  // rows top-down
};

// False for anything that is not a complete DDS file of a supported kind.
// The sizes in the header are checked against the bytes present and against
// the largest image side before any pixel memory is taken; a refused file
// leaves 'bgra' empty. The mip count is held to what the size allows.
bool DecodeDds(const uint8_t* data, size_t size, DdsImage& out);

}  // namespace tarn::gfx
