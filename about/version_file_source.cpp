#include "about/version_file_source.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "foundation/ansi_to_wide.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr std::uint64_t kMaxFileSize = 1ull << 30;
constexpr std::size_t kReadPiece = 65536;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDifference = 11644473600ull;

std::uint64_t ToTicks(const timespec& time) noexcept {
  if (time.tv_sec < -static_cast<std::int64_t>(kEpochDifference)) return 0;
  return (static_cast<std::uint64_t>(time.tv_sec) + kEpochDifference) * 10000000ull +
         static_cast<std::uint64_t>(time.tv_nsec) / 100;
}

std::u16string ToWide(const std::string& text) {
  return AnsiToWide(text.data(), static_cast<std::ptrdiff_t>(text.size()));
}

bool HasWildcard(const std::string& path) {
  return path.find_first_of("*?") != std::string::npos;
}

// The path as a glob pattern in which only '*' and '?' are special.
std::string ToGlobPattern(const std::string& path) {
  std::string pattern;
  for (char c : path) {
    if (c == '[') {
      pattern += "[[]";
    } else {
      pattern += c;
    }
  }
  return pattern;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::uint32_t ErrnoToErrorCode(int error, std::uint32_t fallback) noexcept {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
    case ELOOP:
      return ERROR_INVALID_NAME;
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    default:
      return fallback;
  }
}

bool ScanOneFile(std::u16string_view path, std::u16string& fullPath, VersionFileEntry& entry) {
  if (path.empty()) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  std::filesystem::path native(WideToUtf8(path));
  if (native.is_relative()) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::current_path(error);
    if (error) {
      SetLastError(ErrnoToErrorCode(error.value(), ERROR_PATH_NOT_FOUND));
      return false;
    }
    native = base / native;
  }
  const std::string normal = native.lexically_normal().string();

  std::string found;
  struct stat info {};
  const int statError = ::stat(normal.c_str(), &info) == 0 ? 0 : errno;
  if (statError == 0) {
    if (S_ISDIR(info.st_mode)) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    found = normal;
  } else if (statError != ENOENT || !HasWildcard(normal)) {
    // A missing file is "no match"; a missing directory on the way is a path problem.
    const int error = statError;
    if (error == ENOENT) {
      const std::filesystem::path parent = std::filesystem::path(normal).parent_path();
      SetLastError(IsDirectory(parent.string()) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    } else {
      SetLastError(ErrnoToErrorCode(error, ERROR_PATH_NOT_FOUND));
    }
    return false;
  } else {
    glob_t matches{};
    const int result =
        ::glob(ToGlobPattern(normal).c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &matches);
    if (result == GLOB_NOSPACE) {
      ::globfree(&matches);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; result == 0 && i < matches.gl_pathc; ++i) {
      if (IsDirectory(matches.gl_pathv[i])) continue;
      if (++count == 1) found = matches.gl_pathv[i];
    }
    ::globfree(&matches);
    if (count != 1) {
      SetLastError(count == 0 ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
      return false;
    }
  }

  VersionFileEntry record;
  const std::u16string wide = ToWide(found);
  if (!StatFileEntry(found, ToWide(std::filesystem::path(found).filename().string()), record)) {
    return false;
  }
  fullPath = wide;
  entry = std::move(record);
  return true;
}

bool StatFileEntry(const std::string& nativePath, std::u16string_view name,
                   VersionFileEntry& entry) {
  struct stat info {};
  if (::stat(nativePath.c_str(), &info) != 0) {
    SetLastError(ErrnoToErrorCode(errno, ERROR_FILE_NOT_FOUND));
    return false;
  }
  entry.m_attributes = static_cast<std::uint32_t>(info.st_mode);
  entry.m_creationTime = ToTicks(info.st_ctim);
  entry.m_lastAccessTime = ToTicks(info.st_atim);
  entry.m_lastWriteTime = ToTicks(info.st_mtim);
  entry.m_size = static_cast<std::uint64_t>(info.st_size);
  entry.m_name = name;
  entry.m_shortName.clear();
  return true;
}

bool ReadFileBytes(const std::string& nativePath, TNAutoFreePtrTo<std::uint8_t>& bytes,
                   std::size_t& size) {
  (void)bytes.Set(nullptr);
  size = 0;
  if (nativePath.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Non-blocking, so that opening a named pipe does not wait for a writer.
  const int file = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file < 0) {
    SetLastError(ErrnoToErrorCode(errno, ERROR_FILE_NOT_FOUND));
    return false;
  }
  ErrorCode failure = ERROR_SUCCESS;
  struct stat info {};
  std::uint64_t total = 0;
  if (::fstat(file, &info) != 0) {
    failure = ErrnoToErrorCode(errno, ERROR_READ_FAULT);
  } else if (S_ISREG(info.st_mode)) {
    total = static_cast<std::uint64_t>(info.st_size);
    if (total > kMaxFileSize) failure = ERROR_INSUFFICIENT_BUFFER;
  }
  if (failure == ERROR_SUCCESS && !bytes.Allocate(static_cast<std::size_t>(total) + 4)) {
    failure = ERROR_OUTOFMEMORY;
  }
  std::size_t done = 0;
  while (failure == ERROR_SUCCESS && done < total) {
    const std::size_t want = std::min<std::size_t>(kReadPiece, total - done);
    const ssize_t got = ::read(file, bytes.Get() + done, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      failure = ErrnoToErrorCode(errno, ERROR_READ_FAULT);
    } else if (static_cast<std::size_t>(got) < want) {
      failure = ERROR_READ_FAULT;
    } else {
      done += want;
    }
  }
  ::close(file);
  if (failure != ERROR_SUCCESS) {
    (void)bytes.Set(nullptr);
    SetLastError(failure);
    return false;
  }
  size = done;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace bitvane
