#include "about/about_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/about/version_block_builder.h"
#include "tests/support/scoped_time_zone.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;
using testing::SampleBlock;

// The About text of a block, with the file's build time in the time zone `zone`.
std::string AboutOf(const testing::Bytes& block, std::uint32_t flags, const char* zone = "UTC0") {
  const ScopedTimeZone scoped(zone);
  NVersionInfo info;
  EXPECT_TRUE(info.LoadBlock(block.data(), block.size()));
  return Narrow(BuildAboutText(info, kNullTimeStamp, nullptr, nullptr, flags));
}

// The lines that `flags` leave in, after the version line; the build time from the
// file's date, else the PE link time, shown in local time unless that would wrap.
TEST(AboutText, LinesAndBuildTime) {
  const testing::Bytes undated = SampleBlock(0x00010002, 0x00030004, 0, 0);
  const std::uint32_t bare =
      kAboutNoCompany | kAboutNoCopyright | kAboutNoComments | kAboutNoLoadedFrom;
  for (const auto& [block, flags, zone, rest] :
       std::initializer_list<std::tuple<testing::Bytes, std::uint32_t, const char*, const char*>>{
           {SampleBlock(), 0, "UTC-1",
            "\r\nby Sample Maker\r\nCopyright (C) Sample Maker\r\nSample comments\r\nBuilt on "
            "2014-11-14 T 12:42:29\r\nLoaded from "},
           {SampleBlock(), kAboutMainWindowFlags, "UTC+1",
            "\r\nCopyright (C) Sample Maker\r\nSample comments\r\nBuilt on 2014-11-14 T "
            "10:42:29\r\nLoaded from "},
           {SampleBlock(), bare ^ kAboutNoCompany, "UTC0",
            "\r\nby Sample Maker\r\nBuilt on 2014-11-14 T 11:42:29"},
           {testing::PeImage(0x8664, undated, 1'600'000'000), bare, "UTC0",
            "\r\nBuilt on 2020-09-13 T 12:26:40"},
           {SampleBlock(0x00010002, 0x00030004, 0, ~0ull), bare, "UTC-1",
            "\r\n*** Illegal NTimeStamp ***"},
           {SampleBlock(0x00010002, 0x00030004, 0, 1), bare, "UTC+1",
            "\r\nBuilt on 1601-01-01 T 00:00:00"},
           {testing::PeImage(0x8664, undated), bare, "UTC0", ""}}) {
    const std::string text = AboutOf(block, flags, zone);
    EXPECT_EQ(text.substr(0, 34), "Sample Product: Sample description") << text;
    EXPECT_EQ(text.substr(text.find("Version 1.2.3.4") + 15), rest);
  }
}

TEST(AboutText, FillFromVersionTakesTheGivenTimeAndExtraText) {
  const testing::Bytes block = SampleBlock();
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
