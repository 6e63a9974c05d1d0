#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "graphics/collision_mask.h"
#include "graphics/image/png_file.h"
#include "platform/headless/headless_platform.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A pixel as A << 24 | R << 16 | G << 8 | B.
using PixelOf = std::function<uint32_t(int x, int y)>;

uint32_t Opaque(bool on) { return on ? 0xFF000000u : 0; }

class MaskTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    ReleaseAllMasks(false);
  }
  void TearDown() override {
    ReleaseAllMasks(false);
    DataFolderTest::TearDown();
  }
  // A PNG in the data folder.
  void PutImage(const std::string& name, int width, int height, const PixelOf& pixel) {
    PixelImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint32_t value = pixel(x, y);
        for (int byte = 0; byte < 4; ++byte) image.bgra.push_back(static_cast<uint8_t>(value >> (8 * byte)));
      }
    ASSERT_TRUE(WritePngFile(game_.path() + "/data/" + name, image));
  }
  // The 10 x 10 image whose only solid pixel is (3, 4).
  void PutDot(const std::string& name) {
    PutImage(name, 10, 10, [](int x, int y) { return Opaque(x == 3 && y == 4); });
  }
  // A mask the fixture releases at the end.
  CollisionMask* Load(const std::string& path, int channel = kMaskAlphaByte, float px = -1, float py = -1) {
    std::unique_ptr<CollisionMask> mask = LoadMask(path, px, py, channel);
    if (!mask) return nullptr;
    held_.push_back(std::move(mask));
    return held_.back().get();
  }
  void Release(CollisionMask* mask) { ReleaseMask(*mask); }

  std::vector<std::unique_ptr<CollisionMask>> held_;
};

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

