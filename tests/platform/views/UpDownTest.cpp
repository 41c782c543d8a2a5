// The "msctls_updown32" class driven like a user on the manual clock: a press steps at once and then
// repeats while held on its arrow, each step asked of the parent and reported to it; limits, wrapping,
// reversed ranges, the buddy's text, acceleration and the horizontal layout.

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/CommCtrl.h"
#include "tests/platform/ctl/CtlTestUtil.h"

namespace {

namespace xt = xj::test;

struct Report {
  UINT msg;  // WM_VSCROLL or WM_HSCROLL
  WORD code;
  WORD pos;
};

std::vector<Report>& Reports() {
  static std::vector<Report> r;
  return r;
}
std::vector<NMUPDOWN>& Asks() {
  static std::vector<NMUPDOWN> a;
  return a;
}
// The parent's answer to UDN_DELTAPOS: non-zero refuses; it may also change the delta.
std::function<LRESULT(NMUPDOWN&)>& Answer() {
  static std::function<LRESULT(NMUPDOWN&)> f;
  return f;
}

LRESULT CALLBACK Parent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_VSCROLL || m == WM_HSCROLL) Reports().push_back(Report { m, LOWORD(w), HIWORD(w) });
  if (m == WM_NOTIFY && reinterpret_cast<NMHDR*>(l)->code == UDN_DELTAPOS) {
    auto* nm = reinterpret_cast<NMUPDOWN*>(l);
    Asks().push_back(*nm);
    return Answer() ? Answer()(*nm) : 0;
  }
  return DefWindowProcA(h, m, w, l);
}

class UpDownTest : public ctltest::CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    Reports().clear();
    Asks().clear();
    Answer() = nullptr;
    SetWindowLongPtrA(parent, GWLP_WNDPROC, WNDPROC(&Parent).Value());
  }
  // A vertical control 20 × 40 at (300, 20): the up arrow is the top half.
  HWND MakeUpDown(DWORD style = 0, int w = 20, int h = 40) { return Make(UPDOWN_CLASSA, style, 300, 20, w, h); }
  static int Pos(HWND u) { return static_cast<int>(SendMessageA(u, UDM_GETPOS32, 0, 0)); }
  static void Press(HWND u, int x, int y) {
    POINT p = Screen(u, x, y);
    xt::MouseDown(xt::mbLeft, p.x, p.y);
  }
  static void Release(HWND u, int x, int y) {
    POINT p = Screen(u, x, y);
    xt::MouseUp(xt::mbLeft, p.x, p.y);
  }
  static std::vector<WORD> Positions() {
    std::vector<WORD> v;
    for (const Report& r : Reports())
      if (r.code == SB_THUMBPOSITION) v.push_back(r.pos);
    return v;
  }
};

TEST_F(UpDownTest, HoldingAnArrowStepsAtOnceThenRepeatsWhileThePointerStaysOnIt) {
  HWND u = MakeUpDown();
  SendMessageA(u, UDM_SETRANGE32, 0, 50);
  Press(u, 10, 5);
  EXPECT_EQ(Pos(u), 1);
  xt::Advance(499);
  EXPECT_EQ(Pos(u), 1);
  xt::Advance(1);
  EXPECT_EQ(Pos(u), 2);
  xt::Advance(300);  // every tenth of a second
  EXPECT_EQ(Pos(u), 5);
  // Off the arrow the repeat pauses; back on, it goes on.
  POINT off = Screen(u, 10, 30);
  xt::MouseMove(off.x, off.y);
  xt::Advance(500);
  EXPECT_EQ(Pos(u), 5);
  POINT on = Screen(u, 10, 5);
  xt::MouseMove(on.x, on.y);
  xt::Advance(100);
  EXPECT_EQ(Pos(u), 6);
  Release(u, 10, 5);
  xt::Advance(1000);
  EXPECT_EQ(Pos(u), 6);
  EXPECT_EQ(Positions(), (std::vector<WORD> { 1, 2, 3, 4, 5, 6 }));
  ASSERT_FALSE(Reports().empty());
  EXPECT_EQ(Reports().back().code, SB_ENDSCROLL);
  EXPECT_EQ(Reports().back().msg, (UINT)WM_VSCROLL);
  ASSERT_EQ(Asks().size(), 6u);
  EXPECT_EQ(Asks()[0].iPos, 0);
  EXPECT_EQ(Asks()[0].iDelta, 1);
  EXPECT_EQ(Asks()[0].hdr.hwndFrom, u);

  // The down arrow, and clicks that stop at the lower limit.
  for (int i = 0; i < 8; ++i) ClickAt(u, 10, 35);
  EXPECT_EQ(Pos(u), 0);
}

TEST_F(UpDownTest, TheParentMayRefuseOrChangeAStep) {
  HWND u = MakeUpDown();
  SendMessageA(u, UDM_SETRANGE32, 0, 100);
  Answer() = [](NMUPDOWN& nm) -> LRESULT { return nm.iPos >= 2; };
  for (int i = 0; i < 4; ++i) ClickAt(u, 10, 5);
  EXPECT_EQ(Pos(u), 2);
  EXPECT_EQ(Asks().size(), 4u);
  Answer() = [](NMUPDOWN& nm) -> LRESULT {
    nm.iDelta *= 10;
    return 0;
  };
  ClickAt(u, 10, 5);
  EXPECT_EQ(Pos(u), 12);
}

