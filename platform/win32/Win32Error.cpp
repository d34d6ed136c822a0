// The last error's text, for both modules of the Windows program: built into
// QelGFX36.dll, which exports both functions (QelGFX36.def).
#include "platform/win32/Win32Error.h"

#include <string>

#include "platform/Platform.h"

namespace platform {

namespace {

std::string& LastError() {
  static std::string text;
  return text;
}

}  // namespace

namespace win32 {

void SetLastErrorText(const char* text) { LastError() = text != nullptr ? text : ""; }

}  // namespace win32

const char* LastErrorText() { return LastError().c_str(); }

}  // namespace platform
