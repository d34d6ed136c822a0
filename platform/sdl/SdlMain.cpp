// The start-up code on SDL: calls the shell's entry point the way Windows
// calls WinMain, then ends the process with the code it returns.
#include "platform/Platform.h"
#include "platform/StandardStreams.h"
#include "shell/DemoShell.h"

namespace platform {
void ShutdownSdl();
}

int main(int, char**) {
  platform::OpenClosedStandardStreams();
  const int exitCode = DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
  platform::ShutdownSdl();
  return exitCode;
}
