// SDL2 backend: the default on Linux and other desktops.
//
// Depends on: SDL2 (video, events, message boxes, performance counter, the
// program's own folder, and the renderer only to learn what draws it and,
// with graphics hardware, to present), the GL_RENDERER string of SDL's
// OpenGL renderer, Xlib where SDL draws on X11 (the X error handler, and
// the main window's X id and events through SDL's window-manager info),
// and POSIX: clock_gettime for the tick count, Unix sockets to learn why no
// display answers, signal handlers of its own for SIGINT and SIGTERM (SDL's
// are off), fork handlers and shared memory to end the message box on them,
// and a thread that says what the program waits for when no window comes.
// Cannot: set the window's outer size. The window manager owns the frame, so
// the 640x480 asked for is the client area here, where Windows makes it the
// outer size. Only the main window exists; it has the show's icon, and its
// class no cursor or brush of its own. The window's class, messages and
// default behaviour are the emulated window's (platform/EmulatedWindow.h).
//
//   SdlVideo.cpp       the connection to the display (and why none can be
//                      had), the screen, the end
//   SdlWindow.cpp      the window, its events as messages, the clock, the
//                      program's folder
//   SdlX11.cpp         on X11: the X errors, and the window destroyed by
//                      another program
//   SdlMessageBox.cpp  the message box, which SIGINT and SIGTERM end
//   SdlPresenter.cpp   the back buffer shown in the window
//   SdlSignals.cpp     SIGINT and SIGTERM: a close in the loop, else the end
//   SdlWindowWatch.cpp the line said when no window has come after 10 s
//   SdlIcon.cpp        the show's icon on the window
//
// This header is what those files share: the connection to the display,
// the one SDL window while it lives, and what X11 tells of it.
#pragma once

#include <SDL.h>
#include <signal.h>

#include <cstddef>
#include <string>

namespace platform::sdl {

// Connects SDL's video to the display, once; false (with LastErrorText
// saying why) when there is none that a user would see.
bool EnsureVideo();
// Whether EnsureVideo has connected.
bool VideoReady();

// The main window's SDL window; null before it is made and once it is gone.
SDL_Window* MainWindow();
void SetMainWindow(SDL_Window* window);

// Makes Xlib report X errors to the backend rather than end the program;
// called before SDL connects, so that SDL's own handler passes them on.
void CatchX11Errors();
// Watches the main window, once made, for its destruction by another
// program (on X11; elsewhere nothing can destroy it).
void WatchMainWindow(SDL_Window* window);
// True once, after another program destroyed the main window.
bool MainWindowDestroyedFromOutside();
// Called right before SDL destroys the main window: lets SDL let go of a
// window that another program destroyed without waiting for it for ever.
void BeforeClosingMainWindow();

// SIGINT and SIGTERM (SdlSignals.cpp). TakeEndingSignals, first thing at
// start-up, keeps SDL from installing its own handlers and installs the
// program's: until EndingSignalsAskToClose they end the program at once;
// from then on the first asks the show to close, which the pump learns from
// CloseAskedBySignal (true once), and any later one ends it at once, as all
// do again after EndingSignalsEndAtOnce.
void TakeEndingSignals();
void EndingSignalsAskToClose();
void EndingSignalsEndAtOnce();
bool CloseAskedBySignal();

// Another handler for both ending signals for a while (the message box's),
// each one the program does not ignore; RestoreEndingSignals puts back what
// was there, DefaultEndingSignals (in a child process) the default action.
constexpr size_t kEndingSignalCount = 2;
struct EndingSignalHandlers {
  struct sigaction previous[kEndingSignalCount] = {};
  bool taken[kEndingSignalCount] = {};  // an ignored signal is left ignored
};
void HandleEndingSignals(void (*handler)(int), EndingSignalHandlers& saved);
void RestoreEndingSignals(const EndingSignalHandlers& saved);
void DefaultEndingSignals(const EndingSignalHandlers& saved);

// The window's watch (SdlWindowWatch.cpp): the program waits for `what`
// (for example "the window manager to show the window"); when no window has
// appeared 10 s after the first call, one line on standard error says so.
// StopWindowWatch ends the watch: the window is there, or none will come.
void AwaitingWindow(const std::string& what);
void StopWindowWatch();

// Turns the SDL events waiting now into window messages at the queue's end
// (SdlWindow.cpp); the message loop's poll does it, and UpdateWindow.
void TurnEventsIntoMessages();

// Gives the window the show's icon (SdlIcon.cpp); without it the window
// manager shows its own.
void SetShowIcon(SDL_Window* window);

}  // namespace platform::sdl
