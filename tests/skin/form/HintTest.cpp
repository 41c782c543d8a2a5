// The skinned hint: size and place of the hint window, its skinned and default looks, one active
// component per main form, the application's hint event, object hints on their timer, translucency.

#include "skin/form/bsSkinHint.h"

#include "skin/data/bsUtils.h"
#include "tests/skin/form/MenuTestSupport.h"

namespace skmenu {
namespace {

class HintTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    Application->CreateForm(mainForm);
    mainForm->Show();
    xt::PumpUntilIdle();
  }
  TbsSkinHint* NewHint() { return new TbsSkinHint(mainForm); }
  RECT WindowRect(TControl* C) const {
    RECT r {};
    GetWindowRect(static_cast<TWinControl*>(C)->Handle(), &r);
    return r;
  }

  TForm* mainForm {};
};

TEST_F(HintTest, SkinnedHintNeverShrinksBelowItsPictureAndStaysOnTheScreen) {
  LoadTestSkin();
  TbsSkinHint* hint = NewHint();
  hint->SetSkinData(skin);
  TbsSkinHintWindow* w = hint->HintWindow();
  w->ActivateHint(TRect(100, 100, 100, 100), "x");
  xt::PumpUntilIdle();
  ASSERT_EQ(w->SkinData(), skin);
  RECT r = WindowRect(w);
  EXPECT_EQ(r.right - r.left, 48);  // the picture's size
  EXPECT_EQ(r.bottom - r.top, 32);
  EXPECT_EQ(r.left, 100);
  auto code = [&](int x, int y) { return Decode(xt::ReadPixel(w->Handle(), x, y)); };
  EXPECT_EQ(code(3, 16).owner, mkskin::kOwnerHintWindow);
  EXPECT_EQ(code(3, 16).code, mkskin::kSliceLeft);
  EXPECT_EQ(code(46, 16).code, mkskin::kSliceRight);
  EXPECT_FALSE(xt::WindowRegionContains(w->Handle(), POINT { 0, 0 }));  // the mask's corner
  Gallery(w->Handle(), "bsSkinHint", "hint", "skinned");

  // A long text grows the window by the picture's margins; at the screen's edge it moves back by the
  // exact excess, never right or down.
  const AnsiString text = "一条很长的提示文字，比提示窗口的图片宽得多";
  w->ActivateHint(TRect(1000, 760, 1000, 760), text);
  xt::PumpUntilIdle();
  r = WindowRect(w);
  const TbsDataSkinHintWindow& d = *skin->HintWindow;
  RECT t {};
  TBitmap b;
  b.SetSize(4, 4);
  b.Canvas()->Font()->SetName(d.FontName);
  b.Canvas()->Font()->SetHeight(d.FontHeight);
  b.Canvas()->Font()->SetStyle(d.FontStyle);
  DrawTextA(b.Canvas()->Handle(), text.c_str(), -1, &t, DT_CALCRECT | DT_CENTER);
  const int W = (t.right - t.left) + d.ClRect.Left + (48 - d.ClRect.Right);
  EXPECT_EQ(r.right - r.left, W);
  EXPECT_EQ(r.right, 1024);
  EXPECT_EQ(r.bottom, 768);
  EXPECT_EQ(w->NewClRect().Right - w->NewClRect().Left, RectWidth(d.ClRect) + W - 48);
  Gallery(w->Handle(), "bsSkinHint", "hint", "skinned-long");

  // The second skin: no mask, so a rectangular window; its client rectangle off centre.
  LoadSecondSkin();
  w->ActivateHint(TRect(100, 100, 100, 100), "x");
  xt::PumpUntilIdle();
  EXPECT_FALSE(xt::Info(w->Handle()).hasRegion);
  EXPECT_EQ(w->NewClRect().Left, 9);
  EXPECT_EQ(code(0, 0).code, mkskin::kSliceLeftTop);
  Gallery(w->Handle(), "bsSkinHint", "hint", "second-skin");

  // Ten thousand characters: shown, no crash.
  w->ActivateHint(TRect(10, 10, 10, 10), AnsiString(std::string(10000, 'x').c_str()));
  xt::PumpUntilIdle();
  EXPECT_TRUE(w->Visible());
}