TEST_F(MaskTest, PointsMapThroughTheInversePlacement) {
  PutDot("dot.png");
  PutImage("edge.png", 10, 10, [](int x, int) { return Opaque(x == 0); });
  CollisionMask* dot = Load("dot.png");
  CollisionMask* edge = Load("edge.png");
  ASSERT_TRUE(dot && edge);
  EXPECT_EQ(5.0f, dot->pivotX);
  EXPECT_EQ(5.0f, dot->pivotY);
  const float mx = 100, my = 200;
  struct Case {
    const char* what;
    CollisionMask* mask;
    float dx, dy, angle, sx, sy;
    bool hit;
  };
  const Case cases[] = {
      {"the solid pixel", dot, -2, -1, 0, 1, 1, true},
      {"one row below it", dot, -2, 0, 0, 1, 1, false},
      {"one column right of it", dot, -1, -1, 0, 1, 1, false},
      {"turned 90 degrees clockwise", dot, 1, -2, 90, 1, 1, true},
      {"the unturned place, turned", dot, -2, -1, 90, 1, 1, false},
      {"turned a full circle, pixel centre", dot, -1.5f, -0.5f, 360, 1, 1, true},
      {"scale 2 doubles the area", dot, -4, -2, 0, 2, 2, true},
      {"scale 2, far corner", dot, -3, -1, 0, 2, 2, true},
      {"scale 1 there misses", dot, -4, -2, 0, 1, 1, false},
      {"mirrored by a negative scale", dot, 2, -1, 0, -1, 1, true},
      {"dx -5.5 truncates to column 0", edge, -5.5f, 0, 0, 1, 1, true},
      {"dx -6 lies left of the mask", edge, -6, 0, 0, 1, 1, false},
      {"dy -5.5 truncates to row 0", edge, -5, -5.5f, 0, 1, 1, true},
      {"dx 4.5 is column 9", edge, 4.5f, 0, 0, 1, 1, false},
      // Points that map to no pixel must not read as column 0 (the solid one).
      {"the solid column at angle 0", edge, -5, 0, 0, 1, 1, true},
      {"scale 0 at the pivot", edge, 0, 0, 0, 0, 0, false},
      {"scale 0 elsewhere", dot, -2, -1, 0, 0, 0, false},
      {"scale 0 across the solid column", edge, -5, 0, 0, 0, 1, false},
      {"NaN point", edge, kNaN, 0, 0, 1, 1, false},
      {"infinite point", edge, -kInf, 0, 0, 1, 1, false},
      {"huge point", edge, -3e9f, 0, 0, 1, 1, false},
      {"NaN angle", edge, -5, 0, kNaN, 1, 1, false},
      {"infinite angle", edge, -5, 0, kInf, 1, 1, false},
      {"NaN scale", edge, -5, 0, 0, kNaN, 1, false},
      {"infinite scale maps to the pivot", dot, -2, -1, 0, kInf, kInf, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.hit, TestMask(*c.mask, mx + c.dx, my + c.dy, mx, my, c.angle, c.sx, c.sy)) << c.what;
  EXPECT_FALSE(TestMask(*dot, kNaN, kNaN, kNaN, kNaN, 0, 1, 1)) << "NaN everywhere";
  EXPECT_FALSE(TestMask(CollisionMask{}, mx - 2, my - 1, mx, my, 0, 1, 1)) << "a mask without data";
}

TEST_F(MaskTest, BitsArePackedLowBitFirstWithTheThreshold128) {
  // Each byte of the pixel draws its own shape, at or just below the threshold.
  PixelOf pixel = [](int x, int y) {
    uint32_t b = x == y ? 128 : 127;
    uint32_t g = x == 0 ? 255 : 0;
    uint32_t r = y == 8 ? 200 : 0;
    uint32_t a = x == 8 ? 128 : 127;
    return a << 24 | r << 16 | g << 8 | b;
  };
  struct Case {
    int channel;
    std::function<bool(int, int)> solid;
    // Row 0, 7 and 8 as two bytes each.
    uint8_t rows[3][2];
  };
  const Case cases[] = {
      {kMaskBlueByte, [](int x, int y) { return x == y; }, {{0x01, 0x00}, {0x80, 0x00}, {0x00, 0x01}}},
      {kMaskGreenByte, [](int x, int) { return x == 0; }, {{0x01, 0x00}, {0x01, 0x00}, {0x01, 0x00}}},
      {kMaskRedByte, [](int, int y) { return y == 8; }, {{0x00, 0x00}, {0x00, 0x00}, {0xFF, 0x01}}},
      {kMaskAlphaByte, [](int x, int) { return x == 8; }, {{0x00, 0x01}, {0x00, 0x01}, {0x00, 0x01}}},
      {7, [](int x, int y) { return x == y; }, {{0x01, 0x00}, {0x80, 0x00}, {0x00, 0x01}}},  // reads byte 0
  };
  for (const Case& c : cases) {
    std::string name = "nine" + std::to_string(c.channel) + ".png";
    PutImage(name, 9, 9, pixel);
    CollisionMask* mask = Load(name, c.channel);
    ASSERT_TRUE(mask) << c.channel;
    const CollisionMaskData& data = *mask->data;
    EXPECT_EQ(9, data.width);
    EXPECT_EQ(9, data.height);
    EXPECT_EQ(2, data.bytesPerRow);
    ASSERT_EQ(18u, data.bits.size());
    const int rows[3] = {0, 7, 8};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(c.rows[i][0], data.bits[rows[i] * 2]) << "channel " << c.channel << " row " << rows[i];
      EXPECT_EQ(c.rows[i][1], data.bits[rows[i] * 2 + 1]) << "channel " << c.channel << " row " << rows[i];
    }
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 9; ++x) EXPECT_EQ(c.solid(x, y), MaskBit(data, x, y)) << c.channel << " " << x << "," << y;
  }
}

TEST_F(MaskTest, BitsOutsideTheMaskAreClear) {
  PutImage("full.png", 9, 3, [](int, int) { return Opaque(true); });
  CollisionMask* mask = Load("full.png");
  ASSERT_TRUE(mask);
  const int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  const struct {
    int32_t x, y;
    bool bit;
  } cases[] = {{0, 0, true}, {8, 2, true},   {-1, 0, false},  {0, -1, false},   {9, 0, false},
               {0, 3, false}, {kMin, 0, false}, {0, kMax, false}, {kMax, kMax, false}};
  for (const auto& c : cases) EXPECT_EQ(c.bit, MaskBit(*mask->data, c.x, c.y)) << c.x << "," << c.y;
}

TEST_F(MaskTest, PivotsGivenOrInTheMiddle) {
  PutImage("odd.png", 9, 7, [](int, int) { return Opaque(true); });
  const struct {
    float px, py, wantX, wantY;
  } cases[] = {{-1, -1, 4, 3}, {2.5f, 0, 2.5f, 0}, {-0.25f, 6, 4, 6}, {20, -3, 20, 3}};
  for (const auto& c : cases) {
    CollisionMask* mask = Load("odd.png", kMaskAlphaByte, c.px, c.py);
    ASSERT_TRUE(mask);
    EXPECT_EQ(c.wantX, mask->pivotX) << c.px;
    EXPECT_EQ(c.wantY, mask->pivotY) << c.py;
  }
}

