// A mask edit on a real X server: xdotool clicks into it and types a time with real key events, and the
// text follows the mask as it does under the harness (literals stepped over, letters refused, Backspace
// blanking).

#include <string>

#include "platform/vcl/Mask.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class MaskEditX11 : public xj::test::X11InputTest {};

TEST_F(MaskEditX11, ATimeTypedWithRealKeysFollowsTheMask) {
  TForm* form = NewForm(120, 100, 300, 120);
  form->SetCaption("xj-mask");
  auto* edit = new TMaskEdit(form);
  edit->SetParent(form);
  edit->SetBounds(20, 20, 200, 24);
  edit->SetEditMask("!90:00:00;1; ");
  edit->SetText("00:00:00");
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(Eventually([&] { return X().Viewable(X().FindWindow("xj-mask")); })) << "the form never showed";

  const TPoint start = edit->ClientToScreen(TPoint(2, 12));  // before the first character
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(start.X) + " " + std::to_string(start.Y) + " click 1"));
  ASSERT_TRUE(Eventually([&] { return edit->Focused() && edit->SelStart() == 0 && edit->SelLength() == 1; }));
  ASSERT_TRUE(X().HoldKeysFor(U"0123456789x"));
  ASSERT_TRUE(Xdotool("type --delay 20 '1x23456'"));
  EXPECT_TRUE(Eventually([&] { return edit->Text() == "12:34:56"; })) << "the edit holds \"" << edit->Text() << "\"";
  ASSERT_TRUE(Xdotool("key --delay 20 BackSpace BackSpace BackSpace"));
  EXPECT_TRUE(Eventually([&] { return edit->Text() == "12:3 :  "; })) << "the edit holds \"" << edit->Text() << "\"";
}

}  // namespace
