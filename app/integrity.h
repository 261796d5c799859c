#pragma once
// The executable-unaltered check. Each stamped program carries one slot: a 16-byte
// tag found nowhere else in its file, a state word (1 once stamped) and a CRC-32. After
// linking, the stamp writes into the slot the CRC of the whole file taken with the CRC
// word zeroed; at start the program takes the same CRC of its file and compares.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "foundation/auto_ptr.h"

namespace bitvane {

inline constexpr std::size_t kIntegrityTagBytes = 16;
inline constexpr std::size_t kIntegritySlotBytes = kIntegrityTagBytes + 8;
inline constexpr std::uint32_t kIntegrityStamped = 1;
// The tag: only the slot's initialiser and the stamp tool may hold it, so that the tag
// occurs once in a program's file.
inline constexpr unsigned char kIntegrityTag[kIntegrityTagBytes] = {
    'B', 'i', 't', 'v', 'a', 'n', 'e', 0x1F, 'I', 'n', 't', 'e', 'g', 'r', 'i', 't'};

enum class IntegrityResult {
  Intact,
  Altered,     // the CRC differs from the stamp
  NotStamped,  // the slot is there but was never stamped
  NoSlot,      // the tag occurs nowhere, or more than once
  Unreadable,  // the file could not be read
};

// The offset of the only occurrence of `tag` in `file` with a whole slot behind it;
// SIZE_MAX when it occurs nowhere or more than once.
[[nodiscard]] std::size_t FindIntegritySlot(std::span<const std::uint8_t> file,
                                            std::span<const std::uint8_t> tag);

// The CRC-32 of `file` with the slot at `slot` holding 0 for its CRC word.
[[nodiscard]] std::uint32_t IntegrityCrc(std::span<const std::uint8_t> file, std::size_t slot);

// Checks the bytes of a stamped file against its stamp.
[[nodiscard]] IntegrityResult CheckIntegrity(std::span<const std::uint8_t> file,
                                             std::span<const std::uint8_t> tag);

// A file's bytes, read whole; `data` is null when the file could not be read.
struct IntegrityFileBytes {
  TNAutoFreePtrTo<std::uint8_t> data;
  std::size_t size = 0;
  [[nodiscard]] std::span<const std::uint8_t> Span() const { return {data.Get(), size}; }
};
[[nodiscard]] bool ReadIntegrityFile(const std::string& path, IntegrityFileBytes& bytes);

// Reads the file at `path` whole and checks it.
[[nodiscard]] IntegrityResult CheckFileIntegrity(const std::string& path,
                                                 std::span<const std::uint8_t> tag);

// Stamps the file at `path` in place (8 bytes written). False with a message in `error`
// when the file cannot be read or written or holds no single slot.
[[nodiscard]] bool StampFileIntegrity(const std::string& path, std::string& error);

}  // namespace bitvane
