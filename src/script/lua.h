// The Lua host: the one script state, the protected call into the script with
// its error report, script files, console commands and the entry callbacks.
#pragma once

#include <lua.hpp>

#include <string>

namespace tarn {

lua_State* ScriptState();

void StartScriptHost();
void CloseScriptHost();

// Calls the function below 'nargs' arguments on the stack. 'context' and
// 'sourceUnit' may be null; 'line' is the engine's own call site.
int CallScript(int nargs, int nresults, const char* context, const char* sourceUnit, int line);
// Runs the native 'work' with 'data' as its one (light userdata) argument in
// protected mode, for engine work on the state that may run script code on
// the way (metatables on the globals or on the engine's tables). A failure
// is reported and handled like a failed script call.
int RunProtected(lua_CFunction work, void* data, int nresults, const char* context, const char* sourceUnit,
                 int line);
// Pushes the global 'name', looked up in protected mode; false (nothing
// pushed, the failure reported) when the lookup raised an error.
bool PushScriptGlobal(const char* name, const char* context, const char* sourceUnit, int line);
bool LoadScriptFile(const std::string& path, bool fatal);
void RunConsoleCommand(const std::string& text);
void ReportScriptFailure(int status);
const char* ScriptStatusName(int status);

void ScriptInit();
void ScriptUpdate(double dt);
void ScriptRecreate();
bool ScriptExit();
void ScriptDestroy();
// Tells the script that build 'build' was downloaded; 'appBuild' is the running one.
int ScriptUpgradeDownloaded(int build, int appBuild);

// Safe to call from any thread: the name reaches the script at the next update.
void NotifyMusicStopped(const std::string& name);

// The file name of an engine source without its folders.
const char* SourceUnit(const char* file);

}  // namespace tarn

#define TARN_CALL_SCRIPT(nargs, nresults, context) \
  ::tarn::CallScript((nargs), (nresults), (context), ::tarn::SourceUnit(__FILE__), __LINE__)

#define TARN_PUSH_GLOBAL(name, context) \
  ::tarn::PushScriptGlobal((name), (context), ::tarn::SourceUnit(__FILE__), __LINE__)
#define TARN_RUN_PROTECTED(work, data, nresults, context) \
  ::tarn::RunProtected((work), (data), (nresults), (context), ::tarn::SourceUnit(__FILE__), __LINE__)
