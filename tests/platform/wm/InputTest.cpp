// Mouse routing, activation, focus and the keyboard, driven through injected input.

#include <functional>

#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class InputTest : public WmTest {};

// A top-level window at 100,100 (300×200, 1-px border) with two children: `left` at client 10,10
// (100×100) and `right` at client 150,10 (100×100). Screen position of a client point (x, y) of the
// top window is (101 + x, 101 + y).
struct Scene {
  HWND top, left, right;
};

Scene MakeScene(WmTest* t, DWORD topEx = 0) {
  (void)topEx;
  Scene s;
  s.top = CreateWindowExA(topEx, "TestWnd", "top", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                          nullptr, nullptr, nullptr);
  s.left =
      CreateWindowExA(0, "TestWnd", "left", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, s.top, (HMENU)1, nullptr, nullptr);
  s.right = CreateWindowExA(0, "PlainWnd", "right", WS_CHILD | WS_VISIBLE, 150, 10, 100, 100, s.top, (HMENU)2, nullptr,
                            nullptr);
  (void)t;
  PumpUntilIdle();
  return s;
}

TEST_F(InputTest, ClientMessagesGoToTheDeepestWindowInClientCoordinates) {
  Scene s = MakeScene(this);
  MessageTrace trace(nullptr, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP });
  Click(101 + 20, 101 + 30);
  ASSERT_EQ(trace.Messages().size(), 3u);
  for (const MSG& m : trace.Messages()) {
    EXPECT_EQ(m.hwnd, s.left);
    EXPECT_EQ(GET_X_LPARAM(m.lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), 20);
  }
  EXPECT_EQ(trace.Messages()[1].wParam & MK_LBUTTON, (WPARAM)MK_LBUTTON);
  EXPECT_EQ(trace.Messages()[2].wParam & MK_LBUTTON, 0u);
  EXPECT_EQ(WindowFromPoint(POINT { 101 + 160, 101 + 20 }), s.right);
  EXPECT_EQ(WindowFromPoint(POINT { 101 + 130, 101 + 20 }), s.top);
  EXPECT_EQ(WindowFromPoint(POINT { 5, 5 }), nullptr);
}

