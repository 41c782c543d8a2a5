// Shell_NotifyIconA: the notification area's icons, their pictures and tips, and the mouse on them.
// A tip shows, in a small window of its own, when the pointer rests on its icon.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/display/Display.h"
#include "platform/win32/NotifyArea.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

namespace {

struct Entry {
  NotifyIcon icon;
  xj::display::Image picture;
};

struct NotifyState : StatePart {
  std::vector<Entry> entries;  // in the order they were added
  uint32_t lastId { 0 };
  struct {
    bool valid { false };
    uint32_t icon { 0 };
    display::MouseButton button {};
    DWORD time { 0 };
    POINT pt {};
  } lastDown;
  HWND tip {};             // the tip's window, made the first time one is due
  uint32_t tipIcon { 0 };  // the icon whose tip is due or shown
  POINT tipAt {};          // where the pointer rests
};

NotifyState& S() { return Part<NotifyState>(PartId::NotifyArea); }

// The largest picture kept: no desktop's tray asks for more, and a huge icon must not cost megabytes.
constexpr int kMaxPicture = 128;

// An icon's own pixels as 0xAARRGGBB: opaque where its AND mask is clear, transparent where it is set.
bool RenderIcon(HICON icon, display::Image& out) {
  out = display::Image();
  if (!icon) return true;
  ICONINFO info {};
  if (!GetIconInfo(icon, &info)) return false;
  BITMAP bm {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  int w = std::max<int>(bm.bmWidth, 1), h = std::max<int>(info.hbmColor ? bm.bmHeight : bm.bmHeight / 2, 1);
  if (w > kMaxPicture || h > kMaxPicture) {  // smaller, in proportion
    int longer = std::max(w, h);
    w = std::max(1, w * kMaxPicture / longer);
    h = std::max(1, h * kMaxPicture / longer);
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);

  BITMAPINFO bi {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* maskBits = nullptr;
  void* colourBits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &maskBits, nullptr, 0);
  HBITMAP colour = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &colourBits, nullptr, 0);
  bool drawn = false;
  if (mask && colour) {
    HGDIOBJ old = SelectObject(dc, mask);
    drawn = DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_MASK);
    SelectObject(dc, colour);
    drawn = drawn && DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_IMAGE);
    SelectObject(dc, old);
    GdiFlush();
  }
  if (drawn) {
    out = display::Image(w, h);
    const auto* m = static_cast<const uint32_t*>(maskBits);
    const auto* c = static_cast<const uint32_t*>(colourBits);
    for (size_t i = 0; i < out.pixels.size(); ++i)
      out.pixels[i] = (m[i] & 0xFFFFFF) ? 0 : 0xFF000000 | (c[i] & 0xFFFFFF);
  }
  if (mask) DeleteObject(mask);
  if (colour) DeleteObject(colour);
  DeleteDC(dc);
  return drawn;
}

// szTip up to its NUL, at most 127 bytes, without a lead byte whose trail byte the cut left behind.
std::string TipOf(const CHAR (&tip)[128]) {
  const char* end = static_cast<const char*>(std::memchr(tip, 0, sizeof tip));
  if (!end) end = tip + sizeof tip - 1;
  const char* p = tip;
  while (p < end) {
    auto lead = static_cast<unsigned char>(*p);
    if (lead >= 0x81 && lead <= 0xFE && end - p == 1) break;
    p += GbkCharLength(p, end);
  }
  return std::string(tip, p);
}

