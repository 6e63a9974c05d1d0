// The Bitmap handles scripts hold. Handles travel as light userdata; only
// handles this registry handed out and that are still alive are accepted, so
// a released or forged value reads as "no bitmap" instead of freed memory.
#pragma once

#include <lua.hpp>

#include "graphics/texture.h"

namespace tarn::gfx {

Bitmap* NewScriptBitmap();
void FreeScriptBitmap(Bitmap* bitmap);
// Frees the handles the script never released, once their textures are gone.
void FreeAllScriptBitmaps();
// The live handle at the stack index, or null.
Bitmap* ScriptBitmap(lua_State* L, int index);
// Registers a handle the engine owns (such as the static render target) so
// scripts can pass it back.
void AdoptScriptBitmap(Bitmap* bitmap);
void ForgetScriptBitmap(Bitmap* bitmap);

}  // namespace tarn::gfx