// Points are worked out from the tree as it stands after every move, resize, frame change and change of
// parent, including one made by a handler while the pointer's move is being routed.
TEST_F(InputTest, PointsFollowTheTreeThroughMovesFramesAndNewParents) {
  Scene s = MakeScene(this);
  HWND inner = Child(s.left, 5, 5, 20, 20);
  auto screenOfInner = [&] {
    POINT p { 0, 0 };
    ClientToScreen(inner, &p);
    return std::pair<int, int> { p.x, p.y };
  };
  auto moveLands = [&](int x, int y) {
    MessageTrace trace(inner, { WM_MOUSEMOVE });
    MouseMove(x, y);
    const bool one = trace.Messages().size() == 1;
    return one ? std::pair<int, int> { GET_X_LPARAM(trace.Messages()[0].lParam),
                                       GET_Y_LPARAM(trace.Messages()[0].lParam) }
               : std::pair<int, int> { -1, -1 };
  };
  EXPECT_EQ(screenOfInner(), (std::pair<int, int> { 116, 116 }));
  EXPECT_EQ(moveLands(118, 119), (std::pair<int, int> { 2, 3 }));
  SetWindowPos(s.top, nullptr, 200, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(screenOfInner(), (std::pair<int, int> { 216, 116 }));
  EXPECT_EQ(moveLands(218, 119), (std::pair<int, int> { 2, 3 }));
  // A bordered `left` has its client area one pixel in.
  SetWindowLongA(s.left, GWL_STYLE, GetWindowLongA(s.left, GWL_STYLE) | WS_BORDER);
  SetWindowPos(s.left, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(screenOfInner(), (std::pair<int, int> { 217, 117 }));
  // The hit test's handler moves `left` two pixels right: the move is in client coordinates of where
  // `inner` is once the handlers have run.
  On(inner, WM_NCHITTEST, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    Handlers().erase({ inner, WM_NCHITTEST });
    SetWindowPos(s.left, nullptr, 12, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return HTCLIENT;
  });
  EXPECT_EQ(moveLands(220, 121), (std::pair<int, int> { 1, 4 }));
  EXPECT_EQ(screenOfInner(), (std::pair<int, int> { 219, 117 }));
  SetParent(inner, s.right);
  EXPECT_EQ(screenOfInner(), (std::pair<int, int> { 201 + 155, 101 + 15 }));
  EXPECT_EQ(moveLands(201 + 157, 101 + 18), (std::pair<int, int> { 2, 3 }));
}

// A move routed to a window, then a change that moves nothing (or none at all), then a move a few pixels
// on: the second move goes where the tree as it now stands puts it. `inner` spans screen 116-135 inside
// `left`; `cover` lies above it at left's client 20,5 (screen 131-150, 116-135).
TEST_F(InputTest, MovesFollowStylesRegionsAndOrderBetweenMoves) {
  struct Case {
    const char* what;
    int x;  // the second move's screen point, y is 119
    std::function<void(HWND inner, HWND cover)> change;
    enum { Inner, Left, Cover } lands;
  };
  const std::vector<Case> cases {
    { "nothing", 120, [](HWND, HWND) {}, Case::Inner },
    { "onto the window above, beside", 133, [](HWND, HWND) {}, Case::Cover },
    { "hidden", 120, [](HWND inner, HWND) { ShowWindow(inner, SW_HIDE); }, Case::Left },
    { "disabled", 120, [](HWND inner, HWND) { EnableWindow(inner, FALSE); }, Case::Left },
    { "style without visible", 120,
      [](HWND inner, HWND) { SetWindowLongA(inner, GWL_STYLE, GetWindowLongA(inner, GWL_STYLE) & ~WS_VISIBLE); },
      Case::Left },
    { "region away from the point", 120,
      [](HWND inner, HWND) { SetWindowRgn(inner, CreateRectRgn(10, 10, 20, 20), FALSE); }, Case::Left },
    { "cover widened over the point", 120,
      [](HWND, HWND cover) { SetWindowPos(cover, nullptr, 0, 5, 40, 20, SWP_NOZORDER | SWP_NOACTIVATE); },
      Case::Cover },
    { "cover hidden, then inner below it", 133,
      [](HWND inner, HWND cover) {
        ShowWindow(cover, SW_HIDE);
        SetWindowPos(inner, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      },
      Case::Inner },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene s = MakeScene(this);
    HWND inner = Child(s.left, 5, 5, 20, 20);
    HWND cover = Child(s.left, 20, 5, 20, 20);
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpUntilIdle();
    MessageTrace first(nullptr, { WM_MOUSEMOVE });
    MouseMove(118, 119);
    ASSERT_EQ(first.Messages().size(), 1u);
    ASSERT_EQ(first.Messages()[0].hwnd, inner);
    c.change(inner, cover);
    PumpUntilIdle();
    MessageTrace second(nullptr, { WM_MOUSEMOVE });
    MouseMove(c.x, 119);
    const HWND want = c.lands == Case::Inner ? inner : c.lands == Case::Left ? s.left : cover;
    ASSERT_EQ(second.Messages().size(), 1u);
    EXPECT_EQ(second.Messages()[0].hwnd, want);
    DestroyWindow(s.top);
  }
}

TEST_F(InputTest, HitTestCodeDecidesClientOrNonClientMessages) {
  Scene s = MakeScene(this);
  On(s.left, WM_NCHITTEST, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 119; });  // a private code
  MessageTrace trace(s.left, { WM_NCHITTEST, WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_LBUTTONDOWN });
  Click(101 + 20, 101 + 30);
  std::vector<UINT> want { WM_NCHITTEST, WM_NCMOUSEMOVE, WM_NCHITTEST, WM_NCLBUTTONDOWN, WM_NCHITTEST, WM_NCLBUTTONUP };
  EXPECT_EQ(trace.Ids(), want);
  const MSG& down = trace.Messages()[3];
  EXPECT_EQ(down.wParam, 119u);
  EXPECT_EQ(GET_X_LPARAM(down.lParam), 121);  // non-client messages carry the screen point
  EXPECT_EQ(GET_Y_LPARAM(down.lParam), 131);
  EXPECT_EQ(trace.Messages()[0].lParam, MAKELPARAM(121, 131));
}

TEST_F(InputTest, NegativeScreenPointsArePackedAsSignedWords) {
  HWND w = Top(-50, -40, 100, 100);
  MessageTrace trace(w, { WM_NCHITTEST, WM_MOUSEMOVE });
  MouseMove(-10, -5);
  ASSERT_GE(trace.Messages().size(), 2u);
  EXPECT_EQ(GET_X_LPARAM(trace.Messages()[0].lParam), -10);
  EXPECT_EQ(GET_Y_LPARAM(trace.Messages()[0].lParam), -5);
  EXPECT_EQ(GET_X_LPARAM(trace.Messages()[1].lParam), 39);
}

TEST_F(InputTest, TransparentHitPassesToTheWindowBelow) {
  Scene s = MakeScene(this);
  // An overlapping sibling above `left` that lets the mouse through.
  HWND glass = Child(s.top, 0, 0, 300, 200);
  On(glass, WM_NCHITTEST, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return HTTRANSPARENT; });
  MessageTrace trace(nullptr, { WM_LBUTTONDOWN });
  Click(101 + 20, 101 + 30);
  ASSERT_EQ(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
  // Over no sibling, the parent gets it.
  trace.Clear();
  Click(101 + 130, 101 + 150);
  ASSERT_EQ(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.top);
  // A WS_EX_TRANSPARENT window is not looked through by hit testing.
  HWND ex = Child(s.top, 0, 0, 300, 200, WS_CHILD | WS_VISIBLE, WS_EX_TRANSPARENT);
  trace.Clear();
  Click(101 + 20, 101 + 30);
  ASSERT_EQ(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages()[0].hwnd, ex);
}

TEST_F(InputTest, DisabledWindowsGetNoInput) {
  Scene s = MakeScene(this);
  EnableWindow(s.left, FALSE);
  MessageTrace trace(nullptr, { WM_LBUTTONDOWN });
  Click(101 + 20, 101 + 30);
  ASSERT_EQ(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.top);  // the parent takes the point
  EnableWindow(s.top, FALSE);
  trace.Clear();
  Click(101 + 20, 101 + 30);
  EXPECT_TRUE(trace.Messages().empty());  // a disabled top-level window drops the click
  EXPECT_EQ(WindowFromPoint(POINT { 121, 131 }), nullptr);
}

TEST_F(InputTest, CaptureGetsEverythingAsClientMessages) {
  Scene s = MakeScene(this);
  SetCapture(s.left);
  MessageTrace trace(nullptr, { WM_NCHITTEST, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE });
  Click(101 + 160, 101 + 20);   // over `right`
  MouseMove(2, 3);              // over nothing at all
  MouseMove(101 + 1, 101 - 1);  // over the top window's border
  for (const MSG& m : trace.Messages()) {
    EXPECT_EQ(m.hwnd, s.left);
    EXPECT_NE(m.message, (UINT)WM_NCHITTEST);
  }
  ASSERT_EQ(trace.Messages().size(), 5u);
  EXPECT_EQ(GET_X_LPARAM(trace.Messages()[0].lParam), 150);
  EXPECT_EQ(GET_X_LPARAM(trace.Messages()[3].lParam), 2 - 111);
  MessageTrace lost(s.left, { WM_CAPTURECHANGED });
  SetCapture(s.right);
  ASSERT_EQ(lost.Messages().size(), 1u);
  EXPECT_EQ((HWND)lost.Messages()[0].lParam, s.right);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, CaptureReleasedWhenItsWindowDies) {
  Scene s = MakeScene(this);
  SetCapture(s.left);
  MessageTrace lost(s.left, { WM_CAPTURECHANGED });
  DestroyWindow(s.left);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(lost.Count(WM_CAPTURECHANGED), 1);
}

TEST_F(InputTest, ParentNotifyForButtonDownsUnlessRefused) {
  Scene s = MakeScene(this);
  HWND inner = Child(s.left, 5, 5, 20, 20);
  MessageTrace trace(nullptr, { WM_PARENTNOTIFY });
  Click(101 + 10 + 5 + 1, 101 + 10 + 5 + 1, mbRight);
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
  EXPECT_EQ(trace.Messages()[0].wParam, (WPARAM)WM_RBUTTONDOWN);
  EXPECT_EQ(trace.Messages()[0].lParam, MAKELPARAM(6, 6));
  EXPECT_EQ(trace.Messages()[1].hwnd, s.top);
  EXPECT_EQ(trace.Messages()[1].lParam, MAKELPARAM(16, 16));
  SetWindowLongPtrA(inner, GWL_EXSTYLE, WS_EX_NOPARENTNOTIFY);
  trace.Clear();
  Click(101 + 16, 101 + 16);
  EXPECT_TRUE(trace.Messages().empty());
}

TEST_F(InputTest, DoubleClicksOnlyForClassesThatAskAndAlwaysInTheFrame) {
  Scene s = MakeScene(this);
  MessageTrace trace(nullptr, { WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_NCLBUTTONDBLCLK });
  DoubleClick(101 + 20, 101 + 20);   // `left`: CS_DBLCLKS
  DoubleClick(101 + 160, 101 + 20);  // `right`: no CS_DBLCLKS
  DoubleClick(100, 150);             // the top window's border
  std::vector<std::pair<HWND, UINT>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.hwnd, m.message });
  std::vector<std::pair<HWND, UINT>> want { { s.left, WM_LBUTTONDOWN },
                                            { s.left, WM_LBUTTONDBLCLK },
                                            { s.right, WM_LBUTTONDOWN },
                                            { s.right, WM_LBUTTONDOWN },
                                            { s.top, WM_NCLBUTTONDBLCLK } };
  EXPECT_EQ(seen, want);
}

