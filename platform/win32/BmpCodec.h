#pragma once
// BMP files: bytes in → device-independent bitmap, bitmap → bytes. Shared by the GDI (resources)
// and the class library's TBitmap. Every size in a file is checked against the data present, so a
// bad file is an error, never a crash or an unbounded allocation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/WinGdi.h"

namespace xj::bmp {

// The bytes of a DIB row of Width pixels of BitCount bits, padded to four.
inline int RowBytes(int Width, int BitCount) { return int((int64_t(Width) * BitCount + 31) / 32 * 4); }

// An uncompressed DIB in its own depth: 1, 4, 8 bits with a palette, 16 and 32 bits with
// channel masks, 24 bits BGR. Rows are top-down, each padded to 4 bytes.
struct Dib {
  int Width { 0 };
  int Height { 0 };
  int BitCount { 24 };
  std::vector<RGBQUAD> Palette;  // BitCount ≤ 8: the colour table (may be shorter than 2^bpp)
  DWORD Masks[3] { 0, 0, 0 };    // 16 and 32 bits: red, green, blue; all 0 = the defaults
  std::vector<uint8_t> Bits;     // Stride() × Height bytes

  int Stride() const { return RowBytes(Width, BitCount); }
  bool Empty() const { return Width <= 0 || Height <= 0; }
};

struct ReadResult {
  bool Ok { false };
  std::string Error;      // why the data is not a usable BMP image
  size_t Consumed { 0 };  // bytes the image occupies from the start (bfSize when it is sensible)
  // Set when the image is refused for its size alone (past kMaxDimension or kMaxPixels): its size.
  bool TooLarge { false };
  int Width { 0 }, Height { 0 };
};

struct Header;

// A read in two halves, so that the pixels can be decoded straight into memory the caller chose:
// Open reads the headers and the colour table and checks every size against the data present;
// Format() then holds everything but the bits, and Decode writes the pixels as top-down rows of
// Format().Stride() bytes. The data must stay where it is until Decode has run.
class Decoder {
 public:
  // A BMP file image ("BM" header first); Consumed as for Read.
  ReadResult Open(const uint8_t* data, size_t size);
  // A bare DIB, as for ReadInfo.
  ReadResult OpenInfo(const uint8_t* data, size_t size);
  const Dib& Format() const { return FFormat; }
  // False when RLE data runs out of bounds; the rows are then partly written.
  bool Decode(uint8_t* bits) const;

 private:
  ReadResult OpenBody(const uint8_t* d, size_t size, const Header& h, size_t bitsOffset);

  Dib FFormat;  // no Bits
  const uint8_t* FData { nullptr };
  size_t FBits { 0 };   // where the pixels start
  size_t FCount { 0 };  // how many bytes of pixel data there are
  DWORD FCompression { BI_RGB };
  bool FTopDown { false };
};

// The layout the headers of a BMP file image describe (Width, Height, BitCount, Masks; no palette, no
// bits), read from its first bytes alone: what Read would decode it to, known before the colour table and
// the pixels are there. Never needs more than kLayoutBytes bytes. !Ok for headers Read refuses (TooLarge
// as for Read); an Ok result says nothing of the data after the headers.
ReadResult ReadLayout(const uint8_t* data, size_t size, Dib& layout);
constexpr size_t kLayoutBytes = 14 + 124;

// Reads one complete BMP file image ("BM" header first). RLE images are expanded; the old core
// header, top-down images and bit fields are accepted. A 0 × 0 image reads as an empty Dib.
ReadResult Read(const uint8_t* data, size_t size, Dib& out);

// Reads a bare DIB (BITMAPINFOHEADER or core header, colour table, bits), as found in resources
// and clipboard data.
ReadResult ReadInfo(const uint8_t* data, size_t size, Dib& out);

// Writes a bottom-up file: BitCount ≤ 8 keeps its palette depth, everything else is written as
// 24 bits. Colours round-trip exactly.
std::vector<uint8_t> Write(const Dib& dib);

// A DIB section (top-down) holding the image in its own depth; null for an empty or short Dib.
HBITMAP CreateBitmapFromDib(const Dib& dib);
// Reads a BMP file image straight into a new DIB section of its own depth (no intermediate copy).
// `format` gets the image's layout without its bits. Null with !r.Ok for bad data; null with r.Ok
// for an empty image (format.Empty()) or when no bitmap can be made (the last error says why).
HBITMAP ReadBitmap(const uint8_t* data, size_t size, ReadResult& r, Dib& format);
// The pixels of any bitmap in its own depth; false for a bad handle.
bool DibFromBitmap(HBITMAP bmp, Dib& out);

// Limits of what the reader accepts (and what the GDI creates).
constexpr int kMaxDimension = 32767;
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

}  // namespace xj::bmp
