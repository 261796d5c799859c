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
  // The first read sets the guard up; done here, so that nothing is mapped into the
  // hole below between the unmap and the read.
  const char source[] = "TNList<>";
  char target[8] = {};
  ASSERT_TRUE(SafeReadMemory(target, source, 8));
  EXPECT_EQ(std::memcmp(target, source, 8), 0);
  void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  ASSERT_EQ(::munmap(page, 4096), 0);
  EXPECT_FALSE(SafeReadMemory(target, page, 8));
  EXPECT_FALSE(SafeReadMemory(target, reinterpret_cast<void*>(16), 8));
  void* guarded = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(guarded, MAP_FAILED);
  EXPECT_FALSE(SafeReadMemory(target, guarded, 8));
  ::munmap(guarded, 4096);
}

TEST(SafeMemory, FaultsOutsideAGuardedReadStillEndTheProgram) {
  char target[8];
  ASSERT_FALSE(SafeReadMemory(target, reinterpret_cast<void*>(0x10000), 8));  // handler in place
  EXPECT_DEATH(
      {
        volatile int* wild = reinterpret_cast<volatile int*>(0x10000);
        *wild = 1;
      },
      "");
  // A fault signal that was sent, not caused, is not swallowed either.
  EXPECT_DEATH(::raise(SIGSEGV), "");
}

TEST(SafeMemory, WipeZeroes) {
  unsigned char bytes[5] = {1, 2, 3, 4, 5};
  WipeMemory(bytes, sizeof bytes);
  for (unsigned char b : bytes) EXPECT_EQ(b, 0);
  WipeMemory(nullptr, 3);  // nothing to do, no fault
}

}  // namespace
}  // namespace bitvane