TEST_F(InputTest, DoubleClickNeedsTimeDistanceAndSameWindow) {
  Scene s = MakeScene(this);
  MessageTrace trace(s.left, { WM_LBUTTONDBLCLK });
  Click(121, 121);
  Advance(501);
  Click(121, 121);  // too late
  Click(125, 121);  // too far from the previous press
  Click(125, 121);  // a pair
  Click(125, 121);  // a third press starts again
  EXPECT_EQ(trace.Count(WM_LBUTTONDBLCLK), 1);
}

// The double-click limits are inclusive: 500 ms, 2 pixels either way.
TEST_F(InputTest, ASecondPressExactlyAtTheDoubleClickLimitsStillCounts) {
  Scene s = MakeScene(this);
  const struct {
    int delay, dx, dy;
    bool pair;
  } cases[] = { { 500, 0, 0, true }, { 501, 0, 0, false }, { 0, 2, 0, true }, { 0, 3, 0, false },
                { 0, 0, -2, true },  { 0, 0, 3, false },   { 0, -2, 2, true } };
  for (const auto& c : cases) {
    MessageTrace trace(s.left, { WM_LBUTTONDBLCLK });
    Advance(1000);
    Click(121, 121);
    Advance(c.delay);
    Click(121 + c.dx, 121 + c.dy);
    EXPECT_EQ(trace.Count(WM_LBUTTONDBLCLK), c.pair ? 1 : 0) << c.delay << " ms, " << c.dx << ", " << c.dy;
  }
}

