#include "about/version_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/crc32.h"
#include "platform/last_error.h"
#include "tests/about/version_block_builder.h"

namespace bitvane {
namespace {

using namespace bitvane::testing;

// A node header followed by raw UTF-16 units.
Bytes Raw(std::uint16_t length, std::uint16_t valueLength, std::uint16_t type,
          std::vector<std::uint16_t> units, std::size_t total = 0) {
  Bytes out;
  AppendU16(out, length);
  AppendU16(out, valueLength);
  AppendU16(out, type);
  for (std::uint16_t unit : units) AppendU16(out, unit);
  if (out.size() < total) out.resize(total, 0);
  return out;
}

TEST(VersionParseNode, HeaderKeyAndValueRules) {
  struct Row {
    const char* name;
    Bytes bytes;
    bool ok;
  };
  const Row rows[] = {
      {"smallest node: empty key, no value", Raw(8, 0, 0, {0}), true},
      {"length below 3", Raw(2, 0, 0, {0}), false},
      {"length 7 leaves no room for a key", Raw(7, 0, 0, {0}), false},
      {"length beyond the block", Raw(10, 0, 0, {0}), false},
      {"type 2", Raw(8, 0, 2, {0}), false},
      {"type 1 without a value", Raw(8, 0, 1, {0}), true},
      {"key without its 0", Raw(8, 0, 0, {u'K'}), false},
      {"key K", Raw(12, 0, 0, {u'K', 0}, 12), true},
      {"value length but no room for a value", Raw(8, 1, 0, {0}), false},
      {"binary value of 4 bytes", Raw(12, 4, 0, {0, 1, 2}), true},
      {"binary value one byte too long", Raw(12, 5, 0, {0, 1, 2}), false},
      {"text value of 2 characters", Raw(12, 2, 1, {0, u'a', 0}), true},
      {"text value of 3 characters overruns", Raw(12, 3, 1, {0, u'a', u'b'}), false},
      {"3 bytes of value, padding to the end", Raw(12, 3, 0, {0, 1, 2}), true},
      {"2 stray bytes after the value", Raw(10, 0, 0, {0, 0}), false},
      {"1 stray byte after the value", Raw(9, 0, 0, {0}, 9), false},
      {"6 stray bytes that are no node", Raw(14, 0, 0, {0, 0, 0, 0}), false},
      {"child of 8 bytes", Raw(16, 0, 0, {0, 8, 0, 0, 0}), true},
      {"child longer than its parent", Raw(16, 0, 0, {0, 10, 0, 0, 0, 0}, 18), false},
      {"block of 1 byte", Bytes{8}, false},
  };
  for (const Row& row : rows) {
    std::size_t position = 0;
    const auto item =
        NVersionInfo::ParseNode(row.bytes.data(), row.bytes.size(), position, nullptr);
    EXPECT_EQ(item != nullptr, row.ok) << row.name;
    EXPECT_EQ(position, row.ok ? GetU16(row.bytes, 0) : 0u) << row.name;
  }
  std::size_t position = 0;
  EXPECT_EQ(NVersionInfo::ParseNode(nullptr, 8, position, nullptr), nullptr);
}

TEST(VersionParseNode, RecordsFieldsAndChildrenInOrder) {
  Bytes block(4, 0xEE);  // the node lies at offset 4
  const TestNode tree{
      u"Top",
      {1, 2, 3},
      3,
      false,
      {StringNode(u"A", u"x"), StringNode(u"B", u""), TestNode{u"C", {}, 0, false, {}}}};
  const Bytes node = BuildNode(tree, 4);
  block.insert(block.end(), node.begin(), node.end());
  block.push_back(0xEE);

  std::size_t position = 4;
  const auto item = NVersionInfo::ParseNode(block.data(), block.size(), position, u"Top");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(position, 4 + node.size());
  EXPECT_EQ(item->Offset(), 4u);
  EXPECT_EQ(item->Length(), node.size());
  EXPECT_EQ(item->ValueLength(), 3u);
  EXPECT_EQ(item->ValueOffset(), 16u);  // 4 + 6 header bytes + "Top\0" = 18, rounded to 20
  EXPECT_FALSE(item->IsText());
  EXPECT_EQ(item->Key(), u"Top");
  ASSERT_EQ(item->ValueSize(), 3u);
  EXPECT_EQ(Bytes(item->Value(), item->Value() + 3), (Bytes{1, 2, 3}));
  ASSERT_EQ(item->ChildCount(), 3u);
  EXPECT_EQ(item->Child(0)->Key(), u"A");
  EXPECT_TRUE(item->Child(0)->IsText());
  EXPECT_EQ(item->Child(0)->ValueSize(), 4u);
  EXPECT_EQ(item->Child(1)->Key(), u"B");
  EXPECT_EQ(item->Child(2)->Key(), u"C");
  EXPECT_EQ(item->Child(2)->Value(), nullptr);
  EXPECT_EQ(item->Child(2)->ValueOffset(), 0u);
  EXPECT_EQ(item->Child(3), nullptr);

  // The expected key compares exactly.
  position = 4;
  EXPECT_EQ(NVersionInfo::ParseNode(block.data(), block.size(), position, u"top"), nullptr);
  EXPECT_EQ(position, 4u);
}

TEST(VersionParseNode, DeepNestingNeedsNoDeepStack) {
  // A chain of empty nodes, each the only child of the one before: 8 bytes a level,
  // as deep as the 16-bit length allows, under the root key.
  const std::u16string rootKey = NVersionInfo::RootKey();
  const std::size_t header = (6 + 2 * (rootKey.size() + 1) + 3) / 4 * 4;
  const std::size_t depth = (65532 - header) / 8;
  Bytes block = BuildNode(TestNode{rootKey, {}, 0, false, {}});
  block.resize(header);
  for (std::size_t level = 0; level < depth; ++level) {
    for (std::uint16_t unit : {static_cast<std::uint16_t>(8 * (depth - level)), std::uint16_t{0},
                               std::uint16_t{0}, std::uint16_t{0}}) {
      AppendU16(block, unit);
    }
  }
  SetU16(block, 0, static_cast<std::uint16_t>(block.size()));

  std::size_t position = 0;
  const auto item = NVersionInfo::ParseNode(block.data(), block.size(), position, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(position, block.size());
  const NVersionInfo::NVIItem* deepest = item.get();
  std::size_t levels = 0;
  while (deepest->ChildCount() == 1) {
    deepest = deepest->Child(0);
    ++levels;
  }
  EXPECT_EQ(levels, depth);
  EXPECT_EQ(item->FindChild(u"missing", true), nullptr);

  // The same tree as a file's root; the innermost node then made unreadable, which
  // must fail every level above it.
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));  // no string table
  ASSERT_NE(info.Root(), nullptr);
  SetU16(block, block.size() - 4, 2);
  EXPECT_FALSE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(info.Root(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

TEST(VersionFindChild, DirectChildrenFirstThenSubtreesInOrder) {
  // first: a (b (target#1)), second: target#2 at depth 1 would win a direct search,
  // so put the direct candidates one level down in both branches.
  const TestNode tree{
      u"root",
      {},
      0,
      true,
      {TestNode{
           u"one", {}, 0, true, {TestNode{u"deep", {}, 0, true, {StringNode(u"Target", u"1")}}}},
       TestNode{u"two", {}, 0, true, {StringNode(u"TARGET", u"2")}}, StringNode(u"Other", u"o")}};
  const Bytes block = BuildNode(tree);
  std::size_t position = 0;
  const auto root = NVersionInfo::ParseNode(block.data(), block.size(), position, nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindChild(u"OTHER", false)->Key(), u"Other");
  EXPECT_EQ(root->FindChild(u"target", false), nullptr);
  // "one" is entered first, but its own children hold no target; its subtree does.
  const NVersionInfo::NVIItem* hit = root->FindChild(u"target", true);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->Key(), u"Target");
  EXPECT_EQ(root->FindChild(u"deep", true)->Key(), u"deep");
  EXPECT_EQ(root->FindChild(u"Targe", true), nullptr);
  // Case folding is ASCII only.
  EXPECT_EQ(root->FindChild(u"\u00D6ther", true), nullptr);
}

TEST(VersionLoadBlock, EmptyObjectAndBadArguments) {
  NVersionInfo info;
  EXPECT_EQ(info.FileCrc(), 0xFFFFFFFFu);
  EXPECT_EQ(info.ResourceOffset(), 0xFFFFFFFFu);
  EXPECT_EQ(info.Translation(), 0x040904B0u);
  EXPECT_EQ(info.Root(), nullptr);
  EXPECT_EQ(info.Describe(), u"<n/a>");

  const struct {
    const void* bytes;
    std::size_t size;
    ErrorCode error;
  } rows[] = {
      {nullptr, 0, ERROR_INVALID_DATA},
      {"x", 0, ERROR_INVALID_DATA},
      {nullptr, 5, ERROR_INVALID_PARAMETER},
      {"xyzw", 4, ERROR_INVALID_DATA},
  };
  for (const auto& row : rows) {
    SetLastError(0);
    EXPECT_FALSE(info.LoadBlock(row.bytes, row.size));
    EXPECT_EQ(GetLastError(), row.error) << row.size;
  }
  EXPECT_EQ(info.FileCrc(), 0xCF5E7153u);  // CRC-32 of "xyzw": taken before the search
  SetLastError(77);
  EXPECT_TRUE(info.GetString(u"ProductName").empty());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_FALSE(info.SelectTranslation(0x040904B0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(info.Translation(), 0u);
}

TEST(VersionLoadBlock, RootSearchAtEveryFourthOffsetOnly) {
  const Bytes resource = SampleBlock();
  for (std::size_t lead = 0; lead <= 12; ++lead) {
    Bytes block(lead, 0);
    block.insert(block.end(), resource.begin(), resource.end());
    NVersionInfo info;
    const bool loaded = info.LoadBlock(block.data(), block.size());
    EXPECT_EQ(loaded, lead % 4 == 0) << lead;
    EXPECT_EQ(info.ResourceOffset(), lead % 4 == 0 ? lead : 0xFFFFFFFFu) << lead;
    if (lead % 4 != 0) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    }
  }
}

// Root-key nodes `depth` deep, each the only child of the one before; the innermost
// made unreadable when `broken`.
Bytes NestedRoots(std::size_t depth, bool broken) {
  TestNode node{NVersionInfo::RootKey(), {}, 0, true, {}};
  for (std::size_t level = 1; level < depth; ++level) {
    node = TestNode{NVersionInfo::RootKey(), {}, 0, true, {std::move(node)}};
  }
  Bytes bytes = BuildNode(node);
  if (broken) {
    SetU16(bytes, bytes.size() - 40 + 4, 2);  // the innermost node's type: 40 bytes a level
  }
  return bytes;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The root search as every fourth offset parsed in full: slow, but plainly right.
std::uint32_t EveryOffsetSearch(const Bytes& block) {
  for (std::size_t offset = 0; offset < block.size(); offset += 4) {
    std::size_t position = offset;
    if (NVersionInfo::ParseNode(block.data(), block.size(), position, NVersionInfo::RootKey()) !=
        nullptr) {
      return static_cast<std::uint32_t>(offset);
    }
  }
  return NVersionInfo::kNotLoaded;
}

TEST(VersionLoadBlock, NestedRootKeysGiveTheEveryOffsetAnswer) {
  const Bytes sample = SampleBlock();
  const struct {
    const char* name;
    Bytes block;
    std::uint32_t offset;  // where the root is found
  } rows[] = {
      {"broken chain", NestedRoots(150, true), NVersionInfo::kNotLoaded},
      {"sound chain", NestedRoots(150, false), 0},
      {"broken chain, then a resource", Joined({NestedRoots(150, true), sample}), 6000},
      {"broken chains around a resource",
       Joined({NestedRoots(40, true), sample, NestedRoots(40, true)}), 1600},
      {"broken chain, then a sound one", Joined({NestedRoots(5, true), NestedRoots(5, false)}),
       200},
      {"zeros, then a broken chain", Joined({Bytes(64, 0), NestedRoots(9, true)}),
       NVersionInfo::kNotLoaded},
  };
  for (const auto& row : rows) {
    NVersionInfo info;
    (void)info.LoadBlock(row.block.data(), row.block.size());
    EXPECT_EQ(info.ResourceOffset(), row.offset) << row.name;
    EXPECT_EQ(info.ResourceOffset(), EveryOffsetSearch(row.block)) << row.name;
  }
}

TEST(VersionLoadBlock, EveryPrefixShorterThanTheResourceFails) {
  Bytes block(16, 0x41);
  const Bytes resource = SampleBlock();
  block.insert(block.end(), resource.begin(), resource.end());
  block.insert(block.end(), 5, 0x42);
  NVersionInfo info;
  for (std::size_t size = 1; size <= block.size(); ++size) {
    const bool loaded = info.LoadBlock(block.data(), size);
    ASSERT_EQ(loaded, size >= 16 + resource.size()) << size;
    if (!loaded) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    }
  }
}

TEST(VersionLoadBlock, QueriesOnASampleResource) {
  Bytes block = SampleBlock(0x00010002, 0x00030004, 1);
  NVersionInfo info;
  SetLastError(99);
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(info.ResourceOffset(), 0u);
  EXPECT_TRUE(info.Path().empty());
  EXPECT_EQ(info.FileCrc(), Crc32(block.data(), block.size()));
  ASSERT_NE(info.FixedInfo(), nullptr);
  EXPECT_EQ(info.FixedInfo()->m_signature, 0xFEEF04BDu);
  EXPECT_EQ(info.FixedInfo()->m_productVersionMS, 0x00010002u);
  EXPECT_EQ(info.FixedInfo()->m_fileFlags, 1u);
  EXPECT_EQ(info.FixedInfo()->m_fileDateLS, 0x12345678u);
  ASSERT_NE(info.StringTable(), nullptr);
  EXPECT_EQ(info.StringTable()->Key(), u"040904b0");
  EXPECT_EQ(info.Translation(), 0x040904B0u);
  EXPECT_FALSE(info.HasPeHeaders());
  EXPECT_FALSE(info.IsElfImage());
  EXPECT_EQ(info.ProcessorName(), u"");

  const struct {
    const char16_t* key;
    const char16_t* text;
    ErrorCode error;
  } rows[] = {
      {u"ProductName", u"Sample Product", 0},
      {u"productname", u"Sample Product", 0},
      {u"Comments", u"Sample comments", 0},
      {u"FileVersion", u"1.2.3.4", 0},
      {u"Missing", u"", ERROR_INVALID_PARAMETER},
      {u"Translation", u"", ERROR_INVALID_PARAMETER},  // not in the chosen table
      {u"", u"", ERROR_INVALID_PARAMETER},
  };
  for (const auto& row : rows) {
    SetLastError(55);
    EXPECT_EQ(info.GetString(row.key), row.text) << std::string(row.key, row.key + 3);
    EXPECT_EQ(GetLastError(), row.error);
  }
  info.Reset();
  EXPECT_EQ(info.Root(), nullptr);
  EXPECT_EQ(info.FixedInfo(), nullptr);
  EXPECT_EQ(info.StringTable(), nullptr);
  EXPECT_EQ(info.FileCrc(), 0xFFFFFFFFu);
  EXPECT_EQ(info.ResourceOffset(), 0xFFFFFFFFu);
}

TEST(VersionLoadBlock, StringValuesAndTheWholeTreeSearch) {
  TestNode zeroInside = StringNode(u"Zero", u"ab");  // units 'a', 'b', 0
  zeroInside.m_value[2] = 0;                         // now 'a', 0, 0
  const TestNode empty{u"Empty", {}, 0, true, {}};
  const TestNode unterminated{u"Open", {u'x', 0, u'y', 0}, 2, true, {}};
  const std::vector<TestNode> strings{zeroInside, empty, unterminated};
  const Bytes block =
      BuildNode(VersionTree(0x00010000, 0, 0, {StringTableNode(u"040904b0", strings)}));
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  SetLastError(5);
  EXPECT_EQ(info.GetString(u"Zero"), u"a");
  EXPECT_EQ(GetLastError(), 0u);
  SetLastError(5);
  EXPECT_EQ(info.GetString(u"Empty"), u"");
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(info.GetString(u"Open"), u"xy");

  // Two tables for other languages: no table is chosen, and the whole tree is
  // searched, the binary Translation value included.
  const Bytes two =
      BuildNode(VersionTree(0x00010000, 0, 0,
                            {StringTableNode(u"040704b0", {StringNode(u"Only", u"de")}),
                             StringTableNode(u"040c04b0", strings)}));
  EXPECT_FALSE(info.LoadBlock(two.data(), two.size()));
  EXPECT_EQ(info.StringTable(), nullptr);
  EXPECT_EQ(info.GetString(u"Zero"), u"a");
  EXPECT_EQ(info.GetString(u"only"), u"de");
  EXPECT_EQ(info.GetString(u"Translation"), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(info.GetString(u"Missing"), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(VersionLoadBlock, TranslationChoice) {
  const auto Table = [](const char16_t* key) {
    return StringTableNode(key, {StringNode(u"ProductName", key)});
  };
  const struct {
    const char* name;
    std::vector<TestNode> tables;
    bool loaded;
    const char16_t* product;
  } rows[] = {
      {"exact key", {Table(u"040904b0")}, true, u"040904b0"},
      {"key in capitals", {Table(u"040904B0")}, true, u"040904B0"},
      {"exact key among others", {Table(u"040704b0"), Table(u"040904b0")}, true, u"040904b0"},
      {"one other language", {Table(u"040704B0")}, true, u"040704B0"},
      {"two other languages", {Table(u"040704b0"), Table(u"040c04b0")}, false, u""},
      {"one table, 7 digits", {Table(u"040704b")}, false, u""},
      {"one table, 9 digits", {Table(u"040704b00")}, false, u""},
      {"one table, not hex", {Table(u"0407g4b0")}, false, u""},
      {"no table", {}, false, u""},
  };
  for (const auto& row : rows) {
    const Bytes block = BuildNode(VersionTree(0x00010000, 0, 0, row.tables));
    NVersionInfo info;
    EXPECT_EQ(info.LoadBlock(block.data(), block.size()), row.loaded) << row.name;
    EXPECT_NE(info.Root(), nullptr) << row.name;
    EXPECT_NE(info.FixedInfo(), nullptr) << row.name;
    EXPECT_EQ(info.Translation(), row.loaded ? 0x040904B0u : 0u) << row.name;
    if (!row.loaded) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << row.name;
      continue;
    }
    EXPECT_EQ(info.GetString(u"ProductName"), row.product) << row.name;
  }

  // Choosing another table later.
  const Bytes block =
      BuildNode(VersionTree(0x00010000, 0, 0, {Table(u"040704b0"), Table(u"040904b0")}));
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  EXPECT_TRUE(info.SelectTranslation(0x040704B0));
  EXPECT_EQ(info.Translation(), 0x040704B0u);
  EXPECT_EQ(info.GetString(u"ProductName"), u"040704b0");
}

TEST(VersionLoadBlock, FixedInformationNeedsA52ByteBinaryRootValue) {
  const struct {
    std::uint16_t valueLength;
    bool text;
    std::size_t bytes;
    bool fixed;
  } rows[] = {{52, false, 52, true},
              {26, true, 52, false},
              {48, false, 48, false},
              {56, false, 56, false},
              {0, false, 0, false}};
  for (const auto& row : rows) {
    TestNode tree = VersionTree(0x00010000, 0, 0, {StringTableNode(u"040904b0", SampleStrings())});
    tree.m_valueLength = row.valueLength;
    tree.m_text = row.text;
    tree.m_value.resize(row.bytes);
    const Bytes block = BuildNode(tree);
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(block.data(), block.size())) << row.valueLength;
    EXPECT_EQ(info.FixedInfo() != nullptr, row.fixed) << row.valueLength;
    if (!row.fixed) {
      EXPECT_EQ(info.Describe(u"%p"), u"<n/a>");
    }
  }
}

// A 264-byte PE header area behind a DOS header, then the resource.
Bytes PeImage(std::uint16_t machine, std::int32_t peOffset = 0x40,
              std::uint32_t signature = 0x4550) {
  Bytes image(0x40 + 264, 0);
  image[0] = 'M';
  image[1] = 'Z';
  for (int i = 0; i < 4; ++i)
    image[60 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(peOffset) >> (8 * i));
  for (int i = 0; i < 4; ++i) image[0x40 + i] = static_cast<std::uint8_t>(signature >> (8 * i));
  SetU16(image, 0x44, machine);
  return image;
}

TEST(VersionLoadBlock, PeHeadersAndProcessor) {
  const Bytes resource = SampleBlock();
  const struct {
    const char* name;
    Bytes image;
    bool headers;
    const char16_t* processor;
  } rows[] = {
      {"x64", PeImage(0x8664), true, u"x64"},
      {"x86", PeImage(0x014C), true, u"x86"},
      {"ARM", PeImage(0x01C0), true, u"ARM-LE"},
      {"unknown machine", PeImage(0xAA64), true, u"???"},
      {"no PE signature", PeImage(0x8664, 0x40, 0x4551), false, u""},
      {"offset 0", PeImage(0x8664, 0), false, u""},
      {"negative offset", PeImage(0x8664, -4), false, u""},
  };
  for (const auto& row : rows) {
    Bytes block = row.image;
    block.insert(block.end(), resource.begin(), resource.end());
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(block.data(), block.size())) << row.name;
    EXPECT_EQ(info.HasPeHeaders(), row.headers) << row.name;
    EXPECT_EQ(info.ProcessorName(), row.processor) << row.name;
    EXPECT_EQ(info.Describe(u"[%x]"), u"[" + std::u16string(row.processor) + u"]") << row.name;
    if (row.headers) {
      EXPECT_TRUE(
          std::equal(info.PeHeaders().begin(), info.PeHeaders().end(), block.begin() + 0x40));
    } else {
      for (std::uint8_t byte : info.PeHeaders()) ASSERT_EQ(byte, 0) << row.name;
    }
  }
  // The headers must end before the file does; a file of 64 bytes or less has none.
  Bytes exact = PeImage(0x8664);
  NVersionInfo info;
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()));
  EXPECT_FALSE(info.HasPeHeaders());
  exact.push_back(0);
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()));
  EXPECT_TRUE(info.HasPeHeaders());
  // No MZ: nothing.
  exact[0] = 'Z';
  EXPECT_FALSE(info.LoadBlock(exact.data(), exact.size()));
  EXPECT_FALSE(info.HasPeHeaders());
}

