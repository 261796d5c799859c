#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "foundation/crc32.h"
#include "foundation/number_text.h"
#include "foundation/text_builder.h"

namespace bitvane {
namespace {

void BM_Crc32_64KiB(benchmark::State& state) {
  std::vector<unsigned char> data(64 * 1024);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 31 + 7);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(data.data(), data.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_Crc32_64KiB);

void BM_UnsignedToText(benchmark::State& state) {
  const auto radix = static_cast<unsigned>(state.range(0));
  const int width = radix == 16 ? 8 : 12;
  std::uint32_t value = 0x9E3779B9u;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UnsignedToText(value, radix, width, u'0'));
    value = value * 1664525u + 1013904223u;
  }
}
BENCHMARK(BM_UnsignedToText)->Arg(10)->Arg(16);

void BM_Unsigned64ToText(benchmark::State& state) {
  const auto radix = static_cast<unsigned>(state.range(0));
  std::uint64_t value = 0x9E3779B97F4A7C15u;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Unsigned64ToText(value, radix));
    value = value * 6364136223846793005u + 1442695040888963407u;
  }
}
BENCHMARK(BM_Unsigned64ToText)->Arg(10)->Arg(16);

void BM_BinaryDigits64(benchmark::State& state) {
  std::uint64_t value = 0x9E3779B97F4A7C15u;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BinaryDigits(value, 64));
    value = value * 6364136223846793005u + 1442695040888963407u;
  }
}
BENCHMARK(BM_BinaryDigits64);

// 1,000 pieces of 3 to 10 characters, then the joined text.
void BM_TextBuilder1000PiecesAndGet(benchmark::State& state) {
  const bool wipe = state.range(0) != 0;
  const std::u16string_view piece = u"0123456789";
  for (auto _ : state) {
    TextBuilder builder(wipe);
    for (std::size_t i = 0; i < 1000; ++i) builder.Append(piece.substr(0, 3 + i % 8));
    benchmark::DoNotOptimize(builder.Get());
  }
}
BENCHMARK(BM_TextBuilder1000PiecesAndGet)->ArgName("wipe")->Arg(0)->Arg(1);

}  // namespace
}  // namespace bitvane
