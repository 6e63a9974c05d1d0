// Helpers for the tests that run a script state.
#pragma once

#include <lua.hpp>

#include <string>

namespace tarn::testing {

// The global 'name' as text, "(nil)" when it is not a string or a number.
inline std::string GlobalText(lua_State* L, const char* name) {
  lua_getglobal(L, name);
  std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(nil)";
  lua_pop(L, 1);
  return value;
}

}  // namespace tarn::testing
