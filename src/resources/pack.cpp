#include "resources/pack.h"

#include <algorithm>
#include <fstream>
#include <new>

#include "resources/bzip2.h"

namespace tarn {

namespace {

uint32_t LoadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// ---- Reading the directory ----

// Reads fields of the directory, never past the end of the file.
class DirectoryReader {
 public:
  DirectoryReader(std::istream& in, uint64_t size) : in_(in), size_(size) {}

  uint64_t remaining() const { return size_ - pos_; }
  uint64_t fileSize() const { return size_; }

  bool U32(uint32_t& value) {
    unsigned char bytes[4];
    if (!Raw(reinterpret_cast<char*>(bytes), 4)) return false;
    value = LoadU32(bytes);
    return true;
  }
  bool U8(uint8_t& value) {
    char byte;
    if (!Raw(&byte, 1)) return false;
    value = static_cast<uint8_t>(byte);
    return true;
  }
  // Callers check the length against remaining() before allocating.
  bool Text(std::string& out, uint32_t length) {
    out.assign(length, '\0');
    return length == 0 || Raw(&out[0], length);
  }

 private:
  bool Raw(char* out, uint64_t length) {
    if (length > remaining()) return false;
    in_.read(out, static_cast<std::streamsize>(length));
    if (static_cast<uint64_t>(in_.gcount()) != length) return false;
    pos_ += length;
    return true;
  }

  std::istream& in_;
  uint64_t size_;
  uint64_t pos_ = 0;
};

struct Record {
  std::string name;
  bool isDir = false;
  uint32_t offset = 0, compression = 0, size = 0, packedSize = 0, childCount = 0;
  bool sizeKnown = true;
};

class DirectoryParser {
 public:
  DirectoryParser(DirectoryReader& reader, uint32_t version) : reader_(reader), version_(version) {}
  const std::string& error() const { return error_; }

