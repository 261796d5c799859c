// The About text and the options filled from a version resource.
#include "about/about_text.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "about/version_info.h"
#include "res/revision_banner.h"
#include "tests/about/version_block_builder.h"
#include "tests/support/scoped_time_zone.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using namespace bitvane::testing;
using test::Narrow;

// Only the version and build lines.
constexpr std::uint32_t kBare =
    kAboutNoCompany | kAboutNoCopyright | kAboutNoComments | kAboutNoLoadedFrom;

// Build time: the time given, else the file's date, else the PE link time; local if it fits.
TEST(AboutText, LinesAndBuildTime) {
  const Bytes undated = SampleBlock(0x00010002, 0x00030004, 0, 0);
  const std::tuple<Bytes, std::uint32_t, const char*, const char*> rows[] = {
      {SampleBlock(), 0, "UTC-1",
       "\r\nby Sample Maker\r\nCopyright (C) Sample Maker\r\nSample comments\r\nBuilt on "
       "2014-11-14 T 12:42:29\r\nLoaded from "},
      {PeImage(0x8664, undated, 1'600'000'000), kBare, "UTC0",
       "\r\nBuilt on 2020-09-13 T 12:26:40"},
      {SampleBlock(0x00010002, 0x00030004, 0, ~0ull), kBare ^ kAboutNoCompany, "UTC-1",
       "\r\nby Sample Maker\r\n*** Illegal NTimeStamp ***"},
      {SampleBlock(0x00010002, 0x00030004, 0, 1), kBare, "UTC+1",
       "\r\nBuilt on 1601-01-01 T 00:00:00"},
      {PeImage(0x8664, undated), kBare, "UTC0", ""}};
  for (const auto& [block, flags, zone, rest] : rows) {
    const ScopedTimeZone scoped(zone);
    NVersionInfo info;
    EXPECT_TRUE(info.LoadBlock(block.data(), block.size()));
    const std::string text = Narrow(BuildAboutText(info, kNullTimeStamp, nullptr, nullptr, flags));
    EXPECT_EQ(text.substr(0, 34), "Sample Product: Sample description") << text;
    EXPECT_EQ(text.substr(text.find("Version 1.2.3.4") + 15), rest);
  }
  EXPECT_EQ(BuildAboutText(NVersionInfo{}, kNullTimeStamp, nullptr, nullptr, 0), u"");
  AboutOptions self;  // no version given: the running program's own
  FillFromVersion(self, nullptr, u"", u"");
  EXPECT_EQ(self.Title, u"About Bitvane");
  NVersionInfo info;  // the time given wins over the file's date
  ASSERT_TRUE(info.LoadBlock(std::get<0>(rows[0]).data(), std::get<0>(rows[0]).size()));
  AboutOptions options;
  options.Flags = kBare;
  FillFromVersion(options, &info, u"Tue Mar  5 14:07:09 2024", u"Revision banner");
  EXPECT_EQ(options.Title, u"About sample");
  const std::string text = Narrow(options.Text);
  EXPECT_EQ(text.substr(text.find("\r\nBuilt")),
            "\r\nBuilt on 2024-03-05 T 14:07:09\r\nRevision banner");
}

// An ELF file records no link time: an undated one read from disk shows its modification
// time, the same bytes loaded from memory show none.
TEST(AboutText, UndatedElfFileShowsItsModificationTime) {
  const Bytes elf = ElfImage(1, SampleBlock(0x00010002, 0x00030004, 0, 0));
  const test::TempDir scratch;
  const std::string path = scratch.Write("undated", std::string(elf.begin(), elf.end()));
  const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const ScopedTimeZone scoped("UTC-1");
  for (const bool fromDisk : {true, false}) {
    NVersionInfo info;
    ASSERT_TRUE(fromDisk ? info.LoadFile(test::Wide(path))
                         : info.LoadBlock(elf.data(), elf.size()));
    const std::u16string text = BuildAboutText(info, kNullTimeStamp, nullptr, nullptr, kBare);
    EXPECT_EQ(Narrow(text.substr(text.find(u"1.2.3.4") + 7)),
              fromDisk ? "\r\nBuilt on 2020-09-13 T 13:26:40" : "");
  }
}

// The banner made at build time: two lines, revision then commit time, whether or not
// the build ran in a git checkout.
TEST(AboutText, RevisionBannerHasTwoLines) {
  const std::u16string_view banner = RevisionBanner();
  const std::size_t split = banner.find(u"\r\n");
  ASSERT_NE(split, std::u16string_view::npos) << test::Narrow(banner);
  EXPECT_TRUE(banner.starts_with(u"Revision ") && banner.substr(split + 2).starts_with(u"Commit") &&
              banner.find(u'\n', split + 2) == std::u16string_view::npos);
}

}  // namespace
}  // namespace bitvane
