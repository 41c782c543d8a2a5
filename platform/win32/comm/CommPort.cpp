// The serial port object: input ring, events, time-outs, errors and cancellation over a CommDevice.

#include "platform/win32/comm/CommPort.h"

#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>

namespace xj {
namespace {

constexpr int kTickMs = 20;  // sampling period of line states, counters and the output queue
constexpr DWORD kMaxInQueue = 16u << 20;
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_BREAK | EV_ERR;

int64_t NowNs() {
  timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Milliseconds left until a deadline, rounded up so a poll never wakes just before it; 0 when past.
int MsUntil(int64_t deadlineNs) {
  const int64_t left = deadlineNs - NowNs();
  if (left <= 0) return 0;
  return static_cast<int>(std::min<int64_t>((left + 999999) / 1000000, INT_MAX));
}

int MinTimeout(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// An OVERLAPPED is pending while the call runs and holds its result afterwards; Internal is read by
// GetOverlappedResult, possibly on another thread.
void OverlappedBegin(OVERLAPPED* overlapped) {
  if (!overlapped) return;
  overlapped->InternalHigh = 0;
  std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(kStatusPending, std::memory_order_release);
  if (overlapped->hEvent) ResetEvent(overlapped->hEvent);
}

BOOL OverlappedEnd(OVERLAPPED* overlapped, BOOL ok, DWORD count) {
  const DWORD error = ok ? 0 : GetLastError();
  if (overlapped) {
    overlapped->InternalHigh = count;
    std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(error, std::memory_order_release);
    if (overlapped->hEvent) SetEvent(overlapped->hEvent);
    if (!ok) SetLastError(error);
  }
  return ok;
}

bool StandardParity(BYTE parity) { return parity <= SPACEPARITY; }

// The rules a DCB must follow before anything reaches the device.
bool ValidDcb(const DCB& dcb) {
  if (dcb.BaudRate == 0) return false;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return false;
  if (!StandardParity(dcb.Parity) || dcb.StopBits > TWOSTOPBITS) return false;
  if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return false;
  if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return false;
  if ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar) return false;
  return true;
}

CommLineSettings SettingsOf(const DCB& dcb) {
  CommLineSettings s;
  s.BaudRate = dcb.BaudRate;
  s.ByteSize = dcb.ByteSize;
  s.Parity = dcb.Parity;
  s.StopBits = dcb.StopBits;
  s.HardwareFlow = dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
  s.XonXoffOut = dcb.fOutX;
  s.XonXoffIn = dcb.fInX;
  s.XonChar = dcb.XonChar;
  s.XoffChar = dcb.XoffChar;
  s.MarkErrors = dcb.fParity;
  return s;
}

bool SameSettings(const CommLineSettings& a, const CommLineSettings& b) {
  return a.BaudRate == b.BaudRate && a.ByteSize == b.ByteSize && a.Parity == b.Parity && a.StopBits == b.StopBits &&
         a.HardwareFlow == b.HardwareFlow && a.XonXoffOut == b.XonXoffOut && a.XonXoffIn == b.XonXoffIn &&
         a.XonChar == b.XonChar && a.XoffChar == b.XoffChar && a.MarkErrors == b.MarkErrors;
}

DCB DcbOf(const CommLineSettings& s) {
  DCB dcb {};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = s.BaudRate;
  dcb.fBinary = 1;
  dcb.fParity = s.MarkErrors;
  dcb.fOutxCtsFlow = s.HardwareFlow;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fOutX = s.XonXoffOut;
  dcb.fInX = s.XonXoffIn;
  dcb.fRtsControl = s.HardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = s.ByteSize;
  dcb.Parity = s.Parity;
  dcb.StopBits = s.StopBits;
  dcb.XonChar = s.XonChar;
  dcb.XoffChar = s.XoffChar;
  return dcb;
}

// Milliseconds the line needs for count characters (start bit, data, parity, stop bits).
int64_t LineTimeMs(const DCB& dcb, uint64_t count) {
  const uint64_t bits = 1 + dcb.ByteSize + (dcb.Parity != NOPARITY ? 1 : 0) + (dcb.StopBits == ONESTOPBIT ? 1 : 2);
  const uint64_t baud = std::max<DWORD>(dcb.BaudRate, 1);
  return static_cast<int64_t>((count * bits * 1000 + baud - 1) / baud);
}

bool NoSuchFeature(int error) { return error == ENOTTY || error == EINVAL; }

}  // namespace

// Counts an operation in progress, so OnClose can wait until none is left on the device.
class CommPort::Operation {
 public:
  explicit Operation(CommPort& port) : FPort(port) { ++FPort.FActive; }
  ~Operation() {
    if (--FPort.FActive == 0 && FPort.FClosing) FPort.FIdle.notify_all();
  }

