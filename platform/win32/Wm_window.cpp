// Window classes, creation and destruction, the window tree, placement, showing and the window's
// long values, text and properties.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/win32/IntMath.h"
#include "platform/win32/NotifyArea.h"
#include "platform/win32/WmModal.h"
#include "platform/win32/WmDc.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

namespace {

char Folded(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Class names match whatever the case of their letters. The table hashes and compares them folded as it
// reads them, so that a lookup (the class library makes three for each window it makes) copies no name.
struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    size_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ (unsigned char)Folded(c)) * 1099511628211ull;
    return h;
  }
};

struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Folded(x) == Folded(y); });
  }
};

struct ClassTable {
  std::unordered_map<std::string, std::unique_ptr<WndClass>, FoldedHash, FoldedEqual> byName;
  ATOM nextAtom { 0xC000 };
};

ClassTable& Classes() {
  static ClassTable* t = new ClassTable;
  return *t;
}

WndClass* FindClass(LPCSTR name) {
  ClassTable& t = Classes();
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) {
    for (auto& [k, c] : t.byName)
      if (c->atom == (ATOM)(uintptr_t)name) return c.get();
    return nullptr;
  }
  auto it = t.byName.find(std::string_view(name));
  return it == t.byName.end() ? nullptr : it->second.get();
}

void NotifyParents(Wnd* w, UINT event) {
  if (!w->IsChild() || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  HWND self = w->handle;
  for (Wnd* p = w->parent; p && p != Desktop(); p = p->parent) {
    Pin pin(p);
    Send(p, WM_PARENTNOTIFY, MAKEWPARAM(event, (WORD)w->id), (LPARAM)self);
    if (!FromHandle(self) || !FromHandle(p->handle)) return;
    if (!p->IsChild() || (p->exStyle & WS_EX_NOPARENTNOTIFY)) break;
  }
}

}  // namespace

// ---- Tree --------------------------------------------------------------------------------------------

Wnd* Root(Wnd* w) {
  while (w && w->parent && w->parent != Desktop()) w = w->parent;
  return w;
}

bool IsTopLevel(const Wnd* w) { return w && w->parent == Desktop(); }

bool ReallyVisible(const Wnd* w) {
  for (; w && w != Desktop(); w = w->parent)
    if (!w->Visible() || (w->style & WS_MINIMIZE && IsTopLevel(w))) return false;
  return w != nullptr;
}

// Origins, and the routed pointer's last search, are remembered from one geometry change to the next (on
// the GUI thread, which alone changes geometry): every change of a rectangle, a client area, a parent or
// the order of siblings, of the styles a search reads, or of a region starts a new epoch.
uint64_t gGeometryEpoch = 1;

void GeometryChanged() { ++gGeometryEpoch; }

namespace {

// Up the tree to the first ancestor whose origin is remembered, or to the desktop.
[[gnu::noinline]] POINT WalkToOrigin(const Wnd* w, bool remember) {
  const Wnd* desktop = Desktop();
  POINT p { 0, 0 };
  for (const Wnd* a = w; a && a != desktop;) {
    if (remember && a->originEpoch == gGeometryEpoch) {
      p.x += a->origin.x;
      p.y += a->origin.y;
      break;
    }
    p.x += a->rect.left;
    p.y += a->rect.top;
    const Wnd* up = a->parent;
    if (!up || up == desktop) break;
    p.x += up->client.left;
    p.y += up->client.top;
    a = up;
  }
  if (remember && w && w != desktop) {
    w->origin = p;
    w->originEpoch = gGeometryEpoch;
  }
  return p;
}

}  // namespace

POINT WindowOrigin(const Wnd* w) {
  const bool remember = IsGuiThread();
  if (remember && w && w->originEpoch == gGeometryEpoch) return w->origin;
  return WalkToOrigin(w, remember);
}

POINT ClientOrigin(const Wnd* w) {
  if (w == Desktop()) return POINT { 0, 0 };
  POINT p = WindowOrigin(w);
  return POINT { p.x + w->client.left, p.y + w->client.top };
}

RECT ScreenRect(const Wnd* w) {
  POINT p = WindowOrigin(w);
  return RECT { p.x, p.y, p.x + w->Width(), p.y + w->Height() };
}

RECT ScreenClient(const Wnd* w) {
  POINT p = ClientOrigin(w);
  return RECT { p.x, p.y, p.x + (w->client.right - w->client.left), p.y + (w->client.bottom - w->client.top) };
}

void Unlink(Wnd* w) {
  if (!w->parent) return;
  auto& c = w->parent->children;
  c.erase(std::remove(c.begin(), c.end(), w), c.end());
  w->parent = nullptr;
  GeometryChanged();
}

void LinkAt(Wnd* parent, Wnd* w, Wnd* after) {
  w->parent = parent;
  GeometryChanged();
  auto& c = parent->children;
  auto it = c.begin();
  if (after) {
    it = std::find(c.begin(), c.end(), after);
    it = it == c.end() ? c.end() : it + 1;
  }
  // Among top-level windows the top-most ones stay above the others.
  if (parent == Desktop()) {
    bool top = (w->exStyle & WS_EX_TOPMOST) != 0;
    auto firstNormal = std::find_if(c.begin(), c.end(), [](Wnd* x) { return !(x->exStyle & WS_EX_TOPMOST); });
    if (top && it > firstNormal) it = firstNormal;
    if (!top && it < firstNormal) it = firstNormal;
  }
  c.insert(it, w);
}

