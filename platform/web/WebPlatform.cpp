// Web backend: the program in a browser page, built with emscripten.
//
// Depends on: emscripten (EM_JS calls into the page, Asyncify for waiting on
// the next animation frame), a page with the elements of
// platform/web/index.html (canvas "screen", lines "title", "error" and
// "status", button "close"), the page start-up of WebStartup.js, and the
// browser's requestAnimationFrame, performance.now(), Date.now() and 2D
// canvas.
//
// A browser cannot busy-poll: nothing is shown and no input arrives until
// the page's script gives control back. So one turn of the message loop runs
// per animation frame: the poll drains the queue, then answers "empty" once,
// upon which the loop draws one frame, exactly as it does elsewhere; the
// next poll waits (through Asyncify, with the loop's stack kept) for the next
// animation frame. The frame rate is thereby bounded by the display's
// refresh. AnimationFrameTurns.h holds that rule.
//
// The window is the page's canvas; the title goes to document.title and to
// the line under the canvas; Escape (keyboard focus on the page) and the
// page's close button reach WM_CLOSE as on the desktop; presenting copies the
// back buffer into the 640x480 canvas through an ImageData over the wasm
// heap, alpha opaque. The counter is performance.now() in microseconds; the
// tick count that seeds the generator is the low 32 bits of Date.now().
//
// Cannot: wait in the message box, which becomes the error line on the page
// and returns at once; move or size the window (no WM_MOVE is ever posted);
// go on drawing while the page is hidden (browsers stop animation frames
// there, while the timeline's clock runs on); end the process: when the loop
// returns, the page says that the show has ended and with which exit code.
// Only the main window exists; its class has no icon, cursor or brush.
//
// For whoever watches the page (its tests), window.brindlemox counts the
// frames presented and the animation frames waited for, keeps the times
// (performance.now()) of the first and the last frame presented, and
// journals the stop: each key and close message handled, the presenter's
// closing, WM_DESTROY, WM_QUIT and the end, each with the count of frames
// presented by then.
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/EmulatedDefaults.h"
#include "platform/Platform.h"
#include "platform/web/AnimationFrameTurns.h"
#include "platform/web/PageConversions.h"
#include "platform/web/WebPage.h"

namespace platform {

struct WindowRecord {
  WindowProcedure procedure = nullptr;
  bool destroyed = false;
};

namespace {

// The page's side. Every function leaves the page alone when an element is
// missing, so that a page without them (or a test page) does not fail here.

EM_JS(int, PageHasCanvas, (), { return document.getElementById('screen') ? 1 : 0; });

EM_JS(void, PageSetTitle, (const char* text), {
  const title = UTF8ToString(text);
  document.title = title;
  const line = document.getElementById('title');
  if (line) line.textContent = title;
});

EM_JS(void, PageShowCanvas, (int visible), {
  const canvas = document.getElementById('screen');
  if (canvas) canvas.hidden = !visible;
});

// Keys go to the window; the close button's click is a close request. Both
// wait in the page's list until the poll takes them.
EM_JS(void, PageListenForInput, (), {
  const page = Module.brindlemoxPage;
  window.addEventListener('keydown', (event) => {
    page.events.push({close: false, keyCode: event.keyCode, alt: event.altKey});
  });
  const button = document.getElementById('close');
  if (button) {
    button.disabled = false;
    button.addEventListener('click', () => page.events.push({close: true}));
  }
});

EM_JS(void, PageWindowClosed, (), {
  const button = document.getElementById('close');
  if (button) button.disabled = true;
});

// 0: nothing waiting; 1: a key (code and Alt stored); 2: a close request.
EM_JS(int, PageTakeEvent, (int* keyCode, int* alt), {
  const event = Module.brindlemoxPage.events.shift();
  if (!event) return 0;
  if (event.close) return 2;
  HEAP32[keyCode >> 2] = event.keyCode;
  HEAP32[alt >> 2] = event.alt ? 1 : 0;
  return 1;
});

EM_ASYNC_JS(void, PageWaitForAnimationFrame, (), {
  await new Promise((resolve) => requestAnimationFrame(resolve));
  Module.brindlemoxPage.animationFrames++;
});

EM_JS(int, PageShowError, (const char* text), {
  const line = document.getElementById('error');
  if (!line) return 0;
  line.textContent = UTF8ToString(text);
  line.hidden = false;
  return 1;
});

EM_JS(int, PageScreenWidth, (), { return window.screen.width | 0; });
EM_JS(int, PageScreenHeight, (), { return window.screen.height | 0; });
EM_JS(double, PageDateNow, (), { return Date.now(); });

EM_JS(int, PageOpenCanvas, (int width, int height), {
  const page = Module.brindlemoxPage;
  const canvas = document.getElementById('screen');
  if (!canvas) return 0;
  let context = null;
  try {
    canvas.width = width;
    canvas.height = height;
    context = canvas.getContext('2d', {alpha: false});
  } catch (e) {
    context = null;
  }
  if (!context) return 0;
  page.context = context;
  page.image = null;
  return 1;
});

// The ImageData lies over the wasm heap, so putImageData copies straight from
// it; it is made anew when the heap has grown (a new buffer) or the pixels
// have moved.
EM_JS(void, PagePutFrame, (const uint32_t* rgba, int width, int height), {
  const page = Module.brindlemoxPage;
  if (!page.context) return;
  const bytes = width * height * 4;
  let image = page.image;
  if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba ||
      image.width !== width || image.height !== height) {
    image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, bytes), width, height);
    page.image = image;
  }
  page.context.putImageData(image, 0, 0);
  page.framesPresented++;
  page.lastFrameAt = performance.now();
  if (page.firstFrameAt === null) page.firstFrameAt = page.lastFrameAt;
});

