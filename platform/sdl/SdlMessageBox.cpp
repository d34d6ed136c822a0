// SDL2 backend: the error message box.
//
// SDL shows the box in a process of its own (a child it forks on X11; on
// Wayland a helper program that a child starts) and waits for that process
// to end. While it waits, SIGINT and SIGTERM would change nothing: SDL's own
// handlers only note a quit request for the event queue, which nobody reads
// until the box is gone. So while the box is up these two signals end the
// box's process instead, and the box counts as dismissed: the program then
// closes as it does after OK.
#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <iterator>
#include <new>

#include "platform/Platform.h"

namespace platform {

namespace {

// Shared, through memory mapped once and kept, by this process and the
// box's process that it forks.
struct BoxWatch {
  std::atomic<pid_t> boxProcess{0};  // 0 until the box's process exists
  std::atomic<bool> ended{false};    // a signal asked to end the box
};
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "a signal handler and another process share these");

constexpr int kEndingSignals[] = {SIGINT, SIGTERM};

struct BoxSignals {
  BoxWatch* watch = nullptr;  // null where it could not be mapped
  bool boxUp = false;
  struct sigaction previous[2] = {};
  bool taken[2] = {};  // a signal the program ignores is left ignored
};

BoxSignals boxSignals;

// The handler while the box is up, on whichever thread the signal finds
// (the OpenGL driver runs threads of its own). Whichever comes second, this
// or the fork, ends the box's process: this when it is known already, the
// fork handler below when the box is not yet forked.
void EndBox(int) {
  BoxWatch* watch = boxSignals.watch;
  watch->ended.store(true);
  const pid_t box = watch->boxProcess.load();
  if (box > 0) kill(box, SIGKILL);
}

// Runs in every child forked while the box is up: the box's process (or,
// on Wayland, the helper's), which the signals end as they would by default.
void InBoxProcess() {
  if (!boxSignals.boxUp) return;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (boxSignals.taken[i]) signal(kEndingSignals[i], SIG_DFL);
  boxSignals.watch->boxProcess.store(getpid());
  if (boxSignals.watch->ended.load()) _exit(1);
}

// The shared memory and the fork handler, made once; false when either
// cannot be had.
bool PrepareBoxWatch() {
  if (pthread_atfork(nullptr, nullptr, InBoxProcess) != 0) return false;
  void* shared = mmap(nullptr, sizeof(BoxWatch), PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) return false;
  boxSignals.watch = new (shared) BoxWatch;
  return true;
}

void TakeEndingSignals() {
  boxSignals.watch->boxProcess.store(0);
  boxSignals.watch->ended.store(false);
  struct sigaction ending = {};
  ending.sa_handler = EndBox;
  sigemptyset(&ending.sa_mask);
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    struct sigaction& previous = boxSignals.previous[i];
    boxSignals.taken[i] = sigaction(kEndingSignals[i], nullptr, &previous) == 0 &&
                          previous.sa_handler != SIG_IGN &&
                          sigaction(kEndingSignals[i], &ending, nullptr) == 0;
  }
  boxSignals.boxUp = true;
}

// Once the box is gone: its process (reaped by now) is forgotten first, so
// that a late signal can end nothing else.
void GiveBackEndingSignals() {
  boxSignals.watch->boxProcess.store(0);
  boxSignals.boxUp = false;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (boxSignals.taken[i]) sigaction(kEndingSignals[i], &boxSignals.previous[i], nullptr);
}

bool ShowBox(const char* text, const char* caption) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}

}  // namespace

bool ShowErrorMessageBox(const char* text, const char* caption) {
  static const bool watched = PrepareBoxWatch();
  // Without the watch the box still shows; only the signals wait with it.
  if (!watched) return ShowBox(text, caption);
  TakeEndingSignals();
  const bool shown = ShowBox(text, caption);
  GiveBackEndingSignals();
  return shown || boxSignals.watch->ended.load();
}

}  // namespace platform
