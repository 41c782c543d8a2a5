// The effect bitmap. Blends and brightness run in 80-bit extended precision and round halves to even,
// exactly as the skins' fades were tuned: ChangeDarkness(0.3) takes 255 to 179, not 178. The products
// of a fixed factor with the 256 channel values are exact in any order, so they are tabled once per
// call instead of being recomputed per pixel; the result is the same bit for bit.

#include "skin/data/bsEffects.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/vcl/SysUtils.h"
#include "skin/data/bsSkinData.h"

namespace {

inline int RoundExt(Extended V) { return static_cast<int>(std::lrint(V)); }  // halves to even

inline uint8_t ClampByte(int V) { return V < 0 ? 0 : V > 255 ? 255 : static_cast<uint8_t>(V); }

// Factors outside [0, 1] (and NaN) would extrapolate the blend; they are pinned to the nearer end.
inline Extended ClampFactor(double K) {
  if (!(K >= 0)) return 0;
  return K > 1 ? 1 : K;
}

// Round(A * old + B * new), clamped, for one pair of factors. Small jobs compute the products directly,
// larger ones table the 2 x 256 products, the largest the whole 256 x 256 result.
class Mixer {
 public:
  Mixer(Extended A, Extended B, size_t Channels) : FA(A), FB(B) {
    if (Channels < 256) return;
    FProducts = true;
    for (int c = 0; c < 256; ++c) {
      FPa[c] = A * c;
      FPb[c] = B * c;
    }
    if (Channels < 4 * 65536) return;
    FTable = std::make_unique<uint8_t[]>(65536);
    for (int o = 0; o < 256; ++o)
      for (int n = 0; n < 256; ++n) FTable[o << 8 | n] = ClampByte(RoundExt(FPa[o] + FPb[n]));
  }

  void Run(uint8_t* Old, const uint8_t* New, int Count) const {
    if (FTable) {
      const uint8_t* t = FTable.get();
      for (int i = 0; i < Count; ++i) Old[i] = t[Old[i] << 8 | New[i]];
    } else if (FProducts) {
      for (int i = 0; i < Count; ++i) Old[i] = ClampByte(RoundExt(FPa[Old[i]] + FPb[New[i]]));
    } else {
      for (int i = 0; i < Count; ++i) Old[i] = ClampByte(RoundExt(FA * Old[i] + FB * New[i]));
    }
  }

 private:
  Extended FA;
  Extended FB;
  bool FProducts { false };
  Extended FPa[256];
  Extended FPb[256];
  std::unique_ptr<uint8_t[]> FTable;
};

// The factor sequence of a soft edge: 0, Step, 2 Step ... capped at 1, one entry per column or row.
std::vector<Extended> Ramp(int Count, Extended Step) {
  std::vector<Extended> f(static_cast<size_t>(std::max(Count, 0)));
  Extended v = 0;
  for (Extended& e : f) {
    e = v;
    v += Step;
    if (v > 1) v = 1;
  }
  return f;
}

// The per-channel rule Table[c] applied to every channel of every pixel.
void ApplyTable(TbsEffectBmp& B, const uint8_t* Table) {
  for (int y = 0; y < B.Height; ++y) {
    uint8_t* p = B.GetLine(y);
    for (int i = 0; i < 3 * B.Width; ++i) p[i] = Table[p[i]];
  }
}

// Clips the block R of Dest, fed from Src starting at (X, Y), to both pictures. False when nothing is
// left; otherwise R is the clipped block and (X, Y) its source corner.
bool ClipBlock(const TbsEffectBmp& Dest, const TbsEffectBmp& Src, TRect& R, int& X, int& Y) {
  const int64_t dx = int64_t(X) - R.Left, dy = int64_t(Y) - R.Top;
  const int64_t l = std::max<int64_t>({ R.Left, 0, -dx });
  const int64_t t = std::max<int64_t>({ R.Top, 0, -dy });
  const int64_t r = std::min<int64_t>({ R.Right, Dest.Width, Src.Width - dx });
  const int64_t b = std::min<int64_t>({ R.Bottom, Dest.Height, Src.Height - dy });
  if (l >= r || t >= b) return false;
  R = TRect(LONG(l), LONG(t), LONG(r), LONG(b));
  X = int(l + dx);
  Y = int(t + dy);
  return true;
}

}  // namespace

// ---- Life ------------------------------------------------------------------------------------------

TbsEffectBmp::TbsEffectBmp(int AWidth, int AHeight) { Allocate(AWidth, AHeight); }

