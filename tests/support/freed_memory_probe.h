#pragma once
// Finds out whether freed heap memory still holds a secret. A test executable that
// links freed_memory_probe.cpp runs on its own global operator new and delete (every
// form without an alignment argument), which keep each block's size. While a
// FreedMemoryProbe is alive, every block freed through operator delete is searched for
// the probe's needle before it goes back to the heap. Any freed block counts, the
// test's own strings too: keep the needle's source alive until the probe is gone. One
// probe at a time, on one thread.
//
// The allocator also stops the program with a message on a delete that does not match
// its new (a stranger's pointer, scalar against array forms, a wrong size), as the
// sanitizer would without the replacement.

#include <cstddef>
#include <string_view>
#include <vector>

#include "foundation/non_copyable.h"

namespace bitvane {

class FreedMemoryProbe : public NNonCopyable {
 public:
  // Searches for `size` bytes copied from `needle` (size >= 1).
  FreedMemoryProbe(const void* needle, std::size_t size);
  // Searches for the UTF-16 code units of `text` (not empty).
  explicit FreedMemoryProbe(std::u16string_view text)
      : FreedMemoryProbe(text.data(), text.size() * sizeof(char16_t)) {}
  ~FreedMemoryProbe();

  // Freed blocks that held the needle.
  [[nodiscard]] std::size_t Hits() const noexcept { return m_hits; }
  // Freed blocks searched.
  [[nodiscard]] std::size_t BlocksScanned() const noexcept { return m_scanned; }

 private:
  friend struct FreedMemoryProbeAccess;  // the replaced operator delete

  void Scan(const void* block, std::size_t size) noexcept;

  std::vector<unsigned char> m_needle;
  std::size_t m_hits = 0;
  std::size_t m_scanned = 0;
};

}  // namespace bitvane
