#include "foundation/scratch_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bitvane {
namespace {

TEST(NScratchBuffer, StartsZeroFilledAndWiping) {
  NScratchBuffer buffer;
  ASSERT_NE(buffer.Data(), nullptr);
  ASSERT_EQ(buffer.Size(), 65536u);
  EXPECT_TRUE(buffer.Wipes());
  EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + buffer.Size(),
                          [](std::uint8_t b) { return b == 0; }));
  std::fill(buffer.Data(), buffer.Data() + buffer.Size(), std::uint8_t{0xA5});
}

TEST(NScratchBuffer, SizesAndWipeFlag) {
  {
    NScratchBuffer buffer(16);
    EXPECT_EQ(buffer.Size(), 16u);
    buffer.Data()[15] = 1;  // the last byte is ours; ASan checks the bound
    buffer.SetWipe(false);
    EXPECT_FALSE(buffer.Wipes());
  }
  {
    NScratchBuffer buffer(1);
    buffer.Data()[0] = 0xFF;
    buffer.SetWipe(true);
  }
  const NScratchBuffer empty(0);
  EXPECT_EQ(empty.Data(), nullptr);
  EXPECT_EQ(empty.Size(), 0u);
}

}  // namespace
}  // namespace bitvane
