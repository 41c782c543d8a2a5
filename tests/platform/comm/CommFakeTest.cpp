// What a pty cannot show, through the fake device: modem-line events and status, line errors, breaks,
// the driver's output queue, a full input buffer, exclusivity.

#include <atomic>
#include <thread>

#include "platform/win32/comm/FakeCommDevice.h"
#include "tests/support/CommTestSupport.h"
#include "tests/support/Threads.h"

namespace xj::test {
namespace {

class CommFake : public ::testing::Test {
 protected:
  void SetUp() override {
    FLine = CreateFakeCommDevice("FAKE-COMM");
    FPort = OpenPort("FAKE-COMM");
    ASSERT_NE(FPort, INVALID_HANDLE_VALUE) << GetLastError();
    SetTimeouts(FPort, MAXDWORD, 0, 0);
  }
  void TearDown() override { CloseHandle(FPort); }

  DWORD Wait() {
    DWORD events = 0;
    EXPECT_TRUE(WaitCommEvent(FPort, &events, nullptr)) << GetLastError();
    return events;
  }
  DWORD Errors() {
    DWORD errors = 0;
    EXPECT_TRUE(ClearCommError(FPort, &errors, nullptr));
    return errors;
  }
  void SetDcb(void (*change)(DCB&)) {
    DCB dcb {};
    ASSERT_TRUE(GetCommState(FPort, &dcb));
    change(dcb);
    ASSERT_TRUE(SetCommState(FPort, &dcb));
  }

  std::shared_ptr<FakeCommLine> FLine;
  HANDLE FPort = INVALID_HANDLE_VALUE;
};

TEST_F(CommFake, ModemLineChangesAndPulsesAreEventsAndTheStatusFollows) {
  struct Case {
    unsigned Line;
    DWORD Event, Status;
  };
  const Case cases[] = { { kLineCts, EV_CTS, MS_CTS_ON },
                         { kLineDsr, EV_DSR, MS_DSR_ON },
                         { kLineDcd, EV_RLSD, MS_RLSD_ON },
                         { kLineRing, EV_RING, MS_RING_ON } };
  const DWORD all = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
  ASSERT_TRUE(SetCommMask(FPort, all));
  for (const Case& c : cases) {
    FLine->SetInputLines(c.Line);
    EXPECT_EQ(Wait(), c.Event);
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(FPort, &status));
    EXPECT_EQ(status, c.Status);
    FLine->SetInputLines(0);
    EXPECT_EQ(Wait(), c.Event);
    FLine->PulseInputLines(c.Line);  // off and on between two samples
    EXPECT_EQ(Wait(), c.Event);
  }
}

TEST_F(CommFake, EventsOutsideTheMaskAreNeverReported) {
  ASSERT_TRUE(SetCommMask(FPort, EV_CTS | EV_RXCHAR));
  FLine->SetInputLines(kLineDsr | kLineRing);
  FLine->ReceiveBreak();
  FLine->Receive("z");
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
}

TEST_F(CommFake, LineErrorsAreReportedOnceEach) {
  struct Case {
    void (*Cause)(FakeCommLine&);
    DWORD Event, Error;
  };
  const Case cases[] = {
    { [](FakeCommLine& l) { l.ReceiveBad('p', CE_RXPARITY); }, EV_ERR | EV_RXCHAR, CE_RXPARITY },
    { [](FakeCommLine& l) { l.ReceiveBad('f', CE_FRAME); }, EV_ERR | EV_RXCHAR, CE_FRAME },
    { [](FakeCommLine& l) { l.Lose(CE_OVERRUN); }, EV_ERR, CE_OVERRUN },
    { [](FakeCommLine& l) { l.ReceiveBreak(); }, EV_BREAK | EV_RXCHAR, CE_BREAK },
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetCommMask(FPort, EV_ERR | EV_BREAK | EV_RXCHAR));
    c.Cause(*FLine);
    EXPECT_EQ(Wait(), c.Event);
    EXPECT_EQ(Errors(), c.Error);
    EXPECT_EQ(Errors(), 0u);
    PurgeComm(FPort, PURGE_RXCLEAR);
  }
  FLine->Lose(CE_RXOVER);  // the driver's buffer overflowed: an error, not a line-status event
  EXPECT_EQ(Errors(), static_cast<DWORD>(CE_RXOVER));
}

TEST_F(CommFake, ParityCheckingReplacesBadBytesAndHidesTheMarks) {
  SetDcb([](DCB& d) {
    d.fParity = 1;
    d.Parity = EVENPARITY;
    d.fErrorChar = 1;
    d.ErrorChar = '?';
  });
  FLine->Receive("a\xff");
  FLine->ReceiveBad('x', CE_RXPARITY);
  FLine->ReceiveBreak();
  FLine->Receive("b");
  EXPECT_EQ(ReadPort(FPort, 10), "a\xff?b");
  EXPECT_EQ(Errors(), static_cast<DWORD>(CE_RXPARITY | CE_BREAK));
}

