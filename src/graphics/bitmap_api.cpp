// The script's bitmap functions: loading, releasing and creating bitmaps.
#include <memory>

#include "graphics/bitmap_handles.h"
#include "graphics/render_target.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::gfx {

HandleSet<Bitmap>& ScriptBitmaps() {
  static HandleSet<Bitmap> bitmaps(HandleKind::kBitmap);
  return bitmaps;
}

}  // namespace tarn::gfx

namespace tarn::api {

using gfx::Bitmap;

namespace {

// A handle on a new bitmap that 'make' fills in; the empty handle when it fails.
template <typename Make>
ScriptHandle NewBitmap(Make make) {
  auto bitmap = std::make_unique<Bitmap>();
  return make(*bitmap) ? gfx::ScriptBitmaps().Add(std::move(bitmap)) : ScriptHandle();
}

}  // namespace

// gfx_load_bitmap(path, [report]): a bitmap with its sprites, or nil.
int gfx_load_bitmap(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  int flags = gfx::kBitmapSpriteFile | gfx::kBitmapMainSprite;
  if (!args::OptFlag(L, 2, true)) flags |= gfx::kBitmapQuiet;
  ScriptHandle handle =
      NewBitmap([&](Bitmap& bitmap) { return gfx::TextureManager::Instance().LoadBitmap(bitmap, path, flags); });
  args::RaiseIfErrorView(L);
  gfx::ScriptBitmaps().Push(L, handle);
  return 1;
}

// gfx_release_bitmap(bitmap): the static render target is the engine's and
// stays.
int gfx_release_bitmap(lua_State* L) {
  ScriptHandle handle = gfx::ScriptBitmaps().At(L, 1);
  Bitmap* bitmap = gfx::ScriptBitmaps().Get(handle);
  if (!bitmap || bitmap == gfx::StaticRenderTarget()) return 0;
  gfx::TextureManager::Instance().ReleaseBitmap(*bitmap);
  gfx::ScriptBitmaps().Release(handle);
  return 0;
}

// gfx_create_bitmap(width, height, [alpha]): a render target bitmap, or nil.
// A side below 1 or beyond the largest texture (numbers out of int's range
// clamp to its limits) fails the creation with a logged warning. At the
// size of the static render target, when there is one, it is what every call
// gets (nil while it has no texture).
int gfx_create_bitmap(lua_State* L) {
  int width = args::Integer(L, 1);
  int height = args::Integer(L, 2);
  bool alpha = args::OptFlag(L, 3, false);
  if (const Bitmap* shared = gfx::StaticRenderTargetOfSize(width, height)) {
    gfx::ScriptBitmaps().Push(L, gfx::TextureOf(shared) ? gfx::StaticRenderTargetHandle() : ScriptHandle());
    return 1;
  }
  ScriptHandle handle = NewBitmap([&](Bitmap& bitmap) {
    gfx::TextureManager& textures = gfx::TextureManager::Instance();
    bool made = textures.CreateRenderTargetBitmap(bitmap, width, height, alpha, gfx::kBitmapMainSprite);
    if (made && bitmap.record->texture) return true;
    textures.ReleaseBitmap(bitmap);
    return false;
  });
  args::RaiseIfErrorView(L);
  gfx::ScriptBitmaps().Push(L, handle);
  return 1;
}

}  // namespace tarn::api
