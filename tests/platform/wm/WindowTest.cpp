// Window classes, creation and destruction order, the tree, subclassing and bad handles.

#include <cstring>

#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class WindowTest : public WmTest {};

TEST_F(WindowTest, CreationSendsNcCreateCalcSizeCreateThenSizeAndMove) {
  MessageTrace trace(nullptr, { WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_PARENTNOTIFY });
  HWND top = Top(10, 20, 200, 100);
  ASSERT_TRUE(IsWindow(top));
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE }));
  trace.Clear();
  HWND child = Child(top, 5, 5, 50, 20, WS_CHILD | WS_VISIBLE, 0, "TestWnd", 7);
  std::vector<MSG> m = trace.Messages();
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[0].hwnd, child);
  EXPECT_EQ(m[3].hwnd, top);
  EXPECT_EQ(m[3].message, (UINT)WM_PARENTNOTIFY);
  EXPECT_EQ(m[3].wParam, MAKEWPARAM(WM_CREATE, 7));
  EXPECT_EQ((HWND)m[3].lParam, child);
}

TEST_F(WindowTest, CreateFailsCleanlyWhenNcCreateOrCreateRefuses) {
  // A class whose procedure refuses WM_CREATE.
  WNDCLASSA wc {};
  wc.lpfnWndProc =
      +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return m == WM_CREATE ? -1 : DefWindowProcA(h, m, w, l); };
  wc.lpszClassName = "RefuseCreate";
  ASSERT_NE(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "RefuseCreate", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_TRUE(UnregisterClassA("RefuseCreate", nullptr));
}

TEST_F(WindowTest, WindowDestroyedWhileBeingCreated) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_CREATE) DestroyWindow(h);
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "SelfDestroy";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND parent = Top(0, 0, 100, 100);
  EXPECT_EQ(
      CreateWindowExA(0, "SelfDestroy", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  EXPECT_TRUE(IsWindow(parent));
}

TEST_F(WindowTest, ClassRegistrationRules) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = TestProc;
  wc.lpszClassName = "testwnd";  // names compare without case
  EXPECT_EQ(RegisterClassA(&wc), 0);
  HWND w = Top(0, 0, 10, 10);
  EXPECT_FALSE(UnregisterClassA("TestWnd", nullptr));  // still in use
  char name[32];
  EXPECT_EQ(GetClassNameA(w, name, sizeof name), 7);
  EXPECT_STREQ(name, "TestWnd");
  EXPECT_EQ(GetClassNameA(w, name, 4), 3);
  EXPECT_STREQ(name, "Tes");
}

TEST_F(WindowTest, BuiltInClassUnregisteredComesBackAtTheNextCreation) {
  HWND top = Top(0, 0, 100, 100);
  DestroyWindow(Child(top, 0, 0, 50, 20, WS_CHILD, 0, "EDIT"));  // the built-in classes are there now
  ASSERT_TRUE(UnregisterClassA("edit", nullptr));
  WNDCLASSA wc {};
  EXPECT_TRUE(GetClassInfoA(nullptr, "Edit", &wc));
  ASSERT_TRUE(UnregisterClassA("EDIT", nullptr));
  HWND edit = Child(top, 0, 0, 50, 20, WS_CHILD, 0, "Edit");
  ASSERT_TRUE(IsWindow(edit));
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 32767);  // the built-in edit answers, not a bare procedure
}

TEST_F(WindowTest, DestroyOrderChildrenAndOwnedWindows) {
  HWND top = Top(0, 0, 200, 200);
  HWND child = Child(top, 0, 0, 50, 50);
  HWND owned = CreateWindowExA(0, "TestWnd", "owned", WS_POPUP, 0, 0, 10, 10, child, nullptr, nullptr, nullptr);
  ASSERT_EQ(GetWindow(owned, GW_OWNER), top);  // the owner is the child's top-level window
  MessageTrace trace(nullptr, { WM_DESTROY, WM_NCDESTROY });
  EXPECT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> seen;
  for (const MSG& m : trace.Messages()) seen.push_back({ m.hwnd, m.message });
  std::vector<std::pair<HWND, UINT>> want { { owned, WM_DESTROY }, { owned, WM_NCDESTROY }, { top, WM_DESTROY },
                                            { child, WM_DESTROY }, { child, WM_NCDESTROY }, { top, WM_NCDESTROY } };
  EXPECT_EQ(seen, want);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(owned));
}

