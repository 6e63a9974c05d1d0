// Shared fixtures for the unit tests: a temporary folder, a headless platform
// and engine singletons reset to the state of a fresh process.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tarn::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  // Writes a file below the folder, creating its folders.
  std::string Write(const std::string& relative, const std::string& contents) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);

// How far the peak resident memory grows while 'work' runs, in KiB. The work
// runs in a child process, so what earlier tests took does not hide it; -1
// when the child cannot be run.
long PeakMemoryGrowthKiB(const std::function<void()>& work);

// The console emptied and the error view left, as in a fresh process.
void FreshLog();

// Developer mode on or off, in the settings and for fatal errors alike.
void DeveloperMode(bool on);

// Installs the log's sinks and a headless platform whose profile folder is a
// temporary folder, and resets the file system, the console, the error view and the settings.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TempDir profile_;
  TempDir game_;
  std::string oldDir_;
};

// An EngineTest in developer mode (fatal errors return instead of throwing)
// with the game folder's "data" folder mounted.
class DataFolderTest : public EngineTest {
 protected:
  void SetUp() override;
  void Put(const std::string& name, const std::string& bytes) { game_.Write("data/" + name, bytes); }
  // The console's lines of one level, oldest first, each ending in a line feed.
  static std::string Lines(int level);
};

}  // namespace tarn::testing
