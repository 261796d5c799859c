#include "platform/safe_memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bitvane {

namespace {

// Fallback where reading one's own memory through the kernel is refused: the kernel
// copies from the source into a pipe and reports EFAULT for an unreadable address.
bool ReadThroughPipe(void* target, const void* source, std::size_t size) noexcept {
  int fds[2];
  if (size > 4096 || ::pipe(fds) != 0) return false;
  bool ok = ::write(fds[1], source, size) == static_cast<ssize_t>(size);
  unsigned char buffer[4096];
  ok = ok && ::read(fds[0], buffer, size) == static_cast<ssize_t>(size);
  ::close(fds[0]);
  ::close(fds[1]);
  if (ok) std::memcpy(target, buffer, size);
  return ok;
}

}  // namespace

bool SafeReadMemory(void* target, const void* source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (!IsPlausibleAddress(source) || target == nullptr) return false;
  const int savedErrno = errno;
  iovec local{target, size};
  iovec remote{const_cast<void*>(source), size};
  const ssize_t got = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
  bool ok = got == static_cast<ssize_t>(size);
  if (got < 0 && (errno == ENOSYS || errno == EPERM)) ok = ReadThroughPipe(target, source, size);
  errno = savedErrno;
  return ok;
}

}  // namespace bitvane
