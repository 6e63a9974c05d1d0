#include <unistd.h>

#include "diag/error.h"
#include "platform/hostfs.h"
#include "resources/filesystem.h"
#include "resources/strings.h"
#include "resources/write_ops.h"
#include "test_support.h"

namespace tarn {
namespace {

class WriteOpsTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    testing::EngineTest::SetUp();
    FileSystem::Instance().FinishSetup();
    testing::DeveloperMode(true);
    folder_ = FileSystem::Instance().WriteFolder();
  }
  std::string folder_;
};

TEST_F(WriteOpsTest, SymbolicLinksNeverLeadOutOfTheWriteFolder) {
  testing::TempDir outside;
  std::string victim = outside.Write("victim.txt", "keep me");
  ASSERT_EQ(0, symlink(outside.path().c_str(), (folder_ + "outlink").c_str()));
  ASSERT_EQ(0, symlink(victim.c_str(), (folder_ + "filelink.txt").c_str()));

  EXPECT_EQ(nullptr, OpenWrite("outlink/new.txt", true, true, false));
  EXPECT_EQ(nullptr, OpenWrite("filelink.txt", true, true, false)) << "no writing through a link to a file";
  EXPECT_EQ(nullptr, FileSystem::Instance().OpenWriteFile("outlink/x.txt", "w", true));
  EXPECT_EQ(0, RemoveMatching("outlink/*"));
  EXPECT_FALSE(Rename("outlink/victim.txt", "stolen.txt"));
  EXPECT_TRUE(ClearFolder("")) << "links inside are removed, not followed";
  EXPECT_EQ("keep me", testing::ReadFile(victim));
  hostfs::Entry entry;
  EXPECT_FALSE(hostfs::Stat(folder_ + "outlink", entry));
}

TEST_F(WriteOpsTest, FoldersRenamesAndPatterns) {
  std::ostream* out = OpenWrite("a/b/c.txt", true, true, false);
  ASSERT_NE(nullptr, out);
  *out << "data";
  CloseWrite(out);
  out = OpenWrite("a/b/c.txt", true, false, false);
  *out << "+more";
  CloseWrite(out);
  EXPECT_EQ("data+more", testing::ReadFile(folder_ + "a/b/c.txt")) << "without overwrite the stream appends";
  EXPECT_FALSE(DeleteFolder("a", false)) << "not empty";
  EXPECT_TRUE(DeleteFolder("a", true));
  out = OpenWrite("x1.sav", true, true, false);
  CloseWrite(out);
  out = OpenWrite("x2.sav", true, true, false);
  CloseWrite(out);
  out = OpenWrite("keep.txt", true, true, false);
  CloseWrite(out);
  EXPECT_FALSE(Rename("x1.sav", "x2.sav")) << "an existing target";
  EXPECT_EQ(2, RemoveMatching("x?.sav"));
  EXPECT_EQ(0, RemoveMatching("../*"));
  EXPECT_FALSE(DeleteFolder("../..", true));
  hostfs::Entry kept;
  EXPECT_TRUE(hostfs::Stat(folder_ + "keep.txt", kept));
}

TEST_F(WriteOpsTest, SandboxStopsTheGameOutsideDeveloperMode) {
  testing::DeveloperMode(false);
  EXPECT_THROW(OpenWrite("../x.txt", true, true, false), Exception);
  EXPECT_THROW(Rename("a", "../b"), Exception);
  EXPECT_THROW(DeleteFolder("a/../../b", false), Exception);
}

TEST_F(WriteOpsTest, StringTables) {
  std::string path = game_.Write("s.txt", "a = one  \n  b=two\\nlines\nc = @@x\n\ny@@ tail\nbad line\n=empty key\n");
  std::vector<std::string> seen;
  FILEStringsSource source;
  int errors = 0;
  int count = ReadStrings(source, path,
                          [&](int index, const std::string& key, const std::string& value) {
                            seen.push_back(std::to_string(index) + ":" + key + "=" + value);
                          },
                          [&](const std::string&, int line, const std::string&) { errors += line; });
  EXPECT_EQ(4, count);
  EXPECT_EQ((std::vector<std::string>{"0:a=one", "1:b=two\nlines", "2:c=x\n\ny", "3:=empty key"}), seen);
  EXPECT_EQ(6, errors) << "line numbers count the lines of a multi-line value";
  FILEStringsSource missing;
  EXPECT_EQ(-1, ReadStrings(missing, game_.path() + "/none.txt", [](int, const std::string&, const std::string&) {}));

  ResetEngineTextForTests();
  game_.Write("engine.txt", "upgrade_button_no = Not now\n");
  EXPECT_EQ("Not now", EngineText("upgrade_button_no", "Later").value());
  EXPECT_EQ("Yes", EngineText("upgrade_button_yes", "Yes").value());
  EXPECT_FALSE(EngineText("unknown", nullptr).has_value());
  ResetEngineTextForTests();
}

}  // namespace
}  // namespace tarn
