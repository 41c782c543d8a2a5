// Scenario files and command words: parsing, malformed lines, timed commands, the environment.

#include <cstdlib>
#include <fstream>

#include "device/sim/Scenario.h"
#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

TEST(ScenarioParse, WellFormedLines) {
  struct Case {
    const char* line;
    Verb verb;
    int lineNo;
    int64_t number;
    std::string text;
  } cases[] = {
    { "lines 20", Verb::Lines, kAllLines, 20, "" },
    { "lines -1", Verb::Lines, kAllLines, -1, "" },
    { "  serial   -5  ", Verb::Serial, kAllLines, -5, "" },
    { "serial 4294967295", Verb::Serial, kAllLines, -1, "" },
    { "ring 31", Verb::Ring, 31, 0, "" },
    { "ring *", Verb::Ring, kAllLines, 0, "" },
    { "call 0", Verb::Call, 0, 0, "" },
    { "call 3 13800138000", Verb::Call, 3, 0, "13800138000" },
    { "hangup 1", Verb::Hangup, 1, 0, "" },
    { "offhook\t2", Verb::OffHook, 2, 0, "" },
    { "onhook *", Verb::OnHook, kAllLines, 0, "" },
    { "disconnect 4", Verb::Disconnect, 4, 0, "" },
    { "connect 4", Verb::Connect, 4, 0, "" },
    { "cid 0  12 34 ", Verb::Cid, 0, 0, " 12 34 " },
    { "cid 0 # not a comment", Verb::Cid, 0, 0, "# not a comment" },
    { "dtmf 5 0123456789*#ABCD", Verb::Dtmf, 5, 0, "0123456789*#ABCD" },
    { "fail 2 ring 3", Verb::Fail, 2, 3, "" },
    { "value * cid 160", Verb::Value, kAllLines, 160, "" },
    { "value 0 count -2", Verb::Value, 0, -2, "" },
    { "recordlimit 1500", Verb::RecordLimit, kAllLines, 1500, "" },
    { "ringmode level", Verb::RingMode, kAllLines, 1, "" },
    { "ringmode event\r", Verb::RingMode, kAllLines, 0, "" },
  };
  for (const Case& c : cases) {
    std::string error;
    std::optional<TimedCommand> tc = ParseCommandLine(c.line, &error);
    ASSERT_TRUE(tc) << c.line << ": " << error;
    EXPECT_FALSE(tc->timed);
    EXPECT_EQ(tc->command.verb, c.verb) << c.line;
    EXPECT_EQ(tc->command.line, c.lineNo) << c.line;
    EXPECT_EQ(tc->command.number, c.number) << c.line;
    EXPECT_EQ(tc->command.text, c.text) << c.line;
  }
  std::optional<TimedCommand> tc = ParseCommandLine("at 1200 fail 1 recstate 2", nullptr);
  ASSERT_TRUE(tc);
  EXPECT_TRUE(tc->timed);
  EXPECT_EQ(tc->at, 1200u);
  EXPECT_EQ(tc->command.op, Op::RecState);
}

TEST(ScenarioParse, MalformedLinesSayWhatIsWrong) {
  struct Case {
    const char* line;
    const char* message;  // a part of the message
  } cases[] = {
    { "bogus 1", "unknown command 'bogus'" },
    { "RING 1", "unknown command" },
    { "ring", "expected: ring L" },
    { "ring 32", "bad line '32'" },
    { "ring -1", "bad line" },
    { "ring x", "bad line" },
    { "ring 1 2", "unexpected '2'" },
    { "ring 1 # comment", "unexpected '#'" },
    { "lines", "expected: lines N" },
    { "lines 2147483648", "bad number" },
    { "lines 1.5", "bad number" },
    { "lines 0x10", "bad number" },
    { "serial 4294967296", "bad number" },
    { "serial -2147483649", "bad number" },
    { "cid 0", "expected: cid L TEXT" },
    { "cid 0 ", "expected: cid L TEXT" },
    { "dtmf 0 12E", "bad DTMF digits" },
    { "dtmf 0", "expected: dtmf L DIGITS" },
    { "fail 0 ring", "expected: fail L OP N" },
    { "fail 0 bell 1", "unknown operation 'bell'" },
    { "fail 0 ring -1", "bad number" },
    { "value 0 ring", "expected: value L OP V" },
    { "value 0 ring 99999999999", "bad number" },
    { "recordlimit -5", "bad number" },
    { "ringmode loud", "bad ring mode" },
    { "at", "expected: at T COMMAND" },
    { "at 100", "expected: at T COMMAND" },
    { "at -1 ring 0", "bad time" },
    { "at soon ring 0", "bad time" },
    { "at 1 at 2 ring 0", "cannot be nested" },
    { "at 5 nonsense", "unknown command" },
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseCommandLine(c.line, &error)) << c.line;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.line << " gave: " << error;
  }
  for (const char* blank : { "", "   ", "\t", "# a comment", "   # indented comment", "\r" }) {
    std::string error = "x";
    EXPECT_FALSE(ParseCommandLine(blank, &error));
    EXPECT_EQ(error, "") << "'" << blank << "' is not an error";
  }
}

