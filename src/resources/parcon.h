// Parcon: the engine's bracketed text format for structured data (config.txt,
// particle, font spacing and sound definitions). A file is a tree of lists
// whose leaves are text values.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "resources/filesystem.h"

namespace tarn {

struct ParconNode;
using ParconList = std::vector<std::unique_ptr<ParconNode>>;

struct ParconNode {
  enum Kind { kList = 1, kValue = 2 };
  int kind = kValue;
  std::unique_ptr<ParconList> list;  // for a list
  std::string text;                  // for a value
  bool hasText = true;               // false for the name placeholder of an unnamed list
  std::shared_ptr<const std::string> file;  // the file the element was read from

  const ParconList* List() const { return kind == kList ? list.get() : nullptr; }
  // The value's text, or null for a list or the placeholder.
  const char* Text() const { return kind == kValue && hasText ? text.c_str() : nullptr; }
};

class Parcon {
 public:
  static constexpr int kMaxLevels = 6;
  static constexpr int kMaxLineChars = 7999;

  Parcon();
  ~Parcon();
  Parcon(const Parcon&) = delete;
  Parcon& operator=(const Parcon&) = delete;

  // Opens the file (through the file system) and parses it whole.
  bool Open(const std::string& name, bool reportMissing);
  const ParconList* Root() const { return root_.get(); }

 private:
  struct Level {
    std::shared_ptr<const std::string> name;
    InputStream* stream = nullptr;
    std::vector<char> line;
    std::vector<char> token;
    size_t pos = 0;
  };

  bool PushFile(const std::string& name);
  bool PopFile();
  bool ReadLine(Level& level);
  bool ReadToken(std::string& token);
  std::unique_ptr<ParconList> ParseRoot();

  std::array<Level, kMaxLevels> levels_;
  int current_ = -1;
  std::unique_ptr<ParconList> root_;
};

// Walks one list: element 0 is its name, the cursor starts there.
class ParconCursor {
 public:
  explicit ParconCursor(const ParconList* list) : list_(list) {}

  const char* Name() const;
  bool HasNext() const;
  bool Next();
  std::string Value(const std::string& fallback) const;
  const ParconList* List() const;
  bool NextIsValue() const;
  // With 'required' and nothing left: throws Exception ("More data expected").
  std::string NextString(bool required, const std::string& fallback);
  int NextInt(bool required, int fallback);
  float NextFloat(bool required, float fallback);

 private:
  const ParconNode* Advance(bool required);
  const ParconList* list_;
  size_t index_ = 0;
};

// The number conversions of the format: a decimal integer and a decimal
// floating-point number, each taken from the longest valid prefix (0 if none).
int ParconToInt(const char* text);
double ParconToFloat(const char* text);

}  // namespace tarn
