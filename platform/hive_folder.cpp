#include "platform/hive_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_hive.h"

namespace bitvane {

namespace {

// The files SQLite may keep beside a database; they belong to it and move with it.
constexpr const char* kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Renames without ever replacing an existing file.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without the no-replace rename: a hard link fails on an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  return ::unlink(from.c_str()) == 0 ? 0 : errno;
}

// An exclusive lock on a folder, waited for at most kRegistryBusyWaitMs.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
  }

  [[nodiscard]] ErrorCode Acquire() {
    if (m_fd < 0) return ErrorFromErrno(errno);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kRegistryBusyWaitMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return ErrorFromErrno(errno);
      if (std::chrono::steady_clock::now() >= deadline) return ERROR_BUSY;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ERROR_SUCCESS;
  }
  void Sync() const noexcept { (void)::fsync(m_fd); }

 private:
  int m_fd;
};

}  // namespace

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

ErrorCode CreateFolders(const std::string& folder) {
  for (std::size_t end = 1; end <= folder.size(); ++end) {
    if (end != folder.size() && folder[end] != '/') continue;
    const std::string part = folder.substr(0, end);
    if (::mkdir(part.c_str(), 0700) == 0) {
      SyncFolder(FolderOf(part));  // a new folder survives a crash with what it holds
      continue;
    }
    if (errno == EEXIST) continue;
    return ErrorFromErrno(errno);
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return ErrorFromErrno(errno);
  return S_ISDIR(info.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
}

std::string DamagedHiveName(const std::string& path, std::time_t when, int attempt) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char stamp[32] = {};
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  std::string name = path;
  name.append(".damaged-").append(stamp);
  if (attempt > 1) name.append("-").append(std::to_string(attempt));
  return name;
}

ErrorCode MoveHiveAside(const std::string& path, std::string& movedTo) {
  movedTo.clear();
  FolderLock lock(FolderOf(path));
  if (const ErrorCode error = lock.Acquire()) return error;
  // Another process may have moved it and written a fresh hive meanwhile.
  if (InspectHive(path) != HiveState::Damaged) return ERROR_SUCCESS;

  const std::time_t now = std::time(nullptr);
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    const std::string target = DamagedHiveName(path, now, attempt);
    struct stat info {};
    bool taken = ::lstat(target.c_str(), &info) == 0;
    for (const char* suffix : kCompanionSuffixes) {
      taken = taken || ::lstat((target + suffix).c_str(), &info) == 0;
    }
    if (taken) continue;
    // Companions first: a journal left beside a fresh hive could be played into it.
    for (const char* suffix : kCompanionSuffixes) {
      const std::string companion = path + suffix;
      if (::lstat(companion.c_str(), &info) != 0) continue;
      if (const int error = RenameNoReplace(companion, target + suffix)) {
        return ErrorFromErrno(error);
      }
    }
    const int error = RenameNoReplace(path, target);
    if (error != 0) return ErrorFromErrno(error);
    lock.Sync();
    movedTo = target;
    return ERROR_SUCCESS;
  }
  return ERROR_ACCESS_DENIED;
}

std::string BlockingFile(const std::string& path) {
  const std::string folder = FolderOf(path);
  // Component by component from an open folder, so each name is looked up only once.
  int dir = ::open(folder[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::string blocking;
  for (std::size_t start = 0; dir >= 0 && start < folder.size();) {
    std::size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    if (end == start) {
      start = end + 1;
      continue;
    }
    const std::string part = folder.substr(start, end - start);
    struct stat info {};
    if (::fstatat(dir, part.c_str(), &info, 0) != 0) break;  // missing or out of reach
    if (!S_ISDIR(info.st_mode)) {
      blocking = folder.substr(0, end);
      break;
    }
    const int next = ::openat(dir, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ::close(dir);
    dir = next;
    start = end + 1;
  }
  if (dir >= 0) ::close(dir);
  return blocking;
}

}  // namespace bitvane
