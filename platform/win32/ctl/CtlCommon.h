#pragma once
// What the built-in control classes share: per-window state that survives re-entrant calls, the
// notices and colour questions they send their parent, and font metrics.

#include <memory>
#include <string>

#include "platform/win32/AddressMap.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinUser.h"

namespace xj::ctl {

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The state of each window of one class. A handler holds its own reference while it runs, so a
// parent that destroys the control from inside a notice leaves the handler a record marked dead
// rather than a dangling one. The class library may subclass the window under another class name,
// so the state hangs off the handle, not off the class's extra bytes.
// Every message to such a window looks its state up: by address, in one or two adjacent slots.
template <class T>
class StateMap {
 public:
  std::shared_ptr<T> Create(HWND hwnd) {
    auto s = std::make_shared<T>();
    s->hwnd = hwnd;
    Retire(hwnd);
    FStates.Insert(Key(hwnd), s);
    return s;
  }
  std::shared_ptr<T> Find(HWND hwnd) const {
    const std::shared_ptr<T>* s = FStates.Find(Key(hwnd));
    return s ? *s : nullptr;
  }
  // A class procedure's whole body: the state is made at WM_NCCREATE, and every later message goes to
  // `handle` with the state held for the call.
  template <class F>
  LRESULT Route(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, F handle) {
    if (msg == WM_NCCREATE) {
      Create(hwnd);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    std::shared_ptr<T> s = Find(hwnd);
    if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return handle(*s, msg, wParam, lParam);
  }
  void Retire(HWND hwnd) {
    std::shared_ptr<T> s;
    if (FStates.Erase(Key(hwnd), &s)) s->dead = true;
  }

 private:
  static uintptr_t Key(HWND hwnd) { return AddressMap<std::shared_ptr<T>>::Key(hwnd); }

  AddressMap<std::shared_ptr<T>> FStates;
};

// WM_COMMAND(id, code) to the parent, as the class's change and selection notices travel.
void NotifyParent(HWND hwnd, WORD code);

// Sets the classic defaults on `dc` (window text on window colour, opaque), asks the parent with
// `msg` (WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX) and returns its brush, or the window-colour brush when
// the parent does not answer. The parent may change the DC's colours and background mode.
HBRUSH AskColours(HWND hwnd, HDC dc, UINT msg);
// A brush that paints nothing (NULL_BRUSH or any BS_NULL brush): the control leaves its background alone.
bool IsNullBrush(HBRUSH brush);
// Fills `rc` unless the brush paints nothing.
void FillUnlessNull(HDC dc, const RECT& rc, HBRUSH brush);

// WM_PAINT: into the DC in wParam when one is given, over `whole`, else between BeginPaint and EndPaint
// over the invalid area. `paint(dc, area)` draws.
template <class Paint>
void AnswerPaint(HWND hwnd, WPARAM wParam, const RECT& whole, Paint paint) {
  if (wParam) {
    paint((HDC)wParam, whole);
    return;
  }
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(hwnd, &ps)) paint(dc, ps.rcPaint);
  EndPaint(hwnd, &ps);
}

// The position a scroll code asks for, from the current one: a line and a page are the given steps,
// SB_BOTTOM is `last`, SB_THUMBPOSITION/SB_THUMBTRACK carry it in the high word of wParam and
// SBX_THUMBPOSITION32 the whole position in lParam. The code is usually the low word of a WM_VSCROLL /
// WM_HSCROLL's wParam.
int ScrollTarget(int code, WPARAM wParam, LPARAM lParam, int current, int line, int page, int last);
inline int ScrollTarget(WPARAM wParam, LPARAM lParam, int current, int line, int page, int last) {
  return ScrollTarget(LOWORD(wParam), wParam, lParam, current, line, page, last);
}
// Whole wheel notches (positive = away from the user) from a WM_MOUSEWHEEL; the remainder waits in `rest`.
int WheelNotches(int& rest, WPARAM wParam);

// The font a control draws with: the one WM_SETFONT gave it, else the system font.
HFONT FontOrDefault(HFONT font);
// Text metrics of `font`.
TEXTMETRICA MetricsOf(HFONT font);

// The order of sorted item texts: case-blind for ASCII letters only; double-byte characters compare by
// their bytes.
bool SortsBefore(const std::string& a, const std::string& b);

}  // namespace xj::ctl
