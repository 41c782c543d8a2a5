// The ring model: calls ring in bursts of about 1 s every 5 s, in event and level mode.

#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

class RingTest : public BoxTest {
 protected:
  void SetUp() override { Open(4); }

  // Polls line 0 every `step` ms for `total` ms (as the console's timer does) and returns the
  // times, relative to the start, at which DevGetRing reported a ring.
  std::vector<uint64_t> PollRings(uint64_t total, uint64_t step, int line = 0) {
    std::vector<uint64_t> at;
    for (uint64_t t = 0; t < total; t += step) {
      if (box.DevGetRing(line) == 1) at.push_back(t);
      Advance(step);
    }
    return at;
  }

  std::string CallerId(int line) {
    char buf[kTextBufferSize];
    int n = box.DevGetCallerId(line, buf);
    return n > 0 ? std::string(buf, n) : std::string();
  }
};

TEST_F(RingTest, EventModeReportsEachBurstOnceUntilTheCallerGivesUp) {
  Run("call 0 13800138000");
  std::vector<uint64_t> rings = PollRings(45000, 400);
  // Bursts start at 0, 5, 10, 15, 20 and 25 s; a 400 ms poll sees each one exactly once.
  EXPECT_EQ(rings, (std::vector<uint64_t> { 0, 5200, 10000, 15200, 20000, 25200 }));
}

TEST_F(RingTest, CallerIdArrivesAfterTheFirstBurst) {
  Run("call 2 02161234567");
  Advance(999);
  EXPECT_EQ(CallerId(2), "");
  Advance(1);
  EXPECT_EQ(CallerId(2), "02161234567");
  Advance(20000);
  EXPECT_EQ(CallerId(2), "") << "the number comes once per call";
}

TEST_F(RingTest, UnreadBurstsAreReportedOnce) {
  Run("call 0");
  Advance(12000);  // three bursts, nobody asked
  EXPECT_EQ(box.DevGetRing(0), 1);
  EXPECT_EQ(box.DevGetRing(0), 0);
  EXPECT_EQ(CallerId(0), "") << "a call without a number sends no caller ID";
}

TEST_F(RingTest, LevelModeReportsOneOnEveryQueryWhileTheBellSounds) {
  Run("ringmode level");
  Run("call 0 1");
  for (int burst = 0; burst < 2; ++burst) {
    for (uint64_t t = 0; t < 5000; t += 250) {
      int expected = t < 1000 ? 1 : 0;
      EXPECT_EQ(box.DevGetRing(0), expected) << "burst " << burst << " at " << t;
      EXPECT_EQ(box.DevGetRing(0), expected) << "second query, same moment";
      Advance(250);
    }
  }
}

TEST_F(RingTest, AnsweringStopsTheRinging) {
  for (const char* mode : { "event", "level" }) {
    Run(std::string("ringmode ") + mode);
    Run("call 1 5");
    Advance(5500);  // inside the second burst
    EXPECT_EQ(box.DevGetRing(1), 1) << mode;
    Run("offhook 1");
    EXPECT_EQ(box.DevGetHookState(1), 1);
    EXPECT_TRUE(PollRings(30000, 400, 1).empty()) << mode;
    Run("onhook 1");
  }
}

TEST_F(RingTest, HangupStopsTheRingingAndTheCallerId) {
  Run("ringmode level");
  Run("call 0 777");
  Advance(500);
  Run("hangup 0");
  EXPECT_EQ(box.DevGetRing(0), 0) << "the bell stops at once";
  Advance(20000);
  EXPECT_EQ(CallerId(0), "");
  EXPECT_TRUE(PollRings(20000, 400).empty());
}

TEST_F(RingTest, DisconnectionEndsACallAndBusyLinesDoNotRing) {
  Run("call 0");
  EXPECT_EQ(box.DevGetRing(0), 1);
  Run("disconnect 0");
  EXPECT_TRUE(PollRings(12000, 400).empty());
  Run("call 0");
  Run("ring 0");
  EXPECT_TRUE(PollRings(6000, 400).empty()) << "a disconnected line cannot ring";
  Run("connect 0");
  Run("offhook 0");
  Run("call 0");
  EXPECT_TRUE(PollRings(6000, 400).empty()) << "a line in use is busy";
}

TEST_F(RingTest, ARingIsOneBurstOnAnyLine) {
  Run("ringmode level");
  Run("ring *");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(box.DevGetRing(i), 1) << i;
  Advance(999);
  EXPECT_EQ(box.DevGetRing(3), 1);
  Advance(1);
  EXPECT_EQ(box.DevGetRing(3), 0);
  Run("ringmode event");
  Run("ring 2");
  EXPECT_EQ(box.DevGetRing(2), 1);
  EXPECT_EQ(box.DevGetRing(2), 0);
}

TEST_F(RingTest, SwitchingModesDropsUnreadEvents) {
  Run("ring 0");
  Advance(2000);
  Run("ringmode level");
  EXPECT_EQ(box.DevGetRing(0), 0);
  Run("ringmode event");
  EXPECT_EQ(box.DevGetRing(0), 0);
}

TEST_F(RingTest, ALaterCallRingsAgainAfterOneGaveUp) {
  Run("call 0 1");
  PollRings(40000, 400);
  CallerId(0);
  Run("call 0 2");
  EXPECT_EQ(box.DevGetRing(0), 1);
  Advance(1000);
  EXPECT_EQ(CallerId(0), "2");
}

}  // namespace
}  // namespace kaldo::test