EM_JS(void, PageCloseCanvas, (), {
  const page = Module.brindlemoxPage;
  page.context = null;
  page.image = null;
});

EM_JS(void, PageJournal, (const char* what), {
  const page = Module.brindlemoxPage;
  page.journal.push({what: UTF8ToString(what), frames: page.framesPresented});
});

EM_JS(void, PageShowEnded, (int exitCode), {
  const page = Module.brindlemoxPage;
  page.ended = true;
  page.exitCode = exitCode;
  const status = document.getElementById('status');
  if (status) {
    status.textContent = exitCode === 0 ? 'The show has ended. Reload the page to see it again.'
                                        : 'The show has ended (exit code ' + exitCode + ').';
  }
});

struct WebState {
  EmulatedWindowClass windowClass;
  std::unique_ptr<WindowRecord> window;
  EmulatedMessageQueue queue;
  web::AnimationFrameTurns turns;
  bool presenterOpen = false;
  std::vector<uint32_t> canvasPixels;
  std::string lastError;
};

WebState& State() {
  static WebState state;
  return state;
}

// Turns the page's input waiting now into window messages at the queue's end.
void PumpEvents() {
  WebState& s = State();
  WindowRecord* w = s.window.get();
  int keyCode = 0;
  int alt = 0;
  for (int kind; (kind = PageTakeEvent(&keyCode, &alt)) != 0;) {
    if (w == nullptr || w->destroyed) continue;
    if (kind == 2) {
      s.queue.Post(w, WM_CLOSE, 0, 0);
    } else {
      const Message key = web::KeyDownMessage(w, keyCode, alt != 0);
      s.queue.Post(key.window, key.message, key.wParam, key.lParam);
    }
  }
}

void JournalMessage(const Message& message) {
  char text[48];
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      std::snprintf(text, sizeof text, "%s %u",
                    message.message == WM_KEYDOWN ? "WM_KEYDOWN" : "WM_SYSKEYDOWN",
                    static_cast<unsigned>(message.wParam));
      PageJournal(text);
      break;
    case WM_CLOSE:
      PageJournal("WM_CLOSE");
      break;
    default:
      break;
  }
}

}  // namespace

bool RegisterWindowClass(const WindowClass& windowClass) {
  return State().windowClass.Register(windowClass);
}

WindowHandle CreateMainWindow(const char* className, const char* title, uint32_t, int, int,
                              int, int, InstanceHandle) {
  WebState& s = State();
  const WindowProcedure procedure = s.windowClass.ProcedureOf(className);
  if (procedure == nullptr) {
    s.lastError = "window class not registered";
    return nullptr;
  }
  if (!PageHasCanvas()) {
    s.lastError = "the page has no canvas with the id \"screen\"";
    return nullptr;
  }
  s.window = std::make_unique<WindowRecord>();
  s.window->procedure = procedure;
  PageSetTitle(title);
  PageListenForInput();
  return s.window.get();
}

