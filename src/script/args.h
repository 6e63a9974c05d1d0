// Argument conventions shared by every engine function: lenient reads with the
// plain Lua conversions, optional arguments that count only with the expected
// type, light-userdata handles, the colour text and opacity, and the script
// error raised after a fatal error in developer mode.
#pragma once

#include <lua.hpp>

#include <cstdint>
#include <string>

namespace tarn::args {

// A text argument: strings and numbers; false for anything else.
bool Text(lua_State* L, int index, std::string& out);
std::string TextOr(lua_State* L, int index, const std::string& fallback);
double Number(lua_State* L, int index);
int Integer(lua_State* L, int index);
bool Flag(lua_State* L, int index);

// Optional arguments: present only with the expected type.
bool OptFlag(lua_State* L, int index, bool fallback);
double OptNumber(lua_State* L, int index, double fallback);

// Engine objects as opaque light userdata; nil or anything else is no object.
void PushHandle(lua_State* L, void* object);
void* Handle(lua_State* L, int index);

// The colour convention: a hexadecimal text (read from the right, only the low
// 24 bits kept) and an opacity 0..1. Returns ARGB.
uint32_t ColorFromText(const std::string& text);
uint32_t Color(lua_State* L, int textIndex, int opacityIndex, uint32_t defaultRgb = 0xFFFFFF,
               double defaultOpacity = 1.0);
uint8_t OpacityByte(double opacity);

// Stops the calling script function with a Lua error; the error value is the
// value on top of the stack.
[[noreturn]] void RaiseScriptError(lua_State* L);
// Raises that error when the console shows its error view (an error was logged).
void RaiseIfErrorView(lua_State* L);

}  // namespace tarn::args