TEST_F(InputTest, LeaveIsSentBeforeTheMoveReachesTheNextWindow) {
  Scene s = MakeScene(this);
  MessageTrace trace(nullptr, { WM_MOUSEMOVE, WM_MOUSELEAVE, WM_NCMOUSELEAVE, WM_NCMOUSEMOVE });
  MouseMove(121, 121);  // left
  MouseMove(261, 121);  // right
  MouseMove(100, 150);  // the top window's frame
  MouseMove(5, 5);      // outside every window
  std::vector<std::pair<HWND, UINT>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.hwnd, m.message });
  std::vector<std::pair<HWND, UINT>> want { { s.left, WM_MOUSEMOVE },  { s.left, WM_MOUSELEAVE },
                                            { s.right, WM_MOUSEMOVE }, { s.right, WM_MOUSELEAVE },
                                            { s.top, WM_NCMOUSEMOVE }, { s.top, WM_NCMOUSELEAVE } };
  EXPECT_EQ(seen, want);
}

TEST_F(InputTest, NoLeaveWhileCaptured) {
  Scene s = MakeScene(this);
  MouseMove(121, 121);
  SetCapture(s.left);
  MessageTrace trace(nullptr, { WM_MOUSELEAVE });
  MouseMove(261, 121);
  EXPECT_EQ(trace.Count(WM_MOUSELEAVE), 0);
  ReleaseCapture();
  MouseMove(262, 121);
  ASSERT_EQ(trace.Count(WM_MOUSELEAVE), 1);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
}

