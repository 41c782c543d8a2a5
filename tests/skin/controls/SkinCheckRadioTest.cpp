// The skinned check box and radio button: exclusion and click rules, mouse, Space and accelerator input,
// the hover fade on the manual clock, and the five looks (skinned, faded, flat skinned, flat and default)
// with every check image the state chooses.

#include "platform/vcl/ActnList.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

class CheckRadioTest : public SkinControlsTest {
 protected:
  TbsSkinCheckRadioBox* NewBox(int l, int t, int w, int h, const char* caption = "") {
    auto* b = new TbsSkinCheckRadioBox(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->SetCaption(caption);
    return b;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  static void Press(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Application->ProcessMessages();  // the application turns keys into dialog characters
  }
  TbsDataSkinCheckRadioControl* Record(const char* name) {
    return dynamic_cast<TbsDataSkinCheckRadioControl*>(
        static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(name))));
  }
  // The owner, key code and local position of a check image drawn at the box's (x, y) corner.
  void ExpectImage(TControl* c, int x, int y, const char* key) {
    const auto px = Code(c, x + 1, y + 1);
    EXPECT_EQ(px.code, RectCode(key)) << key << " at " << x << "," << y;
    EXPECT_EQ(px.localX, 1) << key;
    EXPECT_EQ(px.localY, 1) << key;
  }
};

class TBoxForm : public TForm {
  XJ_CLASS(TBoxForm, TForm)
 public:
  explicit TBoxForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(CheckRadioTest, GroupsExcludeAndOnClickFollowsEachAssignment) {
  auto* box = NewBox(5, 5, 100, 25);
  EXPECT_EQ((std::array { box->Width(), box->Height() }), (std::array { 100, 25 }));
  auto* fresh = new TbsSkinCheckRadioBox(form);
  EXPECT_EQ((std::array { fresh->Width(), fresh->Height() }), (std::array { 150, 25 }));
  EXPECT_FALSE(fresh->TabStop() || fresh->Checked() || fresh->CanFocused());
  EXPECT_EQ(fresh->SkinDataName(), "checkbox");
  delete fresh;

  std::vector<std::string> clicks;
  auto track = [&](TbsSkinCheckRadioBox* b, const char* tag) {
    b->OnClick = On<TNotifyEvent>([&clicks, tag](TObject*) { clicks.push_back(tag); });
  };
  track(box, "box");
  box->SetChecked(false);  // unchanged, still a click
  box->SetChecked(false);
  EXPECT_EQ(clicks.size(), 2u);

  // Radio buttons and a check box sharing GroupIndex 2, one radio in another group, one elsewhere.
  auto* r1 = NewBox(5, 40, 100, 25);
  auto* r2 = NewBox(5, 70, 100, 25);
  auto* other = NewBox(5, 100, 100, 25);
  auto* panel = new TbsSkinPanel(form);
  panel->SetParent(form);
  panel->SetBounds(200, 5, 150, 60);
  auto* away = new TbsSkinCheckRadioBox(form);
  away->SetParent(panel);
  for (auto* b : { r1, r2, other, away }) {
    b->SetRadio(true);
    b->SetGroupIndex(2);
  }
  other->SetGroupIndex(3);
  box->SetGroupIndex(2);
  track(r1, "r1");
  track(r2, "r2");
  track(other, "other");
  r1->SetChecked(true);
  other->SetChecked(true);
  away->SetChecked(true);
  box->SetChecked(true);  // a checked check box unchecks its group too
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(other->Checked() && away->Checked());
  clicks.clear();
  r2->SetChecked(true);  // unchecks the box, which fires (a check box fires on every assignment)
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, (std::vector<std::string> { "box", "r2" }));

  Show();
  clicks.clear();
  ClickAt(r2, 10, 10);  // a checked radio clicked again stays checked and fires nothing
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(clicks.empty());
  ClickAt(r1, 10, 10);
  EXPECT_TRUE(r1->Checked());
  EXPECT_FALSE(r2->Checked());
  EXPECT_EQ(clicks, (std::vector<std::string> { "r1" }));
}

TEST_F(CheckRadioTest, MouseSpaceAndAcceleratorToggleAsAUserExpects) {
  auto* box = NewBox(10, 10, 120, 25, "&Keep");
  auto* other = NewBox(10, 50, 120, 25, "&Other");
  int clicks = 0;
  box->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  Show();
  ClickAt(box, 30, 12);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
  // Pressed inside, released outside: nothing.
  const TPoint in = At(box, 30, 12), out = At(box, 30, 60);
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  xt::MouseMove(out.X, out.Y);
  xt::MouseUp(xt::mbLeft, out.X, out.Y);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 1);
  // Not focusable: a click does not focus, Space and the accelerator do nothing.
  EXPECT_FALSE(box->Focused());
  other->SetCanFocused(true);
  other->SetFocus();
  Press('K', xt::ssAlt);
  EXPECT_EQ(clicks, 1);

  box->SetCanFocused(true);
  EXPECT_TRUE(box->TabStop());
  Press('K', xt::ssAlt);  // focuses and toggles
  EXPECT_TRUE(box->Focused());
  EXPECT_FALSE(box->Checked());
  Press(VK_SPACE);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 3);
  other->SetFocus();
  Press(VK_SPACE);  // Space goes to the focused box only
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(other->Checked());
  ClickAt(box, 30, 12);  // a click focuses a focusable box
  EXPECT_TRUE(box->Focused());
  EXPECT_FALSE(box->Checked());
}

