// Headless backend: no window system at all.
//
// Depends on: nothing but the C++ standard library.
// Cannot: show anything. The window is the emulated window's record alone
// (platform/EmulatedWindow.h), its input is what the driver posts with
// PostInput, the clock and the tick count are whatever the driver sets, and
// presented frames go to the driver's hook. Tests and the capture tool run
// the program on it.
#include <utility>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessControl.h"

namespace platform {

namespace {

struct HeadlessState {
  int64_t counter = 0;
  int64_t frequency = 1000000;
  uint32_t tickCount = 0;
  int screenWidth = 1024;
  int screenHeight = 768;
  bool failWindow = false;
  bool failPresenter = false;
  bool failMessageBoxes = false;
  uint64_t presentedFrames = 0;
  int fullscreenToggles = 0;
  std::vector<std::string> titles;
  std::vector<headless::MessageBoxRecord> messageBoxes;
  std::function<void()> idleHook;
  std::function<void(const uint32_t*, int, int)> presentHook;
  std::function<void()> messageBoxHook;
  std::string programDirectory;
};

// Constructed on first use, so that static objects of the program (the
// shell's timer reads the frequency) may call in during static
// initialisation.
HeadlessState& State() {
  static HeadlessState state;
  return state;
}

}  // namespace

namespace backend {

bool OpenWindow(const WindowRecord&) {
  if (State().failWindow) {
    SetLastErrorText("no display (simulated)");
    return false;
  }
  return true;
}

void ShowWindow(const WindowRecord&, int) {}
void UpdateWindow(const WindowRecord&) {}
void SetTitle(const WindowRecord& window) { State().titles.push_back(window.title); }

// The driver's turn: it advances its clock here, or posts input.
void PumpEvents() {
  HeadlessState& s = State();
  if (s.idleHook) s.idleHook();
}

void CloseWindow(const WindowRecord&) {}

void ToggleFullscreen(const WindowRecord&) { ++State().fullscreenToggles; }

}  // namespace backend

int ScreenWidth() { return State().screenWidth; }
int ScreenHeight() { return State().screenHeight; }

bool ShowErrorMessageBox(const char* text, const char* caption) {
  HeadlessState& s = State();
  if (s.failMessageBoxes) return false;
  s.messageBoxes.push_back({text, caption});
  if (s.messageBoxHook) s.messageBoxHook();
  return true;
}

int64_t PerformanceCounter() { return State().counter; }
int64_t PerformanceFrequency() { return State().frequency; }
uint32_t TickCountMs() { return State().tickCount; }

bool OpenPresenter(int, int) {
  if (State().failPresenter) {
    SetLastErrorText("cannot present (simulated)");
    return false;
  }
  return true;
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  HeadlessState& s = State();
  ++s.presentedFrames;
  if (s.presentHook) s.presentHook(pixels, width, height);
}

void ClosePresenter() {}

const char* ProgramDirectory() { return State().programDirectory.c_str(); }

namespace headless {

void Reset() {
  State() = HeadlessState{};
  ResetEmulatedWindows();
}

void SetPerformanceCounter(int64_t count) { State().counter = count; }
void SetPerformanceFrequency(int64_t ticksPerSecond) {
  State().frequency = ticksPerSecond;
}
void SetTickCount(uint32_t ms) { State().tickCount = ms; }
void SetScreenSize(int width, int height) {
  State().screenWidth = width;
  State().screenHeight = height;
}

void FailWindowCreation(bool fail) { State().failWindow = fail; }
void FailPresenter(bool fail) { State().failPresenter = fail; }
void FailMessageBoxes(bool fail) { State().failMessageBoxes = fail; }

void SetProgramDirectory(std::string directory) {
  State().programDirectory = std::move(directory);
}

void PostInput(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PostWindowMessage(EmulatedMainWindow(), message, wParam, lParam);
}

void SetIdleHook(std::function<void()> hook) { State().idleHook = std::move(hook); }
void SetPresentHook(std::function<void(const uint32_t*, int, int)> hook) {
  State().presentHook = std::move(hook);
}
void SetMessageBoxHook(std::function<void()> hook) {
  State().messageBoxHook = std::move(hook);
}

const WindowRecord& MainWindow() { return *EmulatedMainWindow(); }
const std::vector<std::string>& TitleHistory() { return State().titles; }
const std::vector<MessageBoxRecord>& MessageBoxes() { return State().messageBoxes; }
uint64_t PresentedFrames() { return State().presentedFrames; }
int FullscreenToggles() { return State().fullscreenToggles; }

}  // namespace headless
}  // namespace platform