std::vector<Wnd*> TopLevels() { return Desktop()->children; }

// ---- Geometry ----------------------------------------------------------------------------------------

MINMAXINFO QueryMinMax(Wnd* w) {
  MINMAXINFO mmi {};
  RECT work {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  mmi.ptMaxSize = POINT { work.right - work.left, work.bottom - work.top };
  mmi.ptMaxPosition = POINT { work.left, work.top };
  mmi.ptMinTrackSize =
      POINT { (w->style & WS_CAPTION) == WS_CAPTION ? 112 : 1, (w->style & WS_CAPTION) == WS_CAPTION ? 27 : 1 };
  mmi.ptMaxTrackSize = POINT { 32767, 32767 };
  Send(w, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  return mmi;
}

void ClampToTrackSize(Wnd* w, int& cx, int& cy) {
  MINMAXINFO mmi = QueryMinMax(w);
  cx = std::clamp(cx, (int)mmi.ptMinTrackSize.x, std::max((int)mmi.ptMinTrackSize.x, (int)mmi.ptMaxTrackSize.x));
  cy = std::clamp(cy, (int)mmi.ptMinTrackSize.y, std::max((int)mmi.ptMinTrackSize.y, (int)mmi.ptMaxTrackSize.y));
}

void RecalcClient(Wnd* w, bool sendCalcSize) {
  RECT oldClient = w->client;
  RECT parentRect = w->rect;
  if (!sendCalcSize) {
    RECT c = DefaultClientFor(w, parentRect);
    Offset(&c, -parentRect.left, -parentRect.top);
    w->client = c;
    GeometryChanged();
    return;
  }
  NCCALCSIZE_PARAMS p {};
  WINDOWPOS pos { w->handle, nullptr, parentRect.left, parentRect.top, w->Width(), w->Height(), 0 };
  p.rgrc[0] = parentRect;
  p.rgrc[1] = parentRect;
  p.rgrc[2] = oldClient;
  Offset(&p.rgrc[2], parentRect.left, parentRect.top);
  p.lppos = &pos;
  HWND h = w->handle;
  Send(w, WM_NCCALCSIZE, w->created ? TRUE : FALSE, (LPARAM)&p);
  if (!FromHandle(h)) return;
  RECT c = p.rgrc[0];
  Offset(&c, -w->rect.left, -w->rect.top);
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  w->client = c;
  GeometryChanged();
}

// ---- Placement -----------------------------------------------------------------------------------------

namespace {

// What a placement changes, measured before the window moves.
struct Placement {
  HWND handle;
  RECT oldScreen;
  bool wasVisible;
  bool moved;
  bool sized;
  bool nowVisible;
};

// Without SWP_NOSIZE or SWP_NOMOVE the asked value stands; with them, the window's own.
void KeepSizeAndPlace(const Wnd* w, UINT flags, int& x, int& y, int& cx, int& cy) {
  if (flags & SWP_NOSIZE) {
    cx = w->Width();
    cy = w->Height();
  }
  if (flags & SWP_NOMOVE) {
    x = w->rect.left;
    y = w->rect.top;
  }
}

// The changed client area is painted: all of it when the class or the frame asks, else only what the
// new size uncovers, so that the valid area is kept. False when the window went away meanwhile.
bool ResizeClient(Wnd* w, UINT flags) {
  HWND h = w->handle;
  RECT oldClient = w->client;
  RecalcClient(w, true);
  if (!FromHandle(h)) return false;
  if (flags & SWP_NOREDRAW) return true;
  bool redrawAll = (w->cls && (w->cls->style & (CS_HREDRAW | CS_VREDRAW))) || (flags & SWP_FRAMECHANGED);
  int ow = oldClient.right - oldClient.left, oh = oldClient.bottom - oldClient.top;
  int nw = w->client.right - w->client.left, nh = w->client.bottom - w->client.top;
  if (redrawAll || (w->cls && (w->cls->style & CS_HREDRAW) && nw != ow) ||
      (w->cls && (w->cls->style & CS_VREDRAW) && nh != oh)) {
    InvalidateClient(w, nullptr, true, false);
  } else {
    Region fresh(RECT { 0, 0, nw, nh });
    fresh.Subtract(RECT { 0, 0, ow, oh });
    if (!fresh.Empty()) InvalidateClient(w, &fresh, true, false);
  }
  InvalidateFrame(w);
  return true;
}

// Owned windows stay above their owner.
void RaiseOwned(Wnd* parent, Wnd* w) {
  std::vector<Wnd*> owned;
  for (Wnd* o : parent->children)
    if (o->owner == w) owned.push_back(o);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    Unlink(*it);
    LinkAt(parent, *it, nullptr);
  }
}

void Restack(Wnd* w, HWND insertAfter, UINT flags) {
  Wnd* parent = w->parent;
  Unlink(w);
  Wnd* after = nullptr;
  if (insertAfter == HWND_TOPMOST) {
    w->exStyle |= WS_EX_TOPMOST;
  } else if (insertAfter == HWND_NOTOPMOST) {
    w->exStyle &= ~WS_EX_TOPMOST;
  } else if (insertAfter == HWND_BOTTOM) {
    after = parent->children.empty() ? nullptr : parent->children.back();
  } else if (insertAfter != HWND_TOP) {
    Wnd* a = FromHandle(insertAfter);
    if (a && a->parent == parent && a != w) after = a;
  }
  LinkAt(parent, w, after);
  if (IsTopLevel(w) && !(flags & SWP_NOOWNERZORDER) && (after == nullptr)) RaiseOwned(parent, w);
}

void InvalidateWhole(Wnd* w) {
  InvalidateClient(w, nullptr, true, true);
  InvalidateFrame(w);
}

// Top-level windows keep their pixels in surfaces of their own, which the display composes; a child's
// pixels live in its top-level surface, so what it uncovers and where it goes is painted.
void PaintExposure(Wnd* w, const Placement& p, UINT flags) {
  bool child = !IsTopLevel(w);
  bool restacked = !(flags & SWP_NOZORDER);
  if (child && p.wasVisible && (!p.nowVisible || p.moved || p.sized || restacked)) {
    RECT inParent = p.oldScreen;
    POINT po = ClientOrigin(w->parent);
    Offset(&inParent, -po.x, -po.y);
    if (p.nowVisible && !p.moved && !restacked) {
      // Only resized: what it no longer covers, in one pass over the parent's children.
      Region gone(inParent);
      gone.Subtract(w->rect);
      if (!gone.Empty()) InvalidateExposed(w->parent, gone);
    } else {
      InvalidateExposed(w->parent, Region(inParent));
    }
    if (p.nowVisible && (p.moved || restacked)) InvalidateWhole(w);
  } else if (!p.wasVisible && p.nowVisible) {
    InvalidateWhole(w);
  }
}

// A shown top-level window may become the active one; a hidden one hands activation, a hidden child
// hands the focus it held to its parent.
void PassActivation(Wnd* w, const Placement& p, UINT flags) {
  HWND h = p.handle;
  if (IsTopLevel(w)) {
    if ((flags & SWP_HIDEWINDOW) && p.wasVisible && GetActiveWindow() == h) ActivateNextAfter(w);
    bool activate = !(flags & SWP_NOACTIVATE) && p.nowVisible && !(w->style & WS_DISABLED) &&
                    ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER));
    if (activate && GetActiveWindow() != h) Activate(w, WA_ACTIVE);
  } else if ((flags & SWP_HIDEWINDOW) && p.wasVisible) {
    HWND focus = GetFocus();
    if (focus && (focus == h || IsChild(h, focus))) SetFocus(w->parent->handle);
  }
}

