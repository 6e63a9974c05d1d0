// The files the sound engine streams, over the file system: a folder and a
// pack archive read, seek and report the same way.
#include <string>

#include "audio/game_file.h"
#include "pack/pack_write.h"
#include "resources/filesystem.h"
#include "test_support.h"

namespace tarn::testing {
namespace {

using audio::OpenGameFile;

class GameFileTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (int i = 0; i < 1000; ++i) bytes_ += static_cast<char>(i & 0xFF);
    game_.Write("folder/a/clip.bin", bytes_);
    game_.Write("packed/b/clip.bin", bytes_);
    std::string error;
    ASSERT_TRUE(WritePackFromFolder(game_.path() + "/packed", game_.path() + "/sounds.pak", PackWriteOptions(),
                                    &error))
        << error;
    ASSERT_TRUE(FileSystem::Instance().Mount("folder"));
    ASSERT_TRUE(FileSystem::Instance().Mount("sounds.pak"));
  }
  std::string bytes_;
};

const char* const kNames[] = {"a/clip.bin", "b/clip.bin"};  // in the folder, in the pack

TEST_F(GameFileTest, ReadsAndSeeksInFoldersAndPacks) {
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    auto file = OpenGameFile(name);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(1000, file->Size());
    EXPECT_EQ(name, file->Name());
    char buffer[100];
    EXPECT_EQ(10, file->Read(buffer, 10));
    EXPECT_EQ(bytes_.substr(0, 10), std::string(buffer, 10));
    EXPECT_EQ(10, file->Position());
    EXPECT_TRUE(file->Seek(5, true));
    EXPECT_EQ(15, file->Position());
    EXPECT_TRUE(file->Seek(600, false));
    EXPECT_EQ(4, file->Read(buffer, 4));
    EXPECT_EQ(bytes_.substr(600, 4), std::string(buffer, 4));
    // Past the end: what is there, then a failed stream until the next call.
    EXPECT_TRUE(file->Seek(990, false));
    EXPECT_EQ(10, file->Read(buffer, 100));
    EXPECT_EQ(-1, file->Position());
    // Seeking clears the failure first: relative to the end it reached.
    EXPECT_TRUE(file->Seek(-20, true));
    EXPECT_EQ(980, file->Position());
    EXPECT_EQ(bytes_.substr(980, 8), std::string(buffer, file->Read(buffer, 8)));
    EXPECT_FALSE(file->Seek(-5, false));
    EXPECT_EQ(-1, file->Position());
    EXPECT_TRUE(file->Seek(0, false));
    EXPECT_EQ(3, file->Read(buffer, 3));
    EXPECT_EQ(0, file->Read(buffer, 0));
  }
}

TEST_F(GameFileTest, GivesTheStreamBackWhenDestroyed) {
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    size_t open = FileSystem::Instance().OpenStreamCount();
    auto file = OpenGameFile(name);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(open + 1, FileSystem::Instance().OpenStreamCount());
    file.reset();
    EXPECT_EQ(open, FileSystem::Instance().OpenStreamCount());
  }
  EXPECT_EQ(nullptr, OpenGameFile("a/missing.bin"));
  EXPECT_EQ(nullptr, OpenGameFile(""));
}

TEST_F(GameFileTest, KeepsAtMost1023CharactersOfTheName) {
  // The file system trims the blanks after a name, so a long name still opens.
  const struct {
    size_t blanks;
    size_t kept;
  } cases[] = {{0, 10}, {1013, 1023}, {1014, 1023}, {5000, 1023}};
  for (const auto& c : cases) {
    std::string name = "a/clip.bin" + std::string(c.blanks, ' ');
    auto file = OpenGameFile(name);
    ASSERT_NE(nullptr, file) << c.blanks;
    EXPECT_EQ(name.substr(0, c.kept), file->Name()) << c.blanks;
  }
}

}  // namespace
}  // namespace tarn::testing
