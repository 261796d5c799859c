#include "foundation/crc32.h"

#include <array>

namespace bitvane {

namespace {

// Slicing by 8: table k gives the CRC of a byte followed by k zero bytes, so eight
// bytes are folded in with eight lookups and no dependency between them.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][i] = c;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (std::uint32_t i = 0; i < 256; ++i) {
      const std::uint32_t previous = tables[k - 1][i];
      tables[k][i] = tables[0][previous & 0xFF] ^ (previous >> 8);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t previous) noexcept {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::uint32_t crc = ~previous;
  for (; size >= 8; size -= 8, bytes += 8) {
    // Little-endian order of the bytes, whatever the host's.
    const std::uint32_t low = crc ^ (bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                     static_cast<std::uint32_t>(bytes[3]) << 24);
    crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
          kTables[4][low >> 24] ^ kTables[3][bytes[4]] ^ kTables[2][bytes[5]] ^
          kTables[1][bytes[6]] ^ kTables[0][bytes[7]];
  }
  for (; size > 0; --size, ++bytes) crc = kTables[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace bitvane
