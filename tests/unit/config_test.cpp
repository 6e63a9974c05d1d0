#include "app/app.h"
#include "app/config.h"
#include "app/settings.h"
#include "diag/error.h"
#include "resources/filesystem.h"
#include "test_support.h"

namespace tarn {
namespace {

class ConfigTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    testing::EngineTest::SetUp();
    App() = Application();
  }
  void TearDown() override {
    App() = Application();
    testing::EngineTest::TearDown();
  }
  bool Apply(const std::string& text) {
    std::string path = game_.Write("config.txt", text);
    return ApplyConfigFile(path, stage_, sources_);
  }
  ConfigStage stage_;
  std::vector<std::string> sources_;
};

TEST_F(ConfigTest, KeysIgnoreCaseAndLaterEntriesWin) {
  ASSERT_TRUE(Apply(
      "(FULL_SCREEN 1)\n(vsync 1)\n(max_fps 1)\n(fps_limit 30)\n(opengl yes)\n"
      "(priority High)\n(unknown_key 5)\nbare_value\n[1 2]\n(dev_mode 1)(create_log 1)\n"
      "(data_source levels)\n(data_source \"more data\")\n(icon_id 12abc)\n(perspective (1))\n"));
  Application& app = App();
  EXPECT_TRUE(app.fullScreen);
  EXPECT_FALSE(app.vsync) << "max_fps 1 after vsync 1 switches the wait off";
  EXPECT_EQ(30, app.fpsLimit);
  EXPECT_FALSE(Cfg().opengl) << "a word reads as the number 0";
  EXPECT_EQ(128, stage_.priorityClass);
  EXPECT_TRUE(Cfg().dev_mode);
  EXPECT_NO_THROW(FatalError("in developer mode")) << "configuration hands developer mode to fatal errors";
  EXPECT_TRUE(Cfg().create_log);
  EXPECT_EQ((std::vector<std::string>{"levels", "more data"}), sources_);
  EXPECT_EQ(12, app.iconId);
  EXPECT_FALSE(app.perspective) << "a nested list counts as 0";
}

TEST_F(ConfigTest, PriorityWordsAndMissingValues) {
  ASSERT_TRUE(Apply("(priority realtime)\n(priority)\n"));
  EXPECT_EQ(32, stage_.priorityClass);
  ASSERT_TRUE(Apply("(priority idle)\n"));
  EXPECT_EQ(64, stage_.priorityClass);
  try {
    Apply("(full_screen)\n");
    FAIL() << "a key without its value must stop the start";
  } catch (const Exception& e) {
    EXPECT_NE(std::string::npos, std::string(e.Message()).find("More data expected"));
    EXPECT_NE(std::string::npos, std::string(e.Message()).find("List name: full_screen"));
  }
}

TEST_F(ConfigTest, NamesTextsAndRequirements) {
  ASSERT_TRUE(Apply(
      "(app_name \"Bar\")\n(publisher_dir Pub)\n(project_code " + std::string(70, 'p') + ")\n"
      "(requirement_warning os 5 1 \"Windows XP\")\n(requirement_error directx 9 0 c)\n"
      "(requirement_warning system_memory 512)\n(requirement_error video_memory)\n"
      "(requirement_error disable_audio 1)\n(requirement_error nonsense 1 2)\n"));
  EXPECT_EQ("Bar", FileSystem::Instance().AppName());
  EXPECT_EQ(std::string(64, 'p'), App().projectCode);
  EXPECT_EQ(5, stage_.requirements.warning.osMajor);
  EXPECT_EQ(1, stage_.requirements.warning.osMinor);
  EXPECT_EQ("Windows XP", stage_.requirements.warning.osName);
  EXPECT_EQ(9, stage_.requirements.error.dxMajor);
  EXPECT_EQ('c', stage_.requirements.error.dxLetter);
  EXPECT_EQ(512ull * 1048576, stage_.requirements.warning.systemMemory);
  EXPECT_EQ(0u, stage_.requirements.error.videoMemory) << "missing numbers count as 0";
  EXPECT_TRUE(Cfg().disable_audio);
  FileSystem::Instance().FinishSetup();
  EXPECT_EQ(profile_.path() + "/Saved Games/Pub/Bar/", FileSystem::Instance().WriteFolder());
  EXPECT_THROW(Apply("(requirement_error disable_audio)\n"), Exception);
}

TEST_F(ConfigTest, MissingConfigIsFatal) {
  std::vector<std::string> sources;
  EXPECT_THROW(LoadConfiguration(game_.path() + "/config.txt", sources), Exception);
}

TEST_F(ConfigTest, LanguageAndVersionFiles) {
  game_.Write("language.txt", std::string(40, 'l') + "\nsecond\n");
  ReadLanguage();
  EXPECT_EQ(std::string(31, 'l'), App().language);
  game_.Write("language.txt", "de\r\n");
  ReadLanguage();
  EXPECT_EQ("de", App().language);

  std::string date = "unset";
  EXPECT_EQ(0, ReadVersion(&date)) << "no version.txt";
  EXPECT_EQ("", date);
  game_.Write("version.txt", "1234\n");
  EXPECT_EQ(1234, ReadVersion(&date));
  EXPECT_EQ("", date);
  game_.Write("version.txt", "99\nDec 1 2026\n");
  EXPECT_EQ(1234, ReadVersion(&date)) << "read once it is known";
  App().appBuild = 0;
  EXPECT_EQ(99, ReadVersion(&date));
  EXPECT_EQ("Dec 1 2026", date);
}

TEST_F(ConfigTest, StageWritesTheFirstLogLinesAndFreshLog) {
  game_.Write("config.txt", "(create_log 1)\n(app_name Stage)\n");
  std::string oldLog = profile_.Write("Saved Games/Veskor Games/Stage/log.txt", "old run\n");
  std::vector<std::string> sources;
  ASSERT_TRUE(LoadConfiguration(game_.path() + "/config.txt", sources));
  std::string log = testing::ReadFile(oldLog);
  EXPECT_EQ(0u, log.find("Config loaded\nTarn engine version: 1.4.7 (Aug 12 2010)\nPlatform: linux\nOpenGL: false\n"))
      << log;
}

TEST_F(ConfigTest, OptionsShowTheTroubleshooterInstead) {
  game_.Write("config.txt", "(create_log 1)\n");
  Cfg().optionsFlag = true;
  std::vector<std::string> sources;
  EXPECT_FALSE(LoadConfiguration(game_.path() + "/config.txt", sources));
  EXPECT_FALSE(Cfg().create_log);
}

}  // namespace
}  // namespace tarn
