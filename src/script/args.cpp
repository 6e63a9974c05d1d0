#include "script/args.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "diag/error.h"
#include "script/guard.h"

namespace tarn::args {

bool Text(lua_State* L, int index, std::string& out) {
  int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return false;
  size_t length = 0;
  // Read a copy so a number argument is not converted in place.
  lua_pushvalue(L, index);
  const char* text = lua_tolstring(L, -1, &length);
  out.assign(text, length);
  lua_pop(L, 1);
  return true;
}

std::string TextOr(lua_State* L, int index, const std::string& fallback) {
  std::string text;
  return Text(L, index, text) ? text : fallback;
}

double Number(lua_State* L, int index) { return lua_tonumber(L, index); }

int ToInteger(double value) {
  if (std::isnan(value)) return 0;
  value = std::trunc(value);
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int>(value);
}

// lua_tointeger is not used: its own double-to-integer cast is undefined for
// numbers out of range.
int Integer(lua_State* L, int index) { return ToInteger(lua_tonumber(L, index)); }

float ToFloat(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

float Float(lua_State* L, int index) { return ToFloat(lua_tonumber(L, index)); }

float OptFloat(lua_State* L, int index, float fallback) {
  return HasNumber(L, index) ? Float(L, index) : fallback;
}

bool Flag(lua_State* L, int index) { return lua_toboolean(L, index) != 0; }

bool OptFlag(lua_State* L, int index, bool fallback) {
  return lua_type(L, index) == LUA_TBOOLEAN ? lua_toboolean(L, index) != 0 : fallback;
}

bool HasNumber(lua_State* L, int index) { return lua_isnumber(L, index) != 0; }

double OptNumber(lua_State* L, int index, double fallback) {
  return HasNumber(L, index) ? lua_tonumber(L, index) : fallback;
}

int OptInteger(lua_State* L, int index, int fallback) {
  return HasNumber(L, index) ? Integer(L, index) : fallback;
}

uint32_t ColourFromText(const std::string& text) {
  uint32_t value = 0;
  uint32_t weight = 1;
  for (size_t i = text.size(); i-- > 0 && weight != 0;) {
    char c = text[i];
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'Z') digit = static_cast<uint32_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'z') digit = static_cast<uint32_t>(c - 'a' + 10);
    value += std::min(digit, 15u) * weight;
    weight <<= 4;  // characters past the eighth from the right fall off the top
  }
  return value & 0xFFFFFF;
}

uint8_t OpacityByte(double opacity) {
  if (std::isnan(opacity)) return 0;
  opacity = std::clamp(opacity, 0.0, 1.0);
  return static_cast<uint8_t>(opacity * 255.001);
}

uint32_t Colour(lua_State* L, int textIndex, int opacityIndex, uint32_t defaultRgb, double defaultOpacity) {
  std::string text;
  uint32_t rgb = Text(L, textIndex, text) ? ColourFromText(text) : defaultRgb;
  double opacity = OptNumber(L, opacityIndex, defaultOpacity);
  return (static_cast<uint32_t>(OpacityByte(opacity)) << 24) | (rgb & 0xFFFFFF);
}

void RaiseScriptError(lua_State*) { throw ScriptRaise(); }

void RaiseIfErrorView(lua_State* L) {
  if (InErrorView()) RaiseScriptError(L);
}

}  // namespace tarn::args
