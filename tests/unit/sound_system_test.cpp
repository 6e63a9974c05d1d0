// The sound system on a recording engine: definition files, the weighted
// choice, tracking, volumes, the exclusive rule, music channels and fades,
// and the script functions.
#include <cfloat>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/script_host.h"
#include "audio/sound_system.h"
#include "diag/error.h"
#include "fake_sound_engine.h"
#include "script/lua.h"
#include "script_support.h"
#include "test_support.h"

namespace tarn {
namespace {

using audio::SoundSystem;
using testing::FakeSoundEngine;

constexpr float kLevelTolerance = 1e-4f;

class SoundSystemTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    audio::AudioSetup setup;
    setup.createEngine = &FakeSoundEngine::Make;
    Sound().StartAudio(setup);
    ASSERT_TRUE(Sound().Enabled());
    fake_ = FakeSoundEngine::Current();
  }
  void TearDown() override {
    if (ScriptState()) CloseScriptHost();
    if (fake_) {
      EXPECT_EQ(0, fake_->misuse) << "calls on released playbacks";
    }
    Sound().StopAudio();
    if (fake_) {
      EXPECT_EQ(0, FakeSoundEngine::Unreleased()) << "playbacks never released";
    }
    DataFolderTest::TearDown();
  }
  static SoundSystem& Sound() { return SoundSystem::Instance(); }

  // Writes the sound files named (each "length N") and loads the definitions.
  void Load(const std::string& definitions, const std::vector<std::pair<std::string, int>>& files,
            const std::string& path = "sounds.txt") {
    for (auto& [name, lengthMs] : files) Put(name, "length " + std::to_string(lengthMs));
    Put(path, definitions);
    Sound().LoadSounds(path);
  }
  // The playbacks of a source or music file.
  std::vector<audio::PlaybackId> Of(const std::string& name) { return fake_->Of(name); }
  FakeSoundEngine::Playback& Last(const std::string& name) { return fake_->At(Of(name).back()); }

  // A script state with the engine functions; 'code' runs after boot.
  void Script(const std::string& code) {
    Put("init.lua", "function boot() end\nfunction update(dt) end\n");
    ConnectScriptHost();
    StartScriptHost();
    Run(code);
  }
  void Run(const std::string& code) {
    ASSERT_EQ(0, luaL_dostring(ScriptState(), code.c_str())) << lua_tostring(ScriptState(), -1);
  }
  std::string Global(const char* name) { return testing::GlobalText(ScriptState(), name); }
  // One frame of the application: the script's update, then the fades.
  void Frame(float dt) {
    ScriptUpdate(dt);
    Sound().UpdateFades(dt);
  }

  FakeSoundEngine* fake_ = nullptr;
};

// ---- Definition files ----

TEST_F(SoundSystemTest, DefinitionFileReadsGlobalSetsOnly) {
  struct Case {
    const char* what;
    const char* definitions;
    const char* sound;
    std::vector<std::string> files;  // the variants' files, in order
    std::vector<int> weights;
    std::vector<bool> exclusive;
  };
  const Case cases[] = {
      {"a plain value", "(set global (boom a.wav))", "boom", {"a.wav"}, {1}, {false}},
      {"weights and exclusive", "(set global (boom [a.wav 3] (x b.wav 2 1) [c.wav 1 0]))", "boom",
       {"a.wav", "b.wav", "c.wav"}, {3, 2, 1}, {false, true, false}},
      {"SET in any case", "(SeT global (boom a.wav))", "boom", {"a.wav"}, {1}, {false}},
      {"a list without a file is skipped", "(set global (boom [] [(n) 2] a.wav))", "boom", {"a.wav"}, {1},
       {false}},
      {"a name defined twice takes the later", "(set global (boom a.wav) (boom b.wav [c.wav 5]))", "boom",
       {"b.wav", "c.wav"}, {1, 5}, {false, false}},
      {"plain values in the set are ignored", "(set global stray (boom a.wav))", "boom", {"a.wav"}, {1}, {false}},
      {"two global sets", "(set global (boom a.wav)) (set global (hit b.wav))", "hit", {"b.wav"}, {1}, {false}},
  };
  for (const Case& c : cases) {
    Load(c.definitions, {{"a.wav", 100}, {"b.wav", 100}, {"c.wav", 100}});
    const audio::SoundGroup* group = Sound().FindGroup(c.sound);
    ASSERT_NE(nullptr, group) << c.what;
    ASSERT_EQ(c.files.size(), group->variants.size()) << c.what;
    int64_t total = 0;
    for (size_t i = 0; i < c.files.size(); ++i) {
      const audio::SoundVariant& v = group->variants[i];
      EXPECT_EQ(c.files[i], v.file) << c.what;
      EXPECT_EQ(c.weights[i], v.weight) << c.what;
      EXPECT_EQ(c.exclusive[i], v.exclusive) << c.what;
      EXPECT_NE(0u, v.source) << c.what;
      total += c.weights[i];
    }
    EXPECT_EQ(total, group->totalWeight) << c.what;
  }
  EXPECT_EQ("", Lines(2));
}

