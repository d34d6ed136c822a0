// The start-up code on Windows: the C runtime calls WinMain with the
// program's instance handle, a null previous instance, the command line after
// the program's name and the show command from the process's start-up
// information (SW_SHOWDEFAULT when it names none), and ends the process with
// the code WinMain returns. The program is linked as a GUI program: no console.
#include "platform/win32/Win32Api.h"
#include "shell/DemoShell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
  return DemoMain(instance, previousInstance, commandLine, showCommand);
}
