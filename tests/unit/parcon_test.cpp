#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "diag/error.h"
#include "resources/filesystem.h"
#include "resources/parcon.h"
#include "test_support.h"

namespace tarn {
namespace {

class ParconTest : public testing::EngineTest {
 protected:
  // Parses text from a file in the game folder; the reader stays alive in
  // parcon_ so the returned tree stays valid.
  const ParconList& Parse(const std::string& text) {
    path_ = game_.Write("doc.txt", text);
    parcon_ = std::make_unique<Parcon>();
    EXPECT_TRUE(parcon_->Open(path_, true));
    static const ParconList kNothing;
    return parcon_->Root() ? *parcon_->Root() : kNothing;
  }
  std::string ShowParsed(const std::string& text) { return Show(Parse(text)); }

  // A compact picture of a list: values as their text, lists in brackets and
  // the placeholder name of an unnamed list as ~.
  static std::string Show(const ParconList& list) {
    std::string out = "(";
    for (size_t i = 0; i < list.size(); ++i) {
      if (i) out += ' ';
      const ParconNode& node = *list[i];
      if (node.List()) out += Show(*node.List());
      else out += node.Text() ? node.Text() : "~";
    }
    return out + ")";
  }

  // The message of the Exception the call throws, or "no exception".
  template <typename F>
  static std::string ThrownMessage(F&& call) {
    try {
      call();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "no exception";
  }

  static bool ConsoleHas(const std::string& line) {
    const LineRing& ring = Console::Instance().Lines();
    for (int i = 0; i < ring.Count(); ++i) {
      std::string text;
      int level = 0;
      if (ring.Get(i, text, level) && text == line) return true;
    }
    return false;
  }

  std::string path_;
  std::unique_ptr<Parcon> parcon_;
};

// A reader that reaches the file stack, as one with an include construct would.
class StackReader : public Parcon {
 public:
  using Parcon::Level;
  using Parcon::PopFile;
  using Parcon::PushFile;
  using Parcon::ReadRoot;
};

TEST_F(ParconTest, EmptyInputsHoldOnlyTheRootName) {
  EXPECT_EQ("(__root__)", ShowParsed(""));
  EXPECT_EQ("(__root__)", ShowParsed("# just a note\n   # another (a b)\n"));
  EXPECT_EQ("(__root__)", ShowParsed(" \t\v\f\n\n\r\n   "));
  EXPECT_EQ("(__root__)", ShowParsed("]\n(a 1)\n")) << "a closing bracket first ends the file at once";
}

TEST_F(ParconTest, CommentsRunToTheEndOfTheLineWhereATokenCouldBegin) {
  EXPECT_EQ("(__root__ (a b))", ShowParsed("(a b) # note (c)\n"));
  EXPECT_EQ("(__root__ (a) (b))", ShowParsed("(a)#(x)\n(b)"));
  EXPECT_EQ("(__root__ (y))", ShowParsed("#(x)\n(y)\n"));
  EXPECT_EQ("(__root__ (k b#c d))", ShowParsed("(k b#c d)")) << "'#' inside a bare token is an ordinary character";
}

TEST_F(ParconTest, QuotedTokens) {
  const ParconList& root = Parse("(text \"say \\\"hi\\\" (x) [y] # z\" end)\n");
  ASSERT_EQ(2u, root.size());
  const ParconList& text = *root[1]->List();
  ASSERT_EQ(3u, text.size());
  EXPECT_STREQ("say \"hi\" (x) [y] # z", text[1]->Text());
  EXPECT_STREQ("end", text[2]->Text());

  // Only backslash-quote is an escape; a backslash before another backslash is
  // kept, so the second one still escapes the quote after it.
  EXPECT_EQ("(__root__ (p C:\\dir\\\" x)) (q 1)))", ShowParsed("(p \"C:\\dir\\\\\" x))\n(q 1))"));
  EXPECT_EQ("(__root__ (p a\\))", ShowParsed("(p \"a\\\n)")) << "a backslash at the end of the line is kept";

  // An unclosed quote stops at the end of its line; the list stays open.
  EXPECT_EQ("(__root__ (a b# c) (d)))", ShowParsed("(a \"b# c)\n(d)"));
  EXPECT_EQ("(__root__ (x  y))", ShowParsed("(x \"\" y)")) << "an empty pair of quotes is an empty value";
  EXPECT_EQ("(__root__ (k a\"b\"c))", ShowParsed("(k a\"b\"c)")) << "a quote inside a bare token is ordinary";
  EXPECT_EQ("(__root__ (k a b))", ShowParsed("(k \"a\"b)")) << "the closing quote ends the token";

  // A quoted bracket is a bracket: tokens carry no mark of quoting.
  EXPECT_EQ("(__root__ (a 1) (~ 2))", ShowParsed("\"(\" a 1 \")\" \"[\" 2 \"]\""));
  EXPECT_EQ("(__root__ (a b))", ShowParsed("(\"a\" b)"));
}

TEST_F(ParconTest, UnnamedListsAndNames) {
  const ParconList& root = Parse("[1 2 3] () ((a) b)");
  EXPECT_EQ("(__root__ (~ 1 2 3) () ((a) b))", Show(root));

  ParconCursor unnamed(root[1]->List());
  EXPECT_EQ(nullptr, unnamed.Name());
  EXPECT_EQ("dflt", unnamed.Value("dflt")) << "the placeholder has no text";
  EXPECT_EQ(nullptr, unnamed.List());
  EXPECT_EQ(1, unnamed.NextInt(true, 0));
  EXPECT_EQ(2, unnamed.NextInt(true, 0));
  EXPECT_EQ(3, unnamed.NextInt(true, 0));

  ParconCursor empty(root[2]->List());
  EXPECT_EQ(nullptr, empty.Name());
  EXPECT_FALSE(empty.HasNext());
  EXPECT_EQ("d", empty.Value("d"));
  EXPECT_EQ("d", empty.NextString(false, "d"));

  ParconCursor listNamed(root[3]->List());
  EXPECT_EQ(nullptr, listNamed.Name()) << "element 0 is a list";

  ParconCursor top(&root);
  EXPECT_STREQ("__root__", top.Name());
}

TEST_F(ParconTest, UnbalancedBrackets) {
  EXPECT_EQ("(__root__ (a (b c)))", ShowParsed("(a (b c)"));
  EXPECT_EQ("(__root__ (a))", ShowParsed("(a) ) (b)")) << "the stray bracket ends the file";
  EXPECT_EQ("(__root__ (a) (b))", ShowParsed("(a) (b)]\n(c)"));
  EXPECT_EQ("(__root__ (a (~ b) c))", ShowParsed("(a [b) c)")) << "either bracket closes either list";
  EXPECT_EQ("(__root__ (a b))", ShowParsed("(a b]"));
}

TEST_F(ParconTest, LineEnds) {
  EXPECT_EQ("(__root__ (x 1))", ShowParsed("(x 1)\r(y 2)\n")) << "a carriage return ends the line";
  EXPECT_EQ("(__root__ (x 1) (y 2))", ShowParsed("(x 1)\r\n(y 2)\r\n"));
  EXPECT_EQ("(__root__ (x 1) (y 2))", ShowParsed("(x 1)\n(y 2)")) << "a last line without a line feed";
  EXPECT_EQ("(__root__ (a 1 2))", ShowParsed("(a\n1\n\n\n2)"));
  EXPECT_EQ("(__root__ (a) (c))", ShowParsed(std::string("(a)\0(b)\n(c)", 11)))
      << "a zero byte ends the line text";
  EXPECT_EQ("(__root__ (a b c))", ShowParsed("(a\tb\v\fc)"));
}

TEST_F(ParconTest, LongLines) {
  // 7999 characters exactly: the line is whole and the next one is read.
  std::string fits = "(a " + std::string(7995, 'x') + ")";
  ASSERT_EQ(7999u, fits.size());
  const ParconList& whole = Parse(fits + "\n(b 1)\n");
  ASSERT_EQ(3u, whole.size());
  EXPECT_EQ(7995u, std::string((*whole[1]->List())[1]->Text()).size());
  EXPECT_EQ("(b 1)", Show(*whole[2]->List()));

  // One more: the closing bracket is past the limit, and the file ends there.
  std::string over = "(a " + std::string(7996, 'x') + ")";
  const ParconList& cut = Parse(over + "\n(b 1)\n");
  ASSERT_EQ(2u, cut.size());
  const ParconList& a = *cut[1]->List();
  ASSERT_EQ(2u, a.size());
  EXPECT_EQ(7996u, std::string(a[1]->Text()).size());

  const ParconList& longer = Parse("(a " + std::string(20000, 'y') + ")\n(b 1)\n");
  ASSERT_EQ(2u, longer.size());
  EXPECT_EQ(7996u, std::string((*longer[1]->List())[1]->Text()).size());
}

TEST_F(ParconTest, DeepNestingOverManyLines) {
  // 300000 open lists over many lines: neither parsing nor freeing the tree
  // may recurse once per level.
  std::string line(1000, '(');
  std::string text;
  for (int i = 0; i < 300; ++i) text += line + "\n";
  text += "leaf\n";
  {
    const ParconList& root = Parse(text);
    const ParconList* list = &root;
    int depth = 0;
    while (!list->empty() && list->back()->List()) {
      list = list->back()->List();
      ++depth;
    }
    EXPECT_EQ(300000, depth);
    ASSERT_EQ(1u, list->size());
    EXPECT_STREQ("leaf", (*list)[0]->Text()) << "the innermost list is named by the last token";
  }
  parcon_.reset();
}

TEST_F(ParconTest, CursorWalk) {
  const ParconList& root = Parse("(outer 1 (inner 2 3) \"x y\")");
  ParconCursor outer(root[1]->List());
  EXPECT_STREQ("outer", outer.Name());
  EXPECT_EQ("outer", outer.Value("d")) << "the cursor starts on the name";
  EXPECT_TRUE(outer.HasNext());
  EXPECT_TRUE(outer.NextIsValue());
  EXPECT_EQ(1, outer.NextInt(true, -1));
  EXPECT_FALSE(outer.NextIsValue());
  EXPECT_TRUE(outer.Next());
  EXPECT_EQ("d", outer.Value("d"));
  ASSERT_NE(nullptr, outer.List());

  ParconCursor inner(outer.List());
  EXPECT_STREQ("inner", inner.Name());
  EXPECT_EQ(2, inner.NextInt(true, -1));
  EXPECT_EQ(3, inner.NextInt(true, -1));
  EXPECT_FALSE(inner.HasNext());
  EXPECT_FALSE(inner.Next());
  EXPECT_EQ("3", inner.Value("d"));

  EXPECT_EQ("x y", outer.NextString(true, "d"));
  EXPECT_EQ(nullptr, outer.List());
  EXPECT_FALSE(outer.HasNext());
  EXPECT_FALSE(outer.NextIsValue());
  EXPECT_EQ("d", outer.NextString(false, "d"));
  EXPECT_EQ(7, outer.NextInt(false, 7));
  EXPECT_FLOAT_EQ(1.5f, outer.NextFloat(false, 1.5f));
  EXPECT_EQ("x y", outer.Value("d")) << "with nothing left the cursor stays";

  ParconCursor lists(root[1]->List());
  lists.Next();
  EXPECT_EQ("d", lists.NextString(true, "d")) << "a list gives the default";
}

TEST_F(ParconTest, IntegerConversion) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"12abc", 12},        {"0x10", 0},          {"-7", -7},           {" \t42", 42},
      {"+3", 3},            {"abc", 0},           {"", 0},              {"- 5", 0},
      {"007", 7},           {"1.9", 1},           {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"99999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, ParconToInt(c.text)) << '"' << c.text << '"';

  const ParconList& root = Parse("(n 12abc 0x10 \" 42\" (l))");
  ParconCursor cursor(root[1]->List());
  EXPECT_EQ(12, cursor.NextInt(true, -1));
  EXPECT_EQ(0, cursor.NextInt(true, -1));
  EXPECT_EQ(42, cursor.NextInt(true, -1));
  EXPECT_EQ(9, cursor.NextInt(true, 9)) << "a list gives the default";
}

TEST_F(ParconTest, FloatConversion) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"1e3", 1000.0},  {".5", 0.5},    {"-2.5e-1", -0.25}, {"5.", 5.0},    {"+1.25", 1.25},
      {" 2.5kg", 2.5},  {"1e", 1.0},    {"1e+", 1.0},       {"2E2", 200.0}, {"x", 0.0},
      {".", 0.0},       {"-", 0.0},     {".e5", 0.0},       {"inf", 0.0},   {"nan", 0.0},
      {"0x1p3", 0.0},   {"1,5", 1.0},   {"0.1", 0.1},       {"1e-400", 0.0}, {"0.000e999999999999", 0.0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, ParconToFloat(c.text)) << '"' << c.text << '"';
  EXPECT_EQ(HUGE_VAL, ParconToFloat("1e400"));
  EXPECT_EQ(-HUGE_VAL, ParconToFloat("-123456e999999999999"));
  EXPECT_EQ(0.0, ParconToFloat("0.0000001e-400"));

