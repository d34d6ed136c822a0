// The window system of the backends that have none of their own to do it
// (SDL, web and headless): Win32's window class, window, message queue,
// posting, dispatching, default window procedure, quit and destroy, as the
// program meets them. EmulatedWindow.cpp defines those calls of Platform.h
// once for all three, and LastErrorText() with them.
//
// Each backend defines the functions in namespace backend below: its own side
// of the window (making, showing, titling and closing it) and the pump that
// turns its events into messages. Everything else a backend holds is its own:
// presenting, the clock, the screen, the message box.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace platform {

// One window as CreateWindowExA was given it, and what became of it. A
// WindowHandle points at one.
struct WindowRecord {
  std::string className;
  std::string title;
  uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  WindowProcedure procedure = nullptr;
  int showCommand = -1;  // as last shown; -1 while never shown
  bool updated = false;  // UpdateWindow was called
  bool destroyed = false;
};

// The window made last, destroyed or not; null before the first. Only one
// window lives at a time: the program has one.
WindowRecord* EmulatedMainWindow();

// What LastErrorText() says from now on.
void SetLastErrorText(std::string text);

// Forgets the class, every window, the queued messages and the last error:
// the headless backend's driver plays the program many times in one process.
void ResetEmulatedWindows();

// Each backend's side of the window. The layer calls these for the window
// while it lives (created and not destroyed), and keeps the record up to date
// itself.
//
// The default window procedure (DefaultWindowProcedure) holds the window's
// own behaviour, which Windows gives every window: Alt+F4 asks it to close,
// and a close request nobody handled destroys it; F11 and Alt+Enter switch
// it to fullscreen and back. Behaviour of that kind that needs the backend's
// window becomes one more function here, called from there.
namespace backend {

// CreateWindowExA: makes the backend's window for the record (title, position
// and size set). False when none can be made, with SetLastErrorText saying why.
bool OpenWindow(const WindowRecord& window);

// ShowWindow and UpdateWindow.
void ShowWindow(const WindowRecord& window, int showCommand);
void UpdateWindow(const WindowRecord& window);

// SetWindowTextA: the record holds the new title already.
void SetTitle(const WindowRecord& window);

// Called by the poll whenever the queue is empty: posts, with
// PostWindowMessage, what has happened since (input, the window being moved
// or closed). It may wait for it.
void PumpEvents();

// DestroyWindow, after the procedure handled WM_DESTROY: the backend's window
// goes.
void CloseWindow(const WindowRecord& window);

// F11 or Alt+Enter reached the default window procedure: the window covers
// the screen it is on, or, when it does, comes back to its own size and
// place. The presenter shows the frame letterboxed at whatever size the
// window has (Letterbox.h).
void ToggleFullscreen(const WindowRecord& window);

}  // namespace backend
}  // namespace platform
