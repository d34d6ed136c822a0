// The application shell: entry point, window procedure and message loop
// (DemoMain.cpp), set-up (SetupDemo.cpp), one frame (FrameLoop.cpp) and
// shut-down (ShutdownDemo.cpp) of the timeline in Timeline.h.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// The entry point, called by the platform's start-up code. Returns the
// process exit code: 0, or 1 when no window could be made or the graphics
// device could not be constructed; for a command line that asks for help or
// the version, 0 once it is answered; 2 for one it refuses.
int DemoMain(platform::InstanceHandle instance, platform::InstanceHandle previousInstance,
             const char* commandLine, int showCommand);

// Answers the command line (shell/CommandLine.h): kShowTheDemo when it asks
// for the show; otherwise the exit code, once help or the version is
// written on standard output or the one line of a refusal on standard error.
constexpr int kShowTheDemo = -1;
int AnswerCommandLine(const char* commandLine);

// Registers the class, creates the centred window and shows it. False (with
// one line on stderr) when no window can be made.
bool OpenMainWindow(platform::InstanceHandle instance, int showCommand);

// The window's left or top edge that centres `size` on a screen of `screen`
// pixels: an arithmetic shift, rounding towards minus infinity.
int CentredPosition(int screen, int size);

// Polls the queue without end, drawing a frame whenever it is empty and the
// show is running. Returns the exit code carried by WM_QUIT.
int RunMessageLoop();

intptr_t MainWindowProcedure(platform::WindowHandle window, uint32_t message,
                              uintptr_t wParam, intptr_t lParam);

void OnWindowMoved();

bool SetupDemo();
void FrameLoop();
void ShutdownDemo();