TEST_F(MaskTest, LoadsOfOnePathShareTheData) {
  PutDot("dot.png");
  CollisionMask* first = Load("dot.png");
  CollisionMask* second = Load("DOT.PNG", kMaskBlueByte);  // the same key, another channel
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->data, second->data);
  EXPECT_EQ(2, first->data->refCount);
  EXPECT_EQ("dot.png", first->data->name);
  CollisionMask* guessed = Load("dot");  // the extension is part of the key
  ASSERT_TRUE(guessed);
  EXPECT_NE(first->data, guessed->data);
  Release(guessed);
  EXPECT_TRUE(TestMask(*second, 3, 4, 5, 5, 0, 1, 1)) << "the first load's alpha bits, not the blue byte";

  Release(first);
  EXPECT_EQ(1, second->data->refCount);
  EXPECT_TRUE(TestMask(*second, 3, 4, 5, 5, 0, 1, 1)) << "still held";
  Release(second);

  // Freed with its entry: a new image at the path is read afresh.
  PutImage("dot.png", 4, 6, [](int, int) { return Opaque(true); });
  CollisionMask* again = Load("dot.png", kMaskBlueByte);
  ASSERT_TRUE(again);
  EXPECT_EQ(4, again->data->width);
  EXPECT_EQ(1, again->data->refCount);
  EXPECT_FALSE(MaskBit(*again->data, 0, 0)) << "blue byte now in force";
}

TEST_F(MaskTest, FailedPathsStayFailed) {
  Put("broken.png", "not an image at all");
  const char* paths[] = {"missing.png", "broken.png", "plain"};
  for (const char* path : paths) {
    EXPECT_EQ(nullptr, Load(path)) << path;
    std::string errors = Lines(2);
    PutImage(path[0] == 'p' ? "plain.png" : path, 4, 4, [](int, int) { return Opaque(true); });
    EXPECT_EQ(nullptr, Load(path)) << path << " is remembered as failed";
    EXPECT_EQ(errors, Lines(2)) << path << " is not tried again";
  }
  EXPECT_EQ(1u, Count(Lines(2), "Error loading file\n <missing.png>")) << Lines(2);
  EXPECT_EQ(1u, Count(Lines(2), "Error processing file\n <broken.png>")) << Lines(2);

  ReleaseAllMasks(false);  // shutdown forgets failures as well
  CollisionMask* now = Load("missing.png");
  ASSERT_TRUE(now);
  EXPECT_EQ(4, now->data->width);
}

TEST_F(MaskTest, ShutdownLogsHeldMasksAndWarnsOnce) {
  FILE* boxes = tmpfile();
  ASSERT_TRUE(boxes);
  HeadlessOptions options;
  options.profile = profile_.path();
  Platform::Install(std::make_unique<HeadlessPlatform>(options, boxes));
  auto boxLines = [&] {
    fflush(boxes);
    std::string text;
    rewind(boxes);
    for (int c; (c = fgetc(boxes)) != EOF;) text += static_cast<char>(c);
    return text;
  };
  const std::string box =
      "box\tNot released collision mask(s)\tSome collision masks are not released, for more information read "
      "a log file.\tok\n";

  PutDot("dot.png");
  Put("b/readme.txt", "a folder");
  PutDot("b/edge.png");
  ASSERT_TRUE(Load("dot.png") && Load("Dot.PNG") && Load("b/edge.png") && !Load("none.png"));
  ReleaseAllMasks(true);
  std::string info = Lines(3);
  size_t edge = info.find("Collision mask is not released: b/edge.png [ref: 1]\n");
  size_t dot = info.find("Collision mask is not released: dot.png [ref: 2]\n");
  EXPECT_NE(std::string::npos, edge) << info;
  EXPECT_NE(std::string::npos, dot) << info;
  EXPECT_LT(edge, dot) << "in key order";
  EXPECT_EQ(2u, Count(info, "Collision mask is not released")) << "the failed path is not reported";
  EXPECT_EQ(box, boxLines());

  ReleaseAllMasks(true);
  EXPECT_EQ(box, boxLines()) << "nothing held, no box";
  held_.clear();  // their data went with the cache

  ASSERT_TRUE(Load("dot.png"));
  ReleaseAllMasks(false);
  EXPECT_EQ(3u, Count(Lines(3), "Collision mask is not released")) << "logged without a warning";
  EXPECT_EQ(box, boxLines()) << "no box without warn";
  held_.clear();
  Platform::Install(std::make_unique<HeadlessPlatform>(options, stderr));  // before its file goes
  fclose(boxes);
}

}  // namespace
}  // namespace tarn::gfx
