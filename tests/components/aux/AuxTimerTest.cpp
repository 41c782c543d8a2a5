// The threaded timer: ticks on the GUI thread at the pace of the manual clock, the run conditions, stop
// and restart from inside a tick, a new interval, destruction while running, while a tick waits for the
// GUI thread and from inside a tick; one test against the real clock with generous bounds.

#include <memory>

#include "components/DUVEnhancedClass.h"
#include "platform/win32/Clock.h"
#include "tests/components/aux/AuxTestUtil.h"
#include "tests/support/Wait.h"

using namespace auxtest;
using namespace ctltest;

namespace {

class TTestTimer : public TAHMEnhancedTimer32 {
 public:
  using TAHMEnhancedTimer32::WaitWorkerSettled;
};

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { harness = std::make_unique<xt::Harness>(); }
  void TearDown() override {
    timer.reset();
    harness.reset();
  }

  // Makes a running timer of Interval ms counting its ticks.
  void Start(uint16_t Interval) {
    timer = std::make_unique<TTestTimer>();
    timer->OnTimer = Counter();
    timer->SetInterval(Interval);
  }
  TNotifyEvent Counter() {
    return On<TNotifyEvent>([this](TObject* Sender) {
      ++ticks;
      onGuiThread = onGuiThread && GetCurrentThreadId() == MainThreadID();
      senderIsTimer = senderIsTimer && Sender == timer.get();
      if (inTick) inTick();
    });
  }
  // Moves the manual clock, then runs the ticks the worker hands over until it waits again with nothing
  // to deliver. Real time passes only while the worker is on its way.
  int Advance(uint64_t Ms) {
    xt::Advance(Ms);
    Settle(*timer);
    return ticks;
  }
  static void Settle(TTestTimer& T) {
    const bool settled =
        xj::test::WaitUntil([&] { return T.WaitWorkerSettled(1) && !CheckSynchronize(); }, [] { CheckSynchronize(); });
    if (!settled) ADD_FAILURE() << "the worker did not settle";
  }

  std::unique_ptr<xt::Harness> harness;
  std::unique_ptr<TTestTimer> timer;
  int ticks { 0 };
  bool onGuiThread { true };
  bool senderIsTimer { true };
  std::function<void()> inTick;
};

TEST_F(TimerTest, TicksEveryIntervalOnTheGuiThreadWithTheTimerAsSender) {
  Start(100);
  EXPECT_TRUE(timer->Running());
  EXPECT_EQ(Advance(99), 0);
  EXPECT_EQ(Advance(1), 1);
  EXPECT_EQ(Advance(100), 2);
  EXPECT_EQ(Advance(50), 2);
  EXPECT_EQ(Advance(50), 3);
  EXPECT_TRUE(onGuiThread);
  EXPECT_TRUE(senderIsTimer);
}

TEST_F(TimerTest, RunsOnlyWithAnIntervalEnabledAndAHandler) {
  struct Case {
    uint16_t interval;
    bool enabled;
    bool handler;
    bool runs;
  };
  for (const Case& c : { Case { 0, true, true, false }, Case { 100, false, true, false },
                         Case { 100, true, false, false }, Case { 100, true, true, true } }) {
    SCOPED_TRACE(testing::Message() << c.interval << " " << c.enabled << " " << c.handler);
    timer = std::make_unique<TTestTimer>();
    ticks = 0;
    if (c.handler) timer->OnTimer = Counter();
    timer->SetInterval(c.interval);
    timer->SetEnabled(c.enabled);
    EXPECT_EQ(timer->Running(), c.runs);
    EXPECT_EQ(Advance(300), c.runs ? 1 : 0);  // a late tick comes once: the next waits a whole interval
  }
}

TEST_F(TimerTest, AssigningOnTimerAloneDoesNotStartItTheNextSetterDoes) {
  timer = std::make_unique<TTestTimer>();
  timer->SetInterval(100);
  timer->OnTimer = Counter();
  EXPECT_FALSE(timer->Running());
  EXPECT_EQ(Advance(500), 0);
  timer->SetEnabled(true);  // unchanged, yet it re-applies the run state
  EXPECT_TRUE(timer->Running());
  EXPECT_EQ(Advance(100), 1);
}

