#include "app/own_integrity.h"

#include "app/integrity_slot.h"
#include "platform/file_system.h"

namespace bitvane {

IntegrityResult CheckOwnExecutable() {
  std::string path;
  if (!ExecutablePath(path)) return IntegrityResult::Unreadable;
  // The tag as the slot in memory holds it: the program carries no second copy.
  std::uint8_t tag[kIntegrityTagBytes];
  for (std::size_t i = 0; i < kIntegrityTagBytes; ++i) tag[i] = bitvane_integrity_slot[i];
  return CheckFileIntegrity(path, tag);
}

}  // namespace bitvane
