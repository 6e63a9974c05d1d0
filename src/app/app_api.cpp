#include "app/app.h"
#include "script/api.h"

namespace tarn::api {

int sys_exit(lua_State*) {
  App().quit = true;
  return 0;
}

int app_active(lua_State* L) {
  lua_pushboolean(L, App().active);
  return 1;
}

}  // namespace tarn::api
