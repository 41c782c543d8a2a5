// TBitmap: a top-down DIB section in the bitmap's own pixel format, its canvas, its mask and its
// BMP streams (through the GDI's codec).

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/vcl/Graphics.h"
#include "platform/win32/BmpCodec.h"
#include "platform/win32/GdiInternal.h"
#include "platform/vcl/Graphics_private.h"
#include "platform/win32/WinGdi_user.h"

XJ_PUBLISHED(TBitmap);

// The canvas of a bitmap: a memory DC with the bitmap selected, made when first drawn on and released
// whenever the bitmap's handle changes or is handed out.
class TBitmapCanvas : public TCanvas {
  XJ_CLASS(TBitmapCanvas, TCanvas)
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!FDC) return;
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(FDC);
    FDC = nullptr;
  }

 protected:
  void CreateHandle() override {
    FDC = CreateCompatibleDC(nullptr);
    if (!FDC) throw EOutOfResources("Out of system resources");
    if (FBitmap->FHandle) FOldBitmap = SelectObject(FDC, FBitmap->FHandle);
    SetHandle(FDC);
  }

 private:
  TBitmap* FBitmap;
  HDC FDC { nullptr };
  HGDIOBJ FOldBitmap { nullptr };
};

namespace {

const char* const SInvalidBitmap = "Bitmap image is not valid";

// The layout of a DIB: depth, palette (≤ 8 bits) and channel masks (16 bits; all 0 = 5-5-5).
struct TDibFormat {
  int BitCount { 32 };
  std::vector<RGBQUAD> Palette;
  DWORD Masks[3] { 0, 0, 0 };
};

// A BITMAPINFO with room for a full colour table, zeroed. On the stack: bitmaps are made at every paint,
// and a heap block of this size makes the allocator tidy all its small free blocks each time.
struct TInfoBuffer {
  alignas(BITMAPINFO) uint8_t Bytes[sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)] {};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(Bytes); }
};

RGBQUAD Quad(uint32_t Pixel) { return RGBQUAD { BYTE(Pixel), BYTE(Pixel >> 8), BYTE(Pixel >> 16), 0 }; }

// The GDI's palette for a depth it converts into (its answer to GetDIBits at that depth).
std::vector<RGBQUAD> DefaultPalette(int BitCount) {
  if (BitCount == 1) return { Quad(0), Quad(0xFFFFFF) };
  TInfoBuffer info;
  BITMAPINFO* bi = info.Get();
  bi->bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), 1, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
  void* bits = nullptr;
  HBITMAP probe = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  bi->bmiHeader.biBitCount = WORD(BitCount);
  uint32_t out[2] {};
  GetDIBits(dc, probe, 0, 1, out, bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  DeleteObject(probe);
  return std::vector<RGBQUAD>(bi->bmiColors, bi->bmiColors + (size_t(1) << BitCount));
}

const std::vector<RGBQUAD>& CachedPalette(int BitCount) {
  static const std::vector<RGBQUAD> p1 = DefaultPalette(1), p4 = DefaultPalette(4), p8 = DefaultPalette(8);
  return BitCount == 1 ? p1 : BitCount == 4 ? p4 : p8;
}

TDibFormat FormatFor(TPixelFormat Format) {
  TDibFormat f;
  switch (Format) {
    case pf1bit:
      f.BitCount = 1;
      break;
    case pf4bit:
      f.BitCount = 4;
      break;
    case pf8bit:
      f.BitCount = 8;
      break;
    case pf15bit:
      f.BitCount = 16;
      break;
    case pf16bit:
      f.BitCount = 16;
      f.Masks[0] = 0xF800;
      f.Masks[1] = 0x07E0;
      f.Masks[2] = 0x001F;
      break;
    case pf24bit:
      f.BitCount = 24;
      break;
    default:
      f.BitCount = 32;
      break;
  }
  if (f.BitCount <= 8) f.Palette = CachedPalette(f.BitCount);
  return f;
}

// 24 or 32 bits of B, G, R from the low byte: no masks (Masks null or all 0) or exactly those.
bool PlainChannels(int BitCount, const DWORD* Masks) {
  if (BitCount != 24 && BitCount != 32) return false;
  return !Masks || (Masks[0] | Masks[1] | Masks[2]) == 0 ||
         (Masks[0] == 0xFF0000 && Masks[1] == 0xFF00 && Masks[2] == 0xFF);
}

