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

TEST(LastError, NumbersAreTheConventionalOnes) {
  // Stored data and messages carry these numbers; they must never drift.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, 2u);
  EXPECT_EQ(ERROR_INVALID_HANDLE, 6u);
  EXPECT_EQ(ERROR_INVALID_DATA, 13u);
  EXPECT_EQ(ERROR_INVALID_PARAMETER, 87u);
  EXPECT_EQ(ERROR_MORE_DATA, 234u);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, 259u);
  EXPECT_EQ(ERROR_ARITHMETIC_OVERFLOW, 534u);
  EXPECT_EQ(ERROR_INVALID_DATATYPE, 1804u);
}

}  // namespace
}  // namespace bitvane
