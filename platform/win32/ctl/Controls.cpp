// Registration of the built-in control classes, and the helpers they share.

#include <algorithm>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/WmInternal.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/HeaderList.h"

namespace xj::wm {

void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background);  // Wm_window.cpp

// Both classes want double clicks (word selection, LBN_DBLCLK) and paint their own background.
void RegisterControlClasses() {
  RegisterSystemClass(WC_EDITA, xj::ctl::EditProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_LISTBOXA, xj::ctl::ListBoxProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_HEADERA, xj::ctl::HeaderProc, 0, nullptr);
  RegisterSystemClass(WC_LISTVIEWA, xj::ctl::ListViewProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_TABCONTROLA, xj::ctl::TabControlProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(UPDOWN_CLASSA, xj::ctl::UpDownProc, 0, nullptr);
  RegisterSystemClass(RICHEDIT_CLASSA, xj::ctl::RichEditProc, CS_DBLCLKS, nullptr);
  RegisterSystemClass(WC_TREEVIEWA, xj::ctl::TreeViewProc, CS_DBLCLKS, nullptr);
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

int ScrollTarget(int code, WPARAM wParam, LPARAM lParam, int current, int line, int page, int last) {
  switch (code) {
    case SB_LINEUP:
      return current - line;
    case SB_LINEDOWN:
      return current + line;
    case SB_PAGEUP:
      return current - page;
    case SB_PAGEDOWN:
      return current + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      return HIWORD(wParam);
    case SBX_THUMBPOSITION32:
      return (int)lParam;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return last;
  }
  return current;
}

int WheelNotches(int& rest, WPARAM wParam) {
  rest += (short)HIWORD(wParam);
  int notches = rest / WHEEL_DELTA;
  rest -= notches * WHEEL_DELTA;
  return notches;
}

HFONT FontOrDefault(HFONT font) { return font ? font : (HFONT)GetStockObject(SYSTEM_FONT); }

// A memory DC measures as the window's own would (text depends on the font alone) without working out
// what of the window shows.
TEXTMETRICA MetricsOf(HFONT font) {
  font = FontOrDefault(font);
  TEXTMETRICA tm {};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (tm.tmHeight <= 0) tm.tmHeight = 16;
  return tm;
}

// Byte by byte with the letters of each string folded where a character starts (a GBK trail byte is
// never a letter), without copying either string: sorted lists compare on every insert.
bool SortsBefore(const std::string& a, const std::string& b) {
  size_t nextA = 0, nextB = 0;  // where the next character starts in each
  for (size_t i = 0;; ++i) {
    if (i == b.size()) return false;
    if (i == a.size()) return true;
    unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (i == nextA) {
      nextA += EditText::CharLength(a, i);
      if (x >= 'A' && x <= 'Z') x = (unsigned char)(x + 32);
    }
    if (i == nextB) {
      nextB += EditText::CharLength(b, i);
      if (y >= 'A' && y <= 'Z') y = (unsigned char)(y + 32);
    }
    if (x != y) return x < y;
  }
}

}  // namespace xj::ctl
