// Focus, activation and capture.

#include <cerrno>

#include "platform/win32/WmInternal.h"

namespace xj::wm {

void ForgetPointer(Wnd* w);

namespace {

struct FocusState : StatePart {
  HWND focus {};
  HWND active {};
  HWND capture {};
  bool appActive { false };
};

FocusState& F() { return Part<FocusState>(PartId::Focus); }

bool InTree(HWND root, HWND h) { return h && (h == root || IsChild(root, h)); }

void SendActivateApp(bool active, HWND other) {
  std::vector<HWND> tops;
  for (Wnd* w : TopLevels()) tops.push_back(w->handle);
  for (HWND h : tops)
    if (Wnd* w = FromHandle(h)) Send(w, WM_ACTIVATEAPP, active, (LPARAM)other);
}

}  // namespace

void Activate(Wnd* w, WORD how) {
  FocusState& f = F();
  if (w) w = Root(w);
  HWND newH = w ? w->handle : nullptr;
  HWND oldH = f.active;
  if (oldH == newH) return;
  if (w && !(w->style & WS_MINIMIZE) && w->Visible())
    SetPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (w && !FromHandle(newH)) return;

  if (Wnd* old = FromHandle(oldH)) {
    Pin pin(old);
    Send(old, WM_NCACTIVATE, FALSE, 0);
    if (FromHandle(oldH))
      Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, (old->style & WS_MINIMIZE) ? 1 : 0), (LPARAM)newH);
  }
  f.active = newH;
  if (InTree(oldH, f.focus)) {
    HWND lost = f.focus;
    f.focus = nullptr;
    if (Wnd* l = FromHandle(lost)) Send(l, WM_KILLFOCUS, (WPARAM)newH, 0);
  }
  if (!newH) {
    if (f.appActive) {
      f.appActive = false;
      SendActivateApp(false, nullptr);
    }
    return;
  }
  if (!f.appActive) {
    f.appActive = true;
    SendActivateApp(true, nullptr);
  }
  if (f.active != newH || !FromHandle(newH)) return;  // something re-activated meanwhile
  w->everActive = true;
  SyncActive(w);
  Pin pin(w);
  Send(w, WM_NCACTIVATE, TRUE, 0);
  if (FromHandle(newH) && f.active == newH)
    Send(w, WM_ACTIVATE, MAKEWPARAM(how, (w->style & WS_MINIMIZE) ? 1 : 0), (LPARAM)oldH);
}

// The active window is going away: its owner, or the most recent window that was active before.
void ActivateNextAfter(Wnd* w) {
  Wnd* next = nullptr;
  auto usable = [&](Wnd* c) {
    return c && c != w && !c->destroying && c->Visible() && c->Enabled() && !(c->style & WS_MINIMIZE) && c->everActive;
  };
  if (usable(w->owner)) next = w->owner;
  if (!next)
    for (Wnd* c : Desktop()->children)
      if (usable(c)) {
        next = c;
        break;
      }
  Activate(next, WA_ACTIVE);
}

void ForgetWindowInput(Wnd* w) {
  FocusState& f = F();
  HWND h = w->handle;
  if (InTree(h, f.capture)) {
    HWND old = f.capture;
    f.capture = nullptr;
    if (Wnd* c = FromHandle(old)) Send(c, WM_CAPTURECHANGED, 0, 0);
  }
  if (w->destroying && InTree(h, f.focus)) {
    HWND old = f.focus;
    f.focus = nullptr;
    if (Wnd* c = FromHandle(old)) Send(c, WM_KILLFOCUS, 0, 0);
  }
  ForgetPointer(w);
  std::function<void(Wnd*)> walk = [&](Wnd* x) {
    ForgetPointer(x);
    for (Wnd* c : x->children) walk(c);
  };
  walk(w);
}

}  // namespace xj::wm

using namespace xj::wm;

HWND SetFocus(HWND hwnd) {
  FocusState& f = F();
  HWND old = f.focus;
  if (hwnd) {
    Wnd* w = Checked(hwnd);
    if (!w) return nullptr;
    Wnd* top = Root(w);
    if (f.active != top->handle) {
      Activate(top, WA_ACTIVE);
      if (!FromHandle(hwnd)) return nullptr;
      old = f.focus;
    }
  }
  if (old == hwnd) return old;
  f.focus = hwnd;
  if (Wnd* o = FromHandle(old)) Send(o, WM_KILLFOCUS, (WPARAM)hwnd, 0);
  if (hwnd && f.focus == hwnd)
    if (Wnd* w = FromHandle(hwnd)) Send(w, WM_SETFOCUS, (WPARAM)(FromHandle(old) ? old : nullptr), 0);
  return FromHandle(old) ? old : nullptr;
}

HWND GetFocus() {
  FocusState& f = F();
  if (f.focus && !FromHandle(f.focus)) f.focus = nullptr;
  return f.focus;
}

HWND SetActiveWindow(HWND hwnd) {
  FocusState& f = F();
  HWND old = FromHandle(f.active) ? f.active : nullptr;
  if (!hwnd) {
    Activate(nullptr, WA_INACTIVE);
    return old;
  }
  Wnd* w = Checked(hwnd);
  if (!w) return nullptr;
  Activate(w, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() {
  FocusState& f = F();
  if (f.active && !FromHandle(f.active)) f.active = nullptr;
  return f.active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  Activate(w, WA_ACTIVE);
  return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetCapture(HWND hwnd) {
  FocusState& f = F();
  HWND old = FromHandle(f.capture) ? f.capture : nullptr;
  Wnd* w = hwnd ? Checked(hwnd) : nullptr;
  if (hwnd && !w) return nullptr;
  f.capture = hwnd;
  if (old && old != hwnd)
    if (Wnd* o = FromHandle(old)) Send(o, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
  return old;
}

BOOL ReleaseCapture() {
  FocusState& f = F();
  HWND old = f.capture;
  f.capture = nullptr;
  if (Wnd* o = FromHandle(old)) Send(o, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  FocusState& f = F();
  if (f.capture && !FromHandle(f.capture)) f.capture = nullptr;
  return f.capture;
}
