// <windows.h> for the Win32 backend and its tests.
//
// Platform.h names the Win32 message numbers, key codes and styles it uses as
// constants in namespace platform, and <windows.h> defines the same names as
// macros, which would rewrite those constants wherever both are seen. The
// macros are dropped here: code that includes this header writes
// platform::WM_CLOSE and the like, which have the same values.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef WM_DESTROY
#undef WM_MOVE
#undef WM_CLOSE
#undef WM_QUIT
#undef WM_KEYDOWN
#undef WM_SYSKEYDOWN
#undef VK_RETURN
#undef VK_ESCAPE
#undef VK_F4
#undef VK_F11
#undef SW_SHOWDEFAULT
#undef WS_CAPTION
#undef WS_SYSMENU
#undef WS_MINIMIZEBOX
#undef CS_HREDRAW
#undef CS_VREDRAW
