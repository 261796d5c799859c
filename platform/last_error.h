#pragma once
// The calling thread's last-error code and the error numbers that the rest of the
// program reports through it. The numbers are the conventional system error numbers,
// so a code means the same in every layer, in stored data and in messages.

#include <cstdint>

namespace bitvane {

using ErrorCode = std::uint32_t;

inline constexpr ErrorCode ERROR_SUCCESS = 0;
inline constexpr ErrorCode ERROR_FILE_NOT_FOUND = 2;
inline constexpr ErrorCode ERROR_PATH_NOT_FOUND = 3;
inline constexpr ErrorCode ERROR_ACCESS_DENIED = 5;
inline constexpr ErrorCode ERROR_INVALID_HANDLE = 6;
inline constexpr ErrorCode ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr ErrorCode ERROR_INVALID_DATA = 13;
inline constexpr ErrorCode ERROR_OUTOFMEMORY = 14;
inline constexpr ErrorCode ERROR_NO_MORE_FILES = 18;
inline constexpr ErrorCode ERROR_WRITE_FAULT = 29;
inline constexpr ErrorCode ERROR_READ_FAULT = 30;
inline constexpr ErrorCode ERROR_INVALID_PARAMETER = 87;
inline constexpr ErrorCode ERROR_DISK_FULL = 112;
inline constexpr ErrorCode ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr ErrorCode ERROR_INVALID_NAME = 123;
inline constexpr ErrorCode ERROR_BUSY = 170;
inline constexpr ErrorCode ERROR_MORE_DATA = 234;
inline constexpr ErrorCode ERROR_NO_MORE_ITEMS = 259;
inline constexpr ErrorCode ERROR_ARITHMETIC_OVERFLOW = 534;
inline constexpr ErrorCode ERROR_NOACCESS = 998;
inline constexpr ErrorCode ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr ErrorCode ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr ErrorCode ERROR_KEY_DELETED = 1018;
inline constexpr ErrorCode ERROR_NOT_FOUND = 1168;
inline constexpr ErrorCode ERROR_CANCELLED = 1223;
inline constexpr ErrorCode ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr ErrorCode ERROR_INVALID_DATATYPE = 1804;
inline constexpr ErrorCode ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
inline constexpr ErrorCode ERROR_FILENAME_EXCED_RANGE = 206;  // a path or name too long
inline constexpr ErrorCode ERROR_BAD_FILE_TYPE = 222;         // not a regular file
inline constexpr ErrorCode ERROR_FILE_TOO_LARGE = 223;

// Sets the calling thread's last-error code.
void SetLastError(ErrorCode code) noexcept;

// The calling thread's last-error code; 0 until something sets it.
[[nodiscard]] ErrorCode GetLastError() noexcept;

}  // namespace bitvane
