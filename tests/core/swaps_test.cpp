#include "core/swaps.h"

#include <gtest/gtest.h>

namespace bitvane {
namespace {

TEST(RawValue, BytesAreNumberedFromTheLeastSignificant) {
  RawValue value = RawValue::FromU64(0x0123456789ABCDEFull);
  EXPECT_EQ(value.ValueLow, 0x89ABCDEFu);
  EXPECT_EQ(value.Byte(7), 0x01);
  EXPECT_EQ(value.Bytes(4, 4), 0x01234567u);
  EXPECT_EQ(value.Bytes(0, 8), 0x0123456789ABCDEFull);
  value.SetBytes(3, 1, 0x1FF);  // only the low byte is taken
  EXPECT_EQ(value.ToU64(), 0x01234567FFABCDEFull);
  value.SetBytes(0, 8, 7);
  EXPECT_EQ(value.ToU64(), 7u);
}

// Every byte of the start differs, so each row pins its swap down.
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

}  // namespace
}  // namespace bitvane
