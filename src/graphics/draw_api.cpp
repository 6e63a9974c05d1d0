// The script's drawing functions that need no bitmap, and the projection planes.
#include "graphics/render.h"
#include "graphics/sprite.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

// gfx_render_box(x, y, width, height, opacity, angle, colour, pivot x, pivot y)
int gfx_render_box(lua_State* L) {
  int count = lua_gettop(L);
  gfx::SpriteDraw draw;
  draw.x = static_cast<float>(lua_tonumber(L, 1));
  draw.y = static_cast<float>(lua_tonumber(L, 2));
  draw.width = static_cast<float>(lua_tonumber(L, 3));
  draw.height = static_cast<float>(lua_tonumber(L, 4));
  if (count >= 6) draw.angle = static_cast<float>(lua_tonumber(L, 6));
  if (count >= 8) draw.pivotX = static_cast<float>(lua_tonumber(L, 8));
  if (count >= 9) draw.pivotY = static_cast<float>(lua_tonumber(L, 9));
  uint32_t argb = args::Colour(L, 7, 5);
  draw.tint = gfx::TintFromArgb(argb);
  draw.alpha = static_cast<float>(argb >> 24) / 255.0f;
  gfx::DrawSprite(draw);
  return 0;
}

// gfx_perspective_planes([distance], [far]): the planes now in force.
int gfx_perspective_planes(lua_State* L) {
  float distance = static_cast<float>(args::OptInteger(L, 1, -1));
  float farPlane = static_cast<float>(args::OptInteger(L, 2, -1));
  float outDistance = 0, outFar = 0;
  gfx::RenderDevice::Instance().SetPerspectivePlanes(distance, farPlane, outDistance, outFar);
  lua_pushnumber(L, outDistance);
  lua_pushnumber(L, outFar);
  return 2;
}

}  // namespace tarn::api
