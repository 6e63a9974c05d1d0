// The write side of the file system: the per-user write folder and the
// operations confined to it.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "diag/crash.h"
#include "diag/error.h"
#include "platform/hostfs.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/write_ops.h"

namespace tarn {

namespace {

constexpr size_t kMaxFolderName = 1023;

std::string Cut(const std::string& name) { return name.substr(0, std::min(name.size(), kMaxFolderName)); }

std::string Slashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string ProfileFolder() {
  if (Platform::Installed()) return Platform::Get().ProfileFolder();
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

}  // namespace

FileSystem::FileSystem()
    : publisherFolder_("Veskor Games"), appName_("Tarn Engine") {
  ComputeUserDataFolder();
}

bool FileSystem::IsPlainFolderName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) return false;
  }
  return true;
}

bool FileSystem::SetPublisherFolder(const std::string& name) {
  if (!IsPlainFolderName(Cut(name))) return false;
  publisherFolder_ = Cut(name);
  namesChanged_ = true;
  return true;
}

bool FileSystem::SetAppFolder(const std::string& name) {
  if (!name.empty() && !IsPlainFolderName(Cut(name))) return false;
  appFolder_ = Cut(name);
  namesChanged_ = true;
  return true;
}

bool FileSystem::SetAppName(const std::string& name) {
  if (!IsPlainFolderName(Cut(name))) return false;
  appName_ = Cut(name);
  if (appFolder_.empty()) namesChanged_ = true;
  return true;
}

void FileSystem::ComputeUserDataFolder() {
  bool followed = writeFolder_ == userDataFolder_;
  std::string profile = ProfileFolder();
  if (profile.empty()) {
    FatalError("%s", fatal_text::kSavedGamesFolder);
    profile = "user_data";
  }
  const std::string& app = appFolder_.empty() ? appName_ : appFolder_;
  userDataFolder_ = Slashes(profile + "/Saved Games/" + publisherFolder_ + "/" + app + "/");
  if (followed) writeFolder_ = userDataFolder_;
  namesChanged_ = false;
}

void FileSystem::SetWriteFolder(const std::string& path) {
  std::string folder = Slashes(hostfs::IsAbsolute(path) ? path : hostfs::CurrentDir() + "/" + path);
  if (folder.back() != '/') folder += '/';
  writeFolder_ = folder;
  CreateFolders(writeFolder_);
}

void FileSystem::FinishSetup() {
  if (namesChanged_) ComputeUserDataFolder();
  CreateFolders(writeFolder_);
  SetCrashDumpPath(Resolve("crash.dmp"));
}

std::string FileSystem::Resolve(const std::string& name, bool useUserDataFolder) const {
  if (hostfs::IsAbsolute(name)) return name;
  std::string folder = useUserDataFolder ? userDataFolder_ : writeFolder_;
  size_t start = 0;
  while (start < name.size() && static_cast<unsigned char>(name[start]) < 33) ++start;
  std::string rest = name.substr(start);
  if (!rest.empty() && (rest[0] == '/' || rest[0] == '\\')) rest.erase(0, 1);
  if (rest == "." || (rest.size() >= 2 && rest[0] == '.' && (rest[1] == '/' || rest[1] == '\\'))) {
    rest.erase(0, 1);
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
  }
  std::string path = folder + rest;
  while (!path.empty() && static_cast<unsigned char>(path.back()) < 33) path.pop_back();
  return Slashes(path);
}

bool FileSystem::InWriteFolder(const std::string& path) const {
  // ".." components are collapsed first so that they cannot climb out.
  std::string collapsed = hostfs::CollapseDots(Slashes(path));
  return collapsed.compare(0, writeFolder_.size(), writeFolder_) == 0;
}

std::string FileSystem::GuardWritePath(const std::string& path, bool linkAsLast) const {
  if (!InWriteFolder(path)) return std::string();
  std::string collapsed = hostfs::CollapseDots(Slashes(path));
  // No level below the folder may be a link: one planted inside could lead
  // anywhere.
  for (size_t slash = collapsed.find('/', writeFolder_.size()); slash != std::string::npos;
       slash = collapsed.find('/', slash + 1)) {
    if (hostfs::IsLink(collapsed.substr(0, slash))) return std::string();
  }
  std::string whole = collapsed;
  while (whole.size() > 1 && whole.back() == '/') whole.pop_back();
  return !linkAsLast && hostfs::IsLink(whole) ? std::string() : collapsed;
}

bool FileSystem::CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t i = 1; i < path.size(); ++i) {
    if ((path[i] == '/' || path[i] == '\\') && path[i - 1] != ':')
      hostfs::MakeDir(Slashes(path.substr(0, i)));
  }
  return hostfs::MakeDir(Slashes(path));
}

bool FileSystem::CreateFoldersGuarded(const std::string& path) {
  std::string guarded = GuardWritePath(path);
  if (guarded.empty()) {
    SandboxCreateFolder(path);
    return false;
  }
  // The folders are made on the collapsed path, one level at a time below the
  // write folder, so that neither letter case nor a link can lead elsewhere.
  std::string base = writeFolder_.size() > 1 ? writeFolder_.substr(0, writeFolder_.size() - 1) : writeFolder_;
  bool madeBase = CreateFolders(writeFolder_);  // the engine's own folder, made as at set-up
  std::string below = guarded.substr(writeFolder_.size());
  if (below.empty()) return madeBase;
  return hostfs::MakeDirsBelow(base, below) == 1;
}

bool FileSystem::CreateParentFolders(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return false;
  return CreateFoldersGuarded(path.substr(0, slash + 1));
}

FILE* FileSystem::OpenWriteFile(const std::string& name, const char* mode, bool check) {
  std::string path = Resolve(name);
  if (check && std::strchr(mode, 'w')) {
    std::string guarded = GuardWritePath(path);
    if (guarded.empty()) {
      SandboxWriteFile(path);
      return nullptr;
    }
    path = guarded;
    CreateParentFolders(path);
  }
  std::string hostMode;
  for (const char* c = mode; *c; ++c)
    if (*c != 't') hostMode += *c;  // text mode writes plain line feeds here
  // The engine's own files (log, history, screenshots) are never opened
  // through a link, not even for appending or reading.
  return hostfs::OpenNoFollow(path, hostMode.c_str());
}

bool FileSystem::RemoveFile(const std::string& name) {
  std::string path = Resolve(name);
  hostfs::Entry entry;
  if (!hostfs::Stat(path, entry) && !hostfs::IsLink(path)) return false;
  std::string guarded = GuardWritePath(path, true);
  if (guarded.empty()) {
    SandboxDeleteFile(path);
    return false;
  }
  hostfs::MakeWritable(guarded);
  return hostfs::RemoveFile(guarded);
}

}  // namespace tarn
