#include "platform/EmulatedWindow.h"

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Observer.h"

namespace platform {

namespace {

struct EmulatedState {
  // The one window class the program registers, kept by name.
  std::string className;
  WindowProcedure classProcedure = nullptr;
  // Every window made, so that a handle stays a valid record when its window
  // is gone; the last one is the main window.
  std::vector<std::unique_ptr<WindowRecord>> windows;
  // The thread's message queue, first in, first out.
  std::deque<Message> queue;
  std::string lastError;
};

EmulatedState& State() {
  static EmulatedState state;
  return state;
}

// The record behind a handle when its window lives: it is the main window
// and it has not been destroyed. Null for any other handle.
WindowRecord* Live(WindowHandle window) {
  const WindowRecord* main = EmulatedMainWindow();
  return window != nullptr && window == main && !window->destroyed ? window : nullptr;
}

}  // namespace

WindowRecord* EmulatedMainWindow() {
  const EmulatedState& s = State();
  return s.windows.empty() ? nullptr : s.windows.back().get();
}

void SetLastErrorText(std::string text) { State().lastError = std::move(text); }

const char* LastErrorText() { return State().lastError.c_str(); }

void ResetEmulatedWindows() { State() = EmulatedState{}; }

bool RegisterWindowClass(const WindowClass& windowClass) {
  if (windowClass.className == nullptr || windowClass.procedure == nullptr) {
    SetLastErrorText("a window class needs a name and a procedure");
    return false;
  }
  EmulatedState& s = State();
  s.className = windowClass.className;
  s.classProcedure = windowClass.procedure;
  return true;
}

WindowHandle CreateMainWindow(const char* className, const char* title, uint32_t style, int x,
                              int y, int width, int height, InstanceHandle) {
  EmulatedState& s = State();
  if (className == nullptr || s.classProcedure == nullptr || s.className != className) {
    SetLastErrorText("window class not registered");
    return nullptr;
  }
  if (Live(EmulatedMainWindow()) != nullptr) {
    SetLastErrorText("the main window exists already");
    return nullptr;
  }
  auto window = std::make_unique<WindowRecord>();
  window->className = className;
  window->title = title != nullptr ? title : "";
  window->style = style;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->procedure = s.classProcedure;
  if (!backend::OpenWindow(*window)) return nullptr;
  s.windows.push_back(std::move(window));
  return s.windows.back().get();
}

void ShowMainWindow(WindowHandle window, int showCommand) {
  WindowRecord* w = Live(window);
  if (w == nullptr) return;
  w->showCommand = showCommand;
  backend::ShowWindow(*w, showCommand);
}

void UpdateMainWindow(WindowHandle window) {
  WindowRecord* w = Live(window);
  if (w == nullptr) return;
  w->updated = true;
  backend::UpdateWindow(*w);
}

bool PeekNextMessage(Message& message) {
  EmulatedState& s = State();
  if (s.queue.empty()) backend::PumpEvents();
  if (s.queue.empty()) return false;
  message = s.queue.front();
  s.queue.pop_front();
  if (message.message == WM_QUIT && observer != nullptr)
    observer->QuitTaken(static_cast<int>(message.wParam));
  return true;
}

// Key messages make no character messages here: the program reads none.
void TranslateKeyMessage(const Message&) {}

intptr_t DispatchToWindow(const Message& message) {
  WindowRecord* w = Live(message.window);
  if (w == nullptr) return 0;
  if (observer != nullptr) observer->MessageDispatched(message);
  return w->procedure(w, message.message, message.wParam, message.lParam);
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
  if (Live(window) == nullptr) return 0;
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_F11 && IsFreshKeyPress(lParam)) backend::ToggleFullscreen(*window);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 asks the window to close, as its close button does.
      if (wParam == VK_F4) return DispatchToWindow({window, WM_CLOSE, 0, 0});
      if (wParam == VK_RETURN && IsFreshKeyPress(lParam)) backend::ToggleFullscreen(*window);
      return 0;
    case WM_CLOSE:
      // A close request that nobody handled destroys the window.
      DestroyMainWindow(window);
      return 0;
    default:
      return 0;
  }
}

void PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  if (Live(window) == nullptr) return;
  State().queue.push_back({window, message, wParam, lParam});
}

void PostQuit(int exitCode) {
  State().queue.push_back({nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

void DestroyMainWindow(WindowHandle window) {
  WindowRecord* w = Live(window);
  if (w == nullptr) return;
  w->destroyed = true;
  // A destroyed window's messages are dropped, as Windows drops them.
  std::erase_if(State().queue, [w](const Message& m) { return m.window == w; });
  if (observer != nullptr) observer->WindowDestroyed(w);
  w->procedure(w, WM_DESTROY, 0, 0);
  backend::CloseWindow(*w);
}

void SetWindowTitle(WindowHandle window, const char* text) {
  WindowRecord* w = Live(window);
  if (w == nullptr) return;
  w->title = text != nullptr ? text : "";
  backend::SetTitle(*w);
}

}  // namespace platform
