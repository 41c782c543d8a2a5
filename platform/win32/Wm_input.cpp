// Input routing: hit testing by z-order and window regions with WM_NCHITTEST and HTTRANSPARENT,
// capture, activation on click, WM_PARENTNOTIFY, double clicks, leave notices, keys to the focus
// window, and the key and cursor state.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/display/Display.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

bool WindowRegionContains(const Wnd* w, POINT windowPt);  // Wm_paint.cpp
bool MenuKeyWasAlone();

namespace {

struct InputState : StatePart {
  POINT cursor {};
  BYTE async[256] {};
  BYTE sync[256] {};
  HWND mouseWnd {};  // the window the pointer was last routed to
  bool mouseClient { false };
  struct {
    bool valid { false };
    HWND hwnd {};
    int button { 0 };
    DWORD time { 0 };
    POINT pt {};
    bool client { false };
  } lastDown;
  bool altAlone { false };
  bool altAloneAtRelease { false };
  HCURSOR cursorShape {};
  int cursorCount { 0 };
};

InputState& S() { return Part<InputState>(PartId::Input); }

const UINT kVkOfButton[3] = { VK_LBUTTON, VK_RBUTTON, VK_MBUTTON };
const UINT kClientDown[3] = { WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN };
const UINT kNcDown[3] = { WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN };

// The generic modifier keys follow their left and right variants.
void SetKey(BYTE* keys, UINT vk, bool down) {
  keys[vk & 0xFF] = down ? 0x80 : 0;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) keys[VK_SHIFT] = (keys[VK_LSHIFT] | keys[VK_RSHIFT]) & 0x80;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) keys[VK_CONTROL] = (keys[VK_LCONTROL] | keys[VK_RCONTROL]) & 0x80;
  if (vk == VK_LMENU || vk == VK_RMENU) keys[VK_MENU] = (keys[VK_LMENU] | keys[VK_RMENU]) & 0x80;
}

bool Skipped(const std::vector<Wnd*>& skip, Wnd* w) { return std::find(skip.begin(), skip.end(), w) != skip.end(); }

// Whether the point lies in the window, whose top-left corner is at `origin` on the screen. The
// rectangle is tested first: most windows a search passes over are rejected by it alone.
inline bool ContainsAt(const Wnd* w, POINT origin, POINT pt) {
  if (pt.x < origin.x || pt.y < origin.y || pt.x >= origin.x + w->Width() || pt.y >= origin.y + w->Height())
    return false;
  return !w->region || WindowRegionContains(w, POINT { pt.x - origin.x, pt.y - origin.y });
}

bool Contains(const Wnd* w, POINT pt) { return ContainsAt(w, WindowOrigin(w), pt); }

// The search carries the point down the tree in each window's own coordinates, so that a child is
// tested against its rectangle as it is stored.
Wnd* Descend(Wnd* w, POINT p, const std::vector<Wnd*>& skip) {
  const bool skipping = !skip.empty();
  for (;;) {
    if (!w->Enabled()) return w;
    if (!InRect(w->client, p)) return w;
    const POINT q { p.x - w->client.left, p.y - w->client.top };  // the children's coordinates
    Wnd* below = nullptr;
    for (Wnd* c : w->children) {
      if (!c->Visible()) continue;
      if (!InRect(c->rect, q)) continue;
      const POINT in { q.x - c->rect.left, q.y - c->rect.top };
      if ((c->region && !WindowRegionContains(c, in)) || (skipping && Skipped(skip, c))) continue;
      // A disabled child keeps the point for its parent.
      if (!c->Enabled()) return w;
      below = c;
      p = in;
      break;
    }
    if (!below) return w;
    w = below;
  }
}

// The deepest window under the point, by z-order; disabled top-level windows either stop the search
// (routing: the click is dropped) or are looked through (WindowFromPoint).
Wnd* Deepest(POINT pt, const std::vector<Wnd*>& skip, bool throughDisabled) {
  for (Wnd* top : Desktop()->children) {
    if (!top->Visible() || (top->style & WS_MINIMIZE)) continue;
    const POINT at { top->rect.left, top->rect.top };
    if (!ContainsAt(top, at, pt) || Skipped(skip, top)) continue;
    if (!top->Enabled() && throughDisabled) continue;
    return Descend(top, POINT { pt.x - at.x, pt.y - at.y }, skip);
  }
  return nullptr;
}

