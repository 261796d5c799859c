#pragma once
// A FontSpec with the given fields, set directly (no validation), for font tests.

#include <cstdint>
#include <string>
#include <utility>

#include "foundation/font_spec.h"

namespace bitvane::test {

inline FontSpec MakeFontSpec(std::u16string face, double size, std::int32_t weight = 0,
                             bool italic = false, bool underline = false, bool strikeOut = false) {
  FontSpec font;
  font.face = std::move(face);
  font.italic = italic;
  font.underline = underline;
  font.strikeOut = strikeOut;
  font.size = size;
  font.weight = weight;
  return font;
}

}  // namespace bitvane::test
