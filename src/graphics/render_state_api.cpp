// The script's render-state functions.
#include <strings.h>

#include "graphics/render.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

namespace {
// A string argument's text, or null.
const char* Name(lua_State* L, int index) { return lua_type(L, index) == LUA_TSTRING ? lua_tostring(L, index) : nullptr; }
}  // namespace

int gfx_blending(lua_State* L) {
  using gfx::RenderDevice;
  const char* name = lua_isstring(L, 1) ? lua_tostring(L, 1) : nullptr;
  int mode = 1;
  if (name) {
    if (strcasecmp(name, "none") == 0) mode = 0;
    else if (strcasecmp(name, "sum") == 0) mode = 3;
    else if (strcasecmp(name, "max") == 0) mode = 4;
    else if (strncasecmp(name, "add", 3) == 0) mode = 2;
  }
  RenderDevice& device = RenderDevice::Instance();
  device.SetBlendMode(mode);
  if (lua_gettop(L) > 1) {
    bool mask[4];
    bool any = false;
    for (int i = 0; i < 4; ++i) {
      mask[i] = lua_type(L, i + 2) == LUA_TBOOLEAN && lua_toboolean(L, i + 2);
      any = any || mask[i];
    }
    if (any) device.SetColourMask(mask[0], mask[1], mask[2], mask[3]);
  }
  return 0;
}

int gfx_blending_src_dest(lua_State* L) {
  int factors[2];
  for (int i = 0; i < 2; ++i) {
    if (args::HasNumber(L, i + 1)) {
      int n = args::Integer(L, i + 1);
      factors[i] = n >= 0 && n <= 9 ? n + 1 : gfx::kBlendKeep;
    } else {
      factors[i] = gfx::LookupName(Name(L, i + 1), gfx::NameTable::BlendFactors);
    }
  }
  gfx::RenderDevice::Instance().SetBlendFactors(factors[0], factors[1]);
  return 0;
}

int gfx_alpha_test(lua_State* L) {
  int func = gfx::LookupName(Name(L, 1), gfx::NameTable::CompareFuncs);
  int ref = args::Integer(L, 2);
  gfx::RenderDevice::Instance().SetAlphaTest(func, ref);
  return 0;
}

int gfx_cull(lua_State* L) {
  gfx::RenderDevice::Instance().SetCullMode(gfx::LookupName(Name(L, 1), gfx::NameTable::CullModes));
  return 0;
}

}  // namespace tarn::api
