#include <set>
#include <string>

#include "app/app.h"
#include "app/console.h"
#include "app/script_host.h"
#include "diag/error.h"
#include "resources/filesystem.h"
#include "script/args.h"
#include "script/lua.h"
#include "script/registry.h"
#include "script_support.h"
#include "test_support.h"

namespace tarn {
namespace {

// Runs init.lua from a mounted folder; the script state lives for the test.
class ScriptTest : public testing::EngineTest {
 protected:
  void Start(const std::string& initLua) {
    game_.Write("data/init.lua", initLua);
    ASSERT_TRUE(FileSystem::Instance().Mount("data"));
    ConnectScriptHost();
    StartScriptHost();
  }
  void TearDown() override {
    CloseScriptHost();
    testing::EngineTest::TearDown();
  }
  std::string Global(const char* name) { return testing::GlobalText(ScriptState(), name); }
  std::vector<std::string> ErrorLines() {
    std::vector<std::string> lines;
    const LineRing& ring = Console::Instance().Lines();
    for (int i = ring.Count() - 1; i >= 0; --i) {
      std::string text;
      int level = 0;
      ring.Get(i, text, level);
      if (level == 2) lines.push_back(text);
    }
    return lines;
  }
};

TEST(Colour, TextIsReadAsHexadecimalFromTheRight) {
  EXPECT_EQ(args::ColourFromText("FF8800"), args::ColourFromText("ff8800"));
  EXPECT_EQ(0xFF8800u, args::ColourFromText("#ff8800"));
  EXPECT_EQ(0x255u, args::ColourFromText("255"));
  EXPECT_EQ(0xFFFFFFu, args::ColourFromText("zzzzzz")) << "letters past f count as 15";
  EXPECT_EQ(0x123456u, args::ColourFromText("ab123456")) << "only the low 24 bits stay";
  EXPECT_EQ(255, args::OpacityByte(1.0));
  EXPECT_EQ(0, args::OpacityByte(-2.0));
  EXPECT_EQ(127, args::OpacityByte(0.5));
}

TEST_F(ScriptTest, GfxColorFormatsComponents) {
  Start(
      "function boot() end\n"
      "a = gfx_color()\n"
      "b = gfx_color(1, 0.5, 0)\n"
      "c = gfx_color(2, -1, 0)\n"
      "d = gfx_color('x', nil, 0)\n");
  EXPECT_EQ("ffffff", Global("a"));
  EXPECT_EQ("ff7f00", Global("b"));
  EXPECT_EQ("ff0000", Global("c"));
  EXPECT_EQ("ffff00", Global("d"));
}

TEST_F(ScriptTest, RegistryListsEveryFunctionInOrderAndPublishesOnlyBuiltOnes) {
  std::vector<ScriptFunctionInfo> list = ScriptFunctionList();
  ASSERT_EQ(85u, list.size());
  EXPECT_STREQ("gfx_aspect_ratio_correction", list.front().name);
  EXPECT_STREQ("msg", list.back().name);
  std::set<std::string> unique;
  for (const ScriptFunctionInfo& info : list) unique.insert(info.name);
  EXPECT_EQ(85u, unique.size());

  Start("function boot() end\n");
  lua_State* L = ScriptState();
  std::set<std::string> published;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX)) {
    if (lua_type(L, -2) == LUA_TSTRING && lua_iscfunction(L, -1)) published.insert(lua_tostring(L, -2));
    lua_pop(L, 1);
  }
  for (const ScriptFunctionInfo& info : list)
    EXPECT_EQ(info.available, published.count(info.name) == 1) << info.name;
  for (const char* name : {"gfx_color", "timer_time", "file_load_lua", "sys_exit", "log", "print", "msg"})
    EXPECT_EQ(1u, published.count(name)) << name;
  for (const char* lib : {"io", "os", "package", "require"}) {
    lua_getglobal(L, lib);
    EXPECT_TRUE(lua_isnil(L, -1)) << lib << " must not be opened";
    lua_pop(L, 1);
  }
}

TEST_F(ScriptTest, TarnTableAndGlobals) {
  game_.Write("version.txt", "1234\n");
  testing::DeveloperMode(true);
  App().appBuild = 0;
  Start(
      "function boot() end\n"
      "info = table.concat({tarn.build_version, tarn.build_date, tarn.app_build, '[' .. tarn.app_date .. ']',\n"
      "  tarn.platform, tarn.project_code, tarn.language, tarn.app_name, tostring(dev_mode), type(mouse)}, '|')\n");
  EXPECT_EQ("1.4.7|Aug 12 2010|1234|[]|linux|tarn|en|Tarn Engine|true|table", Global("info"));
  RefreshTarnStatistics(3, 2 * 1048576.0, 8, 1048576.0 / 2);
  lua_State* L = ScriptState();
  ASSERT_EQ(0, luaL_dostring(L, "stats = table.concat({tarn.allocated_textures_count, tarn.allocated_textures_size,"
                                " tarn.drawn_polys_count, tarn.drawn_polys_size}, ' ') tarn = nil"));
  EXPECT_EQ("3 2 8 0.5", Global("stats"));
  RefreshTarnStatistics(1, 1, 1, 1);  // tarn is gone: nothing is written, nothing breaks
  EXPECT_EQ(0, lua_gettop(L));
  App().appBuild = 0;
}

