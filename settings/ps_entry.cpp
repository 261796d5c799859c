#include "settings/ps_str_list_entry.h"
#include "settings/ps_typed_entry.h"

namespace bitvane {

bool ReadDword(const NRegKey::Value& value, std::uint32_t& number) noexcept {
  if (value.Size() != 4 || !value.Data()) return false;
  const std::uint8_t* b = value.Data();
  if (value.Type() == REG_DWORD) {
    number = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
             std::uint32_t{b[3]} << 24;
    return true;
  }
  if (value.Type() == REG_DWORD_BIG_ENDIAN) {
    number = std::uint32_t{b[3]} | std::uint32_t{b[2]} << 8 | std::uint32_t{b[1]} << 16 |
             std::uint32_t{b[0]} << 24;
    return true;
  }
  return false;
}

bool WriteDword(NRegKey& key, const std::u16string& name, std::uint32_t number) {
  const auto bytes = DwordBytes(number);
  const ErrorCode error =
      RegSetValue(key.Handle(), name.c_str(), REG_DWORD, bytes.data(), bytes.size());
  key.StoreError(error);
  return error == ERROR_SUCCESS;
}

}  // namespace bitvane
