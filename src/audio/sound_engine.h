// The sound engine the sound system plays on: sources decoded from memory,
// playbacks of sources and of files opened by name, per-playback volume,
// pause, stop, finished state, and a stop notice with its cause.
//
// Every call is made on the main thread. The mixer runs on a thread of its
// own (or, headless, when the clock is pumped); the stop notices it raises
// are queued and delivered by DispatchEvents on the main thread, so that the
// receivers never run concurrently with the code that reads their slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarn::audio {

// 0 is no source and no playback. A playback id stays valid until Release;
// a released playback plays on to its end unless it was stopped.
using SourceId = uint32_t;
using PlaybackId = uint32_t;

enum class StopCause { kFinished, kSourceRemoved, kStoppedByUser };

class StopReceiver {
 public:
  virtual ~StopReceiver() = default;
  // Called once per playback that stops, from DispatchEvents, unless the
  // receiver was removed before. A playback stopped with Stop reports
  // kStoppedByUser.
  virtual void OnStopped(PlaybackId playback, StopCause cause, void* user) = 0;
};

// A file the engine streams, opened by name through the opener the sound
// system installs (over the virtual file system).
class ReadFile {
 public:
  virtual ~ReadFile() = default;
  virtual int64_t Read(void* buffer, int64_t count) = 0;        // bytes read
  virtual bool Seek(int64_t position, bool relative) = 0;       // still good
  virtual int64_t Size() const = 0;
  virtual int64_t Position() = 0;                               // -1 after a failure
  virtual const std::string& Name() const = 0;
};
using FileOpener = std::unique_ptr<ReadFile> (*)(const std::string& name);

class SoundEngine {
 public:
  virtual ~SoundEngine() = default;

  // Decodes the data once (the caller's buffer is not kept). 0 when it cannot
  // be decoded or the name is taken.
  virtual SourceId AddSource(const void* data, size_t size, const std::string& name) = 0;
  // Stops the source's playbacks (cause kSourceRemoved) and frees it.
  virtual void RemoveSource(SourceId source) = 0;
  // The source's length in milliseconds; -1 when unknown.
  virtual int PlayLength(SourceId source) = 0;

  virtual PlaybackId Play(SourceId source, bool looped, bool startPaused) = 0;
  // Streams the file through the opener; 0 when it cannot be opened or decoded.
  virtual PlaybackId PlayFile(const std::string& name, bool looped, bool startPaused) = 0;
  virtual void SetOpener(FileOpener opener) = 0;

  virtual void SetVolume(PlaybackId playback, float volume) = 0;  // 0..1
  virtual void SetPaused(PlaybackId playback, bool paused) = 0;
  virtual void Stop(PlaybackId playback) = 0;
  virtual bool IsFinished(PlaybackId playback) = 0;  // also true for an unknown id
  // Null removes the receiver.
  virtual void SetStopReceiver(PlaybackId playback, StopReceiver* receiver, void* user) = 0;
  virtual void Release(PlaybackId playback) = 0;
  virtual void PauseAll() = 0;
  virtual void ResumeAll() = 0;

  // Delivers the queued stop notices to their receivers.
  virtual void DispatchEvents() = 0;
};

// The engine on the platform's audio output; null when there is none.
std::unique_ptr<SoundEngine> CreateSoundEngine();

}  // namespace tarn::audio
