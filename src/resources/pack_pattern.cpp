#include "resources/pack_pattern.h"

namespace tarn {

namespace {

constexpr size_t kMaxPatternPieces = 20;

}  // namespace

PackPattern::PackPattern(const std::string& pattern) {
  if (pattern.find_first_not_of('*') == std::string::npos || pattern == "*.*") {
    all_ = true;
    return;
  }
  size_t pos = 0;
  for (;;) {
    if (pieces_.size() == kMaxPatternPieces) {
      openEnded_ = true;  // the rest of the pattern is ignored
      break;
    }
    size_t star = pattern.find('*', pos);
    if (star == std::string::npos) {
      pieces_.push_back(pattern.substr(pos));
      break;
    }
    pieces_.push_back(pattern.substr(pos, star - pos));
    pos = star + 1;
  }
  if (pattern.back() == '*') openEnded_ = true;
}

bool PackPattern::Matches(const std::string& name) const {
  if (all_) return true;
  size_t pos = 0;
  for (size_t i = 0; i < pieces_.size(); ++i) {
    const std::string& piece = pieces_[i];
    if (i == 0) {
      if (name.compare(0, piece.size(), piece) != 0) return false;
      pos = piece.size();
      continue;
    }
    size_t at = name.find(piece, pos);
    if (at == std::string::npos) return false;
    pos = at + piece.size();
  }
  return openEnded_ || pos == name.size();
}

bool PackPatternMatch(const std::string& pattern, const std::string& name) {
  return PackPattern(pattern).Matches(name);
}

}  // namespace tarn
