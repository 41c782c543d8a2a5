// Hints under the manual clock: the pause before showing, OnShowHint, the hide pause, hiding on leaving
// and on a click, the short pause between controls, the hint window's class.

#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

// A hint window of another class, as a skinning library installs one.
class TOtherHintWindow : public THintWindow {
  XJ_CLASS(TOtherHintWindow, THintWindow)
 public:
  explicit TOtherHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
};

}  // namespace

XJ_PUBLISHED(TOtherHintWindow);

namespace {

class HintTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 300);
    a = new TTestShape(form);
    a->SetParent(form);
    a->SetBounds(20, 20, 100, 30);
    a->SetHint("第一|the long hint of a");
    a->SetShowHint(true);
    b = new TTestShape(form);
    b->SetParent(form);
    b->SetBounds(20, 100, 100, 30);
    b->SetHint("second");
    b->SetShowHint(true);
    form->Show();
  }
  bool Shown() {
    THintWindow* w = Application->HintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
  }
  AnsiString Text() { return Application->HintWindow() ? Application->HintWindow()->Caption() : AnsiString(); }

  TForm* form {};
  TTestShape* a {};
  TTestShape* b {};
};

TEST_F(HintTest, ShownAfterThePauseBelowTheCursorAndHiddenAfterTheHidePause) {
  MoveTo(a, 10, 10);
  xt::Advance(499);
  EXPECT_FALSE(Shown());
  xt::Advance(1);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Text(), "第一");
  EXPECT_EQ(Application->Hint(), "the long hint of a");
  RECT r {};
  GetWindowRect(Application->HintWindow()->Handle(), &r);
  const TPoint cursor = At(a, 10, 10);
  EXPECT_EQ(r.left, cursor.X);
  EXPECT_GT(r.top, cursor.Y);
  MoveTo(a, 12, 11);  // moving inside the control keeps it
  xt::Advance(2498);
  EXPECT_TRUE(Shown());
  xt::Advance(2);
  EXPECT_FALSE(Shown());
  xt::Advance(5000);  // and it does not come back while the mouse stays
  EXPECT_FALSE(Shown());
}

TEST_F(HintTest, OnShowHintCanChangeTheTextOrStopIt) {
  bool canShow = true;
  int calls = 0;
  Application->OnShowHint = On<TShowHintEvent>([&](AnsiString& text, bool& can, THintInfo& info) {
    ++calls;
    EXPECT_EQ(info.HintControl, a);
    EXPECT_EQ(info.HideTimeout, 2500);
    EXPECT_EQ(info.CursorPos, TPoint(10, 10));
    text = "[" + text + "]";
    can = canShow;
  });
  MoveTo(a, 10, 10);
  xt::Advance(500);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Text(), "[第一]");
  MoveTo(form, 300, 250);  // off both controls: cancelled
  EXPECT_FALSE(Shown());
  canShow = false;
  MoveTo(a, 10, 10);
  xt::Advance(500);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(Shown());
  Application->OnShowHint = nullptr;
}

TEST_F(HintTest, AnotherControlGetsItsHintAfterTheShortPauseAndAClickHidesIt) {
  MoveTo(a, 10, 10);
  xt::Advance(500);
  ASSERT_TRUE(Shown());
  MoveTo(b, 10, 10);
  EXPECT_FALSE(Shown());
  xt::Advance(50);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(Text(), "second");
  const TPoint p = At(b, 10, 10);
  xt::MouseDown(xt::mbLeft, p.X, p.Y, false);
  xt::MouseUp(xt::mbLeft, p.X, p.Y, false);
  Application->ProcessMessages();
  EXPECT_FALSE(Shown());
}

TEST_F(HintTest, TheHintWindowIsOfHintWindowClassAndGoesWithShowHint) {
  const TClass saved = HintWindowClass;
  HintWindowClass = TOtherHintWindow::StaticClass();
  Application->SetShowHint(false);
  EXPECT_EQ(Application->HintWindow(), nullptr);
  Application->SetShowHint(true);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->ClassType(), TOtherHintWindow::StaticClass());
  MoveTo(a, 10, 10);
  xt::Advance(500);
  EXPECT_TRUE(Shown());
  // Freeing the control under the hint takes the hint down.
  delete a;
  EXPECT_FALSE(Shown());
  HintWindowClass = saved;
}

}  // namespace
