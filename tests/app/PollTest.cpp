// The line watch: every event text and its transition rules, error lines with tag and time and the end
// of the tick, the 8,000 ms missed-call rule, caller-ID trimming and counts, and the 800-line clearing.

#include "tests/app/ConsoleTestSupport.h"

using namespace apptest;

namespace {

class PollTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (HasFatalFailure()) return;
    Command("lines 4");
    Start();
    NewEvents();
  }
  // The selected line of the event list.
  static int Selected() { return Form1->LBMsg->ItemIndex(); }
};

TEST_F(PollTest, EachChangeOnALineAddsItsText) {
  struct Step {
    std::vector<std::string> commands;
    std::vector<std::string> events;
  } steps[] = {
    { { "disconnect 1" }, { "线1:电话断线!" } },
    { {}, {} },  // reported once
    { { "connect 1" }, { "线1:电话线连接!" } },
    { { "offhook 2" }, { "线2:电话摘机!" } },
    { {}, {} },
    { { "onhook 2" }, { "线2:电话挂机!" } },
    { { "dtmf 3 12#" }, { "线3:DTMF号码:12#" } },
    { { "cid 0 13912345678" }, { "线0:收到来电号码:13912345678" } },
    // Several lines in one tick come in line order, each line's checks in their order.
    { { "offhook 3", "disconnect 0" }, { "线0:电话断线!", "线3:电话摘机!" } },
  };
  for (const Step& s : steps) {
    for (const std::string& c : s.commands) Command(c);
    Tick();
    EXPECT_EQ(NewEvents(), s.events) << (s.commands.empty() ? "(nothing)" : s.commands.front());
    EXPECT_EQ(Selected(), Form1->LBMsg->Items()->Count() - 1);
  }
}

TEST_F(PollTest, ADisconnectionAndReconnectionBetweenTwoTicksShowBothInOneTick) {
  // Disconnected at the first query, connected again by the second.
  Command("value 1 state 1");
  Tick();
  EXPECT_EQ(NewEvents(), (std::vector<std::string> { "线1:电话断线!", "线1:电话线连接!" }));
}

TEST_F(PollTest, ARingNotAnsweredForEightSecondsIsMissedOnce) {
  Command("ring 0");
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线0:振铃......" });
  xt::Advance(8000);  // the last of these ticks comes 8000 ms after the ring: not more than 8000
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线0未接听......" });
  xt::Advance(20000);
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
}

TEST_F(PollTest, TheHookIsAskedForAMissedCallOnlyOnceTheTimeHasPassed) {
  Command("ring 1");
  Tick();
  Box().ClearCallLog();
  Tick();
  int hookCalls = 0;
  for (const KaldoCall& c : Calls()) hookCalls += c.ordinal == 11 && c.args[0] == 1;
  EXPECT_EQ(hookCalls, 2);  // step 2 (a) and the answered check: not the missed check yet
}

// The two late checks of a pending ring: a bell heard by the still-ringing check starts the eight
// seconds again, and a handset found lifted by the missed check (after the answered check had found it
// down) is no missed call: the next tick answers it.
TEST_F(PollTest, TheLateChecksOfAPendingRingRestartOrHoldTheMissedCall) {
  Command("ring 0");
  Tick();
  NewEvents();
  xt::Advance(4000);
  Command("value 0 ring 0");  // the first query of the tick
  Command("value 0 ring 1");  // the still-ringing check
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线0振铃......" });
  xt::Advance(8000);  // up to exactly 8000 ms after that tick
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});

  Command("offhook 0");
  Command("value 0 hook 0");  // the hook watch
  Command("value 0 hook 0");  // the answered check
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
  Tick();
  EXPECT_EQ(NewEvents(), (std::vector<std::string> { "线0:电话摘机!", "线0接听......" }));
}

TEST_F(PollTest, LiftingTheHandsetWhileItRingsAnswersTheCall) {
  Command("call 2 88886666");
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线2:振铃......" });
  xt::Advance(1200);  // the first burst has ended: the number arrives
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线2:收到来电号码:88886666" });
  Command("offhook 2");
  Tick();
  EXPECT_EQ(NewEvents(), (std::vector<std::string> { "线2:电话摘机!", "线2接听......" }));
  xt::Advance(10000);
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
}

