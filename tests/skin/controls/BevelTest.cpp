// The skinned bevel (colours from the skin, the divider mode, a skin data freed under it) and the shaped
// image button (its pictures, its size and its mask without a skin; the skin winning when present).

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kHighlight = RGB(255, 255, 255);

class BevelTest : public SkinControlsTest {
 protected:
  // The form's own ground, where no control is.
  COLORREF Ground() const { return Px(form, 5, form->ClientHeight() - 5); }
  TbsSkinBevel* NewBevel(int l, int t, int w, int h, TBevelShape shape, TBevelStyle style = bsLowered) {
    auto* b = new TbsSkinBevel(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->SetShape(shape);
    b->SetStyle(style);
    return b;
  }
  // A skin colour of the test skin: owner, the colour key's code, 0xFF.
  COLORREF SkinColour(const char* key) const { return RGB(OwnerOf("bevel"), mkskin::KeyCode(key), 0xFF); }
  // A solid picture of w x h.
  static std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
  }
};

}  // namespace

TEST_F(BevelTest, TheEdgesTakeTheSkinColoursByStyleAndTheDefaultsWithout) {
  LoadTestSkin();
  auto* raised = NewBevel(10, 10, 41, 23, bsBox, bsRaised);
  auto* lowered = NewBevel(60, 10, 41, 23, bsBox, bsLowered);
  ShowUnfocused();
  EXPECT_EQ(Px(raised, 0, 10), kHighlight);  // unskinned: the system colours
  EXPECT_EQ(Px(raised, 40, 10), kShadow);
  EXPECT_EQ(Px(lowered, 20, 0), kShadow);
  EXPECT_EQ(Px(lowered, 20, 22), kHighlight);
  Gallery(raised, "bsSkinCtrls", "none-raised");
  for (auto* b : { raised, lowered }) b->SetSkinData(skin);
  xt::PumpUntilIdle();
  const COLORREF light = SkinColour("lightcolor"), dark = SkinColour("darkcolor");
  ASSERT_NE(light, dark);
  EXPECT_EQ(Px(raised, 0, 10), light);  // left and top light, right and bottom dark
  EXPECT_EQ(Px(raised, 20, 0), light);
  EXPECT_EQ(Px(raised, 40, 10), dark);
  EXPECT_EQ(Px(raised, 20, 22), dark);
  EXPECT_EQ(Px(lowered, 0, 10), dark);
  EXPECT_EQ(Px(lowered, 40, 10), light);
  EXPECT_EQ(Px(raised, 20, 10), Ground());  // the inside is the form's
  Gallery(raised, "bsSkinCtrls", "test-raised");
  // A record of another class under the name keeps the colours it had.
  raised->SetSkinDataName("button");
  raised->ChangeSkinData();
  EXPECT_GE(raised->SkinObjectIndex(), 0);
  EXPECT_EQ(raised->LightColor(), static_cast<TColor>(light));
  raised->SetSkinDataName("bevel");
  // The second skin has no bevel record: the default colours.
  LoadSecondSkin();
  EXPECT_EQ(raised->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(raised, 0, 10), kHighlight);
  Gallery(raised, "bsSkinCtrls", "second-raised");
  // Null skin data: the defaults at once.
  raised->SetSkinData(nullptr);
  xt::PumpUntilIdle();
  EXPECT_EQ(raised->LightColor(), clBtnHighlight);
  EXPECT_EQ(Px(raised, 0, 10), kHighlight);
}

TEST_F(BevelTest, DividersRunThroughTheMiddleAndASpacerDrawsNothing) {
  auto* top = NewBevel(10, 10, 60, 20, bsTopLine);
  auto* box = NewBevel(80, 10, 30, 40, bsBox);
  auto* spacer = NewBevel(120, 10, 30, 30, bsSpacer);
  for (auto* b : { top, box, spacer }) b->SetDividerMode(true);
  ShowUnfocused();
  // A horizontal pair at y 9 and 10 from x 2 to W - 2; the end point is not drawn.
  EXPECT_EQ(Px(top, 2, 9), kShadow);
  EXPECT_EQ(Px(top, 2, 10), kShadow);  // the bottom-left corner is the first colour's
  EXPECT_EQ(Px(top, 57, 10), kHighlight);
  EXPECT_EQ(Px(top, 30, 10), kHighlight);
  EXPECT_EQ(Px(top, 1, 9), Ground());
  EXPECT_EQ(Px(top, 59, 9), Ground());
  EXPECT_EQ(Px(top, 30, 0), Ground());  // nothing at the edge in divider mode
  EXPECT_EQ(Px(top, 30, 8), Ground());
  // A vertical pair at x 14 and 15.
  EXPECT_EQ(Px(box, 14, 20), kShadow);
  EXPECT_EQ(Px(box, 15, 20), kHighlight);
  EXPECT_EQ(Px(box, 13, 20), Ground());
  EXPECT_EQ(Px(box, 0, 20), Ground());
  for (int x = 0; x < 30; ++x) ASSERT_EQ(Px(spacer, x, 15), Ground()) << x;
  Gallery(top, "bsSkinCtrls", "none-divider");
}

