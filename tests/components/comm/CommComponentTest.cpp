// The component's life cycle and settings: defaults, what a closed port answers, opening errors, the
// all-or-nothing Open, the line settings as the device sees them, and the properties that change
// only while closed.

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "platform/win32/comm/CommSpeed.h"
#include "tests/components/comm/CommComponentSupport.h"

namespace xj::test {
namespace {

const TCommEventTypes kAllEvents { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };

// The message of the Exception fn raises ("" when it raises none).
template <class F>
std::string Raised(F fn) {
  try {
    fn();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(CommComponent, NewComponentIsClosedWithItsDefaults) {
  TComm comm(nullptr);
  EXPECT_EQ(comm.DeviceName(), "Com2");
  EXPECT_EQ(comm.BaudRate(), br9600);
  EXPECT_EQ(comm.Parity(), paNone);
  EXPECT_EQ(comm.StopBits(), sb10);
  EXPECT_EQ(comm.DataBits(), da8);
  EXPECT_EQ(comm.ReadBufSize(), 4096);
  EXPECT_EQ(comm.WriteBufSize(), 2048);
  EXPECT_EQ(comm.ReadTimeout(), 1000);
  EXPECT_EQ(comm.WriteTimeout(), 1000);
  EXPECT_EQ(comm.SuspendTime(), 5u);
  EXPECT_EQ(comm.MonitorEvents(), kAllEvents);
  EXPECT_TRUE(comm.Options().Empty());
  EXPECT_EQ(comm.FlowControl(), fcDefault);
  EXPECT_EQ(comm.EventChars()->XOnChar(), 0x11);
  EXPECT_EQ(comm.EventChars()->XOffChar(), 0x13);
  EXPECT_EQ(comm.EventChars()->ErrorChar(), 0);
  EXPECT_EQ(comm.EventChars()->EofChar(), 0);
  EXPECT_EQ(comm.EventChars()->EvtChar(), 0);
  EXPECT_FALSE(comm.Enabled());
}

TEST(CommComponent, ClosedPortAnswersMinusOneFalseOrNotOpen) {
  TComm comm(nullptr);
  char buf[8];
  EXPECT_EQ(comm.Read(buf, sizeof buf), -1);
  EXPECT_EQ(comm.Write("abc", 3), -1);
  EXPECT_EQ(comm.InQueCount(), -1);
  EXPECT_EQ(comm.OutQueCount(), -1);
  EXPECT_FALSE(comm.GetComState(1));
  EXPECT_FALSE(comm.GetModemState(1));
  comm.PurgeIn();
  comm.PurgeOut();
  comm.Close();
  comm.CheckOpen();
  for (auto escape :
       { &TThreadComm::SetDTRState, &TThreadComm::SetRTSState, &TThreadComm::SetBREAKState, &TThreadComm::SetXONState })
    EXPECT_EQ(Raised([&] { (comm.*escape)(true); }), "Port not open (Error: -1)");
  EXPECT_EQ(Raised([&] { comm.EscapeComm(SETDTR); }), "Port not open (Error: -1)");
  comm.SetBaudRate(br110);  // stored for the next Open
  EXPECT_EQ(comm.BaudRate(), br110);
}

TEST(CommComponent, OpenFailuresNameTheDeviceAndTheSystemError) {
  char file[] = "/tmp/xj-comm-file-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  PtyPair pty;
  TComm holder(nullptr);
  holder.SetDeviceName(pty.Path());
  holder.Open();

  struct Case {
    std::string Name;
    int Code;
  };
  const Case cases[] = {
    { "/dev/xj-no-such-port", 2 },  // ENOENT
    { file, 25 },                   // a plain file: not a serial device
    { "/dev/null", 25 },            // a character device that is no terminal
    { pty.Path(), 16 },             // EBUSY: held by `holder`
    { "COM0", 2 },                  // there is no port 0
  };
  for (const Case& c : cases) {
    TComm comm(nullptr);
    comm.SetDeviceName(c.Name);
    EXPECT_EQ(Raised([&] { comm.Open(); }),
              "Error opening port \"" + c.Name + "\" (Error: " + std::to_string(c.Code) + ")")
        << c.Name;
    EXPECT_FALSE(comm.Enabled()) << c.Name;
  }
  EXPECT_EQ(holder.Write("ok", 2), 2);  // the busy attempt left the holder alone
  EXPECT_EQ(pty.Receive(2), "ok");
  unlink(file);
}

TEST_F(PtyCommTest, SecondOpenRaisesAndLeavesThePortAsItWas) {
  FComm.Open();
  EXPECT_TRUE(FComm.Enabled());
  EXPECT_EQ(Raised([&] { FComm.Open(); }), "Port already assigned (open) (Error: -1)");
  EXPECT_EQ(Raised([&] { FComm.CheckOpen(); }), "Port already assigned (open) (Error: -1)");
  EXPECT_TRUE(FComm.Enabled());
  EXPECT_EQ(FComm.Write("still", 5), 5);
  EXPECT_EQ(FPty.Receive(5), "still");
  FComm.Close();
  EXPECT_FALSE(FComm.Enabled());
  FComm.Close();  // nothing more to do
  FComm.Open();   // the device was given back
  EXPECT_TRUE(FComm.Enabled());
}

// Whatever step fails, Open leaves no open device, no event thread and no held exclusivity behind.
TEST(CommComponent, OpenIsAllOrNothing) {
  struct Case {
    const char* What;
    void (*Spoil)(TComm&, FakeCommLine&);
    std::string Message;
  };
  const Case cases[] = {
    { "no input buffer", [](TComm& c, FakeCommLine&) { c.SetReadBufSize(0); },
      "Error initializing Read/Write Buffers (Error: 22)" },
    { "four data bits", [](TComm& c, FakeCommLine&) { c.SetDataBits(da4); },
      "Error updating DataControlBlock (Error: 22)" },
    { "1.5 stop bits with 8 data bits", [](TComm& c, FakeCommLine&) { c.SetStopBits(sb15); },
      "Error updating DataControlBlock (Error: 22)" },
    { "a rate the driver refuses",
      [](TComm& c, FakeCommLine& l) {
        l.SetCustomRates(false);
        c.SetBaudRate(br14400);
      },
      "Error updating DataControlBlock (Error: 22)" },
  };
  for (const Case& c : cases) {
    auto line = CreateFakeCommDevice("FAKE-ALL-OR-NOTHING");
    const int threads = ThreadCount();
    TComm comm(nullptr);
    comm.SetDeviceName("FAKE-ALL-OR-NOTHING");
    c.Spoil(comm, *line);
    EXPECT_EQ(Raised([&] { comm.Open(); }), c.Message) << c.What;
    EXPECT_FALSE(comm.Enabled()) << c.What;
    EXPECT_FALSE(line->IsOpen()) << c.What;
    EXPECT_TRUE(ThreadCountBecomes(threads)) << c.What;
    TComm again(nullptr);  // the device is free for the next opener
    again.SetDeviceName("FAKE-ALL-OR-NOTHING");
    again.Open();
    EXPECT_TRUE(again.Enabled()) << c.What;
  }
}

TEST_F(PtyCommTest, LineSettingsReachTheDeviceAtOpenAndAtOnceWhileOpen) {
  struct Case {
    TBaudRate Rate;
    uint32_t Speed;
    TParity Parity;
    TStopBits Stop;
    tcflag_t Flags;  // as the master reads them back: a pty keeps no PARENB, the other bits show
  };
  const Case cases[] = {
    { br110, 110, paNone, sb10, 0 },
    { br300, 300, paOdd, sb10, PARODD },
    { br600, 600, paEven, sb10, 0 },
    { br1200, 1200, paMark, sb10, PARODD | CMSPAR },
    { br2400, 2400, paSpace, sb10, CMSPAR },
    { br4800, 4800, paNone, sb20, CSTOPB },
    { br9600, 9600, paOdd, sb20, PARODD | CSTOPB },
    { br14400, 14400, paNone, sb10, 0 },
    { br19200, 19200, paEven, sb10, 0 },
    { br38400, 38400, paNone, sb10, 0 },
    { br56000, 56000, paNone, sb20, CSTOPB },
    { br57600, 57600, paNone, sb10, 0 },
    { br115200, 115200, paSpace, sb20, CMSPAR | CSTOPB },
    { br128000, 128000, paNone, sb10, 0 },
    { br256000, 256000, paOdd, sb10, PARODD },
  };
  const tcflag_t kChecked = PARODD | CMSPAR | CSTOPB;
  for (const Case& c : cases) {  // set while closed, applied by Open
    FComm.SetBaudRate(c.Rate);
    FComm.SetParity(c.Parity);
    FComm.SetStopBits(c.Stop);
    FComm.Open();
    uint32_t speed = 0;
    ASSERT_EQ(GetLineSpeed(FPty.Master(), speed), 0);
    EXPECT_EQ(speed, c.Speed) << c.Speed;
    EXPECT_EQ(FPty.MasterTermios().c_cflag & kChecked, c.Flags) << c.Speed;
    FComm.Close();
  }
  FComm.Open();  // set while open: at once
  for (const Case& c : cases) {
    FComm.SetBaudRate(c.Rate);
    FComm.SetParity(c.Parity);
    FComm.SetStopBits(c.Stop);
    uint32_t speed = 0;
    ASSERT_EQ(GetLineSpeed(FPty.Master(), speed), 0);
    EXPECT_EQ(speed, c.Speed) << c.Speed;
    EXPECT_EQ(FPty.MasterTermios().c_cflag & kChecked, c.Flags) << c.Speed;
  }
}

TEST_F(FakeCommTest, DataBitsEventCharsAndOptionsReachTheDevice) {
  FComm.SetDataBits(da5);
  FComm.SetStopBits(sb15);
  FComm.EventChars()->SetXOnChar('Q');
  FComm.EventChars()->SetXOffChar('S');
  FComm.Open();
  EXPECT_EQ(FLine->Settings().ByteSize, 5);
  EXPECT_EQ(FLine->Settings().StopBits, ONE5STOPBITS);
  EXPECT_EQ(FLine->Settings().XonChar, 'Q');
  EXPECT_EQ(FLine->Settings().XoffChar, 'S');
  EXPECT_FALSE(FLine->Settings().MarkErrors);

  FComm.SetStopBits(sb10);
  const BYTE parities[] = { NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY };
  for (TParity parity : { paOdd, paEven, paMark, paSpace, paNone }) {
    FComm.SetParity(parity);
    EXPECT_EQ(FLine->Settings().Parity, parities[parity]);
  }
  for (TDataBits bits : { da6, da7, da8 }) {
    FComm.SetDataBits(bits);
    EXPECT_EQ(FLine->Settings().ByteSize, 4 + bits);
  }
  FComm.EventChars()->SetXOnChar(0x11);
  EXPECT_EQ(FLine->Settings().XonChar, 0x11);
  FComm.SetOptions({ coParityCheck });
  EXPECT_TRUE(FLine->Settings().MarkErrors);
  FComm.SetFlowControl(fcCTS);  // stored; the device keeps its flow control
  EXPECT_EQ(FComm.FlowControl(), fcCTS);
  EXPECT_FALSE(FLine->Settings().HardwareFlow);
}

// An event character the port refuses (here because its driver stopped taking the rate) stays as it was.
TEST_F(FakeCommTest, AnEventCharThePortRefusesKeepsItsOldValue) {
  FComm.SetBaudRate(br14400);
  FComm.Open();
  FComm.EventChars()->SetXOnChar('Q');
  FLine->SetCustomRates(false);
  EXPECT_NE(Raised([&] { FComm.EventChars()->SetXOnChar('#'); }), "");
  EXPECT_EQ(FComm.EventChars()->XOnChar(), 'Q');
  EXPECT_EQ(FLine->Settings().XonChar, 'Q');
}

TEST_F(PtyCommTest, ASettingThePortRefusesKeepsTheOldValue) {
  FComm.Open();
  EXPECT_EQ(Raised([&] { FComm.SetDataBits(da4); }), "Error updating DataControlBlock (Error: 22)");
  EXPECT_EQ(FComm.DataBits(), da8);
  EXPECT_EQ(Raised([&] { FComm.SetStopBits(sb15); }), "Error updating DataControlBlock (Error: 22)");
  EXPECT_EQ(FComm.StopBits(), sb10);
  EXPECT_TRUE(FComm.Enabled());
  EXPECT_EQ(FComm.Write("fine", 4), 4);
  EXPECT_EQ(FPty.Receive(4), "fine");
}

TEST_F(PtyCommTest, DeviceBuffersSuspendTimeAndMonitorEventsChangeOnlyWhileClosed) {
  const std::string path = FPty.Path();
  FComm.Open();
  FComm.SetDeviceName("/dev/other");
  FComm.SetReadBufSize(100);
  FComm.SetWriteBufSize(200);
  FComm.SetSuspendTime(7);
  FComm.SetMonitorEvents({ evCts });
  EXPECT_EQ(FComm.DeviceName(), path);
  EXPECT_EQ(FComm.ReadBufSize(), 4096);
  EXPECT_EQ(FComm.WriteBufSize(), 2048);
  EXPECT_EQ(FComm.SuspendTime(), 5u);
  EXPECT_EQ(FComm.MonitorEvents(), kAllEvents);
  FComm.SetReadTimeout(10);  // stored at any time
  EXPECT_EQ(FComm.ReadTimeout(), 10);
  FComm.Close();
  FComm.SetDeviceName("/dev/other");
  FComm.SetReadBufSize(100);
  FComm.SetWriteBufSize(200);
  FComm.SetSuspendTime(7);
  FComm.SetMonitorEvents({ evCts });
  EXPECT_EQ(FComm.DeviceName(), "/dev/other");
  EXPECT_EQ(FComm.ReadBufSize(), 100);
  EXPECT_EQ(FComm.WriteBufSize(), 200);
  EXPECT_EQ(FComm.SuspendTime(), 7u);
  EXPECT_EQ(FComm.MonitorEvents(), TCommEventTypes { evCts });
}

TEST(CommComponent, DestroyingAnOpenComponentClosesItAndItsThread) {
  PtyPair pty;
  const int threads = ThreadCount();
  auto comm = std::make_unique<TComm>(nullptr);
  comm->SetDeviceName(pty.Path());
  comm->Open();
  EXPECT_TRUE(ThreadCountBecomes(threads + 1));
  comm.reset();
  EXPECT_TRUE(ThreadCountBecomes(threads));
  TComm again(nullptr);
  again.SetDeviceName(pty.Path());
  again.Open();
  EXPECT_TRUE(again.Enabled());
}

// DestroyHandle closes as Close does: each open-close cycle, whichever of the two ends it, leaves the
// process with the threads and descriptors it had, and the component opens again afterwards.
TEST_F(PtyCommTest, NoThreadOrDescriptorOutlivesACycleHoweverThePortIsClosed) {
  FComm.Open();  // a first cycle, so whatever is made once per process exists before counting
  FComm.Close();
  ASSERT_TRUE(ThreadCountBecomes(ThreadCount()));
  const int threads = ThreadCount(), descriptors = CountEntries("/proc/self/fd");
  for (auto close : { &TThreadComm::DestroyHandle, &TThreadComm::Close, &TThreadComm::DestroyHandle })
    for (int cycle = 0; cycle < 3; ++cycle) {
      FComm.Open();
      ASSERT_TRUE(FComm.Enabled());
      EXPECT_TRUE(ThreadCountBecomes(threads + 1));
      (FComm.*close)();
      EXPECT_FALSE(FComm.Enabled());
      EXPECT_EQ(FComm.Write("x", 1), -1);
      FComm.Close();  // nothing left to close
      EXPECT_TRUE(ThreadCountBecomes(threads)) << "cycle " << cycle;
      EXPECT_EQ(CountEntries("/proc/self/fd"), descriptors) << "cycle " << cycle;
    }
}

TEST_F(FakeCommTest, ModemLinesBreakAndFlowThroughTheEscapeFunctions) {
  FComm.Open();
  EXPECT_EQ(FLine->OutputLines(), kLineDtr | kLineRts);
  FComm.SetDTRState(false);
  EXPECT_EQ(FLine->OutputLines(), unsigned { kLineRts });
  FComm.SetRTSState(false);
  EXPECT_EQ(FLine->OutputLines(), 0u);
  FComm.SetDTRState(true);
  FComm.SetRTSState(true);
  EXPECT_EQ(FLine->OutputLines(), kLineDtr | kLineRts);

  FLine->Receive("pending");
  ASSERT_TRUE(PumpUntil([&] { return FComm.InQueCount() == 7; }));
  FComm.SetBREAKState(true);
  EXPECT_TRUE(FLine->BreakOn());
  FLine->Receive("more");
  ASSERT_TRUE(PumpUntil([&] { return FComm.InQueCount() == 4; }));
  FComm.SetBREAKState(false);  // clears the break, then purges both queues
  EXPECT_FALSE(FLine->BreakOn());
  EXPECT_EQ(FComm.InQueCount(), 0);

  FComm.SetXONState(false);
  EXPECT_TRUE(FLine->OutputStopped());
  EXPECT_TRUE(FComm.GetComState(4));  // fXoffHold
  FComm.SetXONState(true);
  EXPECT_FALSE(FLine->OutputStopped());
  EXPECT_FALSE(FComm.GetComState(4));
  EXPECT_FALSE(FComm.GetComState(7));  // fCtsHold: no hardware handshake

  EXPECT_EQ(Raised([&] { FComm.EscapeComm(7); }), "EscapeCommFunction failure (Error: 22)");
}

TEST_F(FakeCommTest, ModemStateReadsTheInputLines) {
  FComm.Open();
  const struct {
    unsigned Lines;
    bool Expected[6];  // lines 0..5
  } cases[] = {
    { 0, { false, false, false, false, false, false } },
    { kLineCts, { false, true, false, false, false, false } },
    { kLineDsr, { false, false, true, false, false, false } },
    { kLineRing, { false, false, false, true, false, false } },
    { kLineDcd, { false, false, false, false, true, false } },
    { kLineCts | kLineDsr | kLineRing | kLineDcd, { false, true, true, true, true, false } },
  };
  for (const auto& c : cases) {
    FLine->SetInputLines(c.Lines);
    for (int line = 0; line <= 5; ++line)
      EXPECT_EQ(FComm.GetModemState(line), c.Expected[line]) << c.Lines << " " << line;
  }
  FLine->SetHasModemLines(false);  // like a pty
  FLine->SetInputLines(kLineCts);
  EXPECT_FALSE(FComm.GetModemState(1));
}

TEST_F(PtyCommTest, APtyHasNoModemLinesButTakesTheirSettings) {
  FComm.Open();
  FComm.SetDTRState(true);
  FComm.SetRTSState(false);
  FComm.SetBREAKState(true);
  FComm.SetBREAKState(false);
  for (int line = 1; line <= 4; ++line) EXPECT_FALSE(FComm.GetModemState(line));
  EXPECT_EQ(FComm.OutQueCount(), 0);
}

}  // namespace
}  // namespace xj::test
