// DXT texture blocks: decoding 4x4 pixel blocks of DXT1, DXT3 and DXT5, and
// compressing them to DXT1 (no alpha) and DXT5 (with alpha) for textures the
// configuration asks to be stored compressed.
#pragma once

#include <cstdint>

namespace tarn::gfx {

// One 4x4 block of a DXT1, DXT3 or DXT5 texture ('kind' is the FourCC
// text) to 16 pixels 0xAARRGGBB, row by row.
void DecodeDxtBlock(const uint8_t* block, const char* kind, uint32_t out[16]);

// 'pixels' are 16 values 0xAARRGGBB, row by row. DXT1 ignores alpha.
void EncodeDxt1Block(const uint32_t pixels[16], uint8_t block[8]);
void EncodeDxt5Block(const uint32_t pixels[16], uint8_t block[16]);

}  // namespace tarn::gfx
