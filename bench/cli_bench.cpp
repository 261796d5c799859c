// What making text fit for a terminal costs: the companion escapes everything it prints,
// so a version resource or a settings value of any size must pass in linear time.

#include <benchmark/benchmark.h>

#include <string>

#include "cli/terminal_text.h"

namespace bitvane::cli {
namespace {

// `lines` lines ending in CR LF, as the About text and the version descriptions end them.
std::u16string CrLfLines(std::int64_t lines) {
  std::u16string text;
  for (std::int64_t i = 0; i < lines; ++i) text += u"Loaded from /usr/lib/bitvane/x\r\n";
  return text;
}

void BM_TerminalLines(benchmark::State& state) {
  const std::u16string text = CrLfLines(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(TerminalLines(text));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_TerminalLines)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

// Bytes of an argument or a file name, every third one something to escape.
void BM_TerminalTextBytes(benchmark::State& state) {
  std::string text;
  while (text.size() < static_cast<std::size_t>(state.range(0))) text += "ab\x1B\xC3\xA9\xFF";
  for (auto _ : state) benchmark::DoNotOptimize(TerminalText(text));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_TerminalTextBytes)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity();

}  // namespace
}  // namespace bitvane::cli