TEST(ScenarioParse, MalformedLinesAreReportedByNumberAndSkipped) {
  std::vector<ScenarioError> errors;
  std::vector<TimedCommand> cmds =
      ParseScenario("\xEF\xBB\xBF# demo\nlines 4\nring 99\n\nbad\r\nat 10 ring 1\n", errors);
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(cmds[0].command.verb, Verb::Lines);
  EXPECT_EQ(cmds[1].at, 10u);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].line, 3);
  EXPECT_EQ(errors[1].line, 5);
}

TEST(ScenarioParse, TheDemonstrationIsWellFormed) {
  std::vector<ScenarioError> errors;
  std::vector<TimedCommand> cmds = ParseScenario(DemoScenario(), errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_GT(cmds.size(), 10u);
  for (const TimedCommand& tc : cmds) EXPECT_TRUE(!tc.timed || tc.at < kDemoPeriodMs) << tc.at;
}

using ScenarioTest = BoxTest;

TEST_F(ScenarioTest, TimedCommandsRunAtTheirTimeAfterOpenInStableOrder) {
  // Written out of order; the two at 500 must run in the order written.
  std::vector<ScenarioError> errors = box.RunScenario(
      "lines 2\n"
      "at 900 cid 0 third\n"
      "at 500 cid 0 first\n"
      "at 500 cid 0 second\n"
      "at 500 nonsense\n"
      "at 1500 offhook 1\n");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].line, 5);
  EXPECT_EQ(box.DevGetLineCount(), -1) << "not open yet";
  Advance(10000);  // time before DevOpen does not count
  ASSERT_EQ(box.DevOpen(), 0);
  EXPECT_EQ(box.DevGetLineCount(), 2);
  char buf[kTextBufferSize];
  Advance(499);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
  Advance(1);
  std::vector<std::string> got;
  for (int n; (n = box.DevGetCallerId(0, buf)) > 0;) got.emplace_back(buf, n);
  EXPECT_EQ(got, (std::vector<std::string> { "first", "second" }));
  Advance(400);
  ASSERT_EQ(box.DevGetCallerId(0, buf), 5);
  EXPECT_EQ(box.DevGetHookState(1), 0);
  Advance(600);
  EXPECT_EQ(box.DevGetHookState(1), 1);
}

TEST_F(ScenarioTest, TimedCommandsAreAppliedInTimeOrderEvenWhenTimeJumps) {
  // A jump over many events must apply them one after the other, each at its own time: here the
  // offhook at 2500 answers the call whose bursts began at 1000, so no burst comes at 6000.
  ASSERT_EQ(box.DevOpen(), 0);
  Run("at 1000 call 0 42");
  Run("at 2500 offhook 0");
  Run("at 7000 onhook 0");
  Advance(8000);
  EXPECT_EQ(box.DevGetRing(0), 1) << "the one burst at 1000";
  EXPECT_EQ(box.DevGetRing(0), 0);
  char buf[kTextBufferSize];
  EXPECT_EQ(box.DevGetCallerId(0, buf), 2) << "sent at 2000, after the first burst";
  EXPECT_EQ(box.DevGetHookState(0), 0);
}

TEST_F(ScenarioTest, CloseDropsPendingTimedCommands) {
  ASSERT_EQ(box.DevOpen(), 0);
  Run("at 1000 cid 0 x");
  ASSERT_EQ(box.DevClose(), 0);
  ASSERT_EQ(box.DevOpen(), 0);
  Advance(2000);
  char buf[kTextBufferSize];
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
}

