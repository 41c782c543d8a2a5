// Update regions and the paint cycle: invalidation (with the original rule for children),
// WM_PAINT generation, BeginPaint/EndPaint with WM_NCPAINT and WM_ERASEBKGND, UpdateWindow and
// RedrawWindow.

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/win32/GdiInternal.h"
#include "platform/win32/WmDc.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

namespace {

RECT ClientBox(const Wnd* w) {
  return RECT { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
}

// The part of a child's client area covered by `rgn` (parent client coordinates), in the child's
// client coordinates.
Region ToChild(const Wnd* child, const Region& rgn) {
  Region r = rgn;
  r.Translate(-(child->rect.left + child->client.left), -(child->rect.top + child->client.top));
  r.Intersect(ClientBox(child));
  return r;
}

Region ChildWindowArea(const Wnd* child, const Region& rgn) {
  Region r = rgn;
  r.Intersect(child->rect);
  return r;
}

bool ChildrenIncluded(const Wnd* w, UINT flags) {
  if (flags & RDW_ALLCHILDREN) return true;
  if (flags & RDW_NOCHILDREN) return false;
  return !(w->style & WS_CLIPCHILDREN);
}

void Invalidate(Wnd* w, const Region& rgn, UINT flags);

// Hands a child its part of `rgn` (parent client coordinates), marking its frame when the part reaches
// past its client area.
void InvalidateChild(Wnd* c, const Region& rgn, UINT flags) {
  Region area = ChildWindowArea(c, rgn);
  if (area.Empty()) return;
  UINT childFlags = flags & ~RDW_NOCHILDREN;
  if (!(flags & RDW_ALLCHILDREN)) childFlags &= ~RDW_ALLCHILDREN;
  if (flags & RDW_INVALIDATE) {
    const RECT cb = ClientBox(c);
    area.Translate(-c->rect.left, -c->rect.top);
    area.Subtract(RECT { c->client.left, c->client.top, c->client.left + cb.right, c->client.top + cb.bottom });
    if (!area.Empty()) c->ncDirty = true;
  }
  Invalidate(c, ToChild(c, rgn), childFlags);
}

void Invalidate(Wnd* w, const Region& rgn, UINT flags) {
  if (flags & RDW_INVALIDATE) {
    w->update.Union(rgn);
    w->update.Intersect(ClientBox(w));
    if ((flags & RDW_ERASE) && !w->update.Empty()) w->erase = true;
    if (flags & RDW_FRAME) w->ncDirty = true;
  }
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_VALIDATE) {
    w->update.Subtract(rgn);
    if (w->update.Empty()) w->erase = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  }
  PaintStateChanged(w);
  if (!ChildrenIncluded(w, flags)) return;
  // Children outside the region's bounds are passed over before any region is made for them: a form
  // invalidated where one control moved holds a hundred others.
  const RECT bounds = rgn.Box();
  if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) return;
  for (Wnd* c : w->children) {
    if (!c->Visible()) continue;
    if (c->rect.right <= bounds.left || c->rect.left >= bounds.right || c->rect.bottom <= bounds.top ||
        c->rect.top >= bounds.bottom)
      continue;
    InvalidateChild(c, rgn, flags);
  }
}

void PaintNow(Wnd* w, UINT flags) {
  HWND h = w->handle;
  Pin pin(w);
  if (!ReallyVisible(w)) return;
  if (w->ncDirty && (flags & (RDW_UPDATENOW | RDW_ERASENOW))) {
    w->ncDirty = false;
    PaintStateChanged(w);
    Send(w, WM_NCPAINT, 1, 0);
    if (!IsWindow(h)) return;
  }
  if (flags & RDW_UPDATENOW) {
    if (!w->update.Empty() || w->internalPaint) {
      SendPaint(w, 0, 0);
      if (!IsWindow(h)) return;
    }
  } else if ((flags & RDW_ERASENOW) && w->erase) {
    HDC dc = GetDCEx(h, nullptr, DCX_USESTYLE);
    w->erase = false;
    Send(w, WM_ERASEBKGND, (WPARAM)dc, 0);
    if (IsWindow(h)) ReleaseDC(h, dc);
  }
  if (!IsWindow(h) || !ChildrenIncluded(w, flags | RDW_ALLCHILDREN)) return;
  std::vector<HWND> kids;
  for (Wnd* c : w->children) kids.push_back(c->handle);
  for (auto it = kids.rbegin(); it != kids.rend(); ++it)
    if (Wnd* c = FromHandle(*it)) PaintNow(c, flags);
}

// The first window needing paint in the branch, in the order a walk of the whole tree meets them.
Wnd* FindPaint(Wnd* w, HWND filter, bool inFilter) {
  if (!w->Visible() || ((w->style & WS_MINIMIZE) && IsTopLevel(w))) return nullptr;
  inFilter = inFilter || !filter || w->handle == filter;
  if (inFilter && NeedsPaint(w)) return w;
  // Siblings below paint first, so that a window above (or a transparent one) paints over them.
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
    if (Wnd* f = FindPaint(*it, filter, inFilter)) return f;
  return nullptr;
}

// The windows needing paint, shown or not. An idle queue asks them, not the tree, whether a paint is
// due: a routed pointer move looks at its queue until it is empty, and a form holds hundreds of windows.
struct PaintState : StatePart {
  std::vector<Wnd*> list;
};

std::vector<Wnd*>& PaintList() { return Part<PaintState>(PartId::Paint).list; }

}  // namespace

bool NeedsPaint(const Wnd* w) { return !w->update.Empty() || w->internalPaint || w->ncDirty; }

