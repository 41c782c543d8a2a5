// The thirteen operations: their contracts, argument checks, fault injection and the call log.

#include <cstring>
#include <functional>

#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

using OperationsTest = BoxTest;

struct NamedCall {
  const char* name;
  std::function<int32_t(Box&)> call;
};

// Every operation but DevOpen, with valid arguments.
std::vector<NamedCall> AllButOpen(char* buffer, const std::string& wav) {
  return {
    { "DevClose", [](Box& b) { return b.DevClose(); } },
    { "DevGetLineCount", [](Box& b) { return b.DevGetLineCount(); } },
    { "DevSetDeviceType", [](Box& b) { return b.DevSetDeviceType(1); } },
    { "DevGetSerialNumber", [](Box& b) { return b.DevGetSerialNumber(0); } },
    { "DevGetLineState", [](Box& b) { return b.DevGetLineState(0); } },
    { "DevGetHookState", [](Box& b) { return b.DevGetHookState(0); } },
    { "DevGetRing", [](Box& b) { return b.DevGetRing(0); } },
    { "DevGetCallerId", [buffer](Box& b) { return b.DevGetCallerId(0, buffer); } },
    { "DevGetDtmf", [buffer](Box& b) { return b.DevGetDtmf(0, buffer); } },
    { "DevStartRecord", [wav](Box& b) { return b.DevStartRecord(0, wav.c_str(), 0x0FFFFFFF); } },
    { "DevStopRecord", [](Box& b) { return b.DevStopRecord(0); } },
    { "DevGetRecordState", [](Box& b) { return b.DevGetRecordState(0); } },
  };
}

TEST_F(OperationsTest, EveryOperationFailsBeforeOpenAndAfterClose) {
  ScratchDir dir;
  char buffer[kTextBufferSize];
  Run("cid 0 123");
  for (const NamedCall& c : AllButOpen(buffer, dir / "a.wav")) EXPECT_EQ(c.call(box), -1) << c.name << " before open";
  Open();
  ASSERT_EQ(box.DevClose(), 0);
  for (const NamedCall& c : AllButOpen(buffer, dir / "a.wav")) EXPECT_EQ(c.call(box), -1) << c.name << " after close";
  EXPECT_FALSE(std::filesystem::exists(dir / "a.wav")) << "a closed box must not create files";
  // Nothing was consumed by the refused calls: the caller ID is still there once the box is open.
  ASSERT_EQ(box.DevOpen(), 0);
  EXPECT_EQ(box.DevGetCallerId(0, buffer), 3);
}

TEST_F(OperationsTest, OpenIsIdempotentAndCloseOnlyClosesAnOpenBox) {
  EXPECT_EQ(box.DevOpen(), 0);
  EXPECT_EQ(box.DevOpen(), 0);
  EXPECT_EQ(box.DevClose(), 0);
  EXPECT_EQ(box.DevClose(), -1);
  EXPECT_EQ(box.DevOpen(), 0);
}

TEST_F(OperationsTest, BadArgumentsAreRefused) {
  Open(4);
  ScratchDir dir;
  std::string wav = dir / "x.wav";
  struct Case {
    const char* what;
    std::function<int32_t()> call;
  } cases[] = {
    { "line -1", [&] { return box.DevGetLineState(-1); } },
    { "line = line count", [&] { return box.DevGetHookState(4); } },
    { "line 32", [&] { return box.DevGetRing(32); } },
    { "huge line", [&] { return box.DevGetRecordState(0x7FFFFFFF); } },
    { "type 0", [&] { return box.DevSetDeviceType(0); } },
    { "type 4", [&] { return box.DevSetDeviceType(4); } },
    { "type -1", [&] { return box.DevSetDeviceType(-1); } },
    { "device index 1", [&] { return box.DevGetSerialNumber(1); } },
    { "device index -1", [&] { return box.DevGetSerialNumber(-1); } },
    { "null caller-ID buffer", [&] { return box.DevGetCallerId(0, nullptr); } },
    { "null DTMF buffer", [&] { return box.DevGetDtmf(0, nullptr); } },
    { "null file name", [&] { return box.DevStartRecord(0, nullptr, 0x0FFFFFFF); } },
    { "empty file name", [&] { return box.DevStartRecord(0, "", 0x0FFFFFFF); } },
    { "byte limit 0", [&] { return box.DevStartRecord(0, wav.c_str(), 0); } },
    { "negative byte limit", [&] { return box.DevStartRecord(0, wav.c_str(), -16000); } },
    { "record on a bad line", [&] { return box.DevStartRecord(7, wav.c_str(), 0x0FFFFFFF); } },
    { "stop a bad line", [&] { return box.DevStopRecord(-3); } },
  };
  for (const Case& c : cases) EXPECT_EQ(c.call(), -1) << c.what;
  EXPECT_FALSE(std::filesystem::exists(wav));
  for (int32_t t = 1; t <= 3; ++t) EXPECT_EQ(box.DevSetDeviceType(t), 0);
  EXPECT_EQ(box.DevGetHookState(3), 0);
}