// Moves the window to the asked rectangle and notes in the message what did not change.
Placement Relocate(Wnd* w, WINDOWPOS& wp) {
  Placement p { w->handle, ScreenRect(w), ReallyVisible(w), false, false, false };
  RECT oldRect = w->rect;
  wp.x = xj::ClampPosition(wp.x);
  wp.y = xj::ClampPosition(wp.y);
  RECT newRect { wp.x, wp.y, wp.x + xj::ClampExtent(wp.cx), wp.y + xj::ClampExtent(wp.cy) };
  p.moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
  p.sized = (newRect.right - newRect.left) != (oldRect.right - oldRect.left) ||
            (newRect.bottom - newRect.top) != (oldRect.bottom - oldRect.top);
  if (!p.moved) wp.flags |= SWP_NOMOVE;
  if (!p.sized) wp.flags |= SWP_NOSIZE;
  w->rect = newRect;
  GeometryChanged();
  return p;
}

}  // namespace

bool SetPos(Wnd* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (w == Desktop()) return false;
  Pin pin(w);
  HWND h = w->handle;
  KeepSizeAndPlace(w, flags, x, y, cx, cy);
  cx = std::max(cx, 0);
  cy = std::max(cy, 0);
  if (!(flags & SWP_NOSIZE) && (w->style & WS_THICKFRAME) && !(w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
    ClampToTrackSize(w, cx, cy);
  if (!FromHandle(h)) return false;

  WINDOWPOS wp { h, insertAfter, x, y, cx, cy, flags };
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(w, WM_WINDOWPOSCHANGING, 0, (LPARAM)&wp);
    if (!FromHandle(h)) return false;
  }
  flags = wp.flags;
  KeepSizeAndPlace(w, flags, wp.x, wp.y, wp.cx, wp.cy);
  Placement p = Relocate(w, wp);
  if ((p.sized || (flags & SWP_FRAMECHANGED)) && !ResizeClient(w, flags)) return false;
  if (!(flags & SWP_NOZORDER) && w->parent) Restack(w, insertAfter, flags);

  const DWORD styleBefore = w->style;
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  if (w->style != styleBefore) GeometryChanged();
  p.nowVisible = ReallyVisible(w);
  if (!(flags & SWP_NOREDRAW) || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) PaintExposure(w, p, flags);
  if (p.nowVisible) w->everShown = true;
  SyncDisplay(w);
  if (!p.nowVisible && p.wasVisible) ForgetWindowInput(w);

  Send(w, WM_WINDOWPOSCHANGED, 0, (LPARAM)&wp);
  if (!FromHandle(h)) return true;
  PassActivation(w, p, flags);
  return true;
}

// ---- Destruction ---------------------------------------------------------------------------------------

void DestroyTree(Wnd* w) {
  if (w->destroying) return;
  Pin pin(w);
  if (IsTopLevel(w)) MainWindowClosing(w);
  w->destroying = true;
  HWND h = w->handle;

  if (ReallyVisible(w) && IsTopLevel(w))
    SetPos(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  else if (w->Visible() && w->parent)
    SetPos(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Owned windows die with their owner, before it.
  for (;;) {
    Wnd* owned = nullptr;
    for (Wnd* o : Desktop()->children)
      if (o->owner == w && !o->destroying) owned = o;
    if (!owned) break;
    DestroyTree(owned);
  }
  ForgetWindowInput(w);
  if (GetActiveWindow() == h) ActivateNextAfter(w);

  NotifyParents(w, WM_DESTROY);
  Send(w, WM_DESTROY, 0, 0);
  while (!w->children.empty()) {
    Wnd* c = w->children.front();
    if (c->destroying) {
      Unlink(c);
      continue;
    }
    DestroyTree(c);
  }
  KillTimersOf(h);
  ForgetNotifyIcons(h);
  Send(w, WM_NCDESTROY, 0, 0);

  DropMessagesFor(h);
  ForgetWindowInput(w);
  if (w->menu && IsTopLevel(w)) DestroyMenu(w->menu);
  if (w->sysMenu) DestroyMenu(w->sysMenu);
  w->menu = nullptr;
  w->sysMenu = nullptr;
  if (w->region) SetWindowRgn(h, nullptr, FALSE);
  ReleaseDCsOf(w);
  for (Wnd* o : Desktop()->children)
    if (o->owner == w) o->owner = nullptr;
  if (w->parent) MdiChildGone(w->parent, w);
  Unlink(w);
  SyncDisplay(w);
  if (w->cls) --w->cls->windows;
  RetireWnd(w);
}

}  // namespace xj::wm

using namespace xj::wm;

// ---- Window classes ----------------------------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassTable& t = Classes();
  const std::string_view key = wc->lpszClassName;
  auto it = t.byName.find(key);
  if (it != t.byName.end()) {
    if (!it->second->system) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return 0;
    }
    // A program may take over a built-in class name: the newest registration wins.
    if (it->second->windows > 0) {
      SetLastError(ERROR_BUSY);
      return 0;
    }
  }
  auto c = std::make_unique<WndClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc ? wc->lpfnWndProc : WNDPROC(DefWindowProcA);
  c->inst = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  c->cbClsExtra = std::max(wc->cbClsExtra, 0);
  c->cbWndExtra = std::max(wc->cbWndExtra, 0);
  c->atom = t.nextAtom++;
  ATOM atom = c->atom;
  if (it != t.byName.end())
    it->second = std::move(c);
  else
    t.byName.emplace(key, std::move(c));
  return atom;
}

