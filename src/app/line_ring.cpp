#include "app/console.h"

#include <algorithm>
#include <cstring>

namespace tarn {

LineRing::LineRing(int lineCapacity, int textCapacity)
    : text_(static_cast<size_t>(std::min(textCapacity, 65535))),
      textCapacity_(std::min(textCapacity, 65535)),
      offsets_(static_cast<size_t>(lineCapacity)),
      levels_(static_cast<size_t>(lineCapacity)),
      lineCapacity_(lineCapacity) {}

void LineRing::Clear() {
  count_ = 0;
  newest_ = 0;
  newestSize_ = 0;
}

int LineRing::OldestIndex() const {
  int index = newest_ - (count_ - 1);
  if (index < 0) index += lineCapacity_;
  return index;
}

// Finds room for 'size' bytes after the newest line, dropping the oldest
// lines until it fits.
bool LineRing::Place(int size, int& offset, int& entry) {
  if (size > textCapacity_) return false;
  if (count_ == lineCapacity_) DropOldest();
  if (count_ == 0) {
    offset = 0;
    entry = 0;
    return true;
  }
  int write = offsets_[newest_] + newestSize_;
  while (count_ > 0) {
    // Lines fill the circle from the oldest start to 'write'. When the oldest
    // starts exactly at 'write' the circle is full, not empty: the limit is
    // the oldest line itself, which must go before anything is written there.
    int oldestStart = offsets_[OldestIndex()];
    bool limitIsEnd = oldestStart < write;
    int limit = limitIsEnd ? textCapacity_ : oldestStart;
    if (limit - write >= size) {
      offset = write;
      entry = newest_ + 1 == lineCapacity_ ? 0 : newest_ + 1;
      return true;
    }
    DropOldest();
    if (limitIsEnd) write = 0;
  }
  offset = write;
  entry = 0;
  return true;
}

void LineRing::Add(const char* text, int length, int level) {
  if (length <= 0) return;
  int size = length + 1;
  if (text[length - 1] == '\n') size = length;
  if (size <= 1) return;
  int offset = 0, entry = 0;
  if (!Place(size, offset, entry)) return;
  char* dst = text_.data() + offset;
  std::memcpy(dst, text, static_cast<size_t>(size - 1));
  dst[size - 1] = '\0';
  for (int i = 0; i < size - 1; ++i)
    if (static_cast<unsigned char>(dst[i]) < 32) dst[i] = ' ';
  ++count_;
  newest_ = entry;
  offsets_[entry] = static_cast<uint16_t>(offset);
  levels_[entry] = static_cast<uint8_t>(level);
  newestSize_ = size;
}

bool LineRing::Get(int i, std::string& text, int& level) const {
  if (i < 0 || i >= count_) return false;
  int index = newest_ - i;
  if (index < 0) index += lineCapacity_;
  text = text_.data() + offsets_[index];
  level = levels_[index];
  return true;
}

}  // namespace tarn