TPixelFormat PixelFormatOf(int BitCount, const DWORD* Masks) {
  switch (BitCount) {
    case 1:
      return pf1bit;
    case 4:
      return pf4bit;
    case 8:
      return pf8bit;
    case 16:
      if (Masks[0] == 0xF800 && Masks[1] == 0x07E0 && Masks[2] == 0x001F) return pf16bit;
      if ((Masks[0] | Masks[1] | Masks[2]) == 0 || (Masks[0] == 0x7C00 && Masks[1] == 0x03E0 && Masks[2] == 0x001F))
        return pf15bit;
      return pfCustom;
    case 24:
      return pf24bit;
    default:
      return pf32bit;
  }
}

// A white top-down DIB section (new GDI bitmaps are born white); Bits, when given, receives its memory.
HBITMAP CreateSection(const TDibFormat& Fmt, int Width, int Height, uint8_t** Bits = nullptr) {
  TInfoBuffer info;
  BITMAPINFO* bi = info.Get();
  bi->bmiHeader =
      BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), Width, -Height, 1, WORD(Fmt.BitCount), BI_RGB, 0, 0, 0, 0, 0 };
  RGBQUAD* table = bi->bmiColors;
  if (Fmt.Masks[0] | Fmt.Masks[1] | Fmt.Masks[2]) {
    bi->bmiHeader.biCompression = BI_BITFIELDS;
    std::memcpy(table, Fmt.Masks, sizeof Fmt.Masks);
  } else if (Fmt.BitCount <= 8) {
    const size_t n = std::min(Fmt.Palette.size(), size_t(1) << Fmt.BitCount);
    bi->bmiHeader.biClrUsed = DWORD(n);
    std::copy_n(Fmt.Palette.begin(), n, table);
  }
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) throw EOutOfResources(Format("Out of system resources (a %d x %d bitmap)", Width, Height));
  if (Bits) *Bits = static_cast<uint8_t*>(bits);
  return h;
}

// The format of a bitmap handle (a DIB section or a device bitmap).
TDibFormat FormatOf(HBITMAP Handle) {
  TDibFormat f;
  DIBSECTION ds {};
  if (GetObjectA(Handle, sizeof ds, &ds) == sizeof ds) {
    f.BitCount = ds.dsBm.bmBitsPixel;
    if (ds.dsBmih.biCompression == BI_BITFIELDS) std::copy_n(ds.dsBitfields, 3, f.Masks);
  } else {
    BITMAP bm {};
    GetObjectA(Handle, sizeof bm, &bm);
    f.BitCount = bm.bmBitsPixel;
  }
  if (f.BitCount <= 8) {
    // The bitmap's own colour table: GetDIBits at the bitmap's own depth reports it.
    TInfoBuffer info;
    BITMAPINFO* bi = info.Get();
    bi->bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), 1, -1, 1, WORD(f.BitCount), BI_RGB, 0, 0, 0, 0, 0 };
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, Handle, 0, 0, nullptr, bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    f.Palette.assign(bi->bmiColors, bi->bmiColors + (size_t(1) << f.BitCount));
  }
  return f;
}

// Copies the first Bits bits of a row, leaving the rest of the destination's last byte alone.
void CopyRowBits(uint8_t* Dst, const uint8_t* Src, size_t Bits) {
  std::memcpy(Dst, Src, Bits / 8);
  if (const size_t rest = Bits % 8) {
    const uint8_t keep = uint8_t(0xFF >> rest);
    Dst[Bits / 8] = uint8_t((Dst[Bits / 8] & keep) | (Src[Bits / 8] & ~keep));
  }
}

uint32_t PixelOf(TColor Color) {
  const auto c = static_cast<uint32_t>(ColorToRGB(Color));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A black-and-white bitmap: 1 (white) where the pixel equals Key, 0 elsewhere.
HBITMAP MaskOf(HBITMAP Source, uint32_t Key) {
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  if (!xj::vcl::ReadBitmapBits(Source, px, w, h)) return nullptr;
  HBITMAP mask = CreateSection(FormatFor(pf1bit), w, h);
  DIBSECTION ds {};
  GetObjectA(mask, sizeof ds, &ds);
  auto* bits = static_cast<uint8_t*>(ds.dsBm.bmBits);
  const size_t stride = size_t(ds.dsBm.bmWidthBytes);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bits + size_t(y) * stride;
    std::memset(row, 0, stride);
    const uint32_t* src = px.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x)
      if ((src[x] & 0xFFFFFF) == Key) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
  return mask;
}

}  // namespace

