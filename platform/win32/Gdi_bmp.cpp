// The BMP codec: every header variant, depth and compression of the format in, bottom-up 24-bit
// or palette files out. Sizes are checked against the bytes present before anything is allocated.

#include <algorithm>

#include "platform/win32/BmpCodec.h"
#include "platform/win32/Gdi_private.h"

namespace xj::bmp {

// The fields of an info header that the reader uses.
struct Header {
  int width { 0 };
  int height { 0 };
  bool topDown { false };
  int bpp { 0 };
  DWORD compression { BI_RGB };
  DWORD sizeImage { 0 };
  DWORD clrUsed { 0 };
  DWORD masks[3] { 0, 0, 0 };
  bool core { false };
  size_t tableOffset { 0 };  // colour table (after the header and any external masks)
};

namespace {

constexpr DWORD kAlphaBitfields = 6;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

const char* const kTooLarge = "image too large";

ReadResult Fail(const char* why) {
  ReadResult r;
  r.Error = why;
  return r;
}

// Why the header at `off` is refused, with the image's size when that is the reason.
ReadResult FailHeader(const char* why, const Header& h) {
  ReadResult r = Fail(why);
  if (why == kTooLarge) {
    r.TooLarge = true;
    r.Width = h.width;
    r.Height = h.height;
  }
  return r;
}

void ReadCoreHeader(const uint8_t* p, size_t off, Header& h) {
  h.core = true;
  h.width = U16(p + 4);
  h.height = U16(p + 6);
  h.bpp = U16(p + 10);
  h.tableOffset = off + 12;
}

// An info header of hsize bytes (bit-field masks after it when it is a plain one); says why not.
const char* ReadInfoHeader(const uint8_t* d, size_t size, size_t off, uint32_t hsize, Header& h) {
  const uint8_t* p = d + off;
  int32_t w = int32_t(U32(p + 4)), ht = int32_t(U32(p + 8));
  if (w < 0 || ht == INT32_MIN) return "bad dimensions";
  h.width = w;
  h.topDown = ht < 0;
  h.height = ht < 0 ? -ht : ht;
  h.bpp = U16(p + 14);
  h.compression = U32(p + 16);
  h.sizeImage = U32(p + 20);
  h.clrUsed = U32(p + 32);
  h.tableOffset = off + hsize;
  if (h.compression == BI_BITFIELDS || h.compression == kAlphaBitfields) {
    size_t at = off + 40;
    if (hsize < 52) {
      // Masks follow a plain header.
      size_t n = h.compression == kAlphaBitfields ? 16 : 12;
      if (size < h.tableOffset + n) return "truncated masks";
      h.tableOffset += n;
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(d + at + 4 * size_t(i));
  }
  return nullptr;
}

// Why the depth and compression do not go together, or nullptr.
const char* CheckFormat(const Header& h) {
  switch (h.bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return "unsupported bit depth";
  }
  switch (h.compression) {
    case BI_RGB:
      return nullptr;
    case BI_RLE8:
      return h.bpp != 8 || h.topDown ? "bad RLE8 image" : nullptr;
    case BI_RLE4:
      return h.bpp != 4 || h.topDown ? "bad RLE4 image" : nullptr;
    case BI_BITFIELDS:
    case kAlphaBitfields:
      if (h.bpp != 16 && h.bpp != 32) return "bit fields need 16 or 32 bits";
      if (!h.masks[0] && !h.masks[1] && !h.masks[2]) return "empty bit fields";
      return nullptr;
    default:
      return "unsupported compression";
  }
}

// Parses the info header at `off`; fills h or says why not.
const char* ParseHeader(const uint8_t* d, size_t size, size_t off, Header& h) {
  if (size < off + 4) return "truncated header";
  uint32_t hsize = U32(d + off);
  if (hsize != 12 && hsize != 40 && hsize != 52 && hsize != 56 && hsize != 64 && hsize != 108 && hsize != 124)
    return "unknown header size";
  if (size < off + hsize) return "truncated header";
  if (hsize == 12)
    ReadCoreHeader(d + off, off, h);
  else if (const char* why = ReadInfoHeader(d, size, off, hsize, h))
    return why;
  if (const char* why = CheckFormat(h)) return why;
  if (h.width > kMaxDimension || h.height > kMaxDimension || uint64_t(h.width) * uint64_t(h.height) > kMaxPixels)
    return kTooLarge;
  return nullptr;
}

// Expands RLE data into top-down rows of the image's depth; false when the data runs out of bounds.
bool DecodeRle(const uint8_t* s, size_t n, const Dib& h, uint8_t* bits) {
  const int stride = h.Stride();
  const int bpp = h.BitCount;
  auto set = [&](int x, int y, int v) {
    if (x < 0 || x >= h.Width || y < 0 || y >= h.Height) return;
    uint8_t* row = bits + size_t(h.Height - 1 - y) * size_t(stride);
    if (bpp == 8) {
      row[x] = uint8_t(v);
    } else {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = uint8_t((row[x >> 1] & ~(0xF << shift)) | ((v & 0xF) << shift));
    }
  };
  int x = 0, y = 0;
  size_t i = 0;
  while (i + 1 < n && y < h.Height) {
    int count = s[i], value = s[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k, ++x) set(x, y, bpp == 8 ? value : (k % 2 ? value & 0xF : value >> 4));
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (i + 1 >= n) return false;
      x += s[i];
      y += s[i + 1];
      i += 2;
    } else {
      size_t bytes = bpp == 8 ? size_t(value) : (size_t(value) + 1) / 2;
      if (i + bytes > n) return false;
      for (int k = 0; k < value; ++k, ++x)
        set(x, y, bpp == 8 ? s[i + size_t(k)] : (k % 2 ? s[i + size_t(k / 2)] & 0xF : s[i + size_t(k / 2)] >> 4));
      i += (bytes + 1) & ~size_t(1);
    }
  }
  return true;
}

}  // namespace

// Reads the colour table and checks that the pixels are present; bitsOffset 0 means "right after the
// table". Nothing is decoded yet.
ReadResult Decoder::OpenBody(const uint8_t* d, size_t size, const Header& h, size_t bitsOffset) {
  FFormat = Dib {};
  FData = d;
  FCompression = h.compression;
  FTopDown = h.topDown;
  if (h.width == 0 || h.height == 0) {
    ReadResult r;
    r.Ok = true;
    r.Consumed = std::max(h.tableOffset, bitsOffset);
    return r;
  }
  size_t entry = h.core ? 3 : 4;
  // A true-colour image may carry an optional table, which is skipped.
  size_t colours = h.bpp <= 8 ? (h.clrUsed && h.clrUsed < (1u << h.bpp) ? h.clrUsed : (size_t(1) << h.bpp))
                              : std::min<size_t>(h.clrUsed, 256);
  if (size < h.tableOffset + colours * entry) return Fail("truncated colour table");
  for (size_t i = 0; i < colours && h.bpp <= 8; ++i) {
    const uint8_t* q = d + h.tableOffset + i * entry;
    FFormat.Palette.push_back(RGBQUAD { q[0], q[1], q[2], 0 });
  }
  FBits = bitsOffset ? bitsOffset : h.tableOffset + colours * entry;
  if (FBits > size) return Fail("pixel data outside the file");
  FFormat.Width = h.width;
  FFormat.Height = h.height;
  FFormat.BitCount = h.bpp;
  if (h.compression == BI_BITFIELDS || h.compression == kAlphaBitfields) std::copy(h.masks, h.masks + 3, FFormat.Masks);
  const size_t stride = size_t(FFormat.Stride());
  ReadResult r;
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    FCount = h.sizeImage && h.sizeImage <= size - FBits ? h.sizeImage : size - FBits;
    // Runs can describe many pixels in few bytes; a tiny file may not claim a huge image.
    if (uint64_t(h.width) * uint64_t(h.height) > 4096 * (uint64_t(FCount) + 1))
      return Fail("image too large for its data");
    r.Consumed = FBits + FCount;
  } else {
    const size_t rowBytes = (size_t(h.width) * size_t(h.bpp) + 7) / 8;
    const size_t need = stride * size_t(h.height - 1) + rowBytes;  // the last row's padding may be missing
    if (size - FBits < need) return Fail("truncated pixel data");
    FCount = need;
    r.Consumed = FBits + std::min(stride * size_t(h.height), size - FBits);
  }
  r.Ok = true;
  return r;
}

