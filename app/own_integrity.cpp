#include "app/own_integrity.h"

#include "app/integrity_slot.h"

namespace bitvane {

IntegrityResult CheckOwnExecutable() {
  // The tag as the slot in memory holds it: the program carries no second copy.
  std::uint8_t tag[kIntegrityTagBytes];
  for (std::size_t i = 0; i < kIntegrityTagBytes; ++i) tag[i] = bitvane_integrity_slot[i];
  // Through the link itself: the running file, even after it was replaced or deleted.
  return CheckFileIntegrity("/proc/self/exe", tag);
}

}  // namespace bitvane
