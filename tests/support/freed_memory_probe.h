#pragma once
// Finds out whether freed heap memory still holds a secret. A test executable that
// links freed_memory_probe.cpp runs on its own global operator new and delete
// (every form without an alignment argument), which keep each block's size. While
// a FreedMemoryProbe is alive, every block freed through operator delete is searched
// for the probe's needle before it goes back to the heap.
//
//   const std::u16string secret = u"...";        // outlives the probe
//   {
//     FreedMemoryProbe probe(secret);
//     ... code that should wipe the secret before freeing it ...
//     EXPECT_EQ(probe.Hits(), 0u);
//   }
//
// Any freed block counts, including the test's own strings: keep the needle's
// source alive until the probe is gone. One probe at a time, on one thread.
//
// The allocator also checks each delete against its new: a pointer that it did not
// hand out, scalar against array forms, and a sized delete with the wrong size
// stop the program with a message, as the sanitizer would without the replacement.

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
