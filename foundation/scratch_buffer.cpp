#include "foundation/scratch_buffer.h"

#include <cstdlib>

#include "platform/last_error.h"

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
  if (m_wipe) {
    // Writes through a volatile pointer, which the optimiser must not drop even
    // though the memory is freed right after.
    volatile std::uint8_t* byte = m_data;
    for (std::uint32_t i = 0; i < m_size; ++i) byte[i] = 0;
  }
  std::free(m_data);
}

}  // namespace bitvane
