// The default handling of window messages, for the backends that have no
// window system of their own to do it (SDL and headless). It behaves as
// Windows' DefWindowProcA does for the messages the program meets: Alt+F4
// sends a close request, and a close request nobody handled destroys the
// window. Everything else needs no default action.
#pragma once

#include "platform/Platform.h"

namespace platform {

inline intptr_t EmulatedDefaultWindowProcedure(WindowHandle window, uint32_t message,
                                               uintptr_t wParam) {
  if (window == nullptr) return 0;
  if (message == WM_SYSKEYDOWN && wParam == VK_F4)
    return DispatchToWindow({window, WM_CLOSE, 0, 0});
  if (message == WM_CLOSE) DestroyMainWindow(window);
  return 0;
}

}  // namespace platform