Wnd* HitChain(POINT pt, bool throughDisabled, int* hitOut) {
  std::vector<Wnd*> skip;
  for (;;) {
    Wnd* w = Deepest(pt, skip, throughDisabled);
    if (!w) return nullptr;
    if (!w->Enabled()) {
      if (hitOut) *hitOut = HTERROR;
      return w;
    }
    HWND h = w->handle;
    int hit = (int)(LRESULT)Send(w, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    if (!FromHandle(h)) return nullptr;
    if (hit == HTTRANSPARENT) {
      skip.push_back(w);
      continue;
    }
    if (hitOut) *hitOut = hit;
    return w;
  }
}

WPARAM MouseKeys() {
  const BYTE* k = S().sync;
  WPARAM r = 0;
  if (k[VK_LBUTTON] & 0x80) r |= MK_LBUTTON;
  if (k[VK_RBUTTON] & 0x80) r |= MK_RBUTTON;
  if (k[VK_MBUTTON] & 0x80) r |= MK_MBUTTON;
  if (k[VK_SHIFT] & 0x80) r |= MK_SHIFT;
  if (k[VK_CONTROL] & 0x80) r |= MK_CONTROL;
  return r;
}

// Tell the window it lost the pointer: to another window, to its own frame, or to nowhere.
void TrackPointer(Wnd* target, bool client) {
  InputState& s = S();
  HWND h = target ? target->handle : nullptr;
  if (s.mouseWnd && (s.mouseWnd != h || s.mouseClient != client)) {
    HWND old = s.mouseWnd;
    bool oldClient = s.mouseClient;
    s.mouseWnd = nullptr;
    if (Wnd* w = FromHandle(old)) Send(w, oldClient ? WM_MOUSELEAVE : WM_NCMOUSELEAVE, 0, 0);
  }
  s.mouseWnd = h;
  s.mouseClient = client;
}

void ParentNotifyClick(Wnd* w, UINT downMsg, POINT screen) {
  HWND self = w->handle;
  for (Wnd* c = w; c->IsChild() && !(c->exStyle & WS_EX_NOPARENTNOTIFY); c = c->parent) {
    Wnd* p = c->parent;
    if (!p || p == Desktop()) break;
    POINT o = ClientOrigin(p);
    HWND ph = p->handle;
    Send(p, WM_PARENTNOTIFY, MAKEWPARAM(downMsg, 0), MAKELPARAM(screen.x - o.x, screen.y - o.y));
    if (!FromHandle(self) || !FromHandle(ph)) return;
  }
}

// WM_MOUSEACTIVATE before a press on a window whose top-level window is not active. Returns false
// when the press must be eaten.
bool ClickActivate(Wnd* target, int hit, UINT msg) {
  Wnd* top = Root(target);
  Wnd* client = nullptr;
  Wnd* mdi = MdiChildOf(target, &client);
  bool topInactive = top && GetActiveWindow() != top->handle;
  bool mdiInactive = mdi && client->mdiActive != mdi->handle;
  if (!topInactive && !mdiInactive) return true;
  HWND th = top->handle, h = target->handle, mh = mdi ? mdi->handle : nullptr;
  LRESULT r = Send(target, WM_MOUSEACTIVATE, (WPARAM)th, MAKELPARAM(hit, msg));
  if (!FromHandle(h)) return false;
  bool activate = r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0;
  if (activate && topInactive && FromHandle(th)) Activate(top, WA_CLICKACTIVE);
  if (activate && mdi && FromHandle(mh) && client->mdiActive != mh) MdiActivate(client, mdi);
  return r != MA_ACTIVATEANDEAT && r != MA_NOACTIVATEANDEAT;
}

bool IsDoubleClick(Wnd* w, int button, POINT pt, DWORD time, bool client) {
  auto& last = S().lastDown;
  bool same = last.valid && last.hwnd == w->handle && last.button == button && last.client == client &&
              time - last.time <= GetDoubleClickTime() && std::abs(pt.x - last.pt.x) <= 2 &&
              std::abs(pt.y - last.pt.y) <= 2;
  bool allowed = !client || (w->cls && (w->cls->style & CS_DBLCLKS));
  if (same && allowed) {
    last.valid = false;
    return true;
  }
  last.valid = true;
  last.hwnd = w->handle;
  last.button = button;
  last.time = time;
  last.pt = pt;
  last.client = client;
  return false;
}

// The wheel turns for the focus, else for the active window; the point stays on the screen.
void CookWheel(MSG m, const RawInput& ev, std::vector<MSG>& out) {
  HWND to = GetFocus() ? GetFocus() : GetActiveWindow();
  if (!to) return;
  m.hwnd = to;
  m.message = WM_MOUSEWHEEL;
  m.wParam = MAKEWPARAM(MouseKeys(), (WORD)(short)ev.delta);
  m.lParam = MAKELPARAM(ev.pt.x, ev.pt.y);
  out.push_back(m);
}

// Where a pointer event goes: the window holding the capture, else the deepest window under the
// pointer, which is told it has the pointer (`hit` says which part). Null when it goes nowhere.
Wnd* MouseTarget(POINT pt, Wnd* cap, int* hit) {
  if (cap) return cap;
  Wnd* target = HitChain(pt, false, hit);
  if (!target || *hit == HTERROR) {
    TrackPointer(nullptr, false);
    return nullptr;
  }
  TrackPointer(target, *hit == HTCLIENT);
  return FromHandle(target->handle) ? target : nullptr;
}

// A press: its message (a double click when it is one), and for a press outside any capture the
// activation and the parents' notices that come first. False when the press is eaten or the window
// went meanwhile.
bool CookPress(Wnd* target, const RawInput& ev, int hit, bool client, bool captured, UINT* message) {
  bool dbl = IsDoubleClick(target, ev.button, ev.pt, ev.time, client);
  UINT base = client ? kClientDown[ev.button] : kNcDown[ev.button];
  *message = dbl ? base + 2 : base;
  if (captured) return true;
  HWND h = target->handle;
  if (!ClickActivate(target, hit, *message)) {
    S().lastDown.valid = false;  // an eaten press is not half of a double click
    return false;
  }
  if (!FromHandle(h)) return false;
  ParentNotifyClick(target, kClientDown[ev.button], ev.pt);
  return FromHandle(h) != nullptr;
}

void CookMouse(const RawInput& ev, std::vector<MSG>& out) {
  if (ev.kind == RawInput::ButtonDown || ev.kind == RawInput::ButtonUp)
    SetKey(S().sync, kVkOfButton[ev.button], ev.kind == RawInput::ButtonDown);
  if (ev.kind == RawInput::Leave) {
    if (!GetCapture()) TrackPointer(nullptr, false);
    return;
  }
  if (ev.kind == RawInput::Wheel) {
    MSG m {};
    m.time = ev.time;
    m.pt = ev.pt;
    return CookWheel(m, ev, out);
  }
  int hit = HTCLIENT;
  Wnd* cap = FromHandle(GetCapture());
  Wnd* target = MouseTarget(ev.pt, cap, &hit);
  if (!target) return;
  bool client = cap || hit == HTCLIENT;
  HWND h = target->handle;
  UINT message;
  if (ev.kind == RawInput::MouseMove)
    message = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
  else if (ev.kind == RawInput::ButtonDown) {
    if (!CookPress(target, ev, hit, client, cap != nullptr, &message)) return;
  } else
    message = (client ? kClientDown[ev.button] : kNcDown[ev.button]) + 1;
  if (!cap && ev.kind != RawInput::ButtonUp) {
    Send(target, WM_SETCURSOR, (WPARAM)h, MAKELPARAM(hit, message));
    if (!FromHandle(h)) return;
  }
  // Written in its place in the list: a copy of a message just written field by field waits for the writes.
  MSG& m = out.emplace_back();
  m.hwnd = h;
  m.message = message;
  m.time = ev.time;
  m.pt = ev.pt;
  if (client) {
    POINT o = ClientOrigin(target);
    m.wParam = MouseKeys();
    m.lParam = MAKELPARAM(ev.pt.x - o.x, ev.pt.y - o.y);
  } else {
    m.wParam = (WPARAM)(LONG_PTR)hit;
    m.lParam = MAKELPARAM(ev.pt.x, ev.pt.y);
  }
}

void CookKey(const RawInput& ev, std::vector<MSG>& out) {
  InputState& s = S();
  HWND to = GetFocus();
  bool noFocus = !to;
  if (!to) to = GetActiveWindow();
  MSG m {};
  m.time = ev.time;
  m.pt = s.cursor;
  if (ev.kind == RawInput::Chars) {
    if (!to) return;
    for (unsigned char c : ev.text) {
      m.hwnd = to;
      m.message = WM_CHAR;
      m.wParam = c;
      m.lParam = 1;
      out.push_back(m);
    }
    return;
  }
  UINT vk = ev.vk & 0xFF;
  bool down = ev.kind == RawInput::KeyDown;
  bool wasDown = (s.sync[vk] & 0x80) != 0;
  SetKey(s.sync, vk, down);
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) s.sync[vk] = down ? 0x80 : 0;
  bool alt = (s.sync[VK_MENU] & 0x80) != 0 || (!down && (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU));
  bool ctrl = (s.sync[VK_CONTROL] & 0x80) != 0;
  if (down) {
    s.altAlone = (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) ? (wasDown ? s.altAlone : true) : false;
  } else if (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) {
    s.altAloneAtRelease = s.altAlone;
    s.altAlone = false;
  }
  if (!to) return;
  bool sys = (alt && !ctrl) || vk == VK_F10 || noFocus;
  m.hwnd = to;
  m.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  m.wParam = vk;
  LPARAM lp = 1 | (LPARAM)((ev.vk >> 8) & 0xFF) << 16;
  if (alt && !ctrl) lp |= 1L << 29;
  if (down ? wasDown : true) lp |= 1L << 30;
  if (!down) lp |= 1L << 31;
  m.lParam = (LPARAM)(DWORD)lp;
  out.push_back(m);
}

}  // namespace

