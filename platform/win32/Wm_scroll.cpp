// Scroll-bar state, kept per window even when the bar is not shown, and the tracked press on the
// standard scroll bars of the non-client area.

#include <algorithm>
#include <cerrno>

#include "platform/win32/WmNonClient.h"

namespace xj::wm {

namespace {

ScrollBar* BarOf(Wnd* w, int bar) {
  if (bar == SB_HORZ) return &w->hbar;
  if (bar == SB_VERT) return &w->vbar;
  return nullptr;
}

int MaxPos(const ScrollBar& b) {
  int m = b.max - std::max<int>((int)b.page - 1, 0);
  return std::max(m, b.min);
}

void Clamp(ScrollBar& b) { b.pos = std::clamp(b.pos, b.min, MaxPos(b)); }

// A bar that appears or disappears changes the client area.
void BarGeometryChanged(Wnd* w, const Frame& before) {
  Frame after = FrameOf(w);
  if (after.vscroll != before.vscroll || after.hscroll != before.hscroll)
    SetPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  else
    InvalidateFrame(w);
}

struct BarGeometry {
  RECT bar {};
  RECT up {};
  RECT down {};
  RECT thumb {};
  int trackStart { 0 };
  int trackLength { 0 };
  int thumbLength { 0 };
  bool vertical { true };
};

BarGeometry GeometryOf(Wnd* w, int bar) {
  FrameParts p = PartsOf(w);
  BarGeometry g;
  g.vertical = bar == SB_VERT;
  g.bar = g.vertical ? p.vscroll : p.hscroll;
  ScrollBar& b = *BarOf(w, bar);
  int len = g.vertical ? g.bar.bottom - g.bar.top : g.bar.right - g.bar.left;
  int arrow = std::min(16, len / 2);
  if (g.vertical) {
    g.up = RECT { g.bar.left, g.bar.top, g.bar.right, g.bar.top + arrow };
    g.down = RECT { g.bar.left, g.bar.bottom - arrow, g.bar.right, g.bar.bottom };
  } else {
    g.up = RECT { g.bar.left, g.bar.top, g.bar.left + arrow, g.bar.bottom };
    g.down = RECT { g.bar.right - arrow, g.bar.top, g.bar.right, g.bar.bottom };
  }
  g.trackStart = arrow;
  g.trackLength = std::max(len - 2 * arrow, 0);
  int range = b.max - b.min + 1;
  g.thumbLength = b.page ? std::max(8, (int)((int64_t)g.trackLength * (int)b.page / std::max(range, 1))) : 16;
  g.thumbLength = std::min(g.thumbLength, g.trackLength);
  int span = MaxPos(b) - b.min;
  int free = g.trackLength - g.thumbLength;
  int offset = span > 0 ? (int)((int64_t)(b.pos - b.min) * free / span) : 0;
  int t0 = g.trackStart + offset;
  if (g.vertical)
    g.thumb = RECT { g.bar.left, g.bar.top + t0, g.bar.right, g.bar.top + t0 + g.thumbLength };
  else
    g.thumb = RECT { g.bar.left + t0, g.bar.top, g.bar.left + t0 + g.thumbLength, g.bar.bottom };
  return g;
}

void SendScroll(HWND h, int bar, int code, int pos) {
  UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  SendMessageA(h, msg, MAKEWPARAM(code, (WORD)pos), 0);
}

}  // namespace

BarPartsForPaint ScrollBarParts(Wnd* w, int bar) {
  BarGeometry g = GeometryOf(w, bar);
  return BarPartsForPaint { g.bar, g.up, g.down, g.thumb, g.vertical };
}

namespace {

const UINT_PTR kBarRepeat = 0xFFF0;

// A press on a scroll bar: the part pressed (an arrow or page code, or the thumb) and where the thumb
// was grabbed.
struct BarPress {
  Wnd* w;
  HWND h;
  int bar;
  BarGeometry g;
  RECT sr;  // the window on the screen when the press began
  int code { -1 };
  bool thumb { false };
  int grab { 0 };
  int trackPos { 0 };
};

BarPress PressAt(Wnd* w, int bar, POINT screen) {
  BarPress p { w, w->handle, bar, GeometryOf(w, bar), ScreenRect(w) };
  const BarGeometry& g = p.g;
  POINT pt { screen.x - p.sr.left, screen.y - p.sr.top };
  if (InRect(g.up, pt))
    p.code = SB_LINEUP;
  else if (InRect(g.down, pt))
    p.code = SB_LINEDOWN;
  else if (InRect(g.thumb, pt))
    p.thumb = true;
  else
    p.code = (g.vertical ? pt.y < g.thumb.top : pt.x < g.thumb.left) ? SB_PAGEUP : SB_PAGEDOWN;
  p.grab = g.vertical ? pt.y - g.thumb.top : pt.x - g.thumb.left;
  return p;
}

// The thumb follows the pointer; moves report SB_THUMBTRACK.
void DragThumb(BarPress& p, const MSG& m) {
  const BarGeometry& g = p.g;
  POINT pt { GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam) };
  ClientToScreen(p.h, &pt);
  int along = (g.vertical ? pt.y - p.sr.top - g.bar.top : pt.x - p.sr.left - g.bar.left) - g.trackStart - p.grab;
  int free = std::max(g.trackLength - g.thumbLength, 1);
  ScrollBar& sb = *BarOf(p.w, p.bar);
  int span = MaxPos(sb) - sb.min;
  p.trackPos = sb.min + (int)((int64_t)std::clamp(along, 0, free) * span / free);
  sb.trackPos = p.trackPos;
  if (m.message == WM_MOUSEMOVE) SendScroll(p.h, p.bar, SB_THUMBTRACK, p.trackPos);
}

// One message while the bar is held; false when the press is over.
bool BarMessage(BarPress& p, MSG& m) {
  if (m.hwnd == p.h && m.message == WM_TIMER && m.wParam == kBarRepeat) {
    SendScroll(p.h, p.bar, p.code, 0);
    return true;
  }
  if (m.hwnd == p.h && (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP)) {
    if (p.thumb && IsWindow(p.h)) DragThumb(p, m);
    return m.message != WM_LBUTTONUP;
  }
  TranslateMessage(&m);
  DispatchMessageA(&m);
  return true;
}

// A thumb dropped reports where; every press ends with SB_ENDSCROLL.
void EndPress(const BarPress& p) {
  HWND h = p.h;
  if (p.thumb) {
    SendScroll(h, p.bar, SB_THUMBPOSITION, p.trackPos);
    if (IsWindow(h))
      SendMessageA(h, p.bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SBX_THUMBPOSITION32, 0),
                   (LPARAM)p.trackPos);
  }
  if (IsWindow(h)) SendScroll(h, p.bar, SB_ENDSCROLL, 0);
}

}  // namespace

