#include "about/about_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/about/version_block_builder.h"
#include "tests/support/scoped_time_zone.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

// The About text of a block, with the file's build time in the time zone `zone`.
std::string AboutOf(const testing::Bytes& block, std::uint32_t flags, const char* zone = "UTC0") {
  const ScopedTimeZone scoped(zone);
  NVersionInfo info;
  EXPECT_TRUE(info.LoadBlock(block.data(), block.size()));
  return Narrow(BuildAboutText(info, kNullTimeStamp, nullptr, nullptr, flags));
}

TEST(AboutText, FlagsLeaveLinesOut) {
  const struct {
    std::uint32_t flags;
    bool company, copyright, comments, loadedFrom;
  } rows[] = {
      {0, true, true, true, true},
      {kAboutMainWindowFlags, false, true, true, true},
      {kAboutNoCopyright | kAboutNoComments, true, false, false, true},
      {kAboutNoLoadedFrom, true, true, true, false},
  };
  for (const auto& row : rows) {
    const std::string text = AboutOf(testing::SampleBlock(), row.flags);
    EXPECT_EQ(text.rfind("Sample Product: Sample description\r\n Release Version 1.2.3.4", 0), 0u)
        << text;
    EXPECT_EQ(text.find("\r\nby Sample Maker") != std::string::npos, row.company) << row.flags;
    EXPECT_EQ(text.find("\r\nCopyright (C) Sample Maker") != std::string::npos, row.copyright);
    EXPECT_EQ(text.find("\r\nSample comments") != std::string::npos, row.comments);
    EXPECT_EQ(text.find("\r\nLoaded from ") != std::string::npos, row.loadedFrom);
  }
}

// The file's date, else the PE link time; shown in local time unless that would wrap.
TEST(AboutText, BuildTimeFromTheFile) {
  const testing::Bytes undated = testing::SampleBlock(0x00010002, 0x00030004, 0, 0);
  const struct {
    testing::Bytes block;
    const char* zone;
    const char* line;  // null: none
  } rows[] = {
      {testing::SampleBlock(), "UTC0", "\r\nBuilt on 2014-11-14 T 11:42:29\r\n"},
      {testing::SampleBlock(), "UTC-1", "\r\nBuilt on 2014-11-14 T 12:42:29\r\n"},
      {testing::SampleBlock(), "UTC+1", "\r\nBuilt on 2014-11-14 T 10:42:29\r\n"},
      {testing::PeImage(0x8664, undated, 0x40, 0x4550, 1'600'000'000), "UTC0",
       "\r\nBuilt on 2020-09-13 T 12:26:40\r\n"},
      {testing::SampleBlock(0x00010002, 0x00030004, 0, ~0ull), "UTC-1",
       "\r\n*** Illegal NTimeStamp ***\r\n"},
      {testing::SampleBlock(0x00010002, 0x00030004, 0, 1), "UTC+1",
       "\r\nBuilt on 1601-01-01 T 00:00:00\r\n"},
      {testing::PeImage(0x8664, undated), "UTC0", nullptr},
  };
  for (const auto& row : rows) {
    const std::string text = AboutOf(row.block, 0, row.zone);
    EXPECT_EQ(text.find(row.line != nullptr ? row.line : "Built on") != std::string::npos,
              row.line != nullptr)
        << text;
  }
}

TEST(AboutText, FillFromVersionTakesTheGivenTimeAndExtraText) {
  const testing::Bytes block = testing::SampleBlock();
  NVersionInfo info;
  ASSERT_TRUE(info.LoadBlock(block.data(), block.size()));
  AboutOptions options;
  options.Flags = kAboutNoLoadedFrom;
  FillFromVersion(options, &info, u"Tue Mar  5 14:07:09 2024", u"Revision banner");
  EXPECT_EQ(options.Title, u"About sample");
  const std::string text = Narrow(options.Text);
  EXPECT_EQ(text.substr(text.find("\r\nBuilt on")),
            "\r\nBuilt on 2024-03-05 T 14:07:09\r\nRevision banner");
  EXPECT_EQ(BuildAboutText(NVersionInfo{}, kNullTimeStamp, nullptr, nullptr, 0), u"");
}

}  // namespace
}  // namespace bitvane
