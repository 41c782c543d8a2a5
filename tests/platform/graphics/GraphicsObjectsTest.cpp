// Fonts, pens and brushes: defaults, the GDI objects they make, handles set from outside, changes.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/vcl/Graphics.h"
#include "platform/win32/GdiInternal.h"

namespace {

struct TChangeCounter : TObject {
  int Count { 0 };
  void Changed(TObject*) { ++Count; }
};

LOGFONTA LogFontOf(HFONT h) {
  LOGFONTA lf {};
  EXPECT_EQ(GetObjectA(h, sizeof lf, &lf), int(sizeof lf));
  return lf;
}

TEST(Font, DefaultsAreEightPointMsSansSerif) {
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(f.Pitch(), fpDefault);
  EXPECT_TRUE(f.Style().Empty());
  EXPECT_EQ(f.PixelsPerInch(), 96);
}

TEST(Font, SizeAndHeightConvertAtNinetySixDpi) {
  struct Case {
    int Size, Height;
  } cases[] = { { 8, -11 }, { 9, -12 }, { 10, -13 }, { 12, -16 }, { 18, -24 }, { 72, -96 } };
  for (const Case& c : cases) {
    TFont f;
    f.SetSize(c.Size);
    EXPECT_EQ(f.Height(), c.Height) << c.Size;
    EXPECT_EQ(f.Size(), c.Size) << c.Size;
  }
  TFont cell;
  cell.SetHeight(12);  // a positive height is a cell height; Size reads negative
  EXPECT_EQ(cell.Size(), -9);
}

TEST(Font, HandleCarriesTheProperties) {
  TFont f;
  f.SetName("宋体");
  f.SetHeight(12);
  f.SetStyle({ fsBold, fsUnderline });
  f.SetCharset(GB2312_CHARSET);
  f.SetPitch(fpFixed);
  const LOGFONTA lf = LogFontOf(f.Handle());
  EXPECT_STREQ(lf.lfFaceName, "宋体");
  EXPECT_EQ(lf.lfHeight, 12);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(lf.lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_EQ(lf.lfEscapement, 0);
}

TEST(Font, AHandleFromOutsideKeepsItsRotationUntilAPropertyChanges) {
  TFont f;
  f.SetName("Arial");
  LOGFONTA lf = LogFontOf(f.Handle());
  lf.lfEscapement = lf.lfOrientation = 900;
  HFONT rotated = CreateFontIndirectA(&lf);
  f.SetHandle(rotated);
  EXPECT_EQ(f.Handle(), rotated);
  EXPECT_EQ(f.Name(), "Arial");

  TFont copy;
  copy.Assign(&f);  // the rotation goes along
  EXPECT_EQ(LogFontOf(copy.Handle()).lfEscapement, 900);

  f.SetColor(clRed);  // not part of the font object
  EXPECT_EQ(f.Handle(), rotated);
  f.SetHeight(-20);
  EXPECT_NE(f.Handle(), rotated);
  EXPECT_EQ(LogFontOf(f.Handle()).lfEscapement, 0);
}

// An assigned font keeps the handle it made when every property the handle is made from is equal (its
// colour and resolution are not among them), and announces the change all the same. Any other difference,
// or a handle that came from outside, leaves the next handle to be made afresh. Matches sees each of them.
TEST(Font, AssignKeepsAMadeHandleOnlyWhenItWouldBeMadeTheSame) {
  const auto none = [](TFont&) {};
  const auto fromOutside = [](TFont& f) {
    const LOGFONTA lf = LogFontOf(f.Handle());
    f.SetHandle(CreateFontIndirectA(&lf));
  };
  const auto rotate = [](TFont& f) {
    LOGFONTA lf = LogFontOf(f.Handle());
    lf.lfEscapement = lf.lfOrientation = 900;
    f.SetHandle(CreateFontIndirectA(&lf));
  };
  struct Case {
    const char* What;
    std::function<void(TFont&)> Source, Target;
    bool Kept;
  } cases[] = {
    { "colour", [](TFont& s) { s.SetColor(clRed); }, none, true },
    { "resolution", [](TFont& s) { s.SetPixelsPerInch(120); }, none, true },
    { "name", [](TFont& s) { s.SetName("Courier New"); }, none, false },
    { "height", [](TFont& s) { s.SetHeight(-12); }, none, false },
    { "style", [](TFont& s) { s.SetStyle({ fsItalic }); }, none, false },
    { "charset", [](TFont& s) { s.SetCharset(GB2312_CHARSET); }, none, false },
    { "pitch", [](TFont& s) { s.SetPitch(fpFixed); }, none, false },
    { "rotation", rotate, none, false },
    { "handle from outside", none, fromOutside, false },
  };
  for (const Case& c : cases) {
    TFont source, target;
    c.Source(source);
    c.Target(target);
    const HFONT made = target.Handle();
    TChangeCounter counter;
    target.OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
    const int objects = xj::gdi::GetCounters().Objects;
    EXPECT_FALSE(target.Matches(&source)) << c.What;  // what an Assign would change
    target.Assign(&source);
    EXPECT_TRUE(target.Matches(&source)) << c.What;
    EXPECT_EQ(counter.Count, 1) << c.What;
    EXPECT_EQ(target.HandleAllocated(), c.Kept) << c.What;
    EXPECT_EQ(xj::gdi::GetCounters().Objects - objects, c.Kept ? 0 : -1) << c.What;
    EXPECT_EQ(target.Color(), source.Color()) << c.What;
    if (c.Kept) {
      EXPECT_EQ(target.Handle(), made) << c.What;
    }
    const LOGFONTA got = LogFontOf(target.Handle()), want = LogFontOf(source.Handle());
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << c.What;
  }
}

TEST(GraphicsObjects, ChangesAnnounceOnceAndLeakNoHandles) {
  TFont font;
  TPen pen;
  TBrush brush;
  TChangeCounter counter;
  font.OnChange = pen.OnChange = brush.OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
  font.Handle();
  pen.Handle();
  brush.Handle();
  const int before = xj::gdi::GetCounters().Objects;
  for (int i = 0; i < 50; ++i) {
    font.SetHeight(-10 - i);
    font.Handle();
    pen.SetWidth(1 + i % 3);
    pen.Handle();
    brush.SetColor(TColor(i));
    brush.Handle();
  }
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before);
  EXPECT_EQ(counter.Count, 50 + 49 + 50);  // the first pen width equals the default: no change
  const int beforeSame = counter.Count;
  font.SetName(font.Name());
  brush.SetColor(brush.Color());
  pen.SetMode(pen.Mode());
  EXPECT_EQ(counter.Count, beforeSame);
}

TEST(Pen, ModesMapToBinaryRasterOperations) {
  const std::pair<TPenMode, int> cases[] = {
    { pmBlack, R2_BLACK },
    { pmWhite, R2_WHITE },
    { pmNop, R2_NOP },
    { pmNot, R2_NOT },
    { pmCopy, R2_COPYPEN },
    { pmNotCopy, R2_NOTCOPYPEN },
    { pmXor, R2_XORPEN },
    { pmNotXor, R2_NOTXORPEN },
    { pmMask, R2_MASKPEN },
    { pmMerge, R2_MERGEPEN },
    { pmMergePenNot, R2_MERGEPENNOT },
    { pmMaskNotPen, R2_MASKNOTPEN },
  };
  for (auto [mode, rop2] : cases) EXPECT_EQ(PenModeToRop2(mode), rop2) << mode;
}

TEST(Pen, HandleAndHandleFromOutside) {
  TPen p;
  p.SetColor(clBtnShadow);
  p.SetWidth(1);  // wider pens are solid whatever their style
  p.SetStyle(psDot);
  LOGPEN lp {};
  ASSERT_EQ(GetObjectA(p.Handle(), sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnColor, 0x808080u);  // system colours are resolved
  EXPECT_EQ(lp.lopnWidth.x, 1);
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
  p.SetHandle(CreatePen(PS_DASH, 1, RGB(1, 2, 3)));
  EXPECT_EQ(p.Color(), TColor(RGB(1, 2, 3)));
  EXPECT_EQ(p.Width(), 1);
  EXPECT_EQ(p.Style(), psDash);
}

TEST(Brush, StylesMakeTheMatchingBrushAndClNoneMakesANullOne) {
  struct Case {
    TBrushStyle Style;
    TColor Color;
    UINT LbStyle;
    ULONG_PTR Hatch;
  } cases[] = {
    { bsSolid, clRed, BS_SOLID, 0 },
    { bsClear, clRed, BS_NULL, 0 },
    { bsHorizontal, clRed, BS_HATCHED, HS_HORIZONTAL },
    { bsCross, clRed, BS_HATCHED, HS_CROSS },
    { bsDiagCross, clRed, BS_HATCHED, HS_DIAGCROSS },
    { bsSolid, clNone, BS_NULL, 0 },
    { bsCross, clNone, BS_NULL, 0 },
  };
  for (const Case& c : cases) {
    TBrush b;
    b.SetColor(c.Color);
    b.SetStyle(c.Style);
    LOGBRUSH lb {};
    ASSERT_EQ(GetObjectA(b.Handle(), sizeof lb, &lb), int(sizeof lb));
    EXPECT_EQ(lb.lbStyle, c.LbStyle) << c.Style;
    if (c.LbStyle == BS_HATCHED) {
      EXPECT_EQ(lb.lbHatch, c.Hatch) << c.Style;
    }
  }
}

TEST(Brush, AColourMakesAClearBrushSolid) {
  TBrush b;
  b.SetStyle(bsClear);
  b.SetColor(clWhite);  // even the same colour
  EXPECT_EQ(b.Style(), bsSolid);
  b.SetStyle(bsCross);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsCross);
}

}  // namespace
