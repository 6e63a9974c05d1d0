// The sound system: named sound effects with weighted variants, read from a
// definition file, and music on three channels (the current one and two that
// fade out) with cross-fades. It plays on a SoundEngine it is given at start.
//
// Everything runs on the main thread. The engine's stop notices reach the
// receivers below only from DispatchEvents, which UpdateFades calls first
// thing every frame, so the tracked-playback slots and the music channels are
// never touched from another thread.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_engine.h"

namespace tarn {
struct ParconNode;
}

namespace tarn::audio {

// What the application hands down at start-up.
struct AudioSetup {
  bool disableAudio = false;                         // the disable_audio setting
  std::unique_ptr<SoundEngine> (*createEngine)() = nullptr;  // null or returning null: no engine
  FileOpener opener = nullptr;                       // how the engine opens music files by name
};

struct SoundVariant {
  SourceId source = 0;
  PlaybackId tracked = 0;  // the latest tracked playback, 0 when none
  int weight = 1;
  bool exclusive = false;
  std::string file;        // as written in the definition file
};

struct SoundGroup {
  std::vector<SoundVariant> variants;
  int64_t totalWeight = 0;  // 64 bits: a file's weights cannot overflow it
};

struct MusicChannel {
  PlaybackId sound = 0;
  std::string name;
  float fadeDuration = 0;
  float fadeTime = 0;
  // fadeTime / fadeDuration within 0..1; 1 without a fade.
  float Level() const;
};

class SoundSystem {
 public:
  static constexpr int kChannels = 3;
  static constexpr int kPlayAttempts = 10;
  static constexpr int kTrackedLengthMs = 1000;  // longer one-shots are tracked

  static SoundSystem& Instance();
  SoundSystem();
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  void StartAudio(const AudioSetup& setup);
  void StopAudio();
  bool Enabled() const { return engine_ != nullptr; }
  void PauseAllSounds();
  void ResumeAllSounds();

  // Delivers the engine's stop notices, then advances the music fades.
  void UpdateFades(float dt);

  void LoadSounds(const std::string& path);
  void ReleaseAllSounds();
  void PlaySound(const std::string& name, bool looped, int volume);
  void StopSound(const std::string& name);
  bool IsSoundPlaying(const std::string& name);
  void SetSoundVolume(int volume);
  void SetMusicVolume(int volume);
  int SoundVolume() const { return soundVolume_; }
  int MusicVolume() const { return musicVolume_; }

  void PlayMusic(const std::string& name, bool looped, float fade);
  void StopMusic(float fade, bool keepCurrent);

  // For tests and the sound functions' own checks.
  const MusicChannel& Channel(int index) const { return channels_[index]; }
  const SoundGroup* FindGroup(const std::string& name) const;

 private:
  // The receivers reach the system that set them.
  class Receiver : public StopReceiver {
   public:
    explicit Receiver(SoundSystem& system) : system_(system) {}

   protected:
    SoundSystem& system_;
  };
  // Clears a variant's tracked-playback slot (the user value) when its
  // playback finishes or loses its source.
  class SoundStopReceiver : public Receiver {
    using Receiver::Receiver;
    void OnStopped(PlaybackId playback, StopCause cause, void* user) override;
  };
  // Clears the channel of music that ended by itself and tells the script.
  class MusicStopReceiver : public Receiver {
    using Receiver::Receiver;
    void OnStopped(PlaybackId playback, StopCause cause, void* user) override;
  };
  struct SharedSource {
    SourceId id = 0;
    int users = 0;
  };

  // Definitions.
  void ReadDefinitions(const std::vector<std::unique_ptr<ParconNode>>& root);
  void ReadSound(const std::vector<std::unique_ptr<ParconNode>>& list);
  SoundGroup& NewGroup(const std::string& name);
  void AddVariant(SoundGroup& group, const std::string& file, int weight, bool exclusive);
  void ReleaseGroup(SoundGroup& group);
  SourceId AcquireSource(const std::string& file);
  void ReleaseSource(const std::string& file);

  // Effects.
  bool ExclusivePlaying();
  void PlayVariant(SoundVariant& variant, bool looped, int64_t percent);
  void StopTracked(PlaybackId& slot);

  // Music.
  int FindChannel(const std::string& name) const;
  void StopChannel(int index);
  void StartMusicFile(const std::string& name, bool looped);
  void ApplyChannelVolume(int index);

  SoundStopReceiver soundReceiver_{*this};
  MusicStopReceiver musicReceiver_{*this};
  std::unique_ptr<SoundEngine> engine_;
  std::map<std::string, SoundGroup> sounds_;
  std::map<std::string, SharedSource> sources_;  // by file name; variants may share one
  int soundVolume_ = 100;
  int musicVolume_ = 100;
  std::array<MusicChannel, kChannels> channels_;
};

// A percentage as the engine's volume: 0..1, NaN as 0.
float EngineVolume(double percent);
// A fade in seconds from a script or the game: NaN reads as 0, an infinite
// fade as the longest finite one.
float SaneFade(double seconds);

}  // namespace tarn::audio
