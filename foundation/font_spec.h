#pragma once
// FontSpec: a font described independently of any device, as a face name, a size in
// points, three style flags and a weight; with a short comma-separated text form and
// conversions to and from LogFontRecord, the pixel-based record that windowing code
// turns into a real font.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bitvane {

// A font as a window system asks for it: the height in pixels (negative: the
// character height; positive: the cell height), or in tenths of a point when no
// pixel density was known. Weight 400 is normal, 700 bold, 0 "don't care".
struct LogFontRecord {
  static constexpr std::size_t kMaxFace = 31;

  std::int32_t height = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::int32_t weight = 0;
  std::u16string face;  // at most kMaxFace characters
};

// The height ToLogFont writes for `size` points: -(pixelsPerInch x size / 72), or
// size x 10 without a density, truncated towards zero, except that a figure a hair
// below a whole number, as floating-point arithmetic leaves it, counts as that
// number (so FromLogFont and back keeps the height). Empty for a density that is not
// a positive finite number and for a result beyond 32 bits.
[[nodiscard]] std::optional<std::int32_t> LogFontHeight(double size,
                                                        std::optional<double> pixelsPerInch);

class FontSpec {
 public:
  static constexpr double kMaxSize = 1'000'000.0;
  static constexpr std::int32_t kMaxWeight = 1000;
  static constexpr std::size_t kMaxSetFace = 32;   // longest face Set accepts
  static constexpr std::size_t kMaxTextFace = 31;  // longest face the text form accepts

  std::u16string face;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  double size = 0.0;        // typographic points, 1/72 inch
  std::int32_t weight = 0;  // 400 normal, 700 bold, 0 when none was given

  // Empties the record, then stores the fields when the face, trimmed of white space
  // (IsWideSpace), has 1 to 32 characters, the size is finite, above 0 and not above
  // 1,000,000 and the weight is not above 1000. Otherwise the record stays empty.
  [[nodiscard]] bool Set(std::u16string_view newFace, bool newItalic, bool newUnderline,
                         bool newStrikeOut, double newSize, std::int32_t newWeight);

  // A face, a finite size above 0 and not above 1,000,000, a weight not above 1000.
  [[nodiscard]] bool IsValid() const noexcept;

  // The text form: face, size and optional style letters as comma-separated fields
  // (quoted where NSTRList::ToCsv quotes). The size is written by DoubleToPlainText;
  // the letters are I (italic), U (underline), S (strikeout), then B for weight 700
  // or W and the weight for any other weight from 1 to 1000 but 400: "Segoe UI",9
  // or Arial,10.5,UB or Arial,8,IW600. No third field when there are no letters.
  [[nodiscard]] std::u16string ToText() const;

  // Reads the text form: two or three fields, a face of 1 to 31 characters after
  // trimming, a size ParseDouble reads, and letters I, U, S, B, N (weight 400) and W
  // followed at once by 1 to 4 digits (a weight up to 1000), blanks between them
  // ignored; then Set. Any failure leaves the record empty and returns false.
  [[nodiscard]] bool FromText(std::u16string_view text);

  // Fills `record` (emptied first) from a valid font, the height by LogFontHeight. The
  // face is cut to 31 characters; the weight is kept when 1 to 1000, else 400. Fails
  // for an invalid font and where LogFontHeight gives nothing.
  [[nodiscard]] bool ToLogFont(LogFontRecord& record,
                               std::optional<double> pixelsPerInch = std::nullopt) const;

  // The reverse: the size is |height| x 72 / pixelsPerInch, or |height| / 10 without a
  // density; face (at most its first 31 characters), flags and weight as they stand,
  // then Set. Fails, leaving the record empty, for an empty face, height 0, a density
  // that is not a positive finite number, or what Set refuses.
  [[nodiscard]] bool FromLogFont(const LogFontRecord& record,
                                 std::optional<double> pixelsPerInch = std::nullopt);

  void Clear() noexcept;

  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace bitvane
