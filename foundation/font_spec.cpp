#include "foundation/font_spec.h"

#include <cmath>
#include <limits>

#include "foundation/decimal_text.h"
#include "foundation/number_readers.h"
#include "foundation/number_text.h"
#include "foundation/str_list.h"
#include "foundation/white_space.h"

namespace bitvane {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr std::int32_t kNormalWeight = 400;
constexpr std::int32_t kBoldWeight = 700;

std::u16string_view Trimmed(std::u16string_view text) noexcept {
  while (!text.empty() && IsWideSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWideSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsSizeInRange(double size) noexcept {
  return std::isfinite(size) && size > 0.0 && size <= FontSpec::kMaxSize;
}

bool IsUsableDensity(std::optional<double> pixelsPerInch) noexcept {
  return !pixelsPerInch || (std::isfinite(*pixelsPerInch) && *pixelsPerInch > 0.0);
}

// The style letters of the text form; false for any character out of place.
bool ReadStyleLetters(std::u16string_view letters, bool& italic, bool& underline, bool& strikeOut,
                      std::int32_t& weight) noexcept {
  for (std::size_t i = 0; i < letters.size(); ++i) {
    switch (letters[i]) {
      case u'I':
        italic = true;
        break;
      case u'U':
        underline = true;
        break;
      case u'S':
        strikeOut = true;
        break;
      case u'B':
        weight = kBoldWeight;
        break;
      case u'N':
        weight = kNormalWeight;
        break;
      case u'W': {
        std::int32_t value = 0;
        std::size_t digits = 0;
        while (i + 1 < letters.size() && letters[i + 1] >= u'0' && letters[i + 1] <= u'9') {
          if (++digits > 4) return false;
          value = value * 10 + (letters[++i] - u'0');
        }
        if (digits == 0 || value > FontSpec::kMaxWeight) return false;
        weight = value;
        break;
      }
      default:
        if (!IsWideSpace(letters[i])) return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::int32_t> LogFontHeight(double size, std::optional<double> pixelsPerInch) {
  if (!IsUsableDensity(pixelsPerInch)) return std::nullopt;
  const double figure = pixelsPerInch ? -(*pixelsPerInch * size / kPointsPerInch) : size * 10.0;
  // 25 x 72 / 168 x 168 / 72 comes out a hair below 25. Rounding errors of that size
  // (and of a size written with 16 digits and read back) mean the whole number.
  const double nearest = std::round(figure);
  const double tolerance = 1e-12 * std::fmax(1.0, std::fabs(figure));
  const double whole = std::fabs(figure - nearest) <= tolerance ? nearest : std::trunc(figure);
  if (!(std::fabs(whole) <= std::numeric_limits<std::int32_t>::max())) return std::nullopt;
  return static_cast<std::int32_t>(whole);
}

void FontSpec::Clear() noexcept {
  face.clear();
  italic = underline = strikeOut = false;
  size = 0.0;
  weight = 0;
}

bool FontSpec::Set(std::u16string_view newFace, bool newItalic, bool newUnderline,
                   bool newStrikeOut, double newSize, std::int32_t newWeight) {
  Clear();
  const std::u16string_view trimmed = Trimmed(newFace);
  if (trimmed.empty() || trimmed.size() > kMaxSetFace) return false;
  if (!IsSizeInRange(newSize) || newWeight > kMaxWeight) return false;
  face.assign(trimmed);
  italic = newItalic;
  underline = newUnderline;
  strikeOut = newStrikeOut;
  size = newSize;
  weight = newWeight;
  return true;
}

bool FontSpec::IsValid() const noexcept {
  return !face.empty() && IsSizeInRange(size) && weight <= kMaxWeight;
}

std::u16string FontSpec::ToText() const {
  std::u16string letters;
  if (italic) letters += u'I';
  if (underline) letters += u'U';
  if (strikeOut) letters += u'S';
  if (weight == kBoldWeight) {
    letters += u'B';
  } else if (weight >= 1 && weight <= kMaxWeight && weight != kNormalWeight) {
    letters += u'W';
    letters += SignedToText(weight);
  }
  NSTRList fields;
  fields.Add(face);
  fields.Add(DoubleToPlainText(size));
  if (!letters.empty()) fields.Add(letters);
  return fields.ToCsv();
}

bool FontSpec::FromText(std::u16string_view text) {
  Clear();
  NSTRList fields(text);
  if (fields.Count() != 2 && fields.Count() != 3) return false;
  const std::u16string faceField = fields.RemoveHead();
  const std::u16string sizeField = fields.RemoveHead();
  const std::u16string letterField = fields.RemoveHead();  // empty when there is none

  const std::u16string_view trimmed = Trimmed(faceField);
  if (trimmed.empty() || trimmed.size() > kMaxTextFace) return false;
  double newSize = 0.0;
  if (!ParseDouble(sizeField.c_str(), newSize)) return false;
  bool newItalic = false, newUnderline = false, newStrikeOut = false;
  std::int32_t newWeight = 0;
  if (!ReadStyleLetters(letterField, newItalic, newUnderline, newStrikeOut, newWeight)) {
    return false;
  }
  return Set(trimmed, newItalic, newUnderline, newStrikeOut, newSize, newWeight);
}

bool FontSpec::ToLogFont(LogFontRecord& record, std::optional<double> pixelsPerInch) const {
  record = LogFontRecord{};
  if (!IsValid()) return false;
  const std::optional<std::int32_t> height = LogFontHeight(size, pixelsPerInch);
  if (!height) return false;
  record.height = *height;
  record.italic = italic;
  record.underline = underline;
  record.strikeOut = strikeOut;
  record.weight = weight >= 1 && weight <= kMaxWeight ? weight : kNormalWeight;
  record.face = face.substr(0, LogFontRecord::kMaxFace);
  return true;
}

bool FontSpec::FromLogFont(const LogFontRecord& record, std::optional<double> pixelsPerInch) {
  Clear();
  if (record.face.empty() || record.height == 0 || !IsUsableDensity(pixelsPerInch)) return false;
  const double pixels = std::fabs(static_cast<double>(record.height));
  const double newSize = pixelsPerInch ? pixels * kPointsPerInch / *pixelsPerInch : pixels / 10.0;
  return Set(std::u16string_view(record.face).substr(0, LogFontRecord::kMaxFace), record.italic,
             record.underline, record.strikeOut, newSize, record.weight);
}

}  // namespace bitvane
