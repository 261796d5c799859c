#include "foundation/read_whole_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/auto_ptr.h"
#include "foundation/file_paths.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr std::size_t kTrailingZeros = 4;

std::uint64_t g_limit = kReadWholeFileLimit;

// Fills `block` with the file's bytes; false with the last error set.
[[nodiscard]] bool ReadInto(ReadOnlyFile& file, TNAutoFreePtrTo<std::uint8_t>& block,
                            std::size_t& size, const ReadProgress& progress) {
  std::uint64_t fileSize = 0;
  if (!file.Size(fileSize)) return false;
  if (fileSize > g_limit) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  const auto total = static_cast<std::size_t>(fileSize);
  auto* bytes = static_cast<std::uint8_t*>(std::malloc(total + kTrailingZeros));
  if (bytes == nullptr) {
    SetLastError(ERROR_OUTOFMEMORY);
    return false;
  }
  (void)block.Set(bytes);
  std::memset(bytes + total, 0, kTrailingZeros);

  const auto goOn = [&progress, fileSize](std::uint64_t done) {
    return !progress || progress(done, fileSize);
  };
  if (!goOn(0)) {
    SetLastError(ERROR_CANCELLED);
    return false;
  }
  while (size < total) {
    const std::size_t piece = std::min(total - size, kReadWholeFilePiece);
    std::size_t done = 0;
    if (!file.Read(bytes + size, piece, done)) return false;
    size += done;
    if (done < piece) {
      SetLastError(ERROR_READ_FAULT);
      return false;
    }
    if (!goOn(size)) {
      SetLastError(ERROR_CANCELLED);
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint64_t ReadWholeFileLimit() noexcept {
  return g_limit;
}

std::uint64_t SetReadWholeFileLimit(std::uint64_t limit) noexcept {
  const std::uint64_t old = g_limit;
  g_limit = limit;
  return old;
}

std::uint8_t* ReadWholeFile(std::u16string_view path, std::size_t& size,
                            const ReadProgress& progress) {
  size = 0;
  if (path.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::u16string fullPath = NormalisePath(path);
  if (fullPath.empty()) return nullptr;
  return ReadNamedFile(fullPath, size, nullptr, progress);
}

std::uint8_t* ReadNamedFile(std::u16string_view path, std::size_t& size, FileEntryInfo* entry,
                            const ReadProgress& progress) {
  size = 0;
  std::string systemPath;
  if (!ToSystemPath(path, systemPath)) return nullptr;

  ReadOnlyFile file;
  if (!file.Open(systemPath)) return nullptr;
  TNAutoFreePtrTo<std::uint8_t> block;
  const std::size_t slash = systemPath.rfind('/');
  const bool read = (entry == nullptr || file.Entry(systemPath.substr(slash + 1), *entry)) &&
                    ReadInto(file, block, size, progress);
  const ErrorCode code = GetLastError();
  const bool closed = file.Close();
  if (!read || !closed) {
    if (!read) SetLastError(code);  // the read's failure outranks a failed close
    size = 0;
    return nullptr;  // `block` frees the bytes
  }
  SetLastError(ERROR_SUCCESS);
  return block.Detach();
}

}  // namespace bitvane
