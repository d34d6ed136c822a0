// Windows for the Win32 tests: a registered class and a window made through
// the backend, taken down again afterwards, and the thread's queue emptied.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "shell/ShellState.h"

namespace win32test {

inline HWND ToHwnd(platform::WindowHandle window) { return reinterpret_cast<HWND>(window); }

inline HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Takes every message waiting for the thread, WM_QUIT included.
inline void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// The messages a procedure received, in order.
struct Received {
  platform::WindowHandle window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

inline std::vector<Received>& Log() {
  static std::vector<Received> log;
  return log;
}

// Records what it gets and leaves the rest to the default handling.
inline intptr_t RecordingProcedure(platform::WindowHandle window, uint32_t message,
                                   uintptr_t wParam, intptr_t lParam) {
  Log().push_back({window, message, wParam, lParam});
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

// A class and a 640x480 window of the program's style, shown or hidden.
class TestWindow {
 public:
  explicit TestWindow(const char* className, bool visible = true,
                      platform::WindowProcedure procedure = RecordingProcedure)
      : name(className) {
    platform::WindowClass windowClass;
    windowClass.style = platform::CS_HREDRAW | platform::CS_VREDRAW;
    windowClass.procedure = procedure;
    windowClass.instance = Instance();
    windowClass.className = className;
    registered = platform::RegisterWindowClass(windowClass);
    handle = platform::CreateMainWindow(
        className, "Test", platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX,
        0, 0, 640, 480, Instance());
    if (handle != nullptr && visible) {
      platform::ShowMainWindow(handle, SW_SHOWNORMAL);
      platform::UpdateMainWindow(handle);
    }
  }
  ~TestWindow() {
    if (IsWindow(Hwnd())) DestroyWindow(Hwnd());
    DrainQueue();
    UnregisterClassA(name.c_str(), Instance());
    Log().clear();
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Hwnd() const { return ToHwnd(handle); }

  std::string name;
  bool registered = false;
  platform::WindowHandle handle = nullptr;
};

// For tests of the program's own window (class QelWin): a fresh shell and an
// empty queue before; afterwards no window, class or message left behind.
class ShellWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShellState();
    DrainQueue();
    Log().clear();
  }
  void TearDown() override {
    if (IsWindow(ToHwnd(shell.mainWindow))) DestroyWindow(ToHwnd(shell.mainWindow));
    DrainQueue();
    UnregisterClassA("QelWin", Instance());
    ResetShellState();
  }
};

}  // namespace win32test
