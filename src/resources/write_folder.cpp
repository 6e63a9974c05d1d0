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

void FileSystem::SetPublisherFolder(const std::string& name) {
  publisherFolder_ = Cut(name);
  namesChanged_ = true;
}

void FileSystem::SetAppFolder(const std::string& name) {
  appFolder_ = Cut(name);
  namesChanged_ = true;
}

void FileSystem::SetAppName(const std::string& name) {
  appName_ = Cut(name);
  if (appFolder_.empty()) namesChanged_ = true;
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
  size_t n = writeFolder_.size();
  if (collapsed.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(collapsed[i])) !=
        std::tolower(static_cast<unsigned char>(writeFolder_[i])))
      return false;
  }
  return true;
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
  if (!InWriteFolder(path)) {
    SandboxCreateFolder(path);
    return false;
  }
  return CreateFolders(path);
}

bool FileSystem::CreateParentFolders(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return false;
  return CreateFoldersGuarded(path.substr(0, slash + 1));
}

FILE* FileSystem::OpenWriteFile(const std::string& name, const char* mode, bool check) {
  std::string path = Resolve(name);
  if (check && std::strchr(mode, 'w')) {
    if (!InWriteFolder(path) || !StaysInWriteFolder(hostfs::CollapseDots(path))) {
      SandboxWriteFile(path);
      return nullptr;
    }
    path = hostfs::CollapseDots(path);
    CreateParentFolders(path);
  }
  std::string hostMode;
  for (const char* c = mode; *c; ++c)
    if (*c != 't') hostMode += *c;  // text mode writes plain line feeds here
  return fopen(path.c_str(), hostMode.c_str());
}

bool FileSystem::RemoveFile(const std::string& name) {
  std::string path = Resolve(name);
  hostfs::Entry entry;
  if (!hostfs::Stat(path, entry)) return false;
  if (!InWriteFolder(path)) {
    SandboxDeleteFile(path);
    return false;
  }
  path = hostfs::CollapseDots(path);
  hostfs::MakeWritable(path);
  return hostfs::RemoveFile(path);
}

}  // namespace tarn
