// The classic non-client area: its geometry from the style (WM_NCCALCSIZE), hit testing
// (WM_NCHITTEST), the caption buttons' tracked press, and the default handling of non-client clicks.
// Painting of the frame is in Wm_ncpaint.cpp.

#include <algorithm>

#include "platform/win32/WmNonClient.h"

namespace xj::wm {

Frame FrameOf(const Wnd* w) {
  Frame f;
  DWORD s = w->style, x = w->exStyle;
  if (s & WS_THICKFRAME)
    f.border = 4;
  else if ((s & WS_DLGFRAME) || (x & WS_EX_DLGMODALFRAME))
    f.border = 3;
  else if (s & WS_BORDER)
    f.border = 1;
  if ((s & WS_CAPTION) == WS_CAPTION) f.caption = (x & WS_EX_TOOLWINDOW) ? 15 : 19;
  if (!w->IsChild() && w->menu && IsMenu(w->menu)) f.menu = 19;
  if (x & WS_EX_CLIENTEDGE)
    f.edge = 2;
  else if (x & WS_EX_STATICEDGE)
    f.edge = 1;
  if ((s & WS_VSCROLL) && w->vbar.max > w->vbar.min) f.vscroll = 16;
  if ((s & WS_HSCROLL) && w->hbar.max > w->hbar.min) f.hscroll = 16;
  return f;
}

FrameParts PartsOf(const Wnd* w) {
  Frame f = FrameOf(w);
  FrameParts p;
  int W = w->Width(), H = w->Height();
  p.window = RECT { 0, 0, W, H };
  int b = f.border;
  if (f.caption) {
    p.caption = RECT { b, b, W - b, b + f.caption - 1 };
    int bh = f.caption - 5, bw = bh + 2;
    int right = p.caption.right - 2;
    int top = p.caption.top + 2;
    if (w->style & WS_SYSMENU) {
      p.close = RECT { right - bw, top, right, top + bh };
      right -= bw + 2;
      if (!(w->exStyle & WS_EX_TOOLWINDOW))
        p.sysIcon = RECT { p.caption.left + 2, top, p.caption.left + 2 + bh, top + bh };
      if (w->style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
        p.max = RECT { right - bw, top, right, top + bh };
        p.min = RECT { right - 2 * bw, top, right - bw, top + bh };
      }
    }
  }
  int y = b + f.caption;
  if (f.menu) {
    p.menu = RECT { b, y, W - b, y + f.menu - 1 };
    y += f.menu;
  }
  RECT inner { b + f.edge, y + f.edge, W - b - f.edge, H - b - f.edge };
  p.edge = RECT { b, y, W - b, H - b };
  if (f.vscroll) {
    p.vscroll = RECT { inner.right - f.vscroll, inner.top, inner.right, inner.bottom - f.hscroll };
    inner.right -= f.vscroll;
  }
  if (f.hscroll) {
    p.hscroll = RECT { inner.left, inner.bottom - f.hscroll, inner.right, inner.bottom };
    inner.bottom -= f.hscroll;
  }
  if (f.vscroll && f.hscroll)
    p.grip = RECT { inner.right, inner.bottom, inner.right + f.vscroll, inner.bottom + f.hscroll };
  if (inner.right < inner.left) inner.right = inner.left;
  if (inner.bottom < inner.top) inner.bottom = inner.top;
  p.client = inner;
  p.frame = f;
  return p;
}

RECT DefaultClientFor(const Wnd* w, const RECT& windowRect) {
  Wnd probe;
  probe.style = w->style;
  probe.exStyle = w->exStyle;
  probe.menu = w->menu;
  probe.vbar = w->vbar;
  probe.hbar = w->hbar;
  probe.rect = windowRect;
  FrameParts p = PartsOf(&probe);
  RECT c = p.client;
  Offset(c, windowRect.left, windowRect.top);
  return c;
}

int DefHitTest(Wnd* w, POINT screen) {
  RECT sr = ScreenRect(w);
  if (!InRect(sr, screen)) return HTNOWHERE;
  POINT pt { screen.x - sr.left, screen.y - sr.top };
  if (InRect(w->client, pt)) return HTCLIENT;
  FrameParts p = PartsOf(w);
  int W = w->Width(), H = w->Height();
  if ((w->style & WS_THICKFRAME) && !(w->style & WS_MAXIMIZE)) {
    int b = p.frame.border, corner = 16;
    bool left = pt.x < b, right = pt.x >= W - b, top = pt.y < b, bottom = pt.y >= H - b;
    if (left || right || top || bottom) {
      bool nearLeft = pt.x < corner, nearRight = pt.x >= W - corner;
      bool nearTop = pt.y < corner, nearBottom = pt.y >= H - corner;
      if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
      if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
      if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
      if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
      if (left) return HTLEFT;
      if (right) return HTRIGHT;
      if (top) return HTTOP;
      return HTBOTTOM;
    }
  }
  if (InRect(p.caption, pt)) {
    if (InRect(p.close, pt)) return HTCLOSE;
    if (InRect(p.max, pt)) return HTMAXBUTTON;
    if (InRect(p.min, pt)) return HTMINBUTTON;
    if (InRect(p.sysIcon, pt)) return HTSYSMENU;
    return HTCAPTION;
  }
  if (InRect(p.menu, pt)) return HTMENU;
  if (InRect(p.vscroll, pt)) return HTVSCROLL;
  if (InRect(p.hscroll, pt)) return HTHSCROLL;
  if (InRect(p.grip, pt)) return (w->style & WS_THICKFRAME) ? HTBOTTOMRIGHT : HTGROWBOX;
  return HTBORDER;
}

namespace {

// A press on a caption button: the button shows pressed while the pointer stays on it, and the
// command goes out only when it is released there.
void TrackCaptionButton(Wnd* w, int hit) {
  HWND h = w->handle;
  UINT cmd = hit == HTCLOSE       ? SC_CLOSE
             : hit == HTMAXBUTTON ? ((w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE)
                                  : SC_MINIMIZE;
  if (hit == HTMAXBUTTON && !(w->style & WS_MAXIMIZEBOX)) return;
  if (hit == HTMINBUTTON && !(w->style & WS_MINIMIZEBOX)) return;
  bool released = false, inside = true;
  SetPressedButton(w, hit);
  SetCapture(h);
  ScopeExit release([h] {
    if (GetCapture() == h) ReleaseCapture();
    if (Wnd* still = FromHandle(h)) SetPressedButton(still, 0);
  });
  while (!released && IsWindow(h) && GetCapture() == h) {
    MSG m;
    if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!ModalStep()) break;
      continue;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
      POINT pt { GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam) };
      ClientToScreen(h, &pt);
      inside = DefHitTest(w, pt) == hit;
      SetPressedButton(w, inside ? hit : 0);
      if (m.message == WM_LBUTTONUP) released = true;
      continue;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
      inside = false;
      break;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (!IsWindow(h)) return;
  if (GetCapture() == h) ReleaseCapture();
  SetPressedButton(w, 0);
  if (released && inside) SendMessageA(h, WM_SYSCOMMAND, cmd, 0);
}

}  // namespace

LRESULT DefNonClient(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  switch (msg) {
    case WM_NCHITTEST:
      return DefHitTest(w, POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
    case WM_NCPAINT:
      PaintFrame(w, nullptr);
      return 0;
    case WM_NCACTIVATE:
      w->ncActive = wParam != 0;
      if ((w->style & WS_CAPTION) == WS_CAPTION) PaintFrame(w, nullptr);
      return TRUE;
    case WM_NCLBUTTONDOWN: {
      int hit = (int)(LONG_PTR)wParam;
      POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
      if (hit == HTCAPTION)
        SendMessageA(w->handle, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
      else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
        SendMessageA(w->handle, WM_SYSCOMMAND, SC_SIZE + (hit - HTLEFT + 1), lParam);
      else if (hit == HTCLOSE || hit == HTMAXBUTTON || hit == HTMINBUTTON)
        TrackCaptionButton(w, hit);
      else if (hit == HTMENU || hit == HTSYSMENU)
        SendMessageA(w->handle, WM_SYSCOMMAND, SC_MOUSEMENU + hit, lParam);
      else if (hit == HTVSCROLL || hit == HTHSCROLL)
        TrackScrollBar(w, hit == HTVSCROLL ? SB_VERT : SB_HORZ, pt);
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      if ((int)(LONG_PTR)wParam == HTCAPTION && (w->style & WS_MAXIMIZEBOX))
        SendMessageA(w->handle, WM_SYSCOMMAND, (w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      else if ((int)(LONG_PTR)wParam == HTSYSMENU && (w->style & WS_SYSMENU))
        SendMessageA(w->handle, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    default:
      *handled = false;
      return 0;
  }
}

namespace {

bool OwnedBy(const Wnd* w, const Wnd* owner) {
  for (const Wnd* o = w->owner; o; o = o->owner)
    if (o == owner) return true;
  return false;
}

// The window that keeps `w` disabled: the uppermost enabled window it owns, or else the active window
// (an application-modal box need not belong to it).
Wnd* ModalOver(Wnd* w) {
  for (Wnd* c : Desktop()->children)
    if (c != w && c->Visible() && c->Enabled() && OwnedBy(c, w)) return c;
  Wnd* active = FromHandle(GetActiveWindow());
  return active && active != w && active->Visible() && active->Enabled() ? active : nullptr;
}

}  // namespace

// The desktop's close button. A window that a modal window disabled refuses it, as it refuses clicks, and
// the modal window comes forward: the program is not ended from under its own dialog.
void DesktopClose(Wnd* w) {
  if (w->Enabled()) {
    PostMessageA(w->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  }
  Wnd* modal = ModalOver(w);
  if (!modal) return;
  if (GetActiveWindow() != modal->handle) {
    Activate(modal, WA_ACTIVE);
    return;
  }
  SetPos(modal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SyncActive(modal);  // the desktop may have given the keys to the window it asked to close
}

}  // namespace xj::wm
