// Bitmaps and DIBs: pixel formats and their conversions, bitmap creation, DIB sections,
// GetDIBits/SetDIBits and the device-bitmap bit calls.

#include <algorithm>
#include <new>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {
namespace {

constexpr uint64_t kMaxBitmapPixels = uint64_t(1) << 27;
constexpr int kMaxBitmapSide = 65535;

struct Channel {
  int shift { 0 };
  int bits { 0 };
};

Channel ChannelOf(DWORD mask) {
  Channel c;
  if (!mask) return c;
  while (!(mask & 1)) {
    mask >>= 1;
    ++c.shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++c.bits;
  }
  return c;
}

// Widening by rounding and narrowing by truncation undo each other, so 16-bit pixels survive a
// trip through 32 bits unchanged.
inline uint32_t Expand(uint32_t v, int bits) {
  if (bits >= 8) return v >> (bits - 8);
  uint32_t max = (1u << bits) - 1;
  return (v * 255 + max / 2) / max;
}

inline uint32_t Narrow(uint32_t c8, int bits) {
  if (bits >= 8) return c8 << (bits - 8);
  return c8 >> (8 - bits);
}

struct Masks {
  Channel r, g, b;
  explicit Masks(const PixelFormat& f) : r(ChannelOf(f.masks[0])), g(ChannelOf(f.masks[1])), b(ChannelOf(f.masks[2])) {}
  uint32_t Decode(uint32_t v) const {
    auto ch = [&](const Channel& c) {
      uint32_t max = c.bits >= 32 ? 0xFFFFFFFFu : (1u << c.bits) - 1;  // a mask may cover all 32 bits
      return c.bits ? Expand((v >> c.shift) & max, c.bits) : 0u;
    };
    return (ch(r) << 16) | (ch(g) << 8) | ch(b);
  }
  uint32_t Encode(uint32_t p) const {
    auto ch = [](const Channel& c, uint32_t c8) { return c.bits ? Narrow(c8, c.bits) << c.shift : 0u; };
    return ch(r, (p >> 16) & 0xFF) | ch(g, (p >> 8) & 0xFF) | ch(b, p & 0xFF);
  }
};

inline int IndexAt(const uint8_t* row, int x, int bpp) {
  switch (bpp) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default:
      return row[x];
  }
}

inline void SetIndex(uint8_t* row, int x, int bpp, int idx) {
  switch (bpp) {
    case 1: {
      uint8_t bit = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = idx ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = uint8_t((row[x >> 1] & ~(0xF << shift)) | ((idx & 0xF) << shift));
      break;
    }
    default:
      row[x] = uint8_t(idx);
  }
}

const std::vector<uint32_t>& Vga16() {
  static const std::vector<uint32_t> pal {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
  };
  return pal;
}

std::vector<uint32_t> Default256() {
  std::vector<uint32_t> pal = Vga16();
  static const int levels[6] = { 0, 0x33, 0x66, 0x99, 0xCC, 0xFF };
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) pal.push_back(uint32_t(levels[r] << 16 | levels[g] << 8 | levels[b]));
  for (int i = 0; pal.size() < 256; ++i) {
    uint32_t v = uint32_t(8 + i * 10);
    pal.push_back(v << 16 | v << 8 | v);
  }
  return pal;
}

}  // namespace

PixelFormat PixelFormat::Default(int bpp) {
  PixelFormat f;
  f.bpp = bpp;
  switch (bpp) {
    case 1:
      f.palette = { 0x000000, 0xFFFFFF };
      break;
    case 4:
      f.palette = Vga16();
      break;
    case 8:
      f.palette = Default256();
      break;
    case 16:
      f.masks[0] = 0x7C00;
      f.masks[1] = 0x03E0;
      f.masks[2] = 0x001F;
      break;
  }
  return f;
}

int PaletteMatcher::Nearest(uint32_t pixel) {
  pixel &= 0xFFFFFF;
  if (pixel == lastPixel_) return lastIndex_;
  int best = 0;
  long bestDist = -1;
  for (size_t i = 0; i < pal_.size(); ++i) {
    uint32_t q = pal_[i];
    long dr = long((pixel >> 16) & 0xFF) - long((q >> 16) & 0xFF);
    long dg = long((pixel >> 8) & 0xFF) - long((q >> 8) & 0xFF);
    long db = long(pixel & 0xFF) - long(q & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) {
      bestDist = d;
      best = int(i);
      if (d == 0) break;
    }
  }
  lastPixel_ = pixel;
  lastIndex_ = best;
  return best;
}