bool MenuKeyWasAlone() { return S().altAloneAtRelease; }

void CookInput(const RawInput& ev, std::vector<MSG>& out) {
  if (ev.kind == RawInput::KeyDown || ev.kind == RawInput::KeyUp || ev.kind == RawInput::Chars)
    CookKey(ev, out);
  else
    CookMouse(ev, out);
}

// Raw events enter here, from the display back-end or the harness: the asynchronous state changes
// at once, the rest when the event is taken from the queue.
void InjectInput(RawInput&& ev) {
  InputState& s = S();
  switch (ev.kind) {
    case RawInput::MouseMove:
    case RawInput::Wheel:
      s.cursor = ev.pt;
      break;
    case RawInput::ButtonDown:
    case RawInput::ButtonUp:
      s.cursor = ev.pt;
      SetKey(s.async, kVkOfButton[ev.button], ev.kind == RawInput::ButtonDown);
      break;
    case RawInput::KeyDown:
    case RawInput::KeyUp:
      SetKey(s.async, ev.vk & 0xFF, ev.kind == RawInput::KeyDown);
      break;
    case RawInput::Chars:
    case RawInput::Leave:
      break;
  }
  if (ev.kind != RawInput::KeyDown && ev.kind != RawInput::KeyUp && ev.kind != RawInput::Chars &&
      ev.kind != RawInput::Leave)
    ev.pt = s.cursor;
  QueueInput(std::move(ev));
}

