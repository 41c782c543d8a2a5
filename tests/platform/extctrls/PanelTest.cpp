// Frame3D rings, panels (bevels, border, caption, child area, window border) and bevels, probed pixel by
// pixel.

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

std::string BitmapMap(TBitmap& b, std::initializer_list<std::pair<char, TColor>> inks) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Canvas()->Pixels(x, y);
      char ch = '?';
      for (const auto& [k, ink] : inks)
        if (c == ink) {
          ch = k;
          break;
        }
      s += ch;
    }
    s += '\n';
  }
  return s;
}

TEST(Frame3DTest, RingsShrinkTheRectangleAndTheBottomColourOwnsTwoCorners) {
  TBitmap b;
  b.SetSize(8, 7);
  b.Canvas()->Pen()->SetWidth(3);
  TRect r(1, 1, 7, 6);
  Frame3D(b.Canvas(), r, clRed, clBlue, 2);
  EXPECT_EQ(BitmapMap(b, { { '.', clWhite }, { 'T', clRed }, { 'B', clBlue } }),
            Rows({ "........", ".TTTTTB.", ".TTTTBB.", ".TT..BB.", ".TBBBBB.", ".BBBBBB.", "........" }));
  EXPECT_EQ(r, TRect(3, 3, 5, 4));
  EXPECT_EQ(b.Canvas()->Pen()->Width(), 1);
}

TEST(Frame3DTest, WidthZeroDrawsNothingAndKeepsTheRectangle) {
  TBitmap b;
  b.SetSize(4, 4);
  TRect r(0, 0, 4, 4);
  Frame3D(b.Canvas(), r, clRed, clBlue, 0);
  EXPECT_EQ(r, TRect(0, 0, 4, 4));
  EXPECT_EQ(BitmapMap(b, { { '.', clWhite } }), Rows({ "....", "....", "....", "...." }));
}

class PanelTest : public StockTest {
 protected:
  TPanel* NewPanel(int w, int h) {
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, w, h);
    return p;
  }
};

TEST_F(PanelTest, BevelsAndBorderArePaintedOutsideIn) {
  struct Case {
    const char* name;
    TPanelBevel outer, inner;
    int bevelWidth, borderWidth;
    std::string map;  // 8 × 8 panel
  };
  const Case cases[] = {
    { "default raised", bvRaised, bvNone, 1, 0,
      Rows({ "HHHHHHHS", "H......S", "H......S", "H......S", "H......S", "H......S", "H......S", "SSSSSSSS" }) },
    { "lowered outer, raised inner", bvLowered, bvRaised, 1, 0,
      Rows({ "SSSSSSSH", "SHHHHHSH", "SH....SH", "SH....SH", "SH....SH", "SH....SH", "SSSSSSSH", "HHHHHHHH" }) },
    { "border between the bevels", bvRaised, bvLowered, 1, 1,
      Rows({ "HHHHHHHS", "H......S", "H.SSSH.S", "H.S..H.S", "H.S..H.S", "H.HHHH.S", "H......S", "SSSSSSSS" }) },
    { "wide bevel", bvRaised, bvNone, 2, 0,
      Rows({ "HHHHHHHS", "HHHHHHSS", "HH....SS", "HH....SS", "HH....SS", "HH....SS", "HSSSSSSS", "SSSSSSSS" }) },
    { "space bevel is face", bvSpace, bvLowered, 1, 0,
      Rows({ "........", ".SSSSSH.", ".S....H.", ".S....H.", ".S....H.", ".S....H.", ".HHHHHH.", "........" }) },
    { "no bevel", bvNone, bvNone, 1, 0,
      Rows({ "........", "........", "........", "........", "........", "........", "........", "........" }) },
  };
  TPanel* p = NewPanel(8, 8);
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    p->SetBevelOuter(c.outer);
    p->SetBevelInner(c.inner);
    p->SetBevelWidth(c.bevelWidth);
    p->SetBorderWidth(c.borderWidth);
    xt::PumpUntilIdle();
    EXPECT_EQ(Map(p->Handle(), 0, 0, 8, 8, { { '.', kFace }, { 'H', kHighlight }, { 'S', kShadow } }), c.map);
  }
}

TEST_F(PanelTest, AlignedChildrenStayInsideTheFrame) {
  TPanel* p = NewPanel(100, 60);
  form->Show();
  p->SetBevelOuter(bvLowered);
  p->SetBevelInner(bvRaised);
  p->SetBevelWidth(2);
  p->SetBorderWidth(3);
  auto* child = new TTestShape(form);
  child->SetParent(p);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(7, 7, 93, 53));
  p->SetBevelInner(bvNone);
  EXPECT_EQ(child->BoundsRect(), TRect(5, 5, 95, 55));
  p->SetBevelWidth(0);  // at least one
  EXPECT_EQ(p->BevelWidth(), 1);
  EXPECT_EQ(child->BoundsRect(), TRect(4, 4, 96, 56));
}

