// Text layout of a full item buffer: 4000 glyphs in words of five letters,
// wrapped in a box and centred both ways, and in one unlimited line.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "text/layout.h"

namespace {

using namespace tarn::text;

std::unique_ptr<Font> MakeFont() {
  auto font = std::make_unique<Font>();
  font->metrics.pixelSize = 20;
  font->metrics.spaceLength = 5;
  font->metrics.characterSpacing = 1;
  font->metrics.lineSpacing = 4;
  for (char c = 'a'; c <= 'z'; ++c) {
    Glyph glyph;
    glyph.advance = static_cast<uint8_t>(8 + c % 5);
    font->characters[static_cast<uint16_t>(c)] = static_cast<uint16_t>(font->glyphs.size());
    font->glyphs.push_back(glyph);
  }
  font->IndexCharacters();
  return font;
}

// 'glyphs' letters in words of five, a space after each word.
std::u16string Words(int glyphs) {
  std::u16string text;
  for (int i = 0; i < glyphs; ++i) {
    text += static_cast<char16_t>(u'a' + (i * 7) % 26);
    if (i % 5 == 4) text += u' ';
  }
  return text;
}

void Layout4000(benchmark::State& state, float boxWidth, int flags) {
  auto font = MakeFont();
  auto layout = std::make_unique<Layout>();
  const std::u16string text = Words(kMaxDrawChars);
  for (auto _ : state) {
    int count = LayoutText(*font, 1.0f, text, boxWidth, 0, flags, 0xFFFFFFFFu, *layout);
    benchmark::DoNotOptimize(count);
    benchmark::ClobberMemory();
  }
  if (layout->count != kMaxDrawChars) state.SkipWithError("the layout did not place every glyph");
  state.SetItemsProcessed(state.iterations() * layout->count);
}

void WrappedCentred(benchmark::State& state) { Layout4000(state, 400, kAlignCenter | kAlignVCenter); }
void OneLine(benchmark::State& state) { Layout4000(state, 0, kAlignLeft); }

BENCHMARK(WrappedCentred)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
