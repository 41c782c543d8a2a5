// The scroll panel: its non-client arrows appear when the children do not fit and are hit from their
// first pixel; clicks, held presses, hovering, the wheel and the keys scroll the children, which always
// stand exactly where the scroll position says (with 0 and with 10,000 children); resizing while
// scrolled; auto size, bad values, streaming and its looks.

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kHotFill = RGB(0xB6, 0xBD, 0xD2);
constexpr COLORREF kDownFill = RGB(0x85, 0x93, 0xB5);

class ScrollPanelTest : public SkinControlsTest {
 protected:
  // A panel of W x H at (10, 10) with Count children of CW x CH, each Gap further along the axis.
  TbsSkinScrollPanel* NewPanel(TbsScrollType Type, int W, int H, int Count, int CW, int CH, int Gap) {
    auto* p = new TbsSkinScrollPanel(form);
    p->SetScrollType(Type);
    p->SetParent(form);
    p->SetBounds(10, 10, W, H);
    p->DisableAlign();
    for (int i = 0; i < Count; ++i) {
      auto* c = new TTestShape(p);
      c->SetBounds(Type == stHorizontal ? i * Gap : 0, Type == stVertical ? i * Gap : 0, CW, CH);
      c->SetColor(i % 2 ? clYellow : clAqua);
      c->SetParent(p);
      starts.push_back(i * Gap);
    }
    p->EnableAlign();
    ShowUnfocused();
    p->SetLeft(11);  // a position change measures the children
    xt::PumpUntilIdle();
    return p;
  }
  // Whether every child stands at its start less the scroll position.
  ::testing::AssertionResult InStep(TbsSkinScrollPanel* p) {
    const int sp = p->Scroller().ScrollPosition;
    for (int i = 0; i < p->ControlCount(); ++i) {
      TControl* c = p->Controls(i);
      const int at = p->ScrollType() == stVertical ? c->Top() : c->Left();
      if (at != starts[i] - sp)
        return ::testing::AssertionFailure() << "child " << i << " at " << at << ", expected " << starts[i] - sp;
    }
    return ::testing::AssertionSuccess();
  }
  // Window coordinates of the panel (its arrows included) on the screen, on the form and as a hit code.
  static TPoint Screen(TbsSkinScrollPanel* p, int x, int y) {
    return p->Parent()->ClientToScreen(TPoint(p->Left() + x, p->Top() + y));
  }
  COLORREF WinPx(TbsSkinScrollPanel* p, int x, int y) const {
    const TPoint f = form->ScreenToClient(Screen(p, x, y));
    return xt::ReadPixel(form->Handle(), f.X, f.Y);
  }
  static int Hit(TbsSkinScrollPanel* p, int x, int y) {
    const TPoint s = Screen(p, x, y);
    return static_cast<int>(SendMessageA(p->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y)));
  }
  static void PressAt(TbsSkinScrollPanel* p, int x, int y) {
    xt::Advance(1000);  // never a double click
    const TPoint s = Screen(p, x, y);
    xt::MouseDown(xt::mbLeft, s.X, s.Y);
  }
  static void ReleaseAt(TbsSkinScrollPanel* p, int x, int y) {
    const TPoint s = Screen(p, x, y);
    xt::MouseUp(xt::mbLeft, s.X, s.Y);
    xt::PumpUntilIdle();
  }
  static void Tick(int n, int ms = 50) {
    for (int i = 0; i < n; ++i) {
      xt::Advance(ms);
      xt::PumpUntilIdle();
    }
  }
  std::vector<int> starts;
};

