#include <gtest/gtest.h>

#include <string>

#include "about/version_info.h"
#include "foundation/wide_to_utf8.h"
#include "tests/about/version_block_builder.h"

namespace bitvane {
namespace {

using namespace bitvane::testing;

// A block with a PE header for x64 in front of the sample resource.
Bytes X64Block(std::uint32_t productMS, std::uint32_t productLS, std::uint32_t flags) {
  Bytes block(0x40 + 264 + 4, 0);
  block[0] = 'M';
  block[1] = 'Z';
  block[60] = 0x40;
  block[0x40] = 'P';
  block[0x41] = 'E';
  SetU16(block, 0x44, 0x8664);
  const Bytes resource = SampleBlock(productMS, productLS, flags);
  block.insert(block.end(), resource.begin(), resource.end());
  return block;
}

struct Row {
  const char16_t* format;
  const char16_t* expected;
};

void ExpectRows(const NVersionInfo& info, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    EXPECT_EQ(WideToUtf8(info.Describe(row.format)), WideToUtf8(row.expected))
        << "template: " << WideToUtf8(row.format);
  }
}

TEST(VersionDescribe, StringsAndVersionParts) {
  const Bytes block = X64Block(0x00070002, 0x00030004, 0);
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  ExpectRows(info, {
                       {u"%p: %f\r\n%x %g Version %a.%b.%c.%d",
                        u"Sample Product: Sample description\r\nx64 Release Version 7.2.3.4"},
                       {u"%p|%f|%v|%i|%r|%o|%l|%m",
                        u"Sample Product|Sample description|1.2.3.4|sample|sample.exe|Sample Maker|"
                        u"Copyright (C) Sample Maker|Sample comments"},
                       {u"", u""},
                       {u"plain text", u"plain text"},
                   });
}

TEST(VersionDescribe, WidthPrecisionAndAlignment) {
  const Bytes block = X64Block(0x00070002, 0x00030004, 0);
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  ExpectRows(info,
             {
                 // numbers: "%*.*u", 0 counting as 1
                 {u"[%5a]", u"[    7]"},
                 {u"[%-5a]", u"[7    ]"},
                 {u"[%3.2a]", u"[ 07]"},
                 {u"[%-3.2a]", u"[07 ]"},
                 {u"[%.3a]", u"[007]"},
                 {u"[%0a]", u"[7]"},
                 {u"[%0.0a]", u"[7]"},
                 {u"[%1.5a]", u"[00007]"},
                 {u"[%.2b%.2c%.2d]", u"[020304]"},
                 {u"[%5-a]", u"[7    ]"},  // '-' counts wherever it stands
                 {u"[%2.1.2a]",
                  u"[000000000007]"},  // a second '.' keeps reading the precision
                                       // texts: padded to the width, never cut, precision ignored
                 {u"[%8g]", u"[ Release]"},
                 {u"[%-8g]", u"[Release ]"},
                 {u"[%3g]", u"[Release]"},
                 {u"[%10.2i]", u"[    sample]"},
                 {u"[%-10V]", u"[7.2.3.4   ]"},
                 {u"[%3x]", u"[x64]"},
                 {u"[%5x]", u"[  x64]"},
             });
  // Widths beyond the cap are held at it.
  EXPECT_EQ(info.Describe(u"%99999999999999999999g").size(), NVersionInfo::kMaxFieldWidth);
  EXPECT_EQ(info.Describe(u"%.99999999999999999999a").size(), NVersionInfo::kMaxFieldWidth);
}

TEST(VersionDescribe, LiteralAndUnfinishedPlaceholders) {
  const Bytes block = X64Block(0x00010002, 0x00030004, 1);
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  ExpectRows(info, {
                       {u"100%", u"100"},
                       {u"100%5", u"100"},
                       {u"%-3.", u""},
                       {u"%%", u"%%"},
                       {u"%%p", u"%%p"},
                       {u"%7z", u"%7z"},
                       {u"%z", u"%z"},
                       {u"%-5.2q!", u"%-5.2q!"},
                       {u"%P %G %A", u"%P %G %A"},
                       {u"%\u00E9", u"%\u00E9"},
                       {u"%g", u"Debug"},
                       {u"%a%%b", u"1%%b"},
                   });
}

TEST(VersionDescribe, DottedVersion) {
  const struct {
    std::uint32_t ms, ls;
    const char16_t* dotted;
  } rows[] = {
      {0x00010002, 0x00000000, u"1.2"},
      {0x00010002, 0x00000004, u"1.2.0.4"},
      {0x00010002, 0x00030000, u"1.2.3"},
      {0x00010002, 0x00030004, u"1.2.3.4"},
      {0x00000000, 0x00000000, u"0.0"},
      {0x00010000, 0x00000000, u"1.0"},
      {0xFFFFFFFF, 0xFFFFFFFF, u"65535.65535.65535.65535"},
      {0x00000000, 0x00010000, u"0.0.1"},
  };
  for (const auto& row : rows) {
    const Bytes block = SampleBlock(row.ms, row.ls);
    NVersionInfo info;
    ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
    EXPECT_EQ(info.Describe(), row.dotted);
    EXPECT_EQ(info.Describe(nullptr), row.dotted);
    EXPECT_EQ(info.Describe(u"%V"), row.dotted);
  }
}

TEST(VersionDescribe, WithoutFixedInformationOrStrings) {
  NVersionInfo empty;
  for (const char16_t* format : {u"%p", u"", u"text", u"%V"}) {
    EXPECT_EQ(empty.Describe(format), u"<n/a>");
  }
  EXPECT_EQ(empty.Describe(), u"<n/a>");

  // A resource without strings: string placeholders give nothing, numbers still work;
  // no PE or ELF header: no processor; no file: no name.
  const Bytes block = BuildNode(VersionTree(0x00020001, 0, 0, {StringTableNode(u"040904b0", {})}));
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  ExpectRows(info, {{u"[%p][%3m][%x][%n][%N] %V", u"[][   ][][][] 2.1"}});
}

}  // namespace
}  // namespace bitvane
