// The skinned scroll bar as the views that drive it and the user who holds it see it: one position
// rule for every setter, arrows and track that repeat on the clock while held, a thumb that follows the
// pointer, keys and wheel when it may take the focus, its looks, and the corner-sharing name swap.

#include <array>
#include <climits>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class ScrollBarTest : public SkinControlsTest {
 protected:
  TbsSkinScrollBar* NewBar(int l, int t, int w, int h, TScrollBarKind kind = sbHorizontal) {
    auto* b = new TbsSkinScrollBar(form);
    b->SetParent(form);
    b->SetKind(kind);
    b->SetSkinDataName(kind == sbHorizontal ? "hscrollbar" : "vscrollbar");
    b->SetBounds(l, t, w, h);
    b->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    b->OnLastChange = On<TNotifyEvent>([this](TObject*) { ++lastChanges; });
    return b;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  static void Down(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  static void Up(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }
  int changes = 0, lastChanges = 0;
};

constexpr COLORREF kHot = RGB(182, 189, 210), kPressed = RGB(133, 147, 181), kBtnFace = RGB(192, 192, 192);

}  // namespace

TEST_F(ScrollBarTest, OnePositionRuleForEverySetterWhateverTheRange) {
  auto* b = NewBar(10, 10, 200, 20);
  // A page larger than the whole range (all content visible) keeps the position at Min, never below.
  b->SetRange(0, 4, 0, 20);
  EXPECT_EQ(b->Position(), 0);
  EXPECT_EQ(b->PageSize(), 20);
  // Min away from 0: the page is kept, the position re-clamped against the top of the range.
  b->SetRange(10, 110, 50, 0);
  b->SetPageSize(20);
  EXPECT_EQ(b->PageSize(), 20);
  EXPECT_EQ(b->Position(), 50);
  b->SetMax(60);
  EXPECT_EQ(b->Position(), 41);  // 60 - 20 + 1
  b->SetPageSize(500);
  EXPECT_EQ(b->PageSize(), 500);
  EXPECT_EQ(b->Position(), 10);
  b->SetPageSize(-3);
  EXPECT_EQ(b->PageSize(), 0);
  b->SetMin(30);
  EXPECT_EQ(b->Position(), 30);
  // Min above Max: the position sits at Min.
  b->SetRange(50, 10, 30, 0);
  EXPECT_EQ(b->Position(), 50);
  // Min = Max: the thumb at the start of the track.
  b->SetRange(5, 5, 9, 0);
  b->CalcRects();
  EXPECT_EQ(b->Position(), 5);
  EXPECT_EQ(b->Button(TbsSkinScrollBar::bpThumb).R.Left, 17);
  // A page covering everything: the thumb fills the track (a horizontal bar counts as at the end).
  b->SetRange(0, 99, 0, 100);
  b->CalcRects();
  EXPECT_EQ(b->Button(TbsSkinScrollBar::bpThumb).R, b->TrackRect());
  EXPECT_EQ(changes, 0) << "only SetPosition reports";

  b->SetRange(-7, 93, 0, 0);
  b->SetPosition(200);
  EXPECT_EQ(b->Position(), 93);
  b->SetPosition(93);
  b->SimplySetPosition(-100);
  EXPECT_EQ(b->Position(), -7);
  EXPECT_EQ(changes, 1);

  // Positions are 32-bit end to end.
  b->SetRange(INT_MIN, INT_MAX, 2000000000, 0);
  EXPECT_EQ(b->Position(), 2000000000);
  b->SetRange(0, 2000000000, 1999999990, 1000);
  EXPECT_EQ(b->Position(), 1999999001);
  b->SetSmallChange(1);
  b->SetPosition(INT_MAX);
  EXPECT_EQ(b->Position(), 1999999001);
}

