// The non-client area: WM_NCCALCSIZE, default and replaced WM_NCPAINT, hit testing, caption buttons,
// the move/size loop and scroll bars.

#include "platform/win32/WinGdi.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class NonClientTest : public WmTest {};

struct InsetCase {
  const char* name;
  DWORD style;
  DWORD ex;
  bool menu;
  RECT insets;  // left, top, right, bottom
};

class DefaultInsets : public WmTest, public ::testing::WithParamInterface<InsetCase> {};

TEST_P(DefaultInsets, ClientAreaFollowsTheStyle) {
  const InsetCase& c = GetParam();
  HMENU m = nullptr;
  if (c.menu) {
    m = CreateMenu();
    AppendMenuA(m, MF_STRING, 1, "&File");
  }
  HWND w = CreateWindowExA(c.ex, "TestWnd", "", c.style, 100, 100, 300, 200, nullptr, m, nullptr, nullptr);
  WindowInfo i = Info(w);
  EXPECT_EQ(i.client.left - i.window.left, c.insets.left);
  EXPECT_EQ(i.client.top - i.window.top, c.insets.top);
  EXPECT_EQ(i.window.right - i.client.right, c.insets.right);
  EXPECT_EQ(i.window.bottom - i.client.bottom, c.insets.bottom);
  RECT adj { 0, 0, 100, 50 };
  AdjustWindowRectEx(&adj, c.style, c.menu, c.ex);
  EXPECT_EQ(-adj.left, c.insets.left);
  EXPECT_EQ(-adj.top, c.insets.top);
  EXPECT_EQ(adj.right - 100, c.insets.right);
  EXPECT_EQ(adj.bottom - 50, c.insets.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, DefaultInsets,
    ::testing::Values(InsetCase { "popup", WS_POPUP, 0, false, { 0, 0, 0, 0 } },
                      InsetCase { "border", WS_POPUP | WS_BORDER, 0, false, { 1, 1, 1, 1 } },
                      InsetCase { "dialog", WS_POPUP | WS_CAPTION, 0, false, { 3, 22, 3, 3 } },
                      InsetCase { "sizeable", WS_OVERLAPPEDWINDOW, 0, false, { 4, 23, 4, 4 } },
                      InsetCase { "withMenu", WS_OVERLAPPEDWINDOW, 0, true, { 4, 42, 4, 4 } },
                      InsetCase { "tool", WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, false, { 3, 18, 3, 3 } },
                      InsetCase { "clientEdge", WS_POPUP, WS_EX_CLIENTEDGE, false, { 2, 2, 2, 2 } }),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(NonClientTest, ReplacedCalcSizeDecidesTheClientArea) {
  // A window procedure that keeps a 10-px frame of its own, as a skinned form does.
  WNDCLASSA wc {};
  wc.lpfnWndProc = +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_NCCALCSIZE) {
      RECT* r = (RECT*)l;
      r->left += 10;
      r->top += 10;
      r->right -= 10;
      r->bottom -= 10;
      return 0;
    }
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "Skinned";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "Skinned", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
  RECT c;
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 180);
  EXPECT_EQ(c.bottom, 80);
  MessageTrace trace(w, { WM_NCCALCSIZE });
  SetWindowPos(w, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(trace.Count(WM_NCCALCSIZE), 0);  // a move keeps the frame
  SetWindowPos(w, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  ASSERT_EQ(trace.Count(WM_NCCALCSIZE), 2);
  EXPECT_EQ(trace.Messages()[0].wParam, (WPARAM)TRUE);
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 280);
  POINT p { 0, 0 };
  ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 70);
  EXPECT_EQ(p.y, 70);
}

TEST_F(NonClientTest, ReplacedNcPaintOwnsTheFrame) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = TestProc;
  wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_WINDOW + 1);
  wc.lpszClassName = "BrushWnd";
  RegisterClassA(&wc);
  HWND w = Top(50, 50, 200, 100, WS_OVERLAPPEDWINDOW, 0, "BrushWnd");
  const COLORREF kSkin = RGB(200, 10, 10);
  int ncPaints = 0;
  On(w, WM_NCPAINT, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    ++ncPaints;
    HDC dc = GetWindowDC(h);
    RECT r { 0, 0, 200, 100 };
    HBRUSH b = CreateSolidBrush(kSkin);
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(h, dc);
    return 0;
  });
  ShowWindow(w, SW_SHOW);
  PumpUntilIdle();
  EXPECT_GE(ncPaints, 1);
  EXPECT_EQ(ReadPixel(w, 0, 0, true), kSkin);
  EXPECT_EQ(ReadPixel(w, 100, 10, true), kSkin);  // where the caption would be
  EXPECT_EQ(ReadPixel(w, 199, 99, true), kSkin);
  // The window DC covers the client area too, but the erase that follows paints it with the class brush.
  EXPECT_EQ(ReadPixel(w, 5, 5), GetSysColor(COLOR_WINDOW));
  // Changing the text of a captioned window repaints the frame.
  ncPaints = 0;
  SetWindowTextA(w, "新标题");
  PumpUntilIdle();
  EXPECT_EQ(ncPaints, 1);
}

