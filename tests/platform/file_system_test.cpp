#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "platform/last_error.h"
#include "platform/safe_memory.h"
#include "tests/support/temp_dir.h"
#include "tests/support/with_error.h"

namespace bitvane {
namespace {

using namespace std::string_literals;
using test::WithError;

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_INVALID_DATA);
  ErrorCode seenByOther = 12345;
  std::thread([&] { seenByOther = GetLastError(), SetLastError(ERROR_INVALID_NAME); }).join();
  EXPECT_EQ(std::pair(seenByOther, GetLastError()),
            std::pair(ErrorCode{0}, ErrorCode{ERROR_INVALID_DATA}));
}

TEST(SafeMemory, ReadsReadableMemoryOnlyAndWipes) {
  EXPECT_FALSE(IsPlausibleAddress(reinterpret_cast<void*>(4095)));
  EXPECT_TRUE(IsPlausibleAddress(reinterpret_cast<void*>(4096)));
  // The first read sets the guard up, so that nothing is mapped into the hole below later.
  char target[8] = {};
  ASSERT_TRUE(SafeReadMemory(target, "TNList<>", 8));
  EXPECT_EQ(std::memcmp(target, "TNList<>", 8), 0);
  void* hole = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  void* guarded = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_TRUE(hole != MAP_FAILED && guarded != MAP_FAILED && ::munmap(hole, 4096) == 0);
  for (void* from : {hole, guarded, reinterpret_cast<void*>(16)}) {
    EXPECT_FALSE(SafeReadMemory(target, from, 8)) << from;
  }
  ::munmap(guarded, 4096);
  WipeMemory(target, 5);
  WipeMemory(nullptr, 3);  // nothing to do, no fault
  EXPECT_EQ(std::memcmp(target, "\0\0\0\0\0t<>", 8), 0);
}

TEST(SafeMemory, FaultsOutsideAGuardedReadStillEndTheProgram) {
  char target[8];
  ASSERT_FALSE(SafeReadMemory(target, reinterpret_cast<void*>(0x10000), 8));  // handler in place
  EXPECT_DEATH(*reinterpret_cast<volatile int*>(0x10000) = 1, "");
  EXPECT_DEATH(::raise(SIGSEGV), "");  // sent, not caused: not swallowed either
}

// Ticks around 1601; patterns by the character.
TEST(FileSystem, ErrnoTicksAndPatterns) {
  EXPECT_EQ(ErrorFromErrno(0), ERROR_SUCCESS);  // the other numbers are a plain table
  EXPECT_EQ(TicksFromUnixTime(-1, 999), kTicksTo1970 - 10000000 + 9);
  EXPECT_EQ(TicksFromUnixTime(-11644473600, 100), 1u);  // 1601-01-01 itself
  EXPECT_EQ(TicksFromUnixTime(-11644473601, 0), 0u);    // before: clamped
  // clang-format off
  const std::tuple<const char*, const char*, bool> patterns[] = {
      {"*", "", true}, {"a?c", "abc", true}, {"?", "\xC3\xA9", true}, {"?", "\xC3", true},
      {"a*b*c", "aXbYbZc", true}, {"*x", "\xC3\xA9x", true}, {"?x", "\xEF\xBC\xA1x", true},
      {"x?y", "x\xF0\x9F\x98\x80y", true}, {"?", "\xF4\x8F\xBF\xBF", true},  // U+10FFFF
      {"", "a", false}, {"a?c", "ac", false}, {"??", "\xC3\xA9", false}, {"*?", "", false},
      {"*.txt", "a.txt.bak", false}, {"a*", "A", false}, {"*\xA9", "\xC3\xA9", false}};
  // clang-format on
  for (const auto& [pattern, name, matches] : patterns) {
    EXPECT_EQ(MatchesPattern(pattern, name), matches) << pattern << " / " << name;
  }
}

