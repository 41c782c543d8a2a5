#pragma once
// The console's own pictures, compiled in as the bytes of their files (made by tools/mkpictures).

#include <cstddef>

struct TPictureBytes {
  const unsigned char* Data;
  size_t Size;
};

namespace pictures {
extern const TPictureBytes DialogJpeg;   // 100 × 75 baseline JPEG
extern const TPictureBytes AboutBitmap;  // 64 × 56, 4 bits per pixel
extern const TPictureBytes OkGlyph;      // 36 × 18, two cells, 4 bits per pixel
extern const TPictureBytes CancelGlyph;  // 36 × 18
extern const TPictureBytes CloseGlyph;   // 32 × 16
extern const TPictureBytes ExitGlyph;    // 32 × 16
}  // namespace pictures

class TGraphic;

namespace pictures {
// Reads the picture into Graphic (a TJPEGImage for the JPEG, a TBitmap for the others) as from a file.
void LoadInto(TGraphic* Graphic, const TPictureBytes& Bytes);
}  // namespace pictures
