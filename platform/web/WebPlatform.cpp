// Web backend: the program in a browser page, built with emscripten.
//
// Depends on: emscripten (EM_JS calls into the page, Asyncify for waiting on
// the next animation frame), a page with the elements of
// platform/web/index.html (canvas "screen", lines "title", "error" and
// "status", buttons "close", "fullscreen" and "again"), the page start-up of
// WebStartup.js, and the browser's requestAnimationFrame, performance.now(),
// Date.now(), 2D canvas and Fullscreen API.
//
// A browser cannot busy-poll: nothing is shown and no input arrives until
// the page's script gives control back. So one turn of the message loop runs
// per animation frame: the poll drains the queue, then answers "empty" once,
// upon which the loop draws one frame, exactly as it does elsewhere; the
// next poll waits (through Asyncify, with the loop's stack kept) for the next
// animation frame. The frame rate is thereby bounded by the display's
// refresh. AnimationFrameTurns.h holds that rule; the backend's pump applies
// it. The window's class, messages and default behaviour are the emulated
// window's (platform/EmulatedWindow.h).
//
// The window is the page's canvas; the title goes to document.title and to
// the line under the canvas; Escape (keyboard focus on the page) and the
// page's close button reach WM_CLOSE as on the desktop; F11 and Alt+Enter,
// like the page's Fullscreen button and F key, put the canvas alone on the
// screen (the browser's Escape takes it back first); presenting copies the
// back buffer into the 640x480 canvas through an ImageData over the wasm
// heap, alpha opaque. The page shows the canvas at the largest 4:3 size the
// browser window allows, each pixel enlarged by nearest pixel. The counter
// is performance.now() in microseconds; the tick count that seeds the
// generator is the low 32 bits of Date.now().
//
// Cannot: wait in the message box, which becomes the error line on the page
// and returns at once; move or size the window (no WM_MOVE is ever posted);
// go on drawing while the page is hidden (browsers stop animation frames
// there, while the timeline's clock runs on); end the process: when the loop
// returns, the page says that the show has ended and with which exit code.
// Only the main window exists; its class has no icon, cursor or brush.
//
// The page keeps no record for its tests: they watch a page of their own,
// the same program with their observer built in (tests/web/PageJournal.cpp).
#include <emscripten.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"
#include "platform/web/AnimationFrameTurns.h"
#include "platform/web/PageConversions.h"
#include "platform/web/WebPage.h"

namespace platform {

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
// wait in the page's list until the poll takes them. The page's own F key
// and Fullscreen button toggle fullscreen there and then, as the browser
// allows it only while the user's input is being handled. Escape in
// fullscreen only leaves fullscreen, as browsers make it do: one that passed
// it on as well would end the show at once.
EM_JS(void, PageListenForInput, (), {
  const page = Module.brindlemoxPage;
  window.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
      return;
    }
    // A held key repeats; only its first press toggles.
    if (String(event.key || "").toLowerCase() === 'f' && !event.altKey && !event.ctrlKey &&
        !event.metaKey && !event.repeat)
      page.toggleFullscreen();
    page.events.push({close: false, keyCode: event.keyCode, alt: event.altKey,
                      repeat: event.repeat});
  });
  const button = document.getElementById('close');
  if (button) {
    button.disabled = false;
    button.addEventListener('click', () => page.events.push({close: true}));
  }
  const fullscreen = document.getElementById('fullscreen');
  if (fullscreen) {
    fullscreen.disabled = false;
    fullscreen.addEventListener('click', () => page.toggleFullscreen());
  }
});

EM_JS(void, PageWindowClosed, (), {
  for (const id of ['close', 'fullscreen']) {
    const button = document.getElementById(id);
    if (button) button.disabled = true;
  }
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
});

// F11 or Alt+Enter reached the default window procedure; the key that did it
// is still the user's latest input.
EM_JS(void, PageToggleFullscreen, (), { Module.brindlemoxPage.toggleFullscreen(); });

