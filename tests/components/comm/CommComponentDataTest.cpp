// The data path through the component on a pty: raw bytes both ways at several settings, the read
// and write time-outs (derived from the baud rate, also after a change on an open port), purging,
// and NUL stripping.

#include <sys/ioctl.h>

#include <atomic>
#include <thread>

#include "tests/components/comm/CommComponentSupport.h"

namespace xj::test {
namespace {

using CommData = PtyCommTest;

// Reads until count bytes came or the component returns nothing for a second.
std::string ReadAll(TComm& comm, size_t count) {
  std::string got;
  char buf[4096];
  while (got.size() < count) {
    const int n = comm.Read(buf, static_cast<DWORD>(std::min(sizeof buf, count - got.size())));
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

TEST_F(CommData, BytesGoBothWaysUntouchedAtSeveralSettings) {
  struct Case {
    TBaudRate Rate;
    TParity Parity;
    TStopBits Stop;
  };
  const Case cases[] = { { br9600, paNone, sb10 }, { br115200, paEven, sb20 }, { br256000, paOdd, sb10 } };
  const std::string out = Pattern(64 * 1024, 3), in = Pattern(64 * 1024, 5);  // every byte value
  for (const Case& c : cases) {
    FComm.SetBaudRate(c.Rate);
    FComm.SetParity(c.Parity);
    FComm.SetStopBits(c.Stop);
    FComm.Open();
    std::string farGot;
    std::thread sender([&] { FPty.Send(in); });
    std::thread receiver([&] { farGot = FPty.Receive(out.size()); });
    size_t written = 0;
    while (written < out.size()) {  // in pieces, so reads on this side keep the far end moving
      const int n = FComm.Write(out.data() + written, static_cast<DWORD>(std::min<size_t>(4096, out.size() - written)));
      ASSERT_GT(n, 0);
      written += static_cast<size_t>(n);
    }
    const std::string got = ReadAll(FComm, in.size());
    sender.join();
    receiver.join();
    EXPECT_TRUE(got == in) << c.Rate << ": " << got.size() << " bytes";
    EXPECT_TRUE(farGot == out) << c.Rate << ": " << farGot.size() << " bytes";
    FComm.Close();
  }
}

TEST_F(CommData, ReadReturnsWhatIsWaitingAtOnceOtherwiseWaitsUpToASecond) {
  FComm.Open();
  char buf[100];
  EXPECT_EQ(FComm.Read(buf, 0), 0);
  int64_t start = NowMs();
  EXPECT_EQ(FComm.Read(buf, sizeof buf), 0);
  EXPECT_GE(NowMs() - start, 950);
  EXPECT_LT(NowMs() - start, 3000);

  FPty.Send("abc");
  ASSERT_TRUE(PumpUntil([&] { return FComm.InQueCount() == 3; }));
  start = NowMs();
  EXPECT_EQ(FComm.Read(buf, sizeof buf), 3);
  EXPECT_LT(NowMs() - start, 900);  // before the second that a read with nothing waiting takes
  EXPECT_EQ(std::string(buf, 3), "abc");

  std::thread late([&] {
    usleep(200000);
    FPty.Send("xyz");
  });
  start = NowMs();
  EXPECT_EQ(FComm.Read(buf, 3), 3);  // the count came before the second was over
  EXPECT_LT(NowMs() - start, 900);
  late.join();
  EXPECT_EQ(std::string(buf, 3), "xyz");
}

// Transmission held as if XOFF had come: a write gives up after its time-out, 19200 / baud ms per
// byte and at least 1 ms, and reports what it moved (nothing).
TEST_F(CommData, WriteTimeoutFollowsTheBaudRateAlsoWhenItChangesWhileOpen) {
  const std::string bytes(100, 'w');
  auto timedWrite = [&](size_t count) {
    const int64_t start = NowMs();
    EXPECT_EQ(FComm.Write(bytes.data(), static_cast<DWORD>(count)), 0);
    return NowMs() - start;
  };
  struct Case {
    TBaudRate Rate;
    size_t Count;
    int64_t Expected;  // ms
  };
  const Case cases[] = {
    { br110, 2, 348 },      // 174 ms per byte
    { br1200, 20, 320 },    // 16
    { br9600, 100, 200 },   // 2
    { br38400, 100, 100 },  // at least 1 ms per byte: never without a time-out
    { br256000, 100, 100 },
  };
  FComm.SetBaudRate(br115200);
  FComm.Open();
  FComm.SetXONState(false);
  for (const Case& c : cases) {
    FComm.SetBaudRate(c.Rate);  // on the open port
    const int64_t took = timedWrite(c.Count);
    EXPECT_GE(took + 5, c.Expected) << c.Rate;
    EXPECT_LT(took, c.Expected + 500) << c.Rate;
  }
  FComm.SetXONState(true);
  EXPECT_EQ(FComm.Write("go", 2), 2);
  EXPECT_EQ(FPty.Receive(2), "go");

  FComm.Close();  // the rate of the last Open does not stick either
  FComm.SetBaudRate(br110);
  FComm.Open();
  FComm.SetXONState(false);
  const int64_t took = timedWrite(2);
  EXPECT_GE(took + 5, 348);
  EXPECT_LT(took, 1348);
}

// A far end that stops reading holds a long write in the port, and the writer holds the component's
// lock: Close from another thread must not wait for the write's time-out (hours at this rate). The
// write returns at once with what it sent, which is exactly what reached the far end.
TEST_F(CommData, CloseWakesAWriteBlockedOnAFarEndThatStoppedReading) {
  FComm.SetBaudRate(br2400);  // 8 ms a byte
  FComm.Open();
  const std::string bytes = Pattern(1 << 20, 7);
  std::atomic<int> written { -2 };
  std::thread writer([&] { written = FComm.Write(bytes.data(), static_cast<DWORD>(bytes.size())); });
  auto farWaiting = [&] {
    int n = 0;
    return ioctl(FPty.Master(), FIONREAD, &n) == 0 && n > 0;
  };
  ASSERT_TRUE(PumpUntil(farWaiting, 20000));

  std::atomic<bool> closed { false };
  std::thread closer([&] {
    FComm.Close();
    closed = true;
  });
  // The event thread hands its last wake-up to this thread while Close joins it: keep pumping.
  const bool prompt = PumpUntil([&] { return closed && written != -2; }, 20000);
  EXPECT_TRUE(prompt) << "Close waited for the blocked write";
  std::string got;
  auto drain = [&] {
    char buf[65536];
    for (ssize_t n; (n = read(FPty.Master(), buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  };
  while (!(closed && written != -2)) {  // only when Close hung: let the write finish so the test ends
    drain();
    CheckSynchronize(10);
  }
  closer.join();
  writer.join();
  drain();
  EXPECT_FALSE(FComm.Enabled());
  EXPECT_GT(written, 0);
  EXPECT_LT(written, static_cast<int>(bytes.size()));
  EXPECT_EQ(static_cast<size_t>(written.load()), got.size());
  EXPECT_TRUE(bytes.compare(0, got.size(), got) == 0);
}

TEST_F(CommData, PurgeInDropsWhatIsWaiting) {
  FComm.Open();
  FPty.Send("stale bytes");
  ASSERT_TRUE(PumpUntil([&] { return FComm.InQueCount() == 11; }));
  EXPECT_EQ(FComm.OutQueCount(), 0);
  FComm.PurgeIn();
  EXPECT_EQ(FComm.InQueCount(), 0);
  FComm.PurgeOut();
  FPty.Send("new");
  EXPECT_EQ(ReadAll(FComm, 3), "new");
}

TEST_F(CommData, NullStrippingDropsNulBytes) {
  FComm.SetOptions({ coNullStrip });
  FComm.Open();
  FPty.Send(std::string("a\0b\0\0c", 6));
  EXPECT_EQ(ReadAll(FComm, 3), "abc");
  FComm.SetOptions({});
  FPty.Send(std::string("\0d", 2));
  EXPECT_EQ(ReadAll(FComm, 2), std::string("\0d", 2));
}

}  // namespace
}  // namespace xj::test
