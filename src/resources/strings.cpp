#include "resources/strings.h"

#include <cctype>
#include <cstring>
#include <map>
#include <vector>

#include "diag/error.h"
#include "platform/hostfs.h"
#include "resources/utf.h"

namespace tarn {

namespace {

constexpr int kLineBytes = 16384;
constexpr size_t kMaxKey = 1023;
constexpr size_t kMaxValue = 16387;

bool IsKeyChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool EndsLine(char c) { return c == '\n' || c == '\r' || c == 0; }

struct EngineTable {
  bool loaded = false;
  std::map<std::string, std::string> texts;
};

EngineTable& Table() {
  static EngineTable table;
  return table;
}

}  // namespace

void FILEStringsSource::Close() {
  if (file_) fclose(file_);
  file_ = nullptr;
}

bool FILEStringsSource::Open(const std::string& name) {
  Close();
  if (name.empty()) return false;
  file_ = fopen(name.c_str(), "rb");
  return file_ != nullptr;
}

int FILEStringsSource::ReadLine(char* buffer, int capacity) {
  if (!file_ || !fgets(buffer, capacity, file_)) return 0;
  return static_cast<int>(strlen(buffer));
}

void FSStreamStringsSource::Close() {
  if (stream_) FileSystem::Instance().CloseRead(stream_);
  stream_ = nullptr;
}

bool FSStreamStringsSource::Open(const std::string& name) {
  Close();
  stream_ = FileSystem::Instance().OpenRead(name, nullptr, true);
  return stream_ != nullptr;
}

int FSStreamStringsSource::ReadLine(char* buffer, int capacity) {
  if (!stream_ || !stream_->good()) return 0;
  stream_->getline(buffer, capacity);
  return static_cast<int>(stream_->gcount());
}

int ReadStrings(StringsSource& source, const std::string& name, const StringEntry& onEntry,
                const StringError& onError) {
  if (!source.Open(name)) return -1;
  std::vector<char> line(kLineBytes, 0);
  int index = 0, lineNumber = 0;
  auto next = [&]() {
    line[0] = 0;
    if (source.ReadLine(line.data(), kLineBytes) == 0) return false;
    ++lineNumber;
    return true;
  };
  while (next()) {
    const char* p = line.data();
    while (*p && IsSpace(*p)) ++p;
    if (*p == '#') continue;
    std::string key;
    while (IsKeyChar(*p)) key += *p++;
    while (*p && *p != '\n' && IsSpace(*p)) ++p;
    if (*p != '=') {
      if (!EndsLine(*p) && onError) onError(name, lineNumber, line.data());
      continue;
    }
    ++p;
    while (*p && *p != '\n' && IsSpace(*p)) ++p;
    std::string value;
    if (p[0] == '@' && p[1] == '@') {
      p += 2;
      for (;;) {
        if (p[0] == '@' && p[1] == '@') break;
        if (EndsLine(*p)) {
          if (value.size() < kMaxValue) value += '\n';
          if (!next()) break;
          p = line.data();
          continue;
        }
        if (value.size() < kMaxValue) value += *p;
        ++p;
      }
    } else {
      while (!EndsLine(*p)) {
        if (p[0] == '\\' && p[1] == 'n') {
          value += '\n';
          p += 2;
        } else {
          value += *p++;
        }
      }
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\v' ||
                                value.back() == '\f'))
        value.pop_back();
      if (value.size() > kMaxValue) value.resize(kMaxValue);
    }
    if (key.size() > kMaxKey) key.resize(kMaxKey);
    onEntry(index++, key, value);
  }
  source.Close();
  return index;
}

int LoadStringsFile(const std::string& name, const StringEntry& onEntry) {
  FSStreamStringsSource source;
  return ReadStrings(source, name, onEntry, [](const std::string& file, int line, const std::string& text) {
    std::string shown = text;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    ErrorProcessingFileLine(file, line, shown);
  });
}

std::optional<std::string> EngineText(const std::string& key, const char* fallback) {
  EngineTable& table = Table();
  if (!table.loaded) {
    table.loaded = true;
    FILEStringsSource source;
    ReadStrings(source, hostfs::CurrentDir() + "/engine.txt",
                [&](int, const std::string& k, const std::string& v) { table.texts[k] = v; });
  }
  auto it = table.texts.find(key);
  if (it != table.texts.end()) return it->second;
  if (!fallback) return std::nullopt;
  table.texts[key] = fallback;
  return std::string(fallback);
}

std::string EngineTextOr(const std::string& key, const char* fallback) {
  std::optional<std::string> text = EngineText(key, fallback);
  return text ? *text : std::string();
}

std::u16string EngineTextWide(const std::string& key, const char* fallback) {
  std::optional<std::string> text = EngineText(key, fallback);
  return text ? Utf8ToUtf16(*text, 16384) : std::u16string();
}

void ResetEngineTextForTests() { Table() = EngineTable(); }

}  // namespace tarn