TEST_F(OperationsTest, LineCountIsReportedAsSetAndBoundsTheValidLines) {
  Open(4);
  struct Case {
    int32_t count;
    int validUpTo;  // lines below this answer
  } cases[] = { { 0, 0 }, { -1, 0 }, { 1, 1 }, { 16, 16 }, { 20, 20 }, { 40, 32 } };
  for (const Case& c : cases) {
    Run("lines " + std::to_string(c.count));
    EXPECT_EQ(box.DevGetLineCount(), c.count);
    if (c.validUpTo > 0) {
      EXPECT_EQ(box.DevGetLineState(c.validUpTo - 1), 0) << "count " << c.count;
    }
    EXPECT_EQ(box.DevGetLineState(c.validUpTo), -1) << "count " << c.count;
  }
}

TEST_F(OperationsTest, SerialNumberIsAnyThirtyTwoBitValue) {
  Open();
  for (auto [word, expected] : std::vector<std::pair<std::string, int32_t>> {
           { "123456", 123456 }, { "-42", -42 }, { "-1", -1 }, { "4294967295", -1 }, { "2147483648", INT32_MIN } }) {
    Run("serial " + word);
    EXPECT_EQ(box.DevGetSerialNumber(0), expected) << word;
  }
}

TEST_F(OperationsTest, LineAndHookStatesFollowTheCommands) {
  Open();
  Run("disconnect 1");
  Run("offhook 2");
  EXPECT_EQ(box.DevGetLineState(0), 0);
  EXPECT_EQ(box.DevGetLineState(1), 1);
  EXPECT_EQ(box.DevGetHookState(1), 0);
  EXPECT_EQ(box.DevGetHookState(2), 1);
  Run("connect 1");
  Run("onhook 2");
  EXPECT_EQ(box.DevGetLineState(1), 0);
  EXPECT_EQ(box.DevGetHookState(2), 0);
  Run("disconnect *");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(box.DevGetLineState(i), 1) << i;
}

// The caller's buffer holds 160 bytes; nothing past byte 159 may change, and no terminator is added.
TEST_F(OperationsTest, TextsNeverOverrunTheBufferAndCarryNoTerminator) {
  Open();
  box.QueueCallerId(0, std::string(300, '7'));
  box.QueueCallerId(0, std::string(" 12\x01\t", 5));
  box.QueueDtmf(0, std::string(200, '1'));
  char guard[kTextBufferSize + 64];
  auto fresh = [&] { std::memset(guard, 'x', sizeof guard); };

  fresh();
  EXPECT_EQ(box.DevGetCallerId(0, guard), 159);
  EXPECT_EQ(guard[158], '7');
  for (size_t i = 159; i < sizeof guard; ++i) ASSERT_EQ(guard[i], 'x') << "byte " << i;

  fresh();
  EXPECT_EQ(box.DevGetCallerId(0, guard), 5);
  EXPECT_EQ(std::string(guard, 5), std::string(" 12\x01\t", 5));
  EXPECT_EQ(guard[5], 'x');
  EXPECT_EQ(box.DevGetCallerId(0, guard), 0);

  fresh();
  EXPECT_EQ(box.DevGetDtmf(0, guard), 159);
  for (size_t i = 159; i < sizeof guard; ++i) ASSERT_EQ(guard[i], 'x') << "byte " << i;
  // The digits beyond one buffer stay queued, in order.
  Run("dtmf 0 #");
  fresh();
  EXPECT_EQ(box.DevGetDtmf(0, guard), 42);
  EXPECT_EQ(guard[40], '1');
  EXPECT_EQ(guard[41], '#');
  EXPECT_EQ(box.DevGetDtmf(0, guard), 0);
}

TEST_F(OperationsTest, CallerIdsComeOneAtATimeInOrder) {
  Open();
  Run("cid 1 first");
  Run("cid 1  second with  spaces ");
  char buf[kTextBufferSize];
  ASSERT_EQ(box.DevGetCallerId(1, buf), 5);
  EXPECT_EQ(std::string(buf, 5), "first");
  int n = box.DevGetCallerId(1, buf);
  EXPECT_EQ(std::string(buf, n), " second with  spaces ");
  EXPECT_EQ(box.DevGetCallerId(1, buf), 0);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
}

struct FaultCase {
  const char* op;
  std::function<int32_t(Box&, int line)> call;
  int32_t normal;  // the result without a fault, on line 1 of a quiet open box
};

