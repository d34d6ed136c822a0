// The inline accessors of the device in QelGFX36.dll's export table.
//
// GetBpp, GetScreenX and GetScreenY are defined in the class, so they are
// inline: compiled only into modules that use them, and GCC exports no
// inline member of an exported class by itself. The references below make
// this module carry one copy of each, and QelGFX36.def exports them under
// their decorated names. (The link fails if a name in the .def file has no
// copy here.)
#include "framework/QelGFX.h"

namespace {

[[gnu::used]] constexpr uint32_t (QelGFX::*kExportedGetBpp)() const = &QelGFX::GetBpp;
[[gnu::used]] constexpr uint16_t (QelGFX::*kExportedGetScreenX)() const = &QelGFX::GetScreenX;
[[gnu::used]] constexpr uint16_t (QelGFX::*kExportedGetScreenY)() const = &QelGFX::GetScreenY;

}  // namespace
