#include <unistd.h>

#include <map>
#include <string>

#include "app/console.h"
#include "diag/error.h"
#include "platform/hostfs.h"
#include "resources/filesystem.h"
#include "test_support.h"

namespace tarn {
namespace {

TEST(NormaliseName, TrimsLowersSplitsAndLimits) {
  NormalisedName a = NormaliseName("  GFX\\Menu\\Back.PNG\t");
  NormalisedName b = NormaliseName("gfx//menu/back.png/");
  ASSERT_TRUE(a.ok);
  EXPECT_EQ("gfx/menu/back.png", a.text);
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(3u, a.components.size());
  EXPECT_FALSE(NormaliseName(" \t ").ok);
  EXPECT_FALSE(NormaliseName("///").ok);

  std::string thirty, thirtyOne;
  for (int i = 0; i < 30; ++i) thirty += "d/";
  thirtyOne = thirty + "x";
  EXPECT_TRUE(NormaliseName(thirty).ok);
  EXPECT_FALSE(NormaliseName(thirtyOne).ok);

  NormalisedName longName = NormaliseName(std::string(1500, 'a'));
  ASSERT_TRUE(longName.ok);
  EXPECT_EQ(1023u, longName.text.size());
}

TEST(Wildcards, MatchIgnoringCase) {
  EXPECT_TRUE(hostfs::WildcardMatch("data_*.pak", "DATA_b.PAK"));
  EXPECT_TRUE(hostfs::WildcardMatch("*", ""));
  EXPECT_TRUE(hostfs::WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(hostfs::WildcardMatch("a?c", "ac"));
  EXPECT_TRUE(hostfs::WildcardMatch("*a*b*c", "xxaxxbxxbc"));
  EXPECT_FALSE(hostfs::WildcardMatch("*.pak", "data.pak.bak"));
  // A long name against a pattern with many stars stays fast.
  EXPECT_FALSE(hostfs::WildcardMatch("*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(CollapseDots, RemovesDotComponents) {
  EXPECT_EQ("/w/x", hostfs::CollapseDots("/w/a/../x"));
  EXPECT_EQ("/x", hostfs::CollapseDots("/w/../../x"));
  EXPECT_EQ("/w/", hostfs::CollapseDots("/w/./"));
}

class FileSystemTest : public testing::EngineTest {
 protected:
  FileSystem& fs = FileSystem::Instance();
};

TEST_F(FileSystemTest, NothingMountedFindsNothingButAbsoluteNames) {
  std::string path = game_.Write("data/a.txt", "hello");
  EXPECT_FALSE(fs.Exists("data/a.txt", true));
  EXPECT_EQ(nullptr, fs.OpenRead("a.txt", nullptr, false));
  EXPECT_EQ(0, fs.Search("*", true, true, nullptr, false));
  FileInfo info;
  InputStream* stream = fs.OpenRead(path, &info, false);
  ASSERT_NE(nullptr, stream);
  EXPECT_EQ(5u, info.size);
  fs.CloseRead(stream);
  EXPECT_EQ(0u, fs.OpenStreamCount());
}

TEST_F(FileSystemTest, LookupIgnoresCaseAndSeparators) {
  game_.Write("data/Gfx/Menu/Back.png", "png!");
  ASSERT_TRUE(fs.Mount("data"));
  for (const char* name : {"GFX\\Menu\\Back.PNG", "gfx/menu/back.png", "  gfx//menu/back.png  "}) {
    FileInfo info;
    EXPECT_TRUE(fs.Exists(name, true, &info)) << name;
    EXPECT_EQ(4u, info.size) << name;
  }
  std::unique_ptr<char[]> data = fs.ReadWhole("gfx/menu/BACK.png", nullptr, true);
  ASSERT_TRUE(data);
  EXPECT_STREQ("png!", data.get());
  EXPECT_FALSE(fs.Exists("gfx/menu", true)) << "folders are not files";
  EXPECT_EQ(-1, fs.Search("", true, true, nullptr, false));
}

TEST_F(FileSystemTest, LaterSourcesWinAndFolderWithDotDoesNotMount) {
  game_.Write("data/x.txt", "data");
  game_.Write("extra/x.txt", "extra!");
  game_.Write("levels.old/y.txt", "y");
  ASSERT_TRUE(fs.Mount("data"));
  ASSERT_TRUE(fs.Mount("extra"));
  EXPECT_FALSE(fs.Mount("levels.old"));
  EXPECT_FALSE(fs.Mount("missing"));
  EXPECT_EQ(2u, fs.SourceCount());
  std::unique_ptr<char[]> data = fs.ReadWhole("x.txt", nullptr, true);
  ASSERT_TRUE(data);
  EXPECT_STREQ("extra!", data.get());

  std::map<std::string, FileInfo> found;
  EXPECT_EQ(1, fs.Search("*.txt", true, true, &found, false));
  ASSERT_EQ(1u, found.count("x.txt"));
  EXPECT_EQ(6u, found["x.txt"].size) << "the size comes from the source mounted later";
  EXPECT_EQ(2, fs.Search("*.txt", true, true, nullptr, false)) << "without a map both count";
}

TEST_F(FileSystemTest, SearchFiltersKindsAndReportsPaths) {
  game_.Write("data/sub/one.txt", "1");
  game_.Write("data/sub/inner/two.txt", "22");
  ASSERT_TRUE(fs.Mount("data"));
  std::map<std::string, FileInfo> found;
  EXPECT_EQ(2, fs.Search("SUB/*", true, true, &found, true));
  EXPECT_EQ(1u, found.count("sub/one.txt"));
  ASSERT_EQ(1u, found.count("sub/inner"));
  EXPECT_EQ(0xFFFFFFFFu, found["sub/inner"].size);
  EXPECT_EQ(1, fs.Search("sub/*", false, true, nullptr, false));
  EXPECT_EQ(1, fs.Search("sub/*", true, false, nullptr, false));
  EXPECT_EQ(0, fs.Search("sub/*", false, false, nullptr, false));
}

TEST_F(FileSystemTest, MountMatchingSortsNames) {
  game_.Write("mods_b/x.txt", "b");
  game_.Write("mods_a/x.txt", "a");
  // Folders are skipped by MountMatching: only files are mounted.
  EXPECT_EQ(0, fs.MountMatching("mods_*"));
}

TEST_F(FileSystemTest, WriteFolderFollowsNames) {
  EXPECT_EQ(profile_.path() + "/Saved Games/Veskor Games/Tarn Engine/", fs.WriteFolder());
  fs.SetAppName("Bar");
  fs.FinishSetup();
  EXPECT_EQ(profile_.path() + "/Saved Games/Veskor Games/Bar/", fs.WriteFolder());
  fs.SetAppFolder("Foo");
  fs.SetPublisherFolder("Pub");
  fs.FinishSetup();
  EXPECT_EQ(profile_.path() + "/Saved Games/Pub/Foo/", fs.WriteFolder());
  hostfs::Entry entry;
  EXPECT_TRUE(hostfs::Stat(fs.WriteFolder(), entry) && entry.isDir) << "FinishSetup creates the folder";
}

TEST_F(FileSystemTest, PortableWriteFolderIsInTheGameFolder) {
  fs.SetWriteFolder("user/");
  fs.SetAppName("Ignored");
  fs.FinishSetup();
  EXPECT_EQ(game_.path() + "/user/", fs.WriteFolder());
  hostfs::Entry entry;
  EXPECT_TRUE(hostfs::Stat(game_.path() + "/user", entry) && entry.isDir);
}

TEST_F(FileSystemTest, ResolvePlacesNamesInTheWriteFolder) {
  const std::string w = fs.WriteFolder();
  EXPECT_EQ(w.substr(0, w.size() - 1), fs.Resolve("."));
  EXPECT_EQ(w + "a", fs.Resolve("./a"));
  EXPECT_EQ(w + "a", fs.Resolve("a"));
  EXPECT_EQ(w + "a", fs.Resolve("\\a")) << "one leading separator is dropped";
  EXPECT_EQ(w + "a", fs.Resolve("  a \n"));
  EXPECT_EQ(w + ".a", fs.Resolve(".a"));
  EXPECT_EQ(w + "sub/b.txt", fs.Resolve("sub\\b.txt"));
  EXPECT_EQ("/etc/passwd", fs.Resolve("/etc/passwd")) << "absolute names stay as they are";
}

TEST_F(FileSystemTest, InWriteFolderIsTextualAfterCollapsingDots) {
  const std::string w = fs.WriteFolder();
  EXPECT_TRUE(fs.InWriteFolder(w + "x"));
  EXPECT_FALSE(fs.InWriteFolder(w.substr(0, w.size() - 1)));
  std::string upper = w;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(fs.InWriteFolder(upper + "x")) << "this host's names are case-sensitive: another folder";
  EXPECT_FALSE(fs.InWriteFolder(fs.Resolve("../x")));
  EXPECT_FALSE(fs.InWriteFolder(fs.Resolve("a/../../x")));
  EXPECT_TRUE(fs.InWriteFolder(fs.Resolve("a/../x")));
}

TEST_F(FileSystemTest, CreateFoldersReportsWhetherTheLastLevelIsNew) {
  const std::string base = fs.WriteFolder() + "one/two";
  EXPECT_TRUE(fs.CreateFolders(base));
  EXPECT_FALSE(fs.CreateFolders(base)) << "exists already";
  EXPECT_FALSE(fs.CreateFolders(fs.WriteFolder() + "three/")) << "the final call finds it made";
  hostfs::Entry entry;
  EXPECT_TRUE(hostfs::Stat(fs.WriteFolder() + "three", entry));
  EXPECT_FALSE(fs.CreateFolders(""));
}

TEST_F(FileSystemTest, SandboxRefusesWritesOutside) {
  testing::DeveloperMode(true);  // FatalError returns, so the failure value is seen
  EXPECT_EQ(nullptr, fs.OpenWriteFile("../escape.txt", "w", true));
  EXPECT_EQ(nullptr, fs.OpenWriteFile("/tmp/escape.txt", "wb", true));
  EXPECT_FALSE(fs.CreateFoldersGuarded("relative/path"));
  std::string text;
  int level = 0;
  ASSERT_TRUE(Console::Instance().Lines().Get(0, text, level));
  EXPECT_EQ(" <relative/path>", text);
  EXPECT_EQ(2, level);

  FILE* inside = fs.OpenWriteFile("saves/slot1.txt", "w", true);
  ASSERT_NE(nullptr, inside) << "parent folders are created";
  fputs("data", inside);
  fclose(inside);
  EXPECT_EQ("data", testing::ReadFile(fs.WriteFolder() + "saves/slot1.txt"));
  EXPECT_TRUE(fs.RemoveFile("saves/slot1.txt"));
  EXPECT_FALSE(fs.RemoveFile("saves/slot1.txt")) << "nothing left to remove";
}

TEST_F(FileSystemTest, SandboxThrowsOutsideDeveloperMode) {
  EXPECT_THROW(fs.OpenWriteFile("../escape.txt", "w", true), Exception);
  std::string outside = game_.Write("victim.txt", "keep");
  EXPECT_THROW(fs.RemoveFile(outside), Exception);
  EXPECT_EQ("keep", testing::ReadFile(outside));
  EXPECT_FALSE(fs.RemoveFile(game_.path() + "/no-such-file")) << "a missing file is no sandbox breach";
}

}  // namespace
}  // namespace tarn
