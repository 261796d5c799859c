#pragma once
// NPSSTRListEntry: a string list stored as a REG_MULTI_SZ. A multi-string cannot hold an
// empty string, so an empty element is written as the marker of eight no-break spaces
// and read back as empty.

#include <string>
#include <string_view>

#include "foundation/str_list.h"
#include "settings/ps_entry.h"

namespace bitvane {

class NPSSTRListEntry final : public NPSEntry {
 public:
  static constexpr std::u16string_view kEmptyMarker =
      u"\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0";

  // `target` may be null: it then counts as an empty list and cannot be saved.
  NPSSTRListEntry(std::u16string name, NSTRList* target);

  [[nodiscard]] std::u16string ToString() const override;
  // A value that is not REG_MULTI_SZ is refused with thread last-error
  // ERROR_INVALID_DATATYPE; the list stays as it was.
  [[nodiscard]] bool Load(NRegKey& key, bool required) override;
  [[nodiscard]] bool Save(NRegKey& key, bool force) override;
  // Over the count, then for every string its length and its UTF-16LE units (counts
  // and lengths as 4 bytes, least significant first).
  [[nodiscard]] std::uint32_t CurrentFingerprint() const override;

  // The REG_MULTI_SZ bytes of a list: every string (an empty one as the marker) with a
  // NUL after it, then one more NUL.
  [[nodiscard]] static std::string MultiStringBytes(const NSTRList& list);

 private:
  NSTRList* m_target;
};

}  // namespace bitvane
