// Laying out, measuring and drawing text with the current font.
#include <cmath>

#include "diag/log.h"
#include "graphics/render.h"
#include "resources/utf.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

gfx::QuadVertex Vertex(float x, float y, float z, float u, float v, uint32_t argb) {
  auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
  return {x, y, z, u, v, channel(16), channel(8), channel(0), channel(24)};
}

}  // namespace

int TextRenderer::LayoutText(const std::u16string& text, float boxWidth, float boxHeight, int flags,
                             uint32_t colour) {
  if (!current_) return 0;
  return text::LayoutText(*current_, scale_, text, boxWidth, boxHeight, flags, colour, *layout_);
}

void TextRenderer::RenderText(float x, float y, const std::string* text, float boxWidth, float boxHeight,
                              int flags, uint32_t colour) {
  if (text) {
    LayoutText(Utf8ToUtf16(*text, kMaxTextUnits), boxWidth, boxHeight, flags, colour);
  } else if (colour != 0) {
    for (int i = 0; i < layout_->count; ++i) layout_->items[i].colour = colour;
  }
  DrawItems(x, y);
}

void TextRenderer::MeasureText(const std::string& text, float boxWidth, float boxHeight, int flags,
                               uint32_t colour, float& width, float& height) {
  width = height = 0;
  if (!current_) return;
  LayoutText(Utf8ToUtf16(text, kMaxTextUnits), boxWidth, boxHeight, flags, colour);
  width = layout_->textWidth * scale_;
  height = layout_->textHeight * scale_;
}

bool TextRenderer::CreateBuffers() {
  if (quads_.size() == static_cast<size_t>(kMaxDrawChars)) return true;
  try {
    quads_.resize(kMaxDrawChars);
  } catch (const std::bad_alloc&) {
    LogWarning("TextRenderer ERROR: Could not create vertex buffer!");
    quads_.clear();
    return false;
  }
  return true;
}

void TextRenderer::ReleaseBuffers() { std::vector<gfx::Quad>().swap(quads_); }

void TextRenderer::DrawItems(float x, float y) {
  if (layout_->count == 0 || !current_) return;
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  device.ToTargetCentre(x, y);
  if (!CreateBuffers()) return;
  int perPage[256] = {};
  for (int i = 0; i < layout_->count; ++i) ++perPage[layout_->items[i].glyph->page];
  for (int page = 0; page < 256; ++page)
    if (perPage[page] > 0) DrawPage(page, x, y);
  device.UnbindTexture();
}

void TextRenderer::DrawPage(int page, float x, float y) {
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  const Font& font = *current_;
  const float s = scale_, padding = font.metrics.glyphPadding, p = padding / 2;
  const float z = device.ScreenDistance();
  int n = 0;
  for (int i = 0; i < layout_->count; ++i) {
    const GlyphItem& item = layout_->items[i];
    const Glyph& g = *item.glyph;
    if (g.page != page) continue;
    float x0 = std::floor(s * (item.x + g.offsetX - p)) + x;
    float y0 = std::floor(s * (item.y + g.offsetY - p)) + y;
    float x1 = x0 + (g.width + padding) * s, y1 = y0 + (g.height + padding) * s;
    gfx::Quad& quad = quads_[static_cast<size_t>(n++)];
    quad.v[0] = Vertex(x0, y0, z, g.tu1, g.tv1, item.colour);
    quad.v[1] = Vertex(x1, y0, z, 0, 0, item.colour);
    quad.v[2] = Vertex(x1, y1, z, g.tu2, g.tv2, item.colour);
    quad.v[3] = Vertex(x0, y1, z, 0, 0, item.colour);
    // The free corners: swapped for an image turned on its page.
    quad.v[g.cornerB & 3].u = g.tu2;
    quad.v[g.cornerB & 3].v = g.tv1;
    quad.v[g.cornerD & 3].u = g.tu1;
    quad.v[g.cornerD & 3].v = g.tv2;
    device.CountDrawnPolys(2, static_cast<double>(x1 - x0) * static_cast<double>(y1 - y0));
  }
  gfx::TextureHandle texture = 0;
  if (static_cast<size_t>(page) < font.pages.size() && font.pages[static_cast<size_t>(page)].valid)
    texture = font.pages[static_cast<size_t>(page)].record->texture;
  device.DrawQuadBatch(quads_.data(), n, texture);
}

}  // namespace tarn::text