TEST_F(InputTest, AWindowMadeUnderThePointerAsksToHearItsLeave) {
  Scene s = MakeScene(this);
  MouseMove(121, 121);  // over left
  DestroyWindow(s.left);
  HWND again = CreateWindowExA(0, "TestWnd", "again", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, s.top, (HMENU)1, nullptr,
                               nullptr);
  PumpUntilIdle();
  MessageTrace trace(nullptr, { WM_MOUSELEAVE, WM_NCMOUSELEAVE });
  TRACKMOUSEEVENT t { sizeof(TRACKMOUSEEVENT), TME_LEAVE, again, 0 };
  ASSERT_TRUE(TrackMouseEvent(&t));
  PumpUntilIdle();
  EXPECT_EQ(trace.Count(WM_MOUSELEAVE), 0) << "the pointer is over it: the leave waits";
  MouseMove(5, 5);
  ASSERT_EQ(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages()[0].hwnd, again);
  EXPECT_EQ(trace.Messages()[0].message, (UINT)WM_MOUSELEAVE);
  // Asked for the frame while the pointer is elsewhere: the leave comes at once, posted.
  t.dwFlags = TME_LEAVE | TME_NONCLIENT;
  ASSERT_TRUE(TrackMouseEvent(&t));
  PumpUntilIdle();
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[1].message, (UINT)WM_NCMOUSELEAVE);
  // Bad requests change nothing.
  t.dwFlags = 0x1;  // hover: not offered
  SetLastError(0);
  EXPECT_FALSE(TrackMouseEvent(&t));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  t.dwFlags = TME_LEAVE;
  t.cbSize = 4;
  EXPECT_FALSE(TrackMouseEvent(&t));
  EXPECT_FALSE(TrackMouseEvent(nullptr));
  t.cbSize = sizeof(TRACKMOUSEEVENT);
  t.hwndTrack = s.left;  // destroyed
  SetLastError(0);
  EXPECT_FALSE(TrackMouseEvent(&t));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  PumpUntilIdle();
  EXPECT_EQ(trace.Messages().size(), 2u);
}

// ---- Activation and focus ---------------------------------------------------------------------------

TEST_F(InputTest, ClickOnInactiveWindowActivatesAfterMouseActivate) {
  HWND a = Top(0, 0, 100, 100);
  HWND b = Top(200, 0, 100, 100);
  SetActiveWindow(a);
  PumpUntilIdle();
  MessageTrace trace(nullptr, { WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_SETFOCUS, WM_KILLFOCUS,
                                WM_LBUTTONDOWN });
  Click(250, 50);
  std::vector<std::pair<HWND, UINT>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.hwnd, m.message });
  std::vector<std::pair<HWND, UINT>> want { { b, WM_MOUSEACTIVATE }, { a, WM_NCACTIVATE }, { a, WM_ACTIVATE },
                                            { a, WM_KILLFOCUS },     { b, WM_NCACTIVATE }, { b, WM_ACTIVATE },
                                            { b, WM_SETFOCUS },      { b, WM_LBUTTONDOWN } };
  EXPECT_EQ(seen, want);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
  const MSG& act = trace.Messages()[5];
  EXPECT_EQ(LOWORD(act.wParam), WA_CLICKACTIVE);
  EXPECT_EQ((HWND)act.lParam, a);
  EXPECT_EQ((HWND)trace.Messages()[2].lParam, b);
  EXPECT_EQ(GetTopWindow(nullptr), b);
}

