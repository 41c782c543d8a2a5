#pragma once
// An in-process serial device for tests, for what a pty cannot show: modem lines and their changes,
// parity and framing errors, overruns, breaks, a driver output queue that fills and drains, a hang-up.
// CreateFileA opens it by the name it was made with (one opener at a time, like a real port); the
// test keeps the FakeCommLine and plays the far end of the line and the driver with it. The device
// reports errors and breaks the way the termios driver does: in its counters, and marked in the input
// while the port checks parity (DCB fParity).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/WinDef.h"
#include "platform/win32/comm/CommDevice.h"

namespace xj {

class FakeCommLine {
 public:
  // The far end.
  void Receive(std::string_view bytes);
  // A byte received with CE_RXPARITY or CE_FRAME.
  void ReceiveBad(uint8_t byte, DWORD ceError);
  // Bytes lost before they reached the input: CE_OVERRUN (the UART's) or CE_RXOVER (the driver's).
  void Lose(DWORD ceError);
  void ReceiveBreak();
  // kLineCts | kLineDsr | kLineRing | kLineDcd; each changed line counts as one transition.
  void SetInputLines(unsigned lines);
  // Lines that went off and on again between two samples: only their counters move.
  void PulseInputLines(unsigned lines);
  void HangUp();

  // The driver's output queue: written bytes stay in it until TakeSent sends them. While it holds
  // `capacity` bytes, writes wait (the default is unlimited).
  void SetOutputCapacity(size_t capacity);
  std::string TakeSent(size_t max = SIZE_MAX);

  // false: like a pty, the line ioctls and the counters fail with ENOTTY.
  void SetHasModemLines(bool has);
  // false: rates without a standard Bxxx code fail with EINVAL, like a driver without custom speeds.
  void SetCustomRates(bool allowed);

  // What the port did to the device.
  CommLineSettings Settings() const;
  unsigned OutputLines() const;  // kLineDtr | kLineRts
  bool BreakOn() const;
  bool OutputStopped() const;
  bool IsOpen() const;
  size_t InputQueued() const;

 private:
  friend class FakeCommDevice;
  friend bool OpenFakeCommDevice(const std::string& name, std::unique_ptr<CommDevice>& out, int& error);

  void NotifyLocked();
  void PushLocked(uint8_t byte);

  mutable std::mutex FLock;
  std::deque<uint8_t> FInput;
  std::string FOutput;
  size_t FOutputCapacity = SIZE_MAX;
  CommLineSettings FSettings;
  CommCounters FCounters;
  unsigned FInputLines = 0;
  unsigned FOutputLines = kLineDtr | kLineRts;
  bool FHasModemLines = true;
  bool FCustomRates = true;
  bool FBreak = false;
  bool FStopped = false;
  bool FHungUp = false;
  bool FOpen = false;
  std::vector<int> FWakers;  // eventfds of operations blocked on the device
};

// Makes a fake device that CreateFileA opens by `name` (matched exactly, before port names and
// paths). It lives as long as the test holds it or a port has it open; the same name made again
// replaces the old one for later opens.
std::shared_ptr<FakeCommLine> CreateFakeCommDevice(const std::string& name);

// The fake device registered under `name`: false when there is none. Otherwise `out` holds the opened
// device, or `error` is EBUSY when another opener has it.
bool OpenFakeCommDevice(const std::string& name, std::unique_ptr<CommDevice>& out, int& error);

}  // namespace xj
