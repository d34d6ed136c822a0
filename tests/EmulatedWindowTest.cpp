// The emulated window (platform/EmulatedWindow.cpp), which the SDL, web and
// headless backends share: class and window, the queue, dispatching, the
// default window procedure, quit and destroy, and what it reports to the
// observer. Driven here through the headless backend, whose side of the
// window does nothing but what its driver asks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EmulatedWindow.h"
#include "platform/Observer.h"
#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"

namespace headless = platform::headless;
using platform::Message;
using platform::WindowHandle;

namespace {

// What the test window's procedure was given, in order.
std::vector<Message>& Received() {
  static std::vector<Message> received;
  return received;
}

// Handles everything itself but WM_CLOSE and WM_SYSKEYDOWN, which get the
// default handling; returns 7 for what it handles.
intptr_t TestProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  Received().push_back({window, message, wParam, lParam});
  if (message == platform::WM_CLOSE || message == platform::WM_SYSKEYDOWN)
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
  return 7;
}

std::vector<uint32_t> ReceivedMessages() {
  std::vector<uint32_t> messages;
  for (const Message& m : Received()) messages.push_back(m.message);
  return messages;
}

// Records what the emulated window reports, in order, as text.
class RecordingObserver final : public platform::Observer {
 public:
  std::vector<std::string> reports;

  void MessageDispatched(const Message& message) override {
    reports.push_back("dispatched " + std::to_string(message.message));
  }
  void WindowDestroyed(WindowHandle) override {
    reports.push_back("destroyed, " + std::to_string(Received().size()) + " received");
  }
  void QuitTaken(int exitCode) override { reports.push_back("quit " + std::to_string(exitCode)); }
};

class EmulatedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    Received().clear();
    previousObserver = platform::observer;
    platform::observer = &recorder;
  }
  void TearDown() override {
    platform::observer = previousObserver;
    headless::Reset();
  }

  static bool Register(const char* name = "TestClass",
                       platform::WindowProcedure procedure = TestProcedure) {
    platform::WindowClass windowClass;
    windowClass.className = name;
    windowClass.procedure = procedure;
    return platform::RegisterWindowClass(windowClass);
  }

  static WindowHandle Create(const char* className = "TestClass") {
    return platform::CreateMainWindow(className, "Title", 0x00CA0000, -20, 30, 640, 480, nullptr);
  }

  // Every message the poll hands out now, the queue being emptied.
  static std::vector<Message> Drain() {
    std::vector<Message> taken;
    Message m;
    while (platform::PeekNextMessage(m)) taken.push_back(m);
    return taken;
  }

  RecordingObserver recorder;
  platform::Observer* previousObserver = nullptr;
};

}  // namespace

TEST_F(EmulatedWindowTest, AWindowIsMadeOnlyOfARegisteredClassAndOnlyOneLives) {
  EXPECT_FALSE(Register(nullptr));
  EXPECT_FALSE(Register("TestClass", nullptr));
  EXPECT_EQ(Create(), nullptr);
  EXPECT_STREQ(platform::LastErrorText(), "window class not registered");

  ASSERT_TRUE(Register());
  EXPECT_EQ(Create("OtherClass"), nullptr);
  EXPECT_STREQ(platform::LastErrorText(), "window class not registered");

  const WindowHandle window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, platform::EmulatedMainWindow());
  EXPECT_EQ(window->className, "TestClass");
  EXPECT_EQ(window->title, "Title");
  EXPECT_EQ(window->style, 0x00CA0000u);
  EXPECT_EQ(window->x, -20);
  EXPECT_EQ(window->y, 30);
  EXPECT_EQ(window->width, 640);
  EXPECT_EQ(window->height, 480);
  EXPECT_EQ(window->showCommand, -1);
  EXPECT_FALSE(window->updated);

  EXPECT_EQ(Create(), nullptr);
  EXPECT_STREQ(platform::LastErrorText(), "the main window exists already");

  // Once it is destroyed, another may be made; the old handle stays dead.
  platform::DestroyMainWindow(window);
  const WindowHandle next = Create();
  ASSERT_NE(next, nullptr);
  EXPECT_NE(next, window);
  Received().clear();
  EXPECT_EQ(platform::DispatchToWindow({window, 500, 0, 0}), 0);
  EXPECT_TRUE(Received().empty());
}

TEST_F(EmulatedWindowTest, AWindowTheBackendCannotMakeIsNoWindow) {
  ASSERT_TRUE(Register());
  headless::FailWindowCreation(true);
  EXPECT_EQ(Create(), nullptr);
  EXPECT_STREQ(platform::LastErrorText(), "no display (simulated)");
  EXPECT_EQ(platform::EmulatedMainWindow(), nullptr);
}