// Finders list files and folders, with what they are and their times; a look-up that finds
// nothing, or something else, tells why.
TEST(FileSystem, FindersAndReaders) {
  test::TempDir dir;
  const std::string file = dir.Write("a.txt", "12345"), readOnly = dir.Write("r", "abc");
  const timespec times[2] = {{1000000000, 300}, {1234567890, 123456789}};  // access, write
  ASSERT_EQ(::utimensat(AT_FDCWD, readOnly.c_str(), times, 0) + ::chmod(readOnly.c_str(), 0444), 0);
  dir.Write(".h", "");
  dir.MakeDir("sub");
  dir.MakeFifo("pipe");
  dir.MakeLink("dangling", dir.Join("nowhere"));
  dir.MakeLink("link.txt", file);
  const auto findAll = [](const std::string& path) {
    std::map<std::string, FileEntryInfo> found;
    FileFinder finder;
    FileEntryInfo entry;
    SetLastError(0);  // the end is told, not left over
    for (bool more = finder.FindFirst(path, entry); more; more = finder.FindNext(entry)) {
      found[entry.m_name] = entry;
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES) << path;
    EXPECT_TRUE(finder.Close());
    return found;
  };
  const auto found = findAll(dir.Join("*"));
  ASSERT_EQ(found.size(), 7u);  // . .. .h a.txt link.txt r sub
  const std::tuple<const char*, std::uint32_t, std::uint64_t> rows[] = {
      {"a.txt", FILE_ATTRIBUTE_NORMAL, 5}, {"link.txt", FILE_ATTRIBUTE_NORMAL, 5},
      {".h", FILE_ATTRIBUTE_HIDDEN, 0},    {"sub", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"..", FILE_ATTRIBUTE_DIRECTORY, 0}, {"r", FILE_ATTRIBUTE_READONLY, 3}};
  for (const auto& [name, attributes, size] : rows) {
    EXPECT_EQ(std::tie(found.at(name).m_attributes, found.at(name).m_size),
              std::tie(attributes, size))
        << name;
  }
  const FileEntryInfo& r = found.at("r");
  EXPECT_EQ(r.m_lastAccessTicks, kTicksTo1970 + 10000000000000000ull + 3);
  EXPECT_EQ(r.m_lastWriteTicks, kTicksTo1970 + 12345678901234567ull);
  EXPECT_NE(r.m_creationTicks, 0u);
  EXPECT_EQ(findAll(dir.Join("*.txt")).size(), 2u);
  EXPECT_EQ(findAll(dir.Join("a.txt")).at("a.txt").m_size, 5u);

  // What a finder and a reader make of one path; a reader takes regular files only.
  constexpr ErrorCode kBadType = ERROR_BAD_FILE_TYPE, kNoPath = ERROR_PATH_NOT_FOUND;
  constexpr ErrorCode kNoFile = ERROR_FILE_NOT_FOUND, kBadName = ERROR_INVALID_NAME;
  // clang-format off
  const std::tuple<std::string, ErrorCode, ErrorCode> paths[] = {  // 0: found, opened
      {dir.Join("link.txt"), 0, 0}, {dir.Path(), 0, kBadType},
      {dir.Join("pipe"), kBadType, kBadType},  // refused at once, not waiting for a writer
      {dir.Join(std::string(256, 'n')), ERROR_FILENAME_EXCED_RANGE, ERROR_FILENAME_EXCED_RANGE},
      {dir.Join("missing"), kNoFile, kNoFile}, {dir.Join("*.none"), kNoFile, kNoFile},
      {dir.Join("missing/x"), kNoPath, kNoPath}, {dir.Join("missing/*"), kNoPath, kNoPath},
      {dir.Join("r/*"), kNoPath, kNoPath}, {"", kBadName, kBadName},
      {dir.Join("r\0x"s), kBadName, kBadName}};
  // clang-format on
  for (const auto& [path, finderError, readerError] : paths) {
    FileFinder finder;
    ReadOnlyFile reader;
    FileEntryInfo entry;
    EXPECT_EQ(WithError([&] { return finder.FindFirst(path, entry); }),
              std::pair(finderError == 0, finderError))
        << path;
    EXPECT_EQ(WithError([&] { return reader.Open(path); }),
              std::pair(readerError == 0, readerError))
        << path;
  }
  // Entry, Size and Read are of the file that was opened, whatever its path names by now.
  const std::string path = dir.Write("f", "hello");
  ReadOnlyFile reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(::rename(dir.Write("g", "second and longer").c_str(), path.c_str()), 0);
  FileEntryInfo entry;
  std::uint64_t size = 0;
  ASSERT_TRUE(reader.Entry("f", entry) && reader.Size(size));
  EXPECT_EQ(entry.m_size + size, 10u);
  char buffer[8] = {};
  std::size_t done = 0;
  for (const char* expected : {"hel", "lo", ""}) {  // short only at the end
    ASSERT_TRUE(reader.Read(buffer, *expected == 'h' ? 3 : sizeof buffer, done));
    EXPECT_EQ(std::string(buffer, done), expected);
  }
  EXPECT_TRUE(reader.Close() && reader.Close());
  const std::pair closed(false, ERROR_INVALID_HANDLE);  // each call tells the reason itself
  EXPECT_EQ(WithError([&] { return reader.Entry("f", entry); }), closed);
  EXPECT_EQ(WithError([&] { return reader.Size(size); }), closed);
  EXPECT_EQ(WithError([&] { return reader.Read(buffer, 1, done); }), closed);
  // A regular file whose first bytes cannot be read: the process's own page 0.
  ASSERT_TRUE(reader.Open("/proc/self/mem"));
  EXPECT_FALSE(reader.Read(buffer, 1, done));
  EXPECT_EQ(GetLastError(), ERROR_READ_FAULT);
}

