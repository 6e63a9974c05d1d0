// The script's display settings and the window's cursor.
#include "app/app.h"
#include "app/window.h"
#include "diag/log.h"
#include "graphics/render.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

// gfx_resolution(width, height): the resolution of the next window. A side
// below 1 or beyond the largest texture (the game is drawn into a render
// target of this size) is refused with a warning and the request stays as it was.
int gfx_resolution(lua_State* L) {
  Display& display = GetDisplay();
  int width = args::Integer(L, 1);
  int height = args::Integer(L, 2);
  int maxSide = gfx::RenderDevice::Instance().MaxTextureSide();
  if (width < 1 || height < 1 || width > maxSide || height > maxSide) {
    LogWarning("gfx_resolution - %dx%d refused, each side must be 1 to %d", width, height, maxSide);
    return 0;
  }
  display.requestedWidth = width;
  display.requestedHeight = height;
  return 0;
}

int gfx_current_mode(lua_State* L) {
  const Display& display = GetDisplay();
  lua_pushnumber(L, display.gameWidth);
  lua_pushnumber(L, display.gameHeight);
  lua_pushboolean(L, App().fullScreen);
  return 3;
}

int gfx_full_screen(lua_State* L) {
  Application& app = App();
  if (lua_type(L, 1) != LUA_TBOOLEAN) {
    lua_pushboolean(L, app.fullScreen);
    return 1;
  }
  bool wanted = lua_toboolean(L, 1) != 0;
  if (wanted != app.fullScreen) {
    if (app.hasWindow) app.toggleFullScreen = true;
    else app.fullScreen = wanted;
  }
  return 0;
}

int gfx_aspect_ratio_correction(lua_State* L) {
  Display& display = GetDisplay();
  if (lua_type(L, 1) == LUA_TBOOLEAN) display.aspectCorrection = lua_toboolean(L, 1) != 0;
  lua_pushboolean(L, display.aspectCorrection);
  return 1;
}

int mouse_hardware_cursor(lua_State* L) {
  if (lua_type(L, 1) == LUA_TBOOLEAN) SetHardwareCursor(lua_toboolean(L, 1) != 0);
  return 0;
}

}  // namespace tarn::api
