// The web backend's rule for turning the shell's endless loop into one turn
// per animation frame, and its conversions of keys and pixels. These parts
// are plain C++, so they are tested here; the backend as a whole is tested in
// Chromium (tests/web/PageTest.py).
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/web/AnimationFrameTurns.h"
#include "platform/web/PageConversions.h"

namespace {

using platform::Message;
using platform::WM_CLOSE;
using platform::WM_KEYDOWN;
using platform::WM_QUIT;
using platform::web::AnimationFrameTurns;

platform::WindowHandle const kWindow = reinterpret_cast<platform::WindowHandle>(0x10);

// The shell's loop as RunMessageLoop runs it, on a poll as the emulated
// window's: a message is handled, an empty poll draws a frame, and the poll
// calls the web backend's pump whenever the queue is empty. What happens is
// written down as "wait" (an animation frame waited for), "frame" and the
// numbers of the messages handled.
class TurnsTest : public ::testing::Test {
 protected:
  std::deque<Message> queue;
  std::vector<uint32_t> arrived;             // the page's input, not taken yet
  AnimationFrameTurns turns;
  std::vector<std::string> events;
  std::function<void()> onWait;              // input that arrives while waiting
  std::function<void(uint32_t)> onMessage;   // what handling a message posts
  std::function<void()> onFrame;             // what drawing a frame posts

  // The program posts a message.
  void Post(uint32_t message) { queue.push_back({kWindow, message, 0, 0}); }
  // Input arrives in the page.
  void Arrive(uint32_t message) { arrived.push_back(message); }

  // The backend's side of the pump: the input that arrived, posted.
  bool TakeInput() {
    for (uint32_t message : arrived) Post(message);
    const bool any = !arrived.empty();
    arrived.clear();
    return any;
  }

  bool Poll(Message& message) {
    if (queue.empty()) {
      turns.Pump([this] { return TakeInput(); }, [this] {
        events.push_back("wait");
        if (onWait) onWait();
      });
    }
    if (queue.empty()) return false;
    message = queue.front();
    queue.pop_front();
    return true;
  }

  // Runs `polls` polls of the loop, or until WM_QUIT.
  void Run(int polls) {
    for (int i = 0; i < polls; ++i) {
      Message m;
      if (Poll(m)) {
        events.push_back(std::to_string(m.message));
        if (m.message == WM_QUIT) return;
        if (onMessage) onMessage(m.message);
      } else {
        events.push_back("frame");
        if (onFrame) onFrame();
      }
    }
  }
};

TEST_F(TurnsTest, EachTurnDrainsTheQueueThenDrawsOneFrameThenWaits) {
  Post(100);
  Post(101);
  Run(5);
  // The first frame comes at once, before any animation frame.
  EXPECT_EQ(events, (std::vector<std::string>{"100", "101", "frame", "wait", "frame", "wait",
                                              "frame"}));
}

TEST_F(TurnsTest, InputThatArrivesWhileWaitingIsHandledBeforeThatTurnsFrame) {
  int waits = 0;
  onWait = [&] {
    if (++waits == 1) {
      Arrive(WM_KEYDOWN);
      Arrive(200);
    }
  };
  Run(5);
  EXPECT_EQ(events, (std::vector<std::string>{"frame", "wait", "256", "200", "frame", "wait",
                                              "frame"}));
}

TEST_F(TurnsTest, WhatHandlingAndDrawingPostIsTakenInTheSameTurnWithoutASecondFrame) {
  // A key posts a close request (as Escape does); the first frame posts a
  // message of its own.
  Post(WM_KEYDOWN);
  onMessage = [&](uint32_t message) {
    if (message == WM_KEYDOWN) Post(WM_CLOSE);
  };
  bool first = true;
  onFrame = [&] {
    if (first) Post(300);
    first = false;
  };
  Run(5);
  EXPECT_EQ(events, (std::vector<std::string>{"256", "16", "frame", "300", "wait", "frame"}));
}

TEST_F(TurnsTest, TheLoopEndsAtQuitWithinTheTurnThatPostedIt) {
  Run(1);  // the first frame
  onWait = [&] { Arrive(WM_CLOSE); };
  onMessage = [&](uint32_t message) {
    if (message == WM_CLOSE) queue.push_back({nullptr, WM_QUIT, 0, 0});
  };
  Run(10);
  EXPECT_EQ(events, (std::vector<std::string>{"frame", "wait", "16", "18"}));
}

TEST_F(TurnsTest, AnIdleLoopWaitsInEveryTurnInsteadOfSpinning) {
  // Stopped or not yet started, the loop draws nothing but still polls.
  // Every poll after the first is a turn of its own: a wait, then "empty".
  Run(9);
  int waits = 0;
  for (const std::string& e : events) waits += e == "wait";
  EXPECT_EQ(waits, 8);
  EXPECT_EQ(events.size(), 9u + 8u);
}

TEST(WebInputTest, KeysBecomeTheMessagesWindowsMakes) {
  const Message escape = platform::web::KeyDownMessage(kWindow, 27, false);
  EXPECT_EQ(escape.window, kWindow);
  EXPECT_EQ(escape.message, WM_KEYDOWN);
  EXPECT_EQ(escape.wParam, platform::VK_ESCAPE);
  const Message altF4 = platform::web::KeyDownMessage(kWindow, 115, true);
  EXPECT_EQ(altF4.message, platform::WM_SYSKEYDOWN);
  EXPECT_EQ(altF4.wParam, platform::VK_F4);
  EXPECT_EQ(platform::web::KeyDownMessage(kWindow, 65, false).wParam, 65u);
  // As Windows: a repeat count of one, and the previous key state (bit 30)
  // set only when a held key repeats, so that a fresh press can be told apart.
  const intptr_t previousKeyState = intptr_t{1} << 30;
  const Message f11 = platform::web::KeyDownMessage(kWindow, 122, false, false);
  EXPECT_EQ(f11.lParam & 0xFFFF, 1);
  EXPECT_EQ(f11.lParam & previousKeyState, 0);
  const Message held = platform::web::KeyDownMessage(kWindow, 122, false, true);
  EXPECT_EQ(held.message, WM_KEYDOWN);
  EXPECT_EQ(held.lParam & 0xFFFF, 1);
  EXPECT_EQ(held.lParam & previousKeyState, previousKeyState);
  EXPECT_EQ(platform::web::KeyDownMessage(kWindow, 13, true, true).lParam & previousKeyState,
            previousKeyState);
}

TEST(WebCanvasTest, PixelsBecomeRedGreenBlueAndOpaqueAlphaInMemoryOrder) {
  struct Case {
    uint32_t pixel;
    unsigned char bytes[4];
  };
  const Case cases[] = {
      {0x00123456u, {0x12, 0x34, 0x56, 0xFF}},
      {0x00FF0000u, {0xFF, 0x00, 0x00, 0xFF}},
      {0x000000FFu, {0x00, 0x00, 0xFF, 0xFF}},
      {0x00000000u, {0x00, 0x00, 0x00, 0xFF}},
      // The top byte is not part of the colour; the canvas is opaque.
      {0xAB00FF00u, {0x00, 0xFF, 0x00, 0xFF}},
  };
  for (const Case& c : cases) {
    const uint32_t word = platform::web::CanvasPixel(c.pixel);
    unsigned char bytes[4];
    std::memcpy(bytes, &word, sizeof bytes);  // the wasm heap is little-endian, as x86 is
    EXPECT_EQ(std::memcmp(bytes, c.bytes, 4), 0) << std::hex << c.pixel;
  }
}

}  // namespace
