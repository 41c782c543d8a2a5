// BitBlt, StretchBlt, MaskBlt and the DIB blits: raster operations against a bitwise reference,
// monochrome conversions, stretch maps, clipping and overlap.

#include <gtest/gtest.h>

#include <memory>

#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;
using gditest::RefRop;
using gditest::Rows;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Deterministic pixel noise for sources and destinations.
uint32_t Noise(int i, uint32_t seed) {
  uint32_t v = uint32_t(i) * 2654435761u ^ seed;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  return (v ^ (v >> 15)) & 0xFFFFFF;
}

TEST(GdiRop, EveryCommonAndSomeOddRopsMatchTheBitwiseReference) {
  const DWORD rops[] = { SRCCOPY,     SRCPAINT,   SRCAND,     SRCINVERT,  SRCERASE,   NOTSRCCOPY,
                         NOTSRCERASE, MERGECOPY,  MERGEPAINT, PATCOPY,    PATPAINT,   PATINVERT,
                         DSTINVERT,   BLACKNESS,  WHITENESS,  0x00E20746, 0x00B8074A, 0x001A0000,
                         0x00690000,  0x00960000, 0x00270000, 0x00D40000, 0x00010000, 0x007F0000 };
  const uint32_t pattern = 0x00A5C30F;
  for (DWORD rop : rops) {
    Canvas src(16, 4), dst(16, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 16; ++x) {
        src.SetRaw(x, y, Noise(y * 16 + x, 1));
        dst.SetRaw(x, y, Noise(y * 16 + x, 2));
      }
    HBRUSH brush = CreateSolidBrush(Canvas::Cr(pattern));
    SelectObject(dst.dc(), brush);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 16, 4, src.dc(), 0, 0, rop));
    uint8_t code = uint8_t(rop >> 16);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(dst.Raw(x, y) & 0xFFFFFF, RefRop(code, pattern, Noise(y * 16 + x, 1), Noise(y * 16 + x, 2)))
            << std::hex << "rop " << rop << " at " << std::dec << x << "," << y;
    SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(GdiRop, EveryOneOfThe256CodesWithAPatternBrush) {
  // One pixel per code: a hatched brush makes the pattern vary along the row too.
  Canvas src(8, 1), dst(8, 1);
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, RGB(0x12, 0x34, 0x56));
  SelectObject(dst.dc(), hatch);
  SetBkColor(dst.dc(), RGB(0xF0, 0x0F, 0x3C));
  for (int code = 0; code < 256; ++code) {
    for (int x = 0; x < 8; ++x) {
      src.SetRaw(x, 0, Noise(x + code * 8, 7));
      dst.SetRaw(x, 0, Noise(x + code * 8, 9));
    }
    BitBlt(dst.dc(), 0, 0, 8, 1, src.dc(), 0, 0, DWORD(code) << 16);
    for (int x = 0; x < 8; ++x) {
      uint32_t p = x == 0 ? Canvas::Px(RGB(0x12, 0x34, 0x56)) : Canvas::Px(RGB(0xF0, 0x0F, 0x3C));
      ASSERT_EQ(dst.Raw(x, 0) & 0xFFFFFF, RefRop(uint8_t(code), p, Noise(x + code * 8, 7), Noise(x + code * 8, 9)))
          << "code " << code << " x " << x;
    }
  }
  SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(GdiRop, SourceRopWithoutSourceFails) {
  Canvas dst(2, 2);
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dst.Count(kBlack), 4);
}

TEST(GdiMono, MonochromeToColourUsesTextAndBackgroundOfTheDestination) {
  HDC mdc = CreateCompatibleDC(nullptr);
  const uint8_t bits[] = { 0xA0, 0, 0x50, 0 };  // 1010 / 0101
  HBITMAP mono = CreateBitmap(4, 2, 1, 1, bits);
  HGDIOBJ old = SelectObject(mdc, mono);
  Canvas dst(4, 2);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 0, 255));
  BitBlt(dst.dc(), 0, 0, 4, 2, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Map(RGB(0, 0, 255)), Rows({ "#.#.", ".#.#" }));
  EXPECT_EQ(dst.Map(RGB(255, 0, 0)), Rows({ ".#.#", "#.#." }));
  SelectObject(mdc, old);
  DeleteObject(mono);
  DeleteDC(mdc);
}

