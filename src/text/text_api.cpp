// The script's font and text functions.
#include "graphics/render.h"
#include "script/api.h"
#include "script/args.h"
#include "text/text_renderer.h"

namespace tarn::api {
namespace {

float Coordinate(lua_State* L, int index) { return static_cast<float>(args::OptNumber(L, index, 0)); }

int Alignment(lua_State* L, int index) {
  std::string keywords;
  return args::Text(L, index, keywords) ? text::ParseAlignment(keywords) : 0;
}

// A font named at the index, with its size at the end of the name (arial24).
void SelectNamedFont(lua_State* L, int index) {
  std::string font;
  if (args::Text(L, index, font)) text::TextRenderer::Instance().SetFont(font, 0);
}

}  // namespace

// gfx_load_font(pattern)
int gfx_load_font(lua_State* L) {
  text::TextRenderer::Instance().LoadFonts(args::TextOr(L, 1, ""));
  return 0;
}

// gfx_release_font(name)
int gfx_release_font(lua_State* L) {
  text::TextRenderer::Instance().ReleaseFonts(args::TextOr(L, 1, ""));
  return 0;
}

// gfx_set_font(name, [size])
int gfx_set_font(lua_State* L) {
  text::TextRenderer::Instance().SetFont(args::TextOr(L, 1, ""), args::OptInteger(L, 2, 0));
  return 0;
}

// gfx_render_text([font], x, y, [text], [alignment], [box width], [box height], [opacity], [colour]):
// without a text the last layout is drawn again, recoloured when a colour is given.
int gfx_render_text(lua_State* L) {
  SelectNamedFont(L, 1);
  std::string text;
  bool hasText = args::Text(L, 4, text);
  uint32_t colour = args::Colour(L, 9, 8, 0, 0);
  if (hasText || colour != 0) colour = args::Colour(L, 9, 8, 0xFFFFFF, 1);
  text::TextRenderer::Instance().RenderText(Coordinate(L, 2), Coordinate(L, 3), hasText ? &text : nullptr,
                                            Coordinate(L, 6), Coordinate(L, 7), Alignment(L, 5), colour);
  return 0;
}

// gfx_text_size([font], text, [alignment], [box width], [box height], [opacity], [colour]) -> width, height
int gfx_text_size(lua_State* L) {
  SelectNamedFont(L, 1);
  std::string text;
  float width = 0, height = 0;
  if (args::Text(L, 2, text))
    text::TextRenderer::Instance().MeasureText(text, Coordinate(L, 4), Coordinate(L, 5), Alignment(L, 3),
                                               args::Colour(L, 7, 6, 0xFFFFFF, 1), width, height);
  lua_pushnumber(L, width);
  lua_pushnumber(L, height);
  return 2;
}

// gfx_render_simple_text(x, y, text): the device's debug font, white.
int gfx_render_simple_text(lua_State* L) {
  std::string text;
  if (!args::Text(L, 3, text)) return 0;
  gfx::RenderDevice::Instance().DrawDebugText(Coordinate(L, 1), Coordinate(L, 2), text, 0xFFFFFFFF);
  return 0;
}

}  // namespace tarn::api
