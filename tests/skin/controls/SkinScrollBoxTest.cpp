// The skinned scroll box with its two external bars: ranges, pages and visibility from the children's
// extent, the children moved by bar drags, VScroll/HScroll (the last position reachable), the wheel and
// a focused child scrolled into view, the box growing or the content shrinking while scrolled, the
// horizontal bar's corner, hiding and showing the box, bars removed or outliving it, streaming, and the
// three looks with every border style and the skin's frame, tiles and background picture.

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class ScrollBoxTest : public SkinControlsTest {
 protected:
  TbsSkinScrollBox* NewBox(int l, int t, int w, int h) {
    auto* b = new TbsSkinScrollBox(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    return b;
  }
  TbsSkinScrollBar* NewBar(int l, int t, int w, int h, TScrollBarKind kind) {
    auto* b = new TbsSkinScrollBar(form);
    b->SetParent(form);
    b->SetKind(kind);
    b->SetBounds(l, t, w, h);
    return b;
  }
  template <class C>
  C* Child(TWinControl* parent, int l, int t, int w, int h) {
    auto* c = new C(form);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
  }
  // A pixel of the control's window, frame included.
  COLORREF WPx(TControl* c, int x, int y) const {
    const TPoint p = form->ScreenToClient(c->Parent()->ClientToScreen(TPoint(c->Left() + x, c->Top() + y)));
    return xt::ReadPixel(form->Handle(), p.X, p.Y);
  }
  static COLORREF Sys(int index) { return GetSysColor(index); }
};

class TScrollBoxForm : public TForm {
  XJ_CLASS(TScrollBoxForm, TForm)
 public:
  explicit TScrollBoxForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ScrollBoxTest, BarsFollowTheChildrenAndMoveThemByDragKeysWheelAndFocus) {
  auto* box = NewBox(10, 10, 150, 150);  // client 148 x 148 inside the one-pixel frame
  auto* v = NewBar(162, 10, 16, 150, sbVertical);
  auto* h = NewBar(10, 162, 150, 16, sbHorizontal);
  auto* top = Child<TEdit>(box, 5, 5, 60, 22);
  auto* low = Child<TEdit>(box, 7, 100, 60, 22);
  box->SetVScrollBar(v);
  box->SetHScrollBar(h);
  ShowUnfocused();
  EXPECT_EQ(box->ClientHeight(), 148);
  // Everything fits: both bars hidden and empty.
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());
  EXPECT_EQ(v->Max(), 0);
  EXPECT_FALSE(v->CanFocused());

  // A child reaching below: the next range update shows the bar, Max the content's last pixel, the page
  // the client.
  low->SetTop(200);
  EXPECT_FALSE(v->Visible());  // the box does not watch its children by itself
  box->UpDateScrollRange();
  EXPECT_TRUE(v->Visible());
  EXPECT_FALSE(h->Visible());
  EXPECT_EQ(v->Min(), 0);
  const int lh = low->Height();
  EXPECT_EQ(v->Max(), 200 + lh - 1);
  EXPECT_EQ(v->PageSize(), 148);

  // The user drags the thumb: every child moves up by the bar's position, and back.
  const TRect thumb = v->Button(TbsSkinScrollBar::bpThumb).R;
  const TPoint from = v->ClientToScreen(TPoint((thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2));
  xt::Drag(from.X, from.Y, from.X, from.Y + 25);
  xt::PumpUntilIdle();
  const int dragged = v->Position();
  EXPECT_GT(dragged, 0);
  EXPECT_EQ(top->Top(), 5 - dragged);
  EXPECT_EQ(low->Top(), 200 - dragged);
  v->SetPosition(0);
  EXPECT_EQ(top->Top(), 5);
  EXPECT_EQ(low->Top(), 200);

  // VScroll moves by exactly its argument; the last position is the one that shows the content's end.
  box->VScroll(30);
  EXPECT_EQ(v->Position(), 30);
  EXPECT_EQ(low->Top(), 170);
  box->VScroll(100000);
  EXPECT_EQ(v->Position(), 200 + lh - 148);
  EXPECT_EQ(low->Top() + low->Height(), box->ClientHeight());
  box->VScroll(0);

  // The wheel over a focused child scrolls the box by three lines a notch.
  top->SetFocus();
  xt::PumpUntilIdle();
  const TPoint over = top->ClientToScreen(TPoint(4, 4));
  xt::MouseMove(over.X, over.Y);
  xt::Wheel(-120);
  EXPECT_EQ(v->Position(), 24);
  EXPECT_EQ(top->Top(), 5 - 24);
  xt::Wheel(240);
  EXPECT_EQ(v->Position(), 0);

  // Tab to the child below the client: the box scrolls it just into view; back up scrolls to the top one.
  Press(VK_TAB);
  ASSERT_TRUE(low->Focused());
  EXPECT_EQ(low->Top() + low->Height(), box->ClientHeight());
  EXPECT_EQ(v->Position(), 200 + lh - 148);
  Press(VK_TAB, xt::ssShift);
  ASSERT_TRUE(top->Focused());
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(v->Position(), 5);

  // The horizontal bar works the same way, with the same reachable end.
  low->SetLeft(low->Left() + 200);
  box->UpDateScrollRange();
  ASSERT_TRUE(h->Visible());
  EXPECT_EQ(h->Max(), 266);
  box->HScroll(100000);
  EXPECT_EQ(low->Left() + low->Width(), box->ClientWidth());

  // Content that fits again: the next update hides both bars and puts the children back.
  low->SetBounds(7 - h->Position(), 40 - v->Position(), 60, 22);
  box->UpDateScrollRange();
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());
  EXPECT_EQ(v->Position(), 0);
  EXPECT_EQ(h->Position(), 0);
  EXPECT_EQ(low->Left(), 7);
  EXPECT_EQ(low->Top(), 40);
  EXPECT_EQ(top->Top(), 5);
}

