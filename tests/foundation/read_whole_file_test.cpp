#include "foundation/read_whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/ansi_to_wide.h"
#include "foundation/auto_ptr.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::TempDir;

using test::Wide;

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

bool EndsInFourZeros(const std::uint8_t* block, std::size_t size) {
  return block[size] == 0 && block[size + 1] == 0 && block[size + 2] == 0 && block[size + 3] == 0;
}

TEST(ReadWholeFile, ReadsInPiecesWithProgress) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  for (const std::size_t length :
       {std::size_t{0}, std::size_t{1}, kReadWholeFilePiece - 1, kReadWholeFilePiece,
        kReadWholeFilePiece + 1, 3 * kReadWholeFilePiece + 5}) {
    const std::string bytes = Pattern(length);
    const std::string path = dir.Write("f" + std::to_string(length), bytes);
    std::size_t size = 99;
    std::vector<std::uint64_t> reports;
    const auto progress = [&](std::uint64_t done, std::uint64_t total) {
      EXPECT_EQ(total, length);
      EXPECT_EQ(size, done);  // the out-value grows with each piece
      reports.push_back(done);
      return true;
    };
    SetLastError(ERROR_INVALID_DATA);
    TNAutoFreePtrTo<std::uint8_t> block(ReadWholeFile(Wide(path), size, progress));
    ASSERT_TRUE(block) << length;
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    ASSERT_EQ(size, length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Get()), size), bytes);
    EXPECT_TRUE(EndsInFourZeros(block.Get(), size));
    // Once before the first piece, then after each piece of at most 64 KiB.
    const std::size_t pieces = (length + kReadWholeFilePiece - 1) / kReadWholeFilePiece;
    ASSERT_EQ(reports.size(), pieces + 1) << length;
    for (std::size_t i = 0; i < reports.size(); ++i) {
      EXPECT_EQ(reports[i], std::min<std::uint64_t>(i * kReadWholeFilePiece, length));
    }
  }
}

TEST(ReadWholeFile, DefaultProgressAndEnvironment) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("data", "abc");
  ::setenv("BV_READ_DIR", dir.Path().c_str(), 1);
  std::size_t size = 0;
  TNAutoFreePtrTo<std::uint8_t> block(ReadWholeFile(u"%BV_READ_DIR%/x/../data", size));
  ::unsetenv("BV_READ_DIR");
  ASSERT_TRUE(block);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(block.Get()[2], 'c');
  EXPECT_TRUE(EndsInFourZeros(block.Get(), size));
}

// The limit is proved on a small one; at the real one, larger files are refused by
// their size alone, before any reading.
TEST(ReadWholeFile, UpToTheLimitAndNoMore) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  EXPECT_EQ(ReadWholeFileLimit(), 1ull << 30);
  const std::uint64_t limit = 2 * kReadWholeFilePiece + 3;
  const std::string atLimit = dir.Write("limit", Pattern(limit));
  const std::string above = dir.Write("above", Pattern(limit + 1));
  const std::string huge = dir.Sparse("huge", 1ull << 32);

  struct ScopedLimit {
    std::uint64_t old;
    ~ScopedLimit() { (void)SetReadWholeFileLimit(old); }
  } scoped{SetReadWholeFileLimit(limit)};
  std::size_t size = 0;
  TNAutoFreePtrTo<std::uint8_t> block(ReadWholeFile(Wide(atLimit), size));
  ASSERT_TRUE(block);
  EXPECT_EQ(size, limit);
  EXPECT_TRUE(EndsInFourZeros(block.Get(), size));
  block = nullptr;

  for (const std::string& path : {above, huge}) {
    size = 5;
    SetLastError(0);
    EXPECT_EQ(ReadWholeFile(Wide(path), size), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(size, 0u);
  }
  (void)SetReadWholeFileLimit(kReadWholeFileLimit);
  EXPECT_EQ(ReadWholeFile(Wide(huge), size), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
}

TEST(ReadWholeFile, CancelledAndCutShort) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string path = dir.Write("f", Pattern(3 * kReadWholeFilePiece));
  const struct {
    int answerNoAtCall;  // the 1-based call that says no; -1: truncate after the first piece
    ErrorCode code;
  } rows[] = {
      {1, ERROR_CANCELLED}, {2, ERROR_CANCELLED}, {4, ERROR_CANCELLED}, {-1, ERROR_READ_FAULT}};
  for (const auto& row : rows) {
    dir.Write("f", Pattern(3 * kReadWholeFilePiece));
    int calls = 0;
    const auto progress = [&](std::uint64_t, std::uint64_t) {
      ++calls;
      if (row.answerNoAtCall < 0 && calls == 2) {
        EXPECT_EQ(::truncate(path.c_str(), 100), 0);
      }
      return calls != row.answerNoAtCall;
    };
    std::size_t size = 7;
    SetLastError(0);
    EXPECT_EQ(ReadWholeFile(Wide(path), size, progress), nullptr) << row.answerNoAtCall;
    EXPECT_EQ(GetLastError(), row.code) << row.answerNoAtCall;
    EXPECT_EQ(size, 0u);
  }
}

