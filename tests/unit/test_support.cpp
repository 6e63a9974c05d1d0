#include "test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/console.h"
#include "app/log_sinks.h"
#include "app/settings.h"
#include "diag/error.h"
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

long PeakMemoryGrowthKiB(const std::function<void()>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  pid_t child = fork();
  if (child < 0) {
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return -1;
  }
  if (child == 0) {
    close(pipeEnds[0]);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    work();
    getrusage(RUSAGE_SELF, &after);
    long growth = after.ru_maxrss - before.ru_maxrss;  // KiB on Linux
    bool written = write(pipeEnds[1], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth);
    _exit(written ? 0 : 1);
  }
  close(pipeEnds[1]);
  long growth = -1;
  if (read(pipeEnds[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth)) growth = -1;
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

void FreshLog() {
  Console::Instance().Reset();
  ResetErrorView();
}

void DeveloperMode(bool on) {
  Cfg().dev_mode = on;
  SetDeveloperMode(on);
}

void EngineTest::SetUp() {
  InstallLogSinks();
  HeadlessOptions options;
  options.profile = profile_.path();
  Platform::Install(std::make_unique<HeadlessPlatform>(options, stderr));
  oldDir_ = hostfs::CurrentDir();
  ASSERT_EQ(0, chdir(game_.path().c_str()));
  Cfg() = Settings();
  SetDeveloperMode(false);
  FreshLog();
  FileSystem::Instance().ResetForTests();
}

void EngineTest::TearDown() {
  FileSystem::Instance().ResetForTests();
  FreshLog();
  Cfg() = Settings();
  SetDeveloperMode(false);
  if (chdir(oldDir_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << oldDir_;
  Platform::Install(nullptr);
}

void DataFolderTest::SetUp() {
  EngineTest::SetUp();
  DeveloperMode(true);
  game_.Write("data/readme.txt", "files for the tests");
  ASSERT_TRUE(FileSystem::Instance().Mount("data"));
  FileSystem::Instance().FinishSetup();
}

std::string DataFolderTest::Lines(int level) {
  std::string all;
  const LineRing& ring = Console::Instance().Lines();
  for (int i = ring.Count() - 1; i >= 0; --i) {
    std::string text;
    int lineLevel = 0;
    ring.Get(i, text, lineLevel);
    if (lineLevel == level) all += text + "\n";
  }
  return all;
}

}  // namespace tarn::testing
