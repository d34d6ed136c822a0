// SDL2 backend, on X11: the X errors, and the main window destroyed by
// another program.
//
// Another program can destroy the main window on the X server (xdotool's
// windowclose does; so may a window manager). Every later request on it
// then fails, and Xlib's default error handler would print the raw X error
// and end the program with exit code 1. Here the window's destruction is
// noticed, from its DestroyNotify event or from the first error naming it,
// and the backend closes the window as a close request does; the errors
// about the window that was destroyed are expected and say nothing. Any
// other X error gets one line of the program's own, and the program goes
// on.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>

#include "platform/sdl/SdlBackend.h"

namespace platform::sdl {

namespace {

struct X11Watch {
  Display* display = nullptr;
  // The main window's X id, kept once it is gone: errors about it may still
  // come when SDL lets go of it.
  Window mainWindow = 0;
  bool destroyedFromOutside = false;
  bool reported = false;          // MainWindowDestroyedFromOutside said so
  bool otherErrorSaid = false;    // one line for the first other error
};

X11Watch watch;

// The main window's X id now. SDL makes the X window anew, destroying the
// first one itself, when a renderer needs another visual (OpenGL), so the id
// is read again from SDL while the window is SDL's; while SDL is remaking it
// there is none (0), and the first one's end is SDL's own doing. Once SDL
// has let go of the window, the last id stands.
Window MainXWindow() {
  if (MainWindow() == nullptr) return watch.mainWindow;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(MainWindow(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return 0;
  watch.mainWindow = info.info.x11.window;
  return watch.mainWindow;
}

int OnXError(Display* display, XErrorEvent* error) {
  const Window mainWindow = MainXWindow();
  const bool aboutMainWindow = mainWindow != 0 && error->resourceid == mainWindow;
  const bool noSuchWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
  // Once the window is gone, SDL's requests that need it fail, some naming
  // no window at all (in fullscreen, SDL asks where the window lies).
  if (noSuchWindow && (aboutMainWindow || watch.destroyedFromOutside)) {
    watch.destroyedFromOutside = true;
    return 0;
  }
  if (!watch.otherErrorSaid) {
    watch.otherErrorSaid = true;
    char text[160] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "Brindlemox: the X server refused a request (%s, request %d.%d)\n",
                 text, error->request_code, error->minor_code);
  }
  return 0;
}

// Sees every X event SDL takes, as SDL's window-manager events.
int OnEvent(void*, SDL_Event* event) {
  if (event->type != SDL_SYSWMEVENT || event->syswm.msg->subsystem != SDL_SYSWM_X11) return 1;
  const XEvent& x = event->syswm.msg->msg.x11.event;
  if (x.type != DestroyNotify) return 1;
  const Window mainWindow = MainXWindow();
  if (mainWindow != 0 && x.xdestroywindow.window == mainWindow) watch.destroyedFromOutside = true;
  return 1;
}

}  // namespace

void CatchX11Errors() { XSetErrorHandler(OnXError); }

void WatchMainWindow(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  watch.display = info.info.x11.display;
  watch.mainWindow = info.info.x11.window;
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_AddEventWatch(OnEvent, nullptr);
}

void BeforeClosingMainWindow() {
  if (!watch.destroyedFromOutside || watch.display == nullptr) return;
  // SDL hides a window before it destroys it, and waits for the
  // UnmapNotify of the hiding, which a window that is gone never sends. SDL
  // cannot tell it is gone: reading its state fails, and the window
  // manager's last changes to it can make it look shown again. So the
  // event SDL waits for is put at the head of the queue for it; where SDL
  // does not wait, it ignores the event of a window it no longer has.
  XEvent unmap{};
  unmap.xunmap.type = UnmapNotify;
  unmap.xunmap.display = watch.display;
  unmap.xunmap.event = MainXWindow();
  unmap.xunmap.window = MainXWindow();
  XPutBackEvent(watch.display, &unmap);
}

bool MainWindowDestroyedFromOutside() {
  if (!watch.destroyedFromOutside || watch.reported) return false;
  watch.reported = true;
  return true;
}

}  // namespace platform::sdl
