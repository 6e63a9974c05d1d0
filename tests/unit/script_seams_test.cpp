// The seams through which the script host reaches the layers above it: each
// is fed a stand-in here, with no file system, window or application.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "script/input.h"
#include "script/lua.h"
#include "script/registry.h"
#include "script/source_loader.h"
#include "script_support.h"
#include "test_support.h"

namespace tarn {
namespace {

std::map<std::string, std::string>& Files() {
  static std::map<std::string, std::string> files;
  return files;
}

std::unique_ptr<char[]> ReadStandIn(const std::string& path, size_t& size) {
  auto found = Files().find(path);
  if (found == Files().end()) return nullptr;
  size = found->second.size();
  std::unique_ptr<char[]> buffer(new char[size]);
  std::memcpy(buffer.get(), found->second.data(), size);
  return buffer;
}

class ScriptSeamTest : public testing::EngineTest {
 protected:
  void Start(const std::map<std::string, std::string>& files) {
    Files() = files;
    SetScriptFileReader(ReadStandIn);
    StartScriptHost();
  }
  void TearDown() override {
    CloseScriptHost();
    SetScriptFileReader(nullptr);
    SetGameFacts(nullptr);
    SetMouseWindow(nullptr);
    ResetInputForTests();
    Files().clear();
    testing::EngineTest::TearDown();
  }
  static std::string Global(const char* name) { return testing::GlobalText(ScriptState(), name); }
};

TEST_F(ScriptSeamTest, ScriptFilesComeFromTheRegisteredReader) {
  Start({{"init.lua", "function boot() end\n"
                      "a = dofile('a.lua')\n"
                      "b = loadfile('b.lua')()\n"
                      "c = select(2, loadfile('missing.lua'))\n"},
         {"a.lua", "return 'from a'"},
         {"b.lua", "return 'from b'"},
         {"c.lua", "c_loaded = 'yes'"}});
  EXPECT_EQ("from a", Global("a"));
  EXPECT_EQ("from b", Global("b"));
  EXPECT_EQ("cannot open missing.lua", Global("c"));
  EXPECT_TRUE(LoadScriptFile("c.lua", false));
  EXPECT_EQ("yes", Global("c_loaded"));
  EXPECT_FALSE(LoadScriptFile("missing.lua", false));
}

TEST(ScriptFileReader, WithoutAReaderNoFileIsRead) {
  SetScriptFileReader(nullptr);
  size_t size = 7;
  EXPECT_EQ(nullptr, ReadScriptFile("init.lua", size));
  EXPECT_EQ(0u, size);
}

GameFacts StandInFacts() { return {true, "9.9", "today", "nowhere", 77, "then", "code", "xx", "Stand-in"}; }

constexpr const char* kFactsLine =
    "function boot() end\n"
    "info = table.concat({tarn.build_version, tarn.build_date, tarn.platform, tarn.app_build, tarn.app_date,\n"
    "  tarn.project_code, tarn.language, tarn.app_name, tostring(dev_mode)}, '|')\n";

TEST_F(ScriptSeamTest, TheTarnTableTellsTheRegisteredFacts) {
  SetGameFacts(StandInFacts);
  Start({{"init.lua", kFactsLine}});
  EXPECT_EQ("9.9|today|nowhere|77|then|code|xx|Stand-in|true", Global("info"));
}

TEST_F(ScriptSeamTest, WithoutFactsTheTarnTableIsEmpty) {
  SetGameFacts(nullptr);
  Start({{"init.lua", kFactsLine}});
  EXPECT_EQ("|||0|||||false", Global("info"));
}

// A 200 by 100 game shown at (100, 50), 400 by 200, in the client area.
MouseWindow ShownTwiceAsLarge() { return {false, 100, 50, 400, 200, 200, 100}; }

TEST_F(ScriptSeamTest, TheMouseIsMappedThroughTheRegisteredWindow) {
  Start({{"init.lua", "function boot() end\n"}});
  SetMouseWindow(ShownTwiceAsLarge);
  struct Case {
    int16_t x, y;
    const char* mapped;
  };
  const Case cases[] = {
      {100, 50, "0 0"}, {300, 150, "100 50"}, {499, 249, "199 99"}, {0, 0, "0 0"}, {900, 900, "199 99"},
  };
  for (const Case& c : cases) {
    Message move{MsgType::MouseMove, 0, c.x, c.y};
    OnMouseMessage(move);
    FillMouseTable();
    ASSERT_EQ(0, luaL_dostring(ScriptState(), "where = mouse.x .. ' ' .. mouse.y"));
    EXPECT_EQ(c.mapped, Global("where")) << c.x << "," << c.y;
  }
}

MouseWindow FullScreen() { return {true, 0, 0, 0, 0, 0, 0}; }
MouseWindow InAWindow() { return MouseWindow(); }

TEST_F(ScriptSeamTest, AFullScreenWindowHasTheCursorOverIt) {
  Start({{"init.lua", "function boot() end\n"}});
  Platform::Get().TrackInput({MsgType::MouseMove, 0, 5000, 5000});  // beyond the client area
  struct Case {
    MouseWindow (*window)();
    const char* over;
  };
  for (const Case& c : {Case{FullScreen, "true"}, Case{InAWindow, "false"}}) {
    SetMouseWindow(c.window);
    PollMouse();
    FillMouseTable();
    ASSERT_EQ(0, luaL_dostring(ScriptState(), "over = tostring(mouse.over_window)"));
    EXPECT_EQ(c.over, Global("over"));
  }
}

}  // namespace
}  // namespace tarn
