// The script's screenshot and texture dump functions.
#include "graphics/bitmap_handles.h"
#include "graphics/screenshot.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

// gfx_screenshot([path], [width], [height], [left], [top], [right], [bottom])
int gfx_screenshot(lua_State* L) {
  std::string path;
  bool named = args::Text(L, 1, path);
  int width = args::OptInteger(L, 2, 0), height = args::OptInteger(L, 3, 0);
  int left = args::OptInteger(L, 4, -1), top = args::OptInteger(L, 5, -1);
  int right = args::OptInteger(L, 6, left >= 0 ? width : 0);
  int bottom = args::OptInteger(L, 7, top >= 0 ? height : 0);
  gfx::ImageRect rect{left, top, right, bottom};
  bool useRect = left >= 0 && top >= 0 && right >= 1 && bottom >= 1;
  bool sized = width >= 1 && height >= 1;
  gfx::TakeScreenshot(named ? &path : nullptr, useRect ? &rect : nullptr, sized ? width : 0, sized ? height : 0);
  return 0;
}

// gfx_save_bitmap(bitmap, [path])
int gfx_save_bitmap(lua_State* L) {
  gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(gfx::ScriptBitmaps().At(L, 1));
  std::string path;
  bool named = args::Text(L, 2, path);
  gfx::SaveBitmap(bitmap, named ? &path : nullptr);
  return 0;
}

}  // namespace tarn::api
