#include "app/script_host.h"

#include <memory>
#include <string>

#include "resources/filesystem.h"
#include "script/source_loader.h"

namespace tarn {

namespace {

std::unique_ptr<char[]> ReadGameFile(const std::string& path, size_t& size) {
  FileInfo info;
  std::unique_ptr<char[]> buffer = FileSystem::Instance().ReadWhole(path, &info, false);
  size = info.size;
  return buffer;
}

}  // namespace

void ConnectScriptHost() { SetScriptFileReader(ReadGameFile); }

}  // namespace tarn
