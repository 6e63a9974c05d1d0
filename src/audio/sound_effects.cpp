// Playing sound effects: the weighted choice of a variant, the exclusive
// rule, and the tracking of looped and long playbacks.
#include <cstdlib>

#include "audio/sound_system.h"

namespace tarn::audio {

const SoundGroup* SoundSystem::FindGroup(const std::string& name) const {
  auto found = sounds_.find(name);
  return found == sounds_.end() ? nullptr : &found->second;
}

bool SoundSystem::ExclusivePlaying() {
  for (auto& [name, group] : sounds_)
    for (const SoundVariant& variant : group.variants)
      if (variant.exclusive && variant.tracked && !engine_->IsFinished(variant.tracked)) return true;
  return false;
}

void SoundSystem::PlaySound(const std::string& name, bool looped, int volume) {
  if (!engine_) return;
  auto found = sounds_.find(name);
  if (found == sounds_.end() || found->second.variants.empty()) return;
  SoundGroup& group = found->second;
  // Weights adding up to nothing leave nothing to choose from.
  if (group.totalWeight <= 0) return;
  int64_t percent = static_cast<int64_t>(volume) * soundVolume_ / 100;
  for (int attempt = 0; attempt < kPlayAttempts; ++attempt) {
    int64_t pick = static_cast<int64_t>(std::rand()) % group.totalWeight;
    int64_t running = 0;
    SoundVariant* chosen = nullptr;
    for (SoundVariant& variant : group.variants) {
      running += variant.weight;
      if (running > pick) {
        chosen = &variant;
        break;
      }
    }
    if (!chosen || (chosen->exclusive && ExclusivePlaying())) continue;
    PlayVariant(*chosen, looped, percent);
    return;
  }
}

void SoundSystem::PlayVariant(SoundVariant& variant, bool looped, int64_t percent) {
  if (!variant.source) return;
  PlaybackId playback = engine_->Play(variant.source, looped, true);
  if (!playback) return;
  engine_->SetVolume(playback, EngineVolume(static_cast<double>(percent)));
  engine_->SetPaused(playback, false);
  int length = engine_->PlayLength(variant.source);
  if (!looped && length <= kTrackedLengthMs) {
    // A short one-shot is let go at once: it cannot be stopped or asked after.
    engine_->Release(playback);
    return;
  }
  if (variant.tracked) {
    // The playback tracked before plays on to its end, untracked.
    engine_->SetStopReceiver(variant.tracked, nullptr, nullptr);
    engine_->Release(variant.tracked);
  }
  variant.tracked = playback;
  engine_->SetStopReceiver(playback, &soundReceiver_, &variant.tracked);
}

void SoundSystem::StopTracked(PlaybackId& slot) {
  if (!slot) return;
  engine_->SetStopReceiver(slot, nullptr, nullptr);
  engine_->Stop(slot);
  engine_->Release(slot);
  slot = 0;
}

void SoundSystem::StopSound(const std::string& name) {
  if (!engine_) return;
  auto found = sounds_.find(name);
  if (found == sounds_.end()) return;
  for (SoundVariant& variant : found->second.variants) StopTracked(variant.tracked);
}

bool SoundSystem::IsSoundPlaying(const std::string& name) {
  if (!engine_) return false;
  const SoundGroup* group = FindGroup(name);
  if (!group) return false;
  for (const SoundVariant& variant : group->variants)
    if (variant.tracked && !engine_->IsFinished(variant.tracked)) return true;
  return false;
}

}  // namespace tarn::audio
