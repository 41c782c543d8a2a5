// Face, mask and region builders. Faces are rebuilt on every resize, so pieces go straight into the
// pixel memory whenever the destination is a plain 24- or 32-bit image, the source a plain or palette
// image and the copy one to one; the canvas (and its stretching) is used otherwise. Both ways give the
// same pixels.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/win32/ShortMove.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// The ten geometry arguments.
struct TNineSlice {
  TPoint LT, RT, LB, RB;
  TRect Cl;
  TPoint NLT, NRT, NLB, NRB;
  TRect NCl;
};

// A picture's pixel memory when it is a plain 24- or 32-bit image, or (with Indexed) a 1-, 4- or 8-bit
// palette image.
struct TPixels {
  uint8_t* Base { nullptr };
  ptrdiff_t Stride { 0 };
  int Bytes { 0 };  // per pixel; 0: not plain
  int Width { 0 };
  int Height { 0 };
  int X0 { 0 };  // the picture coordinates of Base
  int Y0 { 0 };
  int Bits { 0 };                // per pixel of a palette image (Bytes is 0 then)
  std::vector<uint32_t> Colour;  // a palette image's pixel value per index, all 2^Bits of them

  uint8_t* At(int64_t X, int64_t Y) const { return Base + Stride * (Y - Y0) + (X - X0) * Bytes; }
  uint8_t* RowAt(int64_t Y) const { return Base + Stride * (Y - Y0); }
};

// As the drawing layer does: R, G, B in the pixel's three low bytes.
uint32_t PixelOf(COLORREF C) { return uint32_t(GetRValue(C)) << 16 | uint32_t(GetGValue(C)) << 8 | GetBValue(C); }

TPixels PixelsOf(TBitmap* B, bool Indexed = false) {
  TPixels p;
  if (!B || B->Empty()) return p;
  // Faces copy hundreds of pieces a paint, each between two such pictures: their rows are read as the
  // bitmap knows them, and only a palette image asks the GDI for its colour table.
  TBitmap::TRowsView rows;
  if (B->RowsView(rows)) {
    if (rows.Plain) {
      p.Bytes = rows.BitCount / 8;
      p.Width = B->Width();
      p.Height = B->Height();
      p.Base = rows.Base;
      p.Stride = rows.Stride;
      return p;
    }
    if (!Indexed) return p;  // neither plain pixels nor a palette image read through its table
  }
  DIBSECTION ds {};
  HBITMAP handle = B->Handle();
  if (GetObjectA(handle, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) return p;
  const int bpp = ds.dsBm.bmBitsPixel;
  const bool plainMasks =
      ds.dsBmih.biCompression == BI_RGB || (ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[0] == 0xFF0000 &&
                                            ds.dsBitfields[1] == 0xFF00 && ds.dsBitfields[2] == 0xFF);
  const bool palette = Indexed && (bpp == 1 || bpp == 4 || bpp == 8) && ds.dsBmih.biCompression == BI_RGB;
  if (!((bpp == 24 || bpp == 32) && plainMasks) && !palette) return p;
  if (palette) {
    // The bitmap's colour table, as reading it at its own depth reports it: all 2^bpp entries, those past
    // the table black.
    struct {
      BITMAPINFOHEADER Header;
      RGBQUAD Table[256];
    } info {};
    info.Header = BITMAPINFOHEADER {
      sizeof(BITMAPINFOHEADER), ds.dsBm.bmWidth, -ds.dsBm.bmHeight, 1, WORD(bpp), BI_RGB, 0, 0, 0, 0, 0
    };
    HDC dc = CreateCompatibleDC(nullptr);
    const int got = GetDIBits(dc, handle, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteDC(dc);
    if (got <= 0) return p;
    p.Colour.resize(size_t(1) << bpp);
    for (size_t i = 0; i < p.Colour.size(); ++i)
      p.Colour[i] = PixelOf(RGB(info.Table[i].rgbRed, info.Table[i].rgbGreen, info.Table[i].rgbBlue));
    p.Bits = bpp;
  } else {
    p.Bytes = bpp / 8;
  }
  p.Width = B->Width();
  p.Height = B->Height();
  p.Base = static_cast<uint8_t*>(B->ScanLine(0));
  p.Stride = p.Height > 1 ? static_cast<uint8_t*>(B->ScanLine(1)) - p.Base : 0;
  return p;
}

#if defined(__x86_64__) || defined(__i386__)
// 24-bit pixels widened to 32 bits four at a time by one byte shuffle, on processors that have it: the
// pixels of N done (all of them, or none of a run shorter than six), their count returned. Sixteen bytes
// are read for twelve, so the loads stop short of the row's end; the last pixels are taken four at a time
// again, the very last four from the sixteen bytes that end the row: pixels written twice get the same
// value twice.
__attribute__((target("ssse3"))) void WidenFour(uint8_t* D, const uint8_t* S, __m128i Order) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(D),
                   _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(S)), Order));
}

__attribute__((target("ssse3"))) int WidenByShuffle(uint8_t* D, const uint8_t* S, int N) {
  if (N < 6) return 0;
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int i = 0;
  for (; i + 6 <= N; i += 4) WidenFour(D + 4 * i, S + 3 * i, order);
  if (N - i > 4) WidenFour(D + 4 * (N - 8), S + 3 * (N - 8), order);
  const __m128i last = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  WidenFour(D + 4 * (N - 4), S + 3 * N - 16, last);
  return N;
}

int Widen(uint8_t* D, const uint8_t* S, int N) {
  static const bool shuffle = __builtin_cpu_supports("ssse3");
  return shuffle ? WidenByShuffle(D, S, N) : 0;
}
#else
int Widen(uint8_t*, const uint8_t*, int) { return 0; }
#endif

inline void CopyPixels(uint8_t* D, int DBytes, const uint8_t* S, int SBytes, int N) {
  if (DBytes == SBytes) {
    const size_t bytes = size_t(N) * size_t(DBytes);
    if (bytes <= 32)
      xj::MoveShort(D, S, bytes);
    else
      std::memmove(D, S, bytes);
  } else if (DBytes == 4) {
    // Faces are mostly this copy: shuffled where the processor can, else four pixels from twelve bytes
    // at a time, then four bytes read at a time but the last pixel's, which may end the row.
    int i = Widen(D, S, N);
    D += size_t(i) * 4;
    S += size_t(i) * 3;
    for (; i + 4 <= N; i += 4, D += 16, S += 12) {
      uint64_t a;
      uint32_t b;
      std::memcpy(&a, S, 8);
      std::memcpy(&b, S + 8, 4);
      const uint64_t lo = (a & 0xFFFFFF) | (a >> 24 & 0xFFFFFF) << 32;
      const uint64_t hi = (a >> 48 | uint64_t(b & 0xFF) << 16) | uint64_t(b >> 8) << 32;
      std::memcpy(D, &lo, 8);
      std::memcpy(D + 8, &hi, 8);
    }
    for (; i + 1 < N; ++i, D += 4, S += 3) {
      uint32_t v;
      std::memcpy(&v, S, 4);
      v &= 0xFFFFFF;
      std::memcpy(D, &v, 4);
    }
    if (i < N) {
      D[0] = S[0];
      D[1] = S[1];
      D[2] = S[2];
      D[3] = 0;
    }
  } else {
    for (int i = 0; i < N; ++i, D += 3, S += 4) std::memcpy(D, S, 3);
  }
}