bool xj::vcl::ReadBitmapBits(HBITMAP Bitmap, std::vector<uint32_t>& Pixels, int& Width, int& Height) {
  BITMAP bm {};
  if (!Bitmap || GetObjectA(Bitmap, sizeof bm, &bm) != sizeof bm) return false;
  BITMAPINFO info {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Pixels.assign(size_t(bm.bmWidth) * size_t(bm.bmHeight), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, Bitmap, 0, UINT(bm.bmHeight), Pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  Width = bm.bmWidth;
  Height = bm.bmHeight;
  return lines == bm.bmHeight;
}

// ---- Life and image -----------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  FreeMask();
  if (FHandle) DeleteObject(FHandle);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChanging = TNotifyEvent(this, &TBitmap::CanvasChanging);
    FCanvas->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return FCanvas.get();
}

void TBitmap::CanvasChanging(TObject*) {}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::Changed(TObject* Sender) {
  FreeMask();
  TGraphic::Changed(Sender);
}

void TBitmap::FreeContext() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::FreeMask() {
  if (FMaskHandle) DeleteObject(FMaskHandle);
  FMaskHandle = nullptr;
}

// Replaces the image by Handle (owned from now on), which may be null for an empty bitmap.
void TBitmap::NewImage(HBITMAP Handle, TPixelFormat Format) {
  TakeImage(Handle, Format);
  if (!Handle) return;
  DIBSECTION ds {};
  if (GetObjectA(Handle, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
    FWidth = ds.dsBm.bmWidth;
    FHeight = ds.dsBm.bmHeight;
    FStride = ds.dsBm.bmWidthBytes;
    FBits = static_cast<uint8_t*>(ds.dsBm.bmBits);
    FBitCount = ds.dsBm.bmBitsPixel;
    FPlain = PlainChannels(FBitCount, ds.dsBmih.biCompression == BI_BITFIELDS ? ds.dsBitfields : nullptr);
    // Bottom-up memory: row 0 is the last in memory, and rows step backwards.
    if (ds.dsBmih.biHeight > 0) {
      FBits += ptrdiff_t(FStride) * (FHeight - 1);
      FStride = -FStride;
    }
  } else {
    BITMAP bm {};
    GetObjectA(Handle, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
  }
}

void TBitmap::TakeImage(HBITMAP Handle, TPixelFormat Format) {
  FreeContext();
  FreeMask();
  if (FHandle && FHandle != Handle) DeleteObject(FHandle);
  FHandle = Handle;
  FBits = nullptr;
  FStride = 0;
  FBitCount = 0;
  FPlain = false;
  FPixelFormat = Format;
}

// Replaces the image by a top-down section just made, whose layout is known without asking the GDI: a
// bitmap is made at every paint.
void TBitmap::NewSection(HBITMAP Handle, TPixelFormat Format, uint8_t* Bits, int Width, int Height, int Stride,
                         int BitCount, bool Plain) {
  TakeImage(Handle, Format);
  FBits = Bits;
  FBitCount = BitCount;
  FPlain = Plain;
  FWidth = Width;
  FHeight = Height;
  FStride = Stride;
}

// A device bitmap handed in from outside becomes a DIB section of its own depth.
void TBitmap::DIBNeeded() {
  if (!FHandle || FBits) return;
  xj::bmp::Dib dib;
  if (!xj::bmp::DibFromBitmap(FHandle, dib)) throw EInvalidGraphic(SInvalidBitmap);
  HBITMAP dibHandle = xj::bmp::CreateBitmapFromDib(dib);
  if (!dibHandle) throw EOutOfResources("Out of system resources");
  NewImage(dibHandle, FPixelFormat == pfDevice ? pfDevice : PixelFormatOf(dib.BitCount, dib.Masks));
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    NewImage(nullptr, FPixelFormat);
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  auto* b = dynamic_cast<TBitmap*>(Source);
  if (!b) {
    TGraphic::Assign(Source);
    return;
  }
  HBITMAP copy = nullptr;
  if (b->FHandle) {
    xj::bmp::Dib dib;
    if (!xj::bmp::DibFromBitmap(b->FHandle, dib)) throw EInvalidGraphic(SInvalidBitmap);
    copy = xj::bmp::CreateBitmapFromDib(dib);
    if (!copy) throw EOutOfResources("Out of system resources");
  }
  NewImage(copy, b->FPixelFormat);
  FWidth = b->FWidth;
  FHeight = b->FHeight;
  FTransparent = b->FTransparent;
  FTransparentColor = b->FTransparentColor;
  FTransparentMode = b->FTransparentMode;
  Changed(this);
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  TPixelFormat format = pfDevice;
  if (Value) {
    DIBSECTION ds {};
    if (GetObjectA(Value, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
      const TDibFormat f = FormatOf(Value);
      format = PixelFormatOf(f.BitCount, f.Masks);
    }
  }
  NewImage(Value, format);
  if (!Value) FWidth = FHeight = 0;
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  FreeMask();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FStride = 0;
  FWidth = FHeight = 0;
  return h;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (AWidth == 0 || AHeight == 0) {
    NewImage(nullptr, FPixelFormat);
    FWidth = AWidth;
    FHeight = AHeight;
    Changed(this);
    return;
  }
  DIBNeeded();
  TDibFormat f = FHandle ? FormatOf(FHandle) : FormatFor(FPixelFormat);
  uint8_t* dst = nullptr;
  HBITMAP fresh = CreateSection(f, AWidth, AHeight, &dst);
  const int stride = xj::bmp::RowBytes(AWidth, f.BitCount);
  if (FBits) {
    const int rows = std::min(FHeight, AHeight);
    const size_t bits = size_t(std::min(FWidth, AWidth)) * size_t(f.BitCount);
    for (int y = 0; y < rows; ++y) CopyRowBits(dst + size_t(y) * size_t(stride), FBits + ptrdiff_t(y) * FStride, bits);
  }
  NewSection(fresh, FPixelFormat, dst, AWidth, AHeight, stride, f.BitCount, PlainChannels(f.BitCount, f.Masks));
  Changed(this);
}

// ---- Pixel formats ------------------------------------------------------------------------------------

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat || Value == pfCustom) return;
  if (Empty()) {
    FPixelFormat = Value;
    Changed(this);
    return;
  }
  DIBNeeded();
  const TDibFormat f = FormatFor(Value);
  HBITMAP fresh = nullptr;
  if (f.BitCount == 1) {
    // Colour to monochrome: white stays white (1), every other colour becomes black.
    fresh = MaskOf(FHandle, 0xFFFFFF);
  } else {
    fresh = CreateSection(f, FWidth, FHeight);
    TInfoBuffer info;
    BITMAPINFO* bi = info.Get();
    bi->bmiHeader =
        BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), FWidth, -FHeight, 1, WORD(f.BitCount), BI_RGB, 0, 0, 0, 0, 0 };
    if (f.Masks[0]) {
      bi->bmiHeader.biCompression = BI_BITFIELDS;
      std::memcpy(bi->bmiColors, f.Masks, sizeof f.Masks);
    }
    DIBSECTION ds {};
    GetObjectA(fresh, sizeof ds, &ds);
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, FHandle, 0, UINT(FHeight), ds.dsBm.bmBits, bi, DIB_RGB_COLORS);
    DeleteDC(dc);
  }
  if (!fresh) throw EOutOfResources("Out of system resources");
  NewImage(fresh, Value);
  Changed(this);
}

