#include "foundation/scan_find.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::TempDir;
using test::Wide;

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
  EXPECT_EQ(record.m_lastWriteTime.Ticks(), entry.m_lastWriteTicks);
  EXPECT_EQ(record.FileSize(), entry.m_size);
  EXPECT_EQ(record.FileName(), u"n\u00E9\uFFFD");

  entry.m_name.assign(300, 'x');  // longer than any name here; still terminated
  const NFindData cut = NFindData::FromEntry(entry);
  EXPECT_EQ(cut.FileName().size(), 259u);
  EXPECT_EQ(cut.m_fileName[259], 0);
}

TEST(NScanFind, ListsFilesOnlyAndReplacesResults) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("one.bin", "1");
  dir.Write("three.bin", "333");
  dir.Write("other.txt", "x");
  dir.MakeDir("dir.bin");
  dir.MakeFifo("pipe.bin");

  NScanFind scan(Wide(dir.Join("*.bin")));
  for (int pass = 0; pass < 2; ++pass) {  // scanning again replaces the results
    ASSERT_TRUE(scan.Scan());
    ASSERT_EQ(scan.Count(), 2u);
    const bool oneFirst = scan.At(0).FileName() == u"one.bin";
    EXPECT_EQ(scan.At(oneFirst ? 1 : 0).FileName(), u"three.bin");
    EXPECT_EQ(scan.At(oneFirst ? 1 : 0).FileSize(), 3u);
    EXPECT_EQ(scan.At(0).m_fileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(&scan.At(2), &NFindData::Empty());
  }
  scan.SetPath(Wide(dir.Join("one.bin")));  // a new path drops the results at once
  EXPECT_EQ(scan.Count(), 0u);
  ASSERT_TRUE(scan.Scan());
  ASSERT_EQ(scan.Count(), 1u);
  EXPECT_EQ(scan.First().FileName(), u"one.bin");
}

TEST(NScanFind, NothingFoundIsSuccess) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.MakeDir("a");
  const std::string paths[] = {dir.Join("a"),    dir.Join("missing"),  dir.Join("*.none"),
                               dir.Join("a/.."), dir.MakeFifo("pipe"), "/dev/zero"};
  for (const auto& path : paths) {
    NScanFind scan(Wide(path));
    EXPECT_TRUE(scan.Scan()) << path;
    EXPECT_EQ(scan.Count(), 0u) << path;
  }
}

TEST(NScanFind, FailuresDropResults) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  dir.Write("file", "f");
  const struct {
    std::u16string path;
    ErrorCode code;
  } rows[] = {
      {u"", ERROR_INVALID_DATA},
      {Wide(dir.Join("missing/*")), ERROR_PATH_NOT_FOUND},
      {Wide(dir.Join("file/x")), ERROR_PATH_NOT_FOUND},
      {u"/" + std::u16string(5000, u'a'), ERROR_FILENAME_EXCED_RANGE},  // kept from SetPath
      {Wide(dir.Join(std::string(256, 'n'))), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const auto& row : rows) {
    NScanFind scan(Wide(dir.Join("file")));
    ASSERT_TRUE(scan.Scan());
    ASSERT_EQ(scan.Count(), 1u);
    scan.SetPath(row.path);
    SetLastError(0);
    EXPECT_FALSE(scan.Scan()) << row.path.size();
    EXPECT_EQ(GetLastError(), row.code) << row.path.size();
    EXPECT_EQ(scan.Count(), 0u);
  }
  NScanFind never;
  EXPECT_FALSE(never.Scan());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

TEST(NScanFind, PathIsNormalisedAndTimesConverted) {
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
  EXPECT_EQ(scan.First().m_lastAccessTime.Ticks(), kTicksTo1970 + 16000000000000000ull);
  EXPECT_EQ(scan.First().m_lastWriteTime.Ticks(), kTicksTo1970 + 15000000000000000ull + 5);
}

}  // namespace
}  // namespace bitvane