TEST_F(InputTest, NoActivateAnswerDeliversTheClickOnly) {
  HWND form = Top(0, 0, 100, 100);
  HWND popup = Top(200, 0, 100, 100, WS_POPUP);
  SetWindowPos(popup, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetActiveWindow(form);
  PumpUntilIdle();
  On(popup, WM_MOUSEACTIVATE, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return MA_NOACTIVATE; });
  MessageTrace formTrace(form);
  MessageTrace clicks(popup, { WM_LBUTTONDOWN, WM_LBUTTONUP });
  Click(250, 50);
  EXPECT_EQ(clicks.Ids(), (std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONUP }));
  EXPECT_TRUE(formTrace.Messages().empty());
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), form);
}

TEST_F(InputTest, ActivateAndEatSwallowsTheClick) {
  HWND a = Top(0, 0, 100, 100);
  HWND b = Top(200, 0, 100, 100);
  SetActiveWindow(a);
  On(b, WM_MOUSEACTIVATE, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return MA_ACTIVATEANDEAT; });
  MessageTrace clicks(b, { WM_LBUTTONDOWN });
  Click(250, 50);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(clicks.Count(WM_LBUTTONDOWN), 0);
  Click(250, 50);  // already active: no question asked, the click arrives
  EXPECT_EQ(clicks.Count(WM_LBUTTONDOWN), 1);
}

TEST_F(InputTest, ChildAsksItsParentOnMouseActivate) {
  Scene s = MakeScene(this);
  HWND other = Top(600, 0, 50, 50);
  SetActiveWindow(other);
  std::vector<HWND> asked;
  On(s.top, WM_MOUSEACTIVATE, [&](HWND h, UINT, WPARAM top, LPARAM) -> LRESULT {
    asked.push_back(h);
    EXPECT_EQ((HWND)top, s.top);
    return MA_NOACTIVATE;
  });
  Click(121, 121);
  EXPECT_EQ(asked, (std::vector<HWND> { s.top }));
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(InputTest, FocusMessagesCarryTheOtherWindow) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MessageTrace trace(nullptr, { WM_KILLFOCUS, WM_SETFOCUS });
  EXPECT_EQ(SetFocus(s.right), s.left);
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
  EXPECT_EQ((HWND)trace.Messages()[0].wParam, s.right);
  EXPECT_EQ(trace.Messages()[1].hwnd, s.right);
  EXPECT_EQ((HWND)trace.Messages()[1].wParam, s.left);
  // Hiding the focused child hands the focus to its parent; destroying it leaves none.
  ShowWindow(s.right, SW_HIDE);
  EXPECT_EQ(GetFocus(), s.top);
  SetFocus(s.left);
  DestroyWindow(s.left);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, DestroyingTheActiveWindowActivatesItsOwner) {
  HWND owner = Top(0, 0, 100, 100);
  SetActiveWindow(owner);
  HWND dlg = CreateWindowExA(0, "TestWnd", "", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, owner, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), dlg);
  DestroyWindow(dlg);
  EXPECT_EQ(GetActiveWindow(), owner);
  MessageTrace app(owner, { WM_ACTIVATEAPP });
  DestroyWindow(owner);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

// ---- Keyboard -----------------------------------------------------------------------------------------

