#include "script/source_loader.h"

#include <cstring>
#include <memory>
#include <string>

#include "script/guard.h"

namespace tarn {

namespace {

constexpr const char* kRefused = "precompiled chunk refused: only Lua source text can be loaded";

ScriptFileReader fileReader = nullptr;

// Watches the first bytes a reader delivers: lua_load picks the binary
// loader when the first byte of the stream is the signature's escape.
struct SourceOnly {
  lua_Reader inner;
  void* data;
  bool started = false;
  bool binary = false;
};

const char* ReadSourceOnly(lua_State* L, void* ud, size_t* size) {
  SourceOnly* guard = static_cast<SourceOnly*>(ud);
  *size = 0;
  if (guard->binary) return nullptr;
  const char* piece = guard->inner(L, guard->data, size);
  if (!piece || *size == 0 || guard->started) return piece;
  guard->started = true;
  if (piece[0] != LUA_SIGNATURE[0]) return piece;
  // End the stream here: lua_load compiles an empty text chunk, which is
  // then thrown away.
  guard->binary = true;
  *size = 0;
  return nullptr;
}

struct Memory {
  const char* buffer;
  size_t size;
};

const char* ReadMemory(lua_State*, void* ud, size_t* size) {
  Memory* memory = static_cast<Memory*>(ud);
  if (memory->size == 0) return nullptr;
  *size = memory->size;
  memory->size = 0;
  return memory->buffer;
}

// The base library's reader for load(f): f returns the pieces.
const char* ReadFromFunction(lua_State* L, void*, size_t* size) {
  luaL_checkstack(L, 2, "too many nested functions");
  lua_pushvalue(L, 1);
  lua_call(L, 0, 1);
  if (lua_isnil(L, -1)) {
    *size = 0;
    return nullptr;
  }
  if (!lua_isstring(L, -1)) luaL_error(L, "reader function must return a string");
  lua_replace(L, 3);  // keeps the piece alive while the parser reads it
  return lua_tolstring(L, 3, size);
}

// nil and the message after a failed load, the function otherwise.
int LoadResult(lua_State* L, int status) {
  if (status == 0) return 1;
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}

int LoadString(lua_State* L) {
  size_t size = 0;
  const char* text = luaL_checklstring(L, 1, &size);
  const char* chunkname = luaL_optstring(L, 2, text);
  return LoadResult(L, LoadSourceBuffer(L, text, size, chunkname));
}

int LoadFunction(lua_State* L) {
  const char* chunkname = luaL_optstring(L, 2, "=(load)");
  luaL_checktype(L, 1, LUA_TFUNCTION);
  lua_settop(L, 3);  // slot 3 holds the piece being read
  return LoadResult(L, LoadSource(L, ReadFromFunction, nullptr, chunkname));
}

// A script file through the script file reader; "@path" names the chunk,
// as the base library's loadfile does.
int LoadScript(lua_State* L, const char* path) {
  size_t size = 0;
  std::unique_ptr<char[]> buffer = ReadScriptFile(path, size);
  if (!buffer) {
    lua_pushfstring(L, "cannot open %s", path);
    return LUA_ERRFILE;
  }
  std::string chunkname = std::string("@") + path;
  return LoadSourceBuffer(L, buffer.get(), size, chunkname.c_str());
}

int LoadFile(lua_State* L) { return LoadResult(L, LoadScript(L, luaL_checkstring(L, 1))); }

// Loads through the guarded loadfile, so that no C++ frame is left between
// here and the chunk's own errors.
int DoFile(lua_State* L) {
  luaL_checkstring(L, 1);
  lua_settop(L, 1);
  lua_pushcfunction(L, Guarded<LoadFile>);
  lua_pushvalue(L, 1);
  lua_call(L, 1, 2);
  if (lua_isnil(L, -2)) return lua_error(L);
  lua_pop(L, 1);
  lua_call(L, 0, LUA_MULTRET);
  return lua_gettop(L) - 1;
}

}  // namespace

int LoadSource(lua_State* L, lua_Reader reader, void* data, const char* chunkname) {
  SourceOnly guard;
  guard.inner = reader;
  guard.data = data;
  int status = lua_load(L, ReadSourceOnly, &guard, chunkname);
  if (!guard.binary) return status;
  lua_pop(L, 1);  // the empty function, or a message of the reader's
  if (chunkname && (chunkname[0] == '@' || chunkname[0] == '='))
    lua_pushfstring(L, "%s: %s", chunkname + 1, kRefused);
  else
    lua_pushstring(L, kRefused);
  return LUA_ERRSYNTAX;
}

int LoadSourceBuffer(lua_State* L, const char* buffer, size_t size, const char* chunkname) {
  Memory memory{buffer, size};
  return LoadSource(L, ReadMemory, &memory, chunkname);
}

void SetScriptFileReader(ScriptFileReader reader) { fileReader = reader; }

std::unique_ptr<char[]> ReadScriptFile(const std::string& path, size_t& size) {
  size = 0;
  return fileReader ? fileReader(path, size) : nullptr;
}

void InstallSourceLoaders(lua_State* L) {
  static const luaL_Reg kLoaders[] = {
      {"loadstring", LoadString}, {"load", LoadFunction}, {"loadfile", Guarded<LoadFile>}, {"dofile", DoFile}};
  for (const luaL_Reg& loader : kLoaders) {
    lua_pushcfunction(L, loader.func);
    lua_setglobal(L, loader.name);
  }
}

}  // namespace tarn
