// The start-up code in the browser: calls the shell's entry point the way
// Windows calls WinMain. Its loop waits for animation frames inside the poll
// (WebPlatform.cpp), so this call returns only when the show has ended; the
// page then says so, since a page has no process to end.
#include "platform/Platform.h"
#include "platform/web/WebPage.h"
#include "shell/DemoShell.h"

int main() {
  const int exitCode = DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
  platform::web::EndShow(exitCode);
  return exitCode;
}