std::vector<FaultCase> FaultCases(char* buf) {
  return {
    { "state", [](Box& b, int l) { return b.DevGetLineState(l); }, 0 },
    { "hook", [](Box& b, int l) { return b.DevGetHookState(l); }, 0 },
    { "ring", [](Box& b, int l) { return b.DevGetRing(l); }, 0 },
    { "cid", [buf](Box& b, int l) { return b.DevGetCallerId(l, buf); }, 0 },
    { "dtmf", [buf](Box& b, int l) { return b.DevGetDtmf(l, buf); }, 0 },
    { "stop", [](Box& b, int l) { return b.DevStopRecord(l); }, 0 },
    { "recstate", [](Box& b, int l) { return b.DevGetRecordState(l); }, 0 },
    { "count", [](Box& b, int) { return b.DevGetLineCount(); }, 4 },
    { "serial", [](Box& b, int) { return b.DevGetSerialNumber(0); }, 777 },
    { "type", [](Box& b, int) { return b.DevSetDeviceType(2); }, 0 },
  };
}

TEST_F(OperationsTest, FailMakesTheNextCallsOfOneOperationFail) {
  Open();
  Run("serial 777");
  char buf[kTextBufferSize];
  for (const FaultCase& c : FaultCases(buf)) {
    Run(std::string("fail 1 ") + c.op + " 2");
    EXPECT_EQ(c.call(box, 1), -1) << c.op;
    EXPECT_EQ(c.call(box, 1), -1) << c.op;
    EXPECT_EQ(c.call(box, 1), c.normal) << c.op;
    if (std::string(c.op) != "count" && std::string(c.op) != "serial" && std::string(c.op) != "type") {
      Run(std::string("fail 1 ") + c.op + " 1");
      EXPECT_EQ(c.call(box, 2), c.normal) << c.op << " on another line";
      EXPECT_EQ(c.call(box, 1), -1) << c.op;
    }
  }
}

TEST_F(OperationsTest, ValueReturnsRawResultsOnceEach) {
  Open();
  Run("serial 777");
  char buf[kTextBufferSize];
  for (const FaultCase& c : FaultCases(buf)) {
    Run(std::string("value 1 ") + c.op + " 2");
    Run(std::string("value 1 ") + c.op + " -7");
    EXPECT_EQ(c.call(box, 1), 2) << c.op;
    EXPECT_EQ(c.call(box, 1), -7) << c.op;
    EXPECT_EQ(c.call(box, 1), c.normal) << c.op;
  }
}

TEST_F(OperationsTest, RawTextCountsStillWriteAtMost159Bytes) {
  Open();
  box.QueueCallerId(0, std::string(400, 'a'));
  box.QueueCallerId(0, " 12xyz");
  Run("value 0 cid 1000");
  Run("value 0 cid 3");
  char guard[kTextBufferSize + 16];
  std::memset(guard, 'x', sizeof guard);
  EXPECT_EQ(box.DevGetCallerId(0, guard), 1000);
  for (size_t i = 159; i < sizeof guard; ++i) ASSERT_EQ(guard[i], 'x') << "byte " << i;
  EXPECT_EQ(box.DevGetCallerId(0, guard), 3);
  EXPECT_EQ(std::string(guard, 6), " 12xyz");
}

TEST_F(OperationsTest, AnInjectedFailureConsumesNothing) {
  Open();
  Run("cid 0 555");
  Run("dtmf 0 12");
  Run("ring 0");
  Run("fail 0 cid 1");
  Run("fail 0 dtmf 1");
  Run("fail 0 ring 1");
  Run("value 0 cid -1");
  char buf[kTextBufferSize];
  EXPECT_EQ(box.DevGetCallerId(0, buf), -1);
  EXPECT_EQ(box.DevGetCallerId(0, buf), -1);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 3);
  EXPECT_EQ(box.DevGetDtmf(0, buf), -1);
  EXPECT_EQ(box.DevGetDtmf(0, buf), 2);
  EXPECT_EQ(box.DevGetRing(0), -1);
  EXPECT_EQ(box.DevGetRing(0), 1);
}

TEST_F(OperationsTest, FaultsOnEveryLineAndFailClearedByZero) {
  Open();
  Run("fail * hook 1");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(box.DevGetHookState(i), -1) << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(box.DevGetHookState(i), 0) << i;
  Run("fail 2 state 5");
  Run("fail 2 state 0");
  EXPECT_EQ(box.DevGetLineState(2), 0);
  // A refused argument does not use up a fault.
  Run("fail 3 ring 1");
  Run("lines 2");
  EXPECT_EQ(box.DevGetRing(3), -1);
  Run("lines 4");
  EXPECT_EQ(box.DevGetRing(3), -1);
  EXPECT_EQ(box.DevGetRing(3), 0);
}

