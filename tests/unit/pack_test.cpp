// Pack archives and compressed envelopes: the pattern matcher, the directory
// reader (including damaged archives), entry streams, envelopes, and lookups
// through the file system.
#include <bzlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/console.h"
#include "diag/log.h"
#include "pack/pack_extract.h"
#include "pack/pack_write.h"
#include "platform/hostfs.h"
#include "resources/bzip2.h"
#include "resources/envelope.h"
#include "resources/filesystem.h"
#include "resources/pack.h"
#include "resources/pack_pattern.h"
#include "resources/pack_source.h"
#include "resources/write_ops.h"
#include "test_support.h"

namespace tarn {
namespace {

// ---- An archive writer of the tests' own, straight from the layout ----

void U32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Bzip2(const std::string& data, int blockSize = 9) {
  std::string out(data.size() + data.size() / 100 + 600, '\0');
  unsigned int length = static_cast<unsigned int>(out.size());
  int rc = BZ2_bzBuffToBuffCompress(&out[0], &length, const_cast<char*>(data.data()),
                                    static_cast<unsigned int>(data.size()), blockSize, 0, 0);
  EXPECT_EQ(BZ_OK, rc);
  out.resize(length);
  return out;
}

// One record with every field as it is written; 'children' follow it.
struct Rec {
  std::string name;
  bool dir = false;
  uint32_t offset = 0;
  uint32_t compression = 0;
  uint32_t size = 0;
  uint32_t packed = 0;
  int64_t childCount = -1;  // -1: the number of children given
  std::vector<Rec> children;
};

void PutRecord(std::string& out, uint32_t version, const Rec& r) {
  U32(out, static_cast<uint32_t>(r.name.size()));
  out += r.name;
  out += static_cast<char>(r.dir ? 1 : 0);
  U32(out, r.offset);
  uint32_t count = r.childCount >= 0 ? static_cast<uint32_t>(r.childCount) : static_cast<uint32_t>(r.children.size());
  if (version == 2) {
    U32(out, r.compression);
    U32(out, count);
    U32(out, r.size);
    U32(out, r.packed);
  } else {
    U32(out, r.size);
    U32(out, r.compression);
    U32(out, count);
  }
  for (const Rec& child : r.children) PutRecord(out, version, child);
}

std::string Directory(uint32_t version, const std::vector<Rec>& root, int64_t rootCount = -1) {
  std::string out;
  U32(out, version);
  U32(out, rootCount >= 0 ? static_cast<uint32_t>(rootCount) : static_cast<uint32_t>(root.size()));
  for (const Rec& r : root) PutRecord(out, version, r);
  return out;
}

// A tree of folders and files to lay out as a valid archive.
struct Node {
  std::string name;
  bool dir = false;
  std::string contents;
  std::vector<Node> children;
};

Rec Named(const std::string& name) {
  Rec r;
  r.name = name;
  return r;
}

Node File(const std::string& name, const std::string& contents) { return Node{name, false, contents, {}}; }
Node Folder(const std::string& name, std::vector<Node> children) { return Node{name, true, "", std::move(children)}; }

// Lays the data out after the directory, in record order.
std::string Archive(uint32_t version, const std::vector<Node>& root, bool bzip2 = false) {
  std::string data;
  // First pass with zero offsets to learn the directory's size.
  std::function<Rec(const Node&)> shape = [&](const Node& n) {
    Rec r;
    r.name = n.name;
    r.dir = n.dir;
    for (const Node& c : n.children) r.children.push_back(shape(c));
    return r;
  };
  std::vector<Rec> shaped;
  for (const Node& n : root) shaped.push_back(shape(n));
  const uint32_t base = static_cast<uint32_t>(Directory(version, shaped).size());
  std::function<Rec(const Node&)> fill = [&](const Node& n) {
    Rec r;
    r.name = n.name;
    r.dir = n.dir;
    if (!n.dir) {
      // Empty files are stored even in a compressed archive.
      bool compress = bzip2 && !n.contents.empty();
      std::string stored = compress ? Bzip2(n.contents) : n.contents;
      r.offset = base + static_cast<uint32_t>(data.size());
      r.compression = compress ? kPackBzip2 : kPackStored;
      // Version 1 records the stored length only.
      r.size = version == 2 ? static_cast<uint32_t>(n.contents.size()) : static_cast<uint32_t>(stored.size());
      r.packed = static_cast<uint32_t>(stored.size());
      data += stored;
    }
    for (const Node& c : n.children) r.children.push_back(fill(c));
    return r;
  };
  std::vector<Rec> recs;
  for (const Node& n : root) recs.push_back(fill(n));
  std::string out = Directory(version, recs);
  EXPECT_EQ(base, out.size());
  return out + data;
}

std::vector<Node> SampleTree() {
  return {Folder("gfx", {Folder("menu", {File("back.png", "PNG-back"), File("logo.png", "PNG-logo!")}),
                         File("a.png", "a-in-folder")}),
          File("gfx", "the file gfx"),
          Folder("sfx", {File("boom.wav", std::string(5000, 'b'))}),
          File("readme.txt", "line one\nline two\n"),
          File("empty.txt", "")};
}

std::vector<std::string> Components(const std::string& name) { return NormaliseName(name).components; }

// ---- Patterns ----

TEST(PackPattern, StarPrefixSuffixAndMiddle) {
  EXPECT_TRUE(PackPatternMatch("abc*", "abc"));
  EXPECT_TRUE(PackPatternMatch("abc*", "abcdef"));
  EXPECT_FALSE(PackPatternMatch("abc*", "xabc"));
  EXPECT_TRUE(PackPatternMatch("*abc", "xabc"));
  EXPECT_FALSE(PackPatternMatch("*abc", "abcx"));
  EXPECT_TRUE(PackPatternMatch("a*bc", "abxbc"));
  EXPECT_FALSE(PackPatternMatch("a*bc", "abcbc")) << "the leftmost bc ends before the end: no backtracking";
  EXPECT_TRUE(PackPatternMatch("*.*", "noext"));
  EXPECT_TRUE(PackPatternMatch("*.*", "a.b"));
  EXPECT_TRUE(PackPatternMatch("*.*", ""));
  EXPECT_TRUE(PackPatternMatch("***", "anything"));
  EXPECT_TRUE(PackPatternMatch("*", ""));
}

TEST(PackPattern, OnlyStarIsAWildcard) {
  EXPECT_TRUE(PackPatternMatch("a?c", "a?c"));
  EXPECT_FALSE(PackPatternMatch("a?c", "abc"));
  EXPECT_TRUE(PackPatternMatch("x.png", "x.png"));
  EXPECT_FALSE(PackPatternMatch("x.png", "x.pngx"));
  EXPECT_FALSE(PackPatternMatch("x.png", "X.png")) << "bytes compare exactly";
  EXPECT_TRUE(PackPatternMatch("*.png", "menu.png"));
  EXPECT_FALSE(PackPatternMatch("*.png", "menu.png.bak"));
  EXPECT_FALSE(PackPatternMatch("*.png", "a.png.png")) << "leftmost occurrence only";
  EXPECT_TRUE(PackPatternMatch("a*b*c", "axxbyyc"));
  EXPECT_FALSE(PackPatternMatch("a*b*c", "acb"));
  EXPECT_TRUE(PackPatternMatch("a**c", "abc"));
  EXPECT_FALSE(PackPatternMatch("abc", "ab"));
}

TEST(PackPattern, TwentyPiecesAtMost) {
  // Twenty-one pieces: p0*p1*...*p20. The last is ignored and the pattern is
  // open-ended.
  std::string pattern, name;
  for (int i = 0; i <= 20; ++i) {
    if (i) pattern += '*';
    pattern += "p" + std::to_string(i);
    if (i < 20) name += "p" + std::to_string(i);
  }
  EXPECT_TRUE(PackPatternMatch(pattern, name)) << "p20 is beyond the twentieth piece";
  EXPECT_TRUE(PackPatternMatch(pattern, name + "tail")) << "open-ended";
  EXPECT_FALSE(PackPatternMatch(pattern, name.substr(2)));
  // Twenty pieces exactly keep their end anchor.
  std::string twenty, twentyName;
  for (int i = 0; i < 20; ++i) {
    if (i) twenty += '*';
    twenty += "q" + std::to_string(i);
    twentyName += "q" + std::to_string(i);
  }
  EXPECT_TRUE(PackPatternMatch(twenty, twentyName));
  EXPECT_FALSE(PackPatternMatch(twenty, twentyName + "tail"));
}

// ---- Archives through the file system ----

class PackTest : public testing::EngineTest {
 protected:
  FileSystem& fs = FileSystem::Instance();