TEST_F(CommFake, AbortOnErrorRefusesTransfersUntilTheErrorsAreCleared) {
  SetDcb([](DCB& d) { d.fAbortOnError = 1; });
  FLine->Receive("ok");
  FLine->Lose(CE_OVERRUN);
  char buf[4];
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(FPort, buf, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_FALSE(WriteFile(FPort, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(Errors(), static_cast<DWORD>(CE_OVERRUN));
  EXPECT_EQ(ReadPort(FPort, 4), "ok");
  EXPECT_EQ(WritePort(FPort, "x"), 1u);
}

TEST_F(CommFake, OutputLinesBreakAndXoffReachTheDevice) {
  ASSERT_TRUE(EscapeCommFunction(FPort, CLRDTR));
  EXPECT_EQ(FLine->OutputLines(), kLineRts);
  ASSERT_TRUE(EscapeCommFunction(FPort, CLRRTS));
  ASSERT_TRUE(EscapeCommFunction(FPort, SETDTR));
  EXPECT_EQ(FLine->OutputLines(), kLineDtr);
  ASSERT_TRUE(EscapeCommFunction(FPort, SETBREAK));
  EXPECT_TRUE(FLine->BreakOn());
  ASSERT_TRUE(EscapeCommFunction(FPort, CLRBREAK));
  EXPECT_FALSE(FLine->BreakOn());
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXOFF));
  EXPECT_TRUE(FLine->OutputStopped());
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXON));
  EXPECT_FALSE(FLine->OutputStopped());
}

TEST_F(CommFake, CtsHoldAndOutputQueueInTheStatus) {
  SetDcb([](DCB& d) { d.fOutxCtsFlow = 1; });
  FLine->SetOutputCapacity(10);
  SetTimeouts(FPort, MAXDWORD, 0, 0, 0, 100);
  const int64_t start = NowMs();
  EXPECT_EQ(WritePort(FPort, "0123456789abcdef"), 10u);  // the queue holds 10: the rest times out
  EXPECT_GE(NowMs() - start, 90);
  COMSTAT stat {};
  ASSERT_TRUE(ClearCommError(FPort, nullptr, &stat));
  EXPECT_EQ(stat.cbOutQue, 10u);
  EXPECT_EQ(stat.fCtsHold, 1u);
  FLine->SetInputLines(kLineCts);
  ASSERT_TRUE(ClearCommError(FPort, nullptr, &stat));
  EXPECT_EQ(stat.fCtsHold, 0u);

  ASSERT_TRUE(SetCommMask(FPort, EV_TXEMPTY));
  EXPECT_EQ(FLine->TakeSent(), "0123456789");
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_TXEMPTY));
}

TEST_F(CommFake, WriteWaitsForRoomAndKeepsOrder) {
  FLine->SetOutputCapacity(7);
  SetTimeouts(FPort, MAXDWORD, 0, 0, 0, 5000);
  const std::string data = Pattern(500, 9);
  std::atomic<bool> done { false };
  std::thread writer([&] {
    EXPECT_EQ(WritePort(FPort, data), data.size());
    done = true;
  });
  std::string sent;
  while (!done) {
    sent += FLine->TakeSent(3);
    usleep(200);
  }
  writer.join();
  sent += FLine->TakeSent();
  EXPECT_EQ(sent, data);
}

TEST_F(CommFake, AFullInputBufferLeavesTheRestWithTheDriverAndLosesNothing) {
  ASSERT_TRUE(SetupComm(FPort, 16, 16));
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  const std::string data = Pattern(40, 1);
  FLine->Receive(data);
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  COMSTAT stat {};
  DWORD errors = 0;
  ASSERT_TRUE(ClearCommError(FPort, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 40u);
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(FLine->InputQueued(), 24u);

  // With the buffer full the next wait sleeps; reading makes room, the rest moves in and is an event.
  int64_t waitCpu = 0;
  WatchedThread waiter([&] {
    const int64_t cpu = ThreadCpuMs();
    DWORD mask = 0;
    EXPECT_TRUE(WaitCommEvent(FPort, &mask, nullptr));
    EXPECT_EQ(mask, static_cast<DWORD>(EV_RXCHAR));
    waitCpu = ThreadCpuMs() - cpu;
  });
  ASSERT_TRUE(waiter.Settle());
  EXPECT_FALSE(waiter.Done());
  EXPECT_EQ(ReadPort(FPort, 10), data.substr(0, 10));
  waiter.Join();
  EXPECT_LT(waitCpu, 50);
  EXPECT_EQ(ReadPort(FPort, 40), data.substr(10));
}

TEST_F(CommFake, CloseWakesABlockedReadAndWaitAndClosesTheDeviceAfterBoth) {
  SetTimeouts(FPort, 0, 0, 0);  // reads without any time-out
  ASSERT_TRUE(SetCommMask(FPort, EV_CTS));
  std::string got;
  DWORD waitError = 0;
  FLine->Receive("ab");
  WatchedThread reader([&] { got = ReadPort(FPort, 10); });
  WatchedThread waiter([&] {
    DWORD events = 0;
    EXPECT_FALSE(WaitCommEvent(FPort, &events, nullptr));
    waitError = GetLastError();
  });
  // Both asleep on the port, the read holding "ab" and wanting more.
  ASSERT_TRUE(reader.Settle());
  ASSERT_TRUE(waiter.Settle());
  EXPECT_TRUE(CloseHandle(FPort));
  EXPECT_FALSE(FLine->IsOpen());
  reader.Join();
  waiter.Join();
  EXPECT_EQ(got, "ab");
  EXPECT_TRUE(waitError == ERROR_OPERATION_ABORTED || waitError == ERROR_INVALID_HANDLE) << waitError;
  FPort = OpenPort("FAKE-COMM");  // free again
  EXPECT_NE(FPort, INVALID_HANDLE_VALUE);
}

TEST_F(CommFake, SecondOpenerIsRefusedAndAHangUpEndsTheWait) {
  EXPECT_EQ(OpenPort("FAKE-COMM"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 16u);  // EBUSY
  ASSERT_TRUE(SetCommMask(FPort, EV_ERR | EV_CTS));
  FLine->HangUp();
  EXPECT_EQ(Wait(), static_cast<DWORD>(EV_ERR));
  EXPECT_EQ(Errors(), static_cast<DWORD>(CE_IOE));
}

}  // namespace
}  // namespace xj::test
