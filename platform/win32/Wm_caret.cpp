// The caret: one per thread, owned by a window, shown when its hide count is zero, drawn by inverting
// its rectangle in the owner's client area. It blinks with the clock (every GetCaretBlinkTime ms);
// under a manual clock it stays on, so tests see it steadily.

#include <cerrno>

#include "platform/win32/Clock.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {
namespace {
struct Caret : StatePart {
  HWND owner {};
  int width { 0 };
  int height { 0 };
  POINT pos {};
  int hidden { 1 };  // a new caret starts hidden
  bool drawn { false };
  UINT_PTR blink { 0 };
};
Caret& C() { return Part<Caret>(PartId::Caret); }

void Invert(Caret& c) {
  if (!IsWindow(c.owner)) return;
  HDC dc = GetDC(c.owner);
  RECT r { c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height };
  InvertRect(dc, &r);
  ReleaseDC(c.owner, dc);
  c.drawn = !c.drawn;
}

void Undraw(Caret& c) {
  if (c.drawn) Invert(c);
  c.drawn = false;
}

void Blink(HWND, UINT, UINT_PTR, DWORD) {
  Caret& c = C();
  if (c.owner && c.hidden == 0) Invert(c);
}
}  // namespace

// The caret's rectangle in the owner's client coordinates while it is shown; empty otherwise.
bool CaretShown(HWND& owner, RECT& r) {
  Caret& c = C();
  if (!c.owner || !IsWindow(c.owner) || c.hidden > 0) return false;
  owner = c.owner;
  r = RECT { c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height };
  return true;
}

}  // namespace xj::wm

using namespace xj::wm;

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!Checked(hwnd)) return FALSE;
  DestroyCaret();
  Caret& c = C();
  c.owner = hwnd;
  c.width = width > 0 ? width : 1;
  c.height = height > 0 ? height : 16;
  if (!xj::CurrentClock().IsManual()) c.blink = SetTimer(nullptr, 0, GetCaretBlinkTime(), Blink);
  return TRUE;
}

BOOL DestroyCaret() {
  Caret& c = C();
  if (!c.owner) {
    Fail(EINVAL);
    return FALSE;
  }
  Undraw(c);
  if (c.blink) KillTimer(nullptr, c.blink);
  c = Caret {};
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& c = C();
  if (!c.owner) {
    Fail(EINVAL);
    return FALSE;
  }
  bool was = c.drawn;
  Undraw(c);
  c.pos = POINT { x, y };
  if (was) Invert(c);
  return TRUE;
}

BOOL GetCaretPos(LPPOINT pt) {
  if (!pt) return FALSE;
  *pt = C().pos;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  Caret& c = C();
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  if (c.hidden > 0 && --c.hidden == 0 && !c.drawn) Invert(c);
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  Caret& c = C();
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  Undraw(c);
  ++c.hidden;
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }
