#pragma once
// A zero-filled block of scratch memory that can be wiped before it is freed, for
// data such as stored settings that should not linger in freed memory.

#include <cstdint>

#include "foundation/non_copyable.h"

namespace bitvane {

class NScratchBuffer : public NNonCopyable {
 public:
  static constexpr std::uint32_t kDefaultSize = 65536;

  // Allocates `size` zero bytes. If that fails, Data() is null, Size() is 0 and the
  // last-error code is ERROR_OUTOFMEMORY. Size 0 allocates nothing and is no failure.
  explicit NScratchBuffer(std::uint32_t size = kDefaultSize) noexcept;

  // Sets every byte to 0 before freeing the memory when Wipes() is true.
  ~NScratchBuffer();

  [[nodiscard]] std::uint8_t* Data() noexcept { return m_data; }
  [[nodiscard]] const std::uint8_t* Data() const noexcept { return m_data; }
  [[nodiscard]] std::uint32_t Size() const noexcept { return m_size; }

  // Whether the destructor wipes the memory; on from the start.
  void SetWipe(bool wipe) noexcept { m_wipe = wipe; }
  [[nodiscard]] bool Wipes() const noexcept { return m_wipe; }

 private:
  std::uint8_t* m_data = nullptr;
  std::uint32_t m_size = 0;
  bool m_wipe = true;
};

}  // namespace bitvane
