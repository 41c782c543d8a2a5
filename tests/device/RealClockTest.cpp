// A box on the real clock: its queries on quiet lines are answered without the lock, and must still see
// every change, every injected result and every timed event, and still be counted in the call log. A
// clock handed in is another matter: once replaced it is never called again, and replacing it costs
// nothing that stays.

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

class RealClockTest : public ::testing::Test {
 protected:
  RealClockTest() {
    box.SetMessageSink([](std::string_view) {});
    EXPECT_TRUE(box.Command("lines 4"));
    EXPECT_EQ(box.DevOpen(), 0);
  }
  void Run(std::string_view command) { ASSERT_TRUE(box.Command(command)) << command; }

  Box box;
  char buf[kTextBufferSize] {};
};

TEST_F(RealClockTest, QueriesSeeEveryChangeAndEveryInjectedResult) {
  EXPECT_EQ(box.DevGetHookState(1), 0);
  EXPECT_EQ(box.DevGetLineState(2), 0);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
  Run("offhook 1");
  Run("disconnect 2");
  EXPECT_EQ(box.DevGetHookState(1), 1);
  EXPECT_EQ(box.DevGetLineState(2), 1);
  EXPECT_EQ(box.DevGetHookState(2), 0);

  box.QueueCallerId(0, "13800138000");
  box.QueueDtmf(3, "45#");
  EXPECT_EQ(box.DevGetCallerId(0, buf), 11);
  EXPECT_EQ(std::string(buf, 11), "13800138000");
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
  EXPECT_EQ(box.DevGetDtmf(3, buf), 3);
  EXPECT_EQ(box.DevGetDtmf(3, buf), 0);

  Run("ring 0");
  EXPECT_EQ(box.DevGetRing(0), 1);
  EXPECT_EQ(box.DevGetRing(0), 0);

  Run("fail 1 hook 1");
  Run("value * count 9");
  EXPECT_EQ(box.DevGetHookState(1), -1);
  EXPECT_EQ(box.DevGetHookState(1), 1);
  EXPECT_EQ(box.DevGetLineCount(), 9);
  EXPECT_EQ(box.DevGetLineCount(), 4);

  // Bad arguments and lines past the count fail on either path.
  EXPECT_EQ(box.DevGetCallerId(0, nullptr), -1);
  EXPECT_EQ(box.DevGetHookState(4), -1);
  EXPECT_EQ(box.DevGetHookState(-1), -1);
  Run("ringmode level");
  Run("ring 3");
  EXPECT_EQ(box.DevGetRing(3), 1);
  EXPECT_EQ(box.DevGetRing(3), 1) << "level mode reports the bell on every query";

  ASSERT_EQ(box.DevClose(), 0);
  EXPECT_EQ(box.DevGetHookState(1), -1);
  EXPECT_EQ(box.DevGetRing(0), -1);
}

TEST_F(RealClockTest, TimedEventsArriveWithoutAnyOtherCall) {
  // Due a few milliseconds after the box opened: only the passing of time brings it.
  Run("at 20 cid 2 555");
  Run("at 40 offhook 1");
  // The limit only turns a fault into a failure instead of a hang; the events are due after 40 ms.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int32_t n = 0;
  while ((n = box.DevGetCallerId(2, buf)) == 0 && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
  ASSERT_EQ(n, 3);
  EXPECT_EQ(std::string(buf, 3), "555");
  while (box.DevGetHookState(1) == 0 && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
  EXPECT_EQ(box.DevGetHookState(1), 1);
}

TEST_F(RealClockTest, CallsFromEveryThreadCountInTheCallLog) {
  constexpr int kThreads = 4, kCalls = 2500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([this, t] {
      char own[kTextBufferSize];
      for (int i = 0; i < kCalls; ++i) {
        box.DevGetHookState(t);
        box.DevGetDtmf(t, own);
      }
    });
  for (std::thread& t : threads) t.join();
  box.SetCallLogging(true);
  box.DevGetLineCount();
  std::vector<CallRecord> log = box.CallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].seq, 1u + kThreads * kCalls * 2) << "DevOpen, then every query";
  EXPECT_NE(box.Status().find("calls: " + std::to_string(2 + kThreads * kCalls * 2)), std::string::npos);

  box.SetCallLogging(false);
  box.DevGetHookState(0);
  box.Reset();
  box.SetCallLogging(true);
  box.DevGetLineCount();
  log = box.CallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].seq, 0u) << "a reset box counts from the start";
}