  std::string WriteArchive(const std::string& name, const std::string& bytes) { return game_.Write(name, bytes); }

  std::string Read(const std::string& name, FileInfo* info = nullptr) {
    std::unique_ptr<char[]> data;
    FileInfo local;
    data = fs.ReadWhole(name, &local, false);
    if (info) *info = local;
    if (!data) return "<missing>";
    return std::string(data.get(), local.size);
  }

  // True when a warning naming 'path' (and holding 'reason') reached the console.
  bool WarnedAbout(const std::string& path, const std::string& reason = "") {
    const LineRing& lines = Console::Instance().Lines();
    for (int i = 0; i < lines.Count(); ++i) {
      std::string text;
      int level = 0;
      if (lines.Get(i, text, level) && level == kLevelWarning && text.find(path) != std::string::npos &&
          text.find(reason) != std::string::npos)
        return true;
    }
    return false;
  }

  // Mounting a damaged archive fails, mounts nothing and warns with its path.
  void ExpectRejected(const std::string& bytes, const char* what, const std::string& reason = "") {
    SCOPED_TRACE(what);
    testing::FreshLog();
    std::string name = std::string("bad_") + std::to_string(++badCount_) + ".pak";
    WriteArchive(name, bytes);
    size_t before = fs.SourceCount();
    EXPECT_FALSE(fs.Mount(name));
    EXPECT_EQ(before, fs.SourceCount());
    EXPECT_TRUE(WarnedAbout(name, reason));
    FSSourcePack pack;
    EXPECT_FALSE(pack.Open(name));
    EXPECT_FALSE(pack.mounted());
  }