bool TBitmap::Monochrome() const {
  if (!FHandle) return FPixelFormat == pf1bit;
  const TDibFormat f = FormatOf(FHandle);
  if (f.BitCount != 1) return false;
  auto same = [](const RGBQUAD& a, uint32_t rgb) {
    return a.rgbRed == (rgb >> 16 & 0xFF) && a.rgbGreen == (rgb >> 8 & 0xFF) && a.rgbBlue == (rgb & 0xFF);
  };
  return f.Palette.size() < 2 || (same(f.Palette[0], 0) && same(f.Palette[1], 0xFFFFFF));
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  if (Value) {
    // A one-bit bitmap with other colours is converted too.
    if (FPixelFormat == pf1bit) FPixelFormat = pfCustom;
    SetPixelFormat(pf1bit);
  } else {
    SetPixelFormat(pfDevice);
  }
}

void* TBitmap::ScanLine(int Row) {
  if (Row < 0 || Row >= FHeight || Empty()) throw EInvalidGraphicOperation("Scan line index out of range");
  DIBNeeded();
  FreeMask();
  return FBits + ptrdiff_t(Row) * FStride;
}

bool TBitmap::RowsView(TRowsView& Out) {
  if (Empty() || !FBits) return false;
  FreeMask();
  Out = TRowsView { FBits, FHeight > 1 ? ptrdiff_t(FStride) : 0, FBitCount, FPlain };
  return true;
}

