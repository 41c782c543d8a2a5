// MDI children, the clipboard and the caret.

#include "platform/win32/WinGdi.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

LRESULT CALLBACK ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& hs = Handlers();
  auto it = hs.find({ h, m });
  if (it != hs.end()) return it->second(h, m, w, l);
  return DefMDIChildProcA(h, m, w, l);
}

class MdiTest : public WmTest {
 protected:
  void SetUp() override {
    WmTest::SetUp();
    WNDCLASSA wc {};
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = "MdiKid";
    if (!GetClassInfoA(nullptr, "MdiKid", &wc)) RegisterClassA(&wc);
    frame = Top(0, 0, 600, 400, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
    CLIENTCREATESTRUCT ccs { nullptr, 100 };
    client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 580, 360,
                             frame, nullptr, nullptr, &ccs);
    SetActiveWindow(frame);
    PumpUntilIdle();
  }
  HWND NewChild(const char* title, int x, int y) {
    MDICREATESTRUCTA mc { "MdiKid", title, nullptr, x, y, 200, 150, WS_OVERLAPPEDWINDOW, 0 };
    return (HWND)SendMessageA(client, WM_MDICREATE, 0, (LPARAM)&mc);
  }
  HWND frame {}, client {};
};

TEST_F(MdiTest, CreatingActivatesAndNotifiesOldAndNew) {
  ASSERT_TRUE(IsWindow(client));
  HWND a = NewChild("a", 0, 0);
  ASSERT_TRUE(IsWindow(a));
  EXPECT_EQ(GetWindowLongPtrA(a, GWL_EXSTYLE) & WS_EX_MDICHILD, WS_EX_MDICHILD);
  EXPECT_EQ(GetWindowLongPtrA(a, GWL_ID), 100);
  EXPECT_EQ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0), a);
  MessageTrace trace(nullptr, { WM_NCACTIVATE, WM_MDIACTIVATE });
  HWND b = NewChild("b", 30, 30);
  EXPECT_EQ(GetWindowLongPtrA(b, GWL_ID), 101);
  std::vector<std::pair<HWND, UINT>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.hwnd, m.message });
  std::vector<std::pair<HWND, UINT>> want {
    { a, WM_NCACTIVATE }, { a, WM_MDIACTIVATE }, { b, WM_NCACTIVATE }, { b, WM_MDIACTIVATE }
  };
  EXPECT_EQ(seen, want);
  EXPECT_EQ(trace.Messages()[0].wParam, (WPARAM)FALSE);
  EXPECT_EQ((HWND)trace.Messages()[3].lParam, b);
  EXPECT_EQ(GetFocus(), b);
  // Left/Top of a child are in the client's coordinates.
  RECT r;
  GetWindowRect(b, &r);
  POINT p { 30, 30 };
  ClientToScreen(client, &p);
  EXPECT_EQ(r.left, p.x);
  EXPECT_EQ(GetActiveWindow(), frame);  // the frame stays active while a child is
}

TEST_F(MdiTest, ClickOnAnInactiveChildAsksAndActivatesIt) {
  HWND a = NewChild("a", 0, 0);
  HWND b = NewChild("b", 300, 150);
  PumpUntilIdle();
  ASSERT_EQ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0), b);
  MessageTrace trace(a, { WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_LBUTTONDOWN });
  RECT r;
  GetWindowRect(a, &r);
  Click(r.left + 50, r.top + 60);
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_LBUTTONDOWN }));
  EXPECT_EQ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0), a);
}

TEST_F(MdiTest, DestroyingTheActiveChildActivatesTheNext) {
  HWND a = NewChild("a", 0, 0);
  HWND b = NewChild("b", 30, 30);
  SendMessageA(client, WM_MDIDESTROY, (WPARAM)b, 0);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0), a);
  SendMessageA(a, WM_CLOSE, 0, 0);  // the child's default close goes through the client
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0), nullptr);
  SendMessageA(client, WM_MDIDESTROY, (WPARAM)a, 0);  // already gone: nothing happens
}

TEST_F(MdiTest, MaximisedChildFillsTheClient) {
  HWND a = NewChild("a", 10, 10);
  ShowWindow(a, SW_MAXIMIZE);
  RECT c, r;
  GetClientRect(client, &c);
  GetWindowRect(a, &r);
  EXPECT_EQ(r.right - r.left, c.right);
  EXPECT_EQ(r.bottom - r.top, c.bottom);
  BOOL maxed = FALSE;
  SendMessageA(client, WM_MDIGETACTIVE, 0, (LPARAM)&maxed);
  EXPECT_TRUE(maxed);
}

// ---- Clipboard and caret ----------------------------------------------------------------------------

TEST_F(MdiTest, ClipboardTextRoundTripsAndRefusesMisuse) {
  EXPECT_FALSE(EmptyClipboard());  // not open
  ASSERT_TRUE(OpenClipboard(frame));
  EXPECT_FALSE(OpenClipboard(frame));  // already open
  EXPECT_TRUE(EmptyClipboard());
  const char text[] = "剪贴板 text";
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  memcpy(GlobalLock(h), text, sizeof text);
  GlobalUnlock(h);
  EXPECT_EQ(SetClipboardData(CF_TEXT, h), h);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, h), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), frame);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE got = GetClipboardData(CF_TEXT);
  ASSERT_NE(got, nullptr);
  EXPECT_STREQ((const char*)GlobalLock(got), text);
  GlobalUnlock(got);
  CloseClipboard();
  // A block freed twice, or never allocated, is refused.
  HGLOBAL other = GlobalAlloc(GMEM_FIXED, 4);
  EXPECT_EQ(GlobalFree(other), nullptr);
  EXPECT_EQ(GlobalFree(other), other);
  EXPECT_EQ(GlobalLock((HGLOBAL)0x1234), nullptr);
}

TEST_F(MdiTest, CaretBelongsToOneWindowAndCountsHides) {
  HWND a = NewChild("a", 0, 0);
  EXPECT_FALSE(ShowCaret(a));  // no caret yet
  ASSERT_TRUE(CreateCaret(a, nullptr, 1, 14));
  EXPECT_TRUE(SetCaretPos(5, 6));
  POINT p;
  GetCaretPos(&p);
  EXPECT_EQ(p.x, 5);
  EXPECT_FALSE(ShowCaret(frame));  // not the owner
  HDC dc = GetDC(a);
  RECT all { 0, 0, 300, 300 };
  FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
  ReleaseDC(a, dc);
  COLORREF paper = ReadPixel(a, 5, 10);
  EXPECT_TRUE(ShowCaret(a));
  EXPECT_EQ(ReadPixel(a, 5, 10), paper ^ 0xFFFFFF);  // drawn by inversion, steady under the manual clock
  Advance(2000);
  EXPECT_EQ(ReadPixel(a, 5, 10), paper ^ 0xFFFFFF);
  SetCaretPos(50, 6);
  EXPECT_EQ(ReadPixel(a, 5, 10), paper);
  EXPECT_EQ(ReadPixel(a, 50, 10), paper ^ 0xFFFFFF);
  EXPECT_TRUE(HideCaret(a));
  EXPECT_EQ(ReadPixel(a, 50, 10), paper);
  EXPECT_TRUE(HideCaret(a));
  EXPECT_TRUE(ShowCaret(a));  // hides are counted: still hidden
  EXPECT_EQ(ReadPixel(a, 50, 10), paper);
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(DestroyCaret());
  EXPECT_FALSE(SetCaretPos(1, 1));
}

}  // namespace
