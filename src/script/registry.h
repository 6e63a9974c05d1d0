// Publishes the engine functions and the globals mouse, dev_mode and tarn.
#pragma once

#include <lua.hpp>

#include <string>
#include <vector>

namespace tarn {

void RegisterScriptApi(lua_State* L);

// What the globals 'dev_mode' and 'tarn' tell the script about the engine and
// the game. The application registers where they come from at start-up; they
// are asked each time the functions are registered. Unregistered: all empty.
struct GameFacts {
  bool devMode = false;
  std::string buildVersion, buildDate, platform;
  int appBuild = 0;
  std::string appDate, projectCode, language, appName;
};
void SetGameFacts(GameFacts (*facts)());

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
