// Alignment: the keywords, the defaults, and the shift of each line within
// the block and of the block against the anchor.
#include <algorithm>
#include <string>
#include <string_view>

#include "text/layout_align.h"

namespace tarn::text {

namespace {

// Both axes use the same pattern of bits: the horizontal ones at shift 0, the
// vertical ones at shift 3; each block bit lies 6 above its text bit.
constexpr int kNear = 0x1;  // left, top
constexpr int kFar = 0x2;   // right, bottom
constexpr int kMid = 0x4;   // center, vcenter
constexpr int kAxisBits = kNear | kFar | kMid;
constexpr int kBlockShift = 6;
constexpr int kHorizontal = 0, kVertical = 3;

// The placement of the lines on one axis: a line of extent e in a block of
// extent S is shifted by S * edge + pull * (S - e).
struct Placement {
  float pull = 0;  // 0 near, 0.5 centred, 1 far
  float edge = 0;  // the block's near edge against the anchor, in block extents
};

float BlockEdge(int blockBit) { return blockBit == kNear ? 0.0f : blockBit == kMid ? -0.5f : -1.0f; }

struct Rule {
  int text;
  float pull;
  int blocks[3];  // when several block bits are set, the first of these counts
};

// The first text bit set decides. The two axes differ only in the block
// order of their near alignment: left takes block_right before
// block_center, top takes block_vcenter before block_bottom.
constexpr Rule kAcross[] = {
    {kFar, 1.0f, {kNear, kMid, kFar}},
    {kMid, 0.5f, {kNear, kFar, kMid}},
    {kNear, 0.0f, {kFar, kMid, kNear}},
};
constexpr Rule kDown[] = {
    {kFar, 1.0f, {kNear, kMid, kFar}},
    {kMid, 0.5f, {kNear, kFar, kMid}},
    {kNear, 0.0f, {kMid, kFar, kNear}},
};

Placement Place(int flags, int axis, const Rule (&rules)[3]) {
  for (const Rule& rule : rules) {
    if (!(flags & (rule.text << axis))) continue;
    for (int block : rule.blocks)
      if (flags & (block << (axis + kBlockShift))) return {rule.pull, BlockEdge(block)};
  }
  return {};  // only for flags that were not completed
}

int CompleteAxis(int flags, int axis) {
  const int text = kAxisBits << axis;
  if (!(flags & text)) flags |= kNear << axis;
  if (!(flags & (text << kBlockShift))) flags |= (flags & text) << kBlockShift;
  return flags;
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';'; }

int KeywordBits(std::string_view word) {
  static constexpr struct {
    const char* word;
    int bits;
  } kKeywords[] = {
      {"left", kAlignLeft},           {"right", kAlignRight},           {"center", kAlignCenter},
      {"top", kAlignTop},             {"bottom", kAlignBottom},         {"vcenter", kAlignVCenter},
      {"block_left", kBlockLeft},     {"block_right", kBlockRight},     {"block_center", kBlockCenter},
      {"block_top", kBlockTop},       {"block_bottom", kBlockBottom},   {"block_vcenter", kBlockVCenter},
      {"const_width", kConstWidth},   {"const_height", kConstHeight},   {"const_size", kConstWidth | kConstHeight},
  };
  for (const auto& keyword : kKeywords)
    if (word == keyword.word) return keyword.bits;
  return 0;
}

}  // namespace

int ParseAlignment(const std::string& keywords) {
  constexpr size_t kMaxKeywordText = 59;
  char text[kMaxKeywordText];
  const size_t length = std::min(keywords.size(), kMaxKeywordText);
  for (size_t i = 0; i < length; ++i) {
    char c = keywords[i];
    text[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  int flags = 0;
  size_t i = 0;
  while (i < length) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    size_t start = i;
    while (i < length && !IsSeparator(text[i])) ++i;
    flags |= KeywordBits(std::string_view(text + start, i - start));
  }
  return flags;
}

int CompleteAlignment(int flags) { return CompleteAxis(CompleteAxis(flags, kHorizontal), kVertical); }

void AlignItems(int flags, const Block& block, const Lines& lines, GlyphItem* items) {
  const Placement across = Place(flags, kHorizontal, kAcross);
  int first = 0;
  for (int i = 0; i < lines.count; ++i) {
    const LineSpan& line = lines.line[i];
    const float shift = block.width * across.edge + across.pull * (block.width - line.width);
    for (int k = first; k < line.end; ++k) items[k].x += shift;
    first = line.end;
  }
  const Placement down = Place(flags, kVertical, kDown);
  const float shift = block.height * down.edge + down.pull * (block.height - block.textHeight);
  for (int k = 0; k < first; ++k) items[k].y += shift;
}

}  // namespace tarn::text
