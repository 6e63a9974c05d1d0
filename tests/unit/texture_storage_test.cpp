// Textures the configuration asks to keep in 16-bit formats or compressed:
// the colours the software renderer then samples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/backend.h"
#include "graphics/image/dxt.h"
#include "graphics/software/texture_storage.h"

namespace tarn::gfx {
namespace {

int WorstChannelError(const uint32_t* a, const uint32_t* b, int n, bool alpha) {
  int worst = 0;
  for (int i = 0; i < n; ++i)
    for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8)
      worst = std::max(worst, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)));
  return worst;
}

TEST(TextureStorageTest, SixteenBitFormatsKeepTheHighBits) {
  Surface withAlpha, opaque;
  withAlpha.alpha = true;
  opaque.alpha = false;
  withAlpha.Resize(1, 1);
  opaque.Resize(1, 1);
  withAlpha.pixels[0] = opaque.pixels[0] = 0x8F3C7A15u;
  ReduceToStorage(withAlpha, TextureStorage::kBits16);
  ReduceToStorage(opaque, TextureStorage::kBits16);
  EXPECT_EQ(0x88337711u, withAlpha.pixels[0]);  // A4R4G4B4
  EXPECT_EQ(0xFF397910u, opaque.pixels[0]);     // R5G6B5, opaque
  Surface full = opaque;
  full.pixels[0] = 0x12345678u;
  ReduceToStorage(full, TextureStorage::kFull);
  EXPECT_EQ(0x12345678u, full.pixels[0]);
}

TEST(TextureStorageTest, BlocksRoundTripThroughTheDecoder) {
  // Two colours exact in 5:6:5 come back exactly, in either format.
  uint32_t twoColours[16];
  for (int i = 0; i < 16; ++i) twoColours[i] = i % 3 ? 0xFFFF0000u : 0xFF0000FFu;
  uint8_t block[16];
  uint32_t decoded[16];
  EncodeDxt1Block(twoColours, block);
  DecodeDxtBlock(block, "DXT1", decoded);
  EXPECT_EQ(0, std::memcmp(twoColours, decoded, sizeof decoded));
  EncodeDxt5Block(twoColours, block);
  DecodeDxtBlock(block, "DXT5", decoded);
  EXPECT_EQ(0, std::memcmp(twoColours, decoded, sizeof decoded));

  // One colour, and a smooth ramp of colour and alpha, stay close.
  uint32_t flat[16], ramp[16];
  for (int i = 0; i < 16; ++i) {
    flat[i] = 0xFF406080u;
    uint32_t v = static_cast<uint32_t>(i * 16);
    ramp[i] = (255 - v) << 24 | v << 16 | (v / 2) << 8 | (255 - v);
  }
  EncodeDxt1Block(flat, block);
  DecodeDxtBlock(block, "DXT1", decoded);
  EXPECT_LE(WorstChannelError(flat, decoded, 16, true), 4);
  EncodeDxt5Block(ramp, block);
  DecodeDxtBlock(block, "DXT5", decoded);
  // A ramp over 240 levels: four colours leave at most a sixth of it (40),
  // eight alpha values a fourteenth (18).
  EXPECT_LE(WorstChannelError(ramp, decoded, 16, false), 40);
  int alphaError = 0;
  for (int i = 0; i < 16; ++i) alphaError = std::max(alphaError, std::abs(static_cast<int>(ramp[i] >> 24) - static_cast<int>(decoded[i] >> 24)));
  EXPECT_LE(alphaError, 18);
}

TEST(TextureStorageTest, CompressedTexturesOfOddSizesThroughTheBackend) {
  std::unique_ptr<Backend> backend = CreateSoftwareBackend();
  ASSERT_TRUE(backend->Init(8, 8, false));
  const int w = 6, h = 5;  // partial blocks on both edges
  std::vector<uint32_t> pixels(w * h);
  for (int i = 0; i < w * h; ++i) pixels[i] = i % 2 ? 0x80FF0000u : 0x800000FFu;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
  for (TextureStorage storage : {TextureStorage::kFull, TextureStorage::kCompressed}) {
    TextureHandle texture = backend->CreateStoredTexture(w, h, true, bytes, storage);
    PixelImage image;
    ASSERT_TRUE(backend->ReadTexture(texture, image));
    ASSERT_EQ(w, image.width);
    ASSERT_EQ(h, image.height);
    // Two colours and one alpha per block: exact either way.
    EXPECT_EQ(0, std::memcmp(pixels.data(), image.bgra.data(), image.bgra.size()));
    backend->ReleaseTexture(texture);
  }
  std::vector<uint32_t> shades(w * h);
  for (int i = 0; i < w * h; ++i) shades[i] = 0xFF000000u | static_cast<uint32_t>(i * 8) << 8;
  TextureHandle texture =
      backend->CreateStoredTexture(w, h, false, reinterpret_cast<const uint8_t*>(shades.data()), TextureStorage::kBits16);
  PixelImage image;
  ASSERT_TRUE(backend->ReadTexture(texture, image));
  const uint32_t* got = reinterpret_cast<const uint32_t*>(image.bgra.data());
  for (int i = 0; i < w * h; ++i) EXPECT_EQ(got[i] & 0x300u, (shades[i] & 0xFC00u) >> 6 & 0x300u) << i;
  backend->Close();
}

}  // namespace
}  // namespace tarn::gfx
