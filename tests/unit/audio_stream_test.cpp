// Files streamed by name through the opener, from folders and pack archives:
// decoded in pieces as they play, looped or not, and damaged files handled.
#include <sndfile.h>

#include "audio/game_file.h"
#include "audio_support.h"
#include "pack/pack_write.h"
#include "resources/filesystem.h"

namespace tarn::testing {
namespace {

using audio::PlaybackId;
using audio::StopCause;

constexpr int kRate = 48000;

class StreamTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    engine_->SetOpener(audio::OpenGameFile);
  }
  // Puts the files into a pack archive and mounts it.
  void MountPack(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& file : files) game_.Write("src/" + file.first, file.second);
    std::string error;
    ASSERT_TRUE(WritePackFromFolder(game_.path() + "/src", game_.path() + "/music.pak", PackWriteOptions(), &error))
        << error;
    ASSERT_TRUE(FileSystem::Instance().Mount("music.pak"));
  }
};

TEST_F(StreamTest, PlaysAFileFromAPack) {
  ToneSpec tone;
  tone.rate = 44100;
  tone.seconds = 1.0;
  MountPack({{"music/song.ogg", EncodeTone(tone, SF_FORMAT_OGG | SF_FORMAT_VORBIS)}});
  size_t streams = FileSystem::Instance().OpenStreamCount();
  PlaybackId playback = engine_->PlayFile("music/song.ogg", false, false);
  ASSERT_NE(0u, playback);
  NoticeLog log;
  engine_->SetStopReceiver(playback, &log, nullptr);
  Advance(1200);
  std::vector<float> left = Channel(Mixed(), 2, 0);
  std::vector<float> middle(left.begin() + kRate / 5, left.begin() + kRate * 4 / 5);
  EXPECT_NEAR(440.0, ToneFrequency(middle, kRate), 1.0);
  EXPECT_NEAR(tone.amplitude, Peak(middle), 0.05);
  EXPECT_TRUE(engine_->IsFinished(playback));
  engine_->DispatchEvents();
  ASSERT_EQ(1u, log.entries.size());
  EXPECT_EQ(StopCause::kFinished, log.entries[0].cause);
  engine_->Release(playback);
  EXPECT_EQ(streams, FileSystem::Instance().OpenStreamCount());  // the file went back
}

TEST_F(StreamTest, StreamsExactSamplesLoopedOrNot) {
  ToneSpec tone;
  tone.seconds = 0.15;  // several decoding pieces, not a whole number of them
  std::vector<float> samples = ToneSamples(tone);
  game_.Write("data/loop.wav", FloatWav(tone));
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  for (bool looped : {false, true}) {
    SCOPED_TRACE(looped);
    PlaybackId playback = engine_->PlayFile("loop.wav", looped, false);
    ASSERT_NE(0u, playback);
    Advance(400);
    std::vector<float> mixed = Mixed();
    ASSERT_EQ(size_t{kRate * 4 / 10 * 2}, mixed.size());
    size_t frames = samples.size() / 2;
    for (size_t i = 0; i < mixed.size() / 2; ++i) {
      float expected = looped || i < frames ? samples[(i % frames) * 2] : 0.0f;
      ASSERT_EQ(expected, mixed[i * 2]) << "frame " << i;
    }
    EXPECT_EQ(!looped, engine_->IsFinished(playback));
    engine_->Stop(playback);
    engine_->Release(playback);
  }
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
}

TEST_F(StreamTest, RefusesWhatItCannotOpenOrDecode) {
  ToneSpec tone;
  std::string wav = FloatWav(tone);
  game_.Write("data/noise.ogg", std::string(5000, 'x'));
  game_.Write("data/header.wav", wav.substr(0, 30));
  game_.Write("data/empty.wav", "");
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  for (const char* name : {"missing.ogg", "noise.ogg", "header.wav", "empty.wav", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0u, engine_->PlayFile(name, true, false));
  }
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
  game_.Write("data/fine.wav", wav);
  engine_->SetOpener(nullptr);
  EXPECT_EQ(0u, engine_->PlayFile("fine.wav", false, false));
}

// A file cut short plays what it holds and then counts as finished, looped
// or not, or is refused when its headers cannot be read (Ogg looks for its
// last page when it opens); it never hangs the mixer.
TEST_F(StreamTest, ACutFileEndsEarly) {
  ToneSpec tone;
  tone.seconds = 1.0;
  const struct {
    int format;
    bool opens;
  } cases[] = {{SF_FORMAT_WAV | SF_FORMAT_FLOAT, true},
               {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, true},
               {SF_FORMAT_OGG | SF_FORMAT_VORBIS, false}};
  game_.Write("data/cut.snd", "");
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    std::string bytes = EncodeTone(tone, c.format);
    game_.Write("data/cut.snd", bytes.substr(0, bytes.size() / 2));
    for (bool looped : {false, true}) {
      PlaybackId playback = engine_->PlayFile("cut.snd", looped, false);
      ASSERT_EQ(c.opens, playback != 0);
      if (!c.opens) continue;
      NoticeLog log;
      engine_->SetStopReceiver(playback, &log, nullptr);
      Advance(1000);
      std::vector<float> mixed = Mixed();
      EXPECT_GT(Peak(Frames(mixed, 0, kRate / 10)), 0.3);  // what the file holds plays
      if (!looped) {
        EXPECT_TRUE(engine_->IsFinished(playback));
        EXPECT_EQ(0.0, Peak(std::vector<float>(mixed.begin() + kRate * 2 * 7 / 10, mixed.end())));
        engine_->DispatchEvents();
        ASSERT_EQ(1u, log.entries.size());
        EXPECT_EQ(StopCause::kFinished, log.entries[0].cause);
      }
      engine_->Stop(playback);
      engine_->Release(playback);
    }
  }
}

}  // namespace
}  // namespace tarn::testing
