// The program's own shell on the Win32 backend, run in this process: the
// entry point, the real message loop and the device module.
#include <gtest/gtest.h>

#include <string>

#include "shell/DemoShell.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

struct Seen {
  std::string title;
  std::string boxCaption;
  std::string boxText;
  bool boxFound = false;
};

Seen& Observed() {
  static Seen seen;
  return seen;
}

// Thread timers: their callbacks run from whichever loop of this thread
// dispatches the WM_TIMER, the program's own or a message box's.

// Presses Escape once 30 frames were drawn, or after 20 seconds without.
constexpr UINT kEscapePeriodMs = 50;
constexpr uint32_t kFramesBeforeEscape = 30;
constexpr int kEscapeGiveUpTicks = 400;

void CALLBACK PressEscape(HWND, UINT, UINT_PTR timer, DWORD) {
  static int ticks = 0;
  if (shell.frameCount < kFramesBeforeEscape && ++ticks < kEscapeGiveUpTicks) return;
  KillTimer(nullptr, timer);
  const HWND window = win32test::ToHwnd(shell.mainWindow);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  Observed().title = title;
  PostMessageA(window, platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
}

void CALLBACK DismissErrorBox(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND box = FindWindowA("#32770", nullptr);
  if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
  KillTimer(nullptr, timer);
  char text[128] = {};
  GetWindowTextA(box, text, sizeof text);
  Observed().boxCaption = text;
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  Observed().boxText = text;
  Observed().boxFound = true;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class Win32ShellTest : public win32test::ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    Observed() = Seen{};
  }
};

}  // namespace

TEST_F(Win32ShellTest, EscapeEndsARunningShowWithExitCodeZero) {
  SetTimer(nullptr, 0, kEscapePeriodMs, PressEscape);
  const int exitCode = DemoMain(win32test::Instance(), nullptr, "", SW_SHOWNORMAL);
  EXPECT_EQ(exitCode, 0);
  EXPECT_GE(shell.frameCount, kFramesBeforeEscape);
  EXPECT_EQ(Observed().title.rfind("Brindlemox :: ", 0), 0u) << Observed().title;
  EXPECT_EQ(shell.runState, Stopped);
  EXPECT_EQ(shell.device, nullptr);
  EXPECT_FALSE(IsWindow(win32test::ToHwnd(shell.mainWindow)));
}

// A hidden window gives the device nothing to present into: its constructor
// throws inside QelGFX36.dll, and the shell catches it.
TEST_F(Win32ShellTest, DeviceFailureShowsTheErrorBoxAndEndsWithExitCodeOne) {
  SetTimer(nullptr, 0, 200, DismissErrorBox);
  const int exitCode = DemoMain(win32test::Instance(), nullptr, "", SW_HIDE);
  EXPECT_EQ(exitCode, 1);
  ASSERT_TRUE(Observed().boxFound);
  EXPECT_EQ(Observed().boxCaption, "QelGFX Fatal Error");
  EXPECT_EQ(Observed().boxText, "Could not initialize graphics subsystem");
  EXPECT_EQ(shell.frameCount, 0u);
  EXPECT_FALSE(IsWindow(win32test::ToHwnd(shell.mainWindow)));
}