namespace xj::wm {
// Built-in classes register themselves (the MDI client, message boxes, menus).
void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background) {
  if (FindClass(name)) return;
  WNDCLASSA wc {};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hbrBackground = background;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  if (WndClass* c = FindClass(name)) c->system = true;
}
}  // namespace xj::wm

namespace {
// The built-in classes, registered again whenever a window is made or a class asked for, since a program
// may have unregistered one of them.
void RegisterBuiltInClasses() {
  RegisterMdiClient();
  RegisterControlClasses();
}
}  // namespace

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  WndClass* c = FindClass(className);
  if (!c) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (c->windows > 0) {
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  Classes().byName.erase(Classes().byName.find(std::string_view(c->name)));
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, LPWNDCLASSA wc) {
  RegisterBuiltInClasses();
  WndClass* c = FindClass(className);
  if (!c || !wc) {
    SetLastError(c ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  *wc = WNDCLASSA {};
  wc->style = c->style;
  wc->lpfnWndProc = c->proc;
  wc->cbClsExtra = c->cbClsExtra;
  wc->cbWndExtra = c->cbWndExtra;
  wc->hInstance = c->inst;
  wc->hIcon = c->icon;
  wc->hCursor = c->cursor;
  wc->hbrBackground = c->background;
  wc->lpszClassName = c->name.c_str();
  return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buf, int size) {
  Wnd* w = Checked(hwnd);
  if (!w || !buf || size <= 0) return 0;
  const std::string& n = w->cls ? w->cls->name : std::string("#32769");
  int len = std::min((int)n.size(), size - 1);
  memcpy(buf, n.data(), len);
  buf[len] = 0;
  return len;
}

// ---- Creation ----------------------------------------------------------------------------------------------

namespace {

// The window a new one lives in, and the top-level window that owns a new top-level one; false when
// the handle given is not a window.
bool ResolveParent(DWORD style, HWND parentHandle, Wnd*& parent, Wnd*& owner) {
  parent = Desktop();
  owner = nullptr;
  if (style & WS_CHILD) {
    parent = Checked(parentHandle);
    return parent != nullptr;
  }
  if (parentHandle && parentHandle != GetDesktopWindow()) {
    owner = Checked(parentHandle);
    if (!owner) return false;
    owner = Root(owner);
  }
  return true;
}

// Default places cascade over the work area; a default size is three quarters of it.
void ApplyDefaultPlacement(int& x, int& y, int& width, int& height) {
  if (x != CW_USEDEFAULT && width != CW_USEDEFAULT) return;
  RECT work {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (x == CW_USEDEFAULT) {
    int& cascade = Windows().cascade;
    x = work.left + 26 * (cascade % 8);
    y = work.top + 26 * (cascade % 8);
    ++cascade;
  }
  if (width == CW_USEDEFAULT) {
    width = (work.right - work.left) * 3 / 4;
    height = (work.bottom - work.top) * 3 / 4;
  }
}

void InitWnd(Wnd* w, WndClass* cls, const CREATESTRUCTA& cs, Wnd* owner) {
  DWORD style = (DWORD)cs.style;
  w->cls = cls;
  ++cls->windows;
  SetProc(w, cls->proc);
  w->style = style & ~WS_VISIBLE;
  w->exStyle = cs.dwExStyle;
  w->inst = cs.hInstance;
  w->owner = owner;
  w->text = cs.lpszName && !IS_INTRESOURCE(cs.lpszName) ? cs.lpszName : "";
  w->extra.assign((cls->cbWndExtra + sizeof(LONG_PTR) - 1) / sizeof(LONG_PTR), 0);
  if (style & WS_CHILD)
    w->id = (LONG_PTR)cs.hMenu;
  else
    w->menu = cs.hMenu;
  w->rect = RECT { xj::ClampPosition(cs.x), xj::ClampPosition(cs.y), xj::ClampPosition(cs.x) + xj::ClampExtent(cs.cx),
                   xj::ClampPosition(cs.y) + xj::ClampExtent(cs.cy) };
  GeometryChanged();
  w->normal = w->rect;
  w->vbar.max = w->hbar.max = (style & (WS_VSCROLL | WS_HSCROLL)) ? 100 : 0;
  w->vbar.shown = (style & WS_VSCROLL) != 0;
  w->hbar.shown = (style & WS_HSCROLL) != 0;
}

// A window whose creation message refused it is destroyed and the creation fails.
bool Refused(Wnd* w, HWND h) {
  if (FromHandle(h)) DestroyTree(w);
  SetLastError(ERROR_OPERATION_ABORTED);
  return false;
}

// The creation messages in their order; false when the window refused or went away.
bool SendCreationMessages(Wnd* w, CREATESTRUCTA& cs) {
  HWND h = w->handle;
  if (!Send(w, WM_NCCREATE, 0, (LPARAM)&cs)) return Refused(w, h);
  if (!FromHandle(h)) return false;
  RecalcClient(w, true);
  if (!FromHandle(h)) return false;
  w->created = true;
  if (Send(w, WM_CREATE, 0, (LPARAM)&cs) == -1) return Refused(w, h);
  if (!FromHandle(h)) return false;
  NotifyParents(w, WM_CREATE);
  if (!FromHandle(h)) return false;
  Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
  if (!FromHandle(h)) return false;
  POINT co { w->rect.left + w->client.left, w->rect.top + w->client.top };
  Send(w, WM_MOVE, 0, MAKELPARAM(co.x, co.y));
  return FromHandle(h) != nullptr;
}

void ShowCreated(HWND h, DWORD style) {
  if (!(style & WS_VISIBLE)) return;
  if (style & WS_MAXIMIZE)
    ShowWindow(h, SW_SHOWMAXIMIZED);
  else if (style & WS_MINIMIZE)
    ShowWindow(h, SW_SHOWMINIMIZED);
  else
    ShowWindow(h, SW_SHOW);
}

}  // namespace

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parentHandle, HMENU menu, HINSTANCE inst, LPVOID param) {
  BindGuiThread();
  if (!IsGuiThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  RegisterBuiltInClasses();
  WndClass* cls = FindClass(className);
  if (!cls) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  Wnd* parent = nullptr;
  Wnd* owner = nullptr;
  if (!ResolveParent(style, parentHandle, parent, owner)) return nullptr;
  if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  ApplyDefaultPlacement(x, y, width, height);
  Wnd* w = NewWnd();
  if (!w) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HWND h = w->handle;
  Pin pin(w);
  CREATESTRUCTA cs {
    param, inst, menu, parentHandle, height, width, y, x, (LONG)style, windowName, className, exStyle
  };
  InitWnd(w, cls, cs, owner);
  LinkAt(parent, w, nullptr);
  if (IsTopLevel(w) && owner) {
    // Above its owner, wherever the owner is.
    Unlink(w);
    LinkAt(Desktop(), w, nullptr);
  }
  if (!SendCreationMessages(w, cs)) return nullptr;
  ShowCreated(h, style);
  return FromHandle(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return FALSE;
  if (!IsGuiThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DestroyTree(w);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FromHandle(hwnd) != nullptr; }

BOOL IsWindowVisible(HWND hwnd) {
  Wnd* w = FromHandle(hwnd);
  if (!w) return FALSE;
  for (; w && w != Desktop(); w = w->parent)
    if (!w->Visible()) return FALSE;
  return TRUE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Wnd* w = FromHandle(hwnd);
  return w && w->Enabled();
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = !w->Enabled();
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    GeometryChanged();
    Send(w, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Pin pin(w);
    w->style |= WS_DISABLED;
    GeometryChanged();
    HWND focus = GetFocus();
    if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(nullptr);
    if (GetCapture() == hwnd) ReleaseCapture();
    Send(w, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

namespace {

int Minimize(Wnd* w, int cmd, UINT& flags) {
  if (w->style & WS_MINIMIZE) return -1;
  if (!(w->style & WS_MAXIMIZE)) w->normal = w->rect;
  w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
  GeometryChanged();
  if (cmd == SW_MINIMIZE) flags |= SWP_NOACTIVATE;
  return SIZE_MINIMIZED;
}

// A maximized top-level window takes the place its min-max answer gives, a child its parent's client.
int Maximize(Wnd* w, RECT& target) {
  if (w->style & WS_MAXIMIZE) return -1;
  if (!(w->style & WS_MINIMIZE)) w->normal = w->rect;
  w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
  GeometryChanged();
  HWND h = w->handle;
  MINMAXINFO mmi = QueryMinMax(w);
  if (!FromHandle(h)) return -1;
  if (IsTopLevel(w)) {
    target = RECT { mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxPosition.x + mmi.ptMaxSize.x,
                    mmi.ptMaxPosition.y + mmi.ptMaxSize.y };
  } else {
    RECT pc = w->parent->client;
    target = RECT { 0, 0, pc.right - pc.left, pc.bottom - pc.top };
  }
  return SIZE_MAXIMIZED;
}

int Restore(Wnd* w, RECT& target) {
  if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) return -1;
  w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
  GeometryChanged();
  target = w->normal;
  return SIZE_RESTORED;
}

// The size state a show command enters, or -1 when it keeps the one the window has.
int EnterSizeState(Wnd* w, int cmd, RECT& target, UINT& flags) {
  switch (cmd) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      return Minimize(w, cmd, flags);
    case SW_MAXIMIZE:
      return Maximize(w, target);
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      return Restore(w, target);
    default:
      return -1;
  }
}

bool ShowsWithoutActivating(int cmd) {
  return cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWMINNOACTIVE;
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return FALSE;
  Pin pin(w);
  BOOL wasVisible = w->Visible();
  UINT flags = SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  bool show = cmd != SW_HIDE;
  if (!show && !wasVisible) return FALSE;
  if (ShowsWithoutActivating(cmd)) flags |= SWP_NOACTIVATE;
  if (show != (bool)wasVisible) {
    Send(w, WM_SHOWWINDOW, show, 0);
    if (!FromHandle(hwnd)) return wasVisible;
  }
  RECT target = w->rect;
  int sizeType = EnterSizeState(w, cmd, target, flags);
  if (!FromHandle(hwnd)) return wasVisible;
  if (sizeType >= 0) {
    flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
    flags |= SWP_FRAMECHANGED;
  }
  flags |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  if (!show) flags |= SWP_NOACTIVATE;
  SetPos(w, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top, flags);
  if (FromHandle(hwnd) && sizeType == SIZE_MINIMIZED) {
    Send(w, WM_SIZE, SIZE_MINIMIZED, 0);
    if (FromHandle(hwnd) && GetActiveWindow() == hwnd) ActivateNextAfter(w);
  }
  if (FromHandle(hwnd) && show && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && IsTopLevel(w) &&
      !(w->style & WS_MINIMIZE) && GetActiveWindow() != hwnd && !(flags & SWP_NOACTIVATE))
    Activate(w, WA_ACTIVE);
  return wasVisible;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return FALSE;
  return SetPos(w, insertAfter, x, y, cx, cy, flags) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

namespace {
std::vector<std::unique_ptr<DeferInfo>>& Defers() { return Windows().defers; }
DeferInfo* FindDefer(HDWP h) {
  for (auto& d : Defers())
    if ((HDWP)d.get() == h) return d.get();
  return nullptr;
}
}  // namespace

HDWP BeginDeferWindowPos(int count) {
  if (count < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Defers().push_back(std::make_unique<DeferInfo>());
  return (HDWP)Defers().back().get();
}

HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  DeferInfo* d = FindDefer(info);
  if (!d || !IsWindow(hwnd)) {
    SetLastError(d ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  d->moves.push_back(WINDOWPOS { hwnd, insertAfter, x, y, std::max(cx, 0), std::max(cy, 0), flags });
  return info;
}

BOOL EndDeferWindowPos(HDWP info) {
  DeferInfo* d = FindDefer(info);
  if (!d) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<WINDOWPOS> moves = std::move(d->moves);
  auto& all = Defers();
  all.erase(std::remove_if(all.begin(), all.end(), [&](auto& p) { return p.get() == d; }), all.end());
  for (const WINDOWPOS& m : moves)
    if (Wnd* w = FromHandle(m.hwnd)) SetPos(w, m.hwndInsertAfter, m.x, m.y, m.cx, m.cy, m.flags);
  return TRUE;
}

// ---- Rectangles and coordinates ---------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Wnd* w = Checked(hwnd);
  if (!w || !rect) return FALSE;
  if (w == Desktop()) {
    RECT r {};
    MONITORINFO mi { sizeof(MONITORINFO), {}, {}, 0 };
    GetMonitorInfoA(MonitorFromPoint(POINT {}, MONITOR_DEFAULTTOPRIMARY), &mi);
    r = mi.rcMonitor;
    *rect = r;
    return TRUE;
  }
  *rect = ScreenRect(w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Wnd* w = Checked(hwnd);
  if (!w || !rect) return FALSE;
  if (w == Desktop()) return GetWindowRect(hwnd, rect);
  *rect = RECT { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
  Wnd* w = Checked(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOrigin(w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
  Wnd* w = Checked(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOrigin(w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
  Wnd* a = from ? Checked(from) : Desktop();
  Wnd* b = to ? Checked(to) : Desktop();
  if (!a || !b) return 0;
  POINT oa = ClientOrigin(a), ob = ClientOrigin(b);
  int dx = oa.x - ob.x, dy = oa.y - ob.y;
  for (UINT i = 0; pts && i < count; ++i) {
    pts[i].x += dx;
    pts[i].y += dy;
  }
  return MAKELONG(dx, dy);
}

// ---- Tree queries ---------------------------------------------------------------------------------------

HWND GetDesktopWindow() { return Desktop()->handle; }

HWND GetParent(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w) return nullptr;
  if (w->IsChild()) return w->parent ? w->parent->handle : nullptr;
  return w->owner ? w->owner->handle : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return w->parent ? w->parent->handle : nullptr;
    case GA_ROOT:
      return Root(w)->handle;
    case GA_ROOTOWNER: {
      Wnd* r = Root(w);
      while (r->owner) r = r->owner;
      return r->handle;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  Wnd* w = Checked(child);
  if (!w || w == Desktop()) return nullptr;
  Wnd* p = newParent ? Checked(newParent) : Desktop();
  if (!p) return nullptr;
  for (Wnd* a = p; a; a = a->parent)
    if (a == w) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  Wnd* old = w->parent;
  HWND oldHandle = old ? old->handle : nullptr;
  bool visible = w->Visible();
  if (visible) SetPos(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!FromHandle(child)) return oldHandle;
  Unlink(w);
  LinkAt(p, w, nullptr);
  SyncDisplay(w);
  if (visible) SetPos(w, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return oldHandle;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Wnd* w = Checked(hwnd);
  if (!w) return nullptr;
  auto sib = [&](int delta) -> HWND {
    if (!w->parent) return nullptr;
    auto& c = w->parent->children;
    auto it = std::find(c.begin(), c.end(), w);
    if (it == c.end()) return nullptr;
    long i = (it - c.begin()) + delta;
    return i >= 0 && i < (long)c.size() ? c[i]->handle : nullptr;
  };
  switch (cmd) {
    case GW_CHILD:
      return w->children.empty() ? nullptr : w->children.front()->handle;
    case GW_HWNDNEXT:
      return sib(1);
    case GW_HWNDPREV:
      return sib(-1);
    case GW_HWNDFIRST:
      return w->parent && !w->parent->children.empty() ? w->parent->children.front()->handle : nullptr;
    case GW_HWNDLAST:
      return w->parent && !w->parent->children.empty() ? w->parent->children.back()->handle : nullptr;
    case GW_OWNER:
      return w->owner ? w->owner->handle : nullptr;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND GetTopWindow(HWND hwnd) { return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD); }

HWND FindWindowExA(HWND parentHandle, HWND childAfter, LPCSTR className, LPCSTR windowName) {
  Wnd* p = parentHandle ? Checked(parentHandle) : Desktop();
  if (!p) return nullptr;
  WndClass* cls = className ? FindClass(className) : nullptr;
  if (className && !cls) return nullptr;
  bool started = childAfter == nullptr;
  for (Wnd* c : p->children) {
    if (!started) {
      started = c->handle == childAfter;
      continue;
    }
    if (cls && c->cls != cls) continue;
    if (windowName && c->text != windowName) continue;
    return c->handle;
  }
  return nullptr;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) { return FindWindowExA(nullptr, nullptr, className, windowName); }

BOOL IsChild(HWND parent, HWND hwnd) {
  Wnd* p = FromHandle(parent);
  Wnd* w = FromHandle(hwnd);
  if (!p || !w) return FALSE;
  for (; w && w->IsChild(); w = w->parent)
    if (w->parent == p) return TRUE;
  return FALSE;
}

BOOL IsIconic(HWND hwnd) {
  Wnd* w = FromHandle(hwnd);
  return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
  Wnd* w = FromHandle(hwnd);
  return w && (w->style & WS_MAXIMIZE);
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL EnumWindows(WNDENUMPROC fn, LPARAM param) {
  if (!fn) return FALSE;
  std::vector<HWND> list;
  for (Wnd* w : Desktop()->children) list.push_back(w->handle);
  for (HWND h : list)
    if (IsWindow(h) && !fn(h, param)) break;
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC fn, LPARAM param) {
  Wnd* p = Checked(parent);
  if (!p || !fn) return FALSE;
  std::vector<HWND> list;
  std::function<void(Wnd*)> walk = [&](Wnd* w) {
    for (Wnd* c : w->children) {
      list.push_back(c->handle);
      walk(c);
    }
  };
  walk(p);
  for (HWND h : list)
    if (IsWindow(h) && !fn(h, param)) break;
  return TRUE;
}

// ---- Long values ---------------------------------------------------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  Wnd* w = Checked(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC:
      return w->proc.Value();
    case GWL_HINSTANCE:
      return (LONG_PTR)w->inst;
    case GWL_HWNDPARENT:
      return (LONG_PTR)(w->IsChild() ? (w->parent ? w->parent->handle : nullptr)
                                     : (w->owner ? w->owner->handle : nullptr));
    case GWL_ID:
      return w->id;
    case GWL_STYLE:
      return (LONG)w->style;
    case GWL_EXSTYLE:
      return (LONG)w->exStyle;
    case GWL_USERDATA:
      return w->userData;
  }
  if (index >= 0 && (size_t)index / sizeof(LONG_PTR) < w->extra.size() && index % sizeof(LONG_PTR) == 0)
    return w->extra[index / sizeof(LONG_PTR)];
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

namespace {

template <class T>
LONG_PTR Exchange(T& field, LONG_PTR value) {
  LONG_PTR old = (LONG_PTR)field;
  field = (T)value;
  return old;
}

// A child changes its parent this way; a top-level window its owner.
LONG_PTR SetOwner(Wnd* w, LONG_PTR value) {
  if (w->IsChild()) return (LONG_PTR)SetParent(w->handle, (HWND)value);
  LONG_PTR old = (LONG_PTR)(w->owner ? w->owner->handle : nullptr);
  Wnd* owner = value ? FromHandle((HWND)value) : nullptr;
  if (owner) owner = Root(owner);
  // An owner may not be owned, however indirectly, by the window it would own.
  for (Wnd* o = owner; o; o = o->owner)
    if (o == w) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  w->owner = owner;
  return old;
}

LONG_PTR SetStyle(Wnd* w, int index, LONG_PTR value) {
  HWND hwnd = w->handle;
  Pin pin(w);
  DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
  LONG_PTR old = (LONG)field;
  // A window cannot change between child and top-level this way; the visible and disabled bits
  // change only the bit, as on the original platform.
  DWORD value32 = (DWORD)value;
  if (index == GWL_STYLE) value32 = (value32 & ~WS_CHILD) | (w->style & WS_CHILD);
  STYLESTRUCT ss { field, value32 };
  Send(w, WM_STYLECHANGING, (WPARAM)index, (LPARAM)&ss);
  if (!FromHandle(hwnd)) return old;
  bool wasLayered = (w->exStyle & WS_EX_LAYERED) != 0;
  field = index == GWL_STYLE ? ((ss.styleNew & ~WS_CHILD) | (w->style & WS_CHILD)) : ss.styleNew;
  GeometryChanged();
  if (index == GWL_EXSTYLE && wasLayered != ((w->exStyle & WS_EX_LAYERED) != 0)) LayeredStyleChanged(w, wasLayered);
  ss.styleOld = (DWORD)old;
  if (FromHandle(hwnd)) Send(w, WM_STYLECHANGED, (WPARAM)index, (LPARAM)&ss);
  return old;
}

LONG_PTR SetExtra(Wnd* w, int index, LONG_PTR value) {
  if (index >= 0 && (size_t)index / sizeof(LONG_PTR) < w->extra.size() && index % sizeof(LONG_PTR) == 0)
    return Exchange(w->extra[index / sizeof(LONG_PTR)], value);
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

}  // namespace

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return 0;
  switch (index) {
    case GWL_WNDPROC: {
      LONG_PTR old = w->proc.Value();
      SetProc(w, WNDPROC(value));
      return old;
    }
    case GWL_HINSTANCE:
      return Exchange(w->inst, value);
    case GWL_HWNDPARENT:
      return SetOwner(w, value);
    case GWL_ID:
      return Exchange(w->id, value);
    case GWL_USERDATA:
      return Exchange(w->userData, value);
    case GWL_STYLE:
    case GWL_EXSTYLE:
      return SetStyle(w, index, value);
    default:
      return SetExtra(w, index, value);
  }
}

LONG GetWindowLongA(HWND hwnd, int index) { return (LONG)GetWindowLongPtrA(hwnd, index); }

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  // A procedure handle fits in 32 bits, so the narrow form can carry it too.
  return (LONG)SetWindowLongPtrA(hwnd, index,
                                 index == GWL_STYLE || index == GWL_EXSTYLE ? (LONG_PTR)(DWORD)value : (LONG_PTR)value);
}

// ---- Properties and text ----------------------------------------------------------------------------------

// A property named by an atom is kept under "#<atom>".
static std::string PropKey(LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return name;
  std::string key(1, '#');
  key += std::to_string((uintptr_t)name);
  return key;
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
  Wnd* w = Checked(hwnd);
  if (!w || !name) return FALSE;
  std::string key = PropKey(name);
  for (auto& p : w->props)
    if (p.first == key) {
      p.second = data;
      return TRUE;
    }
  w->props.emplace_back(key, data);
  return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name) {
  Wnd* w = FromHandle(hwnd);
  if (!w || !name) return nullptr;
  std::string key = PropKey(name);
  for (auto& p : w->props)
    if (p.first == key) return p.second;
  return nullptr;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name) {
  Wnd* w = FromHandle(hwnd);
  if (!w || !name) return nullptr;
  std::string key = PropKey(name);
  for (auto it = w->props.begin(); it != w->props.end(); ++it)
    if (it->first == key) {
      HANDLE d = it->second;
      w->props.erase(it);
      return d;
    }
  return nullptr;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  return (BOOL)Send(w, WM_SETTEXT, 0, (LPARAM)(text ? text : ""));
}

int GetWindowTextA(HWND hwnd, LPSTR buf, int size) {
  Wnd* w = Checked(hwnd);
  if (!w || !buf || size <= 0) return 0;
  buf[0] = 0;
  return (int)Send(w, WM_GETTEXT, size, (LPARAM)buf);
}

int GetWindowTextLengthA(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w) return 0;
  return (int)Send(w, WM_GETTEXTLENGTH, 0, 0);
}