TEST_F(NonClientTest, DefaultFramePaintsCaptionInSystemColours) {
  HWND w = Top(50, 50, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetActiveWindow(w);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(w, 100, 8, true), GetSysColor(COLOR_ACTIVECAPTION));
  HWND other = Top(400, 50, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetActiveWindow(other);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(w, 100, 8, true), GetSysColor(COLOR_INACTIVECAPTION));
  // A caption-less window gets no caption colour when its text changes.
  HWND plain = Top(50, 300, 200, 100, WS_POPUP | WS_BORDER | WS_VISIBLE);
  PumpUntilIdle();
  COLORREF before = ReadPixel(plain, 100, 8, true);
  SetWindowTextA(plain, "x");
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(plain, 100, 8, true), before);
}

TEST_F(NonClientTest, CaptionTextIsDrawnAndLogged) {
  HWND w = Top(50, 50, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetWindowTextA(w, "巡检主界面");
  PumpUntilIdle();
  bool found = false;
  for (const TextRecord& t : TextOutLog())
    if (t.hwnd == w && t.text == "巡检主界面") {
      found = true;
      EXPECT_EQ(t.color, GetSysColor(COLOR_CAPTIONTEXT));
      EXPECT_LT(t.y, 23);  // inside the caption band
    }
  EXPECT_TRUE(found);
  // A window without a caption draws no caption text when its text changes.
  HWND plain = Top(300, 50, 100, 100, WS_POPUP | WS_BORDER | WS_VISIBLE);
  ClearTextLog();
  SetWindowTextA(plain, "无标题栏");
  PumpUntilIdle();
  for (const TextRecord& t : TextOutLog()) EXPECT_NE(t.text, "无标题栏");
}

struct HitCase {
  const char* name;
  int x, y;  // window coordinates
  int hit;
};

class DefaultHitTest : public WmTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(DefaultHitTest, CodesByPosition) {
  HMENU m = CreateMenu();
  AppendMenuA(m, MF_STRING, 1, "&File");
  HWND w = CreateWindowExA(0, "TestWnd", "", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                           m, nullptr, nullptr);
  SetScrollRange(w, SB_VERT, 0, 10, TRUE);
  const HitCase& c = GetParam();
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(100 + c.x, 100 + c.y)), c.hit);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, DefaultHitTest,
    ::testing::Values(HitCase { "caption", 100, 10, HTCAPTION }, HitCase { "close", 284, 10, HTCLOSE },
                      HitCase { "max", 266, 10, HTMAXBUTTON }, HitCase { "min", 250, 10, HTMINBUTTON },
                      HitCase { "sysmenu", 10, 10, HTSYSMENU }, HitCase { "left", 1, 100, HTLEFT },
                      HitCase { "right", 298, 100, HTRIGHT }, HitCase { "top", 150, 1, HTTOP },
                      HitCase { "bottom", 150, 198, HTBOTTOM }, HitCase { "topLeft", 1, 1, HTTOPLEFT },
                      HitCase { "bottomRight", 298, 198, HTBOTTOMRIGHT }, HitCase { "menu", 20, 30, HTMENU },
                      HitCase { "vscroll", 290, 100, HTVSCROLL }, HitCase { "client", 100, 100, HTCLIENT },
                      HitCase { "outside", 400, 100, HTNOWHERE }),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(NonClientTest, PrivateHitCodesPassThroughDefaultHandling) {
  HWND w = Top(100, 100, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  for (int code : { 119, 120, HTOBJECT }) {
    On(w, WM_NCHITTEST, [code](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return code; });
    MessageTrace trace(w, { WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_SYSCOMMAND, WM_ENTERSIZEMOVE });
    Click(150, 150);
    Advance(1000);  // the next press is not a double click
    EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_NCLBUTTONDOWN, WM_NCLBUTTONUP }));
    EXPECT_EQ(trace.Messages()[0].wParam, (WPARAM)code);
    EXPECT_TRUE(IsWindow(w));
  }
}