TEST_F(SoundSystemTest, SetsOtherThanGlobalAndOtherListsAreIgnored) {
  for (const char* definitions : {"(set local (boom a.wav))", "(set Global (boom a.wav))", "(sounds (boom a.wav))",
                                  "(set (global) (boom a.wav))", "(boom a.wav)"}) {
    Load(definitions, {{"a.wav", 100}});
    EXPECT_EQ(nullptr, Sound().FindGroup("boom")) << definitions;
  }
}

TEST_F(SoundSystemTest, LoadingAgainReplacesEverySoundAndFreesTheirSources) {
  Load("(set global (first a.wav))", {{"a.wav", 2000}});
  Sound().PlaySound("first", true, 100);
  audio::PlaybackId looping = Of("a.wav").back();
  Load("(set global (second b.wav))", {{"b.wav", 100}}, "other.txt");
  EXPECT_EQ(nullptr, Sound().FindGroup("first"));
  EXPECT_NE(nullptr, Sound().FindGroup("second"));
  EXPECT_TRUE(fake_->At(looping).stoppedByUser);
  for (auto& [id, source] : fake_->sources) EXPECT_EQ(source.name == "a.wav", source.removed) << source.name;
  Sound().PlaySound("first", false, 100);
  EXPECT_EQ(1u, Of("a.wav").size());
}

TEST_F(SoundSystemTest, SoundsNamingOneFileShareItsSource) {
  // "one" is defined again: its first definition gives its share of a.wav back.
  Load("(set global (one a.wav) (two a.wav) (three a.wav) (one b.wav))", {{"a.wav", 100}, {"b.wav", 100}});
  Sound().PlaySound("two", false, 100);
  Sound().PlaySound("three", false, 100);
  EXPECT_EQ(2u, Of("a.wav").size()) << "a later sound on the same file is not silent";
  EXPECT_EQ(2u, fake_->sources.size());
  EXPECT_FALSE(fake_->sources.begin()->second.removed);
  Sound().ReleaseAllSounds();
  for (auto& [id, source] : fake_->sources) EXPECT_TRUE(source.removed) << source.name;
}

TEST_F(SoundSystemTest, MissingFilesAreReported) {
  struct Case {
    const char* definitions;
    const char* message;  // at error level
  };
  const Case cases[] = {
      {"(set global (boom a.wav missing.wav))", "Can't load a sound file: missing.wav!"},
      {"(set global (boom a.wav [b.wav]))", "Parcon Error: More data expected!"},
  };
  for (const Case& c : cases) {
    testing::FreshLog();
    Load(c.definitions, {{"a.wav", 100}, {"b.wav", 100}});
    EXPECT_NE(std::string::npos, Lines(2).find(c.message)) << c.definitions;
    // In developer mode the game goes on: the file that loaded still plays.
    ASSERT_NE(nullptr, Sound().FindGroup("boom"));
    EXPECT_NE(0u, Sound().FindGroup("boom")->variants[0].source);
  }
  testing::FreshLog();
  Sound().LoadSounds("nothing.txt");
  EXPECT_NE(std::string::npos, Lines(2).find("Parcon Error: Cannot find file nothing.txt!"));

  testing::FreshLog();
  testing::DeveloperMode(false);
  EXPECT_THROW(Load("(set global (boom missing.wav))", {}), Exception);
}

