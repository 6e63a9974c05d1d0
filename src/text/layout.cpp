// Breaking a text into lines: glyphs placed pen by pen, wrapped at the box
// width between words (or inside a word longer than the line), cut at the
// line limit, the box height and the item capacity; then aligned.
#include "text/layout.h"

#include <algorithm>
#include <cmath>

#include "text/layout_align.h"

namespace tarn::text {

namespace {

constexpr float kNoLimit = 100000;

// A box side in font pixels: a side greater than 0 divided by the scale,
// anything else no limit. A scale that is not a positive number sets no limit
// either, rather than a negative or undefined box.
float BoxSide(float side, float scale) {
  if (!(side > 0)) return kNoLimit;
  float unscaled = side / scale;
  return unscaled > 0 ? unscaled : kNoLimit;
}

// How many lines the box height holds: at least 1, at most kMaxLines. A line
// height of 0 or less (or not a number) divides nothing and sets no limit.
int LineLimit(float boxHeight, float lineHeight) {
  if (!(lineHeight > 0)) return kMaxLines;
  float lines = std::max(1.0f, boxHeight / lineHeight) + 0.01f;
  return lines >= kMaxLines ? kMaxLines : static_cast<int>(lines);
}

class LineWalk {
 public:
  LineWalk(const Font& font, float boxWidth, float boxHeight, uint32_t colour, GlyphItem* items, Lines& lines)
      : font_(font),
        m_(font.metrics),
        boxWidth_(boxWidth),
        boxHeight_(boxHeight),
        colour_(colour),
        items_(items),
        lines_(lines),
        spaceAdvance_(m_.characterSpacing + m_.spaceLength),
        lineHeight_(m_.lineSpacing + m_.pixelSize),
        lineLimit_(LineLimit(boxHeight, lineHeight_)),
        y_(std::floor(m_.pixelSize * 0.7f + 1)) {}

  // Fills the items and the lines; returns the item count.
  int Run(const std::u16string& text) {
    size_t i = 0;
    while (i < text.size() && count_ < kMaxDrawChars) {
      char16_t c = text[i];
      if (c == u'\n') {
        if (!EndLine(lineHeight_ + m_.paragraphSpacing)) return count_;
      } else if (c == u' ') {
        if (wordOpen_) widthAtSpace_ = lineWidth_;
        wordOpen_ = false;
        x_ += spaceAdvance_;
      } else if (const Glyph* glyph = font_.Find(c)) {
        if (!Place(glyph, i)) {
          // A word that began after the line's first glyph moves to the next
          // line whole; otherwise the line breaks before this glyph, after the
          // spaces that ended the last word or inside a word longer than the
          // line. Spaces before the break count for nothing.
          if (wordOpen_ && wordStart_ > lineFirst_) {
            count_ = wordStart_;
            i = wordChar_;
            lineWidth_ = widthAtSpace_;
          }
          if (!EndLine(lineHeight_)) return count_;
          continue;  // this character, or the moved word's first, starts the new line
        }
      }
      ++i;
    }
    if (count_ > lineFirst_) Record();  // a last line of spaces adds none
    return count_;
  }

 private:
  // Places the glyph at the pen when it fits the box or starts the line.
  bool Place(const Glyph* glyph, size_t character) {
    if (x_ + glyph->advance > boxWidth_ && count_ > lineFirst_) return false;
    items_[count_] = {x_, y_, colour_, glyph};
    if (!wordOpen_) {
      wordOpen_ = true;
      wordStart_ = count_;
      wordChar_ = character;
    }
    ++count_;
    lineWidth_ = x_ + glyph->advance;
    x_ += glyph->advance + m_.characterSpacing;
    return true;
  }

  void Record() { lines_.line[lines_.count++] = {count_, lineWidth_}; }

  // Ends the current line and starts the next one 'advance' lower; false when
  // the line limit is reached or the next line would pass the box's bottom.
  bool EndLine(float advance) {
    Record();
    float next = y_ + advance;
    if (lines_.count >= lineLimit_ || next + lineHeight_ > boxHeight_) return false;
    y_ = next;
    x_ = 0;
    lineWidth_ = 0;
    widthAtSpace_ = 0;
    lineFirst_ = count_;
    wordOpen_ = false;
    return true;
  }

  const Font& font_;
  const FontMetrics& m_;
  const float boxWidth_, boxHeight_;
  const uint32_t colour_;
  GlyphItem* const items_;
  Lines& lines_;
  const float spaceAdvance_, lineHeight_;
  const int lineLimit_;

  float x_ = 0, y_;
  float lineWidth_ = 0;     // the right edge of the line's last glyph
  float widthAtSpace_ = 0;  // the line width where a space last ended a word
  int count_ = 0;
  int lineFirst_ = 0;  // the current line's first item
  bool wordOpen_ = false;
  int wordStart_ = 0;  // the open word's first item and its character
  size_t wordChar_ = 0;
};

}  // namespace

int LayoutText(const Font& font, float scale, const std::u16string& text, float boxWidth, float boxHeight,
               int flags, uint32_t colour, Layout& out) {
  flags = CompleteAlignment(flags);
  const float width = BoxSide(boxWidth, scale), height = BoxSide(boxHeight, scale);
  Lines lines;
  int count = LineWalk(font, width, height, colour, out.items, lines).Run(text);

  float textWidth = 0;
  for (int i = 0; i < lines.count; ++i) textWidth = std::max(textWidth, lines.line[i].width);
  const FontMetrics& m = font.metrics;
  float textHeight = lines.count == 0 ? 0 : (lines.count - 1) * (m.lineSpacing + m.pixelSize) + m.pixelSize;

  Block block;
  block.width = (flags & kConstWidth) && boxWidth > 0 ? width : textWidth;
  block.height = (flags & kConstHeight) && boxHeight > 0 ? height : textHeight;
  block.textHeight = textHeight;
  AlignItems(flags, block, lines, out.items);

  out.count = count;
  out.textWidth = textWidth;
  out.textHeight = textHeight;
  out.font = &font;
  return count;
}

}  // namespace tarn::text
