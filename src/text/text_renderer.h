// The text renderer: the registry of loaded fonts with the current font and
// scale, and the last layout, drawn one batch per font page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/backend.h"
#include "text/font.h"
#include "text/layout.h"

namespace tarn::text {

class TextRenderer {
 public:
  static TextRenderer& Instance();

  // The font registry.
  Font* LoadFont(const std::string& path);
  int LoadFonts(const std::string& pattern);
  bool SetFont(const std::string& name, int size);
  bool ReleaseFonts(const std::string& name);
  void ReleaseAllFonts();
  Font* CurrentFont() const { return current_; }
  float Scale() const { return scale_; }
  const std::vector<std::unique_ptr<Font>>& Fonts() const { return fonts_; }

  // Layout and drawing with the current font. RenderText lays the text out
  // when there is one, else recolours the stored layout when the colour is
  // not 0; then draws it at the anchor.
  int LayoutText(const std::u16string& text, float boxWidth, float boxHeight, int flags, uint32_t colour);
  void RenderText(float x, float y, const std::string* text, float boxWidth, float boxHeight, int flags,
                  uint32_t colour);
  void MeasureText(const std::string& text, float boxWidth, float boxHeight, int flags, uint32_t colour,
                   float& width, float& height);
  void DrawItems(float x, float y);
  const Layout& StoredLayout() const { return *layout_; }

  // The vertex memory of the batches; made on first draw, given back before
  // the render device is recreated.
  bool CreateBuffers();
  void ReleaseBuffers();

  // Back to the state of a fresh process (tests).
  void ResetForTests();

 private:
  TextRenderer();
  // Destroys a font, forgetting it as the current font and emptying the
  // stored layout when its items point into it.
  void Forget(std::unique_ptr<Font>& font);
  void DrawPage(int page, float x, float y);

  std::vector<std::unique_ptr<Font>> fonts_;
  Font* current_ = nullptr;
  float scale_ = 1.0f;
  std::unique_ptr<Layout> layout_;
  std::vector<gfx::Quad> quads_;  // the batch of one page
};

// Loads the page textures of the font and computes its glyphs' texture
// coordinates, once.
void PrepareTextures(Font& font);

// The name of page 'page' of a font of 'pages' pages, without extension:
// fonts/arial24 for a single page, fonts/arial24_a, fonts/arial24_b, ...
std::string PageName(const std::string& fontPath, int page, int pages);

}  // namespace tarn::text