// 0: nothing waiting; 1: a key (code, Alt and repeat stored); 2: a close
// request.
EM_JS(int, PageTakeEvent, (int* keyCode, int* alt, int* repeat), {
  const event = Module.brindlemoxPage.events.shift();
  if (!event) return 0;
  if (event.close) return 2;
  HEAP32[keyCode >> 2] = event.keyCode;
  HEAP32[alt >> 2] = event.alt ? 1 : 0;
  HEAP32[repeat >> 2] = event.repeat ? 1 : 0;
  return 1;
});

EM_ASYNC_JS(void, PageWaitForAnimationFrame, (), {
  await new Promise((resolve) => requestAnimationFrame(resolve));
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
});

EM_JS(void, PageCloseCanvas, (), {
  const page = Module.brindlemoxPage;
  page.context = null;
  page.image = null;
});

EM_JS(void, PageShowEnded, (int exitCode), {
  const page = Module.brindlemoxPage;
  page.ended = true;
  page.exitCode = exitCode;
  const status = document.getElementById('status');
  if (status) {
    status.textContent = exitCode === 0 ? 'The show has ended.'
                                        : 'The show has ended (exit code ' + exitCode + ').';
  }
  const again = document.getElementById('again');
  if (again) again.hidden = false;
  // No frame rate any more: the page's name again.
  document.title = 'Brindlemox';
  const title = document.getElementById('title');
  if (title) title.textContent = 'Brindlemox';
});

struct WebState {
  web::AnimationFrameTurns turns;
  bool presenterOpen = false;
  std::vector<uint32_t> canvasPixels;
};

WebState& State() {
  static WebState state;
  return state;
}

// Turns the page's input waiting now into window messages at the queue's end.
// Returns whether it posted any: input that comes when the window is gone is
// dropped.
bool PostPageInput() {
  WindowRecord* w = EmulatedMainWindow();
  bool posted = false;
  int keyCode = 0;
  int alt = 0;
  int repeat = 0;
  for (int kind; (kind = PageTakeEvent(&keyCode, &alt, &repeat)) != 0;) {
    if (w == nullptr || w->destroyed) continue;
    const Message message = kind == 2 ? Message{w, WM_CLOSE, 0, 0}
                                      : web::KeyDownMessage(w, keyCode, alt != 0, repeat != 0);
    PostWindowMessage(message.window, message.message, message.wParam, message.lParam);
    posted = true;
  }
  return posted;
}

}  // namespace

namespace backend {

bool OpenWindow(const WindowRecord& window) {
  if (!PageHasCanvas()) {
    SetLastErrorText("the page has no canvas with the id \"screen\"");
    return false;
  }
  PageSetTitle(window.title.c_str());
  PageListenForInput();
  return true;
}

void ShowWindow(const WindowRecord&, int) { PageShowCanvas(1); }

void UpdateWindow(const WindowRecord&) { PostPageInput(); }

void SetTitle(const WindowRecord& window) { PageSetTitle(window.title.c_str()); }

// Lambdas, so that the wait is a direct call, whether or not Pump is inlined:
// Asyncify follows direct calls only.
void PumpEvents() {
  State().turns.Pump([] { return PostPageInput(); }, [] { PageWaitForAnimationFrame(); });
}

void CloseWindow(const WindowRecord&) {
  PageShowCanvas(0);
  PageWindowClosed();
}

void ToggleFullscreen(const WindowRecord&) { PageToggleFullscreen(); }

}  // namespace backend

int ScreenWidth() { return PageScreenWidth(); }
int ScreenHeight() { return PageScreenHeight(); }

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
  const WindowRecord* w = EmulatedMainWindow();
  if (w == nullptr || w->destroyed) {
    SetLastErrorText("no window to present into");
    return false;
  }
  if (!PageOpenCanvas(width, height)) {
    SetLastErrorText("the canvas has no 2D context");
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
}

// The page has no folder of its own to look in: the picture is fetched into
// the working directory before the program starts, which is where it is read.
const char* ProgramDirectory() { return ""; }

namespace web {

void EndShow(int exitCode) { PageShowEnded(exitCode); }

}  // namespace web
}  // namespace platform