int StrideFor(int width, int bpp, int align) {
  int bitsAlign = align * 8;
  return int(((int64_t(width) * bpp + bitsAlign - 1) / bitsAlign) * align);
}

namespace {

// Masks are read a byte (eight pixels) at a time between their unaligned ends.
void ReadMonoRow(const uint8_t* row, int x0, int n, uint32_t zero, uint32_t one, uint32_t* out) {
  int i = 0;
  for (; i < n && ((x0 + i) & 7); ++i) out[i] = IndexAt(row, x0 + i, 1) ? one : zero;
  for (; i + 8 <= n; i += 8) {
    const unsigned bits = row[(x0 + i) >> 3];
    for (int k = 0; k < 8; ++k) out[i + k] = (bits >> (7 - k)) & 1 ? one : zero;
  }
  for (; i < n; ++i) out[i] = IndexAt(row, x0 + i, 1) ? one : zero;
}

// One loop per depth: skin pictures and masks are read a piece at a time, often. An index past the
// palette reads as black.
void ReadIndexedRow(const PixelFormat& f, const uint8_t* row, int x0, int n, uint32_t* out) {
  const size_t count = f.palette.size();
  const uint32_t* pal = f.palette.data();
  auto colour = [&](size_t idx) { return idx < count ? pal[idx] : 0u; };
  if (f.bpp == 8) {
    const uint8_t* p = row + x0;
    if (count >= 256)
      for (int i = 0; i < n; ++i) out[i] = pal[p[i]];
    else
      for (int i = 0; i < n; ++i) out[i] = colour(p[i]);
  } else if (f.bpp == 4) {
    for (int i = 0; i < n; ++i) out[i] = colour(size_t(IndexAt(row, x0 + i, 4)));
  } else {
    ReadMonoRow(row, x0, n, colour(0), colour(1), out);
  }
}

void Read16Row(const PixelFormat& f, const uint8_t* row, int x0, int n, uint32_t* out) {
  Masks m(f);
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = row + 2 * (x0 + i);
    out[i] = m.Decode(uint32_t(p[0] | p[1] << 8));
  }
}

void Read24Row(const uint8_t* row, int x0, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = row + 3 * (x0 + i);
    out[i] = uint32_t(p[0] | p[1] << 8 | p[2] << 16);
  }
}

void Read32Row(const PixelFormat& f, const uint8_t* row, int x0, int n, uint32_t* out) {
  if (f.PlainBgrx()) {
    for (int i = 0; i < n; ++i) {
      uint32_t v;
      std::memcpy(&v, row + 4 * (x0 + i), 4);
      out[i] = v & 0xFFFFFF;
    }
    return;
  }
  Masks m(f);
  for (int i = 0; i < n; ++i) {
    uint32_t v;
    std::memcpy(&v, row + 4 * (x0 + i), 4);
    out[i] = m.Decode(v);
  }
}

}  // namespace

void ReadRow(const PixelFormat& f, const uint8_t* row, int x0, int n, uint32_t* out) {
  switch (f.bpp) {
    case 1:
    case 4:
    case 8:
      ReadIndexedRow(f, row, x0, n, out);
      break;
    case 16:
      Read16Row(f, row, x0, n, out);
      break;
    case 24:
      Read24Row(row, x0, n, out);
      break;
    case 32:
      Read32Row(f, row, x0, n, out);
      break;
  }
}

void WriteRow(const PixelFormat& f, uint8_t* row, int x0, int n, const uint32_t* in, PaletteMatcher* m) {
  switch (f.bpp) {
    case 1:
    case 4:
    case 8: {
      PaletteMatcher local(f.palette);
      PaletteMatcher& pm = m ? *m : local;
      for (int i = 0; i < n; ++i) SetIndex(row, x0 + i, f.bpp, pm.Nearest(in[i]));
      break;
    }
    case 16: {
      Masks mk(f);
      for (int i = 0; i < n; ++i) {
        uint32_t v = mk.Encode(in[i]);
        uint8_t* p = row + 2 * (x0 + i);
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
      }
      break;
    }
    case 24:
      for (int i = 0; i < n; ++i) {
        uint8_t* p = row + 3 * (x0 + i);
        p[0] = uint8_t(in[i]);
        p[1] = uint8_t(in[i] >> 8);
        p[2] = uint8_t(in[i] >> 16);
      }
      break;
    case 32: {
      Masks mk(f);
      bool plain = f.PlainBgrx();
      for (int i = 0; i < n; ++i) {
        uint32_t v = plain ? (in[i] & 0xFFFFFF) : mk.Encode(in[i]);
        std::memcpy(row + 4 * (x0 + i), &v, 4);
      }
      break;
    }
  }
}