Wnd* WindowAt(POINT screen, bool sendHitTest, int* hitOut) {
  if (!sendHitTest) return Deepest(screen, {}, true);
  return HitChain(screen, true, hitOut);
}

// A modifier the desktop says is up is up, whatever release it kept for itself (the window manager takes
// Alt+Tab's), so that keys do not arrive as Alt's. One held now stays as we knew it: its release may go
// to the desktop too, and a key we never saw pressed would stay down.
void ForgetReleasedModifiers(uint32_t held) {
  InputState& s = S();
  static constexpr struct {
    uint32_t bit;
    UINT left, right;
  } kModifiers[] = { { display::ModShift, VK_LSHIFT, VK_RSHIFT },
                     { display::ModControl, VK_LCONTROL, VK_RCONTROL },
                     { display::ModAlt, VK_LMENU, VK_RMENU } };
  for (const auto& m : kModifiers)
    if (!(held & m.bit))
      for (BYTE* keys : { s.async, s.sync }) {
        SetKey(keys, m.left, false);
        SetKey(keys, m.right, false);
      }
  if (!(held & display::ModAlt)) s.altAlone = false;
}

void NoteCursor(POINT screen) { S().cursor = screen; }

void ForgetPointer(Wnd* w) {
  InputState& s = S();
  if (s.mouseWnd == w->handle) s.mouseWnd = nullptr;
  if (s.lastDown.hwnd == w->handle) s.lastDown.valid = false;
}

}  // namespace xj::wm

