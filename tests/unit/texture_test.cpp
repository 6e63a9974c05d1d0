#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "diag/error.h"
#include "graphics/image/dds.h"
#include "graphics/render.h"
#include "graphics/sprite.h"
#include "graphics/sprite_file.h"
#include "graphics/texture.h"
#include "resources/filesystem.h"
#include "render_fakes.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

TEST(SpriteFile, RecordsUntilTheFirstIncompleteOne) {
  std::vector<Sprite> sprites =
      ParseSprites("button_on 0 0 120 40 60 20\nbutton_off\t0 40 120.9 40 -60.7 20\nbad 1 2 x 4 5 6\nlate 1 1 1 1 1 1");
  ASSERT_EQ(2u, sprites.size());
  EXPECT_EQ("button_on", sprites[0].name);
  EXPECT_EQ(120, sprites[0].width);
  EXPECT_EQ(60, sprites[0].pivotX);
  EXPECT_EQ(120, sprites[1].width) << "truncated toward zero";
  EXPECT_EQ(-60, sprites[1].pivotX);
  EXPECT_EQ(1u, ParseSprites("last 1 2 3 4 5 6").size()) << "no line end needed";
  EXPECT_EQ(0u, ParseSprites("short 1 2 3").size());
  EXPECT_EQ(2u, ParseSprites("a 0 0 1 1 0 0 a 1 1 1 1 0 0").size()) << "duplicates kept";
}

TEST(TextureKeys, LowerCaseSlashesNoExtension) {
  EXPECT_EQ("gfx/menu/back", TextureKey("Gfx\\Menu\\Back.PNG"));
  EXPECT_EQ("gfx/menu/back", TextureKey("gfx/menu/back"));
  EXPECT_EQ("gfx.dir/hero", TextureKey("gfx.dir/hero")) << "a dot in a folder is no extension";
  EXPECT_EQ(18000, EstimateTextureBytes(100, 60, 1, false, false, false));
  EXPECT_EQ(128 * 64 * 4, EstimateTextureBytes(128, 64, 1, true, false, false));
  EXPECT_EQ(104 * 60 / 2, EstimateTextureBytes(101, 57, 1, false, true, false));
  EXPECT_EQ(16 * 16 * 2 + 8 * 8 * 2, EstimateTextureBytes(16, 16, 2, true, false, true));
}

std::vector<uint8_t> DdsHeader(uint32_t width, uint32_t height, const char* fourCC, uint32_t bits = 0) {
  std::vector<uint8_t> file(128, 0);
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  std::memcpy(file.data(), "DDS ", 4);
  put(4, 124);
  put(12, height);
  put(16, width);
  put(76, 32);
  if (fourCC) {
    put(80, 0x4);
    std::memcpy(&file[84], fourCC, 4);
  } else {
    put(80, 0x41);
    put(88, bits);
    put(92, 0x00FF0000);
    put(96, 0x0000FF00);
    put(100, 0x000000FF);
    put(104, 0xFF000000);
  }
  return file;
}

TEST(Dds, DecodesBlocksAndRefusesShortFiles) {
  // One DXT1 block: colour 0 pure red, colour 1 pure blue, all texels index 0
  // except the last, index 1.
  std::vector<uint8_t> file = DdsHeader(4, 4, "DXT1");
  uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0x40};
  file.insert(file.end(), block, block + 8);
  DdsImage image;
  ASSERT_TRUE(DecodeDds(file.data(), file.size(), image));
  EXPECT_FALSE(image.alpha);
  uint32_t first, last;
  std::memcpy(&first, &image.bgra[0], 4);
  std::memcpy(&last, &image.bgra[15 * 4], 4);
  EXPECT_EQ(0xFFFF0000u, first);
  EXPECT_EQ(0xFF0000FFu, last);
  EXPECT_FALSE(DecodeDds(file.data(), file.size() - 1, image)) << "a truncated block";

  std::vector<uint8_t> raw = DdsHeader(2, 1, nullptr, 32);
  uint8_t pixels[8] = {0x10, 0x20, 0x30, 0x40, 0xAA, 0xBB, 0xCC, 0xDD};
  raw.insert(raw.end(), pixels, pixels + 8);
  ASSERT_TRUE(DecodeDds(raw.data(), raw.size(), image));
  EXPECT_TRUE(image.alpha);
  EXPECT_EQ(0x10, image.bgra[0]);
  EXPECT_EQ(0x40, image.bgra[3]);

  std::vector<uint8_t> huge = DdsHeader(100000, 100000, "DXT5");
  EXPECT_FALSE(DecodeDds(huge.data(), huge.size(), image)) << "sizes are not trusted";
  EXPECT_FALSE(DecodeDds(raw.data(), 100, image));
}

