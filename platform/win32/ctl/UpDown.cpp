// The "msctls_updown32" window class: two arrow buttons stepping a position between two limits.
//
// A press steps at once, then again after half a second and every tenth of a second while the pointer
// stays on the pressed arrow (the step grows with the acceleration table as the press lasts). Each step
// asks the parent first (UDN_DELTAPOS; a non-zero answer cancels it, and the parent may change the
// delta), then moves the position, writes it into the buddy window when UDS_SETBUDDYINT asks, and tells
// the parent with WM_VSCROLL (WM_HSCROLL with UDS_HORZ) SB_THUMBPOSITION; the release sends
// SB_ENDSCROLL. The "up" arrow (the right one when horizontal) moves toward the upper limit, which may
// lie below the lower one. The default range is 100 down to 0, as the class has always had it.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/WinBase.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/Notify.h"

namespace xj::ctl {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 500;
constexpr UINT kRepeatDelay = 100;

enum Arrow { kNone = 0, kUp = 1, kDown = 2 };

struct UpDown {
  HWND hwnd {};
  bool dead { false };
  int lower { 100 };
  int upper { 0 };
  int pos { 0 };
  int base { 10 };
  HWND buddy {};
  std::vector<UDACCEL> accel { { 0, 1 }, { 2, 5 }, { 5, 20 } };
  Arrow pressed { kNone };
  bool over { false };  // the pointer is on the pressed arrow
  DWORD pressedAt { 0 };
};

StateMap<UpDown>& UpDowns() {
  static auto* m = new StateMap<UpDown>;
  return *m;
}

DWORD StyleOf(const UpDown& u) { return (DWORD)GetWindowLongA(u.hwnd, GWL_STYLE); }
bool Horizontal(const UpDown& u) { return (StyleOf(u) & UDS_HORZ) != 0; }

RECT ArrowRect(const UpDown& u, Arrow p) {
  RECT r {};
  GetClientRect(u.hwnd, &r);
  if (Horizontal(u)) {
    int mid = (r.left + r.right) / 2;
    (p == kUp ? r.left : r.right) = mid;  // up is the right half
  } else {
    int mid = (r.top + r.bottom) / 2;
    (p == kUp ? r.bottom : r.top) = mid;  // up is the top half
  }
  return r;
}

Arrow HitArrow(const UpDown& u, POINT pt) {
  for (Arrow p : { kUp, kDown }) {
    RECT r = ArrowRect(u, p);
    if (PtInRect(&r, pt)) return p;
  }
  return kNone;
}

void RedrawArrow(UpDown& u, Arrow p) {
  if (p == kNone) return;
  RECT r = ArrowRect(u, p);
  InvalidateRect(u.hwnd, &r, FALSE);
}

// ---- Position and buddy -------------------------------------------------------------------------

int Low(const UpDown& u) { return std::min(u.lower, u.upper); }
int High(const UpDown& u) { return std::max(u.lower, u.upper); }

std::string FormatPos(const UpDown& u, int value) {
  char buf[40];
  if (u.base == 16)
    snprintf(buf, sizeof buf, "0x%04X", (unsigned)value);
  else
    snprintf(buf, sizeof buf, "%d", value);
  return buf;
}

void WriteBuddy(UpDown& u) {
  if (!(StyleOf(u) & UDS_SETBUDDYINT) || !u.buddy || !IsWindow(u.buddy)) return;
  SetWindowTextA(u.buddy, FormatPos(u, u.pos).c_str());
}

// The buddy's text read back as a position (UDM_GETPOS asks); false when it is not a number in range.
bool ReadBuddy(UpDown& u) {
  if (!(StyleOf(u) & UDS_SETBUDDYINT) || !u.buddy || !IsWindow(u.buddy)) return true;
  char buf[64] {};
  GetWindowTextA(u.buddy, buf, sizeof buf);
  std::string text;
  for (const char* c = buf; *c; ++c)
    if (*c != ',' && *c != ' ') text += *c;
  if (text.empty()) return false;
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, u.base == 16 ? 16 : 10);
  if (*end || v < Low(u) || v > High(u)) return false;
  u.pos = (int)v;
  return true;
}

void SetPos(UpDown& u, int value) {
  u.pos = std::clamp(value, Low(u), High(u));
  WriteBuddy(u);
}

int CurrentIncrement(const UpDown& u) {
  UINT seconds = (GetTickCount() - u.pressedAt) / 1000;
  int inc = 1;
  for (const UDACCEL& a : u.accel)
    if (a.nSec <= seconds) inc = (int)a.nInc;
  return inc;
}

