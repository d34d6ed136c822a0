// The rectangle of the Win32 API: left, top, right, bottom as signed 32-bit
// values, right and bottom exclusive. On Windows it is Windows' own RECT.
#pragma once

#ifdef _WIN32
#include <windef.h>
#else
#include <cstdint>

struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
#endif
