// System commands and the modal move/size loop. The loop is live: every step is applied at once
// (WM_NCCALCSIZE, WM_MOVE, WM_SIZE), and timers and painting go on while it runs.

#include <algorithm>

#include "platform/display/Display.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

namespace {

// Which edges a sizing code moves: left, top, right, bottom.
struct Edges {
  bool l, t, r, b;
};

Edges EdgesOf(int wmsz) {
  switch (wmsz) {
    case 1:
      return { true, false, false, false };
    case 2:
      return { false, false, true, false };
    case 3:
      return { false, true, false, false };
    case 4:
      return { true, true, false, false };
    case 5:
      return { false, true, true, false };
    case 6:
      return { false, false, false, true };
    case 7:
      return { true, false, false, true };
    case 8:
      return { false, false, true, true };
  }
  return { false, false, false, false };
}

RECT SizedRect(const RECT& start, Edges e, int dx, int dy, const MINMAXINFO& mmi) {
  RECT r = start;
  if (e.l) r.left += dx;
  if (e.r) r.right += dx;
  if (e.t) r.top += dy;
  if (e.b) r.bottom += dy;
  int minW = mmi.ptMinTrackSize.x, maxW = std::max(mmi.ptMaxTrackSize.x, mmi.ptMinTrackSize.x);
  int minH = mmi.ptMinTrackSize.y, maxH = std::max(mmi.ptMaxTrackSize.y, mmi.ptMinTrackSize.y);
  int w = std::clamp((int)(r.right - r.left), minW, maxW);
  int h = std::clamp((int)(r.bottom - r.top), minH, maxH);
  if (e.l)
    r.left = r.right - w;
  else
    r.right = r.left + w;
  if (e.t)
    r.top = r.bottom - h;
  else
    r.bottom = r.top + h;
  return r;
}

display::DragKind DragKindOf(int wmsz) {
  using K = display::DragKind;
  static constexpr K kinds[] = { K::SizeLeft,     K::SizeRight,  K::SizeTop,        K::SizeTopLeft,
                                 K::SizeTopRight, K::SizeBottom, K::SizeBottomLeft, K::SizeBottomRight };
  return kinds[std::clamp(wmsz, 1, 8) - 1];
}

// A top-level window's drag goes to the desktop when it can take it, so the user gets the desktop's own
// move and resize; its moves come back as configure notices (WM_MOVE, WM_SIZE each step).
// A drag started from the keyboard (the system menu's Move) holds no button and stays ours.
bool HandToDesktop(Wnd* w, bool moving, int wmsz, POINT start, const MINMAXINFO& mmi) {
  display::Backend* d = CurrentDisplay();
  const TopSurface* s = IsTopLevel(w) ? SurfaceOf(w) : nullptr;
  if (!d || !s || !s->window || GetKeyState(VK_LBUTTON) >= 0) return false;
  d->SetSizeLimits(s->window, { mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y },
                   { mmi.ptMaxTrackSize.x, mmi.ptMaxTrackSize.y });
  return d->BeginMoveSize(s->window, start, display::MouseButton::Left,
                          moving ? display::DragKind::Move : DragKindOf(wmsz));
}

// The loop works in screen coordinates, as WM_MOVING/WM_SIZING report them; child windows (MDI
// children) are placed back in their parent's client coordinates.
void ApplyScreenRect(Wnd* w, const RECT& r) {
  POINT o { 0, 0 };
  if (!IsTopLevel(w)) o = ClientOrigin(w->parent);
  SetPos(w, nullptr, r.left - o.x, r.top - o.y, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// One move or resize: what the user started it with and where the window was.
struct Drag {
  Wnd* w;
  HWND h;
  UINT cmd;
  bool moving;
  Edges edges;
  POINT start;
  RECT startRect;
  MINMAXINFO mmi;
};

// The capture taken for a drag goes when the drag ends, however it ends.
auto CaptureFor(HWND h) {
  SetCapture(h);
  return ScopeExit([h] {
    if (GetCapture() == h) ReleaseCapture();
  });
}

// Every drag runs in a move/size frame; one handed to the desktop says which edge it sizes.
ModalFrame DragFrame(const Drag& d, bool desktop) {
  ModalFrame frame;
  frame.kind = ModalFrame::SizeMove;
  frame.hwnd = d.h;
  if (desktop) {
    frame.desktop = true;
    frame.sizing = d.moving ? 0 : d.cmd & 0x0F;
  }
  return frame;
}

// The desktop runs the drag; the window only waits for the release.
void RunDesktopDrag(const Drag& d) {
  HWND h = d.h;
  // Held as in our own loop: the release after the drag is this window's, not a click elsewhere.
  auto release = CaptureFor(h);
  ModalFrame frame = DragFrame(d, true);
  ModalScope scope(frame);
  while (!scope.Ended() && IsWindow(h) && GetCapture() == h && ModalStep()) {
  }
  if (!IsWindow(h)) return;
  if (GetCapture() == h) ReleaseCapture();
  // WM_MOVING is asked once, where the window was dropped, so a window that adjusts where it lands
  // (magnetic edges) still does.
  if (d.moving) {
    RECT dropped = ScreenRect(d.w), wanted = dropped;
    Send(d.w, WM_MOVING, 0, (LPARAM)&wanted);
    if (!IsWindow(h)) return;
    if (!EqualRectWm(dropped, wanted)) ApplyScreenRect(d.w, wanted);
  }
  Send(d.w, WM_EXITSIZEMOVE, 0, 0);
}

// The window follows the pointer; false when it went away meanwhile.
bool FollowPointer(const Drag& d, const MSG& m) {
  POINT pt { GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam) };
  ClientToScreen(d.h, &pt);
  int dx = pt.x - d.start.x, dy = pt.y - d.start.y;
  RECT r = d.startRect;
  if (d.moving) {
    Offset(r, dx, dy);
    Send(d.w, WM_MOVING, 0, (LPARAM)&r);
  } else {
    r = SizedRect(d.startRect, d.edges, dx, dy, d.mmi);
    Send(d.w, WM_SIZING, d.cmd & 0x0F, (LPARAM)&r);
  }
  if (!IsWindow(d.h)) return false;
  ApplyScreenRect(d.w, r);
  return true;
}

enum class DragStep { Go, Done, Cancelled };

// One message of our own drag loop: the pointer moves the window, Escape cancels and Enter ends,
// other input belongs to the loop while it runs, everything else is dispatched.
DragStep DragMessage(const Drag& d, MSG& m) {
  if (m.hwnd == d.h && (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP)) {
    if (!FollowPointer(d, m)) return DragStep::Done;
    return m.message == WM_LBUTTONUP ? DragStep::Done : DragStep::Go;
  }
  if (m.message == WM_KEYDOWN && (m.wParam == VK_ESCAPE || m.wParam == VK_RETURN))
    return m.wParam == VK_ESCAPE ? DragStep::Cancelled : DragStep::Done;
  if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP || m.message == WM_KEYDOWN || m.message == WM_KEYUP ||
      m.message == WM_CHAR)
    return DragStep::Go;
  TranslateMessage(&m);
  DispatchMessageA(&m);
  return DragStep::Go;
}

void RunOwnDrag(const Drag& d) {
  HWND h = d.h;
  auto release = CaptureFor(h);
  ModalFrame frame = DragFrame(d, false);
  ModalScope scope(frame);
  DragStep step = DragStep::Go;
  while (step == DragStep::Go && !scope.Ended() && IsWindow(h) && GetCapture() == h) {
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      step = DragMessage(d, m);
    else if (!ModalStep())
      break;
  }
  if (!IsWindow(h)) return;
  if (step == DragStep::Cancelled) ApplyScreenRect(d.w, d.startRect);
  if (GetCapture() == h) ReleaseCapture();
  Send(d.w, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace

void SizeMoveLoop(Wnd* w, UINT cmd, POINT start) {
  HWND h = w->handle;
  bool moving = (cmd & 0xFFF0) == SC_MOVE;
  Edges edges = EdgesOf(cmd & 0x0F);
  if (!moving && !edges.l && !edges.r && !edges.t && !edges.b) return;
  if (w->style & WS_MAXIMIZE) return;
  Pin pin(w);
  Send(w, WM_ENTERSIZEMOVE, 0, 0);
  if (!IsWindow(h)) return;
  MINMAXINFO mmi = QueryMinMax(w);
  if (!IsWindow(h)) return;
  Drag d { w, h, cmd, moving, edges, start, ScreenRect(w), mmi };
  if (HandToDesktop(w, moving, int(cmd & 0x0F), start, mmi))
    RunDesktopDrag(d);
  else
    RunOwnDrag(d);
}

void ApplyDesktopRect(Wnd* w, RECT r) {
  HWND h = w->handle;
  const RECT now = ScreenRect(w);
  if (EqualRectWm(now, r)) return;
  const bool resized = r.right - r.left != now.right - now.left || r.bottom - r.top != now.bottom - now.top;
  const ModalFrame* f = TopModal();
  if (resized && f && f->kind == ModalFrame::SizeMove && f->desktop && f->hwnd == h && f->sizing) {
    Send(w, WM_SIZING, f->sizing, (LPARAM)&r);
    if (!IsWindow(h)) return;
  }
  SetPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT DefSysCommand(Wnd* w, WPARAM wParam, LPARAM lParam) {
  HWND h = w->handle;
  UINT cmd = (UINT)(wParam & 0xFFF0);
  POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
  switch (cmd) {
    case SC_CLOSE:
      SendMessageA(h, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(h, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(h, SW_MAXIMIZE);
      break;
    case SC_RESTORE:  // a window neither minimised nor maximised has nothing to come back to
      if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ShowWindow(h, SW_RESTORE);
      break;
    case SC_MOVE:
    case SC_SIZE:
      SizeMoveLoop(w, (UINT)wParam, pt);
      break;
    case SC_KEYMENU:
      if (lParam == VK_SPACE)
        SystemMenuLoop(w, false);
      else if (w->menu && IsMenu(w->menu))
        MenuBarLoop(w, pt, (UINT)lParam ? (UINT)lParam : VK_MENU);
      break;
    case SC_MOUSEMENU:
      if ((wParam & 0x000F) == HTSYSMENU)
        SystemMenuLoop(w, true);
      else if (w->menu && IsMenu(w->menu))
        MenuBarLoop(w, pt, 0);
      break;
  }
  return 0;
}

}  // namespace xj::wm

BOOL SystemParametersInfoA(UINT action, UINT, void* data, UINT) {
  switch (action) {
    case SPI_GETDRAGFULLWINDOWS:
      if (data) *(BOOL*)data = TRUE;
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
      if (data) *(UINT*)data = 3;
      return TRUE;
    case SPI_GETMOUSEHOVERTIME:
      if (data) *(UINT*)data = 400;
      return TRUE;
    case SPI_GETWORKAREA: {
      if (!data) return FALSE;
      MONITORINFO mi { sizeof(MONITORINFO), {}, {}, 0 };
      GetMonitorInfoA(MonitorFromPoint(POINT {}, MONITOR_DEFAULTTOPRIMARY), &mi);
      *(RECT*)data = mi.rcWork;
      return TRUE;
    }
  }
  return FALSE;
}