TEST_F(NonClientTest, CloseButtonClosesOnlyWhenReleasedOnIt) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  MessageTrace trace(w, { WM_SYSCOMMAND, WM_CLOSE });
  Drag(100 + 284, 100 + 10, 100 + 150, 100 + 100);  // pressed, then released elsewhere
  EXPECT_TRUE(trace.Messages().empty());
  EXPECT_TRUE(IsWindow(w));
  Advance(1000);
  Click(100 + 284, 100 + 10);
  EXPECT_FALSE(IsWindow(w));
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].wParam & 0xFFF0, (WPARAM)SC_CLOSE);
}

TEST_F(NonClientTest, CaptionDoubleClickMaximisesOnlyWithMaximiseBox) {
  HWND a = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  DoubleClick(200, 110);
  EXPECT_TRUE(IsZoomed(a));
  DoubleClick(200, 10);
  EXPECT_FALSE(IsZoomed(a));
  HWND b = Top(100, 400, 300, 200, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  DoubleClick(200, 410);
  EXPECT_FALSE(IsZoomed(b));
}

// ---- Move/size loop ----------------------------------------------------------------------------------

TEST_F(NonClientTest, CaptionDragMovesLiveWithMovingMessages) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  MessageTrace trace(w, { WM_ENTERSIZEMOVE, WM_MOVING, WM_MOVE, WM_EXITSIZEMOVE, WM_NCLBUTTONDOWN });
  Drag(200, 110, 250, 140);
  std::vector<UINT> want { WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_MOVING, WM_MOVE, WM_MOVING, WM_EXITSIZEMOVE };
  EXPECT_EQ(trace.Ids(), want);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(r.top, 130);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(NonClientTest, MovingHandlerRewritesTheRectangle) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  On(w, WM_MOVING, [](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
    RECT* r = (RECT*)l;
    int h = r->bottom - r->top;
    r->top = 0;  // magnetic top edge
    r->bottom = h;
    return TRUE;
  });
  Drag(200, 110, 260, 150);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 160);
  EXPECT_EQ(r.top, 0);
}

TEST_F(NonClientTest, SizeLoopClampsToTrackSizesAndHonoursSizing) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  On(w, WM_GETMINMAXINFO, [](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
    MINMAXINFO* m = (MINMAXINFO*)l;
    EXPECT_EQ(m->ptMaxTrackSize.x, 32767);  // defaults were filled in first
    m->ptMinTrackSize = POINT { 250, 150 };
    m->ptMaxTrackSize = POINT { 500, 400 };
    return 0;
  });
  std::vector<RECT> sizing;
  On(w, WM_SIZING, [&](HWND, UINT, WPARAM edge, LPARAM l) -> LRESULT {
    EXPECT_EQ(edge, 8u);  // bottom-right
    sizing.push_back(*(RECT*)l);
    return TRUE;
  });
  Drag(100 + 298, 100 + 198, 100 + 100, 100 + 50);  // far too small
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 250);
  EXPECT_EQ(r.bottom - r.top, 150);
  ASSERT_FALSE(sizing.empty());
  EXPECT_EQ(sizing.back().right - sizing.back().left, 250);
  Drag(r.right - 2, r.bottom - 2, r.right + 600, r.bottom + 600);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 400);
  EXPECT_EQ(sizing.back().bottom - sizing.back().top, 400);  // the height is held to its own maximum
  // Programmatic resizes of a sizeable window are clamped too.
  SetWindowPos(w, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 250);
}

// Sized from the top or the left past the minimum, the opposite edge stays where it was.
TEST_F(NonClientTest, SizingFromTheTopOrLeftPastTheMinimumKeepsTheOppositeEdge) {
  struct Case {
    int x, y;  // where the frame is pressed, from the window's corner
    int dx, dy;
    RECT expect;
  } cases[] = {
    { 150, 1, 0, 300, { 100, 150, 400, 300 } },  // top edge, far down
    { 1, 100, 300, 0, { 150, 100, 400, 300 } },  // left edge, far right
    { 1, 1, 300, 300, { 150, 150, 400, 300 } },  // top-left corner
    { 150, 1, 0, 50, { 100, 150, 400, 300 } },   // top edge to exactly the minimum height
  };
  for (const Case& c : cases) {
    HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    On(w, WM_GETMINMAXINFO, [](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
      ((MINMAXINFO*)l)->ptMinTrackSize = POINT { 250, 150 };
      return 0;
    });
    Drag(100 + c.x, 100 + c.y, 100 + c.x + c.dx, 100 + c.y + c.dy);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(std::vector<LONG>({ r.left, r.top, r.right, r.bottom }),
              std::vector<LONG>({ c.expect.left, c.expect.top, c.expect.right, c.expect.bottom }))
        << "pressed at " << c.x << "," << c.y;
    DestroyWindow(w);
  }
}

