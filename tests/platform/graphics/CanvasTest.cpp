// The canvas on small bitmaps, pixel by pixel: brush realisation, text, copies, transparent drawing.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/GdiInternal.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

// A white bitmap of the given size with the built-in test face (8 × 13 cells, glyph box [1,7) × [1,10)).
struct TTestBitmap {
  TBitmap B;
  TTestBitmap(int w, int h) {
    B.SetSize(w, h);
    B.Canvas()->Font()->SetName("Platform Test");
    B.Canvas()->Font()->SetColor(clBlack);
  }
  TCanvas* C() { return B.Canvas(); }
  TColor At(int x, int y) { return B.Canvas()->Pixels(x, y); }
};

struct TChangeCounter : TObject {
  int Count { 0 };
  void Changed(TObject*) { ++Count; }
};

TEST(CanvasBrush, RealisationSetsTheBackgroundColourAndMode) {
  struct Case {
    TBrushStyle Style;
    TColor Color;
    COLORREF Bk;
    int Mode;
  } cases[] = {
    { bsSolid, clRed, 0x0000FF, OPAQUE },        { bsSolid, clBtnFace, 0xC0C0C0, OPAQUE },
    { bsCross, clRed, 0xFFFF00, TRANSPARENT },   { bsHorizontal, clBlack, 0xFFFFFF, TRANSPARENT },
    { bsClear, clWhite, 0x000000, TRANSPARENT }, { bsSolid, clNone, 0x000000, TRANSPARENT },
  };
  for (const Case& c : cases) {
    TTestBitmap t(2, 2);
    t.C()->Brush()->SetColor(c.Color);
    t.C()->Brush()->SetStyle(c.Style);
    HDC dc = t.C()->Handle();
    EXPECT_EQ(GetBkColor(dc), c.Bk) << c.Style << " " << c.Color;
    EXPECT_EQ(GetBkMode(dc), c.Mode) << c.Style << " " << c.Color;
  }
}

TEST(CanvasBrush, HatchedFillLeavesTheGapsAlone) {
  TTestBitmap t(8, 8);
  t.C()->Brush()->SetColor(clRed);
  t.C()->Brush()->SetStyle(bsHorizontal);
  t.C()->FillRect(Rect(0, 0, 8, 8));
  int red = 0, white = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      red += t.At(x, y) == clRed;
      white += t.At(x, y) == clWhite;
    }
  EXPECT_EQ(red + white, 64);
  EXPECT_EQ(red, 8);  // one line of the 8 × 8 pattern
}

TEST(CanvasBrush, ClNonePaintsNothing) {
  TTestBitmap t(6, 6);
  t.C()->Brush()->SetColor(clNone);
  t.C()->FillRect(Rect(0, 0, 6, 6));
  EXPECT_EQ(Map(t.B, clWhite), Rows({ "######", "######", "######", "######", "######", "######" }));
  t.C()->Pen()->SetColor(clBlack);
  t.C()->Rectangle(0, 0, 5, 5);
  EXPECT_EQ(Map(t.B, clBlack), Rows({ "#####.", "#...#.", "#...#.", "#...#.", "#####.", "......" }));
}

TEST(CanvasShapes, FillRectAndRectangleCoverHalfOpenRanges) {
  TTestBitmap t(6, 5);
  t.C()->Brush()->SetColor(clBlue);
  t.C()->FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(Map(t.B, clBlue), Rows({ "......", ".###..", ".###..", "......", "......" }));
  t.C()->Pen()->SetColor(clRed);
  t.C()->MoveTo(0, 4);
  t.C()->LineTo(5, 4);  // the end point stays
  EXPECT_EQ(Map(t.B, clRed), Rows({ "......", "......", "......", "......", "#####." }));
  EXPECT_EQ(t.C()->PenPos(), Point(5, 4));
}

TEST(CanvasShapes, XorPenTwiceRestores) {
  TTestBitmap t(5, 3);
  t.C()->Pen()->SetMode(pmXor);
  t.C()->Pen()->SetColor(clRed);
  t.C()->MoveTo(0, 1);
  t.C()->LineTo(5, 1);
  EXPECT_EQ(t.At(2, 1), TColor(0xFFFF00));  // white xor red
  t.C()->MoveTo(0, 1);
  t.C()->LineTo(5, 1);
  EXPECT_EQ(Map(t.B, clWhite), Rows({ "#####", "#####", "#####" }));
}