// N pixels of a palette image's row from pixel X on, as their values.
inline void ReadIndexed(const TPixels& From, const uint8_t* Row, int64_t X, int N, uint32_t* Out) {
  const uint32_t* colour = From.Colour.data();
  switch (From.Bits) {
    case 8:
      for (int i = 0; i < N; ++i) Out[i] = colour[Row[X + i]];
      break;
    case 4:
      for (int i = 0; i < N; ++i) {
        const int64_t x = X + i;
        Out[i] = colour[(Row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
      }
      break;
    default: {
      // A byte (eight pixels) at a time between the unaligned ends.
      auto bit = [&](int64_t x) { return colour[(Row[x >> 3] >> (7 - (x & 7))) & 1]; };
      int i = 0;
      for (; i < N && ((X + i) & 7); ++i) Out[i] = bit(X + i);
      for (; i + 8 <= N; i += 8) {
        const unsigned byte = Row[(X + i) >> 3];
        for (int k = 0; k < 8; ++k) Out[i + k] = colour[(byte >> (7 - k)) & 1];
      }
      for (; i < N; ++i) Out[i] = bit(X + i);
      break;
    }
  }
}

// A source area widened (or narrowed) to a destination's depth.
struct TWidened {
  std::unique_ptr<uint8_t[]> Store;
  TPixels View;  // Store's pixels, at the area's picture coordinates
  TRect Area;
};

// Copies pieces of Src, given relative to the object's rectangle Area, into Dest. The rectangles must not
// be empty; a source and destination of different sizes stretch. With OwnsDest only the copier draws on
// Dest while it lives, unless told (OthersDraw) before each time something else does.
class TPieceCopier {
 public:
  TPieceCopier(TBitmap* Dest, TBitmap* Src, const TRect& Area, bool OwnsDest = false)
      : FDest(Dest), FSrc(Src), FOrigin(Area.TopLeft()), FArea(Area) {
    if (Dest == Src || Dest->Canvas()->CopyMode() != cmSrcCopy) return;
    FOwnsDest = OwnsDest;
    FD = PixelsOf(Dest);
    if (!FD.Bytes) return;
    FS = PixelsOf(Src, true);
    if (FS.Bits == 1) {
      // A monochrome picture copied onto colour takes the destination's text colour for its black and
      // its background colour for every other colour, as the block copy does.
      const uint32_t fore = PixelOf(COLORREF(ColorToRGB(Dest->Canvas()->Font()->Color())));
      const uint32_t back = PixelOf(COLORREF(ColorToRGB(Dest->Canvas()->Brush()->Color())));
      for (uint32_t& c : FS.Colour) c = c ? back : fore;
    }
  }
  TPieceCopier(const TPieceCopier&) = delete;
  TPieceCopier& operator=(const TPieceCopier&) = delete;

  // Something other than the copier draws on Dest next: what landed there may not stay as it was.
  void OthersDraw() { FTile0 = {}; }

  // Pieces starting at or past these are not seen: the limits of a band's tiles.
  int DestWidth() const { return FDest->Width(); }
  int DestHeight() const { return FDest->Height(); }

  void Copy(const TRect& Dst, const TRect& Src) {
    if (Dst.Right <= Dst.Left || Dst.Bottom <= Dst.Top || Src.Right <= Src.Left || Src.Bottom <= Src.Top) return;
    const TRect s(Src.Left + FOrigin.X, Src.Top + FOrigin.Y, Src.Right + FOrigin.X, Src.Bottom + FOrigin.Y);
    if (FD.Bytes && Dst.Width() == s.Width() && Dst.Height() == s.Height()) {
      if (const TPixels* whole = Converted(s)) {
        FTile0 = {};
        Direct(Dst, s, FWholeArea.Right, FWholeArea.Bottom, *whole);
        return;
      }
      const bool widened = FS.Bytes && FS.Bytes != FD.Bytes;
      if (widened && Again(Dst, s)) return;
      if (FS.Bits) {
        if (const TPixels* tile = Tile(s)) {
          FTile0 = {};
          Direct(Dst, s, FTileRect.Right, FTileRect.Bottom, *tile);
          return;
        }
      }
      if (FS.Bytes || FS.Bits) {
        FTile0 = widened && FOwnsDest && Lands(Dst, s) ? TPlaced { Dst, s } : TPlaced {};
        Direct(Dst, s, FS.Width, FS.Height, FS);
        return;
      }
    }
    OthersDraw();
    FDest->Canvas()->CopyRect(Dst, FSrc->Canvas(), s);
  }

 private:
  // A band's tiles and a client's repeat one piece: where Dest already holds the whole of a piece copied
  // from the same corner of the source (a tile cut short is its top-left part), it is copied from there at
  // Dest's depth rather than read and converted again. Only while the copier alone draws on Dest, and never
  // onto the piece it copies from. A source area converted whole is read instead: its rows lie close
  // together, where a tile's rows in a wide destination lie a row apart.
  bool Again(const TRect& Dst, const TRect& Src) {
    const TRect& from = FTile0.Src;
    if (from.Right <= from.Left || Src.Left != from.Left || Src.Top != from.Top || Src.Right > from.Right ||
        Src.Bottom > from.Bottom)
      return false;
    const TRect& at = FTile0.Dst;
    if (Dst.Left < at.Right && at.Left < Dst.Right && Dst.Top < at.Bottom && at.Top < Dst.Bottom) return false;
    TPixels landed = FD;
    landed.Base = FD.At(at.Left, at.Top);
    landed.X0 = from.Left;
    landed.Y0 = from.Top;
    Direct(Dst, Src, from.Right, from.Bottom, landed);
    return true;
  }

  // Whether all of a piece of the source lands on Dest: none of it is clipped off either picture.
  bool Lands(const TRect& Dst, const TRect& Src) const {
    return Src.Left >= 0 && Src.Top >= 0 && Src.Right <= FS.Width && Src.Bottom <= FS.Height && Dst.Left >= 0 &&
           Dst.Top >= 0 && Dst.Right <= FD.Width && Dst.Bottom <= FD.Height;
  }

  // One to one from From (which holds the source's pixels wherever they are read), clipped to a source
  // picture of SW x SH and to Dest like the block copy: what falls outside either is skipped.
  void Direct(const TRect& Dst, const TRect& Src, int SW, int SH, const TPixels& From) {
    const int64_t dx = int64_t(Dst.Left) - Src.Left, dy = int64_t(Dst.Top) - Src.Top;
    const int64_t l = std::max<int64_t>({ Src.Left, 0, -dx }), r = std::min<int64_t>({ Src.Right, SW, FD.Width - dx });
    const int64_t t = std::max<int64_t>({ Src.Top, 0, -dy }), b = std::min<int64_t>({ Src.Bottom, SH, FD.Height - dy });
    if (l >= r || t >= b) return;
    uint8_t* d = FD.At(l + dx, t + dy);
    if (From.Bits) {
      // Straight into a 32-bit destination (its rows are aligned to four bytes); through a row otherwise.
      std::vector<uint32_t> row(FD.Bytes != 4 ? size_t(r - l) : 0);
      for (int64_t y = t; y < b; ++y, d += FD.Stride) {
        uint32_t* out = FD.Bytes == 4 ? reinterpret_cast<uint32_t*>(d) : row.data();
        ReadIndexed(From, From.RowAt(y), l - From.X0, int(r - l), out);
        if (FD.Bytes != 4) CopyPixels(d, FD.Bytes, reinterpret_cast<const uint8_t*>(out), 4, int(r - l));
      }
      return;
    }
    const uint8_t* f = From.At(l, t);
    if (FD.Bytes == From.Bytes) {
      xj::MoveRows(d, FD.Stride, f, From.Stride, b - t, size_t(r - l) * size_t(FD.Bytes));
      return;
    }
    for (int64_t y = t; y < b; ++y, d += FD.Stride, f += From.Stride)
      CopyPixels(d, FD.Bytes, f, From.Bytes, int(r - l));
  }

  // A source of another depth, or of a format only the canvas reads (16 bits, colour masks), is
  // converted with every piece. Once the pieces have cost as much as converting the object's whole
  // rectangle would (a face tiles the same few pixels many times), the rectangle is converted once to
  // the destination's depth and later pieces inside it are copied from there; a border of a few pieces
  // never gets that far. Palette pictures are read by index as they are copied. Null: convert this
  // piece as it is copied.
  const TPixels* Converted(const TRect& Need) {
    if (FWholeArea.Right > FWholeArea.Left) return Inside(Need, FWholeArea) ? &FWhole : nullptr;
    if (FGaveUp || FS.Bits || FS.Bytes == FD.Bytes || FSrc->Empty()) return nullptr;
    const TRect area = SourceArea();
    if (area.Right <= area.Left || area.Bottom <= area.Top) return nullptr;
    FPiecePixels += int64_t(RectWidth(Need)) * RectHeight(Need);
    if (FPiecePixels <= int64_t(RectWidth(area)) * RectHeight(area)) return nullptr;
    if (FS.Bytes) {
      Use(Widened(area));
      return Inside(Need, FWholeArea) ? &FWhole : nullptr;
    }
    const int w = RectWidth(area), h = RectHeight(area);
    FCanvasCopy = std::make_unique<TBitmap>();
    FCanvasCopy->SetPixelFormat(FD.Bytes == 4 ? pf32bit : pf24bit);
    FCanvasCopy->SetSize(w, h);
    FCanvasCopy->Canvas()->CopyRect(TRect(0, 0, w, h), FSrc->Canvas(), area);
    TPixels whole = PixelsOf(FCanvasCopy.get());
    if (whole.Bytes != FD.Bytes) {
      FGaveUp = true;
      return nullptr;
    }
    whole.X0 = area.Left;
    whole.Y0 = area.Top;
    FWhole = whole;
    FWholeArea = area;
    return Inside(Need, FWholeArea) ? &FWhole : nullptr;
  }

  // The object's rectangle inside the picture.
  TRect SourceArea() const {
    return TRect(std::max<int>(FArea.Left, 0), std::max<int>(FArea.Top, 0), std::min(FArea.Right, FSrc->Width()),
                 std::min(FArea.Bottom, FSrc->Height()));
  }

  // The plain source's Area at the destination's depth.
  std::unique_ptr<TWidened> Widened(const TRect& Area) const {
    auto made = std::make_unique<TWidened>();
    const int w = RectWidth(Area), h = RectHeight(Area);
    made->Store.reset(new uint8_t[size_t(w) * size_t(h) * size_t(FD.Bytes)]);  // every byte is written
    for (int y = 0; y < h; ++y)
      CopyPixels(made->Store.get() + size_t(y) * size_t(w) * size_t(FD.Bytes), FD.Bytes, FS.At(Area.Left, Area.Top + y),
                 FS.Bytes, w);
    made->View.Base = made->Store.get();
    made->View.Stride = ptrdiff_t(w) * FD.Bytes;
    made->View.Bytes = FD.Bytes;
    made->View.X0 = Area.Left;
    made->View.Y0 = Area.Top;
    made->Area = Area;
    return made;
  }

  void Use(std::unique_ptr<const TWidened> Area) {
    FWidened = std::move(Area);
    FWhole = FWidened->View;
    FWholeArea = FWidened->Area;
  }

  // A band repeats one piece of a palette picture: the second time a piece is asked for, it is read
  // once into 32-bit pixels, and it and the pieces inside it (a band's last, cut tile) are copied from
  // there. Null: read this piece by index.
  const TPixels* Tile(const TRect& Need) {
    if (FTileRect.Right > FTileRect.Left && Inside(Need, FTileRect)) return &FTilePixels;
    const bool again = Need == FLastPiece;
    FLastPiece = Need;
    if (!again) return nullptr;
    const TRect r(std::max(Need.Left, 0), std::max(Need.Top, 0), std::min(Need.Right, FS.Width),
                  std::min(Need.Bottom, FS.Height));
    if (r.Right <= r.Left || r.Bottom <= r.Top || r != Need) return nullptr;
    const int w = RectWidth(r), h = RectHeight(r);
    FTile.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) ReadIndexed(FS, FS.RowAt(r.Top + y), r.Left, w, FTile.data() + size_t(y) * size_t(w));
    FTilePixels.Base = reinterpret_cast<uint8_t*>(FTile.data());
    FTilePixels.Stride = ptrdiff_t(w) * 4;
    FTilePixels.Bytes = 4;
    FTilePixels.X0 = r.Left;
    FTilePixels.Y0 = r.Top;
    FTileRect = r;
    return &FTilePixels;
  }

  static bool Inside(const TRect& Need, const TRect& Area) {
    return Need.Left >= Area.Left && Need.Top >= Area.Top && Need.Right <= Area.Right && Need.Bottom <= Area.Bottom;
  }

  struct TPlaced {
    TRect Dst, Src;  // Src in picture coordinates; empty: none
  };

  TBitmap* FDest;
  TBitmap* FSrc;
  bool FOwnsDest { false };  // only the copier draws on Dest while it lives
  TPlaced FTile0;            // the piece Again repeats
  TPoint FOrigin;
  TPixels FD;
  TPixels FS;
  TRect FArea;
  int64_t FPiecePixels { 0 };  // converted piece by piece so far
  TRect FWholeArea;            // empty until the whole rectangle is converted
  TPixels FWhole;
  std::unique_ptr<const TWidened> FWidened;  // FWhole's pixels when the source is plain
  std::unique_ptr<TBitmap> FCanvasCopy;
  bool FGaveUp { false };
  TRect FLastPiece;  // of a palette source, for Tile
  TRect FTileRect;   // empty until a piece is read twice
  std::vector<uint32_t> FTile;
  TPixels FTilePixels;
};

// Tiles one band: tile k starts at P0 + k * S; its cut C = max(0, P0 + k * S + S - E) shortens it at the
// far end. Draw(Pos, C) copies one tile. Spans or lengths below 1 draw nothing; tiles that would start at
// or beyond E (cut S or more) or beyond Limit (outside the picture) are not drawn.
template <class F>
void TileBand(int S, int64_t Len, int P0, int E, int Limit, F&& Draw) {
  if (S < 1 || Len < 1) return;
  const int64_t count = Len / S;
  // Tiles that end left of 0 are invisible: start just before the first one that may show.
  int64_t k = P0 < 0 ? std::max<int64_t>(0, -int64_t(P0) / S - 1) : 0;
  for (; k <= count; ++k) {
    const int64_t pos = int64_t(P0) + k * S;
    if (pos >= E || pos >= Limit) break;
    Draw(int(pos), int(std::max<int64_t>(0, pos + S - E)));
  }
}

bool Resize(TBitmap* B, int W, int H, TbsFaceCut Cut = {}) {
  if (!B) return false;
  // In one move: width then height would make a section of the new width and the old height on the way.
  B->SetSize(std::min(W, Cut.Width), std::min(H, Cut.Height));
  return true;
}

// The client tiled in both directions from NCl's top-left; its last tiles cut at NCl's far edges.
void TileClient(TPieceCopier& Copier, const TRect& Cl, const TRect& NCl, const TBitmap* Dest) {
  const int SX = RectWidth(Cl), SY = RectHeight(Cl), CW = RectWidth(NCl), CH = RectHeight(NCl);
  TileBand(SX, CW, NCl.Left, NCl.Right, Dest->Width(), [&](int x, int cx) {
    TileBand(SY, CH, NCl.Top, NCl.Bottom, Dest->Height(), [&](int y, int cy) {
      Copier.Copy(TRect(x, y, x + SX - cx, y + SY - cy), TRect(Cl.Left, Cl.Top, Cl.Right - cx, Cl.Bottom - cy));
    });
  });
}

// The band kinds of a nine-slice face.
enum class TBand { Top, Bottom, Left, Right };

// Tiles one band of CreateSkinImage between its new corner points.
void TileFaceBand(TPieceCopier& Copier, TBand Band, const TNineSlice& G, int SW, int SH, int NewWidth, int NewHeight) {
  switch (Band) {
    case TBand::Top:
      TileBand(G.RT.X - G.LT.X, int64_t(G.NRT.X) - G.NLT.X, G.NLT.X, G.NRT.X, Copier.DestWidth(), [&](int p, int c) {
        Copier.Copy(TRect(p, 0, p + G.RT.X - G.LT.X - c, G.NCl.Top), TRect(G.LT.X, 0, G.RT.X - c, G.Cl.Top));
      });
      break;
    case TBand::Bottom:
      TileBand(G.RB.X - G.LB.X, int64_t(G.NRB.X) - G.NLB.X, G.NLB.X, G.NRB.X, Copier.DestWidth(), [&](int p, int c) {
        Copier.Copy(TRect(p, G.NCl.Bottom, p + G.RB.X - G.LB.X - c, NewHeight),
                    TRect(G.LB.X, G.Cl.Bottom, G.RB.X - c, SH));
      });
      break;
    case TBand::Left:
      // The strip is NewClRect.Left wide on both sides.
      TileBand(G.LB.Y - G.LT.Y, int64_t(G.NLB.Y) - G.NLT.Y, G.NLT.Y, G.NLB.Y, Copier.DestHeight(), [&](int p, int c) {
        Copier.Copy(TRect(0, p, G.NCl.Left, p + G.LB.Y - G.LT.Y - c), TRect(0, G.LT.Y, G.NCl.Left, G.LB.Y - c));
      });
      break;
    case TBand::Right:
      TileBand(G.RB.Y - G.RT.Y, int64_t(G.NRB.Y) - G.NRT.Y, G.NRT.Y, G.NRB.Y, Copier.DestHeight(), [&](int p, int c) {
        Copier.Copy(TRect(G.NCl.Right, p, NewWidth, p + G.RB.Y - G.RT.Y - c),
                    TRect(G.Cl.Right, G.RT.Y, SW, G.RB.Y - c));
      });
      break;
  }
}

// The band's whole strip drawn stretched over its whole new rectangle, through a picture of the
// strip's own size.
void StretchFaceBand(TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, TBand Band, const TNineSlice& G, int SW, int SH,
                     int NewWidth, int NewHeight) {
  TRect strip, target;
  switch (Band) {
    case TBand::Top:
      strip = TRect(G.LT.X, 0, G.RT.X, G.Cl.Top);
      target = TRect(G.NLT.X, 0, G.NRT.X, G.NCl.Top);
      break;
    case TBand::Bottom:
      strip = TRect(G.LB.X, G.Cl.Bottom, G.RB.X, SH);
      target = TRect(G.NLB.X, G.NCl.Bottom, G.NRB.X, NewHeight);
      break;
    case TBand::Left:
      strip = TRect(0, G.LT.Y, G.NCl.Left, G.LB.Y);
      target = TRect(0, G.NLT.Y, G.NCl.Left, G.NLB.Y);
      break;
    case TBand::Right:
      strip = TRect(G.Cl.Right, G.RT.Y, SW, G.RB.Y);
      target = TRect(G.NCl.Right, G.NRT.Y, NewWidth, G.NRB.Y);
      break;
  }
  if (IsNullRect(strip) || IsNullRect(target)) return;
  TBitmap piece;
  piece.SetSize(RectWidth(strip), RectHeight(strip));
  TPieceCopier(&piece, Src, SrcRect, true).Copy(TRect(0, 0, piece.Width(), piece.Height()), strip);
  Dest->Canvas()->StretchDraw(target, &piece);
}

// The corner pieces of a face: top-left strip and column, top-right strip and column, bottom-left column
// and strip, bottom-right strip and column. Open faces have only the left four.
void FaceCorners(TPieceCopier& Copier, const TNineSlice& G, int SW, int SH, int NewWidth, int NewHeight, bool Open) {
  struct {
    TRect src, dst;
    bool right;
  } const pieces[] = {
    { TRect(0, 0, G.LT.X, G.Cl.Top), TRect(0, 0, G.NLT.X, G.NCl.Top), false },
    { TRect(0, G.Cl.Top, G.Cl.Left, G.LT.Y), TRect(0, G.NCl.Top, G.NCl.Left, G.NLT.Y), false },
    { TRect(G.RT.X, 0, SW, G.Cl.Top), TRect(G.NRT.X, 0, NewWidth, G.NCl.Top), true },
    { TRect(G.Cl.Right, G.Cl.Top, SW, G.RT.Y), TRect(G.NCl.Right, G.NCl.Top, NewWidth, G.NRT.Y), true },
    { TRect(0, G.LB.Y, G.Cl.Left, SH), TRect(0, G.NLB.Y, G.NCl.Left, NewHeight), false },
    { TRect(G.Cl.Left, G.Cl.Bottom, G.LB.X, SH), TRect(G.NCl.Left, G.NCl.Bottom, G.NLB.X, NewHeight), false },
    { TRect(G.RB.X, G.Cl.Bottom, SW, SH), TRect(G.NRB.X, G.NCl.Bottom, NewWidth, NewHeight), true },
    { TRect(G.Cl.Right, G.RB.Y, SW, G.Cl.Bottom), TRect(G.NCl.Right, G.NRB.Y, NewWidth, G.NCl.Bottom), true },
  };
  for (const auto& p : pieces)
    if (!(Open && p.right)) Copier.Copy(p.dst, p.src);
}

// The common frame of CreateSkinImage and CreateSkinImageBS. Stretch[band] selects stretched bands.
void BuildFace(const TNineSlice& G, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth, int NewHeight,
               bool DrawClient, const bool (&Stretch)[4], TbsFaceCut Cut = {}) {
  if (!Resize(Dest, NewWidth, NewHeight, Cut)) return;
  if (G.RB.X == G.LT.X || G.RB.Y == G.LT.Y || !Src || Src->Empty()) return;
  const int SW = RectWidth(SrcRect), SH = RectHeight(SrcRect);
  TPieceCopier copier(Dest, Src, SrcRect, true);
  for (TBand band : { TBand::Top, TBand::Bottom, TBand::Left, TBand::Right }) {
    if (Stretch[int(band)]) {
      copier.OthersDraw();  // the canvas stretches the band onto Dest
      StretchFaceBand(Dest, Src, SrcRect, band, G, SW, SH, NewWidth, NewHeight);
    } else {
      TileFaceBand(copier, band, G, SW, SH, NewWidth, NewHeight);
    }
  }
  FaceCorners(copier, G, SW, SH, NewWidth, NewHeight, false);
  if (DrawClient) TileClient(copier, G.Cl, G.NCl, Dest);
}

// A mask's side pieces (left or right): tiled from the top between the two corner points, then the
// fixed ends above and below them. Column is the source's left edge, Width the piece's width.
template <class TCopier>
void BuildSideMask(TCopier& Copier, int Column, int Width, int Top, int Bottom, const TRect& Cl, int CH) {
  const int S = Bottom - Top;
  TileBand(S, CH, 0, CH, CH, [&](int p, int c) {
    Copier.Copy(TRect(0, p, Width, p + S - c), TRect(Column, Top, Column + Width, Bottom - c));
  });
  if (const int d = Top - Cl.Top; d > 0) Copier.Copy(TRect(0, 0, Width, d), TRect(Column, Cl.Top, Column + Width, Top));
  if (const int d = Cl.Bottom - Bottom; d > 0)
    Copier.Copy(TRect(0, CH - d, Width, CH), TRect(Column, Bottom, Column + Width, Cl.Bottom));
}

// A mask's top or bottom piece: tiles between the new corner points (the count taken from NewWidth),
// then the left and right corners. Row and H select the source rows.
template <class TCopier>
void BuildCapMask(TCopier& Copier, int Left, int Right, int NewLeft, int NewRight, int Row, int H, int MW,
                  int NewWidth) {
  const int S = Right - Left;
  TileBand(S, NewWidth, NewLeft, NewRight, NewWidth,
           [&](int p, int c) { Copier.Copy(TRect(p, 0, p + S - c, H), TRect(Left, Row, Right - c, Row + H)); });
  Copier.Copy(TRect(0, 0, Left, H), TRect(0, Row, Left, Row + H));
  Copier.Copy(TRect(NewRight, 0, NewWidth, H), TRect(Right, Row, MW, Row + H));
}

HRGN MaskRegion(TBitmap* Mask, int X, int Y);
void GridRuns(std::vector<RECT>& Runs, const std::vector<uint8_t>& Pixels, int W, int H, TPoint At);
HRGN RunsRegion(const std::vector<RECT>& Runs, const RECT& Bounds);

HRGN RegionOf(TBitmap* Piece, int X, int Y) {
  if (Piece->Width() < 1 || Piece->Height() < 1) return nullptr;
  return MaskRegion(Piece, X, Y);
}

}  // namespace