// One step toward the upper limit (kUp) or the lower one.
void Step(UpDown& u, Arrow p) {
  int toward = u.upper >= u.lower ? 1 : -1;
  NMUPDOWN nm {};
  nm.iPos = u.pos;
  nm.iDelta = (p == kUp ? 1 : -1) * toward * CurrentIncrement(u);
  if (NotifyParentOf(u.hwnd, UDN_DELTAPOS, nm.hdr) != 0 || u.dead) return;
  long long target = (long long)u.pos + nm.iDelta;
  int lo = Low(u), hi = High(u);
  if (target < lo || target > hi) {
    if (!(StyleOf(u) & UDS_WRAP))
      target = std::clamp<long long>(target, lo, hi);
    else
      target = target < lo ? hi : lo;
  }
  if ((int)target == u.pos) return;
  SetPos(u, (int)target);
  if (HWND parent = GetParent(u.hwnd))
    SendMessageA(parent, Horizontal(u) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, (WORD)u.pos),
                 (LPARAM)u.hwnd);
}

// Places the control beside its buddy, narrowing the buddy by the control's width.
void AlignToBuddy(UpDown& u) {
  DWORD style = StyleOf(u);
  if (!(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) || !u.buddy || GetParent(u.buddy) != GetParent(u.hwnd)) return;
  RECT me {}, b {};
  GetWindowRect(u.hwnd, &me);
  GetWindowRect(u.buddy, &b);
  HWND parent = GetParent(u.hwnd);
  MapWindowPoints(nullptr, parent, (POINT*)&b, 2);
  int w = me.right - me.left;
  int bw = std::max(0, (int)(b.right - b.left) - w);
  bool right = (style & UDS_ALIGNRIGHT) != 0;
  SetWindowPos(u.buddy, nullptr, right ? b.left : b.left + w, b.top, bw, b.bottom - b.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(u.hwnd, nullptr, right ? b.left + bw : b.left, b.top, w, b.bottom - b.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND SetBuddy(UpDown& u, HWND buddy) {
  HWND old = u.buddy;
  u.buddy = buddy;
  AlignToBuddy(u);
  WriteBuddy(u);
  return old;
}

// ---- Mouse and keys -----------------------------------------------------------------------------------

void StopPress(UpDown& u, bool notify) {
  if (u.pressed == kNone) return;
  Arrow was = u.pressed;
  u.pressed = kNone;
  KillTimer(u.hwnd, kRepeatTimer);
  RedrawArrow(u, was);
  if (GetCapture() == u.hwnd) ReleaseCapture();
  if (notify && !u.dead)
    if (HWND parent = GetParent(u.hwnd))
      SendMessageA(parent, Horizontal(u) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, (WORD)u.pos),
                   (LPARAM)u.hwnd);
}

void ButtonDown(UpDown& u, POINT pt) {
  Arrow p = HitArrow(u, pt);
  if (p == kNone || !IsWindowEnabled(u.hwnd)) return;
  u.pressed = p;
  u.over = true;
  u.pressedAt = GetTickCount();
  SetCapture(u.hwnd);
  RedrawArrow(u, p);
  Step(u, p);
  if (!u.dead && u.pressed == p) SetTimer(u.hwnd, kRepeatTimer, kFirstDelay, nullptr);
}

void MouseMove(UpDown& u, POINT pt) {
  if (u.pressed == kNone) return;
  bool over = HitArrow(u, pt) == u.pressed;
  if (over == u.over) return;
  u.over = over;
  RedrawArrow(u, u.pressed);
}

void Tick(UpDown& u) {
  if (u.pressed == kNone) {
    KillTimer(u.hwnd, kRepeatTimer);
    return;
  }
  SetTimer(u.hwnd, kRepeatTimer, kRepeatDelay, nullptr);
  if (u.over) Step(u, u.pressed);
}

void KeyDown(UpDown& u, UINT vk) {
  if (!(StyleOf(u) & UDS_ARROWKEYS)) return;
  bool horz = Horizontal(u);
  if (vk == (horz ? (UINT)VK_RIGHT : (UINT)VK_UP)) Step(u, kUp);
  if (vk == (horz ? (UINT)VK_LEFT : (UINT)VK_DOWN)) Step(u, kDown);
}

// ---- Painting -------------------------------------------------------------------------------------------------

void PaintArrow(UpDown& u, HDC dc, Arrow p) {
  RECT r = ArrowRect(u, p);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  bool down = u.pressed == p && u.over;
  RECT edge = r;
  DrawEdge(dc, &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (down) OffsetRect(&r, 1, 1);
  ArrowDir dir =
      Horizontal(u) ? (p == kUp ? ArrowDir::Right : ArrowDir::Left) : (p == kUp ? ArrowDir::Up : ArrowDir::Down);
  DrawArrow(dc, r, dir, GetSysColor(IsWindowEnabled(u.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

void Paint(UpDown& u, HDC dc) {
  PaintArrow(u, dc, kUp);
  PaintArrow(u, dc, kDown);
}

void Created(UpDown& u, const CREATESTRUCTA* cs) {
  if ((cs->style & UDS_AUTOBUDDY) && cs->hwndParent) {
    HWND prev = GetWindow(u.hwnd, GW_HWNDPREV);
    if (prev) SetBuddy(u, prev);
  }
}

// ---- Messages -------------------------------------------------------------------------------------------

LRESULT NcDestroy(UpDown& u, WPARAM wParam, LPARAM lParam) {
  UpDowns().Retire(u.hwnd);
  return DefWindowProcA(u.hwnd, WM_NCDESTROY, wParam, lParam);
}

void PaintMessage(UpDown& u, WPARAM wParam) {
  AnswerPaint(u.hwnd, wParam, RECT {}, [&](HDC dc, const RECT&) { Paint(u, dc); });
}

void EnableMessage(UpDown& u, bool enabled) {
  if (!enabled) StopPress(u, true);
  InvalidateRect(u.hwnd, nullptr, FALSE);
}

void CaptureChanged(UpDown& u, HWND to) {
  if (to != u.hwnd) StopPress(u, true);
}

void TimerMessage(UpDown& u, WPARAM id) {
  if (id == kRepeatTimer) Tick(u);
}

void SetRange(UpDown& u, int lower, int upper) {
  u.lower = lower;
  u.upper = upper;
  SetPos(u, u.pos);
}

void GetRange32(UpDown& u, int* lower, int* upper) {
  if (lower) *lower = u.lower;
  if (upper) *upper = u.upper;
}

LRESULT SetPosMessage(UpDown& u, int pos) {
  int old = u.pos;
  SetPos(u, pos);
  return old;
}

LRESULT GetPos16(UpDown& u) {
  bool ok = ReadBuddy(u);
  return MAKELONG((WORD)u.pos, ok ? 0 : 1);
}

LRESULT GetPos32(UpDown& u, BOOL* failed) {
  bool ok = ReadBuddy(u);
  if (failed) *failed = ok ? FALSE : TRUE;
  return u.pos;
}

LRESULT SetBase(UpDown& u, WPARAM base) {
  if (base != 10 && base != 16) return 0;
  int old = u.base;
  u.base = (int)base;
  WriteBuddy(u);
  return old;
}

LRESULT SetAccel(UpDown& u, WPARAM count, const UDACCEL* a) {
  if (count == 0 || !a) return FALSE;
  u.accel.assign(a, a + count);
  return TRUE;
}

LRESULT GetAccel(UpDown& u, WPARAM count, UDACCEL* out) {
  size_t n = std::min((size_t)count, u.accel.size());
  if (out) std::copy_n(u.accel.begin(), n, out);
  return (LRESULT)u.accel.size();
}

POINT PointOf(LPARAM lParam) { return POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }; }

// The messages answered with zero; false for the others, which go on to DefWindowProcA.
bool ZeroMessage(UpDown& u, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Created(u, (const CREATESTRUCTA*)lParam);
      break;
    case WM_PAINT:
      PaintMessage(u, wParam);
      break;
    case WM_ENABLE:
      EnableMessage(u, wParam != 0);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(u, PointOf(lParam));
      break;
    case WM_MOUSEMOVE:
      MouseMove(u, PointOf(lParam));
      break;
    case WM_LBUTTONUP:
      StopPress(u, true);
      break;
    case WM_CAPTURECHANGED:
      CaptureChanged(u, (HWND)lParam);
      break;
    case WM_TIMER:
      TimerMessage(u, wParam);
      break;
    case WM_KEYDOWN:
      KeyDown(u, (UINT)wParam);
      break;
    case UDM_SETRANGE:
      SetRange(u, (short)HIWORD(lParam), (short)LOWORD(lParam));
      break;
    case UDM_SETRANGE32:
      SetRange(u, (int)wParam, (int)lParam);
      break;
    case UDM_GETRANGE32:
      GetRange32(u, (int*)wParam, (int*)lParam);
      break;
    default:
      return false;
  }
  return true;
}

LRESULT Handle(UpDown& u, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(u, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case UDM_GETRANGE:
      return MAKELONG((WORD)u.upper, (WORD)u.lower);
    case UDM_SETPOS:
      return SetPosMessage(u, (short)LOWORD(lParam));
    case UDM_SETPOS32:
      return SetPosMessage(u, (int)lParam);
    case UDM_GETPOS:
      return GetPos16(u);
    case UDM_GETPOS32:
      return GetPos32(u, (BOOL*)lParam);
    case UDM_SETBUDDY:
      return (LRESULT)SetBuddy(u, (HWND)wParam);
    case UDM_GETBUDDY:
      return (LRESULT)u.buddy;
    case UDM_SETBASE:
      return SetBase(u, wParam);
    case UDM_GETBASE:
      return u.base;
    case UDM_SETACCEL:
      return SetAccel(u, wParam, (const UDACCEL*)lParam);
    case UDM_GETACCEL:
      return GetAccel(u, wParam, (UDACCEL*)lParam);
    default:
      return ZeroMessage(u, msg, wParam, lParam) ? 0 : DefWindowProcA(u.hwnd, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return UpDowns().Route(hwnd, msg, wParam, lParam, Handle);
}

}  // namespace xj::ctl
