// The sources of the file system through their common interface: a host
// folder and a pack archive of the same tree answer lookups and searches alike.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pack/pack_write.h"
#include "resources/folder_source.h"
#include "resources/pack_source.h"
#include "resources/source.h"
#include "test_support.h"

namespace tarn {
namespace {

class SourceTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (const auto& file : kTree) game_.Write("tree/" + file.first, file.second);
    PackWriteOptions options;
    options.compression = kPackBzip2;
    std::string error;
    ASSERT_TRUE(WritePackFromFolder(game_.path() + "/tree", game_.path() + "/tree.pak", options, &error)) << error;
    auto folder = std::make_unique<FSSourceDir>();
    auto pack = std::make_unique<FSSourcePack>();
    ASSERT_TRUE(folder->Open(game_.path() + "/tree"));
    ASSERT_TRUE(pack->Open(game_.path() + "/tree.pak"));
    sources_.push_back(std::move(folder));
    sources_.push_back(std::move(pack));
  }

  const std::map<std::string, std::string> kTree = {
      {"readme.txt", "read me"},        {"gfx/a.png", "png-a"}, {"gfx/b.png", "png-bb"},
      {"gfx/menu/back.png", "back"},    {"gfx/notes.txt", "n"}, {"sfx/boom.wav", std::string(3000, 'w')},
  };
  std::vector<std::unique_ptr<FSSource>> sources_;
};

TEST_F(SourceTest, FolderAndPackFindTheSameFiles) {
  struct Case {
    const char* name;
    bool found;
    uint32_t size;
  };
  const Case cases[] = {
      {"readme.txt", true, 7}, {"gfx/a.png", true, 5},     {"gfx/menu/back.png", true, 4},
      {"sfx/boom.wav", true, 3000}, {"gfx", false, 0},     {"gfx/menu", false, 0},
      {"missing.txt", false, 0}, {"gfx/missing.png", false, 0}, {"readme.txt/x", false, 0},
  };
  for (const std::unique_ptr<FSSource>& source : sources_) {
    SCOPED_TRACE(source->IsArchive() ? "pack" : "folder");
    for (const Case& c : cases) {
      FoundFile found;
      EXPECT_EQ(c.found, source->Find(NormaliseName(c.name), found)) << c.name;
      if (!c.found) continue;
      EXPECT_EQ(c.size, found.info.size) << c.name;
      EXPECT_EQ(source->IsArchive(), found.entry != nullptr) << c.name;
      EXPECT_FALSE(found.hostPath.empty()) << c.name;
    }
  }
}

TEST_F(SourceTest, FolderAndPackOpenWhatTheyFind) {
  for (const std::unique_ptr<FSSource>& source : sources_) {
    SCOPED_TRACE(source->IsArchive() ? "pack" : "folder");
    for (const auto& file : kTree) {
      for (bool loadIntoMemory : {false, true}) {
        FoundFile found;
        ASSERT_TRUE(source->Find(NormaliseName(file.first), found)) << file.first;
        OpenedStream opened = source->OpenFile(found, loadIntoMemory);
        ASSERT_TRUE(opened) << file.first;
        EXPECT_EQ(file.second.size(), opened.length) << file.first;
        std::string contents(file.second.size() + 1, '\0');
        opened.stream->read(&contents[0], static_cast<std::streamsize>(contents.size()));
        contents.resize(static_cast<size_t>(opened.stream->gcount()));
        EXPECT_EQ(file.second, contents) << file.first;
      }
    }
  }
}

TEST_F(SourceTest, FolderAndPackSearchAlike) {
  struct Case {
    const char* pattern;
    bool files, dirs, withPaths;
    std::map<std::string, uint32_t> expected;  // reported name -> size
  };
  const uint32_t kFolder = 0xFFFFFFFFu;
  const Case cases[] = {
      {"*", true, true, false, {{"readme.txt", 7}, {"gfx", kFolder}, {"sfx", kFolder}}},
      {"*", false, true, false, {{"gfx", kFolder}, {"sfx", kFolder}}},
      {"gfx/*.png", true, false, true, {{"gfx/a.png", 5}, {"gfx/b.png", 6}}},
      {"gfx/*", true, true, false, {{"a.png", 5}, {"b.png", 6}, {"notes.txt", 1}, {"menu", kFolder}}},
      {"gfx/menu/*", true, false, true, {{"gfx/menu/back.png", 4}}},
      {"missing/*", true, true, true, {}},
  };
  for (const std::unique_ptr<FSSource>& source : sources_) {
    SCOPED_TRACE(source->IsArchive() ? "pack" : "folder");
    for (const Case& c : cases) {
      std::map<std::string, FileInfo> results;
      int count = source->Search(NormaliseName(c.pattern), c.files, c.dirs, &results, c.withPaths);
      std::map<std::string, uint32_t> sizes;
      for (const auto& item : results) sizes[item.first] = item.second.size;
      EXPECT_EQ(c.expected, sizes) << c.pattern;
      EXPECT_EQ(static_cast<int>(c.expected.size()), count) << c.pattern;
      // A name already reported is neither replaced nor counted again.
      EXPECT_EQ(0, source->Search(NormaliseName(c.pattern), c.files, c.dirs, &results, c.withPaths)) << c.pattern;
    }
  }
}

}  // namespace
}  // namespace tarn
