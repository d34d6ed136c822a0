// SDL2 backend: the connection to the display, the screen's size, and the
// end of SDL when the program ends.
//
// When no display can be had, the message says what is wrong with what is
// set: a WAYLAND_DISPLAY whose socket does not exist or where nobody
// answers, a DISPLAY where no X server answers, or nothing set at all.
#include <SDL.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlBackend.h"

namespace platform {
namespace sdl {

namespace {

bool videoReady = false;
bool videoFailed = false;
SDL_Window* mainWindow = nullptr;

// An environment variable set but empty counts as unset, as SDL and Xlib
// take it: it names no driver and no display.
bool IsSet(const char* name) {
  const char* value = SDL_getenv(name);
  return value != nullptr && value[0] != '\0';
}

std::string Setting(const char* name) { return std::string(name) + "=" + SDL_getenv(name); }

// Connects to the Unix socket at the path (a leading '@' names one in the
// abstract namespace) and hangs up at once: 0 when something accepted the
// connection, else the errno of the failure.
int TryUnixSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return ENAMETOOLONG;
  std::memcpy(address.sun_path, path.data(), path.size());
  if (path[0] == '@') address.sun_path[0] = '\0';
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return errno;
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
  const bool accepted = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  const int error = accepted ? 0 : errno;
  close(fd);
  return error;
}

// What keeps WAYLAND_DISPLAY from naming a compositor that answers; empty
// when one answers there. Its socket lies where the Wayland library looks:
// the value itself when it is a path, else in XDG_RUNTIME_DIR.
std::string WaylandProblem() {
  const std::string name = SDL_getenv("WAYLAND_DISPLAY");
  std::string path = name;
  if (name[0] != '/') {
    if (!IsSet("XDG_RUNTIME_DIR"))
      return Setting("WAYLAND_DISPLAY") + " names no socket, as XDG_RUNTIME_DIR is not set";
    path = std::string(SDL_getenv("XDG_RUNTIME_DIR")) + "/" + name;
  }
  const int error = TryUnixSocket(path);
  if (error == 0) return "";
  // The socket's path, where the value does not give it already.
  const std::string at = Setting("WAYLAND_DISPLAY") + (path == name ? "" : " (" + path + ")");
  if (error == ENOENT) return "no Wayland compositor at " + at + ": no such socket";
  if (error == ECONNREFUSED) return "no Wayland compositor answers at " + at;
  return "cannot reach the Wayland compositor at " + at + ": " + std::strerror(error);
}

// Why SDL could not open the X display that DISPLAY names. A local display
// ([unix]:N[.S]) is tried at the X server's socket: where something answers
// there, the server refused the connection (its authorisation, say).
std::string X11Problem() {
  const std::string name = SDL_getenv("DISPLAY");
  const size_t colon = name.rfind(':');
  if (colon == std::string::npos || colon + 1 == name.size())
    return Setting("DISPLAY") + " names no X display";
  const std::string host = name.substr(0, colon);
  if (!host.empty() && host != "unix")
    return "cannot reach an X server at " + Setting("DISPLAY");
  const std::string number = name.substr(colon + 1, name.find('.', colon) - colon - 1);
  const std::string socket = "/tmp/.X11-unix/X" + number;
  if (TryUnixSocket("@" + socket) == 0 || TryUnixSocket(socket) == 0)
    return "the X server at " + Setting("DISPLAY") + " refused the connection";
  return "no X server answers at " + Setting("DISPLAY");
}

// What is wrong with each display that is named, one after the other.
// waylandProblem is WaylandProblem()'s answer, empty where SDL could not
// use a compositor that answers.
std::string DisplayProblems(const std::string& waylandProblem) {
  std::string problems;
  if (IsSet("WAYLAND_DISPLAY"))
    problems = !waylandProblem.empty()
                   ? waylandProblem
                   : "the Wayland compositor at " + Setting("WAYLAND_DISPLAY") +
                         " could not be used";
  if (IsSet("DISPLAY")) problems += (problems.empty() ? "" : "; ") + X11Problem();
  return problems;
}

bool Fail(std::string reason) {
  SetLastErrorText(std::move(reason));
  videoFailed = true;
  StopWindowWatch();  // no window will come
  return false;
}

// What the connection waits for, with what names the display and the
// authority file that Xlib reads first.
std::string ConnectionAwaited() {
  std::string named;
  for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "SDL_VIDEODRIVER"})
    if (IsSet(name)) named += (named.empty() ? "" : ", ") + Setting(name);
  return "the display to accept the connection" + (named.empty() ? "" : " (" + named + ")");
}

}  // namespace

bool EnsureVideo() {
  if (videoReady) return true;
  if (videoFailed) return false;
  constexpr char kNoDisplay[] = "no display found (is DISPLAY or WAYLAND_DISPLAY set?)";
  const bool driverChosen = IsSet("SDL_VIDEODRIVER");
  const bool x11Named = IsSet("DISPLAY");
  if (!driverChosen && !x11Named && !IsSet("WAYLAND_DISPLAY")) return Fail(kNoDisplay);
  const std::string waylandProblem =
      !driverChosen && IsSet("WAYLAND_DISPLAY") ? WaylandProblem() : "";
  const bool waylandAnswers = IsSet("WAYLAND_DISPLAY") && waylandProblem.empty();
  if (!driverChosen && !waylandAnswers && !x11Named) return Fail(waylandProblem);
  // Without a Wayland compositor only X11 can work; asking for it alone spares
  // the user the Wayland library's complaints.
  // (Overriding, since an empty SDL_VIDEODRIVER would otherwise win.)
  if (!driverChosen && !waylandAnswers)
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
  // Before SDL connects, so that SDL's own X error handler passes errors on.
  CatchX11Errors();
  AwaitingWindow(ConnectionAwaited());
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    if (driverChosen) return Fail(std::string("cannot reach the display (") + SDL_GetError() + ")");
    return Fail(DisplayProblems(waylandProblem));
  }
  // With no display SDL falls back to drawing into memory, where nobody
  // would see the show. Only a user who asks for such a driver gets one.
  const std::string driver = SDL_GetCurrentVideoDriver();
  if ((driver == "offscreen" || driver == "dummy") && !driverChosen) {
    SDL_Quit();
    return Fail(DisplayProblems(waylandProblem));
  }
  videoReady = true;
  return true;
}

bool VideoReady() { return videoReady; }

SDL_Window* MainWindow() { return mainWindow; }
void SetMainWindow(SDL_Window* window) { mainWindow = window; }

}  // namespace sdl

int ScreenWidth() {
  SDL_DisplayMode mode;
  if (!sdl::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.w;
}

int ScreenHeight() {
  SDL_DisplayMode mode;
  if (!sdl::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.h;
}

void ShutdownSdl() {
  sdl::StopWindowWatch();
  ClosePresenter();
  if (sdl::MainWindow() != nullptr) SDL_DestroyWindow(sdl::MainWindow());
  sdl::SetMainWindow(nullptr);
  if (sdl::videoReady) SDL_Quit();
  sdl::videoReady = false;
}

}  // namespace platform
