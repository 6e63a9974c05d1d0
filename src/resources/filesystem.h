// The virtual file system: mounted folders and pack archives read newest to
// oldest, plus the write folder where everything the engine writes
// goes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/source.h"
#include "resources/streams.h"

namespace tarn {

// Logs the refusal of a file beyond kMaxWholeFileBytes.
void LogFileTooLarge(const std::string& name, uint64_t size);

class FileSystem {
 public:
  static FileSystem& Instance();
  FileSystem();
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // Read side.
  bool Mount(const std::string& path);
  int MountMatching(const std::string& pattern);
  void MountStandardSources(const std::vector<std::string>& dataSources);
  bool Exists(const std::string& name, bool includePacks, FileInfo* info = nullptr);
  InputStream* OpenRead(const std::string& name, FileInfo* info, bool loadIntoMemory);
  void CloseRead(InputStream* stream);
  // A buffer the caller owns; with 'terminate' one zero byte follows the data.
  std::unique_ptr<char[]> ReadWhole(const std::string& name, FileInfo* info, bool terminate);
  int Search(const std::string& pattern, bool files, bool dirs,
             std::map<std::string, FileInfo>* results, bool withPaths);
  static std::string ResourceKey(const std::string& name);
  size_t SourceCount() const { return sources_.size(); }
  size_t OpenStreamCount() const { return openStreams_.size(); }

  // Write folder.
  // The names become folders of the write folder's path, so each must be one
  // plain folder name (IsPlainFolderName); the app folder may also be empty
  // (the app name takes its place). False, the name unchanged, otherwise.
  bool SetPublisherFolder(const std::string& name);
  bool SetAppFolder(const std::string& name);
  bool SetAppName(const std::string& name);
  const std::string& PublisherFolder() const { return publisherFolder_; }
  const std::string& AppFolder() const { return appFolder_; }
  const std::string& AppName() const { return appName_; }
  // Not empty, no '/', '\\' or control character, not "." or "..".
  static bool IsPlainFolderName(const std::string& name);
  void SetWriteFolder(const std::string& path);
  void FinishSetup();
  const std::string& WriteFolder() const { return writeFolder_; }
  const std::string& UserDataFolder() const { return userDataFolder_; }
  std::string Resolve(const std::string& name, bool useUserDataFolder = false) const;
  // Textual test: the path, "." and ".." collapsed, begins with the write
  // folder, letter case included (this host's names are case-sensitive).
  bool InWriteFolder(const std::string& path) const;
  // The one guard of every write: the collapsed path when it is in the write
  // folder and no part of it below the folder is a symbolic link; empty
  // otherwise (nothing is reported here). With 'linkAsLast' the last part may
  // be a link: one that is removed or renamed, never followed.
  std::string GuardWritePath(const std::string& path, bool linkAsLast = false) const;
  bool CreateFolders(const std::string& path);
  bool CreateFoldersGuarded(const std::string& path);
  FILE* OpenWriteFile(const std::string& name, const char* mode, bool check);
  bool RemoveFile(const std::string& name);

  // Drops every source and stream and the write-folder settings: a fresh
  // file system, as at process start. For tests and the headless runner.
  void ResetForTests();

 private:
  // The newest source holding the file, or null.
  const FSSource* Find(const std::string& name, bool includePacks, FoundFile& found) const;
  void ComputeUserDataFolder();
  bool CreateParentFolders(const std::string& path);
  InputStream* RegisterStream(std::unique_ptr<InputStream> stream, std::unique_ptr<char[]> buffer);
  void CloseAllStreams();

  std::vector<std::unique_ptr<FSSource>> sources_;
  std::map<InputStream*, std::pair<std::unique_ptr<InputStream>, std::unique_ptr<char[]>>> openStreams_;

  std::string publisherFolder_;
  std::string appFolder_;
  std::string appName_;
  bool namesChanged_ = false;
  std::string userDataFolder_;
  std::string writeFolder_;
};

}  // namespace tarn
