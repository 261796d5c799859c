#pragma once
// Registry calls that tests make again and again: a value from a byte string, a key with
// a value made in one go.

#include <cstdint>
#include <string_view>

#include "platform/registry.h"

namespace bitvane::test {

inline ErrorCode SetBytes(RegHandle key, const char16_t* name, std::string_view bytes,
                          std::uint32_t type = REG_BINARY) {
  return RegSetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                     static_cast<std::uint32_t>(bytes.size()));
}

// Creates `subKey` below `parent` and stores value `name` in it (null: only the key).
inline ErrorCode StoreValue(RegHandle parent, const char16_t* subKey, const char16_t* name,
                            std::uint32_t type = REG_NONE, std::string_view bytes = {}) {
  RegHandle key = 0;
  ErrorCode error = RegCreateKey(parent, subKey, KEY_ALL_ACCESS, &key, nullptr);
  if (error == ERROR_SUCCESS && name) error = SetBytes(key, name, bytes, type);
  const ErrorCode closed = key ? RegCloseKey(key) : ERROR_SUCCESS;
  return error != ERROR_SUCCESS ? error : closed;
}

}  // namespace bitvane::test
