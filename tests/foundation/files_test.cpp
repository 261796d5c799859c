#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/auto_ptr.h"
#include "foundation/file_paths.h"
#include "foundation/read_whole_file.h"
#include "foundation/scan_find.h"
#include "foundation/wide_to_utf8.h"
#include "platform/file_system.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"
#include "tests/support/with_error.h"

namespace bitvane {
namespace {

using namespace std::string_literals;
using test::Pattern;
using test::Wide;
using test::WithError;
using Block = TNAutoFreePtrTo<std::uint8_t>;
using Paths = std::vector<std::pair<std::u16string, std::u16string>>;
constexpr std::size_t kPiece = kReadWholeFilePiece;

class Files : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.Made()); }
  test::TempDir dir;
};

TEST(FilePaths, TrailingBackslashAndEnvironment) {
  EXPECT_EQ(AddTrailingBackslash(u"") + AddTrailingBackslash(u"HK\\Soft"), u"HK\\Soft\\");
  EXPECT_EQ(AddTrailingBackslash(u"HKCU\\"), u"HKCU\\");
  for (const char* name :
       {"BV_T_A=alpha", "BV_T_PCT=%BV_T_A%", "BV_T_WIDE=\xC3\xA9\xF0\x9F\x98\x80"}) {
    ::putenv(const_cast<char*>(name));
  }
  ::unsetenv("BV_T_UNSET");
  // clang-format off
  for (const auto& [in, out] : Paths{
           {u"x/%BV_T_A%%BV_T_A%/y", u"x/alphaalpha/y"}, {u"%BV_T_WIDE%", u"\u00E9\U0001F600"},
           {u"%BV_T_PCT%", u"%BV_T_A%"},  // values are not expanded again
           {u"%BV_T_UNSET%BV_T_A%", u"%BV_T_UNSET%BV_T_A%"},  // the scan goes on after the unknown
           {u"a%%BV_T_A%", u"a%%BV_T_A%"},  // "%%" is an empty name, then "BV_T_A%" is plain
           {u"100%", u"100%"}, {u"%BV_T_A\0%"s, u"%BV_T_A\0%"s}}) {
    // clang-format on
    std::u16string path = in;
    EXPECT_TRUE(ExpandEnvironment(path) && path == out) << WideToUtf8(in);
  }
  ::setenv("BV_T_A", "/base/dir", 1);
  EXPECT_EQ(NormalisePath(u"%BV_T_A%/./x/../y.bin"), u"/base/dir/y.bin");
  for (const char* name : {"BV_T_A", "BV_T_PCT", "BV_T_WIDE"}) ::unsetenv(name);
  std::u16string empty;
  EXPECT_EQ(WithError([&] { return ExpandEnvironment(empty); }),
            std::pair(false, ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WithError([] { return NormalisePath(u""); }),
            std::pair(std::u16string(), ERROR_INVALID_PARAMETER));
}

TEST(FilePaths, FullPathNormalisesLexicallyAndFails) {
  // clang-format off
  for (const auto& [in, out] : Paths{{u"//", u"/"}, {u"/a//b/", u"/a/b/"}, {u"/a/./b/.", u"/a/b"},
           {u"/a/b/../c", u"/a/c"}, {u"/../../x", u"/x"}, {u"/a/b/../", u"/a/"},
           {u"/a/...", u"/a/..."}}) {
    // clang-format on
    EXPECT_EQ(FullPath(in), out) << WideToUtf8(in);
  }
  EXPECT_EQ(FullPath(u"/a/b/", u'\\'), u"\\a\\b\\");
  std::string cwd;
  ASSERT_TRUE(CurrentDirectory(cwd));
  EXPECT_EQ(FullPath(u"x/y"), Wide(cwd) + u"/x/y");
  EXPECT_EQ(FullPath(u"."), Wide(cwd));
  EXPECT_EQ(FullPath(u"c:\\x"), Wide(cwd) + u"/c:\\x");  // a file name here, not a drive
  const std::u16string longest = u"/" + std::u16string(kMaxFullPath - 1, u'a');
  EXPECT_EQ(FullPath(longest), longest);
  EXPECT_EQ(FullPath(longest + u"/.."), u"/");  // judged after normalising
  for (const auto& [in, code] : std::vector<std::pair<std::u16string, ErrorCode>>{
           {longest + u"a", ERROR_FILENAME_EXCED_RANGE},
           {u"", ERROR_INVALID_NAME},
           {std::u16string(u"/a\0b", 4), ERROR_INVALID_NAME}}) {
    EXPECT_EQ(WithError([&] { return FullPath(in); }), std::pair(std::u16string(), code));
  }
}

TEST_F(Files, FullPathStepsUpAsTheSystemDoes) {
  const std::u16string base = Wide(std::filesystem::canonical(dir.Path()).string());
  dir.MakeDir("far");
  dir.MakeLink("lnk", dir.MakeDir("far/away"));
  dir.MakeLink("dangling", dir.Join("far/none"));
  dir.Write("far/target.bin", "t");
  dir.Write("target.bin", "wrong one");
  ::chmod(dir.MakeDir("locked").c_str(), 0);
  const std::u16string link = Wide(dir.Path()) + u"/lnk";  // a link on the way stays as written
  for (const auto& [in, out] : Paths{
           {link + u"/target.bin", link + u"/target.bin"},
           {link + u"/../target.bin", base + u"/far/target.bin"},  // where the system goes
           {link + u"/./../..", base},
           {link + u"/x/../../target.bin", base + u"/target.bin"},  // x missing: by text from there
           {base + u"/dangling/..", base},                          // nothing there: by text
           {base + u"/missing/../lnk/..", base},  // the path opens nothing: by text throughout
           {base + u"/target.bin/../far", base + u"/target.bin/../far"},  // kept, to fail later
           {base + u"/far/../far/away/../../target.bin", base + u"/target.bin"}}) {
    EXPECT_EQ(FullPath(in), out) << WideToUtf8(in);
  }
  if (::geteuid() != 0) {  // the root user may step through a locked folder
    EXPECT_EQ(FullPath(base + u"/locked/sub/../x"), base + u"/locked/sub/../x");
  }
  ::chmod(dir.Join("locked").c_str(), 0755);
}

TEST(FilePaths, SystemPathsAndExecutableName) {
  std::string bytes;
  EXPECT_TRUE(ToSystemPath(u"/tmp/\u00E9\U0001F600", bytes));
  EXPECT_EQ(bytes, "/tmp/\xC3\xA9\xF0\x9F\x98\x80");
  for (const auto& path :
       {std::u16string(), std::u16string(u"/a\0b", 4), std::u16string(1, char16_t{0xD800}) + u"x",
        std::u16string(1, char16_t{0xDBFF})}) {
    EXPECT_EQ(WithError([&] { return ToSystemPath(path, bytes); }),
              std::pair(false, ERROR_INVALID_NAME));
  }
  const std::u16string name = ExecutableFileName();
  EXPECT_TRUE(name.starts_with(u"/") && name.ends_with(u"/foundation_test")) << WideToUtf8(name);
}

// The bytes, then four zeros. `size` by reference: the read in the same call fills it.
void ExpectBlock(const Block& block, const std::size_t& size, const std::string& bytes) {
  ASSERT_TRUE(block);
  ASSERT_EQ(size, bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Get()), size + 4),
            bytes + std::string(4, 0));
}