TEST_F(ScrollBoxTest, GrowingOrShrinkingTheContentWhileScrolledKeepsChildrenAndBarInStep) {
  auto* box = NewBox(10, 10, 150, 150);
  auto* v = NewBar(162, 10, 16, 200, sbVertical);
  auto* tall = Child<TTestPanel>(box, 0, 0, 80, 198);
  box->SetVScrollBar(v);
  ShowUnfocused();
  ASSERT_TRUE(v->Visible());
  EXPECT_EQ(v->Max(), 197);
  box->VScroll(50);
  ASSERT_EQ(tall->Top() + tall->Height(), box->ClientHeight());  // the content ends at the client's bottom

  // Twenty pixels taller while scrolled by 50: the children come down by 20, the bar reads 30.
  box->SetBounds(10, 10, 150, 170);
  EXPECT_EQ(tall->Top(), -30);
  EXPECT_EQ(v->Position(), 30);
  EXPECT_EQ(v->PageSize(), 168);

  // The content shrinks while scrolled: the children return to their unscrolled places.
  tall->SetHeight(180);
  box->UpDateScrollRange();
  EXPECT_EQ(v->Position(), 0);
  EXPECT_EQ(tall->Top(), 0);
  EXPECT_EQ(v->Max(), 179);
  // Bigger than its content: no bar.
  box->SetBounds(10, 10, 150, 190);
  EXPECT_FALSE(v->Visible());
  EXPECT_EQ(v->Max(), 0);
}

TEST_F(ScrollBoxTest, TheCornerAndTheBarsFollowTheBoxesVisibility) {
  auto* box = NewBox(10, 10, 150, 150);
  auto* v = NewBar(162, 10, 16, 150, sbVertical);
  auto* h = NewBar(10, 162, 150, 16, sbHorizontal);
  auto* c = Child<TTestPanel>(box, 0, 0, 100, 100);
  box->SetVScrollBar(v);
  box->SetHScrollBar(h);
  ShowUnfocused();
  EXPECT_FALSE(h->Both());
  // The corner follows the vertical bar as it stood when the pass began: one update later.
  c->SetHeight(300);
  box->UpDateScrollRange();
  ASSERT_TRUE(v->Visible());
  box->UpDateScrollRange();
  EXPECT_TRUE(h->Both());
  c->SetHeight(100);
  box->UpDateScrollRange();
  box->UpDateScrollRange();
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Both());

  // Hidden with the box; shown again only where the content needs a bar.
  c->SetHeight(300);
  box->UpDateScrollRange();
  ASSERT_TRUE(v->Visible());
  box->SetVisible(false);
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());
  box->SetBounds(10, 10, 150, 140);  // a range update while hidden shows nothing
  EXPECT_FALSE(v->Visible());
  box->SetVisible(true);
  EXPECT_TRUE(v->Visible());
  EXPECT_FALSE(h->Visible());
  c->SetHeight(100);
  box->SetVisible(false);
  box->SetVisible(true);
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());
}

