#include "tests/support/freed_memory_probe.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace bitvane {

namespace {

// Each block starts with this (16-byte) header; the form tells scalar, array and strangers.
struct BlockHeader {
  std::size_t size;
  std::uint64_t form;
};
static_assert(sizeof(BlockHeader) == 16);

constexpr std::uint64_t kScalarForm = 0x5343414C41524E45u;
constexpr std::uint64_t kArrayForm = 0x4152524159424C4Bu;

[[noreturn]] void Fail(const char* what, const void* where) noexcept {
  std::fprintf(stderr, "freed memory probe: %s (%p)\n", what, where);
  std::abort();
}

// The standard loop: ask the new-handler for memory until it gives up.
void* Allocate(std::size_t size, std::uint64_t form) {
  while (size <= SIZE_MAX - sizeof(BlockHeader)) {
    if (auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size))) {
      *header = BlockHeader{size, form};
      return header + 1;
    }
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) break;
    handler();
  }
  throw std::bad_alloc();
}

void* TryAllocate(std::size_t size, std::uint64_t form) noexcept try {
  return Allocate(size, form);
} catch (...) {
  return nullptr;
}

void Free(void* block, std::uint64_t form, std::size_t size) noexcept {
  if (block == nullptr) return;
  auto* header = static_cast<BlockHeader*>(block) - 1;
  if (header->form != form) Fail("delete of another form of new, or of a stranger", block);
  if (size != SIZE_MAX && size != header->size) Fail("sized delete with the wrong size", block);
  if (FreedMemoryProbe::active != nullptr) FreedMemoryProbe::active->Scan(block, header->size);
  header->form = 0;  // a second delete fails
  std::free(header);
}

}  // namespace

FreedMemoryProbe::FreedMemoryProbe(const void* needle, std::size_t size) {
  if (needle == nullptr || size == 0 || active != nullptr) Fail("one probe, a needle", needle);
  const auto* bytes = static_cast<const unsigned char*>(needle);
  m_needle.assign(bytes, bytes + size);
  active = this;
}

void FreedMemoryProbe::Scan(const void* block, std::size_t size) noexcept {
  ++m_scanned;
  const auto* begin = static_cast<const unsigned char*>(block);
  if (std::search(begin, begin + size, m_needle.begin(), m_needle.end()) != begin + size) ++m_hits;
}

}  // namespace bitvane

// Each unaligned form of new with its deletes; the aligned ones stay the library's own.
namespace b = bitvane;
// clang-format off
#define BITVANE_REPLACE(arr, form)                                                   \
  void* operator new arr(std::size_t n) { return b::Allocate(n, form); }             \
  void* operator new arr(std::size_t n, const std::nothrow_t&) noexcept {            \
    return b::TryAllocate(n, form);                                                  \
  }                                                                                  \
  void operator delete arr(void* p) noexcept { b::Free(p, form, SIZE_MAX); }         \
  void operator delete arr(void* p, std::size_t n) noexcept { b::Free(p, form, n); } \
  void operator delete arr(void* p, const std::nothrow_t&) noexcept { b::Free(p, form, SIZE_MAX); }
// clang-format on
BITVANE_REPLACE(, b::kScalarForm)
BITVANE_REPLACE([], b::kArrayForm)
