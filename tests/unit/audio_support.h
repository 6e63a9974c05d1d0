// Test sounds made here with libsndfile (tones and noise, never files from
// outside), measures of mixed frames, and a fixture with a sound engine on
// the headless platform's output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_engine.h"
#include "platform/headless/headless_audio.h"
#include "test_support.h"

namespace tarn::testing {

struct ToneSpec {
  int rate = 48000;
  int channels = 2;
  double frequency = 440;
  double seconds = 0.5;
  float amplitude = 0.5f;
  bool noise = false;  // white noise of that amplitude instead of a tone
};

// The tone's samples, interleaved, every channel alike.
std::vector<float> ToneSamples(const ToneSpec& tone);
// The tone as a file of libsndfile's 'format' (SF_FORMAT_...); empty when
// libsndfile cannot write it.
std::string EncodeTone(const ToneSpec& tone, int format);
// The float WAV of the tone (lossless: its samples decode exactly).
std::string FloatWav(const ToneSpec& tone);

// The frames [from, from + count) of interleaved stereo; empty when there
// are fewer.
std::vector<float> Frames(const std::vector<float>& stereo, size_t from, size_t count);
// One channel of interleaved frames.
std::vector<float> Channel(const std::vector<float>& frames, int channels, int channel);
// The frequency of a tone from its rising zero crossings.
double ToneFrequency(const std::vector<float>& samples, int rate);
double Peak(const std::vector<float>& samples);
double Rms(const std::vector<float>& samples);

// An EngineTest with a sound engine on the headless output (48 kHz stereo).
class AudioTest : public EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Moves the virtual clock on; the output pulls the frames due.
  void Advance(int milliseconds);
  // The frames mixed since the last call.
  std::vector<float> Mixed();
  audio::SourceId Add(const std::string& bytes, const std::string& name);
  HeadlessAudioOutput& Output();

  std::unique_ptr<audio::SoundEngine> engine_;
};

// Records the stop notices it is given.
struct NoticeLog : audio::StopReceiver {
  struct Entry {
    audio::PlaybackId playback;
    audio::StopCause cause;
    void* user;
  };
  std::vector<Entry> entries;
  void OnStopped(audio::PlaybackId playback, audio::StopCause cause, void* user) override {
    entries.push_back({playback, cause, user});
  }
};

}  // namespace tarn::testing
