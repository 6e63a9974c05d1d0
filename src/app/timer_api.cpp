#include "app/frame_timer.h"
#include "script/api.h"

namespace tarn::api {

int timer_catchup(lua_State*) {
  FrameTimer::Instance().Reset();
  return 0;
}

int timer_time(lua_State* L) {
  lua_pushnumber(L, FrameTimer::Instance().Elapsed());
  return 1;
}

int timer_systime(lua_State* L) {
  lua_pushnumber(L, FrameTimer::Instance().SystemTime());
  return 1;
}

// timer_fps([cached]): the frame rate, truncated towards zero.
int timer_fps(lua_State* L) {
  bool cached = lua_type(L, 1) == LUA_TBOOLEAN && lua_toboolean(L, 1);
  lua_pushnumber(L, FrameTimer::Instance().WholeFps(cached));
  return 1;
}

}  // namespace tarn::api
