#include "foundation/font_spec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "tests/support/make_font_spec.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

FontSpec Font(std::u16string face, double size, std::int32_t weight = 0, bool italic = false,
              bool underline = false, bool strikeOut = false) {
  return test::MakeFontSpec(std::move(face), size, weight, italic, underline, strikeOut);
}

const FontSpec kFilled = Font(u"Filled", 12, 700, true, true, true);
const std::u16string k31(31, u'F');
const std::u16string k32(32, u'F');
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FontSpec, SetKeepsOnlyWhatItsLimitsAllow) {
  const struct {
    std::u16string face;
    double size;
    std::int32_t weight;
    std::u16string storedFace;  // empty: refused
  } rows[] = {
      {u" \tSegoe UI\u3000 ", 9, 0, u"Segoe UI"},
      {u"  " + k32 + u"  ", 9, 0, k32},
      {k32 + u"F", 9, 0, u""},
      {u"   ", 9, 0, u""},
      {u"Arial", 0, 0, u""},
      {u"Arial", 1e6, 0, u"Arial"},
      {u"Arial", std::nextafter(1e6, 2e6), 0, u""},
      {u"Arial", kNaN, 0, u""},
      {u"Arial", 9, 1000, u"Arial"},
      {u"Arial", 9, 1001, u""},
      {u"Arial", 9, std::numeric_limits<std::int32_t>::min(), u"Arial"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.face) + " " + std::to_string(row.size));
    FontSpec font = kFilled;
    const bool ok = !row.storedFace.empty();
    EXPECT_EQ(font.Set(row.face, true, false, true, row.size, row.weight), ok);
    EXPECT_EQ(font.IsValid(), ok);
    EXPECT_TRUE(font ==
                (ok ? Font(row.storedFace, row.size, row.weight, true, false, true) : FontSpec{}));
  }
  EXPECT_TRUE(Font(std::u16string(100, u'F'), 9).IsValid());  // no limit set directly
  EXPECT_FALSE(Font(u"Arial", -HUGE_VAL).IsValid());
}

TEST(FontSpec, ReadsTheTextForm) {
  const struct {
    std::u16string text;
    std::optional<FontSpec> font;  // none: unreadable
  } rows[] = {
      {u"  Arial  , 10.5 ", Font(u"Arial", 10.5)},
      {u"Arial,9,", Font(u"Arial", 9)},
      {u"Arial,9, S U\tI N ", Font(u"Arial", 9, 400, true, true, true)},
      {u"Arial,9,W600IB", Font(u"Arial", 9, 700, true)},  // the last weight letter wins
      {u"Arial,9,W1000", Font(u"Arial", 9, 1000)},
      {u"\"A, \"\"B\"\"\",9", Font(u"A, \"B\"", 9)},
      {k31 + u",9", Font(k31, 9)},
      {k32 + u",9", std::nullopt},
      {u"Arial,9,W1001", std::nullopt},
      {u"Arial,9,W01000", std::nullopt},
      {u"Arial,9,i", std::nullopt},
      {u"Arial,9,I,U", std::nullopt},
      {u"   ,9", std::nullopt},
      {u"Arial,nine", std::nullopt},
  };
  for (const auto& row : rows) {
    FontSpec font = kFilled;
    EXPECT_EQ(font.FromText(row.text), row.font.has_value()) << Narrow(row.text);
    EXPECT_TRUE(font == row.font.value_or(FontSpec{})) << Narrow(row.text);
  }
}

TEST(FontSpec, WritesTheTextFormAndReadsItBack) {
  const struct {
    FontSpec font;
    std::u16string text;
    std::int32_t weightReadBack;  // weights without a letter read back as 0
  } rows[] = {
      {Font(u"Segoe UI", 9), u"\"Segoe UI\",9", 0},
      {Font(u"Arial", 9, 700, false, true), u"Arial,9,UB", 700},
      {Font(u"Arial", 0.25, 600, true, true, true), u"Arial,0.25,IUSW600", 600},
      {Font(u"Arial", 1e6, 1), u"Arial,1000000,W1", 1},
      {Font(u"Arial", 0.1 + 0.2, -5), u"Arial,0.3", 0},
      {Font(u"Arial", 9, 1000, false, false, true), u"Arial,9,SW1000", 1000},
  };
  for (const auto& row : rows) {
    const std::u16string text = row.font.ToText();
    EXPECT_EQ(text, row.text) << Narrow(text);
    FontSpec back;
    ASSERT_TRUE(back.FromText(text)) << Narrow(text);
    FontSpec expected = row.font;
    expected.weight = row.weightReadBack;
    expected.size = back.size;
    EXPECT_TRUE(back == expected) << Narrow(text);
    EXPECT_NEAR(back.size, row.font.size, row.font.size * 1e-15) << Narrow(text);
  }
}