namespace {

// The file header and the info header after it; fills h or says why not.
ReadResult ParseFileHeader(const uint8_t* data, size_t size, Header& h) {
  if (!data || size < 14 || data[0] != 'B' || data[1] != 'M') return Fail("not a BMP file");
  if (const char* why = ParseHeader(data, size, 14, h)) return FailHeader(why, h);
  ReadResult r;
  r.Ok = true;
  return r;
}

}  // namespace

ReadResult ReadLayout(const uint8_t* data, size_t size, Dib& layout) {
  layout = Dib {};
  Header h;
  ReadResult r = ParseFileHeader(data, size, h);
  if (!r.Ok) return r;
  layout.Width = h.width;
  layout.Height = h.height;
  layout.BitCount = h.bpp;
  if (h.compression == BI_BITFIELDS || h.compression == kAlphaBitfields) std::copy(h.masks, h.masks + 3, layout.Masks);
  return r;
}

ReadResult Decoder::Open(const uint8_t* data, size_t size) {
  Header h;
  if (ReadResult r = ParseFileHeader(data, size, h); !r.Ok) return r;
  uint32_t fileSize = U32(data + 2), offBits = U32(data + 10);
  if (offBits && (offBits < 14 || offBits > size)) return Fail("pixel data outside the file");
  ReadResult r = OpenBody(data, size, h, offBits);
  if (!r.Ok) return r;
  // The image occupies bfSize bytes when that is sensible (a stream reads exactly one image).
  if (fileSize >= r.Consumed && fileSize <= size) r.Consumed = fileSize;
  return r;
}