class TScrollForm : public TForm {
  XJ_CLASS(TScrollForm, TForm)
 public:
  explicit TScrollForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ScrollPanelTest, ArrowsComeWhenTheChildrenDoNotFitAndAreHitFromTheirFirstPixel) {
  auto* p = NewPanel(stHorizontal, 150, 30, 3, 40, 20, 45);
  const TbsChildScroller& s = p->Scroller();
  EXPECT_FALSE(s.Arrows[0].Visible);
  EXPECT_EQ(p->ClientWidth(), 150);
  EXPECT_EQ(Hit(p, 0, 5), HTCLIENT);
  EXPECT_EQ(Hit(p, 149, 5), HTCLIENT);
  // A child moved past the edge: arrows at the next position change, 12 pixels off each end.
  p->Controls(2)->SetLeft(200);
  starts[2] = 200;
  EXPECT_FALSE(s.Arrows[0].Visible);
  p->SetTop(12);
  xt::PumpUntilIdle();
  ASSERT_TRUE(s.Arrows[0].Visible && s.Arrows[1].Visible);
  EXPECT_EQ(p->ClientWidth(), 126);
  EXPECT_EQ(p->ClientOrigin().X - Screen(p, 0, 0).X, 12);
  EXPECT_EQ(s.ScrollMax, 239);
  EXPECT_EQ(s.ScrollPage, 126);
  auto hits = [&] {
    EXPECT_EQ(Hit(p, 0, 5), TbsChildScroller::kBackHit);
    EXPECT_EQ(Hit(p, 11, 29), TbsChildScroller::kBackHit);
    EXPECT_EQ(Hit(p, 12, 5), HTCLIENT);
    EXPECT_EQ(Hit(p, 137, 5), HTCLIENT);
    EXPECT_EQ(Hit(p, 138, 0), TbsChildScroller::kForwardHit);  // the arrow's first column
    EXPECT_EQ(Hit(p, 149, 5), TbsChildScroller::kForwardHit);
  };
  hits();
  // The default arrows: a shadow frame on the button face, the arrow in the middle.
  EXPECT_EQ(WinPx(p, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(WinPx(p, 2, 2), ColorToRGB(clBtnFace));
  EXPECT_EQ(WinPx(p, 149, 29), ColorToRGB(clBtnShadow));
  EXPECT_EQ(WinPx(p, 20, 25), ColorToRGB(clBtnFace));  // the panel's own face
  // Screen coordinates left of the screen's origin arrive negative in the message.
  form->SetLeft(-80);
  xt::PumpUntilIdle();
  ASSERT_LT(Screen(p, 0, 0).X, 0);
  hits();
  // Back in: the arrows go and the client area is the whole window again.
  p->Controls(2)->SetLeft(100);
  p->SetTop(10);
  EXPECT_FALSE(s.Arrows[0].Visible);
  EXPECT_EQ(p->ClientWidth(), 150);
  EXPECT_EQ(Hit(p, 0, 5), HTCLIENT);
}

TEST_F(ScrollPanelTest, ClicksAndHeldArrowsScrollTheChildrenInStep) {
  auto* p = NewPanel(stHorizontal, 150, 30, 12, 40, 20, 50);
  const TbsChildScroller& s = p->Scroller();
  ASSERT_TRUE(s.Arrows[1].Visible);
  ASSERT_EQ(s.ScrollMax, 589);
  // A click steps one client width (ScrollOffset 0); again and again, the children never drift.
  PressAt(p, 140, 10);
  ReleaseAt(p, 140, 10);
  EXPECT_EQ(s.ScrollPosition, 126);
  EXPECT_TRUE(InStep(p));
  PressAt(p, 140, 10);
  ReleaseAt(p, 140, 10);
  EXPECT_EQ(s.ScrollPosition, 252);
  EXPECT_TRUE(InStep(p));
  // Held: a step every interval and one more on release; the pressed look while held.
  p->SetScrollOffset(10);
  PressAt(p, 145, 3);
  EXPECT_EQ(WinPx(p, 139, 1), kDownFill);
  Tick(3);
  EXPECT_EQ(s.ScrollPosition, 282);
  EXPECT_TRUE(InStep(p));
  ReleaseAt(p, 145, 3);
  EXPECT_EQ(s.ScrollPosition, 292);
  EXPECT_EQ(s.TimerMode, 0);
  // Held to the end: it stops at ScrollMax - ScrollPage + 1 and the timer with it.
  PressAt(p, 145, 3);
  Tick(30);
  EXPECT_EQ(s.ScrollPosition, 464);
  EXPECT_EQ(s.TimerMode, 0);
  ReleaseAt(p, 145, 3);
  EXPECT_EQ(s.ScrollPosition, 464);
  EXPECT_TRUE(InStep(p));
  // A press that leaves its arrow pauses, and released elsewhere does nothing more.
  PressAt(p, 5, 5);
  Tick(2);
  EXPECT_EQ(s.ScrollPosition, 444);
  const TPoint inside = Screen(p, 60, 10);
  xt::MouseMove(inside.X, inside.Y);
  Tick(4);
  EXPECT_EQ(s.ScrollPosition, 444);
  const TPoint back = Screen(p, 6, 6);
  xt::MouseMove(back.X, back.Y);
  Tick(1);
  EXPECT_EQ(s.ScrollPosition, 434);
  xt::MouseMove(inside.X, inside.Y);
  ReleaseAt(p, 60, 10);
  EXPECT_EQ(s.ScrollPosition, 434);
  EXPECT_EQ(s.TimerMode, 0);
  EXPECT_TRUE(InStep(p));
  // Hovering: the hot look; with HotScroll, hovering alone scrolls, until the start.
  const TPoint fwd = Screen(p, 144, 15);
  xt::MouseMove(fwd.X, fwd.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(WinPx(p, 139, 1), kHotFill);
  Tick(3);
  EXPECT_EQ(s.ScrollPosition, 434);
  xt::MouseMove(inside.X, inside.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(WinPx(p, 139, 1), ColorToRGB(clBtnFace));
  p->SetHotScroll(true);
  xt::MouseMove(back.X, back.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(WinPx(p, 1, 1), kDownFill);
  Tick(2);
  EXPECT_EQ(s.ScrollPosition, 414);
  Tick(60);
  EXPECT_EQ(s.ScrollPosition, 0);
  EXPECT_EQ(s.TimerMode, 0);
  EXPECT_TRUE(InStep(p));
  // Leaving the panel ends the hot state.
  xt::MouseMove(400, 5);
  xt::PumpUntilIdle();
  EXPECT_FALSE(s.Arrows[0].MouseIn);
}

TEST_F(ScrollPanelTest, TenThousandOrNoChildrenScrollByWheelKeysAndArrows) {
  auto* p = NewPanel(stVertical, 60, 150, 10000, 20, 3, 3);
  const TbsChildScroller& s = p->Scroller();
  ASSERT_TRUE(s.Arrows[0].Visible);
  EXPECT_EQ(p->ClientHeight(), 126);
  EXPECT_EQ(s.ScrollMax, 29999);
  EXPECT_EQ(Hit(p, 30, 138), TbsChildScroller::kForwardHit);
  // Without CanFocused: a click does not focus, wheel and keys do nothing.
  ClickAt(p, 30, 60);
  xt::PumpUntilIdle();
  EXPECT_FALSE(p->Focused());
  p->SetFocus();
  xt::Wheel(-120);
  Press(VK_DOWN);
  EXPECT_EQ(s.ScrollPosition, 0);
  FocusHolder()->SetFocus();
  // With it: a click focuses; the wheel and the keys step one client height.
  p->SetCanFocused(true);
  xt::Advance(1000);
  ClickAt(p, 30, 60);
  xt::PumpUntilIdle();
  ASSERT_TRUE(p->Focused());
  xt::Wheel(-120);
  EXPECT_EQ(s.ScrollPosition, 126);
  xt::Wheel(120);
  EXPECT_EQ(s.ScrollPosition, 0);
  for (UINT vk : { VK_DOWN, VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT, VK_DOWN }) Press(vk);
  EXPECT_EQ(s.ScrollPosition, 252);
  EXPECT_TRUE(InStep(p));
  EXPECT_EQ(p->ControlAtPos(TPoint(5, 0), false), p->Controls(84));
  // The forward arrow held to the end of all 10,000.
  PressAt(p, 30, 145);
  Tick(240);
  ReleaseAt(p, 30, 145);
  EXPECT_EQ(s.ScrollPosition, 29999 - 126 + 1);
  EXPECT_TRUE(InStep(p));
  EXPECT_EQ(p->ControlAtPos(TPoint(5, 125), false), p->Controls(9999));

  // No children: no arrows, and nothing scrolls.
  auto* empty = new TbsSkinScrollPanel(form);
  empty->SetParent(form);
  empty->SetCanFocused(true);
  empty->SetBounds(100, 150, 80, 40);
  xt::PumpUntilIdle();
  EXPECT_FALSE(empty->Scroller().Arrows[0].Visible);
  empty->SetFocus();
  xt::Wheel(-120);
  Press(VK_RIGHT);
  Press(VK_LEFT);
  EXPECT_EQ(empty->Scroller().ScrollPosition, 0);
  EXPECT_EQ(empty->ClientWidth(), 80);
}

TEST_F(ScrollPanelTest, ResizingWhileScrolledKeepsTheChildrenInStep) {
  auto* p = NewPanel(stHorizontal, 150, 30, 12, 40, 20, 50);
  const TbsChildScroller& s = p->Scroller();
  p->SetScrollOffset(500);
  PressAt(p, 140, 10);
  ReleaseAt(p, 140, 10);
  ASSERT_EQ(s.ScrollPosition, 464);  // the end: the last child's right edge at the client's
  // Wider while scrolled to the end: the growth is filled from the start.
  p->SetWidth(180);
  EXPECT_EQ(s.ScrollPosition, 434);
  EXPECT_TRUE(InStep(p));
  // A later position change without a resize takes nothing back again.
  p->SetTop(14);
  p->SetTop(10);
  EXPECT_EQ(s.ScrollPosition, 434);
  EXPECT_EQ(s.GrowDelta, 0);
  EXPECT_TRUE(InStep(p));
  // Narrower keeps the position; wide enough for all, back to the start without arrows.
  p->SetWidth(120);
  EXPECT_EQ(s.ScrollPosition, 434);
  EXPECT_TRUE(InStep(p));
  p->SetWidth(600);
  EXPECT_EQ(s.ScrollPosition, 0);
  EXPECT_FALSE(s.Arrows[0].Visible);
  EXPECT_EQ(p->ClientWidth(), 600);
  EXPECT_TRUE(InStep(p));
  // Aligned, the panel measures on every resize too.
  p->SetWidth(150);
  p->SetAlign(alTop);
  EXPECT_TRUE(s.Arrows[0].Visible);
  EXPECT_EQ(s.ScrollPage, form->ClientWidth() - 24);
}

TEST_F(ScrollPanelTest, TypeAutoSizeAndRefusedValues) {
  auto* p = NewPanel(stHorizontal, 150, 30, 12, 40, 20, 50);
  p->SetScrollOffset(100);
  PressAt(p, 140, 10);
  ReleaseAt(p, 140, 10);
  ASSERT_EQ(p->Scroller().ScrollPosition, 100);
  // Another scroll type forgets the scroll state and hides the arrows.
  p->SetScrollType(stVertical);
  EXPECT_EQ(p->Scroller().ScrollPosition, 0);
  EXPECT_EQ(p->Scroller().ScrollMax, 0);
  EXPECT_FALSE(p->Scroller().Arrows[0].Visible);
  EXPECT_EQ(p->ClientWidth(), 150);
  // Refused values.
  p->SetScrollOffset(-1);
  p->SetScrollTimerInterval(0);
  p->SetScrollTimerInterval(-5);
  EXPECT_EQ(p->ScrollOffset(), 100);
  EXPECT_EQ(p->ScrollTimerInterval(), 50);
  // Auto size: vertical follows the widest child's right edge, horizontal the lowest bottom edge.
  for (int i = 0; i < p->ControlCount(); ++i) p->Controls(i)->SetVisible(i == 3 || i == 4);
  p->Controls(3)->SetBounds(0, 0, 77, 10);
  p->Controls(4)->SetBounds(5, 20, 30, 10);
  p->SetAutoSize(true);
  EXPECT_EQ(p->Width(), 77);
  p->SetScrollType(stHorizontal);
  p->Controls(4)->SetBounds(0, 9, 10, 34);
  p->UpDateSize();
  EXPECT_EQ(p->Height(), 43);
  for (int i = 0; i < p->ControlCount(); ++i) p->Controls(i)->SetVisible(false);
  p->SetBounds(10, 10, 90, 21);
  EXPECT_EQ(p->Height(), 21);
  EXPECT_EQ(p->Width(), 90);
}

TEST_F(ScrollPanelTest, PropertiesSurviveAFormRoundTrip) {
  auto* a = new TScrollForm(nullptr);
  Keep(a);
  auto* p = new TbsSkinScrollPanel(a);
  p->SetName("Strip");
  p->SetParent(a);
  const AnsiString plain = WriteComponentResource(a);
  for (const char* name :
       { "CanFocused", "HotScroll", "AutoSize", "ScrollType", "ScrollOffset", "ScrollTimerInterval" })
    EXPECT_EQ(plain.find(name), AnsiString::npos) << name;
  p->SetCanFocused(true);
  p->SetHotScroll(true);
  p->SetScrollType(stVertical);
  p->SetScrollOffset(7);
  p->SetScrollTimerInterval(35);
  auto* child = new TbsSkinPanel(a);
  child->SetName("Child");
  child->SetParent(p);
  child->SetBounds(0, 40, 20, 90);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TScrollForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinScrollPanel*>(b->FindComponent("Strip"));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->CanFocused());
  EXPECT_TRUE(back->HotScroll());
  EXPECT_EQ(back->ScrollType(), stVertical);
  EXPECT_EQ(back->ScrollOffset(), 7);
  EXPECT_EQ(back->ScrollTimerInterval(), 35);
  EXPECT_EQ(WriteComponentResource(b), text);
  // Shown, the panel read back measures its children at once.
  b->SetBounds(0, 0, 300, 300);
  b->Show();
  xt::PumpUntilIdle();
  EXPECT_TRUE(back->Scroller().Arrows[1].Visible);
}

TEST_F(ScrollPanelTest, LooksWithTheSkinsAndWithout) {
  auto* p = NewPanel(stHorizontal, 150, 30, 12, 40, 20, 50);
  auto* q = NewPanel(stVertical, 40, 90, 0, 0, 0, 0);
  q->SetLeft(200);
  xt::PumpUntilIdle();
  EXPECT_EQ(WinPx(p, 0, 0), ColorToRGB(clBtnShadow));
  Gallery(p, "bsSkinCtrls", "default-normal");
  LoadTestSkin();
  p->SetSkinData(skin);
  q->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(p->SkinObjectIndex(), -1);
  ASSERT_NE(p->PanelSkinData(), nullptr);
  ASSERT_NE(p->ArrowSkinData(), nullptr);
  // The panel's client part tiled; the arrows from the resize button, hot and pressed from its faces.
  EXPECT_EQ(Code(p, 45, 25).owner, OwnerOf("panel"));
  EXPECT_EQ(Code(q, 20, 45).owner, OwnerOf("panel"));
  EXPECT_EQ(Decode(WinPx(p, 0, 0)).owner, OwnerOf("resizebutton"));
  EXPECT_EQ(Decode(WinPx(p, 0, 0)).code, RectCode("skinrect"));
  Gallery(p, "bsSkinCtrls", "test-normal");
  const TPoint fwd = Screen(p, 144, 15);
  xt::MouseMove(fwd.X, fwd.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(WinPx(p, 149, 29)).code, RectCode("activeskinrect"));
  PressAt(p, 144, 15);
  EXPECT_EQ(Decode(WinPx(p, 149, 29)).code, RectCode("downskinrect"));
  Gallery(p, "bsSkinCtrls", "test-pressed");
  ReleaseAt(p, 144, 15);
  // Records of other classes under the fixed names, or a background picture.
  const int arrow = skin->GetControlIndex("resizebutton"), label = skin->GetControlIndex("stdlabel");
  auto* arrowRecord = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(arrow));
  auto* labelRecord = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(label));
  std::swap(arrowRecord->IDName, labelRecord->IDName);
  p->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(p->ArrowSkinData(), nullptr);
  EXPECT_EQ(WinPx(p, 0, 0), ColorToRGB(clBtnShadow));
  std::swap(arrowRecord->IDName, labelRecord->IDName);
  auto* panelRecord = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("panel")));
  auto* toolRecord = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("toolpanel")));
  std::swap(panelRecord->IDName, toolRecord->IDName);
  p->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(p, 45, 25).owner, mkskin::kOwnerTile);
  EXPECT_EQ(Code(p, 45, 25).localX, 45 % 16);
  EXPECT_EQ(Code(p, 45, 25).localY, 25 % 16);
  std::swap(panelRecord->IDName, toolRecord->IDName);
  // The second skin through the form's walk: its resize button has no picture, so the default arrows.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(p, 45, 25).owner, OwnerOf("panel"));
  EXPECT_EQ(p->ArrowSkinData(), nullptr);
  EXPECT_EQ(WinPx(p, 0, 0), ColorToRGB(clBtnShadow));
  Gallery(p, "bsSkinCtrls", "second-normal");
  // Without a skin: the button face.
  p->SetSkinData(nullptr);
  p->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(p, 45, 25), ColorToRGB(clBtnFace));
}
