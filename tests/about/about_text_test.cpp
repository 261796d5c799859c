#include "about/about_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/about/version_block_builder.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

// Runs with TZ=UTC, so a file's UTC time reads back unchanged.
class AboutTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    m_savedTz = tz != nullptr ? tz : "";
    m_hadTz = tz != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
    const testing::Bytes block = testing::SampleBlock();
    ASSERT_TRUE(m_info.LoadBlock(block.data(), block.size()));
  }
  void TearDown() override {
    if (m_hadTz) {
      setenv("TZ", m_savedTz.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  NVersionInfo m_info;
  std::string m_savedTz;
  bool m_hadTz = false;
};

TEST_F(AboutTextTest, FlagsLeaveLinesOut) {
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
    const std::string text =
        Narrow(BuildAboutText(m_info, kNullTimeStamp, nullptr, nullptr, row.flags));
    EXPECT_EQ(text.rfind("Sample Product: Sample description\r\n", 0), 0u) << text;
    EXPECT_EQ(text.find("\r\nby Sample Maker") != std::string::npos, row.company) << row.flags;
    EXPECT_EQ(text.find("\r\nCopyright (C) Sample Maker") != std::string::npos, row.copyright);
    EXPECT_EQ(text.find("\r\nSample comments") != std::string::npos, row.comments);
    EXPECT_EQ(text.find("\r\nLoaded from ") != std::string::npos, row.loadedFrom);
  }
}

TEST_F(AboutTextTest, BuildTimeFromTheCallerOrTheFile) {
  NTimeStamp given;
  ASSERT_TRUE(given.ParseBuildTime(u"Tue Mar  5 14:07:09 2024"));
  std::string text = Narrow(BuildAboutText(m_info, given, nullptr, nullptr, kAboutNoLoadedFrom));
  EXPECT_NE(text.find("\r\nBuilt on 2024-03-05 T 14:07:09"), std::string::npos) << text;

  // Without one, the fixed information's file date is taken, shown in local time.
  text = Narrow(BuildAboutText(m_info, kNullTimeStamp, nullptr, u"%Y-%m-%d %H:%M", 0));
  CalendarTime fields;
  ASSERT_TRUE(FileBuildTime(m_info).ToCalendar(fields));
  const std::string expected = std::to_string(fields.m_year) + "-";
  EXPECT_NE(text.find("\r\n" + expected), std::string::npos) << text;

  // A file without any date prints no build-time line.
  const testing::Bytes block = testing::BuildNode(
      testing::VersionTree(0x00010002, 0x00030004, 0,
                           {testing::StringTableNode(u"040904b0", testing::SampleStrings())}));
  testing::Bytes undated = block;
  NVersionInfo info;
  // The fixed information follows the 6-byte header and the key with its 0, padded to
  // 4 (40 bytes); its file date is its last 8 bytes.
  const std::size_t fixedAt = 40;
  for (std::size_t i = fixedAt + 44; i < fixedAt + 52; ++i) undated[i] = 0;
  ASSERT_TRUE(info.LoadBlock(undated.data(), undated.size()));
  EXPECT_TRUE(FileBuildTime(info).IsNull());
  EXPECT_EQ(Narrow(BuildAboutText(info, kNullTimeStamp, nullptr, nullptr, 0)).find("Built on"),
            std::string::npos);
}

TEST_F(AboutTextTest, FillFromVersionMakesTitleAndAppendsTheExtraText) {
  AboutOptions options;
  FillFromVersion(options, &m_info, u"", u"Revision banner");
  EXPECT_EQ(options.Title, u"About sample");
  EXPECT_EQ(Narrow(options.Text).rfind("Sample Product: Sample description", 0), 0u);
  EXPECT_EQ(Narrow(options.Text).substr(options.Text.size() - 17), "\r\nRevision banner");

  NVersionInfo empty;
  EXPECT_EQ(BuildAboutText(empty, kNullTimeStamp, nullptr, nullptr, 0), u"");
}

TEST_F(AboutTextTest, OwnExecutableCarriesTheProjectsResource) {
  NVersionInfo self;
  ASSERT_TRUE(self.LoadSelf());
  EXPECT_EQ(self.GetString(u"ProductName"), u"Bitvane");
  EXPECT_EQ(self.GetString(u"CompanyName"), u"Kelmo");
  EXPECT_EQ(self.GetString(u"OriginalFilename"), u"about_test");
  EXPECT_EQ(self.Describe(u"%x"), u"x64");
  EXPECT_FALSE(FileBuildTime(self).IsNull());
  AboutOptions options;
  FillFromVersion(options, nullptr, u"", u"");
  EXPECT_EQ(options.Title, u"About Bitvane");
}

}  // namespace
}  // namespace bitvane
