#include "script/lua.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "diag/error.h"
#include "diag/log.h"
#include "script/guard.h"
#include "script/registry.h"
#include "script/source_loader.h"

namespace tarn {

namespace {

lua_State* state = nullptr;

struct MusicNotice {
  std::mutex lock;
  bool pending = false;
  std::string name;
};

MusicNotice& Notice() {
  static MusicNotice notice;
  return notice;
}

constexpr const char* kNoMessage = "(error with no message)";

const char* ErrorText(lua_State* L) {
  const char* text = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : nullptr;
  return text ? text : kNoMessage;
}

// The message handler: debug.traceback(message, 0) when the script still has it.
int TracebackHandler(lua_State* L) {
  lua_getglobal(L, "debug");
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    return 1;
  }
  lua_getfield(L, -1, "traceback");
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 2);
    return 1;
  }
  lua_pushvalue(L, 1);
  lua_pushinteger(L, 0);
  lua_call(L, 2, 1);
  return 1;
}

// The value of the global named by the light userdata argument.
int GetGlobalValue(lua_State* L) {
  const char* name = static_cast<const char*>(lua_touserdata(L, 1));
  lua_getglobal(L, name);
  return 1;
}

// Pushes the global 'name' when the script defines it (not nil); false when
// it does not or when looking it up failed (reported).
bool PushDefined(const char* name, const char* context, int line) {
  if (!state || !PushScriptGlobal(name, context, SourceUnit(__FILE__), line)) return false;
  if (!lua_isnil(state, -1)) return true;
  lua_pop(state, 1);
  return false;
}

// Calls the global 'name' with no arguments when the script defines it.
void CallOptional(const char* name, const char* context, int line) {
  if (PushDefined(name, context, line)) CallScript(0, 0, context, SourceUnit(__FILE__), line);
}

}  // namespace

const char* SourceUnit(const char* file) {
  const char* slash = std::strrchr(file, '/');
  return slash ? slash + 1 : file;
}

lua_State* ScriptState() { return state; }

const char* ScriptStatusName(int status) {
  switch (status) {
    case 1: return "LUA_YIELD error";
    case 2: return "Runtime error";
    case 3: return "Syntax error during pre-compilation";
    case 4: return "Memory allocation error";
    case 5: return "Error while running the error handler function";
    default: return "Unknown error";
  }
}

void ReportScriptFailure(int status) { FatalError(fatal_text::kLuaError, ScriptStatusName(status)); }

void StartScriptHost() {
  state = luaL_newstate();
  static const luaL_Reg kLibraries[] = {
      {"", luaopen_base},          {LUA_TABLIBNAME, luaopen_table}, {LUA_STRLIBNAME, luaopen_string},
      {LUA_MATHLIBNAME, luaopen_math}, {LUA_DBLIBNAME, luaopen_debug},
  };
  for (const luaL_Reg& library : kLibraries) {
    lua_pushcfunction(state, library.func);
    lua_pushstring(state, library.name);
    lua_call(state, 1, 0);
  }
  InstallSourceLoaders(state);
  RegisterScriptApi(state);
  LoadScriptFile("init.lua", true);
  if (!state || InErrorView()) return;
  if (TARN_PUSH_GLOBAL("boot", "LuaOpen")) TARN_CALL_SCRIPT(0, 0, "LuaOpen");
}

void CloseScriptHost() {
  if (!state) return;
  lua_close(state);
  state = nullptr;
}

int CallScript(int nargs, int nresults, const char* context, const char* sourceUnit, int line) {
  lua_State* L = state;
  if (!L) return 0;
  int handler = lua_gettop(L) - nargs;
  lua_pushcfunction(L, TracebackHandler);
  lua_insert(L, handler);
  int status = ProtectedCall(L, nargs, nresults, handler);
  if (status == 0) {
    lua_remove(L, handler);
    return 0;
  }
  const char* text = ErrorText(L);
  const char* name = ScriptStatusName(status);
  if (context || sourceUnit) {
    LogError("LUA ERROR [%d - %s],  [C source]: %s <%s:%d>\n%s\n", status, name, context ? context : "?",
             sourceUnit ? sourceUnit : "?", line, text);
  } else {
    LogError("LUA ERROR [%d] = %s\n%s\n", status, name, text);
  }
  lua_pop(L, 1);
  lua_remove(L, handler);
  ReportScriptFailure(status);
  return status;
}

