// The engine's log: every message goes to the debugger output and to the sinks
// the application registers at start-up (the developer console, log.txt).
#pragma once

#include <functional>
#include <string>

namespace tarn {

enum LogLevel {
  kLevelScript = 0,       // script print
  kLevelWarning = 1,
  kLevelError = 2,
  kLevelInfo = 3,
  kLevelPrompt = 4,       // console prompt and input line
  kLevelCommandOutput = 5,  // script print while a typed command runs
  kLevelCommandEcho = 6,  // echo of a typed command
};

void LogInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes finished text to the debugger output, then to each sink.
void LogWrite(int level, const std::string& text);

// A receiver of every finished text with its level.
using LogSink = std::function<void(int level, const std::string& text)>;
// Sinks receive the texts in the order they were added. The id removes it.
int AddLogSink(LogSink sink);
void RemoveLogSink(int id);

// The text a formatted message gets: a line feed appended unless it is empty
// or already ends with one.
std::string FinishLogText(std::string text);

}  // namespace tarn
