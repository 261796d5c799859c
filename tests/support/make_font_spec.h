#pragma once
// A FontSpec with the given fields, set directly (no validation), for font tests.

#include <cstdint>
#include <string>
#include <utility>

#include "foundation/font_spec.h"

namespace bitvane::test {

inline FontSpec MakeFontSpec(std::u16string face, double size, std::int32_t weight = 0,
                             bool italic = false, bool underline = false, bool strikeOut = false) {
  FontSpec spec;
  spec.face = std::move(face);
  spec.italic = italic;
  spec.underline = underline;
  spec.strikeOut = strikeOut;
  spec.size = size;
  spec.weight = weight;
  return spec;
}

}  // namespace bitvane::test