TEST_F(WindowTest, DestroyedWindowIsHarmlessToAddress) {
  HWND w = Top(0, 0, 50, 50);
  SetTimer(w, 1, 10, nullptr);
  PostMessageA(w, WM_USER, 1, 2);
  DestroyWindow(w);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(w));
  EXPECT_FALSE(ShowWindow(w, SW_SHOW));
  EXPECT_FALSE(SetWindowPos(w, nullptr, 0, 0, 1, 1, 0));
  EXPECT_EQ(SetTimer(w, 2, 10, nullptr), 0u);
  EXPECT_EQ(GetParent(w), nullptr);
  RECT r;
  EXPECT_FALSE(GetWindowRect(w, &r));
  Advance(100);  // the posted message and the timer went with the window
  EXPECT_EQ(PumpUntilIdle(), 0);
}

TEST_F(WindowTest, HandlesThatNeverExistedAreRefused) {
  for (uintptr_t v : { (uintptr_t)4, (uintptr_t)0x12345678, (uintptr_t)3, (uintptr_t)0xdeadbeef00ull }) {
    HWND bad = (HWND)v;
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongPtrA(bad, GWL_STYLE), 0);
    EXPECT_EQ(SetFocus(bad), nullptr);
  }
}

TEST_F(WindowTest, WindowDestroyedInsideItsOwnHandler) {
  HWND w = Top(0, 0, 50, 50);
  int after = 0;
  On(w, WM_USER, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    DestroyWindow(h);
    // The handler still runs to its end with the window gone.
    after = IsWindow(h) ? 1 : 2;
    return 5;
  });
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 5);
  EXPECT_EQ(after, 2);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, StaleHandleDoesNotReachANewWindowInTheSameSlot) {
  HWND a = Top(0, 0, 10, 10);
  DestroyWindow(a);
  for (int i = 0; i < 200; ++i) DestroyWindow(Top(0, 0, 10, 10));
  HWND b = Top(0, 0, 10, 10);
  EXPECT_NE(a, b);
  EXPECT_FALSE(IsWindow(a));
}

// ---- Subclassing ----------------------------------------------------------------------------------

TEST_F(WindowTest, SubclassChainAndOutOfOrderRestore) {
  HWND w = Top(0, 0, 10, 10);
  std::vector<int> calls;
  On(w, WM_USER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    calls.push_back(0);
    return 100;
  });
  WNDPROC base = (WNDPROC)GetWindowLongPtrA(w, GWL_WNDPROC);
  EXPECT_EQ(base, WNDPROC(TestProc));
  WNDPROC prev[4] {};
  WNDPROC procs[4] {};
  for (int i = 1; i <= 3; ++i) {
    procs[i] = MakeWndProcInstance([&, i](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      calls.push_back(i);
      return CallWindowProcA(prev[i], h, m, wp, lp) + 1;
    });
    prev[i] = (WNDPROC)SetWindowLongPtrA(w, GWL_WNDPROC, (LONG_PTR)procs[i]);
  }
  EXPECT_EQ(prev[1], base);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 103);
  EXPECT_EQ(calls, (std::vector<int> { 3, 2, 1, 0 }));
  // The middle one frees its record while still in the chain: the chain falls back to the default
  // procedure there instead of calling freed memory.
  FreeWndProcInstance(procs[2]);
  calls.clear();
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 1);
  EXPECT_EQ(calls, (std::vector<int> { 3 }));
  // Restoring the first one's predecessor while the others are installed puts the base back.
  EXPECT_EQ((WNDPROC)SetWindowLongPtrA(w, GWL_WNDPROC, (LONG_PTR)prev[1]), procs[3]);
  calls.clear();
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 100);
  FreeWndProcInstance(procs[1]);
  FreeWndProcInstance(procs[3]);
  FreeWndProcInstance(procs[3]);                              // twice is harmless
  EXPECT_EQ(CallWindowProcA(procs[3], w, WM_USER, 0, 0), 0);  // a freed record answers as DefWindowProcA
  EXPECT_EQ(CallWindowProcA(WNDPROC(), w, WM_USER, 0, 0), 0);
}