  // Narrowing rounds as the hardware does; past the float range lies infinity.
  EXPECT_EQ(FLT_MAX, ParconNarrow(3.4028235e38));
  EXPECT_EQ(HUGE_VALF, ParconNarrow(1e39));
  EXPECT_EQ(-HUGE_VALF, ParconNarrow(-1e300));
  EXPECT_EQ(0.1f, ParconNarrow(0.1));

  const ParconList& root = Parse("(f 1e3 -.5 1e40 (l) abc)");
  ParconCursor cursor(root[1]->List());
  EXPECT_EQ(1000.0f, cursor.NextFloat(true, -1));
  EXPECT_EQ(-0.5f, cursor.NextFloat(true, -1));
  EXPECT_EQ(HUGE_VALF, cursor.NextFloat(true, -1));
  EXPECT_EQ(-1.0f, cursor.NextFloat(true, -1)) << "a list gives the default";
  EXPECT_EQ(0.0f, cursor.NextFloat(true, -1));
}

// The error keeps the line of the element the cursor stood on and its whole
// text, however long the file's path.
TEST_F(ParconTest, MissingDataKeepsItsLineAndWholeText) {
  const ParconList& root = Parse("# comment\n\n(size\n  5)\n(x)\n");
  const std::vector<std::pair<const ParconList*, int>> cases = {{root[1]->List(), 4}, {root[2]->List(), 5}};
  for (const auto& [list, line] : cases) {
    SCOPED_TRACE(line);
    ParconCursor cursor(list);
    while (cursor.HasNext()) cursor.Next();
    try {
      cursor.NextInt(true, 0);
      FAIL() << "no error";
    } catch (const ParconMissingData& error) {
      EXPECT_EQ(line, error.Line());
      EXPECT_EQ(0u, error.Text().find("Parcon Error: More data expected! Last read:\n\nFile: " + path_));
    }
  }
  const std::string folder(100, 'n');
  std::string longName = folder + "/" + folder + "/" + folder + "/k.txt";
  std::string path = game_.Write(longName, "(key)\n");
  Parcon parcon;
  ASSERT_TRUE(parcon.Open(path, true));
  ParconCursor cursor((*parcon.Root())[1]->List());
  try {
    cursor.NextString(true, "");
    FAIL() << "no error";
  } catch (const ParconMissingData& error) {
    EXPECT_EQ("Parcon Error: More data expected! Last read:\n\nFile: " + path + "\nValue: key\nList name: key",
              error.Text());
    EXPECT_EQ(254u, std::string(error.Message()).size()) << "the Exception message stays bounded";
  }
}