struct TbsSkinPieces::TCopier : TPieceCopier {
  using TPieceCopier::TPieceCopier;
};

TbsSkinPieces::TbsSkinPieces(TBitmap* Dest, TBitmap* Picture, const TRect& Area)
    : FCopier(std::make_unique<TCopier>(Dest, Picture, Area)), FOrigin(Area.TopLeft()) {}

TbsSkinPieces::~TbsSkinPieces() = default;

void TbsSkinPieces::Copy(const TRect& Dst, const TRect& Src) {
  FCopier->Copy(Dst, TRect(Src.Left - FOrigin.X, Src.Top - FOrigin.Y, Src.Right - FOrigin.X, Src.Bottom - FOrigin.Y));
}

// ---- Faces -------------------------------------------------------------------------------------------------

void CreateSkinImage(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                     const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                     const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest, TBitmap* Src,
                     const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient, TbsFaceCut Cut) {
  const TNineSlice g { LTPoint,    RTPoint,    LBPoint,    RBPoint,    ClRect,
                       NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect };
  const bool tiled[4] = {};
  BuildFace(g, Dest, Src, SrcRect, NewWidth, NewHeight, DrawClient, tiled, Cut);
}

void CreateSkinImageBS(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                       const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                       const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest,
                       TBitmap* Src, const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient,
                       bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch) {
  const TNineSlice g { LTPoint,    RTPoint,    LBPoint,    RBPoint,    ClRect,
                       NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect };
  bool stretch[4] = {};
  stretch[int(TBand::Top)] = TopStretch;
  stretch[int(TBand::Bottom)] = BottomStretch;
  stretch[int(TBand::Left)] = LeftStretch;
  stretch[int(TBand::Right)] = RightStretch;
  BuildFace(g, Dest, Src, SrcRect, NewWidth, NewHeight, DrawClient, stretch);
}

