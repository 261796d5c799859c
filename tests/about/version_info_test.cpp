// The version reader on blocks in memory: the node parser, the root search, the
// queries and Describe; and the writer of version-resource bytes the tests rely on.

#include "about/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/about/version_block_builder.h"

namespace bitvane {
namespace {

using namespace bitvane::testing;
using Item = NVersionInfo::NVIItem;

// A node header followed by raw UTF-16 units, zero-filled to `total` bytes.
Bytes Raw(std::uint16_t length, std::uint16_t valueLength, std::uint16_t type,
          std::vector<std::uint16_t> units, std::size_t total = 0) {
  Bytes out;
  for (std::uint16_t unit : {length, valueLength, type}) AppendU16(out, unit);
  for (std::uint16_t unit : units) AppendU16(out, unit);
  out.resize(std::max(out.size(), total), 0);
  return out;
}

// Root-key nodes `depth` deep, each the only child of the one before; the innermost
// made unreadable when `broken`.
Bytes NestedRoots(std::size_t depth, bool broken) {
  TestNode node = Folder(NVersionInfo::RootKey());
  while (--depth > 0) node = Folder(NVersionInfo::RootKey(), {std::move(node)});
  Bytes bytes = BuildVersionNode(node);
  if (broken) SetU16(bytes, bytes.size() - 40 + 4, 2);  // its type; 40 bytes a level
  return bytes;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::unique_ptr<Item> Parse(const Bytes& block, std::size_t& position,
                            const char16_t* key = nullptr) {
  return NVersionInfo::ParseNode(block.data(), block.size(), position, key);
}

// The writer pads from the block's start; wLength keeps the low 16 bits of a node too
// long for it.
TEST(VersionBlock, WriterPaddingAndLength) {
  EXPECT_EQ(BuildVersionNode(TestNode{u"K", {7}, 1, false, {TestNode{}}}, 2),
            (Bytes{22, 0, 1, 0, 0, 0, 'K', 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0}));
  const Bytes big = BuildVersionNode(TestNode{u"", Bytes(70000, 1), 0, false, {}});
  EXPECT_EQ(big.size(), 70008u);
  EXPECT_EQ(GetU16(big, 0), 70008 & 0xFFFF);
}

TEST(VersionParseNode, HeaderKeyAndValueRules) {
  const std::pair<Bytes, bool> rows[] = {
      {Raw(8, 0, 0, {0}), true},  // empty key, no value
      {Bytes{8}, false},          // a block of 1 byte
      // length below 3, without room for a key, beyond the block
      {Raw(2, 0, 0, {0}), false},
      {Raw(7, 0, 0, {0}), false},
      {Raw(10, 0, 0, {0}), false},
      // type 2; type 1 without a value
      {Raw(8, 0, 2, {0}), false},
      {Raw(8, 0, 1, {0}), true},
      // a key without its 0; key "K"
      {Raw(8, 0, 0, {u'K'}), false},
      {Raw(12, 0, 0, {u'K', 0}, 12), true},
      // a value length without room for a value; binary and text values that fit or not
      {Raw(8, 1, 0, {0}), false},
      {Raw(12, 4, 0, {0, 1, 2}), true},
      {Raw(12, 5, 0, {0, 1, 2}), false},
      {Raw(12, 2, 1, {0, u'a', 0}), true},
      {Raw(12, 3, 1, {0, u'a', u'b'}), false},
      // stray bytes after the value; a child of 8 bytes; a child longer than its parent
      {Raw(10, 0, 0, {0, 0}), false},
      {Raw(16, 0, 0, {0, 8, 0, 0, 0}), true},
      {Raw(16, 0, 0, {0, 10, 0, 0, 0, 0}, 18), false},
  };
  for (std::size_t row = 0; row < std::size(rows); ++row) {
    SCOPED_TRACE(row);
    const auto& [bytes, ok] = rows[row];
    std::size_t position = 0;
    EXPECT_EQ(Parse(bytes, position) != nullptr, ok);
    EXPECT_EQ(position, ok ? GetU16(bytes, 0) : 0u);
  }
  std::size_t position = 0;
  EXPECT_EQ(NVersionInfo::ParseNode(nullptr, 8, position, nullptr), nullptr);
  // A position past the block's end reads nothing, even where memory holds a node.
  const Bytes beyond = Joined({Bytes(4, 0), Raw(8, 0, 0, {0})});
  position = 4;
  EXPECT_EQ(NVersionInfo::ParseNode(beyond.data(), 2, position, nullptr), nullptr);
}

// Written at every alignment, a tree reads back with its fields, its children in
// order, and each child at a multiple of 4 of the block.
TEST(VersionParseNode, FieldsAndChildrenAtEveryAlignment) {
  const TestNode tree{
      u"Top", {1, 2, 3}, 3, false, {VersionStringNode(u"A", u"xy"), Folder(u"B", {Folder(u"C")})}};
  for (std::size_t base = 0; base < 8; ++base) {
    SCOPED_TRACE(base);
    const Bytes block = Joined({Bytes(base, 0xEE), BuildVersionNode(tree, base), Bytes{0xEE}});
    std::size_t position = base;
    EXPECT_EQ(Parse(block, position, u"top"), nullptr);  // the expected key compares exactly
    EXPECT_EQ(position, base);
    const auto item = Parse(block, position, u"Top");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(position, block.size() - 1);
    EXPECT_EQ(item->Offset(), base);
    EXPECT_EQ(item->Length(), block.size() - 1 - base);
    EXPECT_EQ(item->ValueOffset(), (base + 6 + 8 + 3) / 4 * 4 - base);
    EXPECT_EQ(Bytes(item->Value(), item->Value() + item->ValueSize()), (Bytes{1, 2, 3}));
    ASSERT_EQ(item->ChildCount(), 2u);
    const Item* a = item->Child(0);
    EXPECT_TRUE(a->IsText() && !item->IsText());
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(a->Value()), a->ValueLength()),
              std::u16string(u"xy\0", 3));
    const Item* c = item->Child(1)->Child(0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Key(), u"C");
    EXPECT_EQ(c->Offset() % 4, 0u);
    EXPECT_TRUE(c->Value() == nullptr && c->ValueOffset() == 0u);
    EXPECT_EQ(item->Child(2), nullptr);
  }
}

// Nested as deep as the 16-bit length allows: parsed, searched and torn down without
// recursion; an unreadable innermost node fails every level above it.
TEST(VersionParseNode, DeepNestingNeedsNoDeepStack) {
  Bytes block = BuildVersionNode(Folder(NVersionInfo::RootKey()));
  const std::size_t depth = (65532 - block.size()) / 8;
  for (std::size_t level = 0; level < depth; ++level) {
    for (std::size_t unit : {8 * (depth - level), std::size_t{0}, std::size_t{0}, std::size_t{0}}) {
      AppendU16(block, static_cast<std::uint16_t>(unit));
    }
  }
  SetU16(block, 0, static_cast<std::uint16_t>(block.size()));
  std::size_t position = 0;
  const auto item = Parse(block, position);
  ASSERT_NE(item, nullptr);
  std::size_t levels = 0;
  for (const Item* deepest = item.get(); deepest->ChildCount() == 1; ++levels) {
    deepest = deepest->Child(0);
  }
  EXPECT_EQ(levels, depth);
  EXPECT_EQ(item->FindChild(u"missing", true), nullptr);
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));  // no string table
  ASSERT_NE(info.Root(), nullptr);
  SetU16(block, block.size() - 4, 2);
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(info.Root(), nullptr);
}

