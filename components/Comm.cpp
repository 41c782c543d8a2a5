// The serial port component over the Win32 COMM layer: TThreadComm, TComm, TCommEventChars and the
// event thread that hands the port's events to the main thread.

#include "components/Comm.h"
#include "platform/win32/Scoped.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

namespace {

const char* const sPortAlreadyOpen = "Port already assigned (open) (Error: %d)";
const char* const sPortNotOpen = "Port not open (Error: %d)";
const char* const sOpenFailed = "Error opening port \"%s\" (Error: %d)";
const char* const sSetupFailed = "Error initializing Read/Write Buffers (Error: %d)";
const char* const sDcbFailed = "Error updating DataControlBlock (Error: %d)";
const char* const sTimeoutsFailed = "Error updating CommTimeouts (Error: %d)";
const char* const sEscapeFailed = "EscapeCommFunction failure (Error: %d)";

// What the COMM layer reports for a device that is no terminal (ENOTTY); a file or another kind of
// device that CreateFileA opened is refused with the same code.
constexpr DWORD kNotASerialDevice = 25;

constexpr DWORD kBaudRates[] = { 110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000 };
constexpr BYTE kParities[] = { NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY };
constexpr BYTE kStopBits[] = { ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS };
constexpr BYTE kDataBits[] = { 4, 5, 6, 7, 8 };
constexpr DWORD kEventBits[] = { EV_BREAK, EV_CTS, EV_DSR, EV_ERR, EV_RING, EV_RLSD, EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY };
static_assert(std::size(kBaudRates) == br256000 + 1 && std::size(kParities) == paSpace + 1 &&
              std::size(kStopBits) == sb20 + 1 && std::size(kDataBits) == da8 + 1 &&
              std::size(kEventBits) == evTxEmpty + 1);
constexpr DWORD kAllEvents = 0x1FF;
constexpr DWORD kErrorEventErrors = CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_IOE;  // the errors that raise EV_ERR
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

DWORD EventMask(TCommEventTypes events) {
  DWORD mask = 0;
  for (int e = evBreak; e <= evTxEmpty; ++e)
    if (events.Contains(static_cast<TCommEventType>(e))) mask |= kEventBits[e];
  return mask;
}

// 19200 / baud ms per byte, as the component has always used, but never 0: from 38400 baud up a
// write held by flow control would otherwise wait for ever.
DWORD WriteMultiplier(TBaudRate rate) { return std::max<DWORD>(1, 19200 / kBaudRates[rate]); }

// Counts go to the port as 32-bit values and come back as int.
DWORD ClampCount(DWORD count) { return std::min<DWORD>(count, INT_MAX); }
int ClampResult(DWORD count) { return static_cast<int>(std::min<DWORD>(count, INT_MAX)); }

bool OnMainThread() { return GetCurrentThreadId() == MainThreadID(); }

class TCommLock {
 public:
  explicit TCommLock(TThreadComm& comm) : FComm(comm) { FComm.Lock(); }
  ~TCommLock() { FComm.Unlock(); }
  TCommLock(const TCommLock&) = delete;
  TCommLock& operator=(const TCommLock&) = delete;

 private:
  TThreadComm& FComm;
};

// Handlers are called through a copy: one that frees the component (and with it the member) still
// returns into a live closure.
template <class E, class... A>
void Fire(const E& event, A... args) {
  if (!event) return;
  const E handler = event;
  handler(args...);
}

}  // namespace

void RaiseCommError(const AnsiString& Msg, int Code) { throw Exception(Format(Msg, Code)); }

XJ_PUBLISHED(TCommEventChars,
  XJ_PROP_INDEX(XOnChar, EventChar, SetEventChar, 1, 17)
  XJ_PROP_INDEX(XOffChar, EventChar, SetEventChar, 2, 19)
  XJ_PROP_INDEX(ErrorChar, EventChar, SetEventChar, 3, 0)
  XJ_PROP_INDEX(EofChar, EventChar, SetEventChar, 4, 0)
  XJ_PROP_INDEX(EvtChar, EventChar, SetEventChar, 5, 0));