// While one thread holds the box (its message sink reporting a bad file name), another's queries on a
// quiet line are answered; the sink waits for them. The limit only turns a hang into a failure.
void ExpectQuietQueriesAnsweredWhileTheBoxIsHeld(Box& box) {
  ASSERT_TRUE(box.Command("offhook 2"));
  std::mutex m;
  std::condition_variable changed;
  bool inSink = false, done = false, answeredInTime = false;
  int32_t hook = -1, ring = -1;
  box.SetMessageSink([&](std::string_view) {
    std::unique_lock lock(m);
    inSink = true;
    changed.notify_all();
    answeredInTime = changed.wait_for(lock, std::chrono::seconds(30), [&] { return done; });
  });
  std::thread holder([&] { EXPECT_EQ(box.DevStartRecord(0, "\x81", 100), -1); });
  {
    std::unique_lock lock(m);
    changed.wait(lock, [&] { return inSink; });
  }
  const int32_t h = box.DevGetHookState(2), r = box.DevGetRing(1);
  {
    std::lock_guard lock(m);
    hook = h;
    ring = r;
    done = true;
    changed.notify_all();
  }
  holder.join();
  EXPECT_TRUE(answeredInTime);
  EXPECT_EQ(hook, 1);
  EXPECT_EQ(ring, 0);
}

TEST_F(RealClockTest, QuietQueriesDoNotWaitForTheBox) { ExpectQuietQueriesAnsweredWhileTheBoxIsHeld(box); }

// Starting again on a recording line ends the first recording: once the second is stopped none runs,
// and the queries are quiet again.
TEST_F(RealClockTest, ARecordingStartedAgainAndStoppedLeavesTheQueriesQuiet) {
  ScratchDir dir;
  const std::string first = dir / "first.wav", second = dir / "second.wav";
  ASSERT_EQ(box.DevStartRecord(0, first.c_str(), 100000), 0);
  ASSERT_EQ(box.DevStartRecord(0, second.c_str(), 100000), 0);
  ASSERT_EQ(box.DevStopRecord(0), 0);
  ExpectQuietQueriesAnsweredWhileTheBoxIsHeld(box);
}

// A clock that notes every call still running after it was replaced. Each call lets other threads run
// for a while, so that one made from a stale view of the box would be seen.
struct WatchedClock {
  std::atomic<uint64_t> ms { 1000 };
  std::atomic<bool> replaced { false };
  std::atomic<int> callsAfter { 0 };
  static uint64_t Read(void* self) {
    auto& c = *static_cast<WatchedClock*>(self);
    for (int i = 0; i < 50; ++i) std::this_thread::yield();
    if (c.replaced.load()) ++c.callsAfter;
    return c.ms.load();
  }
};

using HandedInClockTest = BoxTest;

// Another thread polls quiet lines all the while the clock is replaced back and forth: neither clock is
// called once the call that replaced it has returned, so a caller may free what it handed in.
TEST_F(HandedInClockTest, AReplacedClockIsNeverCalledAgain) {
  Open();
  std::atomic<bool> stop { false };
  std::thread poller([&] {
    while (!stop.load())
      for (int line = 0; line < 4; ++line) box.DevGetHookState(line);
  });
  WatchedClock clocks[2];
  for (int i = 0; i < 5000; ++i) {
    WatchedClock& next = clocks[i % 2];
    next.replaced = false;
    box.SetClock(&WatchedClock::Read, &next);
    clocks[(i + 1) % 2].replaced = true;
  }
  box.SetClock(nullptr, nullptr);
  clocks[0].replaced = clocks[1].replaced = true;
  stop = true;
  poller.join();
  EXPECT_EQ(clocks[0].callsAfter + clocks[1].callsAfter, 0);
  EXPECT_EQ(box.DevGetHookState(0), 0);
}

// Pages resident now, in KiB.
long ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST_F(HandedInClockTest, ReplacingTheClockAgainAndAgainKeepsNothing) {
  Open();
  ManualClock other;
  auto replace = [&](int times) {
    for (int i = 0; i < times; ++i) {
      box.SetClock(&ManualClock::Read, i % 2 ? &clock : &other);
      box.DevGetHookState(1);
    }
  };
  replace(1000);
  const long before = ResidentKiB();
  replace(200000);
  const long after = ResidentKiB();
  ASSERT_GT(before, 0);
  // Kept for every clock, even a few bytes would come to megabytes.
  EXPECT_LT(after - before, 1024) << before << " KiB after a thousand clocks, " << after << " after 200,000 more";
}

// Under a clock handed in the queries see time-driven work from the exact millisecond it is due, and a
// clock set anew keeps box time running on.
TEST_F(HandedInClockTest, TimedWorkArrivesOnTheDueMillisecond) {
  Open();
  Run("at 500 cid 2 555");
  char buf[kTextBufferSize] {};
  Advance(499);
  EXPECT_EQ(box.DevGetCallerId(2, buf), 0);
  EXPECT_EQ(box.DevGetHookState(2), 0);
  Advance(1);
  EXPECT_EQ(box.DevGetCallerId(2, buf), 3);
  EXPECT_EQ(std::string(buf, 3), "555");

  Run("at 9000 offhook 1");
  ManualClock other;
  other.ms = 7;
  box.SetClock(&ManualClock::Read, &other);
  other.Advance(8499);  // box time 8999
  EXPECT_EQ(box.DevGetHookState(1), 0);
  other.Advance(1);
  EXPECT_EQ(box.DevGetHookState(1), 1);
}

}  // namespace
}  // namespace kaldo::test
