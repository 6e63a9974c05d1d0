#include "resources/pack_source.h"

#include <fstream>
#include <memory>

#include "diag/log.h"
#include "platform/hostfs.h"
#include "resources/pack_pattern.h"

namespace tarn {

FSSourcePack::~FSSourcePack() { Close(); }

void FSSourcePack::Close() {
  if (!mounted()) return;
  FSSource::Close();
  root_.children.clear();
}

bool FSSourcePack::Open(const std::string& path) {
  std::string found = hostfs::FindNoCase(path);
  hostfs::Entry entry;
  if (found.empty() || !hostfs::Stat(found, entry) || entry.isDir) return false;
  FSSource::Open(path);
  hostPath_ = found;
  modified_ = entry.modified;
  PackDirectory directory;
  std::string why;
  PackReadResult result = ReadPackDirectory(found, directory, why);
  if (result != PackReadResult::kOk) {
    if (result == PackReadResult::kDamaged)
      LogWarning("Pack archive <%s> is damaged (%s); it is not mounted", path.c_str(), why.c_str());
    Close();
    return false;
  }
  version_ = directory.version;
  root_ = std::move(directory.root);
  return true;
}

const PackEntry* FSSourcePack::FindEntry(const std::vector<std::string>& components) const {
  if (!mounted() || components.empty()) return nullptr;
  const PackEntry* entry = &root_;
  for (size_t i = 0; i < components.size() && entry; ++i)
    entry = entry->Child(i + 1 < components.size(), components[i]);
  return entry;
}

int FSSourcePack::SearchEntries(const std::vector<std::string>& components, bool files, bool dirs,
                                std::map<std::string, FileInfo>* results, bool withPaths) const {
  if (!mounted() || components.empty() || (!files && !dirs)) return 0;
  std::string prefix;
  const PackEntry* folder = &root_;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    if (withPaths) prefix += components[i] + "/";
    folder = folder->Child(true, components[i]);
    if (!folder) return 0;
  }
  PackPattern pattern(components.back());
  int count = 0;
  for (const auto& item : folder->children) {
    const PackEntry& child = *item.second;
    if (child.isDir ? !dirs : !files) continue;
    if (!pattern.Matches(child.name)) continue;
    if (results) {
      FileInfo info;
      info.size = child.isDir ? 0xFFFFFFFFu : child.size;
      info.modified = modified_;
      if (!results->emplace(prefix + child.name, info).second) continue;
    }
    ++count;
  }
  return count;
}

bool FSSourcePack::Find(const NormalisedName& name, FoundFile& found) const {
  const PackEntry* entry = FindEntry(name.components);
  if (!entry) return false;
  found.hostPath = hostPath_;
  found.entry = entry;
  found.info.size = entry->size;
  found.info.modified = modified_;
  return true;
}

int FSSourcePack::Search(const NormalisedName& pattern, bool files, bool dirs,
                         std::map<std::string, FileInfo>* results, bool withPaths) const {
  return SearchEntries(pattern.components, files, dirs, results, withPaths);
}

OpenedStream FSSourcePack::OpenFile(const FoundFile& found, bool loadIntoMemory) const {
  if (!found.entry) return OpenedStream();
  auto file = std::make_unique<std::ifstream>(found.hostPath, std::ios::binary);
  if (!file->is_open()) return OpenedStream();
  // Read in place from the archive, or unpacked into memory.
  return OpenEntry(std::move(file), *found.entry, loadIntoMemory);
}

}  // namespace tarn
