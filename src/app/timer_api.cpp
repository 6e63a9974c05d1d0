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
  FrameTimer& timer = FrameTimer::Instance();
  bool cached = lua_type(L, 1) == LUA_TBOOLEAN && lua_toboolean(L, 1);
  double fps = cached ? timer.CachedFps() : timer.EstimateFps();
  lua_pushnumber(L, static_cast<double>(static_cast<long long>(fps)));
  return 1;
}

}  // namespace tarn::api
