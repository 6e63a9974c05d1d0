#include <memory>
#include <vector>

#include "graphics/image/png_file.h"
#include "graphics/render.h"
#include "graphics/texture.h"
#include "render_fakes.h"
#include "test_support.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

// Records the batches that reach the back end; each page texture gets its
// own handle.
class BatchBackend : public testing::StubBackend {
 public:
  struct Batch {
    std::vector<gfx::Quad> quads;
    gfx::TextureHandle texture;
  };
  explicit BatchBackend(std::vector<Batch>* out) : batches(out) {}
  gfx::TextureHandle CreateTexture(int, int, bool, bool, const uint8_t*) override { return ++made; }
  void DrawBatch(const gfx::Quad* quads, int count, gfx::TextureHandle texture, int) override {
    batches->push_back({std::vector<gfx::Quad>(quads, quads + count), texture});
  }
  std::vector<Batch>* batches;
  gfx::TextureHandle made = 100;
};

// A two-page font: 'a' upright on page 0, 'b' turned on page 1, 'c' on page 0;
// pages of 64 x 32 texels, padding 2.
const char kFont[] =
    "<font size=\"16\" space=\"4\" pad=\"2\" cs=\"0\" ls=\"0\" ps=\"0\"/>\n"
    "<glyph p=\"0\" x=\"1\" y=\"10\" a=\"8\" x1=\"0\" y1=\"0\" x2=\"6\" y2=\"10\"/>\n"
    "<glyph p=\"1\" x=\"0\" y=\"8\" a=\"9\" x1=\"30\" y1=\"0\" x2=\"20\" y2=\"7\"/>\n"
    "<glyph p=\"0\" x=\"0\" y=\"10\" a=\"7\" x1=\"10\" y1=\"0\" x2=\"16\" y2=\"10\"/>\n"
    "<char c=\"a\" g=\"0\"/>\n<char c=\"b\" g=\"1\"/>\n<char c=\"c\" g=\"2\"/>\n";

class TextDrawTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    gfx::RenderDevice::Instance().ResetForTests();
    ASSERT_TRUE(gfx::RenderDevice::Instance().InitDevice(std::make_unique<BatchBackend>(&batches),
                                                         testing::WindowSetup(800, 600, false)));
    gfx::PixelImage page;
    page.width = 64;
    page.height = 32;
    page.bgra.assign(64 * 32 * 4, 255);
    Put("fonts/two16.xml", kFont);
    ASSERT_TRUE(gfx::WritePngFile(game_.path() + "/data/fonts/two16_a.png", page));
    ASSERT_TRUE(gfx::WritePngFile(game_.path() + "/data/fonts/two16_b.png", page));
    ASSERT_NE(nullptr, renderer.LoadFont("fonts/two16.xml"));
    ASSERT_TRUE(renderer.SetFont("two", 16));
  }
  void TearDown() override {
    renderer.ResetForTests();
    gfx::TextureManager::Instance().ReleaseAllTextures(false);
    gfx::RenderDevice::Instance().ResetForTests();
    DataFolderTest::TearDown();
  }
  TextRenderer& renderer = TextRenderer::Instance();
  std::vector<BatchBackend::Batch> batches;
};

