#pragma once
// The running program's own check: its file against the stamp in its slot.

#include "app/integrity.h"

namespace bitvane {

[[nodiscard]] IntegrityResult CheckOwnExecutable();

}  // namespace bitvane
