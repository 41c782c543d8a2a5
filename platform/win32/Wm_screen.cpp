// The one screen: its size and work area (from the display back-end, or set by the harness) and the
// monitor functions over it.

#include <cerrno>

#include "platform/display/Display.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

namespace {
struct Screen : StatePart {
  RECT monitor { 0, 0, 1024, 768 };
  RECT work { 0, 0, 1024, 738 };
};
Screen& Scr() { return Part<Screen>(PartId::Screen); }
const HMONITOR kPrimary = (HMONITOR)(uintptr_t)0x1000;
}  // namespace

// The monitor's rectangle and the system metrics that follow the screen say the same thing.
void SetScreenGeometry(const RECT& monitor, const RECT& work) {
  Scr().monitor = monitor;
  Scr().work = work;
  gdi::SetScreenMetrics(monitor.right - monitor.left, monitor.bottom - monitor.top, work);
}

void ReadScreenGeometry() {
  display::Backend* d = CurrentDisplay();
  if (!d) return;
  const SIZE size = d->ScreenSize();
  SetScreenGeometry(RECT { 0, 0, size.cx, size.cy }, d->WorkArea());
}

}  // namespace xj::wm

using namespace xj::wm;

HMONITOR MonitorFromPoint(POINT pt, DWORD flags) {
  if (flags == MONITOR_DEFAULTTONULL && !InRect(Scr().monitor, pt)) return nullptr;
  return kPrimary;
}

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) {
  if (!rect) return flags == MONITOR_DEFAULTTONULL ? nullptr : kPrimary;
  const RECT& m = Scr().monitor;
  bool overlap = rect->left < m.right && rect->right > m.left && rect->top < m.bottom && rect->bottom > m.top;
  if (!overlap && flags == MONITOR_DEFAULTTONULL) return nullptr;
  return kPrimary;
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  Wnd* w = FromHandle(hwnd);
  if (!w) return flags == MONITOR_DEFAULTTONULL ? nullptr : kPrimary;
  RECT r = ScreenRect(w);
  return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
  if (monitor != kPrimary || !info || info->cbSize < sizeof(MONITORINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = Scr().monitor;
  info->rcWork = Scr().work;
  info->dwFlags = MONITORINFOF_PRIMARY;
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Wnd probe;
  probe.style = style;
  probe.exStyle = exStyle;
  probe.rect = RECT { 0, 0, 1000, 1000 };
  RECT c = DefaultClientFor(&probe, probe.rect);
  int menuH = (menu && !(style & WS_CHILD)) ? 19 : 0;
  rect->left -= c.left;
  rect->top -= c.top + menuH;
  rect->right += 1000 - c.right;
  rect->bottom += 1000 - c.bottom;
  return TRUE;
}
