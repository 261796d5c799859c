#include "platform/safe_memory.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <csignal>
#include <cstring>

namespace bitvane {
namespace {

TEST(SafeMemory, ReadsReadableMemoryOnly) {
  EXPECT_FALSE(IsPlausibleAddress(reinterpret_cast<void*>(4095)));
  EXPECT_TRUE(IsPlausibleAddress(reinterpret_cast<void*>(4096)));
  // The first read sets the guard up, so that nothing is mapped into the hole below later.
  char target[8] = {};
  ASSERT_TRUE(SafeReadMemory(target, "TNList<>", 8));
  EXPECT_EQ(std::memcmp(target, "TNList<>", 8), 0);
  void* hole = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  void* guarded = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_TRUE(hole != MAP_FAILED && guarded != MAP_FAILED && ::munmap(hole, 4096) == 0);
  for (void* from : {hole, guarded, reinterpret_cast<void*>(16)}) {
    EXPECT_FALSE(SafeReadMemory(target, from, 8)) << from;
  }
  ::munmap(guarded, 4096);
}

TEST(SafeMemory, FaultsOutsideAGuardedReadStillEndTheProgram) {
  char target[8];
  ASSERT_FALSE(SafeReadMemory(target, reinterpret_cast<void*>(0x10000), 8));  // handler in place
  EXPECT_DEATH(*reinterpret_cast<volatile int*>(0x10000) = 1, "");
  EXPECT_DEATH(::raise(SIGSEGV), "");  // sent, not caused: not swallowed either
}

TEST(SafeMemory, WipeZeroes) {
  unsigned char bytes[5] = {1, 2, 3, 4, 5};
  WipeMemory(bytes, sizeof bytes);
  EXPECT_EQ(std::memcmp(bytes, "\0\0\0\0\0", 5), 0);
  WipeMemory(nullptr, 3);  // nothing to do, no fault
}

}  // namespace
}  // namespace bitvane
