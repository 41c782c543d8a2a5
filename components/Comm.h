#pragma once
// The serial port component. TComm opens one serial port by name (a device path such as /dev/ttyUSB0,
// a pseudo-terminal, or "COMn"), configures it, reads and writes it with time-outs derived from the
// baud rate, drives its modem lines, and reports its events on the GUI (main) thread: while the port
// is open, a TCommEventThread waits for serial events and hands each wake-up to the main thread with
// Synchronize, where HandleCommEvent fires the component's events in a fixed order.
//
// Error codes in the messages are the host's errno values: "(Error: 2)" no such device, "(Error: 16)"
// the port is held by another opener, "(Error: 25)" not a serial device, "(Error: 22)" a setting the
// port refuses.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/SyncObjs.h"
#include "platform/win32/WinComm.h"

class TThreadComm;

enum TBaudRate : uint8_t {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
XJ_ENUM_IDENTS(TBaudRate, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000,
               br57600, br115200, br128000, br256000);

enum TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
XJ_ENUM_IDENTS(TParity, paNone, paOdd, paEven, paMark, paSpace);

enum TStopBits : uint8_t { sb10, sb15, sb20 };
XJ_ENUM_IDENTS(TStopBits, sb10, sb15, sb20);

enum TDataBits : uint8_t { da4, da5, da6, da7, da8 };
XJ_ENUM_IDENTS(TDataBits, da4, da5, da6, da7, da8);

enum TCommEventType : uint8_t { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };
XJ_ENUM_IDENTS(TCommEventType, evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty);
typedef Set<TCommEventType> TCommEventTypes;

enum TCommOption : uint8_t { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
XJ_ENUM_IDENTS(TCommOption, coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip);
typedef Set<TCommOption> TCommOptions;

enum TFlowControl : uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
XJ_ENUM_IDENTS(TFlowControl, fcNone, fcCTS, fcDTR, fcSoftware, fcDefault);

// Errors: the CE_* bits the port reported, also those of EV_ERR that a Read, a Write or a queue count
// took from it first (CE_IOE: the device hung up). Count: bytes waiting in the input queue, the
// driver's included; a hang-up may discard those, so a Read after it can return fewer: what Read
// returns is what was read. Status: the EV_* bits of the wake-up.
typedef TClosure<void(TObject* Sender, int Errors)> TCommErrorEvent;
typedef TClosure<void(TObject* Sender, DWORD Count)> TCommRxCharEvent;
typedef TClosure<void(TObject* Sender, DWORD Status, COMSTAT ComStat)> TCommComStatEvent;
typedef TClosure<void(TObject* Sender, DWORD Status)> TCommEventHandler;

// Raises Exception with Msg formatted with Code ("Port not open (Error: %d)" and -1 give
// "Port not open (Error: -1)").
[[noreturn]] void RaiseCommError(const AnsiString& Msg, int Code);

// ---- The five special characters ------------------------------------------------------------------------

class TCommEventChars : public TPersistent {
  XJ_CLASS(TCommEventChars, TPersistent)
 public:
  // XOnChar 0x11 (DC1), XOffChar 0x13 (DC3), the others 0. Owner may be null.
  explicit TCommEventChars(TThreadComm* Owner);

  // Index 1 XOnChar, 2 XOffChar, 3 ErrorChar, 4 EofChar, 5 EvtChar; other indexes read 0 and set
  // nothing. Setting a char writes the owner's line settings to an open port at once; when the port
  // refuses them the char keeps its old value and the error is raised.
  char EventChar(int Index) const;
  void SetEventChar(int Index, char Value);

  char XOnChar() const { return EventChar(1); }
  void SetXOnChar(char Value) { SetEventChar(1, Value); }
  char XOffChar() const { return EventChar(2); }
  void SetXOffChar(char Value) { SetEventChar(2, Value); }
  char ErrorChar() const { return EventChar(3); }
  void SetErrorChar(char Value) { SetEventChar(3, Value); }
  char EofChar() const { return EventChar(4); }
  void SetEofChar(char Value) { SetEventChar(4, Value); }
  char EvtChar() const { return EventChar(5); }
  void SetEvtChar(char Value) { SetEventChar(5, Value); }

  // From another TCommEventChars: copies the five chars without touching the port.
  void Assign(TPersistent* Source) override;

 private:
  TThreadComm* FOwner;
  char FChars[5] { 0x11, 0x13, 0, 0, 0 };
};

// ---- The event thread ----------------------------------------------------------------------------------

// Waits for the events of one open port and hands each wake-up to the main thread. The component
// owns it: Stop ends it, WaitFor joins it, and only then is it deleted.
class TCommEventThread : public TThread {
  XJ_CLASS(TCommEventThread, TThread)
 public:
  // Created suspended; replaces the port's event mask by the bits of Events. The port handle is
  // borrowed: the thread never closes it.
  TCommEventThread(HANDLE PortHandle, TCommEventTypes Events, DWORD SuspendTime);

