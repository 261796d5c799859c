#include "foundation/str_cont.h"

#include "platform/safe_memory.h"

namespace bitvane {

void NSTRCont::WipeString(std::u16string& text) noexcept {
  // Growing to the capacity never reallocates and makes the whole buffer addressable.
  text.resize(text.capacity());
  WipeMemory(text.data(), text.size() * sizeof(char16_t));
  text.clear();
}

bool NSTRCont::NeedsCsvQuotes(std::u16string_view element) noexcept {
  for (char16_t c : element) {
    if (c == u'"' || c == u',' || c < 0x21 || c == 0x7F) return true;
  }
  return false;
}

void NSTRCont::AssignString(std::u16string& place, const std::u16string& newValue) const {
  if (&place == &newValue) return;
  if (m_wipe) WipeString(place);
  place = newValue;
}

}  // namespace bitvane
