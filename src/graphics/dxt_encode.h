// Compression of 4x4 pixel blocks to DXT1 (no alpha) and DXT5 (with alpha),
// for textures the configuration asks to be stored compressed.
#pragma once

#include <cstdint>

namespace tarn::gfx {

// 'pixels' are 16 values 0xAARRGGBB, row by row. DXT1 ignores alpha.
void EncodeDxt1Block(const uint32_t pixels[16], uint8_t block[8]);
void EncodeDxt5Block(const uint32_t pixels[16], uint8_t block[16]);

}  // namespace tarn::gfx
