// The script's bitmap functions: loading, releasing and creating bitmaps.
#include "graphics/bitmap_handles.h"
#include "graphics/texture.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

using gfx::Bitmap;

// gfx_load_bitmap(path, [report]): a bitmap with its sprites, or nil.
int gfx_load_bitmap(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  bool report = args::OptFlag(L, 2, true);
  Bitmap* bitmap = gfx::NewScriptBitmap();
  bool loaded = gfx::TextureManager::Instance().LoadBitmap(*bitmap, path, report ? 3 : 7);
  if (!loaded) gfx::FreeScriptBitmap(bitmap);
  args::RaiseIfErrorView(L);
  args::PushHandle(L, loaded ? bitmap : nullptr);
  return 1;
}

int gfx_release_bitmap(lua_State* L) {
  Bitmap* bitmap = gfx::ScriptBitmap(L, 1);
  if (!bitmap) return 0;
  gfx::TextureManager::Instance().ReleaseBitmap(*bitmap);
  gfx::FreeScriptBitmap(bitmap);
  return 0;
}

// gfx_create_bitmap(width, height, [alpha]): a render target bitmap, or nil.
// A side below 1 or beyond the largest texture (numbers out of int's range
// clamp to its limits) fails the creation with a logged warning.
int gfx_create_bitmap(lua_State* L) {
  int width = args::Integer(L, 1);
  int height = args::Integer(L, 2);
  bool alpha = args::OptFlag(L, 3, false);
  Bitmap* bitmap = gfx::NewScriptBitmap();
  bool made = gfx::TextureManager::Instance().CreateRenderTargetBitmap(*bitmap, width, height, alpha, 2) &&
              bitmap->record->texture;
  if (!made) {
    gfx::TextureManager::Instance().ReleaseBitmap(*bitmap);
    gfx::FreeScriptBitmap(bitmap);
  }
  args::RaiseIfErrorView(L);
  args::PushHandle(L, made ? bitmap : nullptr);
  return 1;
}

}  // namespace tarn::api
