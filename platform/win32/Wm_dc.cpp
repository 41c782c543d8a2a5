// Device contexts of windows, window regions and layered windows. (Pixels arrive with the GDI.)

#include <cerrno>

#include "platform/win32/WmDc.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

HDC PaintDC(Wnd*, const Region&) { return nullptr; }
bool RegionFromHrgn(HRGN, Region&) { return false; }
int RegionToHrgn(const Region&, HRGN) { return 0; }
LRESULT DefEraseBackground(Wnd* w, HDC) { return w->cls && w->cls->background ? 1 : 0; }
bool WindowRegionContains(const Wnd*, POINT) { return true; }
void LayeredStyleChanged(Wnd*, bool) {}
std::vector<RECT> WindowShapeRects(const Wnd*, bool& shaped) {
  shaped = false;
  return {};
}
void PaintFrame(Wnd*, HDC) {}
void SetPressedButton(Wnd* w, int hit) { w->pressedButton = hit; }

}  // namespace xj::wm

using namespace xj::wm;

HDC GetDCEx(HWND, HRGN, DWORD) { return nullptr; }
HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, 0); }
HDC GetWindowDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_WINDOW); }
int ReleaseDC(HWND, HDC) { return 1; }
HWND WindowFromDC(HDC) { return nullptr; }
int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL) {
  Wnd* w = Checked(hwnd);
  if (!w) return 0;
  w->region = rgn;
  return 1;
}
int GetWindowRgn(HWND, HRGN) { return 0; }
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  w->colorKey = key;
  w->alpha = alpha;
  w->alphaSet = true;
  w->layeredFlags = flags;
  return TRUE;
}
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  if (key) *key = w->colorKey;
  if (alpha) *alpha = w->alpha;
  if (flags) *flags = w->layeredFlags;
  return TRUE;
}
int ScrollWindowEx(HWND, int, int, const RECT*, const RECT*, HRGN, LPRECT, UINT) { return 0; }
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, SW_INVALIDATE | SW_ERASE) != 0;
}
BOOL LockWindowUpdate(HWND) { return TRUE; }
