// A sound engine that only records: what was played, at which volume, what
// was stopped and released, and which stop notices wait for DispatchEvents.
// A source's data is text: "length N" gives a play length of N ms; anything
// else cannot be decoded. Calls on a released playback count as misuse.
#pragma once

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "audio/sound_engine.h"

namespace tarn::testing {

class FakeSoundEngine : public audio::SoundEngine {
 public:
  struct Playback {
    audio::SourceId source = 0;
    std::string file;  // for streamed music
    bool looped = false;
    bool paused = false;
    float volume = -1;  // never set
    bool finished = false;
    bool stoppedByUser = false;
    bool released = false;
    audio::StopReceiver* receiver = nullptr;
    void* user = nullptr;
  };
  struct Source {
    std::string name;
    int lengthMs = -1;
    bool removed = false;
  };

  // The engine the last factory call made, null once it is destroyed.
  static FakeSoundEngine*& Current() {
    static FakeSoundEngine* current = nullptr;
    return current;
  }
  static int& Unreleased() {  // playbacks the last destroyed engine still held
    static int count = 0;
    return count;
  }
  static std::unique_ptr<audio::SoundEngine> Make() { return std::make_unique<FakeSoundEngine>(); }

  FakeSoundEngine() { Current() = this; }
  ~FakeSoundEngine() override {
    Unreleased() = 0;
    for (auto& [id, playback] : playbacks) Unreleased() += playback.released ? 0 : 1;
    if (Current() == this) Current() = nullptr;
  }

  audio::SourceId AddSource(const void* data, size_t size, const std::string& name) override {
    std::string text(static_cast<const char*>(data), size);
    for (auto& [id, source] : sources)
      if (!source.removed && source.name == name) return 0;
    if (text.rfind("length ", 0) != 0) return 0;
    sources[++lastSource] = Source{name, std::atoi(text.c_str() + 7), false};
    return lastSource;
  }
  void RemoveSource(audio::SourceId id) override {
    if (!sources.count(id) || sources[id].removed) ++misuse;
    sources[id].removed = true;
    for (auto& [pid, playback] : playbacks)
      if (playback.source == id && !playback.finished) End(pid, audio::StopCause::kSourceRemoved);
  }
  int PlayLength(audio::SourceId id) override { return sources.count(id) ? sources[id].lengthMs : -1; }

  audio::PlaybackId Play(audio::SourceId source, bool looped, bool startPaused) override {
    if (!sources.count(source) || sources[source].removed) return 0;
    return Add(Playback{source, "", looped, startPaused});
  }
  audio::PlaybackId PlayFile(const std::string& name, bool looped, bool startPaused) override {
    if (name.find("undecodable") != std::string::npos) return 0;
    files.push_back(name);
    return Add(Playback{0, name, looped, startPaused});
  }
  void SetOpener(audio::FileOpener installed) override { opener = installed; }

  void SetVolume(audio::PlaybackId id, float volume) override { Live(id).volume = volume; }
  void SetPaused(audio::PlaybackId id, bool paused) override { Live(id).paused = paused; }
  void Stop(audio::PlaybackId id) override {
    Playback& playback = Live(id);
    if (playback.finished) return;
    playback.stoppedByUser = true;
    End(id, audio::StopCause::kStoppedByUser);
  }
  bool IsFinished(audio::PlaybackId id) override {
    return !playbacks.count(id) || playbacks[id].released || playbacks[id].finished;
  }
  void SetStopReceiver(audio::PlaybackId id, audio::StopReceiver* receiver, void* user) override {
    Playback& playback = Live(id);
    playback.receiver = receiver;
    playback.user = user;
  }
  void Release(audio::PlaybackId id) override { Live(id).released = true; }
  void PauseAll() override { ++pauseCalls; }
  void ResumeAll() override { ++resumeCalls; }
  void DispatchEvents() override {
    std::vector<std::pair<audio::PlaybackId, audio::StopCause>> due;
    due.swap(queue);
    for (auto& [id, cause] : due) {
      auto found = playbacks.find(id);
      if (found != playbacks.end() && found->second.receiver)
        found->second.receiver->OnStopped(id, cause, found->second.user);
    }
  }

  // The test's side: a playback ends by itself.
  void Finish(audio::PlaybackId id) {
    if (!playbacks[id].finished) End(id, audio::StopCause::kFinished);
  }
  // Drops the released playbacks and their pending notices, so that a test's
  // next case counts afresh.
  void ForgetReleased() {
    for (auto it = playbacks.begin(); it != playbacks.end();)
      it = it->second.released ? playbacks.erase(it) : std::next(it);
    std::vector<std::pair<audio::PlaybackId, audio::StopCause>> kept;
    for (auto& event : queue)
      if (playbacks.count(event.first)) kept.push_back(event);
    queue.swap(kept);
    files.clear();
  }
  // The playbacks of one source name or music file, oldest first.
  std::vector<audio::PlaybackId> Of(const std::string& name) const {
    std::vector<audio::PlaybackId> found;
    for (auto& [id, playback] : playbacks) {
      bool match = playback.source ? sources.at(playback.source).name == name : playback.file == name;
      if (match) found.push_back(id);
    }
    return found;
  }
  Playback& At(audio::PlaybackId id) { return playbacks.at(id); }

  std::map<audio::SourceId, Source> sources;
  std::map<audio::PlaybackId, Playback> playbacks;
  std::vector<std::string> files;
  std::vector<std::pair<audio::PlaybackId, audio::StopCause>> queue;
  audio::FileOpener opener = nullptr;
  int misuse = 0;
  int pauseCalls = 0;
  int resumeCalls = 0;

 private:
  audio::PlaybackId Add(const Playback& playback) {
    playbacks[++lastPlayback] = playback;
    return lastPlayback;
  }
  Playback& Live(audio::PlaybackId id) {
    static Playback dead;
    if (!playbacks.count(id) || playbacks[id].released) {
      ++misuse;
      return dead;
    }
    return playbacks[id];
  }
  void End(audio::PlaybackId id, audio::StopCause cause) {
    playbacks[id].finished = true;
    queue.emplace_back(id, cause);
  }

  audio::SourceId lastSource = 0;
  audio::PlaybackId lastPlayback = 0;
};

}  // namespace tarn::testing
