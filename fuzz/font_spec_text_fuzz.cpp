// Font descriptions' text form, as the settings store and the About box hand it over:
// any text reads without fault, and what reads writes a text that reads back as the
// same font. The size is written with the display's rounding (14 significant digits
// where those end in zeros, else 16), so it comes back within that rounding; weight 400
// is written as no weight, which reads as 0.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/font_spec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);
  bitvane::FontSpec font;
  if (!font.FromText(text)) {
    if (!(font == bitvane::FontSpec{})) std::abort();  // a failure leaves it empty
    return 0;
  }
  if (!font.IsValid()) std::abort();
  bitvane::FontSpec again;
  if (!again.FromText(font.ToText())) std::abort();
  const std::int32_t weight = font.weight == 400 ? 0 : font.weight;
  if (again.face != font.face || again.italic != font.italic || again.underline != font.underline ||
      again.strikeOut != font.strikeOut || again.weight != weight ||
      std::fabs(again.size - font.size) > font.size * 1e-13) {
    std::abort();
  }
  return 0;
}
