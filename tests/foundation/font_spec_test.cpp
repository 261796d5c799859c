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

// A record that is not empty, so tests see that a failure empties it.
FontSpec Filled() {
  return Font(u"Filled", 12, 700, true, true, true);
}

const std::u16string k31(31, u'F');
const std::u16string k32(32, u'F');
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FontSpec, SetKeepsOnlyWhatItsLimitsAllow) {
  struct Row {
    std::u16string face;
    double size;
    std::int32_t weight;
    bool ok;
    std::u16string storedFace;
  };
  const Row rows[] = {
      {u"Arial", 9, 400, true, u"Arial"},
      {u" \tSegoe UI\u3000 ", 9, 0, true, u"Segoe UI"},
      {k32, 9, 0, true, k32},
      {k32 + u"F", 9, 0, false, u""},
      {u"  " + k32 + u"  ", 9, 0, true, k32},
      {u"", 9, 0, false, u""},
      {u"   ", 9, 0, false, u""},
      {u"Arial", 0, 0, false, u""},
      {u"Arial", -0.0, 0, false, u""},
      {u"Arial", -9, 0, false, u""},
      {u"Arial", DBL_TRUE_MIN, 0, true, u"Arial"},
      {u"Arial", 1e6, 0, true, u"Arial"},
      {u"Arial", std::nextafter(1e6, 2e6), 0, false, u""},
      {u"Arial", HUGE_VAL, 0, false, u""},
      {u"Arial", kNaN, 0, false, u""},
      {u"Arial", 9, 1000, true, u"Arial"},
      {u"Arial", 9, 1001, false, u""},
      {u"Arial", 9, std::numeric_limits<std::int32_t>::min(), true, u"Arial"},
  };
  for (const Row& row : rows) {
    FontSpec font = Filled();
    const bool ok = font.Set(row.face, true, false, true, row.size, row.weight);
    EXPECT_EQ(ok, row.ok) << Narrow(row.face) << " " << row.size << " " << row.weight;
    EXPECT_EQ(font.IsValid(), row.ok) << Narrow(row.face);
    const FontSpec expected =
        row.ok ? Font(row.storedFace, row.size, row.weight, true, false, true) : FontSpec{};
    EXPECT_TRUE(font == expected) << Narrow(row.face) << " " << row.size;
  }
}

// Set checks the rest; a face set directly has no length limit.
TEST(FontSpec, ValidityOfFieldsSetDirectly) {
  EXPECT_TRUE(Font(std::u16string(100, u'F'), 9).IsValid());
  EXPECT_FALSE(FontSpec{}.IsValid());
  EXPECT_FALSE(Font(u"Arial", -HUGE_VAL).IsValid());
}

TEST(FontSpec, ReadsTheTextForm) {
  struct Row {
    std::u16string text;
    std::optional<FontSpec> font;  // none: unreadable
  };
  const Row rows[] = {
      {u"Segoe UI,9", Font(u"Segoe UI", 9)},
      {u"\"Segoe UI\",9", Font(u"Segoe UI", 9)},
      {u"  Arial  , 10.5 ", Font(u"Arial", 10.5)},
      {u"Arial,9,", Font(u"Arial", 9)},
      {u"Arial,9,   ", Font(u"Arial", 9)},
      {u"Arial,9,IB", Font(u"Arial", 9, 700, true)},
      {u"Arial,9,W600", Font(u"Arial", 9, 600)},
      {u"Arial,9,W0600", Font(u"Arial", 9, 600)},
      {u"Arial,9,W1000", Font(u"Arial", 9, 1000)},
      {u"Arial,9,W0", Font(u"Arial", 9, 0)},
      {u"Arial,9, S U\tI N ", Font(u"Arial", 9, 400, true, true, true)},
      {u"Arial,9,W600IB", Font(u"Arial", 9, 700, true)},  // the last weight letter wins
      {u"Arial,1e6", Font(u"Arial", 1e6)},
      {u"\"A, \"\"B\"\"\",9", Font(u"A, \"B\"", 9)},
      {k31 + u",9", Font(k31, 9)},
      {k32 + u",9", std::nullopt},
      {u"Arial,9,W1001", std::nullopt},
      {u"Arial,9,W10000", std::nullopt},
      {u"Arial,9,W01000", std::nullopt},
      {u"Arial,9,W", std::nullopt},
      {u"Arial,9,W 600", std::nullopt},
      {u"Arial,9,IW", std::nullopt},
      {u"Arial,9,X", std::nullopt},
      {u"Arial,9,i", std::nullopt},
      {u"Arial,9,B-", std::nullopt},
      {u"Arial,9,I,U", std::nullopt},
      {u"Arial", std::nullopt},
      {u"", std::nullopt},
      {u",9", std::nullopt},
      {u"   ,9", std::nullopt},
      {u"Arial,", std::nullopt},
      {u"Arial,nine", std::nullopt},
      {u"Arial,0", std::nullopt},
      {u"Arial,-9", std::nullopt},
      {u"Arial,1000000.5", std::nullopt},
      {u"Arial,1e400", std::nullopt},
  };
  for (const Row& row : rows) {
    FontSpec font = Filled();
    EXPECT_EQ(font.FromText(row.text), row.font.has_value()) << Narrow(row.text);
    EXPECT_TRUE(font == row.font.value_or(FontSpec{})) << Narrow(row.text);
  }
}

