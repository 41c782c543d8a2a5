// The handle table, events, waits and thread ids.

#include <sys/syscall.h>
#include <unistd.h>

// <chrono> itself cannot be compiled with a GBK execution character set (it holds a "µs" literal);
// <thread> and <condition_variable> bring the clocks and durations.
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "platform/win32/KernelObjects.h"

namespace xj {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 0x100;  // never reused, so a stale handle cannot reach a newer object
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives to the very end: handles may be closed at exit
  return *table;
}

class EventObject final : public KernelObject {
 public:
  EventObject(bool manualReset, bool signalled) : FManualReset(manualReset), FSignalled(signalled) {}

  DWORD Wait(DWORD timeoutMs) override {
    std::unique_lock<std::mutex> lock(FLock);
    const auto ready = [this] { return FSignalled; };
    if (timeoutMs == INFINITE)
      FChanged.wait(lock, ready);
    else if (!FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
      return WAIT_TIMEOUT;
    if (!FManualReset) FSignalled = false;
    return WAIT_OBJECT_0;
  }

  void Set() {
    {
      std::lock_guard<std::mutex> lock(FLock);
      FSignalled = true;
    }
    if (FManualReset)
      FChanged.notify_all();
    else
      FChanged.notify_one();
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(FLock);
    FSignalled = false;
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  const bool FManualReset;
  bool FSignalled;
};

}  // namespace

DWORD KernelObject::Wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

BOOL KernelObject::Read(void*, DWORD, DWORD*, OVERLAPPED*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL KernelObject::Write(const void*, DWORD, DWORD*, OVERLAPPED*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
  if (!object) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.lock);
  const uintptr_t value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::unique_lock<std::mutex> lock(table.lock);
  auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == table.objects.end()) {
    lock.unlock();
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

bool ReleaseHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;
  {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.lock);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it != table.objects.end()) {
      object = std::move(it->second);
      table.objects.erase(it);
    }
  }
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  object->OnClose();  // outside the table lock: closing may block (a port waits for its reader)
  return true;
}

}  // namespace xj

using xj::LookupHandleAs;

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
  return xj::RegisterHandle(std::make_shared<xj::EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<xj::EventObject>(hEvent);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<xj::EventObject>(hEvent);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  auto object = xj::LookupHandle(hHandle);
  if (!object) return WAIT_FAILED;
  return object->Wait(dwMilliseconds);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  auto object = xj::LookupHandle(hObject);
  if (!object) return FALSE;
  if (!object->ClosedByCloseHandle()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return xj::ReleaseHandle(hObject) ? TRUE : FALSE;
}

DWORD WINAPI GetCurrentThreadId() {
  thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));  // asked of the kernel once a thread
  return id;
}