// ---- Transparency and masks ---------------------------------------------------------------------------

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  if (Monochrome()) return clWhite;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

HBITMAP TBitmap::MaskHandle() {
  const TColor key = TransparentColor();
  if (FMaskHandle && key == FMaskColor) return FMaskHandle;
  FreeMask();
  if (Empty()) return nullptr;
  DIBNeeded();
  FMaskHandle = MaskOf(FHandle, PixelOf(key));
  FMaskColor = key;
  return FMaskHandle;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
  HBITMAP h = MaskHandle();
  FMaskHandle = nullptr;
  return h;
}

void TBitmap::Mask(TColor TransparentColor) {
  if (Empty()) return;
  DIBNeeded();
  HBITMAP mask = MaskOf(FHandle, PixelOf(TransparentColor));
  if (!mask) throw EOutOfResources("Out of system resources");
  NewImage(mask, pf1bit);
  Changed(this);
}

void TBitmap::Dormant() {
  FreeContext();
  FreeMask();
}

void TBitmap::FreeImage() { FreeMask(); }

// ---- Drawing ------------------------------------------------------------------------------------------

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC dst = ACanvas->TargetHandle();
  const int w = Rect.Width(), h = Rect.Height();
  const DWORD rop = static_cast<DWORD>(ACanvas->CopyMode());
  HDC src = Canvas()->SourceHandle();
  if (!FTransparent) {
    StretchBlt(dst, Rect.Left, Rect.Top, w, h, src, 0, 0, FWidth, FHeight, rop);
    return;
  }
  // Pixels of the transparent colour (mask 1) keep the destination; the others are copied.
  constexpr DWORD kKeep = 0x00AA0029;
  HBITMAP mask = MaskHandle();
  if (w == FWidth && h == FHeight) {
    MaskBlt(dst, Rect.Left, Rect.Top, w, h, src, 0, 0, mask, 0, 0, MAKEROP4(kKeep, SRCCOPY));
    return;
  }
  if (w == 0 || h == 0) return;
  const int aw = Abs(w), ah = Abs(h);
  HDC tmpDC = CreateCompatibleDC(nullptr);
  HBITMAP image = CreateSection(FormatFor(pf32bit), aw, ah);
  HBITMAP stretchedMask = CreateSection(FormatFor(pf1bit), aw, ah);
  HGDIOBJ old = SelectObject(tmpDC, image);
  StretchBlt(tmpDC, 0, 0, aw, ah, src, 0, 0, FWidth, FHeight, SRCCOPY);
  HDC maskDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMaskSrc = SelectObject(maskDC, mask);
  HDC maskDst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMaskDst = SelectObject(maskDst, stretchedMask);
  StretchBlt(maskDst, 0, 0, aw, ah, maskDC, 0, 0, FWidth, FHeight, SRCCOPY);
  SelectObject(maskDst, oldMaskDst);
  SelectObject(maskDC, oldMaskSrc);
  DeleteDC(maskDst);
  DeleteDC(maskDC);
  MaskBlt(dst, std::min(Rect.Left, Rect.Right), std::min(Rect.Top, Rect.Bottom), aw, ah, tmpDC, 0, 0, stretchedMask, 0,
          0, MAKEROP4(kKeep, SRCCOPY));
  SelectObject(tmpDC, old);
  DeleteDC(tmpDC);
  DeleteObject(image);
  DeleteObject(stretchedMask);
}

// ---- Streams and resources ----------------------------------------------------------------------------

