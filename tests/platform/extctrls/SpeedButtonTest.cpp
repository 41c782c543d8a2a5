// TSpeedButton driven like a user: exclusive groups and AllowAllUp, click on release inside, the pressed
// and flat looks, glyph cells per state, layout of glyph and caption, accelerators.

#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class SpeedButtonTest : public StockTest {
 protected:
  TSpeedButton* NewButton(TWinControl* parent, int x, int y, int w = 40, int h = 30) {
    auto* b = new TSpeedButton(form);
    b->SetParent(parent);
    b->SetBounds(x, y, w, h);
    b->OnClick = On<TNotifyEvent>([this, b](TObject* sender) {
      EXPECT_EQ(sender, b);
      clicks.push_back(b);
    });
    return b;
  }
  void ClickOn(TControl* c) { ClickAt(c, c->Width() / 2, c->Height() / 2); }
  // The four corners of a button: what its edge looks like.
  std::string Corners(TControl* c) {
    const int l = c->Left(), t = c->Top(), r = l + c->Width() - 1, b = t + c->Height() - 1;
    std::string s;
    for (TPoint p :
         { TPoint(l, t), TPoint(r, t), TPoint(l, b), TPoint(r, b), TPoint(l + 1, t + 1), TPoint(r - 1, b - 1) }) {
      const COLORREF px = xt::ReadPixel(FormHandle(), p.X, p.Y);
      s += px == kHighlight  ? 'H'
           : px == kShadow   ? 'S'
           : px == kDkShadow ? 'K'
           : px == kFace     ? 'F'
           : px == 0x00A0E0  ? '.'
                             : '?';
    }
    return s;
  }
  std::vector<TSpeedButton*> clicks;
};

TEST_F(SpeedButtonTest, AGroupIsExclusiveAndAllowAllUpLetsTheLastOneUp) {
  TSpeedButton* a = NewButton(form, 10, 10);
  TSpeedButton* b = NewButton(form, 60, 10);
  TSpeedButton* c = NewButton(form, 110, 10);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 100, 200, 60);
  TSpeedButton* elsewhere = NewButton(panel, 10, 10);  // the same index under another parent
  for (TSpeedButton* s : { a, b, c, elsewhere }) s->SetGroupIndex(1);
  elsewhere->SetDown(true);
  form->Show();

  ClickOn(a);
  EXPECT_TRUE(a->Down());
  ClickOn(b);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  ClickOn(b);  // the only down button of the group stays down
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(clicks, (std::vector<TSpeedButton*> { a, b, b }));
  EXPECT_TRUE(elsewhere->Down());

  c->SetAllowAllUp(true);  // told to the whole group
  EXPECT_TRUE(a->AllowAllUp());
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_FALSE(elsewhere->AllowAllUp());
  ClickOn(b);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_FALSE(c->Down());

  c->SetDown(true);
  a->SetDown(true);
  EXPECT_FALSE(c->Down());
  EXPECT_TRUE(a->Down());
  EXPECT_TRUE(elsewhere->Down());

  TSpeedButton* plain = NewButton(form, 160, 10);
  plain->SetDown(true);  // no group: never down
  EXPECT_FALSE(plain->Down());
  ClickOn(plain);
  EXPECT_FALSE(plain->Down());
  EXPECT_EQ(clicks.back(), plain);
}