TEST(VersionLoadBlock, ElfMachine) {
  const Bytes resource = SampleBlock();
  const struct {
    std::uint8_t data;  // EI_DATA: 1 little-endian, 2 big-endian
    std::uint16_t machine;
    bool elf;
    const char16_t* processor;
  } rows[] = {
      {1, 62, true, u"x64"},    {1, 3, true, u"x86"},   {1, 40, true, u"ARM-LE"},
      {1, 183, true, u"ARM64"}, {1, 243, true, u"???"}, {2, 40, true, u"ARM-LE"},
      {2, 183, true, u"ARM64"}, {0, 62, false, u""},    {3, 62, false, u""},
  };
  for (const auto& row : rows) {
    Bytes block(64, 0);
    block[0] = 0x7F;
    block[1] = 'E';
    block[2] = 'L';
    block[3] = 'F';
    block[4] = 2;
    block[5] = row.data;
    if (row.data == 2) {
      block[18] = static_cast<std::uint8_t>(row.machine >> 8);
      block[19] = static_cast<std::uint8_t>(row.machine);
    } else {
      SetU16(block, 18, row.machine);
    }
    block.insert(block.end(), resource.begin(), resource.end());
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(block.data(), block.size()));
    EXPECT_EQ(info.IsElfImage(), row.elf) << row.machine;
    EXPECT_FALSE(info.HasPeHeaders());
    EXPECT_EQ(info.ProcessorName(), row.processor) << row.machine;
    EXPECT_EQ(info.Describe(u"%x"), row.processor) << row.machine;
  }
}

TEST(VersionMachineNames, Tables) {
  const struct {
    std::uint16_t code;
    const char16_t* name;
  } pe[] = {{0x014C, u"x86"},           {0x0160, u"MIPS R3000-BE"}, {0x01A3, u"Hitachi SH3 DSP"},
            {0x01C4, u"Thumb2-LE"},     {0x0200, u"Intel IA64"},    {0x0CEF, u"CEF"},
            {0x0EBC, u"EFI Byte Code"}, {0x8664, u"x64"},           {0x9041, u"Mitsubishi M32R-LE"},
            {0xC0EE, u"clr pure MSIL"}, {0x0000, u"???"},           {0xAA64, u"???"}};
  for (const auto& row : pe) EXPECT_EQ(std::u16string(MachineName(row.code)), row.name) << row.code;
  int known = 0;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    known += std::u16string(MachineName(static_cast<std::uint16_t>(code))) != u"???";
  }
  EXPECT_EQ(known, 30);
  EXPECT_EQ(std::u16string(ElfMachineName(62)), u"x64");
  EXPECT_EQ(std::u16string(ElfMachineName(0)), u"???");
}

}  // namespace
}  // namespace bitvane
