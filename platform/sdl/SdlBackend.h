// SDL2 backend: the default on Linux and other desktops.
//
// Depends on: SDL2 (video, events, message boxes, performance counter, the
// program's own folder, and the renderer only to learn what draws it and,
// with graphics hardware, to present), the GL_RENDERER string of SDL's
// OpenGL renderer, and POSIX: clock_gettime for the tick count, and fork
// handlers, shared memory and signal handlers to end the message box on
// SIGINT and SIGTERM.
// Cannot: set the window's outer size. The window manager owns the frame, so
// the 640x480 asked for is the client area here, where Windows makes it the
// outer size. Only the main window exists; its class has no icon, cursor or
// brush of its own. The window's class, messages and default behaviour are
// the emulated window's (platform/EmulatedWindow.h).
//
//   SdlVideo.cpp       the connection to the display, the screen, the end
//   SdlWindow.cpp      the window, its events as messages, the clock, the
//                      program's folder
//   SdlMessageBox.cpp  the message box, which SIGINT and SIGTERM end
//   SdlPresenter.cpp   the back buffer shown in the window
//
// This header is what those files share: the connection to the display and
// the one SDL window, while it lives.
#pragma once

#include <SDL.h>

namespace platform::sdl {

// Connects SDL's video to the display, once; false (with LastErrorText
// saying why) when there is none that a user would see.
bool EnsureVideo();
// Whether EnsureVideo has connected.
bool VideoReady();

// The main window's SDL window; null before it is made and once it is gone.
SDL_Window* MainWindow();
void SetMainWindow(SDL_Window* window);

}  // namespace platform::sdl