TEST_F(SoundSystemTest, UndecodableVariantPlaysNothing) {
  Put("bad.wav", "garbage");
  Load("(set global (boom bad.wav))", {});
  ASSERT_NE(nullptr, Sound().FindGroup("boom"));
  EXPECT_EQ(0u, Sound().FindGroup("boom")->variants[0].source);
  Sound().PlaySound("boom", true, 100);
  EXPECT_TRUE(fake_->playbacks.empty());
  EXPECT_EQ("", Lines(2));
}

// ---- Effects ----

TEST_F(SoundSystemTest, VariantsAreChosenByWeight) {
  struct Case {
    const char* weights;   // of a.wav and b.wav
    double shareOfFirst;   // expected share of a.wav
    int plays;             // expected plays of 4000 calls
  };
  const Case cases[] = {{"3 1", 0.75, 4000}, {"1 3", 0.25, 4000}, {"0 1", 0.0, 4000},
                        {"0 0", 0.0, 0},     {"2 -3", 0.0, 0}};
  for (const Case& c : cases) {
    std::string a(c.weights, strchr(c.weights, ' ')), b(strchr(c.weights, ' ') + 1);
    Load("(set global (step [a.wav " + a + "] [b.wav " + b + "]))", {{"a.wav", 100}, {"b.wav", 100}});
    size_t before = fake_->playbacks.size();
    std::srand(7);
    for (int i = 0; i < 4000; ++i) Sound().PlaySound("step", false, 100);
    size_t first = Of("a.wav").size();
    ASSERT_EQ(static_cast<size_t>(c.plays), fake_->playbacks.size() - before) << c.weights;
    if (c.plays) {
      EXPECT_NEAR(c.shareOfFirst, static_cast<double>(first) / c.plays, 0.03) << c.weights;
    }
    fake_->ForgetReleased();
    EXPECT_TRUE(fake_->playbacks.empty()) << c.weights << ": every one-shot is let go";
  }
}

TEST_F(SoundSystemTest, LoopedAndLongPlaybacksAreTracked) {
  struct Case {
    bool looped;
    int lengthMs;
    bool tracked;
  };
  const Case cases[] = {{false, 500, false}, {false, 1000, false}, {false, -1, false},
                        {false, 1001, true}, {true, 500, true},    {true, -1, true}};
  for (const Case& c : cases) {
    std::string what = std::to_string(c.lengthMs) + (c.looped ? " ms looped" : " ms");
    Load("(set global (boom a.wav))", {{"a.wav", c.lengthMs}});
    Sound().PlaySound("boom", c.looped, 100);
    FakeSoundEngine::Playback& playback = Last("a.wav");
    EXPECT_FALSE(playback.paused) << what;
    EXPECT_EQ(c.looped, playback.looped) << what;
    EXPECT_EQ(!c.tracked, playback.released) << what;
    EXPECT_EQ(c.tracked, Sound().IsSoundPlaying("boom")) << what;
    Sound().StopSound("boom");
    EXPECT_EQ(c.tracked, playback.stoppedByUser) << what;
    EXPECT_FALSE(Sound().IsSoundPlaying("boom")) << what;
    EXPECT_TRUE(playback.released) << what;
  }
}

