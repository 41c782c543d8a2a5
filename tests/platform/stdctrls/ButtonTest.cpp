// Push buttons: clicks by mouse (pushed look that follows the mouse), Space and Return, the default and
// cancel buttons, ModalResult ending a modal form, accelerators, the disabled look and the focus
// rectangle, and the native-style notification path.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class ButtonTest : public StdCtrlsTest {
 protected:
  TButton* NewButton(const char* caption, int x, int y, int* clicks) {
    auto* b = Add<TButton>(x, y);
    b->SetCaption(caption);
    b->OnClick = On<TNotifyEvent>([clicks](TObject*) { ++*clicks; });
    return b;
  }
  // Pixels of row Y inside the 3-D edges (x from 3 to Width - 3) that are not the button face.
  static int MarkedInRow(TControl* c, int y) {
    int n = 0;
    for (int x = 3; x < c->Width() - 3; ++x)
      if (Pixel(c, x, y) != Rgb(clBtnFace)) ++n;
    return n;
  }
};

TEST_F(ButtonTest, AClickClicksOnceAndFocusesTheButton) {
  int clicks = 0;
  TButton* button = NewButton("OK", 10, 10, &clicks);
  auto* other = Add<TEdit>(10, 60);
  form->SetActiveControl(other);
  Show();
  ClickAt(button, 20, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), button->Handle());
  DoubleClickAt(button, 20, 10);  // a second press, not a double click
  EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonTest, ThePushedLookFollowsTheMouseAndReleasingOutsideDoesNotClick) {
  int clicks = 0;
  TButton* button = NewButton("OK", 10, 10, &clicks);
  Show();
  // Focused (it has the dark outer frame), so the pushed frame is the second ring.
  DownAt(button, 20, 10);
  EXPECT_EQ(Pixel(button, 1, 12), Rgb(clBtnShadow));
  MoveTo(button, 200, 10);
  EXPECT_NE(Pixel(button, 1, 12), Rgb(clBtnShadow));
  MoveTo(button, 30, 12);
  EXPECT_EQ(Pixel(button, 1, 12), Rgb(clBtnShadow));
  MoveTo(button, 200, 10);
  UpAt(button, 200, 10);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_NE(Pixel(button, 1, 12), Rgb(clBtnShadow));
}

TEST_F(ButtonTest, SpaceClicksOnReleaseAndLosingTheFocusCancelsIt) {
  int clicks = 0;
  TButton* button = NewButton("OK", 10, 10, &clicks);
  auto* edit = Add<TEdit>(10, 60);
  form->SetActiveControl(button);
  Show();
  xt::KeyDown(VK_SPACE, xt::ssNone, false);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Pixel(button, 1, 12), Rgb(clBtnShadow));
  xt::KeyUp(VK_SPACE, xt::ssNone, false);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 1);

  xt::KeyDown(VK_SPACE, xt::ssNone, false);
  Application->ProcessMessages();
  edit->SetFocus();
  xt::KeyUp(VK_SPACE, xt::ssNone, false);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, ReturnReachesTheFocusedButtonOrTheDefaultOneEscapeTheCancelOne) {
  int ok = 0, other = 0, cancel = 0;
  TButton* okButton = NewButton("OK", 10, 10, &ok);
  TButton* otherButton = NewButton("Other", 100, 10, &other);
  TButton* cancelButton = NewButton("Cancel", 190, 10, &cancel);
  auto* edit = Add<TEdit>(10, 60);
  okButton->SetDefault(true);
  cancelButton->SetCancel(true);
  form->SetActiveControl(edit);
  Show();
  EXPECT_TRUE(okButton->Active());
  EXPECT_EQ(Pixel(okButton, 0, 12), Rgb(clWindowFrame));  // the default button's dark frame

  Press(VK_RETURN);
  EXPECT_EQ(ok, 1);
  Press(VK_RETURN, xt::ssShift);
  EXPECT_EQ(ok, 1);
  Press(VK_ESCAPE);
  EXPECT_EQ(cancel, 1);

  otherButton->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_FALSE(okButton->Active());
  EXPECT_TRUE(otherButton->Active());
  EXPECT_NE(Pixel(okButton, 0, 12), Rgb(clWindowFrame));
  EXPECT_EQ(Pixel(otherButton, 0, 12), Rgb(clWindowFrame));
  Press(VK_RETURN);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(other, 1);
  Press(VK_ESCAPE);
  EXPECT_EQ(cancel, 2);

  edit->SetFocus();
  EXPECT_TRUE(okButton->Active());
  okButton->SetDefault(false);
  EXPECT_FALSE(okButton->Active());
  Press(VK_RETURN);
  EXPECT_EQ(ok, 1);
}

