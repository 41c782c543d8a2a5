// Moving, sizing, minimising, maximising, restoring and rolling up a skinned form through its frame, as
// a user does it: drags on the caption and borders, clicks on the caption buttons, caption double clicks;
// magnetic edges and the fade-in on the manual clock.
#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/win32/WmBackend.h"
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

// A desktop that takes every drag handed to it: the named edge dragged by `pull`, or the window moved by
// `pull` and grown by `moveGrowth` (as a desktop that fits a moved window to its screen), each in two
// configure notices, then the drag ends.
class TakingDesktop : public xj::display::HeadlessBackend {
 public:
  SIZE pull {}, moveGrowth {};

 private:
  bool NativeBeginMoveSize(xj::display::WindowId id, POINT, xj::display::MouseButton,
                           xj::display::DragKind kind) override {
    using K = xj::display::DragKind;
    const RECT from = Bounds(id);
    auto at = [&](int dx, int dy, int gx, int gy) {
      RECT r = from;
      if (kind == K::Move) {
        r = RECT { r.left + dx, r.top + dy, r.right + dx + gx, r.bottom + dy + gy };
      } else {
        if (kind == K::SizeRight || kind == K::SizeTopRight || kind == K::SizeBottomRight) r.right += dx;
        if (kind == K::SizeBottom || kind == K::SizeBottomLeft || kind == K::SizeBottomRight) r.bottom += dy;
      }
      xj::display::Event e;
      e.type = xj::display::EventType::Configure;
      e.window = id;
      e.rect = r;
      Inject(e);
    };
    at(pull.cx / 2, pull.cy / 2, 0, 0);
    at(pull.cx, pull.cy, moveGrowth.cx, moveGrowth.cy);
    xj::display::Event end;
    end.type = xj::display::EventType::DragEnded;
    end.window = id;
    Inject(end);
    return true;
  }
};

class FormOnADesktopTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    auto d = std::make_unique<TakingDesktop>();
    desktop = d.get();
    xj::wm::SetDisplay(std::move(d));
    LoadTestSkin();
    Show();
  }
  void TearDown() override {
    FormTest::TearDown();
    xj::wm::SetDisplay(std::make_unique<xj::display::HeadlessBackend>());
  }
  // Pressed at a window point and let go where the desktop left the pointer.
  void DragAt(int X, int Y) {
    const TPoint s = Screen(X, Y);
    xt::MouseDown(xt::mbLeft, s.X, s.Y);
    xt::MouseUp(xt::mbLeft, s.X + desktop->pull.cx, s.Y + desktop->pull.cy);
    xt::PumpUntilIdle();
  }
  // Every pixel and every point of the shape as a form that was given its size outright shows them.
  ::testing::AssertionResult FrameAsForItsSize() {
    const HWND h = form->Handle();
    int w = 0, ht = 0;
    auto shape = [&] {
      std::vector<bool> in;
      for (int y = 0; y < form->Height(); ++y)
        for (int x = 0; x < form->Width(); ++x) in.push_back(xt::WindowRegionContains(h, POINT { x, y }));
      return in;
    };
    const std::vector<COLORREF> dragged = xt::WindowPixels(h, true, &w, &ht);
    const std::vector<bool> draggedShape = shape();
    const TRect b = form->BoundsRect();
    form->SetBounds(b.Left, b.Top, b.Width() + 1, b.Height() + 1);
    form->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    xt::PumpUntilIdle();
    const std::vector<COLORREF> fresh = xt::WindowPixels(h, true);
    const std::vector<bool> freshShape = shape();
    int pixels = 0, points = 0;
    for (size_t i = 0; i < fresh.size() && i < dragged.size(); ++i) {
      pixels += dragged[i] != fresh[i];
      points += draggedShape[i] != freshShape[i];
    }
    if (pixels || points || fresh.size() != dragged.size())
      return ::testing::AssertionFailure()
             << w << " x " << ht << ": " << pixels << " pixels and " << points << " points of the shape differ";
    return ::testing::AssertionSuccess();
  }
  TakingDesktop* desktop {};
};

// The desktop carries out the drags; the frame, the shape and the hit test follow each new size.
TEST_F(FormOnADesktopTest, FrameShapeAndHitTestFollowASizeTheDesktopGave) {
  xt::MessageTrace trace(form->Handle(), { WM_SIZING, WM_EXITSIZEMOVE });
  desktop->pull = SIZE { 120, 80 };
  DragAt(396, 296);  // the bottom-right corner, inside the cut of the mask
  ASSERT_EQ(form->BoundsRect(), TRect(100, 80, 620, 460));
  ASSERT_EQ(trace.Count(WM_EXITSIZEMOVE), 1);
  EXPECT_EQ(trace.Count(WM_SIZING), 2);  // once a step, as in a drag of our own
  EXPECT_EQ(form->ClientWidth(), 520 - 12);
  EXPECT_EQ(Code(517, 200).code, mkskin::kFrameRight);
  EXPECT_EQ(Code(30, 376).code, mkskin::kFrameBottomLeft);
  EXPECT_EQ(HitAt(518, 200), HTRIGHT);
  EXPECT_EQ(HitAt(260, 378), HTBOTTOM);
  EXPECT_FALSE(xt::WindowRegionContains(form->Handle(), POINT { 519, 379 }));
  EXPECT_TRUE(xt::WindowRegionContains(form->Handle(), POINT { 519, 200 }));
  EXPECT_TRUE(FrameAsForItsSize());

  // A move the desktop ends with another size: no WM_SIZING for it, the frame follows all the same.
  desktop->pull = SIZE { -40, 25 };
  desktop->moveGrowth = SIZE { 30, 20 };
  const TPoint c = CentreOf("caption");
  DragAt(c.X, c.Y);
  ASSERT_EQ(form->BoundsRect(), TRect(60, 105, 610, 505));
  EXPECT_EQ(trace.Count(WM_SIZING), 2);
  EXPECT_EQ(HitAt(548, 200), HTRIGHT);
  EXPECT_TRUE(FrameAsForItsSize());
}

}  // namespace