TEST_F(ScrollBarTest, APageLargerThanTheRangeKeepsTheThumbInTheTrackAndTheArrowsFree) {
  LoadTestSkin();
  auto* plain = NewBar(10, 10, 200, 20);
  auto* skinned = NewBar(10, 40, 200, 20);
  skinned->SetSkinData(skin);
  auto* tall = NewBar(220, 10, 20, 150, sbVertical);
  Show();
  for (TbsSkinScrollBar* b : { plain, skinned, tall }) {
    SCOPED_TRACE(b->Top() + b->Left());
    b->SetRange(0, 4, 0, 20);
    b->CalcRects();
    const TRect t = b->Button(TbsSkinScrollBar::bpThumb).R, track = b->TrackRect();
    EXPECT_GE(t.Left, track.Left);
    EXPECT_GE(t.Top, track.Top);
    EXPECT_LE(t.Right, track.Right);
    EXPECT_LE(t.Bottom, track.Bottom);
    // The arrows answer the pointer and light up; nothing moves, as everything is in view.
    for (auto part : { TbsSkinScrollBar::bpUp, TbsSkinScrollBar::bpDown }) {
      const TPoint c = Centre(b->Button(part).R);
      MoveTo(b, c.X, c.Y);
      EXPECT_TRUE(b->Button(part).MouseIn);
      EXPECT_FALSE(b->Button(TbsSkinScrollBar::bpThumb).MouseIn);
      ClickAt(b, c.X, c.Y);
      EXPECT_EQ(b->Position(), 0);
    }
  }
  EXPECT_EQ(changes, 0);
  MoveTo(plain, 190, 10);
  EXPECT_EQ(Px(plain, 185, 3), kHot);
}

TEST_F(ScrollBarTest, AHeldArrowStepsAtOnceThenEveryFiftyMillisecondsFromHalfASecond) {
  auto* b = NewBar(10, 10, 200, 20);
  Show();
  const TPoint up = Centre(b->Button(TbsSkinScrollBar::bpUp).R);
  EXPECT_GT(up.X, 180);
  Down(b, up.X, up.Y);
  EXPECT_EQ(b->Position(), 1);
  xt::Advance(499);
  EXPECT_EQ(b->Position(), 1);
  xt::Advance(1);  // the first tick only switches to the fast rate
  EXPECT_EQ(b->Position(), 1);
  xt::Advance(50);
  EXPECT_EQ(b->Position(), 2);
  xt::Advance(100);
  EXPECT_EQ(b->Position(), 4);
  // Off the arrow the repeat pauses; back on it, it resumes at the fast rate.
  MoveTo(b, 100, up.Y);
  xt::Advance(300);
  EXPECT_EQ(b->Position(), 4);
  MoveTo(b, up.X, up.Y);
  xt::Advance(50);
  EXPECT_EQ(b->Position(), 5);
  Up(b, up.X, up.Y);
  xt::Advance(500);
  EXPECT_EQ(b->Position(), 5);
  EXPECT_EQ(lastChanges, 0) << "an arrow press is no last change";

  // With the event assigned, the arrow calls it instead of moving.
  int downClicks = 0;
  b->OnDownButtonClick = On<TNotifyEvent>([&](TObject*) { ++downClicks; });
  const TPoint dn = Centre(b->Button(TbsSkinScrollBar::bpDown).R);
  Down(b, dn.X, dn.Y);
  xt::Advance(575);
  Up(b, dn.X, dn.Y);
  EXPECT_EQ(downClicks, 2);  // at once and at 550
  EXPECT_EQ(b->Position(), 5);

  // A capture lost while held stops the repeat.
  Down(b, up.X, up.Y);
  EXPECT_EQ(b->Position(), 6);
  ReleaseCapture();
  xt::Advance(1000);
  EXPECT_EQ(b->Position(), 6);
  Up(b, up.X, up.Y);
}

TEST_F(ScrollBarTest, AHeldTrackPressPagesUntilTheThumbReachesThePointer) {
  auto* b = NewBar(10, 10, 200, 20);
  b->SetLargeChange(10);
  int pageDowns = 0, pageUps = 0;
  b->OnPageDown = On<TNotifyEvent>([&](TObject*) { ++pageDowns; });
  b->OnPageUp = On<TNotifyEvent>([&](TObject*) { ++pageUps; });
  Show();
  Down(b, 150, 10);
  EXPECT_EQ(b->Position(), 10);
  xt::Advance(2000);
  // The thumb's right edge has passed x 150: pages stop though the button is still held.
  EXPECT_EQ(b->Position(), 80);
  EXPECT_EQ(pageDowns, 8);
  EXPECT_GT(b->Button(TbsSkinScrollBar::bpThumb).R.Right, 150);
  Up(b, 150, 10);
  EXPECT_EQ(lastChanges, 1);
  // Before the thumb: towards Min, reported as page up.
  Down(b, 36, 10);
  xt::Advance(2000);
  Up(b, 36, 10);
  EXPECT_EQ(b->Position(), 10);
  EXPECT_EQ(pageUps, 7);
  EXPECT_EQ(lastChanges, 2);
  // Right and middle presses do nothing but report.
  int mouseDowns = 0;
  b->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { ++mouseDowns; });
  ClickAt(b, 150, 10, xt::mbRight);
  ClickAt(b, 150, 10, xt::mbMiddle);
  EXPECT_EQ(mouseDowns, 2);
  EXPECT_EQ(b->Position(), 10);
  EXPECT_EQ(lastChanges, 2);
}

