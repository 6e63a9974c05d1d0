// The script's file functions.
#include <cstring>

#include "diag/log.h"
#include "resources/filesystem.h"
#include "resources/strings.h"
#include "resources/table_file.h"
#include "resources/write_ops.h"
#include "script/api.h"
#include "script/args.h"
#include "script/lua.h"

namespace tarn::api {

namespace {
bool Name(lua_State* L, int index, std::string& out) {
  int type = lua_type(L, index);
  return (type == LUA_TSTRING || type == LUA_TNUMBER) && args::Text(L, index, out);
}
}  // namespace

int file_add_source(lua_State* L) {
  std::string path;
  if (Name(L, 1, path)) FileSystem::Instance().Mount(path);
  return 0;
}

int file_load_lua(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  bool fatal = args::OptFlag(L, 2, true);
  lua_pushboolean(L, LoadScriptFile(path, fatal));
  return 1;
}

int file_load_table(lua_State* L) {
  std::string name;
  if (!Name(L, 1, name)) {
    lua_newtable(L);
    return 1;
  }
  if (!PushTableFile(L, name)) args::RaiseScriptError(L);
  return 1;
}

int file_load(lua_State* L) {
  std::string name;
  if (!Name(L, 1, name)) {
    LogError("Can't open - file name is empty!");
    args::RaiseScriptError(L);
  }
  std::unique_ptr<char[]> data = FileSystem::Instance().ReadWhole(name, nullptr, true);
  if (!data) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushstring(L, data.get());  // ends at the first zero byte
  return 1;
}

int file_save(lua_State* L) {
  std::string name, data;
  if (!Name(L, 1, name)) {
    LogError("Can't save - file name is empty!");
    args::RaiseScriptError(L);
  }
  Name(L, 2, data);
  bool compress = args::OptFlag(L, 3, false);
  std::ostream* stream = OpenWrite(name, true, true, compress && !data.empty());
  if (!stream) {
    LogError("Can't open file %s!", name.c_str());
    args::RaiseScriptError(L);
  }
  stream->write(data.data(), static_cast<std::streamsize>(data.size()));
  CloseWrite(stream);
  return 0;
}

int file_remove(lua_State* L) {
  std::string name;
  lua_pushnumber(L, Name(L, 1, name) ? RemoveMatching(name) : 0);
  return 1;
}

int file_rename(lua_State* L) {
  std::string from, to;
  bool ok = Name(L, 1, from) && Name(L, 2, to) && Rename(from, to);
  lua_pushboolean(L, ok);
  return 1;
}

int file_exists(lua_State* L) {
  std::string name;
  bool files = args::OptFlag(L, 2, true), dirs = args::OptFlag(L, 3, true);
  bool found = Name(L, 1, name) && FileSystem::Instance().Search(name, files, dirs, nullptr, false) > 0;
  lua_pushboolean(L, found);
  return 1;
}

int file_search(lua_State* L) {
  std::string pattern;
  bool files = args::OptFlag(L, 2, true), dirs = args::OptFlag(L, 3, true);
  bool withPaths = args::OptFlag(L, 4, false);
  std::map<std::string, FileInfo> found;
  if (Name(L, 1, pattern)) FileSystem::Instance().Search(pattern, files, dirs, &found, withPaths);
  lua_newtable(L);
  for (const auto& [entry, info] : found) {
    size_t slash = entry.find_last_of('/');
    if (entry[slash == std::string::npos ? 0 : slash + 1] == '.') continue;
    lua_pushnumber(L, info.size == 0xFFFFFFFFu ? -1.0 : static_cast<double>(info.size));
    lua_setfield(L, -2, entry.c_str());
  }
  return 1;
}

int file_create_directory(lua_State* L) {
  std::string path;
  lua_pushboolean(L, Name(L, 1, path) && FileSystem::Instance().CreateFoldersGuarded(path));
  return 1;
}

int file_remove_directory(lua_State* L) {
  std::string name;
  bool recursive = args::OptFlag(L, 2, false);
  lua_pushboolean(L, Name(L, 1, name) && DeleteFolder(name, recursive));
  return 1;
}

int file_load_strings(lua_State* L) {
  std::string table, file;
  if (!Name(L, 1, table) || !Name(L, 2, file)) return 0;
  lua_getglobal(L, table.c_str());
  int index = lua_gettop(L);
  bool stored = true;
  LoadStringsFile(file, [&](int, const std::string& key, const std::string& value) {
    if (!stored) return;
    if (!lua_istable(L, index)) {
      stored = false;
      return;
    }
    lua_pushlstring(L, value.data(), value.size());
    lua_setfield(L, index, key.c_str());
  });
  lua_settop(L, index - 1);
  if (!stored) {
    lua_pushstring(L, "file_load_strings: the global is not a table");
    args::RaiseScriptError(L);
  }
  return 0;
}

}  // namespace tarn::api
