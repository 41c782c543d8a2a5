// Moving bytes through a pty: integrity, read and write time-outs, purge, overlapped records, hang-up.
// The time-out tests run in real time with generous bounds.

#include <thread>

#include "tests/support/CommTestSupport.h"
#include "tests/support/Threads.h"

namespace xj::test {
namespace {

using CommData = PtyPortTest;

struct LineCase {
  DWORD Baud;
  BYTE Parity;
  BYTE StopBits;
};

TEST_F(CommData, LargeTransfersBothWaysAtSeveralSettingsKeepEveryByteInOrder) {
  const LineCase cases[] = { { 9600, NOPARITY, ONESTOPBIT },
                             { 115200, EVENPARITY, ONESTOPBIT },
                             { 19200, ODDPARITY, TWOSTOPBITS },
                             { 14400, MARKPARITY, ONESTOPBIT } };
  ASSERT_TRUE(SetupComm(FPort, 100, 100));  // a small ring wraps many times
  SetTimeouts(FPort, 0, 0, 5000, 0, 5000);
  for (const LineCase& c : cases) {
    DCB dcb {};
    ASSERT_TRUE(GetCommState(FPort, &dcb));
    dcb.BaudRate = c.Baud;
    dcb.Parity = c.Parity;
    dcb.StopBits = c.StopBits;
    ASSERT_TRUE(SetCommState(FPort, &dcb)) << c.Baud;
    const std::string in = Pattern(200000, c.Baud), out = Pattern(150000, c.Parity);
    std::thread far([&] { FPty.Send(in); });
    EXPECT_EQ(ReadPort(FPort, static_cast<DWORD>(in.size())), in) << c.Baud;
    far.join();
    std::string received;
    std::thread reader([&] { received = FPty.Receive(out.size()); });
    EXPECT_EQ(WritePort(FPort, out), out.size());
    reader.join();
    EXPECT_EQ(received, out) << c.Baud;
  }
}

TEST_F(CommData, ReadReturnsWhatIsWaitingAtOnceOtherwiseWaitsForTheCountOrTheTotal) {
  // The serial component's read time-outs; a total far beyond "at once" even on a loaded machine.
  SetTimeouts(FPort, MAXDWORD, 0, 60000);
  FPty.Send("abc");
  ASSERT_TRUE(PortHolds(FPort, 3));
  int64_t start = NowMs();
  EXPECT_EQ(ReadPort(FPort, 10), "abc");
  EXPECT_LT(NowMs() - start, 30000);

  SetTimeouts(FPort, MAXDWORD, 0, 400);
  start = NowMs();
  EXPECT_EQ(ReadPort(FPort, 10), "");
  EXPECT_GE(NowMs() - start, 390);
  EXPECT_LT(NowMs() - start, 2000);

  // A total long enough that only the count can end the read, however slowly the far end's bytes come.
  SetTimeouts(FPort, MAXDWORD, 0, 60000);
  std::thread far([&] {
    usleep(50000);
    FPty.Send("12345");
    usleep(50000);
    FPty.Send("67890xyz");
  });
  start = NowMs();
  EXPECT_EQ(ReadPort(FPort, 10), "1234567890");  // nothing was waiting: it gathers the count
  EXPECT_LT(NowMs() - start, 30000);
  far.join();
  EXPECT_EQ(ReadPort(FPort, 10), "xyz");
}

TEST_F(CommData, ReadTimeoutModes) {
  struct Case {
    COMMTIMEOUTS Timeouts;
    DWORD Count;
    std::string Expected;
    int MinMs, MaxMs;
  };
  // The far end sends "ab" at once and "cd" 300 ms later.
  const Case cases[] = {
    { { MAXDWORD, 0, 0, 0, 0 }, 10, "", 0, 250 },              // nothing waiting yet: immediate
    { { MAXDWORD, MAXDWORD, 1000, 0, 0 }, 10, "ab", 0, 250 },  // first bytes end it
    { { 60, 0, 0, 0, 0 }, 10, "ab", 50, 250 },                 // the gap after "ab" ends it
    { { 0, 10, 400, 0, 0 }, 10, "abcd", 490, 2500 },           // total 500 ms
    { { 0, 0, 0, 0, 0 }, 4, "abcd", 290, 2500 },               // no time-out: the count ends it
  };
  for (const Case& c : cases) {
    COMMTIMEOUTS t = c.Timeouts;
    ASSERT_TRUE(SetCommTimeouts(FPort, &t));
    const bool sendsAb = c.Timeouts.ReadIntervalTimeout != MAXDWORD || c.Timeouts.ReadTotalTimeoutMultiplier;
    std::thread far([&] {
      if (sendsAb) FPty.Send("ab");
      usleep(300000);
      FPty.Send("cd");
    });
    if (c.Timeouts.ReadIntervalTimeout == MAXDWORD && !c.Timeouts.ReadTotalTimeoutMultiplier) {
      const int64_t start = NowMs();
      EXPECT_EQ(ReadPort(FPort, c.Count), c.Expected);
      EXPECT_LT(NowMs() - start, c.MaxMs);
    } else {
      usleep(5000);
      const int64_t start = NowMs();
      EXPECT_EQ(ReadPort(FPort, c.Count), c.Expected) << c.Timeouts.ReadIntervalTimeout;
      EXPECT_GE(NowMs() - start + 5, c.MinMs);
      EXPECT_LT(NowMs() - start, c.MaxMs);
    }
    far.join();
    // Whatever was sent and not read goes before the next case; the pty may still be handing it over.
    ASSERT_TRUE(PortHolds(FPort, DWORD((sendsAb ? 4 : 2) - c.Expected.size())));
    ASSERT_TRUE(PurgeComm(FPort, PURGE_RXCLEAR));
  }
}

TEST_F(CommData, WriteGivesUpAtItsDeadlineAndReportsWhatWasAccepted) {
  const std::string big = Pattern(64 * 1024);
  SetTimeouts(FPort, 0, 0, 0, 0, 200);
  int64_t start = NowMs();
  const DWORD accepted = WritePort(FPort, big);  // nobody reads the master: the pty fills up
  EXPECT_GE(NowMs() - start, 190);
  EXPECT_GT(accepted, 0u);
  EXPECT_LT(accepted, big.size());
  EXPECT_EQ(FPty.Receive(big.size(), 200), big.substr(0, accepted));

  // Held by XOFF with no write time-out set: still finite (twice the line time plus a second).
  SetTimeouts(FPort, 0, 0, 0, 0, 0);
  DCB dcb {};
  ASSERT_TRUE(GetCommState(FPort, &dcb));
  dcb.BaudRate = 115200;
  ASSERT_TRUE(SetCommState(FPort, &dcb));
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXOFF));
  start = NowMs();
  const int64_t cpu = ThreadCpuMs();
  EXPECT_EQ(WritePort(FPort, "held"), 0u);
  EXPECT_GE(NowMs() - start, 990);
  EXPECT_LT(NowMs() - start, 5000);
  EXPECT_LT(ThreadCpuMs() - cpu, 100);  // it slept until the deadline
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXON));
  EXPECT_EQ(WritePort(FPort, "free"), 4u);
  EXPECT_EQ(FPty.Receive(4), "free");
}