void CreateSkinImage2(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                      const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                      const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest, TBitmap* Src,
                      const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient) {
  const TNineSlice g { LTPoint,    RTPoint,    LBPoint,    RBPoint,    ClRect,
                       NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect };
  if (!Resize(Dest, NewWidth, NewHeight)) return;
  if (RBPoint.X == LTPoint.X || RBPoint.Y == LTPoint.Y || !Src || Src->Empty()) return;
  const int SW = RectWidth(SrcRect), SH = RectHeight(SrcRect);
  TPieceCopier copier(Dest, Src, SrcRect, true);
  // The top band's tiles are RBPoint.X - LTPoint.X long but cut from the strip up to RTPoint.X, so they
  // stretch when the two differ.
  const int ts = RBPoint.X - LTPoint.X;
  TileBand(ts, int64_t(NewWidth) - NewLTPoint.X, NewLTPoint.X, NewWidth, NewWidth, [&](int p, int c) {
    copier.Copy(TRect(p, 0, p + ts - c, NewClRect.Top), TRect(LTPoint.X, 0, RTPoint.X - c, ClRect.Top));
  });
  const int bs = RBPoint.X - LBPoint.X;
  TileBand(bs, int64_t(NewWidth) - NewLBPoint.X, NewLBPoint.X, NewWidth, NewWidth, [&](int p, int c) {
    copier.Copy(TRect(p, NewClRect.Bottom, p + bs - c, NewHeight), TRect(LBPoint.X, ClRect.Bottom, RBPoint.X - c, SH));
  });
  TileFaceBand(copier, TBand::Left, g, SW, SH, NewWidth, NewHeight);
  FaceCorners(copier, g, SW, SH, NewWidth, NewHeight, true);
  if (DrawClient) TileClient(copier, ClRect, TRect(NewClRect.Left, NewClRect.Top, NewWidth, NewClRect.Bottom), Dest);
}

