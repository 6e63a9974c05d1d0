#include "audio/mixer_engine.h"

#include <map>
#include <set>
#include <utility>

#include "audio/decoder.h"
#include "audio/mixer.h"
#include "platform/platform.h"

namespace tarn::audio {

namespace {

struct Source {
  std::shared_ptr<const DecodedSound> sound;
  std::string name;
};

struct Receiver {
  StopReceiver* receiver;
  void* user;
};

class MixerEngine : public SoundEngine {
 public:
  explicit MixerEngine(std::unique_ptr<AudioOutput> output)
      : format_(output->Format()), mixer_(format_), output_(std::move(output)) {
    output_->Start([this](float* out, int frames) { mixer_.Mix(out, frames); });
  }
  ~MixerEngine() override {
    output_.reset();  // nothing pulls from here on
    mixer_.TakeAll();
  }
  MixerEngine(const MixerEngine&) = delete;
  MixerEngine& operator=(const MixerEngine&) = delete;

  SourceId AddSource(const void* data, size_t size, const std::string& name) override {
    if (names_.count(name) != 0) return 0;
    // Converted to the output's format once, here, so that mixing only copies.
    std::shared_ptr<const DecodedSound> sound = ConvertSound(DecodeWhole(data, size), format_);
    if (!sound) return 0;
    do {
      ++lastSource_;
    } while (lastSource_ == 0 || sources_.count(lastSource_) != 0);
    sources_[lastSource_] = {std::move(sound), name};
    names_.insert(name);
    return lastSource_;
  }

  void RemoveSource(SourceId source) override {
    auto it = sources_.find(source);
    if (it == sources_.end()) return;
    mixer_.StopSound(it->second.sound.get());
    names_.erase(it->second.name);
    sources_.erase(it);
  }

  int PlayLength(SourceId source) override {
    auto it = sources_.find(source);
    if (it == sources_.end()) return -1;
    const DecodedSound& sound = *it->second.sound;
    int64_t ms = sound.Frames() * 1000 / sound.rate;
    return ms <= INT32_MAX ? static_cast<int>(ms) : -1;
  }

  PlaybackId Play(SourceId source, bool looped, bool startPaused) override {
    auto it = sources_.find(source);
    if (it == sources_.end()) return 0;
    return mixer_.Add(Voice::OfSource(it->second.sound, looped, format_), startPaused);
  }

  PlaybackId PlayFile(const std::string& name, bool looped, bool startPaused) override {
    if (!opener_) return 0;
    return mixer_.Add(Voice::OfStream(StreamDecoder::Open(opener_(name)), looped, format_), startPaused);
  }

  void SetOpener(FileOpener opener) override { opener_ = opener; }
  void SetVolume(PlaybackId playback, float volume) override { mixer_.SetVolume(playback, volume); }
  void SetPaused(PlaybackId playback, bool paused) override { mixer_.SetPaused(playback, paused); }
  void Stop(PlaybackId playback) override { mixer_.Stop(playback, StopCause::kStoppedByUser); }
  bool IsFinished(PlaybackId playback) override { return mixer_.IsFinished(playback); }

  void SetStopReceiver(PlaybackId playback, StopReceiver* receiver, void* user) override {
    // A playback that has just ended may still have its notice queued.
    if (receiver) {
      receivers_[playback] = {receiver, user};
    } else {
      receivers_.erase(playback);
    }
  }

  void Release(PlaybackId playback) override {
    receivers_.erase(playback);
    mixer_.Release(playback);  // an ended voice is destroyed here, on this thread
  }

  void PauseAll() override { mixer_.PauseAll(true); }
  void ResumeAll() override { mixer_.PauseAll(false); }

  void DispatchEvents() override {
    mixer_.TakeEnded();
    for (const StopNotice& notice : mixer_.TakeNotices()) {
      auto it = receivers_.find(notice.playback);
      if (it == receivers_.end()) continue;
      Receiver receiver = it->second;
      receivers_.erase(it);  // once per playback
      receiver.receiver->OnStopped(notice.playback, notice.cause, receiver.user);
    }
  }

 private:
  const AudioFormat format_;
  Mixer mixer_;
  std::unique_ptr<AudioOutput> output_;
  FileOpener opener_ = nullptr;
  std::map<SourceId, Source> sources_;
  std::set<std::string> names_;
  SourceId lastSource_ = 0;
  std::map<PlaybackId, Receiver> receivers_;
};

}  // namespace

std::unique_ptr<SoundEngine> CreateSoundEngineOn(std::unique_ptr<AudioOutput> output) {
  if (!output) return nullptr;
  return std::make_unique<MixerEngine>(std::move(output));
}

std::unique_ptr<SoundEngine> CreateSoundEngine() {
  if (!Platform::Installed()) return nullptr;
  return CreateSoundEngineOn(Platform::Get().OpenAudioOutput());
}

}  // namespace tarn::audio
