// The keyboard as the server has it when a form gets the focus back: a modifier released while another
// window had the keys (as the window manager keeps Alt+Tab's release) is not still held for the program,
// so typing reaches the edit at once.

#include <string>

#include "platform/vcl/StdCtrls.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class FocusKeysX11 : public xj::test::X11InputTest {};

TEST_F(FocusKeysX11, AModifierReleasedElsewhereIsNotHeldWhenTheFocusComesBack) {
  unsigned long window = 0;
  TEdit* edit = TypingForm(120, 100, "xj-keys", window);
  ASSERT_NE(edit, nullptr);
  TForm* form = static_cast<TForm*>(edit->Owner());

  ASSERT_TRUE(Xdotool("keydown Alt_L"));
  ASSERT_TRUE(Eventually([&] { return GetAsyncKeyState(VK_MENU) < 0; }));
  // Another program's window takes the keys, and Alt's release with them.
  const unsigned long other = X().MapWindow("xj-elsewhere");
  ASSERT_TRUE(Eventually([&] { return X().Viewable(other); }));
  ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(other)));
  ASSERT_TRUE(Eventually([&] { return !form->Active(); }));
  ASSERT_TRUE(Xdotool("keyup Alt_L"));
  ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(window)));
  ASSERT_TRUE(Eventually([&] { return form->Active(); }));
  EXPECT_EQ(GetAsyncKeyState(VK_MENU), 0);
  EXPECT_EQ(GetKeyState(VK_MENU) & 0x8000, 0);

  xt::MessageTrace trace(edit->Handle(), { WM_SYSCHAR, WM_SYSKEYDOWN });
  ASSERT_TRUE(Xdotool("type --delay 20 abc"));
  EXPECT_TRUE(Eventually([&] { return edit->Text() == "abc"; })) << "the edit holds \"" << edit->Text() << "\"";
  EXPECT_EQ(trace.Count(WM_SYSCHAR) + trace.Count(WM_SYSKEYDOWN), 0);
  X().DestroyWindow(other);
}

}  // namespace
