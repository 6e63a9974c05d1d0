#include <string>

#include "diag/error.h"
#include "resources/parcon.h"
#include "test_support.h"

namespace tarn {
namespace {

class ParconTest : public testing::EngineTest {
 protected:
  // Parses text; the reader stays alive in parcon_.
  const ParconList& Parse(const std::string& text) {
    std::string path = game_.Write("doc.txt", text);
    parcon_ = std::make_unique<Parcon>();
    EXPECT_TRUE(parcon_->Open(path, true));
    return *parcon_->Root();
  }
  // A compact picture of a list: values as text, lists in brackets, the
  // placeholder name as ~.
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
  std::unique_ptr<Parcon> parcon_;
};

TEST_F(ParconTest, EmptyAndCommentOnlyFilesHoldOnlyTheRootName) {
  EXPECT_EQ("(__root__)", Show(Parse("")));
  EXPECT_EQ("(__root__)", Show(Parse("# just a note\n   # another\n")));
}

TEST_F(ParconTest, CommentsQuotesAndBrackets) {
  EXPECT_EQ("(__root__ (a b))", Show(Parse("(a b) # note (c)\n")));
  const ParconList& root = Parse("(text \"a (b) [c] # d \\\"q\\\" \\\\n\")\n");
  ASSERT_EQ(2u, root.size());
  EXPECT_STREQ("a (b) [c] # d \"q\" \\\\n", (*root[1]->List())[1]->Text());
  EXPECT_EQ("(__root__ (a b# c)))", Show(Parse("(a \"b# c)"))) << "an unclosed quote runs to the end of the line";
  EXPECT_EQ("(__root__ (a b\"c#d))", Show(Parse("(a b\"c#d)"))) << "quote and hash inside a bare token";
  EXPECT_EQ("(__root__ (x  y))", Show(Parse("(x \"\" y)"))) << "an empty pair of quotes is an empty token";
  EXPECT_EQ("(__root__ (q open to the end next))", Show(Parse("(q \"open to the end\nnext")));
}

TEST_F(ParconTest, UnnamedListsAndUnbalancedBrackets) {
  const ParconList& root = Parse("[1 2 3]");
  EXPECT_EQ("(__root__ (~ 1 2 3))", Show(root));
  ParconCursor cursor(root[1]->List());
  EXPECT_EQ(nullptr, cursor.Name());
  EXPECT_EQ("(__root__ (a (b c)))", Show(Parse("(a (b c)")));
  EXPECT_EQ("(__root__ (a))", Show(Parse("(a) ) (b)")));
  EXPECT_EQ("(__root__ (a b))", Show(Parse("(a b]")));
  EXPECT_EQ("(__root__ (x 1))", Show(Parse("(x 1)\r(y 2)\n"))) << "a carriage return ends the line";
  EXPECT_EQ("(__root__ (x 1) (y 2))", Show(Parse("(x 1)\r\n(y 2)\r\n")));
}

TEST_F(ParconTest, DeepNestingDoesNotExhaustTheStack) {
  std::string deep(200000, '(');
  const ParconList& root = Parse(deep + "leaf");
  const ParconList* list = &root;
  int depth = 0;
  while (!list->empty() && (*list)[list->size() - 1]->List()) {
    list = (*list)[list->size() - 1]->List();
    ++depth;
  }
  EXPECT_EQ(7999, depth) << "only the first 7999 characters of the line are read";
}

TEST_F(ParconTest, LongLinesAreCutAndEndTheFile) {
  std::string line = "(a " + std::string(9000, 'x') + ")\n(b 1)\n";
  const ParconList& root = Parse(line);
  ASSERT_EQ(2u, root.size());
  const ParconList& a = *root[1]->List();
  ASSERT_EQ(2u, a.size());
  EXPECT_EQ(7999u - 3u, std::string(a[1]->Text()).size());
}

TEST_F(ParconTest, CursorConversions) {
  const ParconList& root = Parse("(n 12abc 0x10 -7 \" 42\" 1e3 .5 -2.5e-1 x 1e (l))");
  ParconCursor cursor(root[1]->List());
  EXPECT_STREQ("n", cursor.Name());
  EXPECT_EQ(12, cursor.NextInt(true, -1));
  EXPECT_EQ(0, cursor.NextInt(true, -1));
  EXPECT_EQ(-7, cursor.NextInt(true, -1));
  EXPECT_EQ(42, cursor.NextInt(true, -1));
  EXPECT_FLOAT_EQ(1000.0f, cursor.NextFloat(true, -1));
  EXPECT_FLOAT_EQ(0.5f, cursor.NextFloat(true, -1));
  EXPECT_FLOAT_EQ(-0.25f, cursor.NextFloat(true, -1));
  EXPECT_FLOAT_EQ(0.0f, cursor.NextFloat(true, -1));
  EXPECT_FLOAT_EQ(1.0f, cursor.NextFloat(true, -1)) << "an exponent without digits is not part of the number";
  EXPECT_TRUE(cursor.HasNext());
  EXPECT_FALSE(cursor.NextIsValue());
  EXPECT_EQ(9, cursor.NextInt(true, 9)) << "a list gives the default";
  EXPECT_NE(nullptr, cursor.List());
  EXPECT_FALSE(cursor.HasNext());
  EXPECT_EQ("dflt", cursor.NextString(false, "dflt"));
  EXPECT_EQ(5, cursor.NextInt(false, 5));
}

TEST_F(ParconTest, MissingRequiredValueNamesFileValueAndList) {
  std::string path = game_.Write("size.txt", "(size 5)\n[7]\n");
  Parcon parcon;
  ASSERT_TRUE(parcon.Open(path, false));
  ParconCursor cursor((*parcon.Root())[1]->List());
  EXPECT_EQ(5, cursor.NextInt(true, 0));
  try {
    cursor.NextInt(true, 0);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ("Parcon Error: More data expected! Last read:\n\nFile: " + path + "\nValue: 5\nList name: size",
              std::string(e.Message()).substr(0, 254));
  }
  ParconCursor unnamed((*parcon.Root())[2]->List());
  unnamed.Next();
  try {
    unnamed.NextString(true, "");
    FAIL() << "no error";
  } catch (const Exception& e) {
    std::string message = e.Message();
    EXPECT_NE(std::string::npos, message.find("Value: 7\nList name: bez nazwy")) << message;
  }
}

TEST_F(ParconTest, MissingFiles) {
  Parcon parcon;
  EXPECT_FALSE(parcon.Open(game_.path() + "/none.txt", false));
  EXPECT_EQ(nullptr, parcon.Root());
  EXPECT_THROW(parcon.Open(game_.path() + "/none.txt", true), Exception);
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount()) << "every stream goes back";
}

}  // namespace
}  // namespace tarn