Entry* Find(HWND hwnd, UINT id) {
  for (Entry& e : S().entries)
    if (e.icon.hwnd == hwnd && e.icon.id == id) return &e;
  return nullptr;
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

UINT MouseMessage(const display::Event& e, bool doubleClick) {
  int column = e.button == display::MouseButton::Right ? 1 : e.button == display::MouseButton::Middle ? 2 : 0;
  static const UINT kDown[3] = { WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN };
  if (e.type == display::EventType::TrayMouseMove) return WM_MOUSEMOVE;
  if (e.type == display::EventType::TrayButtonUp) return kDown[column] + 1;
  return kDown[column] + (doubleClick ? 2 : 0);
}

// A press that repeats the last one on the same icon, with the same button, soon and near enough.
bool IsDoubleClick(const display::Event& e, DWORD time) {
  auto& last = S().lastDown;
  bool same = last.valid && last.icon == e.trayIcon && last.button == e.button &&
              time - last.time <= GetDoubleClickTime() && std::abs(e.pt.x - last.pt.x) <= 2 &&
              std::abs(e.pt.y - last.pt.y) <= 2;
  last = { !same, e.trayIcon, e.button, time, e.pt };
  return same;
}

// ---- The tip -------------------------------------------------------------------------------------------

constexpr UINT_PTR kTipShow = 1, kTipHide = 2;
constexpr UINT kTipDelay = 500, kTipLife = 5000;  // ms: the pointer's rest before it, how long it stays
constexpr char kTipClass[] = "XjTrayTip";

void HideTip() {
  NotifyState& s = S();
  if (!IsWindow(s.tip)) return;
  KillTimer(s.tip, kTipShow);
  KillTimer(s.tip, kTipHide);
  ShowWindow(s.tip, SW_HIDE);
}

RECT TipTextRect(HDC dc, const std::string& text) {
  RECT r {};
  DrawTextA(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  return r;
}

// Above the pointer (the notification area sits at the bottom), kept on the screen.
void ShowTipNow(HWND h) {
  NotifyState& s = S();
  KillTimer(h, kTipShow);
  auto it =
      std::find_if(s.entries.begin(), s.entries.end(), [&](const Entry& e) { return e.icon.displayId == s.tipIcon; });
  if (it == s.entries.end() || it->icon.tip.empty()) return;
  SetWindowTextA(h, it->icon.tip.c_str());
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT text = TipTextRect(dc, it->icon.tip);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  const int w = int(text.right - text.left) + 8, ht = int(text.bottom - text.top) + 6;
  const int sw = GetSystemMetrics(SM_CXSCREEN);
  int x = std::clamp(int(s.tipAt.x) - w / 2, 0, std::max(0, sw - w));
  int y = std::max(0, int(s.tipAt.y) - ht - 4);
  SetWindowPos(h, HWND_TOPMOST, x, y, w, ht, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(h, nullptr, TRUE);
  SetTimer(h, kTipHide, kTipLife, nullptr);
}

void PaintTip(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
  FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  char text[128] = {};
  int n = GetWindowTextA(h, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  InflateRect(&r, -4, -3);
  DrawTextA(dc, text, n, &r, DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(h, &ps);
}

LRESULT CALLBACK TipProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintTip(h);
      return 0;
    case WM_TIMER:
      if (wParam == kTipShow) ShowTipNow(h);
      if (wParam == kTipHide) HideTip();
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // a tip never takes the mouse
    default:
      return DefWindowProcA(h, msg, wParam, lParam);
  }
}

HWND TipWindow() {
  NotifyState& s = S();
  if (IsWindow(s.tip)) return s.tip;
  WNDCLASSA wc {};
  wc.lpfnWndProc = TipProc;
  wc.lpszClassName = kTipClass;
  RegisterClassA(&wc);  // fails harmlessly once the class is there
  s.tip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTipClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                          nullptr, nullptr);
  return s.tip;
}

// The pointer moved on an icon: its tip is due once the pointer rests there; a press puts it away.
void TrackTip(const display::Event& e, const NotifyIcon& icon) {
  NotifyState& s = S();
  if (e.type != display::EventType::TrayMouseMove || icon.tip.empty()) {
    HideTip();
    return;
  }
  HWND h = TipWindow();
  if (!h || (IsWindowVisible(h) && s.tipIcon == icon.displayId)) return;
  if (IsWindowVisible(h)) HideTip();
  s.tipIcon = icon.displayId;
  s.tipAt = e.pt;
  SetTimer(h, kTipShow, kTipDelay, nullptr);
}

}  // namespace

std::vector<NotifyIcon> NotifyIcons() {
  std::vector<NotifyIcon> icons;
  for (const Entry& e : S().entries) icons.push_back(e.icon);
  return icons;
}

void ShowNotifyIcons() {
  // A tip whose icon has gone goes with it.
  NotifyState& s = S();
  if (std::none_of(s.entries.begin(), s.entries.end(), [&](const Entry& e) { return e.icon.displayId == s.tipIcon; }))
    HideTip();
  display::Backend* d = CurrentDisplay();
  if (!d) return;
  std::vector<display::TrayIcon> shown;
  for (const Entry& e : s.entries) shown.push_back({ e.icon.displayId, e.picture, GbkToUtf8(e.icon.tip) });
  d->SetTrayIcons(std::move(shown));
}

void NotifyAreaInput(const display::Event& e) {
  auto it = std::find_if(S().entries.begin(), S().entries.end(),
                         [&](const Entry& x) { return x.icon.displayId == e.trayIcon; });
  if (it == S().entries.end()) return;
  NotifyIcon icon = it->icon;
  NoteCursor(e.pt);
  TrackTip(e, icon);
  bool doubleClick = e.type == display::EventType::TrayButtonDown && IsDoubleClick(e, e.time ? e.time : NowTick());
  if (!icon.hasCallback) return;
  if (Wnd* w = FromHandle(icon.hwnd)) Send(w, icon.callback, icon.id, LPARAM(MouseMessage(e, doubleClick)));
}

void NotifyAreaCreated() { SendMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0); }

