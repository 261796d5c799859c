#include "foundation/ht_key.h"

#include <cstring>
#include <new>
#include <utility>

#include "foundation/crc32.h"
#include "platform/last_error.h"

namespace bitvane {

NHTKey::NHTKey(const void* bytes, std::uint32_t length) {
  if (!Set(bytes, length) && GetLastError() == ERROR_OUTOFMEMORY) throw std::bad_alloc();
}

NHTKey NHTKey::FromUInt32(std::uint32_t value) {
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return NHTKey(bytes, sizeof bytes);
}

// A copy that cannot get its memory must not pass for an empty key.
NHTKey::NHTKey(const NHTKey& other) : NClassInfo(other) {
  if (!Set(other.Bytes(), other.m_length)) throw std::bad_alloc();
}

NHTKey& NHTKey::operator=(const NHTKey& other) {
  if (this != &other && !Set(other.Bytes(), other.m_length)) throw std::bad_alloc();
  return *this;
}

NHTKey::NHTKey(NHTKey&& other) noexcept : NClassInfo(other) {
  *this = std::move(other);
}

NHTKey& NHTKey::operator=(NHTKey&& other) noexcept {
  if (this == &other) return *this;
  Free();
  m_length = other.m_length;
  m_hash = other.m_hash;
  if (other.IsInline()) {
    std::memcpy(m_inline, other.m_inline, kInlineBytes);
  } else {
    m_outside = other.m_outside;
  }
  other.m_length = 0;
  other.m_hash = 0;
  std::memset(other.m_inline, 0, kInlineBytes);
  return *this;
}

NHTKey::~NHTKey() {
  Free();
}

const NClassRecord& NHTKey::StaticRecord() noexcept {
  static const NClassRecord record{sizeof(NHTKey), "NHTKey", &NClassInfo::StaticRecord()};
  return record;
}

const NClassRecord& NHTKey::ClassRecord() const noexcept {
  return StaticRecord();
}

bool NHTKey::Set(const void* bytes, std::uint32_t length) {
  if (bytes == nullptr && length != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::uint8_t* outside = nullptr;
  if (length > kInlineBytes) {
    outside = new (std::nothrow) std::uint8_t[length];
    if (outside == nullptr) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    std::memcpy(outside, bytes, length);
  }
  // Copy first, then free: `bytes` may be this key's own.
  std::uint8_t inlineCopy[kInlineBytes] = {};
  if (length != 0 && length <= kInlineBytes) std::memcpy(inlineCopy, bytes, length);
  Free();
  m_length = length;
  if (outside != nullptr) {
    m_outside = outside;
  } else {
    std::memcpy(m_inline, inlineCopy, kInlineBytes);
  }
  m_hash = Crc32(Bytes(), length);
  return true;
}

void NHTKey::Free() noexcept {
  if (!IsInline()) delete[] m_outside;
  m_length = 0;
  m_hash = 0;
  std::memset(m_inline, 0, kInlineBytes);
}

bool operator==(const NHTKey& a, const NHTKey& b) noexcept {
  return a.m_length == b.m_length && a.m_hash == b.m_hash &&
         (a.m_length == 0 || std::memcmp(a.Bytes(), b.Bytes(), a.m_length) == 0);
}

}  // namespace bitvane