TEST_F(TimerTest, DisabledInsideOnTimerItTicksNoMoreUntilEnabledAgain) {
  Start(100);
  inTick = [this] { timer->SetEnabled(false); };
  EXPECT_EQ(Advance(100), 1);
  EXPECT_FALSE(timer->Running());
  EXPECT_EQ(Advance(1000), 1);
  inTick = nullptr;
  timer->SetEnabled(true);
  EXPECT_EQ(Advance(99), 1);
  EXPECT_EQ(Advance(1), 2);
}

TEST_F(TimerTest, ANewIntervalTakesEffectAfterTheWaitInProgress) {
  Start(100);
  EXPECT_EQ(Advance(50), 0);
  timer->SetInterval(300);
  EXPECT_EQ(Advance(50), 1);
  EXPECT_EQ(Advance(299), 1);
  EXPECT_EQ(Advance(1), 2);
  timer->SetInterval(0);
  EXPECT_FALSE(timer->Running());
  EXPECT_EQ(Advance(1000), 2);
}

TEST_F(TimerTest, AnExceptionFromOnTimerIsReportedAndTheTimerGoesOn) {
  std::vector<TObject*> reported;
  const TNotifyEvent previous = ApplicationHandleException;
  ApplicationHandleException = On<TNotifyEvent>([&](TObject* s) { reported.push_back(s); });
  Start(100);
  inTick = [] { throw EInvalidOperation("tick failed"); };
  EXPECT_EQ(Advance(100), 1);
  EXPECT_EQ(Advance(100), 2);
  ApplicationHandleException = previous;
  EXPECT_EQ(reported, (std::vector<TObject*> { timer.get(), timer.get() }));
}

TEST_F(TimerTest, DestroyedWhileATickWaitsForTheGuiThreadDeliversNothingAndDoesNotHang) {
  Start(100);
  xt::Advance(100);
  timer->WaitWorkerSettled(50);  // gives the worker time to queue its tick
  timer.reset();
  EXPECT_FALSE(CheckSynchronize());
  EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, DestroyedInsideItsOwnOnTimer) {
  Start(100);
  inTick = [this] { timer.reset(); };
  EXPECT_EQ((xt::Advance(100), CheckSynchronize(5000), ticks), 1);
  EXPECT_EQ(timer, nullptr);
  xt::Advance(1000);
  EXPECT_FALSE(CheckSynchronize());
  EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, DestroyedStoppedOrNeverStarted) {
  timer = std::make_unique<TTestTimer>();
  timer.reset();
  Start(100);
  EXPECT_EQ(Advance(100), 1);
  timer->SetEnabled(false);
  timer.reset();
  EXPECT_EQ(ticks, 1);
}

// With the real clock: twenty-millisecond ticks keep their pace (never early) within generous bounds.
TEST(TimerRealTime, TicksAtItsIntervalOnTheGuiThread) {
  TAHMEnhancedTimer32 timer;
  std::vector<uint64_t> at;
  bool gui = true;
  timer.OnTimer = On<TNotifyEvent>([&](TObject*) {
    at.push_back(GetTickCount64());
    gui = gui && GetCurrentThreadId() == MainThreadID();
  });
  const uint64_t start = GetTickCount64();
  timer.SetInterval(20);
  while (at.size() < 5 && GetTickCount64() - start < 10000) CheckSynchronize(100);
  ASSERT_EQ(at.size(), 5u);
  EXPECT_GE(at[0] - start, 19u);
  for (size_t i = 1; i < at.size(); ++i) EXPECT_GE(at[i] - at[i - 1], 19u) << i;
  EXPECT_LT(at.back() - start, 10000u);
  EXPECT_TRUE(gui);
}

TEST(ExecComponent, TheBaseDoesNothingAndItsDesignHookIsNotStored) {
  TAHMEnhancedExecComponent base(nullptr);
  EXPECT_FALSE(base.Execute());
  const TPropInfo* hook = GetPropInfo(&base, "DesignExecute");
  ASSERT_NE(hook, nullptr);
  base.SetDesignExecute("run");
  EXPECT_FALSE(IsStoredProp(&base, hook));
}

}  // namespace