 private:
  CommPort& FPort;
};

CommPort::CommPort(std::unique_ptr<CommDevice> device) : FDevice(std::move(device)) {
  FApplied = FDevice->Current();
  FDcb = DcbOf(FApplied);
  SampleLocked();  // the baseline for line events
}

CommPort::~CommPort() {
  if (!FClosed) FDevice->Close();
  for (int fd : FIdleSleepers) ::close(fd);
}

void CommPort::OnClose() {
  Lock lock(FLock);
  FClosing = true;
  ++FStops.Cancel;
  KickLocked();
  FIdle.wait(lock, [this] { return FActive == 0; });
  FClosed = true;
  FDevice->Close();
}

// ---- Input -------------------------------------------------------------------------------------------

void CommPort::PumpLocked() {
  uint8_t chunk[4096];
  for (;;) {
    const size_t room = std::min(FRing.Free(), sizeof chunk);
    if (room == 0) return;
    const CommIo io = FDevice->ReadSome(chunk, room);
    if (io.HungUp) HungUpLocked();
    if (io.Count == 0) return;
    ReceiveLocked(chunk, io.Count);
    if (io.Count < room) return;
  }
}

// With error marking on, the driver sends 0xFF 0xFF for a real 0xFF, 0xFF 0x00 c for a byte c received
// with a parity or framing error, and 0xFF 0x00 0x00 for a break.
void CommPort::ReceiveLocked(const uint8_t* bytes, size_t count) {
  const size_t before = FRing.Count();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    if (!FApplied.MarkErrors) {
      AcceptLocked(b, false);
      continue;
    }
    switch (FMarkState) {
      case 0:
        if (b == 0xFF)
          FMarkState = 1;
        else
          AcceptLocked(b, false);
        break;
      case 1:
        FMarkState = b == 0x00 ? 2 : 0;
        if (b == 0xFF) {
          AcceptLocked(0xFF, false);
        } else if (b != 0x00) {  // not a mark after all: keep both bytes
          AcceptLocked(0xFF, false);
          AcceptLocked(b, false);
        }
        break;
      default:
        FMarkState = 0;
        if (b == 0x00) {
          ErrorLocked(CE_BREAK);
          LatchLocked(EV_BREAK);
        } else {
          AcceptLocked(b, true);
        }
        break;
    }
  }
  if (FRing.Count() > before) LatchLocked(EV_RXCHAR);
}

void CommPort::AcceptLocked(uint8_t byte, bool bad) {
  if (bad) {
    // Without counters the mark is all we know; it cannot tell parity from framing.
    if (!FHasCounters) ErrorLocked(CE_RXPARITY);
    LatchLocked(EV_ERR);
    if (FDcb.fErrorChar) byte = static_cast<uint8_t>(FDcb.ErrorChar);
  }
  if (FDcb.fNull && byte == 0) return;
  FRing.Push(byte);
  if (byte == static_cast<uint8_t>(FDcb.EvtChar)) LatchLocked(EV_RXFLAG);
}

size_t CommPort::TakeLocked(uint8_t* out, size_t count) {
  const bool wasFull = FRing.Full();
  const size_t taken = FRing.Take(out, count);
  if (wasFull && taken) KickLocked();  // a wait that stopped watching the device may take input again
  return taken;
}

// ---- Events ------------------------------------------------------------------------------------------

void CommPort::SampleLocked() {
  if (FHasLines) {
    unsigned lines = 0;
    const int error = FDevice->GetLines(lines);
    if (NoSuchFeature(error)) {
      FHasLines = false;
    } else if (error == 0) {
      const unsigned changed = lines ^ FLastLines;
      DWORD events = 0;
      if (changed & kLineCts) events |= EV_CTS;
      if (changed & kLineDsr) events |= EV_DSR;
      if (changed & kLineDcd) events |= EV_RLSD;
      if (changed & kLineRing) events |= EV_RING;
      FLastLines = lines;
      LatchLocked(events);
    }
  }
  if (FHasCounters) {
    CommCounters now;
    const int error = FDevice->GetCounters(now);
    if (NoSuchFeature(error)) {
      FHasCounters = false;
    } else if (error == 0) {
      const CommCounters& was = FLastCounters;
      DWORD events = 0, errors = 0;
      if (now.Cts != was.Cts) events |= EV_CTS;
      if (now.Dsr != was.Dsr) events |= EV_DSR;
      if (now.Dcd != was.Dcd) events |= EV_RLSD;
      if (now.Ring != was.Ring) events |= EV_RING;
      if (now.Break != was.Break) events |= EV_BREAK, errors |= CE_BREAK;
      if (now.Frame != was.Frame) events |= EV_ERR, errors |= CE_FRAME;
      if (now.Parity != was.Parity) events |= EV_ERR, errors |= CE_RXPARITY;
      if (now.Overrun != was.Overrun) events |= EV_ERR, errors |= CE_OVERRUN;
      if (now.BufferOverrun != was.BufferOverrun) errors |= CE_RXOVER;
      FLastCounters = now;
      ErrorLocked(errors);
      LatchLocked(events);
    }
  }
  if (FTxPending && FDevice->OutputQueued() == 0) {
    FTxPending = false;
    LatchLocked(EV_TXEMPTY);
  }
}

bool CommPort::NeedsTickLocked() const {
  if ((FHasLines || FHasCounters) && (FMask & kLineEvents)) return true;
  return FTxPending && (FMask & EV_TXEMPTY);
}

void CommPort::LatchLocked(DWORD events) {
  const DWORD fresh = events & FMask & ~FLatched;
  if (!fresh) return;
  FLatched |= fresh;
  if (FWaitActive) KickLocked();
}

void CommPort::ErrorLocked(DWORD errors) { FErrors |= errors; }

void CommPort::HungUpLocked() {
  if (FHungUp) return;
  FHungUp = true;
  FHangUpPending = true;
  ErrorLocked(CE_IOE);
  KickLocked();
}

// ---- Blocking ----------------------------------------------------------------------------------------

void CommPort::BlockLocked(Lock& lock, bool wantInput, bool wantOutput, int timeoutMs) {
  int sleeper;
  if (!FIdleSleepers.empty()) {
    sleeper = FIdleSleepers.back();
    FIdleSleepers.pop_back();
  } else {
    sleeper = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (sleeper < 0) {  // out of descriptors: fall back to the sampling tick, never to spinning
      lock.unlock();
      FDevice->Wait(false, false, false, MinTimeout(timeoutMs, kTickMs), -1);
      lock.lock();
      return;
    }
  }
  FSleepers.push_back(sleeper);
  const bool watchDevice = !FHungUp;
  lock.unlock();
  const CommWaitResult result = FDevice->Wait(watchDevice, wantInput, wantOutput, timeoutMs, sleeper);
  lock.lock();
  FSleepers.erase(std::find(FSleepers.begin(), FSleepers.end(), sleeper));
  uint64_t drained;
  while (::read(sleeper, &drained, sizeof drained) < 0 && errno == EINTR) {
  }
  FIdleSleepers.push_back(sleeper);
  if (result.HungUp) HungUpLocked();
}

void CommPort::KickLocked() {
  const uint64_t one = 1;
  for (int fd : FSleepers) {
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }
}

bool CommPort::AbortedByErrorLocked() {
  if (!FDcb.fAbortOnError) return false;
  PumpLocked();
  SampleLocked();
  return FErrors != 0;
}

bool CommPort::StoppedLocked(const Stops& since, bool rx) const {
  if (FClosing || FStops.Cancel != since.Cancel) return true;
  return rx ? FStops.RxAbort != since.RxAbort : FStops.TxAbort != since.TxAbort;
}

// ---- Reading and writing ---------------------------------------------------------------------------

BOOL CommPort::Read(void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) {
  OverlappedBegin(overlapped);
  Lock lock(FLock);
  if (FClosing) return OverlappedEnd(overlapped, Fail(ERROR_INVALID_HANDLE), 0);
  if (AbortedByErrorLocked()) return OverlappedEnd(overlapped, Fail(ERROR_OPERATION_ABORTED), 0);
  Operation operation(*this);
  const Stops since = FStops;

  const COMMTIMEOUTS t = FTimeouts;
  const bool anyWaiting = t.ReadIntervalTimeout == MAXDWORD;
  const bool noWait = anyWaiting && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const bool firstByte = anyWaiting && t.ReadTotalTimeoutMultiplier == MAXDWORD && t.ReadTotalTimeoutConstant != 0 &&
                         t.ReadTotalTimeoutConstant != MAXDWORD;
  const uint64_t totalMs = firstByte ? t.ReadTotalTimeoutConstant
                                     : uint64_t { t.ReadTotalTimeoutMultiplier } * count + t.ReadTotalTimeoutConstant;
  const int64_t intervalNs = anyWaiting ? 0 : int64_t { t.ReadIntervalTimeout } * 1000000;
  const int64_t start = NowNs();
  const int64_t deadline =
      totalMs ? start + static_cast<int64_t>(std::min<uint64_t>(totalMs, INT64_MAX / 2000000)) * 1000000 : 0;

  auto* out = static_cast<uint8_t*>(buffer);
  size_t got = 0;
  int64_t lastByte = 0;
  BOOL ok = TRUE;
  for (bool first = true;; first = false) {
    for (;;) {  // everything waiting now, as far as the count goes: taking makes room for more
      PumpLocked();
      const size_t n = TakeLocked(out + got, count - got);
      if (!n) break;
      got += n;
      lastByte = NowNs();
      if (got == count) break;
    }
    if (got == count || noWait) break;
    if (got && ((first && anyWaiting) || firstByte)) break;
    if (FHungUp) {  // what the device still held is in; nothing more can arrive
      if (!got) ok = Fail(ERROR_BROKEN_PIPE);
      break;
    }
    if (StoppedLocked(since, true)) break;
    int timeout = deadline ? MsUntil(deadline) : -1;
    if (intervalNs && lastByte) timeout = MinTimeout(timeout, MsUntil(lastByte + intervalNs));
    if (timeout == 0) break;
    BlockLocked(lock, true, false, timeout);
  }
  if (done) *done = static_cast<DWORD>(got);
  return OverlappedEnd(overlapped, ok, static_cast<DWORD>(got));
}

BOOL CommPort::Write(const void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) {
  OverlappedBegin(overlapped);
  Lock lock(FLock);
  if (FClosing) return OverlappedEnd(overlapped, Fail(ERROR_INVALID_HANDLE), 0);
  if (AbortedByErrorLocked()) return OverlappedEnd(overlapped, Fail(ERROR_OPERATION_ABORTED), 0);
  Operation operation(*this);
  const Stops since = FStops;

  uint64_t totalMs = uint64_t { FTimeouts.WriteTotalTimeoutMultiplier } * count + FTimeouts.WriteTotalTimeoutConstant;
  if (totalMs == 0) totalMs = 2 * LineTimeMs(FDcb, count) + 1000;
  const int64_t deadline = NowNs() + static_cast<int64_t>(std::min<uint64_t>(totalMs, INT64_MAX / 2000000)) * 1000000;

  const auto* in = static_cast<const uint8_t*>(buffer);
  size_t sent = 0;
  BOOL ok = TRUE;
  while (sent < count) {
    if (FHungUp) {
      if (!sent) ok = Fail(ERROR_BROKEN_PIPE);
      break;
    }
    const CommIo io = FDevice->WriteSome(in + sent, count - sent);
    if (io.Count) {
      sent += io.Count;
      FTxPending = true;
    }
    if (io.HungUp) HungUpLocked();
    if (io.Error) {
      if (!sent) ok = Fail(static_cast<DWORD>(io.Error));
      break;
    }
    if (sent == count || StoppedLocked(since, false)) break;
    const int timeout = MsUntil(deadline);
    if (timeout == 0) break;
    if (!io.Count) BlockLocked(lock, false, true, timeout);
  }
  SampleLocked();  // an output queue already empty reports EV_TXEMPTY now
  if (done) *done = static_cast<DWORD>(sent);
  return OverlappedEnd(overlapped, ok, static_cast<DWORD>(sent));
}

// ---- Events ------------------------------------------------------------------------------------------

BOOL CommPort::SetMask(DWORD mask) {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  SampleLocked();  // moves the line baseline to now: older changes belong to the old mask
  FMask = mask & (EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | kLineEvents);
  FLatched = 0;
  ++FMaskGeneration;
  KickLocked();
  return TRUE;
}

BOOL CommPort::WaitEvent(DWORD* events, OVERLAPPED* overlapped) {
  OverlappedBegin(overlapped);
  Lock lock(FLock);
  auto fail = [&](DWORD error) { return OverlappedEnd(overlapped, Fail(error), 0); };
  if (FClosing) return fail(ERROR_INVALID_HANDLE);
  if (!events || FWaitActive || FMask == 0) return fail(ERROR_INVALID_PARAMETER);
  if (FHangUpReported) return fail(ERROR_BROKEN_PIPE);
  if (FWaitCancelPending) {
    FWaitCancelPending = false;
    return fail(ERROR_OPERATION_ABORTED);
  }
  Operation operation(*this);
  FWaitActive = true;
  const Stops since = FStops;
  const uint64_t maskGeneration = FMaskGeneration;

  DWORD result = 0, error = 0;
  for (;;) {
    PumpLocked();
    SampleLocked();
    if (FMaskGeneration != maskGeneration) break;  // SetCommMask ends the wait with no events
    if (FClosing || FStops.Cancel != since.Cancel) {
      error = ERROR_OPERATION_ABORTED;
      break;
    }
    if (FHangUpPending) {
      FHangUpPending = false;
      FHangUpReported = true;
      result = FLatched & FMask;
      FLatched = 0;
      if (FMask & EV_ERR)
        result |= EV_ERR;
      else if (!result)
        error = ERROR_BROKEN_PIPE;
      break;
    }
    if (FLatched & FMask) {
      result = FLatched & FMask;
      FLatched = 0;
      break;
    }
    BlockLocked(lock, !FRing.Full(), false, NeedsTickLocked() ? kTickMs : -1);
  }
  FWaitActive = false;
  if (error) return fail(error);
  *events = result;
  return OverlappedEnd(overlapped, TRUE, 0);
}

BOOL CommPort::Cancel() {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (!FWaitActive) FWaitCancelPending = true;
  ++FStops.Cancel;
  KickLocked();
  return TRUE;
}

// ---- Settings and state ------------------------------------------------------------------------------

BOOL CommPort::Setup(DWORD inQueue, DWORD) {
  if (inQueue == 0 || inQueue > kMaxInQueue) return Fail(ERROR_INVALID_PARAMETER);
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  const bool wasFull = FRing.Full();
  FRing.Resize(inQueue);
  if (wasFull && !FRing.Full()) KickLocked();
  return TRUE;
}

BOOL CommPort::GetState(DCB& dcb) {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  dcb = FDcb;
  return TRUE;
}

BOOL CommPort::SetState(const DCB& dcb) {
  if (!ValidDcb(dcb)) return Fail(ERROR_INVALID_PARAMETER);
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  const CommLineSettings settings = SettingsOf(dcb);
  if (!SameSettings(settings, FApplied)) {
    if (const int error = FDevice->Apply(settings)) return Fail(static_cast<DWORD>(error));
    if (settings.MarkErrors != FApplied.MarkErrors) {
      if (FMarkState) FRing.Push(0xFF);  // a half-read mark was data after all
      FMarkState = 0;
    }
    FApplied = settings;
  }
  ApplyModemControlLocked(dcb);
  FDcb = dcb;
  FDcb.DCBlength = sizeof(DCB);
  return TRUE;
}

// DTR and RTS follow the enable/disable choices of the DCB when those change; handshake and toggle
// modes are left to the driver (RTS handshake) or stored only (DTR handshake, RTS toggle).
void CommPort::ApplyModemControlLocked(const DCB& dcb) {
  if (dcb.fDtrControl != FDcb.fDtrControl && dcb.fDtrControl != DTR_CONTROL_HANDSHAKE)
    SetOutputLineLocked(kLineDtr, dcb.fDtrControl == DTR_CONTROL_ENABLE);
  if (dcb.fRtsControl != FDcb.fRtsControl &&
      (dcb.fRtsControl == RTS_CONTROL_ENABLE || dcb.fRtsControl == RTS_CONTROL_DISABLE))
    SetOutputLineLocked(kLineRts, dcb.fRtsControl == RTS_CONTROL_ENABLE);
}

// A device without modem lines (a pty) has nothing to drive: the call succeeds.
int CommPort::SetOutputLineLocked(unsigned line, bool on) {
  const int error = FDevice->SetLine(line, on);
  return NoSuchFeature(error) ? 0 : error;
}

BOOL CommPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  FTimeouts = timeouts;
  return TRUE;
}

