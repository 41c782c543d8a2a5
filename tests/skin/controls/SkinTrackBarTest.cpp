// The skinned track bar as a user drags, clicks and keys it: values clamped to the bounds, the thumb
// under the pointer wherever the track lies, the vertical bar growing upwards, and its looks.

#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class TrackBarTest : public SkinControlsTest {
 protected:
  TbsSkinTrackBar* NewBar(int l, int t, int w, int h) {
    auto* b = new TbsSkinTrackBar(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    return b;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  static void Drag(TControl* c, TPoint from, TPoint to) {
    const TPoint a = At(c, from.X, from.Y), b = At(c, to.X, to.Y);
    xt::MouseDown(xt::mbLeft, a.X, a.Y);
    xt::MouseMove(b.X, b.Y);
    xt::MouseUp(xt::mbLeft, b.X, b.Y);
  }
  int changes = 0;
};

constexpr COLORREF kFocused = RGB(182, 189, 210), kPressed = RGB(133, 147, 181), kBtnFace = RGB(192, 192, 192);

}  // namespace

TEST_F(TrackBarTest, ValuesStayInsideTheBoundsAndOnlyRealChangesReport) {
  auto* b = NewBar(10, 10, 100, 20);
  EXPECT_EQ(b->Value(), 50);
  EXPECT_EQ(Centre(b->ThumbRect()).X, 50);  // a new bar shows its thumb in the middle
  b->SetValue(50);
  b->SetValue(1000);
  EXPECT_EQ(b->Value(), 100);
  b->SetValue(-5);
  EXPECT_EQ(b->Value(), 0);
  EXPECT_EQ(changes, 2);
  b->SetMinValue(30);  // moves the value up, quietly
  EXPECT_EQ(b->Value(), 30);
  b->SetMaxValue(20);
  EXPECT_EQ(b->Value(), 20);
  EXPECT_EQ(changes, 2);
  // Equal bounds: the thumb at the minimum end, and every offset gives the minimum.
  b->SetMinValue(20);
  EXPECT_EQ(b->ThumbRect().Left, 2);
  EXPECT_EQ(b->CalcValue(40), 20);
  // 32-bit bounds do not overflow.
  b->SetMinValue(INT_MIN);
  b->SetMaxValue(INT_MAX);
  b->SetValue(INT_MAX);
  EXPECT_EQ(b->ThumbRect().Right, 98);
}

TEST_F(TrackBarTest, TheThumbFollowsTheDragAndVerticalBarsGrowUpwards) {
  LoadTestSkin();
  auto* h = NewBar(10, 10, 100, 20);
  auto* v = NewBar(130, 10, 20, 150);
  v->SetSkinDataName("trackbar");
  v->SetSkinData(skin);
  Show();
  // Default look: thumb centres run from 6 to 94, so 22 pixels are a quarter of 0..100.
  TPoint t = Centre(h->ThumbRect());
  Drag(h, t, TPoint(t.X - 22, t.Y));
  EXPECT_EQ(h->Value(), 25);
  t = Centre(h->ThumbRect());
  Drag(h, t, TPoint(t.X + 500, t.Y));  // beyond the end: pinned
  EXPECT_EQ(h->Value(), 100);
  // A drag whose capture is taken away ends where it stands.
  t = Centre(h->ThumbRect());
  TPoint p = At(h, t.X, t.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  ReleaseCapture();
  MoveTo(h, t.X - 30, t.Y);
  xt::MouseUp(xt::mbLeft, p.X - 30, p.Y);
  EXPECT_EQ(h->Value(), 100);

  // Skinned vertical ("trackbar" is vertical whatever Vertical said): dragging up grows the value.
  EXPECT_TRUE(v->Vertical());
  EXPECT_EQ(v->Width(), 20);
  EXPECT_EQ(v->Height(), 150);
  t = Centre(v->ThumbRect());
  const int travel = (v->TrackRect().Bottom - 5) - (v->TrackRect().Top + 5);
  Drag(v, t, TPoint(t.X, t.Y - travel / 2));
  EXPECT_EQ(v->Value(), 100);
  EXPECT_EQ(Code(v, t.X, v->ThumbRect().Top + 2).code, RectCode("buttonrect"));
  Drag(v, Centre(v->ThumbRect()), TPoint(t.X, 149));
  EXPECT_EQ(v->Value(), 0);

  // Keys only when it may take the focus; the mouse only with MouseSupport.
  v->SetMouseSupport(false);
  v->SetCanFocused(true);
  t = Centre(v->ThumbRect());
  Drag(v, t, TPoint(t.X, t.Y - 40));
  EXPECT_EQ(v->Value(), 0);
  ASSERT_TRUE(v->Focused());
  xt::KeyDown(VK_UP);
  xt::KeyDown(VK_UP);
  xt::KeyDown(VK_LEFT);
  EXPECT_EQ(v->Value(), 1);
  xt::Wheel(120);  // away from the user: up the vertical bar
  EXPECT_EQ(v->Value(), 2);
  EXPECT_EQ(Code(v, t.X, v->ThumbRect().Top + 2).code, RectCode("activebuttonrect"));
  Gallery(v, "bsSkinCtrls", "skin-vertical-focused");
}

TEST_F(TrackBarTest, AClickOffTheThumbPutsItsCentreUnderThePointerOnAnUnevenTrack) {
  // A fixed-size vertical record whose track leaves 10 pixels at the top and 4 at the bottom.
  auto* data = new TbsSkinData(form);
  auto* pic = new TBitmap;
  pic->SetSize(40, 100);
  pic->Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(10, 20, 30)));
  pic->Canvas()->FillRect(TRect(0, 0, 40, 100));
  data->ActivePictures->Add(pic);
  auto* rec = new TbsDataSkinTrackBarControl("uneven");
  rec->PictureIndex = 0;
  rec->SkinRect = TRect(0, 0, 20, 100);
  rec->TrackArea = TRect(0, 10, 20, 96);
  rec->ButtonRect = TRect(20, 0, 40, 10);
  rec->Vertical = true;
  data->CtrlList->Add(rec);
  data->Empty = false;
  auto* b = NewBar(10, 10, 20, 100);
  b->SetSkinDataName("uneven");
  b->SetSkinData(data);
  b->SetJumpWhenClick(true);
  Show();
  ASSERT_EQ(b->ResizeMode(), 0);
  b->SetValue(0);
  changes = 0;
  ClickAt(b, 10, 53);  // centres run from 91 (0) up to 15 (100): 53 is halfway
  EXPECT_EQ(b->Value(), 50);
  EXPECT_EQ(Centre(b->ThumbRect()).Y, 53);
  EXPECT_EQ(changes, 1);
  ClickAt(b, 10, 2);  // above the track: clamped
  EXPECT_EQ(b->Value(), 100);
  // Releasing after a drag does not jump.
  Drag(b, Centre(b->ThumbRect()), TPoint(10, 34));
  EXPECT_EQ(b->Value(), 75);
}

