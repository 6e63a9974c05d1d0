#include "resources/parcon.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "diag/error.h"
#include "diag/text_format.h"

namespace tarn {

namespace {

// White space of the format; a zero byte and '#' are handled beside it.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsSpace(char c) { return IsBlank(c) || c == '\n' || c == '\r'; }
bool IsBracket(char c) { return c == '(' || c == ')' || c == '[' || c == ']'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::unique_ptr<ParconNode> MakeValue(const char* text, size_t length, bool hasText,
                                      const std::shared_ptr<const std::string>& file, int line) {
  auto node = std::make_unique<ParconNode>();
  node->kind = ParconNode::kValue;
  node->text.assign(text, length);
  node->hasText = hasText;
  node->file = file;
  node->line = line;
  return node;
}

}  // namespace

ParconNode::~ParconNode() {
  if (!list) return;
  // Detach every nested list before its owner goes, so each node freed here
  // holds no list of its own and its destructor returns at once.
  std::vector<std::unique_ptr<ParconList>> pending;
  pending.push_back(std::move(list));
  while (!pending.empty()) {
    std::unique_ptr<ParconList> current = std::move(pending.back());
    pending.pop_back();
    for (std::unique_ptr<ParconNode>& child : *current)
      if (child && child->list) pending.push_back(std::move(child->list));
  }
}

Parcon::Parcon() {
  for (FileLevel& level : levels_) {
    level.line = std::make_unique<char[]>(kBufferBytes);
    level.token = std::make_unique<char[]>(kBufferBytes);
  }
}

Parcon::~Parcon() {
  while (PopFile()) {
  }
}

bool Parcon::PushFile(const std::string& name) {
  if (current_ + 1 >= kLevels) ThrowError(fatal_text::kParconDepth, kLevels - 1);
  InputStream* stream = FileSystem::Instance().OpenRead(name, nullptr, false);
  if (!stream) return false;
  ++current_;
  FileLevel& level = levels_[static_cast<size_t>(current_)];
  level.name = std::make_shared<const std::string>(name.substr(0, kMaxNameChars));
  level.stream = stream;
  // A lone line feed: the first token request reads the first line.
  level.line[0] = '\n';
  level.line[1] = '\0';
  level.token[0] = '\0';
  level.pos = 0;
  level.lineNumber = 0;
  return true;
}

bool Parcon::PopFile() {
  if (current_ < 0) return false;
  FileLevel& level = levels_[static_cast<size_t>(current_)];
  FileSystem::Instance().CloseRead(level.stream);
  level.stream = nullptr;
  --current_;
  return current_ >= 0;
}

// Reads the next line without its line feed. A line longer than the limit is
// cut there; the stream is then in a failed state, so the file ends with it.
bool Parcon::ReadLine(FileLevel& level) {
  InputStream& in = *level.stream;
  if (!in.good()) return false;
  in.getline(level.line.get(), static_cast<std::streamsize>(kMaxLineChars + 1));
  if (in.gcount() == 0) return false;  // nothing left, not even a line feed
  level.pos = 0;
  ++level.lineNumber;
  return true;
}

bool Parcon::ReadToken(size_t& length) {
  if (current_ < 0) return false;
  FileLevel& level = levels_[static_cast<size_t>(current_)];
  for (;;) {
    char c = level.line[level.pos];
    if (c == '\n' || c == '\r' || c == '\0' || c == '#') {
      // The end of the line text, a carriage return or a comment: the rest of
      // the line is dropped.
      if (!ReadLine(level)) return false;
    } else if (IsBlank(c)) {
      ++level.pos;
    } else {
      break;
    }
  }
  // The line buffer always ends with a zero byte, so every look-ahead below
  // stops inside it.
  const char* line = level.line.get();
  char* out = level.token.get();
  size_t pos = level.pos;
  length = 0;
  if (IsBracket(line[pos])) {
    out[length++] = line[pos++];
  } else if (line[pos] == '"') {
    ++pos;
    while (line[pos] != '\0' && line[pos] != '"') {
      if (line[pos] == '\\' && line[pos + 1] == '"') {
        out[length++] = '"';
        pos += 2;
      } else {
        out[length++] = line[pos++];
      }
    }
    if (line[pos] == '"') ++pos;
  } else {
    while (line[pos] != '\0' && !IsSpace(line[pos]) && !IsBracket(line[pos])) out[length++] = line[pos++];
  }
  out[length] = '\0';
  level.pos = pos;
  return true;
}

std::unique_ptr<ParconList> Parcon::ReadRoot() {
  static const char kRootName[] = "__root__";
  auto root = std::make_unique<ParconList>();
  std::shared_ptr<const std::string> rootFile;
  if (current_ >= 0) rootFile = levels_[static_cast<size_t>(current_)].name;
  root->push_back(MakeValue(kRootName, sizeof kRootName - 1, true, rootFile, 0));
  // The lists still open, innermost last. An explicit stack instead of
  // recursion: nesting depth is limited only by the file's size.
  std::vector<ParconList*> open{root.get()};
  size_t length = 0;
  for (;;) {
    if (!ReadToken(length)) {
      if (!PopFile()) break;  // the end of the input closes every open list
      continue;
    }
    const FileLevel& level = levels_[static_cast<size_t>(current_)];
    const char* token = level.token.get();
    // A token carries no mark of quoting: "(" in quotes is a bracket too.
    const bool single = length == 1;
    if (single && (token[0] == ')' || token[0] == ']')) {
      if (open.size() == 1) break;  // a stray closing bracket ends the top level
      open.pop_back();
      continue;
    }
    if (single && (token[0] == '(' || token[0] == '[')) {
      auto node = std::make_unique<ParconNode>();
      node->kind = ParconNode::kList;
      node->list = std::make_unique<ParconList>();
      node->file = level.name;
      node->line = level.lineNumber;
      if (token[0] == '[') node->list->push_back(MakeValue("", 0, false, level.name, level.lineNumber));
      ParconList* child = node->list.get();
      open.back()->push_back(std::move(node));
      open.push_back(child);
      continue;
    }
    open.back()->push_back(MakeValue(token, length, true, level.name, level.lineNumber));
  }
  return root;
}

bool Parcon::Open(const std::string& name, bool reportMissing) {
  if (!PushFile(name)) {
    // In developer mode the report only logs, and the caller goes on without
    // the file.
    if (reportMissing) FatalError(fatal_text::kParconMissingFile, name.c_str());
    return false;
  }
  std::unique_ptr<ParconList> tree = ReadRoot();
  while (PopFile()) {
  }
  root_ = std::move(tree);
  return true;
}

const char* ParconCursor::Name() const {
  if (!list_ || list_->empty()) return nullptr;
  return (*list_)[0]->Text();
}

bool ParconCursor::HasNext() const { return list_ && index_ + 1 < list_->size(); }

bool ParconCursor::Next() {
  if (!HasNext()) return false;
  ++index_;
  return true;
}

std::string ParconCursor::Value(const std::string& fallback) const {
  if (!list_ || index_ >= list_->size()) return fallback;
  const char* text = (*list_)[index_]->Text();
  return text ? std::string(text) : fallback;
}

const ParconList* ParconCursor::List() const {
  if (!list_ || index_ >= list_->size()) return nullptr;
  return (*list_)[index_]->List();
}

bool ParconCursor::NextIsValue() const {
  return HasNext() && (*list_)[index_ + 1]->kind == ParconNode::kValue;
}

const ParconNode* ParconCursor::Advance(bool required) {
  if (Next()) return (*list_)[index_].get();
  if (!required) return nullptr;
  // An empty "()" has no element to stand on; its parts read "(null)".
  const ParconNode* at = list_ && index_ < list_->size() ? (*list_)[index_].get() : nullptr;
  const char* file = at && at->file ? at->file->c_str() : "(null)";
  const char* value = at && at->Text() ? at->Text() : "(null)";
  const char* name = Name();
  throw ParconMissingData(Format(fatal_text::kParconMoreData, file, value, name ? name : "bez nazwy"),
                          at ? at->line : 0);
}

std::string ParconCursor::NextString(bool required, const std::string& fallback) {
  const ParconNode* node = Advance(required);
  if (!node || node->kind == ParconNode::kList) return fallback;
  return node->text;
}

int ParconCursor::NextInt(bool required, int fallback) {
  const ParconNode* node = Advance(required);
  if (!node || node->kind == ParconNode::kList) return fallback;
  return ParconToInt(node->text.c_str());
}

float ParconCursor::NextFloat(bool required, float fallback) {
  const ParconNode* node = Advance(required);
  if (!node || node->kind == ParconNode::kList) return fallback;
  return ParconNarrow(ParconToFloat(node->text.c_str()));
}

int ParconToInt(const char* text) {
  while (IsSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long long value = 0;
  for (; IsDigit(*text); ++text)
    if (value <= INT_MAX) value = value * 10 + (*text - '0');  // saturates instead of overflowing
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ParconToFloat(const char* text) {
  while (IsSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Find the longest prefix in the plain notation; the conversion below is
  // then given exactly that, so the locale and the words "inf", "nan" or a
  // hexadecimal form never come into it.
  const char* start = text;
  const char* p = text;
  while (IsDigit(*p)) ++p;
  const char* integerEnd = p;
  bool digits = p != start;
  if (*p == '.') {
    ++p;
    const char* fraction = p;
    while (IsDigit(*p)) ++p;
    digits = digits || p != fraction;
  }
  if (!digits) return 0.0;
  long exponent = 0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    bool negativeExponent = *e == '-';
    if (*e == '+' || *e == '-') ++e;
    if (IsDigit(*e)) {
      for (; IsDigit(*e); ++e)
        if (exponent < 100000) exponent = exponent * 10 + (*e - '0');
      if (negativeExponent) exponent = -exponent;
      p = e;  // an 'e' without digits is not part of the number
    }
  }
  double value = 0.0;
  std::from_chars_result result = std::from_chars(start, p, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the decimal position of the first
    // significant digit, moved by the exponent, tells which.
    const char* q = start;
    while (*q == '0') ++q;
    long magnitude = 0;
    bool significant = true;
    if (q < integerEnd) {
      magnitude = static_cast<long>(integerEnd - q) - 1;
    } else if (*integerEnd == '.') {
      q = integerEnd + 1;
      while (*q == '0') ++q;
      magnitude = -static_cast<long>(q - integerEnd);
      significant = q < p && IsDigit(*q);
    } else {
      significant = false;
    }
    value = significant && magnitude + exponent > 0 ? HUGE_VAL : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

float ParconNarrow(double value) {
  // Doubles from here on round to infinity in 32 bits (half an ulp above the
  // largest float, where the tie goes to the even infinity).
  constexpr double kRoundsToInfinity = 0x1.ffffffp+127;
  if (value >= kRoundsToInfinity) return HUGE_VALF;
  if (value <= -kRoundsToInfinity) return -HUGE_VALF;
  return static_cast<float>(value);
}

}  // namespace tarn
