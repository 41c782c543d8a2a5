// Moving, sizing, minimising, maximising, restoring and rolling up a skinned form through its frame, as
// a user does it: drags on the caption and borders, clicks on the caption buttons, caption double clicks;
// magnetic edges and the fade-in on the manual clock.
#include "skin/data/bsUtils.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

// The test skin: picture 240 x 120, client (6, 28, 234, 98); the frame alone is 50 pixels high.
constexpr int kFrameHeight = 120 - 70;
const TRect kWorkArea(0, 0, 1024, 738);

class FormStatesTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadTestSkin();
    Show();
  }
  void ClickObject(const AnsiString& Name) {
    const TPoint c = CentreOf(Name);
    const TPoint s = Screen(c.X, c.Y);
    xt::Click(s.X, s.Y);
    xt::PumpUntilIdle();
  }
  void DoubleClickCaption() {
    const TPoint c = CentreOf("caption");
    const TPoint s = Screen(c.X, c.Y);
    xt::DoubleClick(s.X, s.Y);
    xt::PumpUntilIdle();
  }
};

TEST_F(FormStatesTest, DraggingTheCaptionMovesAndTheBordersResizeWithinTheSkinsMinimum) {
  const TPoint c = CentreOf("caption");
  TPoint s = Screen(c.X, c.Y);
  xt::Drag(s.X, s.Y, s.X + 57, s.Y + 31);
  xt::PumpUntilIdle();
  EXPECT_EQ(form->BoundsRect(), TRect(157, 111, 557, 411));
  // The right border: wider, and the shape and frame follow.
  s = Screen(398, 150);
  xt::Drag(s.X, s.Y, s.X + 60, s.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(form->Width(), 460);
  EXPECT_EQ(form->ClientWidth(), 460 - 12);
  EXPECT_FALSE(xt::WindowRegionContains(form->Handle(), POINT { 459, 299 }));
  EXPECT_EQ(Code(460 - 40, 26).code, mkskin::kFrameTopRight);
  // The bottom-right corner dragged far up and left stops at the skin's picture size.
  s = Screen(form->Width() - 4, form->Height() - 4);  // inside the shape (its corners are cut)
  xt::Drag(s.X, s.Y, s.X - 400, s.Y - 400);
  xt::PumpUntilIdle();
  EXPECT_EQ(form->Width(), 240);
  EXPECT_EQ(form->Height(), kFrameHeight);
}

TEST_F(FormStatesTest, CaptionButtonsMaximiseRestoreMinimiseAndRollUp) {
  const TRect normal = form->BoundsRect();
  ClickObject("max");
  EXPECT_EQ(sf->WindowState(), wsMaximized);
  EXPECT_EQ(form->BoundsRect(), kWorkArea);
  ClickObject("max");
  EXPECT_EQ(sf->WindowState(), wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
  // Minimised: the frame's own size at the bottom-left of the work area.
  ClickObject("min");
  EXPECT_EQ(sf->WindowState(), wsMinimized);
  EXPECT_EQ(form->BoundsRect(), TRect(0, 738 - kFrameHeight, 240, 738));
  // Minimise, maximise, restore: back to the bounds before minimising.
  sf->SetWindowState(wsMaximized);
  EXPECT_EQ(form->BoundsRect(), kWorkArea);
  sf->SetWindowState(wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
  // Roll-up keeps the frame only; again restores the height.
  ClickObject("roll");
  EXPECT_TRUE(sf->RollUpState());
  EXPECT_EQ(form->Height(), kFrameHeight);
  Gallery("rolledup");
  ClickObject("roll");
  EXPECT_FALSE(sf->RollUpState());
  EXPECT_EQ(form->BoundsRect(), normal);
  // Restoring a form that is normal leaves it where it is.
  sf->DoNormalize();
  EXPECT_EQ(form->BoundsRect(), normal);
}

TEST_F(FormStatesTest, APressReleasedOutsideTheButtonRunsNothing) {
  const TPoint c = CentreOf("max");
  const TPoint s = Screen(c.X, c.Y);
  xt::MouseDown(xt::mbLeft, s.X, s.Y);
  EXPECT_EQ(sf->MouseCaptureObject(), sf->GetIndex("max"));
  xt::MouseMove(s.X - 200, s.Y + 150);
  xt::Advance(50);  // the hover poll sees the cursor leave
  xt::MouseUp(xt::mbLeft, s.X - 200, s.Y + 150);
  xt::PumpUntilIdle();
  EXPECT_EQ(sf->WindowState(), wsNormal);
  EXPECT_EQ(sf->MouseCaptureObject(), -1);
  EXPECT_FALSE(static_cast<TbsSkinButtonObject*>(sf->Objects(sf->GetIndex("max")))->Down);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FormStatesTest, CaptionDoubleClickMaximisesOrRollsUp) {
  const TRect normal = form->BoundsRect();
  DoubleClickCaption();
  EXPECT_EQ(sf->WindowState(), wsMaximized);
  DoubleClickCaption();
  EXPECT_EQ(form->BoundsRect(), normal);
  // Without a maximise icon a sizeable form rolls up instead.
  sf->SetBorderIcons(TbsBorderIcons { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biRollUp });
  DoubleClickCaption();
  EXPECT_TRUE(sf->RollUpState());
  EXPECT_EQ(sf->WindowState(), wsNormal);
  DoubleClickCaption();
  EXPECT_FALSE(sf->RollUpState());
  EXPECT_EQ(form->BoundsRect(), normal);
}

TEST_F(FormStatesTest, MinimisedFormsFillRowsFromTheBottomLeft) {
  // 1024 / 240: four slots a row; the fifth form starts the row above.
  xt::SetScreen(1024, 768, RECT { 0, 0, 1024, 738 });
  std::vector<RurIvozedevUzivEred*> comps { sf };
  for (int i = 0; i < 4; ++i) {
    RurIvozedevUzivEred* c = nullptr;
    TForm* f = NewSkinnedForm(50 + 10 * i, 50, 300, 200, &c);
    c->SetSkinData(skin);
    f->Show();
    comps.push_back(c);
  }
  xt::PumpUntilIdle();
  for (RurIvozedevUzivEred* c : comps) c->SetWindowState(wsMinimized);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(comps[i]->Form()->BoundsRect().TopLeft(), TPoint(240 * i, 738 - kFrameHeight)) << i;
  EXPECT_EQ(comps[4]->Form()->BoundsRect().TopLeft(), TPoint(0, 738 - 2 * kFrameHeight));
}

TEST_F(FormStatesTest, MagneticEdgesSnapWithinTheDistanceOnly) {
  sf->SetMagnetic(true);
  const TPoint c = CentreOf("caption");
  auto dragTo = [&](int left, int top) {
    const TPoint s = Screen(c.X, c.Y);
    xt::Drag(s.X, s.Y, s.X + left - form->Left(), s.Y + top - form->Top());
    xt::PumpUntilIdle();
  };
  dragTo(3, 300);
  EXPECT_EQ(form->Left(), 0);
  dragTo(5, 300);
  EXPECT_EQ(form->Left(), 5);
  // Right and bottom edges attract too (the form is 400 x 300 in a 1024 x 738 work area).
  dragTo(1024 - 400 - 4, 738 - 300 + 2);
  EXPECT_EQ(form->BoundsRect().TopLeft(), TPoint(624, 438));
  // A maximised form does not move.
  sf->SetWindowState(wsMaximized);
  dragTo(100, 100);
  EXPECT_EQ(form->BoundsRect(), kWorkArea);
}

TEST_F(FormStatesTest, FadeInStepsOnTheTimerAndEndsOpaque) {
  form->Hide();
  sf->SetAlphaBlendAnimation(true);
  form->Show();
  HWND h = form->Handle();
  EXPECT_TRUE(xt::Info(h).layered);
  EXPECT_EQ(xt::Info(h).alpha, 0);
  xt::Advance(1);
  EXPECT_EQ(xt::Info(h).alpha, 3);
  xt::Advance(10);
  EXPECT_EQ(xt::Info(h).alpha, 33);
  xt::Advance(100);
  EXPECT_FALSE(xt::Info(h).layered);
  // A form freed in the middle of a fade takes its timer with it.
  form->Hide();
  form->Show();
  xt::Advance(5);
  delete form;
  form = nullptr;
  xt::Advance(100);
}

TEST_F(FormStatesTest, TranslucentFormStaysAtItsAlpha) {
  form->Hide();
  sf->SetAlphaBlendValue(200);
  sf->SetAlphaBlend(true);
  form->Show();
  xt::Advance(50);
  EXPECT_TRUE(xt::Info(form->Handle()).layered);
  EXPECT_EQ(xt::Info(form->Handle()).alpha, 200);
  form->Hide();
  EXPECT_FALSE(xt::Info(form->Handle()).layered);
}

}  // namespace
