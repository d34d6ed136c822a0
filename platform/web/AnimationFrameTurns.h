// How the web backend's poll turns the shell's endless message loop into one
// turn per animation frame.
//
// The shell's loop polls without end and draws a frame whenever the queue is
// empty. A browser cannot be polled like that: nothing is shown, and no input
// arrives, until the page's script gives control back to the browser. So the
// poll itself gives control back: within one turn it hands out every message
// that is waiting (and every message that handling them posts), then answers
// "empty" once, upon which the loop draws its frame (or, when the show is not
// running, draws nothing). The next poll that finds the queue empty waits for
// the browser's next animation frame, takes in the input that arrived
// meanwhile, and begins the next turn. The loop itself, its order and its
// states are those of every other backend; only the waiting happens inside the
// poll, in the backend's pump (EmulatedWindow.h), which the poll calls
// whenever the queue is empty.
#pragma once

namespace platform::web {

class AnimationFrameTurns {
 public:
  // The pump's work. `takeInput` posts the input that arrived since it last
  // ran and returns whether it posted anything; `waitForFrame` returns at the
  // next animation frame. When the pump leaves the queue empty, the poll
  // answers "empty".
  template <typename TakeInput, typename WaitForFrame>
  void Pump(TakeInput takeInput, WaitForFrame waitForFrame) {
    if (takeInput()) return;
    if (answeredEmpty_) {
      waitForFrame();
      answeredEmpty_ = false;
      if (takeInput()) return;
    }
    answeredEmpty_ = true;
  }

 private:
  bool answeredEmpty_ = false;
};

}  // namespace platform::web