namespace {

// The three-part horizontal faces: Caps selects the left and right caps, P0 and E the middle's start and
// bound, Len its new length.
void BuildHFace(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                bool LeftCap, bool RightCap, int P0, int E, int64_t Len, TbsFaceCut Cut = {}) {
  const int SW = RectWidth(SrcRect), SH = RectHeight(SrcRect);
  if (!Resize(Dest, NewWidth, SH, Cut) || !Src) return;
  TPieceCopier copier(Dest, Src, SrcRect, true);
  if (LeftCap && LeftOffset != 0) copier.Copy(TRect(0, 0, LeftOffset, SH), TRect(0, 0, LeftOffset, SH));
  if (RightCap && RightOffset != 0)
    copier.Copy(TRect(NewWidth - RightOffset, 0, NewWidth, SH), TRect(SW - RightOffset, 0, SW, SH));
  // A middle of no width would be one column wide and copy nothing from it; it is simply skipped.
  const int S = SW - LeftOffset - RightOffset;
  TileBand(S, Len, P0, E, copier.DestWidth(), [&](int p, int c) {
    copier.Copy(TRect(p, 0, p + S - c, SH), TRect(LeftOffset, 0, SW - RightOffset - c, SH));
  });
}

}  // namespace

void CreateHSkinImage(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                      int /*NewHeight*/, TbsFaceCut Cut) {
  BuildHFace(LeftOffset, RightOffset, Dest, Src, SrcRect, NewWidth, true, true, LeftOffset, NewWidth - RightOffset,
             int64_t(NewWidth) - LeftOffset - RightOffset, Cut);
}

void CreateHSkinImage2(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                       int /*NewHeight*/, TbsFaceCut Cut) {
  BuildHFace(LeftOffset, RightOffset, Dest, Src, SrcRect, NewWidth, true, false, LeftOffset, NewWidth,
             int64_t(NewWidth) - LeftOffset, Cut);
}

void CreateHSkinImage3(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                       int /*NewHeight*/, TbsFaceCut Cut) {
  BuildHFace(LeftOffset, RightOffset, Dest, Src, SrcRect, NewWidth, false, false, 0, NewWidth - LeftOffset, NewWidth,
             Cut);
}

