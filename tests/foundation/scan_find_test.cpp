#include "foundation/scan_find.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "foundation/ansi_to_wide.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::TempDir;

using test::Wide;

bool IsAllZero(const NFindData& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (std::size_t i = 0; i < sizeof record; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

std::map<std::string, const NFindData*> ByName(const NScanFind& scan) {
  std::map<std::string, const NFindData*> records;
  for (std::uint32_t i = 0; i < scan.Count(); ++i)
    records[WideToUtf8(scan.At(i).FileName())] = &scan.At(i);
  return records;
}

TEST(NFindData, ConventionalLayout) {
  EXPECT_EQ(offsetof(NFindData, m_fileAttributes), 0u);
  EXPECT_EQ(offsetof(NFindData, m_creationTime), 4u);
  EXPECT_EQ(offsetof(NFindData, m_lastAccessTime), 12u);
  EXPECT_EQ(offsetof(NFindData, m_lastWriteTime), 20u);
  EXPECT_EQ(offsetof(NFindData, m_fileSizeHigh), 28u);
  EXPECT_EQ(offsetof(NFindData, m_fileSizeLow), 32u);
  EXPECT_EQ(offsetof(NFindData, m_fileName), 44u);
  EXPECT_EQ(offsetof(NFindData, m_alternateFileName), 564u);
  EXPECT_TRUE(IsAllZero(NFindData::Empty()));
  EXPECT_TRUE(IsAllZero(NFindData{}));
}

TEST(NFindData, FromEntry) {
  FileEntryInfo entry;
  entry.m_attributes = FILE_ATTRIBUTE_READONLY;
  entry.m_creationTicks = 0x0123456789ABCDEFull;
  entry.m_lastAccessTicks = 1;
  entry.m_lastWriteTicks = 0xFFFFFFFF00000000ull;
  entry.m_size = 0x100000002ull;
  entry.m_name = "n\xC3\xA9\xFF";  // a byte that is no UTF-8 becomes U+FFFD
  const NFindData record = NFindData::FromEntry(entry);
  EXPECT_EQ(record.m_fileAttributes, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(record.m_creationTime.m_lowDateTime, 0x89ABCDEFu);
  EXPECT_EQ(record.m_creationTime.m_highDateTime, 0x01234567u);
  EXPECT_EQ(record.m_creationTime.Ticks(), entry.m_creationTicks);
  EXPECT_EQ(record.m_lastAccessTime.Ticks(), 1u);
  EXPECT_EQ(record.m_lastWriteTime.Ticks(), entry.m_lastWriteTicks);
  EXPECT_EQ(record.m_fileSizeHigh, 1u);
  EXPECT_EQ(record.m_fileSizeLow, 2u);
  EXPECT_EQ(record.FileSize(), entry.m_size);
  EXPECT_EQ(record.FileName(), u"n\u00E9\uFFFD");
  EXPECT_EQ(record.m_alternateFileName[0], 0);

  entry.m_name.assign(300, 'x');  // longer than any name here; still terminated
  const NFindData cut = NFindData::FromEntry(entry);
  EXPECT_EQ(cut.FileName().size(), 259u);
  EXPECT_EQ(cut.m_fileName[259], 0);
}

TEST(NScanFind, EmptyPathFails) {
  NScanFind scan;
  SetLastError(0);
  EXPECT_FALSE(scan.Scan());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(scan.Count(), 0u);
  EXPECT_TRUE(IsAllZero(scan.First()));
  scan.SetPath(u"");
  EXPECT_TRUE(scan.Path().empty());
  EXPECT_FALSE(scan.Scan());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

TEST(NScanFind, PatternListsFilesNotDirectories) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("one.bin", "1");
  dir.Write("three.bin", "333");
  dir.Write("other.txt", "x");
  dir.MakeDir("dir.bin");
  dir.MakeFifo("pipe.bin");

  NScanFind scan(Wide(dir.Join("*.bin")));
  ASSERT_TRUE(scan.Scan());
  const auto records = ByName(scan);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records.at("one.bin")->FileSize(), 1u);
  EXPECT_EQ(records.at("three.bin")->FileSize(), 3u);
  EXPECT_EQ(records.at("three.bin")->m_fileAttributes, FILE_ATTRIBUTE_NORMAL);

  // Scanning again replaces the results rather than adding to them.
  ASSERT_TRUE(scan.Scan());
  EXPECT_EQ(scan.Count(), 2u);
  EXPECT_TRUE(IsAllZero(scan.At(2)));
  // A new path drops the results at once.
  scan.SetPath(Wide(dir.Join("one.bin")));
  EXPECT_EQ(scan.Count(), 0u);
  ASSERT_TRUE(scan.Scan());
  ASSERT_EQ(scan.Count(), 1u);
  EXPECT_EQ(scan.First().FileName(), u"one.bin");
}

TEST(NScanFind, NothingFoundIsSuccess) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.MakeDir("a");
  dir.MakeDir("b");
  dir.Write("file", "f");
  const std::string succeed[] = {dir.Join("*"),        dir.Join("a"),    dir.Join("missing"),
                                 dir.Join("*.none"),   dir.Path() + "/", dir.Join("a/.."),
                                 dir.MakeFifo("pipe"), "/dev/zero"};
  for (const auto& path : succeed) {
    NScanFind scan(Wide(path));
    SetLastError(0);
    if (path == dir.Join("*")) {
      ASSERT_TRUE(scan.Scan());
      EXPECT_EQ(scan.Count(), 1u) << "only the file";
      continue;
    }
    EXPECT_TRUE(scan.Scan()) << path;
    EXPECT_EQ(scan.Count(), 0u) << path;
    EXPECT_TRUE(IsAllZero(scan.First())) << path;
  }
}

TEST(NScanFind, FailureCodesDropResults) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("file", "f");
  const struct {
    std::string path;
    ErrorCode code;
  } rows[] = {
      {dir.Join("missing/x"), ERROR_PATH_NOT_FOUND},
      {dir.Join("missing/*"), ERROR_PATH_NOT_FOUND},
      {dir.Join("file/x"), ERROR_PATH_NOT_FOUND},
      {"/" + std::string(5000, 'a'), ERROR_FILENAME_EXCED_RANGE},  // kept from SetPath
      {dir.Join(std::string(256, 'n')), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const auto& row : rows) {
    NScanFind scan(Wide(dir.Join("file")));
    ASSERT_TRUE(scan.Scan());
    ASSERT_EQ(scan.Count(), 1u);
    scan.SetPath(Wide(row.path));
    SetLastError(0);
    EXPECT_FALSE(scan.Scan()) << row.path;
    EXPECT_EQ(GetLastError(), row.code) << row.path;
    EXPECT_EQ(scan.Count(), 0u);
  }
}

TEST(NScanFind, PathIsNormalised) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string file = dir.Write("v.exe", "MZ");
  const timespec times[2] = {{1600000000, 0}, {1500000000, 500}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  ::setenv("BV_SCAN_DIR", dir.Path().c_str(), 1);
  NScanFind scan(u"%BV_SCAN_DIR%/./sub/../v.exe");
  ::unsetenv("BV_SCAN_DIR");
  EXPECT_EQ(scan.Path(), Wide(file));
  ASSERT_TRUE(scan.Scan());
  ASSERT_EQ(scan.Count(), 1u);
  const NFindData& record = scan.First();
  EXPECT_EQ(record.FileName(), u"v.exe");
  EXPECT_EQ(record.FileSize(), 2u);
  EXPECT_EQ(record.m_lastAccessTime.Ticks(), kTicksTo1970 + 16000000000000000ull);
  EXPECT_EQ(record.m_lastWriteTime.Ticks(), kTicksTo1970 + 15000000000000000ull + 5);
}

TEST(NScanFind, ManyFilesCrossSegments) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  constexpr int kFiles = 1100;  // more than one segment of 1,024 records
  for (int i = 0; i < kFiles; ++i)
    dir.Write("f" + std::to_string(i), std::string(static_cast<std::size_t>(i % 7), 'x'));
  NScanFind scan(Wide(dir.Join("f*")));
  ASSERT_TRUE(scan.Scan());
  ASSERT_EQ(scan.Count(), static_cast<std::uint32_t>(kFiles));
  std::set<std::u16string> names;
  for (std::uint32_t i = 0; i < scan.Count(); ++i) {
    const NFindData& record = scan.At(i);
    const int number = std::stoi(WideToUtf8(record.FileName().substr(1)));
    EXPECT_EQ(record.FileSize(), static_cast<std::uint64_t>(number % 7));
    names.emplace(record.FileName());
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kFiles));
}

}  // namespace
}  // namespace bitvane