BOOL CommPort::ClearError(DWORD* errors, COMSTAT* stat) {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  PumpLocked();
  SampleLocked();
  if (errors) *errors = FErrors;
  FErrors = 0;
  if (stat) {
    *stat = COMSTAT {};
    stat->fCtsHold = FApplied.HardwareFlow && FHasLines && !(FLastLines & kLineCts);
    stat->fXoffHold = FOutputStopped;
    const size_t in = FRing.Count() + FDevice->InputWaiting();
    stat->cbInQue = static_cast<DWORD>(std::min<size_t>(in, MAXDWORD));
    stat->cbOutQue = static_cast<DWORD>(std::min<size_t>(FDevice->OutputQueued(), MAXDWORD));
  }
  return TRUE;
}

BOOL CommPort::Purge(DWORD flags) {
  constexpr DWORD kAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
  if (flags & ~kAll) return Fail(ERROR_INVALID_PARAMETER);
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (flags & (PURGE_RXCLEAR | PURGE_TXCLEAR)) {
    if (const int error = FDevice->Flush(flags & PURGE_RXCLEAR, flags & PURGE_TXCLEAR))
      return Fail(static_cast<DWORD>(error));
  }
  if (flags & PURGE_RXCLEAR) {
    FRing.Clear();
    FMarkState = 0;
  }
  if (flags & PURGE_RXABORT) ++FStops.RxAbort;
  if (flags & PURGE_TXABORT) ++FStops.TxAbort;
  KickLocked();
  return TRUE;
}