TEST_F(Files, ReadWholeFileReadsInPiecesWithProgress) {
  for (const std::size_t length : {std::size_t{0}, kPiece - 1, kPiece, 3 * kPiece + 5}) {
    const std::string bytes = Pattern(length);
    std::size_t size = 99;
    std::vector<std::uint64_t> reports;
    const auto progress = [&](std::uint64_t done, std::uint64_t total) {
      EXPECT_EQ(total, length);
      EXPECT_EQ(size, done);  // the out-value grows with each piece
      reports.push_back(done);
      return true;
    };
    SetLastError(ERROR_INVALID_DATA);
    ExpectBlock(Block(ReadWholeFile(Wide(dir.Write("f", bytes)), size, progress)), size, bytes);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    std::vector<std::uint64_t> expected;
    for (std::uint64_t done = 0; done < length; done += kPiece) expected.push_back(done);
    expected.push_back(length);
    EXPECT_EQ(reports, expected) << length;
  }
}

// A small limit; at the real one a huge file is refused by its size before reading.
TEST_F(Files, ReadWholeFileUpToTheLimitAndNoMore) {
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
  const std::pair<std::uint8_t*, ErrorCode> tooLarge(nullptr, ERROR_FILE_TOO_LARGE);
  for (const std::string& path : {above, huge}) {
    size = 5;
    EXPECT_EQ(WithError([&] { return ReadWholeFile(Wide(path), size); }), tooLarge);
    EXPECT_EQ(size, 0u);
  }
  (void)SetReadWholeFileLimit(kReadWholeFileLimit);
  EXPECT_EQ(WithError([&] { return ReadWholeFile(Wide(huge), size); }), tooLarge);
}

