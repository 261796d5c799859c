#include "foundation/read_whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/auto_ptr.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::TempDir;
using test::Wide;
using Block = TNAutoFreePtrTo<std::uint8_t>;
constexpr std::size_t kPiece = kReadWholeFilePiece;

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

// The bytes, then four zeros. `size` by reference: the read in the same call fills it.
void ExpectBlock(const Block& block, const std::size_t& size, const std::string& bytes) {
  ASSERT_TRUE(block);
  ASSERT_EQ(size, bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Get()), size), bytes);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Get()) + size, 4), std::string(4, 0));
}

TEST(ReadWholeFile, ReadsInPiecesWithProgress) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  for (const std::size_t length : {std::size_t{0}, kPiece - 1, kPiece, 3 * kPiece + 5}) {
    SCOPED_TRACE(length);
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
    const Block block(ReadWholeFile(Wide(path), size, progress));
    ExpectBlock(block, size, bytes);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    ASSERT_EQ(reports.size(), (length + kPiece - 1) / kPiece + 1);
    for (std::size_t i = 0; i < reports.size(); ++i) {
      EXPECT_EQ(reports[i], std::min<std::uint64_t>(i * kPiece, length));
    }
  }
}

// A small limit; at the real one a huge file is refused by its size before reading.
TEST(ReadWholeFile, UpToTheLimitAndNoMore) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  EXPECT_EQ(ReadWholeFileLimit(), 1ull << 30);
  const std::uint64_t limit = 2 * kPiece + 3;
  const std::string atLimit = Pattern(limit);
  const std::string above = dir.Write("above", Pattern(limit + 1));
  const std::string huge = dir.Sparse("huge", 1ull << 32);

  struct ScopedLimit {
    std::uint64_t old;
    ~ScopedLimit() { (void)SetReadWholeFileLimit(old); }
  } scoped{SetReadWholeFileLimit(limit)};
  std::size_t size = 0;
  ExpectBlock(Block(ReadWholeFile(Wide(dir.Write("limit", atLimit)), size)), size, atLimit);
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

TEST(ReadWholeFile, FailureCodes) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string file = dir.Write("file", Pattern(3 * kPiece));
  const struct {
    std::u16string path;
    ErrorCode code;
    int answerNoAtCall = 0;  // the progress call that says no; -1: cut the file short
  } rows[] = {
      {u"", ERROR_INVALID_PARAMETER},
      {Wide(dir.Join("missing")), ERROR_FILE_NOT_FOUND},
      {Wide(dir.Path()), ERROR_BAD_FILE_TYPE},
      {Wide(dir.MakeFifo("pipe")), ERROR_BAD_FILE_TYPE},
      {Wide(file) + u'\0', ERROR_INVALID_NAME},  // would name another file
      {u"/" + std::u16string(5000, u'a'), ERROR_FILENAME_EXCED_RANGE},
      {Wide(dir.Join(std::string(256, 'n'))), ERROR_FILENAME_EXCED_RANGE},
      {Wide(file), ERROR_CANCELLED, 1},
      {Wide(file), ERROR_CANCELLED, 4},
      {Wide(file), ERROR_READ_FAULT, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.path.size()) + " " + std::to_string(row.answerNoAtCall));
    dir.Write("file", Pattern(3 * kPiece));
    int calls = 0;
    const auto progress = [&](std::uint64_t, std::uint64_t) {
      if (++calls == 2 && row.answerNoAtCall < 0) {
        EXPECT_EQ(::truncate(file.c_str(), 100), 0);
      }
      return calls != row.answerNoAtCall;
    };
    std::size_t size = 3;
    SetLastError(0);
    EXPECT_EQ(ReadWholeFile(row.path, size, progress), nullptr);
    EXPECT_EQ(GetLastError(), row.code);
    EXPECT_EQ(size, 0u);
  }
}

TEST(ReadNamedFile, ReadsThePathAsItStands) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string named = dir.Write("%BV_READ_OTHER%.bin", "named");
  dir.Write("other.bin", "the other file");
  ::setenv("BV_READ_OTHER", "other", 1);
  std::size_t size = 9;
  FileEntryInfo entry;
  ExpectBlock(Block(ReadNamedFile(Wide(named), size, &entry)), size, "named");
  EXPECT_EQ(entry.m_name, "%BV_READ_OTHER%.bin");
  EXPECT_EQ(entry.m_size, 5u);
  ExpectBlock(Block(ReadWholeFile(Wide(named), size)), size, "the other file");
  ::unsetenv("BV_READ_OTHER");
  size = 9;
  EXPECT_EQ(ReadNamedFile(Wide(dir.Join("missing")), size, &entry), nullptr);
  EXPECT_EQ(size, 0u);
}

}  // namespace
}  // namespace bitvane