  // Called on the main thread for each wake-up with Sender = this thread and the wake-up's EV_* bits,
  // while assigned. Set it before Resume; clear it to stop deliveries.
  TCommEventHandler OnCommEvent() const;
  void SetOnCommEvent(const TCommEventHandler& Value);
  // Kept for the component's SuspendTime property; nothing uses it.
  DWORD SuspendTime() const { return FSuspendTime; }

  // Ends the loop: wakes a pending wait and returns once the thread no longer uses the port (it may
  // still be handing a wake-up to the main thread; WaitFor joins it). Call it before deleting a
  // thread that was resumed.
  void Stop();
  // True on the main thread while a wake-up of this thread is being dispatched there.
  bool Dispatching() const { return FDispatching.load(); }

 protected:
  void Execute() override;

 private:
  bool EnterPort();
  void LeavePort();
  void DispatchEvent();

  HANDLE FPortHandle;
  DWORD FEventMask { 0 };
  DWORD FSuspendTime;
  TThreadMethod FDispatch;
  TSimpleEvent FStopEvent;
  mutable std::mutex FStateLock;  // FInPort and FOnCommEvent
  std::condition_variable FPortIdle;
  bool FInPort { false };
  TCommEventHandler FOnCommEvent;
  std::atomic<bool> FDispatching { false };
};

// ---- The component -------------------------------------------------------------------------------------

// Everything lives here; TComm publishes it. Reads, writes, opening, closing and the line settings
// are serialised by the component's lock, so a worker thread may read or write while the GUI thread
// handles events. Every event fires on the main thread.
class TThreadComm : public TComponent {
  XJ_CLASS(TThreadComm, TComponent)
 public:
  explicit TThreadComm(TComponent* AOwner);
  // Closes an open port first.
  ~TThreadComm() override;

  // Opens DeviceName, writes the time-outs and the line settings, sizes the input buffer and starts
  // the event thread. All or nothing: on any failure the port is closed again and Exception raised,
  // also when the device is missing, busy or not a serial device ("Error opening port "..."
  // (Error: n)").
  void Open();
  // Closes the port and stops the event thread (no event is delivered after Close returns, except
  // the rest of a dispatch a handler called Close from). A read or write blocked on another thread
  // returns at once with what it moved. Nothing while closed.
  void Close();
  bool Enabled() const { return FOpen.load(); }
  // Raises "Port already assigned (open) (Error: -1)" while the port is open.
  void CheckOpen();
  // Opens the device into the port handle; the open flag tells whether it worked. On failure the
  // last error says why.
  virtual void CreateHandle();
  // What Close does, also while closed: no thread or descriptor of the port is left behind.
  void DestroyHandle();

  // Bytes moved, or -1 while closed. Read returns at once with what is waiting, else waits up to a
  // second for Count bytes; Write gives up once its time-out (from the baud rate) has passed. Counts
  // above INT_MAX are cut to INT_MAX.
  int Write(const char* Buffer, DWORD Count);
  int Read(char* Buffer, DWORD Count);
  // Bytes waiting to be read / not yet sent; -1 while closed.
  int InQueCount();
  int OutQueCount();
  void PurgeIn();
  void PurgeOut();
  // Line 1 CTS, 2 DSR, 3 RING, 4 RLSD: false for other lines, while closed and on devices without
  // modem lines.
  bool GetModemState(int Line);
  // Flag 1 fCtsHold, 2 fDsrHold, 3 fRlsdHold, 4 fXoffHold, 5 fXoffSent, other values fCtsHold;
  // false while closed.
  bool GetComState(int Flag);
  // EscapeCommFunction under the lock; raises "Port not open (Error: -1)" while closed and
  // "EscapeCommFunction failure (Error: n)" when the port refuses.
  void EscapeComm(int Function);
  void SetDTRState(bool State);
  void SetRTSState(bool State);
  // Sets or clears the break, then purges both queues.
  void SetBREAKState(bool State);
  // false holds transmission as if XOFF had been received, true releases it.
  void SetXONState(bool State);

  void Lock() { FLock.Enter(); }
  void Unlock() { FLock.Leave(); }
  // Writes the line settings to the open port (nothing while closed); raises "Error updating
  // DataControlBlock (Error: n)" when the port refuses them.
  void UpdateDataControlBlock();
  void UpdateDataControlBlockLock();
  // Writes the time-outs: reads return what is waiting or wait up to 1000 ms; writes may take
  // 19200 / baud ms per byte, at least 1 ms. Raises "Error updating CommTimeouts (Error: n)".
  void UpdateCommTimeouts();
  // The event dispatch (main thread): see the event members below.
  void HandleCommEvent(TObject* Sender, DWORD Status);

