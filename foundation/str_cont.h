#pragma once
// NSTRCont: what the string containers share: the wipe option for sensitive text and
// the text forms in which a list of strings is written as one string.

#include <cstdint>
#include <string>
#include <string_view>

namespace bitvane {

class NSTRCont {
 public:
  // A separator and its next occurrence while a text is split (-1: not searched yet).
  struct NSepEntry {
    std::u16string_view separator;
    std::int64_t position = -1;
  };

  explicit NSTRCont(bool wipe = false) noexcept : m_wipe(wipe) {}

  // With the wipe flag set, every string the container releases, overwrites or hands
  // out of a temporary has its characters set to 0 first.
  [[nodiscard]] bool Wipes() const noexcept { return m_wipe; }
  void SetWipe(bool wipe) noexcept { m_wipe = wipe; }

  // Sets every character the string's storage holds to 0 (also those past its end
  // left over from a longer former value), then empties it. Storage is kept.
  static void WipeString(std::u16string& text) noexcept;

  // True when a comma-separated element must be quoted: it holds a quotation mark,
  // a comma, a character below U+0021 or U+007F.
  [[nodiscard]] static bool NeedsCsvQuotes(std::u16string_view element) noexcept;

 protected:
  ~NSTRCont() = default;

  // Gives `place` its new value; with the wipe flag the old characters are wiped first.
  void AssignString(std::u16string& place, const std::u16string& newValue) const;

 private:
  bool m_wipe;
};

}  // namespace bitvane