ReadResult Decoder::OpenInfo(const uint8_t* data, size_t size) {
  if (!data) return Fail("no data");
  Header h;
  if (const char* why = ParseHeader(data, size, 0, h)) return FailHeader(why, h);
  return OpenBody(data, size, h, 0);
}

bool Decoder::Decode(uint8_t* bits) const {
  if (FFormat.Empty()) return true;
  const int height = FFormat.Height;
  const size_t stride = size_t(FFormat.Stride());
  const uint8_t* src = FData + FBits;
  if (FCompression == BI_RLE8 || FCompression == BI_RLE4) {
    // Pixels the runs skip stay 0.
    std::memset(bits, 0, stride * size_t(height));
    return DecodeRle(src, FCount, FFormat, bits);
  }
  // Rows are copied without their padding (the last one may lack it), which is written as 0.
  const size_t rowBytes = (size_t(FFormat.Width) * size_t(FFormat.BitCount) + 7) / 8;
  for (int y = 0; y < height; ++y) {
    const int from = FTopDown ? y : height - 1 - y;
    uint8_t* row = bits + size_t(y) * stride;
    std::memcpy(row, src + size_t(from) * stride, rowBytes);
    std::memset(row + rowBytes, 0, stride - rowBytes);
  }
  return true;
}

namespace {

// The whole read into out.Bits.
ReadResult ReadAll(Decoder& decoder, ReadResult r, Dib& out) {
  out = Dib {};
  if (!r.Ok) return r;
  out = decoder.Format();
  out.Bits.resize(size_t(out.Stride()) * size_t(std::max(out.Height, 0)));
  if (!decoder.Decode(out.Bits.data())) {
    out = Dib {};
    return Fail("corrupt RLE data");
  }
  return r;
}

}  // namespace

ReadResult Read(const uint8_t* data, size_t size, Dib& out) {
  Decoder decoder;
  return ReadAll(decoder, decoder.Open(data, size), out);
}

ReadResult ReadInfo(const uint8_t* data, size_t size, Dib& out) {
  Decoder decoder;
  return ReadAll(decoder, decoder.OpenInfo(data, size), out);
}

