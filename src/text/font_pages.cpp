// The texture pages of a font and its glyphs' texture coordinates.
#include "graphics/texture.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

// Texture coordinates of the glyph's rectangle, widened by the padding on
// every side whichever way the rectangle runs.
void ComputeCoordinates(Glyph& g, float pageWidth, float pageHeight, float halfPadding) {
  float pu = halfPadding / pageWidth, pv = halfPadding / pageHeight;
  g.tu1 = g.x1 / pageWidth;
  g.tu2 = g.x2 / pageWidth;
  g.tv1 = g.y1 / pageHeight;
  g.tv2 = g.y2 / pageHeight;
  float su = g.x1 < g.x2 ? 1.0f : -1.0f, sv = g.y1 < g.y2 ? 1.0f : -1.0f;
  g.tu1 -= su * pu;
  g.tu2 += su * pu;
  g.tv1 -= sv * pv;
  g.tv2 += sv * pv;
}

}  // namespace

std::string PageName(const std::string& fontPath, int page, int pages) {
  std::string base = fontPath;
  size_t slash = base.find_last_of("/\\");
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.erase(dot);
  if (pages > 1 || page > 0) {
    base += '_';
    base += static_cast<char>('a' + page);
  }
  return base;
}

void PrepareTextures(Font& font) {
  if (!font.texturesDirty) return;
  gfx::TextureManager& textures = gfx::TextureManager::Instance();
  int pages = static_cast<int>(font.pages.size());
  bool loaded = false;
  for (int i = 0; i < pages; ++i) {
    gfx::Bitmap& bitmap = font.pages[static_cast<size_t>(i)];
    if (!bitmap.valid) textures.LoadBitmap(bitmap, PageName(font.path, i, pages), 0);
    loaded = loaded || bitmap.valid;
  }
  font.texturesDirty = false;
  if (!loaded) return;
  float halfPadding = font.metrics.glyphPadding / 2;
  for (Glyph& g : font.glyphs) {
    if (g.page >= pages) continue;
    const gfx::Bitmap& bitmap = font.pages[g.page];
    if (!bitmap.valid || bitmap.record->width <= 0 || bitmap.record->height <= 0) continue;
    ComputeCoordinates(g, static_cast<float>(bitmap.record->width), static_cast<float>(bitmap.record->height),
                       halfPadding);
  }
  font.coordsDirty = false;
}

}  // namespace tarn::text
