// SDL2 backend: the error message box.
//
// SDL shows the box in a process of its own (a child it forks on X11; on
// Wayland a helper program that a child starts) and waits for that process
// to end. While it waits, SIGINT and SIGTERM would change nothing: the
// program's handlers (SdlSignals.cpp) would end the program without taking
// the box's process along. So while the box is up these two signals end the
// box's process instead, and the box counts as dismissed: the program then
// closes as it does after OK.
#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <new>

#include "platform/Platform.h"
#include "platform/sdl/SdlBackend.h"

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

struct BoxSignals {
  BoxWatch* watch = nullptr;  // null where it could not be mapped
  bool boxUp = false;
  sdl::EndingSignalHandlers program;  // the handlers the box stands in for
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
  sdl::DefaultEndingSignals(boxSignals.program);
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
  sdl::HandleEndingSignals(EndBox, boxSignals.program);
  boxSignals.boxUp = true;
}

// Once the box is gone: its process (reaped by now) is forgotten first, so
// that a late signal can end nothing else.
void GiveBackEndingSignals() {
  boxSignals.watch->boxProcess.store(0);
  boxSignals.boxUp = false;
  sdl::RestoreEndingSignals(boxSignals.program);
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
