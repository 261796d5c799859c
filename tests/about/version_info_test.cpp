// The version reader on blocks in memory: the node parser, the root search, the
// queries and Describe.

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

// Little-endian 16-bit units: a node header, then whatever follows it.
Bytes Units(const std::vector<std::uint16_t>& units) {
  Bytes out;
  for (std::uint16_t unit : units) AppendU16(out, unit);
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

std::unique_ptr<NVersionInfo> Loaded(const Bytes& block) {
  auto info = std::make_unique<NVersionInfo>();
  EXPECT_TRUE(info->LoadBlock(block.data(), block.size()));
  return info;
}

// Each row: a node and where it ends, 0 when it fails. In turn: length below 3,
// without room for a key, beyond the block; type 2; a key without its 0; a value
// length without room for a value; binary and text values that fit or not; stray
// bytes after the value; a child of 8 bytes; a child longer than its parent.
TEST(VersionParseNode, HeaderKeyAndValueRules) {
  const std::pair<std::vector<std::uint16_t>, std::size_t> rows[] = {
      {{2, 0, 0, 0}, 0},
      {{7, 0, 0, 0}, 0},
      {{10, 0, 0, 0}, 0},
      {{8, 0, 2, 0}, 0},
      {{8, 0, 0, u'K'}, 0},
      {{8, 1, 0, 0}, 0},
      {{12, 4, 0, 0, 1, 2}, 12},
      {{12, 5, 0, 0, 1, 2}, 0},
      {{12, 2, 1, 0, u'a', 0}, 12},
      {{12, 3, 1, 0, u'a', u'b'}, 0},
      {{10, 0, 0, 0, 0}, 0},
      {{16, 0, 0, 0, 8, 0, 0, 0}, 16},
      {{16, 0, 0, 0, 10, 0, 0, 0, 0}, 0}};
  for (const auto& [units, end] : rows) {
    const Bytes bytes = Units(units);
    std::size_t position = 0;
    EXPECT_EQ(NVersionInfo::ParseNode(bytes.data(), bytes.size(), position, nullptr) != nullptr,
              end != 0)
        << ::testing::PrintToString(units);
    EXPECT_EQ(position, end);
  }
  // Null bytes, one byte left, or a position past the block's end read nothing, even
  // where memory holds a node.
  const Bytes node = Units({0, 0, 8, 0, 0, 0});
  for (const auto& [block, size] : {std::pair{node.data(), 5}, {node.data(), 2}, {nullptr, 12}}) {
    std::size_t position = 4;
    EXPECT_EQ(NVersionInfo::ParseNode(block, static_cast<std::size_t>(size), position, nullptr),
              nullptr)
        << size;
  }
}

// Written at every alignment, a tree reads back with its fields, its children in
// order, and each child at a multiple of 4 of the block.
TEST(VersionParseNode, FieldsAndChildrenAtEveryAlignment) {
  const TestNode tree{u"Top", {1, 2, 3}, 3, false, {Folder(u"A"), Folder(u"B", {Folder(u"C")})}};
  for (std::size_t base = 0; base < 8; ++base) {
    SCOPED_TRACE(base);
    const Bytes block = Joined({Bytes(base, 0xEE), BuildVersionNode(tree, base), Bytes{0xEE}});
    std::size_t position = base;
    EXPECT_EQ(NVersionInfo::ParseNode(block.data(), block.size(), position, u"top"), nullptr);
    const auto item = NVersionInfo::ParseNode(block.data(), block.size(), position, u"Top");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(position, block.size() - 1);
    EXPECT_EQ(item->Offset(), base);
    EXPECT_EQ(item->ValueOffset(), (base + 6 + 8 + 3) / 4 * 4 - base);
    EXPECT_EQ(Bytes(item->Value(), item->Value() + item->ValueSize()), (Bytes{1, 2, 3}));
    ASSERT_EQ(item->ChildCount(), 2u);
    const Item* c = item->Child(1)->Child(0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(item->Child(0)->Key() + c->Key(), u"AC");
    EXPECT_EQ(c->Offset() % 4, 0u);
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
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));  // no string table
  ASSERT_NE(info.Root(), nullptr);
  std::size_t levels = 0;
  for (const Item* deepest = info.Root(); deepest->ChildCount() == 1; ++levels) {
    deepest = deepest->Child(0);
  }
  EXPECT_EQ(levels, depth);
  SetU16(block, block.size() - 4, 2);
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(info.Root(), nullptr);
}

TEST(VersionFindChild, DirectChildrenFirstThenSubtreesInOrder) {
  const Bytes block =
      BuildVersionNode(Folder(u"root", {Folder(u"one", {Folder(u"deep", {Folder(u"Target")})}),
                                        Folder(u"two", {Folder(u"TARGET")}), Folder(u"Other")}));
  std::size_t position = 0;
  const auto root = NVersionInfo::ParseNode(block.data(), block.size(), position, nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindChild(u"OTHER", false)->Key(), u"Other");
  EXPECT_EQ(root->FindChild(u"target", false), nullptr);
  // "one" is entered first; its own children hold no target, its subtree does.
  EXPECT_EQ(root->FindChild(u"target", true)->Key(), u"Target");
  EXPECT_EQ(root->FindChild(u"Targe", true), nullptr);
  EXPECT_EQ(root->FindChild(u"\u00D6ther", true), nullptr);  // case folding is ASCII only
}

// The error of each bad block; the CRC is taken before the search. At every fourth
// offset only, a candidate whose tree fails is passed over whole, without losing a
// resource behind it; no prefix shorter than the resource loads.
TEST(VersionLoadBlock, BadArgumentsAndRootSearch) {
  NVersionInfo info;
  for (const auto& [bytes, size, error] :
       {std::tuple<const char*, std::size_t, ErrorCode>{nullptr, 0, ERROR_INVALID_DATA},
        {nullptr, 5, ERROR_INVALID_PARAMETER},
        {"x", std::size_t{1} << 32, ERROR_INVALID_PARAMETER},
        {"xyzw", 4, ERROR_INVALID_DATA}}) {
    SetLastError(0);
    EXPECT_FALSE(info.LoadBlock(bytes, size));
    EXPECT_EQ(GetLastError(), error) << size;
  }
  EXPECT_EQ(info.FileCrc(), 0xCF5E7153u);
  const Bytes sample = SampleBlock();
  for (const auto& [block, offset] :
       {std::pair{Joined({Bytes(4, 0), sample}), 4u},
        {Joined({Bytes(2, 0), sample}), NVersionInfo::kNotLoaded},
        {Joined({NestedRoots(150, true), sample}), 6000u},
        {Joined({NestedRoots(5, true), NestedRoots(5, false)}), 200u},
        {Joined({Bytes(64, 0), NestedRoots(9, true)}), 0xFFFFFFFFu}}) {
    (void)info.LoadBlock(block.data(), block.size());
    EXPECT_EQ(info.ResourceOffset(), offset) << block.size();
  }
  const Bytes block = Joined({Bytes(16, 0x41), sample, Bytes(5, 0x42)});
  for (std::size_t size = 1; size <= block.size(); ++size) {
    ASSERT_EQ(info.LoadBlock(block.data(), size), size >= 16 + sample.size()) << size;
  }
}

// Strings from the chosen table, else from the whole tree; a text ends at its first 0
// or its length; binary values are no text.
TEST(VersionLoadBlock, StringsAndReset) {
  TestNode zero = VersionStringNode(u"Zero", u"ab");
  zero.m_value[2] = 0;  // 'a', 0, 0
  std::vector<TestNode> strings = SampleStrings();
  strings.insert(strings.end(), {zero, {u"Open", {u'x', 0, u'y', 0}, 2, true, {}}});
  const auto info = Loaded(VersionTree(
      0x00010002, 0x00030004, 1,
      {Folder(u"040904b0", strings), Folder(u"040704b0", {VersionStringNode(u"Only", u"de")})}));
  // translation (0: none chosen), key, text, error
  for (const auto& [translation, key, text, error] :
       {std::tuple<std::uint32_t, const char16_t*, const char16_t*, ErrorCode>{
            0x040904B0, u"productname", u"Sample Product", 0},
        {0x040904B0, u"Zero", u"a", 0},
        {0x040904B0, u"Open", u"xy", 0},
        {0x040904B0, u"Only", u"", ERROR_INVALID_PARAMETER},
        {0x040704B0, u"only", u"de", 0},
        {0, u"Only", u"de", 0},
        {0, u"Translation", u"", ERROR_INVALID_DATA}}) {
    EXPECT_EQ(info->SelectTranslation(translation != 0 ? translation : 0x04070000),
              translation != 0);
    EXPECT_EQ(info->Translation(), translation);
    SetLastError(55);
    EXPECT_EQ(info->GetString(key), text) << WideToUtf8(key);
    EXPECT_EQ(GetLastError(), error) << WideToUtf8(key);
  }
  info->Reset();
  EXPECT_TRUE(info->Root() == nullptr && info->FixedInfo() == nullptr);
  EXPECT_EQ(info->FileCrc(), 0xFFFFFFFFu);
  EXPECT_EQ(info->Translation(), 0x040904B0u);
  EXPECT_EQ(info->GetString(u"ProductName"), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

// The default table by its key in any case, else the only one keyed by 8 hex digits.
TEST(VersionLoadBlock, TranslationChoice) {
  const std::pair<std::vector<const char16_t*>, const char16_t*> rows[] = {
      {{u"040904B0"}, u"040904B0"}, {{u"040704b0", u"040904b0"}, u"040904b0"},
      {{u"04070aFf"}, u"04070aFf"}, {{u"040704b0", u"040c04b0"}, nullptr},
      {{u"040704b"}, nullptr},      {{u"040704b00"}, nullptr},
      {{u"0407g4b0"}, nullptr},     {{u"0407G4b0"}, nullptr},
      {{u"0407/4b0"}, nullptr},     {{}, nullptr}};
  for (const auto& [keys, chosen] : rows) {
    std::vector<TestNode> tables;
    for (const char16_t* key : keys) tables.push_back(Folder(key));
    const Bytes block = VersionTree(0x00010000, 0, 0, tables);
    NVersionInfo info;
    EXPECT_EQ(info.LoadBlock(block.data(), block.size()), chosen != nullptr) << keys.size();
    EXPECT_EQ(info.Translation(), chosen != nullptr ? 0x040904B0u : 0u);
    const Item* table = info.StringTable();
    EXPECT_EQ(table != nullptr ? table->Key() : u"", chosen != nullptr ? chosen : u"");
  }
}

TEST(VersionLoadBlock, FixedInformationNeedsA52ByteBinaryRootValue) {
  for (const auto& [valueLength, text, fixed] :
       {std::tuple{52, false, true}, {26, true, false}, {48, false, false}, {56, false, false}}) {
    TestNode tree = VersionResourceTree(FixedInfoBytes(0x00010000, 0, 0, 0),
                                        {Folder(u"040904b0", SampleStrings())});
    tree.m_valueLength = static_cast<std::uint16_t>(valueLength);
    tree.m_text = text;
    tree.m_value.resize(static_cast<std::size_t>(valueLength) << (text ? 1 : 0));
    EXPECT_EQ(Loaded(BuildVersionNode(tree))->Describe(u"%p"), fixed ? u"Sample Product" : u"<n/a>")
        << valueLength;
  }
}

// PE headers (their offset > 0 at 60, the signature there, ending before the file) or
// an ELF header with either byte order; machine codes unknown show as "???". Each
// row: a 16-bit value written into the PE x64 or the big-endian ELF image, and %x.
TEST(VersionLoadBlock, PeAndElfHeadersNameTheProcessor) {
  const Bytes resource = SampleBlock();
  const Bytes pe = PeImage(0x8664, resource);
  const Bytes elf =
      Joined({{0x7F, 'E', 'L', 'F', 2, 2}, Bytes(12, 0), {62, 0}, Bytes(44, 0), resource});
  const struct {
    bool elf;
    std::size_t at;
    std::uint16_t value;
    const char16_t* processor;
  } rows[] = {{false, 0, 0x5A4D, u"x64"},   {false, 0x44, 0xAA64, u"???"},
              {false, 0x40, 0x4551, u""},   {false, 60, 0, u""},
              {false, 62, 0x8000, u""},     {true, 0, 0x457F, u"???"},
              {true, 18, 0xB700, u"ARM64"}, {true, 4, 0x0102, u"x64"},
              {true, 4, 0x0002, u""},       {true, 4, 0x0302, u""}};
  for (const auto& row : rows) {
    Bytes image = row.elf ? elf : pe;
    SetU16(image, row.at, row.value);
    EXPECT_EQ(Loaded(image)->Describe(u"[%x]"), u"[" + std::u16string(row.processor) + u"]")
        << row.elf << " " << row.at;
  }
  Bytes exact = PeImage(0x8664);
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()) || info.HasPeHeaders());
  exact.push_back(0);
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()));
  EXPECT_TRUE(std::equal(info.PeHeaders().begin(), info.PeHeaders().end(), exact.begin() + 0x40));
}