TbsEffectBmp::TbsEffectBmp(HBITMAP ABitmap) {
  BITMAP bm {};
  if (!ABitmap || GetObjectA(ABitmap, sizeof bm, &bm) == 0) {
    Allocate(0, 0);
    return;
  }
  Allocate(bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight);
  if (Empty()) return;
  // The bitmap is not selected into the DC: GetDIBits reads it wherever it is selected.
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  BITMAPINFO info = Info;  // GetDIBits may fill in the header
  const int rows = GetDIBits(dc, ABitmap, 0, UINT(Height), Bits, &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (rows == 0) {
    DeleteObject(Handle);
    Handle = nullptr;
    throw EInvalidOperation("Cannot read the pixels of the bitmap");
  }
}

TbsEffectBmp::TbsEffectBmp(const TbsEffectBmp& Other) : TObject() {
  Allocate(Other.Width, Other.Height);
  if (Size > 0) std::memcpy(Bits, Other.Bits, size_t(Size));
}

TbsEffectBmp::~TbsEffectBmp() {
  if (Handle) DeleteObject(Handle);
}

void TbsEffectBmp::Allocate(int AWidth, int AHeight) {
  Width = std::max(AWidth, 0);
  Height = std::max(AHeight, 0);
  const int64_t bytes = (3 * int64_t(Width) + Width % 4) * Height;
  if (bytes > INT32_MAX) throw EOutOfMemory(Format("A picture of %d x %d is too large", Width, Height));
  Size = int(bytes);
  Header = BITMAPINFOHEADER {};
  Header.biSize = sizeof(BITMAPINFOHEADER);
  Header.biWidth = Width;
  Header.biHeight = -Height;  // top-down
  Header.biPlanes = 1;
  Header.biBitCount = 24;
  Header.biCompression = BI_RGB;
  Info = BITMAPINFO {};
  Info.bmiHeader = Header;
  if (Empty()) return;
  void* bits = nullptr;
  Handle = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!Handle || !bits) {
    if (Handle) DeleteObject(Handle);
    Handle = nullptr;
    throw EOutOfMemory(Format("Not enough memory for a picture of %d x %d", Width, Height));
  }
  Bits = static_cast<uint8_t*>(bits);
}

// ---- Pixels and rows ----------------------------------------------------------------------------------

void TbsEffectBmp::SetPixel(int X, int Y, uint32_t Color) {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) return;
  uint8_t* p = Row(Y) + 3 * X;
  p[0] = uint8_t(Color);
  p[1] = uint8_t(Color >> 8);
  p[2] = uint8_t(Color >> 16);
}

uint32_t TbsEffectBmp::GetPixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) return 0;
  const uint8_t* p = Row(Y) + 3 * X;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

uint8_t* TbsEffectBmp::GetLine(int Y) const { return Y >= 0 && Y < Height && Width > 0 ? Row(Y) : nullptr; }

void TbsEffectBmp::GetScanLine(int Y, void* Buffer) const {
  if (const uint8_t* p = GetLine(Y); p && Buffer) std::memcpy(Buffer, p, size_t(3) * Width);
}

void TbsEffectBmp::SetLine(int Y, const void* Buffer) {
  if (uint8_t* p = GetLine(Y); p && Buffer) std::memcpy(p, Buffer, size_t(3) * Width);
}

// ---- Output ------------------------------------------------------------------------------------------

void TbsEffectBmp::Draw(HDC DC, int X, int Y) const {
  if (Empty()) return;
  SetDIBitsToDevice(DC, X, Y, DWORD(Width), DWORD(Height), 0, 0, 0, UINT(Height), Bits, &Info, DIB_RGB_COLORS);
}

void TbsEffectBmp::Stretch(HDC DC, int X, int Y, int W, int H) const {
  if (Empty()) return;
  StretchDIBits(DC, X, Y, W, H, 0, 0, Width, Height, Bits, &Info, DIB_RGB_COLORS, SRCCOPY);
}

void TbsEffectBmp::DrawRect(HDC DC, int X, int Y, int SrcX, int SrcY, int W, int H) const {
  if (Empty() || W <= 0 || H <= 0) return;
  const int64_t l = std::max(SrcX, 0), t = std::max(SrcY, 0);
  const int64_t r = std::min<int64_t>(int64_t(SrcX) + W, Width), b = std::min<int64_t>(int64_t(SrcY) + H, Height);
  if (l >= r || t >= b) return;
  SetDIBitsToDevice(DC, int(X + (l - SrcX)), int(Y + (t - SrcY)), DWORD(r - l), DWORD(b - t), int(l), int(t), 0,
                    UINT(Height), Bits, &Info, DIB_RGB_COLORS);
}

