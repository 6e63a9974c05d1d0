#include "diag/error.h"

#include <cstdarg>
#include <algorithm>
#include <cstring>

#include "diag/log.h"
#include "diag/text_format.h"

namespace tarn {

Exception::Exception(const std::string& message) {
  size_t length = std::min(message.size(), sizeof message_ - 1);
  std::memcpy(message_, message.data(), length);
  message_[length] = '\0';
}

namespace {

bool& ErrorViewFlag() {
  static bool inErrorView = false;
  return inErrorView;
}

bool& DeveloperModeFlag() {
  static bool developerMode = false;
  return developerMode;
}

void Fatal(const std::string& text) {
  LogError("%s", text.c_str());
  if (!DeveloperModeFlag()) throw Exception();
}

}  // namespace

void SetDeveloperMode(bool on) { DeveloperModeFlag() = on; }

void EnterErrorView() { ErrorViewFlag() = true; }
bool InErrorView() { return ErrorViewFlag(); }
void ResetErrorView() { ErrorViewFlag() = false; }

void FatalError(const char* format, ...) {
  if (!format) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Fatal(text);
}

void ThrowError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  throw Exception(text);
}

void ErrorLoadingFile(const std::string& path) { Fatal("Error loading file\n <" + path + ">"); }

void ErrorProcessingFile(const std::string& path) { Fatal("Error processing file\n <" + path + ">"); }

void ErrorProcessingFileLine(const std::string& path, int line, const std::string& text) {
  Fatal(Format("Error processing file\n <%s>\n Line %d: %s", path.c_str(), line, text.c_str()));
}

void WrongFileFormat(const std::string& path, const char* expected) {
  if (expected) Fatal(Format("Wrong file format for %s\n <%s>", expected, path.c_str()));
  else Fatal("Wrong file format\n <" + path + ">");
}

void SandboxCreateFolder(const std::string& path) {
  Fatal("Proba utworzenia podkatalogu w niedozwolonym miejscu\n <" + path + ">");
}

void SandboxWriteFile(const std::string& path) {
  Fatal("Proba zapisania pliku w niedozwolonym katalogu\n <" + path + ">");
}

void SandboxRemoveFolder(const std::string& path) {
  Fatal("Proba usuniecia podkatalogu z niedozwolonego miejsca\n <" + path + ">");
}

void SandboxDeleteFile(const std::string& path) {
  Fatal("Proba usuniecia pliku z niedozwolonego katalogu\n <" + path + ">");
}

void SandboxRename(const std::string& path) {
  Fatal("Proba zmiany nazwy w niedozwolonym katalogu\n <" + path + ">");
}

void MissingSprite(const std::string& sprite, const std::string& texture) {
  Fatal("Brak sprite'a <" + sprite + "> dla tekstury <" + texture + ">");
}

}  // namespace tarn
