// Pack archives: one host file holding a tree of folders and files, each file
// stored as it is or compressed with bzip2. The engine mounts archives as
// read-only sources of the virtual file system; the archive tool (tarn-pack)
// writes them (tools/pack/pack_write.h).
//
// Archive layout (all integers little-endian):
//   u32 version (2 = version-2 records, anything else = version-1 records)
//   u32 root child count
//   entry records, depth first, each parent followed at once by its children
//   file data anywhere, at the offsets the records give
// An entry record:
//   u32 name length, name bytes (no terminator; a zero byte ends the name early)
//   u8 is directory, u32 data offset
//   version 2: u32 compression, u32 child count, u32 size, u32 packed size
//   version 1: u32 size, u32 compression, u32 child count
// Compression 0 is stored, 2 is bzip2.
//
// Archives are untrusted input: the directory reader checks every length,
// count, offset and size against the file and refuses the archive when one
// does not fit, and entries are decompressed into buffers that only grow as
// far as the data really unpacks.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/streams.h"

namespace tarn {

constexpr uint32_t kPackStored = 0;
constexpr uint32_t kPackBzip2 = 2;
// Folders nested deeper than this cannot be named (a name has at most 30
// components), so an archive that holds them is refused.
constexpr int kMaxPackDepth = 30;
// The bytes of a record besides its name: the smallest record of a version.
constexpr uint64_t PackRecordFixedBytes(uint32_t version) { return 4 + 1 + 4 + (version == 2 ? 16 : 12); }

// The key of an entry in its folder: folders sort before files, then names in
// ascending byte order. A folder and a file of one name can live side by side.
struct PackKey {
  bool isDir = false;
  std::string name;
  bool operator<(const PackKey& other) const {
    if (isDir != other.isDir) return isDir;
    return name < other.name;
  }
};

struct PackEntry {
  std::string name;
  bool isDir = false;
  uint32_t offset = 0;
  uint32_t compression = kPackStored;
  uint32_t size = 0;        // unpacked size; for a version-1 bzip2 entry, not known (see packedSize)
  uint32_t packedSize = 0;  // bytes stored at the offset
  bool sizeKnown = true;    // false for bzip2 entries of version-1 archives
  // Learnt when an entry of unknown size unpacked beyond the bound: later
  // opens fail at once instead of unpacking it all again.
  mutable bool overLimit = false;
  std::map<PackKey, std::unique_ptr<PackEntry>> children;

  const PackEntry* Child(bool dir, const std::string& childName) const;
};

// The directory of an archive as read from disk.
struct PackDirectory {
  uint32_t version = 0;
  uint64_t fileSize = 0;
  PackEntry root;  // empty name, a folder
};

// Reads and checks the directory of the archive at 'path'. On failure returns
// false with a short reason in 'error' (the tree is then left empty).
bool ReadPackDirectory(const std::string& path, PackDirectory& out, std::string* error);
// The same, telling an archive that cannot be opened from a damaged one
// (whose reason goes to 'error').
enum class PackReadResult { kOk, kCannotOpen, kDamaged };
PackReadResult ReadPackDirectory(const std::string& path, PackDirectory& out, std::string& error);

// Opens an entry of an archive: 'file' is the open archive, which the result
// takes over (stored entries read in place) or closes. Null for an entry that
// cannot be read or decoded.
// Nothing beyond 'limit' bytes goes into memory.
OpenedStream OpenEntry(std::unique_ptr<std::istream> file, const PackEntry& entry, bool loadIntoMemory,
                       uint64_t limit = kMaxWholeFileBytes);

}  // namespace tarn
