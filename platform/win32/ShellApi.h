#pragma once
// The shell: opening a document or an address with the desktop's opener, and the notification area.

#include <functional>
#include <string>

#include "platform/win32/WinBase.h"

#define SE_ERR_NOASSOC 31  // nothing can open it: the opener is missing or will not start

// Verb "open" (or null): hands the file or address to `xdg-open` (or to the program named by
// XDG_OPEN_PROGRAM) as one argument, converted to UTF-8, never through a shell, in a process of its
// own that outlives ours. A name without a scheme ("http:", "mailto:", "file:") is a local path: '\'
// separates directories, a relative one is taken from lpDirectory (else the current directory), it
// must exist, and one that starts with '-' goes as "./-..." so that no opener takes it for an option. lpParameters is
// not passed on: the opener takes only the target. nShowCmd is the opener's business. Returns a value > 32 when the
// opener started; SE_ERR_NOASSOC for another verb or an opener that cannot start; ERROR_FILE_NOT_FOUND for no target or
// a missing file; ERROR_PATH_NOT_FOUND for a missing lpDirectory; 0 when no process can be made.
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT nShowCmd);

// ---- The notification area -------------------------------------------------------------------------

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

// The shell-5 record. cbSize is 488 (its size in the 32-bit layout) or this build's sizeof; members
// past szTip are carried for the layout's sake and not acted on.
typedef struct _NOTIFYICONDATAA {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  CHAR szInfo[256];
  union {
    UINT uTimeout;
    UINT uVersion;
  };
  CHAR szInfoTitle[64];
  DWORD dwInfoFlags;
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;

#define NOTIFYICONDATAA_V2_SIZE 488

// Adds, changes or removes the icon keyed by (hWnd, uID). uFlags says which of uCallbackMessage, hIcon
// and szTip count; the shell keeps its own copy of the icon, so the caller may destroy hIcon afterwards
// (a null hIcon shows an empty place). The tip is szTip up to its NUL (at most 127 bytes), cut before a
// double-byte character it would split; it shows while the pointer rests on the icon. Mouse actions on
// the icon reach the window as SendMessage(hWnd, uCallbackMessage, uID, WM_MOUSEMOVE / WM_xBUTTONDOWN /
// UP / DBLCLK). When the desktop's notification area (re)appears, every top-level window gets the
// message registered as "TaskbarCreated".
// FALSE with the last error set, changing nothing: a null record, another cbSize or another dwMessage
// (ERROR_INVALID_PARAMETER); no such window, or an hIcon that is not an icon (ERROR_INVALID_HANDLE);
// adding a key that is there (ERROR_ALREADY_EXISTS); changing or removing one that is not
// (ERROR_NOT_FOUND).
BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);

namespace xj {

// One ShellExecuteA call as a test hook sees it.
struct ShellExecuteCall {
  HWND Window = nullptr;
  std::string Operation;  // the arguments as given (GBK; null as "")
  std::string File;
  std::string Parameters;
  std::string Directory;
  INT ShowCmd = 0;
  std::string Program;  // the opener that would run; empty when the call is refused first
  std::string Target;   // its argument (UTF-8); empty when refused
  INT_PTR Result = 0;   // what the call returns
};
using ShellExecuteHook = std::function<void(const ShellExecuteCall&)>;

// While a hook is set, ShellExecuteA checks each call as usual, hands it to the hook and starts
// nothing, answering as if the opener had started. Returns the hook set before (null: none).
ShellExecuteHook SetShellExecuteHook(ShellExecuteHook hook);

}  // namespace xj