// Every size in the header is checked against the bytes present and against
// the largest image side before any pixel memory is taken.
TEST(Dds, HeaderSizesAreCheckedBeforeAllocating) {
  auto withMips = [](std::vector<uint8_t> file, uint32_t mips) {
    std::memcpy(&file[28], &mips, 4);
    return file;
  };
  std::vector<uint8_t> dxt3 = DdsHeader(8, 8, "DXT3");
  dxt3.resize(dxt3.size() + 4 * 16, 0x5A);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
  } cases[] = {
      {"DXT1 claiming 16384 x 16384 on a header alone", DdsHeader(16384, 16384, "DXT1")},
      {"DXT5 claiming 4096 x 4096 on one block", withMips(DdsHeader(4096, 4096, "DXT5"), 1)},
      {"32-bit claiming 16384 x 16384 on two pixels", DdsHeader(16384, 16384, nullptr, 32)},
      {"wider than the largest side", DdsHeader(16385, 4, "DXT1")},
      {"taller than the largest side", DdsHeader(1, 16385, nullptr, 32)},
      {"no width", DdsHeader(0, 4, "DXT1")},
      {"unknown block kind", DdsHeader(4, 4, "DXT2")},
      {"24-bit pixels", DdsHeader(4, 4, nullptr, 24)},
  };
  cases[1].file.resize(cases[1].file.size() + 16, 0);
  cases[2].file.resize(cases[2].file.size() + 8, 0);
  for (Case& c : cases) {
    DdsImage image;
    EXPECT_FALSE(DecodeDds(c.file.data(), c.file.size(), image)) << c.what;
    EXPECT_TRUE(image.bgra.empty()) << c.what << ": nothing allocated";
  }
  for (size_t cut = 0; cut < dxt3.size(); cut += 7) {
    DdsImage image;
    EXPECT_FALSE(DecodeDds(dxt3.data(), cut, image)) << "cut at " << cut;
    EXPECT_TRUE(image.bgra.empty()) << "cut at " << cut;
  }
  // A mip count beyond the chain the size allows (8 x 8: four levels).
  for (uint32_t mips : {0u, 1u, 4u, 5u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    std::vector<uint8_t> file = withMips(dxt3, mips);
    DdsImage image;
    ASSERT_TRUE(DecodeDds(file.data(), file.size(), image)) << mips;
    EXPECT_EQ(mips == 0 ? 1 : std::min(mips, 4u), static_cast<uint32_t>(image.mipLevels)) << mips;
  }
}

// Loading textures from files into a back end, in developer mode.
class TextureLoadTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    testing::DataFolderTest::SetUp();
    RenderDevice::Instance().ResetForTests();
  }
  void TearDown() override {
    RenderDevice::Instance().ResetForTests();
    TextureManager::Instance().SetOptions(TextureOptions());
    testing::EngineTest::TearDown();
  }
  void Put(const std::string& name, const std::vector<uint8_t>& bytes) {
    DataFolderTest::Put(name, std::string(bytes.begin(), bytes.end()));
  }
  // The whole game screen covered by the texture, clamped at its edges.
  static void Cover(TextureHandle texture) {
    SpriteDraw d;
    d.width = d.height = kSide;
    d.uRight = d.vBottom = 1;
    d.texture = texture;
    d.addressMode = kAddressClamp;
    DrawSprite(d);
  }
  static constexpr int kSide = 64;
  static DeviceSetup SideSetup() { return testing::WindowSetup(kSide, kSide, false); }
};

