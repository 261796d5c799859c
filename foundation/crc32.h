#pragma once
// The standard reflected CRC-32 (polynomial 0xEDB88320, initial value all ones,
// final complement): the fingerprint of stored settings and the hash of table keys.

#include <cstddef>
#include <cstdint>

namespace bitvane {

// CRC-32 of `size` bytes. To checksum data that arrives in pieces, pass the result
// of the previous piece as `previous`: Crc32(b, n2, Crc32(a, n1)) == Crc32(ab, n1 + n2).
// A null `data` with size 0 gives `previous` back.
[[nodiscard]] std::uint32_t Crc32(const void* data, std::size_t size,
                                  std::uint32_t previous = 0) noexcept;

}  // namespace bitvane
