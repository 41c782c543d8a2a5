#pragma once
// What the graphics units share beyond Graphics.h.

#include <cstdint>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj::vcl {

// A bitmap's pixels as 0x00RRGGBB, rows top-down, read through GetDIBits as any program would; false
// for a handle that is not a bitmap.
bool ReadBitmapBits(HBITMAP Bitmap, std::vector<uint32_t>& Pixels, int& Width, int& Height);

}  // namespace xj::vcl
