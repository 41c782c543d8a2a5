// Skin changes reaching the form (the second skin's looks, controls bound to another skin, a form
// enlarged to a larger skin) and the component read back from a form resource.
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

class FormSkinChangeTest : public FormTest {};

// A skinned speed button that counts its paints.
class TCountedSpeedButton : public TbsSkinSpeedButton {
 public:
  using TbsSkinSpeedButton::TbsSkinSpeedButton;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    TbsSkinSpeedButton::Paint();
  }
};

class TStreamedForm : public TForm {
  XJ_CLASS(TStreamedForm, TForm)
 public:
  explicit TStreamedForm(TComponent* AOwner) : TForm(AOwner) {}
};

TEST_F(FormSkinChangeTest, TheSecondSkinRedrawsTheFrameWithItsOwnLooks) {
  LoadTestSkin();
  Show();
  TPoint c = CentreOf("close");
  EXPECT_EQ(Code(c.X, c.Y).owner, ObjectOwner("close"));
  LoadSecondSkin();
  xt::PumpUntilIdle();
  ASSERT_TRUE(sf->SkinSupport());
  c = CentreOf("close");
  EXPECT_EQ(Code(c.X, c.Y).owner, ObjectOwner("close"));
  EXPECT_EQ(ObjectOwner("close"), mkskin::SecondObjectOwner(skin->GetIndex("close")));
  Gallery("second");
  // And back to no skin at all: the built-in look.
  skin->ClearSkin();
  xt::PumpUntilIdle();
  EXPECT_FALSE(sf->SkinSupport());
  EXPECT_EQ(Frame(0, 0), ColorToRGB(cl3DLight));
}

// Overlapping forms on one skin: each reshapes in turn, uncovering parts of the others. Every form and its
// windowless controls paint once per switch, all in the next pass of the loop, in the new looks.
TEST_F(FormSkinChangeTest, ASwitchPaintsEveryOpenFormOnce) {
  LoadTestSkin();
  std::vector<TForm*> forms { form };
  for (int i = 1; i < 3; ++i) {
    RurIvozedevUzivEred* c {};
    forms.push_back(NewSkinnedForm(100 + 53 * i, 80 + 31 * i, 400 + 17 * i, 300 - 11 * i, &c));
    c->SetSkinData(skin);
  }
  std::vector<TTestShape*> shapes;
  std::vector<TCountedSpeedButton*> buttons;
  for (TForm* f : forms) {
    auto* shape = new TTestShape(f);
    shape->SetParent(f);
    shape->SetAlign(alClient);
    shapes.push_back(shape);
    auto* button = new TCountedSpeedButton(f);
    button->SetParent(f);
    button->SetBounds(30, 20, 60, 25);
    button->SetSkinData(skin);
    buttons.push_back(button);
  }
  for (auto f = forms.rbegin(); f != forms.rend(); ++f) (*f)->Show();  // the fixture's form on top
  xt::PumpUntilIdle();
  for (int round = 0; round < 2; ++round) {
    std::vector<int> before, beforeButtons;
    for (TTestShape* s : shapes) before.push_back(s->Paints);
    for (TCountedSpeedButton* b : buttons) beforeButtons.push_back(b->Paints);
    round == 0 ? LoadSecondSkin() : LoadTestSkin();
    xt::PumpUntilIdle();
    for (size_t i = 0; i < shapes.size(); ++i) {
      EXPECT_EQ(shapes[i]->Paints, before[i] + 1) << "form " << i;
      EXPECT_EQ(buttons[i]->Paints, beforeButtons[i] + 1) << "form " << i;
    }
    const TPoint c = CentreOf("close");
    EXPECT_EQ(Code(c.X, c.Y).owner, ObjectOwner("close"));
    const int index = skin->GetControlIndex(buttons[0]->SkinDataName());
    const TPoint b = buttons[0]->ClientToScreen(TPoint(2, 2));
    ASSERT_GE(index, 0);
    EXPECT_EQ(Decode(xt::ReadPixel(form->Handle(), b.X - form->Left(), b.Y - form->Top(), true)).owner,
              second ? mkskin::SecondControlOwner(index) : mkskin::ControlOwner(index));
  }
}