void RestartNotifyArea() {
  S().entries.clear();
  ShowNotifyIcons();
  NotifyAreaCreated();
}

void ForgetNotifyIcons(HWND hwnd) {
  auto& entries = S().entries;
  size_t before = entries.size();
  std::erase_if(entries, [&](const Entry& e) { return e.icon.hwnd == hwnd; });
  if (entries.size() == before) return;
  ShowNotifyIcons();
}

}  // namespace xj::wm

using namespace xj::wm;

BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
  if (!lpData || (lpData->cbSize != NOTIFYICONDATAA_V2_SIZE && lpData->cbSize != sizeof(NOTIFYICONDATAA)))
    return Fail(ERROR_INVALID_PARAMETER);
  const NOTIFYICONDATAA& d = *lpData;
  Entry* found = Find(d.hWnd, d.uID);
  NotifyState& s = S();
  switch (dwMessage) {
    case NIM_ADD:
      if (!IsWindow(d.hWnd)) return Fail(ERROR_INVALID_HANDLE);
      if (found) return Fail(ERROR_ALREADY_EXISTS);
      break;
    case NIM_MODIFY:
      if (!found) return Fail(ERROR_NOT_FOUND);
      break;
    case NIM_DELETE:
      if (!found) return Fail(ERROR_NOT_FOUND);
      s.entries.erase(s.entries.begin() + (found - s.entries.data()));
      ShowNotifyIcons();
      return TRUE;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  // Everything that can fail comes before anything changes.
  xj::display::Image picture;
  if ((d.uFlags & NIF_ICON) && !RenderIcon(d.hIcon, picture)) return Fail(ERROR_INVALID_HANDLE);
  if (!found) {
    s.entries.push_back(Entry { NotifyIcon { d.hWnd, d.uID, false, 0, {}, ++s.lastId }, {} });
    found = &s.entries.back();
  }
  if (d.uFlags & NIF_MESSAGE) {
    found->icon.hasCallback = true;
    found->icon.callback = d.uCallbackMessage;
  }
  if (d.uFlags & NIF_ICON) found->picture = std::move(picture);
  if (d.uFlags & NIF_TIP) found->icon.tip = TipOf(d.szTip);
  EnsureDisplay();
  ShowNotifyIcons();
  return TRUE;
}
