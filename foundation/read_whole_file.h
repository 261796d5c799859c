#pragma once
// ReadWholeFile: a file's bytes in one heap block, read in pieces with a progress
// callback that may cancel.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/file_system.h"

namespace bitvane {

// Files above this size are refused.
inline constexpr std::uint64_t kReadWholeFileLimit = 1ull << 30;  // 1 GiB

// The limit in force: kReadWholeFileLimit, unless SetReadWholeFileLimit set another
// (tests do, to prove the limit without a gibibyte of reading). Returns the old one.
[[nodiscard]] std::uint64_t ReadWholeFileLimit() noexcept;
std::uint64_t SetReadWholeFileLimit(std::uint64_t limit) noexcept;
// The largest piece read at once.
inline constexpr std::size_t kReadWholeFilePiece = 65536;

// Asked before the first piece and after each piece, with the bytes read so far and the
// file's size; false cancels the read.
using ReadProgress = std::function<bool(std::uint64_t bytesRead, std::uint64_t fileSize)>;

// Reads the file `path` names (normalised as NormalisePath does) whole. Returns a block
// from malloc holding the file's bytes and then four 0 bytes, which the caller frees
// with std::free (TNAutoFreePtrTo<std::uint8_t>); `size` is the byte count and the last
// error 0. An empty progress callback always goes on.
// On failure returns null with `size` 0 and the code as last error:
// ERROR_INVALID_PARAMETER (empty path), the path's own code (it cannot be normalised or
// names no file: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILENAME_EXCED_RANGE,
// ERROR_BAD_FILE_TYPE for a directory, pipe or device, ...), ERROR_FILE_TOO_LARGE
// (above the limit), ERROR_OUTOFMEMORY (no block), ERROR_READ_FAULT (the file ended early),
// ERROR_CANCELLED (the callback said no), or a failed read's or close's code.
[[nodiscard]] std::uint8_t* ReadWholeFile(std::u16string_view path, std::size_t& size,
                                          const ReadProgress& progress = {});

// As ReadWholeFile, for a path already normalised (as NScanFind::Path and the names it
// lists are): read as it stands, with no second environment expansion, which would
// make a file named "%HOME%.bin" name another. With `entry`, fills it from the opened
// file itself, so that the record and the bytes are of one file.
[[nodiscard]] std::uint8_t* ReadNamedFile(std::u16string_view path, std::size_t& size,
                                          FileEntryInfo* entry = nullptr,
                                          const ReadProgress& progress = {});

}  // namespace bitvane
