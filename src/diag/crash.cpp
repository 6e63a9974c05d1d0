#include "diag/crash.h"

#include "diag/log.h"

namespace tarn {

namespace {
std::string& DumpPath() {
  static std::string path = "crash.dmp";
  return path;
}
bool reporterStarted = false;
}  // namespace

void SetCrashDumpPath(const std::string& path) { DumpPath() = path; }

const std::string& CrashDumpPath() { return DumpPath(); }

void StartCrashReporter() {
  if (reporterStarted) return;
  reporterStarted = true;
  LogInfo("Crash reporter: not built yet, nothing started (report would be %s)", DumpPath().c_str());
}

}  // namespace tarn