int ScreenWidth() { return PageScreenWidth(); }
int ScreenHeight() { return PageScreenHeight(); }

void ShowMainWindow(WindowHandle window, int) {
  if (window != nullptr && !window->destroyed) PageShowCanvas(1);
}

void UpdateMainWindow(WindowHandle) { PumpEvents(); }

bool PeekNextMessage(Message& message) {
  WebState& s = State();
  // Lambdas, so that the wait is a direct call, whether or not Take is
  // inlined: Asyncify follows direct calls only.
  const bool taken = s.turns.Take(
      s.queue, message, [] { PumpEvents(); }, [] { PageWaitForAnimationFrame(); });
  if (taken && message.message == WM_QUIT) {
    char text[32];
    std::snprintf(text, sizeof text, "WM_QUIT %d", static_cast<int>(message.wParam));
    PageJournal(text);
  }
  return taken;
}

void TranslateKeyMessage(const Message&) {}

intptr_t DispatchToWindow(const Message& message) {
  WindowHandle w = message.window;
  if (w == nullptr || w->destroyed || w->procedure == nullptr) return 0;
  JournalMessage(message);
  return w->procedure(w, message.message, message.wParam, message.lParam);
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t) {
  return EmulatedDefaultWindowProcedure(window, message, wParam);
}

void PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
  if (window == nullptr || window->destroyed) return;
  State().queue.Post(window, message, wParam, lParam);
}

void PostQuit(int exitCode) { State().queue.PostQuit(exitCode); }

void DestroyMainWindow(WindowHandle window) {
  WebState& s = State();
  if (window == nullptr || window->destroyed) return;
  window->destroyed = true;
  s.queue.DropMessagesOf(window);
  PageJournal("WM_DESTROY");
  window->procedure(window, WM_DESTROY, 0, 0);
  PageShowCanvas(0);
  PageWindowClosed();
}

void SetWindowTitle(WindowHandle window, const char* text) {
  if (window != nullptr && !window->destroyed) PageSetTitle(text);
}

bool ShowErrorMessageBox(const char* text, const char* caption) {
  const std::string line = std::string(caption) + ": " + text;
  return PageShowError(line.c_str()) != 0;
}

int64_t PerformanceCounter() {
  return static_cast<int64_t>(std::floor(emscripten_get_now() * 1000.0));
}

int64_t PerformanceFrequency() { return 1000000; }

uint32_t TickCountMs() {
  // Milliseconds, wrapping as GetTickCount's do; only the seed depends on it.
  return static_cast<uint32_t>(static_cast<int64_t>(PageDateNow()));
}

bool OpenPresenter(int width, int height) {
  WebState& s = State();
  WindowRecord* w = s.window.get();
  if (w == nullptr || w->destroyed) {
    s.lastError = "no window to present into";
    return false;
  }
  if (!PageOpenCanvas(width, height)) {
    s.lastError = "the canvas has no 2D context";
    return false;
  }
  s.canvasPixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  s.presenterOpen = true;
  return true;
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  WebState& s = State();
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (!s.presenterOpen || count != s.canvasPixels.size()) return;
  uint32_t* out = s.canvasPixels.data();
  for (size_t i = 0; i < count; ++i) out[i] = web::CanvasPixel(pixels[i]);
  PagePutFrame(out, width, height);
}

void ClosePresenter() {
  WebState& s = State();
  if (!s.presenterOpen) return;
  s.presenterOpen = false;
  PageCloseCanvas();
  s.canvasPixels = {};
  PageJournal("presenter closed");
}

const char* LastErrorText() { return State().lastError.c_str(); }

// The page has no folder of its own to look in: the picture is fetched into
// the working directory before the program starts, which is where it is read.
const char* ProgramDirectory() { return ""; }

namespace web {

void EndShow(int exitCode) {
  char text[32];
  std::snprintf(text, sizeof text, "ended %d", exitCode);
  PageJournal(text);
  PageShowEnded(exitCode);
}

}  // namespace web
}  // namespace platform
