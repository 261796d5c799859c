#include "core/swaps.h"

#include <gtest/gtest.h>

#include <random>

namespace bitvane {
namespace {

TEST(Swaps, EachSwapOnAKnownValue) {
  const RawValue start = RawValue::FromU64(0x0123456789ABCDEFull);
  const struct {
    SwapId id;
    std::uint64_t result;
  } rows[] = {
      {SwapId::HighWords, 0x4567012389ABCDEFull}, {SwapId::HighBytes, 0x6745230189ABCDEFull},
      {SwapId::LowWords, 0x01234567CDEF89ABull},  {SwapId::LowBytes, 0x01234567EFCDAB89ull},
      {SwapId::Halves, 0x89ABCDEF01234567ull},    {SwapId::HugeWords, 0xCDEF89AB45670123ull},
      {SwapId::HugeBytes, 0xEFCDAB8967452301ull},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ApplySwap(row.id, start).ToU64(), row.result) << static_cast<int>(row.id);
  }
}

TEST(Swaps, PropertiesOverRandomValues) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 10000; ++i) {
    const RawValue value = RawValue::FromU64(random());
    for (int id = 0; id <= static_cast<int>(SwapId::HugeBytes); ++id) {
      const auto swap = static_cast<SwapId>(id);
      EXPECT_EQ(ApplySwap(swap, ApplySwap(swap, value)), value);
    }
    const RawValue halvesReversed =
        ApplySwap(SwapId::Halves, ApplySwap(SwapId::HighBytes, ApplySwap(SwapId::LowBytes, value)));
    EXPECT_EQ(ApplySwap(SwapId::HugeBytes, value), halvesReversed);
    // The half-width swaps never touch the other half.
    EXPECT_EQ(ApplySwap(SwapId::LowWords, value).ValueHigh, value.ValueHigh);
    EXPECT_EQ(ApplySwap(SwapId::HighBytes, value).ValueLow, value.ValueLow);
  }
}

}  // namespace
}  // namespace bitvane
