#pragma once
// Finds out whether freed heap memory still holds a secret: an executable linking
// freed_memory_probe.cpp runs on its own operator new and delete, which search each block freed
// while a probe is alive (the test's strings too: keep the needle's source alive that long).
// One probe at a time, on one thread. A delete that does not match its new stops the program.

#include <cstddef>
#include <string_view>
#include <vector>

#include "foundation/non_copyable.h"

namespace bitvane {

class FreedMemoryProbe : public NNonCopyable {
 public:
  // Searches for `size` bytes copied from `needle`, or for the units of `text`.
  FreedMemoryProbe(const void* needle, std::size_t size);
  explicit FreedMemoryProbe(std::u16string_view text)
      : FreedMemoryProbe(text.data(), text.size() * sizeof(char16_t)) {}
  ~FreedMemoryProbe() { active = nullptr; }

  [[nodiscard]] std::size_t Hits() const noexcept { return m_hits; }  // blocks with the needle
  [[nodiscard]] std::size_t BlocksScanned() const noexcept { return m_scanned; }  // all of them
  void Scan(const void* block, std::size_t size) noexcept;  // for the replaced delete
  static inline FreedMemoryProbe* active = nullptr;         // the one alive, if any

 private:
  std::vector<unsigned char> m_needle;
  std::size_t m_hits = 0;
  std::size_t m_scanned = 0;
};

}  // namespace bitvane
