// The skinned gauge: how much of the bar a value fills (halves to even), the bar cut from the skin's
// bar picture with its caps, the built-in look, the caption and its quarter-turned form on a vertical
// gauge.

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class GaugeTest : public SkinControlsTest {
 protected:
  TbsSkinGauge* NewGauge(const AnsiString& name, int l, int t, int w, int h) {
    auto* g = new TbsSkinGauge(form);
    g->SetParent(form);
    g->SetSkinDataName(name);
    g->SetBounds(l, t, w, h);
    return g;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  // The bounding box of the pixels of colour c inside the control.
  TRect Ink(TControl* g, COLORREF c) const {
    TRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = 0; y < g->Height(); ++y)
      for (int x = 0; x < g->Width(); ++x)
        if (Px(g, x, y) == c)
          box = TRect(std::min<int>(box.Left, x), std::min<int>(box.Top, y), std::max<int>(box.Right, x + 1),
                      std::max<int>(box.Bottom, y + 1));
    return box;
  }
};

constexpr COLORREF kBar = RGB(182, 189, 210), kWindow = RGB(255, 255, 255), kText = RGB(0, 0, 0);

}  // namespace

TEST_F(GaugeTest, ValuesFillTheBarRoundingHalvesToEven) {
  auto* g = NewGauge("gauge", 10, 10, 100, 20);
  EXPECT_EQ(g->CalcProgressRect(TRect(0, 0, 10, 8), false).Right, 5);  // a new gauge is half full
  g->SetValue(25);
  EXPECT_EQ(g->CalcProgressRect(TRect(0, 0, 10, 8), false).Right, 2);  // 2.5
  g->SetValue(35);
  EXPECT_EQ(g->CalcProgressRect(TRect(0, 0, 10, 8), false).Right, 4);    // 3.5
  EXPECT_EQ(g->CalcProgressRect(TRect(0, 0, 8, 10), true).Top, 10 - 4);  // from the bottom: 3.5
  g->SetShowPercent(true);
  g->SetMaxValue(8);
  EXPECT_EQ(g->Value(), 8);
  g->SetValue(1);
  EXPECT_EQ(g->CaptionText(), "12%");  // 12.5
  g->SetValue(3);
  g->SetProgressText("载入");
  g->SetShowProgressText(true);
  EXPECT_EQ(g->CaptionText(), "载入38%");  // 37.5, no separator
  g->SetMinValue(5);
  EXPECT_EQ(g->Value(), 5);
  g->SetValue(-100);
  EXPECT_EQ(g->Value(), 5);
  // Equal bounds: an empty bar and 0 percent.
  g->SetMaxValue(5);
  EXPECT_EQ(g->CaptionText(), "载入0%");
  EXPECT_EQ(g->CalcProgressRect(TRect(0, 0, 10, 8), false).Right, 0);
  g->SetMinValue(INT_MIN);
  g->SetMaxValue(INT_MAX);
  g->SetValue(INT_MAX);
  EXPECT_EQ(g->CaptionText(), "载入100%");
}

TEST_F(GaugeTest, TheSkinnedBarIsCutFromTheBarPictureWithItsCaps) {
  LoadTestSkin();
  auto* g = NewGauge("gauge", 10, 10, 160, 20);
  auto* narrow = NewGauge("gauge", 10, 40, 160, 20);
  auto* v = NewGauge("vgauge", 200, 10, 20, 140);
  narrow->SetValue(2);
  for (TbsSkinGauge* x : { g, narrow, v }) x->SetSkinData(skin);
  Show();
  // The bar area stretches with the face: 3..157, half of it filled.
  const auto left = Code(g, 3, 8), middle = Code(g, 10, 8), right = Code(g, 79, 8), past = Code(g, 81, 8);
  EXPECT_EQ(left.code, RectCode("progressrect"));
  EXPECT_EQ(left.localX, 0);
  EXPECT_EQ(middle.code, RectCode("progressrect"));
  EXPECT_EQ(middle.localX, 7);  // tiled from the fifth column of the picture
  EXPECT_EQ(right.code, RectCode("progressrect"));
  EXPECT_EQ(right.localX, 93 % 16);  // the last column of the right cap
  EXPECT_NE(past.code, RectCode("progressrect"));
  // Three pixels of bar cannot hold two four-pixel caps: nothing is drawn.
  EXPECT_NE(Code(narrow, 4, 8).code, RectCode("progressrect"));
  // "vgauge" is vertical whatever Vertical said, and fills from the bottom.
  EXPECT_TRUE(v->Vertical());
  const int top = 137 - 67;  // area 3..137, half of 134 filled
  EXPECT_EQ(Code(v, 10, top).code, RectCode("progressrect"));
  EXPECT_EQ(Code(v, 10, top).localY, 0);
  EXPECT_NE(Code(v, 10, top - 1).code, RectCode("progressrect"));
  EXPECT_EQ(Code(v, 10, 136).localY, 93 % 16);
  Gallery(g, "bsSkinCtrls", "skin-half");
  Gallery(narrow, "bsSkinCtrls", "skin-narrow");
  Gallery(v, "bsSkinCtrls", "skin-vertical");
}