TEST(FontSpec, WritesTheTextFormAndReadsItBack) {
  struct Row {
    FontSpec font;
    std::u16string text;
    std::int32_t weightReadBack;  // weights without a letter read back as 0
  };
  const Row rows[] = {
      {Font(u"Segoe UI", 9), u"\"Segoe UI\",9", 0},
      {Font(u"Arial", 10.5, 400), u"Arial,10.5", 0},
      {Font(u"Arial", 9, 700, false, true), u"Arial,9,UB", 700},
      {Font(u"Arial", 0.25, 600, true, true, true), u"Arial,0.25,IUSW600", 600},
      {Font(u"Arial", 1e6, 1), u"Arial,1000000,W1", 1},
      {Font(u"Arial", 9, 1000, false, false, true), u"Arial,9,SW1000", 1000},
      {Font(u"Arial", 9, -5), u"Arial,9", 0},
      {Font(u"Arial", 0.1 + 0.2), u"Arial,0.3", 0},
      {Font(u"A,\"B\"", 9, 0, true), u"\"A,\"\"B\"\"\",9,I", 0},
  };
  for (const Row& row : rows) {
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
  struct Row {
    FontSpec font;
    std::optional<double> pixelsPerInch;
    std::optional<std::int32_t> height;  // none: fails
    std::int32_t weight;
  };
  const Row rows[] = {
      {Font(u"Segoe UI", 9), 96.0, -12, 400},
      {Font(u"Segoe UI", 9), std::nullopt, 90, 400},
      {Font(u"Arial", 10, 700), 96.0, -13, 700},  // 13.33 truncated
      {Font(u"Arial", 8.25, 1000), std::nullopt, 82, 1000},
      {Font(u"Arial", 0.5, -3), 96.0, 0, 400},  // less than a pixel
      {Font(u"Arial", 9, 1), 120.0, -15, 1},
      {Font(u"Arial", 1e6), 2e5, std::nullopt, 0},  // beyond 32 bits
      {Font(u"Arial", 1e6), 1e5, -1388888888, 400},
      {Font(u"Arial", 9), 0.0, std::nullopt, 0},
      {Font(u"Arial", 9), -96.0, std::nullopt, 0},
      {Font(u"Arial", 9), kNaN, std::nullopt, 0},
      {Font(u"Arial", 9), HUGE_VAL, std::nullopt, 0},
      {Font(u"", 9), 96.0, std::nullopt, 0},
      {Font(u"Arial", 0), std::nullopt, std::nullopt, 0},
      {Font(u"Arial", 9, 1001), 96.0, std::nullopt, 0},
  };
  for (const Row& row : rows) {
    LogFontRecord record{5, true, true, true, 5, u"old"};
    EXPECT_EQ(row.font.ToLogFont(record, row.pixelsPerInch), row.height.has_value())
        << Narrow(row.font.face) << " " << row.font.size << " " << row.pixelsPerInch.value_or(0);
    EXPECT_EQ(record.height, row.height.value_or(0)) << row.font.size;
    EXPECT_EQ(record.weight, row.weight) << row.font.size;
    EXPECT_EQ(record.face, row.height ? row.font.face : u"");
  }

  LogFontRecord record;
  ASSERT_TRUE(Font(k32 + u"tail", 9, 0, true, false, true).ToLogFont(record));
  EXPECT_EQ(record.face, k31);
  EXPECT_TRUE(record.italic);
  EXPECT_FALSE(record.underline);
  EXPECT_TRUE(record.strikeOut);
}

TEST(FontSpec, FromLogFont) {
  struct Row {
    LogFontRecord record;
    std::optional<double> pixelsPerInch;
    std::optional<FontSpec> font;  // none: fails
  };
  const Row rows[] = {
      {{-12, false, false, false, 0, u"Segoe UI"}, 96.0, Font(u"Segoe UI", 9)},
      {{12, true, true, false, 700, u"Segoe UI"}, 96.0, Font(u"Segoe UI", 9, 700, true, true)},
      {{-90, false, false, true, 550, u"Arial"},
       std::nullopt,
       Font(u"Arial", 9, 550, false, false, true)},
      {{-13, false, false, false, -7, u" Arial "}, 96.0, Font(u"Arial", 9.75, -7)},
      {{-12, false, false, false, 0, k32 + u"tail"}, 96.0, Font(k31, 9)},
      {{0, false, false, false, 0, u"Arial"}, 96.0, std::nullopt},
      {{-12, false, false, false, 0, u""}, 96.0, std::nullopt},
      {{-12, false, false, false, 0, u"   "}, 96.0, std::nullopt},
      {{-12, false, false, false, 0, u"Arial"}, 0.0, std::nullopt},
      {{-12, false, false, false, 0, u"Arial"}, -96.0, std::nullopt},
      {{-12, false, false, false, 0, u"Arial"}, kNaN, std::nullopt},
      {{-12, false, false, false, 0, u"Arial"}, HUGE_VAL, std::nullopt},
      {{-12, false, false, false, 1001, u"Arial"}, 96.0, std::nullopt},
      {{std::numeric_limits<std::int32_t>::min(), false, false, false, 0, u"Arial"},
       96.0,
       std::nullopt},  // above 1,000,000 points
  };
  for (const Row& row : rows) {
    FontSpec font = Filled();
    EXPECT_EQ(font.FromLogFont(row.record, row.pixelsPerInch), row.font.has_value())
        << Narrow(row.record.face) << " " << row.record.height;
    EXPECT_TRUE(font == row.font.value_or(FontSpec{}))
        << Narrow(row.record.face) << " " << row.record.height;
  }
}

// A height read from a font and written back, directly or through the text form,
// is the same height at every density: the truncation must not lose a pixel to a
// rounding error.
TEST(FontSpec, HeightsSurviveTheRoundTrip) {
  for (const std::optional<double> pixelsPerInch :
       {std::optional<double>{}, std::optional<double>{72.0}, std::optional<double>{96.0},
        std::optional<double>{109.0}, std::optional<double>{120.0}, std::optional<double>{144.0},
        std::optional<double>{168.0}, std::optional<double>{192.0}, std::optional<double>{240.0}}) {
    for (std::int32_t pixels = 1; pixels <= 400; ++pixels) {
      const std::int32_t height = pixels % 2 == 0 ? pixels : -pixels;  // both kinds of height
      FontSpec font;
      ASSERT_TRUE(font.FromLogFont({height, false, false, false, 0, u"F"}, pixelsPerInch));
      FontSpec fromText;
      ASSERT_TRUE(fromText.FromText(font.ToText()));
      for (const FontSpec& source : {font, fromText}) {
        LogFontRecord record;
        ASSERT_TRUE(source.ToLogFont(record, pixelsPerInch));
        ASSERT_EQ(record.height, pixelsPerInch ? -pixels : pixels)
            << height << " at " << pixelsPerInch.value_or(0);
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
