// The script's image-file functions: saving a region of an image file and
// finding the smallest region that holds every solid pixel.
#include <limits>
#include <string>

#include "graphics/bitmap_handles.h"
#include "graphics/image_files.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

namespace {

// An image source: a path, or a bitmap whose resource key names the file.
std::string Source(lua_State* L, int index) {
  std::string path;
  if (args::Text(L, index, path)) return path;
  if (gfx::Bitmap* bitmap = gfx::ScriptBitmaps().Get(L, index))
    if (bitmap->record) return bitmap->record->name;
  return std::string();
}

}  // namespace

// gfx_bitmap_save_region(destination, source, [x, y, width, height])
int gfx_bitmap_save_region(lua_State* L) {
  std::string destination = args::TextOr(L, 1, std::string());
  std::string source = Source(L, 2);
  int x = args::Integer(L, 3);
  int y = args::Integer(L, 4);
  int width = args::Integer(L, 5);
  int height = args::Integer(L, 6);
  gfx::ImageRect rect;
  bool useRect = x >= 0 && y >= 0 && width > 0 && height > 0;
  if (useRect) {
    rect.left = x;
    rect.top = y;
    // Kept from overflowing; anything past the image is refused later anyway.
    rect.right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + width, std::numeric_limits<int>::max()));
    rect.bottom = static_cast<int>(std::min<long long>(static_cast<long long>(y) + height, std::numeric_limits<int>::max()));
  }
  gfx::SaveRegion(source, destination, useRect ? &rect : nullptr);
  args::RaiseIfErrorView(L);
  return 0;
}

// gfx_bitmap_find_smallest_region(source, [x, y, width, height], [testAlpha], [testColour])
//   -> x, y, width, height, or nothing
int gfx_bitmap_find_smallest_region(lua_State* L) {
  std::string source = Source(L, 1);
  int x = std::max(0, args::OptInteger(L, 2, 0));
  int y = std::max(0, args::OptInteger(L, 3, 0));
  int width = args::OptInteger(L, 4, -1);
  int height = args::OptInteger(L, 5, -1);
  if (width < 0) width = 100000;
  if (height < 0) height = 100000;
  bool testAlpha = args::OptFlag(L, 6, true);
  bool testColour = args::OptFlag(L, 7, false);
  gfx::ImageRect rect;
  rect.left = x;
  rect.top = y;
  rect.right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + width, std::numeric_limits<int>::max()));
  rect.bottom = static_cast<int>(std::min<long long>(static_cast<long long>(y) + height, std::numeric_limits<int>::max()));
  if (!gfx::FindSmallestRegion(source, rect, testAlpha, testColour)) return 0;
  lua_pushinteger(L, rect.left);
  lua_pushinteger(L, rect.top);
  lua_pushinteger(L, rect.right - rect.left);
  lua_pushinteger(L, rect.bottom - rect.top);
  return 4;
}

}  // namespace tarn::api
