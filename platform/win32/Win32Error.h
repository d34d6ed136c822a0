// The last error's text on Windows.
//
// The program is two modules: brindlemox.exe holds the window
// (Win32Platform.cpp) and QelGFX36.dll the device with its presenter
// (Win32Presenter.cpp). Both report why a call failed, and LastErrorText()
// must say it whichever module asks, so the text is kept in one place: in the
// device's module (Win32Error.cpp), which exports LastErrorText and
// SetLastErrorText to the program's.
#pragma once

namespace platform::win32 {

// What LastErrorText() returns from now on.
void SetLastErrorText(const char* text);

}  // namespace platform::win32
