// Draws a picture a person can check: shapes, a transparent glyph, Chinese and Latin text in the
// faces the console uses; written to build/tests/graphics_demo.png.

#include <gtest/gtest.h>

#include "platform/display/Png.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

// Pixels that are not the ground colour inside r: how much ink a drawing left there.
int Ink(TBitmap& b, const TRect& r, TColor ground) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += b.Canvas()->Pixels(x, y) != ground;
  return n;
}

TEST(DemoPng, ShapesGlyphAndChineseText) {
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(360, 220);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Rect(0, 0, 360, 220));

  // Shapes.
  c->Pen()->SetColor(clNavy);
  c->Brush()->SetColor(clYellow);
  c->Rectangle(10, 10, 70, 50);
  c->Brush()->SetColor(clAqua);
  c->Ellipse(80, 10, 140, 50);
  c->Brush()->SetColor(clRed);
  c->Brush()->SetStyle(bsDiagCross);
  c->RoundRect(150, 10, 210, 50, 12, 12);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clLime);
  c->Polygon({ Point(220, 50), Point(250, 10), Point(280, 50) });
  c->Pen()->SetColor(clPurple);
  c->Pen()->SetWidth(3);
  c->MoveTo(290, 10);
  c->LineTo(350, 50);
  c->Pen()->SetWidth(1);

  // A glyph drawn transparently: its fuchsia ground (bottom-left pixel) is not drawn.
  TBitmap glyph;
  glyph.SetSize(24, 24);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 24, 24));
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->Pen()->SetColor(clBlue);
  glyph.Canvas()->Ellipse(2, 2, 22, 22);
  glyph.Canvas()->Brush()->SetColor(clWhite);
  glyph.Canvas()->FillRect(Rect(10, 5, 14, 19));
  glyph.SetTransparent(true);
  c->Draw(10, 60, &glyph);
  c->StretchDraw(Rect(40, 60, 88, 108), &glyph);

  // Text: the console's Chinese face and a Latin one.
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetName("宋体");
  c->Font()->SetHeight(-24);
  c->Font()->SetColor(clBlack);
  c->TextOut(110, 60, "巡检程序");
  c->Font()->SetName("Tahoma");
  c->Font()->SetColor(clMaroon);
  c->TextOut(110, 100, "巡检程序 Tahoma");
  c->Font()->SetName("MS Sans Serif");
  c->Font()->SetHeight(-11);
  c->Font()->SetColor(clWindowText);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clInfoBk);
  c->TextRect(Rect(10, 150, 200, 170), 14, 153, "TextRect clipped at the right edge of its box");

  const std::string path = std::string(XJ_BINARY_DIR) + "/tests/graphics_demo.png";
  const auto* top = static_cast<const uint32_t*>(b.ScanLine(0));
  const int stride = int(static_cast<const uint8_t*>(b.ScanLine(1)) - reinterpret_cast<const uint8_t*>(top));
  std::string error;
  ASSERT_TRUE(xj::display::WritePng(path, { top, b.Width(), b.Height(), stride }, &error)) << error;

  xj::display::Image back;
  ASSERT_TRUE(xj::display::ReadPng(path, back, &error)) << error;
  EXPECT_EQ(back.width, 360);
  EXPECT_EQ(back.At(20, 20) & 0xFFFFFF, 0xFFFF00u);  // the yellow rectangle, as RGB
  const TColor face = TColor(0xC0C0C0);
  EXPECT_GT(Ink(b, Rect(110, 60, 220, 90), face), 150);  // the Chinese text left ink
  EXPECT_GT(Ink(b, Rect(110, 100, 300, 130), face), 150);
  EXPECT_EQ(b.Canvas()->Pixels(10, 60 + 23), face);           // the glyph's transparent corner
  EXPECT_EQ(b.Canvas()->Pixels(22, 72), clWhite);             // its opaque middle
  EXPECT_EQ(b.Canvas()->Pixels(199, 169), TColor(0xE1FFFF));  // TextRect box filled
  EXPECT_EQ(b.Canvas()->Pixels(199, 150), TColor(0xE1FFFF));
  EXPECT_EQ(b.Canvas()->Pixels(200, 160), face);  // and clipped
}

}  // namespace
