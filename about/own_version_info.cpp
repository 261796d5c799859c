#include "about/own_version_info.h"

namespace bitvane {

NVersionInfo& OwnVersionInfo() {
  static NVersionInfo info;
  return info;
}

}  // namespace bitvane
