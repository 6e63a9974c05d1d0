// The script's collision mask functions: loading, releasing, the size and the
// point test.
#include <memory>
#include <string>

#include "diag/error.h"
#include "graphics/collision_mask.h"
#include "graphics/mask_handles.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

using gfx::CollisionMask;

namespace {

// The byte the channel's name selects. Pixels are B, G, R, A, so "blue" reads
// the third byte and no name reads the first: the names count bytes from the
// alpha end, whatever colour those bytes hold.
int ChannelByte(lua_State* L, int index) {
  std::string name;
  if (!args::Text(L, index, name)) return gfx::kMaskBlueByte;
  if (name == "alpha") return gfx::kMaskAlphaByte;
  if (name == "blue") return gfx::kMaskRedByte;
  if (name == "green") return gfx::kMaskGreenByte;
  return gfx::kMaskBlueByte;
}

// Reports a missing mask; in developer mode the calling script stops.
[[noreturn]] void NoMask(lua_State* L) {
  FatalError("%s", fatal_text::kNoMask);
  args::RaiseScriptError(L);
}

// The live mask at the index; anything else (nil, a released or made-up
// handle, another family's handle) is reported as no mask.
CollisionMask& MaskAt(lua_State* L, int index) {
  CollisionMask* mask = gfx::ScriptMasks().Get(L, index);
  if (!mask || !mask->data) NoMask(L);
  return *mask;
}

}  // namespace

// gfx_collision_mask_load(path, [pivot x], [pivot y], [channel]) -> mask
int gfx_collision_mask_load(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  std::unique_ptr<CollisionMask> mask =
      gfx::LoadMask(path, args::OptFloat(L, 2, -1), args::OptFloat(L, 3, -1), ChannelByte(L, 4));
  if (!mask) NoMask(L);
  gfx::CollisionMaskData* data = mask->data;
  ScriptHandle handle = gfx::ScriptMasks().Add(std::move(mask));
  if (!handle) {
    gfx::ReleaseMaskData(data);  // no slot left for it
    NoMask(L);
  }
  gfx::ScriptMasks().Push(L, handle);
  return 1;
}

// gfx_collision_mask_release(mask)
int gfx_collision_mask_release(lua_State* L) {
  ScriptHandle handle = gfx::ScriptMasks().At(L, 1);
  gfx::ReleaseMask(MaskAt(L, 1));
  gfx::ScriptMasks().Release(handle);
  return 0;
}

// gfx_collision_mask_size(mask) -> width, height
int gfx_collision_mask_size(lua_State* L) {
  const gfx::CollisionMaskData& data = *MaskAt(L, 1).data;
  lua_pushnumber(L, data.width);
  lua_pushnumber(L, data.height);
  return 2;
}

// gfx_collision_mask_test(x, y, mask, mask x, mask y, [angle], [scale x], [scale y]) -> hit
int gfx_collision_mask_test(lua_State* L) {
  const CollisionMask& mask = MaskAt(L, 3);
  bool hit = gfx::TestMask(mask, args::Float(L, 1), args::Float(L, 2), args::Float(L, 4), args::Float(L, 5),
                           args::OptFloat(L, 6, 0), args::OptFloat(L, 7, 1), args::OptFloat(L, 8, 1));
  lua_pushboolean(L, hit);
  return 1;
}

}  // namespace tarn::api
