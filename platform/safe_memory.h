#pragma once
// Guarded reads of memory whose validity is not known, such as the tags that
// lists and nodes carry: an unreadable address gives false instead of a fault.

#include <cstddef>
#include <cstdint>

namespace bitvane {

// Addresses in the lowest 4,096 bytes are never those of an object.
[[nodiscard]] inline bool IsPlausibleAddress(const void* address) noexcept {
  return reinterpret_cast<std::uintptr_t>(address) >= 4096;
}

// Copies `size` bytes from `source` to `target`. Returns false, without a fault,
// when any byte of the source cannot be read; `target` is then unspecified.
// The first call installs a handler for SIGSEGV and SIGBUS that turns a fault inside
// such a read into this false result and passes every other fault on to the handler
// that was there before.
[[nodiscard]] bool SafeReadMemory(void* target, const void* source, std::size_t size) noexcept;

// Sets `size` bytes to 0 in a way the optimiser may not drop, for memory that held
// sensitive data and is about to be freed.
void WipeMemory(void* target, std::size_t size) noexcept;

}  // namespace bitvane
