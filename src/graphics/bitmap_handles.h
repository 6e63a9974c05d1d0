// The Bitmap handles scripts hold (see script/handles.h).
#pragma once

#include "graphics/texture.h"
#include "script/handles.h"

namespace tarn::gfx {

HandleSet<Bitmap>& ScriptBitmaps();

// Frees the handles the script never released, once their textures are gone.
inline void FreeAllScriptBitmaps() { ScriptBitmaps().ReleaseOwned(); }

}  // namespace tarn::gfx
