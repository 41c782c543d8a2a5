#pragma once
// PNG files through libpng, for screenshots and for tests that compare pictures.

#include <string>

#include "platform/display/Pixels.h"

namespace xj::display {

// Writes the pixels (0x00RRGGBB; the X byte is ignored) as an 8-bit RGB PNG. On failure no file is
// left behind and `error` says why.
bool WritePng(const std::string& path, const SurfaceView& pixels, std::string* error = nullptr);
// Reads any PNG into 0xAARRGGBB pixels (A = 0xFF where the file has no alpha). Pictures of more than
// 2^26 pixels, or wider or higher than 32768, are refused.
bool ReadPng(const std::string& path, Image& out, std::string* error = nullptr);

}  // namespace xj::display
