#include "core/view_table.h"

#include <gtest/gtest.h>

#include "core/raw_value.h"

namespace bitvane {
namespace {

TEST(ViewTable, RowsFollowTheByteNumbering) {
  const auto& views = ViewTable();
  for (unsigned k = 0; k < 8; ++k) {
    EXPECT_EQ(views[k].firstByte, k);
    EXPECT_EQ(views[k].size, 1u);
  }
  EXPECT_EQ(ViewOf(ViewId::HighInt32).firstByte, 4u);
  EXPECT_EQ(ViewOf(ViewId::HighSingle).firstByte, 4u);
  EXPECT_EQ(ViewOf(ViewId::Double64).kind, ViewKind::Float);
  EXPECT_EQ(ViewOf(ViewId::HugeInt64).size, 8u);
}

TEST(RawValue, BytesAreNumberedFromTheLeastSignificant) {
  RawValue value = RawValue::FromU64(0x0123456789ABCDEFull);
  EXPECT_EQ(value.ValueLow, 0x89ABCDEFu);
  EXPECT_EQ(value.ValueHigh, 0x01234567u);
  EXPECT_EQ(value.Byte(0), 0xEF);
  EXPECT_EQ(value.Byte(7), 0x01);
  EXPECT_EQ(value.Bytes(4, 4), 0x01234567u);
  EXPECT_EQ(value.Bytes(0, 8), 0x0123456789ABCDEFull);
  value.SetBytes(3, 1, 0x1FF);  // only the low byte is taken
  EXPECT_EQ(value.ToU64(), 0x01234567FFABCDEFull);
  value.SetBytes(0, 8, 7);
  EXPECT_EQ(value.ToU64(), 7u);
}

}  // namespace
}  // namespace bitvane