TEST_F(ParconTest, MissingRequiredValues) {
  const ParconList& root = Parse("(size 5)\n[7]\n(fx (sub 1))\n[]\n()\n");
  ASSERT_EQ(6u, root.size());
  const std::string prefix = "Parcon Error: More data expected! Last read:\n\nFile: " + path_;

  ParconCursor size(root[1]->List());
  EXPECT_EQ(5, size.NextInt(true, 0));
  EXPECT_EQ(prefix + "\nValue: 5\nList name: size", ThrownMessage([&] { size.NextInt(true, 0); }));
  EXPECT_EQ("5", size.Value("")) << "the cursor stays";

  ParconCursor unnamed(root[2]->List());
  unnamed.Next();
  EXPECT_EQ(prefix + "\nValue: 7\nList name: bez nazwy", ThrownMessage([&] { unnamed.NextString(true, ""); }));

  ParconCursor onList(root[3]->List());
  onList.Next();
  EXPECT_EQ(prefix + "\nValue: (null)\nList name: fx", ThrownMessage([&] { onList.NextFloat(true, 0); }));

  ParconCursor placeholder(root[4]->List());
  EXPECT_EQ(prefix + "\nValue: (null)\nList name: bez nazwy", ThrownMessage([&] { placeholder.NextInt(true, 0); }));

  ParconCursor empty(root[5]->List());
  EXPECT_EQ("Parcon Error: More data expected! Last read:\n\nFile: (null)\nValue: (null)\nList name: bez nazwy",
            ThrownMessage([&] { empty.NextInt(true, 0); }));

  // Thrown directly, in developer mode too, and without a log line.
  testing::DeveloperMode(true);
  ParconCursor again(root[1]->List());
  again.Next();
  EXPECT_EQ(prefix + "\nValue: 5\nList name: size", ThrownMessage([&] { again.NextString(true, ""); }));
  EXPECT_NE(Console::kErrorView, Console::Instance().Mode());
}