TEST_F(GaugeTest, TheDefaultLookAndItsCaptionTurnedForAVerticalGauge) {
  auto* h = NewGauge("gauge", 10, 10, 120, 24);
  auto* v = NewGauge("vgauge", 200, 10, 24, 120);
  v->SetVertical(true);
  for (TbsSkinGauge* g : { h, v }) {
    g->SetShowPercent(true);
    g->DefaultFont()->SetColor(clBlack);
  }
  Show();
  EXPECT_EQ(Px(h, 0, 5), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(Px(h, 5, 5), kBar);
  EXPECT_EQ(Px(h, 115, 5), kWindow);
  EXPECT_EQ(Px(v, 5, 115), kBar);
  EXPECT_EQ(Px(v, 5, 5), kWindow);
  // The caption lies across a horizontal gauge and along a vertical one, centred on each.
  const TRect across = Ink(h, kText), along = Ink(v, kText);
  EXPECT_GT(across.Width(), across.Height());
  EXPECT_GT(along.Height(), along.Width());
  EXPECT_NEAR((along.Top + along.Bottom) / 2.0, 60, 2);
  EXPECT_NEAR((along.Left + along.Right) / 2.0, 12, 2);
  Gallery(h, "bsSkinCtrls", "percent");
  Gallery(v, "bsSkinCtrls", "vertical-percent");
}

TEST_F(GaugeTest, WithoutTheSkinsSizeTheFaceStretchesButNotTheCaption) {
  LoadTestSkin();
  auto* g = NewGauge("gauge", 10, 10, 200, 44);
  g->SetUseSkinSize(false);
  g->SetShowPercent(true);
  g->SetSkinData(skin);
  Show();
  EXPECT_EQ(g->Width(), 200);
  EXPECT_EQ(g->Height(), 44);
  EXPECT_EQ(Code(g, 40, 10).code, RectCode("progressrect"));
  // The caption keeps the skin font's size: about one line of 12 pixels high, not stretched.
  const auto skinText = static_cast<TColor>(mkskin::ColourValue(OwnerOf("gauge"), RectCode("fontcolor")));
  const TRect ink = Ink(g, static_cast<COLORREF>(ColorToRGB(skinText)));
  EXPECT_LE(ink.Height(), 14);
  EXPECT_GT(ink.Width(), 0);
  Gallery(g, "bsSkinCtrls", "skin-stretched");
}

namespace {

class TGaugeForm : public TForm {
  XJ_CLASS(TGaugeForm, TForm)
 public:
  explicit TGaugeForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(GaugeTest, AStreamedGaugeKeepsItsValues) {
  auto* a = new TGaugeForm(nullptr);
  Keep(a);
  auto* g = new TbsSkinGauge(a);
  g->SetName("Gauge1");
  g->SetParent(a);
  g->SetMinValue(-40);
  g->SetMaxValue(-10);
  g->SetValue(-20);
  g->SetUseSkinSize(false);
  g->SetProgressText("进度 ");
  g->SetShowProgressText(true);
  g->SetShowPercent(true);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TGaugeForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinGauge*>(b->FindComponent("Gauge1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->MinValue(), -40);
  EXPECT_EQ(back->MaxValue(), -10);
  EXPECT_EQ(back->Value(), -20);
  EXPECT_FALSE(back->UseSkinSize());
  EXPECT_EQ(back->CaptionText(), "进度 67%");
  EXPECT_EQ(WriteComponentResource(b), text);
}

TEST_F(GaugeTest, ASkinSwitchOnALiveFormRedrawsFromTheSecondSkinOrTheDefaultLook) {
  LoadTestSkin();
  auto* g = NewGauge("gauge", 10, 10, 161, 27);
  auto* v = NewGauge("vgauge", 200, 10, 21, 133);  // the second skin has no vertical gauge
  for (TbsSkinGauge* x : { g, v }) x->SetSkinData(skin);
  Show();
  const uint8_t firstOwner = OwnerOf("gauge");
  EXPECT_EQ(Code(v, 10, 130).owner, OwnerOf("vgauge"));
  LoadSecondSkin();
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("gauge");
  ASSERT_NE(owner, firstOwner);
  EXPECT_EQ(g->Width(), 161);  // stretched both ways: the size stays
  EXPECT_EQ(g->Height(), 27);
  EXPECT_EQ(Code(g, 1, 1).owner, owner);
  EXPECT_EQ(Code(g, 1, 1).code, RectCode("skinrect"));
  EXPECT_EQ(Code(g, 159, 25).owner, owner);
  // Half of the bar filled from the second skin's bar picture.
  EXPECT_EQ(Code(g, 20, 13).code, RectCode("progressrect"));
  EXPECT_NE(Code(g, 150, 13).code, RectCode("progressrect"));
  // Missing: the default look's window-coloured well with the bar.
  EXPECT_EQ(Px(v, 10, 5), kWindow);
  EXPECT_EQ(Px(v, 10, 125), kBar);
  Gallery(g, "bsSkinCtrls", "second");
  Gallery(v, "bsSkinCtrls", "second-missing");
}
