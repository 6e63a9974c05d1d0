// A pack archive as a source of the virtual file system: its directory is
// read once when it is mounted; entries are opened from the archive file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "resources/pack.h"
#include "resources/source.h"

namespace tarn {

class FSSourcePack : public FSSource {
 public:
  ~FSSourcePack() override;
  void Close() override;
  bool Open(const std::string& path) override;
  bool IsArchive() const override { return true; }
  bool Find(const NormalisedName& name, FoundFile& found) const override;
  int Search(const NormalisedName& pattern, bool files, bool dirs, std::map<std::string, FileInfo>* results,
             bool withPaths) const override;
  OpenedStream OpenFile(const FoundFile& found, bool loadIntoMemory) const override;

  // The file entry at the components of a normalised name, or null.
  const PackEntry* FindEntry(const std::vector<std::string>& components) const;
  // Search, by the components of a normalised pattern.
  int SearchEntries(const std::vector<std::string>& components, bool files, bool dirs,
                    std::map<std::string, FileInfo>* results, bool withPaths) const;

  // The archive's path on disk (found whatever its case) and its host facts.
  const std::string& hostPath() const { return hostPath_; }
  int64_t modified() const { return modified_; }
  uint32_t version() const { return version_; }
  const PackEntry& root() const { return root_; }

 private:
  std::string hostPath_;
  int64_t modified_ = 0;
  uint32_t version_ = 0;
  PackEntry root_;
};

}  // namespace tarn
