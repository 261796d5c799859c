#pragma once
// A call's result beside the error code it left, the code cleared before the call.

#include <utility>

#include "platform/last_error.h"

namespace bitvane::test {

template <class F>
auto WithError(F call) {
  SetLastError(0);
  auto result = call();
  return std::pair(result, GetLastError());
}

}  // namespace bitvane::test
