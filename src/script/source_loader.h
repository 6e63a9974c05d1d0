// Loading Lua chunks from source text only. Lua 5.1 does not verify
// precompiled bytecode, so a damaged or hostile binary chunk can hang or
// crash the virtual machine; every loader a script can reach goes through
// here and refuses chunks that start with the bytecode signature.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <memory>
#include <string>

namespace tarn {

// lua_load on 'reader', refusing a binary chunk with LUA_ERRSYNTAX and an
// error message on the stack. Otherwise exactly lua_load.
int LoadSource(lua_State* L, lua_Reader reader, void* data, const char* chunkname);

// The same for a chunk held in memory (luaL_loadbuffer).
int LoadSourceBuffer(lua_State* L, const char* buffer, size_t size, const char* chunkname);

// Replaces the base library's load, loadstring, loadfile and dofile with
// versions that accept source text only. loadfile and dofile read through
// the script file reader, like file_load_lua.
void InstallSourceLoaders(lua_State* L);

// Where script files come from: the whole file, its size in 'size'; null
// when there is none. The application registers the game's file system at
// start-up; until then no file can be read.
using ScriptFileReader = std::unique_ptr<char[]> (*)(const std::string& path, size_t& size);
void SetScriptFileReader(ScriptFileReader reader);
std::unique_ptr<char[]> ReadScriptFile(const std::string& path, size_t& size);

}  // namespace tarn