void TbsEffectBmp::Resize(TbsEffectBmp& Dest) const {
  if (Empty() || Dest.Empty()) return;
  const Extended xs = Extended(Dest.Width - 1) / Width, ys = Extended(Dest.Height - 1) / Height;
  const int rx = RoundExt(xs), ry = RoundExt(ys);
  for (int y = 0; y < Height; ++y) {
    const int ty = RoundExt(y * ys);
    for (int x = 0; x < Width; ++x) {
      const int tx = RoundExt(x * xs);
      const uint32_t c = GetPixel(x, y);
      for (int j = 0; j <= ry; ++j)
        for (int i = 0; i <= rx; ++i) Dest.SetPixel(tx + i, ty + j, c);
    }
  }
}

// ---- Blocks ------------------------------------------------------------------------------------------

void TbsEffectBmp::CopyRect(const TbsEffectBmp& Other, const TRect& R, int X, int Y) {
  TRect r = R;
  if (!ClipBlock(*this, Other, r, X, Y)) return;
  const size_t n = size_t(3) * size_t(r.Right - r.Left);
  // Within one picture a block moved down is copied from the bottom up, so no row is read after it
  // has been overwritten.
  const bool upwards = &Other == this && Y < r.Top;
  for (int i = 0; i < r.Bottom - r.Top; ++i) {
    const int k = upwards ? r.Bottom - r.Top - 1 - i : i;
    std::memmove(Row(r.Top + k) + 3 * r.Left, Other.Row(Y + k) + 3 * X, n);
  }
}

void TbsEffectBmp::MorphRect(const TbsEffectBmp& Other, double K, const TRect& R, int X, int Y) {
  TRect r = R;
  if (!ClipBlock(*this, Other, r, X, Y)) return;
  const Extended k = ClampFactor(K);
  const int n = 3 * (r.Right - r.Left);
  const Mixer mix(1 - k, k, size_t(n) * size_t(r.Bottom - r.Top));
  if (&Other == this) {
    // The block may overlap itself: blend from a copy of the source rows.
    std::vector<uint8_t> src(static_cast<size_t>(n));
    for (int y = r.Top; y < r.Bottom; ++y) {
      std::memcpy(src.data(), Other.Row(Y + (y - r.Top)) + 3 * X, size_t(n));
      mix.Run(Row(y) + 3 * r.Left, src.data(), n);
    }
    return;
  }
  for (int y = r.Top; y < r.Bottom; ++y) mix.Run(Row(y) + 3 * r.Left, Other.Row(Y + (y - r.Top)) + 3 * X, n);
}

// ---- Transitions -------------------------------------------------------------------------------------

void TbsEffectBmp::Morph(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other)) return;
  const Extended k = ClampFactor(K);
  const Mixer mix(1 - k, k, size_t(3) * Width * Height);
  for (int y = 0; y < Height; ++y) mix.Run(Row(y), Other.Row(y), 3 * Width);
}

void TbsEffectBmp::MorphHGrad(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other)) return;
  const int W = Width;
  const int n = RoundExt(W * ClampFactor(K));
  const int d = (W - n) / 2;
  const Extended step = d == 0 ? Extended(1) : Extended(1) / d;
  const int L = std::max(W / 2 - n / 2, 0);
  const int R = std::min(W / 2 + n / 2, W - 1);
  for (int y = 0; y < Height; ++y) std::memcpy(Row(y) + 3 * L, Other.Row(y) + 3 * L, size_t(3) * (R - L + 1));
  // Soft edges: each column has one factor, the same on every row.
  const std::vector<Extended> left = Ramp(L + 1, step), right = Ramp(W - R, step);
  auto column = [&](int x, Extended f) {
    const Mixer mix(f, 1 - f, size_t(3) * Height);
    for (int y = 0; y < Height; ++y) mix.Run(Row(y) + 3 * x, Other.Row(y) + 3 * x, 3);
  };
  for (int x = L; x >= 0; --x) column(x, left[size_t(L - x)]);
  for (int x = R; x < W; ++x) column(x, right[size_t(x - R)]);
}

void TbsEffectBmp::MorphVGrad(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other)) return;
  const int H = Height;
  const int n = RoundExt(H * ClampFactor(K));
  const int d = (H - 1 - n) / 2;
  const Extended step = d == 0 ? Extended(0) : Extended(1) / d;
  const int T = std::max(H / 2 - n / 2, 0);
  const int B = std::min(H / 2 + n / 2, H - 1);
  for (int y = T; y <= B; ++y) std::memcpy(Row(y), Other.Row(y), size_t(3) * Width);
  const std::vector<Extended> up = Ramp(T + 1, step), down = Ramp(H - B, step);
  auto row = [&](int y, Extended f) {
    const Mixer mix(f, 1 - f, size_t(3) * Width);
    mix.Run(Row(y), Other.Row(y), 3 * Width);
  };
  for (int y = T; y >= 0; --y) row(y, up[size_t(T - y)]);
  for (int y = B; y < H; ++y) row(y, down[size_t(y - B)]);
}

