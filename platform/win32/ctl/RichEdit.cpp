// The "RICHEDIT" window class: the multi-line view with its scroll state in pixels on both axes, the
// rich edit's own selection, limit, event-mask and wrapping messages, and EN_CHANGE / EN_SELCHANGE /
// EN_REQUESTRESIZE / EN_PROTECTED only as the event mask asks. Of character formatting only the
// protected attribute is kept. Text the edit put on the clipboard is offered to the parent when the
// edit goes (EN_SAVECLIPBOARD): a non-zero answer takes it off the clipboard.

#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/MemoView.h"
#include "platform/win32/ctl/Notify.h"

namespace xj::ctl {

namespace {

void SaveClipboard(HWND hwnd) {
  if (GetClipboardOwner() != hwnd || !IsClipboardFormatAvailable(CF_TEXT)) return;
  ENSAVECLIPBOARD ask {};
  ask.cch = (LONG)ClipboardText(hwnd).size();
  if (!NotifyParentOf(hwnd, EN_SAVECLIPBOARD, ask.nmhdr) || GetClipboardOwner() != hwnd) return;
  if (!OpenClipboard(hwnd)) return;
  EmptyClipboard();
  CloseClipboard();
}

}  // namespace

LRESULT CALLBACK RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      return MemoCreate(hwnd, (const CREATESTRUCTA*)lParam, true);
    case EM_EXGETSEL: {
      DWORD s = 0, e = 0;
      MemoWindowProc(hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
      if (lParam) *(CHARRANGE*)lParam = CHARRANGE { (LONG)s, (LONG)e };
      return 0;
    }
    case EM_EXSETSEL: {
      if (!lParam) return 0;
      const CHARRANGE& r = *(const CHARRANGE*)lParam;
      MemoWindowProc(hwnd, EM_SETSEL, (WPARAM)r.cpMin, (LPARAM)r.cpMax);
      DWORD s = 0, e = 0;
      MemoWindowProc(hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
      return (LRESULT)e;
    }
    case EM_EXLIMITTEXT:
      return MemoWindowProc(hwnd, EM_LIMITTEXT, (WPARAM)lParam, 0);
    case EM_GETEVENTMASK:
      return (LRESULT)MemoEventMask(hwnd);
    case EM_SETEVENTMASK: {
      DWORD old = MemoEventMask(hwnd);
      MemoSetEventMask(hwnd, (DWORD)lParam);
      return (LRESULT)old;
    }
    case EM_SETTARGETDEVICE:  // no device and a width of 0 wraps at the window's width; else no wrap
      MemoSetWrap(hwnd, lParam == 0);
      return TRUE;
    case EM_REQUESTRESIZE:
      MemoRequestResize(hwnd);
      return 0;
    case EM_SETCHARFORMAT:
      return MemoSetCharFormat(hwnd, wParam, (const CHARFORMATA*)lParam);
    case EM_GETCHARFORMAT:
      return MemoGetCharFormat(hwnd, wParam, (CHARFORMATA*)lParam);
    case WM_DESTROY:
      SaveClipboard(hwnd);
      break;
  }
  return MemoWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace xj::ctl