TEST_F(CheckRadioTest, TheHoverFadeTakesElevenStepsOnTheManualClockAndStopsItsTimer) {
  LoadTestSkin();
  auto* box = NewBox(10, 10, 120, 20, "Fade");
  box->SetSkinData(skin);
  Show();
  ASSERT_TRUE(box->Morphing());
  auto row = [&] {
    std::vector<COLORREF> r;
    for (int x = 0; x < box->Width(); ++x) r.push_back(Px(box, x, 1));
    return r;
  };
  const auto normal = row();
  MoveTo(box, 40, 10);
  EXPECT_TRUE(box->MouseIn());
  EXPECT_TRUE(box->MorphRunning());
  std::vector<double> seen;
  for (int tick = 0; tick < 20 && box->MorphRunning(); ++tick) {
    xt::Advance(20);
    xt::PumpUntilIdle();
    seen.push_back(box->MorphKf());
  }
  ASSERT_EQ(seen.size(), 12u);  // eleven steps of a tenth (the last overshoots), then the snap
  EXPECT_NEAR(seen[0], 0.1, 1e-9);
  EXPECT_NEAR(seen[4], 0.5, 1e-9);
  EXPECT_NEAR(seen[10], 1.1, 1e-9);
  EXPECT_EQ(seen[11], 1.0);
  EXPECT_FALSE(box->MorphRunning());
  const auto active = row();
  EXPECT_NE(active, normal);
  // Halfway back: a blend of the two faces, neither of them.
  MoveTo(box, 40, 80);
  for (int i = 0; i < 5; ++i) {
    xt::Advance(20);
    xt::PumpUntilIdle();
  }
  EXPECT_NEAR(box->MorphKf(), 0.5, 1e-9);
  const auto half = row();
  EXPECT_NE(half, normal);
  EXPECT_NE(half, active);
  Gallery(box, "bsSkinCtrls", "skinned-fading");
  // Disabling stops the fade at the normal face.
  box->SetEnabled(false);
  EXPECT_FALSE(box->MorphRunning());
  EXPECT_EQ(box->MorphKf(), 0.0);
  EXPECT_FALSE(box->MouseIn());
}

TEST_F(CheckRadioTest, SkinnedFaceShowsTheImageEachStateChooses) {
  LoadTestSkin();
  auto* box = NewBox(10, 10, 131, 20, "Skinned");
  auto* radio = NewBox(10, 40, 131, 20, "Radio");
  radio->SetRadio(true);
  radio->SetSkinDataName("radiobox");
  box->SetSkinData(skin);
  radio->SetSkinData(skin);
  radio->SetChecked(true);
  Show();
  const uint8_t owner = OwnerOf("checkbox");
  EXPECT_EQ(Code(box, 1, 1).owner, owner);
  EXPECT_EQ(Code(box, 1, 1).code, RectCode("skinrect"));
  EXPECT_EQ(Code(box, 129, 18).code, RectCode("skinrect"));  // the right cap moved to the wider box
  // The image is centred in its area (2, 3)-(15, 16): the 13 x 13 image sits at (2, 3).
  EXPECT_EQ(box->NewCheckImageArea, TRect(2, 3, 15, 16));
  EXPECT_EQ(box->NewTextArea, TRect(18, 0, 129, 20));
  ExpectImage(box, 2, 3, "uncheckimagerect");
  ExpectImage(radio, 2, 3, "checkimagerect");
  EXPECT_EQ(Code(radio, 1, 1).owner, OwnerOf("radiobox"));
  Gallery(box, "bsSkinCtrls", "skinned-unchecked");
  Gallery(radio, "bsSkinCtrls", "skinned-radio-checked");

  // Hovered (the fade run to its end): the active face and image.
  MoveTo(box, 60, 10);
  while (box->MorphRunning()) {
    xt::Advance(20);
    xt::PumpUntilIdle();
  }
  EXPECT_EQ(Code(box, 1, 1).code, RectCode("activeskinrect"));
  ExpectImage(box, 2, 3, "activeuncheckimagerect");
  box->SetChecked(true);
  xt::PumpUntilIdle();
  ExpectImage(box, 2, 3, "activecheckimagerect");
  EXPECT_GT(Code(box, 1, 1).owner, 0);
  Gallery(box, "bsSkinCtrls", "skinned-hot-checked");
  box->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(box, 1, 1).code, RectCode("skinrect"));
  ExpectImage(box, 2, 3, "unenabledcheckimagerect");
  Gallery(box, "bsSkinCtrls", "skinned-disabled");

  // A record without active and disabled images and faces falls back to the normal ones; an image area
  // right of the caption moves with the right edge.
  auto* rec = Record("radiobox");
  rec->ActiveSkinRect = rec->ActiveCheckImageRect = rec->UnenabledCheckImageRect = TRect();
  rec->CheckImageArea = TRect(63, 3, 76, 16);
  rec->TextArea = TRect(2, 0, 60, 20);
  radio->SetBounds(10, 40, 100, 20);  // 20 wider than the face
  radio->ChangeSkinData();
  EXPECT_EQ(radio->ActiveSkinRect, radio->SkinRect);
  EXPECT_EQ(radio->ActiveCheckImageRect, radio->CheckImageRect);
  EXPECT_EQ(radio->UnEnabledCheckImageRect, radio->CheckImageRect);
  EXPECT_EQ(radio->NewCheckImageArea, TRect(83, 3, 96, 16));
  EXPECT_EQ(radio->NewTextArea, TRect(2, 0, 80, 20));
  radio->SetEnabled(false);
  xt::PumpUntilIdle();
  ExpectImage(radio, 83, 3, "checkimagerect");
}

