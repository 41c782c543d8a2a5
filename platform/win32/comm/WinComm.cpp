// The Win32 COMM functions, the port names CreateFileA understands, and GetOverlappedResult.

#include "platform/win32/WinComm.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>

#include "platform/win32/comm/CommPort.h"
#include "platform/win32/comm/FakeCommDevice.h"

namespace xj {
namespace {

std::mutex gPathsLock;
std::map<unsigned, std::string>& PortPaths() {
  static auto* paths = new std::map<unsigned, std::string>;
  return *paths;
}

// "COMn" in any case, n decimal without sign or blanks.
bool ParseComName(const std::string& name, unsigned& n) {
  if (name.size() < 4 || name.size() > 8) return false;
  for (int i = 0; i < 3; ++i)
    if ((name[i] | 0x20) != "com"[i]) return false;
  n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    n = n * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return true;
}

// An absolute path to a character device opened the way a port is opened (read and write, existing)
// is a port. Other requests for the same path are left to the file system.
bool IsPortPathRequest(const CreateFileRequest& r, std::string& hostPath) {
  if (r.Name.empty() || (r.Name[0] != '/' && r.Name[0] != '\\')) return false;
  if ((r.DesiredAccess & (GENERIC_READ | GENERIC_WRITE)) != (GENERIC_READ | GENERIC_WRITE)) return false;
  if (r.CreationDisposition != OPEN_EXISTING) return false;
  hostPath = PathToHost(r.Name);
  struct stat st {};
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool OpenPort(const CreateFileRequest& request, std::shared_ptr<KernelObject>& out) {
  std::unique_ptr<CommDevice> device;
  int error = 0;
  std::string path;
  unsigned n = 0;
  if (OpenFakeCommDevice(request.Name, device, error)) {
    // opened, or busy
  } else if (ParseComName(request.Name, n)) {
    if (n == 0)
      error = ENOENT;
    else if (request.CreationDisposition != OPEN_EXISTING)
      error = EINVAL;
    else
      error = OpenTermiosDevice(CommPortPath(n), device);
  } else if (IsPortPathRequest(request, path)) {
    error = OpenTermiosDevice(path, device);
  } else {
    return false;
  }
  if (error) {
    out.reset();
    SetLastError(static_cast<DWORD>(error));
    return true;
  }
  out = std::make_shared<CommPort>(std::move(device));
  return true;
}

template <class Op>
BOOL WithPort(HANDLE handle, Op op) {
  const std::shared_ptr<CommPort> port = LookupHandleAs<CommPort>(handle);
  if (!port) return FALSE;
  return op(*port);
}

BOOL InvalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

void RegisterCommDevices() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterDeviceOpener(OpenPort); });
}

void SetCommPortPath(unsigned n, const std::string& path) {
  std::lock_guard<std::mutex> lock(gPathsLock);
  if (path.empty())
    PortPaths().erase(n);
  else
    PortPaths()[n] = path;
}

std::string CommPortPath(unsigned n) {
  {
    std::lock_guard<std::mutex> lock(gPathsLock);
    auto it = PortPaths().find(n);
    if (it != PortPaths().end()) return it->second;
  }
  return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace xj

BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.Setup(dwInQueue, dwOutQueue); });
}

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB) {
  return xj::WithPort(hFile,
                      [&](xj::CommPort& port) { return lpDCB ? port.GetState(*lpDCB) : xj::InvalidParameter(); });
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB) {
  return xj::WithPort(hFile,
                      [&](xj::CommPort& port) { return lpDCB ? port.SetState(*lpDCB) : xj::InvalidParameter(); });
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) {
    return lpCommTimeouts ? port.SetTimeouts(*lpCommTimeouts) : xj::InvalidParameter();
  });
}

BOOL WINAPI SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.SetMask(dwEvtMask); });
}

BOOL WINAPI WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.WaitEvent(lpEvtMask, lpOverlapped); });
}

BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.ClearError(lpErrors, lpStat); });
}

BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.Purge(dwFlags); });
}

BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.Escape(dwFunc); });
}

BOOL WINAPI GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.ModemStatus(lpModemStat); });
}

BOOL WINAPI CancelCommWait(HANDLE hFile) {
  return xj::WithPort(hFile, [&](xj::CommPort& port) { return port.Cancel(); });
}

// Every object completes its transfers before returning, so a record is pending only while another
// thread is still inside the call that uses it.
BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                BOOL bWait) {
  constexpr ULONG_PTR kStatusPending = 0x103;
  if (!xj::LookupHandle(hFile)) return FALSE;
  if (!lpOverlapped) return xj::InvalidParameter();
  std::atomic_ref<ULONG_PTR> status(lpOverlapped->Internal);
  while (status.load(std::memory_order_acquire) == kStatusPending) {
    if (!bWait) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    if (!lpOverlapped->hEvent) return xj::InvalidParameter();
    if (WaitForSingleObject(lpOverlapped->hEvent, INFINITE) != WAIT_OBJECT_0) return FALSE;
  }
  if (lpNumberOfBytesTransferred) *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
  if (const ULONG_PTR error = status.load(std::memory_order_acquire)) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
  }
  return TRUE;
}