TEST_F(BevelTest, AFreedSkinDataIsForgottenAndTheDefaultColoursReturn) {
  LoadTestSkin();
  auto* b = NewBevel(10, 10, 40, 20, bsBox, bsRaised);
  b->SetSkinData(skin);
  ShowUnfocused();
  EXPECT_NE(b->LightColor(), clBtnHighlight);
  delete skin;
  skin = nullptr;
  EXPECT_EQ(b->SkinData(), nullptr);
  EXPECT_EQ(b->LightColor(), clBtnHighlight);
  ChangeSkinDataWalk(form, nullptr);  // a later skin change reads nothing freed
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 0, 10), kHighlight);
}

// ---- The shaped image button ------------------------------------------------------------------------------

TEST_F(BevelTest, AnImageButtonTakesItsPictureSizeShowsItsPicturesAndAnswersOnlyInsideItsMask) {
  auto* b = new TbsSkinXFormButton(form);
  b->SetParent(form);
  b->SetBounds(20, 20, 75, 25);
  int clicks = 0;
  b->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  const auto normal = Solid(60, 40, clRed), hot = Solid(60, 40, clLime), down = Solid(60, 40, clBlue);
  b->SetDefImage(normal.get());
  EXPECT_EQ(b->Width(), 60);
  EXPECT_EQ(b->Height(), 40);
  b->SetBounds(20, 20, 100, 100);  // the picture's size holds
  EXPECT_EQ(b->Width(), 60);
  EXPECT_EQ(b->Height(), 40);
  b->SetDefActiveImage(hot.get());
  ShowUnfocused();
  EXPECT_FALSE(b->CanFocused());
  EXPECT_EQ(Px(b, 30, 5), RGB(255, 0, 0));
  MoveTo(b, 30, 5);
  EXPECT_EQ(Px(b, 30, 5), RGB(0, 255, 0));
  // Pressed without a pressed picture: the hot one.
  const TPoint p = At(b, 30, 5);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Px(b, 30, 5), RGB(0, 255, 0));
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(clicks, 1);
  b->SetDefDownImage(down.get());
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Px(b, 30, 5), RGB(0, 0, 255));
  Gallery(b, "bsSkinCtrls", "image-pressed");
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(clicks, 2);

  // A mask of another size than the picture: black on its left half only, 40 x 30.
  auto mask = Solid(40, 30, clWhite);
  mask->Canvas()->Brush()->SetColor(clBlack);
  mask->Canvas()->FillRect(TRect(0, 0, 20, 30));
  b->SetDefMask(mask.get());
  MoveTo(form, 2, 2);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(Px(b, 30, 10), Ground());  // cut away: the form shows
  EXPECT_EQ(Px(b, 10, 35), Ground());
  Gallery(b, "bsSkinCtrls", "image-masked");
  ClickAt(b, 30, 10);  // outside the mask: not the button's
  EXPECT_EQ(clicks, 2);
  ClickAt(b, 10, 10);
  EXPECT_EQ(clicks, 3);
  TBitmap none;
  b->SetDefMask(&none);  // no mask: rectangular again
  MoveTo(form, 2, 2);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 30, 10), RGB(255, 0, 0));

  // A skin with a button record wins: its size and faces; the pictures do nothing.
  LoadTestSkin();
  b->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_FALSE(b->ImageMode());
  EXPECT_EQ(Code(b, 3, 10).owner, OwnerOf("button"));
  // The second skin's "button" is there too; without a record the picture size comes back.
  b->SetSkinDataName("nosuchbutton");
  b->ChangeSkinData();
  EXPECT_TRUE(b->ImageMode());
  EXPECT_EQ(b->Width(), 60);
  EXPECT_EQ(b->Height(), 40);
  TBitmap empty;
  b->SetDefImage(&empty);  // an empty picture ends the picture look
  EXPECT_FALSE(b->ImageMode());
}