bool FormatFromInfo(const BITMAPINFO* bmi, UINT usage, PixelFormat& f, int& width, int& height, bool& topDown) {
  if (!bmi || usage != DIB_RGB_COLORS) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == INT32_MIN)
    return false;
  int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  width = h.biWidth;
  height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  topDown = h.biHeight < 0;
  if (width > kMaxBitmapSide || height > kMaxBitmapSide || uint64_t(width) * uint64_t(height) > kMaxBitmapPixels)
    return false;
  f = PixelFormat::Default(bpp);
  const auto* after = reinterpret_cast<const uint8_t*>(bmi) + h.biSize;
  if (h.biCompression == BI_BITFIELDS) {
    if (bpp != 16 && bpp != 32) return false;
    // A V4/V5 header carries the masks inside itself; a plain one has them after it.
    const auto* m = h.biSize >= 52 ? reinterpret_cast<const uint8_t*>(bmi) + 40 : after;
    std::memcpy(f.masks, m, sizeof f.masks);
    if (!f.masks[0] && !f.masks[1] && !f.masks[2]) return false;
  } else if (h.biCompression != BI_RGB) {
    return false;
  }
  if (bpp <= 8) {
    size_t n = h.biClrUsed && h.biClrUsed < (1u << bpp) ? h.biClrUsed : (1u << bpp);
    f.palette.resize(n);
    for (size_t i = 0; i < n; ++i) {
      RGBQUAD q;
      std::memcpy(&q, after + i * sizeof(RGBQUAD), sizeof q);
      f.palette[i] = uint32_t(q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue);
    }
  }
  return true;
}

// ---- Bitmap ----------------------------------------------------------------------------------------
Surface Bitmap::View() {
  if (!Direct()) return Surface { nullptr, width, height, 0 };
  auto* first = reinterpret_cast<uint32_t*>(Row(0));
  return Surface { first, width, height, topDown ? ptrdiff_t(stride / 4) : -ptrdiff_t(stride / 4) };
}

PackedRows Bitmap::Rows() const {
  return PackedRows { &fmt, Row(0), 0, topDown ? ptrdiff_t(stride) : -ptrdiff_t(stride) };
}

void Bitmap::Pull(const RECT& rc) {
  const int w = rc.right - rc.left;
  const size_t n = size_t(w) * size_t(rc.bottom - rc.top);
  if (n > shadowSize) {
    shadow.reset();
    shadow.reset(new uint32_t[n]);
    shadowSize = n;
  }
  for (int y = rc.top; y < rc.bottom; ++y)
    ReadRow(fmt, Row(y), rc.left, w, shadow.get() + size_t(y - rc.top) * size_t(w));
}

void Bitmap::Push(const RECT& rc) {
  const int w = rc.right - rc.left;
  if (fmt.bpp > 8) {
    for (int y = rc.top; y < rc.bottom; ++y)
      WriteRow(fmt, Row(y), rc.left, w, shadow.get() + size_t(y - rc.top) * size_t(w), nullptr);
    return;
  }
  // A pixel whose colour did not change keeps its index, even where the palette repeats a colour.
  PaletteMatcher m(fmt.palette);
  std::vector<uint32_t> before(static_cast<size_t>(w));
  for (int y = rc.top; y < rc.bottom; ++y) {
    uint8_t* row = Row(y);
    const uint32_t* now = shadow.get() + size_t(y - rc.top) * size_t(w);
    ReadRow(fmt, row, rc.left, w, before.data());
    for (int x = rc.left; x < rc.right; ++x) {
      uint32_t c = now[x - rc.left] & 0xFFFFFF;
      if (c != before[size_t(x - rc.left)]) SetIndex(row, x, fmt.bpp, m.Nearest(c));
    }
  }
}

void Bitmap::ReadPixels32(std::vector<uint32_t>& out) const {
  out.resize(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) ReadRow(fmt, Row(y), 0, width, out.data() + size_t(y) * size_t(width));
}