TEST_F(ScrollBarTest, TheThumbFollowsThePointerExactlyInBothLooks) {
  LoadTestSkin();
  auto* plain = NewBar(10, 10, 200, 20);
  auto* skinned = NewBar(10, 40, 23, 171, sbVertical);
  skinned->SetSkinData(skin);
  skinned->SetRange(0, 119, 0, 20);
  Show();
  ASSERT_EQ(skinned->SkinObjectIndex(), skin->GetControlIndex("vscrollbar"));
  ASSERT_EQ(skinned->Width(), 16);  // the vertical record fixes the width

  // Default look: centres run from 25 to 175, so 30 pixels are 20 of 0..100.
  TPoint t = Centre(plain->Button(TbsSkinScrollBar::bpThumb).R);
  Down(plain, t.X, t.Y);
  MoveTo(plain, t.X + 30, t.Y);
  EXPECT_EQ(plain->Position(), 20);
  EXPECT_EQ(Centre(plain->Button(TbsSkinScrollBar::bpThumb).R).X, t.X + 30);
  MoveTo(plain, t.X + 400, t.Y);  // far beyond the end: the top of the range
  EXPECT_EQ(plain->Position(), 100);
  MoveTo(plain, t.X - 400, t.Y);
  EXPECT_EQ(plain->Position(), 0);
  MoveTo(plain, t.X + 75, t.Y);
  Up(plain, t.X + 75, t.Y);
  EXPECT_EQ(plain->Position(), 50);
  EXPECT_EQ(lastChanges, 1);

  // Skinned with a page: the track is the record's, stretched to 171; the thumb is a page long.
  const TRect track = skinned->TrackRect();
  EXPECT_EQ(track.Top, 16);
  EXPECT_EQ(track.Bottom, 171 - 16);
  const TRect thumb = skinned->Button(TbsSkinScrollBar::bpThumb).R;
  EXPECT_EQ(thumb.Height(), 24);  // round(139 * 20 / 120) = 23, raised to the picture's 24
  t = Centre(thumb);
  Down(skinned, t.X, t.Y);
  const int travel = (track.Bottom - 12) - (track.Top + 12);  // centre span
  MoveTo(skinned, t.X, t.Y + travel);
  EXPECT_EQ(skinned->Position(), 100);  // the top of the range: Max - PageSize + 1
  Up(skinned, t.X, t.Y + travel);
  MoveTo(skinned, 8, 5);  // onto the top arrow: it lights up, the thumb is plain again
  EXPECT_EQ(Code(skinned, t.X, track.Bottom - 20).code, RectCode("thumbrect"));
  EXPECT_EQ(Code(skinned, 8, 5).code, RectCode("activedownbuttonrect"));
}

TEST_F(ScrollBarTest, KeysAndWheelOnlyWhenItMayTakeTheFocus) {
  auto* b = NewBar(10, 10, 200, 20);
  b->SetPosition(50);
  changes = 0;
  Show();
  ClickAt(b, 100, 10);  // a track click: pages towards the pointer
  const int afterClick = b->Position();
  EXPECT_FALSE(b->Focused());
  xt::KeyDown(VK_RIGHT);
  xt::Wheel(-120);
  EXPECT_EQ(b->Position(), afterClick);

  b->SetCanFocused(true);
  EXPECT_TRUE(b->TabStop());
  ClickAt(b, 100, 0);  // the frame row: takes the focus, moves nothing
  ASSERT_TRUE(b->Focused());
  EXPECT_EQ(b->Position(), afterClick);
  xt::KeyDown(VK_RIGHT);
  xt::KeyDown(VK_DOWN);
  EXPECT_EQ(b->Position(), afterClick + 2);
  xt::KeyDown(VK_LEFT);
  EXPECT_EQ(b->Position(), afterClick + 1);
  xt::Wheel(-120);  // towards the user: forwards
  EXPECT_EQ(b->Position(), afterClick + 2);
  xt::Wheel(240);
  EXPECT_EQ(b->Position(), afterClick + 1);
  EXPECT_EQ(b->Perform(CM_WANTSPECIALKEY, VK_UP, 0), 1);
}