TEST(GdiMono, ColourToMonochromeMarksTheSourceBackgroundColourWhite) {
  Canvas src(4, 1);
  src.SetRaw(0, 0, Canvas::Px(RGB(255, 0, 255)));
  src.SetRaw(1, 0, Canvas::Px(RGB(0, 255, 0)));
  src.SetRaw(2, 0, Canvas::Px(RGB(255, 0, 255)));
  src.SetRaw(3, 0, Canvas::Px(kWhite));
  SetBkColor(src.dc(), RGB(255, 0, 255));
  HDC mdc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(mdc, 4, 1);  // a fresh memory DC is monochrome
  BITMAP bm {};
  GetObject(mono, sizeof bm, &bm);
  ASSERT_EQ(bm.bmBitsPixel, 1);
  HGDIOBJ old = SelectObject(mdc, mono);
  BitBlt(mdc, 0, 0, 4, 1, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mdc, 0, 0), kWhite);
  EXPECT_EQ(GetPixel(mdc, 1, 0), kBlack);
  EXPECT_EQ(GetPixel(mdc, 2, 0), kWhite);
  EXPECT_EQ(GetPixel(mdc, 3, 0), kBlack);
  uint8_t raw[2] = {};
  EXPECT_EQ(GetBitmapBits(mono, 2, raw), 2);
  EXPECT_EQ(raw[0], 0xA0);
  SelectObject(mdc, old);
  DeleteObject(mono);
  DeleteDC(mdc);
}

TEST(GdiMono, DisabledLookSequenceWithDspdxax) {
  // Where the monochrome source is 1 (white, the background colour) the brush is painted; where it
  // is 0 the destination stays.
  const uint8_t bits[] = { 0x60, 0 };  // 0110
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, bits);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mask);
  Canvas dst(4, 1, RGB(192, 192, 192));
  HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
  SelectObject(dst.dc(), brush);
  SetTextColor(dst.dc(), kBlack);
  SetBkColor(dst.dc(), kWhite);
  BitBlt(dst.dc(), 0, 0, 4, 1, mdc, 0, 0, 0x00E20746);
  EXPECT_EQ(dst.Map(kWhite), Rows({ ".##." }));
  EXPECT_EQ(dst.Count(RGB(192, 192, 192)), 2);
  SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  SelectObject(mdc, old);
  DeleteObject(mask);
  DeleteDC(mdc);
}

TEST(GdiStretch, NearestNeighbourMapsAndMirrors) {
  Canvas src(4, 1);
  for (int x = 0; x < 4; ++x) src.SetRaw(x, 0, uint32_t(x + 1));
  auto row = [](const Canvas& c) {
    std::string s;
    for (int x = 0; x < c.w(); ++x) s += char('0' + (c.Raw(x, 0) & 0xFF));
    return s;
  };
  struct Case {
    int w;
    int sx, sw;
    const char* expect;
  } cases[] = {
    { 8, 0, 4, "11223344" },                        // enlarge: i · 4 / 8
    { 2, 0, 4, "13" },                              // shrink: i · 4 / 2
    { 3, 0, 4, "123" },                             // floor(i · 4 / 3): 0, 1, 2
    { 4, 0, 4, "1234" },     { -4, 0, 4, "4321" },  // mirrored destination
    { 4, 3, -4, "3210" },  // mirrored source: [−1, 3) → pixel −1 is outside and not drawn
  };
  for (const Case& cs : cases) {
    int w = std::abs(cs.w);
    Canvas dst(w, 1, kBlack);
    int x = cs.w < 0 ? w : 0;
    StretchBlt(dst.dc(), x, 0, cs.w, 1, src.dc(), cs.sx, 0, cs.sw, 1, SRCCOPY);
    EXPECT_EQ(row(dst), cs.expect) << cs.w << " " << cs.sx << " " << cs.sw;
  }
}

TEST(GdiStretch, SourceOutsideTheBitmapIsClipped) {
  Canvas src(3, 3, RGB(255, 0, 0));
  Canvas dst(5, 5, kBlack);
  BitBlt(dst.dc(), 0, 0, 5, 5, src.dc(), -1, -1, SRCCOPY);
  EXPECT_EQ(dst.Map(RGB(255, 0, 0)), Rows({ ".....", ".###.", ".###.", ".###.", "....." }));
  // Stretching keeps the mapping: only destination pixels whose source exists are drawn.
  Canvas dst2(4, 1, kBlack);
  StretchBlt(dst2.dc(), 0, 0, 4, 1, src.dc(), 1, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst2.Map(RGB(255, 0, 0)), Rows({ "##.." }));
}

