// The engine functions published to scripts, by family. Each family's functions
// are defined beside the subsystem they call.
#pragma once

#include <lua.hpp>

namespace tarn::api {

// Colour (script/colour_api.cpp).
int gfx_color(lua_State* L);

// Timer (app/timer_api.cpp).
int timer_catchup(lua_State* L);
int timer_time(lua_State* L);
int timer_systime(lua_State* L);
int timer_fps(lua_State* L);

// Files (script/file_api.cpp until the resource functions arrive).
int file_add_source(lua_State* L);
int file_load_lua(lua_State* L);

// Application (app/app_api.cpp).
int app_active(lua_State* L);
int sys_exit(lua_State* L);

// Messages (diag/log_api.cpp).
int log(lua_State* L);
int print(lua_State* L);
int msg(lua_State* L);

}  // namespace tarn::api
