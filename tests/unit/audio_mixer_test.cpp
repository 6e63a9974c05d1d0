// The sound engine on the headless output: what it mixes, sample by sample,
// for volumes, loops, pauses and stops, and the stop notices it delivers.
#include <sndfile.h>

#include <cmath>

#include "audio/game_file.h"
#include "audio_support.h"
#include "platform/headless/headless_platform.h"
#include "resources/filesystem.h"

namespace tarn::testing {
namespace {

using audio::PlaybackId;
using audio::SourceId;
using audio::StopCause;

constexpr int kRate = 48000;  // the headless output's

// The frames [from, from + count) of 'samples' (stereo), times 'volume';
// looped round when 'looped'.
std::vector<float> Expected(const std::vector<float>& samples, size_t from, size_t count, float volume, bool looped) {
  std::vector<float> out(count * 2, 0.0f);
  size_t frames = samples.size() / 2;
  for (size_t i = 0; i < count; ++i) {
    size_t frame = from + i;
    if (looped) frame %= frames;
    if (frame >= frames) break;
    for (size_t c = 0; c < 2; ++c) out[i * 2 + c] = samples[frame * 2 + c] * volume;
  }
  return out;
}

class MixerTest : public AudioTest {
 protected:
  ToneSpec tone_;  // 48 kHz stereo, half a second, amplitude 0.5
  std::vector<float> samples_ = ToneSamples(tone_);
  SourceId AddTone(const std::string& name = "tone.wav") { return Add(FloatWav(tone_), name); }
};

TEST_F(MixerTest, MixesATonesSamplesAtItsVolume) {
  const float volumes[] = {1.0f, 0.5f, 0.25f, 0.0f};
  SourceId source = AddTone();
  ASSERT_NE(0u, source);
  for (float volume : volumes) {
    SCOPED_TRACE(volume);
    PlaybackId playback = engine_->Play(source, false, true);
    ASSERT_NE(0u, playback);
    engine_->SetVolume(playback, volume);
    engine_->SetPaused(playback, false);
    Advance(600);
    std::vector<float> mixed = Mixed();
    ASSERT_EQ(size_t{600 * kRate / 1000 * 2}, mixed.size());
    EXPECT_EQ(Expected(samples_, 0, 28800, volume, false), mixed);
    EXPECT_NEAR(tone_.amplitude * volume, Peak(mixed), 1e-4);
    EXPECT_TRUE(engine_->IsFinished(playback));
    engine_->Release(playback);
  }
}

TEST_F(MixerTest, ClampsVolumes) {
  const struct {
    float set;
    float heard;
  } cases[] = {{2.0f, 1.0f}, {-1.0f, 0.0f}, {NAN, 0.0f}, {0.75f, 0.75f}};
  SourceId source = AddTone();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    PlaybackId playback = engine_->Play(source, false, false);
    engine_->SetVolume(playback, c.set);
    Advance(100);
    EXPECT_EQ(Expected(samples_, 0, 4800, c.heard, false), Mixed());
    engine_->Stop(playback);
    engine_->Release(playback);
  }
}

TEST_F(MixerTest, LoopsRoundWithoutAGap) {
  tone_.seconds = 0.1;
  samples_ = ToneSamples(tone_);
  PlaybackId playback = engine_->Play(AddTone(), true, false);
  Advance(350);
  EXPECT_EQ(Expected(samples_, 0, 16800, 1.0f, true), Mixed());
  EXPECT_FALSE(engine_->IsFinished(playback));
  engine_->Stop(playback);
  EXPECT_TRUE(engine_->IsFinished(playback));
  Advance(50);
  EXPECT_EQ(0.0, Peak(Mixed()));
}

TEST_F(MixerTest, StopNoticesCarryTheirCauseAndWaitForDispatch) {
  const struct {
    const char* name;
    StopCause cause;
    std::function<void(audio::SoundEngine&, SourceId, PlaybackId)> stop;
  } cases[] = {
      {"finished", StopCause::kFinished, [](audio::SoundEngine&, SourceId, PlaybackId) {}},
      {"source removed", StopCause::kSourceRemoved,
       [](audio::SoundEngine& engine, SourceId source, PlaybackId) { engine.RemoveSource(source); }},
      {"stopped", StopCause::kStoppedByUser,
       [](audio::SoundEngine& engine, SourceId, PlaybackId playback) { engine.Stop(playback); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SourceId source = AddTone(c.name);
    PlaybackId playback = engine_->Play(source, false, false);
    NoticeLog log;
    int user = 0;
    engine_->SetStopReceiver(playback, &log, &user);
    Advance(100);
    c.stop(*engine_, source, playback);
    Advance(500);
    EXPECT_TRUE(engine_->IsFinished(playback));
    EXPECT_TRUE(log.entries.empty());  // only DispatchEvents delivers
    engine_->DispatchEvents();
    ASSERT_EQ(1u, log.entries.size());
    EXPECT_EQ(playback, log.entries[0].playback);
    EXPECT_EQ(c.cause, log.entries[0].cause);
    EXPECT_EQ(&user, log.entries[0].user);
    // Once per playback, whatever follows.
    engine_->Stop(playback);
    engine_->RemoveSource(source);
    engine_->DispatchEvents();
    EXPECT_EQ(1u, log.entries.size());
    engine_->Release(playback);
    engine_->RemoveSource(source);
  }
}

TEST_F(MixerTest, ARemovedReceiverHearsNothing) {
  PlaybackId playback = engine_->Play(AddTone(), false, false);
  NoticeLog log;
  engine_->SetStopReceiver(playback, &log, nullptr);
  engine_->Stop(playback);
  engine_->SetStopReceiver(playback, nullptr, nullptr);
  engine_->DispatchEvents();
  EXPECT_TRUE(log.entries.empty());
}

TEST_F(MixerTest, APausedStartIsSilentUntilUnpaused) {
  PlaybackId playback = engine_->Play(AddTone(), false, true);
  Advance(200);
  EXPECT_EQ(0.0, Peak(Mixed()));
  EXPECT_FALSE(engine_->IsFinished(playback));
  engine_->SetPaused(playback, false);
  Advance(100);
  EXPECT_EQ(Expected(samples_, 0, 4800, 1.0f, false), Mixed());
}

TEST_F(MixerTest, PauseAllHoldsEveryPlaybackWhereItWas) {
  PlaybackId playback = engine_->Play(AddTone(), false, false);
  Advance(100);
  EXPECT_EQ(Expected(samples_, 0, 4800, 1.0f, false), Mixed());
  engine_->PauseAll();
  // One started while everything is paused waits too.
  PlaybackId second = engine_->Play(AddTone("second.wav"), false, false);
  Advance(200);
  EXPECT_EQ(0.0, Peak(Mixed()));
  EXPECT_FALSE(engine_->IsFinished(playback));
  engine_->ResumeAll();
  engine_->Stop(second);
  Advance(100);
  EXPECT_EQ(Expected(samples_, 4800, 4800, 1.0f, false), Mixed());
}

TEST_F(MixerTest, AReleasedPlaybackPlaysOn) {
  PlaybackId playback = engine_->Play(AddTone(), false, false);
  engine_->Release(playback);
  EXPECT_TRUE(engine_->IsFinished(playback));  // no longer known
  Advance(600);
  EXPECT_EQ(Expected(samples_, 0, 28800, 1.0f, false), Mixed());
  engine_->DispatchEvents();
}

TEST_F(MixerTest, SourcesByName) {
  std::string wav = FloatWav(tone_);
  SourceId source = Add(wav, "a.wav");
  ASSERT_NE(0u, source);
  EXPECT_EQ(0u, Add(wav, "a.wav"));  // the name is taken
  EXPECT_EQ(0u, Add("not a sound at all", "b.wav"));
  EXPECT_EQ(0u, engine_->AddSource(nullptr, 0, "c.wav"));
  EXPECT_EQ(500, engine_->PlayLength(source));
  EXPECT_EQ(-1, engine_->PlayLength(source + 100));
  EXPECT_EQ(0u, engine_->Play(source + 100, false, false));
  engine_->RemoveSource(source);
  EXPECT_EQ(-1, engine_->PlayLength(source));
  EXPECT_NE(0u, Add(wav, "a.wav"));  // free again
  EXPECT_TRUE(engine_->IsFinished(12345));
}

// Sources are converted once when added, streams as they play: both through
// SDL's audio stream.
TEST_F(MixerTest, ResamplingKeepsTheFrequency) {
  const struct {
    int rate;
    int channels;
    bool streamed;
  } cases[] = {{44100, 2, false}, {22050, 1, false}, {96000, 2, false}, {48000, 1, false},
               {44100, 2, true},  {22050, 1, true},  {48000, 1, true}};
  engine_->SetOpener(audio::OpenGameFile);
  game_.Write("data/readme.txt", "");
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  for (const auto& c : cases) {
    std::string name = "tone" + std::to_string(c.rate) + "_" + std::to_string(c.channels) + ".wav";
    SCOPED_TRACE(name + (c.streamed ? " streamed" : ""));
    ToneSpec tone;
    tone.rate = c.rate;
    tone.channels = c.channels;
    tone.frequency = 1000;
    tone.seconds = 1.0;
    std::string wav = FloatWav(tone);
    game_.Write("data/" + name, wav);
    PlaybackId playback = c.streamed ? engine_->PlayFile(name, false, false) : engine_->Play(Add(wav, name), false, false);
    ASSERT_NE(0u, playback);
    Advance(1100);
    std::vector<float> mixed = Mixed();
    for (int channel = 0; channel < 2; ++channel) {
      // Within the tone: the silence after it would count a crossing.
      std::vector<float> heard = Channel(Frames(mixed, 0, kRate * 9 / 10), 2, channel);
      // SDL's resampler is off by some 0.05% (under a cent) from 44.1 kHz.
      EXPECT_NEAR(1000.0, ToneFrequency(heard, kRate), 1.0);
      EXPECT_NEAR(tone.amplitude, Peak(heard), 0.02);
    }
    // About the tone's length at the output's rate.
    size_t loud = 0;
    for (size_t i = 0; i < mixed.size(); i += 2) loud = std::fabs(mixed[i]) > 0.01f ? i / 2 : loud;
    EXPECT_NEAR(kRate, static_cast<double>(loud), kRate * 0.002);
    EXPECT_TRUE(engine_->IsFinished(playback));
    engine_->Release(playback);
  }
}

TEST(AudioEngine, NoneWithoutAnOutput) {
  HeadlessOptions options;
  options.audio = false;
  Platform::Install(std::make_unique<HeadlessPlatform>(options, stderr));
  EXPECT_EQ(nullptr, audio::CreateSoundEngine());
  Platform::Install(nullptr);
  EXPECT_EQ(nullptr, audio::CreateSoundEngine());
}

}  // namespace
}  // namespace tarn::testing