int RunProtected(lua_CFunction work, void* data, int nresults, const char* context, const char* sourceUnit,
                 int line) {
  if (!state) return 0;
  lua_pushcfunction(state, work);
  lua_pushlightuserdata(state, data);
  return CallScript(1, nresults, context, sourceUnit, line);
}

bool PushScriptGlobal(const char* name, const char* context, const char* sourceUnit, int line) {
  return state && RunProtected(GetGlobalValue, const_cast<char*>(name), 1, context, sourceUnit, line) == 0;
}

bool LoadScriptFile(const std::string& path, bool fatal) {
  lua_State* L = state;
  if (!L) return false;
  size_t size = 0;
  std::unique_ptr<char[]> buffer = ReadScriptFile(path, size);
  if (!buffer) {
    LogInfo("Can't find lua file %s", path.c_str());
    if (fatal) ErrorLoadingFile(path);
    return false;
  }
  int top = lua_gettop(L);
  int status = LoadSourceBuffer(L, buffer.get(), size, path.c_str());
  if (status == 0) status = ProtectedCall(L, 0, LUA_MULTRET, 0);
  buffer.reset();
  if (status == 0) {
    lua_settop(L, top);
    return true;
  }
  const char* format = "LUA ERROR [%d - %s] during loading file: \"%s\"\n%s\n";
  std::string text = ErrorText(L);
  lua_settop(L, top);
  if (fatal) {
    LogError(format, status, ScriptStatusName(status), path.c_str(), text.c_str());
    ReportScriptFailure(status);
  } else {
    LogWarning(format, status, ScriptStatusName(status), path.c_str(), text.c_str());
  }
  return false;
}

void RunConsoleCommand(const std::string& text) {
  lua_State* L = state;
  if (!L) return;
  int top = lua_gettop(L);
  int status = LoadSourceBuffer(L, text.c_str(), std::strlen(text.c_str()), text.c_str());
  if (status == 0) status = ProtectedCall(L, 0, LUA_MULTRET, 0);
  if (status != 0) LogWarning("LUA ERROR in dostring: \"%s\"", text.c_str());
  lua_settop(L, top);
}

void ScriptInit() {
  if (!state || InErrorView()) return;
  if (TARN_PUSH_GLOBAL("init", "LuaInit")) TARN_CALL_SCRIPT(0, 0, "LuaInit");
}

void ScriptUpdate(double dt) {
  if (!state) return;
  if (TARN_PUSH_GLOBAL("update", "LuaUpdate")) {
    lua_pushnumber(state, dt);
    TARN_CALL_SCRIPT(1, 0, "LuaUpdate");
  }
  if (!state) return;
  std::string name;
  {
    MusicNotice& notice = Notice();
    std::lock_guard<std::mutex> guard(notice.lock);
    if (!notice.pending) return;
    notice.pending = false;
    name = notice.name;
  }
  if (!PushDefined("music_stopped", "LuaUpdate", __LINE__)) return;
  lua_pushstring(state, name.c_str());
  TARN_CALL_SCRIPT(1, 0, "LuaUpdate");
}

void ScriptRecreate() { CallOptional("on_recreate", "LuaRecreate", __LINE__); }

bool ScriptExit() {
  // A frozen script is not asked: closing the window in the error view ends
  // the game, also when it was exit itself that failed.
  if (InErrorView() || !PushDefined("exit", "LuaExit", __LINE__)) return false;
  TARN_CALL_SCRIPT(0, 0, "LuaExit");
  return true;
}

void ScriptDestroy() { CallOptional("destroy", "LuaDestroy", __LINE__); }

int ScriptUpgradeDownloaded(int build, int appBuild) {
  if (!PushDefined("sys_upgrade_downloaded", "LuaSysUpgradeDownloaded", __LINE__)) return 0;
  lua_pushinteger(state, build);
  lua_pushinteger(state, appBuild);
  return TARN_CALL_SCRIPT(2, 0, "LuaSysUpgradeDownloaded");
}

void NotifyMusicStopped(const std::string& name) {
  MusicNotice& notice = Notice();
  std::lock_guard<std::mutex> guard(notice.lock);
  notice.pending = true;
  notice.name = name;
}

}  // namespace tarn
