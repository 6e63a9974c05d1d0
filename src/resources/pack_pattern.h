// The '*'-only pattern of archive searches. Pieces between stars are matched
// at their leftmost occurrence, without backtracking; '?' is an ordinary
// character.
#pragma once

#include <string>
#include <vector>

namespace tarn {

class PackPattern {
 public:
  explicit PackPattern(const std::string& pattern);
  bool Matches(const std::string& name) const;

 private:
  bool all_ = false;
  bool openEnded_ = false;
  std::vector<std::string> pieces_;
};
bool PackPatternMatch(const std::string& pattern, const std::string& name);

}  // namespace tarn
