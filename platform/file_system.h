#pragma once
// File look-up, whole-file reading primitives, the environment and the running
// program's own file name, over POSIX. Paths are the system's bytes (UTF-8) with `/`
// as separator; failures set the thread's last-error code (platform/last_error.h).

#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/last_error.h"

namespace bitvane {

// Attribute bits of a directory entry, numbered as the conventional file attributes.
inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

// 100-nanosecond ticks from 1601-01-01 to 1970-01-01 (UTC).
inline constexpr std::uint64_t kTicksTo1970 = 116444736000000000ull;

// The error number for an errno value: ENOENT 2, ENOTDIR 3, EACCES/EPERM/EROFS/EISDIR 5,
// ENOMEM/EMFILE/ENFILE 8, EINVAL 87, ELOOP 123, ENAMETOOLONG 206, anything else
// ERROR_READ_FAULT (an I/O fault the list has no closer number for).
[[nodiscard]] ErrorCode ErrorFromErrno(int error) noexcept;

// Ticks since 1601 for a POSIX time; times before 1601 give 0.
[[nodiscard]] std::uint64_t TicksFromUnixTime(std::int64_t seconds,
                                              std::uint32_t nanoseconds) noexcept;

// A directory entry as the look-up reports it.
struct FileEntryInfo {
  std::uint32_t m_attributes = 0;       // FILE_ATTRIBUTE_* bits
  std::uint64_t m_creationTicks = 0;    // birth time where the file system keeps one,
  std::uint64_t m_lastAccessTicks = 0;  // else the last-write time
  std::uint64_t m_lastWriteTicks = 0;
  std::uint64_t m_size = 0;  // 0 for directories
  std::string m_name;        // the last component, without directory
};

// Fills `entry` from the file `path` names (links followed) with `name` as its name.
// Only regular files and directories qualify; anything else (a device, pipe or socket)
// fails with ERROR_BAD_FILE_TYPE, a failed look-up with its errno's number.
[[nodiscard]] bool StatEntry(const std::string& path, const std::string& name,
                             FileEntryInfo& entry);

// True when `name` matches `pattern`, where `*` stands for any run of characters and
// `?` for exactly one UTF-8 character; everything else matches itself, case counts.
[[nodiscard]] bool MatchesPattern(const std::string& pattern, const std::string& name) noexcept;

// A find-first / find-next look-up of the regular files and directories matching a
// path whose last component may hold `*` and `?`. Links are followed; entries that are
// neither (devices, pipes, sockets, dangling links) are passed over.
class FileFinder {
 public:
  FileFinder() noexcept = default;
  FileFinder(const FileFinder&) = delete;
  FileFinder& operator=(const FileFinder&) = delete;
  ~FileFinder() { (void)Close(); }

  // Starts the look-up and reports the first entry. Nothing matching:
  // ERROR_FILE_NOT_FOUND; a missing or unusable directory: ERROR_PATH_NOT_FOUND;
  // an empty path or one holding a 0 byte: ERROR_INVALID_NAME. A path without
  // wildcards fails as StatEntry does (ERROR_BAD_FILE_TYPE for a device or pipe).
  [[nodiscard]] bool FindFirst(const std::string& path, FileEntryInfo& entry);
  // The next entry; false with ERROR_NO_MORE_FILES at the end, or another code when
  // reading the directory fails.
  [[nodiscard]] bool FindNext(FileEntryInfo& entry);
  // Ends the look-up; true when nothing was open. A failed close gives its error.
  [[nodiscard]] bool Close();

 private:
  DIR* m_dir = nullptr;
  std::string m_directory;  // with a trailing '/'
  std::string m_pattern;
  bool m_single = false;  // a path without wildcards: one entry at most
};

// A regular file opened for reading from start to end.
class ReadOnlyFile {
 public:
  ReadOnlyFile() noexcept = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() { (void)Close(); }

  // Opens an existing file with the sequential-read hint, never blocking and never
  // creating. A directory, pipe or device fails with ERROR_BAD_FILE_TYPE, without
  // being opened; a missing file with ERROR_FILE_NOT_FOUND, a missing directory with
  // ERROR_PATH_NOT_FOUND.
  [[nodiscard]] bool Open(const std::string& path);
  // The open file's own directory entry, with `name` as its name: the record of the
  // very file that Read reads, whatever its path names by now.
  [[nodiscard]] bool Entry(const std::string& name, FileEntryInfo& entry);
  // The file's size in bytes.
  [[nodiscard]] bool Size(std::uint64_t& size);
  // Reads up to `count` bytes into `buffer`, going on after interrupted or partial
  // reads; `done` is the count delivered, less than `count` only at the end of file.
  [[nodiscard]] bool Read(void* buffer, std::size_t count, std::size_t& done);
  // Closes; true when nothing was open. A failed close gives its error.
  [[nodiscard]] bool Close();

 private:
  int m_fd = -1;
};

// The value of environment variable `name`. False for an unknown name and for a name
// that is empty or holds '=' or a 0 byte (no variable can have such a name).
[[nodiscard]] bool LookUpEnvironment(const std::string& name, std::string& value);

// The folder that `path`/.. names as the system resolves it (a link in `path` is
// followed before the step up), as an absolute path without links. False with the
// errno's number: ERROR_FILE_NOT_FOUND when part of `path` does not exist,
// ERROR_PATH_NOT_FOUND when `path` is no folder, ERROR_FILENAME_EXCED_RANGE, ...
[[nodiscard]] bool ParentDirectory(const std::string& path, std::string& parent);

// The current working directory; false with its errno's number when it cannot be had.
[[nodiscard]] bool CurrentDirectory(std::string& directory);

// The running program's file name (`/proc/self/exe`); false with its errno's number.
[[nodiscard]] bool ExecutablePath(std::string& path);

}  // namespace bitvane