TEST(CanvasPixels, ReadWriteAndOutside) {
  TTestBitmap t(3, 3);
  t.C()->SetPixels(1, 2, clPurple);
  t.C()->SetPixels(0, 0, clBtnShadow);  // resolved
  EXPECT_EQ(t.At(1, 2), clPurple);
  EXPECT_EQ(t.At(0, 0), TColor(0x808080));
  EXPECT_EQ(t.At(3, 0), TColor(-1));
  EXPECT_EQ(t.At(-1, -1), TColor(-1));
  EXPECT_EQ(t.C()->ClipRect(), Rect(0, 0, 3, 3));
}

TEST(CanvasText, TextOutFillsTheCellOnlyWithASolidBrush) {
  for (bool solid : { true, false }) {
    TTestBitmap t(20, 15);
    t.C()->Brush()->SetColor(clYellow);
    if (!solid) t.C()->Brush()->SetStyle(bsClear);
    t.C()->TextOut(2, 1, "AB");
    EXPECT_EQ(t.C()->PenPos(), Point(18, 1));
    EXPECT_EQ(t.At(2 + 3, 1 + 3), clBlack);                      // inside the first glyph box
    EXPECT_EQ(t.At(2, 1), solid ? clYellow : clWhite) << solid;  // cell, outside the glyph box
    EXPECT_EQ(t.At(17, 13), solid ? clYellow : clWhite) << solid;
    EXPECT_EQ(t.At(18, 1), clWhite);  // past the text
    EXPECT_EQ(t.At(1, 1), clWhite);
  }
  TTestBitmap t(4, 4);
  EXPECT_EQ(t.C()->TextExtent("AB"), TSize(16, 13));
  EXPECT_EQ(t.C()->TextWidth("巡检"), 32);  // double-byte characters are one cell each
}

TEST(CanvasText, TextRectClipsAndFillsOnlyWithASolidBrush) {
  struct Case {
    TBrushStyle Style;
    TColor Inside;
  } cases[] = { { bsSolid, clYellow }, { bsClear, clWhite }, { bsCross, clWhite } };
  for (const Case& c : cases) {
    TTestBitmap t(30, 20);
    t.C()->Brush()->SetColor(clYellow);
    t.C()->Brush()->SetStyle(c.Style);
    const TRect r(3, 2, 13, 12);
    t.C()->TextRect(r, 3, 2, "AAAA");
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) {
        const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        if (!inside) {
          ASSERT_EQ(t.At(x, y), clWhite) << x << "," << y << " style " << c.Style;
        }
      }
    EXPECT_EQ(t.At(3 + 3, 2 + 3), clBlack);      // first glyph
    EXPECT_EQ(t.At(11 + 1, 2 + 3), clBlack);     // second glyph, cut at the rectangle's right edge
    EXPECT_EQ(t.At(3, 2), c.Inside) << c.Style;  // cell background
    EXPECT_EQ(t.At(10, 11), c.Inside) << c.Style;
  }
}