TEST_F(CheckRadioTest, FlatAndDefaultLooksDrawOverTheParentAndShowFocusOnlyWhenFlat) {
  const COLORREF green = RGB(0, 96, 0), shadow = Rgb(clBtnShadow), navy = Rgb(clNavy);
  auto* plain = NewBox(10, 10, 140, 25, "Plain");
  auto* flat = NewBox(10, 45, 140, 25, "Flat");
  flat->SetFlat(true);
  flat->SetCanFocused(true);
  flat->SetRadio(true);
  flat->SetChecked(true);
  plain->SetChecked(true);
  plain->SetCanFocused(true);
  plain->SetTabOrder(0);
  Show();
  ASSERT_TRUE(plain->Focused());
  // Default: button face, a shadow box at (3, 5) .. (17, 19), the check mark inside.
  EXPECT_EQ(Px(plain, 100, 2), Rgb(clBtnFace));
  EXPECT_EQ((std::array { Px(plain, 3, 5), Px(plain, 16, 18) }), (std::array { shadow, shadow }));
  // Flat: the parent's colour everywhere but the box, and the filled radio square at (7, 9).
  EXPECT_EQ(Px(flat, 100, 2), green);
  EXPECT_EQ(Px(flat, 3, 5), shadow);
  EXPECT_EQ((std::array { Px(flat, 7, 9), Px(flat, 12, 14), Px(flat, 13, 15) }),
            (std::array { RGB(0, 0, 0), RGB(0, 0, 0), green }));
  Gallery(plain, "bsSkinCtrls", "default-checked");
  Gallery(flat, "bsSkinCtrls", "flat-radio");
  // Hovering (or focus) draws the navy box and, unflat, a frame round the control.
  MoveTo(plain, 100, 12);
  EXPECT_EQ(Px(plain, 3, 5), navy);
  EXPECT_EQ(Px(plain, 0, 0), shadow);
  Gallery(plain, "bsSkinCtrls", "default-hot");
  // Focus: a dotted rectangle round the flat caption, its left side in column 20 left of the text.
  auto focusPixels = [&](TControl* c) {
    int n = 0;
    for (int y = 0; y < c->Height(); ++y) n += Px(c, 20, y) != green;
    return n;
  };
  const int before = focusPixels(flat);
  flat->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(before, 0);
  EXPECT_GT(focusPixels(flat), 4);
  Gallery(flat, "bsSkinCtrls", "flat-focused");

  // Flat and skinned: the skin's check image over the parent, the skin's size rule and fade ignored.
  LoadTestSkin();
  flat->SetSkinDataName("radiobox");
  flat->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_EQ((std::array { flat->Width(), flat->Height() }), (std::array { 140, 25 }));
  EXPECT_FALSE(flat->Morphing());
  EXPECT_EQ(Px(flat, 100, 2), green);
  ExpectImage(flat, 3, 25 / 2 - 13 / 2, "checkimagerect");
  Gallery(flat, "bsSkinCtrls", "flat-skinned");
}

