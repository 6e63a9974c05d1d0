#include "app/console.h"
#include "app/log_sinks.h"
#include "app/settings.h"
#include "diag/error.h"
#include "diag/log.h"
#include "platform/headless/headless_platform.h"
#include "resources/filesystem.h"
#include "test_support.h"

namespace tarn {
namespace {

class LogTest : public testing::EngineTest {
 protected:
  std::vector<std::pair<int, std::string>> Lines() {
    std::vector<std::pair<int, std::string>> lines;
    const LineRing& ring = Console::Instance().Lines();
    for (int i = ring.Count() - 1; i >= 0; --i) {
      std::string text;
      int level = 0;
      ring.Get(i, text, level);
      lines.emplace_back(level, text);
    }
    return lines;
  }
};

TEST_F(LogTest, LineFeedIsAppendedOnlyWhenMissing) {
  EXPECT_EQ("", FinishLogText(""));
  EXPECT_EQ("a\n", FinishLogText("a"));
  EXPECT_EQ("a\n", FinishLogText("a\n"));
}

TEST_F(LogTest, OneSeparatorBeforeTheFirstError) {
  testing::DeveloperMode(true);
  LogInfo("starting %d", 1);
  LogError("first %s", "error");
  FatalError("second error with 100%% and %s", "a%sfile");
  FatalError(nullptr);
  using L = std::vector<std::pair<int, std::string>>;
  EXPECT_EQ((L{{3, "starting 1"},
               {2, "ERROR ------------------------------------------------"},
               {2, "first error"},
               {2, "second error with 100% and a%sfile"}}),
            Lines());
}

TEST_F(LogTest, SinksReceiveEveryTextInTheOrderTheyWereAdded) {
  std::vector<std::string> seen;
  auto recorder = [&seen](const char* name) {
    return [&seen, name](int level, const std::string& text) { seen.push_back(name + std::to_string(level) + text); };
  };
  int first = AddLogSink(recorder("a"));
  int second = AddLogSink(recorder("b"));
  LogInfo("one");
  LogError("two");
  RemoveLogSink(first);
  LogWarning("three");
  RemoveLogSink(second);
  LogInfo("four");
  const std::string separator = "2ERROR ------------------------------------------------\n";
  EXPECT_EQ((std::vector<std::string>{"a3one\n", "b3one\n", "a" + separator, "b" + separator, "a2two\n", "b2two\n",
                                      "b1three\n"}),
            seen);
}

TEST_F(LogTest, TheApplicationsSinksAreInstalledOnce) {
  InstallLogSinks();
  InstallLogSinks();
  LogInfo("once");
  using L = std::vector<std::pair<int, std::string>>;
  EXPECT_EQ((L{{3, "once"}}), Lines());
}

TEST_F(LogTest, OnlyErrorLinesWithTextEnterTheErrorView) {
  struct Case {
    int level;
    const char* text;
    bool enters;
  };
  const Case cases[] = {{kLevelInfo, "info\n", false},  {kLevelWarning, "warning", false},
                        {kLevelScript, "print", false}, {kLevelError, "\n\n", false},
                        {kLevelError, "bad\n", true}};
  for (const Case& c : cases) {
    testing::FreshLog();
    LogWrite(c.level, c.text);
    EXPECT_EQ(c.enters, InErrorView()) << c.level << " " << c.text;
    EXPECT_EQ(c.enters ? Console::kErrorView : Console::kClosed, Console::Instance().Mode()) << "the console shows it";
  }
  testing::FreshLog();
  EXPECT_FALSE(InErrorView());
}

TEST_F(LogTest, FatalErrorThrowsOutsideDeveloperMode) {
  EXPECT_THROW(FatalError("stop"), Exception);
  EXPECT_EQ(Console::kErrorView, Console::Instance().Mode());
  EXPECT_NO_THROW(FatalError(nullptr));
  try {
    ThrowError("Parcon Error: Maximum allowed depth for file includes is %d!", 5);
    FAIL() << "ThrowError returned";
  } catch (const Exception& e) {
    EXPECT_STREQ("Parcon Error: Maximum allowed depth for file includes is 5!", e.Message());
  }
  Exception longOne(std::string(400, 'x'));
  EXPECT_EQ(254u, std::string(longOne.Message()).size());
}

TEST_F(LogTest, FileSinkOnlyWithCreateLog) {
  FileSystem& fs = FileSystem::Instance();
  fs.FinishSetup();
  const std::string path = fs.WriteFolder() + "log.txt";
  LogInfo("not written");
  EXPECT_EQ("", testing::ReadFile(path));
  Cfg().create_log = true;
  LogInfo("first");
  LogWarning("second\n");
  LogWrite(kLevelInfo, "");
  EXPECT_EQ("first\nsecond\n", testing::ReadFile(path));
  ResetLog();
  EXPECT_EQ("", testing::ReadFile(path)) << "each run starts a fresh file";
  Cfg().create_log = false;
  std::string other = fs.WriteFolder() + "log.txt";
  FILE* f = fopen(other.c_str(), "w");
  fputs("old", f);
  fclose(f);
  ResetLog();
  EXPECT_EQ("old", testing::ReadFile(other)) << "without create_log the old file stays";
}

TEST_F(LogTest, LongMessagesAreNotCut) {
  FileSystem& fs = FileSystem::Instance();
  fs.FinishSetup();
  Cfg().create_log = true;
  std::string big(10000, 'z');
  LogInfo("%s", big.c_str());
  EXPECT_EQ(big + "\n", testing::ReadFile(fs.WriteFolder() + "log.txt"));
  EXPECT_EQ(199u, Lines().back().second.size()) << "the console keeps its own line length";
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

TEST(InstanceLock, SecondHolderIsRefused) {
  testing::TempDir dir;
  HeadlessOptions options;
  HeadlessPlatform platform(options, stderr);
  std::string file = dir.path() + "/.game.lock";
  EXPECT_TRUE(platform.AcquireInstanceLock(file));
  EXPECT_FALSE(platform.AcquireInstanceLock(file)) << "a second copy must not start";
  EXPECT_TRUE(platform.AcquireInstanceLock(dir.path() + "/.other.lock"));
}

}  // namespace
}  // namespace tarn
