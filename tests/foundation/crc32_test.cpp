#include "foundation/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace bitvane {
namespace {

TEST(Crc32, KnownValuesAndPieces) {
  const struct {
    std::string bytes;
    std::uint32_t crc;
  } rows[] = {
      {"", 0x00000000u},
      {"123456789", 0xCBF43926u},
      {std::string(4, '\0'), 0x2144DF1Cu},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Crc32(row.bytes.data(), row.bytes.size()), row.crc) << row.bytes;
    // Any cut into two pieces gives the CRC of the whole.
    for (std::size_t cut = 0; cut <= row.bytes.size(); ++cut) {
      const std::uint32_t first = Crc32(row.bytes.data(), cut);
      EXPECT_EQ(Crc32(row.bytes.data() + cut, row.bytes.size() - cut, first), row.crc) << cut;
    }
  }
  EXPECT_EQ(Crc32(nullptr, 0, 0x12345678u), 0x12345678u);
}

}  // namespace
}  // namespace bitvane
