// What the web backend offers its start-up code (WebMain.cpp) beyond
// platform/Platform.h.
#pragma once

namespace platform::web {

// The program's loop has returned with this exit code: the page says that
// the show has ended. A page cannot end its process.
void EndShow(int exitCode);

}  // namespace platform::web
