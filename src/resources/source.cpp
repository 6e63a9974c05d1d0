#include "resources/source.h"

#include <algorithm>
#include <cctype>

namespace tarn {

namespace {

constexpr size_t kMaxNameChars = 1023;
constexpr size_t kMaxComponents = 30;

}  // namespace

void FSSource::Close() { mounted_ = false; }

bool FSSource::Open(const std::string& path) {
  Close();
  path_ = path;
  mounted_ = true;
  return true;
}

NormalisedName NormaliseName(const std::string& name) {
  NormalisedName result;
  size_t begin = 0, end = name.size();
  while (begin < end && static_cast<unsigned char>(name[begin]) < 33) ++begin;
  while (end > begin && static_cast<unsigned char>(name[end - 1]) < 33) --end;
  if (begin == end) return result;
  std::string text = name.substr(begin, std::min(end - begin, kMaxNameChars));
  for (char& c : text) {
    if (c == '\\') c = '/';
    else c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t slash = text.find('/', pos);
    if (slash == std::string::npos) slash = text.size();
    if (slash > pos) {
      if (result.components.size() == kMaxComponents) return NormalisedName();
      result.components.push_back(text.substr(pos, slash - pos));
    }
    pos = slash + 1;
  }
  if (result.components.empty()) return NormalisedName();
  for (size_t i = 0; i < result.components.size(); ++i) {
    if (i) result.text += '/';
    result.text += result.components[i];
  }
  result.ok = true;
  return result;
}

}  // namespace tarn