TEST_F(SoundSystemTest, TrackedPlaybackThatEndsFreesItsSlot) {
  Load("(set global (boom a.wav))", {{"a.wav", 3000}});
  Sound().PlaySound("boom", false, 100);
  audio::PlaybackId first = Of("a.wav").back();
  Sound().PlaySound("boom", false, 100);
  audio::PlaybackId second = Of("a.wav").back();
  // The earlier playback plays on untracked, let go by the sound system.
  EXPECT_TRUE(fake_->At(first).released);
  EXPECT_FALSE(fake_->At(first).finished);
  fake_->Finish(first);
  Sound().UpdateFades(0.01f);
  EXPECT_TRUE(Sound().IsSoundPlaying("boom"));
  fake_->Finish(second);
  EXPECT_FALSE(Sound().IsSoundPlaying("boom"));
  Sound().UpdateFades(0.01f);
  EXPECT_TRUE(fake_->At(second).released);
  EXPECT_EQ(0u, Sound().FindGroup("boom")->variants[0].tracked);
}

TEST_F(SoundSystemTest, NamesOfSoundsMatchCase) {
  Load("(set global (Boom a.wav))", {{"a.wav", 100}});
  Sound().PlaySound("boom", false, 100);
  Sound().PlaySound("BOOM", false, 100);
  EXPECT_TRUE(Of("a.wav").empty());
  Sound().PlaySound("Boom", false, 100);
  EXPECT_EQ(1u, Of("a.wav").size());
}

TEST_F(SoundSystemTest, ExclusiveVariantWaitsForEveryPlayingExclusive) {
  Load("(set global (alarm [a.wav 1 1]) (siren [b.wav 1 1]) (bell c.wav) (blip [d.wav 1 1]))",
       {{"a.wav", 5000}, {"b.wav", 5000}, {"c.wav", 5000}, {"d.wav", 200}});
  Sound().PlaySound("blip", false, 100);  // exclusive but short: never tracked, blocks nothing
  Sound().PlaySound("alarm", false, 100);
  Sound().PlaySound("siren", false, 100);
  Sound().PlaySound("bell", false, 100);
  EXPECT_EQ(1u, Of("a.wav").size());
  EXPECT_TRUE(Of("b.wav").empty()) << "another group's exclusive is playing";
  EXPECT_EQ(1u, Of("c.wav").size()) << "a plain variant always plays";
  Sound().PlaySound("alarm", false, 100);
  EXPECT_EQ(1u, Of("a.wav").size()) << "its own exclusive is playing too";
  fake_->Finish(Of("a.wav").back());
  Sound().PlaySound("siren", false, 100);
  EXPECT_EQ(1u, Of("b.wav").size());
}

TEST_F(SoundSystemTest, SoundVolumeTurnsTrackedPlaybacksAtOnce) {
  Load("(set global (hum a.wav) (buzz b.wav) (tick c.wav))", {{"a.wav", 5000}, {"b.wav", 5000}, {"c.wav", 100}});
  Script("snd_play_sound('hum', true, 20)\nsnd_play_sound('buzz', false)\n");
  EXPECT_FLOAT_EQ(0.2f, Last("a.wav").volume);
  EXPECT_FLOAT_EQ(1.0f, Last("b.wav").volume);
  Run("v = snd_sound_volume(50.9)\nw = snd_sound_volume()");
  EXPECT_EQ("50", Global("v"));
  EXPECT_EQ("50", Global("w"));
  EXPECT_FLOAT_EQ(0.5f, Last("a.wav").volume) << "whatever it was started with";
  EXPECT_FLOAT_EQ(0.5f, Last("b.wav").volume);
  Run("snd_play_sound('hum', true, 20)\nsnd_play_sound('tick', false, 20)");
  EXPECT_FLOAT_EQ(0.1f, Last("a.wav").volume);
  EXPECT_FLOAT_EQ(0.1f, Last("c.wav").volume);
  Run("snd_sound_volume(1e12)\nsnd_play_sound('tick', false, 1e12)");
  EXPECT_FLOAT_EQ(1.0f, Last("c.wav").volume) << "huge volumes neither overflow nor amplify";
  EXPECT_EQ(0, fake_->misuse);
}

// ---- Music ----