  int badCount_ = 0;
};

TEST_F(PackTest, VersionOneAndTwoGiveTheSameLookups) {
  for (bool bzip2 : {false, true}) {
    SCOPED_TRACE(bzip2 ? "bzip2" : "stored");
    fs.ResetForTests();
    WriteArchive("v1.pak", Archive(1, SampleTree(), bzip2));
    WriteArchive("v2.pak", Archive(2, SampleTree(), bzip2));
    FSSourcePack v1, v2;
    ASSERT_TRUE(v1.Open("v1.pak"));
    ASSERT_TRUE(v2.Open("v2.pak"));
    EXPECT_EQ(1u, v1.version());
    EXPECT_EQ(2u, v2.version());
    for (const char* name : {"gfx", "gfx/a.png", "gfx/menu/back.png", "gfx/menu/logo.png", "sfx/boom.wav",
                             "readme.txt", "empty.txt", "gfx/menu", "sfx", "missing", "gfx/missing.png",
                             "readme.txt/x"}) {
      const PackEntry* a = v1.FindEntry(Components(name));
      const PackEntry* b = v2.FindEntry(Components(name));
      EXPECT_EQ(a != nullptr, b != nullptr) << name;
    }
    std::map<std::string, FileInfo> r1, r2;
    EXPECT_EQ(v1.SearchEntries(Components("gfx/*"), true, true, &r1, true),
              v2.SearchEntries(Components("gfx/*"), true, true, &r2, true));
    ASSERT_EQ(r1.size(), r2.size());
    for (auto a = r1.begin(), b = r2.begin(); a != r1.end(); ++a, ++b) EXPECT_EQ(a->first, b->first);

    // Contents read through the file system are the same from either archive.
    ASSERT_TRUE(fs.Mount("v1.pak"));
    std::map<std::string, std::string> fromV1;
    for (const char* name : {"gfx", "gfx/a.png", "gfx/menu/back.png", "sfx/boom.wav", "readme.txt", "empty.txt"}) {
      FileInfo info;
      fromV1[name] = Read(name, &info);
      EXPECT_EQ(fromV1[name].size(), info.size) << name;
    }
    ASSERT_TRUE(fs.Mount("v2.pak"));
    for (auto& item : fromV1) {
      FileInfo info;
      EXPECT_EQ(item.second, Read(item.first, &info)) << item.first;
      EXPECT_EQ(item.second.size(), info.size) << item.first;
    }
    EXPECT_EQ("PNG-back", fromV1["gfx/menu/back.png"]);
    EXPECT_EQ(std::string(5000, 'b'), fromV1["sfx/boom.wav"]);
    EXPECT_EQ("", fromV1["empty.txt"]);
    EXPECT_EQ(0u, fs.OpenStreamCount());
  }
}

TEST_F(PackTest, FolderAndFileOfOneNameLiveSideBySide) {
  WriteArchive("data.pak", Archive(2, SampleTree()));
  ASSERT_TRUE(fs.Mount("data.pak"));
  EXPECT_EQ(1u, fs.SourceCount());
  FileInfo info;
  ASSERT_TRUE(fs.Exists("gfx", true, &info));
  EXPECT_EQ(12u, info.size);
  EXPECT_EQ("the file gfx", Read("GFX"));
  EXPECT_EQ("a-in-folder", Read("gfx/a.png"));
  EXPECT_EQ("PNG-logo!", Read("Gfx\\Menu\\LOGO.png"));
  EXPECT_FALSE(fs.Exists("gfx/menu", true)) << "a folder is not a file";
  EXPECT_FALSE(fs.Exists("readme.txt/x", true)) << "a file is not a folder";

  // Folders sort before files in one folder.
  FSSourcePack pack;
  ASSERT_TRUE(pack.Open("data.pak"));
  std::vector<std::string> order;
  for (const auto& item : pack.root().children) order.push_back((item.second->isDir ? "d:" : "f:") + item.first.name);
  EXPECT_EQ((std::vector<std::string>{"d:gfx", "d:sfx", "f:empty.txt", "f:gfx", "f:readme.txt"}), order);
}

TEST_F(PackTest, ModificationTimeIsTheArchives) {
  std::string path = WriteArchive("data.pak", Archive(2, SampleTree()));
  hostfs::Entry entry;
  ASSERT_TRUE(hostfs::Stat(path, entry));
  ASSERT_TRUE(fs.Mount("data.pak"));
  FileInfo info;
  ASSERT_TRUE(fs.Exists("readme.txt", true, &info));
  EXPECT_EQ(entry.modified, info.modified);
  EXPECT_FALSE(fs.Exists("readme.txt", false)) << "pack sources are asked only when included";
}

TEST_F(PackTest, DuplicateEntriesKeepTheFirst) {
  std::string dataA = "first", dataB = "second!";
  std::vector<Rec> recs(2);
  recs[0].name = "x.txt";
  recs[1].name = "x.txt";
  const uint32_t base = static_cast<uint32_t>(Directory(2, recs).size());
  recs[0].offset = base;
  recs[0].size = recs[0].packed = 5;
  recs[1].offset = base + 5;
  recs[1].size = recs[1].packed = 7;
  WriteArchive("dup.pak", Directory(2, recs) + dataA + dataB);
  ASSERT_TRUE(fs.Mount("dup.pak"));
  EXPECT_EQ("first", Read("x.txt"));
  EXPECT_EQ(1, fs.Search("*", true, true, nullptr, false));
}

TEST_F(PackTest, NameEndsAtAZeroByte) {
  std::vector<Rec> recs(1);
  recs[0].name = std::string("a.txt\0junk", 10);
  const uint32_t base = static_cast<uint32_t>(Directory(2, recs).size());
  recs[0].offset = base;
  recs[0].size = recs[0].packed = 2;
  WriteArchive("zero.pak", Directory(2, recs) + "ok");
  ASSERT_TRUE(fs.Mount("zero.pak"));
  EXPECT_EQ("ok", Read("a.txt"));
}

TEST_F(PackTest, StoredEntryReadLineByLineEndsAtItsLastByte) {
  WriteArchive("data.pak", Archive(2, {File("a.txt", "one\ntwo\nthree"), File("b.txt", "NEXT ENTRY\nmore\n")}));
  ASSERT_TRUE(fs.Mount("data.pak"));
  for (bool load : {false, true}) {
    SCOPED_TRACE(load ? "in memory" : "in place");
    FileInfo info;
    InputStream* in = fs.OpenRead("a.txt", &info, load);
    ASSERT_NE(nullptr, in);
    EXPECT_EQ(13u, info.size);
    std::vector<std::string> lines;
    char line[256];
    for (;;) {
      in->getline(line, sizeof(line), '\n');
      if (in->gcount() == 0) break;
      lines.push_back(line);
    }
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), lines);
    // Block reads stop at the entry's end, and positions count from its start.
    in->clear();
    in->seekg(4);
    EXPECT_TRUE(in->good());
    char block[64];
    in->read(block, sizeof(block));
    EXPECT_EQ(9, in->gcount());
    EXPECT_EQ("two\nthree", std::string(block, 9));
    in->clear();
    in->seekg(0);
    in->read(block, 3);
    EXPECT_EQ("one", std::string(block, 3));
    EXPECT_EQ(3, static_cast<int>(in->tellg()));
    in->seekg(14);
    EXPECT_FALSE(in->good()) << "no seeking past the entry";
    fs.CloseRead(in);
  }
  EXPECT_EQ(0u, fs.OpenStreamCount());
}

TEST_F(PackTest, LaterArchivesWin) {
  WriteArchive("data.pak", Archive(2, {File("x.txt", "base"), File("only_base.txt", "b")}));
  WriteArchive("data_a.pak", Archive(2, {File("x.txt", "from a"), File("a.txt", "a")}));
  WriteArchive("data_b.pak", Archive(1, {File("x.txt", "from b!")}));
  ASSERT_TRUE(fs.Mount("data.pak"));
  EXPECT_EQ(2, fs.MountMatching("data_*.pak"));
  EXPECT_EQ("from b!", Read("x.txt"));
  EXPECT_EQ("a", Read("a.txt"));
  EXPECT_EQ("b", Read("only_base.txt"));

  std::map<std::string, FileInfo> found;
  EXPECT_EQ(3, fs.Search("*.txt", true, true, &found, false));
  EXPECT_EQ(7u, found["x.txt"].size) << "the size comes from the archive mounted last";
  EXPECT_EQ(5, fs.Search("*.txt", true, true, nullptr, false)) << "without a map every copy counts";

  // A folder mounted afterwards comes before every archive.
  game_.Write("data/x.txt", "loose");
  ASSERT_TRUE(fs.Mount("data"));
  EXPECT_EQ("loose", Read("x.txt"));
}

