// SDL2 backend: SIGINT and SIGTERM, which always end the program.
//
// SDL's own handlers would turn them into a quit event that only the
// message loop reads, so a program held inside the window system (SDL
// waiting for the window manager to map the window, Xlib reading an
// authority file that never ends) could not be stopped but by SIGKILL.
// SDL is told to install none, and the program's own handler decides:
//
//   - while the message loop runs, the first signal asks the show to close,
//     as the close button does: the pump turns it into WM_CLOSE, and the
//     program ends as after a close;
//   - before the loop, once the close has been taken, and for a second
//     signal that comes before the pump took the first, the signal ends the
//     program at once, as it would by default (the status says so: 128 plus
//     the signal's number in a shell).
//
// A signal that the program was started ignoring (nohup, a background job
// of a shell without job control) stays ignored.
#include <SDL.h>
#include <signal.h>

#include <atomic>
#include <iterator>

#include "platform/sdl/SdlBackend.h"

namespace platform::sdl {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM};
static_assert(std::size(kEndingSignals) == kEndingSignalCount);

enum class SignalMode : int { AtOnce, AsClose, Closing };

std::atomic<SignalMode> mode{SignalMode::AtOnce};
std::atomic<int> pendingSignal{0};  // taken as a close request, not yet posted
static_assert(std::atomic<SignalMode>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "read and written by a signal handler");

// Every call here is async-signal-safe; the handler runs on whichever thread
// the signal finds.
void EndAtOnce(int signal) {
  struct sigaction byDefault = {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signal, &byDefault, nullptr);
  // Blocked while this handler runs, the signal is delivered as it returns.
  raise(signal);
}

void OnEndingSignal(int signal) {
  if (mode.load() == SignalMode::AsClose) {
    int none = 0;
    if (pendingSignal.compare_exchange_strong(none, signal)) return;
  }
  EndAtOnce(signal);
}

}  // namespace

void HandleEndingSignals(void (*handler)(int), EndingSignalHandlers& saved) {
  struct sigaction ending = {};
  ending.sa_handler = handler;
  sigemptyset(&ending.sa_mask);
  ending.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    struct sigaction& previous = saved.previous[i];
    saved.taken[i] = sigaction(kEndingSignals[i], nullptr, &previous) == 0 &&
                     previous.sa_handler != SIG_IGN &&
                     sigaction(kEndingSignals[i], &ending, nullptr) == 0;
  }
}

void RestoreEndingSignals(const EndingSignalHandlers& saved) {
  for (size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (saved.taken[i]) sigaction(kEndingSignals[i], &saved.previous[i], nullptr);
}

void DefaultEndingSignals(const EndingSignalHandlers& saved) {
  for (size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (saved.taken[i]) signal(kEndingSignals[i], SIG_DFL);
}

void TakeEndingSignals() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  static EndingSignalHandlers atStart;
  HandleEndingSignals(OnEndingSignal, atStart);
}

void EndingSignalsAskToClose() {
  SignalMode atOnce = SignalMode::AtOnce;
  mode.compare_exchange_strong(atOnce, SignalMode::AsClose);
}

// A signal noted and not yet taken asked for what happens now anyway.
void EndingSignalsEndAtOnce() { mode.store(SignalMode::Closing); }

bool CloseAskedBySignal() {
  if (mode.load() != SignalMode::AsClose || pendingSignal.load() == 0) return false;
  // From now on the program is closing: another signal ends it at once.
  mode.store(SignalMode::Closing);
  return true;
}

}  // namespace platform::sdl
