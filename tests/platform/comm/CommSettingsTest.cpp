// Line settings: what SetCommState accepts, what reaches the device (read back from the pty master
// and from the fake), buffer sizes, escape functions and modem status on a device without lines.

#include "platform/win32/comm/CommSpeed.h"
#include "platform/win32/comm/FakeCommDevice.h"
#include "tests/support/CommTestSupport.h"

namespace xj::test {
namespace {

using CommSettings = PtyPortTest;

TEST_F(CommSettings, OpenPortStartsBinaryWithoutFlowControl) {
  DCB dcb {};
  ASSERT_TRUE(GetCommState(FPort, &dcb));
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow | dcb.fOutX | dcb.fInX | dcb.fParity, 0u);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  EXPECT_EQ(dcb.ByteSize, 8);
}

TEST_F(CommSettings, RefusesInvalidSettingsAndKeepsThePreviousOnes) {
  DCB good {};
  ASSERT_TRUE(GetCommState(FPort, &good));
  good.BaudRate = 4800;
  ASSERT_TRUE(SetCommState(FPort, &good));
  struct Bad {
    const char* What;
    void (*Spoil)(DCB&);
  };
  const Bad cases[] = {
    { "4 data bits", [](DCB& d) { d.ByteSize = 4; } },
    { "9 data bits", [](DCB& d) { d.ByteSize = 9; } },
    { "1.5 stop bits with 8 data bits", [](DCB& d) { d.StopBits = ONE5STOPBITS; } },
    { "2 stop bits with 5 data bits", [](DCB& d) { d.ByteSize = 5, d.StopBits = TWOSTOPBITS; } },
    { "parity 5", [](DCB& d) { d.Parity = 5; } },
    { "stop bits 3", [](DCB& d) { d.StopBits = 3; } },
    { "rate 0", [](DCB& d) { d.BaudRate = 0; } },
    { "XON equal to XOFF", [](DCB& d) { d.fOutX = 1, d.XonChar = d.XoffChar = 0x11; } },
  };
  for (const Bad& c : cases) {
    DCB dcb = good;
    c.Spoil(dcb);
    EXPECT_FALSE(SetCommState(FPort, &dcb)) << c.What;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.What;
    DCB now {};
    ASSERT_TRUE(GetCommState(FPort, &now));
    EXPECT_EQ(now.BaudRate, 4800u) << c.What;
    EXPECT_EQ(now.ByteSize, 8) << c.What;
  }
  EXPECT_FALSE(SetCommState(FPort, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(CommSettings, LineSettingsReachTheDevice) {
  struct Case {
    DWORD Baud;
    BYTE Size, Parity, Stop;
    tcflag_t Flags;  // as the master reads them back
  };
  const Case cases[] = {
    { 110, 8, NOPARITY, ONESTOPBIT, 0 },
    { 9600, 8, ODDPARITY, ONESTOPBIT, PARENB | PARODD },
    { 19200, 8, EVENPARITY, TWOSTOPBITS, PARENB | CSTOPB },
    { 115200, 7, MARKPARITY, ONESTOPBIT, PARENB | PARODD | CMSPAR },
    { 14400, 8, SPACEPARITY, ONESTOPBIT, PARENB | CMSPAR },
    { 56000, 5, NOPARITY, ONE5STOPBITS, CSTOPB },
    { 128000, 6, NOPARITY, ONESTOPBIT, 0 },
    { 256000, 8, NOPARITY, TWOSTOPBITS, CSTOPB },
  };
  for (const Case& c : cases) {
    DCB dcb {};
    ASSERT_TRUE(GetCommState(FPort, &dcb));
    dcb.BaudRate = c.Baud;
    dcb.ByteSize = c.Size;
    dcb.Parity = c.Parity;
    dcb.StopBits = c.Stop;
    ASSERT_TRUE(SetCommState(FPort, &dcb)) << c.Baud << " " << GetLastError();
    const termios t = FPty.MasterTermios();  // a pty keeps no PARENB: the other parity bits show
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), c.Flags & ~PARENB) << c.Baud;
    uint32_t rate = 0;
    ASSERT_EQ(GetLineSpeed(FPty.Master(), rate), 0);
    EXPECT_EQ(rate, c.Baud);
    DCB back {};
    ASSERT_TRUE(GetCommState(FPort, &back));
    EXPECT_EQ(back.ByteSize, c.Size);  // a pty carries 8 bits; the port keeps the size it was given
    EXPECT_EQ(back.Parity, c.Parity);
    EXPECT_EQ(back.BaudRate, c.Baud);
  }
}

// The pty keeps PARODD without PARENB; asking for odd parity again after a reopen must still work.
TEST(CommSettingsReopen, ParityTheDeviceKeptIsAcceptedAgainAfterAReopen) {
  PtyPair pty;
  for (DWORD baud : { DWORD { 256000 }, DWORD { 9600 } }) {
    for (int round = 0; round < 2; ++round) {
      HANDLE port = OpenPort(pty.Path());
      ASSERT_NE(port, INVALID_HANDLE_VALUE);
      DCB dcb {};
      ASSERT_TRUE(GetCommState(port, &dcb));
      dcb.BaudRate = baud;
      dcb.Parity = ODDPARITY;
      EXPECT_TRUE(SetCommState(port, &dcb)) << baud << " round " << round << " error " << GetLastError();
      CloseHandle(port);
    }
  }
}

TEST_F(CommSettings, BufferSizes) {
  EXPECT_FALSE(SetupComm(FPort, 0, 2048));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetupComm(FPort, (16u << 20) + 1, 2048));
  EXPECT_TRUE(SetupComm(FPort, 4096, 2048));
  EXPECT_TRUE(SetupComm(FPort, 1, 0));
}

TEST_F(CommSettings, DeviceWithoutModemLinesRecordsThemAndHasNoStatus) {
  for (DWORD f : { SETDTR, CLRDTR, SETRTS, CLRRTS, SETBREAK, CLRBREAK, SETXOFF, SETXON })
    EXPECT_TRUE(EscapeCommFunction(FPort, f)) << f;
  for (DWORD f : { 0u, 7u, 10u }) {
    EXPECT_FALSE(EscapeCommFunction(FPort, f)) << f;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  DWORD status = 0;
  EXPECT_FALSE(GetCommModemStatus(FPort, &status));
  EXPECT_EQ(GetLastError(), 25u);  // ENOTTY: modem states read as off
}

TEST_F(CommSettings, XoffHoldShowsInTheStatus) {
  COMSTAT stat {};
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXOFF));
  ASSERT_TRUE(ClearCommError(FPort, nullptr, &stat));
  EXPECT_EQ(stat.fXoffHold, 1u);
  ASSERT_TRUE(EscapeCommFunction(FPort, SETXON));
  ASSERT_TRUE(ClearCommError(FPort, nullptr, &stat));
  EXPECT_EQ(stat.fXoffHold, 0u);
}

