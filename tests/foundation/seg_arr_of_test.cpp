#include "foundation/seg_arr_of.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bitvane {
namespace {

TEST(SegArrOf, ElementsSitInSegmentsAndNeverMove) {
  TNSegArrOf<std::u16string, 10> array;
  std::vector<const std::u16string*> addresses;
  for (int i = 0; i < 1025; ++i) {
    auto* place = array.Add(std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    ASSERT_NE(place, nullptr);
    addresses.push_back(place);
  }
  EXPECT_EQ(array.Count(), 1025u);
  EXPECT_EQ(array.SegmentCount(), 2u);
  // The last element alone in the second segment, at its first slot.
  EXPECT_NE(array.At(1024), array.At(1023) + 1);
  for (int i = 0; i < 1025; ++i) {
    EXPECT_EQ(array.At(i), addresses[i]) << i;
    EXPECT_EQ((*array.At(i))[0], u'a' + i % 26) << i;
  }
  EXPECT_EQ(array.At(1025), nullptr);
  array.RemoveAll();
  EXPECT_EQ(array.Count(), 0u);
  EXPECT_EQ(array.SegmentCount(), 0u);
}

TEST(SegArrOf, SegmentCountFollowsTheBitCount) {
  TNSegArrOf<int, 2> array;  // 4 per segment
  for (int i = 0; i < 9; ++i) ASSERT_NE(array.Add(i), nullptr);
  EXPECT_EQ(array.SegmentCount(), 3u);
  EXPECT_EQ(*array.At(8), 8);
}

}  // namespace
}  // namespace bitvane
