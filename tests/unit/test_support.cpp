#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/console.h"
#include "app/settings.h"
#include "platform/headless/headless_platform.h"
#include "platform/hostfs.h"
#include "resources/filesystem.h"

namespace tarn::testing {

TempDir::TempDir() {
  char pattern[] = "/tmp/tarn-test-XXXXXX";
  path_ = mkdtemp(pattern);
}

TempDir::~TempDir() {
  std::string command = "rm -rf '" + path_ + "'";
  if (system(command.c_str()) != 0) fprintf(stderr, "could not remove %s\n", path_.c_str());
}

std::string TempDir::Write(const std::string& relative, const std::string& contents) const {
  std::string full = path_ + "/" + relative;
  for (size_t slash = full.find('/', path_.size() + 1); slash != std::string::npos;
       slash = full.find('/', slash + 1))
    hostfs::MakeDir(full.substr(0, slash));
  std::ofstream out(full, std::ios::binary);
  out << contents;
  return full;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void EngineTest::SetUp() {
  HeadlessOptions options;
  options.profile = profile_.path();
  Platform::Install(std::make_unique<HeadlessPlatform>(options, stderr));
  oldDir_ = hostfs::CurrentDir();
  ASSERT_EQ(0, chdir(game_.path().c_str()));
  Cfg() = Settings();
  Console::Instance().Reset();
  FileSystem::Instance().ResetForTests();
}

void EngineTest::TearDown() {
  FileSystem::Instance().ResetForTests();
  Console::Instance().Reset();
  Cfg() = Settings();
  if (chdir(oldDir_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << oldDir_;
  Platform::Install(nullptr);
}

}  // namespace tarn::testing
