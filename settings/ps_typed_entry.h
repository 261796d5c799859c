#pragma once
// TNPSEntry<unsigned int, unsigned int> and TNPSEntry<bool, bool>: a 32-bit number or
// a flag stored as a REG_DWORD. Loading accepts exactly 4 bytes of REG_DWORD (least
// significant first) or REG_DWORD_BIG_ENDIAN; a flag is true for any number but 0.

#include <cstdint>
#include <string>
#include <type_traits>

#include "foundation/crc32.h"
#include "settings/ps_entry.h"

namespace bitvane {

// The number of a 4-byte REG_DWORD or REG_DWORD_BIG_ENDIAN value; false for any other.
[[nodiscard]] bool ReadDword(const NRegKey::Value& value, std::uint32_t& number) noexcept;

// Writes `number` as a REG_DWORD under `name`; the result goes to the key.
[[nodiscard]] bool WriteDword(NRegKey& key, const std::u16string& name, std::uint32_t number);

template <typename T, typename ArgT>
class TNPSEntry final : public NPSEntry {
  static_assert((std::is_same_v<T, unsigned int> ||
                 std::is_same_v<T, bool>)&&std::is_same_v<T, ArgT>);
  static_assert(sizeof(unsigned int) == 4);

 public:
  // `target` may be null: it then counts as no bytes and cannot be saved.
  TNPSEntry(std::u16string name, T* target) : NPSEntry(std::move(name)), m_target(target) {
    SetModified(false);
  }

  [[nodiscard]] std::u16string ToString() const override {
    if (!m_target) return std::u16string();
    if constexpr (std::is_same_v<T, bool>) return *m_target ? u"TRUE" : u"FALSE";
    const std::string digits = std::to_string(*m_target);
    return std::u16string(digits.begin(), digits.end());
  }

  [[nodiscard]] bool Load(NRegKey& key, bool required) override {
    NRegKey::Value value;
    std::uint32_t number = 0;
    if (!key.QueryValue(value, Name()) || !ReadDword(value, number)) {
      MarkNotLoaded();
      return !required;
    }
    if (m_target) *m_target = static_cast<T>(std::is_same_v<T, bool> ? number != 0 : number);
    MarkStored();
    return true;
  }

  [[nodiscard]] bool Save(NRegKey& key, bool force) override {
    if (MaySkip(force)) return true;
    if (!m_target) {
      key.StoreError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (!WriteDword(key, Name(), static_cast<std::uint32_t>(*m_target))) return false;
    MarkStored();
    return true;
  }

  [[nodiscard]] std::uint32_t CurrentFingerprint() const override {
    if (!m_target) return 0;
    if constexpr (std::is_same_v<T, bool>) {
      const std::uint8_t byte = *m_target ? 1 : 0;
      return Crc32(&byte, 1);
    } else {
      const auto bytes = DwordBytes(*m_target);
      return Crc32(bytes.data(), bytes.size());
    }
  }

 private:
  T* m_target;
};

}  // namespace bitvane
