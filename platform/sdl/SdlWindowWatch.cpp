// SDL2 backend: one line on standard error when the window has not appeared
// 10 s after the program started, saying what it still waits for (the
// display to accept the connection, the window manager to show the window).
// A program held there shows nothing else: the user learns why, and that
// Ctrl+C ends it (SdlSignals.cpp).
//
// A thread of its own keeps the time, since the main thread is the one
// held. It only ever writes a line made beforehand, with write(2), and is
// never joined: the process may end while it waits.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "platform/sdl/SdlBackend.h"

namespace platform::sdl {

namespace {

constexpr auto kPatience = std::chrono::seconds(10);

struct WindowWatch {
  std::mutex lock;
  std::condition_variable changed;
  std::string line;  // what is said when the time is up
  bool started = false;
  bool appeared = false;
};

// Made once and never destroyed: the thread may outlive main.
WindowWatch& Watch() {
  static WindowWatch* watch = new WindowWatch;
  return *watch;
}

void KeepTime(std::chrono::steady_clock::time_point deadline) {
  WindowWatch& w = Watch();
  std::unique_lock<std::mutex> held(w.lock);
  if (w.changed.wait_until(held, deadline, [&w] { return w.appeared; })) return;
  const std::string line = w.line;
  held.unlock();
  const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
  static_cast<void>(written);  // nothing more to say if standard error refuses
}

}  // namespace

void AwaitingWindow(const std::string& what) {
  WindowWatch& w = Watch();
  std::lock_guard<std::mutex> held(w.lock);
  if (w.appeared) return;
  w.line = "Brindlemox: no window after 10 s: still waiting for " + what + "\n";
  if (w.started) return;
  w.started = true;
  try {
    std::thread(KeepTime, std::chrono::steady_clock::now() + kPatience).detach();
  } catch (const std::system_error&) {
    // Without a thread the program runs as before, without the line.
  }
}

void StopWindowWatch() {
  WindowWatch& w = Watch();
  {
    std::lock_guard<std::mutex> held(w.lock);
    w.appeared = true;
  }
  w.changed.notify_all();
}

}  // namespace platform::sdl