void CreateVSkinImage(int TopOffset, int BottomOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect,
                      int /*NewWidth*/, int NewHeight, TbsFaceCut Cut) {
  const int SW = RectWidth(SrcRect), SH = RectHeight(SrcRect);
  if (!Resize(Dest, SW, NewHeight, Cut) || !Src) return;
  TPieceCopier copier(Dest, Src, SrcRect, true);
  if (TopOffset != 0) copier.Copy(TRect(0, 0, SW, TopOffset), TRect(0, 0, SW, TopOffset));
  if (BottomOffset != 0)
    copier.Copy(TRect(0, NewHeight - BottomOffset, SW, NewHeight), TRect(0, SH - BottomOffset, SW, SH));
  const int S = SH - TopOffset - BottomOffset;
  TileBand(
      S, int64_t(NewHeight) - TopOffset - BottomOffset, TopOffset, NewHeight - BottomOffset, copier.DestHeight(),
      [&](int p, int c) { copier.Copy(TRect(0, p, SW, p + S - c), TRect(0, TopOffset, SW, SH - BottomOffset - c)); });
}

void CreateSkinBorderImages(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                            const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                            const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect,
                            TBitmap* LeftImage, TBitmap* TopImage, TBitmap* RightImage, TBitmap* BottomImage,
                            TBitmap* Src, const TRect& SrcRect, int NewWidth, int NewHeight) {
  if (!Src || !LeftImage || !TopImage || !RightImage || !BottomImage) return;
  const int SW = RectWidth(SrcRect), SH = RectHeight(SrcRect);
  const int th = NewClRect.Top;
  if (const int S = RTPoint.X - LTPoint.X; NewWidth >= 1 && th >= 1 && S >= 1) {
    Resize(TopImage, NewWidth, th);
    TPieceCopier copier(TopImage, Src, SrcRect, true);
    TileBand(S, NewWidth, 0, NewWidth, NewWidth,
             [&](int p, int c) { copier.Copy(TRect(p, 0, p + S - c, th), TRect(LTPoint.X, 0, RTPoint.X - c, th)); });
    copier.Copy(TRect(0, 0, NewLTPoint.X, th), TRect(0, 0, LTPoint.X, th));
    copier.Copy(TRect(NewRTPoint.X, 0, NewWidth, th), TRect(RTPoint.X, 0, SW, th));
  }
  if (const int S = RBPoint.X - LBPoint.X, bh = NewHeight - NewClRect.Bottom; NewWidth >= 1 && bh >= 1 && S >= 1) {
    Resize(BottomImage, NewWidth, bh);
    TPieceCopier copier(BottomImage, Src, SrcRect, true);
    TileBand(S, NewWidth, 0, NewWidth, NewWidth, [&](int p, int c) {
      copier.Copy(TRect(p, 0, p + S - c, bh), TRect(LBPoint.X, SH - bh, RBPoint.X - c, SH));
    });
    copier.Copy(TRect(0, 0, NewLBPoint.X, bh), TRect(0, SH - bh, LBPoint.X, SH));
    copier.Copy(TRect(NewRBPoint.X, 0, NewWidth, bh), TRect(RBPoint.X, SH - bh, SW, SH));
  }
  // The sides are as high as what the top and bottom images leave, whatever they hold now.
  const int lh = NewHeight - BottomImage->Height() - TopImage->Height();
  auto side = [&](TBitmap* Image, int Width, int Column, int ColumnEnd, int Top, int Bottom) {
    const int S = Bottom - Top;
    if (Width < 1 || lh < 1 || S < 1) return;
    Resize(Image, Width, lh);
    TPieceCopier copier(Image, Src, SrcRect, true);
    TileBand(S, lh, 0, lh, lh, [&](int p, int c) {
      copier.Copy(TRect(0, p, Width, p + S - c), TRect(Column, Top, ColumnEnd, Bottom - c));
    });
    if (const int d = Top - ClRect.Top; d > 0)
      copier.Copy(TRect(0, 0, Width, d), TRect(Column, ClRect.Top, ColumnEnd, Top));
    if (const int d = ClRect.Bottom - Bottom; d > 0)
      copier.Copy(TRect(0, lh - d, Width, lh), TRect(Column, Bottom, ColumnEnd, ClRect.Bottom));
  };
  side(LeftImage, NewClRect.Left, 0, NewClRect.Left, LTPoint.Y, LBPoint.Y);
  side(RightImage, NewWidth - NewClRect.Right, ClRect.Right, SW, RTPoint.Y, RBPoint.Y);
}

// ---- Masks and regions ---------------------------------------------------------------------------------

namespace {

enum class TMaskPiece { Left, Right, Top, Bottom };

// The pieces of a resized mask that have a size (see CreateSkinMask), in the order they are built: each
// as Piece(Kind, Width, Height, Draw), where Draw(Copier) draws it through the copier given.
template <class F>
void ForEachMaskPiece(const TNineSlice& G, int MW, int MH, int NewWidth, F&& Piece) {
  const int RW = MW - G.Cl.Right, BH = MH - G.Cl.Bottom, LW = G.Cl.Left, TH = G.Cl.Top;
  const int CH = RectHeight(G.NCl);
  if (LW >= 1 && CH >= 1)
    Piece(TMaskPiece::Left, LW, CH, [&](auto& C) { BuildSideMask(C, 0, LW, G.LT.Y, G.LB.Y, G.Cl, CH); });
  if (RW >= 1 && CH >= 1)
    Piece(TMaskPiece::Right, RW, CH, [&](auto& C) { BuildSideMask(C, G.Cl.Right, RW, G.RT.Y, G.RB.Y, G.Cl, CH); });
  if (NewWidth >= 1 && TH >= 1)
    Piece(TMaskPiece::Top, NewWidth, TH,
          [&](auto& C) { BuildCapMask(C, G.LT.X, G.RT.X, G.NLT.X, G.NRT.X, 0, TH, MW, NewWidth); });
  if (NewWidth >= 1 && BH >= 1)
    Piece(TMaskPiece::Bottom, NewWidth, BH,
          [&](auto& C) { BuildCapMask(C, G.LB.X, G.RB.X, G.NLB.X, G.NRB.X, G.Cl.Bottom, BH, MW, NewWidth); });
}

}  // namespace

void CreateSkinMask(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                    const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                    const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Mask, TBitmap* TopMask,
                    TBitmap* LeftMask, TBitmap* RightMask, TBitmap* BottomMask, int NewWidth, int /*NewHeight*/) {
  if (!Mask || !TopMask || !LeftMask || !RightMask || !BottomMask) return;
  const TNineSlice g { LTPoint,    RTPoint,    LBPoint,    RBPoint,    ClRect,
                       NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect };
  const int MW = Mask->Width(), MH = Mask->Height();
  ForEachMaskPiece(g, MW, MH, NewWidth, [&](TMaskPiece Kind, int W, int H, auto&& Draw) {
    TBitmap* const pieces[] = { LeftMask, RightMask, TopMask, BottomMask };
    TBitmap* B = pieces[int(Kind)];
    if (Kind == TMaskPiece::Left || Kind == TMaskPiece::Right) {
      Resize(B, W, H);
    } else {
      B->SetHeight(H);
      B->SetWidth(W);
    }
    TPieceCopier copier(B, Mask, TRect(0, 0, MW, MH));
    Draw(copier);
  });
}