TEST(CanvasCopy, CopyRectStretchesByNearestNeighbour) {
  TBitmap src;
  src.SetSize(4, 2);
  Paint(src, { "RGBW", "KRGB" },
        { { 'R', clRed }, { 'G', clLime }, { 'B', clBlue }, { 'W', clWhite }, { 'K', clBlack } });
  TTestBitmap grow(8, 4);
  grow.C()->CopyRect(Rect(0, 0, 8, 4), src.Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(Map(grow.B, clRed), Rows({ "##......", "##......", "..##....", "..##...." }));
  EXPECT_EQ(Map(grow.B, clBlue), Rows({ "....##..", "....##..", "......##", "......##" }));
  TTestBitmap shrink(2, 1);
  shrink.C()->CopyRect(Rect(0, 0, 2, 1), src.Canvas(), Rect(0, 0, 4, 2));  // columns 0 and 2, row 0
  EXPECT_EQ(shrink.At(0, 0), clRed);
  EXPECT_EQ(shrink.At(1, 0), clBlue);
  TTestBitmap same(4, 2);
  same.C()->CopyRect(Rect(0, 0, 4, 2), src.Canvas(), Rect(0, 0, 4, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(same.At(x, y), src.Canvas()->Pixels(x, y));
  // A source partly outside the bitmap is clipped, not read out of bounds.
  TTestBitmap outside(4, 4);
  outside.C()->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(-2, -2, 2, 2));
  outside.C()->CopyRect(Rect(0, 0, 0, 4), src.Canvas(), Rect(0, 0, 4, 2));  // zero width: nothing
}

TEST(CanvasCopy, CopyModeIsTheRasterOperation) {
  TBitmap src;
  src.SetSize(1, 1);
  src.Canvas()->SetPixels(0, 0, clRed);
  struct Case {
    TCopyMode Mode;
    TColor Result;
  } cases[] = { { cmSrcCopy, clRed },     { cmSrcInvert, TColor(0xFFFF00) },
                { cmSrcAnd, clRed },      { cmNotSrcCopy, TColor(0xFFFF00) },
                { cmBlackness, clBlack }, { cmDstInvert, clBlack } };
  for (const Case& c : cases) {
    TTestBitmap t(1, 1);
    t.C()->SetCopyMode(c.Mode);
    t.C()->CopyRect(Rect(0, 0, 1, 1), src.Canvas(), Rect(0, 0, 1, 1));
    EXPECT_EQ(t.At(0, 0), c.Result) << std::hex << c.Mode;
  }
}

TEST(CanvasDraw, TransparentBitmapSkipsTheBottomLeftColour) {
  TBitmap glyph;
  glyph.SetSize(3, 3);
  Paint(glyph, { "RBR", "BRB", "RBB" }, { { 'R', clRed }, { 'B', clBlue } });
  glyph.SetTransparent(true);
  EXPECT_EQ(glyph.TransparentColor(), clRed);
  TTestBitmap t(3, 3);
  t.C()->Brush()->SetColor(clLime);
  t.C()->FillRect(Rect(0, 0, 3, 3));
  t.C()->Draw(0, 0, &glyph);
  EXPECT_EQ(Map(t.B, clLime), Rows({ "#.#", ".#.", "#.." }));
  EXPECT_EQ(Map(t.B, clBlue), Rows({ ".#.", "#.#", ".##" }));

  glyph.SetTransparentColor(clBlue);  // fixed: now blue is skipped
  EXPECT_EQ(glyph.TransparentMode(), tmFixed);
  t.C()->FillRect(Rect(0, 0, 3, 3));
  t.C()->Draw(0, 0, &glyph);
  EXPECT_EQ(Map(t.B, clRed), Rows({ "#.#", ".#.", "#.." }));

  glyph.SetTransparent(false);
  t.C()->Draw(0, 0, &glyph);
  EXPECT_EQ(t.B.Canvas()->Pixels(1, 0), clBlue);
}

TEST(CanvasDraw, StretchedTransparentDrawScalesTheMask) {
  TBitmap glyph;
  glyph.SetSize(2, 2);
  Paint(glyph, { "BR", "RB" }, { { 'R', clRed }, { 'B', clBlue } });
  glyph.SetTransparent(true);  // bottom-left is red
  TTestBitmap t(4, 4);
  t.C()->Brush()->SetColor(clLime);
  t.C()->FillRect(Rect(0, 0, 4, 4));
  t.C()->StretchDraw(Rect(0, 0, 4, 4), &glyph);
  EXPECT_EQ(Map(t.B, clBlue), Rows({ "##..", "##..", "..##", "..##" }));
  EXPECT_EQ(Map(t.B, clLime), Rows({ "..##", "..##", "##..", "##.." }));
}

TEST(CanvasDraw, MonochromeBitmapsTakeFontAndBrushColours) {
  TBitmap mono;
  mono.SetSize(2, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  mono.SetMonochrome(true);
  ASSERT_TRUE(mono.Monochrome());
  TTestBitmap t(2, 1);
  t.C()->Font()->SetColor(clRed);
  t.C()->Brush()->SetColor(clBlue);
  t.C()->Draw(0, 0, &mono);
  EXPECT_EQ(t.At(0, 0), clRed);   // 0 → text colour
  EXPECT_EQ(t.At(1, 0), clBlue);  // 1 → background colour
  // Drawing set the DC colours; the next text still gets the brush's realisation.
  EXPECT_EQ(GetBkColor(t.C()->Handle()), 0xFF0000u);
}

// A picture whose pixels were set in memory is copied onto colour as it is, and onto monochrome measured
// against its canvas brush's colour.
TEST(CanvasDraw, APictureIsCopiedOntoColourAsItIsAndOntoMonochromeAgainstItsBrush) {
  TBitmap src;
  src.SetPixelFormat(pf32bit);
  src.SetSize(3, 2);
  const uint32_t pixels[2][3] = { { 0xFF0000, 0x123456, 0xFF0000 }, { 0x00FF00, 0xFF0000, 0xFFFFFE } };
  for (int y = 0; y < 2; ++y) std::memcpy(src.ScanLine(y), pixels[y], sizeof pixels[y]);
  src.Canvas()->Brush()->SetColor(clRed);
  TTestBitmap colour(5, 2);
  TBitmap mono;
  mono.SetSize(3, 2);
  mono.SetMonochrome(true);
  colour.C()->Handle();
  mono.Canvas()->Handle();
  colour.C()->Draw(1, 0, &src);
  mono.Canvas()->Draw(0, 0, &src);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint32_t p = x == 0 || x == 4 ? 0xFFFFFF : pixels[y][x - 1];  // 0x00RRGGBB, a TColor the other way
      EXPECT_EQ(colour.At(x, y), TColor(((p & 0xFF) << 16) | (p & 0xFF00) | (p >> 16))) << x << "," << y;
      if (x < 3) {
        EXPECT_EQ(mono.Canvas()->Pixels(x, y), pixels[y][x] == 0xFF0000 ? clWhite : clBlack) << x << "," << y;
      }
    }
}

// A canvas that drew a graphic still deselects its font and brush when they change, so the old objects
// are freed: a paint that draws a glyph and then sets its caption font leaked one font per paint.
TEST(CanvasDraw, FontAndBrushChangedAfterDrawingAreFreed) {
  const auto before = xj::gdi::GetCounters();
  {
    TBitmap glyph;
    glyph.SetSize(3, 2);
    TTestBitmap t(5, 4);
    t.C()->Brush()->SetStyle(bsClear);
    t.C()->TextOut(0, 0, "a");  // font and brush realised
    HDC dc = t.C()->Handle();
    t.C()->Draw(1, 1, &glyph);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);  // the clear brush's realisation is back
    t.C()->Font()->SetName("Courier New");
    t.C()->Brush()->SetColor(clRed);
    t.C()->Brush()->SetStyle(bsSolid);
    t.C()->TextOut(0, 0, "b");
  }
  const auto after = xj::gdi::GetCounters();
  EXPECT_EQ(after.RefusedDeletes, before.RefusedDeletes);
  EXPECT_EQ(after.Objects, before.Objects);
}

// A picture drawn or copied makes no object for either DC but the destination's brush, where the copy
// mode paints with it; a monochrome source still takes the font colour for 0 and the brush colour for 1.
TEST(CanvasDraw, ACopyMakesOnlyTheBrushItsModePaints) {
  TBitmap mono;
  mono.SetSize(2, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  mono.SetMonochrome(true);
  struct Case {
    TCopyMode Mode;
    TColor Left, Right;
    int Made;
  } cases[] = {
    { cmSrcCopy, clRed, clBlue, 0 },
    { cmPatCopy, clLime, clLime, 1 },
    { cmMergeCopy, clBlack, clBlue, 1 },  // pattern AND source
  };
  for (const Case& c : cases)
    for (bool draw : { false, true }) {
      TTestBitmap t(2, 1);
      t.C()->Font()->SetColor(clRed);
      t.C()->Brush()->SetColor(c.Mode == cmPatCopy ? clLime : clBlue);
      t.C()->SetCopyMode(c.Mode);
      const int before = xj::gdi::GetCounters().Objects;
      if (draw)
        t.C()->Draw(0, 0, &mono);
      else
        t.C()->CopyRect(TRect(0, 0, 2, 1), mono.Canvas(), TRect(0, 0, 2, 1));
      EXPECT_EQ(xj::gdi::GetCounters().Objects - before, c.Made) << std::hex << c.Mode << " " << draw;
      EXPECT_EQ(t.At(0, 0), c.Left) << std::hex << c.Mode << " " << draw;
      EXPECT_EQ(t.At(1, 0), c.Right) << std::hex << c.Mode << " " << draw;
    }
}

TEST(CanvasCopy, BrushCopyPaintsTheBrushWhereTheKeyColourIs) {
  TBitmap src;
  src.SetSize(2, 2);
  Paint(src, { "RG", "GR" }, { { 'R', clRed }, { 'G', clLime } });
  TTestBitmap t(4, 4);
  t.C()->Brush()->SetColor(clBlue);
  t.C()->BrushCopy(Rect(1, 1, 3, 3), &src, Rect(0, 0, 2, 2), clRed);
  EXPECT_EQ(Map(t.B, clBlue), Rows({ "....", ".#..", "..#.", "...." }));
  EXPECT_EQ(Map(t.B, clLime), Rows({ "....", "..#.", ".#..", "...." }));
  TTestBitmap big(4, 4);
  big.C()->Brush()->SetColor(clBlue);
  big.C()->BrushCopy(Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), clRed);  // stretched
  EXPECT_EQ(Map(big.B, clBlue), Rows({ "##..", "##..", "..##", "..##" }));
}

// Handing out a bitmap frees its canvas's DC at once: nothing the canvas selected stays held (the bitmap
// goes into another DC, the old font is freed when replaced), and the next drawing, on a new DC, selects
// the canvas's pen afresh.
TEST(CanvasHandle, ABitmapHandedOutLetsGoOfItsCanvasObjects) {
  const auto before = xj::gdi::GetCounters();
  {
    TBitmap b;
    b.SetSize(4, 3);
    b.Canvas()->Pen()->SetColor(clBlue);
    b.Canvas()->TextOut(0, 0, "x");
    b.Canvas()->LineTo(4, 0);
    HDC other = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(other, b.Handle());
    ASSERT_NE(old, nullptr);
    PatBlt(other, 0, 0, 4, 3, WHITENESS);
    SelectObject(other, old);
    DeleteDC(other);
    b.Canvas()->Font()->SetName("Courier New");
    b.Canvas()->MoveTo(1, 1);  // the same blue pen, on a new DC
    b.Canvas()->LineTo(3, 1);
    EXPECT_EQ(Map(b, clBlue), Rows({ "....", ".##.", "...." }));
  }
  const auto after = xj::gdi::GetCounters();
  EXPECT_EQ(after.RefusedDeletes, before.RefusedDeletes);
  EXPECT_EQ(after.Objects, before.Objects);
  EXPECT_EQ(after.DCs, before.DCs);
}

TEST(CanvasHandle, AForeignDcIsNeverReleasedAndObjectsAreDeselected) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  const int refusedBefore = xj::gdi::GetCounters().RefusedDeletes;
  {
    TCanvas c;
    c.SetHandle(dc);
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(0, 0, 2, 2));
    c.Font()->SetName("Platform Test");
    c.TextOut(0, 0, "x");
    c.Font()->SetHeight(-20);  // the selected font is replaced while the DC holds it
    c.TextOut(0, 0, "x");
    EXPECT_TRUE(c.HandleAllocated());
  }
  EXPECT_EQ(xj::gdi::GetCounters().RefusedDeletes, refusedBefore);
  // The DC still works: the text cell's background is the red brush, the glyph box black.
  EXPECT_EQ(GetPixel(dc, 0, 0), 0x0000FFu);
  EXPECT_EQ(GetPixel(dc, 3, 3), 0u);
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(CanvasHandle, WithoutADcDrawingRaises) {
  TCanvas c;
  EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(CanvasEvents, DrawingOnABitmapCanvasChangesTheBitmap) {
  TBitmap b;
  b.SetSize(2, 2);
  TChangeCounter bitmapChanges, canvasChanges, canvasChanging;
  b.OnChange = TNotifyEvent(&bitmapChanges, &TChangeCounter::Changed);
  b.Canvas()->OnChange = TNotifyEvent(&canvasChanges, &TChangeCounter::Changed);
  b.Canvas()->OnChanging = TNotifyEvent(&canvasChanging, &TChangeCounter::Changed);
  b.Canvas()->FillRect(Rect(0, 0, 1, 1));
  b.Canvas()->TextOut(0, 0, "");
  EXPECT_EQ(canvasChanges.Count, 2);
  EXPECT_GE(canvasChanging.Count, 2);
}

TEST(CanvasLock, LockCountsNest) {
  TCanvas c;
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  EXPECT_TRUE(c.TryLock());
  c.Unlock();
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
}

}  // namespace
