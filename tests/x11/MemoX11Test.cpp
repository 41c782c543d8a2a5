// The memo and the rich edit on a real X server: xdotool clicks into the memo and types lines, and
// turns the wheel over the rich edit; the class library sees the text and the scroll state, and the
// server shows the typed row where the memo drew it.

#include <string>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class MemoX11 : public xj::test::X11InputTest {};

TEST_F(MemoX11, TypingLinesAndTurningTheWheelReachTheTextViews) {
  TForm* form = NewForm(120, 90, 420, 220);
  form->SetCaption("xj-memo");
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 180, 150);
  auto* rich = new TRichEdit(form);
  rich->SetParent(form);
  rich->SetBounds(210, 10, 180, 150);
  AnsiString text;
  for (int i = 0; i < 60; ++i) text += "paragraph " + std::to_string(i) + "\r\n";
  rich->Lines()->SetText(text);
  form->Show();
  xt::PumpUntilIdle();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-memo")); }))
      << "the form never showed on the X server";

  ASSERT_TRUE(Xdotool("mousemove " + At(memo, TPoint(20, 20)) + " click 1"));
  ASSERT_TRUE(Eventually([&] { return memo->Focused(); }));
  ASSERT_TRUE(Xdotool("type --delay 20 'first'"));
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(Xdotool("type --delay 20 'second'"));
  ASSERT_TRUE(Eventually([&] { return memo->Text() == "first\r\nsecond"; })) << memo->Text();
  EXPECT_EQ(memo->Lines()->Count(), 2);

  // The server shows text on the second row where the memo drew it, and the window colour below it.
  const TPoint row2 = memo->ClientToScreen(TPoint(0, 0));
  const int lineH = static_cast<int>(memo->Perform(EM_POSFROMCHAR, 7, 0) >> 16);
  ASSERT_GT(lineH, 0);
  bool ink = false;
  for (int x = 0; x < 40 && !ink; ++x)
    for (int y = lineH; y < 2 * lineH && !ink; ++y)
      ink = X().ScreenPixel(row2.X + x, row2.Y + y) != (ColorToRGB(clWindow) & 0xFFFFFF);
  EXPECT_TRUE(ink);
  EXPECT_EQ(X().ScreenPixel(row2.X + 100, row2.Y + 5 * lineH), static_cast<uint32_t>(0xFFFFFF));

  // The wheel goes to the focused control: towards the user it scrolls the rich edit down, in pixels.
  ASSERT_TRUE(Xdotool("mousemove " + At(rich, TPoint(60, 60)) + " click 1"));
  ASSERT_TRUE(Eventually([&] { return rich->Focused(); }));
  ASSERT_TRUE(Xdotool("click 5"));
  ASSERT_TRUE(Eventually([&] { return GetScrollPos(rich->Handle(), SB_VERT) > 0; }));
  const int down = GetScrollPos(rich->Handle(), SB_VERT);
  EXPECT_EQ(down % lineH, 0);
  ASSERT_TRUE(Xdotool("click 4"));
  EXPECT_TRUE(Eventually([&] { return GetScrollPos(rich->Handle(), SB_VERT) == 0; }));
}

}  // namespace
