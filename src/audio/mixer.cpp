#include "audio/mixer.h"

#include <algorithm>

namespace tarn::audio {

namespace {
constexpr int kBlockFrames = 1024;
}

Mixer::Mixer(const AudioFormat& format)
    : format_(format), scratch_(static_cast<size_t>(kBlockFrames) * static_cast<size_t>(format.channels)) {}

void Mixer::Mix(float* out, int frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fill(out, out + static_cast<size_t>(frames) * static_cast<size_t>(format_.channels), 0.0f);
  for (int done = 0; done < frames; done += kBlockFrames) {
    MixBlock(out + static_cast<size_t>(done) * static_cast<size_t>(format_.channels),
             std::min(kBlockFrames, frames - done));
  }
  for (float* sample = out; sample != out + static_cast<size_t>(frames) * static_cast<size_t>(format_.channels);
       ++sample) {
    *sample = std::clamp(*sample, -1.0f, 1.0f);
  }
}

void Mixer::MixBlock(float* out, int frames) {
  if (allPaused_) return;
  size_t samples = static_cast<size_t>(frames) * static_cast<size_t>(format_.channels);
  for (auto& [id, entry] : entries_) {
    if (entry.ended || entry.paused) continue;
    int got = entry.voice->Render(scratch_.data(), frames);
    float volume = entry.volume;
    size_t gotSamples = static_cast<size_t>(got) * static_cast<size_t>(format_.channels);
    for (size_t i = 0; i < gotSamples && i < samples; ++i) out[i] += scratch_[i] * volume;
    if (got < frames && entry.voice->Ended()) End(id, entry, StopCause::kFinished);
  }
}

void Mixer::End(PlaybackId playback, Entry& entry, StopCause cause) {
  if (entry.ended) return;
  entry.ended = true;
  if (entry.released) {
    releasedEnded_.push_back(playback);
  } else {
    notices_.push_back({playback, cause});
  }
}

PlaybackId Mixer::Add(std::unique_ptr<Voice> voice, bool paused) {
  if (!voice) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  // Ids are not reused while in use; 0 is never one.
  do {
    ++lastId_;
  } while (lastId_ == 0 || entries_.count(lastId_) != 0);
  Entry& entry = entries_[lastId_];
  entry.voice = std::move(voice);
  entry.paused = paused;
  return lastId_;
}

void Mixer::SetVolume(PlaybackId playback, float volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(playback);
  // NaN falls to 0 with the clamp's comparisons written this way round.
  if (it != entries_.end()) it->second.volume = volume >= 0.0f ? std::min(volume, 1.0f) : 0.0f;
}

void Mixer::SetPaused(PlaybackId playback, bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(playback);
  if (it != entries_.end()) it->second.paused = paused;
}

void Mixer::PauseAll(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  allPaused_ = paused;
}

void Mixer::Stop(PlaybackId playback, StopCause cause) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(playback);
  if (it == entries_.end() || it->second.released) return;
  End(playback, it->second, cause);
}

void Mixer::StopSound(const DecodedSound* sound) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [id, entry] : entries_) {
    if (entry.voice->Sound() != sound) continue;
    End(id, entry, StopCause::kSourceRemoved);
    entry.voice->Cut();
  }
}

bool Mixer::IsFinished(PlaybackId playback) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(playback);
  return it == entries_.end() || it->second.released || it->second.ended;
}

std::unique_ptr<Voice> Mixer::Release(PlaybackId playback) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(playback);
  if (it == entries_.end() || it->second.released) return nullptr;
  if (!it->second.ended) {
    it->second.released = true;
    return nullptr;
  }
  std::unique_ptr<Voice> voice = std::move(it->second.voice);
  entries_.erase(it);
  return voice;
}

std::vector<StopNotice> Mixer::TakeNotices() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<StopNotice> notices;
  notices.swap(notices_);
  return notices;
}

std::vector<std::unique_ptr<Voice>> Mixer::TakeEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::unique_ptr<Voice>> ended;
  for (PlaybackId id : releasedEnded_) {
    auto it = entries_.find(id);
    if (it == entries_.end()) continue;
    ended.push_back(std::move(it->second.voice));
    entries_.erase(it);
  }
  releasedEnded_.clear();
  return ended;
}

std::vector<std::unique_ptr<Voice>> Mixer::TakeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::unique_ptr<Voice>> all;
  for (auto& [id, entry] : entries_) all.push_back(std::move(entry.voice));
  entries_.clear();
  notices_.clear();
  releasedEnded_.clear();
  return all;
}

}  // namespace tarn::audio
