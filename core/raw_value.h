#pragma once
// The one 64-bit value that every view shows, and its bytes by number: byte 0 is the
// least significant byte on every host, byte 7 the most significant.

#include <cstdint>

namespace bitvane {

struct RawValue {
  std::uint32_t ValueLow = 0;   // bytes 0 to 3
  std::uint32_t ValueHigh = 0;  // bytes 4 to 7

  [[nodiscard]] constexpr std::uint64_t ToU64() const noexcept {
    return (std::uint64_t{ValueHigh} << 32) | ValueLow;
  }
  [[nodiscard]] static constexpr RawValue FromU64(std::uint64_t bits) noexcept {
    return RawValue{static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32)};
  }

  // Byte `index` (0 to 7).
  [[nodiscard]] constexpr std::uint8_t Byte(unsigned index) const noexcept {
    return static_cast<std::uint8_t>(ToU64() >> (8 * (index & 7)));
  }

  // The `size` bytes from `first` on (first + size <= 8) as an integer, byte `first`
  // least significant.
  [[nodiscard]] constexpr std::uint64_t Bytes(unsigned first, unsigned size) const noexcept {
    const std::uint64_t shifted = ToU64() >> (8 * first);
    return size >= 8 ? shifted : shifted & ((std::uint64_t{1} << (8 * size)) - 1);
  }

  // Writes the low `size` bytes of `bits` to bytes `first` to first + size - 1.
  constexpr void SetBytes(unsigned first, unsigned size, std::uint64_t bits) noexcept {
    const std::uint64_t mask =
        (size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1) << (8 * first);
    *this = FromU64((ToU64() & ~mask) | ((bits << (8 * first)) & mask));
  }

  friend constexpr bool operator==(const RawValue&, const RawValue&) = default;
};

}  // namespace bitvane