  // ---- Properties ----
  // DeviceName, ReadBufSize, WriteBufSize, SuspendTime and MonitorEvents change only while closed.
  // The line settings, Options, FlowControl and the EventChars are written to an open port at once;
  // when it refuses them the property keeps its old value and the error is raised.
  const AnsiString& DeviceName() const { return FDeviceName; }
  void SetDeviceName(const AnsiString& Value);
  // Stored only: the read time-out is fixed at 1000 ms and the write time-out follows the baud rate.
  int ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(int Value) { FReadTimeout = Value; }
  int WriteTimeout() const { return FWriteTimeout; }
  void SetWriteTimeout(int Value) { FWriteTimeout = Value; }
  unsigned short ReadBufSize() const { return FReadBufSize; }
  void SetReadBufSize(unsigned short Value);
  unsigned short WriteBufSize() const { return FWriteBufSize; }
  void SetWriteBufSize(unsigned short Value);
  DWORD SuspendTime() const { return FSuspendTime; }
  void SetSuspendTime(DWORD Value);
  TCommEventTypes MonitorEvents() const { return FMonitorEvents; }
  void SetMonitorEvents(TCommEventTypes Value);
  TBaudRate BaudRate() const { return FBaudRate; }
  // Also re-applies the write time-out on an open port.
  void SetBaudRate(TBaudRate Value);
  TParity Parity() const { return FParity; }
  void SetParity(TParity Value);
  TStopBits StopBits() const { return FStopBits; }
  void SetStopBits(TStopBits Value);
  TDataBits DataBits() const { return FDataBits; }
  void SetDataBits(TDataBits Value);
  TCommEventChars* EventChars() const { return FEventChars.get(); }
  TCommOptions Options() const { return FOptions; }
  void SetOptions(TCommOptions Value);
  // Stored and streamed; the port's flow control stays as the device reported it.
  TFlowControl FlowControl() const { return FFlowControl; }
  void SetFlowControl(TFlowControl Value);

  // ---- Events, fired by HandleCommEvent in this order for the bits of a wake-up ----
  TNotifyEvent OnBreak;              // EV_BREAK
  TNotifyEvent OnCts;                // EV_CTS
  TNotifyEvent OnDsr;                // EV_DSR
  TCommErrorEvent OnError;           // EV_ERR, with the CE_* bits (CE_IOE: the device hung up)
  TNotifyEvent OnRing;               // EV_RING
  TNotifyEvent OnRlsd;               // EV_RLSD
  TCommRxCharEvent OnRxChar;         // EV_RXCHAR, only while bytes are waiting
  TNotifyEvent OnRxFlag;             // EV_RXFLAG
  TNotifyEvent OnTxEmpty;            // EV_TXEMPTY
  TCommComStatEvent OnComStatEvent;  // last, on every wake-up

 private:
  HANDLE Handle() const { return FHandle.load(); }
  template <class T>
  void SetWhileClosed(T& Field, const T& Value);
  template <class T>
  void SetLineSetting(T& Field, const T& Value, bool Timeouts = false);
  // ClearCommError for the component's own calls; see FUnreportedErrors.
  bool TakeErrors(COMSTAT* Stat, DWORD* Errors = nullptr);
  bool QueryComStat(COMSTAT& Stat);
  void Retire(TCommEventThread* Thread);
  void ReapRetired(bool All);

  std::atomic<HANDLE> FHandle { INVALID_HANDLE_VALUE };
  DCB FDcb {};
  AnsiString FDeviceName { "Com2" };
  TCriticalSection FLock;
  int FReadTimeout { 1000 };
  int FWriteTimeout { 1000 };
  unsigned short FReadBufSize { 4096 };
  unsigned short FWriteBufSize { 2048 };
  DWORD FSuspendTime { 5 };
  TCommEventTypes FMonitorEvents { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };
  TBaudRate FBaudRate { br9600 };
  TParity FParity { paNone };
  TStopBits FStopBits { sb10 };
  TDataBits FDataBits { da8 };
  std::atomic<bool> FOpen { false };
  TSimpleEvent FWriteEvent;
  TSimpleEvent FReadEvent;
  OVERLAPPED FWriteOverlapped {};
  OVERLAPPED FReadOverlapped {};
  TCommEventThread* FEventThread { nullptr };
  // Threads stopped from inside their own dispatch, joined once that dispatch has returned.
  std::vector<TCommEventThread*> FRetired;
  std::unique_ptr<TCommEventChars> FEventChars;
  TCommOptions FOptions;
  TFlowControl FFlowControl { fcDefault };
  // Cleared by the destructor, so a dispatch whose handler freed the component stops there.
  std::shared_ptr<bool> FAlive { std::make_shared<bool>(true) };
  // Errors that raise EV_ERR, read (and so cleared) from the port by a call other than a dispatch with
  // EV_ERR: a read, a write, a queue count, a dispatch without it. The port hands each error to the
  // first call that asks; the EV_ERR it raised comes with a later dispatch, which reports these.
  std::atomic<DWORD> FUnreportedErrors { 0 };
};

// The component as placed on a form: publishes TThreadComm's properties and events.
class TComm : public TThreadComm {
  XJ_CLASS(TComm, TThreadComm)
 public:
  explicit TComm(TComponent* AOwner) : TThreadComm(AOwner) {}
};

namespace Comm {
// Registers TComm with the class library, so form resources can name it.
void Register();
}  // namespace Comm
