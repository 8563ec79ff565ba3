// Speed of the reader's text work per object: escaping the texts of one
// record, cutting a team text to its limit, and building the filter of a
// long object list.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/text_codec.h"
#include "source/json_escape.h"
#include "source/object_filter.h"

namespace {

// A typical object text: Cyrillic with a quote, a slash and a line break.
std::string TypicalText() {
  return platform::Utf8ToCp1251("Магазин \"Ромашка\", ул. Тверская 12/5,\r\nвход со двора");
}

void BM_JsonEscape(benchmark::State& state) {
  const std::string text = TypicalText();
  for (auto _ : state) benchmark::DoNotOptimize(JsonEscape(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_JsonEscape);

void BM_CutEscapedText(benchmark::State& state) {
  std::string long_text;
  while (long_text.size() < 400) long_text += TypicalText();
  const std::string escaped = JsonEscape(long_text);
  for (auto _ : state) benchmark::DoNotOptimize(CutEscapedText(escaped, 255));
}
BENCHMARK(BM_CutEscapedText);

void BM_BuildFilter(benchmark::State& state) {
  std::string list;
  for (int i = 1; i <= state.range(0); ++i) {
    list += std::to_string(i) + (i % 3 == 0 ? "-" + std::to_string(i + 100) : "") + ", ";
  }
  for (auto _ : state) benchmark::DoNotOptimize(BuildFilter(list));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildFilter)->Arg(10)->Arg(1000);

}  // namespace
