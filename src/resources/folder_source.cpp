#include "resources/folder_source.h"

#include <algorithm>

#include "platform/hostfs.h"
#include "resources/envelope.h"

namespace tarn {

namespace {

// The source path and a normalised name joined for the host.
std::string JoinSourcePath(const std::string& source, const std::string& normalised) {
  std::string path = hostfs::IsAbsolute(normalised) ? normalised : source + "/" + normalised;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

bool FSSourceDir::Open(const std::string& path) {
  hostfs::Entry entry;
  std::string found = hostfs::FindNoCase(path);
  if (found.empty() || !hostfs::Stat(found, entry) || !entry.isDir) return false;
  return FSSource::Open(path);
}

bool FSSourceDir::Find(const NormalisedName& name, FoundFile& found) const {
  std::string path = hostfs::FindNoCase(JoinSourcePath(this->path(), name.text));
  hostfs::Entry entry;
  if (path.empty() || !hostfs::Stat(path, entry) || entry.isDir) return false;
  found.hostPath = path;
  found.hostSize = entry.size;
  found.info.size = static_cast<uint32_t>(entry.size);
  found.info.modified = entry.modified;
  return true;
}

int FSSourceDir::Search(const NormalisedName& pattern, bool files, bool dirs, std::map<std::string, FileInfo>* results,
                        bool withPaths) const {
  std::string folderPart;
  size_t slash = pattern.text.find_last_of('/');
  if (slash != std::string::npos) folderPart = pattern.text.substr(0, slash + 1);
  int count = 0;
  for (const hostfs::Entry& entry : hostfs::Enumerate(JoinSourcePath(path(), pattern.text))) {
    if (entry.isDir ? !dirs : !files) continue;
    std::string reported = withPaths ? folderPart + entry.name : entry.name;
    FileInfo info;
    info.size = entry.isDir ? 0xFFFFFFFFu : static_cast<uint32_t>(entry.size);
    info.modified = entry.modified;
    if (results) {
      if (!results->emplace(reported, info).second) continue;
    }
    ++count;
  }
  return count;
}

OpenedStream FSSourceDir::OpenFile(const FoundFile& found, bool) const {
  return OpenHostFile(found.hostPath, found.hostSize);
}

}  // namespace tarn
