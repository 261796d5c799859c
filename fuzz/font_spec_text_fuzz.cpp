// Font descriptions' text form, as the settings store and the About box hand it over:
// any text reads without fault, and what reads writes a text that reads back and
// writes the same text again.

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
  const std::u16string written = font.ToText();
  bitvane::FontSpec again;
  if (!again.FromText(written) || again.ToText() != written) std::abort();
  return 0;
}
