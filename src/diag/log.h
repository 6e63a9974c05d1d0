// The engine's log: every message goes to the developer console, the debugger
// output and, with create_log, to log.txt in the write folder.
#pragma once

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
void LogInfoWide(const std::u16string& text);

// Writes finished text to the three sinks.
void LogWrite(int level, const std::string& text);

// With create_log on, deletes log.txt from the write folder.
void ResetLog();

// The text a formatted message gets: a line feed appended unless it is empty
// or already ends with one.
std::string FinishLogText(std::string text);

}  // namespace tarn