TEST(VersionFindChild, DirectChildrenFirstThenSubtreesInOrder) {
  const Bytes block = BuildVersionNode(Folder(
      u"root",
      {Folder(u"one", {Folder(u"deep", {VersionStringNode(u"Target", u"1")})}),
       Folder(u"two", {VersionStringNode(u"TARGET", u"2")}), VersionStringNode(u"Other", u"o")}));
  std::size_t position = 0;
  const auto root = Parse(block, position);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindChild(u"OTHER", false)->Key(), u"Other");
  EXPECT_EQ(root->FindChild(u"target", false), nullptr);
  // "one" is entered first; its own children hold no target, its subtree does.
  EXPECT_EQ(root->FindChild(u"target", true)->Key(), u"Target");
  EXPECT_EQ(root->FindChild(u"Targe", true), nullptr);
  EXPECT_EQ(root->FindChild(u"\u00D6ther", true), nullptr);  // case folding is ASCII only
}

TEST(VersionLoadBlock, BadArgumentsAndEmptyObject) {
  NVersionInfo info;
  const struct {
    const void* bytes;
    std::size_t size;
    ErrorCode error;
  } rows[] = {{nullptr, 0, ERROR_INVALID_DATA},
              {nullptr, 5, ERROR_INVALID_PARAMETER},
              {"x", std::size_t{1} << 32, ERROR_INVALID_PARAMETER},
              {"xyzw", 4, ERROR_INVALID_DATA}};
  for (const auto& row : rows) {
    SetLastError(0);
    EXPECT_FALSE(info.LoadBlock(row.bytes, row.size));
    EXPECT_EQ(GetLastError(), row.error) << row.size;
  }
  EXPECT_EQ(info.FileCrc(), 0xCF5E7153u);  // CRC-32 of "xyzw": taken before the search
  EXPECT_EQ(info.ResourceOffset(), 0xFFFFFFFFu);
  SetLastError(77);
  EXPECT_TRUE(info.GetString(u"ProductName").empty());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_FALSE(info.SelectTranslation(0x040904B0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

// At every fourth offset only; a candidate whose tree fails is passed over whole,
// without losing a resource behind it.
TEST(VersionLoadBlock, RootSearch) {
  const Bytes sample = SampleBlock();
  const struct {
    const char* name;
    Bytes block;
    std::uint32_t offset;
  } rows[] = {
      {"4 bytes in front", Joined({Bytes(4, 0), sample}), 4},
      {"2 bytes in front", Joined({Bytes(2, 0), sample}), NVersionInfo::kNotLoaded},
      {"broken chain", NestedRoots(150, true), NVersionInfo::kNotLoaded},
      {"sound chain", NestedRoots(150, false), 0},
      {"broken chain, then a resource", Joined({NestedRoots(150, true), sample}), 6000},
      {"broken, then sound", Joined({NestedRoots(5, true), NestedRoots(5, false)}), 200},
      {"zeros, then broken", Joined({Bytes(64, 0), NestedRoots(9, true)}), 0xFFFFFFFF},
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    (void)info.LoadBlock(row.block.data(), row.block.size());
    EXPECT_EQ(info.ResourceOffset(), row.offset) << row.name;
  }
}

TEST(VersionLoadBlock, EveryPrefixShorterThanTheResourceFails) {
  const Bytes resource = SampleBlock();
  const Bytes block = Joined({Bytes(16, 0x41), resource, Bytes(5, 0x42)});
  NVersionInfo info;
  for (std::size_t size = 1; size <= block.size(); ++size) {
    ASSERT_EQ(info.LoadBlock(block.data(), size), size >= 16 + resource.size()) << size;
  }
}

// Strings from the chosen table, else from the whole tree, binary values included; a
// text ends at its first 0 or its length.
TEST(VersionLoadBlock, StringsAndReset) {
  TestNode zero = VersionStringNode(u"Zero", u"ab");
  zero.m_value[2] = 0;  // 'a', 0, 0
  std::vector<TestNode> strings = SampleStrings();
  strings.insert(strings.end(),
                 {zero, Folder(u"Empty"), {u"Open", {u'x', 0, u'y', 0}, 2, true, {}}});
  const Bytes block = VersionTree(
      0x00010002, 0x00030004, 1,
      {Folder(u"040904b0", strings), Folder(u"040704b0", {VersionStringNode(u"Only", u"de")})});
  NVersionInfo info;
  SetLastError(99);
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(info.FixedInfo()->m_signature, 0xFEEF04BDu);
  EXPECT_EQ(info.FixedInfo()->m_fileDateLS, 0x12345678u);
  const struct {
    std::uint32_t translation;  // 0: none chosen
    const char16_t* key;
    const char16_t* text;
    ErrorCode error;
  } rows[] = {
      {0x040904B0, u"productname", u"Sample Product", 0},
      {0x040904B0, u"Zero", u"a", 0},
      {0x040904B0, u"Empty", u"", 0},
      {0x040904B0, u"Open", u"xy", 0},
      {0x040904B0, u"Only", u"", ERROR_INVALID_PARAMETER},
      {0x040904B0, u"Translation", u"", ERROR_INVALID_PARAMETER},
      {0x040704B0, u"only", u"de", 0},
      {0, u"Only", u"de", 0},
      {0, u"Translation", u"", ERROR_INVALID_DATA},
      {0, u"Missing", u"", ERROR_INVALID_PARAMETER},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(info.SelectTranslation(row.translation != 0 ? row.translation : 0x04070000),
              row.translation != 0);
    EXPECT_EQ(info.Translation(), row.translation);
    SetLastError(55);
    EXPECT_EQ(info.GetString(row.key), row.text) << WideToUtf8(row.key);
    EXPECT_EQ(GetLastError(), row.error) << WideToUtf8(row.key);
  }
  info.Reset();
  EXPECT_TRUE(info.Root() == nullptr && info.FixedInfo() == nullptr);
  EXPECT_EQ(info.StringTable(), nullptr);
  EXPECT_EQ(info.FileCrc(), 0xFFFFFFFFu);
  EXPECT_EQ(info.ResourceOffset(), 0xFFFFFFFFu);
  EXPECT_EQ(info.Translation(), 0x040904B0u);
}

// The default table by its key in any case, else the only one keyed by 8 hex digits.
TEST(VersionLoadBlock, TranslationChoice) {
  const struct {
    std::vector<const char16_t*> tables;
    const char16_t* chosen;  // null: none
  } rows[] = {
      {{u"040904B0"}, u"040904B0"}, {{u"040704b0", u"040904b0"}, u"040904b0"},
      {{u"04070aFf"}, u"04070aFf"}, {{u"040704b0", u"040c04b0"}, nullptr},
      {{u"040704b"}, nullptr},      {{u"040704b00"}, nullptr},
      {{u"0407g4b0"}, nullptr},     {{u"0407G4b0"}, nullptr},
      {{u"0407/4b0"}, nullptr},     {{}, nullptr},
  };
  for (const auto& row : rows) {
    std::vector<TestNode> tables;
    for (const char16_t* key : row.tables) tables.push_back(Folder(key));
    const Bytes block = VersionTree(0x00010000, 0, 0, tables);
    NVersionInfo info;
    const std::string name = row.tables.empty() ? "" : WideToUtf8(row.tables.back());
    EXPECT_EQ(info.LoadBlock(block.data(), block.size()), row.chosen != nullptr) << name;
    EXPECT_NE(info.FixedInfo(), nullptr) << name;
    EXPECT_EQ(info.Translation(), row.chosen != nullptr ? 0x040904B0u : 0u) << name;
    const Item* table = info.StringTable();
    EXPECT_EQ(table != nullptr ? table->Key() : u"", row.chosen != nullptr ? row.chosen : u"");
  }
}

TEST(VersionLoadBlock, FixedInformationNeedsA52ByteBinaryRootValue) {
  for (const auto& [valueLength, text, fixed] : std::initializer_list<std::tuple<int, bool, bool>>{
           {52, false, true}, {26, true, false}, {48, false, false}, {56, false, false}}) {
    TestNode tree = VersionResourceTree(FixedInfoBytes(0x00010000, 0, 0, 0),
                                        {Folder(u"040904b0", SampleStrings())});
    tree.m_valueLength = static_cast<std::uint16_t>(valueLength);
    tree.m_text = text;
    tree.m_value.resize(static_cast<std::size_t>(valueLength) << (text ? 1 : 0));
    const Bytes block = BuildVersionNode(tree);
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(block.data(), block.size())) << valueLength;
    EXPECT_EQ(info.Describe(u"%p"), fixed ? u"Sample Product" : u"<n/a>") << valueLength;
  }
}

TEST(VersionLoadBlock, PeAndElfHeadersNameTheProcessor) {
  const Bytes resource = SampleBlock();
  const auto Elf = [&](std::uint8_t order, std::uint8_t high, std::uint8_t low) {
    Bytes block{0x7F, 'E', 'L', 'F', 2, order};  // EI_DATA: 1 little-endian, 2 big
    block.resize(64, 0);
    block[18] = order == 2 ? high : low;
    block[19] = order == 2 ? low : high;
    return Joined({block, resource});
  };
  const struct {
    const char* name;
    Bytes image;
    bool pe;
    const char16_t* processor;
  } rows[] = {
      {"PE x64", PeImage(0x8664, resource), true, u"x64"},
      {"PE unknown", PeImage(0xAA64, resource), true, u"???"},
      {"no PE signature", PeImage(0x8664, resource, 0x40, 0x4551), false, u""},
      {"PE offset 0", PeImage(0x8664, resource, 0), false, u""},
      {"PE offset negative", PeImage(0x8664, resource, -4), false, u""},
      {"ELF little-endian x86", Elf(1, 0, 3), false, u"x86"},
      {"ELF big-endian ARM64", Elf(2, 0, 183), false, u"ARM64"},
      {"ELF unknown", Elf(1, 1, 3), false, u"???"},
      {"ELF without byte order", Elf(0, 0, 62), false, u""},
      {"ELF with byte order 3", Elf(3, 0, 62), false, u""},
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(row.image.data(), row.image.size())) << row.name;
    EXPECT_EQ(info.Describe(u"[%x]"), u"[" + std::u16string(row.processor) + u"]") << row.name;
    EXPECT_EQ(
        std::equal(info.PeHeaders().begin(), info.PeHeaders().end(), row.image.begin() + 0x40),
        row.pe)
        << row.name;
  }
  // The headers must end before the file does; no MZ, no headers.
  Bytes exact = PeImage(0x8664);
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()) || info.HasPeHeaders());
  exact.push_back(0);
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()));
  EXPECT_TRUE(info.HasPeHeaders());
  exact[0] = 'Z';
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()) || info.HasPeHeaders());
}

