#pragma once
// The registry: keys below seven roots, each key holding named, typed values with their
// exact bytes, kept in one SQLite hive file per user. Key and value names compare
// without regard to case (RegistryFoldName) and keep the case they were created with.
//
// Every function returns an error code (0 on success) and leaves the thread's
// last-error code alone. Handles are numbers: the seven roots are always open; other
// handles come from RegOpenKey/RegCreateKey and stay valid until RegCloseKey. A handle
// that is not open gives ERROR_INVALID_HANDLE.
//
// The hive file and its folder are created by the first write; reading a hive that does
// not exist sees only the empty roots. A hive that cannot be read as ours (damaged, not
// a database, another program's database) reads as empty and is moved aside, never
// overwritten, by the next write (registry_hive.h). A hive that is there but cannot be
// read now (locked past the wait, no permission) fails reads with that reason instead.
// Every write is its own transaction unless a batch is open (RegBeginBatch); another
// process's write is waited for up to kRegistryBusyWaitMs, after which the call fails
// with ERROR_BUSY.

#include <cstdint>
#include <string>

#include "platform/last_error.h"

namespace bitvane {

using RegHandle = std::uint32_t;

// The roots, numbered as the conventional predefined keys.
inline constexpr RegHandle HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RegHandle HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RegHandle HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr RegHandle HKEY_USERS = 0x80000003u;
inline constexpr RegHandle HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr RegHandle HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr RegHandle HKEY_DYN_DATA = 0x80000006u;

// Access rights of an open key.
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Value types.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_LINK = 6;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

// What RegCreateKey did.
inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

// Limits: characters of one key name, characters of a value name.
inline constexpr std::uint32_t kRegistryMaxKeyName = 255;
inline constexpr std::uint32_t kRegistryMaxValueName = 16383;
// How long a write waits for another process's write to end.
inline constexpr int kRegistryBusyWaitMs = 2000;

// The hive file all registry calls of this process use. Until set, or when set to the
// empty text, it is $XDG_CONFIG_HOME/bitvane/registry.sqlite3 (XDG_CONFIG_HOME unset,
// empty or relative: ~/.config, the home folder from an absolute HOME or else the
// password file; with neither, the current folder).
// Changing it closes every open handle.
void SetRegistryHivePath(const std::string& path);
[[nodiscard]] std::string RegistryHivePath();
[[nodiscard]] std::string DefaultRegistryHivePath();

// Opens `subKey` below `parent` (a path of names separated by backslashes; null or
// empty: `parent` itself, as a new handle). Missing key: ERROR_FILE_NOT_FOUND; a name
// that is empty or longer than kRegistryMaxKeyName: ERROR_INVALID_PARAMETER. Never writes.
[[nodiscard]] ErrorCode RegOpenKey(RegHandle parent, const char16_t* subKey, std::uint32_t access,
                                   RegHandle* result);

// Opens `subKey` below `parent`, creating every missing key of it; `disposition`
// (optional) tells REG_CREATED_NEW_KEY when at least one key was made, else
// REG_OPENED_EXISTING_KEY. Needs KEY_CREATE_SUB_KEY on `parent` (ERROR_ACCESS_DENIED).
[[nodiscard]] ErrorCode RegCreateKey(RegHandle parent, const char16_t* subKey, std::uint32_t access,
                                     RegHandle* result, std::uint32_t* disposition);

// Ends a handle; closing a root is allowed and does nothing.
[[nodiscard]] ErrorCode RegCloseKey(RegHandle key);

// Reads value `name` (null or empty: the key's default value). `type` and `data` are
// optional. With `data` null, `*size` receives the data size. With `data` given, `*size`
// is the buffer size on entry and the data size on return; a short buffer gives
// ERROR_MORE_DATA with the needed size and the type, and no bytes. Missing value:
// ERROR_FILE_NOT_FOUND. Needs KEY_QUERY_VALUE.
[[nodiscard]] ErrorCode RegQueryValue(RegHandle key, const char16_t* name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* size);

// Stores value `name` with `type` and exactly `size` bytes, replacing any value of that
// name (whose spelling it then takes). Needs KEY_SET_VALUE.
[[nodiscard]] ErrorCode RegSetValue(RegHandle key, const char16_t* name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size);

// Removes value `name`; missing: ERROR_FILE_NOT_FOUND. Needs KEY_SET_VALUE.
[[nodiscard]] ErrorCode RegDeleteValue(RegHandle key, const char16_t* name);

// Removes `subKey` below `key` with everything below it (null or empty: everything
// below `key`, which itself stays). Missing subkey: ERROR_FILE_NOT_FOUND. Needs
// KEY_SET_VALUE.
[[nodiscard]] ErrorCode RegDeleteTree(RegHandle key, const char16_t* subKey);

// Counts of a key; every pointer is optional. Name lengths are in characters without
// the terminating NUL; data lengths in bytes. Needs KEY_QUERY_VALUE.
struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyName = 0;
  std::uint32_t values = 0;
  std::uint32_t maxValueName = 0;
  std::uint32_t maxValueData = 0;
};
[[nodiscard]] ErrorCode RegQueryInfoKey(RegHandle key, RegKeyInfo* info);

// The name of the value at `index` in enumeration order (the order of first creation).
// `*nameLength` is the buffer size in characters on entry and the name's length without
// its NUL on return; too small a buffer: ERROR_MORE_DATA. `type` is optional. Past the
// last value: ERROR_NO_MORE_ITEMS. Needs KEY_QUERY_VALUE.
[[nodiscard]] ErrorCode RegEnumValue(RegHandle key, std::uint32_t index, char16_t* name,
                                     std::uint32_t* nameLength, std::uint32_t* type);

// Gathers the writes of this process into one transaction until RegEndBatch, so that a
// crash never leaves part of them stored. RegEndBatch(true) stores the writes that
// succeeded (unless a failure made the store drop the transaction: then none, and the
// failure is the result); RegEndBatch(false) drops them all. Batches do not nest
// (ERROR_INVALID_PARAMETER).
[[nodiscard]] ErrorCode RegBeginBatch();
[[nodiscard]] ErrorCode RegEndBatch(bool commit);

}  // namespace bitvane
