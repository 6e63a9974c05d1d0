// The sound system's life: start on an engine, stop, pause and resume, the
// global volumes and the two stop receivers.
#include "audio/sound_system.h"

#include <cfloat>
#include <cmath>

#include "script/lua.h"

namespace tarn::audio {

float EngineVolume(double percent) {
  double volume = percent * 0.01;
  if (!(volume > 0)) return 0;  // also NaN
  return volume >= 1 ? 1.0f : static_cast<float>(volume);
}

float SaneFade(double seconds) {
  if (std::isnan(seconds)) return 0;
  if (seconds > FLT_MAX) return FLT_MAX;
  if (seconds < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(seconds);
}

SoundSystem& SoundSystem::Instance() {
  static SoundSystem system;
  return system;
}

SoundSystem::SoundSystem() = default;

SoundSystem::~SoundSystem() { StopAudio(); }

void SoundSystem::StartAudio(const AudioSetup& setup) {
  if (setup.disableAudio) return;
  if (!engine_ && setup.createEngine) {
    engine_ = setup.createEngine();
    if (engine_) engine_->SetOpener(setup.opener);
  }
  if (!engine_) return;
  for (int i = 0; i < kChannels; ++i) StopChannel(i);
  channels_.fill(MusicChannel());
  SetSoundVolume(100);
  SetMusicVolume(100);
}

void SoundSystem::StopAudio() {
  if (!engine_) return;
  ReleaseAllSounds();
  for (int i = 0; i < kChannels; ++i) StopChannel(i);
  engine_.reset();
}

void SoundSystem::PauseAllSounds() {
  if (engine_) engine_->PauseAll();
}

void SoundSystem::ResumeAllSounds() {
  if (engine_) engine_->ResumeAll();
}

void SoundSystem::SetSoundVolume(int volume) {
  if (!engine_) return;
  soundVolume_ = volume;
  for (auto& [name, group] : sounds_)
    for (SoundVariant& variant : group.variants)
      if (variant.tracked) engine_->SetVolume(variant.tracked, EngineVolume(volume));
}

void SoundSystem::SetMusicVolume(int volume) {
  if (!engine_) return;
  musicVolume_ = volume;
  for (int i = 0; i < kChannels; ++i) ApplyChannelVolume(i);
}

void SoundSystem::SoundStopReceiver::OnStopped(PlaybackId playback, StopCause cause, void* user) {
  if (cause == StopCause::kStoppedByUser || !system_.engine_) return;
  auto* slot = static_cast<PlaybackId*>(user);
  if (*slot != playback) return;
  *slot = 0;
  system_.engine_->Release(playback);
}

void SoundSystem::MusicStopReceiver::OnStopped(PlaybackId playback, StopCause cause, void*) {
  if (cause == StopCause::kStoppedByUser || !system_.engine_) return;
  for (MusicChannel& channel : system_.channels_) {
    if (channel.sound != playback) continue;
    NotifyMusicStopped(channel.name);
    channel.sound = 0;
    channel.name.clear();
    system_.engine_->Release(playback);
    return;
  }
}

}  // namespace tarn::audio
