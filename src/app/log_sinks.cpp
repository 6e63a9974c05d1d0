#include "app/log_sinks.h"

#include <cstdio>
#include <string>

#include "app/console.h"
#include "app/settings.h"
#include "diag/log.h"
#include "resources/filesystem.h"

namespace tarn {

namespace {

constexpr const char* kLogFile = "log.txt";

void WriteLogFile(const std::string& text) {
  if (!Cfg().create_log) return;
  // Reopened for every message so that nothing is lost if the process dies.
  FILE* file = FileSystem::Instance().OpenWriteFile(kLogFile, "at", false);
  if (!file) return;
  fwrite(text.data(), 1, text.size(), file);
  fflush(file);
  fclose(file);
}

}  // namespace

void InstallLogSinks() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  AddLogSink([](int level, const std::string& text) { Console::Instance().AddText(text, level); });
  AddLogSink([](int, const std::string& text) { WriteLogFile(text); });
}

void ResetLog() {
  if (Cfg().create_log) FileSystem::Instance().RemoveFile(kLogFile);
}

}  // namespace tarn
