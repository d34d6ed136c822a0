#include "tools/capture/InterruptCleanup.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <io.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace {

// Read by the handler: a lock-free atomic pointer is safe to read there.
std::atomic<const char*> fileToRemove{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

void RemovePartialFileAndEnd(int signalNumber) {
  if (const char* path = fileToRemove.load()) {
#ifdef _WIN32
    _unlink(path);
#else
    unlink(path);
#endif
  }
  // Ended by the signal itself, as if no handler had been there.
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

#ifdef _WIN32
constexpr int kSignals[] = {SIGINT, SIGTERM};
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t Signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kSignals) sigaddset(&set, s);
  return set;
}
#endif

}  // namespace

void InstallInterruptCleanup() {
  for (int s : kSignals) {
#ifdef _WIN32
    if (std::signal(s, RemovePartialFileAndEnd) == SIG_IGN) std::signal(s, SIG_IGN);
#else
    struct sigaction previous {};
    sigaction(s, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemovePartialFileAndEnd;
    // Not SA_RESETHAND: the handler resets the disposition itself, once the
    // file is gone. The others are held off while it runs.
    action.sa_mask = Signals();
    sigaction(s, &action, nullptr);
#endif
  }
}

void RemoveOnInterrupt(const char* path) { fileToRemove.store(path); }

void RunWithInterruptsBlocked(const std::function<void()>& start) {
#ifdef _WIN32
  // A console's Ctrl+C runs the handler on a thread of its own; there is no
  // signal mask to set.
  start();
#else
  const sigset_t block = Signals();
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &block, &before);
  start();
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
#endif
}