TEST_F(ScrollBarTest, EveryStateLooksAsDrawnWithTheSkinAndWithout) {
  LoadTestSkin();
  auto* plain = NewBar(10, 10, 200, 20);
  auto* skinned = NewBar(10, 40, 160, 30);
  skinned->SetSkinData(skin);
  Show();
  ASSERT_EQ(skinned->Height(), 16);
  const uint8_t owner = OwnerOf("hscrollbar");

  // Normal: the bare face, thumb and glyph at the start of the track.
  EXPECT_EQ(Code(skinned, 150, 8).code, RectCode("skinrect"));
  EXPECT_EQ(Code(skinned, 150, 8).owner, owner);
  EXPECT_EQ(Code(skinned, 30, 2).code, RectCode("thumbrect"));
  EXPECT_EQ(Code(skinned, 28, 8).code, RectCode("glyphrect"));
  EXPECT_EQ(Px(plain, 100, 10), kBtnFace);
  EXPECT_EQ(Px(plain, 18, 10), kBtnFace);
  EXPECT_EQ(Px(plain, 17, 10), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  Gallery(skinned, "bsSkinCtrls", "skin-normal");
  Gallery(plain, "bsSkinCtrls", "normal");

  // Hot: the up arrow, moved to the right end of the stretched face.
  MoveTo(skinned, 152, 8);
  EXPECT_EQ(Code(skinned, 152, 8).code, RectCode("activeupbuttonrect"));
  Gallery(skinned, "bsSkinCtrls", "skin-hot");
  MoveTo(plain, 190, 10);
  EXPECT_EQ(Px(plain, 186, 4), kHot);
  EXPECT_EQ(Code(skinned, 152, 8).code, RectCode("skinrect"));
  Gallery(plain, "bsSkinCtrls", "hot");

  // Pressed: the arrow, then the thumb being dragged.
  Down(skinned, 152, 8);
  EXPECT_EQ(Code(skinned, 152, 8).code, RectCode("downupbuttonrect"));
  Gallery(skinned, "bsSkinCtrls", "skin-uppressed");
  Up(skinned, 152, 8);
  Down(plain, 190, 10);
  EXPECT_EQ(Px(plain, 186, 4), kPressed);
  Up(plain, 190, 10);
  const TPoint st = Centre(skinned->Button(TbsSkinScrollBar::bpThumb).R);
  Down(skinned, st.X, st.Y);
  EXPECT_EQ(Code(skinned, st.X + 8, 2).code, RectCode("downthumbrect"));
  EXPECT_EQ(Code(skinned, st.X, st.Y).code, RectCode("downglyphrect"));
  Gallery(skinned, "bsSkinCtrls", "skin-thumbpressed");
  Up(skinned, st.X, st.Y);
  const TPoint pt = Centre(plain->Button(TbsSkinScrollBar::bpThumb).R);
  Down(plain, pt.X, pt.Y);
  EXPECT_EQ(Px(plain, pt.X, pt.Y), kPressed);
  Gallery(plain, "bsSkinCtrls", "thumbpressed");
  Up(plain, pt.X, pt.Y);

  // Disabled: no thumb at all.
  skinned->SetEnabled(false);
  plain->SetEnabled(false);
  xt::PumpUntilIdle();
  const TPoint dt = Centre(skinned->Button(TbsSkinScrollBar::bpThumb).R);
  EXPECT_EQ(Code(skinned, dt.X, 2).code, RectCode("skinrect"));
  EXPECT_EQ(Px(plain, Centre(plain->Button(TbsSkinScrollBar::bpThumb).R).X, 10), kBtnFace);
  Gallery(skinned, "bsSkinCtrls", "skin-disabled");
  Gallery(plain, "bsSkinCtrls", "disabled");

  // The corner-sharing bar: its own record while skinned, a marker area without a skin.
  plain->SetEnabled(true);
  plain->SetBothMarkerWidth(-5);
  plain->SetBothMarkerWidth(20);
  plain->SetBoth(true);
  skinned->SetBoth(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(skinned->SkinDataName(), "bothhscrollbar");
  EXPECT_EQ(skinned->SkinObjectIndex(), skin->GetControlIndex("bothhscrollbar"));
  EXPECT_EQ(Code(skinned, 152, 8).owner, OwnerOf("bothhscrollbar"));
  EXPECT_EQ(plain->Button(TbsSkinScrollBar::bpUp).R.Right, 200 - 20 - 1);
  EXPECT_EQ(Px(plain, 190, 10), kBtnFace);
  Gallery(plain, "bsSkinCtrls", "both");
  skinned->SetBoth(false);
  EXPECT_EQ(skinned->SkinDataName(), "hscrollbar");

  // No usable skin: the default look.
  skinned->SetSkinData(nullptr);
  skinned->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(skinned, 80, 8), kBtnFace);
}

// ---- Streaming ------------------------------------------------------------------------------------------

namespace {

class TScrollForm : public TForm {
  XJ_CLASS(TScrollForm, TForm)
 public:
  explicit TScrollForm(TComponent* AOwner) : TForm(AOwner) {}
};

// Bar1, turned vertical, on a form of its own for writing.
TbsSkinScrollBar* VerticalBarOn(TScrollForm* Form) {
  auto* b = new TbsSkinScrollBar(Form);
  b->SetName("Bar1");
  b->SetParent(Form);
  b->SetKind(sbVertical);
  return b;
}

}  // namespace

TEST_F(ScrollBarTest, AStreamedBarKeepsEveryValueAndSwapsToItsOwnCornerName) {
  auto* a = new TScrollForm(nullptr);
  Keep(a);
  auto* b = VerticalBarOn(a);
  b->SetRange(-5, 300, 17, 40);
  b->SetSmallChange(3);
  b->SetLargeChange(9);
  b->SetBothMarkerWidth(6);
  b->SetBothSkinDataName("cornerbar");
  b->SetCanFocused(true);
  // Written with Both on: the form reads Both before the custom name that follows it.
  b->SetBoth(true);
  EXPECT_EQ(b->SkinDataName(), "cornerbar");
  b->SetBoth(false);
  EXPECT_EQ(b->SkinDataName(), "vscrollbar");
  AnsiString text = WriteComponentResource(a);
  const auto at = text.find("Both = False");
  ASSERT_NE(at, AnsiString::npos) << text;
  text.replace(at, 12, "Both = True");
  ASSERT_LT(text.find("Both = True"), text.find("BothSkinDataName")) << text;

  auto* c = new TScrollForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinScrollBar*>(c->FindComponent("Bar1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->Kind(), sbVertical);
  EXPECT_EQ(back->Min(), -5);
  EXPECT_EQ(back->Max(), 300);
  EXPECT_EQ(back->Position(), 17);
  EXPECT_EQ(back->PageSize(), 40);
  EXPECT_EQ(back->SmallChange(), 3);
  EXPECT_EQ(back->LargeChange(), 9);
  EXPECT_EQ(back->BothMarkerWidth(), 6);
  EXPECT_TRUE(back->CanFocused());
  EXPECT_TRUE(back->TabStop());
  EXPECT_TRUE(back->Both());
  EXPECT_EQ(back->SkinDataName(), "cornerbar");
  back->SetBoth(false);
  EXPECT_EQ(back->SkinDataName(), "vscrollbar");

  // A fresh bar writes its constructor values and reads back the same.
  auto* d = new TScrollForm(nullptr);
  Keep(d);
  (new TbsSkinScrollBar(d))->SetName("Fresh");
  const AnsiString fresh = WriteComponentResource(d);
  auto* e = new TScrollForm(nullptr);
  Keep(e);
  ReadComponentResource(e, fresh);
  EXPECT_EQ(WriteComponentResource(e), fresh);
}

// A bar turned at run time still named for the other kind's record would draw that picture squashed into
// its new shape; a name the application chose is its own business. A form keeps the bar's own name under
// Both, so the bar read back goes back to it as the one that was written does.
TEST_F(ScrollBarTest, ATurnedBarKeepsItsThicknessInTheBuiltInLookAndInASkin) {
  // A view with a linked bar down its right side, over a skin that did not load.
  skin = new TbsSkinData(form);
  auto* tree = new TbsSkinTreeView(form);
  tree->SetParent(form);
  tree->SetAlign(alClient);
  auto* bar = new TbsSkinScrollBar(form);
  bar->SetParent(form);
  bar->SetKind(sbVertical);
  bar->SetAlign(alRight);
  tree->SetSkinData(skin);
  bar->SetSkinData(skin);
  tree->SetVScrollBar(bar);
  for (int i = 0; i < 60; ++i) tree->Items()->Add(nullptr, "node " + std::to_string(i));
  Show();
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->BoundsRect(), TRect(form->ClientWidth() - 20, 0, form->ClientWidth(), form->ClientHeight()));
  BeforeChangeSkinDataWalk(form, skin);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  ChangeSkinDataWalk(form, skin);
  const int skinned = bar->Width();
  EXPECT_EQ(
      skinned,
      RectWidth(static_cast<TbsDataSkinScrollBarControl*>(skin->CtrlList->Items(skin->GetControlIndex("vscrollbar")))
                    ->SkinRect));
  // Turned back, a lone bar lies along its old length.
  auto* lone = NewBar(10, 10, 33, 170, sbVertical);
  lone->SetKind(sbHorizontal);
  EXPECT_EQ(lone->BoundsRect(), TRect(10, 10, 180, 43));
  lone->SetKind(sbHorizontal);  // no turn when the kind stays
  EXPECT_EQ(lone->BoundsRect(), TRect(10, 10, 180, 43));
}

TEST_F(ScrollBarTest, AStandardNameFollowsTheKindAndAFormKeepsTheBarsOwnNameUnderBoth) {
  LoadTestSkin();
  auto* turned = NewBar(10, 10, 160, 20);
  turned->SetSkinData(skin);
  Show();
  turned->SetKind(sbVertical);
  turned->Repaint();
  EXPECT_EQ(turned->SkinObjectIndex(), skin->GetControlIndex("vscrollbar"));

  auto* a = new TScrollForm(nullptr);
  Keep(a);
  auto* b = VerticalBarOn(a);
  EXPECT_EQ(b->SkinDataName(), "vscrollbar");
  b->SetBoth(true);
  b->SetKind(sbHorizontal);  // the bar's own name turns; the corner's is still the one looked up
  EXPECT_EQ(b->SkinDataName(), "bothhscrollbar");
  b->SetBothSkinDataName("cornerbar");
  EXPECT_EQ(b->SkinDataName(), "cornerbar");

  const AnsiString text = WriteComponentResource(a);
  EXPECT_NE(text.find("SkinDataName = 'hscrollbar'"), AnsiString::npos) << text;
  auto* c = new TScrollForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinScrollBar*>(c->FindComponent("Bar1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->SkinDataName(), "cornerbar");
  EXPECT_EQ(WriteComponentResource(c), text);
  for (TbsSkinScrollBar* bar : { b, back }) {
    bar->SetBoth(false);
    EXPECT_EQ(bar->SkinDataName(), "hscrollbar");
  }
}

TEST_F(ScrollBarTest, ABarFreedFromItsOwnChangeDuringARepeatIsGoneQuietly) {
  auto* b = NewBar(10, 10, 200, 20);
  Show();
  const TPoint up = Centre(b->Button(TbsSkinScrollBar::bpUp).R);
  b->OnChange = On<TNotifyEvent>([b](TObject*) {
    if (b->Position() == 3) delete b;
  });
  auto life = b->LifeToken();
  const TPoint p = At(b, up.X, up.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(1000);
  EXPECT_TRUE(life.expired());
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(ScrollBarTest, TinyAndEmptyControlsAndAbsurdRecordsDrawAndTrackWithoutHarm) {
  LoadTestSkin();
  // A scroll-bar record whose rectangles run past its 8 x 8 picture, and whose thumb is empty.
  auto* odd = new TbsDataSkinScrollBarControl("oddbar");
  odd->PictureIndex = 0;
  odd->SkinRect = TRect(0, 0, 40, 8);
  odd->LTPoint = TPoint(4, 0);
  odd->RTPoint = TPoint(36, 0);
  odd->TrackArea = TRect(4, 0, 36, 8);
  odd->UpButtonRect = TRect(36, 0, 40, 8);
  odd->ActiveUpButtonRect = TRect(500, 500, 900, 900);
  odd->ThumbOffset1 = 30;
  odd->ThumbOffset2 = 30;
  auto* data = new TbsSkinData(form);
  auto* pic = new TBitmap;
  pic->SetSize(8, 8);
  data->ActivePictures->Add(pic);
  data->CtrlList->Add(odd);
  data->Empty = false;

  const TPoint sizes[] = { { 0, 0 }, { 1, 1 }, { 3, 2 }, { 2, 40 }, { 30, 7 } };
  std::vector<TControl*> all;
  int x = 5;
  for (const TPoint& s : sizes) {
    for (TbsSkinData* d : { static_cast<TbsSkinData*>(nullptr), skin, data }) {
      auto* bar = NewBar(x, 5, s.X, s.Y);
      bar->SetSkinDataName(d == data ? "oddbar" : "hscrollbar");
      bar->SetSkinData(d);
      bar->SetRange(0, 10, 5, 3);
      auto* track = new TbsSkinTrackBar(form);
      track->SetParent(form);
      track->SetSkinData(d);
      track->SetBounds(x, 50, s.X, s.Y);
      auto* gauge = new TbsSkinGauge(form);
      gauge->SetParent(form);
      gauge->SetShowPercent(true);
      gauge->SetSkinData(d);
      gauge->SetBounds(x, 100, s.X, s.Y);
      auto* label = new TbsSkinStatusPanel(form);
      label->SetParent(form);
      label->SetCaption("状态");
      label->SetSkinData(d);
      label->SetBounds(x, 150, s.X, s.Y);
      all.insert(all.end(), { bar, track, gauge, label });
      x += 12;
    }
  }
  Show();
  for (TControl* c : all) {
    if (c->Width() < 1 || c->Height() < 1) continue;
    const TPoint a = At(c, 0, 0), b = At(c, c->Width() - 1, c->Height() - 1);
    xt::MouseDown(xt::mbLeft, a.X, a.Y);
    xt::MouseMove(b.X, b.Y);
    xt::Advance(600);
    xt::MouseUp(xt::mbLeft, b.X, b.Y);
  }
  for (TControl* c : all)
    if (auto* bar = dynamic_cast<TbsSkinScrollBar*>(c)) {
      EXPECT_GE(bar->Position(), 0);
      EXPECT_LE(bar->Position(), 8);
    }
}

TEST_F(ScrollBarTest, AtDesignTimeTheOrientationPicksTheStandardRecordName) {
  auto* b = new TbsSkinScrollBar(form);
  auto* t = new TbsSkinTrackBar(form);
  auto* g = new TbsSkinGauge(form);
  b->SetSkinDataName("mine");
  b->SetKind(sbVertical);  // at run time a name of the caller's own stays
  EXPECT_EQ(b->SkinDataName(), "mine");
  for (TComponent* c : std::initializer_list<TComponent*> { b, t, g }) c->SetDesigning(true);
  b->SetKind(sbHorizontal);
  EXPECT_EQ(b->SkinDataName(), "hscrollbar");
  b->SetKind(sbVertical);
  EXPECT_EQ(b->SkinDataName(), "vscrollbar");
  b->SetSkinDataName("mine");
  b->SetKind(sbVertical);  // also when the kind stays
  EXPECT_EQ(b->SkinDataName(), "vscrollbar");
  b->SetBoth(true);  // the corner name is a run-time swap only
  EXPECT_EQ(b->SkinDataName(), "vscrollbar");
  t->SetVertical(true);
  EXPECT_EQ(t->SkinDataName(), "trackbar");
  t->SetVertical(false);
  EXPECT_EQ(t->SkinDataName(), "htrackbar");
  g->SetVertical(true);
  EXPECT_EQ(g->SkinDataName(), "vgauge");
  g->SetVertical(false);
  EXPECT_EQ(g->SkinDataName(), "gauge");
}

TEST_F(ScrollBarTest, ASkinSwitchOnALiveFormResizesToTheSecondSkinsBarAndRedrawsFromIt) {
  LoadTestSkin();
  auto* h = NewBar(10, 10, 173, 31);
  auto* v = NewBar(200, 10, 29, 151, sbVertical);
  for (TbsSkinScrollBar* b : { h, v }) {
    b->SetSkinData(skin);
    b->SetPosition(40);
  }
  Show();
  const uint8_t firstOwner = OwnerOf("hscrollbar");
  LoadSecondSkin();
  xt::PumpUntilIdle();
  ASSERT_NE(OwnerOf("hscrollbar"), firstOwner);
  // Stretched along the bar only: the other side takes the record's size.
  EXPECT_EQ(h->Height(), 18);
  EXPECT_EQ(v->Width(), 18);
  EXPECT_EQ(h->Width(), 173);
  EXPECT_EQ(v->Height(), 151);
  // The arrows keep to the ends (18 pixels each), the track lies between them, the thumb is in it.
  EXPECT_EQ(h->TrackRect(), TRect(18, 0, 173 - 18, 18));
  EXPECT_EQ(v->TrackRect(), TRect(0, 18, 18, 151 - 18));
  for (TbsSkinScrollBar* b : { h, v }) {
    const char* name = b == h ? "hscrollbar" : "vscrollbar";
    SCOPED_TRACE(name);
    const TRect thumb = b->Button(TbsSkinScrollBar::bpThumb).R;
    EXPECT_TRUE(Within(thumb, b->TrackRect()));
    // The thumb (with its glyph in the middle) from the thumb picture, the arrows from the face itself.
    const auto edge = Code(b, thumb.Left + 1, thumb.Top + 1),
               centre = Code(b, (thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
    EXPECT_EQ(edge.owner, OwnerOf(name));
    EXPECT_EQ(edge.code, RectCode("thumbrect"));
    EXPECT_EQ(centre.code, RectCode("glyphrect"));
    for (TPoint at : { TPoint(2, 2), TPoint(b->Width() - 3, b->Height() - 3) }) {
      EXPECT_EQ(Code(b, at.X, at.Y).owner, OwnerOf(name));
      EXPECT_EQ(Code(b, at.X, at.Y).code, RectCode("skinrect"));
    }
    Gallery(b, "bsSkinCtrls", b == h ? "second-horizontal" : "second-vertical");
  }
}

// A list box sets its bar's range on every paint: the range the bar already has does not paint it again;
// any change paints it at once.
TEST_F(ScrollBarTest, OnlyAChangedRangePaintsTheBar) {
  LoadTestSkin();
  auto* b = NewBar(10, 10, 200, 20);
  b->SetSkinData(skin);
  b->SetRange(0, 100, 0, 20);
  Show();
  xj::test::MessageTrace trace(b->Handle(), { WM_PAINT });
  b->SetRange(0, 100, 0, 20);
  b->SetRange(0, 100, -5, 20);  // clamped to where it is
  EXPECT_EQ(trace.Count(WM_PAINT), 0);
  int painted = 0;
  for (auto [lo, hi, pos, page] :
       { std::array { 0, 100, 60, 20 }, { 0, 120, 60, 20 }, { 5, 120, 60, 20 }, { 5, 120, 60, 30 } }) {
    b->SetRange(lo, hi, pos, page);
    EXPECT_EQ(trace.Count(WM_PAINT), ++painted) << lo << " " << hi << " " << pos << " " << page;
  }
  EXPECT_EQ(b->Position(), 60);
}

// A glyph wider than the thumb stays on it, a thumb squeezed into a short track shows its picture's start
// unstretched, and past the skin's picture a thumb shows a blank bitmap's colour, not the face.
TEST_F(ScrollBarTest, AThumbShowsItsPictureCutToItsOwnSize) {
  LoadTestSkin();
  auto* record = static_cast<TbsDataSkinScrollBarControl*>(skin->CtrlList->Items(skin->GetControlIndex("hscrollbar")));
  TBitmap* picture = bsActivePicture(skin, record->PictureIndex);
  auto pictureAt = [picture](int x, int y) { return static_cast<COLORREF>(picture->Canvas()->Pixels(x, y)); };
  const TRect thumb = record->ThumbRect, glyph = record->GlyphRect,
              wide(glyph.Left, glyph.Top, glyph.Left + 40, glyph.Bottom);
  const int pw = picture->Width();
  ASSERT_EQ(thumb.Width(), 24);
  TBitmap blank;
  blank.SetSize(1, 1);
  struct Case {
    int width;
    TRect thumb, glyph;
    TPoint at;  // on the thumb
    COLORREF expected;
  } cases[] = {
    { 160, thumb, wide, { -1, 8 }, 0 },  // beside the thumb: not the glyph's column 7
    { 160, thumb, wide, { 0, 8 }, pictureAt(wide.Left + 8, wide.Top + 4) },
    { 50, thumb, glyph, { 17, 1 }, pictureAt(thumb.Left + 17, thumb.Top + 1) },
    { 160,
      TRect(pw - 10, thumb.Top, pw + 14, thumb.Bottom),
      TRect(),
      { 10, 8 },
      COLORREF(blank.Canvas()->Pixels(0, 0)) },
  };
  Show();
  for (const Case& c : cases) {
    record->ThumbRect = record->ActiveThumbRect = record->DownThumbRect = c.thumb;
    record->GlyphRect = record->ActiveGlyphRect = record->DownGlyphRect = c.glyph;
    auto* b = NewBar(10, 10, c.width, 16);
    b->SetSkinData(skin);
    xt::PumpUntilIdle();
    const TRect t = b->Button(TbsSkinScrollBar::bpThumb).R;
    ASSERT_EQ(t.Width(), c.width == 50 ? 18 : 24);  // the short track holds 18 of the picture's 24 columns
    const COLORREF seen = Px(b, t.Left + c.at.X, t.Top + c.at.Y);
    if (c.at.X < 0)
      EXPECT_NE(seen, pictureAt(wide.Left + 7, wide.Top + 4));
    else
      EXPECT_EQ(seen, c.expected) << c.width << " " << c.at.X;
    delete b;
  }
}

// A list's bar given a new skin is fitted to its record and placed along the list's client edge.
TEST_F(ScrollBarTest, AListsBarTakesANewSkinFittedAlongTheListsEdge) {
  LoadTestSkin();
  auto* list = new TbsSkinListBox(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 120, 120);
  for (int i = 0; i < 20; ++i) list->Items()->Add("item");
  Show();
  TbsSkinScrollBar* bar = list->ScrollBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->Width(), 19);
  list->SetSkinData(skin);
  EXPECT_EQ(bar->Width(), 16);
  EXPECT_EQ(bar->BoundsRect().Right, list->ListBox()->BoundsRect().Right + bar->Width());
}