namespace {

// A mask's pixels as black (1) or not (0), read where they lie: a plain picture's, or a palette
// picture's through its colours, a monochrome one's as it copies onto a fresh bitmap (its black in the
// canvas's text colour, the rest in its background colour). Empty for a picture only the canvas reads.
std::vector<uint8_t> BlackOf(TBitmap* Mask) {
  TPixels p = PixelsOf(Mask, true);
  std::vector<uint8_t> black;
  if (!p.Bytes && !p.Bits) return black;
  if (p.Bits == 1) {
    const uint32_t fore = PixelOf(COLORREF(ColorToRGB(TFont().Color())));
    const uint32_t back = PixelOf(COLORREF(ColorToRGB(TBrush().Color())));
    for (uint32_t& c : p.Colour) c = c ? back : fore;
  }
  black.resize(size_t(p.Width) * size_t(p.Height));
  std::vector<uint32_t> row(size_t(p.Width));
  for (int y = 0; y < p.Height; ++y) {
    uint8_t* out = black.data() + size_t(y) * size_t(p.Width);
    const uint8_t* in = p.RowAt(y);
    if (p.Bytes) {
      for (int x = 0; x < p.Width; ++x, in += p.Bytes) out[x] = (in[0] | in[1] | in[2]) == 0;
    } else {
      ReadIndexed(p, in, 0, p.Width, row.data());
      for (int x = 0; x < p.Width; ++x) out[x] = row[x] == 0;
    }
  }
  return black;
}

// A mask piece as a byte a pixel, set where black, drawn the way TPieceCopier draws a mask onto a fresh
// bitmap: one to one, clipped to the picture and to the piece. A piece that would stretch is not drawn
// here: Stretched() says so.
class TMaskGrid {
 public:
  TMaskGrid(const std::vector<uint8_t>& Black, int MW, int MH, int W, int H)
      : FBlack(Black), FMW(MW), FMH(MH), FW(W), FH(H), FPixels(size_t(W) * size_t(H), 0) {}

  void Copy(const TRect& Dst, const TRect& Src) {
    if (Dst.Right <= Dst.Left || Dst.Bottom <= Dst.Top || Src.Right <= Src.Left || Src.Bottom <= Src.Top) return;
    if (Dst.Width() != Src.Width() || Dst.Height() != Src.Height()) {
      FStretched = true;
      return;
    }
    const int64_t dx = int64_t(Dst.Left) - Src.Left, dy = int64_t(Dst.Top) - Src.Top;
    const int64_t l = std::max<int64_t>({ Src.Left, 0, -dx }), r = std::min<int64_t>({ Src.Right, FMW, FW - dx });
    const int64_t t = std::max<int64_t>({ Src.Top, 0, -dy }), b = std::min<int64_t>({ Src.Bottom, FMH, FH - dy });
    if (l >= r) return;
    for (int64_t y = t; y < b; ++y)
      std::memcpy(FPixels.data() + (y + dy) * FW + dx + l, FBlack.data() + y * FMW + l, size_t(r - l));
  }
  bool Stretched() const { return FStretched; }
  const std::vector<uint8_t>& Pixels() const { return FPixels; }

 private:
  const std::vector<uint8_t>& FBlack;
  int FMW, FMH, FW, FH;
  std::vector<uint8_t> FPixels;
  bool FStretched { false };
};

// The black runs of the resized mask's pieces where the window puts them, appended to Runs straight from
// the mask's pixels, with no bitmap or region for each piece. False, with nothing appended, for a mask
// only the canvas reads, a piece that would stretch, or one of more than a few million pixels.
bool GridPieceRuns(const TNineSlice& G, TBitmap* Mask, const std::vector<uint8_t>& black, int NewWidth,
                   std::vector<RECT>& Runs) {
  constexpr int64_t kMaxPiecePixels = int64_t(1) << 22;
  if (black.empty()) return false;
  const TPoint at[] = { TPoint(0, G.NCl.Top), TPoint(G.NCl.Right, G.NCl.Top), TPoint(0, 0), TPoint(0, G.NCl.Bottom) };
  bool drawn = true;
  ForEachMaskPiece(G, Mask->Width(), Mask->Height(), NewWidth, [&](TMaskPiece Kind, int W, int H, auto&& Draw) {
    drawn = drawn && int64_t(W) * H <= kMaxPiecePixels;
    if (!drawn) return;
    TMaskGrid grid(black, Mask->Width(), Mask->Height(), W, H);
    Draw(grid);
    drawn = !grid.Stretched();
    if (drawn) GridRuns(Runs, grid.Pixels(), W, H, at[int(Kind)]);
  });
  if (!drawn) Runs.clear();
  return drawn;
}

// The shape from the mask's pieces drawn as bitmaps: the way for a mask the grid cannot take.
HRGN PieceBitmapsRegion(const TNineSlice& G, TBitmap* Mask, int NewWidth, int NewHeight) {
  TBitmap top, bottom, left, right;
  CreateSkinMask(G.LT, G.RT, G.LB, G.RB, G.Cl, G.NLT, G.NRT, G.NLB, G.NRB, G.NCl, Mask, &top, &left, &right, &bottom,
                 NewWidth, NewHeight);
  const TRect& ncl = G.NCl;
  HRGN result = IsNullRect(ncl) ? CreateRectRgn(0, 0, 0, 0) : CreateRectRgn(ncl.Left, ncl.Top, ncl.Right, ncl.Bottom);
  for (HRGN piece : { RegionOf(&left, 0, ncl.Top), RegionOf(&right, ncl.Right, ncl.Top), RegionOf(&top, 0, 0),
                      RegionOf(&bottom, 0, ncl.Bottom) }) {
    if (!piece) continue;
    if (result) CombineRgn(result, result, piece, RGN_OR);
    DeleteObject(piece);
  }
  return result;
}

}  // namespace

void CreateSkinRegion(HRGN& Rgn, const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint,
                      const TPoint& RBPoint, const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                      const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Mask,
                      int NewWidth, int NewHeight) {
  Rgn = nullptr;
  if (NewLTPoint.X > NewRTPoint.X || NewLTPoint.Y > NewLBPoint.Y || !Mask) return;
  const std::vector<uint8_t> black = BlackOf(Mask);
  const TNineSlice g { LTPoint,    RTPoint,    LBPoint,    RBPoint,    ClRect,
                       NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect };
  // Every piece that exists counts, and the client with them: a skin without a client area or without
  // one of its borders still gets its shape. The pieces' runs and the client make one region at once.
  std::vector<RECT> runs;
  HRGN result = nullptr;
  const bool grid = GridPieceRuns(g, Mask, black, NewWidth, runs);
  if (grid) {
    if (!IsNullRect(NewClRect))
      runs.push_back(RECT { NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom });
    result = RunsRegion(runs, RECT { 0, 0, std::max(NewWidth, 0), std::max(NewHeight, 0) });
  } else {
    result = PieceBitmapsRegion(g, Mask, NewWidth, NewHeight);
  }
  RECT box;
  if (result && GetRgnBox(result, &box) == NULLREGION) {
    DeleteObject(result);
    result = nullptr;
  }
  Rgn = result;
}

void CreateSkinSimplyRegion(HRGN& Rgn, TBitmap* Mask) { Rgn = MaskRegion(Mask, 0, 0); }

