// WaitCommEvent on a pty: received-character events as edges, the event character, transmit-empty,
// ending a wait from another thread, hang-up, and a wait running beside reads.

#include <atomic>
#include <thread>

#include "tests/support/CommTestSupport.h"
#include "tests/support/Threads.h"
#include "tests/support/Wait.h"

namespace xj::test {
namespace {

using CommEvents = PtyPortTest;

// Runs WaitCommEvent on a thread of its own and records how it ended.
class PendingWait {
 public:
  explicit PendingWait(HANDLE port)
      : FThread([this, port] {
          const int64_t cpu = ThreadCpuMs();
          FOk = WaitCommEvent(port, &FEvents, nullptr);
          FError = GetLastError();
          FCpuMs = ThreadCpuMs() - cpu;
        }) {}
  bool Done() const { return FThread.Done(); }
  // Until the call is asleep on the port (it has taken the port's one wait), or has ended.
  void Settle() const { ASSERT_TRUE(FThread.Settle()); }
  void Join() { FThread.Join(); }

  BOOL FOk = FALSE;
  DWORD FEvents = 0, FError = 0;
  int64_t FCpuMs = 0;

 private:
  WatchedThread FThread;  // last: it starts once the fields above are set up
};

TEST_F(CommEvents, ReceivedCharacterFiresOnlyWhenNewBytesArrive) {
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  FPty.Send("abc");
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));

  // The three bytes stay unread: the next wait must sleep, not report them again.
  PendingWait wait(FPort);
  wait.Settle();
  EXPECT_FALSE(wait.Done());
  FPty.Send("d");
  wait.Join();
  EXPECT_TRUE(wait.FOk);
  EXPECT_EQ(wait.FEvents, static_cast<DWORD>(EV_RXCHAR));
  EXPECT_LT(wait.FCpuMs, 50);  // it slept while the bytes stayed unread
  SetTimeouts(FPort, MAXDWORD, 0, 0);
  EXPECT_EQ(ReadPort(FPort, 10), "abcd");
}

TEST_F(CommEvents, EventCharacterAndTransmitEmpty) {
  DCB dcb {};
  ASSERT_TRUE(GetCommState(FPort, &dcb));
  dcb.EvtChar = '\n';
  ASSERT_TRUE(SetCommState(FPort, &dcb));
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY));
  FPty.Send("line\n");
  ASSERT_TRUE(PortHolds(FPort, 5));  // one wait sees the whole line
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR | EV_RXFLAG));
  EXPECT_EQ(WritePort(FPort, "out"), 3u);
  ASSERT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_TXEMPTY));
  EXPECT_EQ(FPty.Receive(3), "out");
}

TEST_F(CommEvents, WaitFailsAtOnceWithAnEmptyMaskOrWhenOneIsAlreadyPending) {
  DWORD events = 0;
  EXPECT_FALSE(WaitCommEvent(FPort, &events, nullptr));  // no mask set yet
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  PendingWait first(FPort);
  first.Settle();
  ASSERT_FALSE(first.Done());
  EXPECT_FALSE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(CancelCommWait(FPort));
}

TEST_F(CommEvents, SetCommMaskEndsAPendingWaitWithNoEvents) {
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  PendingWait wait(FPort);
  wait.Settle();
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR | EV_TXEMPTY));
  wait.Join();
  EXPECT_TRUE(wait.FOk);
  EXPECT_EQ(wait.FEvents, 0u);
}

TEST_F(CommEvents, CancelWakesABlockedWaitAndIsKeptForTheNextWhenNoneIsBlocked) {
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  {
    PendingWait wait(FPort);
    wait.Settle();
    ASSERT_TRUE(CancelCommWait(FPort));
    wait.Join();
    EXPECT_FALSE(wait.FOk);
    EXPECT_EQ(wait.FError, ERROR_OPERATION_ABORTED);
  }
  // A stop request made before the worker starts its wait is not lost, and is used up once.
  ASSERT_TRUE(CancelCommWait(FPort));
  DWORD events = 0;
  EXPECT_FALSE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  FPty.Send("x");
  EXPECT_TRUE(WaitCommEvent(FPort, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
}

TEST_F(CommEvents, HangUpIsReportedOnceThenEveryWaitFails) {
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR | EV_ERR));
  PendingWait wait(FPort);
  wait.Settle();
  FPty.CloseMaster();
  wait.Join();
  EXPECT_TRUE(wait.FOk);
  EXPECT_EQ(wait.FEvents, static_cast<DWORD>(EV_ERR));
  EXPECT_LT(wait.FCpuMs, 50);
  DWORD errors = 0;
  ASSERT_TRUE(ClearCommError(FPort, &errors, nullptr));
  EXPECT_EQ(errors, static_cast<DWORD>(CE_IOE));
  for (int i = 0; i < 3; ++i) {
    DWORD events = 0;
    EXPECT_FALSE(WaitCommEvent(FPort, &events, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  }
}

TEST(CommHangUp, WithoutErrorEventsTheHangUpIsAFailure) {
  PtyPair pty;
  HANDLE port = OpenPort(pty.Path());
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  pty.CloseMaster();
  DWORD events = 0;
  EXPECT_FALSE(WaitCommEvent(port, &events, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  CloseHandle(port);
}

// The serial component's shape: an event thread waits while the owner reads and writes.
TEST_F(CommEvents, AWaitAndReadsRunSideBySideAndCloseEndsTheWait) {
  ASSERT_TRUE(SetCommMask(FPort, EV_RXCHAR));
  SetTimeouts(FPort, MAXDWORD, 0, 1000);
  std::atomic<int> wakeUps { 0 };
  DWORD lastError = 0;
  // The thread keeps its own copy of the handle: the fixture's member is reset below while it runs.
  const HANDLE port = FPort;
  std::thread events([&, port] {
    OVERLAPPED ov {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
      DWORD mask = 0;
      if (WaitCommEvent(port, &mask, &ov)) {
        if (mask & EV_RXCHAR) ++wakeUps;
      } else {
        lastError = GetLastError();
        break;
      }
    }
    CloseHandle(ov.hEvent);
  });
  const std::string data = Pattern(50000, 3);
  std::thread far([&] {
    for (size_t at = 0; at < data.size(); at += 5000) {
      FPty.Send(data.substr(at, 5000));
      usleep(2000);
    }
  });
  std::string got;
  while (got.size() < data.size()) {
    const std::string part = ReadPort(FPort, 4096);
    if (part.empty()) break;
    got += part;
  }
  far.join();
  EXPECT_EQ(got, data);
  EXPECT_GT(wakeUps.load(), 0);
  EXPECT_TRUE(CloseHandle(FPort));  // wakes the pending wait and returns once it has left
  FPort = INVALID_HANDLE_VALUE;
  events.join();
  EXPECT_TRUE(lastError == ERROR_OPERATION_ABORTED || lastError == ERROR_INVALID_HANDLE) << lastError;
}

}  // namespace
}  // namespace xj::test
