// A radio button pressed while another control has the focus and released elsewhere (no check, no
// click); a button held by the mouse that Space or a lost focus cannot click; and an edit's MaxLength
// read from a form resource reaching the window it limits.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class PressAndLimitTest : public StdCtrlsTest {};

TEST_F(PressAndLimitTest, AnUnfocusedRadioPressedAndReleasedElsewhereIsNeitherCheckedNorClicked) {
  int clicks[2] = {};
  TRadioButton* r[2];
  for (int i = 0; i < 2; ++i) {
    r[i] = Add<TRadioButton>(10, 10 + 20 * i);
    r[i]->SetCaption("Radio");
    r[i]->OnClick = On<TNotifyEvent>([&clicks, i](TObject*) { ++clicks[i]; });
  }
  r[0]->SetChecked(true);
  clicks[0] = 0;
  auto* button = Add<TButton>(10, 100);
  form->SetActiveControl(button);
  Show();
  const int top = (r[1]->Height() - 12) / 2;

  DownAt(r[1], 5, 8);
  EXPECT_EQ(GetFocus(), r[1]->Handle());  // the press takes the focus, and nothing more yet
  EXPECT_FALSE(r[1]->Checked());
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(r[1], 5, top + 5), Rgb(clBtnFace));  // drawn pressed
  MoveTo(r[1], 5, 60);
  UpAt(r[1], 5, 60);
  xt::PumpUntilIdle();
  EXPECT_FALSE(r[1]->Checked());
  EXPECT_TRUE(r[0]->Checked());
  EXPECT_EQ(clicks[1], 0);
  EXPECT_EQ(clicks[0], 0);
  EXPECT_EQ(Pixel(r[1], 5, top + 5), Rgb(clWindow));  // neither pressed nor dotted

  // Out and back in before the release: that is a click (a press apart from the last, not a double click).
  xt::Advance(GetDoubleClickTime() + 1);
  DownAt(r[1], 5, 8);
  MoveTo(r[1], 5, 60);
  MoveTo(r[1], 6, 8);
  UpAt(r[1], 6, 8);
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_FALSE(r[0]->Checked());
  EXPECT_EQ(clicks[1], 1);
}

// While the mouse holds a button Space is not a second press; a focus taken away meanwhile lets it go
// unclicked.
TEST_F(PressAndLimitTest, AButtonHeldByTheMouseIsClickedOnlyByItsRelease) {
  int clicks = 0;
  auto* button = Add<TButton>(10, 10);
  button->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  auto* other = Add<TEdit>(10, 60);
  Show();
  auto pushed = [button] { return (button->Perform(BM_GETSTATE, 0, 0) & 0x0004) != 0; };  // the pushed state

  DownAt(button, 5, 5);
  Press(VK_SPACE);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(pushed());
  UpAt(button, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(pushed());

  xt::Advance(GetDoubleClickTime() + 1);
  DownAt(button, 5, 5);
  EXPECT_TRUE(pushed());
  other->SetFocus();  // the program moves the focus while the mouse is down
  xt::PumpUntilIdle();
  EXPECT_FALSE(pushed());
  UpAt(button, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(pushed());
}

// A form read with MaxLength = 4 gives an edit whose window takes 4 bytes, whether the form was on
// the screen while it was read or shown after.
TEST_F(PressAndLimitTest, AStreamedMaxLengthLimitsTheWindowAndKeepsTheLongerStreamedText) {
  const char* text =
      "object Form1: TForm\n"
      "  object Short: TEdit\n    Left = 8\n    Top = 8\n    Width = 120\n    MaxLength = 4\n"
      "    Text = '12345678'\n  end\n"
      "  object Free: TEdit\n    Left = 8\n    Top = 40\n    Width = 120\n    Text = 'x'\n  end\n"
      "end\n";
  for (bool shownFirst : { true, false }) {
    SCOPED_TRACE(shownFirst ? "read into a shown form" : "shown after reading");
    TForm* f = NewForm(100, 100, 200, 100);
    if (shownFirst) f->Show();
    ReadComponentResource(f, text);
    f->Show();
    xt::PumpUntilIdle();
    auto* edit = dynamic_cast<TEdit*>(f->FindComponent("Short"));
    auto* free = dynamic_cast<TEdit*>(f->FindComponent("Free"));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(free, nullptr);
    EXPECT_EQ(edit->Text(), "12345678");
    EXPECT_EQ(edit->Perform(EM_GETLIMITTEXT, 0, 0), 4);
    EXPECT_GT(free->Perform(EM_GETLIMITTEXT, 0, 0), 4);
    edit->SetText("");
    edit->SetFocus();
    Type("abcdef");
    EXPECT_EQ(edit->Text(), "abcd");
    edit->SetMaxLength(-1);  // no limit, as 0 is
    EXPECT_EQ(edit->MaxLength(), 0);
    Type("ef");
    EXPECT_EQ(edit->Text(), "abcdef");
    delete f;
  }
}

}  // namespace
