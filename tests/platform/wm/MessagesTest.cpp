// The message records read the parameters the window manager packs, sign and all.

#include "platform/vcl/Messages.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class MessagesTest : public WmTest {
 protected:
  // Captures the last message of a kind, as the class library would see it, during an action.
  TMessage Capture(HWND h, UINT msg, const std::function<void()>& action) {
    TMessage got {};
    On(h, msg, [&](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      got = TMessage { m, w, l, 0 };
      return DefWindowProcA(hw, m, w, l);
    });
    action();
    Handlers().erase({ h, msg });
    return got;
  }
};

TEST_F(MessagesTest, RecordsReadWhatRoutingPacked) {
  HWND w = Top(-100, -100, 300, 200, WS_POPUP | WS_VISIBLE);
  SetFocus(w);
  TMessage m = Capture(w, WM_MOUSEMOVE, [] { MouseMove(-90, -95); });
  auto& mouse = reinterpret_cast<TWMMouse&>(m);
  EXPECT_EQ(mouse.XPos, 10);
  EXPECT_EQ(mouse.YPos, 5);
  m = Capture(w, WM_NCHITTEST, [] { MouseMove(-98, -97); });
  auto& hit = reinterpret_cast<TWMNCHitTest&>(m);
  EXPECT_EQ(hit.XPos, -98);
  EXPECT_EQ(hit.YPos, -97);
  m = Capture(w, WM_MOUSEWHEEL, [] { Wheel(-2 * WHEEL_DELTA); });
  auto& wheel = reinterpret_cast<TWMMouseWheel&>(m);
  EXPECT_EQ(wheel.WheelDelta, -240);
  EXPECT_EQ(wheel.XPos, -98);
  m = Capture(w, WM_SYSKEYDOWN, [] { KeyPress('Q', ssAlt); });
  auto& key = reinterpret_cast<TWMKey&>(m);
  EXPECT_EQ(key.CharCode, 'Q');
  EXPECT_TRUE(key.KeyData & (1 << 29));
  m = Capture(w, WM_SIZE, [&] { SetWindowPos(w, nullptr, 0, 0, 123, 45, SWP_NOMOVE | SWP_NOZORDER); });
  auto& size = reinterpret_cast<TWMSize&>(m);
  EXPECT_EQ(size.Width, 123);
  EXPECT_EQ(size.Height, 45);
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 4321, "x");
  AnswerModal(4321);
  m = Capture(w, WM_COMMAND, [&] {
    TrackPopupMenu(popup, 0, 0, 0, 0, w, nullptr);
    PumpUntilIdle();
  });
  auto& cmd = reinterpret_cast<TWMCommand&>(m);
  EXPECT_EQ(cmd.ItemID, 4321);
  EXPECT_EQ(cmd.NotifyCode, 0);
  EXPECT_EQ(cmd.Ctl, nullptr);
  DestroyMenu(popup);
}

TEST_F(MessagesTest, PrivateMessageBlocksDoNotOverlap) {
  EXPECT_EQ(WM_SKINDATA_BEFORECHANGE, 1225);
  EXPECT_EQ(WM_SKINDATA_AFTERCHANGE, 1227);
  EXPECT_EQ(WM_CLOSESKINMENU, 1228);
  EXPECT_EQ(WM_MDICHILDRESIZE, 1230);
  EXPECT_EQ(WM_MDICHILDRESTORE, 1232);
  EXPECT_LT(CM_MOUSEWHEEL, CN_BASE);
  EXPECT_EQ(CN_COMMAND, CN_BASE + WM_COMMAND);
  EXPECT_LT(CN_BASE + WM_APP, 0xC000 + CN_BASE);  // reflected numbers stay clear of registered ones
  EXPECT_GE(CN_CHAR, 0xBC00);
  EXPECT_LT(CN_NOTIFY, 0xC000);
}

}  // namespace
