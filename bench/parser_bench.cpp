// Reading typed texts into their views, one benchmark per notation.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "core/field_parser.h"
#include "core/raw_value.h"
#include "core/view_table.h"

namespace bitvane {
namespace {

void ReadText(benchmark::State& state, ViewId id, std::u16string_view text) {
  const ValueView& view = ViewOf(id);
  RawValue value = RawValue::FromU64(0x0123456789ABCDEFull);
  std::u16string message;
  message.reserve(64);  // as a status line that is reused
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadFieldText(text, view, value, message));
    benchmark::DoNotOptimize(value);
  }
}

BENCHMARK_CAPTURE(ReadText, decimal, ViewId::LowInt32, u"12345");
BENCHMARK_CAPTURE(ReadText, negative, ViewId::Byte3, u"-128");
BENCHMARK_CAPTURE(ReadText, hex, ViewId::LowInt32, u"0xDEADBEEF");
BENCHMARK_CAPTURE(ReadText, binary, ViewId::Byte0, u"0b1010");
BENCHMARK_CAPTURE(ReadText, octal, ViewId::HighInt32, u"0777");
BENCHMARK_CAPTURE(ReadText, bare_binary_32, ViewId::LowInt32,
                  u"01010101_11001100_11110000_10101010");
BENCHMARK_CAPTURE(ReadText, char_literal, ViewId::LowInt32, u"'ABCD'");
BENCHMARK_CAPTURE(ReadText, float, ViewId::Double64, u"3.14159");
BENCHMARK_CAPTURE(ReadText, float_exponent, ViewId::LowSingle, u"-1.5e-10");
BENCHMARK_CAPTURE(ReadText, keyword, ViewId::HighSingle, u"-QNaN");
BENCHMARK_CAPTURE(ReadText, rejected, ViewId::HugeInt64, u"12abc");
// Texts that the quick decimal path leaves to the C library.
BENCHMARK_CAPTURE(ReadText, float_trailing_text, ViewId::Double64, u"1.5xyz");
BENCHMARK_CAPTURE(ReadText, float_rejected, ViewId::Double64, u"abc");

}  // namespace
}  // namespace bitvane