TEST(ReadWholeFile, FailureCodes) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("file", "x");
  const struct {
    std::u16string path;
    ErrorCode code;
  } rows[] = {
      {u"", ERROR_INVALID_PARAMETER},
      {Wide(dir.Join("missing")), ERROR_FILE_NOT_FOUND},
      {Wide(dir.Join("missing/f")), ERROR_PATH_NOT_FOUND},
      {Wide(dir.Path()), ERROR_BAD_FILE_TYPE},
      {Wide(dir.MakeFifo("pipe")), ERROR_BAD_FILE_TYPE},
      {u"/dev/zero", ERROR_BAD_FILE_TYPE},
      {Wide(dir.Join("file")) + u'\0', ERROR_INVALID_NAME},  // would name another file
      {Wide(dir.Join("file")) + char16_t{0xD800}, ERROR_INVALID_NAME},
      {u"/" + std::u16string(5000, u'a'), ERROR_FILENAME_EXCED_RANGE},
      {Wide(dir.Join(std::string(256, 'n'))), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const auto& row : rows) {
    std::size_t size = 3;
    SetLastError(0);
    EXPECT_EQ(ReadWholeFile(row.path, size), nullptr) << row.path.size();
    EXPECT_EQ(GetLastError(), row.code) << row.path.size();
    EXPECT_EQ(size, 0u);
  }
}

TEST(ReadNamedFile, ReadsThePathAsItStands) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string named = dir.Write("%BV_READ_OTHER%.bin", "named");
  dir.Write("other.bin", "the other file");
  dir.Write("x", "x");
  ::setenv("BV_READ_OTHER", "other", 1);
  const struct {
    std::u16string path;
    std::size_t size;  // 0: fails
    std::string name;
  } rows[] = {
      {Wide(named), 5, "%BV_READ_OTHER%.bin"},  // not expanded a second time
      {Wide(dir.Join("x")), 1, "x"},
      {Wide(dir.Join("missing")), 0, ""},
      {u"", 0, ""},
  };
  for (const auto& row : rows) {
    std::size_t size = 9;
    FileEntryInfo entry;
    TNAutoFreePtrTo<std::uint8_t> block(ReadNamedFile(row.path, size, &entry));
    EXPECT_EQ(block.Get() != nullptr, row.size != 0) << named;
    EXPECT_EQ(size, row.size) << named;
    if (row.size == 0) continue;
    EXPECT_EQ(entry.m_name, row.name);
    EXPECT_EQ(entry.m_size, row.size);
    EXPECT_TRUE(EndsInFourZeros(block.Get(), size));
  }
  // The whole-file reader itself expands, once.
  std::size_t size = 0;
  TNAutoFreePtrTo<std::uint8_t> block(ReadWholeFile(Wide(named), size));
  ::unsetenv("BV_READ_OTHER");
  EXPECT_EQ(size, 14u);
}

}  // namespace
}  // namespace bitvane
