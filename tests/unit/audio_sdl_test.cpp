// The real SDL output, end to end on SDL's file-writing audio driver: the
// samples it wrote hold the tone that was played.
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <thread>

#include "audio_support.h"
#include "platform/sdl/sdl_platform.h"

namespace tarn::testing {
namespace {

TEST(AudioSdl, TheDiskDriverWritesTheTone) {
  TempDir dir;
  std::string file = dir.path() + "/out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  Platform::Install(std::make_unique<SdlPlatform>());
  auto engine = audio::CreateSoundEngine();
  ASSERT_NE(nullptr, engine);
  ToneSpec tone;
  tone.rate = 44100;  // resampled to the device's 48 kHz
  tone.frequency = 1000;
  tone.seconds = 0.3;
  std::string wav = FloatWav(tone);
  audio::SourceId source = engine->AddSource(wav.data(), wav.size(), "tone.wav");
  audio::PlaybackId playback = engine->Play(source, false, true);
  engine->SetVolume(playback, 0.5f);
  engine->SetPaused(playback, false);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!engine->IsFinished(playback) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(engine->IsFinished(playback));
  engine.reset();
  Platform::Install(nullptr);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  // The device was asked for 48 kHz stereo float32, which the disk driver takes.
  std::string bytes = ReadFile(file);
  std::vector<float> written(bytes.size() / sizeof(float));
  std::memcpy(written.data(), bytes.data(), written.size() * sizeof(float));
  std::vector<float> left = Channel(written, 2, 0);
  size_t first = 0;
  while (first < left.size() && left[first] == 0.0f) ++first;
  ASSERT_LT(first + 48000 * 3 / 10, left.size());
  std::vector<float> heard(left.begin() + static_cast<std::ptrdiff_t>(first),
                           left.begin() + static_cast<std::ptrdiff_t>(first + 48000 * 28 / 100));
  EXPECT_NEAR(1000.0, ToneFrequency(heard, 48000), 1.0);
  EXPECT_NEAR(0.25, Peak(heard), 0.01);
}

}  // namespace
}  // namespace tarn::testing
