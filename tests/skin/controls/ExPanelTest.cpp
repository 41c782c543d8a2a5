// The roll-up panel as a user rolls, unrolls and closes it through its caption buttons: sizes and
// children kept in both directions, across streaming and across a skin switch, and its looks.

#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class ExPanelTest : public SkinControlsTest {
 protected:
  TbsSkinExPanel* NewPanel(TWinControl* parent, int l, int t) {
    auto* p = new TbsSkinExPanel(parent->Owner() ? parent->Owner() : parent);
    p->SetParent(parent);
    p->SetBounds(l, t, 150, 100);
    p->OnChangeRollState = On<TNotifyEvent>([this](TObject*) { ++rolls; });
    p->OnClose = On<TNotifyEvent>([this](TObject*) { ++closes; });
    return p;
  }
  static TControl* Child(TbsSkinExPanel* p, int top) {
    auto* c = new TPanel(p->Owner());
    c->SetParent(p);
    c->SetBounds(10, top, 40, 20);
    return c;
  }
  static void Press(TControl* c, const TRect& r) {
    const TPoint a = At(c, r.Left + 3, r.Top + 3);
    xt::MouseDown(xt::mbLeft, a.X, a.Y);
  }
  static void Release(TControl* c, int x, int y) {
    const TPoint a = At(c, x, y);
    xt::MouseMove(a.X, a.Y);
    xt::MouseUp(xt::mbLeft, a.X, a.Y);
  }
  int rolls = 0, closes = 0;
};