TEST_F(CheckRadioTest, FreedFromItsOwnClickAndAStreamRoundTrip) {
  auto* box = NewBox(10, 10, 120, 25, "Bye");
  box->OnClick = On<TNotifyEvent>([&](TObject* s) { delete static_cast<TbsSkinCheckRadioBox*>(s); });
  const auto life = box->LifeToken();
  Show();
  ClickAt(box, 20, 12);
  EXPECT_TRUE(life.expired());

  // An action's Checked reaches the box when linked.
  auto* action = new TAction(form);
  action->SetChecked(true);
  auto* linked = NewBox(10, 50, 120, 25);
  linked->SetAction(action);
  EXPECT_TRUE(linked->Checked());

  auto* a = new TBoxForm(nullptr);
  Keep(a);
  auto* c = new TbsSkinCheckRadioBox(a);
  c->SetName("Box1");
  c->SetParent(a);
  c->SetFlat(true);
  c->SetCanFocused(true);
  c->SetRadio(true);
  c->SetChecked(true);
  c->SetGroupIndex(7);
  c->SetImageIndex(3);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TBoxForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinCheckRadioBox*>(b->FindComponent("Box1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_TRUE(back->Flat() && back->CanFocused() && back->Radio() && back->Checked() && back->TabStop());
  EXPECT_EQ((std::array { back->GroupIndex(), back->ImageIndex() }), (std::array { 7, 3 }));
  EXPECT_EQ(back->SkinDataName(), "checkbox");  // Radio read from a stream leaves the name alone
  EXPECT_EQ(WriteComponentResource(b), text);

  // At design time Radio also switches the skin object and the group.
  c->SetDesigning(true);
  c->SetRadio(false);
  EXPECT_EQ(c->SkinDataName(), "checkbox");
  EXPECT_EQ(c->GroupIndex(), 0);
  c->SetRadio(true);
  EXPECT_EQ(c->SkinDataName(), "radiobox");
  EXPECT_EQ(c->GroupIndex(), 1);
}

TEST_F(CheckRadioTest, ASkinSwitchToAPicturelessOrMissingRecordGivesTheDefaultLook) {
  LoadTestSkin();
  auto* check = NewBox(10, 10, 140, 25, "Check");
  auto* radio = NewBox(10, 45, 140, 25, "Radio");
  radio->SetRadio(true);
  radio->SetSkinDataName("radiobox");
  for (TbsSkinCheckRadioBox* b : { check, radio }) {
    b->SetChecked(true);
    b->SetSkinData(skin);
  }
  ShowUnfocused();
  EXPECT_EQ(Code(check, 120, 2).owner, OwnerOf("checkbox"));
  EXPECT_EQ(Code(radio, 120, 2).owner, OwnerOf("radiobox"));
  // A fade under way when the skin changes ends in the default look, not half way.
  MoveTo(check, 60, 12);
  xt::Advance(60);
  LoadSecondSkin();
  xt::PumpUntilIdle();
  xt::Advance(40);
  EXPECT_FALSE(check->MorphRunning());
  MoveTo(form, 2, 2);
  xt::Advance(40);
  for (TbsSkinCheckRadioBox* b : { check, radio }) {
    EXPECT_EQ(b->Width(), 140);
    EXPECT_EQ(b->Height(), 25);
    EXPECT_EQ(Px(b, 100, 2), Rgb(clBtnFace));
    EXPECT_EQ((std::array { Px(b, 3, 5), Px(b, 16, 18) }), (std::array { Rgb(clBtnShadow), Rgb(clBtnShadow) }));
  }
  Gallery(check, "bsSkinCtrls", "second-nopicture");
  Gallery(radio, "bsSkinCtrls", "second-missing");
}

// A check image drawn again comes from its picture as it is now: another piece of it, or pixels a skin
// drew anew, show; each piece's bottom-left colour stays transparent.
TEST(SkinCheckImage, FollowsThePieceAndThePixelsOfItsPicture) {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(16, 8);
  auto colour = [](int x, int y, int turn) { return TColor(RGB(10 + x, 20 + y, 30 + turn)); };
  auto redraw = [&](int turn) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) picture.Canvas()->SetPixels(x, y, colour(x, y, turn));
  };
  struct Step {
    int left, turn;
    bool announced;
  } const steps[] = { { 0, 0, false }, { 0, 0, false }, { 8, 0, false }, { 0, 50, true } };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "piece at " << step.left << ", turn " << step.turn);
    redraw(step.turn);
    if (step.announced) bsSkinPicturesChanged();
    TBitmap dest;
    dest.SetPixelFormat(pf32bit);
    dest.SetSize(8, 8);
    dest.Canvas()->Brush()->SetColor(clBlack);
    dest.Canvas()->FillRect(TRect(0, 0, 8, 8));
    SkinDrawCheckImage(dest.Canvas(), 0, 0, &picture, TRect(step.left, 0, step.left + 8, 8));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(dest.Canvas()->Pixels(x, y), x == 0 && y == 7 ? clBlack : colour(step.left + x, y, step.turn))
            << x << "," << y;
  }
}