using namespace xj::wm;

BOOL GetCursorPos(LPPOINT pt) {
  if (!pt) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A real screen knows where the pointer is even when it is over no window of ours; the headless
  // display learns it only from the input that reaches us.
  if (xj::display::Backend* d = PointerDisplay()) S().cursor = d->CursorPos();
  *pt = S().cursor;
  return TRUE;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
  if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT) || !(tme->dwFlags & TME_LEAVE) ||
      (tme->dwFlags & ~(TME_LEAVE | TME_NONCLIENT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HWND h = tme->hwndTrack;
  Wnd* w = Checked(h);
  if (!w) return FALSE;
  const bool client = !(tme->dwFlags & TME_NONCLIENT);
  POINT pt {};
  GetCursorPos(&pt);
  int hit = HTNOWHERE;
  Wnd* under = HitChain(pt, false, &hit);
  if (!FromHandle(h)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (under == w && hit != HTERROR && (hit == HTCLIENT) == client)
    TrackPointer(w, client);  // the window tracked before hears that it lost the pointer
  else
    PostMessageA(h, client ? WM_MOUSELEAVE : WM_NCMOUSELEAVE, 0, 0);
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  S().cursor = POINT { x, y };
  if (xj::display::Backend* d = PointerDisplay()) {
    d->SetCursorPos(POINT { x, y });  // the move comes back as a display event
    return TRUE;
  }
  RawInput ev;
  ev.kind = RawInput::MouseMove;
  ev.pt = POINT { x, y };
  InjectInput(std::move(ev));
  return TRUE;
}

SHORT GetAsyncKeyState(int vk) { return (S().async[vk & 0xFF] & 0x80) ? (SHORT)0x8000 : 0; }

SHORT GetKeyState(int vk) { return (S().sync[vk & 0xFF] & 0x80) ? (SHORT)0xFF80 : 0; }

BOOL GetKeyboardState(BYTE* state) {
  if (!state) return FALSE;
  for (int i = 0; i < 256; ++i) state[i] = S().sync[i];
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

HCURSOR SetCursor(HCURSOR cursor) {
  InputState& s = S();
  HCURSOR old = s.cursorShape;
  s.cursorShape = cursor;
  if (old != cursor) SyncCursor(cursor);
  return old;
}

HCURSOR GetCursor() { return S().cursorShape; }

int ShowCursor(BOOL show) { return show ? ++S().cursorCount : --S().cursorCount; }

HWND WindowFromPoint(POINT pt) {
  Wnd* w = WindowAt(pt, true, nullptr);
  return w ? w->handle : nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags) {
  Wnd* p = Checked(parent);
  if (!p) return nullptr;
  RECT cr { 0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top };
  if (p != Desktop() && !InRect(cr, pt)) return nullptr;
  POINT screen = pt;
  POINT o = ClientOrigin(p);
  screen.x += o.x;
  screen.y += o.y;
  for (Wnd* c : p->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !c->Visible()) continue;
    if ((flags & CWP_SKIPDISABLED) && !c->Enabled()) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (Contains(c, screen)) return c->handle;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) { return ChildWindowFromPointEx(parent, pt, CWP_ALL); }