namespace {

// Paints a new bitmap white. A paint makes hundreds of small bitmaps, so the whole block is filled in one
// go wherever white is one value repeated: a word in 32 bits (rows have no padding there), else a byte.
void FillWhite(Bitmap& b) {
  uint8_t* first = b.bits.get();
  if (b.fmt.bpp == 32) {
    uint32_t word = 0;
    WriteRow(b.fmt, reinterpret_cast<uint8_t*>(&word), 0, 1, &kWhite, nullptr);
    FillPixels(reinterpret_cast<uint32_t*>(first), b.width * b.height, word);
    return;
  }
  const size_t stride = size_t(b.stride);
  std::memset(first, 0, stride);
  std::vector<uint32_t> row(size_t(b.width), kWhite);
  WriteRow(b.fmt, first, 0, b.width, row.data(), nullptr);
  if (std::all_of(first, first + stride, [&](uint8_t v) { return v == first[0]; }))
    std::memset(first + stride, first[0], stride * size_t(b.height - 1));
  else
    for (int y = 1; y < b.height; ++y) std::memcpy(first + size_t(y) * stride, first, stride);
}

}  // namespace

Bitmap* NewBitmap(int width, int height, const PixelFormat& fmt, bool dibSection, bool topDown, bool counted,
                  bool white) {
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      uint64_t(width) * uint64_t(height) > kMaxBitmapPixels) {
    SetLastError(width <= 0 || height <= 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto b = std::make_unique<Bitmap>();
  b->width = width;
  b->height = height;
  b->fmt = fmt;
  b->stride = StrideFor(width, fmt.bpp, 4);
  b->topDown = topDown;
  b->dibSection = dibSection;
  b->counted = counted;
  size_t bytes = size_t(b->stride) * size_t(height);
  b->bits.reset(new (std::nothrow) uint8_t[bytes]);
  if (!b->bits) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (white) FillWhite(*b);
  Bitmap* raw = b.get();
  if (!Register(std::move(b))) return nullptr;
  return raw;
}

HBITMAP HandleOf(Bitmap* b) { return b ? static_cast<HBITMAP>(b->handle) : nullptr; }

bool ReadBitmapPixels(HBITMAP bmp, std::vector<uint32_t>& pixels, int& width, int& height) {
  Bitmap* b = Get<Bitmap>(bmp);
  if (!b) return false;
  b->ReadPixels32(pixels);
  width = b->width;
  height = b->height;
  return true;
}

int BitmapBitCount(HBITMAP bmp) {
  Bitmap* b = Get<Bitmap>(bmp);
  return b ? b->fmt.bpp : 0;
}

}  // namespace xj::gdi

using namespace xj::gdi;