// A back end whose every texture creation runs out of memory.
class ExhaustedBackend : public testing::StubBackend {
 public:
  explicit ExhaustedBackend(bool lengthError) : lengthError_(lengthError) {}
  int Width() const override { return 64; }
  int Height() const override { return 64; }
  TextureHandle CreateTexture(int, int, bool, bool, const uint8_t*) override {
    if (lengthError_) throw std::length_error("vector");
    throw std::bad_alloc();
  }
  bool BeginTarget(TextureHandle, uint32_t) override { return false; }

 private:
  bool lengthError_;
};

// Running out of memory while loading is a failed load with the loader's
// message, in developer mode and outside it; nothing else escapes.
TEST_F(TextureLoadTest, AllocationFailuresBecomeLoadFailures) {
  std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 10, 20, 30};
  std::vector<uint8_t> dds = DdsHeader(4, 4, "DXT1");
  dds.resize(dds.size() + 8, 0);
  Put("pic.tga", tga);
  Put("tex.dds", dds);
  for (bool lengthError : {false, true})
    for (const char* path : {"pic.tga", "tex.dds"}) {
      SCOPED_TRACE(std::string(path) + (lengthError ? ", length error" : ", bad_alloc"));
      auto backend = std::make_unique<ExhaustedBackend>(lengthError);
      ASSERT_TRUE(RenderDevice::Instance().InitDevice(std::move(backend), SideSetup()));
      testing::FreshLog();
      testing::DeveloperMode(true);
      TextureHandle texture = 1;
      EXPECT_NO_THROW(texture = LoadTexture(path, 0, -1, true, nullptr, nullptr));
      EXPECT_EQ(0u, texture);
      EXPECT_NE(std::string::npos, Lines(2).find(std::string("Error loading file\n <") + path + ">\n"));
      EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
      testing::DeveloperMode(false);
      EXPECT_THROW(LoadTexture(path, 0, -1, true, nullptr, nullptr), Exception);
      RenderDevice::Instance().ResetForTests();
    }
}

// A path whose key is empty is a missing file, never a render target's
// record (whose name is empty too).
TEST_F(TextureLoadTest, RenderTargetsAreNotFoundByKey) {
  ASSERT_TRUE(RenderDevice::Instance().InitDevice(std::make_unique<testing::StubBackend>(), SideSetup()));
  TextureManager& textures = TextureManager::Instance();
  Bitmap target;
  ASSERT_TRUE(textures.CreateRenderTargetBitmap(target, 8, 8, false, kBitmapMainSprite));
  for (const char* path : {"", ".png", ".TGA"}) {
    SCOPED_TRACE(path);
    Bitmap bitmap;
    EXPECT_FALSE(textures.LoadBitmap(bitmap, path, kBitmapQuiet));
    EXPECT_FALSE(bitmap.valid);
    EXPECT_EQ(1, target.record->refCount);
  }
  textures.ReleaseBitmap(target);
  textures.ReleaseAllTextures(false);
}

// A back end that keeps reduced textures and takes DDS files, or not.
class StorageBackend : public testing::StubBackend {
 public:
  StorageBackend(bool reduced, bool dds) : reduced_(reduced), dds_(dds) {}
  bool StoresReducedTextures() const override { return reduced_; }
  bool TakesDds() const override { return dds_; }

 private:
  bool reduced_, dds_;
};

