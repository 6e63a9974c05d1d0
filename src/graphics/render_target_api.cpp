// The script's render target switch.
#include "graphics/bitmap_handles.h"
#include "graphics/render_target.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

// gfx_render_target(bitmap, [colour], [opacity]): draws into the bitmap from
// now on, cleared to the colour (default transparent black); true when it
// could be begun. gfx_render_target() goes back to the frame's target.
int gfx_render_target(lua_State* L) {
  if (lua_isnoneornil(L, 1)) {
    if (gfx::SceneWasOpen()) gfx::ReturnToFrameTarget();
    else gfx::EndRenderTarget();
    return 0;
  }
  gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(L, 1);
  uint32_t clear = args::Colour(L, 2, 3, 0x000000, 0.0);
  lua_pushboolean(L, gfx::BeginRenderTarget(bitmap, clear));
  return 1;
}

}  // namespace tarn::api