// MonitorEvents is stored against the empty set, so a component set to [] reads back with all nine
// events, as forms written by earlier versions expect.
XJ_PUBLISHED(TComm,
  XJ_PROP(DeviceName)
  XJ_PROP(ReadTimeout, 1000)
  XJ_PROP(WriteTimeout, 1000)
  XJ_PROP(ReadBufSize, 4096)
  XJ_PROP(WriteBufSize, 2048)
  XJ_PROP(SuspendTime, 5)
  XJ_PROP(MonitorEvents, {})
  XJ_PROP(BaudRate, br9600)
  XJ_PROP(Parity, paNone)
  XJ_PROP(StopBits, sb10)
  XJ_PROP(DataBits, da8)
  XJ_PROP_RO(EventChars)
  XJ_PROP(Options, {})
  XJ_PROP(FlowControl, fcDefault)
  XJ_EVENT(OnBreak)
  XJ_EVENT(OnCts)
  XJ_EVENT(OnDsr)
  XJ_EVENT(OnRing)
  XJ_EVENT(OnRlsd)
  XJ_EVENT(OnError)
  XJ_EVENT(OnRxChar)
  XJ_EVENT(OnRxFlag)
  XJ_EVENT(OnTxEmpty)
  XJ_EVENT(OnComStatEvent));

namespace Comm {
void Register() { RegisterComponents("System", { TComm::StaticClass() }); }
}  // namespace Comm

// ---- TCommEventChars -------------------------------------------------------------------------------------

TCommEventChars::TCommEventChars(TThreadComm* Owner) : FOwner(Owner) {}

char TCommEventChars::EventChar(int Index) const { return Index >= 1 && Index <= 5 ? FChars[Index - 1] : 0; }

// Under the owner's lock, like every other line setting: the chars and the port's settings change
// together.
void TCommEventChars::SetEventChar(int Index, char Value) {
  if (Index < 1 || Index > 5) return;
  char& slot = FChars[Index - 1];
  if (!FOwner) {
    slot = Value;
    return;
  }
  TCommLock lock(*FOwner);
  const char old = slot;
  slot = Value;
  xj::ScopeExit refused([&] { slot = old; });
  FOwner->UpdateDataControlBlock();
  refused.Dismiss();
}