TEST(VersionDescribe, Templates) {
  const Bytes block = PeImage(0x01C0, SampleBlock(0x00070002, 0x00030004, 0));
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  const struct {
    const char16_t* format;
    const char16_t* expected;
  } rows[] = {
      {u"%p|%f|%v|%i|%r|%o|%l|%m|%x|%g|%n|%N",
       u"Sample Product|Sample description|1.2.3.4|sample|sample.exe|Sample Maker|"
       u"Copyright (C) Sample Maker|Sample comments|ARM-LE|Release||"},
      // numbers: "%*.*u", 0 counting as 1
      {u"[%5a][%-5a][%3.2a][%-3.2a]", u"[    7][7    ][ 07][07 ]"},
      {u"[%0.0a][%1.5a][%.2b%.2c%.2d]", u"[7][00007][020304]"},
      {u"[%5-a][%2.1.2a]", u"[7    ][000000000007]"},  // '-' anywhere; '.' again goes on
      // texts: padded to the width, never cut, precision ignored
      {u"[%8g][%-8g][%3g][%10.2i][%-10V]",
       u"[ Release][Release ][Release][    sample][7.2.3.4   ]"},
      // anything else stands literally; an unfinished placeholder is dropped
      {u"%%p|%-5.2q!|%P %A|%\u00E9|100%5", u"%%p|%-5.2q!|%P %A|%\u00E9|100"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WideToUtf8(info.Describe(row.format)), WideToUtf8(row.expected))
        << WideToUtf8(row.format);
  }
  // Widths beyond the cap are held at it.
  EXPECT_EQ(info.Describe(u"%99999999999999999999g").size(), NVersionInfo::kMaxFieldWidth);
  EXPECT_EQ(info.Describe(u"%.99999999999999999999a").size(), NVersionInfo::kMaxFieldWidth);

  const Bytes debug = VersionTree(0x00020001, 0, 1, {Folder(u"040904b0")});
  ASSERT_TRUE(info.LoadBlock(debug.data(), debug.size()));
  EXPECT_EQ(info.Describe(u"%g [%p][%3m][%x]"), u"Debug [][   ][]");
  EXPECT_EQ(NVersionInfo{}.Describe(u"text"), u"<n/a>");
}

TEST(VersionDescribe, DottedVersion) {
  const struct {
    std::uint32_t ms, ls;
    const char16_t* dotted;
  } rows[] = {
      {0x00010002, 0x00000000, u"1.2"},
      {0x00010002, 0x00000004, u"1.2.0.4"},
      {0x00000000, 0x00010000, u"0.0.1"},
      {0xFFFFFFFF, 0xFFFFFFFF, u"65535.65535.65535.65535"},
  };
  for (const auto& row : rows) {
    const Bytes block = SampleBlock(row.ms, row.ls);
    NVersionInfo info;
    ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
    EXPECT_EQ(info.Describe(), row.dotted);
    EXPECT_EQ(info.Describe(static_cast<const char16_t*>(nullptr)), row.dotted);
  }
}

}  // namespace
}  // namespace bitvane
