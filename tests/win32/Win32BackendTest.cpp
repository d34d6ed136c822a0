// The Win32 backend: class and window as the program asks for them, and
// messages reaching the program's procedure through the trampoline.
#include <gtest/gtest.h>

#include "shell/DemoShell.h"
#include "tests/win32/Win32TestSupport.h"

using win32test::Log;
using win32test::TestWindow;
using Win32BackendTest = win32test::ShellWindowTest;

namespace {

// The icon's width and height, 0 when it cannot be read.
SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP colour{};
  const bool read = info.hbmColor != nullptr && GetObjectA(info.hbmColor, sizeof colour, &colour);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return read ? SIZE{colour.bmWidth, colour.bmHeight} : SIZE{0, 0};
}

}  // namespace

// The show's icon (this test program carries it, as brindlemox.exe does) at
// the system's icon sizes, for the task bar and for the title bar.
TEST_F(Win32BackendTest, TheClassIsQelWinWithTheShowsIconArrowAndBlackBrush) {
  ASSERT_TRUE(OpenMainWindow(win32test::Instance(), SW_SHOWNORMAL));
  WNDCLASSEXA record{};
  record.cbSize = sizeof record;
  ASSERT_TRUE(GetClassInfoExA(win32test::Instance(), "QelWin", &record));
  EXPECT_EQ(record.style, 3u);
  EXPECT_EQ(record.cbClsExtra, 0);
  EXPECT_EQ(record.cbWndExtra, 0);
  ASSERT_NE(FindResourceA(win32test::Instance(), MAKEINTRESOURCEA(1), RT_GROUP_ICON), nullptr);
  EXPECT_NE(record.hIcon, LoadIconA(nullptr, IDI_APPLICATION)) << "the stock icon";
  EXPECT_NE(record.hIconSm, LoadIconA(nullptr, IDI_APPLICATION)) << "the stock icon";
  const SIZE big = IconSize(record.hIcon);
  const SIZE small = IconSize(record.hIconSm);
  EXPECT_EQ(big.cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(big.cy, GetSystemMetrics(SM_CYICON));
  EXPECT_EQ(small.cx, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(small.cy, GetSystemMetrics(SM_CYSMICON));
  EXPECT_EQ(record.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(record.hbrBackground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(record.lpszMenuName, nullptr);
}

TEST_F(Win32BackendTest, TheWindowIsCentredWithAnOuterSizeOf640By480) {
  ASSERT_TRUE(OpenMainWindow(win32test::Instance(), SW_SHOWNORMAL));
  const HWND window = win32test::ToHwnd(shell.mainWindow);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Brindlemox");

  // Title bar, system menu and minimise box; no sizing border, no maximise box.
  const auto style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
  const uint32_t frameBits = platform::WS_CAPTION | platform::WS_SYSMENU |
                             platform::WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  EXPECT_EQ(style & frameBits, 0x00CA0000u);
  EXPECT_TRUE(IsWindowVisible(window));

  RECT outer;
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(outer.right - outer.left, 640);
  EXPECT_EQ(outer.bottom - outer.top, 480);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 640) >> 1);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 480) >> 1);

  // The frame and title bar come off the outer size: the client area is
  // smaller, and the device has to shrink its frames into it.
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_LT(client.right, 640);
  EXPECT_LT(client.bottom, 480);
}

