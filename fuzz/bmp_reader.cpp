// Fuzzes the BMP reader: any bytes must give an image or an error, never a crash, an overrun or
// an unbounded allocation; an image read must write and read back to the same pixels.

#include <cstdlib>

#include "platform/win32/BmpCodec.h"
#include "platform/win32/GdiInternal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xj::bmp::Dib dib;
  xj::bmp::ReadResult r = xj::bmp::Read(data, size, dib);
  if (r.Ok) {
    if (r.Consumed > size) std::abort();
    std::vector<uint8_t> file = xj::bmp::Write(dib);
    xj::bmp::Dib back;
    if (!xj::bmp::Read(file.data(), file.size(), back).Ok) std::abort();
    if (back.Width != dib.Width || back.Height != dib.Height) std::abort();
    if (HBITMAP bmp = xj::bmp::CreateBitmapFromDib(dib)) {
      std::vector<uint32_t> px;
      int w = 0, h = 0;
      xj::gdi::ReadBitmapPixels(bmp, px, w, h);
      DeleteObject(bmp);
    }
  }
  xj::bmp::Dib info;
  xj::bmp::ReadInfo(data, size, info);
  return 0;
}
