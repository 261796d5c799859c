#pragma once
// File look-up and whole-file reading for the version reader, with POSIX calls. A small
// stand-in kept behind three functions until the foundation's file scan and whole-file
// reader take its place; the record mirrors the directory entry that scan delivers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/auto_ptr.h"

namespace bitvane {

// The directory entry of one file. All zero (and empty) for no file.
struct VersionFileEntry {
  std::uint32_t m_attributes = 0;      // the st_mode bits
  std::uint64_t m_creationTime = 0;    // 100-ns ticks since 1601-01-01 UTC; Linux keeps no
                                       // portable creation time, so the status-change time
  std::uint64_t m_lastAccessTime = 0;  // same unit
  std::uint64_t m_lastWriteTime = 0;   // same unit
  std::uint64_t m_size = 0;            // bytes
  std::u16string m_name;               // the file's name without its directory
  std::u16string m_shortName;          // no short names here: always empty
};

// Finds the one file that `path` names. The path is made absolute against the working
// directory and cleared of "." and ".." steps (links stay unresolved). A name that does
// not exist but holds '*' or '?' is a pattern over the last steps; directories never
// match. True with `fullPath` (UTF-16) and `entry` filled when exactly one file
// matched. Otherwise false: ERROR_INVALID_DATA for an empty path, ERROR_FILE_NOT_FOUND
// for no match, ERROR_INVALID_PARAMETER for more than one, or the system's reason
// (ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ...). Outputs are untouched on failure.
[[nodiscard]] bool ScanOneFile(std::u16string_view path, std::u16string& fullPath,
                               VersionFileEntry& entry);

// The entry of the file at `nativePath` (UTF-8, links followed), named `name`.
// False with the system's reason when the file cannot be examined.
[[nodiscard]] bool StatFileEntry(const std::string& nativePath, std::u16string_view name,
                                 VersionFileEntry& entry);

// Reads the whole file at `nativePath` (UTF-8) into `bytes`, followed by four zero
// bytes; `size` is the count without them. Files that are not regular files read as
// 0 bytes. False, with `bytes` null and `size` 0: ERROR_INVALID_PARAMETER for an empty
// path, ERROR_INSUFFICIENT_BUFFER above 1 GiB, ERROR_OUTOFMEMORY without a block,
// ERROR_READ_FAULT when the file ends early, or the system's reason.
[[nodiscard]] bool ReadFileBytes(const std::string& nativePath,
                                 TNAutoFreePtrTo<std::uint8_t>& bytes, std::size_t& size);

// Maps an errno value to the error code that stands for it; `fallback` for the rest.
[[nodiscard]] std::uint32_t ErrnoToErrorCode(int error, std::uint32_t fallback) noexcept;

}  // namespace bitvane