void TbsEffectBmp::MorphGrad(const TbsEffectBmp& Other, double K) {
  if (Width < Height)
    MorphVGrad(Other, K);
  else
    MorphHGrad(Other, K);
}

void TbsEffectBmp::MorphLeftGrad(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other)) return;
  const int n = std::min(std::max(RoundExt(Width * ClampFactor(K)), 1), Width - 1);
  const Extended step = n > 0 ? Extended(1) / n : Extended(1);
  const std::vector<Extended> f = Ramp(n + 1, step);
  for (int x = 0; x <= n; ++x) {
    const Mixer mix(f[size_t(x)], 1 - f[size_t(x)], size_t(3) * Height);
    for (int y = 0; y < Height; ++y) mix.Run(Row(y) + 3 * x, Other.Row(y) + 3 * x, 3);
  }
}

void TbsEffectBmp::MorphRightGrad(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other)) return;
  const int s = std::min(std::max(Width - RoundExt(Width * ClampFactor(K)), 0), Width - 1);
  const int m = Width - s;
  const Extended step = m > 0 ? Extended(1) / m : Extended(1);
  const std::vector<Extended> f = Ramp(m, step);
  for (int x = Width - 1; x >= s; --x) {
    const Extended fx = f[size_t(Width - 1 - x)];
    const Mixer mix(fx, 1 - fx, size_t(3) * Height);
    for (int y = 0; y < Height; ++y) mix.Run(Row(y) + 3 * x, Other.Row(y) + 3 * x, 3);
  }
}

void TbsEffectBmp::MorphBy(const TbsEffectBmp& Other, TbsMorphKind Kind, double K) {
  switch (Kind) {
    case mkGradient:
      return MorphGrad(Other, K);
    case mkLeftGradient:
      return MorphLeftGrad(Other, K);
    case mkRightGradient:
      return MorphRightGrad(Other, K);
    case mkLeftSlide:
      return MorphLeftSlide(Other, K);
    case mkRightSlide:
      return MorphRightSlide(Other, K);
    case mkPush:
      return MorphPush(Other, K);
    default:
      return Morph(Other, K);
  }
}

// The pushes and slides move whole runs of a row: 0 <= n < Width, so every run below stays inside it.
void TbsEffectBmp::MorphPush(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other) || Empty()) return;
  const int W = Width;
  const int n = std::min(std::max(RoundExt(W * ClampFactor(K)), 0), W - 1);
  const size_t moved = size_t(3) * size_t(W - n - 1), entering = size_t(3) * size_t(n + 1);
  for (int y = 0; y < Height; ++y) {
    uint8_t* p = Row(y);
    // The old row moves right by n + 1 columns; the last n + 1 columns of the new one enter at the left.
    std::memmove(p + entering, p, moved);
    std::memcpy(p, Other.Row(y) + moved, entering);
  }
}

void TbsEffectBmp::MorphLeftSlide(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other) || Empty()) return;
  const int W = Width;
  const int n = std::min(std::max(RoundExt(W * ClampFactor(K)), 1), W - 1);
  // Columns 0 .. n - 1 become the new picture's last n columns.
  for (int y = 0; y < Height; ++y) std::memcpy(Row(y), Other.Row(y) + 3 * (W - n), size_t(3) * size_t(n));
}

void TbsEffectBmp::MorphRightSlide(const TbsEffectBmp& Other, double K) {
  if (!SameSize(Other) || Empty()) return;
  const int W = Width;
  const int n = std::min(std::max(RoundExt(W * ClampFactor(K)), 1), W - 1);
  // The last n columns become the new picture's first n columns.
  for (int y = 0; y < Height; ++y) std::memcpy(Row(y) + 3 * (W - n), Other.Row(y), size_t(3) * size_t(n));
}

// ---- Colour effects ------------------------------------------------------------------------------------

void TbsEffectBmp::ChangeBrightness(double K) {
  const Extended k = ClampFactor(K);
  uint8_t t[256];
  for (int c = 0; c < 256; ++c) t[c] = ClampByte(RoundExt((1 - k) * c + 255 * k));
  ApplyTable(*this, t);
}

void TbsEffectBmp::ChangeDarkness(double K) {
  const Extended k = ClampFactor(K);
  uint8_t t[256];
  for (int c = 0; c < 256; ++c) t[c] = ClampByte(RoundExt((1 - k) * c));
  ApplyTable(*this, t);
}