namespace {

bool ValidDepth(UINT bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// Copies device-bitmap rows (top-down, padded to 16 bits) into or out of a bitmap.
LONG CopyDdbBits(Bitmap* b, LONG size, uint8_t* out, const uint8_t* in) {
  int ddbStride = StrideFor(b->width, b->fmt.bpp, 2);
  int rowBytes = std::min(ddbStride, b->stride);
  LONG done = 0;
  for (int y = 0; y < b->height && done + ddbStride <= size; ++y) {
    if (out)
      std::memcpy(out + done, b->Row(y), size_t(rowBytes));
    else
      std::memcpy(b->Row(y), in + done, size_t(rowBytes));
    done += ddbStride;
  }
  return done;
}

}  // namespace

HBITMAP WINAPI CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits) {
  if (planes != 1 || !ValidDepth(bpp) || w < 0 || h < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (w == 0 || h == 0) return HandleOf(StockBitmap());
  Bitmap* b = NewBitmap(w, h, PixelFormat::Default(int(bpp)), false, true);
  if (b && bits) CopyDdbBits(b, LONG(StrideFor(w, int(bpp), 2)) * h, nullptr, static_cast<const uint8_t*>(bits));
  return HandleOf(b);
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int w, int h) {
  DC* dc = GetDC(hdc);
  if (!dc) return nullptr;
  if (w < 0 || h < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (w == 0 || h == 0) return HandleOf(StockBitmap());
  // Compatible with a memory DC means compatible with its bitmap: a fresh memory DC is monochrome.
  return HandleOf(NewBitmap(w, h, PixelFormat::Default(dc->Mono() && !dc->display ? 1 : 32), false, true));
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section, DWORD) {
  PixelFormat f;
  int w = 0, h = 0;
  bool topDown = false;
  if (section || !FormatFromInfo(bmi, usage, f, w, h, topDown)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    if (bits) *bits = nullptr;
    return nullptr;
  }
  Bitmap* b = NewBitmap(w, h, f, true, topDown);
  if (bits) *bits = b ? b->bits.get() : nullptr;
  return HandleOf(b);
}

namespace {

void FillInfoFromBitmap(const Bitmap& b, BITMAPINFOHEADER& h) {
  h.biWidth = b.width;
  h.biHeight = b.height;
  h.biPlanes = 1;
  h.biBitCount = WORD(b.fmt.bpp);
  h.biCompression = BI_RGB;
  h.biSizeImage = DWORD(StrideFor(b.width, b.fmt.bpp, 4)) * DWORD(b.height);
  h.biClrUsed = 0;
  h.biClrImportant = 0;
}

void WritePalette(BITMAPINFO* bmi, const std::vector<uint32_t>& pal, int bpp) {
  auto* out = reinterpret_cast<uint8_t*>(bmi) + bmi->bmiHeader.biSize;
  for (size_t i = 0; i < (size_t(1) << bpp); ++i) {
    uint32_t c = i < pal.size() ? pal[i] : 0;
    RGBQUAD q { BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0 };
    std::memcpy(out + i * sizeof q, &q, sizeof q);
  }
}

}  // namespace

int WINAPI GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO bmi, UINT usage) {
  Bitmap* b = Get<Bitmap>(bmp);
  if (!GetDC(hdc) || !b || !bmi || bmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
    if (!b) SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biBitCount == 0) {
    FillInfoFromBitmap(*b, h);
    return bits ? 0 : 1;
  }
  PixelFormat f;
  int w = 0, hgt = 0;
  bool topDown = false;
  if (usage != DIB_RGB_COLORS || !FormatFromInfo(bmi, usage, f, w, hgt, topDown)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The colour table reported is the bitmap's own for its own depth, a default one otherwise.
  if (f.bpp <= 8) {
    f.palette = f.bpp == b->fmt.bpp ? b->fmt.palette : PixelFormat::Default(f.bpp).palette;
    f.palette.resize(size_t(1) << f.bpp, 0);
    WritePalette(bmi, f.palette, f.bpp);
  }
  int stride = StrideFor(w, f.bpp, 4);
  h.biSizeImage = DWORD(stride) * DWORD(hgt);
  if (!bits) return hgt;
  int cols = std::min(w, b->width);
  std::vector<uint32_t> row(static_cast<size_t>(cols));
  PaletteMatcher m(f.palette);
  int copied = 0;
  for (UINT i = start; i < start + lines && int(i) < hgt && int(i) < b->height; ++i) {
    // Scan line i counts from the bottom of a bottom-up DIB, from the top of a top-down one.
    int srcY = topDown ? int(i) : b->height - 1 - int(i);
    uint8_t* out = static_cast<uint8_t*>(bits) + size_t(i - start) * size_t(stride);
    if (f.bpp == b->fmt.bpp && f.bpp <= 8) {
      std::memcpy(out, b->Row(srcY), size_t(std::min(stride, b->stride)));
    } else {
      ReadRow(b->fmt, b->Row(srcY), 0, cols, row.data());
      WriteRow(f, out, 0, cols, row.data(), &m);
    }
    ++copied;
  }
  return copied;
}

int WINAPI SetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage) {
  Bitmap* b = Get<Bitmap>(bmp);
  PixelFormat f;
  int w = 0, h = 0;
  bool topDown = false;
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!bits || !FormatFromInfo(bmi, usage, f, w, h, topDown)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int stride = StrideFor(w, f.bpp, 4);
  int cols = std::min(w, b->width);
  std::vector<uint32_t> row(static_cast<size_t>(cols));
  PaletteMatcher m(b->fmt.palette);
  int copied = 0;
  for (UINT i = start; i < start + lines && int(i) < h; ++i) {
    int dstY = topDown ? int(i) : h - 1 - int(i);
    if (dstY >= b->height) continue;
    const uint8_t* in = static_cast<const uint8_t*>(bits) + size_t(i - start) * size_t(stride);
    ReadRow(f, in, 0, cols, row.data());
    WriteRow(b->fmt, b->Row(dstY), 0, cols, row.data(), &m);
    ++copied;
  }
  return copied;
}

LONG WINAPI GetBitmapBits(HBITMAP bmp, LONG size, LPVOID bits) {
  Bitmap* b = Get<Bitmap>(bmp);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  LONG total = LONG(StrideFor(b->width, b->fmt.bpp, 2)) * b->height;
  if (!bits) return total;
  return CopyDdbBits(b, size, static_cast<uint8_t*>(bits), nullptr);
}

LONG WINAPI SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits) {
  Bitmap* b = Get<Bitmap>(bmp);
  if (!b || !bits) {
    SetLastError(b ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return 0;
  }
  if (b->stock) return 0;
  return CopyDdbBits(b, LONG(std::min<DWORD>(size, 0x7FFFFFFF)), nullptr, static_cast<const uint8_t*>(bits));
}
