#include "pack/pack_write.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/hostfs.h"
#include "resources/bzip2.h"
#include "resources/streams.h"

namespace tarn {

namespace {

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t RecordSize(const PackSourceNode& node, uint32_t version) {
  uint64_t size = PackRecordFixedBytes(version) + node.name.size();
  for (const PackSourceNode& child : node.children) size += RecordSize(child, version);
  return size;
}

class ImageWriter {
 public:
  ImageWriter(const PackWriteOptions& options, std::ostream& out, std::string* error)
      : options_(options), out_(out), error_(error) {}

  bool Write(const PackSourceNode& root) {
    if (options_.compression != kPackStored && options_.compression != kPackBzip2)
      return SetPackError(error_, "unknown compression " + std::to_string(options_.compression));
    // A version-1 record has one size field; a compressed entry would show its
    // packed size until it is opened.
    if (options_.version != 2 && options_.compression != kPackStored)
      return SetPackError(error_, "version-1 archives store their entries uncompressed");
    uint64_t directory = 8;
    for (const PackSourceNode& child : root.children) directory += RecordSize(child, options_.version);
    if (directory > 0xFFFFFFFFu) return SetPackError(error_, "the directory is too large for an archive");
    dataPos_ = directory;
    records_.clear();
    PutU32(records_, options_.version);
    PutU32(records_, static_cast<uint32_t>(root.children.size()));
    // The data follows the directory; the directory is written last, over
    // this placeholder, once every offset and packed size is known.
    const std::string zeros(4096, '\0');
    for (uint64_t left = directory; left > 0;) {
      uint64_t piece = std::min<uint64_t>(left, zeros.size());
      out_.write(zeros.data(), static_cast<std::streamsize>(piece));
      left -= piece;
    }
    if (!out_) return SetPackError(error_, "cannot write the archive");
    if (!Children(root, 1)) return false;
    if (records_.size() != directory) return SetPackError(error_, "internal error: directory size mismatch");
    out_.seekp(0);
    out_.write(records_.data(), static_cast<std::streamsize>(records_.size()));
    out_.flush();
    if (!out_) return SetPackError(error_, "cannot write the archive");
    return true;
  }

 private:
  bool Children(const PackSourceNode& folder, int depth) {
    std::map<PackKey, bool> seen;
    for (const PackSourceNode& child : folder.children) {
      if (!IsSafeEntryName(child.name)) return SetPackError(error_, "unusable entry name \"" + child.name + "\"");
      if (!seen.emplace(PackKey{child.isDir, child.name}, true).second)
        return SetPackError(error_, "two entries named \"" + child.name + "\" in one folder");
      if (depth > kMaxPackDepth)
        return SetPackError(error_, "\"" + child.name + "\" is nested deeper than " + std::to_string(kMaxPackDepth) +
                                    " levels");
      if (!Entry(child, depth)) return false;
    }
    return true;
  }

  bool Entry(const PackSourceNode& node, int depth) {
    PutU32(records_, static_cast<uint32_t>(node.name.size()));
    records_ += node.name;
    records_ += static_cast<char>(node.isDir ? 1 : 0);
    if (node.isDir) {
      PutU32(records_, 0);
      if (options_.version == 2) {
        PutU32(records_, kPackStored);
        PutU32(records_, static_cast<uint32_t>(node.children.size()));
        PutU32(records_, 0);
        PutU32(records_, 0);
      } else {
        PutU32(records_, 0);
        PutU32(records_, kPackStored);
        PutU32(records_, static_cast<uint32_t>(node.children.size()));
      }
      return Children(node, depth + 1);
    }
    std::string loaded;
    const std::string* contents = &node.contents;
    if (!node.hostPath.empty()) {
      if (!ReadHostFile(node.hostPath, loaded)) return SetPackError(error_, "cannot read " + node.hostPath);
      contents = &loaded;
    }
    if (contents->size() > 0xFFFFFFFFu) return SetPackError(error_, "\"" + node.name + "\" is larger than 4 GiB");
    std::string packed;
    // Empty files are always stored: there is nothing to compress.
    uint32_t compression = contents->empty() ? kPackStored : options_.compression;
    const std::string* data = contents;
    if (compression == kPackBzip2) {
      if (Bzip2Bound(contents->size()) > 0xFFFFFFFFu)
        return SetPackError(error_, "\"" + node.name + "\" is too large to compress");
      if (!PackBzip2(contents->data(), contents->size(), 9, packed))
        return SetPackError(error_, "cannot compress \"" + node.name + "\"");
      data = &packed;
    }
    if (dataPos_ + data->size() > 0xFFFFFFFFu) return SetPackError(error_, "the archive would exceed 4 GiB");
    uint32_t offset = static_cast<uint32_t>(dataPos_);
    out_.write(data->data(), static_cast<std::streamsize>(data->size()));
    if (!out_) return SetPackError(error_, "cannot write the archive");
    dataPos_ += data->size();
    if (options_.version == 2) {
      PutU32(records_, offset);
      PutU32(records_, compression);
      PutU32(records_, 0);
      PutU32(records_, static_cast<uint32_t>(contents->size()));
      PutU32(records_, static_cast<uint32_t>(data->size()));
    } else {
      // Version 1 records the stored length only.
      PutU32(records_, offset);
      PutU32(records_, static_cast<uint32_t>(data->size()));
      PutU32(records_, compression);
      PutU32(records_, 0);
    }
    return true;
  }