TEST_F(HintTest, DefaultLookAlsoWithoutAnyHintComponent) {
  TbsSkinHint* hint = NewHint();
  TbsSkinHintWindow* w = hint->HintWindow();
  w->ActivateHint(TRect(50, 60, 50, 60), "Hint");
  xt::PumpUntilIdle();
  EXPECT_EQ(w->SkinData(), nullptr);
  EXPECT_EQ(xt::ReadPixel(w->Handle(), 0, 0), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(xt::ReadPixel(w->Handle(), 1, 1), GetSysColor(COLOR_INFOBK));
  Gallery(w->Handle(), "bsSkinHint", "hint", "default");
  // With the component gone the application's hint windows still show, in the plain look.
  delete hint;
  TbsSkinHintWindow orphan(nullptr);
  orphan.ActivateHint(TRect(50, 60, 50, 60), "Still here");
  xt::PumpUntilIdle();
  EXPECT_TRUE(orphan.Visible());
  EXPECT_EQ(xt::ReadPixel(orphan.Handle(), 1, 1), GetSysColor(COLOR_INFOBK));
  RECT r {};
  GetWindowRect(orphan.Handle(), &r);
  EXPECT_GT(r.right - r.left, 20);
}

TEST_F(HintTest, OneActiveComponentAndTheApplicationsHintEventHandedBack) {
  int before = 0;
  Application->OnShowHint = On<TShowHintEvent>([&](AnsiString&, bool&, THintInfo&) { ++before; });
  TbsSkinHint* first = NewHint();
  EXPECT_EQ(HintWindowClass, TbsSkinHintWindow::StaticClass());
  EXPECT_NE(dynamic_cast<TbsSkinHintWindow*>(Application->HintWindow()), nullptr);
  EXPECT_EQ(Application->HintShortPause(), 100);
  int seen = 0;
  first->OnShowHint = On<TShowHintEvent>([&](AnsiString&, bool&, THintInfo&) { ++seen; });
  AnsiString s = "h";
  bool can = true;
  THintInfo info {};
  Application->OnShowHint(s, can, info);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(before, 0);

  TbsSkinHint* second = NewHint();
  second->SetActive(true);
  EXPECT_FALSE(first->Active());
  EXPECT_EQ(TbsSkinHintWindow::FindHintComponent(), second);
  first->SetActive(true);
  EXPECT_FALSE(second->Active());

  // Freed in the order they came, each hands the event back only while it is its own; the handler of
  // a component that has gone is never called.
  delete second;
  delete first;
  ASSERT_TRUE(Application->OnShowHint != nullptr);
  Application->OnShowHint(s, can, info);
  EXPECT_EQ(before, 1);
  // Freed out of order, the chain still leads back to the first handler.
  TbsSkinHint* third = NewHint();
  TbsSkinHint* fourth = NewHint();
  delete third;
  delete fourth;
  ASSERT_TRUE(Application->OnShowHint != nullptr);
  Application->OnShowHint(s, can, info);
  EXPECT_EQ(before, 2);
}

TEST_F(HintTest, ObjectHintsWaitTheHintPauseAndHideAfterTheHidePause) {
  TbsSkinHint* hint = NewHint();
  xt::MouseMove(300, 200);
  hint->ActivateHint2("Close");
  Wait(499);
  EXPECT_FALSE(hint->IsVisible());
  hint->ActivateHint2("Close");  // again: the wait starts over
  Wait(499);
  EXPECT_FALSE(hint->IsVisible());
  Wait(1);
  ASSERT_TRUE(hint->IsVisible());
  RECT r {};
  GetWindowRect(hint->HintWindow()->Handle(), &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 200 + TbsSkinHint::GetCursorHeightMargin());
  Wait(2499);
  EXPECT_TRUE(hint->IsVisible());
  Wait(1);
  EXPECT_FALSE(hint->IsVisible());
  hint->ActivateHint(TPoint(40, 50), "Now");
  EXPECT_TRUE(hint->IsVisible());
  hint->HideHint();
  EXPECT_FALSE(hint->IsVisible());
  Wait(5000);
  EXPECT_FALSE(hint->IsVisible());
}

TEST_F(HintTest, TranslucencyFollowsTheComponentOnEachHint) {
  TbsSkinHint* hint = NewHint();
  hint->SetAlphaBlend(true);
  hint->SetAlphaBlendValue(180);
  TbsSkinHintWindow* w = hint->HintWindow();
  w->ActivateHint(TRect(50, 60, 50, 60), "Hint");
  EXPECT_TRUE(xt::Info(w->Handle()).layered);
  EXPECT_EQ(xt::Info(w->Handle()).alpha, 180);
  EXPECT_EQ(w->CurrentAlpha(), 180);
  hint->SetAlphaBlend(false);
  w->ActivateHint(TRect(50, 60, 50, 60), "Hint");
  EXPECT_FALSE(xt::Info(w->Handle()).layered);
  EXPECT_FALSE(w->Layered());
}

}  // namespace
}  // namespace skmenu