TEST_F(Files, ReadWholeFileFailureCodes) {
  const std::string file = dir.Write("file", "");
  // The progress call that says no; -1: cut the file short. What opening a path fails
  // with is the platform's (file_system_test): one such code shows it passes through.
  // clang-format off
  const std::tuple<std::u16string, ErrorCode, int> rows[] = {
      {u"", ERROR_INVALID_PARAMETER, 0}, {Wide(dir.Join("missing")), ERROR_FILE_NOT_FOUND, 0},
      {Wide(file) + u'\0', ERROR_INVALID_NAME, 0},  // would name another file
      {Wide(file), ERROR_CANCELLED, 1}, {Wide(file), ERROR_CANCELLED, 4},
      {Wide(file), ERROR_READ_FAULT, -1}};
  // clang-format on
  for (const auto& [path, code, no] : rows) {
    dir.Write("file", Pattern(3 * kPiece));
    int calls = 0;
    const auto progress = [&, no = no](std::uint64_t, std::uint64_t) {
      const bool cut = ++calls == 2 && no < 0;  // the file shrinks under the reader
      EXPECT_EQ(cut ? ::truncate(file.c_str(), 100) : 0, 0);
      return calls != no;
    };
    std::size_t size = 3;
    const std::pair<std::uint8_t*, ErrorCode> failed(nullptr, code);
    EXPECT_EQ(WithError([&] { return ReadWholeFile(path, size, progress); }), failed) << no;
    EXPECT_EQ(size, 0u);
  }
}

TEST_F(Files, ReadNamedFileReadsThePathAsItStands) {
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
  EXPECT_EQ(ReadNamedFile(Wide(dir.Join("missing")), size, &entry), nullptr);
  EXPECT_EQ(size, 0u);
}

TEST(NFindData, FromEntry) {
  FileEntryInfo entry{
      FILE_ATTRIBUTE_READONLY, 0x0123456789ABCDEFull, 1, 2,
      0x100000002ull,          "n\xC3\xA9\xFF"};  // a byte that is no UTF-8 becomes U+FFFD
  const NFindData record = NFindData::FromEntry(entry);
  EXPECT_EQ(std::tuple(record.m_fileAttributes, record.m_creationTime.m_lowDateTime,
                       record.m_creationTime.m_highDateTime, record.m_lastAccessTime.Ticks(),
                       record.m_lastWriteTime.Ticks(), record.FileSize(), record.FileName()),
            std::tuple(FILE_ATTRIBUTE_READONLY, 0x89ABCDEFu, 0x01234567u, 1ull, 2ull,
                       0x100000002ull, std::u16string(u"n\u00E9\uFFFD")));
  entry.m_name.assign(300, 'x');  // longer than any name here; cut, still terminated
  EXPECT_EQ(NFindData::FromEntry(entry).FileName(), std::u16string(259, u'x'));
}

TEST_F(Files, ScanListsFilesOnlyAndReplacesResults) {
  for (const char* name : {"one.bin", "three.bin", "other.txt"}) dir.Write(name, name + 3);
  dir.MakeDir("dir.bin");
  dir.MakeFifo("pipe.bin");
  NScanFind scan(Wide(dir.Join("*.bin")));
  for (int pass = 0; pass < 2; ++pass) {  // scanning again replaces the results
    ASSERT_TRUE(scan.Scan());
    ASSERT_EQ(scan.Count(), 2u);
    const NFindData& three = scan.At(scan.At(0).FileName() == u"one.bin" ? 1 : 0);
    EXPECT_EQ(three.FileName(), u"three.bin");
    EXPECT_EQ(three.FileSize(), 6u);
    EXPECT_EQ(scan.At(0).m_fileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(&scan.At(2), &NFindData::Empty());
  }
  scan.SetPath(Wide(dir.Join("one.bin")));  // a new path drops the results at once
  EXPECT_EQ(scan.Count(), 0u);
  ASSERT_TRUE(scan.Scan());
  ASSERT_EQ(scan.Count(), 1u);
  EXPECT_EQ(scan.First().FileName(), u"one.bin");
  dir.MakeDir("a");  // nothing found is success: a folder, nothing there, no file
  for (const auto& path : {dir.Join("a"), dir.Join("missing"), dir.Join("pipe.bin")}) {
    scan.SetPath(Wide(path));
    EXPECT_TRUE(scan.Scan()) << path;
    EXPECT_EQ(scan.Count(), 0u) << path;
  }
}

TEST_F(Files, ScanFailuresDropResults) {
  dir.Write("file", "f");
  // clang-format off
  const std::pair<std::u16string, ErrorCode> rows[] = {
      {u"", ERROR_INVALID_DATA}, {Wide(dir.Join("missing/*")), ERROR_PATH_NOT_FOUND},
      {u"/" + std::u16string(5000, u'a'), ERROR_FILENAME_EXCED_RANGE}};  // kept from SetPath
  // clang-format on
  for (const auto& [path, code] : rows) {
    NScanFind scan(Wide(dir.Join("file")));
    ASSERT_TRUE(scan.Scan() && scan.Count() == 1);
    scan.SetPath(path);
    EXPECT_EQ(WithError([&] { return scan.Scan(); }), std::pair(false, code)) << path.size();
    EXPECT_EQ(scan.Count(), 0u);
  }
  NScanFind never;
  EXPECT_EQ(WithError([&] { return never.Scan(); }), std::pair(false, ERROR_INVALID_DATA));
}

}  // namespace
}  // namespace bitvane
