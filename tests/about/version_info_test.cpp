// The version reader on blocks and files, and Describe.
#include "about/version_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

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

// Root-key nodes `depth` deep (40 bytes a level), the innermost of type 2 when `broken`.
Bytes NestedRoots(std::size_t depth, bool broken) {
  TestNode node = Folder(NVersionInfo::RootKey());
  while (--depth > 0) node = Folder(NVersionInfo::RootKey(), {std::move(node)});
  const Bytes bytes = BuildVersionNode(node);
  return broken ? Patched(bytes, bytes.size() - 36, 2) : bytes;
}

// The sample with a root value of `length` units of text or bytes, from fixed information.
Bytes RootValue(std::uint16_t length, bool text) {
  TestNode tree = VersionResourceTree(FixedInfoBytes(0x00010000, 0, 0, 0),
                                      {Folder(u"040904b0", SampleStrings())});
  tree.m_valueLength = length;
  tree.m_text = text;
  tree.m_value.resize(std::size_t{length} << (text ? 1 : 0));
  return BuildVersionNode(tree);
}

// Rows: a node in 16-bit units and where it ends, 0 when refused; then reads out of bounds.
TEST(VersionBlock, NodeRulesAndRootSearch) {
  // clang-format off
  const std::pair<std::vector<std::uint16_t>, std::size_t> rows[] = {
      {{2, 0, 0, 0}, 0}, {{7, 0, 0, 0}, 0}, {{10, 0, 0, 0}, 0}, {{8, 0, 2, 0}, 0},
      {{8, 0, 0, u'K'}, 0}, {{8, 1, 0, 0}, 0}, {{12, 4, 0, 0, 1, 2}, 12}, {{12, 5, 0, 0, 1, 2}, 0},
      {{12, 2, 1, 0, u'a', 0}, 12}, {{12, 3, 1, 0, u'a', u'b'}, 0}, {{10, 0, 0, 0, 0}, 0},
      {{16, 0, 0, 0, 8, 0, 0, 0}, 16}, {{16, 0, 0, 0, 10, 0, 0, 0, 0}, 0}};
  // clang-format on
  for (const auto& [units, end] : rows) {
    Bytes bytes;
    for (std::uint16_t unit : units) AppendU16(bytes, unit);
    std::size_t at = 0;
    EXPECT_EQ(NVersionInfo::ParseNode(bytes.data(), bytes.size(), at, nullptr) != nullptr, end != 0)
        << ::testing::PrintToString(units);
    EXPECT_EQ(at, end);
  }
  const Bytes node{0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0};
  for (const auto& [block, size] : {std::pair{node.data(), 5}, {node.data(), 2}, {nullptr, 12}}) {
    std::size_t at = 4;
    EXPECT_EQ(NVersionInfo::ParseNode(block, std::size_t(size), at, nullptr), nullptr);
  }
  // The root at every fourth offset only; a failed candidate is passed over whole.
  NVersionInfo info;
  // clang-format off
  const std::tuple<const char*, std::size_t, ErrorCode> bad[] = {
      {nullptr, 0, ERROR_INVALID_DATA}, {nullptr, 5, ERROR_INVALID_PARAMETER},
      {"x", std::size_t{1} << 32, ERROR_INVALID_PARAMETER}, {"xyzw", 4, ERROR_INVALID_DATA}};
  // clang-format on
  for (const auto& [bytes, size, error] : bad) {
    SetLastError(0);
    EXPECT_FALSE(info.LoadBlock(bytes, size));
    EXPECT_EQ(GetLastError(), error) << size;
  }
  EXPECT_EQ(info.FileCrc(), 0xCF5E7153u);
  const Bytes sample = SampleBlock();
  const std::pair<Bytes, std::uint32_t> searches[] = {
      {Joined({Bytes(4, 0), sample}), 4u},
      {Joined({Bytes(2, 0), sample}), NVersionInfo::kNotLoaded},
      {Joined({NestedRoots(150, true), sample}), 6000u},
      {Joined({NestedRoots(5, true), NestedRoots(5, false)}), 200u},
      {Joined({Bytes(64, 0), NestedRoots(9, true)}), 0xFFFFFFFFu}};
  for (const auto& [block, offset] : searches) {
    (void)info.LoadBlock(block.data(), block.size());
    EXPECT_EQ(info.ResourceOffset(), offset) << block.size();
  }
  const Bytes block = Joined({Bytes(16, 0x41), sample, Bytes(5, 0x42)});
  for (std::size_t size = 1; size <= block.size(); ++size) {
    ASSERT_EQ(info.LoadBlock(block.data(), size), size >= 16 + sample.size()) << size;
  }
}

