#include <cstdio>

#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

// gfx_color(r, g, b): the colour as six lower-case hexadecimal digits.
int gfx_color(lua_State* L) {
  int bytes[3];
  for (int i = 0; i < 3; ++i) {
    double component = args::OptNumber(L, i + 1, 1.0);
    bytes[i] = args::OpacityByte(component);
  }
  char text[8];
  snprintf(text, sizeof text, "%02x%02x%02x", bytes[0], bytes[1], bytes[2]);
  lua_pushstring(L, text);
  return 1;
}

}  // namespace tarn::api