TEST_F(WindowTest, SendMessageIsReentrantAndCarriesExceptions) {
  HWND w = Top(0, 0, 10, 10);
  On(w, WM_USER, [&](HWND h, UINT, WPARAM depth, LPARAM) -> LRESULT {
    if (depth == 0) return 1;
    return SendMessageA(h, WM_USER, depth - 1, 0) + 1;
  });
  EXPECT_EQ(SendMessageA(w, WM_USER, 50, 0), 51);
  On(w, WM_APP, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("boom"); });
  EXPECT_THROW(SendMessageA(w, WM_APP, 0, 0), std::runtime_error);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(SendMessageA(w, WM_USER, 2, 0), 3);
}

// ---- Tree and placement ----------------------------------------------------------------------------

TEST_F(WindowTest, CoordinatesThroughTheTree) {
  HWND top = Top(100, 50, 300, 200, WS_POPUP | WS_BORDER | WS_VISIBLE);
  HWND a = Child(top, 10, 20, 100, 100, WS_CHILD | WS_VISIBLE | WS_BORDER);
  HWND b = Child(a, 5, 6, 20, 20);
  POINT p { 0, 0 };
  ClientToScreen(b, &p);
  // top client at 101,51; a's window at 111,71, its client at 112,72; b at 117,78.
  EXPECT_EQ(p.x, 117);
  EXPECT_EQ(p.y, 78);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 16);
  EXPECT_EQ(p.y, 27);
  POINT q { 1, 1 };
  MapWindowPoints(b, top, &q, 1);
  EXPECT_EQ(q.x, 17);
  EXPECT_EQ(q.y, 28);
  RECT r;
  GetClientRect(a, &r);
  EXPECT_EQ(r.right, 98);
  EXPECT_EQ(r.bottom, 98);
  EXPECT_TRUE(IsChild(top, b));
  EXPECT_FALSE(IsChild(b, top));
  EXPECT_EQ(GetAncestor(b, GA_ROOT), top);
}

TEST_F(WindowTest, LaterSiblingsAreAboveAndZOrderMoves) {
  HWND top = Top(0, 0, 300, 300);
  HWND a = Child(top, 0, 0, 10, 10);
  HWND b = Child(top, 0, 0, 10, 10);
  HWND c = Child(top, 0, 0, 10, 10);
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
  SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  EXPECT_EQ(FindWindowExA(top, nullptr, "TestWnd", nullptr), b);
}

TEST_F(WindowTest, TopMostWindowsStayAboveAndOwnedAboveOwner) {
  HWND hint = Top(0, 0, 10, 10, WS_POPUP, WS_EX_TOPMOST);
  HWND form = Top(0, 0, 10, 10);
  HWND owned = CreateWindowExA(0, "TestWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, form, nullptr, nullptr, nullptr);
  HWND other = Top(0, 0, 10, 10);
  EXPECT_EQ(GetTopWindow(nullptr), hint);
  SetWindowPos(form, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(hint, GW_HWNDNEXT), owned);
  EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), form);
  EXPECT_EQ(GetWindow(form, GW_HWNDNEXT), other);
}

TEST_F(WindowTest, OwnershipCannotFormACycle) {
  HWND a = Top(0, 0, 10, 10);
  HWND b = CreateWindowExA(0, "TestWnd", "", WS_POPUP, 0, 0, 5, 5, a, nullptr, nullptr, nullptr);
  EXPECT_EQ(SetWindowLongPtrA(a, GWL_HWNDPARENT, (LONG_PTR)b), 0);
  EXPECT_EQ(GetWindow(a, GW_OWNER), nullptr);
  EXPECT_EQ(GetAncestor(b, GA_ROOTOWNER), a);
  EXPECT_FALSE(SetParent(a, a));
  DestroyWindow(a);
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowTest, SetWindowPosMessagesAndFlags) {
  HWND w = Top(0, 0, 100, 100);
  MessageTrace trace(w, { WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE });
  SetWindowPos(w, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE }));
  trace.Clear();
  SetWindowPos(w, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE }));
  EXPECT_EQ(trace.Messages().back().lParam, MAKELPARAM(48, 58));
  trace.Clear();
  // A handler may rewrite the position it is offered.
  On(w, WM_WINDOWPOSCHANGING, [](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
    ((WINDOWPOS*)l)->x = 77;
    return 0;
  });
  SetWindowPos(w, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 77);
  EXPECT_EQ(r.top, 5);
  // Negative sizes become empty.
  HDWP d = BeginDeferWindowPos(1);
  d = DeferWindowPos(d, w, nullptr, 0, 0, -5, -5, SWP_NOZORDER);
  EXPECT_TRUE(EndDeferWindowPos(d));
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_FALSE(EndDeferWindowPos(d));
}

