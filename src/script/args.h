// Argument conventions shared by every engine function: lenient reads with the
// plain Lua conversions, optional arguments that count only with the expected
// type, the colour text and opacity, and the script error raised after a
// fatal error in developer mode. Engine objects travel as handles of
// script/handles.h.
#pragma once

#include <lua.hpp>

#include <cstdint>
#include <string>

namespace tarn::args {

// A text argument: strings and numbers; false for anything else.
bool Text(lua_State* L, int index, std::string& out);
std::string TextOr(lua_State* L, int index, const std::string& fallback);
double Number(lua_State* L, int index);
bool Flag(lua_State* L, int index);

// Script numbers become integers only here, never by a plain cast (undefined
// outside int's range). The rule: truncated toward zero; NaN reads as 0;
// anything beyond int32 (1e12, -1e12, the infinities) is clamped to
// INT32_MIN or INT32_MAX. A function that needs a narrower range (a size, a
// resolution) refuses the clamped value with its own documented failure.
int ToInteger(double value);
// The argument read as lua_tonumber does (0 for anything that is neither a
// number nor a numeric string), then converted by ToInteger.
int Integer(lua_State* L, int index);

// Script numbers become floats here: beyond float's range a number becomes an
// infinity (a plain conversion is undefined there), NaN stays NaN.
float ToFloat(double value);
float Float(lua_State* L, int index);
float OptFloat(lua_State* L, int index, float fallback);

// Optional arguments: present only with the expected type. A number is present
// when lua_isnumber holds, so numeric strings such as "0.5" count.
bool OptFlag(lua_State* L, int index, bool fallback);
bool HasNumber(lua_State* L, int index);
double OptNumber(lua_State* L, int index, double fallback);
int OptInteger(lua_State* L, int index, int fallback);

// The colour convention: a hexadecimal text (read from the right, only the low
// 24 bits kept) and an opacity 0..1 (an optional number; NaN reads as 0).
// Returns ARGB.
uint32_t ColourFromText(const std::string& text);
uint32_t Colour(lua_State* L, int textIndex, int opacityIndex, uint32_t defaultRgb = 0xFFFFFF,
               double defaultOpacity = 1.0);
uint8_t OpacityByte(double opacity);

// Stops the calling script function with a Lua error; the error value is the
// value on top of the stack.
[[noreturn]] void RaiseScriptError(lua_State* L);
// Raises that error when the console shows its error view (an error was logged).
void RaiseIfErrorView(lua_State* L);

}  // namespace tarn::args
