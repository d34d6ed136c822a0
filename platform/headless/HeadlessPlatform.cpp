// Headless backend: no window system at all.
//
// Depends on: nothing but the C++ standard library.
// Cannot: show anything. The window is a record, the message queue a plain
// queue filled by PostInput and by the program's own posts, the clock and the
// tick count are whatever the driver sets, and presented frames go to the
// driver's hook. Tests and the capture tool run the program on it.
#include <memory>

#include "platform/EmulatedDefaults.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessControl.h"

namespace platform {

struct WindowRecord {
  headless::WindowRecordView view;
  WindowProcedure procedure = nullptr;
};

namespace {

struct RegisteredClass {
  std::string name;
  WindowProcedure procedure = nullptr;
};

struct HeadlessState {
  std::vector<RegisteredClass> classes;
  std::unique_ptr<WindowRecord> window;
  EmulatedMessageQueue queue;
  int64_t counter = 0;
  int64_t frequency = 1000000;
  uint32_t tickCount = 0;
  int screenWidth = 1024;
  int screenHeight = 768;
  bool failWindow = false;
  bool failPresenter = false;
  bool failMessageBoxes = false;
  bool presenterOpen = false;
  uint64_t presentedFrames = 0;
  std::vector<std::string> titles;
  std::vector<headless::MessageBoxRecord> messageBoxes;
  std::function<void()> idleHook;
  std::function<void(const uint32_t*, int, int)> presentHook;
  std::function<void()> destroyHook;
  std::function<void()> messageBoxHook;
  std::string lastError;
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

bool RegisterWindowClass(const WindowClass& windowClass) {
  if (windowClass.className == nullptr || windowClass.procedure == nullptr)
    return false;
  State().classes.push_back({windowClass.className, windowClass.procedure});
  return true;
}

WindowHandle CreateMainWindow(const char* className, const char* title,
                              uint32_t style, int x, int y, int width,
                              int height, InstanceHandle) {
  HeadlessState& s = State();
  if (s.failWindow) {
    s.lastError = "no display (simulated)";
    return nullptr;
  }
  for (const RegisteredClass& c : s.classes) {
    if (c.name != className) continue;
    s.window = std::make_unique<WindowRecord>();
    s.window->procedure = c.procedure;
    headless::WindowRecordView& v = s.window->view;
    v.className = className;
    v.title = title;
    v.style = style;
    v.x = x;
    v.y = y;
    v.width = width;
    v.height = height;
    return s.window.get();
  }
  s.lastError = "window class not registered";
  return nullptr;
}

int ScreenWidth() { return State().screenWidth; }
int ScreenHeight() { return State().screenHeight; }

void ShowMainWindow(WindowHandle window, int showCommand) {
  if (window != nullptr) window->view.showCommand = showCommand;
}

void UpdateMainWindow(WindowHandle window) {
  if (window != nullptr) window->view.updated = true;
}

bool PeekNextMessage(Message& message) {
  HeadlessState& s = State();
  return s.queue.Take(message, [&s] {
    if (s.idleHook) s.idleHook();
  });
}

void TranslateKeyMessage(const Message&) {}

intptr_t DispatchToWindow(const Message& message) {
  WindowHandle w = message.window;
  if (w == nullptr || w->procedure == nullptr) return 0;
  return w->procedure(w, message.message, message.wParam, message.lParam);
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t) {
  return EmulatedDefaultWindowProcedure(window, message, wParam);
}

void PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  HeadlessState& s = State();
  if (window == nullptr || window != s.window.get() || window->view.destroyed)
    return;
  s.queue.Post(window, message, wParam, lParam);
}

void PostQuit(int exitCode) {
  State().queue.PostQuit(exitCode);
}

void DestroyMainWindow(WindowHandle window) {
  HeadlessState& s = State();
  if (window == nullptr || window->view.destroyed) return;
  if (s.destroyHook) s.destroyHook();
  window->view.destroyed = true;
  s.queue.DropMessagesOf(window);
  window->procedure(window, WM_DESTROY, 0, 0);
}

void SetWindowTitle(WindowHandle window, const char* text) {
  if (window == nullptr) return;
  window->view.title = text;
  State().titles.emplace_back(text);
}

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
  HeadlessState& s = State();
  if (s.failPresenter) {
    s.lastError = "cannot present (simulated)";
    return false;
  }
  s.presenterOpen = true;
  return true;
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  HeadlessState& s = State();
  ++s.presentedFrames;
  if (s.presentHook) s.presentHook(pixels, width, height);
}

void ClosePresenter() { State().presenterOpen = false; }

const char* LastErrorText() { return State().lastError.c_str(); }

const char* ProgramDirectory() { return State().programDirectory.c_str(); }

namespace headless {

void Reset() { State() = HeadlessState{}; }

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
  PostWindowMessage(State().window.get(), message, wParam, lParam);
}

void SetIdleHook(std::function<void()> hook) { State().idleHook = std::move(hook); }
void SetPresentHook(std::function<void(const uint32_t*, int, int)> hook) {
  State().presentHook = std::move(hook);
}
void SetDestroyHook(std::function<void()> hook) {
  State().destroyHook = std::move(hook);
}
void SetMessageBoxHook(std::function<void()> hook) {
  State().messageBoxHook = std::move(hook);
}

bool HasWindow() { return State().window != nullptr; }
const WindowRecordView& MainWindow() { return State().window->view; }
const std::vector<std::string>& TitleHistory() { return State().titles; }
const std::vector<MessageBoxRecord>& MessageBoxes() { return State().messageBoxes; }
uint64_t PresentedFrames() { return State().presentedFrames; }
bool PresenterOpen() { return State().presenterOpen; }
int RegisteredClasses() { return static_cast<int>(State().classes.size()); }

}  // namespace headless
}  // namespace platform
