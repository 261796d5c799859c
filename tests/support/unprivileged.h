#pragma once
// Runs a check as an ordinary user, so that file permissions bind even when the tests
// run as root (as in containers): root hands the given paths to the user "nobody" and
// runs the check in a child process with that user's ids.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace bitvane::test {

inline constexpr uid_t kNobody = 65534;

// The result of `check`, run unprivileged; `owned` are files and folders (with all
// below them) the check's user must own, and the folders on the way to them must let
// that user pass. The child reports only true or false.
inline bool RunUnprivileged(const std::function<bool()>& check,
                            std::initializer_list<std::string> owned) {
  if (::geteuid() != 0) return check();
  for (const std::string& path : owned) {
    std::error_code ignored;
    (void)!::chown(path.c_str(), kNobody, kNobody);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored)) {
      (void)!::chown(entry.path().c_str(), kNobody, kNobody);
    }
  }
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace bitvane::test
