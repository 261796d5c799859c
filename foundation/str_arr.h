#pragma once
// NSTRArr: an indexed array of strings with the wipe option of the string containers.

#include <string>

#include "foundation/arr_of.h"
#include "foundation/str_cont.h"

namespace bitvane {

class NSTRArr : public NSTRCont, public TNArrOf<std::u16string> {
 public:
  explicit NSTRArr(bool wipe = false, std::uint32_t growStep = 0) noexcept
      : NSTRCont(wipe), TNArrOf<std::u16string>(growStep) {}
  ~NSTRArr() override { RemoveAll(); }

  // Wipes the old string when the wipe flag is set, then stores the new one.
  void ReleaseElement(std::u16string& place, const std::u16string& newValue) override {
    AssignString(place, newValue);
  }
  void WipeTemporary(std::u16string& temporary) override {
    if (Wipes()) WipeString(temporary);
  }
};

}  // namespace bitvane
