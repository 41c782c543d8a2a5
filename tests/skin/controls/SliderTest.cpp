// The slider as a user drags, presses, keys and wheels it: values exact at both ends at every size,
// the two snapping grids, repeating ruler presses on the manual clock, streamed user images, bad ranges
// and sizes, and its three looks.

#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class SliderTest : public SkinControlsTest {
 protected:
  TbsSkinSlider* NewSlider(int l, int t, int w = 150, int h = 40) {
    auto* s = new TbsSkinSlider(form);
    s->SetParent(form);
    s->SetBounds(l, t, w, h);
    s->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    s->OnChanged = On<TNotifyEvent>([this](TObject*) { ++ends; });
    return s;
  }
  void Show() {
    ShowUnfocused();
    xt::PumpUntilIdle();
  }
  static void Drag(TControl* c, TPoint from, TPoint to) {
    const TPoint a = At(c, from.X, from.Y), b = At(c, to.X, to.Y);
    xt::MouseDown(xt::mbLeft, a.X, a.Y);
    xt::MouseMove(b.X, b.Y);
    xt::MouseUp(xt::mbLeft, b.X, b.Y);
  }
  int changes = 0, ends = 0;
};

class TSliderForm : public TForm {
  XJ_CLASS(TSliderForm, TForm)
 public:
  explicit TSliderForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(SliderTest, ValuesAreExactAtBothEndsAtEverySizeAndBadInputChangesNothing) {
  auto* s = NewSlider(10, 10);
  // The default look: a 9-pixel thumb on a 138-pixel ruler, 129 pixels of travel from x = 6.
  EXPECT_EQ(s->ThumbRect(), TRect(6, 6, 15, 23));
  EXPECT_EQ(s->RulerOrigin(), TPoint(6, 10));
  EXPECT_EQ(s->GetRulerLength(), 129);
  for (TbsSliderOrientation o : { soHorizontal, soVertical }) {
    s->SetOrientation(o);
    for (int len = 1; len <= 260; len += len < 30 ? 1 : 17) {
      if (o == soHorizontal)
        s->SetBounds(10, 10, len, 40);
      else
        s->SetBounds(10, 10, 40, len);
      s->SetValue(100);
      const int atMax = o == soHorizontal ? s->ThumbRect().Left : s->ThumbRect().Top;
      EXPECT_EQ(s->GetValueByOffset(atMax), s->GetRulerLength() > 0 ? 100 : 0) << len;
      s->SetValue(0);
      const int atMin = o == soHorizontal ? s->ThumbRect().Left : s->ThumbRect().Top;
      EXPECT_EQ(s->GetValueByOffset(atMin), 0) << len;
      // The minimum lies at the start of a horizontal ruler and at the bottom of a vertical one.
      EXPECT_EQ(atMin, o == soHorizontal ? 6 : std::max(6, len - 6 - 9)) << len;
    }
  }
  s->SetOrientation(soHorizontal);
  s->SetBounds(10, 10, 150, 40);
  // Jumps count the grid from 0 and round halves to even.
  s->SetValue(15);
  s->ThumbJump(jmNext);
  EXPECT_EQ(s->Value(), 30);
  s->SetValue(15);
  s->ThumbJump(jmPrior);
  EXPECT_EQ(s->Value(), 10);
  s->SetValue(25);
  s->ThumbJump(jmNext);
  EXPECT_EQ(s->Value(), 30);
  // Reversed ranges and steps below 1 are refused; a range narrower than the step narrows the step.
  s->SetMinValue(100);
  s->SetMinValue(300);
  s->SetIncrement(0);
  s->SetIncrement(-4);
  EXPECT_EQ(s->MinValue(), 0);
  EXPECT_EQ(s->Increment(), 10);
  s->SetMaxValue(5);
  EXPECT_EQ(s->MaxValue(), 5);
  EXPECT_EQ(s->Increment(), 5);
  EXPECT_EQ(s->Value(), 5);
  s->SetValue(-7);
  EXPECT_EQ(s->Value(), 0);
  // An edge as long as half the ruler image is refused.
  s->SetEdgeSize(5);
  EXPECT_EQ(s->EdgeSize(), 2);
  // A ruler image no longer than its two ends, and a thumb image of one pixel, still lay out.
  TBitmap tiny;
  tiny.SetSize(3, 1);
  s->SetImageHRuler(&tiny);
  s->SetImageHThumb(&tiny);
  EXPECT_EQ(s->Ruler()->Width(), 138);
  EXPECT_EQ(s->Ruler()->Height(), 1);
  s->SetValue(5);
  EXPECT_EQ(s->GetValueByOffset(s->ThumbRect().Left), 5);
}

TEST_F(SliderTest, DragsSnapToTheStepUnlessSmoothAndRulerPressesRepeatUntilTheThumbIsThere) {
  auto* s = NewSlider(10, 10);
  Show();
  // 43 pixels of 129 are a third of 0..100.
  Drag(s, TPoint(10, 14), TPoint(53, 14));
  EXPECT_EQ(s->Value(), 33);
  EXPECT_EQ(s->ThumbRect().Left, 49);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(s->Focused());
  s->SetOptions(TbsSliderOptions { soShowFocus, soShowPoints });
  Drag(s, TPoint(52, 14), TPoint(92, 14));  // 40 more pixels: 64, snapped to 60
  EXPECT_EQ(s->Value(), 60);
  EXPECT_EQ(s->ThumbRect().Left, 6 + 77);
  Drag(s, TPoint(86, 14), TPoint(600, 14));
  EXPECT_EQ(s->Value(), 100);
  EXPECT_EQ(s->ThumbRect().Left, 135);
  Drag(s, TPoint(138, 14), TPoint(-300, 14));
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(ends, 4);
  // A press on the ruler right of the thumb: one jump at once, one every 400 ms until the thumb covers
  // the pointer, then nothing more however long the button is held.
  changes = ends = 0;
  const TPoint p = At(s, 100, 14);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(s->Value(), 10);
  xt::Advance(399);
  xt::PumpUntilIdle();
  EXPECT_EQ(s->Value(), 10);
  for (int i = 0; i < 12; ++i) {
    xt::Advance(400);
    xt::PumpUntilIdle();
  }
  EXPECT_EQ(s->Value(), 70);  // its right edge (105) has passed the pointer
  EXPECT_EQ(ends, 0);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(changes, 7);
  xt::Advance(2000);
  xt::PumpUntilIdle();
  EXPECT_EQ(s->Value(), 70);
  // Read-only: neither presses nor drags change anything.
  s->SetReadOnly(true);
  ClickAt(s, 20, 14);
  Drag(s, TPoint(s->ThumbRect().Left + 2, 14), TPoint(20, 14));
  EXPECT_EQ(s->Value(), 70);
}

TEST_F(SliderTest, KeysAndWheelJumpAndAVerticalSliderGrowsUpwards) {
  auto* s = NewSlider(10, 10);
  auto* v = NewSlider(200, 10);
  v->SetOrientation(soVertical);
  EXPECT_EQ(v->Width(), 40);
  EXPECT_EQ(v->Height(), 150);
  Show();
  s->SetFocus();
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(s->Value(), 20);
  Press(VK_RIGHT, xt::ssShift);  // with a shift key: not ours
  EXPECT_EQ(s->Value(), 20);
  Press(VK_END);
  EXPECT_EQ(s->Value(), 100);
  Press(VK_LEFT);
  EXPECT_EQ(s->Value(), 90);
  Press(VK_HOME);
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(ends, 5);
  xt::Wheel(120);
  xt::Wheel(120);
  xt::Wheel(-120);
  EXPECT_EQ(s->Value(), 10);
  // Vertical: the minimum at the bottom; Up, and a press above the thumb, increase the value.
  v->SetFocus();
  EXPECT_EQ(v->ThumbRect().Top, 150 - 6 - 9);
  Press(VK_UP);
  EXPECT_EQ(v->Value(), 10);
  Press(VK_DOWN);
  Press(VK_DOWN);
  EXPECT_EQ(v->Value(), 0);
  const int x = v->RulerOrigin().X + 2;
  ClickAt(v, x, 20);
  EXPECT_EQ(v->Value(), 10);
  Drag(v, TPoint(x, v->ThumbRect().Top + 4), TPoint(x, -50));
  EXPECT_EQ(v->Value(), 100);
  EXPECT_EQ(v->ThumbRect().Top, 6);
}

TEST_F(SliderTest, UserImagesStreamWithTheirBitsAndDefaultsStreamNoImageData) {
  auto* a = new TSliderForm(nullptr);
  Keep(a);
  auto* plain = new TbsSkinSlider(a);
  plain->SetName("Plain");
  plain->SetParent(a);
  auto* s = new TbsSkinSlider(a);
  s->SetName("Slider1");
  s->SetParent(a);
  s->SetBounds(0, 50, 163, 41);
  TBitmap ruler;
  ruler.SetSize(12, 6);
  ruler.Canvas()->Brush()->SetColor(clRed);
  ruler.Canvas()->FillRect(TRect(0, 0, 12, 6));
  s->SetOptions(TbsSliderOptions { soRulerOpaque, soShowPoints });
  s->SetImageHRuler(&ruler);
  s->SetMinValue(-20);
  s->SetValue(35);
  const AnsiString text = WriteComponentResource(a);
  EXPECT_NE(text.find("UserImages = {"), AnsiString::npos) << text;
  EXPECT_NE(text.find("ImageHRuler"), AnsiString::npos);
  EXPECT_EQ(text.find("ImageHThumb"), AnsiString::npos);
  // The plain slider is written before Slider1: nothing of images appears in its part.
  EXPECT_GT(text.find("UserImages"), text.find("Slider1")) << text;

  auto* b = new TSliderForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinSlider*>(b->FindComponent("Slider1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->UserImages(), TbsSliderImages { siHRuler });
  EXPECT_EQ(back->ImageHRuler()->Width(), 12);
  EXPECT_EQ(back->Ruler()->Height(), 6);
  EXPECT_EQ(back->MinValue(), -20);
  EXPECT_EQ(back->Value(), 35);
  EXPECT_EQ(WriteComponentResource(b), text);
  // Nil puts the drawn default back: its size, magenta corner, and no opaque ruler.
  back->SetImageHRuler(nullptr);
  EXPECT_TRUE(back->UserImages().Empty());
  EXPECT_EQ(back->ImageHRuler()->Width(), 10);
  EXPECT_EQ(back->ImageHRuler()->Height(), 8);
  EXPECT_EQ(back->ImageHRuler()->TransparentColor(), clFuchsia);
  EXPECT_FALSE(back->Options().Contains(soRulerOpaque));
  EXPECT_EQ(back->ImageHThumb()->Width(), 18);
  EXPECT_EQ(back->ImageHThumb()->Height(), 17);
  EXPECT_EQ(back->ImageVThumb()->Width(), 38);
  EXPECT_EQ(back->ImageVRuler()->Height(), 10);

  // A one-value range can only come from a stream; it is taken and maps every offset to that value.
  AnsiString one = WriteComponentResource(a);
  const size_t at = one.find("MinValue = -20");
  ASSERT_NE(at, AnsiString::npos);
  one.replace(at, 14, "MinValue = 100");
  auto* c = new TSliderForm(nullptr);
  Keep(c);
  ReadComponentResource(c, one);
  auto* flat = dynamic_cast<TbsSkinSlider*>(c->FindComponent("Slider1"));
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(flat->MinValue(), 100);
  EXPECT_EQ(flat->MaxValue(), 100);
  EXPECT_EQ(flat->Value(), 100);
  EXPECT_EQ(flat->ThumbRect().Left, 6);
  EXPECT_EQ(flat->GetValueByOffset(80), 100);
}

TEST_F(SliderTest, ThreeLooksAndASkinSwitchThroughTheWalk) {
  auto* s = NewSlider(10, 10, 163, 41);
  auto* v = NewSlider(200, 10, 47, 120);
  v->SetOrientation(soVertical);
  v->SetBounds(200, 10, 47, 120);
  Show();
  // No skin: the drawn groove's black line and the grey thumb, on the control's colour.
  const TPoint r = s->RulerOrigin();
  EXPECT_EQ(Px(s, r.X + 40, r.Y + 3), RGB(0, 0, 0));
  EXPECT_EQ(Px(s, r.X + 40, r.Y), ColorToRGB(s->Color()));  // the magenta rows are transparent
  EXPECT_EQ(Px(s, s->ThumbRect().Left + 4, s->ThumbRect().Top + 5), ColorToRGB(clSilver));
  // The tip of the vertical thumb, pointing right, shows no magenta.
  for (int x = v->ThumbRect().Left; x < v->ThumbRect().Right; ++x)
    EXPECT_NE(Px(v, x, v->ThumbRect().Bottom - 1), RGB(255, 0, 255)) << x;
  Gallery(s, "bsSkinCtrls", "slider-default");
  // What lies under the thumb is kept between paints: a new colour, a focus rectangle, and fewer points
  // still show.
  s->SetColor(clRed);
  s->SetFocus();
  s->SetIncrement(50);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(s, r.X + 40, r.Y), RGB(255, 0, 0));
  EXPECT_NE(Px(s, 2, 20), RGB(255, 0, 0));  // the focus rectangle's dots on the left edge
  const int mid = s->GetOffsetByValue(50) + 4;
  EXPECT_NE(Px(s, mid, s->PointsRect().Top), RGB(255, 0, 0));
  EXPECT_EQ(Px(s, s->GetOffsetByValue(30) + 4, s->PointsRect().Top), RGB(255, 0, 0));
  FocusHolder()->SetFocus();
  s->SetColor(clBtnFace);
  Gallery(v, "bsSkinCtrls", "slider-default-vertical");

  LoadTestSkin();
  s->SetSkinData(skin);
  v->SetSkinData(skin);
  xt::PumpUntilIdle();
  // The skin's 24 x 16 thumb shows its left half; its ruler is stretched between 4-pixel ends.
  EXPECT_EQ(RectWidth(s->ThumbRect()), 12);
  EXPECT_EQ(Code(s, s->RulerOrigin().X + 70, s->RulerOrigin().Y + 1).code, RectCode("hrulerrect"));
  const auto thumb = Code(s, s->ThumbRect().Left + 11, s->ThumbRect().Top + 3);
  EXPECT_EQ(thumb.code, RectCode("hthumbrect"));
  EXPECT_EQ(thumb.localX, 11);
  EXPECT_EQ(Code(v, v->RulerOrigin().X + 1, 40).code, RectCode("vrulerrect"));
  // Pressed, the thumb shows the right half.
  const TPoint t = At(s, s->ThumbRect().Left + 2, s->ThumbRect().Top + 2);
  xt::MouseDown(xt::mbLeft, t.X, t.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(s, s->ThumbRect().Left + 1, s->ThumbRect().Top + 3).localX, 13);
  Gallery(s, "bsSkinCtrls", "slider-skin-pressed");
  xt::MouseUp(xt::mbLeft, t.X, t.Y);
  xt::PumpUntilIdle();
  Gallery(s, "bsSkinCtrls", "slider-skin");
  Gallery(v, "bsSkinCtrls", "slider-skin-vertical");

  // The second skin has no slider: the walk brings both back to the drawn look.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(RectWidth(s->ThumbRect()), 9);
  EXPECT_EQ(Px(s, s->RulerOrigin().X + 40, s->RulerOrigin().Y + 3), RGB(0, 0, 0));
  Gallery(s, "bsSkinCtrls", "slider-second");
}
