// What the web backend converts between the page's terms and the program's:
// the browser's keys into window messages, back-buffer pixels into the
// canvas's.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace platform::web {

// The window messages of a key going down, as Windows makes them: with Alt
// held it is a system key; a key held down repeats with the previous key
// state (bit 30) set, so that only a fresh press counts as one. The browser's
// keyCode is the Windows virtual-key code for every key the program reacts
// to (Escape 27, F4 115).
inline Message KeyDownMessage(WindowHandle window, int keyCode, bool alt, bool repeat = false) {
  const intptr_t lParam = 1 | (repeat ? intptr_t{1} << 30 : 0);
  return {window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<uintptr_t>(keyCode & 0xFFFF),
          lParam};
}

// The canvas's pixel for a back-buffer pixel 0x00RRGGBB: the bytes R, G, B
// and an opaque alpha in memory order, read as one little-endian word.
constexpr uint32_t CanvasPixel(uint32_t pixel) {
  return 0xFF000000u | (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | (pixel >> 16 & 0xFFu);
}

}  // namespace platform::web