void TbsEffectBmp::Invert() {
  uint8_t t[256];
  for (int c = 0; c < 256; ++c) t[c] = uint8_t(255 - c);
  ApplyTable(*this, t);
}

void TbsEffectBmp::GrayScale() {
  Extended wr[256], wg[256], wb[256];
  for (int c = 0; c < 256; ++c) {
    wr[c] = 0.3L * c;
    wg[c] = 0.59L * c;
    wb[c] = 0.11L * c;
  }
  for (int y = 0; y < Height; ++y) {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width; ++x, p += 3) {
      const uint8_t g = ClampByte(RoundExt(wr[p[2]] + wg[p[1]] + wb[p[0]]));
      p[0] = p[1] = p[2] = g;
    }
  }
}

void TbsEffectBmp::AddMonoNoise(int Amount) {
  if (Amount < 0) return;
  for (int y = 0; y < Height; ++y) {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width; ++x, p += 3) {
      const int offset = Random(Amount) - Amount / 2;
      for (int c = 0; c < 3; ++c) p[c] = ClampByte(p[c] + offset);
    }
  }
}

void TbsEffectBmp::AddColorNoise(int Amount) {
  if (Amount < 0) return;
  for (int y = 0; y < Height; ++y) {
    uint8_t* p = Row(y);
    for (int x = 0; x < Width; ++x, p += 3)
      for (int c = 2; c >= 0; --c) p[c] = ClampByte(p[c] + Random(Amount) - Amount / 2);  // red first
  }
}

void TbsEffectBmp::SplitBlur(int Amount) {
  if (Amount == 0 || Empty()) return;
  // A sample that would fall outside the picture is taken from the pixel's own row or column.
  auto inside = [](int v, int limit, int own) { return v >= 0 && v < limit ? v : own; };
  for (int y = 0; y < Height; ++y) {
    const uint8_t* up = Row(inside(y - Amount, Height, y));
    const uint8_t* down = Row(inside(y + Amount, Height, y));
    uint8_t* p = Row(y);
    for (int x = 0; x < Width; ++x) {
      const int l = 3 * inside(x - Amount, Width, x), r = 3 * inside(x + Amount, Width, x);
      for (int c = 0; c < 3; ++c) p[3 * x + c] = uint8_t((up[l + c] + down[l + c] + up[r + c] + down[r + c]) >> 2);
    }
  }
}

void TbsEffectBmp::Mosaic(int ASize) {
  if (ASize <= 1 || Empty()) return;
  const size_t rowBytes = size_t(3) * size_t(Width);
  for (int by = 0; by < Height; by += ASize) {
    // The block row's first row takes each block's corner colour; the rows below copy it.
    uint8_t* first = Row(by);
    for (int bx = 0; bx < Width; bx += ASize) {
      const uint8_t b = first[3 * bx], g = first[3 * bx + 1], r = first[3 * bx + 2];
      uint8_t* p = first + 3 * bx;
      for (int x = bx, ex = std::min(bx + ASize, Width); x < ex; ++x, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
    }
    for (int y = by + 1, ey = std::min(by + ASize, Height); y < ey; ++y) std::memcpy(Row(y), first, rowBytes);
  }
}

// ---- Rotations -----------------------------------------------------------------------------------------

void TbsEffectBmp::Rotate90_1(TbsEffectBmp& Dest) const { Rotate(Dest, false); }

void TbsEffectBmp::Rotate90_2(TbsEffectBmp& Dest) const { Rotate(Dest, true); }

void TbsEffectBmp::Rotate(TbsEffectBmp& Dest, bool Clockwise) const {
  if (Empty() || Dest.Width != Height || Dest.Height != Width) return;
  if (&Dest == this) {
    // A square picture turned into itself: read from a copy.
    const TbsEffectBmp copy(*this);
    copy.Rotate(Dest, Clockwise);
    return;
  }
  // Source row y becomes destination column Height - 1 - y (clockwise, read downwards) or column y
  // (read upwards); the sizes were checked above, so no pixel needs a bounds test.
  const int first = Clockwise ? 0 : Width - 1, step = Clockwise ? 1 : -1;
  for (int y = 0; y < Height; ++y) {
    const uint8_t* src = Row(y);
    const int column = 3 * (Clockwise ? Height - 1 - y : y);
    for (int x = 0; x < Width; ++x, src += 3) {
      uint8_t* d = Dest.Row(first + step * x) + column;
      d[0] = src[0];
      d[1] = src[1];
      d[2] = src[2];
    }
  }
}
