#pragma once
// NHTKey: the hash-table key, a private copy of a block of key bytes with its length
// and CRC-32 hash. Blocks of up to 10 bytes are kept inside the key, longer ones in
// memory of their own. Keys compare by length, then hash, then bytes.

#include <cstdint>

#include "foundation/class_info.h"

namespace bitvane {

class NHTKey : public NClassInfo {
 public:
  static constexpr std::uint32_t kInlineBytes = 10;

  NHTKey() noexcept = default;
  NHTKey(const void* bytes, std::uint32_t length);
  // The 4 bytes of `value`, least significant first, on every host.
  static NHTKey FromUInt32(std::uint32_t value);

  NHTKey(const NHTKey& other);
  NHTKey& operator=(const NHTKey& other);
  NHTKey(NHTKey&& other) noexcept;
  NHTKey& operator=(NHTKey&& other) noexcept;
  ~NHTKey() override;

  [[nodiscard]] const NClassRecord& ClassRecord() const noexcept override;
  [[nodiscard]] static const NClassRecord& StaticRecord() noexcept;

  // Copies `length` bytes and computes their hash. False (ERROR_INVALID_PARAMETER for
  // null bytes with a length, ERROR_OUTOFMEMORY) leaves the key as it was.
  [[nodiscard]] bool Set(const void* bytes, std::uint32_t length);

  [[nodiscard]] std::uint32_t Length() const noexcept { return m_length; }
  [[nodiscard]] std::uint32_t Hash() const noexcept { return m_hash; }
  [[nodiscard]] const std::uint8_t* Bytes() const noexcept {
    return m_length <= kInlineBytes ? m_inline : m_outside;
  }
  [[nodiscard]] bool IsInline() const noexcept { return m_length <= kInlineBytes; }

  friend bool operator==(const NHTKey& a, const NHTKey& b) noexcept;

 private:
  void Free() noexcept;

  std::uint32_t m_length = 0;
  std::uint32_t m_hash = 0;  // CRC-32 of the bytes; 0 for no bytes
  union {
    std::uint8_t m_inline[kInlineBytes] = {};
    std::uint8_t* m_outside;
  };
};

}  // namespace bitvane
