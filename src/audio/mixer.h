// The mixer: the playing voices summed into the output's frames, each at its
// own volume. The output pulls Mix on its own thread while the main thread
// adds, changes and removes playbacks; both go through one mutex. Voices
// are destroyed only on the main thread (a stream gives its file back to
// the file system), and stop notices wait in a queue for the main thread.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/sound_engine.h"
#include "audio/voice.h"

namespace tarn::audio {

struct StopNotice {
  PlaybackId playback;
  StopCause cause;
};

class Mixer {
 public:
  explicit Mixer(const AudioFormat& format);

  // The output's pull.
  void Mix(float* out, int frames);

  PlaybackId Add(std::unique_ptr<Voice> voice, bool paused);
  void SetVolume(PlaybackId playback, float volume);
  void SetPaused(PlaybackId playback, bool paused);
  void PauseAll(bool paused);
  // Ends the playback with the cause's notice, unless it has already ended.
  void Stop(PlaybackId playback, StopCause cause);
  // Ends, with kSourceRemoved, every playback of the sound.
  void StopSound(const DecodedSound* sound);
  bool IsFinished(PlaybackId playback);
  // The caller is done with the id: an ended voice is handed back for the
  // caller to destroy; one still playing plays on and is handed back by
  // TakeEnded once it ends.
  std::unique_ptr<Voice> Release(PlaybackId playback);
  std::vector<StopNotice> TakeNotices();
  std::vector<std::unique_ptr<Voice>> TakeEnded();
  // Every voice, playing or not (for the engine's end).
  std::vector<std::unique_ptr<Voice>> TakeAll();

 private:
  struct Entry {
    std::unique_ptr<Voice> voice;
    float volume = 1.0f;
    bool paused = false;
    bool ended = false;
    bool released = false;
  };
  // Under the lock: marks the entry ended and queues its notice.
  void End(PlaybackId playback, Entry& entry, StopCause cause);
  void MixBlock(float* out, int frames);

  const AudioFormat format_;
  std::mutex mutex_;
  std::map<PlaybackId, Entry> entries_;
  PlaybackId lastId_ = 0;
  bool allPaused_ = false;
  std::vector<StopNotice> notices_;
  std::vector<PlaybackId> releasedEnded_;
  std::vector<float> scratch_;
};

}  // namespace tarn::audio
