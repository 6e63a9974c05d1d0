// The script's sound and music functions.
#include "audio/sound_system.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {
namespace {

constexpr double kDefaultFade = 2;  // seconds; also what true means

audio::SoundSystem& Sound() { return audio::SoundSystem::Instance(); }

// A fade given as a flag (true: the default fade, false: none) or in seconds.
float Fade(lua_State* L, int index) {
  if (lua_type(L, index) == LUA_TBOOLEAN) return lua_toboolean(L, index) ? kDefaultFade : 0;
  return audio::SaneFade(args::OptNumber(L, index, kDefaultFade));
}

// Sets the volume when one is given; the volume, 0 while the system is off.
int Volume(lua_State* L, void (audio::SoundSystem::*set)(int), int (audio::SoundSystem::*get)() const) {
  audio::SoundSystem& sound = Sound();
  if (args::HasNumber(L, 1)) (sound.*set)(args::Integer(L, 1));
  lua_pushnumber(L, sound.Enabled() ? (sound.*get)() : 0);
  return 1;
}

}  // namespace

// snd_load(path)
int snd_load(lua_State* L) {
  Sound().LoadSounds(args::TextOr(L, 1, ""));
  args::RaiseIfErrorView(L);
  return 0;
}

// snd_play_sound(name, [looped], [volume])
int snd_play_sound(lua_State* L) {
  Sound().PlaySound(args::TextOr(L, 1, ""), args::OptFlag(L, 2, false), args::OptInteger(L, 3, 100));
  args::RaiseIfErrorView(L);
  return 0;
}

// snd_stop_sound(name)
int snd_stop_sound(lua_State* L) {
  Sound().StopSound(args::TextOr(L, 1, ""));
  return 0;
}

// snd_is_sound_playing(name) -> boolean
int snd_is_sound_playing(lua_State* L) {
  lua_pushboolean(L, Sound().IsSoundPlaying(args::TextOr(L, 1, "")));
  return 1;
}

// snd_play_music(file, [looped], [fade])
int snd_play_music(lua_State* L) {
  Sound().PlayMusic(args::TextOr(L, 1, ""), args::OptFlag(L, 2, true), Fade(L, 3));
  args::RaiseIfErrorView(L);
  return 0;
}

// snd_stop_music([fade])
int snd_stop_music(lua_State* L) {
  Sound().StopMusic(Fade(L, 1), false);
  return 0;
}

// snd_sound_volume([volume]) -> volume
int snd_sound_volume(lua_State* L) {
  return Volume(L, &audio::SoundSystem::SetSoundVolume, &audio::SoundSystem::SoundVolume);
}

// snd_music_volume([volume]) -> volume
int snd_music_volume(lua_State* L) {
  return Volume(L, &audio::SoundSystem::SetMusicVolume, &audio::SoundSystem::MusicVolume);
}

}  // namespace tarn::api