namespace {

// Decodes the BMP file image at the stream's position, found within the next Limit bytes (all present),
// once and straight into a new DIB section. A memory stream is decoded where it lies; any other is read
// once. Consumed says how long the image is; the stream's position is the caller's to set.
// Why data is no bitmap, naming the kind of picture it is where that is a common one: a PNG or JPEG file
// renamed .bmp should not read as a damaged bitmap.
AnsiString InvalidBitmapText(const uint8_t* Bytes, size_t Size) {
  const std::string_view head(reinterpret_cast<const char*>(Bytes), std::min<size_t>(Size, 8));
  const char* kind = head.starts_with("\x89PNG\r\n\x1A\n") ? "a PNG image"
                     : head.starts_with("\xFF\xD8\xFF")    ? "a JPEG image"
                     : head.starts_with("GIF8")            ? "a GIF image"
                                                           : nullptr;
  if (!kind) return SInvalidBitmap;
  return Format("%s: the data is %s, not a Windows bitmap", AnsiString(SInvalidBitmap), AnsiString(kind));
}

HBITMAP DecodeImage(TStream* Stream, int64_t Limit, xj::bmp::Dib& Layout, int64_t& Consumed) {
  std::unique_ptr<uint8_t[]> buffer;
  const uint8_t* bytes = nullptr;
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(Stream)) {
    bytes = static_cast<const uint8_t*>(memory->Memory()) + memory->Position();
  } else {
    buffer.reset(new uint8_t[size_t(Limit)]);  // overwritten at once: no zero fill
    Stream->ReadBuffer(buffer.get(), static_cast<int>(Limit));
    bytes = buffer.get();
  }
  xj::bmp::ReadResult r;
  HBITMAP h = xj::bmp::ReadBitmap(bytes, size_t(Limit), r, Layout);
  if (r.TooLarge)
    throw EInvalidGraphic(Format("The picture is too large: %d x %d pixels (at most %d a side and %d in all)", r.Width,
                                 r.Height, xj::bmp::kMaxDimension, int64_t(xj::bmp::kMaxPixels)));
  if (!r.Ok) throw EInvalidGraphic(InvalidBitmapText(bytes, size_t(Limit)));
  if (!h && !Layout.Empty())
    throw EOutOfResources(Format("Out of system resources (a %d x %d bitmap)", Layout.Width, Layout.Height));
  Consumed = int64_t(r.Consumed);
  return h;
}

}  // namespace

// Exactly Size bytes of the stream hold the image. The length comes from outside (a form's binary
// property): it must fit in what the stream still holds before anything is allocated for it.
void TBitmap::ReadStream(TStream* Stream, int64_t Size) {
  const int64_t start = Stream->Position();
  if (Size < 0 || Size > INT32_MAX || Size > Stream->Size() - start) throw EInvalidGraphic(SInvalidBitmap);
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  xj::bmp::Dib format;
  int64_t consumed = 0;
  HBITMAP h = DecodeImage(Stream, Size, format, consumed);
  Stream->SetPosition(start + Size);
  NewImage(h, h ? PixelFormatOf(format.BitCount, format.Masks) : pfDevice);
  if (!h) FWidth = FHeight = 0;
  Changed(this);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  // One image from here: the file header's size says where it ends.
  const int64_t start = Stream->Position();
  const int64_t available = Stream->Size() - start;
  if (available < 14) throw EInvalidGraphic(SInvalidBitmap);
  xj::bmp::Dib format;
  int64_t consumed = 0;
  HBITMAP h = nullptr;
  try {
    h = DecodeImage(Stream, std::min<int64_t>(available, INT32_MAX), format, consumed);
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + consumed);
  NewImage(h, h ? PixelFormatOf(format.BitCount, format.Masks) : pfDevice);
  if (!h) FWidth = FHeight = 0;
  Changed(this);
}

void TBitmap::SaveToStream(TStream* Stream) {
  xj::bmp::Dib dib;
  if (FHandle && !xj::bmp::DibFromBitmap(FHandle, dib)) throw EInvalidGraphic(SInvalidBitmap);
  const std::vector<uint8_t> bytes = xj::bmp::Write(dib);
  Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TBitmap::ReadData(TStream* Stream) {
  int32_t size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  ReadStream(Stream, size);
}

void TBitmap::WriteData(TStream* Stream) {
  TMemoryStream image;
  SaveToStream(&image);
  const int32_t size = static_cast<int32_t>(image.Size());
  Stream->WriteBuffer(&size, sizeof size);
  Stream->WriteBuffer(image.Memory(), size);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName) {
  HBITMAP h = LoadBitmapA(Instance, ResName.c_str());
  if (!h) throw EInvalidGraphic(Format("Resource %s not found", ResName));
  SetHandle(h);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HBITMAP h = LoadBitmapA(Instance, MAKEINTRESOURCEA(ResID));
  if (!h) throw EInvalidGraphic(Format("Resource %d not found", ResID));
  SetHandle(h);
}