TEST_F(WindowTest, ShowWindowSendsShowWindowOnlyOnChange) {
  HWND w = Top(0, 0, 100, 100, WS_POPUP);
  MessageTrace trace(w, { WM_SHOWWINDOW });
  EXPECT_FALSE(ShowWindow(w, SW_SHOWNA));
  EXPECT_TRUE(ShowWindow(w, SW_SHOWNA));
  EXPECT_TRUE(ShowWindow(w, SW_HIDE));
  EXPECT_FALSE(ShowWindow(w, SW_HIDE));
  ASSERT_EQ(trace.Messages().size(), 2u);
  EXPECT_EQ(trace.Messages()[0].wParam, 1u);
  EXPECT_EQ(trace.Messages()[0].lParam, 0);
  EXPECT_EQ(trace.Messages()[1].wParam, 0u);
  // Showing through SetWindowPos flags sends none.
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(trace.Messages().size(), 2u);
}

TEST_F(WindowTest, MaximiseAndRestore) {
  HWND w = Top(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  MessageTrace trace(w, { WM_SIZE });
  ShowWindow(w, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(w));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 1024);
  EXPECT_EQ(r.bottom - r.top, 738);
  ASSERT_FALSE(trace.Messages().empty());
  EXPECT_EQ(trace.Messages().back().wParam, (WPARAM)SIZE_MAXIMIZED);
  ShowWindow(w, SW_RESTORE);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right - r.left, 200);
  ShowWindow(w, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_EQ(trace.Messages().back().wParam, (WPARAM)SIZE_MINIMIZED);
}

TEST_F(WindowTest, TextAndProperties) {
  HWND w = Top(0, 0, 10, 10);
  EXPECT_TRUE(SetWindowTextA(w, "窗口"));
  char buf[16];
  EXPECT_EQ(GetWindowTextLengthA(w), 4);
  EXPECT_EQ(GetWindowTextA(w, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "窗口");
  EXPECT_EQ(GetWindowTextA(w, buf, 3), 2);
  EXPECT_TRUE(SetPropA(w, "ctl", (HANDLE)0x55));
  EXPECT_EQ(GetPropA(w, "ctl"), (HANDLE)0x55);
  EXPECT_EQ(RemovePropA(w, "ctl"), (HANDLE)0x55);
  EXPECT_EQ(GetPropA(w, "ctl"), nullptr);
}

TEST_F(WindowTest, ScreenMonitorAndSystemParameters) {
  SetScreen(800, 600, RECT { 0, 0, 800, 570 });
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, 570);
  BOOL full = FALSE;
  EXPECT_TRUE(SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0));
  EXPECT_TRUE(full);
  HWND w = Top(100, 100, 50, 50);
  HMONITOR m = MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi { sizeof mi, {}, {}, 0 };
  ASSERT_TRUE(GetMonitorInfoA(m, &mi));
  EXPECT_EQ(mi.rcMonitor.right, 800);
  EXPECT_EQ(mi.rcWork.bottom, 570);
  EXPECT_EQ(mi.dwFlags, (DWORD)MONITORINFOF_PRIMARY);
  EXPECT_EQ(MonitorFromPoint(POINT { 5000, 5000 }, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT { 5000, 5000 }, MONITOR_DEFAULTTONEAREST), m);
  mi.cbSize = 8;
  EXPECT_FALSE(GetMonitorInfoA(m, &mi));
  EXPECT_FALSE(GetMonitorInfoA((HMONITOR)0x77, &mi));
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(desk.bottom, 600);
  // CW_USEDEFAULT places and sizes a window inside the work area.
  HWND d = CreateWindowExA(0, "TestWnd", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr,
                           nullptr, nullptr);
  RECT r;
  GetWindowRect(d, &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_LE(r.bottom, 570);
}

