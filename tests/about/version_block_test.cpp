// The writer of version-resource bytes against the reader: exact bytes of a small
// node, trees placed at every alignment, and a whole resource's fixed block.

#include "res/version/version_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/version_info.h"

namespace bitvane {
namespace {

using Item = NVersionInfo::NVIItem;

TEST(VersionBlock, NodeBytesAndPadding) {
  const struct {
    const char* name;
    VersionNode node;
    std::size_t base;
    VersionBytes bytes;
  } rows[] = {
      {"text node",
       VersionStringNode(u"K", u"ab"),
       0,
       {18, 0, 3, 0, 1, 0, 'K', 0, 0, 0, 0, 0, 'a', 0, 'b', 0, 0, 0}},
      {"padding counts from the block",
       VersionStringNode(u"K", u""),
       2,
       {12, 0, 1, 0, 1, 0, 'K', 0, 0, 0, 0, 0}},
      {"binary value, child padded",
       VersionNode{u"", {7}, 1, false, {VersionNode{u"", {}, 0, false, {}}}},
       0,
       {20, 0, 1, 0, 0, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(BuildVersionNode(row.node, row.base), row.bytes) << row.name;
  }
  // wLength keeps the low 16 bits of a node too long for it.
  const VersionBytes big = BuildVersionNode(VersionNode{u"", VersionBytes(70000, 1), 0, false, {}});
  EXPECT_EQ(big.size(), 70008u);
  EXPECT_EQ(big[0] | big[1] << 8, 70008 & 0xFFFF);
}

TEST(VersionBlock, TreesReadBackAtEveryAlignment) {
  const VersionNode tree{u"Top",
                         {1, 2, 3},
                         3,
                         false,
                         {VersionStringNode(u"A", u"xyz"),
                          VersionNode{u"Bb", {}, 0, true, {VersionStringNode(u"C", u"")}}}};
  for (std::size_t base = 0; base < 8; ++base) {
    VersionBytes block(base, 0xEE);
    const VersionBytes node = BuildVersionNode(tree, base);
    block.insert(block.end(), node.begin(), node.end());
    std::size_t position = base;
    const auto item = NVersionInfo::ParseNode(block.data(), block.size(), position, u"Top");
    ASSERT_NE(item, nullptr) << base;
    EXPECT_EQ(position, block.size()) << base;
    ASSERT_EQ(item->ChildCount(), 2u) << base;
    const Item* a = item->Child(0);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(a->Value()), 3), u"xyz") << base;
    EXPECT_EQ(a->ValueLength(), 4u) << base;
    const Item* c = item->Child(1)->Child(0);
    ASSERT_NE(c, nullptr) << base;
    EXPECT_EQ(c->Key(), u"C") << base;
    EXPECT_EQ(c->Offset() % 4, 0u) << base;
  }
}

TEST(VersionBlock, WholeResourceReadsAsWritten) {
  const VersionBytes block = BuildVersionNode(VersionResourceTree(
      FixedInfoBytes(0x00010002, 0x00030004, 1, 0x0123456789ABCDEFu),
      {VersionNode{u"040904b0", {}, 0, true, {VersionStringNode(u"ProductName", u"P")}}}));
  EXPECT_EQ(VersionRootKey(), NVersionInfo::RootKey());
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  EXPECT_EQ(info.GetString(u"ProductName"), u"P");
  const NFixedFileInfo& fixed = *info.FixedInfo();
  const std::vector<std::uint32_t> words{
      fixed.m_signature,     fixed.m_strucVersion,     fixed.m_fileVersionMS,
      fixed.m_fileVersionLS, fixed.m_productVersionMS, fixed.m_productVersionLS,
      fixed.m_fileFlagsMask, fixed.m_fileFlags,        fixed.m_fileOS,
      fixed.m_fileType,      fixed.m_fileSubtype,      fixed.m_fileDateMS,
      fixed.m_fileDateLS};
  EXPECT_EQ(words, (std::vector<std::uint32_t>{0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004,
                                               0x00010002, 0x00030004, 0x3F, 1, 0x00040004, 1, 0,
                                               0x01234567, 0x89ABCDEF}));
  const Item* translation = info.Root()->FindChild(u"Translation", true);
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(VersionBytes(translation->Value(), translation->Value() + 4),
            (VersionBytes{0x09, 0x04, 0xB0, 0x04}));
}

}  // namespace
}  // namespace bitvane
