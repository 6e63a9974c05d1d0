// Publishes the engine functions and the globals mouse, dev_mode and tarn.
#pragma once

#include <lua.hpp>

#include <string>
#include <vector>

namespace tarn {

void RegisterScriptApi(lua_State* L);

// The names of every engine function in registration order, and whether each
// is built in this version.
struct ScriptFunctionInfo {
  const char* name;
  bool available;
};
std::vector<ScriptFunctionInfo> ScriptFunctionList();

// Writes the frame statistics into the global table 'tarn', if it is a table.
void RefreshTarnStatistics(double texturesCount, double texturesBytes, double polysCount, double polysSize);

}  // namespace tarn
