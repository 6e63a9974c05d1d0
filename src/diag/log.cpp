#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include "diag/error.h"
#include "diag/text_format.h"
#include "platform/platform.h"

namespace tarn {

namespace {

constexpr const char* kErrorSeparator = "ERROR ------------------------------------------------\n";

struct SinkList {
  std::vector<std::pair<int, LogSink>> sinks;
  int lastId = 0;
};

SinkList& Sinks() {
  static SinkList list;
  return list;
}

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

int AddLogSink(LogSink sink) {
  SinkList& list = Sinks();
  list.sinks.emplace_back(++list.lastId, std::move(sink));
  return list.lastId;
}

void RemoveLogSink(int id) {
  std::vector<std::pair<int, LogSink>>& sinks = Sinks().sinks;
  for (auto it = sinks.begin(); it != sinks.end(); ++it) {
    if (it->first != id) continue;
    sinks.erase(it);
    return;
  }
}

void LogWrite(int level, const std::string& text) {
  // An error with something to show enters the error view.
  if (level == kLevelError && text.find_first_not_of('\n') != std::string::npos) EnterErrorView();
  if (Platform::Installed()) Platform::Get().DebugOutput(text);
  else fputs(text.c_str(), stderr);
  for (const auto& entry : Sinks().sinks) entry.second(level, text);
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

}  // namespace tarn
