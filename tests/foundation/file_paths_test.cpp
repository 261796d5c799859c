#include "foundation/file_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "foundation/wide_to_utf8.h"
#include "platform/file_system.h"
#include "platform/last_error.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Wide;

TEST(AddTrailingBackslash, AppendsOnce) {
  EXPECT_EQ(AddTrailingBackslash(u""), u"");
  EXPECT_EQ(AddTrailingBackslash(u"HKCU\\Software"), u"HKCU\\Software\\");
  EXPECT_EQ(AddTrailingBackslash(u"HKCU\\"), u"HKCU\\");
}

TEST(ExpandEnvironment, ReplacesKnownNamesOnly) {
  ::setenv("BV_T_A", "alpha", 1);
  ::setenv("BV_T_PCT", "%BV_T_A%", 1);
  ::setenv("BV_T_WIDE", "\xC3\xA9\xF0\x9F\x98\x80", 1);
  ::unsetenv("BV_T_UNSET");
  const struct {
    std::u16string in;
    std::u16string out;
  } rows[] = {
      {u"x/%BV_T_A%%BV_T_A%/y", u"x/alphaalpha/y"},
      {u"%BV_T_PCT%", u"%BV_T_A%"},  // values are not expanded again
      {u"%BV_T_WIDE%", u"\u00E9\U0001F600"},
      {u"%BV_T_UNSET%BV_T_A%", u"%BV_T_UNSET%BV_T_A%"},  // scan goes on after the unknown name
      {u"100%", u"100%"},
      {u"a%%BV_T_A%", u"a%%BV_T_A%"},  // "%%" is an empty name, then "BV_T_A%" is plain
      {std::u16string(u"%BV_T_A\0%", 9), std::u16string(u"%BV_T_A\0%", 9)},
  };
  for (const auto& row : rows) {
    std::u16string path = row.in;
    EXPECT_TRUE(ExpandEnvironment(path)) << WideToUtf8(row.in);
    EXPECT_EQ(path, row.out) << WideToUtf8(row.in);
  }
  for (const char* name : {"BV_T_A", "BV_T_PCT", "BV_T_WIDE"}) ::unsetenv(name);
  std::u16string path;
  SetLastError(0);
  EXPECT_FALSE(ExpandEnvironment(path));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FullPath, NormalisesLexically) {
  const struct {
    std::u16string in;
    std::u16string out;
  } rows[] = {
      {u"//", u"/"},        {u"/a//b/", u"/a/b/"}, {u"/a/./b/.", u"/a/b"}, {u"/a/b/../c", u"/a/c"},
      {u"/../../x", u"/x"}, {u"/a/b/../", u"/a/"}, {u"/a/...", u"/a/..."},
  };
  for (const auto& row : rows) EXPECT_EQ(FullPath(row.in), row.out) << WideToUtf8(row.in);
  EXPECT_EQ(FullPath(u"/a/b/", u'\\'), u"\\a\\b\\");
}

TEST(FullPath, RelativeToTheCurrentDirectory) {
  std::string cwd;
  ASSERT_TRUE(CurrentDirectory(cwd));
  const std::u16string base = Wide(cwd);
  EXPECT_EQ(FullPath(u"x/y"), base + u"/x/y");
  EXPECT_EQ(FullPath(u"."), base);
  EXPECT_EQ(FullPath(u"c:\\x"), base + u"/c:\\x");  // a file name here, not a drive
}

TEST(FullPath, StepsUpAsTheSystemDoes) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Made());
  char* real = ::realpath(dir.Path().c_str(), nullptr);
  ASSERT_NE(real, nullptr);
  const std::u16string base = Wide(real);
  std::free(real);
  dir.MakeDir("far");
  dir.MakeDir("far/away");
  dir.Write("far/target.bin", "t");
  dir.Write("target.bin", "wrong one");
  dir.MakeLink("lnk", dir.Join("far/away"));
  dir.MakeLink("dangling", dir.Join("far/none"));
  dir.MakeDir("locked");
  ::chmod(dir.Join("locked").c_str(), 0);
  const std::u16string link = Wide(dir.Path()) + u"/lnk";  // a link on the way stays as written
  const struct {
    std::u16string in;
    std::u16string out;
  } rows[] = {
      {link + u"/target.bin", link + u"/target.bin"},
      {link + u"/../target.bin", base + u"/far/target.bin"},  // where the system goes
      {link + u"/./../..", base},
      {link + u"/x/../../target.bin", base + u"/target.bin"},  // x missing: by text from there
      {base + u"/dangling/..", base},                          // nothing there: by text
      {base + u"/missing/../lnk/..", base},  // the path opens nothing: by text throughout
      {base + u"/target.bin/../far", base + u"/target.bin/../far"},  // kept, to fail later
      {base + u"/far/../far/away/../../target.bin", base + u"/target.bin"},
  };
  for (const auto& row : rows) EXPECT_EQ(FullPath(row.in), row.out) << WideToUtf8(row.in);
  if (::geteuid() != 0) {  // the root user may step through a locked folder
    EXPECT_EQ(FullPath(base + u"/locked/sub/../x"), base + u"/locked/sub/../x");
  }
  ::chmod(dir.Join("locked").c_str(), 0755);
}

TEST(FullPath, Failures) {
  const std::u16string longest = u"/" + std::u16string(kMaxFullPath - 1, u'a');
  EXPECT_EQ(FullPath(longest), longest);
  const struct {
    std::u16string in;
    ErrorCode code;
  } rows[] = {
      {longest + u"a", ERROR_FILENAME_EXCED_RANGE},
      {longest + u"/..", ERROR_SUCCESS},  // judged after normalising
      {u"", ERROR_INVALID_NAME},
      {std::u16string(u"/a\0b", 4), ERROR_INVALID_NAME},
  };
  for (const auto& row : rows) {
    SetLastError(0);
    const std::u16string out = FullPath(row.in);
    EXPECT_EQ(out.empty(), row.code != ERROR_SUCCESS) << row.in.size();
    EXPECT_EQ(GetLastError(), row.code) << row.in.size();
  }
}

TEST(NormalisePath, ExpandsThenMakesFull) {
  ::setenv("BV_T_DIR", "/base/dir", 1);
  EXPECT_EQ(NormalisePath(u"%BV_T_DIR%/./x/../y.bin"), u"/base/dir/y.bin");
  ::unsetenv("BV_T_DIR");
  SetLastError(0);
  EXPECT_EQ(NormalisePath(u""), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ToSystemPath, RefusesTextWithoutAnExactForm) {
  std::string bytes;
  EXPECT_TRUE(ToSystemPath(u"/tmp/\u00E9\U0001F600", bytes));
  EXPECT_EQ(bytes, "/tmp/\xC3\xA9\xF0\x9F\x98\x80");
  const std::u16string bad[] = {
      u"",
      std::u16string(u"/a\0b", 4),
      std::u16string(1, char16_t{0xD800}) + u"x",
      std::u16string(1, char16_t{0xDBFF}),
  };
  for (const auto& path : bad) {
    SetLastError(0);
    EXPECT_FALSE(ToSystemPath(path, bytes)) << path.size();
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
}

TEST(ExecutableFileName, NamesThisTest) {
  const std::u16string name = ExecutableFileName();
  EXPECT_TRUE(name.starts_with(u"/") && name.ends_with(u"/foundation_test")) << WideToUtf8(name);
}

}  // namespace
}  // namespace bitvane
