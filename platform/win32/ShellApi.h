#pragma once
// The shell: opening a document or an address with the desktop's opener.

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
