// Parcon: the engine's bracketed text format for structured data (config.txt,
// particle, font spacing and sound definitions). A file is a tree of lists
// whose leaves are text values; numbers are converted only when read.
//
//   (full_screen 1)          a list named full_screen holding the value 1
//   (outer 1 (inner 2 3))    lists nest
//   [1 2 3]                  an unnamed list: element 0 is a placeholder
//   (title "A \"big\" day")  quotes keep blanks, brackets and '#'
//   # a comment runs to the end of the line
//
// The engine only reads the format; it never writes it.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "diag/error.h"
#include "resources/filesystem.h"

namespace tarn {

struct ParconNode;
// Element 0 of every list is its name; the elements that follow are its
// contents.
using ParconList = std::vector<std::unique_ptr<ParconNode>>;

// One element of a list: a nested list or a text value.
struct ParconNode {
  enum Kind { kList = 1, kValue = 2 };

  ParconNode() = default;
  // Frees nested lists without recursing, so that a deeply nested file cannot
  // exhaust the stack when its tree goes away.
  ~ParconNode();
  ParconNode(const ParconNode&) = delete;
  ParconNode& operator=(const ParconNode&) = delete;

  int kind = kValue;
  std::unique_ptr<ParconList> list;  // for a list
  std::string text;                  // for a value
  bool hasText = true;               // false for the name placeholder of an unnamed list
  std::shared_ptr<const std::string> file;  // the file the element was read from
  int line = 0;                             // the line of that file it began on, from 1

  const ParconList* List() const { return kind == kList ? list.get() : nullptr; }
  // The value's text, or null for a list or the placeholder.
  const char* Text() const { return kind == kValue && hasText ? text.c_str() : nullptr; }
};

// Reads one Parcon file into a tree it owns. Cursors and texts taken from the
// tree must not outlive the reader.
class Parcon {
 public:
  static constexpr int kLevels = 6;                // files open at once, levels 0 to 5
  static constexpr size_t kBufferBytes = 8004;     // line and token buffer of each level
  static constexpr size_t kMaxLineChars = 7999;    // a longer line is cut and ends its file
  static constexpr size_t kMaxNameChars = 1024;    // of the file name kept for messages

  Parcon();
  virtual ~Parcon();
  Parcon(const Parcon&) = delete;
  Parcon& operator=(const Parcon&) = delete;

  // Opens the file through the file system and parses it whole. A missing file
  // returns false; with reportMissing it is also a fatal error.
  bool Open(const std::string& name, bool reportMissing);
  // The tree of the last successful Open: element 0 is the value "__root__",
  // the top-level elements of the file follow. Null before any.
  const ParconList* Root() const { return root_.get(); }

 protected:
  // The file stack, for readers that add an include construct: a pushed file
  // supplies the next tokens, and at its end the file below it resumes. More
  // than six files at once is an Exception. False when the file is missing.
  bool PushFile(const std::string& name);
  // Gives the innermost file back; returns whether a file is still open.
  bool PopFile();
  // The index of the innermost open file, -1 when none is open.
  int Level() const { return current_; }
  // Parses the open files into a root list, until every file has ended or a
  // stray closing bracket ends the top level. Files still open stay open.
  std::unique_ptr<ParconList> ReadRoot();

 private:
  struct FileLevel {
    std::shared_ptr<const std::string> name;
    InputStream* stream = nullptr;
    std::unique_ptr<char[]> line;
    std::unique_ptr<char[]> token;
    size_t pos = 0;
    int lineNumber = 0;  // of the line in the buffer
  };

  bool ReadLine(FileLevel& level);
  // The next token of the innermost file, into its token buffer; false at the
  // end of that file.
  bool ReadToken(size_t& length);

  std::array<FileLevel, kLevels> levels_;
  int current_ = -1;
  std::unique_ptr<ParconList> root_;
};

// The "More data expected" error of a cursor read. It is an Exception like
// every engine error; it also keeps the whole text (the message of Exception
// is cut at 254 characters) and the line of the element the cursor stood on,
// for readers that report the error themselves.
class ParconMissingData : public Exception {
 public:
  ParconMissingData(const std::string& text, int line) : Exception(text), text_(text), line_(line) {}
  const std::string& Text() const { return text_; }
  int Line() const { return line_; }

 private:
  std::string text_;
  int line_;
};

// Walks one list: element 0 is its name, and the cursor starts there. It does
// not own the list.
class ParconCursor {
 public:
  explicit ParconCursor(const ParconList* list) : list_(list) {}

  // The text of element 0: null for an unnamed list, or when element 0 is a list.
  const char* Name() const;
  bool HasNext() const;
  // Advances if an element follows; returns whether it did.
  bool Next();
  // The current element's text, or the fallback when it is a list (or the
  // name placeholder of an unnamed list).
  std::string Value(const std::string& fallback) const;
  // The current element's list, or null when it is a value.
  const ParconList* List() const;
  bool NextIsValue() const;

  // Advance and read the new element; a list gives the fallback. With nothing
  // left the cursor stays: the fallback without 'required', with it an
  // Exception "Parcon Error: More data expected! ...".
  std::string NextString(bool required, const std::string& fallback);
  int NextInt(bool required, int fallback);
  float NextFloat(bool required, float fallback);

 private:
  const ParconNode* Advance(bool required);
  const ParconList* list_;
  size_t index_ = 0;
};

// The number conversions of the format, each over the longest valid prefix
// after leading white space (0 when there is none):
// a decimal integer (optional sign, digits; saturated at the int range) and a
// decimal floating-point number (optional sign, digits, optional fraction,
// optional exponent; no hexadecimal, infinity or NaN words).
int ParconToInt(const char* text);
double ParconToFloat(const char* text);
// Narrows to 32 bits as the hardware rounds: out-of-range values become
// infinities.
float ParconNarrow(double value);

}  // namespace tarn
