// Files behind HANDLE, the device openers CreateFileA consults first, and the current directory.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win32/KernelObjects.h"
#include "platform/win32/comm/CommDevice.h"

namespace xj {
namespace {

class FileObject final : public KernelObject {
 public:
  explicit FileObject(int fd) : FFd(fd) {
    struct stat st {};
    FRegular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  }
  // The descriptor closes with the last user, so a read in progress on another thread finishes first.
  ~FileObject() override { ::close(FFd); }

  BOOL Read(void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) override {
    return Transfer(count, done, overlapped, [&](size_t at, size_t n, off_t offset) {
      char* p = static_cast<char*>(buffer) + at;
      return offset < 0 ? ::read(FFd, p, n) : ::pread(FFd, p, n, offset);
    });
  }

  BOOL Write(const void* buffer, DWORD count, DWORD* done, OVERLAPPED* overlapped) override {
    return Transfer(count, done, overlapped, [&](size_t at, size_t n, off_t offset) {
      const char* p = static_cast<const char*>(buffer) + at;
      return offset < 0 ? ::write(FFd, p, n) : ::pwrite(FFd, p, n, offset);
    });
  }

  DWORD FileType() override {
    struct stat st {};
    if (::fstat(FFd, &st) != 0) return FILE_TYPE_UNKNOWN;
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)) return FILE_TYPE_DISK;
    if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
  }

 private:
  // Moves count bytes (a regular file: fewer only at its end; anything else: what one call moved), at
  // the OVERLAPPED's offset when one is given; an OVERLAPPED completes at once and its event is signalled.
  template <class Op>
  BOOL Transfer(DWORD count, DWORD* done, OVERLAPPED* overlapped, Op op) {
    off_t offset = -1;
    if (overlapped)
      offset = static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
    size_t total = 0;
    int error = 0;
    while (total < count) {
      const ssize_t n = op(total, count - total, offset < 0 ? -1 : offset + static_cast<off_t>(total));
      if (n < 0) {
        if (errno == EINTR) continue;
        error = errno;
        break;
      }
      if (n == 0) break;
      total += static_cast<size_t>(n);
      if (!FRegular) break;
    }
    if (done) *done = static_cast<DWORD>(total);
    if (overlapped) {
      overlapped->Internal = error;
      overlapped->InternalHigh = total;
      if (overlapped->hEvent) SetEvent(overlapped->hEvent);
    }
    if (error) {
      SetLastError(static_cast<DWORD>(error));
      return FALSE;
    }
    return TRUE;
  }

  int FFd;
  bool FRegular = false;
};

std::mutex gOpenersLock;
std::vector<DeviceOpener>& Openers() {
  static std::vector<DeviceOpener>* openers = new std::vector<DeviceOpener>;
  return *openers;
}

// True when a registered opener claimed the name (out then holds the object, or null on failure).
bool OpenDevice(const CreateFileRequest& request, std::shared_ptr<KernelObject>& out) {
  std::vector<DeviceOpener> openers;
  {
    std::lock_guard<std::mutex> lock(gOpenersLock);
    openers = Openers();
  }
  for (const DeviceOpener& opener : openers)
    if (opener(request, out)) return true;
  return false;
}

int OpenFlags(DWORD access, DWORD creation) {
  int flags = O_CLOEXEC;
  const bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (creation) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    case TRUNCATE_EXISTING:
      return write ? flags | O_TRUNC : -1;
    default:
      return -1;
  }
}

}  // namespace

int OpenFileToLoad(const std::string& HostPath) {
  int fd;
  do fd = ::open(HostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st {};
  int error = 0;
  if (::fstat(fd, &st) != 0)
    error = errno;
  else if (S_ISDIR(st.st_mode))
    error = EISDIR;
  else if (!S_ISREG(st.st_mode))
    error = NotRegularFileError;
  // A regular file reads the same either way; blocking again keeps short reads out of the callers.
  else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    error = errno;
  if (error == 0) return fd;
  ::close(fd);
  errno = error;
  return -1;
}

std::string FileErrorText(int Error) {
  if (Error == NotRegularFileError) return "Not a regular file (a pipe, a device or a socket)";
  return std::strerror(Error);
}

void RegisterDeviceOpener(DeviceOpener opener) {
  std::lock_guard<std::mutex> lock(gOpenersLock);
  Openers().push_back(std::move(opener));
}

}  // namespace xj

// Share modes are accepted and not enforced: the host has no mandatory file locks.
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (!lpFileName || !*lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const xj::CreateFileRequest request { lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                        dwFlagsAndAttributes };
  xj::RegisterCommDevices();  // serial ports open by name without the caller setting anything up
  std::shared_ptr<xj::KernelObject> device;
  if (xj::OpenDevice(request, device)) {
    if (!device) return INVALID_HANDLE_VALUE;
    HANDLE h = xj::RegisterHandle(std::move(device));
    return h ? h : INVALID_HANDLE_VALUE;
  }
  const int flags = xj::OpenFlags(dwDesiredAccess, dwCreationDisposition);
  if (flags < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = xj::PathToHost(lpFileName);
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    SetLastError(static_cast<DWORD>(errno));
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {  // a directory is not a file to read or write
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = xj::RegisterHandle(std::make_shared<xj::FileObject>(fd));
  return h ? h : INVALID_HANDLE_VALUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto object = xj::LookupHandle(hFile);
  if (!object) return FALSE;
  if (!lpBuffer && nNumberOfBytesToRead) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->Read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto object = xj::LookupHandle(hFile);
  if (!object) return FALSE;
  if (!lpBuffer && nNumberOfBytesToWrite) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->Write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
}

DWORD WINAPI GetFileType(HANDLE hFile) {
  auto object = xj::LookupHandle(hFile);
  if (!object) return FILE_TYPE_UNKNOWN;
  SetLastError(ERROR_SUCCESS);
  return object->FileType();
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  std::vector<char> host(PATH_MAX);
  while (!::getcwd(host.data(), host.size())) {
    if (errno != ERANGE) {
      SetLastError(static_cast<DWORD>(errno));
      return 0;
    }
    host.resize(host.size() * 2);
  }
  const std::string path = xj::PathFromHost(host.data());
  if (!lpBuffer || nBufferLength <= path.size()) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  if (!lpPathName || !*lpPathName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::chdir(xj::PathToHost(lpPathName).c_str()) != 0) {
    SetLastError(static_cast<DWORD>(errno));
    return FALSE;
  }
  return TRUE;
}