// The second skin is drawn on the test skin's design (the same mask and insets): switching keeps the
// window's shape and client area, so nothing below the form is uncovered and repainted and the frame is
// not measured again. A mask changed where it lies reshapes the form.
TEST_F(FormSkinChangeTest, ASkinOfTheSameDesignKeepsTheShapeAndTheClientArea) {
  TForm* below = NewForm(60, 50, 500, 400);
  auto* shape = new TTestShape(below);
  shape->SetParent(below);
  shape->SetAlign(alClient);
  below->Show();
  Show();
  LoadTestSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(form->ClientRect(), TRect(0, 0, 400 - 6 - 6, 300 - 28 - 22));
  const HWND h = form->Handle();
  const int before = shape->Paints;
  TRecorder frame(form, { WM_NCCALCSIZE });
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(shape->Paints, before);
  EXPECT_EQ(frame.Count(WM_NCCALCSIZE), 0);
  EXPECT_EQ(form->ClientToScreen(TPoint(0, 0)), TPoint(106, 108));
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 4, 4 }));
  skin->Mask->Canvas()->Brush()->SetColor(clBlack);
  skin->Mask->Canvas()->FillRect(TRect(0, 0, 4, 4));
  skin->SendSkinDataMessage(WM_SKINDATA_CHANGE);
  xt::PumpUntilIdle();
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 399, 0 }));
}

TEST_F(FormSkinChangeTest, ControlsOfTheFormFollowTheirOwnSkinOnly) {
  LoadTestSkin();
  auto* other = new TbsSkinData(form);
  other->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  auto* mine = new TbsSkinButton(form);
  mine->SetParent(form);
  mine->SetSkinData(skin);
  auto* theirs = new TbsSkinButton(form);
  theirs->SetParent(form);
  theirs->SetBounds(0, 40, 75, 25);
  theirs->SetSkinData(other);
  Show();
  ASSERT_NE(mine->SkinObjectIndex(), -1);
  ASSERT_NE(theirs->SkinObjectIndex(), -1);
  // The other skin emptied: only the controls bound to it lose their record; the frame keeps its skin.
  other->ClearSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(theirs->SkinObjectIndex(), -1);
  EXPECT_NE(mine->SkinObjectIndex(), -1);
  EXPECT_TRUE(sf->SkinSupport());
}

TEST_F(FormSkinChangeTest, ASkinLargerThanTheFormEnlargesItInOneStep) {
  form->SetBounds(100, 80, 150, 40);
  Show();
  std::vector<TSize> sizes;
  form->OnResize = On<TNotifyEvent>([&](TObject*) { sizes.push_back(TSize(form->Width(), form->Height())); });
  LoadTestSkin();
  EXPECT_EQ(sizes, (std::vector<TSize> { TSize(240, 50) }));
  EXPECT_EQ(form->Width(), 240);
  EXPECT_EQ(form->Height(), 120 - 70);
  EXPECT_EQ(form->BoundsRect().TopLeft(), TPoint(100, 80));
}

TEST_F(FormSkinChangeTest, TheComponentReadsBackFromAFormResource) {
  RegisterClass(TStreamedForm::StaticClass());
  auto* a = new TStreamedForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* c = new RurIvozedevUzivEred(a);
  c->SetName("SkinForm1");
  c->SetSkinData(data);
  c->SetMagnetic(true);
  c->SetMagneticSize(7);
  c->SetMinWidth(321);
  c->SetAlphaBlendValue(180);
  c->SetBorderIcons(TbsBorderIcons { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biMinimizeToTray });
  c->DefCaptionFont()->SetColor(clRed);
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TStreamedForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<RurIvozedevUzivEred*>(b->FindComponent("SkinForm1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->SkinData(), b->FindComponent("SkinData1"));
  EXPECT_TRUE(back->Magnetic());
  EXPECT_EQ(back->MagneticSize(), 7);
  EXPECT_EQ(back->MinWidth(), 321);
  EXPECT_EQ(back->AlphaBlendValue(), 180);
  EXPECT_EQ(back->BorderIcons(), (TbsBorderIcons { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biMinimizeToTray }));
  EXPECT_EQ(back->DefCaptionFont()->Color(), clRed);
  EXPECT_EQ(back->DefCaptionFont()->Name(), "宋体");
  EXPECT_TRUE(back->UseDefaultSysMenu());
  EXPECT_EQ(WriteComponentResource(b), text);
  // The read form is taken over like a constructed one.
  EXPECT_EQ(GetWindowLongA(b->Handle(), GWL_STYLE) & WS_CAPTION, 0);
}

TEST_F(FormSkinChangeTest, AnOwnerThatIsNoFormIsRefused) {
  TComponent owner(nullptr);
  EXPECT_THROW(RurIvozedevUzivEred c(&owner), EInvalidCast);
}

}  // namespace
