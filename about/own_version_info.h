#pragma once
// The version information of the running program's own file, read once at start-up
// and kept for the rest of the run (the About box reads it).

#include "about/version_info.h"

namespace bitvane {

[[nodiscard]] NVersionInfo& OwnVersionInfo();

}  // namespace bitvane
