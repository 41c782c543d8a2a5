// DefWindowProcA: what a window gets when its procedure does not handle a message itself.

#include <algorithm>
#include <cstring>

#include "platform/win32/WmInternal.h"
#include "platform/win32/WmNonClient.h"

using namespace xj::wm;

namespace xj::wm {
LRESULT DefSysCommand(Wnd* w, WPARAM wParam, LPARAM lParam);  // Wm_sizemove.cpp
LRESULT DefEraseBackground(Wnd* w, HDC dc);                   // Wm_paint.cpp
}  // namespace xj::wm

namespace {

WORD SizeType(const Wnd* w) {
  if (w->style & WS_MINIMIZE) return SIZE_MINIMIZED;
  if (w->style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

HCURSOR SizingCursor(int hit) {
  switch (hit) {
    case HTLEFT:
    case HTRIGHT:
      return LoadCursorA(nullptr, IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM:
      return LoadCursorA(nullptr, IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      return LoadCursorA(nullptr, IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      return LoadCursorA(nullptr, IDC_SIZENESW);
  }
  return nullptr;
}

// Asked for on every mouse move by every window under the pointer.
HCURSOR Arrow() {
  static HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  return arrow;
}

[[gnu::always_inline]] inline LRESULT ToParent(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (w->IsChild() && w->parent && w->parent != Desktop()) return Send(w->parent, msg, wParam, lParam);
  return 0;
}

LRESULT DefSetCursor(Wnd* w, WPARAM wParam, LPARAM lParam) {
  if (ToParent(w, WM_SETCURSOR, wParam, lParam)) return TRUE;
  int hit = (short)LOWORD(lParam);
  if (hit == HTCLIENT) {
    SetCursor(w->cls && w->cls->cursor ? w->cls->cursor : Arrow());
    return FALSE;
  }
  HCURSOR c = SizingCursor(hit);
  SetCursor(c ? c : Arrow());
  return c != nullptr;
}

LRESULT DefSetText(Wnd* w, LPARAM lParam) {
  w->text = lParam ? (const char*)lParam : "";
  SyncTitle(w);
  if ((w->style & WS_CAPTION) == WS_CAPTION) InvalidateFrame(w);
  return TRUE;
}

LRESULT DefGetText(Wnd* w, WPARAM wParam, LPARAM lParam) {
  if (!lParam || wParam == 0) return 0;
  size_t n = std::min(w->text.size(), (size_t)wParam - 1);
  memcpy((char*)lParam, w->text.data(), n);
  ((char*)lParam)[n] = 0;
  return (LRESULT)n;
}

// rgrc[0] of NCCALCSIZE_PARAMS, or the lone RECT on creation.
LRESULT DefCalcSize(Wnd* w, RECT* r) {
  if (r) *r = DefaultClientFor(w, *r);
  return 0;
}

LRESULT DefPosChanged(Wnd* w, HWND hwnd, const WINDOWPOS* wp) {
  if (!wp) return 0;
  Pin pin(w);
  if (!(wp->flags & SWP_NOMOVE)) {
    Send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
    if (!IsWindow(hwnd)) return 0;
  }
  if (!(wp->flags & SWP_NOSIZE) && !(w->style & WS_MINIMIZE))
    Send(w, WM_SIZE, SizeType(w), MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
  return 0;
}

LRESULT DefPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT DefSyncPaint(Wnd* w, HWND hwnd) {
  Send(w, WM_NCPAINT, 1, 0);
  if (IsWindow(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  return 0;
}

// A right click asks for a context menu, with the point on the screen.
LRESULT DefRightButtonUp(Wnd* w, HWND hwnd, LPARAM lParam) {
  POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
  ClientToScreen(hwnd, &pt);
  Send(w, WM_CONTEXTMENU, (WPARAM)hwnd, MAKELPARAM(pt.x, pt.y));
  return 0;
}

LRESULT DefNcRightButtonUp(Wnd* w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (wParam != HTCAPTION && wParam != HTSYSMENU) Send(w, WM_CONTEXTMENU, (WPARAM)hwnd, lParam);
  return 0;
}

LRESULT DefMouseActivate(Wnd* w, WPARAM wParam, LPARAM lParam) {
  LRESULT r = ToParent(w, WM_MOUSEACTIVATE, wParam, lParam);
  return r ? r : MA_ACTIVATE;
}

LRESULT DefActivate(HWND hwnd, WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(hwnd);
  return 0;
}

// Alt+F4 closes the top-level window, as the system menu's Close would; posted, so that the key message
// finishes before the window goes.
LRESULT DefSysKeyDown(Wnd* w, WPARAM wParam, LPARAM lParam) {
  if (wParam == VK_F4 && (lParam & (1L << 29))) {
    if (Wnd* top = Root(w)) PostMessageA(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return 0;
}

LRESULT DefKeyUp(Wnd* w, HWND hwnd, WPARAM wParam) {
  // The menu key, and Shift+F10, ask for a context menu from the keyboard: the point is -1, -1.
  if (wParam == VK_APPS || (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0)) {
    Send(w, WM_CONTEXTMENU, (WPARAM)hwnd, MAKELPARAM(-1, -1));
    return 0;
  }
  // Alt pressed and released alone, or F10, enters menu mode on the top-level window.
  if ((wParam == VK_MENU && MenuKeyWasAlone()) || wParam == VK_F10) {
    if (Wnd* top = Root(w)) Send(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
  }
  return 0;
}

// Alt+Space opens the system menu, Alt+letter the menu bar's item with that mnemonic.
LRESULT DefSysChar(Wnd* w, WPARAM wParam) {
  if (wParam >= 0x20) {
    if (Wnd* top = Root(w)) Send(top, WM_SYSCOMMAND, SC_KEYMENU, (LPARAM)wParam);
  }
  return 0;
}

LRESULT DefClose(HWND hwnd) {
  DestroyWindow(hwnd);
  return 0;
}

LRESULT DefCancelMode(HWND hwnd) {
  if (GetCapture() == hwnd) ReleaseCapture();
  return 0;
}

[[gnu::noinline]] LRESULT DefMessage(Wnd* w, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Only the non-client range can be the frame's; the messages of every mouse move skip the call.
  if (msg >= WM_NCCREATE && msg <= WM_NCMBUTTONDBLCLK) {
    bool handled = false;
    LRESULT nc = DefNonClient(w, msg, wParam, lParam, &handled);
    if (handled) return nc;
  }
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_NCCALCSIZE:
      return DefCalcSize(w, (RECT*)lParam);
    case WM_SETTEXT:
      return DefSetText(w, lParam);
    case WM_GETTEXT:
      return DefGetText(w, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return (LRESULT)w->text.size();
    case WM_CLOSE:
      return DefClose(hwnd);
    case WM_WINDOWPOSCHANGED:
      return DefPosChanged(w, hwnd, (const WINDOWPOS*)lParam);
    case WM_ERASEBKGND:
      return DefEraseBackground(w, (HDC)wParam);
    case WM_PAINT:
      return DefPaint(hwnd);
    case WM_SYNCPAINT:
      return DefSyncPaint(w, hwnd);
    case WM_RBUTTONUP:
      return DefRightButtonUp(w, hwnd, lParam);
    case WM_NCRBUTTONUP:
      return DefNcRightButtonUp(w, hwnd, wParam, lParam);
    case WM_MOUSEACTIVATE:
      return DefMouseActivate(w, wParam, lParam);
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      return ToParent(w, msg, wParam, lParam);
    case WM_ACTIVATE:
      return DefActivate(hwnd, wParam);
    case WM_SYSCOMMAND:
      return DefSysCommand(w, wParam, lParam);
    case WM_SYSKEYDOWN:
      return DefSysKeyDown(w, wParam, lParam);
    case WM_SYSKEYUP:
    case WM_KEYUP:
      return DefKeyUp(w, hwnd, wParam);
    case WM_SYSCHAR:
      return DefSysChar(w, wParam);
    case WM_CANCELMODE:
      return DefCancelMode(hwnd);
    case WM_QUERYENDSESSION:
    case WM_NCACTIVATE:
      return TRUE;
    default:
      return 0;
  }
}

}  // namespace

// The messages of every mouse move are answered here; the rest in a body whose frame they do not pay for.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* w = FromHandle(hwnd);
  if (!w) return 0;
  if (msg == WM_SETCURSOR) return DefSetCursor(w, wParam, lParam);
  if (msg == WM_MOUSEMOVE) return 0;
  if (msg == WM_NCHITTEST) return DefHitTest(w, POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
  return DefMessage(w, hwnd, msg, wParam, lParam);
}
