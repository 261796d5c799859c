#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/float_texts.h"
#include "core/raw_value.h"
#include "core/view_table.h"
#include "core/view_texts.h"

namespace bitvane {
namespace {

// 1,024 pseudo-random 64-bit patterns, cycled through so that no single value's
// branches are learnt.
std::vector<std::uint64_t> RandomBits() {
  std::vector<std::uint64_t> bits(1024);
  std::uint64_t x = 0x9E3779B97F4A7C15u;
  for (std::uint64_t& b : bits) {
    x ^= x << 13;  // xorshift64
    x ^= x >> 7;
    x ^= x << 17;
    b = x;
  }
  return bits;
}

// Random finite doubles spread over every exponent.
std::vector<double> RandomDoubles() {
  std::vector<double> values;
  for (std::uint64_t bits : RandomBits()) {
    if (((bits >> 52) & 0x7FF) == 0x7FF) bits ^= std::uint64_t{1} << 62;  // not Inf or NaN
    values.push_back(std::bit_cast<double>(bits));
  }
  return values;
}

// What the dialog computes after every accepted keystroke or swap: the input and
// the information text of all fourteen views.
void BM_RewriteAllViews(benchmark::State& state) {
  const std::vector<std::uint64_t> bits = RandomBits();
  std::size_t i = 0;
  for (auto _ : state) {
    const RawValue value = RawValue::FromU64(bits[i++ & 1023]);
    for (const ValueView& view : ViewTable()) {
      benchmark::DoNotOptimize(ViewInputText(view, value));
      benchmark::DoNotOptimize(ViewInfoText(view, value));
    }
  }
}
BENCHMARK(BM_RewriteAllViews);

// The same for one view, by its row in the table, to see where the time goes.
void BM_RewriteOneView(benchmark::State& state) {
  const std::vector<std::uint64_t> bits = RandomBits();
  const ValueView& view = ViewTable()[static_cast<std::size_t>(state.range(0))];
  std::size_t i = 0;
  for (auto _ : state) {
    const RawValue value = RawValue::FromU64(bits[i++ & 1023]);
    benchmark::DoNotOptimize(ViewInputText(view, value));
    benchmark::DoNotOptimize(ViewInfoText(view, value));
  }
}
BENCHMARK(BM_RewriteOneView)->ArgName("row")->Arg(0)->Arg(8)->Arg(10)->Arg(11)->Arg(13);

void BM_FloatInputText(benchmark::State& state) {
  const std::vector<double> values = RandomDoubles();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(FloatInputText(values[i++ & 1023]));
}
BENCHMARK(BM_FloatInputText);

// Baseline: the C library's 17 significant digits of the same doubles.
void BM_SnprintfBaseline(benchmark::State& state) {
  const std::vector<double> values = RandomDoubles();
  std::size_t i = 0;
  char text[40];
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%.16e", values[i++ & 1023]));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SnprintfBaseline);

}  // namespace
}  // namespace bitvane
