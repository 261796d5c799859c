// The version reader over real files: the PE fixtures that fixtures/make_fixtures.py
// writes, damaged at every node, missing files, patterns, and the test program itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "about/about_text.h"
#include "about/version_info.h"
#include "foundation/crc32.h"
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

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TEST(VersionFixtures, LoadsThePeFiles) {
  const struct {
    const char* file;
    bool loaded;
    const char16_t* described;  // "%p|%x|%g|%V|%a.%b.%c.%d|%n"
  } rows[] = {
      {"app_x64.exe", true, u"Sample Product|x64|Release|1.2.3.4|1.2.3.4|app_x64.exe"},
      {"lib_x86_debug.dll", true, u"Beispielprodukt|x86|Debug|1.2|1.2.0.0|lib_x86_debug.dll"},
      // no table chosen: the strings are looked up in the whole tree
      {"arm_two_tables.exe", false, u"Beispielprodukt|ARM-LE|Release|3.0.0.1|3.0.0.1|"},
      {"no_version.exe", false, u"<n/a>"},
  };
  for (const auto& row : rows) {
    const fs::path path = kFixtures / row.file;
    const Bytes bytes = ReadAll(path);
    NVersionInfo info;
    SetLastError(77);
    EXPECT_EQ(info.LoadFile(Wide(path)), row.loaded) << row.file;
    EXPECT_EQ(GetLastError(), row.loaded ? 0u : ERROR_INVALID_DATA) << row.file;
    EXPECT_EQ(WideToUtf8(info.Describe(u"%p|%x|%g|%V|%a.%b.%c.%d|%n")), WideToUtf8(row.described))
        << row.file;
    EXPECT_EQ(info.FileCrc(), Crc32(bytes.data(), bytes.size())) << row.file;
    // The PE headers are copied whether or not a resource is found.
    EXPECT_TRUE(std::equal(info.PeHeaders().begin(), info.PeHeaders().end(), bytes.begin() + 64));
    EXPECT_EQ(info.Path(), row.loaded ? Wide(path.lexically_normal()) : u"") << row.file;
    EXPECT_EQ(std::u16string(info.FindData().FileName()), row.loaded ? Wide(row.file) : u"");
    EXPECT_EQ(info.FindData().FileSize(), row.loaded ? bytes.size() : 0u) << row.file;
    if (row.loaded) {
      EXPECT_EQ(info.Describe(u"%N"), info.Path());
    }
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
  const struct {
    std::string path;  // relative to the scratch directory
    ErrorCode error;
    std::string loadedName;
  } rows[] = {
      {"./sub/../one.exe", 0, "one.exe"},  // steps are cleared by text alone
      {"*.dll", 0, "only[1].dll"},         // the directory does not count
      {"*.exe", ERROR_INVALID_PARAMETER, ""},
      {"*.none", ERROR_FILE_NOT_FOUND, ""},
      {"missing.exe", ERROR_FILE_NOT_FOUND, ""},
      {"folder.dll", ERROR_BAD_FILE_TYPE, ""},
      {"empty.exe", ERROR_INVALID_DATA, ""},
      {"pipe.exe", ERROR_BAD_FILE_TYPE, ""},  // refused, never waited on
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    EXPECT_EQ(info.LoadFile(Wide(dir / row.path)), row.error == 0) << row.path;
    EXPECT_EQ(GetLastError(), row.error) << row.path;
    EXPECT_EQ(info.Path(), row.error == 0 ? Wide(dir / row.loadedName) : u"") << row.path;
  }
  // A relative path is taken against the working directory.
  NVersionInfo info;
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  EXPECT_TRUE(info.LoadFile(u"one.exe"));
  fs::current_path(before);
  EXPECT_EQ(info.Path(), Wide(dir / "one.exe"));
  // A failed load leaves nothing of the earlier one behind.
  EXPECT_FALSE(info.LoadFile(Wide(dir / "missing.exe")));
  EXPECT_TRUE(info.Path().empty());
  EXPECT_EQ(info.Root(), nullptr);
  EXPECT_EQ(info.FileCrc(), 0xFFFFFFFFu);

  // A file over one gibibyte is refused unread (a hole: nothing is written).
  EXPECT_FALSE(info.LoadFile(Wide(scratch.Sparse("huge.exe", (1ull << 30) + 1))));
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
}

// A broken field in any node of a real file fails the whole load; a broken text does not.
TEST(VersionFixtures, DamagedAtEveryNode) {
  const Bytes good = ReadAll(kFixtures / "app_x64.exe");
  NVersionInfo reference;
  ASSERT_TRUE(reference.LoadBlock(good.data(), good.size()));
  std::vector<std::uint32_t> offsets;
  for (std::vector<const NVersionInfo::NVIItem*> pending{reference.Root()}; !pending.empty();) {
    const NVersionInfo::NVIItem* item = pending.back();
    pending.pop_back();
    offsets.push_back(item->Offset());
    for (std::uint32_t i = 0; i < item->ChildCount(); ++i) pending.push_back(item->Child(i));
  }
  ASSERT_EQ(offsets.size(), 14u);  // root, StringFileInfo, a table, 9 strings, VarFileInfo, ...
  for (std::uint32_t offset : offsets) {
    // type 2, length 7, length and value length 0xFFFF
    for (const auto& [field, value] :
         {std::pair<std::size_t, std::uint16_t>{4, 2}, {0, 7}, {0, 0xFFFF}, {2, 0xFFFF}}) {
      Bytes bytes = good;
      SetU16(bytes, offset + field, value);
      NVersionInfo info;
      EXPECT_FALSE(info.LoadBlock(bytes.data(), bytes.size())) << offset << "+" << field;
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
      EXPECT_EQ(info.Root(), nullptr);
    }
  }
  Bytes bytes = good;
  const NVersionInfo::NVIItem* product = reference.StringTable()->FindChild(u"ProductName", false);
  bytes[product->Offset() + product->ValueOffset()] = 'Z';
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(bytes.data(), bytes.size()));
  EXPECT_EQ(info.GetString(u"ProductName"), u"Zample Product");
}

