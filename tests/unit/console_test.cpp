#include <string>
#include <vector>

#include "app/console.h"
#include "diag/error.h"
#include "resources/filesystem.h"
#include "test_support.h"

namespace tarn {
namespace {

std::vector<std::string> Newest(const LineRing& ring) {
  std::vector<std::string> lines;
  std::string text;
  int level = 0;
  for (int i = 0; ring.Get(i, text, level); ++i) lines.push_back(text);
  return lines;
}

TEST(LineRing, StoresLinesWithoutFinalFeedAndBlanksControlCharacters) {
  LineRing ring(10, 100);
  ring.Add("first\n", 3);
  ring.Add("a\tb\x01" "c", 1);
  ring.Add("\n", 3);  // only a line feed: nothing
  ring.Add("", 3);
  ASSERT_EQ(2, ring.Count());
  std::string text;
  int level = -1;
  ASSERT_TRUE(ring.Get(0, text, level));
  EXPECT_EQ("a b c", text);
  EXPECT_EQ(1, level);
  ASSERT_TRUE(ring.Get(1, text, level));
  EXPECT_EQ("first", text);
  EXPECT_EQ(3, level);
  EXPECT_FALSE(ring.Get(2, text, level));
}

TEST(LineRing, DropsOldestWhenLinesOrBytesRunOut) {
  LineRing byLines(3, 1000);
  for (int i = 0; i < 5; ++i) byLines.Add("line" + std::to_string(i), 0);
  EXPECT_EQ((std::vector<std::string>{"line4", "line3", "line2"}), Newest(byLines));

  // 10 bytes of text: "aaaa" takes 5, so only two fit; the third wraps to the
  // start and pushes the oldest out.
  LineRing byBytes(100, 10);
  byBytes.Add("aaaa", 0);
  byBytes.Add("bbbb", 0);
  byBytes.Add("cccc", 0);
  EXPECT_EQ((std::vector<std::string>{"cccc", "bbbb"}), Newest(byBytes));
  byBytes.Add("dd", 0);
  byBytes.Add("eeeeeeeee", 0);  // nine characters fill the whole ring
  EXPECT_EQ((std::vector<std::string>{"eeeeeeeee"}), Newest(byBytes));
  byBytes.Add("too long for it", 0);
  EXPECT_EQ((std::vector<std::string>{"eeeeeeeee"}), Newest(byBytes));
}

TEST(LineRing, LongRunKeepsTextIntact) {
  // Many lines of varying length through a small ring: every line read back
  // is one that was written, and the newest is always there.
  LineRing ring(7, 64);
  std::vector<std::string> written;
  for (int i = 0; i < 500; ++i) {
    std::string line(static_cast<size_t>(1 + (i * 7) % 13), static_cast<char>('a' + i % 26));
    ring.Add(line, i % 7);
    written.push_back(line);
    std::vector<std::string> held = Newest(ring);
    ASSERT_FALSE(held.empty());
    for (size_t k = 0; k < held.size(); ++k) ASSERT_EQ(written[written.size() - 1 - k], held[k]) << i;
  }
}

class ConsoleTest : public testing::EngineTest {};

TEST_F(ConsoleTest, SplitsTextIntoLines) {
  Console& console = Console::Instance();
  console.AddText("a\nb\n", 3);
  console.AddText("c\n\nd", 3);
  EXPECT_EQ((std::vector<std::string>{"d", "c", "b", "a"}), Newest(console.Lines()));
  console.Clear(false);
  std::string longLine(300, 'x');
  console.AddText(longLine + "\n", 3);
  console.AddText(longLine, 3);
  EXPECT_EQ((std::vector<std::string>{longLine, std::string(199, 'x')}), Newest(console.Lines()));
}

TEST_F(ConsoleTest, OverlayTakesScriptOutputAndWarningsOnly) {
  Console& console = Console::Instance();
  console.AddText("print\n", 0);
  console.AddText("warn\n", 1);
  console.AddText("info\n", 3);
  EXPECT_EQ((std::vector<std::string>{"warn", "print"}), Newest(console.Overlay()));
  EXPECT_EQ(3, console.Lines().Count());
  EXPECT_EQ(Console::kClosed, console.Mode());
  console.AddText("bad\n", 2);
  EXPECT_EQ(Console::kClosed, console.Mode()) << "the console shows the error view, it does not enter it";
  EnterErrorView();
  EXPECT_EQ(Console::kErrorView, console.Mode());
}

TEST_F(ConsoleTest, HistorySurvivesSaveAndLoad) {
  Console& console = Console::Instance();
  EXPECT_FALSE(console.SaveHistory("console_history.txt", false)) << "empty history writes nothing";
  console.History().Add("first()", 4);
  console.History().Add("second()", 4);
  ASSERT_TRUE(console.SaveHistory("console_history.txt", true));
  std::string path = FileSystem::Instance().Resolve("console_history.txt");
  EXPECT_EQ("first()\nsecond()\n", testing::ReadFile(path));

  // Lines longer than 498 characters come back in pieces.
  std::string longLine(600, 'y');
  { FILE* out = fopen(path.c_str(), "a"); fprintf(out, "%s\n", longLine.c_str()); fclose(out); }
  ASSERT_TRUE(console.LoadHistory("console_history.txt", true));
  EXPECT_EQ((std::vector<std::string>{std::string(102, 'y'), std::string(498, 'y'), "second()", "first()"}),
            Newest(console.History()));
  EXPECT_FALSE(console.LoadHistory("missing_history.txt", false));
  EXPECT_EQ(0, console.History().Count());
}

}  // namespace
}  // namespace tarn