// One step of a music scenario: play a file (fade 2), or advance the fades.
struct MusicStep {
  const char* play;  // null: advance
  float dt;
};

class MusicTest : public SoundSystemTest {
 protected:
  void SetUp() override {
    SoundSystemTest::SetUp();
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg", "d.ogg", "music/d.ogg"}) Put(name, "music");
  }
  void Steps(const std::vector<MusicStep>& steps) {
    for (const MusicStep& step : steps) {
      if (step.play)
        Sound().PlayMusic(step.play, true, 2);
      else
        Sound().UpdateFades(step.dt);
    }
  }
  std::string Names() {
    std::string names;
    for (int i = 0; i < SoundSystem::kChannels; ++i)
      names += (i ? " " : "") + (Sound().Channel(i).sound ? Sound().Channel(i).name : std::string("-"));
    return names;
  }
};

TEST_F(MusicTest, NewMusicPushesTheCurrentIntoTheQuieterChannel) {
  struct Case {
    const char* what;
    std::vector<MusicStep> steps;
    const char* channels;  // names of channels 0, 1, 2
    const char* stopped;   // the file stopped, or ""
  };
  const Case cases[] = {
      {"three quick calls", {{"a.ogg", 0}, {"b.ogg", 0}, {"c.ogg", 0}}, "c.ogg a.ogg b.ogg", ""},
      {"a fourth quick call cuts the oldest: equal levels move the current out",
       {{"a.ogg", 0}, {"b.ogg", 0}, {"c.ogg", 0}, {"d.ogg", 0}}, "d.ogg c.ogg b.ogg", "a.ogg"},
      {"a fourth cuts the quietest fading music",
       {{"a.ogg", 0}, {nullptr, 1}, {"b.ogg", 0}, {nullptr, 1}, {"c.ogg", 0}, {nullptr, 0.005f}, {"d.ogg", 0}},
       "d.ogg c.ogg b.ogg", "a.ogg"},
      {"a fourth cuts the current when it is the quietest",
       {{"a.ogg", 0}, {nullptr, 1.5f}, {"b.ogg", 0}, {nullptr, 0.5f}, {"c.ogg", 0}, {"d.ogg", 0}},
       "d.ogg a.ogg b.ogg", "c.ogg"},
      {"a faded-out channel ends", {{"a.ogg", 0}, {"b.ogg", 0}, {nullptr, 0.5f}}, "b.ogg - -", "a.ogg"},
  };
  for (const Case& c : cases) {
    Sound().StopMusic(0, false);
    fake_->ForgetReleased();
    Steps(c.steps);
    EXPECT_EQ(c.channels, Names()) << c.what;
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg", "d.ogg"}) {
      if (Of(name).empty()) continue;
      bool stopped = fake_->At(Of(name).back()).stoppedByUser;
      EXPECT_EQ(Names().find(name) == std::string::npos, stopped) << c.what << ": " << name;
      EXPECT_EQ(std::string(c.stopped) == name, stopped) << c.what << ": " << name;
    }
  }
}

TEST_F(MusicTest, FadeLevelsStepWithTheFrames) {
  struct Step {
    float dt;
    float current;  // expected engine volume of channel 0
    float fading;   // of channel 1, -1 when empty
  };
  Sound().SetMusicVolume(50);
  Sound().PlayMusic("a.ogg", true, 2);
  EXPECT_NEAR(0.0025f, Last("a.ogg").volume, kLevelTolerance) << "starts at its first hundredth";
  const Step fadeIn[] = {{0.49f, 0.125f, -1}, {0.5f, 0.25f, -1}, {0.5f, 0.375f, -1}, {0.6f, 0.5f, -1}};
  for (const Step& s : fadeIn) {
    Sound().UpdateFades(s.dt);
    EXPECT_NEAR(s.current, Last("a.ogg").volume, kLevelTolerance);
  }
  EXPECT_EQ(0, Sound().Channel(0).fadeDuration) << "a finished fade leaves full level";
  Sound().SetMusicVolume(100);
  Sound().PlayMusic("b.ogg", true, 4);
  const Step crossFade[] = {{1, 0.2525f, 0.75f}, {2, 0.7525f, 0.25f}, {1, 1, -1}};
  for (const Step& s : crossFade) {
    Sound().UpdateFades(s.dt);
    EXPECT_NEAR(s.current, Last("b.ogg").volume, kLevelTolerance);
    if (s.fading >= 0) {
      EXPECT_NEAR(s.fading, Last("a.ogg").volume, kLevelTolerance);
    }
  }
  EXPECT_EQ("b.ogg - -", Names());
  Sound().PlayMusic("c.ogg", true, 0);
  EXPECT_FLOAT_EQ(1.0f, Last("c.ogg").volume) << "no fade starts at full volume";
  EXPECT_EQ("c.ogg - -", Names());
}

