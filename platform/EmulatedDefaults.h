// What the backends that have no window system of their own to do it (SDL,
// web and headless) share: the thread's message queue, the window class and
// the default handling of window messages.
#pragma once

#include <deque>
#include <string>

#include "platform/Platform.h"

namespace platform {

// The thread's message queue, first in, first out.
class EmulatedMessageQueue {
 public:
  void Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    queue_.push_back({window, message, wParam, lParam});
  }

  void PostQuit(int exitCode) {
    queue_.push_back({nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
  }

  // Takes the first message. An empty queue is refilled once first: the
  // backend posts what has happened since (events, a driver's input).
  template <typename Refill>
  bool Take(Message& message, Refill refill) {
    if (queue_.empty()) refill();
    if (queue_.empty()) return false;
    message = queue_.front();
    queue_.pop_front();
    return true;
  }

  // A destroyed window's messages are dropped, as Windows drops them.
  void DropMessagesOf(WindowHandle window) {
    std::erase_if(queue_, [window](const Message& m) { return m.window == window; });
  }

 private:
  std::deque<Message> queue_;
};

// The one window class the program registers, kept by name.
class EmulatedWindowClass {
 public:
  // RegisterClassExA: false for a class without a name or a procedure.
  bool Register(const WindowClass& windowClass) {
    if (windowClass.className == nullptr || windowClass.procedure == nullptr) return false;
    name_ = windowClass.className;
    procedure_ = windowClass.procedure;
    return true;
  }

  // The procedure of the class of that name; null when none was registered.
  WindowProcedure ProcedureOf(const char* className) const {
    return className != nullptr && className == name_ ? procedure_ : nullptr;
  }

 private:
  std::string name_;
  WindowProcedure procedure_ = nullptr;
};

// Behaves as Windows' DefWindowProcA does for the messages the program meets:
// Alt+F4 sends a close request, and a close request nobody handled destroys
// the window. Everything else needs no default action.
inline intptr_t EmulatedDefaultWindowProcedure(WindowHandle window, uint32_t message,
                                               uintptr_t wParam) {
  if (window == nullptr) return 0;
  if (message == WM_SYSKEYDOWN && wParam == VK_F4)
    return DispatchToWindow({window, WM_CLOSE, 0, 0});
  if (message == WM_CLOSE) DestroyMainWindow(window);
  return 0;
}

}  // namespace platform
