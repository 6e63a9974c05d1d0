// The particle effect handles scripts hold (see script/handles.h).
#pragma once

#include "particles/effect.h"
#include "script/handles.h"

namespace tarn::particles {

inline HandleSet<ParticleEffect>& ScriptEffects() {
  static HandleSet<ParticleEffect> effects(HandleKind::kEffect);
  return effects;
}

// Frees the effects the script never released, with their bitmaps.
inline void FreeAllScriptEffects() { ScriptEffects().ReleaseOwned(); }

}  // namespace tarn::particles
