#pragma once
// NSTRList: an ordered list of strings with the comma-separated, multi-string, line
// and separator forms. With the wipe flag set, no released, overwritten or temporary
// string leaves a copy of its characters in freed memory.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "foundation/list_of.h"
#include "foundation/str_cont.h"

namespace bitvane {

class NSTRList : public NSTRCont, public TNListOf<std::u16string> {
 public:
  NSTRList() noexcept = default;
  // The fields of a comma-separated text, in order; line ends count like commas.
  // A null or empty text gives an empty list. The zero-terminated text ends at its 0;
  // the view is read whole, a 0 inside it being an ordinary character of its field.
  explicit NSTRList(const char16_t* csvText, bool wipe = false);
  explicit NSTRList(std::u16string_view csvText, bool wipe = false);
  ~NSTRList() override { RemoveAll(); }

  // Wipes the old string when the wipe flag is set, then stores the new one.
  void ReleaseElement(std::u16string& place, const std::u16string& newValue) override {
    AssignString(place, newValue);
  }

  // Removes and returns the first string; the empty string for an empty list.
  std::u16string RemoveHead();

  // The elements separated by commas. An element is quoted when NeedsCsvQuotes says
  // so, its quotation marks doubled. NSTRList(ToCsv()) gives the same elements back.
  [[nodiscard]] std::u16string ToCsv() const;

  // Replaces the contents with the lines of `text`: lines end at CR LF, a lone CR or a
  // lone LF; empty lines in between are kept; the text after the last line end is
  // added only when it is not empty.
  void SplitLines(std::u16string_view text);

  // Replaces the contents with the strings of a block of zero-terminated strings up to
  // the first empty one. The counted form never reads past `length` characters and
  // takes a last string that lacks its terminator; a null block gives an empty list.
  void SetFromMultiString(const char16_t* block);
  void SetFromMultiString(const char16_t* block, std::size_t length);

  // Replaces the contents with the parts of `text` between occurrences of any of the
  // separators (the earliest wins; empty parts are kept). An empty text, or no
  // non-empty separator, gives the whole text as the single element.
  void SplitAt(std::u16string_view text, std::initializer_list<std::u16string_view> separators);
  void SplitAtBackslash(std::u16string_view text) { SplitAt(text, {u"\\"}); }

 private:
  void ReadCsv(std::u16string_view csvText);
};

}  // namespace bitvane