TEST_F(EmulatedWindowTest, ShowUpdateAndTitleReachTheRecordAndTheBackend) {
  ASSERT_TRUE(Register());
  const WindowHandle window = Create();
  platform::ShowMainWindow(window, 5);
  platform::UpdateMainWindow(window);
  platform::SetWindowTitle(window, "New title");
  EXPECT_EQ(window->showCommand, 5);
  EXPECT_TRUE(window->updated);
  EXPECT_EQ(window->title, "New title");
  EXPECT_EQ(headless::TitleHistory(), std::vector<std::string>{"New title"});

  // Nothing reaches a destroyed window.
  platform::DestroyMainWindow(window);
  platform::ShowMainWindow(window, 9);
  platform::SetWindowTitle(window, "Too late");
  EXPECT_EQ(window->showCommand, 5);
  EXPECT_EQ(window->title, "New title");
  EXPECT_EQ(headless::TitleHistory().size(), 1u);
}

TEST_F(EmulatedWindowTest, MessagesComeOutInTheOrderPostedAndThePumpRunsOnlyOnAnEmptyQueue) {
  ASSERT_TRUE(Register());
  const WindowHandle window = Create();
  int pumps = 0;
  headless::SetIdleHook([&] {
    if (++pumps == 1) platform::PostWindowMessage(window, 300, 3, 4);
  });
  platform::PostWindowMessage(window, 100, 1, 2);
  platform::PostQuit(5);
  platform::PostWindowMessage(window, 200, 0, 0);

  const std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].window, window);
  EXPECT_EQ(taken[0].message, 100u);
  EXPECT_EQ(taken[0].wParam, 1u);
  EXPECT_EQ(taken[0].lParam, 2);
  // The quit message belongs to no window and carries the exit code.
  EXPECT_EQ(taken[1].window, nullptr);
  EXPECT_EQ(taken[1].message, platform::WM_QUIT);
  EXPECT_EQ(taken[1].wParam, 5u);
  EXPECT_EQ(taken[2].message, 200u);
  // What the pump posted when the queue ran empty comes next; then the poll
  // finds nothing after a second pump.
  EXPECT_EQ(taken[3].message, 300u);
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(recorder.reports, std::vector<std::string>{"quit 5"});
}

TEST_F(EmulatedWindowTest, DispatchReachesOnlyALiveWindowsProcedure) {
  ASSERT_TRUE(Register());
  const WindowHandle window = Create();
  EXPECT_EQ(platform::DispatchToWindow({window, 400, 8, 9}), 7);
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0].window, window);
  EXPECT_EQ(Received()[0].message, 400u);
  EXPECT_EQ(Received()[0].wParam, 8u);
  EXPECT_EQ(Received()[0].lParam, 9);

  // No window, another handle, a destroyed window: nothing is called.
  EXPECT_EQ(platform::DispatchToWindow({nullptr, 400, 0, 0}), 0);
  EXPECT_EQ(platform::DispatchToWindow({reinterpret_cast<WindowHandle>(&recorder), 400, 0, 0}),
            0);
  platform::DestroyMainWindow(window);
  Received().clear();
  EXPECT_EQ(platform::DispatchToWindow({window, 400, 0, 0}), 0);
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(recorder.reports,
            (std::vector<std::string>{"dispatched 400", "destroyed, 1 received"}));
}

TEST_F(EmulatedWindowTest, DestroyingSendsOneDestroyAndDropsTheWindowsMessagesButNotQuit) {
  ASSERT_TRUE(Register());
  const WindowHandle window = Create();
  platform::PostWindowMessage(window, 100, 0, 0);
  platform::PostQuit(3);
  platform::PostWindowMessage(window, 200, 0, 0);

  platform::DestroyMainWindow(window);
  EXPECT_TRUE(window->destroyed);
  EXPECT_EQ(ReceivedMessages(), std::vector<uint32_t>{platform::WM_DESTROY});
  // The observer hears of it first, before WM_DESTROY.
  EXPECT_EQ(recorder.reports, std::vector<std::string>{"destroyed, 0 received"});

  platform::DestroyMainWindow(window);
  platform::PostWindowMessage(window, 300, 0, 0);
  EXPECT_EQ(Received().size(), 1u);
  const std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].message, platform::WM_QUIT);
  EXPECT_EQ(taken[0].wParam, 3u);
}

