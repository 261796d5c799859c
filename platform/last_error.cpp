#include "platform/last_error.h"

namespace bitvane {

namespace {
thread_local ErrorCode t_lastError = ERROR_SUCCESS;
}

void SetLastError(ErrorCode code) noexcept {
  t_lastError = code;
}

ErrorCode GetLastError() noexcept {
  return t_lastError;
}

}  // namespace bitvane