TEST_F(ButtonTest, AClickCopiesModalResultToTheFormAndEndsShowModal) {
  TForm* owner = form;
  Show();
  TForm* dialog = NewForm(150, 150, 250, 120);
  auto* ok = new TButton(dialog);
  ok->SetParent(dialog);
  ok->SetBounds(10, 10, 75, 25);
  ok->SetModalResult(mrOk);
  auto* plain = new TButton(dialog);
  plain->SetParent(dialog);
  plain->SetBounds(100, 10, 75, 25);
  int plainClicks = 0;
  plain->OnClick = On<TNotifyEvent>([&](TObject*) { ++plainClicks; });
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    ClickAt(plain, 5, 5);  // mrNone: the form stays
    EXPECT_TRUE(dialog->Visible());
    ClickAt(ok, 5, 5);
    return xt::kKeepOpen;
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(plainClicks, 1);
  EXPECT_EQ(xt::UnscriptedModals(), 0);
  (void)owner;
}

// Escape reaches the Cancel button of a modal form, whose ModalResult ends it; Alt+F4 closes a modal
// form with mrCancel.
TEST_F(ButtonTest, EscapeAndAltF4EndAModalForm) {
  Show();
  TForm* dialog = NewForm(150, 150, 250, 120);
  auto* cancel = Add<TButton>(10, 10, 75, 25, dialog);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrAbort);
  dialog->SetActiveControl(Add<TEdit>(100, 10, 100, 21, dialog));
  for (UINT key : { VK_ESCAPE, VK_F4 }) {
    xt::AnswerModal([key](const xt::ModalRecord&) -> LONG_PTR {
      xt::KeyDown(key, key == VK_F4 ? xt::ssAlt : xt::ssNone, false);
      xt::KeyUp(key, key == VK_F4 ? xt::ssAlt : xt::ssNone, false);
      return xt::kKeepOpen;
    });
    EXPECT_EQ(dialog->ShowModal(), key == VK_ESCAPE ? mrAbort : mrCancel) << key;
    EXPECT_FALSE(dialog->Visible());
  }
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

TEST_F(ButtonTest, TheAcceleratorClicksFromAnywhereOnTheForm) {
  int save = 0;
  TButton* button = NewButton("&Save", 10, 10, &save);
  int other = 0;
  TButton* otherButton = NewButton("Other", 100, 10, &other);
  form->SetActiveControl(otherButton);
  Show();
  Press('S', xt::ssAlt);
  EXPECT_EQ(save, 1);
  Keys("s");  // the focused button does not want characters
  EXPECT_EQ(save, 2);
  Keys("x");
  EXPECT_EQ(save, 2);
  EXPECT_EQ(other, 0);
  (void)button;
}

TEST_F(ButtonTest, ADisabledButtonIgnoresEveryInputAndEngravesItsCaption) {
  int clicks = 0;
  TButton* button = NewButton("&Go", 10, 10, &clicks);
  button->SetDefault(true);
  button->SetCancel(true);
  auto* edit = Add<TEdit>(10, 60);
  form->SetActiveControl(edit);
  Show();
  button->SetEnabled(false);
  xt::ClearTextLog();
  xt::PumpUntilIdle();
  ClickAt(button, 20, 10);
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  Press('G', xt::ssAlt);
  EXPECT_EQ(clicks, 0);
  auto drawn = Drawn("Go");
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].color, Rgb(clBtnHighlight));
  EXPECT_EQ(drawn[1].color, Rgb(clBtnShadow));
  EXPECT_EQ(drawn[0].x, drawn[1].x + 1);
}

TEST_F(ButtonTest, TheFocusRectangleShowsOnlyWhileFocused) {
  int clicks = 0;
  TButton* button = NewButton("", 10, 10, &clicks);
  auto* edit = Add<TEdit>(10, 60);
  form->SetActiveControl(edit);
  Show();
  EXPECT_EQ(MarkedInRow(button, 4), 0);
  button->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_GT(MarkedInRow(button, 4), 10);
  EXPECT_EQ(MarkedInRow(button, 12), 2);  // only the focus rectangle's sides cross the middle row
  edit->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(MarkedInRow(button, 4), 0);
}

TEST_F(ButtonTest, AClickTravelsAsBnClickedToTheParentAndBackAsCnCommand) {
  int clicks = 0;
  TButton* button = NewButton("OK", 10, 10, &clicks);
  Show();
  TRecorder own(button);
  TRecorder parent(form);
  ClickAt(button, 20, 10);
  EXPECT_EQ(parent.Count(WM_COMMAND), 1);
  EXPECT_EQ(own.Count(CN_COMMAND), 1);
  // BM_CLICK does the same; BM_GETCHECK reads unchecked for a push button.
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(SendMessageA(button->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace
