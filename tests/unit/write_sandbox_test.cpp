// The write sandbox against what a hostile game can plant or name: letter-case
// variants of the write folder, symbolic links inside it (also dangling ones
// named like the engine's own files) and folder names that are not one plain
// name. After every attempt, nothing may exist outside.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

#include "platform/hostfs.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/write_ops.h"
#include "test_support.h"

namespace tarn {
namespace {

class WriteSandboxTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    testing::EngineTest::SetUp();
    FileSystem::Instance().FinishSetup();
    testing::DeveloperMode(true);  // refusals are logged and return, instead of stopping
    folder_ = FileSystem::Instance().WriteFolder();
    ASSERT_EQ(0, symlink(outside_.path().c_str(), (folder_ + "link").c_str()));
  }
  // Names of what lies in the outside folder.
  std::vector<std::string> Outside() const {
    std::vector<std::string> names;
    for (const hostfs::Entry& entry : hostfs::Enumerate(outside_.path() + "/*")) names.push_back(entry.name);
    return names;
  }
  std::string Cased(bool upper) const {
    std::string name = folder_.substr(0, folder_.size() - 1);
    size_t last = name.find_last_of('/') + 1;
    for (size_t i = last; i < name.size(); ++i)
      name[i] = static_cast<char>(upper ? std::toupper(name[i]) : std::tolower(name[i]));
    return name + "/";
  }
  testing::TempDir outside_;
  std::string folder_;
};

TEST_F(WriteSandboxTest, FoldersAreMadeOnlyBelowTheWriteFolder) {
  struct Case {
    std::string path;
    bool made;
    std::string inside;  // where it must then exist, relative to the folder
  };
  const Case cases[] = {
      {Cased(true) + "x", false, ""},
      {Cased(false) + "x", false, ""},
      {folder_ + "link/made", false, ""},
      {folder_ + "link/new/deeper/", false, ""},
      {folder_ + "link/../dotdot", true, "dotdot"},
      {folder_ + "a/./b/../c/", true, "a/c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.made, FileSystem::Instance().CreateFoldersGuarded(c.path)) << c.path;
    if (!c.inside.empty()) {
      EXPECT_TRUE(hostfs::IsRealDir(folder_ + c.inside)) << c.path;
    }
    EXPECT_TRUE(Outside().empty()) << c.path;
  }
  std::string parent = folder_.substr(0, folder_.find_last_of('/', folder_.size() - 2) + 1);
  for (bool upper : {true, false}) EXPECT_FALSE(hostfs::IsRealDir(Cased(upper))) << "beside the write folder";
  EXPECT_FALSE(hostfs::IsRealDir(parent + "dotdot"));
}

TEST_F(WriteSandboxTest, EveryWriteRefusesAPathThroughALink) {
  std::string victim = outside_.Write("victim.txt", "keep");
  FileSystem& fs = FileSystem::Instance();
  EXPECT_EQ(nullptr, OpenWrite("link/new.txt", true, true, false));
  EXPECT_EQ(nullptr, fs.OpenWriteFile("link/shot.png", "wb", true));
  EXPECT_EQ(nullptr, fs.OpenWriteFile(Cased(true) + "shot.png", "wb", true));
  EXPECT_FALSE(fs.RemoveFile("link/victim.txt"));
  EXPECT_EQ(0, RemoveMatching("link/*"));
  EXPECT_FALSE(Rename("link/victim.txt", "mine.txt"));
  EXPECT_FALSE(Rename("mine.txt", "link/victim2.txt"));
  EXPECT_FALSE(DeleteFolder("link", true));
  EXPECT_FALSE(ClearFolder("link"));
  EXPECT_EQ("keep", testing::ReadFile(victim));
  EXPECT_EQ(std::vector<std::string>{"victim.txt"}, Outside());
}

TEST_F(WriteSandboxTest, DanglingLinksAsTheEnginesOwnFilesAreNotFollowed) {
  std::string target = outside_.path() + "/target";
  for (const char* name : {"log.txt", ".game.lock", "console_history.txt"})
    ASSERT_EQ(0, symlink((target + name).c_str(), (folder_ + name).c_str()));
  FileSystem& fs = FileSystem::Instance();
  EXPECT_EQ(nullptr, fs.OpenWriteFile("log.txt", "at", false)) << "the log appends without the write test";
  EXPECT_EQ(nullptr, fs.OpenWriteFile("console_history.txt", "w", true));
  EXPECT_TRUE(Platform::Get().AcquireInstanceLock(folder_ + ".game.lock")) << "no lock possible: the game starts";
  EXPECT_TRUE(Outside().empty());
  EXPECT_TRUE(fs.RemoveFile("log.txt")) << "the link itself may go";
  FILE* log = fs.OpenWriteFile("log.txt", "at", false);
  ASSERT_NE(nullptr, log);
  fclose(log);
  EXPECT_FALSE(hostfs::IsLink(folder_ + "log.txt"));
}

TEST_F(WriteSandboxTest, FolderNamesMustBeOnePlainName) {
  const std::pair<const char*, bool> names[] = {
      {"My Game", true}, {"Game 2: Return", true}, {".hidden", true}, {"...", true},
      {"", false},       {".", false},              {"..", false},     {"a/b", false},
      {"a\\b", false},   {"../../x", false},        {"line\nfeed", false},
  };
  for (const auto& [name, plain] : names) EXPECT_EQ(plain, FileSystem::IsPlainFolderName(name)) << name;
  FileSystem& fs = FileSystem::Instance();
  EXPECT_FALSE(fs.SetAppName("../escape"));
  EXPECT_FALSE(fs.SetPublisherFolder("/etc"));
  EXPECT_FALSE(fs.SetAppFolder(".."));
  EXPECT_TRUE(fs.SetAppFolder("")) << "empty: the app name takes its place";
  fs.FinishSetup();
  EXPECT_EQ("Tarn Engine", fs.AppName());
  EXPECT_EQ(folder_, fs.WriteFolder()) << "refused names leave the folder where it was";
}

}  // namespace
}  // namespace tarn
