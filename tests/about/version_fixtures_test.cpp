// The version reader over real files: the PE fixtures that fixtures/make_fixtures.py
// writes, missing files, patterns, and the test program itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "about/about_text.h"
#include "about/version_info.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/about/version_block_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

namespace fs = std::filesystem;
using namespace bitvane::testing;

const fs::path kFixtures = fs::path(__FILE__).parent_path() / "fixtures";

std::u16string Wide(const fs::path& path) {
  return test::Wide(path.string());
}

// Each row: the file, whether it loads, and "%p|%x|%g|%V|%a.%b.%c.%d|%n" of it.
TEST(VersionFixtures, LoadsThePeFiles) {
  for (const auto& [file, loaded, described] :
       {std::tuple{"app_x64.exe", true, u"Sample Product|x64|Release|1.2.3.4|1.2.3.4|app_x64.exe"},
        {"lib_x86_debug.dll", true, u"Beispielprodukt|x86|Debug|1.2|1.2.0.0|lib_x86_debug.dll"},
        // no table chosen: the strings are looked up in the whole tree
        {"arm_two_tables.exe", false, u"Beispielprodukt|ARM-LE|Release|3.0.0.1|3.0.0.1|"},
        {"no_version.exe", false, u"<n/a>"}}) {
    const fs::path path = kFixtures / file;
    NVersionInfo info;
    SetLastError(77);
    EXPECT_EQ(info.LoadFile(Wide(path)), loaded) << file;
    EXPECT_EQ(GetLastError(), loaded ? 0u : ERROR_INVALID_DATA) << file;
    EXPECT_EQ(WideToUtf8(info.Describe(u"%p|%x|%g|%V|%a.%b.%c.%d|%n")), WideToUtf8(described));
    EXPECT_EQ(info.Path(), loaded ? Wide(path.lexically_normal()) : u"") << file;
    EXPECT_EQ(info.FindData().FileSize(), loaded ? fs::file_size(path) : 0u) << file;
  }
}

TEST(VersionFixtures, PathsAndTheirFailures) {
  const test::TempDir scratch;
  const fs::path dir = scratch.Path();
  fs::copy_file(kFixtures / "app_x64.exe", dir / "one.exe");
  fs::copy_file(kFixtures / "app_x64.exe", dir / "two.exe");
  fs::copy_file(kFixtures / "app_x64.exe", dir / "only[1].dll");
  scratch.MakeDir("folder.dll");
  scratch.Write("empty.exe", "");
  scratch.MakeFifo("pipe.exe");
  // Each row: a path in the scratch directory, the error, the file loaded.
  NVersionInfo info;
  for (const auto& [path, error, loadedName] :
       {std::tuple<std::string, ErrorCode, std::string>{"./sub/../one.exe", 0, "one.exe"},
        {"*.dll", 0, "only[1].dll"},  // the directory does not count
        {"*.exe", ERROR_INVALID_PARAMETER, ""},
        {"*.none", ERROR_FILE_NOT_FOUND, ""},
        {"missing.exe", ERROR_FILE_NOT_FOUND, ""},
        {"folder.dll", ERROR_BAD_FILE_TYPE, ""},
        {"empty.exe", ERROR_INVALID_DATA, ""},
        {"pipe.exe", ERROR_BAD_FILE_TYPE, ""}}) {  // refused, never waited on
    EXPECT_EQ(info.LoadFile(Wide(dir / path)), error == 0) << path;
    EXPECT_EQ(GetLastError(), error) << path;
    // A failed load leaves nothing of the earlier one behind.
    EXPECT_EQ(info.Path(), error == 0 ? Wide(dir / loadedName) : u"") << path;
    EXPECT_EQ(info.Root() != nullptr, error == 0) << path;
  }
  // A relative path is taken against the working directory.
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  EXPECT_TRUE(info.LoadFile(u"one.exe"));
  fs::current_path(before);
  EXPECT_EQ(info.Path(), Wide(dir / "one.exe"));
  // A file over one gibibyte is refused unread (a hole: nothing is written).
  EXPECT_FALSE(info.LoadFile(Wide(scratch.Sparse("huge.exe", (1ull << 30) + 1))));
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
}

// Path, record and bytes all of the one file the scan found, whatever its name holds:
// it is read by that name, not expanded again.
TEST(VersionFixtures, PathRecordAndBytesAreOfOneFile) {
  const test::TempDir scratch;
  for (const auto& [name, version] :
       {std::pair{"%HOME%.bin", 1}, {"%BV_LOAD_B%.bin", 2}, {"other.bin", 3}}) {
    const Bytes bytes = SampleBlock(static_cast<std::uint32_t>(version) << 16, 0);
    scratch.Write(name, std::string(bytes.begin(), bytes.end()));
  }
  ::setenv("BV_LOAD_A", "%BV_LOAD_B%", 1);
  ::setenv("BV_LOAD_B", "other", 1);
  for (const auto& [path, file, version] : {std::tuple{"*ME%.bin", "%HOME%.bin", u"1.0"},
                                            {"%BV_LOAD_A%.bin", "%BV_LOAD_B%.bin", u"2.0"}}) {
    NVersionInfo info;
    ASSERT_TRUE(info.LoadFile(Wide(scratch.Join(path)))) << path;
    EXPECT_EQ(WideToUtf8(info.Path()), scratch.Join(file)) << path;
    EXPECT_EQ(WideToUtf8(info.FindData().FileName()), file);
    EXPECT_EQ(info.Describe(), version) << path;
  }
  ::unsetenv("BV_LOAD_A");
  ::unsetenv("BV_LOAD_B");
}

TEST(VersionFixtures, LoadSelfReadsTheRunningProgram) {
  const fs::path name = fs::read_symlink("/proc/self/exe");
  NVersionInfo info;
  SetLastError(77);
  ASSERT_TRUE(info.LoadSelf()) << GetLastError();
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(info.Path(), Wide(name));
  EXPECT_EQ(info.Describe(u"%n|%p|%o|%r"), Wide(name.filename()) + u"|Bitvane|Kelmo|about_test");
  EXPECT_FALSE(FileBuildTime(info).IsNull());
  EXPECT_TRUE(info.IsElfImage());
  AboutOptions options;
  FillFromVersion(options, nullptr, u"", u"");
  EXPECT_EQ(options.Title, u"About Bitvane");
}

}  // namespace
}  // namespace bitvane
