// The version reader over real files: the PE fixtures that fixtures/make_fixtures.py
// writes, files damaged or cut short at every node, missing files, patterns, and the
// test program itself.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "about/version_info.h"
#include "foundation/ansi_to_wide.h"
#include "foundation/crc32.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/about/version_block_builder.h"

namespace bitvane {
namespace {

namespace fs = std::filesystem;
using namespace bitvane::testing;

fs::path FixtureDir() {
  return fs::path(__FILE__).parent_path() / "fixtures";
}

std::u16string Wide(const fs::path& path) {
  const std::string text = path.string();
  return AnsiToWide(text.data(), static_cast<std::ptrdiff_t>(text.size()));
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

// A fresh directory for one test, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_path = fs::path(::testing::TempDir()) /
             ("version_" + std::string(test->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

TEST(VersionFixtures, LoadsThePeFiles) {
  const struct {
    const char* file;
    bool loaded;
    const char16_t* described;  // "%p|%x|%g|%V|%a.%b.%c.%d|%n"
    const char16_t* table;      // key of the chosen string table
  } rows[] = {
      {"app_x64.exe", true, u"Sample Product|x64|Release|1.2.3.4|1.2.3.4|app_x64.exe", u"040904b0"},
      {"lib_x86_debug.dll", true, u"Beispielprodukt|x86|Debug|1.2|1.2.0.0|lib_x86_debug.dll",
       u"040704B0"},
      // no table chosen: the strings are looked up in the whole tree
      {"arm_two_tables.exe", false, u"Beispielprodukt|ARM-LE|Release|3.0.0.1|3.0.0.1|", nullptr},
      {"no_version.exe", false, u"<n/a>", nullptr},
  };
  for (const auto& row : rows) {
    const fs::path path = FixtureDir() / row.file;
    const Bytes bytes = ReadAll(path);
    ASSERT_FALSE(bytes.empty()) << path;
    NVersionInfo info;
    SetLastError(77);
    EXPECT_EQ(info.LoadFile(Wide(path)), row.loaded) << row.file;
    EXPECT_EQ(GetLastError(), row.loaded ? 0u : ERROR_INVALID_DATA) << row.file;
    EXPECT_EQ(WideToUtf8(info.Describe(u"%p|%x|%g|%V|%a.%b.%c.%d|%n")), WideToUtf8(row.described))
        << row.file;
    EXPECT_EQ(info.FileCrc(), Crc32(bytes.data(), bytes.size())) << row.file;

    // The PE headers are copied whether or not a resource is found.
    ASSERT_TRUE(info.HasPeHeaders()) << row.file;
    EXPECT_TRUE(std::equal(info.PeHeaders().begin(), info.PeHeaders().end(), bytes.begin() + 64));
    const std::uint32_t stamp = info.PeHeaders()[8] | info.PeHeaders()[9] << 8 |
                                info.PeHeaders()[10] << 16 |
                                static_cast<std::uint32_t>(info.PeHeaders()[11]) << 24;
    EXPECT_EQ(stamp, 0x5F5E1000u);

    if (row.loaded) {
      EXPECT_EQ(info.Path(), Wide(path.lexically_normal()));
      EXPECT_EQ(std::u16string(info.FindData().FileName()), Wide(row.file));
      EXPECT_EQ(info.FindData().FileSize(), bytes.size());
      EXPECT_NE(info.FindData().m_lastWriteTime.Ticks(), 0u);
      ASSERT_NE(info.StringTable(), nullptr);
      EXPECT_EQ(info.StringTable()->Key(), row.table);
      EXPECT_EQ(info.Translation(), 0x040904B0u);
      EXPECT_EQ(info.Describe(u"%N"), info.Path());
    } else {
      EXPECT_TRUE(info.Path().empty());
      EXPECT_TRUE(info.FindData().FileName().empty());
      EXPECT_EQ(info.StringTable(), nullptr);
    }
    if (info.Root() != nullptr) {
      // The root lies where its key does, 6 bytes in, at a multiple of 4.
      const std::u16string key = NVersionInfo::RootKey();
      Bytes keyBytes;
      for (char16_t c : key) AppendU16(keyBytes, c);
      const auto at = std::search(bytes.begin(), bytes.end(), keyBytes.begin(), keyBytes.end());
      EXPECT_EQ(info.ResourceOffset(), static_cast<std::uint32_t>(at - bytes.begin()) - 6);
      EXPECT_EQ(info.ResourceOffset() % 4, 0u);
      EXPECT_EQ(info.Root()->Length(), GetU16(bytes, info.ResourceOffset()));
    } else {
      EXPECT_EQ(info.ResourceOffset(), 0xFFFFFFFFu);
    }
  }
}

TEST(VersionFixtures, PathsAndTheirFailures) {
  ScratchDir scratch;
  const fs::path dir = scratch.Path();
  fs::copy_file(FixtureDir() / "app_x64.exe", dir / "one.exe");
  fs::copy_file(FixtureDir() / "app_x64.exe", dir / "two.exe");
  fs::copy_file(FixtureDir() / "lib_x86_debug.dll", dir / "only[1].dll");
  fs::create_directory(dir / "folder.dll");
  WriteAll(dir / "empty.exe", {});
  ASSERT_EQ(::mkfifo((dir / "pipe.exe").c_str(), 0600), 0);

  const struct {
    std::string path;  // relative to the scratch directory
    bool loaded;
    ErrorCode error;
    std::string loadedName;
  } rows[] = {
      {"one.exe", true, 0, "one.exe"},
      {"./sub/../one.exe", true, 0, "one.exe"},  // steps are cleared by text alone
      {"folder.dll/../one.exe", true, 0, "one.exe"},
      {"on?.exe", true, 0, "one.exe"},
      {"*.dll", true, 0, "only[1].dll"},  // the directory does not count
      {"only[1].dll", true, 0, "only[1].dll"},
      {"*.exe", false, ERROR_INVALID_PARAMETER, ""},
      {"t*.exe", true, 0, "two.exe"},
      {"*.none", false, ERROR_FILE_NOT_FOUND, ""},
      {"missing.exe", false, ERROR_FILE_NOT_FOUND, ""},
      {"missing/one.exe", false, ERROR_PATH_NOT_FOUND, ""},
      {"one.exe/x", false, ERROR_PATH_NOT_FOUND, ""},
      {"folder.dll", false, ERROR_BAD_FILE_TYPE, ""},
      {"folder.dll/", false, ERROR_BAD_FILE_TYPE, ""},
      {"empty.exe", false, ERROR_INVALID_DATA, ""},
      {"pipe.exe", false, ERROR_BAD_FILE_TYPE, ""},  // refused, never waited on
      {"pipe.*", false, ERROR_FILE_NOT_FOUND, ""},   // a pattern lists regular files only
      {"/dev/zero", false, ERROR_BAD_FILE_TYPE, ""},
      {std::string(256, 'n'), false, ERROR_FILENAME_EXCED_RANGE, ""},
      {std::string(5000, 'n'), false, ERROR_FILENAME_EXCED_RANGE, ""},
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    EXPECT_EQ(info.LoadFile(Wide(dir / row.path)), row.loaded) << row.path;
    EXPECT_EQ(GetLastError(), row.error) << row.path;
    EXPECT_EQ(info.Path(), row.loaded ? Wide(dir / row.loadedName) : u"") << row.path;
  }
  NVersionInfo info;
  EXPECT_FALSE(info.LoadFile(u""));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);

  // A relative path is taken against the working directory.
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
}

// Offsets of every node of the tree, depth-first.
std::vector<std::uint32_t> NodeOffsets(const NVersionInfo::NVIItem* root) {
  std::vector<std::uint32_t> offsets;
  std::vector<const NVersionInfo::NVIItem*> pending{root};
  while (!pending.empty()) {
    const NVersionInfo::NVIItem* item = pending.back();
    pending.pop_back();
    offsets.push_back(item->Offset());
    for (std::uint32_t i = 0; i < item->ChildCount(); ++i) pending.push_back(item->Child(i));
  }
  return offsets;
}

TEST(VersionFixtures, DamagedOrCutShortAtEveryNode) {
  ScratchDir scratch;
  const Bytes good = ReadAll(FixtureDir() / "app_x64.exe");
  NVersionInfo reference;
  ASSERT_TRUE(reference.LoadBlock(good.data(), good.size()));
  const std::vector<std::uint32_t> offsets = NodeOffsets(reference.Root());
  ASSERT_EQ(offsets.size(),
            14u);  // root, StringFileInfo, a table, 9 strings, VarFileInfo, Translation

  const struct {
    const char* name;
    std::size_t field;  // byte offset in the node header
    std::uint16_t value;
  } damages[] = {
      {"type 2", 4, 2},
      {"length 7", 0, 7},
      {"length 0xFFFF", 0, 0xFFFF},
      {"value length 0xFFFF", 2, 0xFFFF},
  };
  const fs::path file = scratch.Path() / "damaged.exe";
  for (std::uint32_t offset : offsets) {
    for (const auto& damage : damages) {
      Bytes bytes = good;
      SetU16(bytes, offset + damage.field, damage.value);
      WriteAll(file, bytes);
      NVersionInfo info;
      EXPECT_FALSE(info.LoadFile(Wide(file))) << damage.name << " at " << offset;
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
      EXPECT_EQ(info.Root(), nullptr);
      EXPECT_EQ(info.Describe(u"%p"), u"<n/a>");
    }
    for (std::uint32_t cut : {0u, 1u, 2u, 4u, 6u, 7u, 10u}) {
      WriteAll(file, Bytes(good.begin(), good.begin() + offset + cut));
      NVersionInfo info;
      EXPECT_FALSE(info.LoadFile(Wide(file))) << "cut at " << offset << " + " << cut;
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    }
  }
  // Damaging a text inside a value is no structural fault.
  Bytes bytes = good;
  const NVersionInfo::NVIItem* product = reference.StringTable()->FindChild(u"ProductName", false);
  ASSERT_NE(product, nullptr);
  bytes[product->Offset() + product->ValueOffset()] = 'Z';
  WriteAll(file, bytes);
  NVersionInfo info;
  ASSERT_TRUE(info.LoadFile(Wide(file)));
  EXPECT_EQ(info.GetString(u"ProductName"), u"Zample Product");
}

TEST(VersionFixtures, AFileOverOneGibibyteIsTooLarge) {
  ScratchDir scratch;
  const fs::path file = scratch.Path() / "huge.exe";
  WriteAll(file, SampleBlock());
  fs::resize_file(file, (1ull << 30) + 1);  // a hole: no gibibyte written
  NVersionInfo info;
  EXPECT_FALSE(info.LoadFile(Wide(file)));
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
}

// Path, record, CRC and bytes all of one file, whatever the names hold.
TEST(VersionFixtures, PathRecordAndBytesAreOfOneFile) {
  ScratchDir scratch;
  const fs::path dir = fs::canonical(scratch.Path());
  fs::create_directories(dir / "far" / "away");
  fs::create_symlink(dir / "far" / "away", dir / "lnk");
  const Bytes a = SampleBlock(0x00010000, 0);
  const Bytes b = SampleBlock(0x00020000, 0);
  const Bytes c = SampleBlock(0x00030000, 0);
  WriteAll(dir / "%HOME%.bin", a);
  WriteAll(dir / "%BV_LOAD_B%.bin", b);
  WriteAll(dir / "other.bin", c);
  WriteAll(dir / "far" / "target.exe", a);
  WriteAll(dir / "target.exe", c);
  ::setenv("BV_LOAD_A", "%BV_LOAD_B%", 1);
  ::setenv("BV_LOAD_B", "other", 1);
  const struct {
    std::string path;     // relative to the scratch directory
    std::string file;     // the file described
    const Bytes* bytes;   // its contents
    const char* version;  // %V
  } rows[] = {
      {"*ME%.bin", "%HOME%.bin", &a, "1.0"},
      {"%HOME%.bin", "", nullptr, ""},  // expands: no such file
      {"%BV_LOAD_A%.bin", "%BV_LOAD_B%.bin", &b, "2.0"},
      {"%BV_LOAD_B%.bin", "other.bin", &c, "3.0"},
      {"lnk/../target.exe", "far/target.exe", &a, "1.0"},
      {"lnk/./../../target.exe", "target.exe", &c, "3.0"},
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    const bool loaded = info.LoadFile(Wide(dir / row.path));
    EXPECT_EQ(loaded, row.bytes != nullptr) << row.path << " " << GetLastError();
    if (loaded != (row.bytes != nullptr)) continue;
    if (!loaded) {
      EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << row.path;
      continue;
    }
    EXPECT_EQ(WideToUtf8(info.Path()), (dir / row.file).string()) << row.path;
    EXPECT_EQ(WideToUtf8(info.FindData().FileName()), fs::path(row.file).filename().string());
    EXPECT_EQ(info.FindData().FileSize(), row.bytes->size()) << row.path;
    EXPECT_EQ(info.FileCrc(), Crc32(row.bytes->data(), row.bytes->size())) << row.path;
    EXPECT_EQ(WideToUtf8(info.Describe()), row.version) << row.path;
  }
  ::unsetenv("BV_LOAD_A");
  ::unsetenv("BV_LOAD_B");
}

TEST(VersionFixtures, LoadSelfReadsTheRunningProgram) {
  std::string name(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", name.data(), name.size());
  ASSERT_GT(length, 0);
  name.resize(static_cast<std::size_t>(length));

  NVersionInfo info;
  SetLastError(77);
  ASSERT_TRUE(info.LoadSelf()) << GetLastError();
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(info.Path(), Wide(name));
  EXPECT_EQ(std::u16string(info.FindData().FileName()), Wide(fs::path(name).filename()));
  EXPECT_EQ(info.Describe(u"%n"), Wide(fs::path(name).filename()));
  EXPECT_EQ(info.GetString(u"OriginalFilename"), u"about_test");
  EXPECT_NE(info.FixedInfo(), nullptr);
  EXPECT_FALSE(info.HasPeHeaders());
  EXPECT_TRUE(info.IsElfImage());
#if defined(__x86_64__)
  EXPECT_EQ(info.Describe(u"%x"), u"x64");
#elif defined(__aarch64__)
  EXPECT_EQ(info.Describe(u"%x"), u"ARM64");
#elif defined(__i386__)
  EXPECT_EQ(info.Describe(u"%x"), u"x86");
#endif
  const Bytes self = ReadAll("/proc/self/exe");
  EXPECT_EQ(info.FileCrc(), Crc32(self.data(), self.size()));
}

}  // namespace
}  // namespace bitvane
