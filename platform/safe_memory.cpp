#include "platform/safe_memory.h"

#include <setjmp.h>
#include <signal.h>
#include <string.h>

#include <mutex>

namespace bitvane {

namespace {

// Reads that may fault run with a jump buffer set; a fault inside one jumps back
// instead of ending the program. Faults anywhere else go to the handler that was
// installed before ours (the default action, or a sanitizer's report).
thread_local sigjmp_buf* t_guardedRead = nullptr;
struct sigaction g_previousSegv;
struct sigaction g_previousBus;

void OnFault(int signal, siginfo_t* info, void* context) {
  if (t_guardedRead != nullptr) siglongjmp(*t_guardedRead, 1);
  const struct sigaction& previous = signal == SIGSEGV ? g_previousSegv : g_previousBus;
  if (previous.sa_flags & SA_SIGINFO) {
    previous.sa_sigaction(signal, info, context);
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
  } else {
    // Put the previous action back. A fault returns to the faulting access, which
    // then meets that action; a signal that was sent is sent again.
    ::sigaction(signal, &previous, nullptr);
    if (info == nullptr || info->si_code <= 0) ::raise(signal);
  }
}

void InstallFaultHandler() {
  struct sigaction action {};
  action.sa_sigaction = OnFault;
  // No deferral: after a jump out of the handler the signal must not stay blocked.
  action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGSEGV, &action, &g_previousSegv);
  ::sigaction(SIGBUS, &action, &g_previousBus);
}

// Byte-wise volatile copy, out of the sanitizer's sight: the source may be anything.
__attribute__((no_sanitize("address"), noinline)) void CopyBytes(
    unsigned char* target, const volatile unsigned char* source, std::size_t size) noexcept {
  for (std::size_t i = 0; i < size; ++i) target[i] = source[i];
}

}  // namespace

bool SafeReadMemory(void* target, const void* source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (!IsPlausibleAddress(source) || target == nullptr) return false;
  static std::once_flag installed;
  std::call_once(installed, InstallFaultHandler);

  sigjmp_buf jump;
  sigjmp_buf* const outer = t_guardedRead;
  if (sigsetjmp(jump, 0) != 0) {
    t_guardedRead = outer;
    return false;
  }
  t_guardedRead = &jump;
  CopyBytes(static_cast<unsigned char*>(target), static_cast<const volatile unsigned char*>(source),
            size);
  t_guardedRead = outer;
  return true;
}

void WipeMemory(void* target, std::size_t size) noexcept {
  if (target != nullptr && size != 0) ::explicit_bzero(target, size);
}

}  // namespace bitvane
