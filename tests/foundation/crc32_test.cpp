#include "foundation/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace bitvane {
namespace {

TEST(Crc32, KnownValues) {
  struct Row {
    std::string bytes;
    std::uint32_t crc;
  };
  const Row rows[] = {
      {"", 0x00000000u},
      {"123456789", 0xCBF43926u},
      {"a", 0xE8B7BE43u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {std::string(4, '\0'), 0x2144DF1Cu},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Crc32(row.bytes.data(), row.bytes.size()), row.crc) << row.bytes;
  }
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(Crc32, PiecesGiveTheCrcOfTheWhole) {
  const std::string text = "The quick brown fox jumps over the lazy dog";
  const std::uint32_t whole = Crc32(text.data(), text.size());
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    const std::uint32_t first = Crc32(text.data(), cut);
    EXPECT_EQ(Crc32(text.data() + cut, text.size() - cut, first), whole) << cut;
  }
}

}  // namespace
}  // namespace bitvane