TEST(VersionDescribe, Templates) {
  const auto sample = Loaded(PeImage(0x01C0, SampleBlock(0x00070002, 0x00030004, 0)));
  const auto debug = Loaded(VersionTree(0x00010002, 0, 1, {Folder(u"040904b0")}));
  const auto odd = Loaded(SampleBlock(0, 0x00010000));
  const auto wide = Loaded(SampleBlock(0xFFFFFFFF, 4));
  const NVersionInfo none;
  for (const auto& [info, format, expected] :
       std::initializer_list<std::tuple<const NVersionInfo*, const char16_t*, const char16_t*>>{
           {sample.get(), u"%p|%f|%v|%i|%r|%o|%l|%m|%x|%g|%n|%N",
            u"Sample Product|Sample description|1.2.3.4|sample|sample.exe|Sample Maker|"
            u"Copyright (C) Sample Maker|Sample comments|ARM-LE|Release||"},
           // numbers: "%*.*u", 0 counting as 1; '-' anywhere, '.' again goes on
           {sample.get(), u"[%5a][%-5a][%3.2a][%-3.2a]", u"[    7][7    ][ 07][07 ]"},
           {sample.get(), u"[%0.0a][%1.5a][%.2b%.2c%.2d]", u"[7][00007][020304]"},
           {sample.get(), u"[%5-a][%2.1.2a]", u"[7    ][000000000007]"},
           // texts: padded to the width, never cut, precision ignored
           {sample.get(), u"[%8g][%-8g][%3g][%10.2i][%-10V]",
            u"[ Release][Release ][Release][    sample][7.2.3.4   ]"},
           // anything else stands literally; an unfinished placeholder is dropped
           {sample.get(), u"%%p|%-5.2q!|%P %A|%\u00E9|100%5", u"%%p|%-5.2q!|%P %A|%\u00E9|100"},
           {debug.get(), u"%g [%p][%3m][%x] %V", u"Debug [][   ][] 1.2"},
           {odd.get(), nullptr, u"0.0.1"},
           {wide.get(), u"%V", u"65535.65535.0.4"},
           {&none, u"text", u"<n/a>"}}) {
    EXPECT_EQ(WideToUtf8(info->Describe(format)), WideToUtf8(expected));
  }
  // Widths beyond the cap are held at it.
  EXPECT_EQ(sample->Describe(u"%99999999999999999999g").size(), NVersionInfo::kMaxFieldWidth);
  EXPECT_EQ(sample->Describe(u"%.99999999999999999999a").size(), NVersionInfo::kMaxFieldWidth);
}

}  // namespace
}  // namespace bitvane