// The environment: KALDO_SCENARIO names the file DevOpen reads. Each case sets and restores it.
class EnvironmentScenarioTest : public ::testing::Test {
 protected:
  EnvironmentScenarioTest() {
    ::setenv("KALDO_CONTROL", "", 1);  // no socket for these boxes
  }
  ~EnvironmentScenarioTest() override {
    ::unsetenv("KALDO_SCENARIO");
    ::unsetenv("KALDO_CONTROL");
  }
  void UseBox() {
    box = std::make_unique<Box>(Box::Environment::Use);
    box->SetClock(&ManualClock::Read, &clock);
    box->SetMessageSink([this](std::string_view m) { messages.emplace_back(m); });
  }
  std::string WriteFile(const std::string& text) {
    std::string path = dir / "scenario.txt";
    std::ofstream(path) << text;
    return path;
  }
  ScratchDir dir;
  ManualClock clock;
  std::vector<std::string> messages;
  std::unique_ptr<Box> box;
};

TEST_F(EnvironmentScenarioTest, AScenarioFileIsReadAtOpenAndItsBadLinesReported) {
  ::setenv("KALDO_SCENARIO", WriteFile("lines 3\nserial 99\nring 77\nat 100 cid 2 hello\nfail 0 state\n").c_str(), 1);
  UseBox();
  EXPECT_EQ(box->DevGetLineCount(), -1);
  ASSERT_EQ(box->DevOpen(), 0);
  EXPECT_EQ(box->DevGetLineCount(), 3);
  EXPECT_EQ(box->DevGetSerialNumber(0), 99);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0].find("line 3"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("bad line '77'"), std::string::npos) << messages[0];
  EXPECT_NE(messages[1].find("line 5"), std::string::npos) << messages[1];
  clock.Advance(100);
  char buf[kTextBufferSize];
  EXPECT_EQ(box->DevGetCallerId(2, buf), 5);
}

TEST_F(EnvironmentScenarioTest, AnUnreadableScenarioIsReportedAndTheBoxStaysQuiet) {
  for (const std::string& path : { dir / "missing.txt", dir.Path() }) {
    ::setenv("KALDO_SCENARIO", path.c_str(), 1);
    messages.clear();
    UseBox();
    ASSERT_EQ(box->DevOpen(), 0) << path;
    ASSERT_EQ(messages.size(), 1u) << path;
    EXPECT_NE(messages[0].find("cannot read the scenario"), std::string::npos) << messages[0];
    EXPECT_EQ(box->DevGetLineCount(), kDefaultLineCount);
  }
}

TEST_F(EnvironmentScenarioTest, AnEmptyNameMeansNoScenario) {
  ::setenv("KALDO_SCENARIO", "", 1);
  UseBox();
  ASSERT_EQ(box->DevOpen(), 0);
  clock.Advance(120000);
  EXPECT_EQ(box->DevGetLineCount(), kDefaultLineCount);
  for (int i = 0; i < kDefaultLineCount; ++i) EXPECT_EQ(box->DevGetRing(i), 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(EnvironmentScenarioTest, WithoutAScenarioTheDemonstrationLoops) {
  ::unsetenv("KALDO_SCENARIO");
  UseBox();
  ASSERT_EQ(box->DevOpen(), 0);
  EXPECT_EQ(box->DevGetLineCount(), 4);
  // Line 0 rings in the first minute and again in the next, at the same moments.
  std::vector<uint64_t> rings;
  for (uint64_t t = 0; t < 2 * kDemoPeriodMs; t += 400) {
    if (box->DevGetRing(0) == 1) rings.push_back(t);
    clock.Advance(400);
  }
  ASSERT_FALSE(rings.empty());
  size_t half = 0;
  while (half < rings.size() && rings[half] < kDemoPeriodMs) ++half;
  ASSERT_EQ(rings.size(), 2 * half);
  for (size_t i = 0; i < half; ++i) EXPECT_EQ(rings[half + i], rings[i] + kDemoPeriodMs);
  EXPECT_TRUE(messages.empty());
}

TEST_F(EnvironmentScenarioTest, AScenarioSetByTheProgramWinsOverTheEnvironment) {
  ::setenv("KALDO_SCENARIO", WriteFile("lines 3\n").c_str(), 1);
  UseBox();
  box->SetScenario("lines 12\n");
  ASSERT_EQ(box->DevOpen(), 0);
  EXPECT_EQ(box->DevGetLineCount(), 12);
  ASSERT_EQ(box->DevClose(), 0);
  box->ClearScenario();
  ASSERT_EQ(box->DevOpen(), 0);
  EXPECT_EQ(box->DevGetLineCount(), 3);
}

}  // namespace
}  // namespace kaldo::test