std::vector<uint8_t> Write(const Dib& dib) {
  bool empty = dib.Empty() || dib.Bits.size() < size_t(dib.Stride()) * size_t(std::max(dib.Height, 0));
  bool paletted = !empty && dib.BitCount <= 8;
  int bpp = empty ? 24 : paletted ? dib.BitCount : 24;
  int w = empty ? 0 : dib.Width, h = empty ? 0 : dib.Height;
  std::vector<RGBQUAD> palette;
  if (paletted) {
    palette = dib.Palette;
    palette.resize(std::min(palette.size(), size_t(1) << bpp));
    if (palette.empty()) palette.push_back(RGBQUAD { 0, 0, 0, 0 });
  }
  int stride = RowBytes(w, bpp);
  uint32_t offBits = 14 + 40 + uint32_t(palette.size()) * 4;
  uint32_t imageSize = uint32_t(stride) * uint32_t(h);
  std::vector<uint8_t> v;
  v.reserve(offBits + imageSize);
  v.push_back('B');
  v.push_back('M');
  Put32(v, offBits + imageSize);
  Put32(v, 0);
  Put32(v, offBits);
  Put32(v, 40);
  Put32(v, uint32_t(w));
  Put32(v, uint32_t(h));
  Put16(v, 1);
  Put16(v, uint16_t(bpp));
  Put32(v, BI_RGB);
  Put32(v, imageSize);
  Put32(v, 3780);  // 96 dpi
  Put32(v, 3780);
  Put32(v, paletted && palette.size() < (size_t(1) << bpp) ? uint32_t(palette.size()) : 0);
  Put32(v, 0);
  for (const RGBQUAD& q : palette) {
    v.push_back(q.rgbBlue);
    v.push_back(q.rgbGreen);
    v.push_back(q.rgbRed);
    v.push_back(0);
  }
  if (empty) return v;
  xj::gdi::PixelFormat f = xj::gdi::PixelFormat::Default(dib.BitCount);
  if (dib.Masks[0] || dib.Masks[1] || dib.Masks[2]) std::copy(dib.Masks, dib.Masks + 3, f.masks);
  std::vector<uint32_t> px(static_cast<size_t>(w));
  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* src = dib.Bits.data() + size_t(y) * size_t(dib.Stride());
    if (paletted) {
      std::memcpy(row.data(), src, size_t(stride));
    } else {
      xj::gdi::ReadRow(f, src, 0, w, px.data());
      for (int x = 0; x < w; ++x) {
        row[size_t(3 * x)] = uint8_t(px[size_t(x)]);
        row[size_t(3 * x + 1)] = uint8_t(px[size_t(x)] >> 8);
        row[size_t(3 * x + 2)] = uint8_t(px[size_t(x)] >> 16);
      }
    }
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

namespace {

// A top-down DIB section in the Dib's layout with its pixels not yet written: every caller overwrites
// them all, so the white a new bitmap gets would be wasted.
xj::gdi::Bitmap* NewSection(const Dib& dib) {
  xj::gdi::PixelFormat f = xj::gdi::PixelFormat::Default(dib.BitCount);
  if (dib.Masks[0] || dib.Masks[1] || dib.Masks[2]) std::copy(dib.Masks, dib.Masks + 3, f.masks);
  if (dib.BitCount <= 8) {
    // An image without a colour table gets one black entry.
    const size_t n = std::min(dib.Palette.size(), size_t(1) << dib.BitCount);
    f.palette.assign(std::max<size_t>(n, 1), 0);
    for (size_t i = 0; i < n; ++i) {
      const RGBQUAD& q = dib.Palette[i];
      f.palette[i] = uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
    }
  }
  return xj::gdi::NewBitmap(dib.Width, dib.Height, f, true, true, true, false);
}

}  // namespace

HBITMAP CreateBitmapFromDib(const Dib& dib) {
  if (dib.Empty() || dib.Bits.size() < size_t(dib.Stride()) * size_t(dib.Height)) return nullptr;
  xj::gdi::Bitmap* b = NewSection(dib);
  if (b) std::memcpy(b->bits.get(), dib.Bits.data(), size_t(dib.Stride()) * size_t(dib.Height));
  return xj::gdi::HandleOf(b);
}

HBITMAP ReadBitmap(const uint8_t* data, size_t size, ReadResult& r, Dib& format) {
  Decoder decoder;
  r = decoder.Open(data, size);
  format = decoder.Format();
  if (!r.Ok || format.Empty()) return nullptr;
  xj::gdi::Bitmap* b = NewSection(format);
  if (!b) return nullptr;
  if (!decoder.Decode(b->bits.get())) {
    DeleteObject(xj::gdi::HandleOf(b));
    r = Fail("corrupt RLE data");
    return nullptr;
  }
  return xj::gdi::HandleOf(b);
}

bool DibFromBitmap(HBITMAP bmp, Dib& out) {
  auto* b = xj::gdi::Get<xj::gdi::Bitmap>(bmp);
  if (!b) return false;
  out = Dib {};
  out.Width = b->width;
  out.Height = b->height;
  out.BitCount = b->fmt.bpp;
  if (b->fmt.bpp <= 8)
    for (uint32_t c : b->fmt.palette) out.Palette.push_back(RGBQUAD { BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0 });
  bool defaults = b->fmt.bpp == 32 ? b->fmt.PlainBgrx()
                                   : b->fmt.masks[0] == 0x7C00 && b->fmt.masks[1] == 0x3E0 && b->fmt.masks[2] == 0x1F;
  if ((b->fmt.bpp == 16 || b->fmt.bpp == 32) && !defaults) std::copy(b->fmt.masks, b->fmt.masks + 3, out.Masks);
  int stride = out.Stride();
  out.Bits.resize(size_t(stride) * size_t(out.Height));
  for (int y = 0; y < out.Height; ++y)
    std::memcpy(out.Bits.data() + size_t(y) * size_t(stride), b->Row(y), size_t(stride));
  return true;
}

}  // namespace xj::bmp