TEST_F(NonClientTest, EscapeRestoresAndTimersRunDuringTheLoop) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  int ticks = 0;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++ticks;
    return 0;
  });
  SetTimer(w, 1, 50, nullptr);
  SetFocus(w);
  AnswerModal([&](const ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, ModalRecord::SizeMove);
    Advance(200);  // the loop keeps dispatching timers
    // Input for the loop itself is queued, not pumped here, or this pump would take it.
    MouseMove(300, 300, false);
    PostMessageA(w, WM_CHAR, 'x', 0);  // typed during the drag: the loop's, not the window's
    KeyDown(VK_ESCAPE, ssNone, false);
    return 0;
  });
  MessageTrace chars(w, { WM_CHAR });
  MessageTrace moves(w, { WM_MOVE });
  MouseMove(200, 110, false);
  MouseDown(mbLeft, 200, 110);
  ASSERT_EQ(moves.Messages().size(), 2u);
  EXPECT_EQ(GET_X_LPARAM(moves.Messages()[0].lParam), 204);  // followed the mouse: client at 200 + 4
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(chars.Count(WM_CHAR), 0);
  MouseUp(mbLeft, 300, 300);
}

TEST_F(NonClientTest, WindowDestroyedInsideTheMoveLoop) {
  HWND w = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  MessageTrace exits(nullptr, { WM_EXITSIZEMOVE });
  On(w, WM_MOVING, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    DestroyWindow(h);
    return TRUE;
  });
  Drag(200, 110, 250, 140);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(exits.Count(WM_EXITSIZEMOVE), 0);  // nobody left to tell
  MouseMove(260, 150);                         // input goes on normally
}

// ---- Scroll bars -----------------------------------------------------------------------------------------

TEST_F(NonClientTest, ScrollStateIsKeptAndTheBarAppearsWithARange) {
  HWND w = Top(100, 100, 200, 200, WS_POPUP | WS_VSCROLL | WS_VISIBLE);
  RECT c;
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 184);  // created with the style: range 0-100
  SetScrollRange(w, SB_VERT, 0, 0, TRUE);
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 200);  // an empty range shows no bar
  SCROLLINFO si { sizeof si, SIF_ALL, 0, 99, 10, 500, 0 };
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), 90);  // clamped to max - page + 1
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 184);
  SCROLLINFO got { sizeof got, SIF_ALL, 0, 0, 0, 0, 0 };
  ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &got));
  EXPECT_EQ(got.nMax, 99);
  EXPECT_EQ(got.nPage, 10u);
  EXPECT_EQ(got.nPos, 90);
  EXPECT_EQ(SetScrollPos(w, SB_VERT, -5, TRUE), 90);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
  // State is kept for a bar that is not shown at all.
  SetScrollRange(w, SB_HORZ, 0, 1000, FALSE);
  SetScrollPos(w, SB_HORZ, 700, FALSE);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 700);
  EXPECT_FALSE(GetScrollInfo(w, 7, &got));
}

TEST_F(NonClientTest, ArrowsAndThumbSendScrollCodes) {
  HWND w = Top(100, 100, 200, 200, WS_POPUP | WS_VSCROLL | WS_VISIBLE);
  SCROLLINFO si { sizeof si, SIF_ALL, 0, 199999, 1000, 0, 0 };
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  MessageTrace trace(w, { WM_VSCROLL });
  Click(100 + 192, 100 + 190);  // the down arrow
  ASSERT_GE(trace.Messages().size(), 2u);
  EXPECT_EQ(LOWORD(trace.Messages()[0].wParam), SB_LINEDOWN);
  EXPECT_EQ(LOWORD(trace.Messages().back().wParam), SB_ENDSCROLL);
  trace.Clear();
  // Drag the thumb (at the top of the track) to the bottom: the full position rides in lParam.
  Drag(100 + 192, 100 + 20, 100 + 192, 100 + 400);
  std::vector<WORD> codes;
  for (const MSG& m : trace.Messages()) codes.push_back(LOWORD(m.wParam));
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes[codes.size() - 3], SB_THUMBPOSITION);
  EXPECT_EQ(codes[codes.size() - 2], SBX_THUMBPOSITION32);
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  EXPECT_EQ(trace.Messages()[codes.size() - 2].lParam, 199000);
  EXPECT_EQ(HIWORD(trace.Messages()[codes.size() - 3].wParam), (WORD)199000);
}

}  // namespace
