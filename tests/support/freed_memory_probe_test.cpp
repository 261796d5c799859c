#include "tests/support/freed_memory_probe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace bitvane {
namespace {

constexpr char kNeedle[] = "needle-0123";
constexpr std::size_t kNeedleSize = sizeof kNeedle - 1;
constexpr char kZeros[40] = {};

// Volatile stores: an optimiser may not drop them as dead before the delete.
void Store(void* target, const void* source, std::size_t size) {
  auto* to = static_cast<volatile unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
}

TEST(FreedMemoryProbe, CountsBlocksThatStillHoldTheNeedle) {
  FreedMemoryProbe probe(kNeedle, kNeedleSize);

  char* atEnd = new char[40];
  Store(atEnd + 40 - kNeedleSize, kNeedle, kNeedleSize);
  delete[] atEnd;
  EXPECT_EQ(probe.Hits(), 1u);

  char* wiped = new char[40];
  Store(wiped + 3, kNeedle, kNeedleSize);
  Store(wiped, kZeros, 40);
  delete[] wiped;

  char* cut = new char[40];  // only the needle's first bytes, at the very end
  Store(cut + 40 - 4, kNeedle, 4);
  delete[] cut;
  EXPECT_EQ(probe.Hits(), 1u);
  EXPECT_EQ(probe.BlocksScanned(), 3u);
}

TEST(FreedMemoryProbe, SeesEveryFormOfDelete) {
  const std::u16string text = u"Zebra crossing at midnight";
  const std::size_t bytes = text.size() * sizeof(char16_t);
  FreedMemoryProbe probe(text);

  struct Holder {
    char16_t text[32];
  };
  auto* scalar = new Holder{};
  Store(scalar->text, text.data(), bytes);
  delete scalar;

  auto* array = new (std::nothrow) char16_t[64];
  Store(array, text.data(), bytes);
  delete[] array;

  void* raw = ::operator new(bytes, std::nothrow);
  Store(raw, text.data(), bytes);
  ::operator delete(raw, std::nothrow);

  std::allocator<char16_t> allocator;  // frees through the sized delete
  char16_t* sized = allocator.allocate(text.size());
  Store(sized, text.data(), bytes);
  allocator.deallocate(sized, text.size());

  std::make_unique<char16_t[]>(64).reset();  // zeroed: no hit
  EXPECT_EQ(probe.Hits(), 4u);
  EXPECT_EQ(probe.BlocksScanned(), 5u);
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