TEST_F(WindowTest, ChildLookupAndEnumeration) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND hidden = Child(top, 0, 0, 50, 50, WS_CHILD);
  HWND disabled = Child(top, 60, 0, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
  HWND inner = Child(disabled, 0, 0, 10, 10);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT { 5, 5 }, CWP_ALL), hidden);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT { 5, 5 }, CWP_SKIPINVISIBLE), top);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT { 65, 5 }, CWP_SKIPDISABLED), top);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT { 65, 5 }), disabled);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT { 500, 5 }), nullptr);
  static std::vector<HWND> seen;
  seen.clear();
  EnumChildWindows(
      top,
      [](HWND h, LPARAM) -> BOOL {
        seen.push_back(h);
        return TRUE;
      },
      0);
  EXPECT_EQ(seen, (std::vector<HWND> { disabled, inner, hidden }));
  seen.clear();
  EnumWindows(
      [](HWND h, LPARAM) -> BOOL {
        seen.push_back(h);
        return FALSE;  // stops at once
      },
      0);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(GetWindow(top, 99), nullptr);
  EXPECT_EQ(GetWindow(inner, GW_CHILD), nullptr);
  EXPECT_EQ(GetWindow(inner, GW_HWNDNEXT), nullptr);
}

TEST_F(WindowTest, RegisteredMessagesAreStablePerName) {
  UINT a = RegisterWindowMessageA("TaskbarCreated");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("taskbarcreated"), a);
  EXPECT_NE(RegisterWindowMessageA("Other"), a);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST_F(WindowTest, BroadcastReachesEveryTopLevelWindow) {
  HWND a = Top(0, 0, 10, 10);
  HWND b = Top(0, 0, 10, 10, WS_POPUP);
  Child(a, 0, 0, 5, 5);
  UINT msg = RegisterWindowMessageA("TaskbarCreated");
  MessageTrace trace(nullptr, { msg });
  SendMessageA(HWND_BROADCAST, msg, 0, 0);
  ASSERT_EQ(trace.Messages().size(), 2u);
  std::vector<HWND> got { trace.Messages()[0].hwnd, trace.Messages()[1].hwnd };
  EXPECT_NE(std::find(got.begin(), got.end(), a), got.end());
  EXPECT_NE(std::find(got.begin(), got.end(), b), got.end());
}

// ---- One state per harness ------------------------------------------------------------------------

void LeaveStateBehind(HWND w) {
  SetFocus(w);
  SetCapture(w);
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {});
  PostMessageA(nullptr, WM_APP + 7, 0, 0);
  OpenClipboard(w);
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 2);
  memcpy(GlobalLock(text), "x", 2);
  GlobalUnlock(text);
  SetClipboardData(CF_TEXT, text);  // left open on purpose
  BeginDeferWindowPos(2);
}

// Whatever one test leaves behind (the cascade of default positions, focus, capture, timers, posted
// messages, the clipboard) is gone for the next: each harness starts from a fresh window manager.
TEST(WindowStateTest, EachHarnessStartsFromAFreshWindowManager) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "FreshState";
  if (!GetClassInfoA(nullptr, wc.lpszClassName, &wc)) RegisterClassA(&wc);
  auto make = [] {
    return CreateWindowExA(0, "FreshState", "", WS_OVERLAPPED | WS_VISIBLE, CW_USEDEFAULT, 0, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  };
  RECT first[2] {};
  for (int round = 0; round < 2; ++round) {
    Harness harness;
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(OpenClipboard(nullptr));  // not left open by the round before
    CloseClipboard();
    Advance(50);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "message " << m.message;
    HWND a = make(), b = make();
    GetWindowRect(a, &first[round]);
    RECT second;
    GetWindowRect(b, &second);
    EXPECT_EQ(second.left - first[round].left, 26);  // the cascade moves on within one harness
    LeaveStateBehind(a);
  }
  EXPECT_EQ(first[1].left, first[0].left);
  EXPECT_EQ(first[1].top, first[0].top);
}

}  // namespace
