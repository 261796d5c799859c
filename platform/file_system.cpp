#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bitvane {

namespace {

[[nodiscard]] bool IsUsablePath(const std::string& path) noexcept {
  return !path.empty() && path.find('\0') == std::string::npos;
}

[[nodiscard]] std::string DirectoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The code for a look-up of `path` that failed with `error`: a missing last component
// is ERROR_FILE_NOT_FOUND only when its directory exists.
[[nodiscard]] ErrorCode LookUpError(const std::string& path, int error) {
  if (error != ENOENT) return ErrorFromErrno(error);
  const std::string directory = DirectoryPart(path);
  struct stat info {};
  const bool directoryExists =
      ::stat(directory.empty() ? "." : directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  return directoryExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

[[nodiscard]] std::uint64_t Ticks(const struct statx_timestamp& time) noexcept {
  return TicksFromUnixTime(time.tv_sec, time.tv_nsec);
}

// Length of the UTF-8 character that starts with `lead` (1 for a stray byte).
[[nodiscard]] std::size_t CharLength(unsigned char lead) noexcept {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  return 1;
}

}  // namespace

ErrorCode ErrorFromErrno(int error) noexcept {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
    case EMFILE:
    case ENFILE:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_INVALID_NAME;
    default:
      return ERROR_READ_FAULT;
  }
}

std::uint64_t TicksFromUnixTime(std::int64_t seconds, std::uint32_t nanoseconds) noexcept {
  constexpr std::int64_t kSecondsTo1970 = static_cast<std::int64_t>(kTicksTo1970 / 10000000);
  constexpr std::int64_t kLastSecond =
      static_cast<std::int64_t>(UINT64_MAX / 10000000) - kSecondsTo1970 - 1;
  if (seconds < -kSecondsTo1970) return 0;
  if (seconds > kLastSecond) seconds = kLastSecond;
  return static_cast<std::uint64_t>(seconds + kSecondsTo1970) * 10000000u + nanoseconds / 100u;
}

namespace {

// Fills `entry` from `info`; only regular files and directories qualify.
[[nodiscard]] bool FillEntry(const struct statx& info, const std::string& name,
                             FileEntryInfo& entry) {
  const bool directory = S_ISDIR(info.stx_mode);
  if (!directory && !S_ISREG(info.stx_mode)) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return false;
  }
  std::uint32_t attributes = directory ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if ((info.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  entry.m_attributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  entry.m_lastWriteTicks = Ticks(info.stx_mtime);
  entry.m_lastAccessTicks = Ticks(info.stx_atime);
  entry.m_creationTicks =
      (info.stx_mask & STATX_BTIME) != 0 ? Ticks(info.stx_btime) : entry.m_lastWriteTicks;
  entry.m_size = directory ? 0 : info.stx_size;
  entry.m_name = name;
  return true;
}

}  // namespace

bool StatEntry(const std::string& path, const std::string& name, FileEntryInfo& entry) {
  if (!IsUsablePath(path)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  struct statx info {};
  if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
              &info) != 0) {
    SetLastError(LookUpError(path, errno));
    return false;
  }
  return FillEntry(info, name, entry);
}

bool MatchesPattern(const std::string& pattern, const std::string& name) noexcept {
  // Greedy match with one back-track point: the last `*` seen.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharLength(static_cast<unsigned char>(name[n]));
      if (n > name.size()) n = name.size();
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;  // let the `*` take one more character
      starN += CharLength(static_cast<unsigned char>(name[starN]));
      n = starN < name.size() ? starN : name.size();
      starN = n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool FileFinder::FindFirst(const std::string& path, FileEntryInfo& entry) {
  if (!Close()) return false;
  if (!IsUsablePath(path)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  m_directory = DirectoryPart(path);
  m_pattern = path.substr(m_directory.size());
  m_single = m_pattern.find_first_of("*?") == std::string::npos;
  if (m_single) return StatEntry(path, m_pattern, entry);

  m_dir = ::opendir(m_directory.empty() ? "." : m_directory.c_str());
  if (m_dir == nullptr) {
    const int error = errno;
    SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                     : ErrorFromErrno(error));
    return false;
  }
  if (FindNext(entry)) return true;
  const ErrorCode code = GetLastError();
  (void)Close();
  SetLastError(code == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : code);
  return false;
}

bool FileFinder::FindNext(FileEntryInfo& entry) {
  if (m_dir == nullptr) {
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* found = ::readdir(m_dir);
    if (found == nullptr) {
      SetLastError(errno == 0 ? ERROR_NO_MORE_FILES : ErrorFromErrno(errno));
      return false;
    }
    const std::string name = found->d_name;
    if (!MatchesPattern(m_pattern, name)) continue;
    if (StatEntry(m_directory + name, name, entry)) return true;
    // Gone since it was listed, a dangling or looping link, or neither file nor directory.
    const ErrorCode code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND &&
        code != ERROR_INVALID_NAME && code != ERROR_BAD_FILE_TYPE) {
      return false;
    }
  }
}

bool FileFinder::Close() {
  if (m_dir == nullptr) return true;
  const int result = ::closedir(m_dir);
  m_dir = nullptr;
  if (result != 0) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  return true;
}

bool ReadOnlyFile::Open(const std::string& path) {
  if (!Close()) return false;
  if (!IsUsablePath(path)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // Anything but a regular file is refused before it is opened, as opening a device
  // may act on it; non-blocking, so that a pipe put in its place cannot hold the open
  // up, and checked again once open.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    SetLastError(LookUpError(path, errno));
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    SetLastError(LookUpError(path, errno));
    return false;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return false;
  }
  (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  m_fd = fd;
  return true;
}

bool ReadOnlyFile::Size(std::uint64_t& size) {
  struct stat info {};
  if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
    SetLastError(m_fd < 0 ? ERROR_INVALID_HANDLE : ErrorFromErrno(errno));
    return false;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadOnlyFile::Entry(const std::string& name, FileEntryInfo& entry) {
  struct statx info {};
  if (m_fd < 0 || ::statx(m_fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT,
                          STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    SetLastError(m_fd < 0 ? ERROR_INVALID_HANDLE : ErrorFromErrno(errno));
    return false;
  }
  return FillEntry(info, name, entry);
}

bool ReadOnlyFile::Read(void* buffer, std::size_t count, std::size_t& done) {
  done = 0;
  if (m_fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (done < count) {
    const ssize_t got = ::read(m_fd, bytes + done, count - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool ReadOnlyFile::Close() {
  if (m_fd < 0) return true;
  const int result = ::close(m_fd);
  m_fd = -1;
  if (result != 0) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  return true;
}

bool LookUpEnvironment(const std::string& name, std::string& value) {
  if (name.empty() || name.find_first_of(std::string("=\0", 2)) != std::string::npos) return false;
  const char* found = std::getenv(name.c_str());
  if (found == nullptr) return false;
  value = found;
  return true;
}

bool ParentDirectory(const std::string& path, std::string& parent) {
  if (!IsUsablePath(path)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // The kernel takes the step, through any link in `path`; the descriptor then tells
  // where it led in one call, where realpath would look at every step again.
  const std::string step = path + (path.back() == '/' ? ".." : "/..");
  const int fd = ::open(step.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  struct stat info {};
  std::vector<char> buffer(4096);
  const ssize_t length = ::fstat(fd, &info) == 0 && info.st_nlink != 0
                             ? ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(),
                                          buffer.data(), buffer.size())
                             : -1;
  ::close(fd);
  if (length > 0 && static_cast<std::size_t>(length) < buffer.size() && buffer[0] == '/') {
    parent.assign(buffer.data(), static_cast<std::size_t>(length));
    return true;
  }
  // No /proc, or a folder removed meanwhile: the library's own resolution.
  char* resolved = ::realpath(step.c_str(), nullptr);
  if (resolved == nullptr) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  parent = resolved;
  std::free(resolved);
  return true;
}

bool CurrentDirectory(std::string& directory) {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      directory = buffer.data();
      return true;
    }
    if (errno != ERANGE) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool ExecutablePath(std::string& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      path.assign(buffer.data(), static_cast<std::size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace bitvane
