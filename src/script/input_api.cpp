// The script's keyboard and mouse functions.
#include "script/api.h"
#include "script/args.h"
#include "script/input.h"

namespace tarn::api {

namespace {
int KeyArgument(lua_State* L) {
  std::string name;
  return args::Text(L, 1, name) ? KeyCode(name.c_str()) : kKeyNone;
}
}  // namespace

int kbd_struck(lua_State* L) {
  lua_pushboolean(L, IsStruck(KeyArgument(L)));
  return 1;
}

int kbd_repeat(lua_State* L) {
  lua_pushboolean(L, IsRepeat(KeyArgument(L)));
  return 1;
}

int kbd_down(lua_State* L) {
  lua_pushboolean(L, IsDown(KeyArgument(L)));
  return 1;
}

int kbd_chars(lua_State* L) {
  const std::string& chars = TypedChars();
  if (chars.empty()) lua_pushnil(L);
  else lua_pushlstring(L, chars.data(), chars.size());
  return 1;
}

int input_reset(lua_State*) {
  ClearKeyboard();
  ResetMouse();
  return 0;
}

int input_enable(lua_State* L) {
  if (lua_type(L, 1) == LUA_TBOOLEAN) {
    SetInputEnabled(lua_toboolean(L, 1) != 0);
    ClearKeyboard();
    ResetMouse();
  }
  lua_pushboolean(L, InputEnabled());
  return 1;
}

}  // namespace tarn::api
