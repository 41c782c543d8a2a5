#pragma once
// One open serial port behind a HANDLE. Every Win32 COMM call is one operation of this object; the
// device beneath (termios or the fake) only moves bytes, applies settings and reports line states.
//
// Threads: one mutex guards the state; nothing blocks while holding it. A blocked operation sleeps
// in the device's poll with an eventfd of its own (a "sleeper"), which every state change that may
// concern it signals, so a wait, a read and a write can block on the same port at the same time and
// each wakes exactly when it has to.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/KernelObjects.h"
#include "platform/win32/WinComm.h"
#include "platform/win32/comm/CommDevice.h"
#include "platform/win32/comm/CommRing.h"

namespace xj {

class CommPort final : public KernelObject {
 public:
  explicit CommPort(std::unique_ptr<CommDevice> device);
  ~CommPort() override;

  BOOL Read(void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL Write(const void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) override;
  DWORD FileType() override { return FILE_TYPE_CHAR; }
  // Wakes every blocked operation, waits until all have left, then closes the device.
  void OnClose() override;

  BOOL Setup(DWORD inQueue, DWORD outQueue);
  BOOL GetState(DCB& dcb);
  BOOL SetState(const DCB& dcb);
  BOOL SetTimeouts(const COMMTIMEOUTS& timeouts);
  BOOL SetMask(DWORD mask);
  BOOL WaitEvent(DWORD* events, OVERLAPPED* overlapped);
  BOOL ClearError(DWORD* errors, COMSTAT* stat);
  BOOL Purge(DWORD flags);
  BOOL Escape(DWORD function);
  BOOL ModemStatus(DWORD* status);
  BOOL Cancel();

 private:
  using Lock = std::unique_lock<std::mutex>;
  class Operation;

  // Generations that end a blocked operation when they move.
  struct Stops {
    uint64_t Cancel = 0;
    uint64_t RxAbort = 0;
    uint64_t TxAbort = 0;
  };

  // Input: moves what the device holds into the ring, through the error-mark and NUL filters.
  void PumpLocked();
  void ReceiveLocked(const uint8_t* bytes, size_t count);
  void AcceptLocked(uint8_t byte, bool bad);
  size_t TakeLocked(uint8_t* out, size_t count);
  // Line states, counters and the output queue compared with the last sample.
  void SampleLocked();
  bool NeedsTickLocked() const;
  void LatchLocked(DWORD events);
  void ErrorLocked(DWORD errors);
  void HungUpLocked();

  // Blocks with the lock released until the device is ready, a sleeper is signalled or the time
  // (ms, -1 none) passes.
  void BlockLocked(Lock& lock, bool wantInput, bool wantOutput, int timeoutMs);
  void KickLocked();
  bool StoppedLocked(const Stops& since, bool rx) const;

  // Whether a read or write may start: with fAbortOnError, not while errors are uncleared.
  bool AbortedByErrorLocked();
  void ApplyModemControlLocked(const DCB& dcb);
  int SetOutputLineLocked(unsigned line, bool on);

  std::unique_ptr<CommDevice> FDevice;
  std::mutex FLock;
  std::condition_variable FIdle;

  DCB FDcb {};
  CommLineSettings FApplied;
  COMMTIMEOUTS FTimeouts {};
  CommRing FRing { 4096 };

  DWORD FMask = 0;
  DWORD FLatched = 0;
  DWORD FErrors = 0;

  // The error-mark filter's position inside a 0xFF sequence (0: outside).
  int FMarkState = 0;
  bool FOutputStopped = false;
  bool FTxPending = false;

  bool FHasLines = true;
  bool FHasCounters = true;
  unsigned FLastLines = 0;
  CommCounters FLastCounters;

  bool FHungUp = false;
  bool FHangUpPending = false;
  bool FHangUpReported = false;

  Stops FStops;
  uint64_t FMaskGeneration = 0;
  bool FWaitActive = false;
  bool FWaitCancelPending = false;
  int FActive = 0;
  bool FClosing = false;
  bool FClosed = false;

  std::vector<int> FSleepers;      // eventfds of blocked operations
  std::vector<int> FIdleSleepers;  // kept for reuse
};

}  // namespace xj
