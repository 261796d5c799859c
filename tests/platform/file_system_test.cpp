#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/last_error.h"
#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

using test::TempDir;

TEST(ErrorFromErrno, MapsToTheListedNumbers) {
  const struct {
    int error;
    ErrorCode code;
  } rows[] = {{0, ERROR_SUCCESS},
              {ENOENT, ERROR_FILE_NOT_FOUND},
              {ENOTDIR, ERROR_PATH_NOT_FOUND},
              {EISDIR, ERROR_ACCESS_DENIED},
              {EMFILE, ERROR_NOT_ENOUGH_MEMORY},
              {EINVAL, ERROR_INVALID_PARAMETER},
              {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
              {ELOOP, ERROR_INVALID_NAME},
              {EIO, ERROR_READ_FAULT}};
  for (const auto& row : rows) EXPECT_EQ(ErrorFromErrno(row.error), row.code) << row.error;
}

TEST(TicksFromUnixTime, CountsFrom1601) {
  EXPECT_EQ(TicksFromUnixTime(0, 0), kTicksTo1970);
  EXPECT_EQ(TicksFromUnixTime(-1, 999), kTicksTo1970 - 10000000 + 9);
  EXPECT_EQ(TicksFromUnixTime(-11644473600, 100), 1u);  // 1601-01-01 itself
  EXPECT_EQ(TicksFromUnixTime(-11644473601, 0), 0u);    // before: clamped
}

TEST(MatchesPattern, StarsAndQuestionMarks) {
  const struct {
    const char* pattern;
    const char* name;
    bool match;
  } rows[] = {{"*", "", true},
              {"", "a", false},
              {"a?c", "abc", true},
              {"a?c", "ac", false},
              {"?", "\xC3\xA9", true},
              {"??", "\xC3\xA9", false},
              {"?", "\xC3", true},
              {"x?y", "x\xF0\x9F\x98\x80y", true},
              {"*.txt", "a.txt", true},
              {"*.txt", "a.txt.bak", false},
              {"a*b*c", "aXbYbZc", true},
              {"*?", "", false},
              {"a*", "A", false},
              {"*x", "\xC3\xA9x", true},
              {"*\xA9", "\xC3\xA9", false}};
  for (const auto& row : rows) {
    EXPECT_EQ(MatchesPattern(row.pattern, row.name), row.match) << row.pattern << " / " << row.name;
  }
}

// Every entry a finder reports for `path`, by name; `code` receives the final error.
std::map<std::string, FileEntryInfo> FindAll(const std::string& path, ErrorCode& code) {
  std::map<std::string, FileEntryInfo> found;
  FileFinder finder;
  FileEntryInfo entry;
  if (finder.FindFirst(path, entry)) {
    do found[entry.m_name] = entry;
    while (finder.FindNext(entry));
  }
  code = GetLastError();
  EXPECT_TRUE(finder.Close());
  return found;
}

TEST(FileFinder, ListsFilesAndDirectoriesOnly) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string file = dir.Write("a.txt", "12345");
  const std::string readOnly = dir.Write("r", "abc");
  const timespec times[2] = {{1000000000, 300}, {1234567890, 123456789}};  // access, write
  ASSERT_EQ(::utimensat(AT_FDCWD, readOnly.c_str(), times, 0), 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  dir.Write(".h", "");
  dir.MakeDir("sub");
  dir.MakeFifo("pipe");
  dir.MakeLink("dangling", dir.Join("nowhere"));
  dir.MakeLink("link.txt", file);

  ErrorCode code = 0;
  const auto found = FindAll(dir.Join("*"), code);
  EXPECT_EQ(code, ERROR_NO_MORE_FILES);
  ASSERT_EQ(found.size(), 7u);  // . .. .h a.txt link.txt r sub
  EXPECT_EQ(found.at("a.txt").m_size, 5u);
  EXPECT_EQ(found.at("a.txt").m_attributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(found.at("link.txt").m_size, 5u);  // the link's target
  EXPECT_EQ(found.at(".h").m_attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(found.at("sub").m_attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(found.at("sub").m_size, 0u);
  EXPECT_EQ(found.at("..").m_attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
  const FileEntryInfo& r = found.at("r");
  EXPECT_EQ(r.m_attributes, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(r.m_lastAccessTicks, kTicksTo1970 + 10000000000000000ull + 3);
  EXPECT_EQ(r.m_lastWriteTicks, kTicksTo1970 + 12345678901234567ull);
  EXPECT_NE(r.m_creationTicks, 0u);

  EXPECT_EQ(FindAll(dir.Join("*.txt"), code).size(), 2u);
  EXPECT_EQ(FindAll(dir.Join("a.txt"), code).at("a.txt").m_size, 5u);
  EXPECT_EQ(code, ERROR_NO_MORE_FILES);
}

// What a finder and a reader make of one path; a reader takes regular files only.
TEST(FileFinderAndReadOnlyFile, OpenOrFailWithTheReason) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string file = dir.Write("f", "x");
  constexpr ErrorCode kBadType = ERROR_BAD_FILE_TYPE, kNoPath = ERROR_PATH_NOT_FOUND;
  const struct {
    std::string path;
    ErrorCode finder, reader;  // 0: found, opened
  } rows[] = {
      {dir.MakeLink("l", file), 0, 0},
      {dir.Path(), 0, kBadType},
      {dir.MakeFifo("p"), kBadType, kBadType},  // refused at once, not waiting for a writer
      {"/dev/null", kBadType, kBadType},
      {dir.Join(std::string(256, 'n')), ERROR_FILENAME_EXCED_RANGE, ERROR_FILENAME_EXCED_RANGE},
      {dir.Join("missing"), ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {dir.Join("*.none"), ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {dir.Join("missing/x"), kNoPath, kNoPath},
      {dir.Join("missing/*"), kNoPath, kNoPath},
      {dir.Join("f/*"), kNoPath, kNoPath},
      {"", ERROR_INVALID_NAME, ERROR_INVALID_NAME},
      {dir.Join(std::string("f\0x", 3)), ERROR_INVALID_NAME, ERROR_INVALID_NAME}};
  for (const auto& row : rows) {
    FileFinder finder;
    ReadOnlyFile reader;
    FileEntryInfo entry;
    SetLastError(0);
    EXPECT_EQ(finder.FindFirst(row.path, entry), row.finder == 0) << row.path;
    EXPECT_EQ(GetLastError(), row.finder) << row.path;
    SetLastError(0);
    EXPECT_EQ(reader.Open(row.path), row.reader == 0) << row.path;
    EXPECT_EQ(GetLastError(), row.reader) << row.path;
  }
}

// Entry, Size and Read are of the file that was opened, whatever its path names by now.
TEST(ReadOnlyFile, ReadsTheOpenedFileToTheEnd) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string path = dir.Write("f", "hello");
  ReadOnlyFile reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(::rename(dir.Write("g", "second and longer").c_str(), path.c_str()), 0);
  FileEntryInfo entry;
  std::uint64_t size = 0;
  ASSERT_TRUE(reader.Entry("f", entry) && reader.Size(size));
  EXPECT_EQ(entry.m_size, 5u);
  EXPECT_EQ(size, 5u);
  char buffer[8] = {};
  std::size_t done = 0;
  for (const char* expected : {"hel", "lo", ""}) {  // short only at the end
    ASSERT_TRUE(reader.Read(buffer, *expected == 'h' ? 3 : sizeof buffer, done));
    EXPECT_EQ(std::string(buffer, done), expected);
  }
  EXPECT_TRUE(reader.Close());
  EXPECT_TRUE(reader.Close());
  SetLastError(0);
  EXPECT_FALSE(reader.Entry("f", entry) || reader.Size(size) || reader.Read(buffer, 1, done));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // A regular file whose first bytes cannot be read: the process's own page 0.
  ASSERT_TRUE(reader.Open("/proc/self/mem"));
  EXPECT_FALSE(reader.Read(buffer, 1, done));
  EXPECT_EQ(GetLastError(), ERROR_READ_FAULT);
}

TEST(ParentDirectory, TakesTheStepAsTheSystemDoes) {
  TempDir dir;
  ASSERT_TRUE(dir.Made());
  char* real = ::realpath(dir.Path().c_str(), nullptr);
  ASSERT_NE(real, nullptr);
  const std::string base = real;
  std::free(real);
  dir.MakeDir("a");
  dir.MakeDir("a/b");
  dir.Write("file", "x");
  dir.MakeLink("lnk", base + "/a/b");
  const struct {
    std::string path;
    ErrorCode code;
    std::string parent;
  } rows[] = {{base + "/a/b", 0, base + "/a"},
              {base + "/a/b/", 0, base + "/a"},
              {base + "/lnk", 0, base + "/a"},  // the link's target's parent, not `base`
              {"/", 0, "/"},
              {base + "/missing", ERROR_FILE_NOT_FOUND, ""},
              {base + "/file", ERROR_PATH_NOT_FOUND, ""},
              {"", ERROR_INVALID_NAME, ""}};
  for (const auto& row : rows) {
    std::string parent;
    SetLastError(0);
    EXPECT_EQ(ParentDirectory(row.path, parent), row.code == 0) << row.path;
    EXPECT_EQ(GetLastError(), row.code) << row.path;
    EXPECT_EQ(parent, row.parent) << row.path;
  }
}

TEST(ProcessEnvironment, VariablesExecutableAndCurrentDirectory) {
  ASSERT_EQ(::setenv("BITVANE_FS_TEST", "value=1", 1), 0);
  std::string value;
  EXPECT_TRUE(LookUpEnvironment("BITVANE_FS_TEST", value));
  EXPECT_EQ(value, "value=1");
  // Names no variable can have, which getenv would otherwise half-match.
  for (const std::string& name :
       {std::string("BITVANE_FS_TEST=value"), std::string(), std::string("BITVANE_FS_TEST\0X", 17),
        std::string("BITVANE_FS_TEST_UNSET")}) {
    EXPECT_FALSE(LookUpEnvironment(name, value)) << name;
  }
  ::unsetenv("BITVANE_FS_TEST");
  std::string path;
  ASSERT_TRUE(ExecutablePath(path));
  EXPECT_TRUE(path.ends_with("/platform_test")) << path;
  ASSERT_TRUE(CurrentDirectory(path));
  EXPECT_EQ(path.front(), '/');
}

}  // namespace
}  // namespace bitvane