void TCommEventChars::Assign(TPersistent* Source) {
  if (auto* chars = dynamic_cast<TCommEventChars*>(Source)) {
    std::copy(std::begin(chars->FChars), std::end(chars->FChars), FChars);
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TCommEventThread ------------------------------------------------------------------------------------

TCommEventThread::TCommEventThread(HANDLE PortHandle, TCommEventTypes Events, DWORD SuspendTime)
    : TThread(true), FPortHandle(PortHandle), FSuspendTime(SuspendTime), FDispatch([this] { DispatchEvent(); }) {
  SetCommMask(FPortHandle, EventMask(Events));
}

TCommEventHandler TCommEventThread::OnCommEvent() const {
  std::lock_guard<std::mutex> lock(FStateLock);
  return FOnCommEvent;
}

void TCommEventThread::SetOnCommEvent(const TCommEventHandler& Value) {
  std::lock_guard<std::mutex> lock(FStateLock);
  FOnCommEvent = Value;
}

// The thread is "in the port" from the moment it decides to wait until the wait has returned; Stop
// waits that out, so the port can be closed the moment Stop returns.
bool TCommEventThread::EnterPort() {
  std::lock_guard<std::mutex> lock(FStateLock);
  if (Terminated()) return false;
  FInPort = true;
  return true;
}

void TCommEventThread::LeavePort() {
  std::lock_guard<std::mutex> lock(FStateLock);
  FInPort = false;
  FPortIdle.notify_all();
}

void TCommEventThread::Stop() {
  std::unique_lock<std::mutex> lock(FStateLock);
  Terminate();
  FStopEvent.SetEvent();
  // A wait that has not begun yet fails at once: the layer keeps the cancel for it.
  if (FInPort) CancelCommWait(FPortHandle);
  FPortIdle.wait(lock, [this] { return !FInPort; });
}

void TCommEventThread::Execute() {
  TSimpleEvent done;
  OVERLAPPED overlapped {};
  overlapped.hEvent = done.Handle();
  while (EnterPort()) {
    DWORD mask = 0;
    BOOL ok = WaitCommEvent(FPortHandle, &mask, &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
      DWORD unused = 0;
      ok = GetOverlappedResult(FPortHandle, &overlapped, &unused, TRUE);
    }
    const DWORD error = ok ? 0 : GetLastError();
    LeavePort();
    if (Terminated()) break;
    if (ok) {
      FEventMask = mask;
      Synchronize(FDispatch);
      done.ResetEvent();
    } else if (error != ERROR_OPERATION_ABORTED) {
      // No events to watch, or the device hung up (reported once as EV_ERR) or went away: the port
      // has nothing more to say, so sleep until stopped instead of asking again at once.
      FStopEvent.WaitFor(INFINITE);
    }
  }
}

// On the main thread. What a handler raises is reported there and ends only this dispatch: the
// thread goes on serving the port.
void TCommEventThread::DispatchEvent() {
  const TCommEventHandler handler = OnCommEvent();
  if (!handler) return;
  FDispatching = true;
  try {
    handler(this, FEventMask);
  } catch (...) {
    ReportApplicationException(this);
  }
  FDispatching = false;
}

// ---- TThreadComm: life cycle -----------------------------------------------------------------------------

TThreadComm::TThreadComm(TComponent* AOwner)
    : TComponent(AOwner), FEventChars(std::make_unique<TCommEventChars>(this)) {
  FWriteOverlapped.hEvent = FWriteEvent.Handle();
  FReadOverlapped.hEvent = FReadEvent.Handle();
}

TThreadComm::~TThreadComm() {
  Close();
  ReapRetired(true);
  *FAlive = false;
}

void TThreadComm::Open() {
  TCommLock lock(*this);
  if (FOpen) RaiseCommError(sPortAlreadyOpen, -1);
  ReapRetired(false);
  SetLastError(0);
  CreateHandle();
  if (!FOpen) throw Exception(Format(sOpenFailed, FDeviceName, static_cast<int>(GetLastError())));
  FUnreportedErrors = 0;
  xj::ScopeExit close([this] { DestroyHandle(); });  // a port that raised is not left half open
  UpdateCommTimeouts();
  UpdateDataControlBlock();
  if (!SetupComm(Handle(), FReadBufSize, FWriteBufSize)) RaiseCommError(sSetupFailed, GetLastError());
  std::unique_ptr<TCommEventThread> thread(new TCommEventThread(Handle(), FMonitorEvents, FSuspendTime));
  thread->SetOnCommEvent(TCommEventHandler(this, &TThreadComm::HandleCommEvent));
  FEventThread = thread.release();
  close.Dismiss();
  FEventThread->Resume();
}

void TThreadComm::Close() {
  if (FOpen) DestroyHandle();
}

void TThreadComm::CheckOpen() {
  if (FOpen) RaiseCommError(sPortAlreadyOpen, -1);
}

void TThreadComm::CreateHandle() {
  const HANDLE handle = CreateFileA(FDeviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  FHandle = handle;
  FOpen = handle != INVALID_HANDLE_VALUE;
  if (!FOpen) return;
  if (GetFileType(handle) != FILE_TYPE_CHAR) {
    DestroyHandle();
    SetLastError(kNotASerialDevice);
    return;
  }
  SetCommMask(handle, kAllEvents);
}

// A read or write blocked on another thread holds the lock until its time-out: closing the handle
// before taking the lock wakes it at once (it returns what it moved), and every later call on the
// handle fails at once. Handles are never reused, so the event thread, stopped after that, cannot
// reach another file through its copy.
void TThreadComm::DestroyHandle() {
  const HANDLE early = Handle();
  if (early != INVALID_HANDLE_VALUE) CloseHandle(early);
  TCommEventThread* thread = nullptr;
  {
    TCommLock lock(*this);
    thread = std::exchange(FEventThread, nullptr);
    if (thread) {
      thread->SetOnCommEvent(nullptr);
      thread->Stop();
    }
    const HANDLE handle = FHandle.exchange(INVALID_HANDLE_VALUE);
    if (handle != early && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);  // a racing Open's
    FOpen = false;
  }
  // Joined without the lock: the thread may be waiting for the main thread, whose handler may be
  // waiting for the lock.
  if (thread) Retire(thread);
}

// A thread stopped from inside its own dispatch cannot be joined there (it waits for that very
// dispatch to return); it is kept and joined later.
void TThreadComm::Retire(TCommEventThread* Thread) {
  if (OnMainThread() && Thread->Dispatching()) {
    TCommLock lock(*this);
    FRetired.push_back(Thread);
    return;
  }
  Thread->WaitFor();
  delete Thread;
}

// All: the component is going away. A thread still blocked in the dispatch running right now cannot
// have finished, so it can safely be told to free itself when it does.
void TThreadComm::ReapRetired(bool All) {
  std::vector<TCommEventThread*> keep;
  for (TCommEventThread* thread : FRetired) {
    const bool inThisDispatch = OnMainThread() && thread->Dispatching();
    if (thread->Finished() || (All && !inThisDispatch)) {
      thread->WaitFor();
      delete thread;
    } else if (All) {
      thread->SetFreeOnTerminate(true);
    } else {
      keep.push_back(thread);
    }
  }
  FRetired = std::move(keep);
}

// ---- TThreadComm: data -----------------------------------------------------------------------------------

int TThreadComm::Write(const char* Buffer, DWORD Count) {
  TCommLock lock(*this);
  if (!FOpen) return -1;
  const HANDLE handle = Handle();
  DWORD written = 0;
  if (WriteFile(handle, Buffer, ClampCount(Count), &written, &FWriteOverlapped)) return ClampResult(written);
  if (GetLastError() != ERROR_IO_PENDING) {
    TakeErrors(nullptr);
    return 0;
  }
  // Blocks until the write completed or its time-out passed.
  if (!GetOverlappedResult(handle, &FWriteOverlapped, &written, TRUE)) TakeErrors(nullptr);
  return ClampResult(written);
}

int TThreadComm::Read(char* Buffer, DWORD Count) {
  TCommLock lock(*this);
  if (!FOpen) return -1;
  const HANDLE handle = Handle();
  TakeErrors(nullptr);
  if (Count == 0) {
    TakeErrors(nullptr);
    return 0;
  }
  DWORD read = 0;
  if (ReadFile(handle, Buffer, ClampCount(Count), &read, &FReadOverlapped)) return ClampResult(read);
  if (GetLastError() != ERROR_IO_PENDING) return 0;
  if (!GetOverlappedResult(handle, &FReadOverlapped, &read, TRUE)) TakeErrors(nullptr);
  return ClampResult(read);
}

// The errors that raise EV_ERR are kept for the dispatch that reports that EV_ERR.
bool TThreadComm::TakeErrors(COMSTAT* Stat, DWORD* Errors) {
  DWORD errors = 0;
  const bool ok = ClearCommError(Handle(), &errors, Stat);
  FUnreportedErrors |= errors & kErrorEventErrors;
  if (Errors) *Errors = errors;
  return ok;
}

bool TThreadComm::QueryComStat(COMSTAT& Stat) {
  Stat = COMSTAT {};
  return FOpen && TakeErrors(&Stat);
}

int TThreadComm::InQueCount() {
  COMSTAT stat;
  return QueryComStat(stat) ? ClampResult(stat.cbInQue) : -1;
}

int TThreadComm::OutQueCount() {
  COMSTAT stat;
  return QueryComStat(stat) ? ClampResult(stat.cbOutQue) : -1;
}

void TThreadComm::PurgeIn() {
  if (FOpen) PurgeComm(Handle(), PURGE_RXABORT | PURGE_RXCLEAR);
}

void TThreadComm::PurgeOut() {
  if (FOpen) PurgeComm(Handle(), PURGE_TXABORT | PURGE_TXCLEAR);
}

// ---- TThreadComm: modem lines and status ----------------------------------------------------------------

bool TThreadComm::GetModemState(int Line) {
  static constexpr DWORD kLines[] = { 0, MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON };
  const DWORD mask = Line >= 1 && Line <= 4 ? kLines[Line] : 0;
  DWORD status = 0;
  return FOpen && GetCommModemStatus(Handle(), &status) && (status & mask) != 0;
}

bool TThreadComm::GetComState(int Flag) {
  COMSTAT stat;
  if (!QueryComStat(stat)) return false;
  switch (Flag) {
    case 2:
      return stat.fDsrHold;
    case 3:
      return stat.fRlsdHold;
    case 4:
      return stat.fXoffHold;
    case 5:
      return stat.fXoffSent;
    default:
      return stat.fCtsHold;
  }
}

void TThreadComm::EscapeComm(int Function) {
  bool open, failed = false;
  DWORD error = 0;
  {
    TCommLock lock(*this);
    open = FOpen;
    if (open && !EscapeCommFunction(Handle(), static_cast<DWORD>(Function))) {
      failed = true;
      error = GetLastError();
    }
  }
  if (!open) RaiseCommError(sPortNotOpen, -1);
  if (failed) RaiseCommError(sEscapeFailed, static_cast<int>(error));
}

void TThreadComm::SetDTRState(bool State) { EscapeComm(State ? SETDTR : CLRDTR); }

void TThreadComm::SetRTSState(bool State) { EscapeComm(State ? SETRTS : CLRRTS); }

void TThreadComm::SetBREAKState(bool State) {
  EscapeComm(State ? SETBREAK : CLRBREAK);
  TCommLock lock(*this);
  if (FOpen) PurgeComm(Handle(), kPurgeAll);
}

void TThreadComm::SetXONState(bool State) { EscapeComm(State ? SETXON : SETXOFF); }

// ---- TThreadComm: settings -------------------------------------------------------------------------------

void TThreadComm::UpdateDataControlBlock() {
  if (!FOpen) return;
  const HANDLE handle = Handle();
  SetupComm(handle, FReadBufSize, FWriteBufSize);
  GetCommState(handle, &FDcb);
  FDcb.BaudRate = kBaudRates[FBaudRate];
  FDcb.Parity = kParities[FParity];
  FDcb.StopBits = kStopBits[FStopBits];
  FDcb.ByteSize = kDataBits[FDataBits];
  FDcb.XonChar = FEventChars->XOnChar();
  FDcb.XoffChar = FEventChars->XOffChar();
  FDcb.ErrorChar = FEventChars->ErrorChar();
  FDcb.EofChar = FEventChars->EofChar();
  FDcb.EvtChar = FEventChars->EvtChar();
  FDcb.XonLim = 1024;
  FDcb.XoffLim = 1024;
  FDcb.fParity = FOptions.Contains(coParityCheck);
  FDcb.fDsrSensitivity = FOptions.Contains(coDsrSensitivity);
  FDcb.fTXContinueOnXoff = FOptions.Contains(coIgnoreXOff);
  FDcb.fErrorChar = FOptions.Contains(coErrorChar);
  FDcb.fNull = FOptions.Contains(coNullStrip);
  if (!SetCommState(handle, &FDcb)) RaiseCommError(sDcbFailed, static_cast<int>(GetLastError()));
}

void TThreadComm::UpdateDataControlBlockLock() {
  TCommLock lock(*this);
  UpdateDataControlBlock();
}

void TThreadComm::UpdateCommTimeouts() {
  COMMTIMEOUTS timeouts { MAXDWORD, 0, 1000, WriteMultiplier(FBaudRate), 0 };
  if (!SetCommTimeouts(Handle(), &timeouts)) RaiseCommError(sTimeoutsFailed, static_cast<int>(GetLastError()));
}

template <class T>
void TThreadComm::SetWhileClosed(T& Field, const T& Value) {
  TCommLock lock(*this);
  if (!FOpen && !(Field == Value)) Field = Value;
}

template <class T>
void TThreadComm::SetLineSetting(T& Field, const T& Value, bool Timeouts) {
  TCommLock lock(*this);
  if (Field == Value) return;
  // On a failure the property keeps telling what the port has.
  xj::ScopeExit restore([&Field, old = Field] { Field = old; });
  Field = Value;
  UpdateDataControlBlock();
  if (Timeouts && FOpen) UpdateCommTimeouts();
  restore.Dismiss();
}

void TThreadComm::SetDeviceName(const AnsiString& Value) { SetWhileClosed(FDeviceName, Value); }
void TThreadComm::SetReadBufSize(unsigned short Value) { SetWhileClosed(FReadBufSize, Value); }
void TThreadComm::SetWriteBufSize(unsigned short Value) { SetWhileClosed(FWriteBufSize, Value); }
void TThreadComm::SetSuspendTime(DWORD Value) { SetWhileClosed(FSuspendTime, Value); }
void TThreadComm::SetMonitorEvents(TCommEventTypes Value) { SetWhileClosed(FMonitorEvents, Value); }
void TThreadComm::SetBaudRate(TBaudRate Value) { SetLineSetting(FBaudRate, Value, true); }
void TThreadComm::SetParity(TParity Value) { SetLineSetting(FParity, Value); }
void TThreadComm::SetStopBits(TStopBits Value) { SetLineSetting(FStopBits, Value); }
void TThreadComm::SetDataBits(TDataBits Value) { SetLineSetting(FDataBits, Value); }
void TThreadComm::SetOptions(TCommOptions Value) { SetLineSetting(FOptions, Value); }
void TThreadComm::SetFlowControl(TFlowControl Value) { SetLineSetting(FFlowControl, Value); }

// ---- TThreadComm: event dispatch (main thread) ----------------------------------------------------------

// A handler may close the port (the rest of this dispatch still fires, with what was read at its
// start) or free the component (the dispatch stops there).
void TThreadComm::HandleCommEvent(TObject*, DWORD Status) {
  DWORD errors = 0;
  COMSTAT stat {};
  TakeErrors(&stat, &errors);
  if (Status & EV_ERR) errors |= FUnreportedErrors.exchange(0);
  const std::shared_ptr<bool> alive = FAlive;
  const auto live = [&alive] { return *alive; };
  if ((Status & EV_BREAK) && live()) Fire(OnBreak, this);
  if ((Status & EV_CTS) && live()) Fire(OnCts, this);
  if ((Status & EV_DSR) && live()) Fire(OnDsr, this);
  if ((Status & EV_ERR) && live()) Fire(OnError, this, static_cast<int>(errors));
  if ((Status & EV_RING) && live()) Fire(OnRing, this);
  if ((Status & EV_RLSD) && live()) Fire(OnRlsd, this);
  if ((Status & EV_RXCHAR) && stat.cbInQue > 0 && live()) Fire(OnRxChar, this, stat.cbInQue);
  if ((Status & EV_RXFLAG) && live()) Fire(OnRxFlag, this);
  if ((Status & EV_TXEMPTY) && live()) Fire(OnTxEmpty, this);
  if (live()) Fire(OnComStatEvent, this, Status, stat);
}