TEST_F(ParconTest, EveryElementRecordsItsFile) {
  const ParconList& root = Parse("(a 1 [2 (b)])\nx\n");
  std::vector<const ParconList*> lists{&root};
  int elements = 0;
  while (!lists.empty()) {
    const ParconList* list = lists.back();
    lists.pop_back();
    for (const auto& node : *list) {
      ++elements;
      ASSERT_NE(nullptr, node->file);
      EXPECT_EQ(path_, *node->file);
      if (node->List()) lists.push_back(node->List());
    }
  }
  EXPECT_EQ(10, elements);
}

TEST_F(ParconTest, MissingFiles) {
  const std::string missing = game_.path() + "/none.txt";
  Parcon parcon;
  EXPECT_FALSE(parcon.Open(missing, false));
  EXPECT_EQ(nullptr, parcon.Root());
  EXPECT_NE(Console::kErrorView, Console::Instance().Mode()) << "without the report the failure is silent";

  EXPECT_THROW(parcon.Open(missing, true), Exception);
  EXPECT_TRUE(ConsoleHas("Parcon Error: Cannot find file " + missing + "!"));

  // In developer mode the report only logs and Open returns false; the tree
  // of the last successful Open stays.
  testing::DeveloperMode(true);
  ASSERT_TRUE(parcon.Open(game_.Write("good.txt", "(g 1)"), false));
  testing::FreshLog();
  EXPECT_FALSE(parcon.Open(game_.path() + "/other.txt", true));
  EXPECT_TRUE(ConsoleHas("Parcon Error: Cannot find file " + game_.path() + "/other.txt!"));
  ASSERT_NE(nullptr, parcon.Root());
  EXPECT_EQ("(__root__ (g 1))", Show(*parcon.Root()));
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
}

