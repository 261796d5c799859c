#pragma once
// NPSEntry: one persistent setting, binding a variable of the program to a registry
// value. It remembers the CRC-32 of the variable as last loaded, saved or added, and
// is written back only when the variable changed (or was never loaded).

#include <array>
#include <cstdint>
#include <string>

#include "foundation/non_copyable.h"
#include "settings/reg_key.h"

namespace bitvane {

// The 4 bytes of a number, least significant first, as fingerprints and REG_DWORD
// values hold it.
[[nodiscard]] constexpr std::array<std::uint8_t, 4> DwordBytes(std::uint32_t number) noexcept {
  return {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16),
          std::uint8_t(number >> 24)};
}

class NPSEntry : public NNonCopyable {
 public:
  explicit NPSEntry(std::u16string name) : m_name(std::move(name)) {}
  virtual ~NPSEntry() = default;

  // True when the variable's fingerprint differs from the remembered one.
  [[nodiscard]] virtual bool IsModified() const { return CurrentFingerprint() != m_fingerprint; }

  // The variable as text: a number in decimal, "TRUE"/"FALSE", "List of N strings".
  [[nodiscard]] virtual std::u16string ToString() const = 0;

  // Reads the value from an open key. A missing or malformed value leaves the variable
  // alone, clears Loaded() and answers !required.
  [[nodiscard]] virtual bool Load(NRegKey& key, bool required) = 0;

  // Writes the value to a key open for writing; unless `force`, an entry that is loaded
  // and unchanged is skipped. A failed write leaves the entry as it was and its error
  // code in the key.
  [[nodiscard]] virtual bool Save(NRegKey& key, bool force) = 0;

  // Makes IsModified() answer `modified` from now on.
  virtual void SetModified(bool modified) {
    m_fingerprint = modified ? ~CurrentFingerprint() : CurrentFingerprint();
  }

  [[nodiscard]] bool Loaded() const noexcept { return m_loaded; }
  [[nodiscard]] std::uint32_t Fingerprint() const noexcept { return m_fingerprint; }
  [[nodiscard]] const std::u16string& Name() const noexcept { return m_name; }

  // The CRC-32 of the variable's current value.
  [[nodiscard]] virtual std::uint32_t CurrentFingerprint() const = 0;

 protected:
  // After a load or save that went through.
  void MarkStored() {
    m_fingerprint = CurrentFingerprint();
    m_loaded = true;
  }
  void MarkNotLoaded() noexcept { m_loaded = false; }
  // Skips the write of an unchanged, loaded entry.
  [[nodiscard]] bool MaySkip(bool force) const { return !force && m_loaded && !IsModified(); }

 private:
  bool m_loaded = false;
  std::uint32_t m_fingerprint = 0;
  std::u16string m_name;  // empty: the key's default value
};

}  // namespace bitvane
