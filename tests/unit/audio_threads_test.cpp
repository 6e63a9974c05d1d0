// The engine pulled on a thread of its own, as by a device, while the main
// thread plays, changes, stops and releases playbacks: every playback kept
// gets exactly one notice. Built with -fsanitize=thread this shows whether
// the two threads share anything unguarded.
#include <atomic>
#include <chrono>
#include <iterator>
#include <map>
#include <thread>

#include "audio/game_file.h"
#include "audio/mixer_engine.h"
#include "audio_support.h"
#include "resources/filesystem.h"

namespace tarn::testing {
namespace {

using audio::PlaybackId;

// Pulls small buffers back to back until destroyed.
class ThreadedOutput : public AudioOutput {
 public:
  ThreadedOutput() { format_.bufferFrames = 64; }
  ~ThreadedOutput() override {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  const AudioFormat& Format() const override { return format_; }
  void Start(AudioPull pull) override {
    thread_ = std::thread([this, pull] {
      std::vector<float> buffer(static_cast<size_t>(format_.bufferFrames) * 2);
      while (running_) {
        pull(buffer.data(), format_.bufferFrames);
        pulls_.fetch_add(1);
        std::this_thread::yield();  // pulling all the time, so the threads meet often
      }
    });
  }
  std::atomic<int64_t> pulls_{0};

 private:
  AudioFormat format_;
  std::atomic<bool> running_{true};
  std::thread thread_;
};

class AudioThreadTest : public EngineTest {};

TEST_F(AudioThreadTest, MainThreadAndMixerThreadShareNothingUnguarded) {
  auto output = std::make_unique<ThreadedOutput>();
  ThreadedOutput* pulling = output.get();
  auto engine = audio::CreateSoundEngineOn(std::move(output));
  ASSERT_NE(nullptr, engine);
  engine->SetOpener(audio::OpenGameFile);
  ToneSpec tone;
  tone.seconds = 0.01;
  std::string shortTone = FloatWav(tone);
  tone.rate = 44100;
  tone.seconds = 0.3;  // streams overlap: several play at once
  game_.Write("data/stream.wav", FloatWav(tone));
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));

  NoticeLog log;
  std::map<PlaybackId, int> kept;  // playbacks not released: notices expected
  for (int round = 0; round < 200; ++round) {
    audio::SourceId source = engine->AddSource(shortTone.data(), shortTone.size(), "tone" + std::to_string(round));
    ASSERT_NE(0u, source);
    PlaybackId played = engine->Play(source, round % 3 == 0, round % 2 == 0);
    PlaybackId streamed = engine->PlayFile("stream.wav", false, false);
    ASSERT_NE(0u, played);
    ASSERT_NE(0u, streamed);
    for (PlaybackId playback : {played, streamed}) {
      engine->SetStopReceiver(playback, &log, nullptr);
      engine->SetVolume(playback, static_cast<float>(round % 10) / 10);
      kept[playback] = 0;
    }
    engine->SetPaused(played, false);
    // A fade: every playback's volume set in a burst, as the mixer runs.
    for (int step = 0; step < 20; ++step) {
      for (auto it = kept.rbegin(); it != kept.rend() && it != std::next(kept.rbegin(), 8); ++it) {
        engine->SetVolume(it->first, static_cast<float>(step) / 20);
      }
    }
    if (round % 4 == 1) engine->Stop(streamed);
    if (round % 5 == 2) engine->RemoveSource(source);
    if (round % 7 == 3) {
      engine->PauseAll();
      engine->ResumeAll();
    }
    PlaybackId released = engine->Play(source, false, false);
    engine->Release(released);
    (void)engine->IsFinished(played);
    engine->DispatchEvents();
    if (round % 3 == 0) engine->Stop(played);  // the looped ones
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  // Everything ends within the sounds' length; wait for the mixer to get there.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (log.entries.size() < kept.size() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    engine->DispatchEvents();
  }
  for (const auto& entry : log.entries) ++kept[entry.playback];
  for (const auto& [playback, notices] : kept) EXPECT_EQ(1, notices) << playback;
  EXPECT_GT(pulling->pulls_.load(), 0);
  for (const auto& [playback, notices] : kept) engine->Release(playback);
  engine.reset();
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
}

}  // namespace
}  // namespace tarn::testing
