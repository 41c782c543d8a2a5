// The queue's retrieval order, filters, timers under the manual clock, and cross-thread posting.

#include <sys/eventfd.h>

#include <atomic>
#include <thread>

#include "platform/win32/WmHooks.h"
#include "tests/platform/wm/WmTestUtil.h"
#include "tests/support/Wait.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class QueueTest : public WmTest {};

TEST_F(QueueTest, RetrievalOrderIsPostedInputPaintTimer) {
  HWND w = Top(0, 0, 100, 100);
  SetFocus(w);
  PumpUntilIdle();
  SetTimer(w, 1, 10, nullptr);
  Jump(10);
  InvalidateRect(w, nullptr, TRUE);
  KeyDown('A', ssNone, false);
  PostMessageA(w, WM_USER, 0, 0);
  std::vector<UINT> order;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    if (m.message == WM_PAINT) ValidateRect(w, nullptr);
    if (m.message == WM_TIMER) KillTimer(w, 1);
  }
  EXPECT_EQ(order, (std::vector<UINT> { WM_USER, WM_KEYDOWN, WM_PAINT, WM_TIMER }));
}

TEST_F(QueueTest, RangeFilterPicksMouseMessagesPastOthers) {
  HWND w = Top(0, 0, 100, 100);
  SetFocus(w);
  PumpUntilIdle();
  PostMessageA(w, WM_USER, 0, 0);
  KeyDown('B', ssNone, false);
  MouseMove(10, 10, false);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  EXPECT_EQ(m.message, (UINT)WM_MOUSEMOVE);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, (UINT)WM_USER);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, (UINT)WM_USER);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, (UINT)WM_KEYDOWN);
}

TEST_F(QueueTest, WindowFilterIncludesChildren) {
  HWND a = Top(0, 0, 100, 100);
  HWND child = Child(a, 0, 0, 10, 10);
  HWND b = Top(0, 0, 100, 100);
  PumpUntilIdle();
  PostMessageA(b, WM_USER, 1, 0);
  PostMessageA(child, WM_USER, 2, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&m, a, 0, 0, PM_REMOVE));
}

struct TimerCase {
  const char* name;
  UINT interval;
  uint64_t advance;
  bool jump;
  int ticks;
};

class TimerTicks : public WmTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(TimerTicks, FireAsTheClockMoves) {
  const TimerCase& c = GetParam();
  HWND w = Top(0, 0, 10, 10);
  int ticks = 0;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM id, LPARAM) -> LRESULT {
    EXPECT_EQ(id, 7u);
    ++ticks;
    return 0;
  });
  SetTimer(w, 7, c.interval, nullptr);
  if (c.jump) {
    Jump(c.advance);
    PumpUntilIdle();
  } else {
    Advance(c.advance);
  }
  EXPECT_EQ(ticks, c.ticks);
}

INSTANTIATE_TEST_SUITE_P(Timers, TimerTicks,
                         ::testing::Values(TimerCase { "advance100in1000", 100, 1000, false, 10 },
                                           TimerCase { "advanceShort", 100, 99, false, 0 },
                                           TimerCase { "jumpCoalesces", 100, 1000, true, 1 },
                                           TimerCase { "zeroIsOne", 0, 5, false, 5 },
                                           TimerCase { "oneMs", 1, 20, false, 20 }),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(QueueTest, TimersFireInDueOrderAndRestartWhenReset) {
  HWND w = Top(0, 0, 10, 10);
  std::vector<std::pair<uint64_t, WPARAM>> seen;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM id, LPARAM) -> LRESULT {
    seen.push_back({ Now(), id });
    return 0;
  });
  uint64_t t0 = Now();
  SetTimer(w, 1, 30, nullptr);
  SetTimer(w, 2, 20, nullptr);
  Advance(10);
  SetTimer(w, 2, 20, nullptr);  // restarts: next at t0+30, after timer 1
  Advance(50);
  std::vector<std::pair<uint64_t, WPARAM>> want { { t0 + 30, 1 }, { t0 + 30, 2 }, { t0 + 50, 2 }, { t0 + 60, 1 } };
  EXPECT_EQ(seen, want);
}

