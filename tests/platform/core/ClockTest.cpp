// The replaceable clock: tick wrap, Sleep under the manual clock, stepping through due times.

#include "platform/win32/Clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// Uninstalls the pump hook when a test ends.
struct PumpGuard {
  ~PumpGuard() { xj::SetClockPump({}); }
};

// A stand-in for the message layer: one periodic timer that fires when pumped at or after its due time.
struct FakeTimer {
  uint64_t period;
  uint64_t due;
  std::vector<uint64_t> fired;

  void Install(xj::ManualClock& clock) {
    xj::SetClockPump({ [this] { return std::optional<uint64_t>(due); },
                       [this, &clock] {
                         const uint64_t now = clock.Milliseconds();
                         if (now >= due) {
                           fired.push_back(now);
                           due = now + period;
                         }
                       } });
  }
};
}  // namespace

TEST(ManualClock, TickCountWrapsAtTwoToThe32) {
  xj::ManualClock clock(0xFFFFFFF0ull);
  xj::ScopedClock use(clock);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  clock.Jump(0x20);
  EXPECT_EQ(GetTickCount(), 0x10u);
  EXPECT_EQ(GetTickCount64(), 0x100000010ull);
  // Elapsed time across the wrap still comes out right in unsigned 32-bit arithmetic.
  EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 0x20u);
}

TEST(ManualClock, SleepAdvancesTimeInsteadOfWaiting) {
  xj::ManualClock clock(1000);
  xj::ScopedClock use(clock);
  Sleep(250);
  EXPECT_EQ(GetTickCount64(), 1250u);
  EXPECT_EQ(SleepEx(750, FALSE), 0u);
  EXPECT_EQ(GetTickCount64(), 2000u);
  clock.Set(5);
  EXPECT_EQ(GetTickCount(), 5u);
}

TEST(ManualClock, LocalTimeFollowsTheTickCount) {
  xj::ManualClock clock;
  xj::ScopedClock use(clock);
  SYSTEMTIME st;
  GetLocalTime(&st);
  EXPECT_EQ(st.wYear, 2000);  // the default start
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wDayOfWeek, 6);  // a Saturday

  clock.SetLocalTime(SYSTEMTIME { 2024, 2, 0, 28, 23, 59, 59, 500 });
  clock.Jump(1000);
  GetLocalTime(&st);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wHour, 0);
  EXPECT_EQ(st.wSecond, 0);
  EXPECT_EQ(st.wMilliseconds, 500);
  EXPECT_EQ(st.wDayOfWeek, 4);  // Thursday
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  EXPECT_EQ(utc.wDay, 29);
}

TEST(ManualClock, AdvanceStepsToEveryDueTimeInOrder) {
  PumpGuard guard;
  xj::ManualClock clock;
  FakeTimer timer { 100, 100, {} };
  timer.Install(clock);
  clock.Advance(1000);
  EXPECT_EQ(timer.fired, (std::vector<uint64_t> { 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000 }));
  EXPECT_EQ(clock.Milliseconds(), 1000u);
  clock.Advance(50);
  EXPECT_EQ(timer.fired.size(), 10u);
}

TEST(ManualClock, JumpMovesWithoutPumpingSoTicksCoalesce) {
  PumpGuard guard;
  xj::ManualClock clock;
  FakeTimer timer { 100, 100, {} };
  timer.Install(clock);
  clock.Jump(1000);
  EXPECT_TRUE(timer.fired.empty());
  clock.Advance(0);  // the loop runs again: one late tick
  EXPECT_EQ(timer.fired, (std::vector<uint64_t> { 1000 }));
}

TEST(ManualClock, AdvanceAlwaysMovesOnEvenWhenATimerStaysDue) {
  PumpGuard guard;
  xj::ManualClock clock;
  int pumps = 0;
  xj::SetClockPump({ [] { return std::optional<uint64_t>(0); }, [&] { ++pumps; } });
  clock.Advance(5);
  EXPECT_EQ(clock.Milliseconds(), 5u);
  EXPECT_LE(pumps, 8);
}

TEST(Clock, ScopedClockPutsThePreviousClockBack) {
  xj::ManualClock outer(10), inner(20);
  {
    xj::ScopedClock a(outer);
    {
      xj::ScopedClock b(inner);
      EXPECT_EQ(GetTickCount(), 20u);
    }
    EXPECT_EQ(GetTickCount(), 10u);
  }
  EXPECT_FALSE(xj::CurrentClock().IsManual());
}

TEST(Clock, RealClockNeverGoesBackwards) {
  uint64_t last = GetTickCount64();
  for (int i = 0; i < 1000; ++i) {
    const uint64_t now = GetTickCount64();
    ASSERT_GE(now, last);
    last = now;
  }
  SYSTEMTIME st;
  GetLocalTime(&st);
  EXPECT_GE(st.wYear, 2020);
  EXPECT_LT(st.wDayOfWeek, 7);
}