TEST_F(PanelTest, TheFaceTakesThePanelsColourAndTheCaptionFollowsTheAlignment) {
  TPanel* p = NewPanel(120, 30);
  p->SetColor(clYellow);
  p->SetCaption("Ab");
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(p->Handle(), 3, 3), 0x00FFFFu);
  int xs[3] {};
  const TAlignment order[] = { taLeftJustify, taCenter, taRightJustify };
  for (int i = 0; i < 3; ++i) {
    p->SetAlignment(order[i]);
    xt::ClearTextLog();
    p->Repaint();
    xt::PumpUntilIdle();
    bool found = false;
    for (const auto& t : xt::TextOutLog())
      if (t.text == "Ab") {
        xs[i] = t.x;
        found = true;
      }
    ASSERT_TRUE(found);
  }
  const TPoint origin = p->ClientToScreen(TPoint(0, 0));
  const TPoint formOrigin = TPoint(form->Left(), form->Top());
  const int panelLeft = origin.X - formOrigin.X;  // surface coordinates of the form's window
  EXPECT_EQ(xs[0], panelLeft + 1);                // just inside the raised bevel
  EXPECT_LT(xs[0], xs[1]);
  EXPECT_LT(xs[1], xs[2]);
  EXPECT_EQ(xs[2] + p->Canvas()->TextWidth("Ab"), panelLeft + 119);
}

TEST_F(PanelTest, SingleBorderStyleIsASunkenWindowEdgeOrAFlatBorder) {
  TPanel* p = NewPanel(50, 40);
  form->Show();
  EXPECT_EQ(p->ClientWidth(), 50);
  p->SetBorderStyle(bsSingle);
  EXPECT_TRUE(xt::Info(p->Handle()).exStyle & WS_EX_CLIENTEDGE);
  EXPECT_EQ(p->ClientWidth(), 46);
  p->SetCtl3D(false);
  EXPECT_FALSE(xt::Info(p->Handle()).exStyle & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(xt::Info(p->Handle()).style & WS_BORDER);
  EXPECT_EQ(p->ClientWidth(), 48);
  EXPECT_THROW(p->SetBorderStyle(bsDialog), EInvalidOperation);
}

TEST_F(PanelTest, ClicksAndMouseEventsReachThePanel) {
  TPanel* p = NewPanel(60, 40);
  int clicks = 0;
  TPoint down;
  p->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  p->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int x, int y) { down = TPoint(x, y); });
  form->Show();
  ClickAt(p, 20, 15);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(down, TPoint(20, 15));
}

// ---- TBevel ----------------------------------------------------------------------------------------

TEST_F(PanelTest, BevelShapesAndStyles) {
  struct Case {
    TBevelShape shape;
    TBevelStyle style;
    std::string map;  // 6 × 5 bevel
  };
  const Case cases[] = {
    { bsBox, bsLowered, Rows({ "SSSSSH", "S....H", "S....H", "S....H", "SHHHHH" }) },
    { bsBox, bsRaised, Rows({ "HHHHHS", "H....S", "H....S", "H....S", "HSSSSS" }) },
    { bsFrame, bsLowered, Rows({ "SSSSS.", "SHHHSH", "SH..SH", "SSSSSH", ".HHHHH" }) },
    { bsFrame, bsRaised, Rows({ "HHHHH.", "HSSSHS", "HS..HS", "HHHHHS", ".SSSSS" }) },
    { bsTopLine, bsLowered, Rows({ "SSSSSS", "HHHHHH", "......", "......", "......" }) },
    { bsBottomLine, bsRaised, Rows({ "......", "......", "......", "HHHHHH", "SSSSSS" }) },
    { bsLeftLine, bsLowered, Rows({ "SH....", "SH....", "SH....", "SH....", "SH...." }) },
    { bsRightLine, bsLowered, Rows({ "....SH", "....SH", "....SH", "....SH", "....SH" }) },
    { bsSpacer, bsLowered, Rows({ "......", "......", "......", "......", "......" }) },
  };
  auto* bevel = new TBevel(form);
  bevel->SetParent(form);
  bevel->SetBounds(20, 20, 6, 5);
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.shape) * 10 + static_cast<int>(c.style));
    bevel->SetShape(c.shape);
    bevel->SetStyle(c.style);
    xt::PumpUntilIdle();
    EXPECT_EQ(Map(FormHandle(), 20, 20, 6, 5, { { '.', 0x00A0E0 }, { 'H', kHighlight }, { 'S', kShadow } }), c.map);
  }
}

}  // namespace