void PaintStateChanged(Wnd* w) {
  const bool needs = !w->dead && NeedsPaint(w);
  if (needs == w->paintListed) return;
  w->paintListed = needs;
  std::vector<Wnd*>& list = PaintList();
  if (needs) {
    list.push_back(w);
    return;
  }
  // Not there when the state was renewed under a surviving window.
  auto it = std::find(list.begin(), list.end(), w);
  if (it != list.end()) list.erase(it);
}

// The first window needing paint in the order a walk of the whole tree meets them.
Wnd* NextPaintWindow(HWND filter) {
  const std::vector<Wnd*>& list = PaintList();
  if (std::none_of(list.begin(), list.end(), ReallyVisible)) return nullptr;
  const auto& tops = Desktop()->children;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    if (Wnd* f = FindPaint(*it, filter, false)) return f;
  return nullptr;
}

void InvalidateClient(Wnd* w, const Region* rgn, bool erase, bool children) {
  Region all(ClientBox(w));
  Invalidate(w, rgn ? *rgn : all,
             RDW_INVALIDATE | (erase ? RDW_ERASE : 0) | (children ? RDW_ALLCHILDREN : RDW_NOCHILDREN));
}

void InvalidateFrame(Wnd* w) {
  if (w == Desktop()) return;
  w->ncDirty = true;
  PaintStateChanged(w);
}

void InvalidateExposed(Wnd* parent, const Region& r) {
  if (parent == Desktop()) {
    for (Wnd* top : Desktop()->children) {
      if (!top->Visible()) continue;
      Region area = r;
      area.Intersect(top->rect);
      if (area.Empty()) continue;
      top->ncDirty = true;
      Region inTop = r;
      inTop.Translate(-(top->rect.left + top->client.left), -(top->rect.top + top->client.top));
      Invalidate(top, inTop, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    return;
  }
  Invalidate(parent, r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

namespace {

// A WM_PAINT handler that never called BeginPaint would get WM_PAINT forever: validate for it.
void AfterPaintDispatch(Wnd* w, unsigned paintsBefore) {
  if (w->dead || w->paints != paintsBefore) return;
  w->update.Clear();
  w->erase = false;
  w->internalPaint = false;
  bool frame = std::exchange(w->ncDirty, false);
  PaintStateChanged(w);
  if (frame) Send(w, WM_NCPAINT, 1, 0);
}

}  // namespace

// A handler that raised before BeginPaint is validated for too: left invalid, its window would be sent
// the failing paint again at once. The frame paint of the validation may raise itself, hence the catch.
LRESULT SendPaint(Wnd* w, WPARAM wParam, LPARAM lParam) {
  Pin pin(w);
  const unsigned before = w->paints;
  LRESULT result = 0;
  try {
    result = Send(w, WM_PAINT, wParam, lParam);
  } catch (...) {
    AfterPaintDispatch(w, before);
    throw;
  }
  AfterPaintDispatch(w, before);
  return result;
}

}  // namespace xj::wm

using namespace xj::wm;

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  Wnd* w = Checked(hwnd);
  if (!w || !ps) return nullptr;
  Pin pin(w);
  ++w->paints;
  *ps = PAINTSTRUCT {};
  HideCaret(hwnd);
  if (w->ncDirty) {
    w->ncDirty = false;
    PaintStateChanged(w);
    Send(w, WM_NCPAINT, 1, 0);
    if (!IsWindow(hwnd)) return nullptr;
  }
  Region rgn = std::move(w->update);  // leaves the window's update region empty
  bool erase = w->erase;
  w->erase = false;
  w->internalPaint = false;
  PaintStateChanged(w);
  HDC dc = PaintDC(w, rgn);
  ps->hdc = dc;
  ps->rcPaint = rgn.Box();
  if (erase && !rgn.Empty()) {
    LRESULT erased = Send(w, WM_ERASEBKGND, (WPARAM)dc, 0);
    ps->fErase = erased ? FALSE : TRUE;
  }
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) ReleaseDC(hwnd, ps->hdc);
  if (IsWindow(hwnd)) ShowCaret(hwnd);
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  Wnd* w = hwnd ? Checked(hwnd) : Desktop();
  if (!w) return FALSE;
  if (w == Desktop()) {
    for (Wnd* top : std::vector<Wnd*>(Desktop()->children))
      RedrawWindow(top->handle, nullptr, nullptr, flags | RDW_FRAME);
    return TRUE;
  }
  Region area;
  if (rgn) {
    const Region* given = xj::gdi::RegionOf(rgn);
    if (!given) return FALSE;
    area = *given;
  } else if (rect) {
    area.Set(*rect);
  } else {
    area.Set(RECT { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top });
  }
  if ((flags & RDW_INVALIDATE) && (flags & RDW_NOERASE)) flags &= ~RDW_ERASE;
  if ((flags & RDW_FRAME) && (flags & RDW_INVALIDATE)) w->ncDirty = true;
  Invalidate(w, area, flags);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) PaintNow(w, flags);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) return RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN | (rect ? 0 : RDW_NOINTERNALPAINT));
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) { return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN); }

BOOL UpdateWindow(HWND hwnd) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  PaintNow(w, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  RECT r = w->update.Box();
  if (rect) *rect = r;
  if (erase && w->erase && !w->update.Empty()) PaintNow(w, RDW_ERASENOW | RDW_NOCHILDREN);
  return !IsRectEmptyWm(r);
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  Wnd* w = Checked(hwnd);
  if (!w) return 0;
  int kind = xj::gdi::AssignRegion(rgn, w->update);
  if (erase && w->erase && !w->update.Empty()) PaintNow(w, RDW_ERASENOW | RDW_NOCHILDREN);
  return kind;
}
