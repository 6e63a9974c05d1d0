// Engine functions run inside Lua's C frames, which C++ exceptions must not
// cross. Each registered function is wrapped: a script error the function asks
// for becomes lua_error once no C++ object is alive, and an engine exception
// (a fatal error outside developer mode) is parked and thrown again after the
// protected call returns.
#pragma once

#include <lua.hpp>

#include <exception>

namespace tarn {

// Thrown by engine functions to stop the calling script with a Lua error whose
// value is the top of the stack.
struct ScriptRaise {};

// Holds an engine exception caught inside a script call.
void ParkException(std::exception_ptr exception);

// lua_pcall that rethrows a parked engine exception.
int ProtectedCall(lua_State* L, int nargs, int nresults, int handler);

template <lua_CFunction F>
int Guarded(lua_State* L) {
  bool raise = false;
  int results = 0;
  try {
    results = F(L);
  } catch (const ScriptRaise&) {
    raise = true;
  } catch (...) {
    ParkException(std::current_exception());
    raise = true;
  }
  if (raise) {
    if (lua_gettop(L) == 0) lua_pushnil(L);
    return lua_error(L);
  }
  return results;
}

}  // namespace tarn