TEST(FontSpec, ToLogFont) {
  const struct {
    FontSpec font;
    std::optional<double> pixelsPerInch;
    std::optional<std::int32_t> height;  // none: fails
    std::int32_t weight;
  } rows[] = {
      {Font(u"Segoe UI", 9), 96.0, -12, 400},
      {Font(u"Segoe UI", 9, 1000), std::nullopt, 90, 1000},
      {Font(u"Arial", 10, 1), 96.0, -13, 1},    // 13.33 truncated
      {Font(u"Arial", 0.5, -3), 96.0, 0, 400},  // less than a pixel
      {Font(u"Arial", 1e6), 1e5, -1388888888, 400},
      {Font(u"Arial", 1e6), 2e5, std::nullopt, 0},  // beyond 32 bits
      {Font(u"Arial", 9), 0.0, std::nullopt, 0},
      {Font(u"", 9), 96.0, std::nullopt, 0},
      {Font(u"Arial", 9, 1001), 96.0, std::nullopt, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.font.face) + " " + std::to_string(row.font.size) + " at " +
                 std::to_string(row.pixelsPerInch.value_or(0)));
    LogFontRecord record{5, true, true, true, 5, u"old"};
    EXPECT_EQ(row.font.ToLogFont(record, row.pixelsPerInch), row.height.has_value());
    EXPECT_EQ(record.height, row.height.value_or(0));
    EXPECT_EQ(record.weight, row.weight);
    EXPECT_EQ(record.face, row.height ? row.font.face : u"");
  }
  LogFontRecord record;
  ASSERT_TRUE(Font(k32 + u"tail", 9, 0, true, false, true).ToLogFont(record));
  EXPECT_EQ(record.face, k31);
  EXPECT_TRUE(record.italic && !record.underline && record.strikeOut);
}

TEST(FontSpec, FromLogFont) {
  const struct {
    LogFontRecord record;
    std::optional<double> pixelsPerInch;
    std::optional<FontSpec> font;  // none: fails
  } rows[] = {
      {{12, true, true, false, 700, u"Segoe UI"}, 96.0, Font(u"Segoe UI", 9, 700, true, true)},
      {{-90, false, false, true, 550, u"A"}, std::nullopt, Font(u"A", 9, 550, false, false, true)},
      {{1, false, false, false, 0, u"A"}, std::nullopt, Font(u"A", 0.1)},  // the smallest height
      {{-13, false, false, false, -7, u" Arial "}, 96.0, Font(u"Arial", 9.75, -7)},
      {{-12, false, false, false, 0, k32 + u"tail"}, 96.0, Font(k31, 9)},
      {{0, false, false, false, 0, u"Arial"}, 96.0, std::nullopt},
      {{-12, false, false, false, 1001, u"Arial"}, 96.0, std::nullopt},
      {{INT32_MIN, false, false, false, 0, u"Arial"}, 96.0, std::nullopt},  // 1e6 points+
  };
  for (const auto& row : rows) {
    FontSpec font = kFilled;
    EXPECT_EQ(font.FromLogFont(row.record, row.pixelsPerInch), row.font.has_value())
        << Narrow(row.record.face) << " " << row.record.height;
    EXPECT_TRUE(font == row.font.value_or(FontSpec{}))
        << Narrow(row.record.face) << " " << row.record.height;
  }
}

// No pixel lost to rounding, directly or through the text form, at any density.
TEST(FontSpec, HeightsSurviveTheRoundTrip) {
  for (const double density : {0.0, 72.0, 96.0, 109.0, 120.0, 144.0}) {
    const auto pixelsPerInch = density == 0 ? std::nullopt : std::optional<double>(density);
    for (std::int32_t pixels = 1; pixels <= 400; ++pixels) {
      const std::int32_t height = pixels % 2 == 0 ? pixels : -pixels;  // both kinds of height
      FontSpec font;
      ASSERT_TRUE(font.FromLogFont({height, false, false, false, 0, u"F"}, pixelsPerInch));
      FontSpec fromText;
      ASSERT_TRUE(fromText.FromText(font.ToText()));
      for (const FontSpec& source : {font, fromText}) {
        LogFontRecord record;
        ASSERT_TRUE(source.ToLogFont(record, pixelsPerInch));
        ASSERT_EQ(record.height, pixelsPerInch ? -pixels : pixels) << height << " at " << density;
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
