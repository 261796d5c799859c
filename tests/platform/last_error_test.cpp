#include "platform/last_error.h"

#include <gtest/gtest.h>

#include <thread>

namespace bitvane {
namespace {

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_INVALID_DATA);
  ErrorCode seenByOther = 12345;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
  });
  other.join();
  EXPECT_EQ(seenByOther, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

}  // namespace
}  // namespace bitvane