TEST_F(InputTest, KeysGoToTheFocusAndTranslateToCharacters) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MessageTrace trace(s.left, { WM_KEYDOWN, WM_KEYUP, WM_CHAR });
  TypeText("aB");
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.message, m.wParam });
  std::vector<std::pair<UINT, WPARAM>> want { { WM_KEYDOWN, 'A' },      { WM_CHAR, 'a' },      { WM_KEYUP, 'A' },
                                              { WM_KEYDOWN, VK_SHIFT }, { WM_KEYDOWN, 'B' },   { WM_CHAR, 'B' },
                                              { WM_KEYUP, 'B' },        { WM_KEYUP, VK_SHIFT } };
  EXPECT_EQ(seen, want);
}

TEST_F(InputTest, DoubleByteTextArrivesAsLeadThenTrailByte) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MessageTrace chars(s.left, { WM_CHAR });
  const std::string text = "中a文";
  ASSERT_EQ(text.size(), 5u);  // GBK: two bytes each
  TypeText(text);
  std::string got;
  for (const MSG& m : chars.Messages()) got += (char)m.wParam;
  EXPECT_EQ(got, text);
  chars.Clear();
  ImeCommit("汉字");
  got.clear();
  for (const MSG& m : chars.Messages()) got += (char)m.wParam;
  EXPECT_EQ(got, "汉字");
}

TEST_F(InputTest, AltCombinationsAreSystemKeys) {
  HWND w = Top(0, 0, 100, 100);
  SetFocus(w);
  MessageTrace trace(w, { WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSCOMMAND, WM_KEYUP });
  KeyPress('X', ssAlt);
  ASSERT_GE(trace.Messages().size(), 4u);
  const MSG& down = trace.Messages()[1];  // after Alt's own WM_SYSKEYDOWN
  EXPECT_EQ(down.message, (UINT)WM_SYSKEYDOWN);
  EXPECT_EQ(down.wParam, (WPARAM)'X');
  EXPECT_TRUE(down.lParam & (1 << 29));
  EXPECT_EQ(trace.Count(WM_SYSCHAR), 1);
  // Alt+X asks the menu for mnemonic 'x', never the bare Alt command.
  std::vector<LPARAM> commands;
  for (const MSG& m : trace.Messages())
    if (m.message == WM_SYSCOMMAND) commands.push_back(m.lParam);
  EXPECT_EQ(commands, (std::vector<LPARAM> { 'x' }));
  EXPECT_EQ(GetKeyState(VK_MENU), 0);
}

TEST_F(InputTest, AltAloneAndF10SendKeyMenuToTheTopLevelWindow) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MessageTrace trace(s.top, { WM_SYSCOMMAND });
  KeyPress(VK_MENU);
  KeyPress(VK_F10);
  ASSERT_EQ(trace.Messages().size(), 2u);
  for (const MSG& m : trace.Messages()) {
    EXPECT_EQ(m.wParam & 0xFFF0, (WPARAM)SC_KEYMENU);
    EXPECT_EQ(m.lParam, 0);
  }
}

TEST_F(InputTest, KeyStateFollowsRetrievedMessages) {
  HWND w = Top(0, 0, 100, 100);
  SetFocus(w);
  KeyDown(VK_SHIFT, ssNone, false);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);  // not yet retrieved
  PumpUntilIdle();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  KeyUp(VK_SHIFT);
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(InputTest, RightClickAndMenuKeyAskForAContextMenu) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MessageTrace trace(nullptr, { WM_CONTEXTMENU });
  Click(121, 131, mbRight);
  ASSERT_EQ(trace.Messages().size(), 2u);  // the child, then its parent through the default
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
  EXPECT_EQ((HWND)trace.Messages()[0].wParam, s.left);
  EXPECT_EQ(trace.Messages()[0].lParam, MAKELPARAM(121, 131));
  EXPECT_EQ(trace.Messages()[1].hwnd, s.top);
  trace.Clear();
  KeyPress(VK_APPS);
  KeyPress(VK_F10, ssShift);
  ASSERT_EQ(trace.Messages().size(), 4u);
  EXPECT_EQ(trace.Messages()[0].lParam, MAKELPARAM(-1, -1));
}

