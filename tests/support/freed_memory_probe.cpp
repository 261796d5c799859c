#include "tests/support/freed_memory_probe.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

namespace bitvane {

namespace {

// Every block starts with this header, which keeps the returned pointer 16-byte
// aligned. The form tags tell scalar from array blocks and ours from strangers.
struct BlockHeader {
  std::size_t size;
  std::uint64_t form;
};
static_assert(sizeof(BlockHeader) == 16);

constexpr std::uint64_t kScalarForm = 0x5343414C41524E45u;
constexpr std::uint64_t kArrayForm = 0x4152524159424C4Bu;
constexpr std::size_t kUnsized = std::numeric_limits<std::size_t>::max();

FreedMemoryProbe* g_activeProbe = nullptr;

[[noreturn]] void Fail(const char* what, const void* where) noexcept {
  std::fprintf(stderr, "freed memory probe: %s (%p)\n", what, where);
  std::abort();
}

// The standard loop: ask the new-handler for memory until it gives up.
void* Allocate(std::size_t size, std::uint64_t form) {
  if (size > kUnsized - sizeof(BlockHeader)) throw std::bad_alloc();
  for (;;) {
    if (auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size))) {
      *header = BlockHeader{size, form};
      return header + 1;
    }
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* AllocateNoThrow(std::size_t size, std::uint64_t form) noexcept {
  try {
    return Allocate(size, form);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

struct FreedMemoryProbeAccess {
  static void Deallocate(void* block, std::uint64_t form, std::size_t size) noexcept {
    if (block == nullptr) return;
    auto* header = static_cast<BlockHeader*>(block) - 1;
    if (header->form != form) {
      Fail(header->form == kScalarForm || header->form == kArrayForm
               ? "scalar and array forms of new and delete mixed"
               : "deleting a pointer that operator new did not return",
           block);
    }
    if (size != kUnsized && size != header->size) Fail("sized delete with the wrong size", block);
    if (g_activeProbe != nullptr) g_activeProbe->Scan(block, header->size);
    header->form = 0;
    std::free(header);
  }
};

FreedMemoryProbe::FreedMemoryProbe(const void* needle, std::size_t size) {
  if (needle == nullptr || size == 0) Fail("a probe needs a needle of at least one byte", needle);
  if (g_activeProbe != nullptr) Fail("only one probe may be alive at a time", g_activeProbe);
  const auto* bytes = static_cast<const unsigned char*>(needle);
  m_needle.assign(bytes, bytes + size);
  g_activeProbe = this;
}

FreedMemoryProbe::~FreedMemoryProbe() {
  g_activeProbe = nullptr;
}

void FreedMemoryProbe::Scan(const void* block, std::size_t size) noexcept {
  ++m_scanned;
  const auto* begin = static_cast<const unsigned char*>(block);
  const auto* end = begin + size;
  if (std::search(begin, end, m_needle.begin(), m_needle.end()) != end) ++m_hits;
}

}  // namespace bitvane

// The replacements. The aligned forms stay the library's own: they pair with
// each other and never reach these.

void* operator new(std::size_t size) {
  return bitvane::Allocate(size, bitvane::kScalarForm);
}

void* operator new[](std::size_t size) {
  return bitvane::Allocate(size, bitvane::kArrayForm);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return bitvane::AllocateNoThrow(size, bitvane::kScalarForm);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return bitvane::AllocateNoThrow(size, bitvane::kArrayForm);
}

void operator delete(void* block) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kScalarForm, bitvane::kUnsized);
}

void operator delete[](void* block) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kArrayForm, bitvane::kUnsized);
}

void operator delete(void* block, std::size_t size) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kScalarForm, size);
}

void operator delete[](void* block, std::size_t size) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kArrayForm, size);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kScalarForm, bitvane::kUnsized);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
  bitvane::FreedMemoryProbeAccess::Deallocate(block, bitvane::kArrayForm, bitvane::kUnsized);
}
