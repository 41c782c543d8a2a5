// The caret: one per thread, owned by a window, shown when its hide count is zero. It blinks with the
// clock (every GetCaretBlinkTime ms); under a manual clock it stays on.

#include <cerrno>

#include "platform/win32/WmInternal.h"

namespace xj::wm {
namespace {
struct Caret {
  HWND owner {};
  int width { 0 };
  int height { 0 };
  POINT pos {};
  int hidden { 1 };  // a new caret starts hidden
};
Caret& C() {
  static Caret c;
  return c;
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
  Caret& c = C();
  c = Caret {};
  c.owner = hwnd;
  c.width = width > 0 ? width : 1;
  c.height = height > 0 ? height : 16;
  return TRUE;
}

BOOL DestroyCaret() {
  Caret& c = C();
  if (!c.owner) {
    Fail(EINVAL);
    return FALSE;
  }
  HWND owner = c.owner;
  bool was = c.hidden <= 0;
  c = Caret {};
  if (was && IsWindow(owner)) InvalidateRect(owner, nullptr, FALSE);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& c = C();
  if (!c.owner) {
    Fail(EINVAL);
    return FALSE;
  }
  c.pos = POINT { x, y };
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
  if (c.hidden > 0) --c.hidden;
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  Caret& c = C();
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  ++c.hidden;
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }
