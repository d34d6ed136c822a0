// The thin layer that stands in for the operating system.
//
// The program was designed against USER32, GDI32 and KERNEL32. Everything it
// needs from them is declared here, one function per Win32 call it makes, with
// Win32's message numbers and key codes, so that each backend maps onto its
// system directly:
//
//   platform/sdl/       Linux and other desktops, through SDL2 (the default)
//   platform/headless/  no window at all: the clock, the input and the screen
//                       are driven by the caller (tests and the capture tool)
//   platform/win32/     native Windows
//   platform/web/       a browser page, built with emscripten
//
// Win32 has the window calls itself. The other three share one emulation of
// them (EmulatedWindow.h) and add only their own side of the window.
//
// Exactly one backend is linked into a program; the build chooses it.
// Everything here runs on the one thread that enters the program.
#pragma once

#include <cstdint>

namespace platform {

// Win32 message numbers and key codes, with their Win32 values.
constexpr uint32_t WM_DESTROY = 2;
constexpr uint32_t WM_MOVE = 3;
constexpr uint32_t WM_CLOSE = 16;
constexpr uint32_t WM_QUIT = 18;
constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_SYSKEYDOWN = 260;
constexpr uintptr_t VK_RETURN = 0x0D;
constexpr uintptr_t VK_ESCAPE = 27;
constexpr uintptr_t VK_F4 = 0x73;
constexpr uintptr_t VK_F11 = 0x7A;

constexpr int SW_SHOWDEFAULT = 10;

// A key-down message's lParam: bit 30 is the key's previous state, set when
// the key was down already and the message comes from the keyboard's
// auto-repeat. Only a fresh press (bit clear) switches anything.
constexpr intptr_t kKeyWasDown = intptr_t{1} << 30;
constexpr bool IsFreshKeyPress(intptr_t lParam) { return (lParam & kKeyWasDown) == 0; }

// Window styles the program uses: title bar, system menu and minimise box.
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;

// Class style CS_HREDRAW | CS_VREDRAW.
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_VREDRAW = 0x0001;

struct WindowRecord;
using WindowHandle = WindowRecord*;
using InstanceHandle = void*;

using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message,
                                     uintptr_t wParam, intptr_t lParam);

struct Message {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// The window class: what RegisterClassExA is given. The show's icon (the
// stock one where the executable carries none), arrow cursor and black brush
// of the class are implied; only Win32 uses them.
struct WindowClass {
  uint32_t style = 0;
  WindowProcedure procedure = nullptr;
  InstanceHandle instance = nullptr;
  const char* className = nullptr;
};

// RegisterClassExA. Returns false when the class cannot be registered.
bool RegisterWindowClass(const WindowClass& windowClass);

// CreateWindowExA with no extended style, parent or menu. Returns null when
// no window can be made (no display, say); LastErrorText() then says why.
WindowHandle CreateMainWindow(const char* className, const char* title,
                              uint32_t style, int x, int y, int width,
                              int height, InstanceHandle instance);

// GetSystemMetrics(SM_CXSCREEN) and (SM_CYSCREEN).
int ScreenWidth();
int ScreenHeight();

// ShowWindow and UpdateWindow.
void ShowMainWindow(WindowHandle window, int showCommand);
void UpdateMainWindow(WindowHandle window);

// PeekMessageA(no window filter, 0, 0, PM_REMOVE): takes the next message of
// the thread's queue without waiting. False when the queue is empty.
bool PeekNextMessage(Message& message);

// TranslateMessage and DispatchMessageA.
void TranslateKeyMessage(const Message& message);
intptr_t DispatchToWindow(const Message& message);

// DefWindowProcA, with what every backend's default handling adds to it:
// F11 (WM_KEYDOWN) and Alt+Enter (WM_SYSKEYDOWN with VK_RETURN) switch the
// window between the size it was made with and the whole screen it is on,
// where the frame is shown at the largest size of its shape (Letterbox.h).
// A key held down switches once: its repeats (IsFreshKeyPress false) do not.
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message,
                                uintptr_t wParam, intptr_t lParam);

// PostMessageA: queues a message for the window.
void PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam);

// PostQuitMessage: the loop will take WM_QUIT with this exit code as wParam.
void PostQuit(int exitCode);

// DestroyWindow: sends WM_DESTROY to the procedure before returning. Messages
// still queued for the window are dropped.
void DestroyMainWindow(WindowHandle window);

// SetWindowTextA.
void SetWindowTitle(WindowHandle window, const char* text);

// MessageBoxA(no owner, text, caption, MB_ICONERROR): waits until the user
// dismisses it. Returns false when no message box could be shown at all.
bool ShowErrorMessageBox(const char* text, const char* caption);

// QueryPerformanceCounter, QueryPerformanceFrequency and GetTickCount.
int64_t PerformanceCounter();
int64_t PerformanceFrequency();
uint32_t TickCountMs();

// Presenting for the graphics device: a surface of 32-bit 0x00RRGGBB pixels,
// rows width * 4 bytes apart, shown in the main window. OpenPresenter returns
// false when the backend cannot present (LastErrorText() says why).
bool OpenPresenter(int width, int height);
void PresentFrame(const uint32_t* pixels, int width, int height);
void ClosePresenter();

// Why the last call that could fail did fail.
const char* LastErrorText();

// The folder that holds the running program's own file, as an absolute path
// ending in a path separator; empty when it cannot be told, and on the
// headless backend until its driver sets one. The program looks for its data
// files there when the working directory has none (framework/DataFiles.h).
const char* ProgramDirectory();

}  // namespace platform
