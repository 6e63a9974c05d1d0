#include "resources/write_ops.h"

#include <fstream>
#include <map>
#include <memory>

#include "diag/error.h"
#include "platform/hostfs.h"
#include "resources/filesystem.h"

namespace tarn {

namespace {

struct OpenStream {
  std::unique_ptr<std::ofstream> stream;
  std::string compressPath;  // empty: no envelope
};

std::map<std::ostream*, OpenStream>& Streams() {
  static std::map<std::ostream*, OpenStream> streams;
  return streams;
}

EnvelopeWriter& Writer() {
  static EnvelopeWriter writer = nullptr;
  return writer;
}

// The path resolved and passed through the write guard; empty, after the
// sandbox message, when refused.
std::string Checked(const std::string& name, void (*report)(const std::string&), bool linkAsLast) {
  FileSystem& fs = FileSystem::Instance();
  std::string path = fs.Resolve(name);
  std::string guarded = fs.GuardWritePath(path, linkAsLast);
  if (guarded.empty()) report(path);
  return guarded;
}

using hostfs::IsLink;
using hostfs::IsRealDir;

}  // namespace

void SetEnvelopeWriter(EnvelopeWriter writer) { Writer() = writer; }

std::ostream* OpenWrite(const std::string& name, bool binary, bool overwrite, bool compress) {
  std::string path = Checked(name, SandboxWriteFile, false);
  if (path.empty()) return nullptr;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos) FileSystem::Instance().CreateFoldersGuarded(path.substr(0, slash + 1));
  std::ios::openmode mode = std::ios::out | (binary ? std::ios::binary : std::ios::openmode());
  mode |= overwrite ? std::ios::trunc : std::ios::app;
  auto stream = std::make_unique<std::ofstream>(path, mode);
  if (!stream->is_open()) return nullptr;
  std::ostream* raw = stream.get();
  Streams()[raw] = OpenStream{std::move(stream), compress ? path : std::string()};
  return raw;
}

void CloseWrite(std::ostream* stream) {
  auto it = Streams().find(stream);
  if (it == Streams().end()) return;
  it->second.stream->flush();
  std::string compressPath = it->second.compressPath;
  Streams().erase(it);
  if (!compressPath.empty() && Writer()) Writer()(compressPath);
}

void CloseAllWriteStreams() { Streams().clear(); }

int RemoveMatching(const std::string& name) {
  std::string path = Checked(name, SandboxDeleteFile, true);
  if (path.empty()) return 0;
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  int removed = 0;
  for (const hostfs::Entry& entry : hostfs::Enumerate(path)) {
    if (entry.isDir) continue;
    std::string file = folder + entry.name;
    hostfs::MakeWritable(file);
    removed += hostfs::RemoveFile(file) ? 1 : 0;
  }
  return removed;
}

namespace {
// Empties a folder; links inside are removed, never followed.
bool ClearFolderAt(const std::string& path) {
  for (const hostfs::Entry& entry : hostfs::Enumerate(path + "/*")) {
    std::string child = path + "/" + entry.name;
    if (IsRealDir(child)) {
      if (!ClearFolderAt(child) || !hostfs::RemoveDir(child)) return false;
    } else {
      if (!IsLink(child)) hostfs::MakeWritable(child);
      if (!hostfs::RemoveFile(child)) return false;
    }
  }
  return true;
}
}  // namespace

bool ClearFolder(const std::string& name) {
  std::string path = Checked(name, SandboxDeleteFile, true);
  if (path.empty() || IsLink(path)) return false;
  return ClearFolderAt(path);
}

bool DeleteFolder(const std::string& name, bool recursive) {
  std::string path = Checked(name, SandboxRemoveFolder, true);
  if (path.empty()) return false;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (IsLink(path)) return false;
  if (recursive) ClearFolderAt(path);
  return hostfs::RemoveDir(path);
}

bool Rename(const std::string& oldName, const std::string& newName) {
  std::string from = Checked(oldName, SandboxRename, true);
  if (from.empty()) return false;
  std::string to = Checked(newName, SandboxRename, false);
  if (to.empty()) return false;
  return hostfs::Rename(from, to);
}

}  // namespace tarn