TEST_F(PackTest, SearchListsArchiveFolders) {
  WriteArchive("data.pak", Archive(2, SampleTree()));
  ASSERT_TRUE(fs.Mount("data.pak"));
  std::map<std::string, FileInfo> found;
  EXPECT_EQ(2, fs.Search("GFX/*", true, true, &found, true));
  ASSERT_EQ(1u, found.count("gfx/menu"));
  EXPECT_EQ(0xFFFFFFFFu, found["gfx/menu"].size);
  ASSERT_EQ(1u, found.count("gfx/a.png"));
  EXPECT_EQ(11u, found["gfx/a.png"].size);
  EXPECT_EQ(1, fs.Search("gfx/menu/b*", true, true, nullptr, false));
  EXPECT_EQ(2, fs.Search("gfx/menu/*.png", true, false, nullptr, false));
  EXPECT_EQ(0, fs.Search("gfx/menu/*.png", false, true, nullptr, false));
  EXPECT_EQ(0, fs.Search("nothing/*", true, true, nullptr, false));
  EXPECT_EQ(0, fs.Search("*", false, false, nullptr, false));
  found.clear();
  // At the root the folder gfx is reported first and the file of that name
  // is then already present.
  EXPECT_EQ(4, fs.Search("*", true, true, &found, false));
  EXPECT_EQ(0xFFFFFFFFu, found["gfx"].size);
  EXPECT_EQ(5, fs.Search("*", true, true, nullptr, false));
  EXPECT_EQ(2, fs.Search("*", false, true, nullptr, false));
  EXPECT_EQ(-1, fs.Search("  ", true, true, nullptr, false));
}

TEST_F(PackTest, ArchiveNameIsFoundWhateverItsCase) {
  WriteArchive("Data.PAK", Archive(2, {File("x.txt", "x")}));
  ASSERT_TRUE(fs.Mount("data.pak"));
  EXPECT_EQ("x", Read("x.txt"));
}

TEST_F(PackTest, MissingOrFolderArchivesDoNotMountSilently) {
  game_.Write("folder.pak/x.txt", "x");
  EXPECT_FALSE(fs.Mount("missing.pak"));
  EXPECT_FALSE(fs.Mount("folder.pak"));
  EXPECT_EQ(0u, fs.SourceCount());
  EXPECT_EQ(0, Console::Instance().Lines().Count());
}

TEST_F(PackTest, VersionOneBzip2EntriesLearnTheirSizeWhenOpened) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "row " + std::to_string(i) + "\n";
  WriteArchive("data.pak", Archive(1, {File("rows.txt", text)}, true));
  ASSERT_TRUE(fs.Mount("data.pak"));
  FileInfo info;
  ASSERT_TRUE(fs.Exists("rows.txt", true, &info));
  EXPECT_LT(info.size, text.size()) << "before opening only the stored length is known";
  EXPECT_EQ(text, Read("rows.txt", &info));
  EXPECT_EQ(text.size(), info.size);
}

TEST_F(PackTest, UnknownCompressionIsListedButDoesNotOpen) {
  std::vector<Rec> recs(1);
  recs[0].name = "odd.bin";
  recs[0].compression = 7;
  recs[0].offset = 0xFFFFFF00u;  // never used: nothing reads such an entry
  recs[0].size = 10;
  WriteArchive("data.pak", Directory(2, recs));
  ASSERT_TRUE(fs.Mount("data.pak"));
  EXPECT_TRUE(fs.Exists("odd.bin", true));
  EXPECT_EQ(nullptr, fs.OpenRead("odd.bin", nullptr, false));
  EXPECT_EQ(0u, fs.OpenStreamCount());
}

// ---- Damaged archives ----

TEST_F(PackTest, TruncatedArchivesAreRejected) {
  std::string good = Archive(2, SampleTree());
  ExpectRejected("", "empty file");
  ExpectRejected(std::string("\x02\0\0\0", 4), "no root count");
  ExpectRejected(std::string("\x02\0\0\0\x01\0\0", 7), "root count cut short");
  // Cut inside the directory at every length: none of them mounts.
  size_t dirSize = 0;
  {
    std::vector<Rec> shaped;
    std::function<Rec(const Node&)> shape = [&](const Node& n) {
      Rec r;
      r.name = n.name;
      r.dir = n.dir;
      for (const Node& c : n.children) r.children.push_back(shape(c));
      return r;
    };
    for (const Node& n : SampleTree()) shaped.push_back(shape(n));
    dirSize = Directory(2, shaped).size();
  }
  for (size_t cut = 9; cut < dirSize; cut += 7) ExpectRejected(good.substr(0, cut), "directory cut short");
}

TEST_F(PackTest, LengthsCountsOffsetsAndSizesBeyondTheFileAreRejected) {
  {
    std::string bytes;
    U32(bytes, 2);
    U32(bytes, 1);
    U32(bytes, 0xFFFFFFF0u);  // name length
    bytes += std::string(60, 'n');
    ExpectRejected(bytes, "name length beyond the file", "name length");
  }
  ExpectRejected(Directory(2, {}, 0x7FFFFFFF), "root child count beyond the file", "child count 2147483647");
  ExpectRejected(Directory(1, {}, 0xFFFFFFFFu), "version-1 root child count beyond the file", "child count");
  {
    Rec folder;
    folder.name = "f";
    folder.dir = true;
    folder.childCount = 1000000;
    ExpectRejected(Directory(2, {folder}), "folder child count beyond the file", "child count 1000000");
  }
  auto fileRec = [](uint32_t version, uint32_t offset, uint32_t size, uint32_t packed, uint32_t compression) {
    Rec r;
    r.name = "x";
    r.offset = offset;
    r.size = size;
    r.packed = packed;
    r.compression = compression;
    std::string dir = Directory(version, {r});
    return dir + std::string(16, 'd');
  };
  const uint32_t dirV2 = static_cast<uint32_t>(Directory(2, {Named("x")}).size());
  const uint32_t dirV1 = static_cast<uint32_t>(Directory(1, {Named("x")}).size());
  // The control: the same record fitting the file mounts.
  WriteArchive("fits.pak", fileRec(2, dirV2, 16, 16, kPackStored));
  EXPECT_TRUE(fs.Mount("fits.pak"));
  WriteArchive("fits1.pak", fileRec(1, dirV1, 16, 16, kPackStored));
  EXPECT_TRUE(fs.Mount("fits1.pak"));
  ExpectRejected(fileRec(2, dirV2 + 1000, 4, 4, kPackStored), "offset beyond the file", "beyond the end");
  ExpectRejected(fileRec(2, dirV2, 17, 17, kPackStored), "size one byte beyond the file");
  ExpectRejected(fileRec(2, 0xFFFFFFF0u, 0x20, 0x20, kPackStored), "offset plus size wraps 32 bits");
  ExpectRejected(fileRec(2, dirV2, 4, 0xFFFFFFFFu, kPackBzip2), "packed size beyond the file");
  ExpectRejected(fileRec(1, dirV1 + 8, 9, 0, kPackStored), "version-1 size beyond the file");
  ExpectRejected(fileRec(1, dirV1, 0x7FFFFFFF, 0, kPackBzip2), "version-1 packed length beyond the file");
  {
    Rec file;
    file.name = "x";
    file.children.push_back(Named("child"));
    ExpectRejected(Directory(2, {file}), "a file with children");
  }
}

