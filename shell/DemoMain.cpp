// The entry point, the window and the message loop.
//
// The window is registered and created the Win32 way, then set-up runs while
// it is already visible (black), and the loop polls the queue without ever
// waiting: whenever the queue is empty and the show is running, one frame is
// drawn. Escape and every way of closing the window end in one orderly stop:
// run state first, then the effects and the device, then the window.
//
// Before any of it the command line is read: --help and --version are
// answered on standard output, and anything else is refused, with exit
// code 2, before a window is made.
#include <cstdio>

#include "shell/CommandLine.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

namespace {

constexpr char kClassName[] = "QelWin";
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

}  // namespace

int CentredPosition(int screen, int size) { return (screen - size) >> 1; }

void OnWindowMoved() {
  if (shell.device != nullptr) shell.device->WindowMoved();
}

intptr_t MainWindowProcedure(platform::WindowHandle window, uint32_t message,
                             uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case platform::WM_DESTROY:
      platform::PostQuit(shell.exitCode);
      return 0;
    case platform::WM_MOVE:
      OnWindowMoved();
      return 0;
    case platform::WM_CLOSE:
      shell.runState = Stopped;  // first, so that no frame runs on what follows
      ShutdownDemo();
      platform::DestroyMainWindow(window);
      return 0;
    case platform::WM_KEYDOWN:
      if (wParam == platform::VK_ESCAPE) {
        platform::PostWindowMessage(window, platform::WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

bool OpenMainWindow(platform::InstanceHandle instance, int showCommand) {
  platform::WindowClass windowClass;
  windowClass.style = platform::CS_HREDRAW | platform::CS_VREDRAW;
  windowClass.procedure = MainWindowProcedure;
  windowClass.instance = instance;
  windowClass.className = kClassName;
  platform::RegisterWindowClass(windowClass);

  const int x = CentredPosition(platform::ScreenWidth(), kWindowWidth);
  const int y = CentredPosition(platform::ScreenHeight(), kWindowHeight);
  shell.mainWindow = platform::CreateMainWindow(
      kClassName, kProgramName,
      platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX, x, y,
      kWindowWidth, kWindowHeight, instance);
  if (shell.mainWindow == nullptr) {
    std::fprintf(stderr, "Brindlemox: cannot open a window: %s\n",
                 platform::LastErrorText());
    return false;
  }
  platform::ShowMainWindow(shell.mainWindow, showCommand);
  platform::UpdateMainWindow(shell.mainWindow);
  return true;
}

int RunMessageLoop() {
  platform::Message message;
  for (;;) {
    if (platform::PeekNextMessage(message)) {
      if (message.message == platform::WM_QUIT) return static_cast<int>(message.wParam);
      platform::TranslateKeyMessage(message);
      platform::DispatchToWindow(message);
    } else if (shell.runState == Running) {
      FrameLoop();
    }
  }
}

int AnswerCommandLine(const char* commandLine) {
  const CommandLineReading reading = ReadCommandLine(commandLine);
  switch (reading.request) {
    case CommandLineRequest::Show:
      return kShowTheDemo;
    case CommandLineRequest::Refused:
      std::fprintf(stderr, "Brindlemox: %s (brindlemox --help lists what it takes)\n",
                   reading.problem.c_str());
      return 2;
    case CommandLineRequest::Help:
    case CommandLineRequest::Version:
      break;
  }
  const char* text =
      reading.request == CommandLineRequest::Help ? ProgramUsage() : ProgramVersion();
  if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "Brindlemox: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

int DemoMain(platform::InstanceHandle instance, platform::InstanceHandle /*previousInstance*/,
             const char* commandLine, int showCommand) {
  if (const int answered = AnswerCommandLine(commandLine); answered != kShowTheDemo)
    return answered;
  if (!OpenMainWindow(instance, showCommand)) return 1;
  shell.runState = SetupDemo() ? Running : Stopped;
  return RunMessageLoop();
}