TEST_F(SpeedButtonTest, PressedLookFollowsThePointerAndOnlyAReleaseInsideClicks) {
  TSpeedButton* b = NewButton(form, 20, 20);
  form->Show();
  xt::PumpUntilIdle();
  const std::string up = "HKKKFS";  // raised: highlight top-left, dark shadow bottom-right
  const std::string sunken = "SHHHKF";
  EXPECT_EQ(Corners(b), up);
  const TPoint inside = At(b, 10, 10), outside = At(form, 300, 200);
  xt::MouseDown(xt::mbLeft, inside.X, inside.Y);
  EXPECT_EQ(Corners(b), sunken);
  xt::MouseMove(outside.X, outside.Y);
  EXPECT_EQ(Corners(b), up);
  xt::MouseMove(inside.X, inside.Y);
  EXPECT_EQ(Corners(b), sunken);
  xt::MouseMove(outside.X, outside.Y);
  xt::MouseUp(xt::mbLeft, outside.X, outside.Y);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(Corners(b), up);

  xt::MouseDown(xt::mbLeft, inside.X, inside.Y);
  xt::MouseUp(xt::mbLeft, inside.X, inside.Y);
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_EQ(Corners(b), up);

  // Down in a group: sunken, the face a checkerboard of face and highlight.
  b->SetGroupIndex(1);
  b->SetDown(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(Corners(b), "SHHHKF");
  const COLORREF p1 = xt::ReadPixel(FormHandle(), 20 + 4, 20 + 4), p2 = xt::ReadPixel(FormHandle(), 20 + 5, 20 + 4),
                 p3 = xt::ReadPixel(FormHandle(), 20 + 5, 20 + 5);
  EXPECT_NE(p1, p2);
  EXPECT_EQ(p1, p3);
  EXPECT_TRUE((p1 == kFace && p2 == kHighlight) || (p1 == kHighlight && p2 == kFace));
  b->SetGroupIndex(0);
  b->SetAllowAllUp(true);
  b->SetDown(false);
  xt::PumpUntilIdle();

  // A right press does nothing to the face and never clicks.
  xt::Click(inside.X, inside.Y, xt::mbRight);
  EXPECT_EQ(clicks.size(), 1u);

  b->SetEnabled(false);
  xt::Advance(1000);
  xt::Click(inside.X, inside.Y);
  EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(SpeedButtonTest, AFlatButtonShowsItsFrameOnlyWhileThePointerIsOverIt) {
  TSpeedButton* b = NewButton(form, 20, 20);
  b->SetFlat(true);
  b->SetCursor(crHandPoint);
  form->Show();
  const TPoint away = At(form, 300, 200);
  xt::MouseMove(away.X, away.Y);
  EXPECT_EQ(Corners(b), "......");  // transparent: the form shows through
  EXPECT_NE(GetCursor(), Screen->Cursors(crHandPoint));
  MoveTo(b, 5, 5);
  EXPECT_EQ(Corners(b), "HSSS..");  // one raised pixel
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  xt::MouseMove(away.X, away.Y);
  EXPECT_EQ(Corners(b), "......");
  b->SetTransparent(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Corners(b), "FFFFFF");
  MoveTo(b, 5, 5);
  xt::MouseDown(xt::mbLeft, At(b, 5, 5).X, At(b, 5, 5).Y);
  EXPECT_EQ(Corners(b), "SHHHFF");  // one sunken pixel
  xt::MouseUp(xt::mbLeft, At(b, 5, 5).X, At(b, 5, 5).Y);
  EXPECT_EQ(Corners(b), "HSSSFF");  // the pointer is still over it
  b->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Corners(b), "FFFFFF");
  xt::MouseMove(away.X, away.Y);
  MoveTo(b, 6, 6);
  EXPECT_EQ(Corners(b), "FFFFFF");
}

TEST_F(SpeedButtonTest, EachStateDrawsItsGlyphCellAndTheTransparentColourStaysOut) {
  // Cells of 4 × 4, up red, disabled green, down blue, exclusive yellow; white is the key (bottom left).
  TBitmap glyph;
  Paint(glyph, { "rrrrggggbbbbyyyy", "rrrrggggbbbbyyyy", "rrrrggggbbbbyyyy", "wrrrwgggwbbbwyyy" },
        { { 'r', clRed }, { 'g', clLime }, { 'b', clBlue }, { 'y', clYellow }, { 'w', clWhite } });
  TSpeedButton* b = NewButton(form, 20, 20);
  b->SetGlyph(&glyph);
  EXPECT_EQ(b->NumGlyphs(), 4);
  form->Show();
  // Client 36 × 26 inside the 2-pixel edge: the glyph at (2 + 16, 2 + 11), one pixel further when down.
  auto cellAt = [&](int dx) {
    xt::PumpUntilIdle();
    return xt::ReadPixel(FormHandle(), 20 + 18 + 1 + dx, 20 + 13 + 1 + dx);
  };
  auto keyAt = [&](int dx) { return xt::ReadPixel(FormHandle(), 20 + 18 + dx, 20 + 13 + 3 + dx); };
  EXPECT_EQ(cellAt(0), 0x0000FFu);
  EXPECT_EQ(keyAt(0), kFace);
  b->SetEnabled(false);
  EXPECT_EQ(cellAt(0), 0x00FF00u);
  b->SetEnabled(true);
  const TPoint p = At(b, 5, 5);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(cellAt(1), 0xFF0000u);
  EXPECT_EQ(keyAt(1), kFace);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  b->SetGroupIndex(3);
  b->SetDown(true);
  EXPECT_EQ(cellAt(1), 0x00FFFFu);

  // Two cells: down and exclusive fall back to the up cell.
  TBitmap two;
  Paint(two, { "rrrrgggg", "rrrrgggg", "rrrrgggg", "wrrrwggg" }, { { 'r', clRed }, { 'g', clLime }, { 'w', clWhite } });
  b->SetGlyph(&two);
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(cellAt(1), 0x0000FFu);
  b->SetEnabled(false);
  EXPECT_EQ(cellAt(1), 0x00FF00u);
}

TEST_F(SpeedButtonTest, WithOneCellTheDisabledGlyphIsTheShapeEmbossed) {
  TBitmap glyph;  // a 2 × 2 black square on a white key
  Paint(glyph, { "wwww", "wkkw", "wkkw", "wwww" }, { { 'k', clBlack }, { 'w', clWhite } });
  TSpeedButton* b = NewButton(form, 20, 20);
  b->SetGlyph(&glyph);
  b->SetEnabled(false);
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(Map(FormHandle(), 20 + 18, 20 + 13, 4, 4, { { 'F', kFace }, { 'H', kHighlight }, { 'S', kShadow } }),
            Rows({ "FFFF", "FSSF", "FSSH", "FFHH" }));
}

TEST_F(SpeedButtonTest, GlyphAndCaptionAreLaidOutByLayoutMarginAndSpacing) {
  TBitmap glyph;
  Paint(glyph, { "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "wrrrrrrr" },
        { { 'r', clRed }, { 'w', clWhite } });
  TSpeedButton* b = NewButton(form, 10, 10, 80, 60);
  b->SetGlyph(&glyph);
  b->SetCaption("Ab");
  form->Show();
  xt::PumpUntilIdle();
  const int tw = b->Canvas()->TextWidth("Ab"), th = b->Canvas()->TextHeight("Ab");
  const int cw = 76, ch = 56;  // inside the 2-pixel edge
  struct Case {
    TButtonLayout layout;
    int margin, spacing;
    TPoint glyph, text;  // relative to the client area
  };
  const Case cases[] = {
    { blGlyphLeft, 3, 5, TPoint(3, (ch - 8 + 1) / 2), TPoint(16, (ch - th + 1) / 2) },
    { blGlyphRight, 3, 5, TPoint(cw - 11, (ch - 8 + 1) / 2), TPoint(cw - 16 - tw, (ch - th + 1) / 2) },
    { blGlyphTop, 4, 2, TPoint((cw - 8 + 1) / 2, 4), TPoint((cw - tw + 1) / 2, 14) },
    { blGlyphBottom, 4, 2, TPoint((cw - 8 + 1) / 2, ch - 12), TPoint((cw - tw + 1) / 2, ch - 14 - th) },
    { blGlyphLeft, -1, 4, TPoint((cw - 8 - 4 - tw + 1) / 2, (ch - 8 + 1) / 2),
      TPoint((cw - 8 - 4 - tw + 1) / 2 + 12, (ch - th + 1) / 2) },
    { blGlyphLeft, -1, -1, TPoint((cw - 8 - tw) / 3, (ch - 8 + 1) / 2),
      TPoint(2 * ((cw - 8 - tw) / 3) + 8, (ch - th + 1) / 2) },
    { blGlyphLeft, 2, -1, TPoint(2, (ch - 8 + 1) / 2), TPoint(2 + 8 + (cw - 2 - 8 - tw) / 2, (ch - th + 1) / 2) },
  };
  const int ox = form->ClientOrigin().X - form->Left() + 10 + 2, oy = form->ClientOrigin().Y - form->Top() + 10 + 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.layout) + " " + std::to_string(c.margin) + " " + std::to_string(c.spacing));
    b->SetLayout(c.layout);
    b->SetMargin(c.margin);
    b->SetSpacing(c.spacing);
    xt::ClearTextLog();
    xt::PumpUntilIdle();
    // The glyph's top-left pixel is red, the one left of it and above it are not.
    const int gx = 12 + c.glyph.X, gy = 12 + c.glyph.Y;
    EXPECT_EQ(xt::ReadPixel(FormHandle(), gx, gy), 0x0000FFu);
    EXPECT_NE(xt::ReadPixel(FormHandle(), gx - 1, gy), 0x0000FFu);
    EXPECT_NE(xt::ReadPixel(FormHandle(), gx, gy - 1), 0x0000FFu);
    bool found = false;
    for (const auto& t : xt::TextOutLog())
      if (t.text == "Ab") {
        found = true;
        EXPECT_EQ(t.x, ox + c.text.X);
        EXPECT_EQ(t.y, oy + c.text.Y);
      }
    EXPECT_TRUE(found);
  }
}

TEST_F(SpeedButtonTest, TheAcceleratorClicksAndTheCaptionIsDrawnDisabledWhenDisabled) {
  TSpeedButton* b = NewButton(form, 10, 10, 80, 30);
  b->SetCaption("&Go");
  auto* focus = new TTestButton(form);
  focus->SetParent(form);
  focus->SetBounds(10, 100, 75, 25);
  form->Show();
  focus->SetFocus();
  Press('G');
  EXPECT_EQ(clicks.size(), 1u);
  b->SetEnabled(false);
  Press('G');
  EXPECT_EQ(clicks.size(), 1u);
  xt::ClearTextLog();
  b->Repaint();
  xt::PumpUntilIdle();
  std::vector<COLORREF> colours;
  for (const auto& t : xt::TextOutLog())
    if (t.text.find("Go") != std::string::npos || t.text.find('G') != std::string::npos) colours.push_back(t.color);
  ASSERT_GE(colours.size(), 2u);
  EXPECT_EQ(colours.front(), kHighlight);
  EXPECT_EQ(colours.back(), kShadow);
}

}  // namespace
