// Text drawn through the engine's own path (fonts baked by the build, the
// text renderer, the texture manager and the render device) looks the same
// on the OpenGL back end as on the software back end, within the rig's
// tolerance.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forwarding_backend.h"
#include "gl_rig.h"
#include "graphics/render.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "resources/filesystem.h"
#include "text/layout.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

using gfx::Backend;
using gfx::gltest::ForwardingBackend;
using gfx::PixelImage;
using gfx::TextureHandle;
using gfx::gltest::g_rig;
using gfx::gltest::kHeight;
using gfx::gltest::kWidth;

// One text of the scene: the fonts loaded before it (a pattern in the fonts
// folder, or none), the font asked for (none: the current one, at the size
// the name ends in when 'size' is 0) and the font size that must serve it;
// then what RenderText is given. Without a text the stored layout is drawn
// again, recoloured.
struct Piece {
  const char* load;
  const char* font;
  int size, servedBy;
  float x, y;
  const char* text;
  const char* alignment;
  float boxWidth, boxHeight;
  uint32_t colour;
  int minInk;  // pixels the piece must change at least
};

// dejavu16 is the largest font of its name until dejavu24 comes, so asking
// for 20 scales it up by 1.25. The stored layout drawn again is the
// right-aligned text's, at an anchor between pixels. dejavu24 holds the
// Latin Extended-A and the Cyrillic letters on pages of their own. The least
// ink is some 40% of what each piece changes, enough to tell that it shows.
const Piece kScene[] = {
    {"dejavu1*.xml", "dejavu", 20, 16, 6, 212, "Scaled up: 16 to 20", "", 0, 0, 0xFFFFFFFF, 600},
    {nullptr, "dejavu16", 0, 16, 6, 6, "Left aligned,\nsecond line\n\nafter a gap", "", 0, 0, 0xFFFFFFFF, 600},
    {nullptr, "dejavu16", 0, 16, 140, 118, "Centred and wrapped in a box of 150 pixels", "center vcenter", 150, 0,
     0xFFFFD040, 700},
    {nullptr, "dejavu16", 0, 16, 314, 6, "right\naligned ends", "right", 0, 0, 0xFFFFFFFF, 300},
    {nullptr, nullptr, 0, 16, 313.5f, 52.25f, nullptr, "", 0, 0, 0x8080FF80, 400},
    {"dejavu24.xml", "dejavu24", 0, 24, 6, 146, "Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144", "",
     0, 0, 0xFFFFFFFF, 600},
    {nullptr, "dejavu24", 0, 24, 6, 174, "\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u044D\u0442\u0438", "", 0, 0,
     0xFFFFFFFF, 400},
};

// The engine set up on one of the rig's back ends: the fonts folder mounted
// and a device on a forwarder. Finish gives everything back (also when a
// test stops early), so that the next run makes its own textures.
class EngineRun {
 public:
  EngineRun(Backend& backend, bool perspective) {
    FileSystem::Instance().ResetForTests();
    gfx::RenderDevice::Instance().ResetForTests();
    TextRenderer::Instance().ResetForTests();
    mounted_ = FileSystem::Instance().Mount(TARN_FONTS_DIR);
    started_ = gfx::gltest::StartDevice(backend, perspective, live_);
  }
  ~EngineRun() { Finish(); }
  bool Ready() const { return mounted_ && started_; }

  // The textures made through the device that are still alive after the
  // fonts and the texture records are released.
  size_t Finish() {
    TextRenderer::Instance().ResetForTests();
    gfx::TextureManager::Instance().ReleaseAllTextures(false);
    size_t left = live_.size();
    gfx::RenderDevice::Instance().ResetForTests();
    FileSystem::Instance().ResetForTests();
    return left;
  }

 private:
  std::set<TextureHandle> live_;
  bool mounted_ = false, started_ = false;
};

// The scene through the engine on the back end: a background of two boxes,
// then each piece; 'ink' gets the pixels each piece changed.
void DrawScene(Backend& backend, bool perspective, PixelImage& image, std::vector<int>& ink) {
  EngineRun run(backend, perspective);
  ASSERT_TRUE(run.Ready()) << "fonts in " << TARN_FONTS_DIR;
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  TextRenderer& renderer = TextRenderer::Instance();
  ASSERT_TRUE(device.BeginScene());
  device.ClearFrame();
  device.SetBlendMode(0);
  gfx::DrawBox(0, 0, 0, kWidth, kHeight, gfx::TintFromArgb(0x203040), 0, 1, 1);
  gfx::DrawBox(150, 48, 0, kWidth - 150, kHeight - 48, gfx::TintFromArgb(0x8098B0), 0, 1, 1);
  device.SetBlendMode(1);
  PixelImage before;
  ASSERT_TRUE(backend.ReadBackBuffer(before));
  for (const Piece& piece : kScene) {
    SCOPED_TRACE(piece.text ? piece.text : "(the stored layout)");
    if (piece.load) {
      EXPECT_GT(renderer.LoadFonts(piece.load), 0);
    }
    if (piece.font) {
      ASSERT_TRUE(renderer.SetFont(piece.font, piece.size));
    }
    ASSERT_NE(nullptr, renderer.CurrentFont());
    const Font& font = *renderer.CurrentFont();
    EXPECT_EQ(piece.servedBy, font.size);
    for (const gfx::Bitmap& page : font.pages) EXPECT_TRUE(page.valid) << "a page of " << font.path;
    std::string text = piece.text ? piece.text : "";
    renderer.RenderText(piece.x, piece.y, piece.text ? &text : nullptr, piece.boxWidth, piece.boxHeight,
                        ParseAlignment(piece.alignment), piece.colour);
    ASSERT_TRUE(backend.ReadBackBuffer(image));
    ink.push_back(gfx::gltest::PixelsBeyondTolerance(before, image, false));
    before = image;
  }
  device.EndScene();
  EXPECT_EQ(0u, run.Finish()) << "texture(s) not released";
}

// In both projections: the perspective one moves the anchors to the
// target's centre, the orthographic one keeps target pixels.
TEST(GLText, FontsDrawAsInSoftware) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend* backends[2] = {g_rig->sw.get(), g_rig->gl.get()};
  for (bool perspective : {true, false}) {
    std::string name = perspective ? "text-perspective" : "text-orthographic";
    SCOPED_TRACE(name);
    PixelImage images[2];
    std::vector<int> ink[2];
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i == 0 ? "software" : "opengl");
      DrawScene(*backends[i], perspective, images[i], ink[i]);
      backends[i]->SetStates(gfx::RenderStates());  // as the other tests expect to find it
      ASSERT_EQ(std::size(kScene), ink[i].size());
      for (size_t p = 0; p < ink[i].size(); ++p) EXPECT_GE(ink[i][p], kScene[p].minInk) << "piece " << p;
    }
    gfx::gltest::ExpectSame(name, images[0], images[1], false);
  }
}

}  // namespace
}  // namespace tarn::text