TEST_F(ScrollBoxTest, BarsRemovedReplacedOrOutlivingTheBoxAndAFormRoundTrip) {
  auto* box = NewBox(10, 10, 150, 150);
  auto* v = NewBar(162, 10, 16, 150, sbVertical);
  auto* c = Child<TTestPanel>(box, 0, 0, 100, 400);
  box->SetVScrollBar(v);
  ShowUnfocused();
  box->VScroll(40);
  ASSERT_EQ(c->Top(), -40);
  // A replacement bar starts from the unscrolled place; the old one no longer reports to the box.
  auto* w = NewBar(180, 10, 16, 150, sbVertical);
  box->SetVScrollBar(w);
  EXPECT_EQ(c->Top(), 0);
  EXPECT_TRUE(w->Visible());
  EXPECT_FALSE(static_cast<bool>(v->OnChange));
  v->SetRange(0, 500, 0, 10);
  v->SetPosition(90);
  EXPECT_EQ(c->Top(), 0);
  // A freed bar is forgotten; a bar that outlives the box moves nothing.
  delete w;
  EXPECT_EQ(box->VScrollBar(), nullptr);
  box->UpDateScrollRange();
  box->VScroll(10);
  box->SetVScrollBar(v);
  delete box;
  v->SetPosition(3);
  EXPECT_FALSE(static_cast<bool>(v->OnChange));

  auto* a = new TScrollBoxForm(nullptr);
  Keep(a);
  auto* sb = new TbsSkinScrollBox(a);
  sb->SetName("Box1");
  sb->SetParent(a);
  auto* bar = new TbsSkinScrollBar(a);
  bar->SetName("Bar1");
  bar->SetParent(a);
  sb->SetHScrollBar(bar);
  sb->SetBorderStyle(bs::bvFrame);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TScrollBoxForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinScrollBox*>(b->FindComponent("Box1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->HScrollBar(), b->FindComponent("Bar1"));
  EXPECT_EQ(back->VScrollBar(), nullptr);
  EXPECT_EQ(back->BorderStyle(), bs::bvFrame);
  EXPECT_EQ(back->Width(), 150);
  EXPECT_EQ(back->SkinDataName(), "scrollbox");
  EXPECT_EQ(WriteComponentResource(b), text);
}

TEST_F(ScrollBoxTest, ThreeLooksEveryBorderStyleAndTheSkinsTilesAndBackground) {
  // A borderless host, so that the gallery shows the frame and the bars beside the box.
  auto* host = new TPanel(form);
  host->SetParent(form);
  host->SetBevelOuter(bvNone);
  host->SetBounds(10, 10, 150, 110);
  auto* box = new TbsSkinScrollBox(form);
  box->SetParent(host);
  box->SetBounds(0, 0, 130, 90);
  auto* v = NewBar(0, 0, 16, 90, sbVertical);
  v->SetParent(host);
  v->SetLeft(132);
  Child<TTestPanel>(box, 4, 4, 30, 20)->SetColor(clRed);
  Child<TEdit>(box, 20, 120, 60, 22);
  box->SetVScrollBar(v);
  ShowUnfocused();
  ASSERT_TRUE(v->Visible());
  box->VScroll(0);  // the form scrolled its first focused control, the edit, into view
  // Without a skin: the button face inside a one-pixel frame whose colours the border style picks.
  const COLORREF shadow = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT), face = Sys(COLOR_BTNFACE);
  struct Look {
    TbsSkinBorderStyle style;
    COLORREF topLeft, bottomRight;
  };
  for (const Look& l : { Look { bs::bvRaised, shadow, light }, Look { bs::bvLowered, light, shadow },
                         Look { bs::bvFrame, shadow, shadow } }) {
    box->SetBorderStyle(l.style);
    xt::PumpUntilIdle();
    EXPECT_EQ(box->ClientWidth(), 128);
    EXPECT_EQ(WPx(box, 0, 0), l.topLeft) << int(l.style);
    EXPECT_EQ(WPx(box, 60, 0), l.topLeft) << int(l.style);
    EXPECT_EQ(WPx(box, 129, 89), l.bottomRight) << int(l.style);
    EXPECT_EQ(WPx(box, 129, 40), l.bottomRight) << int(l.style);
    EXPECT_EQ(WPx(box, 60, 60), face);
  }
  box->SetBorderStyle(bs::bvNone);
  xt::PumpUntilIdle();
  EXPECT_EQ(box->ClientWidth(), 130);
  EXPECT_EQ(WPx(box, 0, 0), face);
  box->SetBorderStyle(bs::bvRaised);
  xt::PumpUntilIdle();
  Gallery(host, "bsSkinBoxCtrls", "scrollbox-default");

  // The test skin: the frame is the border of the skin's face, the client tiled from its client part.
  box->SetSkinData(LoadTestSkin());
  v->SetSkinDataName("vscrollbar");
  v->SetSkinData(skin);
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("scrollbox");
  ASSERT_NE(owner, 0);
  EXPECT_EQ(box->ClientWidth(), 124);
  EXPECT_EQ(box->ClientHeight(), 84);
  auto at = [&](int x, int y) { return Decode(WPx(box, x, y)); };
  auto is = [&](mkskin::DecodedPixel p, uint8_t o, int lx, int ly) {
    return p.owner == o && p.code == RectCode("skinrect") && p.localX == lx % 16 && p.localY == ly % 16;
  };
  EXPECT_TRUE(is(at(0, 0), owner, 0, 0));
  EXPECT_TRUE(is(at(129, 89), owner, 63, 63));
  EXPECT_EQ(at(2, 50).owner, owner);  // the left strip
  EXPECT_EQ(at(2, 50).localX, 2);
  EXPECT_TRUE(is(Code(box, 40, 40), owner, 43, 43));  // the client tiled from (3, 3) of the face
  EXPECT_TRUE(is(Code(box, 58 + 57, 10), owner, 60, 13));
  EXPECT_TRUE(is(Code(box, 58, 58), owner, 3, 3));             // the next tile starts over
  EXPECT_TRUE(is(Code(box, 116 + 5, 58 + 20), owner, 8, 23));  // the last tiles, cut at the edges
  Gallery(host, "bsSkinBoxCtrls", "scrollbox-skin");
  // bvNone leaves the skinned client without a frame.
  box->SetBorderStyle(bs::bvNone);
  xt::PumpUntilIdle();
  EXPECT_EQ(box->ClientWidth(), 130);
  EXPECT_TRUE(is(Code(box, 0, 0), owner, 3, 3));
  box->SetBorderStyle(bs::bvRaised);

  // A background picture: no frame, the picture tiled over the whole control. The record is changed in
  // the loaded skin, the way a skin with such a record reads.
  auto* rec = dynamic_cast<TbsDataSkinScrollBoxControl*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("scrollbox"))));
  ASSERT_NE(rec, nullptr);
  rec->BGPictureIndex = 6;  // the test skin's tile
  box->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(box->BGPictureIndex(), 6);
  EXPECT_EQ(box->ClientWidth(), 130);
  const auto tile = Code(box, 16 + 5, 32 + 9);
  EXPECT_EQ(tile.owner, mkskin::kOwnerTile);
  EXPECT_EQ(tile.code, mkskin::kTileCode);
  EXPECT_EQ(tile.localX, 5);
  EXPECT_EQ(tile.localY, 9);
  EXPECT_EQ(Code(box, 129, 89).owner, mkskin::kOwnerTile);
  Gallery(host, "bsSkinBoxCtrls", "scrollbox-background");

  // A client part without pixels and a background picture that is not there: framed, nothing tiled.
  rec->BGPictureIndex = 99;
  rec->ClRect = TRect(32, 4, 32, 59);
  box->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(box->BGPictureIndex(), -1);
  EXPECT_EQ(box->ClientWidth(), 130 - 64);
  EXPECT_EQ(Px(box, 10, 40), face);
  EXPECT_EQ(at(0, 0).owner, owner);

  // The second skin has no scroll box: through the form's skin-change walk, the default look and frame.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(box->SkinObjectIndex(), -1);
  EXPECT_EQ(box->ClientWidth(), 128);
  EXPECT_EQ(WPx(box, 0, 0), shadow);
  EXPECT_EQ(WPx(box, 60, 60), face);
  EXPECT_EQ(Px(box, 10, 10), COLORREF(RGB(255, 0, 0)));  // the child still paints over the client
  Gallery(host, "bsSkinBoxCtrls", "scrollbox-second");
}