// A key is looked up among direct children first, then depth first; folding is ASCII only.
TEST(VersionBlock, FindChildOrder) {
  const Bytes block = BuildVersionNode(
      Folder(u"root", {Folder(u"one", {Folder(u"deep", {Folder(u"Target")})}),
                       Folder(u"two", {Folder(u"TARGET")}), Folder(u"Other"), Folder(u"\u00F6l")}));
  std::size_t at = 0;
  const auto root = NVersionInfo::ParseNode(block.data(), block.size(), at, nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindChild(u"OTHER", false)->Key(), u"Other");
  EXPECT_EQ(root->FindChild(u"target", false), nullptr);
  EXPECT_EQ(root->FindChild(u"target", true)->Key(), u"Target");
  EXPECT_EQ(root->FindChild(u"\u00D6L", true), nullptr);
}

// Rows: the translation chosen (0: none, so the whole tree), a key, its text, the error.
TEST(VersionLoadBlock, StringsTranslationsAndReset) {
  TestNode zero = VersionStringNode(u"Zero", u"ab");
  zero.m_value[2] = 0;
  std::vector<TestNode> strings = SampleStrings();
  strings.insert(strings.end(), {zero, {u"Open", {u'x', 0, u'y', 0}, 2, true, {}}});
  const Bytes block = VersionTree(
      0x00010002, 0x00030004, 1,
      {Folder(u"040904b0", strings), Folder(u"040704b0", {VersionStringNode(u"Only", u"de")})});
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  // clang-format off
  const std::tuple<std::uint32_t, const char16_t*, const char16_t*, ErrorCode> rows[] = {
      {0x040904B0, u"productname", u"Sample Product", 0}, {0x040904B0, u"Zero", u"a", 0},
      {0x040904B0, u"Open", u"xy", 0}, {0x040904B0, u"Only", u"", ERROR_INVALID_PARAMETER},
      {0x040704B0, u"only", u"de", 0}, {0, u"Only", u"de", 0},
      {0, u"Translation", u"", ERROR_INVALID_DATA}};
  // clang-format on
  for (const auto& [translation, key, text, error] : rows) {
    EXPECT_EQ(info.SelectTranslation(translation != 0 ? translation : 0x04070000),
              translation != 0);
    SetLastError(55);
    const std::u16string got = info.GetString(key);
    EXPECT_EQ(std::tuple(info.Translation(), got, GetLastError()),
              std::tuple(translation, text, error))
        << WideToUtf8(key);
  }
  // Alone, a table keyed by 8 hex digits is chosen; the default key in any case.
  const std::pair<const char16_t*, bool> keys[] = {
      {u"040904B0", true},  {u"04070aFf", true},  {u"040704b", false},  {u"040704b00", false},
      {u"0407g4b0", false}, {u"0407G4b0", false}, {u"0407/4b0", false}, {u"0407:4b0", false}};
  for (const auto& [key, chosen] : keys) {
    const Bytes one = VersionTree(0x00010000, 0, 0, {Folder(key)});
    EXPECT_EQ(info.LoadBlock(one.data(), one.size()), chosen) << WideToUtf8(key);
  }
  info.Reset();
  EXPECT_TRUE(info.Root() == nullptr && info.FixedInfo() == nullptr && info.FileCrc() == ~0u);
  EXPECT_EQ(info.Translation(), 0x040904B0u);
  EXPECT_TRUE(info.GetString(u"ProductName").empty() && GetLastError() == ERROR_INVALID_DATA);
}