// A press on a standard scroll bar: arrows and the page areas repeat while held; dragging the thumb
// reports SB_THUMBTRACK, and the release SB_THUMBPOSITION (16 bits) followed by SBX_THUMBPOSITION32
// with the full position in lParam, then SB_ENDSCROLL.
void TrackScrollBar(Wnd* w, int bar, POINT screen) {
  HWND h = w->handle;
  ScrollBar* b = BarOf(w, bar);
  if (!b || b->max <= b->min || (b->disabledArrows & 3) == 3) return;
  BarPress p = PressAt(w, bar, screen);
  if (p.code >= 0) SendScroll(h, bar, p.code, 0);
  SetCapture(h);
  if (p.code >= 0) SetTimer(h, kBarRepeat, 100, nullptr);
  p.trackPos = b->pos;
  ScopeExit release([h] {
    KillTimer(h, kBarRepeat);
    if (GetCapture() == h) ReleaseCapture();
  });
  while (IsWindow(h) && GetCapture() == h) {
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!BarMessage(p, m)) break;
    } else if (!ModalStep()) {
      break;
    }
  }
  if (!IsWindow(h)) return;
  KillTimer(h, kBarRepeat);
  if (GetCapture() == h) ReleaseCapture();
  EndPress(p);
}

}  // namespace xj::wm

using namespace xj::wm;

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  Wnd* w = Checked(hwnd);
  ScrollBar* b = w ? BarOf(w, bar) : nullptr;
  if (!b || !info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Frame before = FrameOf(w);
  if (info->fMask & SIF_RANGE) {
    b->min = info->nMin;
    b->max = info->nMax;
  }
  if (info->fMask & SIF_PAGE) b->page = std::min<UINT>(info->nPage, (UINT)std::max(b->max - b->min + 1, 0));
  if (info->fMask & SIF_POS) b->pos = info->nPos;
  Clamp(*b);
  if (redraw)
    BarGeometryChanged(w, before);
  else if (FrameOf(w).vscroll != before.vscroll || FrameOf(w).hscroll != before.hscroll)
    BarGeometryChanged(w, before);
  return b->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  Wnd* w = Checked(hwnd);
  ScrollBar* b = w ? BarOf(w, bar) : nullptr;
  if (!b || !info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->fMask & SIF_RANGE) {
    info->nMin = b->min;
    info->nMax = b->max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = b->page;
  if (info->fMask & SIF_POS) info->nPos = b->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b->trackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Wnd* w = Checked(hwnd);
  ScrollBar* b = w ? BarOf(w, bar) : nullptr;
  if (!b) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = b->pos;
  b->pos = pos;
  Clamp(*b);
  if (redraw) InvalidateFrame(w);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  Wnd* w = Checked(hwnd);
  ScrollBar* b = w ? BarOf(w, bar) : nullptr;
  return b ? b->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si { sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0 };
  if (!Checked(hwnd) || (bar != SB_HORZ && bar != SB_VERT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  SCROLLINFO si { sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0 };
  if (!GetScrollInfo(hwnd, bar, &si)) return FALSE;
  if (minPos) *minPos = si.nMin;
  if (maxPos) *maxPos = si.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Wnd* w = Checked(hwnd);
  if (!w || bar < SB_HORZ || bar == SB_CTL || bar > SB_BOTH) {
    if (w) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : (WS_HSCROLL | WS_VSCROLL);
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return TRUE;
  w->style = style;
  SetPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  if (bar == SB_HORZ || bar == SB_BOTH) w->hbar.disabledArrows = arrows;
  if (bar == SB_VERT || bar == SB_BOTH) w->vbar.disabledArrows = arrows;
  InvalidateFrame(w);
  return TRUE;
}