// The configured options and the back end's conventions choose a texture's
// size and its storage (seen in the memory estimate).
TEST_F(TextureLoadTest, OptionsAndBackEndChooseSizeAndStorage) {
  std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 0, 24, 0x20};
  tga.resize(tga.size() + 3 * 3 * 3, 0x80);
  std::vector<uint8_t> dds = DdsHeader(4, 4, "DXT1");
  dds.resize(dds.size() + 8, 0);
  Put("pic.tga", tga);
  Put("tex.dds", dds);
  auto options = [](bool powerOfTwo, bool dxt, bool bits16) {
    TextureOptions o;
    o.forcePowerOfTwo = powerOfTwo;
    o.forceDxt = dxt;
    o.bits16 = bits16;
    return o;
  };
  const int32_t full = EstimateTextureBytes(4, 4, 1, false, false, false);
  const int32_t dxt = EstimateTextureBytes(4, 4, 1, false, true, false);
  const int32_t bits16 = EstimateTextureBytes(4, 4, 1, false, false, true);
  const int32_t unpadded = EstimateTextureBytes(3, 3, 1, false, false, false);
  const struct {
    const char* what;
    const char* file;
    TextureOptions options;
    bool reduced, dds;
    int side;  // 0: no texture
    int32_t bytes;
  } cases[] = {
      {"the defaults", "pic.tga", TextureOptions(), true, true, 4, full},
      {"no padding", "pic.tga", options(false, false, false), true, true, 3, unpadded},
      {"compressed", "pic.tga", options(true, true, false), true, true, 4, dxt},
      {"compression on a full-precision back end", "pic.tga", options(true, true, false), false, true, 4, full},
      {"16-bit", "pic.tga", options(true, false, true), true, true, 4, bits16},
      {"16-bit on a full-precision back end", "pic.tga", options(true, false, true), false, true, 4, full},
      {"a DDS file", "tex.dds", TextureOptions(), true, true, 4, dxt},
      {"a DDS file on a back end that takes none", "tex.dds", TextureOptions(), true, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RenderDevice::Instance().ResetForTests();
    ASSERT_TRUE(RenderDevice::Instance().InitDevice(std::make_unique<StorageBackend>(c.reduced, c.dds), SideSetup()));
    TextureManager::Instance().SetOptions(c.options);
    TextureInfo info;
    TextureHandle texture = LoadTexture(c.file, 0, -1, false, &info, nullptr);
    EXPECT_EQ(c.side != 0, texture != 0);
    if (!texture) continue;
    EXPECT_EQ(c.side, info.textureWidth);
    EXPECT_EQ(c.side, info.textureHeight);
    EXPECT_EQ(c.bytes, info.memorySize);
  }
}

// DXT1 blocks whose colour 0 is not above colour 1 have three colours and a
// transparent black: the texture shows what lies under those texels.
TEST_F(TextureLoadTest, ThreeColourDxt1BlocksAreSeeThrough) {
  RenderDevice& device = RenderDevice::Instance();
  ASSERT_TRUE(device.InitDevice(CreateSoftwareBackend(), SideSetup()));
  // Colour 0 blue (0x001F) below colour 1 red (0xF800); the left two columns
  // of texels take index 0, the right two index 3.
  std::vector<uint8_t> threeColour = DdsHeader(4, 4, "DXT1");
  const uint8_t block[8] = {0x1F, 0x00, 0x00, 0xF8, 0xF0, 0xF0, 0xF0, 0xF0};
  threeColour.insert(threeColour.end(), block, block + 8);
  Put("glass.dds", threeColour);
  // The same texels in a four-colour block (red above blue): index 3 is a
  // colour between them and opaque.
  std::vector<uint8_t> fourColour = DdsHeader(4, 4, "DXT1");
  const uint8_t opaque[8] = {0x00, 0xF8, 0x1F, 0x00, 0xF0, 0xF0, 0xF0, 0xF0};
  fourColour.insert(fourColour.end(), opaque, opaque + 8);
  Put("solid.dds", fourColour);

  std::vector<uint32_t> green(16, 0xFF00FF00u);
  const uint8_t* greenBytes = reinterpret_cast<const uint8_t*>(green.data());
  TextureHandle under = device.GetBackend()->CreateTexture(4, 4, false, false, greenBytes);
  struct Case {
    const char* path;
    uint32_t left, right;
  } cases[] = {{"glass.dds", 0xFF0000FFu, 0xFF00FF00u}, {"solid.dds", 0xFFFF0000u, 0xFF5500AAu}};
  for (const Case& c : cases) {
    TextureHandle texture = LoadTexture(c.path, 0, -1, true, nullptr, nullptr);
    ASSERT_NE(0u, texture) << c.path;
    device.ClearFrame();
    device.SetBlendMode(1);  // alpha
    Cover(under);
    Cover(texture);
    PixelImage shot;
    ASSERT_TRUE(device.GetBackend()->ReadBackBuffer(shot));
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(shot.bgra.data());
    EXPECT_EQ(c.left, pixels[32 * kSide + 8]) << c.path;
    EXPECT_EQ(c.right, pixels[32 * kSide + 56]) << c.path;
    device.GetBackend()->ReleaseTexture(texture);
  }
}

}  // namespace
}  // namespace tarn::gfx