// Path, record, CRC and bytes all of the one file the scan found, whatever its name
// holds: it is read by that name, not expanded again.
TEST(VersionFixtures, PathRecordAndBytesAreOfOneFile) {
  const test::TempDir scratch;
  const Bytes a = SampleBlock(0x00010000, 0);
  const Bytes b = SampleBlock(0x00020000, 0);
  WriteAll(scratch.Join("%HOME%.bin"), a);
  WriteAll(scratch.Join("%BV_LOAD_B%.bin"), b);
  WriteAll(scratch.Join("other.bin"), SampleBlock(0x00030000, 0));
  ::setenv("BV_LOAD_A", "%BV_LOAD_B%", 1);
  ::setenv("BV_LOAD_B", "other", 1);
  for (const auto& [path, file, bytes] :
       {std::tuple{"*ME%.bin", "%HOME%.bin", &a}, {"%BV_LOAD_A%.bin", "%BV_LOAD_B%.bin", &b}}) {
    NVersionInfo info;
    ASSERT_TRUE(info.LoadFile(Wide(scratch.Join(path)))) << path;
    EXPECT_EQ(WideToUtf8(info.Path()), scratch.Join(file)) << path;
    EXPECT_EQ(WideToUtf8(info.FindData().FileName()), file);
    EXPECT_EQ(info.FindData().FileSize(), bytes->size()) << path;
    EXPECT_EQ(info.FileCrc(), Crc32(bytes->data(), bytes->size())) << path;
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
  EXPECT_EQ(std::u16string(info.FindData().FileName()), Wide(name.filename()));
  EXPECT_EQ(info.Describe(u"%n|%p|%o"), Wide(name.filename()) + u"|Bitvane|Kelmo");
  EXPECT_EQ(info.GetString(u"OriginalFilename"), u"about_test");
  EXPECT_FALSE(FileBuildTime(info).IsNull());
  EXPECT_TRUE(info.IsElfImage());
#if defined(__x86_64__)
  EXPECT_EQ(info.Describe(u"%x"), u"x64");
#elif defined(__aarch64__)
  EXPECT_EQ(info.Describe(u"%x"), u"ARM64");
#endif
  const Bytes self = ReadAll("/proc/self/exe");
  EXPECT_EQ(info.FileCrc(), Crc32(self.data(), self.size()));
  AboutOptions options;
  FillFromVersion(options, nullptr, u"", u"");
  EXPECT_EQ(options.Title, u"About Bitvane");
}

}  // namespace
}  // namespace bitvane
