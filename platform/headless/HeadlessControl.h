// Controls of the headless backend, for whoever drives it: tests and the
// capture tool.
//
// The headless backend has no window system. Its clock, tick count, screen
// size and input come from these controls; what the program shows (titles,
// message boxes, presented frames) is recorded here for the driver to read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"

namespace platform::headless {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
};

// Everything back to its starting state: no window class, no window, no
// queued messages, counter 0 at 1,000,000 ticks a second, tick count 0,
// screen 1024x768, nothing recorded, no failures injected, no hooks, no
// program directory.
void Reset();

void SetPerformanceCounter(int64_t count);
void SetPerformanceFrequency(int64_t ticksPerSecond);
void SetTickCount(uint32_t ms);
void SetScreenSize(int width, int height);

// Failures to simulate.
void FailWindowCreation(bool fail);
void FailPresenter(bool fail);
void FailMessageBoxes(bool fail);

// What ProgramDirectory() returns. Empty by default, so that the program
// finds its data files in the working directory only, wherever the driver's
// own file lies.
void SetProgramDirectory(std::string directory);

// Input as a user would give it: a message queued for the main window.
void PostInput(uint32_t message, uintptr_t wParam, intptr_t lParam);

// Called each time the message loop finds the queue empty, before the poll
// returns. A driver advances its clock here or posts input.
void SetIdleHook(std::function<void()> hook);

// Called for each presented frame with its pixels.
void SetPresentHook(
    std::function<void(const uint32_t* pixels, int width, int height)> hook);

// Called while a message box is up, as the user could act meanwhile: a
// Win32 message box runs its own message loop, which dispatches to the
// program's window whatever the user does to it.
void SetMessageBoxHook(std::function<void()> hook);

// What the program did. MainWindow is the window made last, once there is
// one.
const WindowRecord& MainWindow();
const std::vector<std::string>& TitleHistory();
const std::vector<MessageBoxRecord>& MessageBoxes();
uint64_t PresentedFrames();
// How often the window was asked to switch between fullscreen and its own
// size (the window itself stays as it is: there is no screen).
int FullscreenToggles();

}  // namespace platform::headless
