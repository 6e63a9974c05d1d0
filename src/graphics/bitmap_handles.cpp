#include "graphics/bitmap_handles.h"

#include <memory>
#include <set>

#include "script/args.h"

namespace tarn::gfx {

namespace {
std::set<Bitmap*>& Live() {
  static std::set<Bitmap*> live;
  return live;
}
// The handles this registry allocated (not the adopted ones).
std::set<Bitmap*>& Owned() {
  static std::set<Bitmap*> owned;
  return owned;
}
}  // namespace

Bitmap* NewScriptBitmap() {
  Bitmap* bitmap = new Bitmap();
  Live().insert(bitmap);
  Owned().insert(bitmap);
  return bitmap;
}

void FreeScriptBitmap(Bitmap* bitmap) {
  Live().erase(bitmap);
  if (Owned().erase(bitmap)) delete bitmap;
}

void FreeAllScriptBitmaps() {
  for (Bitmap* bitmap : Owned()) {
    Live().erase(bitmap);
    delete bitmap;
  }
  Owned().clear();
}

Bitmap* ScriptBitmap(lua_State* L, int index) {
  auto* bitmap = static_cast<Bitmap*>(args::Handle(L, index));
  return bitmap && Live().count(bitmap) ? bitmap : nullptr;
}

void AdoptScriptBitmap(Bitmap* bitmap) { Live().insert(bitmap); }

void ForgetScriptBitmap(Bitmap* bitmap) { Live().erase(bitmap); }

}  // namespace tarn::gfx