TEST(GdiStretch, StretchModeIsStoredButNeverBlends) {
  Canvas src(4, 1);
  src.SetRaw(0, 0, 0xFF0000);
  src.SetRaw(1, 0, 0x0000FF);
  src.SetRaw(2, 0, 0x00FF00);
  src.SetRaw(3, 0, 0xFFFFFF);
  for (int mode : { BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE }) {
    Canvas dst(2, 1);
    SetStretchBltMode(dst.dc(), mode);
    StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dst.Raw(0, 0), 0xFF0000u) << mode;
    EXPECT_EQ(dst.Raw(1, 0), 0x00FF00u) << mode;
  }
}

TEST(GdiBlit, OverlappingCopyWithinOneBitmap) {
  Canvas c(6, 1);
  for (int x = 0; x < 6; ++x) c.SetRaw(x, 0, uint32_t(x));
  BitBlt(c.dc(), 1, 0, 5, 1, c.dc(), 0, 0, SRCCOPY);
  for (int x = 1; x < 6; ++x) EXPECT_EQ(c.Raw(x, 0), uint32_t(x - 1));
  BitBlt(c.dc(), 0, 0, 5, 1, c.dc(), 1, 0, SRCINVERT);
  EXPECT_EQ(c.Raw(0, 0), 0u ^ 0u);
  EXPECT_EQ(c.Raw(4, 0), 3u ^ 4u);
}

// One-to-one copies: through a clip of several boxes from a source that hangs over its bitmap's top-left
// edge, and within one bitmap between disjoint and overlapping rows (copied in the safe order).
TEST(GdiBlit, OneToOneCopiesFollowTheClipTheSourceEdgesAndOverlap) {
  Canvas src(7, 5);
  for (int i = 0; i < 35; ++i) src.SetRaw(i % 7, i / 7, Noise(i, 7));
  Canvas dst(9, 6, kBlack);
  HRGN clip = CreateRectRgn(0, 0, 4, 6);
  HRGN right = CreateRectRgn(6, 1, 9, 4);
  CombineRgn(clip, clip, right, RGN_OR);
  SelectClipRgn(dst.dc(), clip);
  BitBlt(dst.dc(), 1, 2, 8, 4, src.dc(), -2, -1, SRCCOPY);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) {
      const int sx = x - 3, sy = y - 3;  // the source pixel under (x, y)
      const bool clipped = x < 4 || (x >= 6 && y >= 1 && y < 4);
      const bool drawn = clipped && x >= 1 && y >= 2 && sx >= 0 && sy >= 0 && sx < 7 && sy < 5;
      EXPECT_EQ(dst.Raw(x, y), drawn ? Noise(sy * 7 + sx, 7) : 0u) << x << "," << y;
    }
  DeleteObject(clip);
  DeleteObject(right);

  Canvas c(3, 8);
  for (int i = 0; i < 24; ++i) c.SetRaw(i % 3, i / 3, uint32_t(i));
  BitBlt(c.dc(), 0, 5, 3, 2, c.dc(), 0, 0, SRCCOPY);  // disjoint
  BitBlt(c.dc(), 0, 1, 3, 4, c.dc(), 0, 0, SRCCOPY);  // overlapping, downwards
  const uint32_t want[8][3] = { { 0, 1, 2 },   { 0, 1, 2 }, { 3, 4, 5 }, { 6, 7, 8 },
                                { 9, 10, 11 }, { 0, 1, 2 }, { 3, 4, 5 }, { 21, 22, 23 } };
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(c.Raw(x, y), want[y][x]) << x << "," << y;
}

// A plain copy through a clip of many boxes, one of every width from one pixel to ten (up to eight they are
// moved in two pieces that overlap), then one wide box and one three wide; the source hangs over its bitmap's
// top-left edge, so the first row and column have nothing to copy.
TEST(GdiBlit, PlainCopiesThroughAClipOfBoxesOfEveryNarrowWidth) {
  Canvas src(70, 9);
  for (int i = 0; i < 70 * 9; ++i) src.SetRaw(i % 70, i / 70, Noise(i, 11));
  Canvas dst(68, 9, kBlack);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  auto add = [&](int l, int t, int r, int b) {
    HRGN box = CreateRectRgn(l, t, r, b);
    CombineRgn(clip, clip, box, RGN_OR);
    DeleteObject(box);
  };
  for (int w = 1, x = 1; w <= 10; x += w + 1, ++w) add(x, 0, x + w, 4);
  add(2, 4, 67, 6);
  add(5, 6, 8, 9);
  SelectClipRgn(dst.dc(), clip);
  BitBlt(dst.dc(), 0, 0, 68, 9, src.dc(), -1, -1, SRCCOPY);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 68; ++x) {
      const int sx = x - 1, sy = y - 1;
      const bool drawn = PtInRegion(clip, x, y) && sx >= 0 && sy >= 0;
      ASSERT_EQ(dst.Raw(x, y), drawn ? Noise(sy * 70 + sx, 11) : 0u) << x << "," << y;
    }
  DeleteObject(clip);
}

