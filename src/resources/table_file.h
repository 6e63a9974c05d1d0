// Table files: indented "key = value" and "key:" lines read into nested Lua
// tables.
#pragma once

#include <lua.hpp>

#include <string>

namespace tarn {

// Pushes the table read from the file (an empty table when no source holds
// it). A malformed line is a fatal error; when that returns (developer mode)
// the result is false and nothing is pushed.
bool PushTableFile(lua_State* L, const std::string& name);

}  // namespace tarn
