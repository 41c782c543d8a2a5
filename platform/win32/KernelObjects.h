#pragma once
// The handle table behind HANDLE: events, files, threads, and whatever later layers add (the COMM layer
// adds serial ports). A handle stays valid until CloseHandle; a closed or unknown handle makes every
// function fail with ERROR_INVALID_HANDLE. Objects are shared, so closing a handle while another thread
// still uses the object does not free it under that thread.

#include <functional>
#include <memory>
#include <string>

#include "platform/win32/WinBase.h"

namespace xj {

class KernelObject {
 public:
  virtual ~KernelObject() = default;

  // Waitable objects override: WAIT_OBJECT_0 when signalled within the time (ms, INFINITE),
  // WAIT_TIMEOUT, or WAIT_FAILED with the last error set.
  virtual DWORD Wait(DWORD timeoutMs);
  // File-like objects override; the defaults fail with ERROR_INVALID_HANDLE.
  virtual BOOL Read(void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped);
  virtual BOOL Write(const void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped);
  virtual DWORD FileType() { return FILE_TYPE_UNKNOWN; }
  // Called once when the last handle to the object is closed (not when the object dies).
  virtual void OnClose() {}
  // Modules are released by FreeLibrary, not by CloseHandle.
  virtual bool ClosedByCloseHandle() const { return true; }
};

// Puts an object in the table and returns its new handle (never null or INVALID_HANDLE_VALUE).
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null with ERROR_INVALID_HANDLE.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}
// Removes the handle and calls OnClose; false with ERROR_INVALID_HANDLE for an unknown handle.
bool ReleaseHandle(HANDLE handle);

// What CreateFileA was asked for, passed to every registered device opener.
struct CreateFileRequest {
  std::string Name;  // as given, GBK
  DWORD DesiredAccess = 0;
  DWORD ShareMode = 0;
  DWORD CreationDisposition = 0;
  DWORD FlagsAndAttributes = 0;
};

// A device opener returns false when the name is not one of its devices. When it is, it returns true
// with the object in `out`, or with `out` null after setting the last error.
using DeviceOpener = std::function<bool(const CreateFileRequest& request, std::shared_ptr<KernelObject>& out)>;
// Openers are consulted in registration order before the file system.
void RegisterDeviceOpener(DeviceOpener opener);

}  // namespace xj
