#include "resources/filesystem.h"

#include <algorithm>
#include <cctype>

#include "diag/log.h"
#include "platform/hostfs.h"
#include "resources/envelope.h"
#include "resources/folder_source.h"
#include "resources/pack_source.h"
#include "resources/write_ops.h"

namespace tarn {

void LogFileTooLarge(const std::string& name, uint64_t size) {
  const unsigned long long limit = kMaxWholeFileBytes;
  if (size > kMaxWholeFileBytes)
    LogWarning("File <%s> is too large to read into memory: %llu bytes, the limit is %llu bytes", name.c_str(),
               static_cast<unsigned long long>(size), limit);
  else
    LogWarning("File <%s> is too large to read into memory: it unpacks to more than the limit of %llu bytes",
               name.c_str(), limit);
}

FileSystem& FileSystem::Instance() {
  static FileSystem fileSystem;
  // Files saved with compression are wrapped by the envelope writer.
  static const bool writerSet = (SetEnvelopeWriter(&WriteEnvelope), true);
  (void)writerSet;
  return fileSystem;
}

FileSystem::~FileSystem() {
  CloseAllStreams();
  sources_.clear();
}

void FileSystem::CloseAllStreams() { openStreams_.clear(); }

std::string FileSystem::ResourceKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) {
    if (c == '\\') c = '/';
    else c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

bool FileSystem::Mount(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  std::unique_ptr<FSSource> source;
  if (last.find('.') != std::string::npos) source = std::make_unique<FSSourcePack>();
  else source = std::make_unique<FSSourceDir>();
  if (!source->Open(path)) return false;
  sources_.push_back(std::move(source));
  return true;
}

int FileSystem::MountMatching(const std::string& pattern) {
  size_t slash = pattern.find_last_of("/\\");
  std::string folderPart = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  std::string hostPattern = pattern;
  std::replace(hostPattern.begin(), hostPattern.end(), '\\', '/');
  std::vector<std::string> names;
  for (const hostfs::Entry& entry : hostfs::Enumerate(hostPattern))
    if (!entry.isDir) names.push_back(folderPart + entry.name);
  std::sort(names.begin(), names.end());
  int mounted = 0;
  for (const std::string& name : names) mounted += Mount(name) ? 1 : 0;
  return mounted;
}

void FileSystem::MountStandardSources(const std::vector<std::string>& dataSources) {
  Mount("data.pak");
  MountMatching("data_*.pak");
  MountMatching(Resolve("data/*.pak"));
  Mount("data");
  for (const std::string& source : dataSources) Mount(source);
  Mount(Resolve("."));
}

const FSSource* FileSystem::Find(const std::string& name, bool includePacks, FoundFile& found) const {
  if (sources_.empty()) return nullptr;
  NormalisedName normalised = NormaliseName(name);
  if (!normalised.ok) return nullptr;
  for (auto it = sources_.rbegin(); it != sources_.rend(); ++it) {
    const FSSource& source = **it;
    if (source.IsArchive() && !includePacks) continue;
    if (source.Find(normalised, found)) return &source;
  }
  return nullptr;
}

bool FileSystem::Exists(const std::string& name, bool includePacks, FileInfo* info) {
  FoundFile found;
  if (!Find(name, includePacks, found)) return false;
  if (info) *info = found.info;
  return true;
}

InputStream* FileSystem::RegisterStream(std::unique_ptr<InputStream> stream, std::unique_ptr<char[]> buffer) {
  InputStream* raw = stream.get();
  openStreams_[raw] = std::make_pair(std::move(stream), std::move(buffer));
  return raw;
}

InputStream* FileSystem::OpenRead(const std::string& name, FileInfo* info, bool loadIntoMemory) {
  FoundFile found;
  const FSSource* source = nullptr;
  if (hostfs::IsAbsolute(name)) {
    hostfs::Entry entry;
    if (!hostfs::Stat(name, entry) || entry.isDir) return nullptr;
    found.hostPath = name;
    found.hostSize = entry.size;
    found.info.size = static_cast<uint32_t>(entry.size);
    found.info.modified = entry.modified;
  } else {
    source = Find(name, true, found);
    if (!source) return nullptr;
  }
  if (info) *info = found.info;
  OpenedStream opened = source ? source->OpenFile(found, loadIntoMemory) : OpenHostFile(found.hostPath, found.hostSize);
  if (!opened) {  // a damaged entry or envelope does not open
    if (opened.tooLarge) LogFileTooLarge(name, opened.refusedSize);
    return nullptr;
  }
  // A compressed entry of a version-1 archive, or an envelope, learns its
  // size only now.
  if (info) info->size = opened.length;
  return RegisterStream(std::move(opened.stream), std::move(opened.buffer));
}

void FileSystem::CloseRead(InputStream* stream) {
  if (stream) openStreams_.erase(stream);
}

std::unique_ptr<char[]> FileSystem::ReadWhole(const std::string& name, FileInfo* info, bool terminate) {
  FileInfo local;
  InputStream* stream = OpenRead(name, &local, false);
  if (!stream) return nullptr;
  // The length is the bytes the stream really holds, in 64 bits: a host file
  // may be larger than the 32-bit size of its info.
  stream->seekg(0, std::ios::end);
  std::streamoff end = stream->tellg();
  stream->seekg(0, std::ios::beg);
  if (end < 0 || !*stream) {
    CloseRead(stream);
    return nullptr;
  }
  const uint64_t length = static_cast<uint64_t>(end);
  if (length > kMaxWholeFileBytes) {
    LogFileTooLarge(name, length);
    CloseRead(stream);
    return nullptr;
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[length + (terminate ? 1 : 0)]);
  std::streamsize got = 0;
  if (buffer) {
    stream->read(buffer.get(), static_cast<std::streamsize>(length));
    got = stream->gcount();
  }
  CloseRead(stream);
  if (!buffer || static_cast<uint64_t>(got) != length) return nullptr;
  if (terminate) buffer[length] = 0;
  local.size = static_cast<uint32_t>(length);
  if (info) *info = local;
  return buffer;
}

int FileSystem::Search(const std::string& pattern, bool files, bool dirs,
                       std::map<std::string, FileInfo>* results, bool withPaths) {
  if (sources_.empty()) return 0;
  NormalisedName normalised = NormaliseName(pattern);
  if (!normalised.ok) return -1;
  if (!files && !dirs) return 0;
  int count = 0;
  for (auto it = sources_.rbegin(); it != sources_.rend(); ++it)
    count += (*it)->Search(normalised, files, dirs, results, withPaths);
  return count;
}

void FileSystem::ResetForTests() {
  CloseAllStreams();
  sources_.clear();
  publisherFolder_ = "Veskor Games";
  appFolder_.clear();
  appName_ = "Tarn Engine";
  namesChanged_ = false;
  userDataFolder_.clear();
  writeFolder_.clear();
  ComputeUserDataFolder();
}

}  // namespace tarn
