// Mixer benchmark: 64 looping voices into a 48 kHz stereo output, each at its
// own volume, half of them from 44.1 kHz sources (resampled once, when the
// source is added) and half from 48 kHz sources. Reports the time to mix one
// second of audio on one core, and the latency from Play to the first mixed
// sample.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/mixer_engine.h"

namespace {

using namespace tarn;

// An output pulled by hand, one device buffer at a time.
class ManualOutput : public AudioOutput {
 public:
  const AudioFormat& Format() const override { return format_; }
  void Start(AudioPull pull) override { pull_ = std::move(pull); }
  void Pull(float* out) { pull_(out, format_.bufferFrames); }

 private:
  AudioFormat format_;  // 48 kHz stereo, 1024 frames a buffer
  AudioPull pull_;
};

void Put32(std::string& out, uint32_t value) { out.append(reinterpret_cast<const char*>(&value), 4); }
void Put16(std::string& out, uint16_t value) { out.append(reinterpret_cast<const char*>(&value), 2); }

// A float WAV of a stereo tone (a cosine: its first sample is not 0).
std::string ToneWav(int rate, double frequency, double seconds) {
  auto frames = static_cast<uint32_t>(rate * seconds);
  std::string wav = "RIFF";
  Put32(wav, 36 + frames * 8);
  wav += "WAVEfmt ";
  Put32(wav, 16);
  Put16(wav, 3);  // IEEE float
  Put16(wav, 2);
  Put32(wav, static_cast<uint32_t>(rate));
  Put32(wav, static_cast<uint32_t>(rate) * 8);
  Put16(wav, 8);
  Put16(wav, 32);
  wav += "data";
  Put32(wav, frames * 8);
  for (uint32_t i = 0; i < frames; ++i) {
    float value = 0.1f * static_cast<float>(std::cos(2 * M_PI * frequency * i / rate));
    for (int c = 0; c < 2; ++c) wav.append(reinterpret_cast<const char*>(&value), 4);
  }
  return wav;
}

// Frames from Play to the first sample the mixer gives out of the voice.
int LatencyFrames(audio::SoundEngine& engine, ManualOutput& output, audio::SourceId source) {
  std::vector<float> buffer(static_cast<size_t>(output.Format().bufferFrames) * 2);
  audio::PlaybackId playback = engine.Play(source, true, false);
  int frames = -1;
  for (int pull = 0; pull < 8 && frames < 0; ++pull) {
    output.Pull(buffer.data());
    for (int i = 0; i < output.Format().bufferFrames; ++i) {
      if (buffer[static_cast<size_t>(i) * 2] != 0.0f) {
        frames = pull * output.Format().bufferFrames + i;
        break;
      }
    }
  }
  engine.Stop(playback);
  engine.Release(playback);
  return frames;
}

}  // namespace

int main() {
  auto owned = std::make_unique<ManualOutput>();
  ManualOutput& output = *owned;
  auto engine = audio::CreateSoundEngineOn(std::move(owned));
  const int rates[] = {44100, 48000};
  audio::SourceId sources[2];
  for (int i = 0; i < 2; ++i) {
    std::string wav = ToneWav(rates[i], 220.0 * (i + 1), 2.0);
    sources[i] = engine->AddSource(wav.data(), wav.size(), "tone" + std::to_string(i));
    if (sources[i] == 0) {
      fprintf(stderr, "audio bench: the tone did not decode\n");
      return 1;
    }
  }
  const AudioFormat& format = output.Format();
  printf("mixer: 64 looping voices into 48 kHz stereo, 32 from 44.1 kHz sources (resampled when added), 32 from 48 kHz\n");
  int latency[2] = {LatencyFrames(*engine, output, sources[0]), LatencyFrames(*engine, output, sources[1])};

  std::vector<audio::PlaybackId> voices;
  for (int v = 0; v < 64; ++v) {
    audio::PlaybackId playback = engine->Play(sources[v % 2], true, false);
    engine->SetVolume(playback, 0.2f + 0.01f * static_cast<float>(v));
    voices.push_back(playback);
  }
  std::vector<float> buffer(static_cast<size_t>(format.bufferFrames) * 2);
  const double seconds = 20.0;
  int pulls = static_cast<int>(seconds * format.rate / format.bufferFrames);
  for (int i = 0; i < 50; ++i) output.Pull(buffer.data());  // warm-up
  auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < pulls; ++i) output.Pull(buffer.data());
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  double mixedSeconds = static_cast<double>(pulls) * format.bufferFrames / format.rate;
  double bufferMs = 1000.0 * format.bufferFrames / format.rate;
  printf("%-58s %10.2f ms (target < 20)\n", "time to mix one second of audio", 1000 * elapsed / mixedSeconds);
  for (int i = 0; i < 2; ++i) {
    printf("latency Play -> first mixed sample, %s %10d frames = %.2f ms (one buffer: %d frames, %.2f ms)\n",
           i == 0 ? "resampled" : "direct   ", latency[i], 1000.0 * latency[i] / format.rate, format.bufferFrames,
           bufferMs);
  }
  for (audio::PlaybackId playback : voices) engine->Release(playback);
  return 0;
}
