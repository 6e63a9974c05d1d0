// The script's particle functions. An effect travels as a handle; nil, a
// released or made-up handle and another family's handle all read as no
// effect: "part==NULL", then a script error.
#include <memory>
#include <string>

#include "diag/error.h"
#include "particles/effect.h"
#include "particles/effect_handles.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

using particles::ParticleEffect;

namespace {

ParticleEffect& EffectAt(lua_State* L, int index) {
  ParticleEffect* effect = particles::ScriptEffects().Get(L, index);
  if (!effect) {
    FatalError("%s", fatal_text::kNoParticle);
    args::RaiseScriptError(L);
  }
  return *effect;
}

}  // namespace

// gfx_particle_start(path, x, y) -> effect, or nothing
int gfx_particle_start(lua_State* L) {
  std::string path = args::TextOr(L, 1, std::string());
  std::unique_ptr<ParticleEffect> effect = particles::LoadEffect(path);
  args::RaiseIfErrorView(L);
  if (!effect) return 0;
  particles::SetEffectPosition(*effect, args::Float(L, 2), args::Float(L, 3));
  ScriptHandle handle = particles::ScriptEffects().Add(std::move(effect));
  if (!handle) return 0;  // every slot is taken
  particles::ScriptEffects().Push(L, handle);
  return 1;
}

// gfx_particle_restart(effect)
int gfx_particle_restart(lua_State* L) {
  particles::RestartEffect(EffectAt(L, 1));
  return 0;
}

// gfx_particle_stop(effect, [kill]): with kill true the particles vanish too.
int gfx_particle_stop(lua_State* L) {
  ParticleEffect& effect = EffectAt(L, 1);
  if (lua_isboolean(L, 2) && lua_toboolean(L, 2)) particles::RestartEffect(effect);
  particles::StopEffect(effect);
  return 0;
}

// gfx_particle_update(effect, dt) -> running
int gfx_particle_update(lua_State* L) {
  ParticleEffect& effect = EffectAt(L, 1);
  particles::UpdateEffect(effect, args::Float(L, 2));
  lua_pushboolean(L, particles::EffectRunning(effect));
  return 1;
}

// gfx_particle_render(effect)
int gfx_particle_render(lua_State* L) {
  particles::DrawEffect(EffectAt(L, 1));
  return 0;
}

// gfx_particle_set_pos(effect, x, y)
int gfx_particle_set_pos(lua_State* L) {
  particles::SetEffectPosition(EffectAt(L, 1), args::Float(L, 2), args::Float(L, 3));
  return 0;
}

// gfx_particle_set_angle(effect, angle)
int gfx_particle_set_angle(lua_State* L) {
  particles::SetEffectAngle(EffectAt(L, 1), args::Float(L, 2));
  return 0;
}

// gfx_particle_release(effect)
int gfx_particle_release(lua_State* L) {
  EffectAt(L, 1);
  particles::ScriptEffects().Release(particles::ScriptEffects().At(L, 1));
  return 0;
}

}  // namespace tarn::api
