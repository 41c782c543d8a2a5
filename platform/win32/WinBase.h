#pragma once
// The kernel side of the Win32 subset: errors, rectangles, time, events and waits, modules, code pages,
// version, sound and files. Narrow ("A") functions take GBK bytes; paths become UTF-8 only at the
// file-system edge.

#include <string>
#include <string_view>

#include "platform/win32/WinDef.h"

typedef BOOL* LPBOOL;
// A generic function pointer, cast to the real signature by the caller (void() so that the cast does
// not warn).
typedef void(WINAPI* FARPROC)();

// ---- Errors -------------------------------------------------------------------------------------
// GetLastError reports errno values (Linux numbering), so a message such as "(Error: 25)" shows an
// errno number. The names below are the Win32 ones mapped onto the nearest errno.
#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u           // ENOENT
#define ERROR_PATH_NOT_FOUND 2u           // ENOENT
#define ERROR_MOD_NOT_FOUND 2u            // ENOENT
#define ERROR_NOT_FOUND 2u                // ENOENT
#define ERROR_INVALID_HANDLE 9u           // EBADF
#define ERROR_NOT_ENOUGH_MEMORY 12u       // ENOMEM
#define ERROR_ACCESS_DENIED 13u           // EACCES
#define ERROR_BUSY 16u                    // EBUSY
#define ERROR_FILE_EXISTS 17u             // EEXIST
#define ERROR_ALREADY_EXISTS 17u          // EEXIST
#define ERROR_INVALID_PARAMETER 22u       // EINVAL
#define ERROR_INVALID_FLAGS 22u           // EINVAL
#define ERROR_INSUFFICIENT_BUFFER 34u     // ERANGE
#define ERROR_PROC_NOT_FOUND 38u          // ENOSYS
#define ERROR_NO_UNICODE_TRANSLATION 84u  // EILSEQ
#define ERROR_NO_MORE_ITEMS 28u           // ENOSPC
#define ERROR_BROKEN_PIPE 32u             // EPIPE
#define ERROR_NOT_SUPPORTED 95u           // EOPNOTSUPP
#define ERROR_OPERATION_ABORTED 125u      // ECANCELED
// Overlapped I/O results keep their Win32 numbers: callers compare against them by value.
#define ERROR_IO_INCOMPLETE 996u
#define ERROR_IO_PENDING 997u

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

// ---- Rectangles and arithmetic --------------------------------------------------------------------
BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
BOOL WINAPI SetRectEmpty(LPRECT lprc);
BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
// Empty result (all zero) and FALSE when the rectangles do not overlap.
BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
// An empty source is ignored; both empty gives an empty result and FALSE.
BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
// Left and top edges are inside, right and bottom outside.
BOOL WINAPI PtInRect(const RECT* lprc, POINT pt);
BOOL WINAPI IsRectEmpty(const RECT* lprc);
BOOL WINAPI EqualRect(const RECT* lprc1, const RECT* lprc2);

// a*b/c with a 64-bit intermediate, rounded half away from zero; c = 0 or an overflow gives -1.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

// ---- Time ---------------------------------------------------------------------------------------
typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

#define LOCALE_SYSTEM_DEFAULT 0x0800u
#define LOCALE_USER_DEFAULT 0x0400u

// Milliseconds of the current clock (platform/win32/Clock.h); GetTickCount is the low 32 bits.
DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
// lpTime null: the current local time. lpFormat null: the settings object's LongTimeFormat. A format
// uses the locale picture syntax: h/hh 12-hour, H/HH 24-hour, m/mm, s/ss, t/tt (AM/PM), '...' text.
// Only flags 0 is supported. cchTime 0 returns the size needed (with the terminating zero).
int WINAPI GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                          int cchTime);
// Under the manual clock these advance its time instead of sleeping.
void WINAPI Sleep(DWORD dwMilliseconds);
DWORD WINAPI SleepEx(DWORD dwMilliseconds, BOOL bAlertable);

// ---- Events, waits and handles --------------------------------------------------------------------
typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// Named events are not shared between processes; a name is accepted and ignored.
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);
// Time-outs are real time, also under the manual clock.
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// A closed or unknown handle fails with ERROR_INVALID_HANDLE.
BOOL WINAPI CloseHandle(HANDLE hObject);
DWORD WINAPI GetCurrentThreadId();

// ---- Modules --------------------------------------------------------------------------------------
// A shared library loaded with dlopen. "USER32" / "user32.dll" (any case) open the built-in module
// whose exports other parts of the platform register (xj::RegisterBuiltinExport).
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
// lpModuleName null: the program itself.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
// By name: the library's own symbol, then its ordinal table's names. By ordinal (MAKEINTRESOURCE(n)):
// the ordinal table (platform/win32/OrdinalExports.h).
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// hModule null: the program's own path. Returns the length copied; a path that does not fit is cut to
// nSize - 1 bytes plus the terminator, and nSize is returned with ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// ---- Code pages -----------------------------------------------------------------------------------
#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_GBK 936u
#define CP_UTF8 65001u

