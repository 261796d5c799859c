#include "tests/support/freed_memory_probe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace bitvane {
namespace {

// Volatile stores: an optimiser may not drop them as dead before the delete.
void* Store(void* target, const std::u16string& text, std::size_t bytes) {
  auto* to = static_cast<volatile unsigned char*>(target);
  const auto* from = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < bytes; ++i) to[i] = from[i];
  return target;
}

// What the wipe tests rely on: every form of delete is searched, to the block's last byte
// and not beyond it.
TEST(FreedMemoryProbe, SeesTheNeedleInEveryFormOfDeleteToTheBlocksEnd) {
  const std::u16string text = u"Zebra crossing at midnight";
  const std::size_t bytes = text.size() * sizeof(char16_t);
  FreedMemoryProbe probe(text);
  struct Holder {
    char16_t text[32];
  };
  delete static_cast<Holder*>(Store(new Holder{}, text, bytes));
  delete[] static_cast<char16_t*>(Store(new (std::nothrow) char16_t[64], text, bytes));
  ::operator delete(Store(::operator new(bytes, std::nothrow), text, bytes), std::nothrow);
  ::operator delete(Store(::operator new(bytes), text, bytes));
  std::allocator<char16_t> allocator;  // frees through the sized delete
  allocator.deallocate(static_cast<char16_t*>(Store(allocator.allocate(text.size()), text, bytes)),
                       text.size());
  auto* atEnd = new unsigned char[bytes + 3];  // the needle in the last bytes
  Store(atEnd + 3, text, bytes);
  delete[] atEnd;
  EXPECT_EQ(probe.Hits(), 6u);
  delete[] static_cast<char*>(Store(new char[bytes - 1], text, bytes - 1));  // cut short
  std::make_unique<char16_t[]>(64).reset();                                  // zeroed
  EXPECT_EQ(probe.Hits(), 6u);
  EXPECT_EQ(probe.BlocksScanned(), 8u);
}

TEST(FreedMemoryProbe, BlocksStaySixteenByteAligned) {
  for (std::size_t size = 0; size < 100; ++size) {
    const std::unique_ptr<char[]> block(new char[size]);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.get()) % 16, 0u) << size;
  }
}

// Opaque to the compiler, which would otherwise reject the mismatch below.
void* (*volatile g_newArray)(std::size_t) = &::operator new[];

TEST(FreedMemoryProbeDeathTest, ReportsMixedScalarAndArrayForms) {
  EXPECT_DEATH(::operator delete(g_newArray(8)), "scalar and array forms");
}

}  // namespace
}  // namespace bitvane
