// Parent-less pop-up controls (menu levels, drop-down lists): shown above every form without taking
// activation or focus, clicked without activating, hidden again through Visible.

#include "platform/vcl/StdCtrls.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

// What a skinned menu level is: a custom control without parent, a top-most tool pop-up that answers
// MA_NOACTIVATE.
class TPopupLevel : public TCustomControl {
  XJ_CLASS(TPopupLevel, TCustomControl)
 public:
  explicit TPopupLevel(TComponent* AOwner) : TCustomControl(AOwner) { SetVisible(false); }
  int Presses { 0 };

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = nullptr;
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_MOUSEACTIVATE) {
      Message.Result = MA_NOACTIVATE;
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN) ++Presses;
    TCustomControl::Dispatch(Message);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(ClientRect());
  }
};

class PopupWindowTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 300, 200);
    edit = new TEdit(form);
    edit->SetParent(form);
    form->Show();
    edit->SetFocus();
    xt::PumpUntilIdle();
    level.reset(new TPopupLevel(nullptr));
    level->SetBounds(150, 150, 80, 60);
  }
  void TearDown() override {
    level.reset();
    ControlsTest::TearDown();
  }
  void ExpectFormKeepsActivationAndFocus() {
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    EXPECT_EQ(GetFocus(), edit->Handle());
    EXPECT_TRUE(form->Active());
  }
  TForm* form { nullptr };
  TEdit* edit { nullptr };
  std::unique_ptr<TPopupLevel> level;
};

TEST_F(PopupWindowTest, VisibleShowsAndHidesTheLevelWithoutTakingActivation) {
  xt::MessageTrace formTrace(form->Handle(), { WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS });
  level->SetVisible(true);
  xt::PumpUntilIdle();
  EXPECT_TRUE(IsWindowVisible(level->Handle()));
  EXPECT_TRUE(level->Showing());
  EXPECT_EQ(GetParent(level->Handle()), nullptr);
  ExpectFormKeepsActivationAndFocus();
  EXPECT_EQ(WindowFromPoint(POINT { 160, 160 }), level->Handle());
  // The level is drawn where it stands, over the form.
  EXPECT_EQ(xt::DesktopPixel(160, 160), clRed);

  level->SetVisible(false);
  xt::PumpUntilIdle();
  EXPECT_FALSE(IsWindowVisible(level->Handle()));
  EXPECT_FALSE(level->Showing());
  EXPECT_EQ(WindowFromPoint(POINT { 160, 160 }), form->Handle());
  EXPECT_TRUE(formTrace.Messages().empty());
}

TEST_F(PopupWindowTest, StaysAboveFormsBroughtToFrontAndTakesClicksWithoutActivation) {
  SetWindowPos(level->Handle(), HWND_TOPMOST, 150, 150, 0, 0, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOSIZE);
  level->SetVisible(true);
  TForm* other = NewForm(140, 140, 200, 200);
  other->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(WindowFromPoint(POINT { 160, 160 }), level->Handle());
  form->BringToFront();
  xt::PumpUntilIdle();
  ExpectFormKeepsActivationAndFocus();
  xt::MessageTrace formTrace(form->Handle(), { WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS });
  xt::Click(160, 160);
  EXPECT_EQ(level->Presses, 1);
  ExpectFormKeepsActivationAndFocus();
  EXPECT_TRUE(formTrace.Messages().empty());
  // Hiding through Visible after a SetWindowPos show still hides.
  level->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(level->Handle()));
}

}  // namespace