class TExPanelForm : public TForm {
  XJ_CLASS(TExPanelForm, TForm)
 public:
  explicit TExPanelForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ExPanelTest, RollingBothWaysKeepsSizesAndOnlyTheChildrenItHid) {
  auto* p = NewPanel(form, 10, 10);
  TControl* shown = Child(p, 30);
  TControl* hidden = Child(p, 60);
  hidden->SetVisible(false);
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(p->Buttons(0).R, TRect(133, 3, 148, 18));
  EXPECT_EQ(p->Buttons(1).R, TRect(118, 3, 133, 18));
  // A press released off the button does nothing; one that comes back before the release acts.
  Press(p, p->Buttons(1).R);
  Release(p, 60, 60);
  EXPECT_FALSE(p->RollState());
  Press(p, p->Buttons(1).R);
  MoveTo(p, 60, 60);
  Release(p, 121, 6);
  EXPECT_TRUE(p->RollState());
  EXPECT_EQ(p->Height(), 21);
  EXPECT_EQ(p->Width(), 150);
  EXPECT_FALSE(shown->Visible());
  p->SetBounds(10, 10, 170, 300);  // the rolled dimension stays
  EXPECT_EQ(p->Height(), 21);
  xt::PumpUntilIdle();
  ClickAt(p, 140, 6);  // the roll button has moved with the wider caption
  EXPECT_FALSE(p->RollState());
  EXPECT_EQ(p->Height(), 100);
  EXPECT_TRUE(shown->Visible());
  EXPECT_FALSE(hidden->Visible());
  EXPECT_EQ(rolls, 2);

  // In width: the strip is as wide as the caption is high; the buttons stand at its top.
  p->SetRollKind(rkRollHorizontal);
  p->SetRollState(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(p->Width(), 21);
  EXPECT_EQ(p->Height(), 100);
  EXPECT_EQ(p->Buttons(0).R, TRect(3, 3, 18, 18));
  EXPECT_EQ(p->Buttons(1).R, TRect(3, 18, 18, 33));
  // Changing the direction while rolled unrolls in the old one first: nothing collapses to 0.
  p->SetRollKind(rkRollVertical);
  EXPECT_FALSE(p->RollState());
  EXPECT_EQ(p->Width(), 170);
  EXPECT_EQ(p->Height(), 100);
  EXPECT_TRUE(shown->Visible());
  EXPECT_EQ(rolls, 4);

  // Close hides the panel without freeing it.
  xt::PumpUntilIdle();
  ClickAt(p, p->Buttons(0).R.Left + 4, 8);
  EXPECT_FALSE(p->Visible());
  EXPECT_EQ(closes, 1);
}

TEST_F(ExPanelTest, ARolledPanelStreamsItsSavedSizeAndHiddenChildren) {
  auto* a = new TExPanelForm(nullptr);
  Keep(a);
  auto* p = new TbsSkinExPanel(a);
  p->SetName("Roll1");
  p->SetParent(a);
  p->SetBounds(5, 7, 163, 117);
  p->SetCaption("卷起");
  auto* c = new TPanel(a);
  c->SetName("Inner");
  c->SetParent(p);
  auto* off = new TPanel(a);
  off->SetName("Off");
  off->SetParent(p);
  off->SetVisible(false);
  p->SetRollState(true);
  ASSERT_EQ(p->Height(), 21);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TExPanelForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinExPanel*>(b->FindComponent("Roll1"));
  auto* inner = dynamic_cast<TControl*>(b->FindComponent("Inner"));
  ASSERT_NE(back, nullptr) << text;
  ASSERT_NE(inner, nullptr);
  EXPECT_TRUE(back->RollState());
  EXPECT_EQ(back->Height(), 21);
  EXPECT_FALSE(inner->Visible());
  EXPECT_EQ(WriteComponentResource(b), text);
  back->SetRollState(false);
  EXPECT_EQ(back->Height(), 117);
  EXPECT_TRUE(inner->Visible());
  EXPECT_FALSE(dynamic_cast<TControl*>(b->FindComponent("Off"))->Visible());
  // A new panel has no saved size to restore: unrolling a roll it never made changes nothing.
  auto* fresh = new TbsSkinExPanel(b);
  fresh->SetParent(b);
  fresh->SetRollKind(rkRollHorizontal);
  fresh->SetRollState(true);
  fresh->SetRollState(false);
  EXPECT_EQ(fresh->Width(), 150);
}

TEST_F(ExPanelTest, ThreeLooksHoverAndASkinSwitchKeepTheRoll) {
  auto* p = NewPanel(form, 10, 10);
  p->SetCaption("Panel");
  auto* r = NewPanel(form, 170, 10);
  ShowUnfocused();
  xt::PumpUntilIdle();
  // Default: the shadow frame, the caption's highlight, the buttons on the face colour.
  EXPECT_EQ(Px(p, 0, 50), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(p, 1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(p, 134, 4), ColorToRGB(clBtnFace));
  MoveTo(p, 140, 10);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(p, 133, 3), ColorToRGB(clNavy));
  EXPECT_EQ(Px(p, 134, 4), COLORREF(0x00D2BDB6));
  Gallery(p, "bsSkinCtrls", "expanel-default-hover");
  MoveTo(form, 5, 200);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(p, 134, 4), ColorToRGB(clBtnFace));
  r->SetRollKind(rkRollHorizontal);
  r->SetRollState(true);
  xt::PumpUntilIdle();
  Gallery(r, "bsSkinCtrls", "expanel-default-rolled-h");

  LoadTestSkin();
  p->SetSkinData(skin);
  r->SetSkinData(skin);
  xt::PumpUntilIdle();
  // The skinned strip of a panel rolled in width is the record's 22-pixel strip.
  EXPECT_EQ(r->Width(), 22);
  EXPECT_EQ(Code(r, 11, 60).code, RectCode("rollhskinrect"));
  EXPECT_EQ(Code(p, p->Buttons(0).R.Left + 2, p->Buttons(0).R.Top + 2).code, RectCode("closebuttonrect"));
  EXPECT_EQ(Code(p, p->Buttons(1).R.Left + 2, p->Buttons(1).R.Top + 2).code, RectCode("vrollbuttonrect"));
  Gallery(p, "bsSkinCtrls", "expanel-skin");
  Gallery(r, "bsSkinCtrls", "expanel-skin-rolled-h");
  p->SetRollState(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(p->Height(), 22);
  EXPECT_EQ(Code(p, 75, 11).code, RectCode("rollvskinrect"));
  EXPECT_EQ(Code(p, p->Buttons(1).R.Left + 2, p->Buttons(1).R.Top + 2).code, RectCode("vrestorebuttonrect"));
  Gallery(p, "bsSkinCtrls", "expanel-skin-rolled-v");

  // The second skin has no roll-up panel: the walk brings the default look and its rolled sizes.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(p->Height(), 21);
  EXPECT_EQ(r->Width(), 21);
  EXPECT_EQ(Px(p, 0, 10), ColorToRGB(clBtnShadow));
  p->SetRollState(false);
  EXPECT_EQ(p->Height(), 100);
}