TEST_F(ScriptTest, ErrorReportsHaveTheirExactForms) {
  testing::DeveloperMode(true);
  Start(
      "function boot() end\n"
      "function fails() error({}) end\n"
      "function failsText() error('plain', 0) end\n");
  lua_State* L = ScriptState();
  lua_getglobal(L, "fails");
  EXPECT_EQ(2, CallScript(0, 0, "LuaTest", "unit.cpp", 12));
  lua_getglobal(L, "failsText");
  EXPECT_EQ(2, CallScript(0, 0, nullptr, nullptr, 0));
  EXPECT_EQ(0, lua_gettop(L)) << "the stack is left as found";
  std::vector<std::string> lines = ErrorLines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ("LUA ERROR [2 - Runtime error],  [C source]: LuaTest <unit.cpp:12>", lines[1]);
  EXPECT_EQ("(error with no message)", lines[2]);
  EXPECT_EQ("LUA ERROR: Runtime error", lines[3]);
  EXPECT_EQ("LUA ERROR [2] = Runtime error", lines[4]);
  EXPECT_EQ("plain", lines[5]);
  EXPECT_EQ("stack traceback:", lines[6]);
}

TEST_F(ScriptTest, WithoutDebugThereIsNoTraceback) {
  testing::DeveloperMode(true);
  Start("function boot() end\ndebug = nil\nfunction fails() error('bare', 0) end\n");
  lua_getglobal(ScriptState(), "fails");
  CallScript(0, 0, "Ctx", nullptr, 1);
  std::vector<std::string> lines = ErrorLines();
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("LUA ERROR [2 - Runtime error],  [C source]: Ctx <?:1>", lines[1]);
  EXPECT_EQ("bare", lines[2]);
}

TEST_F(ScriptTest, FatalErrorsInsideScriptCallsReachTheRunLoop) {
  Start("function boot() end\nfunction load() file_load_lua('missing.lua') end\n");
  lua_State* L = ScriptState();
  lua_getglobal(L, "load");
  EXPECT_THROW(CallScript(0, 0, "LuaTest", nullptr, 1), Exception);
  std::vector<std::string> lines = ErrorLines();
  ASSERT_EQ(3u, lines.size()) << "no script report follows the engine's own";
  EXPECT_EQ("Error loading file", lines[1]);
  EXPECT_EQ(" <missing.lua>", lines[2]);
}

TEST_F(ScriptTest, ConsoleCommandsNeverStopTheGame) {
  Start("function boot() end\n");
  RunConsoleCommand("value = 6 * 7");
  EXPECT_EQ("42", Global("value"));
  RunConsoleCommand("error('boom')");
  RunConsoleCommand("this is not lua");
  EXPECT_EQ(Console::kClosed, Console::Instance().Mode());
}

TEST_F(ScriptTest, MusicStoppedNoticeIsDeliveredOnceWithTheLaterName) {
  Start(
      "function boot() end\n"
      "calls = ''\n"
      "function update(dt) end\n"
      "function music_stopped(name) calls = calls .. name .. ';' end\n");
  NotifyMusicStopped("first.ogg");
  NotifyMusicStopped("second.ogg");
  ScriptUpdate(0.01);
  ScriptUpdate(0.01);
  EXPECT_EQ("second.ogg;", Global("calls"));
}

// Table files nested as deep as the bound load whole; deeper ones stop at the
// first line beyond it with the processing error, however deep they go.
TEST_F(ScriptTest, TableFilesStopAtTheirNestingBound) {
  testing::DeveloperMode(true);  // the fatal error returns and the load raises a script error
  Start(
      "function boot() end\n"
      "function load(name)\n"
      "  local ok, t = pcall(file_load_table, name)\n"
      "  if not ok then return 'error' end\n"
      "  local depth = 0\n"
      "  while type(t.k) == 'table' do t = t.k depth = depth + 1 end\n"
      "  return depth .. ' ' .. tostring(t.v)\n"
      "end\n");
  struct Case {
    int depth;
    const char* result;
    const char* error;
  };
  const Case cases[] = {
      {48, "48 1", nullptr},
      {200, "200 1", nullptr},
      {201, "error", " Line 201: tables nested deeper than 200 levels"},
      {1000, "error", " Line 201: tables nested deeper than 200 levels"},
  };
  lua_State* L = ScriptState();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    testing::FreshLog();
    std::string text;
    for (int i = 0; i < c.depth; ++i) text += std::string(static_cast<size_t>(i), ' ') + "k:\n";
    text += std::string(static_cast<size_t>(c.depth), ' ') + "v = 1\n";
    std::string name = "deep" + std::to_string(c.depth) + ".txt";
    game_.Write("data/" + name, text);
    lua_getglobal(L, "load");
    lua_pushstring(L, name.c_str());
    ASSERT_EQ(0, lua_pcall(L, 1, 1, 0));
    EXPECT_STREQ(c.result, lua_tostring(L, -1));
    lua_pop(L, 1);
    std::vector<std::string> lines = ErrorLines();
    if (c.error) {
      ASSERT_EQ(4u, lines.size());
      EXPECT_EQ("Error processing file", lines[1]);
      EXPECT_EQ(" <" + name + ">", lines[2]);
      EXPECT_EQ(c.error, lines[3]);
    } else {
      EXPECT_TRUE(lines.empty());
    }
    EXPECT_EQ(0, lua_gettop(L));
  }
}

}  // namespace
}  // namespace tarn