TEST_F(MusicTest, MusicAskedForAgainIsTakenBackAtItsPresentLevel) {
  Steps({{"a.ogg", 0}, {nullptr, 1}});
  float level = Sound().Channel(0).Level();
  Sound().PlayMusic("A.OGG", true, 4);  // names of music ignore case
  EXPECT_EQ(1u, fake_->files.size()) << "the current music is not restarted";
  EXPECT_NEAR(level, Sound().Channel(0).Level(), kLevelTolerance);
  EXPECT_EQ(4, Sound().Channel(0).fadeDuration);

  Steps({{"b.ogg", 0}, {nullptr, 0.5f}});
  EXPECT_EQ("b.ogg a.ogg -", Names());
  float fadingLevel = Sound().Channel(1).Level();
  audio::PlaybackId a = Of("a.ogg").back();
  Sound().PlayMusic("a.ogg", true, 2);
  EXPECT_EQ("a.ogg b.ogg -", Names());
  EXPECT_EQ(a, Sound().Channel(0).sound);
  EXPECT_EQ(2u, fake_->files.size()) << "the fading music is not restarted";
  EXPECT_NEAR(fadingLevel, Sound().Channel(0).Level(), kLevelTolerance);
  Sound().UpdateFades(0.5f);
  EXPECT_NEAR(fadingLevel + 0.25f, Sound().Channel(0).Level(), kLevelTolerance) << "it fades back in";
}

TEST_F(MusicTest, MissingOrUndecodableMusicLeavesTheOldFadingOut) {
  Put("undecodable.ogg", "noise");
  Sound().PlayMusic("a.ogg", true, 2);
  Sound().PlayMusic("nothing.ogg", true, 2);
  EXPECT_NE(std::string::npos, Lines(1).find("Music file not found <nothing.ogg>"));
  EXPECT_EQ("- a.ogg -", Names());
  Sound().PlayMusic("undecodable.ogg", true, 2);
  EXPECT_EQ("- a.ogg -", Names());
  EXPECT_EQ(1u, fake_->files.size());
  EXPECT_EQ("", Lines(2));
}

TEST_F(MusicTest, StoppedMusicIsSilentAndEndedMusicIsAnnouncedOnce) {
  Script(
      "stopped = ''\n"
      "function music_stopped(name) stopped = stopped .. name .. ';' end\n"
      "snd_play_music('a.ogg')\nsnd_play_music('b.ogg', false, true)\n");
  EXPECT_TRUE(Last("a.ogg").looped);
  EXPECT_FALSE(Last("b.ogg").looped);
  EXPECT_EQ("b.ogg a.ogg -", Names());
  EXPECT_EQ(2, Sound().Channel(0).fadeDuration);
  Run("snd_stop_music(0)");
  EXPECT_EQ("- - -", Names());
  Run("snd_play_music('c.ogg', true, false)\nsnd_stop_music(false)");
  EXPECT_EQ("- - -", Names());
  for (int i = 0; i < 3; ++i) Frame(0.1f);
  EXPECT_EQ("", Global("stopped")) << "music stopped by the game is not announced";

  Run("snd_play_music('Music/D.ogg', false, 0)");
  EXPECT_EQ("Music/D.ogg - -", Names());
  fake_->Finish(Of("Music/D.ogg").back());
  for (int i = 0; i < 3; ++i) Frame(0.1f);
  EXPECT_EQ("Music/D.ogg;", Global("stopped")) << "with the name as given";
  EXPECT_EQ("- - -", Names());
  EXPECT_TRUE(Last("Music/D.ogg").released);
}

