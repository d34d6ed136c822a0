#include "platform/StandardStreams.h"

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

void OpenClosedStandardStreams() {
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is taken, and every one below fd is open
    // by now: what is opened here lands on fd itself.
    int opened = open("/dev/null", O_RDWR);
    if (opened < 0) opened = open("/", O_RDONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
#endif
}

}  // namespace platform
