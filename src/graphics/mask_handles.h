// The collision mask handles scripts hold (see script/handles.h).
#pragma once

#include "graphics/collision_mask.h"
#include "script/handles.h"

namespace tarn::gfx {

inline HandleSet<CollisionMask>& ScriptMasks() {
  static HandleSet<CollisionMask> masks(HandleKind::kMask);
  return masks;
}

// Frees the handles the script never released, once their data is gone.
inline void FreeAllScriptMasks() { ScriptMasks().ReleaseOwned(); }

}  // namespace tarn::gfx
