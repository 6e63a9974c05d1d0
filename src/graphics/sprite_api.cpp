// The script's sprite functions.
#include "graphics/bitmap_handles.h"
#include "graphics/render.h"
#include "graphics/sprite.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

namespace {

float OptFloat(lua_State* L, int index, float fallback) {
  return static_cast<float>(args::OptNumber(L, index, fallback));
}

// A number field of a table at the stack top; 0 when missing.
float Field(lua_State* L, const char* name) {
  lua_getfield(L, -1, name);
  float value = OptFloat(L, -1, 0.0f);
  lua_pop(L, 1);
  return value;
}

}  // namespace

// gfx_render_sprite(bitmap, name, x, y, opacity, angle, scale x, scale y,
//                   colour, scroll u, scroll v, tilt x, tilt y, z)
int gfx_render_sprite(lua_State* L) {
  int count = lua_gettop(L);
  gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(L, 1);
  std::string name;
  bool hasName = args::Text(L, 2, name);
  gfx::SpriteDraw draw;
  draw.x = static_cast<float>(lua_tonumber(L, 3));
  draw.y = static_cast<float>(lua_tonumber(L, 4));
  if (count >= 6) draw.angle = static_cast<float>(lua_tonumber(L, 6));
  if (count >= 7) draw.scaleX = static_cast<float>(lua_tonumber(L, 7));
  if (count >= 8) draw.scaleY = static_cast<float>(lua_tonumber(L, 8));
  uint32_t argb = args::Colour(L, 9, 5);
  draw.tint = gfx::TintFromArgb(argb);
  draw.alpha = static_cast<float>(argb >> 24) / 255.0f;
  draw.scrollU = OptFloat(L, 10, 0);
  draw.scrollV = OptFloat(L, 11, 0);
  draw.tiltX = OptFloat(L, 12, 0);
  draw.tiltY = OptFloat(L, 13, 0);
  draw.z = OptFloat(L, 14, 0);
  gfx::RenderSprite(bitmap, hasName ? name.c_str() : nullptr, draw);
  args::RaiseIfErrorView(L);
  return 0;
}

// gfx_render_sprite_by_vertex_table(bitmap, {v1, v2, v3, v4})
int gfx_render_sprite_by_vertex_table(lua_State* L) {
  gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(L, 1);
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  gfx::Quad quad;
  for (gfx::QuadVertex& v : quad.v) v = {0, 0, 0, 0, 0, 1, 1, 1, 1};
  if (lua_istable(L, 2)) {
    int filled = 0;
    lua_pushnil(L);
    while (filled < 4 && lua_next(L, 2)) {
      if (lua_istable(L, -1)) {
        gfx::QuadVertex& v = quad.v[filled++];
        v.x = Field(L, "x");
        v.y = Field(L, "y");
        v.u = Field(L, "u");
        v.v = Field(L, "v");
        v.a = Field(L, "alpha");
        v.r = Field(L, "r");
        v.g = Field(L, "g");
        v.b = Field(L, "b");
        v.z = device.ScreenDistance() - Field(L, "z");
      }
      lua_pop(L, 1);
    }
    if (filled == 4) lua_pop(L, 1);  // the key left by the interrupted walk
  }
  device.DrawImage(quad, gfx::TextureOf(bitmap), gfx::kAddressWrap);
  args::RaiseIfErrorView(L);
  return 0;
}

// gfx_sprite_params(bitmap, name): width, height, pivot x, pivot y.
int gfx_sprite_params(lua_State* L) {
  gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(L, 1);
  std::string name;
  bool hasName = args::Text(L, 2, name);
  gfx::SpriteFrame frame;
  if (!gfx::FindSprite(bitmap, hasName ? name.c_str() : nullptr, true, frame)) frame = gfx::SpriteFrame();
  lua_pushnumber(L, frame.width);
  lua_pushnumber(L, frame.height);
  lua_pushnumber(L, frame.pivotX);
  lua_pushnumber(L, frame.pivotY);
  return 4;
}

// gfx_crop_sprite(x, y, width, height, persistent) or gfx_crop_sprite() to disarm.
int gfx_crop_sprite(lua_State* L) {
  gfx::CropState& crop = gfx::Crop();
  if (!args::HasNumber(L, 1)) {
    crop = gfx::CropState();
    return 0;
  }
  // Out-of-range numbers clamp (args::ToInteger); the crop arithmetic takes any int.
  crop.cropX = args::Integer(L, 1);
  int32_t y = args::Integer(L, 2);
  crop.cropY = y > 0 ? y : 0;
  crop.cropWidth = args::Integer(L, 3);
  crop.cropHeight = args::Integer(L, 4);
  crop.cropPersistent = lua_type(L, 5) == LUA_TBOOLEAN && lua_toboolean(L, 5);
  return 0;
}

}  // namespace tarn::api