TEST_F(InputTest, WheelGoesToTheFocusAndUpToItsParent) {
  Scene s = MakeScene(this);
  SetFocus(s.left);
  MouseMove(261, 121);
  MessageTrace trace(nullptr, { WM_MOUSEWHEEL });
  Wheel(-WHEEL_DELTA);
  ASSERT_EQ(trace.Messages().size(), 2u);  // the child's default passes it on
  EXPECT_EQ(trace.Messages()[0].hwnd, s.left);
  EXPECT_EQ(trace.Messages()[1].hwnd, s.top);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(trace.Messages()[0].wParam), -120);
  EXPECT_LT((int32_t)trace.Messages()[0].wParam, 0);
  EXPECT_EQ(trace.Messages()[0].lParam, MAKELPARAM(261, 121));
}

}  // namespace

// A move is hit-tested at the deepest window, whose WM_SETCURSOR climbs to each parent in turn while
// they leave the cursor to their child, and only then is the move delivered. A parent that sets the
// cursor itself ends the climb there.
TEST_F(InputTest, SetCursorClimbsThroughTheParentsBeforeTheMove) {
  HWND top = Top(100, 100, 300, 200);
  HWND mid = Child(top, 10, 10, 200, 150);
  HWND leaf = Child(mid, 10, 10, 100, 100);
  PumpUntilIdle();
  MessageTrace trace(nullptr, { WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE });
  using Step = std::pair<HWND, UINT>;
  auto steps = [&] {
    std::vector<Step> s;
    for (const MSG& m : trace.Messages()) {
      s.push_back({ m.hwnd, m.message });
      if (m.message == WM_SETCURSOR) {
        EXPECT_EQ((HWND)m.wParam, leaf);
        EXPECT_EQ(LOWORD(m.lParam), HTCLIENT);
        EXPECT_EQ(HIWORD(m.lParam), WM_MOUSEMOVE);
      }
    }
    trace.Clear();
    return s;
  };
  MouseMove(101 + 25, 101 + 25);
  EXPECT_EQ(steps(), (std::vector<Step> { { leaf, WM_NCHITTEST },
                                          { leaf, WM_SETCURSOR },
                                          { mid, WM_SETCURSOR },
                                          { top, WM_SETCURSOR },
                                          { leaf, WM_MOUSEMOVE } }));
  On(mid, WM_SETCURSOR, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return TRUE; });
  MouseMove(101 + 26, 101 + 25);
  EXPECT_EQ(steps(),
            (std::vector<Step> {
                { leaf, WM_NCHITTEST }, { leaf, WM_SETCURSOR }, { mid, WM_SETCURSOR }, { leaf, WM_MOUSEMOVE } }));
}

// Input for another window waits while a loop asks only for one window's messages, looked at without
// being taken it stays, and it comes out later with its own time and point.
TEST_F(InputTest, InputForAnotherWindowWaitsForItsTurn) {
  HWND a = Top(100, 100, 100, 100);
  HWND b = Top(300, 100, 100, 100);
  PumpUntilIdle();
  Advance(40);
  const DWORD when = (DWORD)Now();
  MouseMove(350, 150, false);
  Jump(25);  // later, without pumping
  MSG m {};
  EXPECT_FALSE(PeekMessageA(&m, a, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  for (UINT remove : { PM_NOREMOVE, PM_NOREMOVE, PM_REMOVE }) {
    m = MSG {};
    ASSERT_TRUE(PeekMessageA(&m, b, WM_MOUSEMOVE, WM_MOUSEMOVE, remove));
    EXPECT_EQ(m.hwnd, b);
    EXPECT_EQ(m.time, when);
    EXPECT_EQ(m.pt.x, 350);
    EXPECT_EQ(GetMessageTime(), (LONG)when);
    EXPECT_EQ(GetMessagePos(), (DWORD)MAKELONG(350, 150));
  }
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  // Taken at once when nothing waits before it, looked at first.
  MouseMove(360, 160, false);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(m.pt.x, 360);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
}