namespace {

// Appends the black runs of each row of a W by H picture of Bytes per pixel (of one: a byte set where
// black), moved by Offset. A row with the same bytes as the row above (most rows of a tiled band) has the
// same runs: with Bands those runs grow a row taller, otherwise they are repeated as one-row rectangles.
template <class RowFn>
void ScanBlackRuns(std::vector<RECT>& Runs, int W, int H, int Bytes, TPoint Offset, bool Bands, RowFn&& RowAt) {
  const uint8_t* above = nullptr;
  size_t aboveFirst = 0, aboveEnd = 0;
  for (int y = 0; y < H; ++y) {
    const uint8_t* row = RowAt(y);
    const size_t first = Runs.size();
    const bool repeats = above && std::memcmp(row, above, size_t(W) * size_t(Bytes)) == 0;
    above = row;
    if (repeats && Bands) {
      for (size_t i = aboveFirst; i < aboveEnd; ++i) ++Runs[i].bottom;
      continue;
    }
    if (repeats) {
      for (size_t i = aboveFirst; i < aboveEnd; ++i) {
        RECT r = Runs[i];
        ++r.top;
        ++r.bottom;
        Runs.push_back(r);
      }
      aboveFirst = first;
      aboveEnd = Runs.size();
      continue;
    }
    auto black = [&](int x) {
      const uint8_t* p = row + ptrdiff_t(x) * Bytes;
      return Bytes == 1 ? p[0] != 0 : (p[0] | p[1] | p[2]) == 0;
    };
    for (int x = 0; x < W;) {
      if (!black(x)) {
        ++x;
        continue;
      }
      int x2 = x + 1;
      while (x2 < W && black(x2)) ++x2;
      Runs.push_back(RECT { x + Offset.X, y + Offset.Y, x2 + Offset.X, y + 1 + Offset.Y });
      x = x2;
    }
    aboveFirst = first;
    aboveEnd = Runs.size();
  }
}

// The runs as region data bounded by Bounds, allocated with calloc; its size in bytes goes to Bytes.
RGNDATA* PackRegionData(const std::vector<RECT>& Runs, const RECT& Bounds, size_t& Bytes) {
  const size_t bytes = sizeof(RGNDATAHEADER) + Runs.size() * sizeof(RECT);
  if (bytes > size_t(INT32_MAX)) throw EOutOfMemory("The mask has too many runs for one region");
  auto* data = static_cast<RGNDATA*>(std::calloc(1, bytes));
  if (!data) throw EOutOfMemory("Out of memory building a region");
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(Runs.size());
  data->rdh.nRgnSize = 0;
  data->rdh.rcBound = Bounds;
  if (!Runs.empty())
    std::memcpy(reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER), Runs.data(), Runs.size() * sizeof(RECT));
  Bytes = bytes;
  return data;
}

// The black runs of a non-empty Mask moved by Offset, in Runs (emptied first); with Bands in rectangles as
// tall as the rows they repeat.
void MaskRuns(TBitmap* Mask, TPoint Offset, bool Bands, std::vector<RECT>& Runs) {
  Runs.clear();
  // A plain picture is read where it lies, any other through a 24-bit copy.
  if (const TPixels plain = PixelsOf(Mask); plain.Bytes) {
    ScanBlackRuns(Runs, plain.Width, plain.Height, plain.Bytes, Offset, Bands,
                  [&](int y) { return static_cast<const uint8_t*>(plain.At(0, y)); });
  } else {
    const TbsFBitmap fast(Mask->Handle());
    ScanBlackRuns(Runs, fast.Width, fast.Height, 3, Offset, Bands,
                  [&](int y) { return static_cast<const uint8_t*>(fast.RowPointers[y]); });
  }
}

RECT MaskBounds(TBitmap* Mask, int X, int Y) { return RECT { X, Y, X + Mask->Width(), Y + Mask->Height() }; }

// The mask's region data (see CreateRgnFromBmp); 0 for an empty mask.
int MaskRegionData(TBitmap* Mask, int XOffset, int YOffset, bool Bands, RGNDATA*& Data) {
  if (!Mask || Mask->Empty()) return 0;
  std::vector<RECT> runs;
  MaskRuns(Mask, TPoint(XOffset, YOffset), Bands, runs);
  size_t bytes = 0;
  Data = PackRegionData(runs, MaskBounds(Mask, XOffset, YOffset), bytes);
  return int(bytes);
}

// The region of the black pixels of Mask moved by (X, Y); null for none. The rows a tiled mask repeats
// go in as one rectangle each run, not one for every row.
HRGN MaskRegion(TBitmap* Mask, int X, int Y) {
  if (!Mask || Mask->Empty()) return nullptr;
  std::vector<RECT> runs;
  MaskRuns(Mask, TPoint(X, Y), true, runs);
  return RunsRegion(runs, MaskBounds(Mask, X, Y));
}

// Appends the black runs of a W x H piece of black flags placed at At, in bands.
void GridRuns(std::vector<RECT>& Runs, const std::vector<uint8_t>& Pixels, int W, int H, TPoint At) {
  ScanBlackRuns(Runs, W, H, 1, At, true, [&](int y) { return Pixels.data() + size_t(y) * size_t(W); });
}

// The region of the rectangles, overlapping or in any order.
HRGN RunsRegion(const std::vector<RECT>& Runs, const RECT& Bounds) {
  size_t bytes = 0;
  RGNDATA* data = PackRegionData(Runs, Bounds, bytes);
  HRGN rgn = ExtCreateRegion(nullptr, DWORD(bytes), data);
  std::free(data);
  return rgn;
}

}  // namespace

int CreateRgnFromBmp(TBitmap* Mask, int XOffset, int YOffset, RGNDATA*& Data) {
  return MaskRegionData(Mask, XOffset, YOffset, false, Data);
}

// ---- The fast bitmap -------------------------------------------------------------------------------------

TbsFBitmap::TbsFBitmap(HBITMAP HBmp) {
  BITMAP bm {};
  if (!HBmp || GetObjectA(HBmp, sizeof bm, &bm) == 0) return;
  Width = std::max<int>(bm.bmWidth, 0);
  Height = std::max<int>(bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight, 0);
  if (Width == 0 || Height == 0) {
    Width = Height = 0;
    return;
  }
  Header = BITMAPINFOHEADER {};
  Header.biSize = sizeof(BITMAPINFOHEADER);
  Header.biWidth = Width;
  Header.biHeight = -Height;
  Header.biPlanes = 1;
  Header.biBitCount = 24;
  Header.biCompression = BI_RGB;
  Info = BITMAPINFO {};
  Info.bmiHeader = Header;
  void* bits = nullptr;
  DibHandle = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!DibHandle || !bits) {
    if (DibHandle) DeleteObject(DibHandle);
    DibHandle = nullptr;
    throw EOutOfMemory(Format("Not enough memory to scan a bitmap of %d x %d", Width, Height));
  }
  Bits = static_cast<uint8_t*>(bits);
  HDC screen = CreateCompatibleDC(nullptr);
  BITMAPINFO info = Info;
  GetDIBits(screen, HBmp, 0, UINT(Height), Bits, &info, DIB_RGB_COLORS);
  DeleteDC(screen);
  Initialize();
}

void TbsFBitmap::Initialize() {
  delete[] RowPointers;
  RowPointers = new uint8_t*[size_t(std::max(Height, 1))];
  RowGap = Width % 4;
  RowStride = Width * 3 + RowGap;
  ByteSize = RowStride * Height;
  for (int y = 0; y < Height; ++y) RowPointers[y] = Bits + ptrdiff_t(y) * RowStride;
  if (!MemoryDC) {
    MemoryDC = CreateCompatibleDC(nullptr);
    if (MemoryDC && DibHandle) FOldBitmap = SelectObject(MemoryDC, DibHandle);
  }
}

TbsFBitmap::~TbsFBitmap() {
  if (MemoryDC) {
    if (FOldBitmap) SelectObject(MemoryDC, FOldBitmap);
    DeleteDC(MemoryDC);
  }
  if (DibHandle) DeleteObject(DibHandle);
  delete[] RowPointers;
}