// A key held down: Windows sends its first key-down with the previous-state
// bit (30) clear, then repeats with it set. Only the first switches; a fresh
// press after the key went up switches again. The shell's own procedure
// hands the keys to the default one as they came.
TEST_F(EmulatedWindowTest, AHeldF11OrAltEnterTogglesFullscreenOnceAndOnlyAFreshPressAgain) {
  ASSERT_TRUE(Register("ShellClass", MainWindowProcedure));
  const WindowHandle window = Create("ShellClass");
  constexpr intptr_t kFresh = 1;
  constexpr intptr_t kRepeat = 1 | platform::kKeyWasDown;
  struct Key {
    const char* name;
    uint32_t message;
    uintptr_t key;
  };
  int toggles = headless::FullscreenToggles();
  for (const Key& key : {Key{"F11", platform::WM_KEYDOWN, platform::VK_F11},
                         Key{"Alt+Enter", platform::WM_SYSKEYDOWN, platform::VK_RETURN}}) {
    SCOPED_TRACE(key.name);
    platform::DefaultWindowProcedure(window, key.message, key.key, kFresh);
    EXPECT_EQ(headless::FullscreenToggles(), ++toggles);
    for (int i = 0; i < 40; ++i) platform::DefaultWindowProcedure(window, key.message, key.key, kRepeat);
    EXPECT_EQ(headless::FullscreenToggles(), toggles) << "a repeat switched";
    // Through the shell's window procedure, as the loop dispatches them.
    platform::DispatchToWindow({window, key.message, key.key, kRepeat});
    EXPECT_EQ(headless::FullscreenToggles(), toggles) << "a dispatched repeat switched";
    platform::DispatchToWindow({window, key.message, key.key, kFresh});
    EXPECT_EQ(headless::FullscreenToggles(), ++toggles);
  }
  EXPECT_FALSE(platform::IsFreshKeyPress(kRepeat));
  EXPECT_TRUE(platform::IsFreshKeyPress(kFresh));
  EXPECT_TRUE(platform::IsFreshKeyPress(0));
}

TEST_F(EmulatedWindowTest, TheDefaultProcedureTogglesFullscreenClosesOnAltF4AndDestroysOnClose) {
  ASSERT_TRUE(Register());
  const WindowHandle window = Create();

  // Other messages get no default action.
  EXPECT_EQ(platform::DefaultWindowProcedure(window, platform::WM_KEYDOWN, 'A', 0), 0);
  EXPECT_EQ(platform::DefaultWindowProcedure(window, platform::WM_SYSKEYDOWN, 'X', 0), 0);
  EXPECT_EQ(platform::DefaultWindowProcedure(window, platform::WM_MOVE, 0, 0), 0);
  EXPECT_TRUE(Received().empty());
  EXPECT_FALSE(window->destroyed);

  // F11, and Enter with Alt, ask the backend to toggle fullscreen; Enter
  // alone and Alt+F11 do not.
  EXPECT_EQ(platform::DefaultWindowProcedure(window, platform::WM_KEYDOWN, platform::VK_F11, 0),
            0);
  EXPECT_EQ(headless::FullscreenToggles(), 1);
  EXPECT_EQ(
      platform::DefaultWindowProcedure(window, platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0), 0);
  EXPECT_EQ(headless::FullscreenToggles(), 2);
  platform::DefaultWindowProcedure(window, platform::WM_KEYDOWN, platform::VK_RETURN, 0);
  platform::DefaultWindowProcedure(window, platform::WM_SYSKEYDOWN, platform::VK_F11, 0);
  EXPECT_EQ(headless::FullscreenToggles(), 2);
  EXPECT_TRUE(Received().empty());

  // Alt+F4 sends WM_CLOSE to the window, whose procedure leaves it to the
  // default handling, which destroys the window.
  EXPECT_EQ(platform::DispatchToWindow({window, platform::WM_SYSKEYDOWN, platform::VK_F4, 0}),
            0);
  EXPECT_EQ(ReceivedMessages(),
            (std::vector<uint32_t>{platform::WM_SYSKEYDOWN, platform::WM_CLOSE,
                                   platform::WM_DESTROY}));
  EXPECT_TRUE(window->destroyed);
  EXPECT_EQ(recorder.reports,
            (std::vector<std::string>{"dispatched 260", "dispatched 16", "destroyed, 2 received"}));

  // A destroyed window gets no default handling either.
  Received().clear();
  EXPECT_EQ(platform::DefaultWindowProcedure(window, platform::WM_SYSKEYDOWN, platform::VK_F4, 0),
            0);
  platform::DefaultWindowProcedure(window, platform::WM_KEYDOWN, platform::VK_F11, 0);
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(headless::FullscreenToggles(), 2);
}
