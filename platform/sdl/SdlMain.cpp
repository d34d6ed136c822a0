// The start-up code on SDL: calls the shell's entry point the way Windows
// calls WinMain, with the arguments joined into one command line as Windows
// would hand it over, then ends the process with the code it returns.
#include <string>

#include "platform/Platform.h"
#include "platform/StandardStreams.h"
#include "platform/sdl/SdlBackend.h"
#include "shell/CommandLine.h"
#include "shell/DemoShell.h"

namespace platform {
void ShutdownSdl();
}

int main(int argc, char** argv) {
  // Before anything can wait for the window system: SIGINT and SIGTERM are
  // the program's own from here on.
  platform::sdl::TakeEndingSignals();
  platform::OpenClosedStandardStreams();
  const std::string commandLine = JoinCommandLine(argc, argv);
  const int exitCode = DemoMain(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWDEFAULT);
  platform::ShutdownSdl();
  return exitCode;
}
