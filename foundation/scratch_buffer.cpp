#include "foundation/scratch_buffer.h"

#include <cstdlib>

#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

NScratchBuffer::NScratchBuffer(std::uint32_t size) noexcept {
  if (size == 0) return;
  m_data = static_cast<std::uint8_t*>(std::calloc(size, 1));
  if (m_data == nullptr) {
    SetLastError(ERROR_OUTOFMEMORY);
    return;
  }
  m_size = size;
}

NScratchBuffer::~NScratchBuffer() {
  if (m_data == nullptr) return;
  // A wipe the optimiser must not drop even though the memory is freed right after.
  if (m_wipe) WipeMemory(m_data, m_size);
  std::free(m_data);
}

}  // namespace bitvane
