// Music on three channels: channel 0 plays the current piece and fades it in,
// channels 1 and 2 fade out the pieces before it. A piece asked for again is
// taken back from where it is, at its present level.
#include <strings.h>

#include "audio/sound_system.h"
#include "diag/log.h"
#include "resources/filesystem.h"

namespace tarn::audio {

float MusicChannel::Level() const {
  if (!(fadeDuration > 0)) return 1;
  float level = fadeTime / fadeDuration;
  if (!(level > 0)) return 0;  // also NaN
  return level > 1 ? 1 : level;
}

int SoundSystem::FindChannel(const std::string& name) const {
  for (int i = 0; i < kChannels; ++i)
    if (channels_[i].sound && strcasecmp(channels_[i].name.c_str(), name.c_str()) == 0) return i;
  return -1;
}

void SoundSystem::StopChannel(int index) {
  MusicChannel& channel = channels_[index];
  if (channel.sound) {
    engine_->SetStopReceiver(channel.sound, nullptr, nullptr);
    engine_->Stop(channel.sound);
    engine_->Release(channel.sound);
  }
  channel.sound = 0;
  channel.name.clear();
}

void SoundSystem::ApplyChannelVolume(int index) {
  const MusicChannel& channel = channels_[index];
  if (channel.sound) engine_->SetVolume(channel.sound, EngineVolume(channel.Level() * musicVolume_));
}

void SoundSystem::PlayMusic(const std::string& name, bool looped, float fade) {
  if (!engine_) return;
  fade = SaneFade(fade);
  MusicChannel& current = channels_[0];
  int found = FindChannel(name);
  if (found == 0) {
    current.fadeTime = current.Level() * fade;
    current.fadeDuration = fade;
    StopMusic(fade, true);
    return;
  }
  if (found < 0) {
    StopMusic(fade, false);
    current.fadeTime = 0.01f;
    current.fadeDuration = fade;
    StartMusicFile(name, looped);
    return;
  }
  MusicChannel fading = channels_[found];
  float level = fading.Level();
  channels_[found] = MusicChannel();
  StopMusic(fade, false);
  current = fading;
  current.fadeTime = fade * level;
  current.fadeDuration = fade;
}

void SoundSystem::StartMusicFile(const std::string& name, bool looped) {
  MusicChannel& current = channels_[0];
  if (!FileSystem::Instance().Exists(name, true)) {
    LogWarning("Music file not found <%s>", name.c_str());
    return;
  }
  current.name = name;
  current.sound = engine_->PlayFile(name, looped, true);
  if (!current.sound) {
    current.name.clear();
    return;
  }
  engine_->SetStopReceiver(current.sound, &musicReceiver_, this);
  ApplyChannelVolume(0);
  engine_->SetPaused(current.sound, false);
}

void SoundSystem::StopMusic(float fade, bool keepCurrent) {
  if (!engine_) return;
  fade = SaneFade(fade);
  if (!(fade > 0)) {
    for (int i = keepCurrent ? 1 : 0; i < kChannels; ++i) StopChannel(i);
    return;
  }
  int quietest = 1;
  float quietestLevel = 2;
  for (int i = 1; i < kChannels; ++i) {
    MusicChannel& channel = channels_[i];
    float level = 0;
    if (channel.sound) {
      level = channel.Level();
      channel.fadeDuration = fade;
      channel.fadeTime = fade * level;
    }
    if (level < quietestLevel) {
      quietest = i;
      quietestLevel = level;
    }
  }
  MusicChannel& current = channels_[0];
  if (keepCurrent || !current.sound) return;
  if (quietestLevel > current.Level()) {
    StopChannel(0);
    return;
  }
  StopChannel(quietest);
  MusicChannel& target = channels_[quietest];
  target.sound = current.sound;
  target.name = current.name;
  target.fadeDuration = fade;
  target.fadeTime = fade * current.Level();
  current = MusicChannel();
}

void SoundSystem::UpdateFades(float dt) {
  if (!engine_) return;
  engine_->DispatchEvents();
  for (int i = 0; i < kChannels; ++i) {
    MusicChannel& channel = channels_[i];
    if (!channel.sound || !(channel.fadeDuration > 0)) continue;
    if (i == 0) {
      channel.fadeTime += dt;
      if (channel.fadeTime >= channel.fadeDuration) channel.fadeTime = channel.fadeDuration = 0;
    } else {
      channel.fadeTime -= dt;
      if (channel.fadeTime <= 0) StopChannel(i);
    }
  }
  for (int i = 0; i < kChannels; ++i) ApplyChannelVolume(i);
}

}  // namespace tarn::audio