TEST(VersionDescribe, TemplatesFixedInformationAndProcessor) {
  const Bytes sample = PeImage(0x01C0, SampleBlock(0x00070002, 0x00030004, 0));
  const Bytes pe = PeImage(0x8664, SampleBlock());
  const Bytes elf = ElfImage(2, SampleBlock());
  // clang-format off
  const std::tuple<Bytes, const char16_t*, const char16_t*> rows[] = {
      {sample, u"%p|%f|%v|%i|%r|%o|%l|%m|%x|%g|%n|%N",
       u"Sample Product|Sample description|1.2.3.4|sample|sample.exe|Sample Maker|"
       u"Copyright (C) Sample Maker|Sample comments|ARM-LE|Release||"},
      // numbers "%*.*u" ('-' anywhere); texts padded, never cut; a stray '%' stays
      {sample, u"[%5a][%-5a][%3.2a][%-3.2a]", u"[    7][7    ][ 07][07 ]"},
      {sample, u"[%0.0a][%1.5a][%.2b%.2c%.2d]", u"[7][00007][020304]"},
      {sample, u"[%5-a][%2.1.2a]", u"[7    ][000000000007]"},
      {sample, u"[%8g][%-8g][%3g][%10.2i][%-10V]",
       u"[ Release][Release ][Release][    sample][7.2.3.4   ]"},
      {sample, u"%%p|%-5.2q!|%P %A|%\u00E9|100%5", u"%%p|%-5.2q!|%P %A|%\u00E9|100"},
      {VersionTree(0x00010002, 0, 1, {Folder(u"040904b0")}), u"%g [%p][%3m][%x] %V",
       u"Debug [][   ][] 1.2"},
      {SampleBlock(0, 0x00010000), nullptr, u"0.0.1"},
      {SampleBlock(0xFFFFFFFF, 4), u"%V", u"65535.65535.0.4"}, {{}, u"text", u"<n/a>"},
      {RootValue(52, false), u"%p", u"Sample Product"}, {RootValue(26, true), u"%p", u"<n/a>"},
      {RootValue(48, false), u"%p", u"<n/a>"}, {RootValue(56, false), u"%p", u"<n/a>"},
      {pe, u"%x", u"x64"}, {Patched(pe, 0x44, 0x014C), u"%x", u"x86"},
      {Patched(pe, 0x44, 0xAA64), u"%x", u"???"}, {Patched(pe, 0x40, 0x4551), u"%x", u""},
      {Patched(pe, 60, 0), u"%x", u""}, {Patched(pe, 62, 0x8000), u"%x", u""},
      {elf, u"%x", u"???"}, {Patched(elf, 18, 0xB700), u"%x", u"ARM64"},
      {Patched(elf, 4, 0x0102), u"%x", u"x64"}, {Patched(elf, 4, 0x0002), u"%x", u""},
      {Patched(elf, 4, 0x0302), u"%x", u""}};
  // clang-format on
  for (const auto& [block, format, expected] : rows) {
    NVersionInfo info;
    (void)info.LoadBlock(block.data(), block.size());
    EXPECT_EQ(WideToUtf8(info.Describe(format)), WideToUtf8(expected)) << block.size();
  }
  NVersionInfo info;  // widths beyond the cap are held at it
  ASSERT_TRUE(info.LoadBlock(sample.data(), sample.size()));
  EXPECT_EQ(info.Describe(u"%99999999999999999999g").size(), NVersionInfo::kMaxFieldWidth);
  EXPECT_EQ(info.Describe(u"%.99999999999999999999a").size(), NVersionInfo::kMaxFieldWidth);
}

// Paths against the working folder; a name found by a pattern is read as it is.
TEST(VersionLoadFile, PathsAndTheirFailures) {
  const test::TempDir scratch;
  const fs::path before = fs::current_path();
  for (const char* name :
       {"app_x64.exe", "lib_x86_debug.dll", "arm_two_tables.exe", "no_version.exe", "%HOME%.bin"}) {
    fs::copy_file(
        fs::path(__FILE__).parent_path() / "fixtures" / (*name == '%' ? "app_x64.exe" : name),
        scratch.Join(name));
  }
  scratch.MakeDir("folder.dll");
  scratch.Write("empty.exe", "");
  scratch.MakeFifo("pipe.exe");
  const char16_t *app = u"Sample Product|x64|Release|1.2.3.4|1.2.3.4", *none = u"<n/a>";
  // clang-format off
  const std::tuple<std::string, ErrorCode, std::string, const char16_t*> rows[] = {
      {"./sub/../app_x64.exe", 0, "app_x64.exe", app},
      {"*.dll", 0, "lib_x86_debug.dll", u"Beispielprodukt|x86|Debug|1.2|1.2.0.0"},  // no folder
      // no table chosen: the strings are looked up in the whole tree
      {"arm_two_tables.exe", ERROR_INVALID_DATA, "",
       u"Beispielprodukt|ARM-LE|Release|3.0.0.1|3.0.0.1"},
      {"*ME%.bin", 0, "%HOME%.bin", app},
      {"no_version.exe", ERROR_INVALID_DATA, "", none}, {"empty.exe", ERROR_INVALID_DATA, "", none},
      {"*.exe", ERROR_INVALID_PARAMETER, "", none}, {"*.none", ERROR_FILE_NOT_FOUND, "", none},
      {"missing.exe", ERROR_FILE_NOT_FOUND, "", none},
      {"folder.dll", ERROR_BAD_FILE_TYPE, "", none}, {"pipe.exe", ERROR_BAD_FILE_TYPE, "", none}};
  // clang-format on
  NVersionInfo info;
  fs::current_path(scratch.Path());
  for (const auto& [path, error, name, described] : rows) {
    SetLastError(77);
    EXPECT_EQ(info.LoadFile(test::Wide(path)), error == 0) << path;
    EXPECT_EQ(std::tuple(GetLastError(), WideToUtf8(info.Path()), info.FindData().FileName()),
              std::tuple(error, error == 0 ? scratch.Join(name) : "", test::Wide(name)))
        << path;
    EXPECT_EQ(WideToUtf8(info.Describe(u"%p|%x|%g|%V|%a.%b.%c.%d")), WideToUtf8(described));
  }
  fs::current_path(before);
  // A file too short for a resource is still read; one over a gibibyte is not (a hole).
  EXPECT_FALSE(info.LoadFile(test::Wide(scratch.Write("byte.exe", "x"))));
  EXPECT_EQ(info.FileCrc(), Crc32("x", 1));
  EXPECT_FALSE(info.LoadFile(test::Wide(scratch.Sparse("huge.exe", (1ull << 30) + 1))));
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
}

}  // namespace
}  // namespace bitvane
