// What the device module exports.
//
// On Windows the graphics device is its own module, QelGFX36.dll, and
// QELGFX_API marks the classes it exports: the device itself and the surfaces
// it hands out (the program page-locks them). Built into the DLL the classes
// are dllexport, which exports their members defined out of line; GCC exports
// no inline member by itself, so the inline accessors GetBpp, GetScreenX and
// GetScreenY get their copies and export names from
// platform/win32/QelGFX36Exports.cpp and QelGFX36.def. Their users need no
// dllimport: they call the exports through the import library's stubs, so
// the same objects link either against the DLL (the program) or against the
// device built in (tests and tools). Elsewhere the device is always built in
// and the macro is empty.
#pragma once

#if defined(_WIN32) && defined(QELGFX_BUILDING_DLL)
#define QELGFX_API __declspec(dllexport)
#else
#define QELGFX_API
#endif