TEST_F(TrackBarTest, DefaultLookShowsNormalPressedAndFocusedThumbs) {
  auto* b = NewBar(10, 10, 120, 24);
  Show();
  const TPoint t = Centre(b->ThumbRect());
  EXPECT_EQ(Px(b, t.X, t.Y), kBtnFace);
  EXPECT_EQ(Px(b, b->ThumbRect().Left, t.Y), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(Px(b, 30, 11), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));  // the sunken groove
  EXPECT_EQ(Px(b, 30, 12), static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  Gallery(b, "bsSkinCtrls", "normal");
  const TPoint p = At(b, t.X, t.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Px(b, t.X, t.Y), kPressed);
  EXPECT_EQ(Px(b, b->ThumbRect().Left, t.Y), static_cast<COLORREF>(ColorToRGB(clNavy)));
  Gallery(b, "bsSkinCtrls", "pressed");
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  b->SetCanFocused(true);
  b->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, t.X, t.Y), kFocused);
  Gallery(b, "bsSkinCtrls", "focused");
}

namespace {

class TTrackForm : public TForm {
  XJ_CLASS(TTrackForm, TForm)
 public:
  explicit TTrackForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(TrackBarTest, AStreamedBarKeepsItsValues) {
  auto* a = new TTrackForm(nullptr);
  Keep(a);
  auto* b = new TbsSkinTrackBar(a);
  b->SetName("Track1");
  b->SetParent(a);
  b->SetMinValue(200);
  b->SetMaxValue(300);
  b->SetValue(250);
  b->SetVertical(true);
  b->SetMouseSupport(false);
  b->SetJumpWhenClick(true);
  b->SetCanFocused(true);
  const AnsiString text = WriteComponentResource(a);
  auto* c = new TTrackForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinTrackBar*>(c->FindComponent("Track1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->MinValue(), 200);
  EXPECT_EQ(back->MaxValue(), 300);
  EXPECT_EQ(back->Value(), 250);
  EXPECT_TRUE(back->Vertical());
  EXPECT_FALSE(back->MouseSupport());
  EXPECT_TRUE(back->JumpWhenClick());
  EXPECT_TRUE(back->TabStop());
  EXPECT_EQ(WriteComponentResource(c), text);
}

TEST_F(TrackBarTest, ASkinSwitchOnALiveFormResizesToTheSecondSkinsBarAndRedrawsFromIt) {
  LoadTestSkin();
  auto* h = NewBar(10, 10, 161, 37);
  auto* v = NewBar(200, 10, 33, 143);
  v->SetVertical(true);
  v->SetSkinDataName("trackbar");
  for (TbsSkinTrackBar* b : { h, v }) {
    b->SetSkinData(skin);
    b->SetValue(30);
  }
  Show();
  const uint8_t firstOwner = OwnerOf("htrackbar");
  LoadSecondSkin();
  xt::PumpUntilIdle();
  ASSERT_NE(OwnerOf("htrackbar"), firstOwner);
  EXPECT_EQ(h->Height(), 24);
  EXPECT_EQ(v->Width(), 24);
  EXPECT_EQ(h->Width(), 161);
  EXPECT_EQ(v->Height(), 143);
  for (TbsSkinTrackBar* b : { h, v }) {
    const char* name = b == h ? "htrackbar" : "trackbar";
    SCOPED_TRACE(name);
    const TRect thumb = b->ThumbRect();
    EXPECT_TRUE(Within(thumb, TRect(0, 0, b->Width(), b->Height())));
    const TPoint c = Centre(thumb);
    EXPECT_EQ(Code(b, c.X, c.Y).owner, OwnerOf(name));
    EXPECT_EQ(Code(b, c.X, c.Y).code, RectCode("buttonrect"));
    EXPECT_EQ(Code(b, 1, 1).code, RectCode("skinrect"));
    Gallery(b, "bsSkinCtrls", b == h ? "second-horizontal" : "second-vertical");
  }
  // The second skin's vertical thumb is 18 x 10, not the test skin's.
  EXPECT_EQ(v->ThumbRect().Width(), 18);
  EXPECT_EQ(v->ThumbRect().Height(), 10);
}
