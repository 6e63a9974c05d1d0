// String tables: "key = value" text files for translated texts, the engine's
// own engine.txt, and the script's file_load_strings.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "resources/filesystem.h"

namespace tarn {

class StringsSource {
 public:
  virtual ~StringsSource() = default;
  virtual void Close() {}
  virtual bool Open(const std::string& name) = 0;
  // Reads the next line into the buffer; the characters consumed, 0 at the end.
  virtual int ReadLine(char* buffer, int capacity) = 0;
};

// A host file read directly (lines keep their line feed).
class FILEStringsSource : public StringsSource {
 public:
  ~FILEStringsSource() override { Close(); }
  void Close() override;
  bool Open(const std::string& name) override;
  int ReadLine(char* buffer, int capacity) override;

 private:
  FILE* file_ = nullptr;
};

// A file of the virtual file system.
class FSStreamStringsSource : public StringsSource {
 public:
  ~FSStreamStringsSource() override { Close(); }
  void Close() override;
  bool Open(const std::string& name) override;
  int ReadLine(char* buffer, int capacity) override;

 private:
  InputStream* stream_ = nullptr;
};

using StringEntry = std::function<void(int index, const std::string& key, const std::string& value)>;
using StringError = std::function<void(const std::string& file, int line, const std::string& text)>;

// The number of entries read, or -1 when the file could not be opened.
int ReadStrings(StringsSource& source, const std::string& name, const StringEntry& onEntry,
                const StringError& onError = nullptr);
// Through the virtual file system; malformed lines are reported as fatal errors.
int LoadStringsFile(const std::string& name, const StringEntry& onEntry);

// The engine's text for a key from engine.txt, or the default (remembered).
std::optional<std::string> EngineText(const std::string& key, const char* fallback);
// The same as a plain string (empty only when the table says so).
std::string EngineTextOr(const std::string& key, const char* fallback);
std::u16string EngineTextWide(const std::string& key, const char* fallback);
// Forgets the loaded engine.txt (tests).
void ResetEngineTextForTests();

}  // namespace tarn
