// Fuzzes TJPEGImage: any bytes must give a picture or EInvalidGraphic, never a crash, an overrun or an
// unbounded allocation; a picture accepted must decode (or fail cleanly) at the size its header gave.

#include <cstdlib>

#include "platform/vcl/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (jpeg.Width() > kMaxJpegDimension || jpeg.Height() > kMaxJpegDimension) std::abort();
  try {
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    if (bitmap.Width() != jpeg.Width() || bitmap.Height() != jpeg.Height()) std::abort();
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
