// The script's file functions.
#include "resources/filesystem.h"
#include "script/api.h"
#include "script/args.h"
#include "script/lua.h"

namespace tarn::api {

int file_add_source(lua_State* L) {
  std::string path;
  if (args::Text(L, 1, path)) FileSystem::Instance().Mount(path);
  return 0;
}

int file_load_lua(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  bool fatal = args::OptFlag(L, 2, true);
  lua_pushboolean(L, LoadScriptFile(path, fatal));
  return 1;
}

}  // namespace tarn::api