  // Reads 'count' records as the children of 'parent', which sit at 'depth'
  // (the root's children are at depth 1).
  bool Children(PackEntry& parent, uint32_t count, int depth) {
    if (!CountFits(count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      Record record;
      if (!ReadRecord(record)) return false;
      auto entry = std::make_unique<PackEntry>();
      entry->name = record.name;
      entry->isDir = record.isDir;
      entry->offset = record.offset;
      entry->compression = record.compression;
      entry->size = record.size;
      entry->packedSize = record.packedSize;
      entry->sizeKnown = record.sizeKnown;
      if (record.childCount > 0) {
        if (depth >= kMaxPackDepth) {
          // Deeper entries could never be named; they are checked and dropped.
          if (!Skip(record.childCount)) return false;
        } else if (!Children(*entry, record.childCount, depth + 1)) {
          return false;
        }
      }
      // The first entry of a name and kind wins; a later duplicate is dropped.
      PackKey key{entry->isDir, entry->name};
      parent.children.emplace(std::move(key), std::move(entry));
    }
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }

  uint64_t MinRecord() const { return PackRecordFixedBytes(version_); }

  bool CountFits(uint64_t count) {
    if (count > reader_.remaining() / MinRecord())
      return Fail("child count " + std::to_string(count) + " is beyond the end of the file");
    return true;
  }

  bool ReadRecord(Record& record) {
    uint32_t nameLength = 0;
    if (!reader_.U32(nameLength)) return Fail("the directory is truncated");
    if (nameLength > reader_.remaining())
      return Fail("name length " + std::to_string(nameLength) + " is beyond the end of the file");
    if (!reader_.Text(record.name, nameLength)) return Fail("the directory is truncated");
    size_t zero = record.name.find('\0');
    if (zero != std::string::npos) record.name.resize(zero);
    uint8_t isDir = 0;
    bool ok = reader_.U8(isDir) && reader_.U32(record.offset);
    if (version_ == 2) {
      ok = ok && reader_.U32(record.compression) && reader_.U32(record.childCount) && reader_.U32(record.size) &&
           reader_.U32(record.packedSize);
    } else {
      ok = ok && reader_.U32(record.size) && reader_.U32(record.compression) && reader_.U32(record.childCount);
      // A version-1 record gives only the stored length; for a compressed
      // entry the unpacked length is learnt when it is opened.
      record.packedSize = record.size;
      record.sizeKnown = record.compression != kPackBzip2;
    }
    if (!ok) return Fail("the directory is truncated");
    record.isDir = isDir != 0;
    if (record.isDir) return true;
    if (record.childCount != 0) return Fail("file entry \"" + record.name + "\" has children");
    uint64_t stored = 0;
    if (record.compression == kPackStored) stored = record.size;
    else if (record.compression == kPackBzip2) stored = record.packedSize;
    else return true;  // unknown compression: listed, but it does not open
    if (static_cast<uint64_t>(record.offset) + stored > reader_.fileSize())
      return Fail("the data of \"" + record.name + "\" (offset " + std::to_string(record.offset) + ", " +
                  std::to_string(stored) + " bytes) is beyond the end of the file");
    return true;
  }

  // Reads and checks a subtree without keeping it, without recursion.
  bool Skip(uint64_t pending) {
    while (pending > 0) {
      if (!CountFits(pending)) return false;
      Record record;
      if (!ReadRecord(record)) return false;
      pending = pending - 1 + record.childCount;
    }
    return true;
  }

  DirectoryReader& reader_;
  uint32_t version_;
  std::string error_;
};


}  // namespace

// ---- Entries and directories ----

const PackEntry* PackEntry::Child(bool dir, const std::string& childName) const {
  auto it = children.find(PackKey{dir, childName});
  return it == children.end() ? nullptr : it->second.get();
}

PackReadResult ReadPackDirectory(const std::string& path, PackDirectory& out, std::string& error) {
  out.root = PackEntry();
  out.root.isDir = true;
  out.version = 0;
  out.fileSize = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    error = "cannot be opened";
    return PackReadResult::kCannotOpen;
  }
  in.seekg(0, std::ios::end);
  std::streamoff end = in.tellg();
  in.seekg(0, std::ios::beg);
  if (end < 0 || !in) {
    error = "cannot be read";
    return PackReadResult::kCannotOpen;
  }
  out.fileSize = static_cast<uint64_t>(end);
  DirectoryReader reader(in, out.fileSize);
  uint32_t rootCount = 0;
  if (!reader.U32(out.version) || !reader.U32(rootCount)) {
    error = "the header is truncated";
    return PackReadResult::kDamaged;
  }
  DirectoryParser parser(reader, out.version);
  if (!parser.Children(out.root, rootCount, 1)) {
    error = parser.error();
    out.root.children.clear();
    return PackReadResult::kDamaged;
  }
  return PackReadResult::kOk;
}

bool ReadPackDirectory(const std::string& path, PackDirectory& out, std::string* error) {
  std::string why;
  bool ok = ReadPackDirectory(path, out, why) == PackReadResult::kOk;
  if (!ok && error) *error = why;
  return ok;
}

// ---- Opening entries ----

OpenedStream OpenEntry(std::unique_ptr<std::istream> file, const PackEntry& entry, bool loadIntoMemory,
                       uint64_t limit) {
  if (entry.overLimit) return OpenedStream::TooLarge(0);
  OpenedStream result;
  if (!file || entry.isDir) return result;
  file->clear();
  file->seekg(static_cast<std::streamoff>(entry.offset));
  if (!*file) return result;
  if (entry.compression == kPackStored) {
    if (!loadIntoMemory) {
      result.stream = MakeBoundedStream(std::move(file), entry.offset, entry.size);
      result.length = entry.size;
      return result;
    }
    if (entry.size > limit) return OpenedStream::TooLarge(entry.size);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[entry.size ? entry.size : 1]);
    if (!buffer || !ReadExactly(*file, buffer.get(), entry.size)) return result;
    return OpenedStream::InMemory(std::move(buffer), entry.size);
  }
  if (entry.compression == kPackBzip2) {
    // Refused before anything is read or allocated when either size is too
    // large; an entry of unknown size is stopped while it unpacks.
    const uint64_t declared = std::max<uint64_t>(entry.sizeKnown ? entry.size : 0, entry.packedSize);
    if (declared > limit) return OpenedStream::TooLarge(declared);
    // The packed size was checked against the archive when it was mounted.
    std::unique_ptr<char[]> packed(new (std::nothrow) char[entry.packedSize ? entry.packedSize : 1]);
    if (!packed || !ReadExactly(*file, packed.get(), entry.packedSize)) return result;
    file.reset();
    std::unique_ptr<char[]> unpacked;
    uint32_t length = 0;
    if (!UnpackBzip2(packed.get(), entry.packedSize, entry.sizeKnown, entry.size, limit, unpacked, length,
                     &result.tooLarge)) {
      if (result.tooLarge) entry.overLimit = true;
      return result;
    }
    packed.reset();
    return OpenedStream::InMemory(std::move(unpacked), length);
  }
  return result;  // unknown compression
}

}  // namespace tarn
