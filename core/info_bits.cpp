#include "core/info_bits.h"

#include <array>

namespace bitvane {

namespace {

bool IsDigit(char16_t c) {
  return c == u'0' || c == u'1';
}

// Binary digits in [from, column) of `line`, when every character there is a digit or
// a group separator and a digit stands at `column`; else none.
std::optional<unsigned> DigitsBefore(std::u16string_view line, std::size_t from,
                                     std::size_t column) {
  if (column >= line.size() || column < from || !IsDigit(line[column])) return std::nullopt;
  unsigned digits = 0;
  for (std::size_t i = from; i < column; ++i) {
    if (IsDigit(line[i])) {
      ++digits;
    } else if (line[i] != u'_') {
      return std::nullopt;
    }
  }
  return digits;
}

std::string_view ViewCaption(ViewId id) {
  constexpr std::array<std::string_view, kViewCount> kCaptions{
      "byte #0",         "byte #1",          "byte #2",          "byte #3",
      "byte #4",         "byte #5",          "byte #6",          "byte #7",
      "the low integer", "the high integer", "the huge integer", "the low single",
      "the high single", "the double"};
  return kCaptions[static_cast<std::size_t>(id)];
}

}  // namespace

std::optional<InfoBit> BitAtInfoPosition(const ValueView& view, std::u16string_view lineText,
                                         unsigned line, unsigned column) {
  const unsigned bits = 8 * view.size;
  InfoBit bit;
  if (view.kind == ViewKind::Integer) {
    if (line != (view.size == 1 ? 3u : 1u)) return std::nullopt;
    const std::optional<unsigned> d = DigitsBefore(lineText, 0, column);
    if (!d || *d >= bits) return std::nullopt;
    bit.viewBit = bit.fieldBit = bits - 1 - *d;
  } else {
    const unsigned exponentBits = view.size == 4 ? 8 : 11, fractionBits = bits - 1 - exponentBits;
    const struct {
      std::u16string_view label;
      unsigned line, width, top;  // `top`: the view bit of the field's first digit
      std::string_view field;
    } fields[] = {{u"Sign=", 0, 1, bits - 1, "sign"},
                  {u"Exp=", 0, exponentBits, bits - 2, "exponent"},
                  {u"Mant=", 1, fractionBits, fractionBits - 1, "fraction"}};
    bool found = false;
    for (const auto& field : fields) {
      const std::size_t at = lineText.find(field.label);
      if (field.line != line || at == std::u16string_view::npos) continue;
      const std::optional<unsigned> d = DigitsBefore(lineText, at + field.label.size(), column);
      if (!d || *d >= field.width) continue;
      bit.viewBit = field.top - *d;
      bit.field = field.field;
      bit.fieldBit = field.width - 1 - *d;
      found = true;
    }
    if (!found) return std::nullopt;
  }
  bit.valueBit = 8 * view.firstByte + bit.viewBit;
  return bit;
}

std::string InfoBitTip(const ValueView& view, const InfoBit& bit) {
  std::string tip = "bit " + std::to_string(bit.valueBit) + " of the value; ";
  if (bit.field == "sign") return tip + "sign bit of " + std::string(ViewCaption(view.id));
  if (!bit.field.empty()) tip += std::string(bit.field) + " ";
  return tip + "bit " + std::to_string(bit.fieldBit) + " of " + std::string(ViewCaption(view.id));
}

}  // namespace bitvane