TEST_F(TextDrawTest, OneBatchPerPageWithTheGlyphsCorners) {
  std::string text = "abca";
  renderer.RenderText(100, 50, &text, 0, 0, 0, 0xFF204080);
  ASSERT_EQ(2u, batches.size());
  EXPECT_EQ(3u, batches[0].quads.size()) << "page 0: a, c, a";
  EXPECT_EQ(1u, batches[1].quads.size());
  EXPECT_NE(batches[0].texture, batches[1].texture);
  EXPECT_EQ(0u, gfx::RenderDevice::Instance().BoundTexture()) << "unbound afterwards";

  // 'a' at pen 0, baseline floor(16 * 0.7 + 1) = 12: offset 1 - padding 1, top 12 - 10 - 1;
  // the stub keeps pixel centres at integers, so half a pixel comes off.
  const gfx::Quad& a = batches[0].quads[0];
  EXPECT_FLOAT_EQ(100 + 0 - 0.5f, a.v[0].x);
  EXPECT_FLOAT_EQ(50 + 1 - 0.5f, a.v[0].y);
  EXPECT_FLOAT_EQ(a.v[0].x + 8, a.v[2].x) << "width 6 plus the padding";
  EXPECT_FLOAT_EQ(a.v[0].y + 12, a.v[2].y);
  // Texture corners: the loader moved the rectangle by the half padding, the
  // coordinates widen by it again.
  EXPECT_FLOAT_EQ(0.0f / 64, a.v[0].u);
  EXPECT_FLOAT_EQ(8.0f / 64, a.v[2].u);
  EXPECT_FLOAT_EQ(12.0f / 32, a.v[2].v);
  EXPECT_FLOAT_EQ(a.v[2].u, a.v[1].u) << "vertex 1 takes (tu2, tv1)";
  EXPECT_FLOAT_EQ(a.v[0].v, a.v[1].v);
  EXPECT_NEAR(0x20 / 255.0f, a.v[0].r, 1e-6);
  EXPECT_NEAR(0x80 / 255.0f, a.v[0].b, 1e-6);

  // 'b' is turned: x2 < x1, so vertex 3 takes (tu2, tv1) and vertex 1 (tu1, tv2).
  const gfx::Quad& b = batches[1].quads[0];
  EXPECT_FLOAT_EQ(b.v[0].v, b.v[3].v);
  EXPECT_FLOAT_EQ(b.v[2].u, b.v[3].u);
  EXPECT_FLOAT_EQ(b.v[0].u, b.v[1].u);
  EXPECT_FLOAT_EQ(b.v[2].v, b.v[1].v);
  EXPECT_FLOAT_EQ(32.0f / 64, b.v[0].u) << "x1 + 1 + 1: widened toward the larger side";
  EXPECT_EQ(8, gfx::RenderDevice::Instance().DrawnPolysCount());
}

TEST_F(TextDrawTest, TheStoredLayoutIsDrawnAgainAndRecoloured) {
  float width = 0, height = 0;
  renderer.MeasureText("ac", 0, 0, 0, 0xFFFFFFFF, width, height);
  EXPECT_FLOAT_EQ(15, width) << "advance 8, then the right edge of c at 8 + 7";
  EXPECT_FLOAT_EQ(16, height);
  EXPECT_TRUE(batches.empty()) << "measuring draws nothing";
  renderer.RenderText(10, 0, nullptr, 0, 0, 0, 0);
  ASSERT_EQ(1u, batches.size()) << "the measured text";
  renderer.ReleaseBuffers();  // as before the device is made again
  renderer.RenderText(30, 0, nullptr, 0, 0, 0, 0x80FF0000);
  ASSERT_EQ(2u, batches.size());
  EXPECT_FLOAT_EQ(batches[0].quads[1].v[0].x + 20, batches[1].quads[1].v[0].x) << "moved with the anchor";
  EXPECT_NEAR(1.0f, batches[1].quads[0].v[2].r, 1e-6);
  EXPECT_NEAR(0x80 / 255.0f, batches[1].quads[0].v[2].a, 1e-6);
  EXPECT_NEAR(1.0f, batches[0].quads[0].v[2].g, 1e-6) << "the first draw was white";

  ASSERT_TRUE(renderer.SetFont("two", 32));
  renderer.RenderText(0, 0, nullptr, 0, 0, 0, 0);
  ASSERT_EQ(3u, batches.size());
  EXPECT_FLOAT_EQ(16, batches[2].quads[0].v[2].x - batches[2].quads[0].v[0].x) << "drawn at twice the size";

  renderer.ReleaseFonts("two");
  renderer.RenderText(0, 0, nullptr, 0, 0, 0, 0xFFFFFFFF);
  EXPECT_EQ(3u, batches.size()) << "no font, no layout: nothing drawn";
}

}  // namespace
}  // namespace tarn::text
