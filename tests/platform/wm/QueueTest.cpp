// The queue's retrieval order, filters, timers under the manual clock, and cross-thread posting.

#include <sys/eventfd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/win32/Clock.h"
#include "platform/win32/WmBackend.h"
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
  MSG forged { w, WM_TIMER, 3, (LPARAM)(TIMERPROC)[](HWND, UINT, UINT_PTR, DWORD) { calls += 100;
}
, 0, {}
};  // namespace
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

// Whoever stamps a message (its poster, the display's input, the queue itself for a paint), the times
// of the messages taken one after another never run backwards, nor does GetMessageTime, on the real
// clock. Each round posts, moves and invalidates within microseconds of the last.
TEST_F(QueueTest, MessageTimesNeverRunBackwards) {
  HWND w = Top(0, 0, 100, 100);
  PumpUntilIdle();
  auto* desktop = dynamic_cast<xj::display::HeadlessBackend*>(xj::wm::CurrentDisplay());
  ASSERT_NE(desktop, nullptr);
  xj::RealClock real;
  xj::ScopedClock clock(real);
  std::map<UINT, int> taken;
  int backwards = 0;
  DWORD last = 0;
  for (int round = 0; round < 3000; ++round) {
    PostMessageA(w, WM_USER, 0, 0);
    xj::display::Event move;
    move.type = xj::display::EventType::MouseMove;
    move.pt = POINT { 20 + round % 2, 30 };  // a real move every round
    desktop->Inject(move);
    InvalidateRect(w, nullptr, FALSE);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      backwards += m.time < last;
      EXPECT_EQ(DWORD(GetMessageTime()), m.time);
      last = m.time;
      ++taken[m.message];
      if (m.message == WM_PAINT) ValidateRect(w, nullptr);
    }
  }
  EXPECT_EQ(backwards, 0);
  EXPECT_EQ(taken[WM_USER], 3000);
  EXPECT_EQ(taken[WM_MOUSEMOVE], 3000);
  EXPECT_EQ(taken[WM_PAINT], 3000);
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

// While the GUI thread is inside a dispatched message, sending through a subclass chain, another thread
// sends to the same window and creates and frees procedure instances by the thousand (the record
// table grows under the calls). Every send answers right, on the GUI thread.
TEST_F(RealQueueTest, SendFromAnotherThreadWhileTheGuiThreadDispatches) {
  static std::thread::id gui;
  gui = std::this_thread::get_id();
  WNDCLASSA wc {};
  wc.lpfnWndProc = +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER) return std::this_thread::get_id() == gui ? (LRESULT)(w * 2) : -1;
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "CrossThreadDispatch";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "CrossThreadDispatch", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  WNDPROC prev[3] {};
  WNDPROC procs[3] {};
  for (int i = 0; i < 3; ++i) {
    procs[i] = MakeWndProcInstance([&prev, i](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      LRESULT r = CallWindowProcA(prev[i], h, m, wp, lp);
      return m == WM_USER && r >= 0 ? r + 1 : r;
    });
    prev[i] = (WNDPROC)SetWindowLongPtrA(w, GWL_WNDPROC, (LONG_PTR)procs[i]);
  }
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // binds this thread as the GUI thread

  std::atomic<int> answered { 0 };
  std::atomic<bool> wrong { false };
  std::thread other;
  std::vector<LRESULT> inside;
  // The posted message's dispatch starts the other thread and keeps sending until it has its answers.
  bool dispatched = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);  // a hang, not a timing
  WNDPROC hook = MakeWndProcInstance([&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg != WM_APP) return CallWindowProcA(procs[2], h, msg, wp, lp);
    dispatched = true;
    other = std::thread([&] {
      std::vector<WNDPROC> kept;
      for (int i = 0; i < 200; ++i) {
        for (int k = 0; k < 16; ++k) {
          WNDPROC p = MakeWndProcInstance([i](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return i; });
          if (k % 2)
            FreeWndProcInstance(p);
          else
            kept.push_back(p);
        }
        if (SendMessageA(w, WM_USER, (WPARAM)i, 0) != (LRESULT)(i * 2 + 3)) wrong = true;
        ++answered;
      }
      for (WNDPROC p : kept)
        if (CallWindowProcA(p, nullptr, WM_USER, 0, 0) < 0) wrong = true;
      for (WNDPROC p : kept) FreeWndProcInstance(p);
    });
    MSG inner;
    while (answered < 200 && std::chrono::steady_clock::now() < deadline) {
      inside.push_back(SendMessageA(w, WM_USER, 5, 0));
      PeekMessageA(&inner, nullptr, 0, 0, PM_NOREMOVE);  // lets the other thread's sends in
    }
    return 0;
  });
  SetWindowLongPtrA(w, GWL_WNDPROC, (LONG_PTR)hook);
  PostMessageA(w, WM_APP, 0, 0);
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  other.join();
  EXPECT_TRUE(dispatched);
  EXPECT_EQ(answered.load(), 200);
  EXPECT_FALSE(wrong.load());
  ASSERT_FALSE(inside.empty());
  EXPECT_TRUE(std::all_of(inside.begin(), inside.end(), [](LRESULT r) { return r == 13; }));
  DestroyWindow(w);
  FreeWndProcInstance(hook);
  for (WNDPROC p : procs) FreeWndProcInstance(p);
}

// A closure that frees its own instance keeps what it captured until it returns.
TEST_F(RealQueueTest, ProcedureFreeingItselfKeepsItsCapturesUntilItReturns) {
  WNDPROC self {};
  std::string seen;
  std::string captured(64, 'x');  // on the heap: a freed copy would be caught
  self = MakeWndProcInstance([&self, &seen, captured](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    FreeWndProcInstance(self);
    seen = captured;
    return (LRESULT)captured.size();
  });
  EXPECT_EQ(CallWindowProcA(self, nullptr, WM_USER, 0, 0), 64);
  EXPECT_EQ(seen, captured);
  EXPECT_EQ(CallWindowProcA(self, nullptr, WM_USER, 0, 0), 0);  // freed: the default procedure answers
}

}  // namespace
