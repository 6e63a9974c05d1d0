// A read-only source of the virtual file system: a host folder or a pack
// archive. The file system asks its sources, newest first, through this
// interface and never needs to know which kind it holds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "resources/streams.h"

namespace tarn {

struct PackEntry;

struct FileInfo {
  uint32_t size = 0;
  uint32_t reserved = 0;
  int64_t modified = 0;
};

// A name split into lower-case components; ok is false when the name cannot be
// normalised (empty after trimming, or more than 30 components).
struct NormalisedName {
  bool ok = false;
  std::string text;  // components joined with '/'
  std::vector<std::string> components;
};
NormalisedName NormaliseName(const std::string& name);

// A file a source holds: what opening it takes.
struct FoundFile {
  std::string hostPath;              // the host file: the file itself, or the archive holding it
  FileInfo info;
  uint64_t hostSize = 0;             // a host file's full size
  const PackEntry* entry = nullptr;  // set for a pack entry
};

class FSSource {
 public:
  virtual ~FSSource() = default;
  virtual void Close();
  virtual bool Open(const std::string& path);

  // True for an archive: lookups may leave archives out.
  virtual bool IsArchive() const = 0;
  // Looks up the file (never a folder) of a normalised name.
  virtual bool Find(const NormalisedName& name, FoundFile& found) const = 0;
  // Adds to 'results' the entries of the folder named by all components of
  // 'pattern' but the last whose names match the last (see Search of
  // FileSystem); a name already in 'results' is left as it is. Returns how
  // many entries it added (or matched, without 'results').
  virtual int Search(const NormalisedName& pattern, bool files, bool dirs, std::map<std::string, FileInfo>* results,
                     bool withPaths) const = 0;
  // Opens a file that Find found: read in place, or unpacked into memory
  // when 'loadIntoMemory' is set or the file is stored compressed.
  virtual OpenedStream OpenFile(const FoundFile& found, bool loadIntoMemory) const = 0;

  bool mounted() const { return mounted_; }
  const std::string& path() const { return path_; }

 private:
  bool mounted_ = false;
  std::string path_;
};

}  // namespace tarn
