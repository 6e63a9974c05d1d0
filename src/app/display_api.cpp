// The script's display settings.
#include "app/app.h"
#include "app/window.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

int gfx_resolution(lua_State* L) {
  Display& display = GetDisplay();
  display.requestedWidth = static_cast<int>(lua_tointeger(L, 1));
  display.requestedHeight = static_cast<int>(lua_tointeger(L, 2));
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

}  // namespace tarn::api