// A plain copy or fill as wide as its bitmaps moves or sets their rows as one block; where only one side is
// that wide, or either is stored bottom-up, the rows still land one by one, each in its place.
TEST(GdiBlit, PlainCopiesAndFillsAsWideAsEitherSideOrBottomUp) {
  struct Case {
    int srcW, dstW, x, sx;
    bool srcBottomUp, dstBottomUp;
  };
  const Case cases[] = { { 5, 5, 0, 0, false, false },
                         { 8, 5, 0, 2, false, false },
                         { 5, 8, 3, 0, false, false },
                         { 5, 5, 0, 0, true, false },
                         { 5, 5, 0, 0, false, true } };
  auto info = [](int w, int h, bool bottomUp) {
    BITMAPINFO bi {};
    bi.bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), w, bottomUp ? h : -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    return bi;
  };
  for (const Case& c : cases) {
    gditest::Section src(info(c.srcW, 4, c.srcBottomUp)), dst(info(c.dstW, 5, c.dstBottomUp));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < c.srcW; ++x) SetPixelV(src.dc(), x, y, Noise(y * c.srcW + x, 5));
    PatBlt(dst.dc(), 0, 0, c.dstW, 5, BLACKNESS);
    BitBlt(dst.dc(), c.x, 1, 5, 3, src.dc(), c.sx, 0, SRCCOPY);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < c.dstW; ++x) {
        const int sx = x - c.x + c.sx, sy = y - 1;
        const bool drawn = x >= c.x && x < c.x + 5 && sy >= 0 && sy < 3;
        EXPECT_EQ(GetPixel(dst.dc(), x, y), drawn ? Noise(sy * c.srcW + sx, 5) : kBlack)
            << c.srcW << " onto " << c.dstW << (c.srcBottomUp ? ", source bottom-up" : "")
            << (c.dstBottomUp ? ", destination bottom-up" : "") << ": " << x << "," << y;
      }
    // A solid fill as wide as the bitmap leaves the rows above and below it alone.
    const RECT band { 0, 1, c.dstW, 4 };
    FillRect(dst.dc(), &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int y = 0; y < 5; ++y)
      EXPECT_EQ(GetPixel(dst.dc(), c.dstW - 1, y), y >= 1 && y < 4 ? kWhite : kBlack) << c.dstW << ": " << y;
  }
}

TEST(GdiBlit, MaskBltChoosesPerPixel) {
  Canvas src(4, 1, RGB(255, 0, 0)), dst(4, 1, RGB(0, 0, 255));
  const uint8_t bits[] = { 0x90, 0 };  // 1001
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, bits);
  MaskBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
  EXPECT_EQ(dst.Map(RGB(255, 0, 0)), Rows({ "#..#" }));
  EXPECT_FALSE(MaskBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, src.bitmap(), 0, 0, SRCCOPY));
  DeleteObject(mask);
}

TEST(GdiDibBlit, SetDIBitsToDeviceDrawsTopDownAndBottomUpUnflipped) {
  const uint8_t rows[2][8] = { { 0, 0, 255, 0, 0, 0, 255, 0 }, { 255, 0, 0, 0, 255, 0, 0, 0 } };  // red, blue rows
  for (bool topDown : { true, false }) {
    BITMAPINFO bi {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 2;
    bi.bmiHeader.biHeight = topDown ? -2 : 2;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    uint8_t bits[16];
    // Memory order: a bottom-up DIB stores its bottom row first.
    std::memcpy(bits, rows[topDown ? 0 : 1], 8);
    std::memcpy(bits + 8, rows[topDown ? 1 : 0], 8);
    Canvas dst(4, 4);
    EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 1, 1, 2, 2, 0, 0, 0, 2, bits, &bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0)) << topDown;
    EXPECT_EQ(dst.At(2, 2), RGB(0, 0, 255)) << topDown;
    EXPECT_EQ(dst.At(0, 0), kWhite);
  }
}

