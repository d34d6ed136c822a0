// The rectangle of the Win32 API: left, top, right, bottom as signed 32-bit
// values, right and bottom exclusive. On Windows it is Windows' own RECT.
#pragma once

#ifdef _WIN32
#include <windef.h>
// <windef.h> also defines the 16-bit pointer qualifiers `near` and `far` as
// empty macros, which would erase variables of those names wherever this
// header is seen. No header of the system that we use needs them.
#undef near
#undef far
#else
#include <cstdint>

struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
#endif