TEST_F(PackTest, DeepNestingIsBoundedWithoutCrashing) {
  // Thirty levels can be named: 29 folders and a file.
  Rec deepest;
  deepest.name = "leaf.txt";
  std::string contents = "deep";
  Rec chain = deepest;
  for (int i = 0; i < 29; ++i) {
    Rec folder;
    folder.name = "d";
    folder.dir = true;
    folder.children.push_back(chain);
    chain = folder;
  }
  // Set the leaf's offset once the directory size is known.
  std::string dir = Directory(2, {chain});
  Rec* leaf = &chain;
  while (!leaf->children.empty()) leaf = &leaf->children[0];
  leaf->offset = static_cast<uint32_t>(dir.size());
  leaf->size = leaf->packed = 4;
  WriteArchive("deep.pak", Directory(2, {chain}) + contents);
  ASSERT_TRUE(fs.Mount("deep.pak"));
  std::string name;
  for (int i = 0; i < 29; ++i) name += "d/";
  EXPECT_EQ("deep", Read(name + "leaf.txt"));

  // A very deep chain of folders is read without recursion beyond the
  // limit; entries deeper than any name can reach are dropped.
  std::string bytes;
  U32(bytes, 2);
  U32(bytes, 1);
  const int levels = 200000;
  for (int i = 0; i < levels; ++i) {
    U32(bytes, 1);
    bytes += 'e';
    bytes += '\1';
    U32(bytes, 0);
    U32(bytes, 0);
    U32(bytes, i + 1 < levels ? 1 : 0);
    U32(bytes, 0);
    U32(bytes, 0);
  }
  WriteArchive("abyss.pak", bytes);
  ASSERT_TRUE(fs.Mount("abyss.pak"));
  EXPECT_EQ(1, fs.Search("e/e/e/*", false, true, nullptr, false));
  FSSourcePack abyss;
  ASSERT_TRUE(abyss.Open("abyss.pak"));
  int depth = 0;
  for (const PackEntry* e = &abyss.root(); !e->children.empty(); e = e->children.begin()->second.get()) ++depth;
  EXPECT_EQ(kMaxPackDepth, depth) << "levels no name can reach are dropped";

  // The same chain cut short is damaged.
  ExpectRejected(bytes.substr(0, bytes.size() - 3), "deep chain cut short");
  std::string tooMany = bytes;
  tooMany[tooMany.size() - 12] = 5;  // the last folder claims five children
  ExpectRejected(tooMany, "deep chain with a child count beyond the file");
}

TEST_F(PackTest, RandomDamageNeverCrashes) {
  // Flipped bytes anywhere in an archive either leave it mountable or get it
  // refused; every entry of a mounted one opens or fails cleanly.
  const std::string good[] = {Archive(2, SampleTree(), true), Archive(1, SampleTree(), true),
                              Archive(2, SampleTree(), false)};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int mounted = 0, refused = 0;
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good[round % 3];
    int flips = 1 + static_cast<int>(next() % 4);
    for (int i = 0; i < flips; ++i) bytes[next() % bytes.size()] = static_cast<char>(next() & 0xFF);
    fs.ResetForTests();
    WriteArchive("fuzz.pak", bytes);
    if (!fs.Mount("fuzz.pak")) {
      ++refused;
      continue;
    }
    ++mounted;
    std::map<std::string, FileInfo> names;
    fs.Search("*", true, false, &names, true);
    fs.Search("gfx/*", true, false, &names, true);
    fs.Search("gfx/menu/*", true, false, &names, true);
    fs.Search("sfx/*", true, false, &names, true);
    for (const auto& item : names) {
      for (bool load : {false, true}) {
        InputStream* in = fs.OpenRead(item.first, nullptr, load);
        if (!in) continue;
        char block[4096];
        while (in->read(block, sizeof(block)) || in->gcount() > 0) {
        }
        fs.CloseRead(in);
      }
    }
    EXPECT_EQ(0u, fs.OpenStreamCount());
  }
  EXPECT_GT(mounted, 0);
  EXPECT_GT(refused, 0);
}

