// TEvent over a Win32 event handle.

#include "platform/vcl/SyncObjs.h"

TEvent::TEvent(LPSECURITY_ATTRIBUTES eventAttributes, bool manualReset, bool initialState, const AnsiString&)
    : FHandle(CreateEventA(eventAttributes, manualReset, initialState, nullptr)) {
  if (!FHandle) throw EOutOfMemory("Cannot create an event");
}

TEvent::~TEvent() { CloseHandle(FHandle); }

void TEvent::SetEvent() { ::SetEvent(FHandle); }

void TEvent::ResetEvent() { ::ResetEvent(FHandle); }

TWaitResult TEvent::WaitFor(DWORD timeout) {
  switch (WaitForSingleObject(FHandle, timeout)) {
    case WAIT_OBJECT_0:
      return wrSignaled;
    case WAIT_TIMEOUT:
      return wrTimeout;
    case WAIT_ABANDONED:
      return wrAbandoned;
    default:
      return wrError;
  }
}
