// A host folder as a source of the virtual file system. Names are found
// whatever their case on disk.
#pragma once

#include <map>
#include <string>

#include "resources/source.h"

namespace tarn {

class FSSourceDir : public FSSource {
 public:
  bool Open(const std::string& path) override;
  bool IsArchive() const override { return false; }
  bool Find(const NormalisedName& name, FoundFile& found) const override;
  int Search(const NormalisedName& pattern, bool files, bool dirs, std::map<std::string, FileInfo>* results,
             bool withPaths) const override;
  OpenedStream OpenFile(const FoundFile& found, bool loadIntoMemory) const override;
};

}  // namespace tarn
