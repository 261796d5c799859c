// A whole process's start on an X display: from spawning the program to the first
// mapping of a top-level window, N times (default 20); prints the median and the
// minimum in milliseconds. Each run gets a scratch home folder, and ends with SIGTERM.
//   process_start [-n N] PROGRAM [ARG...]        (bench/process_start.sh runs it)

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from spawning `argv` to the first MapNotify below the root, or -1.
double TimeToMap(xcb_connection_t* x, char** argv) {
  pid_t child = 0;
  const Clock::time_point start = Clock::now();
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  double ms = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                        !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
    std::free(event);
    if (mapped) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      break;
    }
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20, first = 1;
  if (argc > 3 && std::strcmp(argv[1], "-n") == 0) runs = std::atoi(argv[2]), first = 3;
  if (first >= argc || runs < 1) {
    std::fprintf(stderr, "usage: %s [-n N] PROGRAM [ARG...]\n", argv[0]);
    return 2;
  }
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "process_start: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);

  char home[] = "/tmp/bitvane-start-XXXXXX";
  if (mkdtemp(home) == nullptr) return 1;
  setenv("HOME", home, 1);
  setenv("XDG_CONFIG_HOME", home, 1);
  setenv("XDG_RUNTIME_DIR", home, 1);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double ms = TimeToMap(x, argv + first);
    if (ms < 0) {
      std::fprintf(stderr, "process_start: %s never mapped a window\n", argv[first]);
      return 1;
    }
    times.push_back(ms);
  }
  std::filesystem::remove_all(home);
  std::sort(times.begin(), times.end());
  std::printf("%-40s median %7.1f ms  min %7.1f ms  (%d runs)\n",
              std::filesystem::path(argv[first]).filename().c_str(), times[times.size() / 2],
              times.front(), runs);
  xcb_disconnect(x);
  return 0;
}
