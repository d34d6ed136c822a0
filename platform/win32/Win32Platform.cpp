// Win32 backend: native Windows.
//
// Depends on: USER32 (window class and window, message queue, window
// procedure, title, message box), GDI32 (the black stock brush) and KERNEL32
// (performance counter, tick count, the program file's path). Each platform
// call is the Win32 call of the same purpose, with its arguments passed
// through.
//
// A WindowHandle is the HWND itself. Windows calls a window procedure as a
// WNDPROC; the program's procedure has the platform's signature, so every
// class is registered with one trampoline that finds the class's procedure by
// the window's class atom. The class has no extra bytes to keep it in, and the
// atom is known from the first message a new window gets.
//
// The window class takes the show's icon from the executable's resources.
// The default window procedure adds one thing to DefWindowProcA: F11 and
// Alt+Enter, pressed afresh (not their auto-repeat), make the window cover
// its monitor, and bring it back.
//
// Presenting is not here: it belongs to the graphics device, whose module
// (QelGFX36.dll) carries Win32Presenter.cpp. So does the last error's text
// (Win32Error.cpp), which both modules report to.
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"

namespace platform {

namespace {

struct ClassProcedure {
  ATOM atom;
  WindowProcedure procedure;
};

std::vector<ClassProcedure>& Procedures() {
  static std::vector<ClassProcedure> procedures;
  return procedures;
}

// The system's own text for a Win32 error code.
std::string SystemErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length != 0 && text != nullptr ? std::string(text, length)
                                                      : "Win32 error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  // The system's messages end in a full stop and a line break.
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

// The system's text for the error of the call that failed last, as the last
// error's text.
void ReportSystemError() {
  win32::SetLastErrorText(SystemErrorText(GetLastError()).c_str());
}

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

LRESULT CALLBACK Trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const ATOM atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
  for (const ClassProcedure& c : Procedures())
    if (c.atom == atom) return c.procedure(FromHwnd(window), message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The message as Windows keeps it. Time and cursor position are those of the
// message taken last from the queue, which is the one being handled.
MSG ToMsg(const Message& message) {
  MSG msg{};
  msg.hwnd = ToHwnd(message.window);
  msg.message = message.message;
  msg.wParam = message.wParam;
  msg.lParam = message.lParam;
  msg.time = static_cast<DWORD>(GetMessageTime());
  const DWORD position = GetMessagePos();
  msg.pt.x = static_cast<short>(LOWORD(position));
  msg.pt.y = static_cast<short>(HIWORD(position));
  return msg;
}

// The window's own style and placement while it covers the screen, to come
// back to. The property marks the window that has them: it goes with the
// window, so that a window made later with the same handle is not taken
// for it.
struct WindowedState {
  LONG style = 0;
  WINDOWPLACEMENT placement{};
};

constexpr char kFullscreenProperty[] = "Brindlemox.Fullscreen";

WindowedState& Windowed() {
  static WindowedState state;
  return state;
}

// F11 and Alt+Enter: the window becomes a popup covering the monitor it is
// on, or, when it is one, gets its own style, size and place back. The
// presenter letterboxes the frame in the larger client area.
void ToggleFullscreen(HWND window) {
  WindowedState& windowed = Windowed();
  if (GetPropA(window, kFullscreenProperty) != nullptr) {
    RemovePropA(window, kFullscreenProperty);
    SetWindowLongA(window, GWL_STYLE, windowed.style);
    SetWindowPlacement(window, &windowed.placement);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    return;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement) ||
      !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  windowed.style = GetWindowLongA(window, GWL_STYLE);
  windowed.placement = placement;
  SetPropA(window, kFullscreenProperty, window);
  const DWORD frameless =
      (static_cast<DWORD>(windowed.style) & ~static_cast<DWORD>(WS_OVERLAPPEDWINDOW)) | WS_POPUP;
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(frameless));
  const RECT& screen = monitor.rcMonitor;
  SetWindowPos(window, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
               screen.bottom - screen.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
}

// The show's icon, the executable's icon group 1 (cmake/Win32Program.cmake),
// at the size the system shows for SIZE_METRIC (SM_CXICON for the task bar
// and Alt+Tab, SM_CXSMICON for the title bar); the system's stock
// application icon for a module that has none.
constexpr int kProgramIconResource = 1;

HICON ProgramIcon(HINSTANCE instance, int sizeMetric) {
  const int size = GetSystemMetrics(sizeMetric);
  const HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconResource), IMAGE_ICON,
                                 size, size, LR_DEFAULTCOLOR);
  return icon != nullptr ? static_cast<HICON>(icon) : LoadIconA(nullptr, IDI_APPLICATION);
}

}  // namespace