// 24-bit rows without padding (four pixels are twelve bytes), the last one ending where the memory does: every
// pixel lands, from the first column or from further in, and nothing after the last byte is read.
TEST(GdiDibBlit, TwentyFourBitRowsAreReadToTheirLastByteAndNoFurther) {
  BITMAPINFO bi {};
  bi.bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), 4, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0 };
  auto bits = std::make_unique<uint8_t[]>(36);
  for (int i = 0; i < 12; ++i) {
    const uint32_t v = Noise(i, 24);
    bits[size_t(i) * 3] = uint8_t(v);
    bits[size_t(i) * 3 + 1] = uint8_t(v >> 8);
    bits[size_t(i) * 3 + 2] = uint8_t(v >> 16);
  }
  for (int sx : { 0, 1, 3 }) {
    Canvas dst(5, 3, kBlack);
    EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 0, 0, DWORD(4 - sx), 3, sx, 0, 0, 3, bits.get(), &bi, DIB_RGB_COLORS), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(dst.Raw(x, y), x < 4 - sx ? Noise(y * 4 + x + sx, 24) : 0u) << sx << ": " << x << "," << y;
  }
}

TEST(GdiDibBlit, StretchDIBitsScalesAndMirrors) {
  BITMAPINFO bi {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = -1;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  const uint8_t bits[8] = { 0, 0, 255, 255, 0, 0, 0, 0 };  // red, blue, padding
  Canvas dst(4, 2);
  StretchDIBits(dst.dc(), 0, 0, 4, 2, 0, 0, 2, 1, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(dst.Map(RGB(255, 0, 0)), Rows({ "##..", "##.." }));
  StretchDIBits(dst.dc(), 4, 0, -4, 1, 0, 0, 2, 1, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(dst.Map(RGB(255, 0, 0)), Rows({ "..##", "##.." }));
  EXPECT_EQ(StretchDIBits(dst.dc(), 0, 0, 4, 2, 0, 0, 2, 1, nullptr, &bi, DIB_RGB_COLORS, SRCCOPY), 0);
}

}  // namespace

// Pattern fills wider than a run of the expanded tile, from uneven brush origins and starting columns:
// every pixel is the tile at ((x - orgX) mod w, (y - orgY) mod h); a transparent hatch touches only its lines.
TEST(GdiPattern, WideFillsFollowTheTileAtEveryPhase) {
  constexpr int kTw = 3, kTh = 5, kW = 700, kH = 9;
  Canvas tile(kTw, kTh);
  for (int y = 0; y < kTh; ++y)
    for (int x = 0; x < kTw; ++x) tile.SetRaw(x, y, Noise(x + 7 * y, 3) & 0xFFFFFF);
  HBRUSH pattern = CreatePatternBrush(tile.bitmap());
  const struct {
    int orgX, orgY, left, top, width, height;
  } cases[] = { { 0, 0, 0, 0, kW, kH }, { 2, 4, 13, 1, 661, 7 }, { 1, 3, 257, 2, 300, 1 }, { 5, 6, 699, 8, 1, 1 } };
  for (const auto& c : cases) {
    Canvas dst(kW, kH, RGB(1, 2, 3));
    SelectObject(dst.dc(), pattern);
    SetBrushOrgEx(dst.dc(), c.orgX, c.orgY, nullptr);
    PatBlt(dst.dc(), c.left, c.top, c.width, c.height, PATCOPY);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const bool in = x >= c.left && x < c.left + c.width && y >= c.top && y < c.top + c.height;
        const uint32_t want = in ? tile.Raw(((x - c.orgX) % kTw + kTw) % kTw, ((y - c.orgY) % kTh + kTh) % kTh)
                                 : Canvas::Px(RGB(1, 2, 3));
        ASSERT_EQ(dst.Raw(x, y) & 0xFFFFFF, want) << c.left << " " << x << "," << y;
      }
    SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  }
  DeleteObject(pattern);

  // A diagonal hatch in TRANSPARENT mode over 600 columns: ink on its lines, the old pixels elsewhere.
  Canvas dst(600, 8, RGB(9, 9, 9));
  HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(200, 0, 0));
  SelectObject(dst.dc(), hatch);
  SetBkMode(dst.dc(), TRANSPARENT);
  SetBrushOrgEx(dst.dc(), 3, 0, nullptr);
  PatBlt(dst.dc(), 5, 0, 590, 8, PATCOPY);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 600; ++x) {
      const bool line = x >= 5 && x < 595 && (x - 3 + 8) % 8 == y;
      ASSERT_EQ(dst.At(x, y), line ? RGB(200, 0, 0) : RGB(9, 9, 9)) << x << "," << y;
    }
  SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}
