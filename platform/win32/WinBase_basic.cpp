// Errors, rectangles, MulDiv, version and sound.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/win32/WinBase.h"

static_assert(ERROR_FILE_NOT_FOUND == ENOENT && ERROR_INVALID_HANDLE == EBADF && ERROR_NOT_ENOUGH_MEMORY == ENOMEM &&
                  ERROR_ACCESS_DENIED == EACCES && ERROR_ALREADY_EXISTS == EEXIST &&
                  ERROR_INVALID_PARAMETER == EINVAL && ERROR_INSUFFICIENT_BUFFER == ERANGE &&
                  ERROR_PROC_NOT_FOUND == ENOSYS && ERROR_NO_UNICODE_TRANSLATION == EILSEQ &&
                  ERROR_NOT_SUPPORTED == EOPNOTSUPP,
              "error names must be the host's errno values");

namespace {
thread_local DWORD tLastError = ERROR_SUCCESS;  // each thread sees the error of its own last call
std::atomic<DWORD> gMajor { 5 }, gMinor { 1 };
std::atomic<void (*)()> gBell { nullptr };
}  // namespace

DWORD WINAPI GetLastError() { return tLastError; }
void WINAPI SetLastError(DWORD dwErrCode) { tLastError = dwErrCode; }

// ---- Rectangles -------------------------------------------------------------------------------------

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT { xLeft, yTop, xRight, yBottom };
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left += dx;
  lprc->right += dx;
  lprc->top += dy;
  lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left -= dx;
  lprc->right += dx;
  lprc->top -= dy;
  lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) { return !lprc || lprc->right <= lprc->left || lprc->bottom <= lprc->top; }

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
  if (!lprcDst) return FALSE;
  if (!lprcSrc1 || !lprcSrc2) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  RECT r { std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
           std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom) };
  if (IsRectEmpty(&r)) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  *lprcDst = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
  if (!lprcDst) return FALSE;
  const bool empty1 = IsRectEmpty(lprcSrc1), empty2 = IsRectEmpty(lprcSrc2);
  if (empty1 && empty2) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  if (empty1) return CopyRect(lprcDst, lprcSrc2);
  if (empty2) return CopyRect(lprcDst, lprcSrc1);
  *lprcDst = RECT { std::min(lprcSrc1->left, lprcSrc2->left), std::min(lprcSrc1->top, lprcSrc2->top),
                    std::max(lprcSrc1->right, lprcSrc2->right), std::max(lprcSrc1->bottom, lprcSrc2->bottom) };
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}

BOOL WINAPI EqualRect(const RECT* lprc1, const RECT* lprc2) {
  if (!lprc1 || !lprc2) return FALSE;
  return lprc1->left == lprc2->left && lprc1->top == lprc2->top && lprc1->right == lprc2->right &&
         lprc1->bottom == lprc2->bottom;
}

// ---- Arithmetic -------------------------------------------------------------------------------------

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(nNumber) * nNumerator;
  int64_t quotient = product / nDenominator;
  const int64_t remainder = product % nDenominator;
  // Half away from zero: compare twice the remainder with the divisor, both as magnitudes.
  if (2 * (remainder < 0 ? -remainder : remainder) >= (nDenominator < 0 ? -int64_t(nDenominator) : nDenominator))
    quotient += ((product < 0) != (nDenominator < 0)) ? -1 : 1;
  if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
  return static_cast<int>(quotient);
}

// ---- Version and sound ----------------------------------------------------------------------------

namespace {
DWORD BuildNumber(DWORD major, DWORD minor) {
  if (major == 5) return minor == 0 ? 2195 : 2600;
  if (major == 6) return minor == 0 ? 6000 : 7601;
  return 0;
}
}  // namespace

DWORD WINAPI GetVersion() {
  const DWORD major = gMajor.load(), minor = gMinor.load();
  return (major & 0xFF) | ((minor & 0xFF) << 8) | ((BuildNumber(major, minor) & 0x7FFF) << 16);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  info->dwMajorVersion = gMajor.load();
  info->dwMinorVersion = gMinor.load();
  info->dwBuildNumber = BuildNumber(info->dwMajorVersion, info->dwMinorVersion);
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

BOOL WINAPI MessageBeep(UINT) {
  if (auto bell = gBell.load()) bell();
  return TRUE;
}

BOOL WINAPI Beep(DWORD, DWORD) { return TRUE; }

namespace xj {
void SetReportedVersion(DWORD major, DWORD minor) {
  gMajor.store(major);
  gMinor.store(minor);
}
void SetMessageBeepHandler(void (*bell)()) { gBell.store(bell); }
}  // namespace xj