BOOL CommPort::Escape(DWORD function) {
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  int error = 0;
  switch (function) {
    case SETXOFF:
    case SETXON:
      error = FDevice->StopOutput(function == SETXOFF);
      if (!error) FOutputStopped = function == SETXOFF;
      break;
    case SETRTS:
    case CLRRTS:
      error = SetOutputLineLocked(kLineRts, function == SETRTS);
      break;
    case SETDTR:
    case CLRDTR:
      error = SetOutputLineLocked(kLineDtr, function == SETDTR);
      break;
    case SETBREAK:
    case CLRBREAK:
      error = FDevice->SetBreak(function == SETBREAK);
      break;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  if (error) return Fail(static_cast<DWORD>(error));
  KickLocked();  // a writer held up by SETXOFF looks again
  return TRUE;
}

BOOL CommPort::ModemStatus(DWORD* status) {
  if (!status) return Fail(ERROR_INVALID_PARAMETER);
  Lock lock(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  unsigned lines = 0;
  if (const int error = FDevice->GetLines(lines)) return Fail(static_cast<DWORD>(error));
  *status = ((lines & kLineCts) ? MS_CTS_ON : 0) | ((lines & kLineDsr) ? MS_DSR_ON : 0) |
            ((lines & kLineRing) ? MS_RING_ON : 0) | ((lines & kLineDcd) ? MS_RLSD_ON : 0);
  return TRUE;
}

}  // namespace xj
