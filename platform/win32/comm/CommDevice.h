#pragma once
// What a serial port needs from the device beneath it: the termios device, or the in-process fake of
// FakeCommDevice.h. The port object (CommPort.h) builds every Win32 behaviour on these primitives, so
// both devices behave alike above this line. Results are 0 or an errno value.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace xj {

// Modem lines as one bit set.
constexpr unsigned kLineCts = 1u << 0;
constexpr unsigned kLineDsr = 1u << 1;
constexpr unsigned kLineRing = 1u << 2;
constexpr unsigned kLineDcd = 1u << 3;
constexpr unsigned kLineDtr = 1u << 4;
constexpr unsigned kLineRts = 1u << 5;

// The settings a device applies. ByteSize 5..8 and the parity and stop-bit values of WinComm.h,
// validated by the port before they get here.
struct CommLineSettings {
  uint32_t BaudRate = 9600;
  uint8_t ByteSize = 8;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  bool HardwareFlow = false;  // CTS/RTS handshake
  bool XonXoffOut = false;    // output stops on a received XOFF
  bool XonXoffIn = false;     // the device sends XOFF/XON as its input fills and drains
  char XonChar = 0x11;
  char XoffChar = 0x13;
  // Parity/framing errors and breaks are marked in the input: 0xFF 0x00 c for a bad byte c, 0xFF 0x00
  // 0x00 for a break, 0xFF 0xFF for a real 0xFF.
  bool MarkErrors = false;
};

// Cumulative counters of line events (the driver's interrupt counts).
struct CommCounters {
  uint32_t Cts = 0, Dsr = 0, Ring = 0, Dcd = 0;
  uint32_t Frame = 0, Overrun = 0, Parity = 0, Break = 0, BufferOverrun = 0;
};

struct CommIo {
  size_t Count = 0;     // bytes moved
  int Error = 0;        // errno when the call failed (EAGAIN is not a failure: Count is then 0)
  bool HungUp = false;  // the device will never deliver or take bytes again
};

struct CommWaitResult {
  bool Ready = false;  // input readable or output writable as asked
  bool HungUp = false;
};

class CommDevice {
 public:
  virtual ~CommDevice() = default;

  // Non-blocking transfers.
  virtual CommIo ReadSome(uint8_t* buffer, size_t count) = 0;
  virtual CommIo WriteSome(const uint8_t* buffer, size_t count) = 0;
  // Bytes the device holds: received and not yet read, written and not yet sent (0 when unknown).
  virtual size_t InputWaiting() = 0;
  virtual size_t OutputQueued() = 0;

  virtual int Apply(const CommLineSettings& settings) = 0;
  // The settings the device had when it was opened.
  virtual CommLineSettings Current() = 0;

  // ENOTTY or EINVAL from these mean the device has no such lines or counters.
  virtual int GetLines(unsigned& lines) = 0;
  virtual int SetLine(unsigned line, bool on) = 0;
  virtual int GetCounters(CommCounters& counters) = 0;

  virtual int Flush(bool input, bool output) = 0;
  virtual int StopOutput(bool stop) = 0;
  virtual int SetBreak(bool on) = 0;

  // Blocks until input is readable (wantInput), output has room (wantOutput), the device hangs up,
  // wakeFd (an eventfd) becomes readable, or timeoutMs passes (-1: no limit). watchDevice false waits
  // on wakeFd and the time only (a device that hung up reports it on every poll).
  virtual CommWaitResult Wait(bool watchDevice, bool wantInput, bool wantOutput, int timeoutMs, int wakeFd) = 0;

  // Gives the device up (drops exclusivity, closes).
  virtual void Close() = 0;
};

// True for the rates the host has a Bxxx code for; others need the driver's custom speed.
bool IsStandardRate(uint32_t rate);

// Opens a terminal device for a port: O_RDWR|O_NOCTTY|O_NONBLOCK|O_CLOEXEC, refused (ENOTTY) when it is
// not a terminal character device, exclusive (EBUSY when another opener holds it), raw mode.
int OpenTermiosDevice(const std::string& path, std::unique_ptr<CommDevice>& out);

// Makes CreateFileA open serial ports: "COMn" in any case (through the table below), absolute paths of
// character devices, and the names of fake devices. Safe to call any number of times.
void RegisterCommDevices();

// The device path "COMn" opens; the default is /dev/ttyS<n-1>. An empty path restores the default.
void SetCommPortPath(unsigned n, const std::string& path);
std::string CommPortPath(unsigned n);

}  // namespace xj
