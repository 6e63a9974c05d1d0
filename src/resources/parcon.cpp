#include "resources/parcon.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "diag/error.h"

namespace tarn {

namespace {

constexpr size_t kBufferBytes = 8004;
constexpr size_t kMaxFileName = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsSpace(char c) { return IsBlank(c) || c == '\n' || c == '\r'; }
bool IsBracket(char c) { return c == '(' || c == ')' || c == '[' || c == ']'; }

std::unique_ptr<ParconNode> MakeValue(const std::string& text, bool hasText,
                                      const std::shared_ptr<const std::string>& file) {
  auto node = std::make_unique<ParconNode>();
  node->kind = ParconNode::kValue;
  node->text = text;
  node->hasText = hasText;
  node->file = file;
  return node;
}

}  // namespace

Parcon::Parcon() {
  for (Level& level : levels_) {
    level.line.assign(kBufferBytes, 0);
    level.token.assign(kBufferBytes, 0);
  }
}

Parcon::~Parcon() {
  while (PopFile()) {
  }
}

bool Parcon::PushFile(const std::string& name) {
  if (current_ + 1 >= kMaxLevels) ThrowError(fatal_text::kParconDepth, kMaxLevels - 1);
  ++current_;
  Level& level = levels_[static_cast<size_t>(current_)];
  level.name = std::make_shared<const std::string>(name.substr(0, std::min(name.size(), kMaxFileName)));
  level.stream = FileSystem::Instance().OpenRead(name, nullptr, false);
  if (!level.stream) {
    --current_;
    return false;
  }
  level.line[0] = '\n';
  level.line[1] = 0;
  level.token[0] = 0;
  level.pos = 0;
  return true;
}

bool Parcon::PopFile() {
  if (current_ < 0) return false;
  Level& level = levels_[static_cast<size_t>(current_)];
  FileSystem::Instance().CloseRead(level.stream);
  level.stream = nullptr;
  --current_;
  return current_ >= 0;
}

// Reads the next line (at most 7999 characters; the line feed is consumed and
// not stored). A longer line is cut there and ends the file.
bool Parcon::ReadLine(Level& level) {
  InputStream& in = *level.stream;
  if (!in.good()) return false;
  in.getline(level.line.data(), kMaxLineChars + 1);
  if (in.gcount() == 0) return false;
  level.pos = 0;
  return true;
}

bool Parcon::ReadToken(std::string& token) {
  if (current_ < 0) return false;
  Level& level = levels_[static_cast<size_t>(current_)];
  for (;;) {
    char c = level.line[level.pos];
    if (c == '\n' || c == '\r' || c == 0 || c == '#') {
      if (!ReadLine(level)) return false;
      continue;
    }
    if (IsBlank(c)) {
      ++level.pos;
      continue;
    }
    break;
  }
  const char* line = level.line.data();
  size_t pos = level.pos;
  size_t length = 0;
  char* out = level.token.data();
  if (IsBracket(line[pos])) {
    out[length++] = line[pos++];
  } else if (line[pos] == '"') {
    ++pos;
    while (line[pos] != 0 && line[pos] != '"') {
      if (line[pos] == '\\' && line[pos + 1] == '"') {
        out[length++] = '"';
        pos += 2;
      } else {
        out[length++] = line[pos++];
      }
    }
    if (line[pos] == '"') ++pos;
  } else {
    while (line[pos] != 0 && !IsSpace(line[pos]) && !IsBracket(line[pos])) out[length++] = line[pos++];
  }
  out[length] = 0;
  level.pos = pos;
  token.assign(out, length);
  return true;
}

std::unique_ptr<ParconList> Parcon::ParseRoot() {
  auto root = std::make_unique<ParconList>();
  root->push_back(MakeValue("__root__", true, levels_[0].name));
  // Open lists, innermost last; an explicit stack keeps deep nesting off the
  // machine stack.
  std::vector<ParconList*> open{root.get()};
  std::string token;
  for (;;) {
    if (!ReadToken(token)) {
      if (!PopFile()) break;
      continue;
    }
    const auto& file = levels_[static_cast<size_t>(current_)].name;
    ParconList* list = open.back();
    if (token == ")" || token == "]") {
      open.pop_back();
      if (open.empty()) break;  // a stray closing bracket ends the file
      continue;
    }
    if (token == "(" || token == "[") {
      auto node = std::make_unique<ParconNode>();
      node->kind = ParconNode::kList;
      node->list = std::make_unique<ParconList>();
      node->file = file;
      if (token == "[") node->list->push_back(MakeValue(std::string(), false, file));
      ParconList* child = node->list.get();
      list->push_back(std::move(node));
      open.push_back(child);
      continue;
    }
    list->push_back(MakeValue(token, true, file));
  }
  return root;
}

bool Parcon::Open(const std::string& name, bool reportMissing) {
  if (!PushFile(name)) {
    if (reportMissing) FatalError(fatal_text::kParconMissingFile, name.c_str());
    return false;
  }
  root_ = ParseRoot();
  while (PopFile()) {
  }
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
  return text ? text : fallback;
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
  const ParconNode* at = list_ && index_ < list_->size() ? (*list_)[index_].get() : nullptr;
  const char* file = at && at->file ? at->file->c_str() : "(null)";
  const char* value = at && at->Text() ? at->Text() : "(null)";
  const char* name = Name();
  ThrowError(fatal_text::kParconMoreData, file, value, name ? name : "bez nazwy");
}

std::string ParconCursor::NextString(bool required, const std::string& fallback) {
  const ParconNode* node = Advance(required);
  return node && node->Text() ? node->Text() : fallback;
}

int ParconCursor::NextInt(bool required, int fallback) {
  const ParconNode* node = Advance(required);
  if (!node) return fallback;
  if (node->kind == ParconNode::kList) return fallback;
  return ParconToInt(node->text.c_str());
}

float ParconCursor::NextFloat(bool required, float fallback) {
  const ParconNode* node = Advance(required);
  if (!node) return fallback;
  if (node->kind == ParconNode::kList) return fallback;
  return static_cast<float>(ParconToFloat(node->text.c_str()));
}

int ParconToInt(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long long value = 0;
  while (std::isdigit(static_cast<unsigned char>(*text))) {
    if (value <= INT_MAX) value = value * 10 + (*text - '0');  // saturate instead of overflowing
    ++text;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ParconToFloat(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  // Only the plain decimal notation: no hexadecimal, infinity or NaN words.
  const char* p = text;
  if (*p == '+' || *p == '-') ++p;
  const char* digitsStart = p;
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
  bool any = p != digitsStart;
  if (*p == '.') {
    const char* fraction = ++p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    any = any || p != fraction;
  }
  if (!any) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (std::isdigit(static_cast<unsigned char>(*e))) {
      while (std::isdigit(static_cast<unsigned char>(*e))) ++e;
      p = e;
    }
  }
  return std::strtod(std::string(text, static_cast<size_t>(p - text)).c_str(), nullptr);
}

}  // namespace tarn