TEST(FileSystem, ParentExecutableAndCurrentDirectory) {
  test::TempDir dir;
  const std::string base = std::filesystem::canonical(dir.Path());
  dir.MakeDir("a");
  dir.MakeDir("a/b");
  dir.MakeDir("gone");
  // A folder removed with its parent: there is no parent left to name.
  const int gone = ::open(dir.MakeDir("gone/e").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_TRUE(::rmdir(dir.Join("gone/e").c_str()) == 0 && ::rmdir(dir.Join("gone").c_str()) == 0);
  // clang-format off
  const std::tuple<std::string, ErrorCode, std::string> rows[] = {
      {base + "/a/b", 0, base + "/a"}, {base + "/a/b/", 0, base + "/a"}, {"/", 0, "/"},
      {dir.MakeLink("lnk", base + "/a/b"), 0, base + "/a"},  // the target's parent, not `base`
      {base + "/missing", ERROR_FILE_NOT_FOUND, ""}, {"", ERROR_INVALID_NAME, ""},
      {dir.Write("file", "x"), ERROR_PATH_NOT_FOUND, ""},
      {"/proc/self/fd/" + std::to_string(gone), ERROR_FILE_NOT_FOUND, ""}};
  // clang-format on
  for (const auto& [path, error, expected] : rows) {
    std::string parent;
    EXPECT_EQ(WithError([&] { return ParentDirectory(path, parent); }),
              std::pair(error == 0, error))
        << path;
    EXPECT_EQ(parent, expected) << path;
  }
  ::close(gone);
  std::string path;
  EXPECT_TRUE(ExecutablePath(path) && path.ends_with("/platform_test")) << path;
  // A working folder longer than the first buffer: it grows until the name fits.
  const std::string deep = dir.MakeDir("a/" + std::string(200, 'd')) + "/" + std::string(200, 'e');
  const std::filesystem::path was = std::filesystem::current_path();
  ASSERT_TRUE(::mkdir(deep.c_str(), 0700) == 0 && ::chdir(deep.c_str()) == 0);
  EXPECT_TRUE(CurrentDirectory(path)) << path;
  EXPECT_EQ(path, std::filesystem::canonical(deep).string());
  std::filesystem::current_path(was);
}

}  // namespace
}  // namespace bitvane