  const PackWriteOptions& options_;
  std::ostream& out_;
  std::string* error_;
  std::string records_;
  uint64_t dataPos_ = 0;
};

bool ReadFolderNode(const std::string& path, PackSourceNode& node, int depth, std::string* error) {
  std::vector<hostfs::Entry> entries = hostfs::Enumerate(path + "/*");
  for (const hostfs::Entry& entry : entries) {
    PackSourceNode child;
    child.name = entry.name;
    for (char& c : child.name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    child.isDir = entry.isDir;
    std::string childPath = path + "/" + entry.name;
    if (!IsSafeEntryName(child.name)) return SetPackError(error, "unusable file name " + childPath);
    if (depth > kMaxPackDepth)
      return SetPackError(error, childPath + " is nested deeper than " + std::to_string(kMaxPackDepth) + " levels");
    if (child.isDir) {
      if (!ReadFolderNode(childPath, child, depth + 1, error)) return false;
    } else {
      child.hostPath = childPath;
    }
    node.children.push_back(std::move(child));
  }
  std::sort(node.children.begin(), node.children.end(), [](const PackSourceNode& a, const PackSourceNode& b) {
    return PackKey{a.isDir, a.name} < PackKey{b.isDir, b.name};
  });
  for (size_t i = 1; i < node.children.size(); ++i) {
    const PackSourceNode& a = node.children[i - 1];
    const PackSourceNode& b = node.children[i];
    if (a.isDir == b.isDir && a.name == b.name)
      return SetPackError(error, "two names in " + path + " differ only by case: \"" + a.name + "\"");
  }
  return true;
}

// Drops the archive being written from the tree, when it lies in the folder.
void DropFile(PackSourceNode& node, const struct stat& target) {
  auto& children = node.children;
  children.erase(std::remove_if(children.begin(), children.end(),
                                [&](const PackSourceNode& child) {
                                  struct stat st;
                                  return !child.isDir && !child.hostPath.empty() &&
                                         stat(child.hostPath.c_str(), &st) == 0 && st.st_dev == target.st_dev &&
                                         st.st_ino == target.st_ino;
                                }),
                 children.end());
  for (PackSourceNode& child : children)
    if (child.isDir) DropFile(child, target);
}

}  // namespace

bool SetPackError(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool BuildPackImage(const PackSourceNode& root, const PackWriteOptions& options, std::string& image,
                    std::string* error) {
  std::stringstream out(std::ios::in | std::ios::out | std::ios::binary);
  ImageWriter writer(options, out, error);
  if (!writer.Write(root)) return false;
  image = out.str();
  return true;
}

bool ReadSourceFolder(const std::string& folder, PackSourceNode& root, std::string* error) {
  root = PackSourceNode();
  root.isDir = true;
  hostfs::Entry entry;
  if (!hostfs::Stat(folder, entry) || !entry.isDir) return SetPackError(error, folder + " is not a folder");
  return ReadFolderNode(folder, root, 1, error);
}

bool WritePackFromFolder(const std::string& folder, const std::string& archive, const PackWriteOptions& options,
                         std::string* error) {
  PackSourceNode root;
  if (!ReadSourceFolder(folder, root, error)) return false;
  std::ofstream out(archive, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return SetPackError(error, "cannot create " + archive);
  struct stat self;
  if (stat(archive.c_str(), &self) == 0) DropFile(root, self);
  ImageWriter writer(options, out, error);
  if (!writer.Write(root)) {
    out.close();
    hostfs::RemoveFile(archive);
    return false;
  }
  out.close();
  if (!out) return SetPackError(error, "cannot write " + archive);
  return true;
}

}  // namespace tarn
