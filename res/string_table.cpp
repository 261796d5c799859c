#include "res/string_table.h"

#include <array>

namespace bitvane {

namespace {

struct StringEntry {
  int id;
  std::u16string_view text;
};

constexpr std::array<StringEntry, 1> kStrings{{
    {kAboutItemStringId, u"&About Bitvane..."},
}};

}  // namespace

std::u16string_view LoadResString(int id) noexcept {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

}  // namespace bitvane
