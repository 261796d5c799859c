#include "foundation/scratch_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bitvane {
namespace {

TEST(NScratchBuffer, SizesZeroFillAndWipeFlag) {
  NScratchBuffer buffer;
  ASSERT_NE(buffer.Data(), nullptr);
  ASSERT_EQ(buffer.Size(), 65536u);
  EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + buffer.Size(),
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(buffer.Wipes());
  buffer.SetWipe(false);
  EXPECT_FALSE(buffer.Wipes());
  NScratchBuffer one(1);
  ASSERT_EQ(one.Size(), 1u);
  one.Data()[0] = 0xFF;  // the byte is ours; ASan checks the bound
  const NScratchBuffer empty(0);
  EXPECT_EQ(empty.Data(), nullptr);
  EXPECT_EQ(empty.Size(), 0u);
}

}  // namespace
}  // namespace bitvane