TEST_F(ParconTest, OpenReadsThroughMountedSourcesAndClosesItsStream) {
  game_.Write("data/fx/spark.txt", "(spark 3) ) (ignored)");
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  Parcon first;
  ASSERT_TRUE(first.Open("fx/spark.txt", true));
  EXPECT_EQ("(__root__ (spark 3))", Show(*first.Root()));
  EXPECT_EQ("fx/spark.txt", *(*first.Root())[1]->file);
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount()) << "closed after a stray bracket too";

  // Readers are independent; opening again replaces the tree.
  Parcon second;
  ASSERT_TRUE(second.Open(game_.Write("b.txt", "(b)"), false));
  ASSERT_TRUE(first.Open(game_.Write("c.txt", "(c)"), false));
  EXPECT_EQ("(__root__ (b))", Show(*second.Root()));
  EXPECT_EQ("(__root__ (c))", Show(*first.Root()));
}

TEST_F(ParconTest, FileStackHoldsSixFiles) {
  const std::string file = game_.Write("level.txt", "(x)");
  {
    StackReader reader;
    EXPECT_EQ(-1, reader.Level());
    EXPECT_FALSE(reader.PopFile());
    EXPECT_FALSE(reader.PushFile(game_.path() + "/missing.txt"));
    EXPECT_EQ(-1, reader.Level());
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(reader.PushFile(file)) << i;
    EXPECT_EQ(5, reader.Level());
    EXPECT_EQ("Parcon Error: Maximum allowed depth for file includes is 5!",
              ThrownMessage([&] { reader.PushFile(file); }));
    EXPECT_EQ(5, reader.Level()) << "the failed push leaves the stack as it was";
    EXPECT_EQ(6u, FileSystem::Instance().OpenStreamCount());
    EXPECT_TRUE(reader.PopFile());
    EXPECT_EQ(4, reader.Level());
  }
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount()) << "the reader gives back the files still open";
}

TEST_F(ParconTest, InnerFileEndResumesTheOuterFile) {
  const std::string outer = game_.Write("outer.txt", "(a 1)\n(b 2)\n");
  const std::string inner = game_.Write("inner.txt", "(c 3) (d");
  StackReader reader;
  ASSERT_TRUE(reader.PushFile(outer));
  ASSERT_TRUE(reader.PushFile(inner));
  std::unique_ptr<ParconList> root = reader.ReadRoot();
  EXPECT_EQ(-1, reader.Level());
  EXPECT_EQ("(__root__ (c 3) (d (a 1) (b 2)))", Show(*root));
  const ParconList& d = *(*root)[2]->List();
  EXPECT_EQ(inner, *d[0]->file);
  EXPECT_EQ(outer, *d[1]->file);
  EXPECT_EQ(outer, *(*d[1]->List())[1]->file);
}

}  // namespace
}  // namespace tarn