TEST_F(Win32BackendTest, PostedMessagesReachTheProcedureWithTheWindowsOwnHandle) {
  TestWindow window("Win32BackendTestPost");
  ASSERT_TRUE(window.registered);
  ASSERT_NE(window.handle, nullptr);
  win32test::DrainQueue();

  platform::PostWindowMessage(window.handle, platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
  platform::Message message;
  bool found = false;
  while (!found && platform::PeekNextMessage(message))
    found = message.message == platform::WM_KEYDOWN;
  ASSERT_TRUE(found);
  EXPECT_EQ(message.window, window.handle);
  EXPECT_EQ(message.wParam, platform::VK_ESCAPE);
  Log().clear();
  platform::TranslateKeyMessage(message);
  platform::DispatchToWindow(message);

  ASSERT_FALSE(Log().empty());
  const win32test::Received& received = Log().front();
  EXPECT_EQ(received.message, platform::WM_KEYDOWN);
  EXPECT_EQ(received.window, window.handle);
  EXPECT_EQ(received.wParam, platform::VK_ESCAPE);
  EXPECT_EQ(received.lParam, 1);
}

TEST_F(Win32BackendTest, ResultsOfTheProcedureGoBackToTheSender) {
  static constexpr uint32_t kAsk = WM_APP + 1;
  TestWindow window("Win32BackendTestSend", false,
                    [](platform::WindowHandle w, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) -> intptr_t {
                      if (message == kAsk) return static_cast<intptr_t>(wParam * 2);
                      return platform::DefaultWindowProcedure(w, message, wParam, lParam);
                    });
  ASSERT_NE(window.handle, nullptr);
  EXPECT_EQ(SendMessageA(window.Hwnd(), kAsk, 21, 0), 42);
}

TEST_F(Win32BackendTest, DestroyingSendsWmDestroyBeforeItReturns) {
  TestWindow window("Win32BackendTestDestroy");
  ASSERT_NE(window.handle, nullptr);
  Log().clear();
  platform::DestroyMainWindow(window.handle);
  bool destroyed = false;
  for (const win32test::Received& r : Log()) destroyed |= r.message == platform::WM_DESTROY;
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(IsWindow(window.Hwnd()));
}

TEST_F(Win32BackendTest, TheQuitMessageCarriesTheExitCode) {
  platform::PostQuit(7);
  platform::Message message;
  ASSERT_TRUE(platform::PeekNextMessage(message));
  EXPECT_EQ(message.message, platform::WM_QUIT);
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_FALSE(platform::PeekNextMessage(message));
}

TEST_F(Win32BackendTest, AClassRegisteredAgainCallsItsNewProcedure) {
  static int calls = 0;
  calls = 0;
  {
    TestWindow first("Win32BackendTestAgain");
    ASSERT_TRUE(first.registered);
  }
  TestWindow second("Win32BackendTestAgain", false,
                    [](platform::WindowHandle w, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) -> intptr_t {
                      ++calls;
                      return platform::DefaultWindowProcedure(w, message, wParam, lParam);
                    });
  ASSERT_TRUE(second.registered);
  ASSERT_NE(second.handle, nullptr);
  const int before = calls;
  SendMessageA(second.Hwnd(), WM_APP, 0, 0);
  EXPECT_EQ(calls, before + 1);
}

// Windows repeats a held key's WM_KEYDOWN (WM_SYSKEYDOWN with Alt) with bit
// 30 of lParam set: the key was down already. Only the fresh press switches
// the window to fullscreen (a popup covering the monitor) or back.
TEST_F(Win32BackendTest, AHeldF11OrAltEnterTogglesFullscreenOnceAndOnlyAFreshPressAgain) {
  ASSERT_TRUE(OpenMainWindow(win32test::Instance(), SW_SHOWNORMAL));
  const HWND window = win32test::ToHwnd(shell.mainWindow);
  const auto fullscreen = [window] {
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_POPUP) != 0;
  };
  struct Key {
    const char* name;
    UINT message;
    WPARAM key;
    LPARAM fresh;  // repeat count 1; with Alt, the context bit (29) too
  };
  const LPARAM kWasDown = LPARAM{1} << 30;
  for (const Key& key : {Key{"F11", platform::WM_KEYDOWN, platform::VK_F11, 1},
                         Key{"Alt+Enter", platform::WM_SYSKEYDOWN, platform::VK_RETURN, 1 | LPARAM{1} << 29}}) {
    SCOPED_TRACE(key.name);
    ASSERT_FALSE(fullscreen());
    SendMessageA(window, key.message, key.key, key.fresh);
    EXPECT_TRUE(fullscreen());
    for (int i = 0; i < 20; ++i) {
      SendMessageA(window, key.message, key.key, key.fresh | kWasDown);
      ASSERT_TRUE(fullscreen()) << "repeat " << i << " switched back";
    }
    SendMessageA(window, key.message, key.key, key.fresh);
    EXPECT_FALSE(fullscreen());
    for (int i = 0; i < 20; ++i) {
      SendMessageA(window, key.message, key.key, key.fresh | kWasDown);
      ASSERT_FALSE(fullscreen()) << "repeat " << i << " switched to fullscreen";
    }
  }
}