TEST_F(UpDownTest, RangesLimitsWrappingAndTheDefaultRangeThatCountsDown) {
  HWND u = MakeUpDown();
  // The class's own default: 100 at the bottom, 0 at the top, so "up" lowers the position.
  int lo = -1, hi = -1;
  SendMessageA(u, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(lo, 100);
  EXPECT_EQ(hi, 0);
  SendMessageA(u, UDM_SETPOS32, 0, 50);
  ClickAt(u, 10, 5);
  EXPECT_EQ(Pos(u), 49);
  EXPECT_EQ(Asks().back().iDelta, -1);

  SendMessageA(u, UDM_SETRANGE, 0, MAKELPARAM(3, -3));  // low word the upper limit
  EXPECT_EQ(Pos(u), 3);
  EXPECT_EQ(SendMessageA(u, UDM_GETRANGE, 0, 0), MAKELONG(3, (WORD)-3));
  ClickAt(u, 10, 5);
  EXPECT_EQ(Pos(u), 3);  // at the limit: nothing moves, nothing is reported
  EXPECT_TRUE(Positions().size() == 1);
  EXPECT_EQ(SendMessageA(u, UDM_SETPOS32, 0, -99), 3);
  EXPECT_EQ(Pos(u), -3);

  HWND w = Make(UPDOWN_CLASSA, UDS_WRAP, 330, 20, 20, 40, "", 8);
  SendMessageA(w, UDM_SETRANGE32, 0, 2);
  for (int i = 0; i < 3; ++i) ClickAt(w, 10, 5);
  EXPECT_EQ(Pos(w), 0);
  ClickAt(w, 10, 35);
  EXPECT_EQ(Pos(w), 2);
}

TEST_F(UpDownTest, TheBuddyShowsThePositionAndItsTextIsReadBack) {
  HWND edit = Make(WC_EDITA, 0, 20, 20, 100, 22, "", 9);
  HWND u = Make(UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 16, 10, "", 10);
  SendMessageA(u, UDM_SETRANGE32, 0, 1000);
  EXPECT_EQ(SendMessageA(u, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0), 0);
  // Beside the buddy's right edge, as tall as it; the buddy narrower by the arrows' width.
  RECT e {}, a {};
  GetWindowRect(edit, &e);
  GetWindowRect(u, &a);
  EXPECT_EQ(e.right - e.left, 84);
  EXPECT_EQ(a.left, e.right);
  EXPECT_EQ(a.bottom - a.top, 22);
  EXPECT_EQ(ctltest::TextOf(edit), "0");
  ClickAt(u, 8, 4);
  EXPECT_EQ(ctltest::TextOf(edit), "1");
  SetWindowTextA(edit, "417");
  EXPECT_EQ(SendMessageA(u, UDM_GETPOS, 0, 0), MAKELONG(417, 0));
  ClickAt(u, 8, 4);
  EXPECT_EQ(ctltest::TextOf(edit), "418");
  for (const char* bad : { "abc", "", "5000" }) {
    SetWindowTextA(edit, bad);
    BOOL failed = FALSE;
    EXPECT_EQ(SendMessageA(u, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)), 418) << bad;
    EXPECT_TRUE(failed) << bad;
  }
  SendMessageA(u, UDM_SETBASE, 16, 0);
  SendMessageA(u, UDM_SETPOS32, 0, 255);
  EXPECT_EQ(ctltest::TextOf(edit), "0x00FF");
}

TEST_F(UpDownTest, HorizontalArrowsAndAccelerationOnALongPress) {
  HWND u = MakeUpDown(UDS_HORZ, 40, 20);
  SendMessageA(u, UDM_SETRANGE32, 0, 10000);
  ClickAt(u, 30, 10);  // the right half steps up
  EXPECT_EQ(Pos(u), 1);
  ClickAt(u, 5, 10);
  EXPECT_EQ(Pos(u), 0);
  EXPECT_EQ(Reports().front().msg, (UINT)WM_HSCROLL);

  UDACCEL accel[] = { { 0, 1 }, { 1, 10 } };
  EXPECT_TRUE(SendMessageA(u, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(accel)));
  Press(u, 30, 10);
  xt::Advance(900);  // 1 + 5 steps of one
  EXPECT_EQ(Pos(u), 6);
  xt::Advance(200);  // past a second: ten a step
  EXPECT_EQ(Pos(u), 26);
  Release(u, 30, 10);
  UDACCEL back[4] {};
  EXPECT_EQ(SendMessageA(u, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(back)), 2);
  EXPECT_EQ(back[1].nInc, 10u);
  EXPECT_FALSE(SendMessageA(u, UDM_SETACCEL, 0, reinterpret_cast<LPARAM>(accel)));
}

}  // namespace