TEST_F(PollTest, ABellStillSoundingAtTheSecondQueryAddsBothRingTexts) {
  Command("ringmode level");
  Command("ring 0");
  Tick();
  EXPECT_EQ(NewEvents(), (std::vector<std::string> { "线0:振铃......", "线0振铃......" }));
}

TEST_F(PollTest, AnyRingValueIsARingButOnlyOneIsStillRinging) {
  Command("value 0 ring 2");
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线0:振铃......" });
  Command("value 0 ring 0");  // the first query of the next tick
  Command("value 0 ring 2");  // the still-ringing check: 2 is not 1
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
}

TEST_F(PollTest, TheCallerNumberIsCutAtTheCountAndTrimmed) {
  Command("cid 0  12xyz");
  Command("value 0 cid 3");
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线0:收到来电号码:12" });
  Command("cid 1 \t ");
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> { "线1:收到来电号码:" });
}

TEST_F(PollTest, CountsOutsideOneTo159AddNothing) {
  for (const char* count : { "0", "160", "1000", "-2" }) {
    Command("cid 0 123");
    Command(std::string("value 0 cid ") + count);
    Command("dtmf 1 45");
    Command(std::string("value 1 dtmf ") + count);
    Tick();
    EXPECT_EQ(NewEvents(), std::vector<std::string> {}) << count;
  }
  Command("cid 0 123");
  Command("value 0 cid 159");
  Tick();
  ASSERT_EQ(NewEvents().size(), 1u);
}

TEST_F(PollTest, AFailedQueryWritesOneErrorLineAndEndsTheTick) {
  struct Case {
    const char* op;
    const char* tag;
  } cases[] = {
    { "state", "DisConnect:" }, { "hook", "OffHook:" }, { "ring", "Ring:" }, { "cid", "CID:" }, { "dtmf", "DTMF:" }
  };
  for (const Case& c : cases) {
    Command("offhook 3");
    Command(std::string("fail 1 ") + c.op + " 1");
    Box().ClearCallLog();
    const int selected = Selected();
    Tick();
    const std::vector<std::string> lines = NewEvents();
    ASSERT_EQ(lines.size(), 1u) << c.op;  // line 3's lifted handset waits for the next tick
    const std::string expected = std::string("线1") + c.tag + "系统错误";
    EXPECT_EQ(lines[0].substr(0, expected.size()), expected) << c.op;
    EXPECT_EQ(lines[0].substr(expected.size()), LocalTimeText()) << c.op;
    EXPECT_EQ(Selected(), selected) << c.op;
    for (const KaldoCall& call : Calls()) EXPECT_LT(call.args[0], 2) << c.op << ": line " << call.args[0] << " polled";
    Tick();
    EXPECT_EQ(NewEvents(), std::vector<std::string> { "线3:电话摘机!" }) << c.op;
    Command("onhook 3");
    Tick();
    NewEvents();
  }
}

TEST_F(PollTest, AFailureInsideThePendingRingChecksIsNoError) {
  Command("ring 0");
  Tick();
  NewEvents();
  Command("value 0 hook 0");   // the hook check of step 2
  Command("value 0 hook -1");  // the answered check
  Command("value 0 ring 0");
  Command("value 0 ring -1");  // the still-ringing check
  Tick();
  EXPECT_EQ(NewEvents(), std::vector<std::string> {});
}

TEST_F(PollTest, AKeptFailingBoxAddsAnErrorLinePerTick) {
  Command("fail 0 state 1000");
  xt::Advance(2000);
  const std::vector<std::string> lines = NewEvents();
  EXPECT_EQ(lines.size(), 5u);
  const std::string prefix = "线0DisConnect:";
  for (const std::string& l : lines) EXPECT_EQ(l.substr(0, prefix.size()), prefix);
}

TEST_F(PollTest, TheListIsClearedWhenItHolds800Lines) {
  TStrings* items = Form1->LBMsg->Items();
  for (int i = 0; i < 799; ++i) items->Add("old " + IntToStr(i));
  Command("offhook 0");
  Tick();
  EXPECT_EQ(items->Count(), 800);
  Command("onhook 0");
  Tick();
  ASSERT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Strings(0), "线0:电话挂机!");
  EXPECT_EQ(Selected(), 0);
}

}  // namespace