UINT WINAPI GetACP();
// WCHAR is wchar_t, UTF-32 on this platform. A cb/cch of -1 means zero-terminated (the terminator is
// converted and counted). An output size of 0 returns the size needed. Broken input converts with a
// replacement (U+FFFD to wide, '?' to narrow). Besides GBK and UTF-8, MultiByteToWideChar reads the
// code pages documents from other systems name (437, 874, 932, 949, 950, 1250-1258, 10000);
// WideCharToMultiByte writes GBK and UTF-8 only.
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar);
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
// A lead byte counts as a double-byte character only when a valid trail byte follows it.
LPSTR WINAPI CharNextA(LPCSTR lpsz);
LPSTR WINAPI CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent);

// ---- Version and sound -----------------------------------------------------------------------------
typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32_NT 2u

// Low byte = major, second byte = minor, high word = build. The platform reports 5.1 (build 2600).
DWORD WINAPI GetVersion();
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
// Rings the display's bell when one is registered, else does nothing; always succeeds.
BOOL WINAPI MessageBeep(UINT uType);
BOOL WINAPI Beep(DWORD dwFreq, DWORD dwDuration);

// ---- Files ----------------------------------------------------------------------------------------
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_TYPE_UNKNOWN 0u
#define FILE_TYPE_DISK 1u
#define FILE_TYPE_CHAR 2u
#define FILE_TYPE_PIPE 3u

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;      // status of the last operation
  ULONG_PTR InternalHigh;  // bytes transferred
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

// Device names registered through xj::RegisterDeviceOpener (platform/win32/KernelObjects.h) are tried
// first; anything else is a file. A '\' in a path is a directory separator.
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
// With an OVERLAPPED on a file the transfer happens at its offset and completes at once.
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped);
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped);
DWORD WINAPI GetFileType(HANDLE hFile);
// Returns the length written without the terminator, or the size needed (with it) when too small.
DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName);

// ---- The platform's own helpers ---------------------------------------------------------------------
namespace xj {

// Length of the GBK character at p (1 or 2), never reaching end: a lead byte 0x81-0xFE followed by a
// trail byte 0x40-0x7E or 0x80-0xFE makes a double-byte character, anything else is one byte.
inline int GbkCharLength(const char* p, const char* end) {
  const auto lead = static_cast<unsigned char>(*p);
  if (lead < 0x81 || lead > 0xFE || end - p < 2) return 1;
  const auto trail = static_cast<unsigned char>(p[1]);
  return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

// The code point of the GBK character of `length` bytes (GbkCharLength) at p; 0 where GBK has none.
char32_t GbkCharToUnicode(const char* p, int length);

// Conversions between GBK and Unicode. Malformed or unmapped input becomes U+FFFD (to Unicode) or
// '?' (to GBK); nothing is read past the end of the input.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u32string GbkToUtf32(std::string_view gbk);
std::string Utf32ToGbk(std::u32string_view text);

// The UTF-8 byte-order mark some editors put at the start of a text file.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The text of a file the system reads (a skin's INI text, a form text) as GBK: one that begins with a UTF-8
// byte-order mark is UTF-8, given back converted without the mark (a character GBK has not becomes '?');
// any other text is GBK already and comes back as it is.
std::string GbkFromFileText(std::string text);

// A GBK path as the host file system wants it (UTF-8, '\' turned into '/'), and back.
std::string PathToHost(std::string_view gbkPath);
std::string PathFromHost(std::string_view hostPath);

// Adds an export to a built-in module ("USER32"; the name is matched without case and ".dll").
// Registering a name again replaces it.
void RegisterBuiltinExport(const char* module, const char* name, void* proc);
// Registers the window layer's USER32 exports (SetLayeredWindowAttributes, MonitorFromWindow,
// GetMonitorInfoA); the module loader calls it before handing out the built-in USER32 module.
void RegisterUser32Exports();

// Opens a file that a loader is about to read (an INI file, a picture, a skin), by its host path
// (PathToHost): never waits on the way (a FIFO without a writer, a device), follows symbolic links, and
// keeps the descriptor only when the name then leads to a regular file. The descriptor (blocking again,
// close-on-exec), or -1 with errno: the open's own error, EISDIR, or NotRegularFileError for a FIFO, a
// device or a socket.
int OpenFileToLoad(const std::string& HostPath);
// The errno value OpenFileToLoad gives for a name that leads to no regular file; ours, beyond the
// host's own numbers.
constexpr int NotRegularFileError = 0x4E52;
// A file error for a message: the host's words, and ours for NotRegularFileError.
std::string FileErrorText(int Error);

// The version GetVersion reports (default 5.1); for tests of version-dependent paths.
void SetReportedVersion(DWORD major, DWORD minor);

// What GetTimeFormatA takes from the runtime's settings object (SysUtils installs the provider; until
// then the defaults "H:mm:ss", "上午", "下午" apply).
struct LocaleTimeFormat {
  std::string LongTimeFormat;
  std::string TimeAMString;
  std::string TimePMString;
};
void SetLocaleTimeFormatProvider(LocaleTimeFormat (*provider)());

// The display's bell for MessageBeep (null: silent).
void SetMessageBeepHandler(void (*bell)());

}  // namespace xj
