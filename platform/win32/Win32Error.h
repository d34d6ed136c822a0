// The system's own text for a Win32 error code, for LastErrorText().
#pragma once

#include <string>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {

inline std::string SystemErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length != 0 && text != nullptr ? std::string(text, length)
                                                      : "Win32 error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  // The system's messages end in a full stop and a line break.
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

}  // namespace platform::win32