bool RegisterWindowClass(const WindowClass& windowClass) {
  if (windowClass.className == nullptr || windowClass.procedure == nullptr) return false;
  const auto instance = static_cast<HINSTANCE>(windowClass.instance);
  WNDCLASSEXA record;
  record.cbSize = sizeof record;
  record.style = windowClass.style;
  record.lpfnWndProc = Trampoline;
  record.cbClsExtra = 0;
  record.cbWndExtra = 0;
  record.hInstance = instance;
  record.hIcon = ProgramIcon(instance, SM_CXICON);
  record.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  record.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  record.lpszMenuName = nullptr;
  record.lpszClassName = windowClass.className;
  record.hIconSm = ProgramIcon(instance, SM_CXSMICON);
  const ATOM atom = RegisterClassExA(&record);
  if (atom == 0) {
    ReportSystemError();
    return false;
  }
  // An atom freed by unregistering a class may come back for a new one.
  std::erase_if(Procedures(), [atom](const ClassProcedure& c) { return c.atom == atom; });
  Procedures().push_back({atom, windowClass.procedure});
  return true;
}

WindowHandle CreateMainWindow(const char* className, const char* title, uint32_t style,
                              int x, int y, int width, int height, InstanceHandle instance) {
  const HWND window = CreateWindowExA(0, className, title, style, x, y, width, height, nullptr,
                                      nullptr, static_cast<HINSTANCE>(instance), nullptr);
  if (window == nullptr) ReportSystemError();
  return FromHwnd(window);
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void ShowMainWindow(WindowHandle window, int showCommand) {
  ShowWindow(ToHwnd(window), showCommand);
}

void UpdateMainWindow(WindowHandle window) { UpdateWindow(ToHwnd(window)); }

bool PeekNextMessage(Message& message) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  message.window = FromHwnd(msg.hwnd);
  message.message = msg.message;
  message.wParam = msg.wParam;
  message.lParam = msg.lParam;
  return true;
}

void TranslateKeyMessage(const Message& message) {
  const MSG msg = ToMsg(message);
  TranslateMessage(&msg);
}

intptr_t DispatchToWindow(const Message& message) {
  const MSG msg = ToMsg(message);
  return DispatchMessageA(&msg);
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
  const HWND hwnd = ToHwnd(window);
  if ((message == WM_KEYDOWN && wParam == VK_F11) ||
      (message == WM_SYSKEYDOWN && wParam == VK_RETURN)) {
    // A held key's repeats say the key was down already: they switch nothing.
    if (IsFreshKeyPress(lParam)) ToggleFullscreen(hwnd);
    return 0;
  }
  // The character that Alt+Enter makes would ring the bell, as a menu key
  // that no menu has.
  if (message == WM_SYSCHAR && wParam == '\r') return 0;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  PostMessageA(ToHwnd(window), message, wParam, lParam);
}

void PostQuit(int exitCode) { PostQuitMessage(exitCode); }

void DestroyMainWindow(WindowHandle window) { DestroyWindow(ToHwnd(window)); }

void SetWindowTitle(WindowHandle window, const char* text) {
  SetWindowTextA(ToHwnd(window), text);
}

bool ShowErrorMessageBox(const char* text, const char* caption) {
  return MessageBoxA(nullptr, text, caption, MB_ICONERROR) != 0;
}

int64_t PerformanceCounter() {
  LARGE_INTEGER count;
  if (!QueryPerformanceCounter(&count)) return 0;
  return count.QuadPart;
}

int64_t PerformanceFrequency() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  return frequency.QuadPart;
}

uint32_t TickCountMs() { return GetTickCount(); }

const char* ProgramDirectory() {
  // The program file's path as Windows gives it, in the ANSI code page that
  // fopen takes, cut after the last separator. A path longer than the buffer
  // comes back cut short, so the buffer grows until it fits.
  static const std::string directory = [] {
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return std::string();
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(path.size() * 2);
    }
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  }();
  return directory.c_str();
}

}  // namespace platform