TEST_F(QueueTest, KillTimerDropsAPendingTickAndWorksInsideTheTick) {
  HWND w = Top(0, 0, 10, 10);
  int ticks = 0;
  On(w, WM_TIMER, [&](HWND h, UINT, WPARAM id, LPARAM) -> LRESULT {
    ++ticks;
    EXPECT_TRUE(KillTimer(h, id));
    return 0;
  });
  SetTimer(w, 1, 10, nullptr);
  SetTimer(w, 2, 10, nullptr);
  Jump(100);
  KillTimer(w, 2);  // due, but killed before the loop looked: no tick
  PumpUntilIdle();
  EXPECT_EQ(ticks, 1);
  Advance(100);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(KillTimer(w, 1));
  EXPECT_FALSE(KillTimer(w, 99));
}

TEST_F(QueueTest, TimerTicksWaitForPaintAndPostedMessages) {
  HWND w = Top(0, 0, 10, 10);
  std::vector<UINT> seen;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    seen.push_back(WM_TIMER);
    return 0;
  });
  On(w, WM_USER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    seen.push_back(WM_USER);
    return 0;
  });
  On(w, WM_PAINT, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    seen.push_back(WM_PAINT);
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return 0;
  });
  PumpUntilIdle();
  seen.clear();
  SetTimer(w, 1, 10, nullptr);
  Jump(10);
  PostMessageA(w, WM_USER, 0, 0);
  InvalidateRect(w, nullptr, FALSE);
  PumpUntilIdle();
  EXPECT_EQ(seen, (std::vector<UINT> { WM_USER, WM_PAINT, WM_TIMER }));
}

TEST_F(QueueTest, TimerProcIsCalledByDispatch) {
  HWND w = Top(0, 0, 10, 10);
  static int calls = 0;
  calls = 0;
  SetTimer(w, 3, 50, [](HWND, UINT msg, UINT_PTR id, DWORD) {
    if (msg == WM_TIMER && id == 3) ++calls;
  });
  Advance(200);
  EXPECT_EQ(calls, 4);
  // A forged WM_TIMER with a procedure that is not the timer's is not called.
  MSG forged { w, WM_TIMER, 3, (LPARAM)(TIMERPROC)[](HWND, UINT, UINT_PTR, DWORD) { calls += 100; }, 0, {} };
  DispatchMessageA(&forged);
  EXPECT_EQ(calls, 4);
}

TEST_F(QueueTest, WmPaintWithoutBeginPaintDoesNotRepeatForever) {
  HWND w = Top(0, 0, 10, 10);
  int paints = 0;
  On(w, WM_PAINT, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++paints;
    return 0;
  });
  PumpUntilIdle();
  paints = 0;
  InvalidateRect(w, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(paints, 1);
}

TEST_F(QueueTest, QuitIsRetrievedAfterPostedMessages) {
  HWND w = Top(0, 0, 10, 10);
  PostQuitMessage(3);
  PostMessageA(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, (UINT)WM_USER);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, (UINT)WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(QueueTest, TimersKeepFiringInsideAModalLoop) {
  HWND w = Top(0, 0, 100, 100);
  int ticks = 0;
  On(w, WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++ticks;
    return 0;
  });
  SetTimer(w, 1, 100, nullptr);
  int ticksInside = -1;
  AnswerModal([&](const ModalRecord&) -> LONG_PTR {
    Advance(500);
    ticksInside = ticks;
    return 0;
  });
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 10, "一");
  TrackPopupMenu(m, 0, 10, 10, 0, w, nullptr);
  DestroyMenu(m);
  EXPECT_EQ(ticksInside, 5);
}

// ---- Real time and threads ----------------------------------------------------------------------------

class RealQueueTest : public ::testing::Test {};

TEST_F(RealQueueTest, PostFromAnotherThreadWakesGetMessage) {
  std::atomic<bool> go { false };
  std::thread t([&] {
    while (!go) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    PostMessageA(nullptr, WM_APP + 5, 42, 0);
  });
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // binds this thread as the GUI thread
  go = true;
  BOOL r = GetMessageA(&m, nullptr, 0, 0);
  t.join();
  EXPECT_TRUE(r);
  EXPECT_EQ(m.message, (UINT)(WM_APP + 5));
  EXPECT_EQ(m.wParam, 42u);
}

TEST_F(RealQueueTest, SendFromAnotherThreadRunsOnTheGuiThread) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER) return (LRESULT)(w * 2);
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "CrossThread";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "CrossThread", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::atomic<LRESULT> got { 0 };
  std::thread t([&] { got = SendMessageA(w, WM_USER, 21, 0); });
  MSG m;
  // The sender waits until the GUI thread looks at its queue.
  EXPECT_TRUE(xj::test::WaitUntil([&] { return got != 0; }, [&] { PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); }));
  t.join();
  EXPECT_EQ(got.load(), 42);
  DestroyWindow(w);
}

}  // namespace
