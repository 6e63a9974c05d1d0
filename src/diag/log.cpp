#include "diag/log.h"

#include <cstdarg>
#include <cstdio>

#include "app/console.h"
#include "app/settings.h"
#include "diag/error.h"
#include "diag/text_format.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/utf.h"

namespace tarn {

namespace {

constexpr const char* kLogFile = "log.txt";
constexpr const char* kErrorSeparator = "ERROR ------------------------------------------------\n";

void WriteLevel(int level, std::string text) {
  text = FinishLogText(std::move(text));
  if (level == kLevelError && !InErrorView()) LogWrite(kLevelError, kErrorSeparator);
  LogWrite(level, text);
}

}  // namespace

std::string FinishLogText(std::string text) {
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

void LogWrite(int level, const std::string& text) {
  // An error with something to show enters the error view.
  if (level == kLevelError && text.find_first_not_of('\n') != std::string::npos) EnterErrorView();
  Console::Instance().AddText(text, level);
  if (Platform::Installed()) Platform::Get().DebugOutput(text);
  else fputs(text.c_str(), stderr);
  if (!Cfg().create_log) return;
  // Reopened for every message so that nothing is lost if the process dies.
  FILE* file = FileSystem::Instance().OpenWriteFile(kLogFile, "at", false);
  if (!file) return;
  fwrite(text.data(), 1, text.size(), file);
  fflush(file);
  fclose(file);
}

void LogInfo(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteLevel(kLevelInfo, FormatV(format, args));
  va_end(args);
}

void LogWarning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteLevel(kLevelWarning, FormatV(format, args));
  va_end(args);
}

void LogError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteLevel(kLevelError, FormatV(format, args));
  va_end(args);
}

void LogInfoWide(const std::u16string& text) { WriteLevel(kLevelInfo, Utf16ToUtf8(text)); }

void ResetLog() {
  if (Cfg().create_log) FileSystem::Instance().RemoveFile(kLogFile);
}

}  // namespace tarn
