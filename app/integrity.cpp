#include "app/integrity.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "foundation/ansi_to_wide.h"
#include "foundation/crc32.h"
#include "foundation/read_whole_file.h"

namespace bitvane {
namespace {

std::uint32_t Le32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::size_t FindIntegritySlot(std::span<const std::uint8_t> file,
                              std::span<const std::uint8_t> tag) {
  const std::boyer_moore_horspool_searcher searcher(tag.begin(), tag.end());
  const auto first = std::search(file.begin(), file.end(), searcher);
  if (tag.empty() || first == file.end() ||
      static_cast<std::size_t>(file.end() - first) < kIntegritySlotBytes ||
      std::search(first + 1, file.end(), searcher) != file.end()) {
    return SIZE_MAX;
  }
  return static_cast<std::size_t>(first - file.begin());
}

std::uint32_t IntegrityCrc(std::span<const std::uint8_t> file, std::size_t slot) {
  const std::size_t crcWord = slot + kIntegrityTagBytes + 4;
  static constexpr std::uint8_t kZero[4] = {};
  std::uint32_t crc = Crc32(file.data(), crcWord);
  crc = Crc32(kZero, sizeof kZero, crc);
  return Crc32(file.data() + crcWord + 4, file.size() - crcWord - 4, crc);
}

IntegrityResult CheckIntegrity(std::span<const std::uint8_t> file,
                               std::span<const std::uint8_t> tag) {
  const std::size_t slot = FindIntegritySlot(file, tag);
  if (slot == SIZE_MAX) return IntegrityResult::NoSlot;
  const std::uint8_t* words = file.data() + slot + kIntegrityTagBytes;
  if (Le32(words) != kIntegrityStamped) return IntegrityResult::NotStamped;
  return IntegrityCrc(file, slot) == Le32(words + 4) ? IntegrityResult::Intact
                                                     : IntegrityResult::Altered;
}

bool ReadIntegrityFile(const std::string& path, IntegrityFileBytes& bytes) {
  bytes.data = ReadWholeFile(AnsiToWide(path.c_str(), -1), bytes.size);
  if (!bytes.data) bytes.size = 0;
  return static_cast<bool>(bytes.data);
}

IntegrityResult CheckFileIntegrity(const std::string& path, std::span<const std::uint8_t> tag) {
  IntegrityFileBytes bytes;
  return ReadIntegrityFile(path, bytes) ? CheckIntegrity(bytes.Span(), tag)
                                        : IntegrityResult::Unreadable;
}

}  // namespace bitvane