TEST(CommFakeSettings, FlowControlAndSizesReachTheDriverAndRefusedRatesChangeNothing) {
  auto line = CreateFakeCommDevice("FAKE-SETTINGS");
  HANDLE port = OpenPort("FAKE-SETTINGS");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  DCB dcb {};
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.ByteSize = 6;
  dcb.fOutxCtsFlow = 1;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  dcb.XonChar = 0x01;
  dcb.XoffChar = 0x02;
  ASSERT_TRUE(SetCommState(port, &dcb));
  CommLineSettings s = line->Settings();
  EXPECT_EQ(s.ByteSize, 6);
  EXPECT_TRUE(s.HardwareFlow && s.XonXoffOut && s.XonXoffIn);
  EXPECT_EQ(s.XonChar, 0x01);
  EXPECT_EQ(s.XoffChar, 0x02);

  line->SetCustomRates(false);
  dcb.BaudRate = 14400;
  dcb.ByteSize = 7;
  EXPECT_FALSE(SetCommState(port, &dcb));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);  // EINVAL from the driver
  EXPECT_EQ(line->Settings().ByteSize, 6);
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.ByteSize, 6);

  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fOutxCtsFlow = 0;
  ASSERT_TRUE(SetCommState(port, &dcb));
  EXPECT_EQ(line->OutputLines(), 0u);
  CloseHandle(port);
}

}  // namespace
}  // namespace xj::test
