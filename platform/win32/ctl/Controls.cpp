// Registration of the built-in control classes, and the helpers they share.

#include "platform/win32/WmInternal.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/HeaderList.h"

namespace xj::wm {

void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background);  // Wm_window.cpp

// Both classes want double clicks (word selection, LBN_DBLCLK) and paint their own background.
void RegisterControlClasses() {
  RegisterSystemClass(WC_EDITA, xj::ctl::EditProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_LISTBOXA, xj::ctl::ListBoxProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_HEADERA, xj::ctl::HeaderProc, 0, nullptr);
  RegisterSystemClass(WC_LISTVIEWA, xj::ctl::ListViewProc, CS_DBLCLKS, nullptr);
}

}  // namespace xj::wm

namespace xj::ctl {

void NotifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  WORD id = (WORD)GetWindowLongPtrA(hwnd, GWL_ID);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)hwnd);
}

HBRUSH AskColours(HWND hwnd, HDC dc, UINT msg) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetBkMode(dc, OPAQUE);
  HWND parent = GetParent(hwnd);
  HBRUSH answer = parent ? (HBRUSH)SendMessageA(parent, msg, (WPARAM)dc, (LPARAM)hwnd) : nullptr;
  return answer ? answer : GetSysColorBrush(COLOR_WINDOW);
}

bool IsNullBrush(HBRUSH brush) {
  if (brush == (HBRUSH)GetStockObject(NULL_BRUSH)) return true;
  LOGBRUSH lb {};
  return GetObjectA(brush, sizeof lb, &lb) == (int)sizeof lb && lb.lbStyle == BS_NULL;
}

void FillUnlessNull(HDC dc, const RECT& rc, HBRUSH brush) {
  if (!IsNullBrush(brush)) FillRect(dc, &rc, brush);
}

HFONT FontOrDefault(HFONT font) { return font ? font : (HFONT)GetStockObject(SYSTEM_FONT); }

TEXTMETRICA MetricsOf(HWND hwnd, HFONT font) {
  TEXTMETRICA tm {};
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, FontOrDefault(font));
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  if (tm.tmHeight <= 0) tm.tmHeight = 16;
  return tm;
}

}  // namespace xj::ctl
