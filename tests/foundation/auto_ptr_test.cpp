#include "foundation/auto_ptr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "foundation/class_info.h"
#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Tracked;

TEST(AutoPtr, DeletePointerReleasesTheOldOneOnAssignment) {
  Tracked::Log().clear();
  int derivedDestroyed = 0;
  {
    TNAutoDelPtrTo<Tracked> owner(new Tracked(1));
    owner = new test::TrackedDerived(2, &derivedDestroyed);
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1}));
    owner = owner.Get();  // the same pointer again: kept
    EXPECT_EQ(owner->Id(), 2);
    Tracked* taken = owner.Detach();
    EXPECT_FALSE(owner);
    owner = taken;
  }
  EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, 2}));
  EXPECT_EQ(derivedDestroyed, 1);
}

TEST(AutoPtr, FreePointerAllocatesZeroedMemory) {
  TNAutoFreePtrTo<char16_t> text;
  ASSERT_TRUE(text.Allocate(8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(text.Get()[i], 0);
  TNAutoFreePtrTo<void> bytes;
  ASSERT_TRUE(bytes.Allocate(3));
  bytes = std::malloc(5);  // the 3 bytes are freed (ASan would see a leak otherwise)
  EXPECT_TRUE(bytes);
  ASSERT_TRUE(bytes.Allocate(0));
  EXPECT_FALSE(bytes);
}

TEST(ClassInfo, LivenessFollowsTheObjectsLife) {
  auto* object = new NClassInfo;
  EXPECT_TRUE(NClassInfo::IsLive(object));
  EXPECT_FALSE(NClassInfo::IsLive(nullptr));
  EXPECT_FALSE(NClassInfo::IsLive(reinterpret_cast<NClassInfo*>(0x100)));
  object->~NClassInfo();
  EXPECT_FALSE(NClassInfo::IsLive(object));  // storage still ours, signature cleared
  ::operator delete(object);
}

}  // namespace
}  // namespace bitvane