TEST_F(CommData, PurgeClearsWhatIsWaitingAndAbortEndsABlockedRead) {
  SetTimeouts(FPort, MAXDWORD, 0, 0);
  FPty.Send("old bytes");
  ASSERT_TRUE(PortHolds(FPort, 9));
  DWORD errors = 1;
  COMSTAT stat {};
  ASSERT_TRUE(ClearCommError(FPort, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 9u);
  EXPECT_EQ(stat.cbOutQue, 0u);
  ASSERT_TRUE(PurgeComm(FPort, PURGE_RXCLEAR | PURGE_TXCLEAR));
  ASSERT_TRUE(ClearCommError(FPort, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 0u);
  FPty.Send("new");
  ASSERT_TRUE(PortHolds(FPort, 3));
  EXPECT_EQ(ReadPort(FPort, 10), "new");
  EXPECT_FALSE(PurgeComm(FPort, 0x10));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  SetTimeouts(FPort, 0, 0, 0);  // a read with no time-out at all
  FPty.Send("par");
  ASSERT_TRUE(PortHolds(FPort, 3));
  std::string got;
  WatchedThread reader([&] { got = ReadPort(FPort, 10); });
  ASSERT_TRUE(reader.Settle());  // asleep on the port: it has taken what was waiting and wants more
  ASSERT_TRUE(PurgeComm(FPort, PURGE_RXABORT));
  reader.Join();
  EXPECT_EQ(got, "par");
}

TEST_F(CommData, NullStrippingAndParityMarkingLeaveTheDataClean) {
  SetTimeouts(FPort, 0, 0, 1000);
  DCB dcb {};
  ASSERT_TRUE(GetCommState(FPort, &dcb));
  dcb.fNull = TRUE;
  dcb.fParity = TRUE;  // the driver now doubles every 0xFF it delivers
  dcb.Parity = EVENPARITY;
  ASSERT_TRUE(SetCommState(FPort, &dcb));
  FPty.Send(
      std::string("a\0b\xff\xff"
                  "c",
                  6));
  EXPECT_EQ(ReadPort(FPort, 5),
            "ab\xff\xff"
            "c");
}

TEST_F(CommData, OverlappedRecordsCompleteAndReportThroughGetOverlappedResult) {
  OVERLAPPED ov {};
  ov.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  char buf[8];
  DWORD n = 99;
  // A read that blocks shows as incomplete to another thread until it is done.
  SetTimeouts(FPort, 0, 0, 0);
  std::thread reader([&] { EXPECT_TRUE(ReadFile(FPort, buf, 4, nullptr, &ov)); });
  ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(ov.hEvent, 0) != WAIT_OBJECT_0; }));  // the read began
  EXPECT_FALSE(GetOverlappedResult(FPort, &ov, &n, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
  FPty.Send("wxyz");
  EXPECT_TRUE(GetOverlappedResult(FPort, &ov, &n, TRUE));
  reader.join();
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buf, 4), "wxyz");

  ResetEvent(ov.hEvent);
  ASSERT_TRUE(WriteFile(FPort, "pq", 2, nullptr, &ov));
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(GetOverlappedResult(FPort, &ov, &n, FALSE));
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(FPty.Receive(2), "pq");
  CloseHandle(ov.hEvent);
}

TEST_F(CommData, OtherSideClosingEndsReadsAndWritesAfterTheLastBytes) {
  SetTimeouts(FPort, 0, 0, 0);  // would wait for ever on a live line
  FPty.Send("last");
  ASSERT_TRUE(PortHolds(FPort, 4));  // the port has taken the bytes in
  FPty.CloseMaster();                // a hung-up pty slave drops what it still held itself
  EXPECT_EQ(ReadPort(FPort, 10), "last");
  char c;
  DWORD n = 7;
  EXPECT_FALSE(ReadFile(FPort, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(WriteFile(FPort, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
}

}  // namespace
}  // namespace xj::test