TEST_F(PackTest, DamagedBzip2EntriesDoNotOpen) {
  std::string text(3000, 'q');
  std::string packed = Bzip2(text);
  auto archive = [&](const std::string& stored, uint32_t size) {
    Rec r;
    r.name = "x.txt";
    r.compression = kPackBzip2;
    r.offset = static_cast<uint32_t>(Directory(2, {r}).size());
    r.size = size;
    r.packed = static_cast<uint32_t>(stored.size());
    return Directory(2, {r}) + stored;
  };
  struct Case {
    const char* what;
    std::string stored;
    uint32_t size;
    bool opens;
  };
  std::string flipped = packed;
  flipped[packed.size() / 2] ^= 0x55;
  std::vector<Case> cases = {
      {"intact", packed, 3000, true},
      {"garbage", std::string(40, 'z'), 3000, false},
      {"truncated stream", packed.substr(0, packed.size() - 6), 3000, false},
      {"flipped byte", flipped, 3000, false},
      {"claims more than it holds", packed, 3001, false},
      {"claims less than it holds", packed, 2999, false},
      {"claims four gigabytes", std::string(40, 'z'), 0xFFFFFFF0u, false},
      {"claims four gigabytes of a real stream", packed, 0xFFFFFFF0u, false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    fs.ResetForTests();
    std::string name = "z" + std::to_string(i) + ".pak";
    WriteArchive(name, archive(cases[i].stored, cases[i].size));
    ASSERT_TRUE(fs.Mount(name)) << "the directory itself is sound";
    auto start = std::chrono::steady_clock::now();
    InputStream* in = fs.OpenRead("x.txt", nullptr, false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(cases[i].opens, in != nullptr);
    if (in && cases[i].opens) {
      std::string got(3000, '\0');
      in->read(&got[0], 3000);
      EXPECT_EQ(text, got);
    }
    fs.CloseRead(in);
    EXPECT_EQ(0u, fs.OpenStreamCount());
  }
}

TEST(PackUnpack, OutputNeverExceedsTheLimit) {
  std::string text(1 << 20, 'r');
  std::string packed = Bzip2(text);
  std::unique_ptr<char[]> out;
  uint32_t length = 0;
  ASSERT_TRUE(UnpackBzip2(packed.data(), packed.size(), false, 0, 1 << 20, out, length));
  EXPECT_EQ(static_cast<uint32_t>(1 << 20), length);
  EXPECT_EQ(0, std::memcmp(out.get(), text.data(), text.size()));
  EXPECT_FALSE(UnpackBzip2(packed.data(), packed.size(), false, 0, (1 << 20) - 1, out, length));
  EXPECT_FALSE(UnpackBzip2(packed.data(), 0 + 10, true, 1 << 20, 1 << 20, out, length));
}

// Sizes beyond the bound fail at once, damaged data fails as damaged, and
// only the former is reported as too large.
TEST(PackUnpack, SizesBeyondTheLimitFailAtOnce) {
  std::string text(1 << 20, 'r');
  std::string packed = Bzip2(text);
  struct Case {
    const char* what;
    std::string data;
    bool sizeKnown;
    uint64_t expected;
    uint64_t limit;
    bool tooLarge;
  };
  const std::vector<Case> cases = {
      {"declared size above the limit", packed, true, 1 << 20, (1 << 20) - 1, true},
      {"declared size above four gigabytes", packed, true, uint64_t{1} << 32, uint64_t{1} << 33, true},
      {"unknown size unpacking past the limit", packed, false, 0, (1 << 20) - 1, true},
      {"damaged stream within the limit", packed.substr(0, 40), true, 1 << 20, 1 << 20, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<char[]> out;
    uint32_t length = 0;
    bool tooLarge = !c.tooLarge;
    EXPECT_FALSE(UnpackBzip2(c.data.data(), c.data.size(), c.sizeKnown, c.expected, c.limit, out, length, &tooLarge));
    EXPECT_EQ(c.tooLarge, tooLarge);
    EXPECT_EQ(nullptr, out.get());
  }
}

// A version-1 bzip2 entry has no declared size: it is stopped at the limit
// while it unpacks, and the entry remembers that, so that later opens fail at
// once instead of unpacking it all again.
TEST_F(PackTest, VersionOneEntriesBeyondTheLimitAreRemembered) {
  const std::string text(2 << 20, 'z');
  const std::string path = WriteArchive("v1.pak", Archive(1, {File("big.txt", text)}, true));
  struct Case {
    uint64_t limit;
    bool opens;
  };
  for (const Case& c : {Case{4 << 20, true}, Case{1 << 20, false}}) {
    SCOPED_TRACE(c.limit);
    PackDirectory directory;
    ASSERT_TRUE(ReadPackDirectory(path, directory, nullptr));
    const PackEntry* entry = directory.root.Child(false, "big.txt");
    ASSERT_NE(nullptr, entry);
    for (int open = 0; open < 2; ++open) {
      // The second open has no archive to read: only what the entry learnt.
      auto file = open == 0 ? std::make_unique<std::ifstream>(path, std::ios::binary) : nullptr;
      OpenedStream opened = OpenEntry(std::move(file), *entry, true, c.limit);
      if (open == 1 && c.opens) break;
      EXPECT_EQ(c.opens, static_cast<bool>(opened)) << "open " << open;
      EXPECT_EQ(!c.opens, opened.tooLarge) << "open " << open;
      if (c.opens) {
        EXPECT_EQ(text.size(), opened.length);
      }
    }
  }
}

// Every reader that brings a whole file into memory refuses one beyond the
// bound before it allocates, says so in the log, and leaves no stream open.
// The large files are sparse: they take no room on disk.
TEST_F(PackTest, WholeFileReadsStopAtTheBound) {
  const uint64_t over = kMaxWholeFileBytes + 1;
  auto sparse = [&](const std::string& relative, const std::string& head, uint64_t size) {
    std::string path = game_.Write(relative, head);
    ASSERT_EQ(0, truncate(path.c_str(), static_cast<off_t>(size)));
  };
  auto packWith = [&](Rec r, const std::string& data, uint64_t fileSize) {
    r.offset = static_cast<uint32_t>(Directory(2, {r}).size());
    sparse("data/big.pak", Directory(2, {r}) + data, std::max<uint64_t>(fileSize, r.offset + data.size()));
  };
  std::string hello = Bzip2("hello");
  std::string envelope;
  ASSERT_TRUE(BuildEnvelope("hello", 5, envelope));
  // A plain host file still opens as a stream over the disk; everything
  // else would be unpacked or loaded into memory and is refused.
  struct Case {
    const char* what;
    bool streams;
    std::function<void()> make;
  };
  const std::vector<Case> cases = {
      {"host file of 0xFFFFFFFF bytes", true, [&] { sparse("data/big.bin", "x", 0xFFFFFFFFu); }},
      {"host file of four gigabytes and 16 bytes", true,
       [&] { sparse("data/big.bin", "x", (uint64_t{1} << 32) + 16); }},
      {"host file one byte beyond the bound", true, [&] { sparse("data/big.bin", "x", over); }},
      {"stored pack entry of 0xFFFFFFFF bytes", false,
       [&] {
         Rec r = Named("big.bin");
         r.size = r.packed = 0xFFFFFFFFu;
         packWith(r, "", uint64_t{0xFFFFFFFFu} + 64);
       }},
      {"bzip2 pack entry declaring 0xFFFFFFFF bytes", false,
       [&] {
         Rec r = Named("big.bin");
         r.compression = kPackBzip2;
         r.size = 0xFFFFFFFFu;
         r.packed = static_cast<uint32_t>(hello.size());
         packWith(r, hello, 0);
       }},
      {"bzip2 pack entry of 0xFFFFFFFF packed bytes", false,
       [&] {
         Rec r = Named("big.bin");
         r.compression = kPackBzip2;
         r.size = 5;
         r.packed = 0xFFFFFFFFu;
         packWith(r, hello, uint64_t{0xFFFFFFFFu} + 64);
       }},
      {"envelope declaring 0xFFFFFFFF bytes", false,
       [&] {
         std::string bytes = envelope;
         for (int i = 8; i < 12; ++i) bytes[i] = '\xff';
         game_.Write("data/big.bin", bytes);
       }},
      {"envelope of a sparse file beyond the bound", false, [&] { sparse("data/big.bin", envelope, over + 12); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs.ResetForTests();
    testing::FreshLog();
    hostfs::RemoveFile(game_.path() + "/data/big.bin");
    hostfs::RemoveFile(game_.path() + "/data/big.pak");
    c.make();
    ASSERT_TRUE(fs.Mount("data"));
    fs.Mount("data/big.pak");
    EXPECT_EQ("<missing>", Read("big.bin"));
    EXPECT_TRUE(WarnedAbout("big.bin", "too large to read into memory"));
    InputStream* in = fs.OpenRead("big.bin", nullptr, true);
    EXPECT_EQ(c.streams, in != nullptr);
    fs.CloseRead(in);
    EXPECT_EQ(0u, fs.OpenStreamCount());
  }
}

// ---- Envelopes ----

class EnvelopeTest : public PackTest {};

TEST(Envelope, HeaderIsRecognisedOnlyExactly) {
  EXPECT_TRUE(IsEnvelope("TEef\x01\x00\x02\x00"));
  EXPECT_FALSE(IsEnvelope("TEef\x01\x00\x01\x00"));
  EXPECT_FALSE(IsEnvelope("TEef\x02\x00\x02\x00"));
  EXPECT_FALSE(IsEnvelope("TEeF\x01\x00\x02\x00"));
  EXPECT_FALSE(IsEnvelope("TEef\x01\x01\x02\x00"));
}

TEST(Envelope, BytesStartWithTheHeaderLengthAndBzipHeader) {
  std::string wrapped;
  ASSERT_TRUE(BuildEnvelope("hello", 5, wrapped));
  ASSERT_GE(wrapped.size(), 16u);
  EXPECT_EQ(std::string("TEef\x01\x00\x02\x00\x05\x00\x00\x00" "BZh1", 16), wrapped.substr(0, 16));
  EXPECT_EQ(Bzip2("hello", 1), wrapped.substr(12)) << "one bzip2 stream of 100k blocks";
}

TEST_F(EnvelopeTest, EightByteFilesAreNeverEnvelopes) {
  game_.Write("data/eight.bin", std::string("TEef\x01\x00\x02\x00", 8));
  ASSERT_TRUE(fs.Mount("data"));
  FileInfo info;
  EXPECT_EQ(std::string("TEef\x01\x00\x02\x00", 8), Read("eight.bin", &info));
  EXPECT_EQ(8u, info.size);
}

TEST_F(EnvelopeTest, TwelveByteEnvelopeOfSizeZeroIsEmpty) {
  game_.Write("data/empty.sav", std::string("TEef\x01\x00\x02\x00\x00\x00\x00\x00", 12));
  ASSERT_TRUE(fs.Mount("data"));
  FileInfo info;
  ASSERT_TRUE(fs.Exists("empty.sav", true, &info));
  EXPECT_EQ(12u, info.size) << "before opening, the host size";
  InputStream* in = fs.OpenRead("empty.sav", &info, false);
  ASSERT_NE(nullptr, in);
  EXPECT_EQ(0u, info.size);
  char c;
  in->read(&c, 1);
  EXPECT_EQ(0, in->gcount());
  fs.CloseRead(in);
  std::unique_ptr<char[]> data = fs.ReadWhole("empty.sav", &info, true);
  ASSERT_TRUE(data);
  EXPECT_EQ(0, data[0]);
}

TEST_F(EnvelopeTest, WrittenEnvelopeReadsBack) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "save line " + std::to_string(i) + "\n";
  std::string path = game_.Write("data/save.txt", text);
  ASSERT_TRUE(WriteEnvelope(path));
  std::string onDisk = testing::ReadFile(path);
  EXPECT_EQ(std::string("TEef\x01\x00\x02\x00", 8), onDisk.substr(0, 8));
  uint32_t length = static_cast<unsigned char>(onDisk[8]) | static_cast<unsigned char>(onDisk[9]) << 8 |
                    static_cast<unsigned char>(onDisk[10]) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(onDisk[11])) << 24;
  EXPECT_EQ(text.size(), length);
  EXPECT_EQ("BZh1", onDisk.substr(12, 4));
  EXPECT_LT(onDisk.size(), text.size());
  hostfs::Entry entry;
  EXPECT_FALSE(hostfs::Stat(path + ".tarn-envelope", entry)) << "no temporary file is left";

  ASSERT_TRUE(fs.Mount("data"));
  FileInfo info;
  EXPECT_EQ(text, Read("save.txt", &info));
  EXPECT_EQ(text.size(), info.size);
  InputStream* in = fs.OpenRead(path, &info, false);  // absolute names unpack too
  ASSERT_NE(nullptr, in);
  EXPECT_EQ(text.size(), info.size);
  std::string first;
  std::getline(*in, first);
  EXPECT_EQ("save line 0", first);
  fs.CloseRead(in);
}

TEST_F(EnvelopeTest, CompressedSaveThroughTheWriteOperations) {
  std::ostream* out = OpenWrite("slot.sav", true, true, true);
  ASSERT_NE(nullptr, out);
  *out << "score=42\n";
  CloseWrite(out);
  std::string path = fs.WriteFolder() + "slot.sav";
  EXPECT_EQ("TEef", testing::ReadFile(path).substr(0, 4));
  ASSERT_TRUE(fs.Mount(fs.Resolve(".")));
  EXPECT_EQ("score=42\n", Read("slot.sav"));

  // Saving nothing with compression leaves an empty file that reads back empty.
  out = OpenWrite("nothing.sav", true, true, true);
  ASSERT_NE(nullptr, out);
  CloseWrite(out);
  EXPECT_EQ("", testing::ReadFile(fs.WriteFolder() + "nothing.sav"));
  FileInfo info;
  EXPECT_EQ("", Read("nothing.sav", &info));
  EXPECT_EQ(0u, info.size);
}

TEST_F(EnvelopeTest, LookalikesArePlainAndDamagedEnvelopesDoNotOpen) {
  std::string wrapped;
  ASSERT_TRUE(BuildEnvelope("payload!", 8, wrapped));
  game_.Write("data/v3.bin", std::string("TEef\x03\x00\x02\x00", 8) + wrapped.substr(8));
  game_.Write("data/nine.bin", std::string("TEef\x01\x00\x02\x00\x00", 9));
  game_.Write("data/garbage.bin", std::string("TEef\x01\x00\x02\x00\x10\x00\x00\x00", 12) + std::string(30, 'g'));
  game_.Write("data/short.bin", wrapped.substr(0, wrapped.size() - 5));
  std::string wrong = wrapped;
  wrong[8] = 9;  // claims 9 bytes, holds 8
  game_.Write("data/wrong.bin", wrong);
  std::string huge = wrapped;
  huge[11] = '\x7f';  // claims two gigabytes
  game_.Write("data/huge.bin", huge);
  game_.Write("data/good.bin", wrapped);
  ASSERT_TRUE(fs.Mount("data"));
  EXPECT_EQ(std::string("TEef\x03\x00\x02\x00", 8) + wrapped.substr(8), Read("v3.bin"));
  for (const char* name : {"nine.bin", "garbage.bin", "short.bin", "wrong.bin", "huge.bin"}) {
    EXPECT_EQ(nullptr, fs.OpenRead(name, nullptr, false)) << name;
    EXPECT_TRUE(fs.Exists(name, true)) << name;
  }
  EXPECT_EQ("payload!", Read("good.bin"));
  EXPECT_EQ(0u, fs.OpenStreamCount());
}

// ---- The archive tool's library ----

TEST_F(PackTest, FolderRoundTripsThroughTheWriterAndExtractor) {
  game_.Write("src/Gfx/Menu/Back.PNG", "back");
  game_.Write("src/gfx.txt", "file beside");
  game_.Write("src/Sounds/boom.wav", std::string(20000, 'w'));
  game_.Write("src/empty", "");
  for (uint32_t version : {1u, 2u}) {
    for (uint32_t compression : {kPackStored, kPackBzip2}) {
      SCOPED_TRACE("version " + std::to_string(version) + " compression " + std::to_string(compression));
      fs.ResetForTests();
      PackWriteOptions options;
      options.version = version;
      options.compression = compression;
      std::string error;
      if (version == 1 && compression == kPackBzip2) {
        // One size field cannot give both sizes: version 1 only stores.
        EXPECT_FALSE(WritePackFromFolder(game_.path() + "/src", game_.path() + "/out.pak", options, &error));
        EXPECT_NE(std::string::npos, error.find("uncompressed")) << error;
        continue;
      }
      ASSERT_TRUE(WritePackFromFolder(game_.path() + "/src", game_.path() + "/out.pak", options, &error)) << error;
      ASSERT_TRUE(fs.Mount("out.pak"));
      EXPECT_EQ("back", Read("gfx/menu/back.png"));
      EXPECT_EQ("file beside", Read("gfx.txt"));
      EXPECT_EQ(std::string(20000, 'w'), Read("sounds/boom.wav"));
      EXPECT_EQ("", Read("empty"));

      std::string target = game_.path() + "/x" + std::to_string(version) + std::to_string(compression);
      ASSERT_TRUE(ExtractPack(game_.path() + "/out.pak", target, &error)) << error;
      EXPECT_EQ("back", testing::ReadFile(target + "/gfx/menu/back.png"));
      EXPECT_EQ(std::string(20000, 'w'), testing::ReadFile(target + "/sounds/boom.wav"));
    }
  }
  // Parents come before their children, depth first, folders before files.
  PackSourceNode root;
  ASSERT_TRUE(ReadSourceFolder(game_.path() + "/src", root, nullptr));
  std::vector<std::string> order;
  std::function<void(const PackSourceNode&, const std::string&)> walk = [&](const PackSourceNode& n,
                                                                            const std::string& prefix) {
    for (const PackSourceNode& c : n.children) {
      order.push_back(prefix + c.name);
      walk(c, prefix + c.name + "/");
    }
  };
  walk(root, "");
  EXPECT_EQ((std::vector<std::string>{"gfx", "gfx/menu", "gfx/menu/back.png", "sounds", "sounds/boom.wav", "empty",
                                      "gfx.txt"}),
            order);
}

TEST(PackWriter, ImageMatchesTheLayoutByteForByte) {
  std::function<PackSourceNode(const Node&)> convert = [&](const Node& n) {
    PackSourceNode out;
    out.name = n.name;
    out.isDir = n.dir;
    out.contents = n.contents;
    for (const Node& c : n.children) out.children.push_back(convert(c));
    return out;
  };
  PackSourceNode root;
  root.isDir = true;
  for (const Node& n : SampleTree()) root.children.push_back(convert(n));
  for (uint32_t version : {1u, 2u}) {
    for (bool bzip2 : {false, true}) {
      SCOPED_TRACE("version " + std::to_string(version) + (bzip2 ? " bzip2" : " stored"));
      PackWriteOptions options;
      options.version = version;
      options.compression = bzip2 ? kPackBzip2 : kPackStored;
      std::string image, error;
      if (version == 1 && bzip2) {
        EXPECT_FALSE(BuildPackImage(root, options, image, &error));
        continue;
      }
      ASSERT_TRUE(BuildPackImage(root, options, image, &error)) << error;
      EXPECT_EQ(Archive(version, SampleTree(), bzip2), image);
    }
  }
  PackSourceNode bad = root;
  bad.children[0].name = "..";
  std::string image, error;
  EXPECT_FALSE(BuildPackImage(bad, PackWriteOptions(), image, &error));
}

TEST_F(PackTest, WriterRefusesNamesDifferingOnlyByCase) {
  game_.Write("src/A.txt", "1");
  game_.Write("src/a.txt", "2");
  std::string error;
  EXPECT_FALSE(WritePackFromFolder(game_.path() + "/src", game_.path() + "/out.pak", PackWriteOptions(), &error));
  EXPECT_NE(std::string::npos, error.find("a.txt"));
}

TEST_F(PackTest, ExtractRefusesNamesThatLeaveTheFolder) {
  EXPECT_FALSE(IsSafeEntryName(".."));
  EXPECT_FALSE(IsSafeEntryName("."));
  EXPECT_FALSE(IsSafeEntryName(""));
  EXPECT_FALSE(IsSafeEntryName("/etc"));
  EXPECT_FALSE(IsSafeEntryName("a\\b"));
  EXPECT_TRUE(IsSafeEntryName("..a"));
  for (const std::string& evil : {std::string(".."), std::string("../escaped.txt"), game_.path() + "/abs.txt"}) {
    SCOPED_TRACE(evil);
    Rec folder;
    folder.name = evil;
    folder.dir = true;
    Rec file;
    file.name = evil;
    std::string bytes = Directory(2, {file});
    WriteArchive("evil.pak", bytes);
    std::string error;
    EXPECT_FALSE(ExtractPack(game_.path() + "/evil.pak", game_.path() + "/out", &error));
    EXPECT_NE(std::string::npos, error.find("refusing")) << error;
    WriteArchive("evil.pak", Directory(2, {folder}));
    EXPECT_FALSE(ExtractPack(game_.path() + "/evil.pak", game_.path() + "/out", &error));
  }
  hostfs::Entry entry;
  EXPECT_FALSE(hostfs::Stat(game_.path() + "/escaped.txt", entry));
  EXPECT_FALSE(hostfs::Stat(game_.path() + "/abs.txt", entry));
}

TEST_F(PackTest, ExtractRefusesDamagedArchives) {
  WriteArchive("bad.pak", Directory(2, {}, 99));
  std::string error;
  EXPECT_FALSE(ExtractPack(game_.path() + "/bad.pak", game_.path() + "/out", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tarn