TEST_F(MusicTest, FadeArgumentsOfTheScriptFunctions) {
  struct Case {
    const char* fade;  // the third argument of snd_play_music
    float duration;    // the fade that channel 0 takes
  };
  const Case cases[] = {{"", 2},        {"nil", 2},       {"true", 2},      {"false", 0},   {"0.5", 0.5f},
                        {"'3'", 3},     {"{}", 2},        {"0/0", 0},       {"-1", -1},     {"math.huge", FLT_MAX}};
  Script("");
  for (const Case& c : cases) {
    Run("snd_stop_music(0)\nsnd_play_music('a.ogg', true" + std::string(*c.fade ? ", " : "") + c.fade + ")");
    EXPECT_EQ(c.duration, Sound().Channel(0).fadeDuration) << c.fade;
    Sound().UpdateFades(0.5f);
    EXPECT_GE(Last("a.ogg").volume, 0.0f) << c.fade;
    EXPECT_LE(Last("a.ogg").volume, 1.0f) << c.fade;
  }
}

TEST_F(MusicTest, StopMusicWithAFadeMovesTheCurrentOut) {
  struct Case {
    float fade;
    bool keepCurrent;
    const char* channels;
  };
  const Case cases[] = {{2, false, "- b.ogg a.ogg"}, {2, true, "a.ogg b.ogg -"}, {0, true, "a.ogg - -"},
                        {-1, false, "- - -"}};
  for (const Case& c : cases) {
    Sound().StopMusic(0, false);
    Steps({{"b.ogg", 0}, {nullptr, 0.5f}, {"a.ogg", 0}, {nullptr, 0.5f}});
    Sound().StopMusic(c.fade, c.keepCurrent);
    EXPECT_EQ(c.channels, Names()) << c.fade << " " << c.keepCurrent;
  }
}

// ---- Disabled ----

TEST_F(SoundSystemTest, DisabledSystemDoesNothing) {
  struct Case {
    const char* what;
    bool disableAudio;
    std::unique_ptr<audio::SoundEngine> (*create)();
  };
  const Case cases[] = {{"disable_audio", true, &FakeSoundEngine::Make},
                        {"no output", false, [] { return std::unique_ptr<audio::SoundEngine>(); }}};
  Load("(set global (boom a.wav))", {{"a.wav", 100}});
  Put("a.ogg", "music");
  Script("");
  for (const Case& c : cases) {
    Sound().StopAudio();
    fake_ = nullptr;
    audio::AudioSetup setup;
    setup.disableAudio = c.disableAudio;
    setup.createEngine = c.create;
    Sound().StartAudio(setup);
    EXPECT_FALSE(Sound().Enabled()) << c.what;
    EXPECT_EQ(nullptr, FakeSoundEngine::Current()) << c.what;
    Run("snd_load('sounds.txt')\nsnd_play_sound('boom', true)\nsnd_play_music('a.ogg')\n"
        "s = snd_sound_volume(40)\nm = snd_music_volume(30)\np = snd_is_sound_playing('boom')\n"
        "snd_stop_sound('boom')\nsnd_stop_music()");
    EXPECT_EQ("0", Global("s")) << c.what;
    EXPECT_EQ("0", Global("m")) << c.what;
    Run("p = tostring(p)");
    EXPECT_EQ("false", Global("p")) << c.what;
    Sound().UpdateFades(0.1f);
    Sound().PauseAllSounds();
  }
  EXPECT_EQ("", Lines(2));
}

}  // namespace
}  // namespace tarn