TEST_F(OperationsTest, AFailedOpenLeavesTheBoxClosed) {
  Run("fail * open 1");
  EXPECT_EQ(box.DevOpen(), -1);
  EXPECT_EQ(box.DevGetLineCount(), -1);
  EXPECT_EQ(box.DevOpen(), 0);
  EXPECT_EQ(box.DevGetLineCount(), kDefaultLineCount);
}

TEST_F(OperationsTest, AScenarioCanScriptABoxThatDoesNotOpen) {
  box.SetScenario("fail * open 1\nat 10 cid 0 never\n");
  EXPECT_EQ(box.DevOpen(), -1);
  Advance(100);
  EXPECT_EQ(box.DevGetLineCount(), -1);
  box.SetScenario("");
  ASSERT_EQ(box.DevOpen(), 0);
  Advance(100);
  char buf[kTextBufferSize];
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0) << "timed commands of the failed open must be dropped";
}

TEST_F(OperationsTest, FailedCloseKeepsTheBoxOpen) {
  Open();
  Run("fail * close 1");
  EXPECT_EQ(box.DevClose(), -1);
  EXPECT_EQ(box.DevGetLineCount(), 4);
  EXPECT_EQ(box.DevClose(), 0);
}

TEST_F(OperationsTest, CallLogRecordsEveryCallInOrder) {
  box.DevOpen();
  box.DevGetLineCount();
  EXPECT_TRUE(box.CallLog().empty()) << "nothing is logged until logging is asked for";
  box.Reset();
  box.SetCallLogging(true);
  box.DevGetLineCount();
  Open(2);
  Advance(250);
  box.DevSetDeviceType(3);
  Run("cid 1 8888");
  char buf[kTextBufferSize];
  box.DevGetCallerId(1, buf);
  box.DevGetHookState(9);
  std::vector<CallRecord> log = box.CallLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].ordinal, kDevGetLineCount);
  EXPECT_FALSE(log[0].open);
  EXPECT_EQ(log[0].result, -1);
  EXPECT_EQ(log[1].ordinal, kDevOpen);
  EXPECT_EQ(log[1].result, 0);
  EXPECT_EQ(log[2].ordinal, kDevSetDeviceType);
  EXPECT_EQ(log[2].argCount, 1);
  EXPECT_EQ(log[2].args[0], 3);
  EXPECT_EQ(log[2].timeMs, log[1].timeMs + 250);
  EXPECT_TRUE(log[2].open);
  EXPECT_EQ(log[3].ordinal, kDevGetCallerId);
  EXPECT_EQ(log[3].args[0], 1);
  EXPECT_EQ(log[3].text, "8888");
  EXPECT_EQ(log[3].result, 4);
  EXPECT_EQ(log[4].ordinal, kDevGetHookState);
  EXPECT_EQ(log[4].result, -1);
  for (size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].seq, i);
  box.ClearCallLog();
  box.DevGetLineCount();
  log = box.CallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].seq, 5u) << "sequence numbers are never reused";

  box.SetCallLogging(false);
  box.DevGetLineCount();
  box.SetCallLogging(true);
  box.DevGetLineCount();
  log = box.CallLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].seq, 7u) << "calls made while logging was off still count";
}

TEST_F(OperationsTest, ClockChangesKeepBoxTimeContinuous) {
  Open();
  Run("at 3000 cid 0 late");
  Advance(2000);
  EXPECT_EQ(box.Now(), 3000u);
  ManualClock other;
  other.ms = 50;  // far behind the first clock
  box.SetClock(&ManualClock::Read, &other);
  EXPECT_EQ(box.Now(), 3000u);
  char buf[kTextBufferSize];
  other.Advance(999);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
  other.Advance(1);
  EXPECT_EQ(box.DevGetCallerId(0, buf), 4);
  box.SetClock(nullptr, nullptr);  // the real clock again: time still does not run backwards
  EXPECT_GE(box.Now(), 4000u);
}

TEST_F(OperationsTest, ResetGivesAFreshClosedBox) {
  Open(2);
  Run("cid 0 1");
  Run("fail 0 ring 3");
  box.Reset();
  EXPECT_TRUE(box.CallLog().empty());
  EXPECT_EQ(box.DevGetLineCount(), -1);
  ASSERT_EQ(box.DevOpen(), 0);
  char buf[kTextBufferSize];
  EXPECT_EQ(box.DevGetCallerId(0, buf), 0);
  EXPECT_EQ(box.DevGetRing(0), 0);
  EXPECT_EQ(box.DevGetLineCount(), kDefaultLineCount);
}

}  // namespace
}  // namespace kaldo::test
