#pragma once
// Synchronisation primitives of the class library.

#include <mutex>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/WinBase.h"

// Recursive: the owning thread may enter again and leaves as often as it entered.
class TCriticalSection : public TObject {
  XJ_CLASS(TCriticalSection, TObject)
 public:
  void Enter() { FLock.lock(); }
  void Leave() { FLock.unlock(); }
  bool TryEnter() { return FLock.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }

 private:
  std::recursive_mutex FLock;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// An event over a Win32 event handle (so WaitForSingleObject works on Handle() too).
class TEvent : public TObject {
  XJ_CLASS(TEvent, TObject)
 public:
  // The attributes and the name are accepted and ignored. Raises EOutOfMemory when no event can be made.
  TEvent(LPSECURITY_ATTRIBUTES eventAttributes, bool manualReset, bool initialState, const AnsiString& name);
  ~TEvent() override;

  HANDLE Handle() const { return FHandle; }
  void SetEvent();
  void ResetEvent();
  // timeout in ms, INFINITE to wait for ever.
  TWaitResult WaitFor(DWORD timeout);

 private:
  HANDLE FHandle = nullptr;
};

// A manual-reset event, initially not signalled.
class TSimpleEvent : public TEvent {
  XJ_CLASS(TSimpleEvent, TEvent)
 public:
  TSimpleEvent() : TEvent(nullptr, true, false, "") {}
};
