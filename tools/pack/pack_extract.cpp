#include "pack/pack_extract.h"

#include <fstream>
#include <memory>

#include "pack/pack_write.h"
#include "platform/hostfs.h"
#include "resources/pack.h"

namespace tarn {

namespace {

bool ExtractChildren(const PackEntry& folder, const std::string& archive, const std::string& target,
                     std::string* error) {
  for (const auto& item : folder.children) {
    const PackEntry& child = *item.second;
    if (!IsSafeEntryName(child.name))
      return SetPackError(error, "refusing entry name \"" + child.name + "\" that would leave the target folder");
    std::string path = target + "/" + child.name;
    if (child.isDir) {
      hostfs::Entry entry;
      if (!hostfs::MakeDir(path) && !(hostfs::Stat(path, entry) && entry.isDir))
        return SetPackError(error, "cannot create folder " + path);
      if (!ExtractChildren(child, archive, path, error)) return false;
      continue;
    }
    auto file = std::make_unique<std::ifstream>(archive, std::ios::binary);
    if (!file->is_open()) return SetPackError(error, "cannot open " + archive);
    OpenedStream stream = OpenEntry(std::move(file), child, false);
    if (!stream) return SetPackError(error, "cannot unpack " + path + " (damaged entry)");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return SetPackError(error, "cannot create " + path);
    char chunk[65536];
    uint64_t written = 0;
    while (written < stream.length) {
      stream.stream->read(chunk, sizeof(chunk));
      std::streamsize got = stream.stream->gcount();
      if (got <= 0) break;
      out.write(chunk, got);
      written += static_cast<uint64_t>(got);
    }
    out.close();
    if (written != stream.length) return SetPackError(error, "the archive ends inside " + path);
    if (!out) return SetPackError(error, "cannot write " + path);
  }
  return true;
}


}  // namespace

bool ExtractPack(const std::string& archive, const std::string& folder, std::string* error) {
  PackDirectory directory;
  std::string why;
  if (!ReadPackDirectory(archive, directory, &why)) return SetPackError(error, archive + ": " + why);
  hostfs::Entry entry;
  if (!hostfs::MakeDir(folder) && !(hostfs::Stat(folder, entry) && entry.isDir))
    return SetPackError(error, "cannot create folder " + folder);
  return ExtractChildren(directory.root, archive, folder, error);
}

}  // namespace tarn
