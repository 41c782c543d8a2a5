// Device contexts of windows (origin and visible region computed from the tree), window regions with
// their ownership, layered windows, scrolling of window contents, and background erasing.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "platform/win32/AddressMap.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmDc.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

namespace {

// The surface of one top-level window as a GDI drawing target. Looked up by handle on every
// operation, so a DC outliving its window draws nowhere instead of into freed memory.
class SurfaceTarget : public gdi::DCTarget {
 public:
  explicit SurfaceTarget(HWND top) : FTop(top) {}
  gdi::Surface TargetSurface() override {
    Wnd* w = FromHandle(FTop);
    if (!w || !IsTopLevel(w)) return {};
    TopSurface& s = EnsureSurface(w);
    return gdi::Surface { s.pixels.data(), s.width, s.height, s.width };
  }
  void Damaged(const RECT& rc) override {
    if (Wnd* w = FromHandle(FTop))
      if (TopSurface* s = SurfaceOf(w)) AddDirty(*s, rc);
  }

 private:
  HWND FTop;
};

// Drawing on the screen DC goes nowhere; it exists for measuring and for compatible DCs.
class NullTarget : public gdi::DCTarget {
 public:
  gdi::Surface TargetSurface() override { return {}; }
};

std::map<HWND, std::unique_ptr<SurfaceTarget>>& Targets() {
  static auto* t = new std::map<HWND, std::unique_ptr<SurfaceTarget>>;
  return *t;
}
// The window of each DC handed out for a window (null for the screen's). Every paint makes one and frees
// it: kept in open addressing, so neither allocates.
AddressMap<HWND>& Dcs() {
  static auto* d = new AddressMap<HWND>;
  return *d;
}

SurfaceTarget* TargetOf(Wnd* top) {
  auto& t = Targets()[top->handle];
  if (!t) t = std::make_unique<SurfaceTarget>(top->handle);
  return t.get();
}

// A window's top-level window and where that lies on the screen: taken once for a DC, which finds the
// place of the window, its ancestors and their siblings in the top-level surface from it.
struct TopFrame {
  explicit TopFrame(Wnd* w) : top(Root(w)), at(WindowOrigin(top)) {}
  Wnd* top;
  POINT at;
};

// Where a window lies in its top-level surface.
POINT OriginInTop(const TopFrame& f, const Wnd* w, bool client) {
  POINT o = client ? ClientOrigin(w) : WindowOrigin(w);
  return POINT { o.x - f.at.x, o.y - f.at.y };
}

RECT RectInTop(const TopFrame& f, const Wnd* w, bool client) {
  POINT o = OriginInTop(f, w, client);
  int cw = client ? w->client.right - w->client.left : w->Width();
  int ch = client ? w->client.bottom - w->client.top : w->Height();
  return RECT { o.x, o.y, o.x + cw, o.y + ch };
}

void IntersectWindowRegion(const TopFrame& f, Region& r, const Wnd* w) {
  const Region* shape = w->shape;
  if (!shape) return;
  // The region cut is taken to the window's own coordinates and back: it is most often one rectangle,
  // where the shape may be many.
  POINT o = OriginInTop(f, w, false);
  r.Translate(-o.x, -o.y);
  r.Intersect(*shape);
  r.Translate(o.x, o.y);
}

bool Overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether a child is cut out of what lies beneath it.
bool Opaque(const Wnd* s) { return s->Visible() && !(s->exStyle & WS_EX_TRANSPARENT); }

void CutBoxes(Region& r, const std::vector<pixman_box32_t>& boxes) {
  if (boxes.size() == 1) {
    r.Subtract(RECT { boxes[0].x1, boxes[0].y1, boxes[0].x2, boxes[0].y2 });
    return;
  }
  Region covered;
  if (covered.SetBoxes(boxes)) {
    r.Subtract(covered);
  } else {
    for (const pixman_box32_t& b : boxes) r.Subtract(RECT { b.x1, b.y1, b.x2, b.y2 });
  }
}

// Cuts the windows of a list out of a region. Most of a form's windows lie beside one another, so a
// window whose rectangle misses the region's box costs a compare, and the rectangles of all (a shaped
// window's by its shape) are cut out together in one region operation rather than one each.
// The windows of a list are siblings: their rectangles are found from their parent's client origin, taken
// once, rather than by walking up the tree for each.
void SubtractWindows(const TopFrame& f, Region& r, const std::vector<Wnd*>& windows, const Wnd* stopAt) {
  if (windows.empty() || windows.front() == stopAt) return;
  const POINT base = OriginInTop(f, windows.front()->parent, true);
  RECT box = r.Box();
  OffsetRect(&box, -base.x, -base.y);  // in the parent's client coordinates, as the siblings' rectangles are
  std::vector<pixman_box32_t> covered;
  for (Wnd* s : windows) {
    if (s == stopAt) break;
    if (!Overlaps(s->rect, box) || !Opaque(s)) continue;
    const RECT rect { base.x + s->rect.left, base.y + s->rect.top, base.x + s->rect.right, base.y + s->rect.bottom };
    if (s->region) {
      Region area(rect);
      IntersectWindowRegion(f, area, s);
      int n = 0;
      const pixman_box32_t* b = area.Rects(n);
      covered.insert(covered.end(), b, b + n);
    } else {
      covered.push_back(pixman_box32_t { rect.left, rect.top, rect.right, rect.bottom });
    }
  }
  if (!covered.empty()) CutBoxes(r, covered);
}

void SubtractSiblingsAbove(const TopFrame& f, Region& r, const Wnd* w) {
  SubtractWindows(f, r, w->parent->children, w);
}

Region VisibleInTop(const TopFrame& f, Wnd* w, bool client, std::optional<bool> clipChildren) {
  if (!ReallyVisible(w)) return Region();
  Region r(RectInTop(f, w, client));
  IntersectWindowRegion(f, r, w);
  for (Wnd* c = w; c != f.top; c = c->parent) {
    Wnd* p = c->parent;
    r.Intersect(RectInTop(f, p, true));
    IntersectWindowRegion(f, r, p);
    SubtractSiblingsAbove(f, r, c);
  }
  if (client && clipChildren.value_or((w->style & WS_CLIPCHILDREN) != 0)) SubtractWindows(f, r, w->children, nullptr);
  return r;
}

}  // namespace

// What of a window may be painted, in its top-level surface's coordinates: its own rectangle (client
// or whole), inside every ancestor's client area and window region, minus the siblings above it and
// the siblings above its ancestors, minus its children when it clips them. A window marked
// WS_EX_TRANSPARENT is not cut out of what lies beneath it.
Region VisibleInTop(Wnd* w, bool client, std::optional<bool> clipChildren) {
  return VisibleInTop(TopFrame(w), w, client, clipChildren);
}

HDC MakeDC(Wnd* w, bool window, const Region* extraClip, std::optional<bool> clipChildren = std::nullopt) {
  if (w == Desktop()) {
    static NullTarget screen;
    HDC dc = gdi::CreateTargetDC(&screen, POINT { 0, 0 }, nullptr, nullptr);
    if (dc) Dcs().Insert(AddressMap<HWND>::Key(dc), nullptr);
    return dc;
  }
  const TopFrame f(w);
  POINT origin = OriginInTop(f, w, !window);
  Region vis = VisibleInTop(f, w, !window, clipChildren);
  vis.Translate(-origin.x, -origin.y);
  if (extraClip) vis.Intersect(*extraClip);
  HDC dc = gdi::CreateTargetDC(TargetOf(f.top), origin, std::move(vis), w->handle);
  if (dc) Dcs().Insert(AddressMap<HWND>::Key(dc), w->handle);
  return dc;
}

HDC PaintDC(Wnd* w, const Region& clip) { return MakeDC(w, false, &clip); }

LRESULT DefEraseBackground(Wnd* w, HDC dc) {
  if (!w->cls || !w->cls->background) return 0;
  if (!dc) return 1;
  RECT rc { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
  FillRect(dc, &rc, w->cls->background);
  return 1;
}

bool WindowRegionContains(const Wnd* w, POINT windowPt) {
  if (!w->region) return true;
  return PtInRegion(w->region, windowPt.x, windowPt.y) != FALSE;
}

std::vector<RECT> WindowShapeRects(const Wnd* w, bool& shaped) {
  shaped = w->region != nullptr;
  return w->shape ? w->shape->RectList() : std::vector<RECT> {};
}

void LayeredStyleChanged(Wnd* w, bool wasLayered) {
  if (wasLayered) {
    // Back to opaque: the contents stay and are painted again without alpha.
    w->alphaSet = false;
    w->alpha = 255;
    w->layeredFlags = 0;
    RedrawWindow(w->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  SyncDisplay(w);
}

// DCs of a window that goes away are freed with it.
void ReleaseDCsOf(Wnd* w) {
  std::vector<uintptr_t> mine;
  Dcs().ForEach([&](uintptr_t dc, HWND hwnd) {
    Wnd* o = FromHandle(hwnd);
    if (hwnd == w->handle || (o && IsChild(w->handle, o->handle))) mine.push_back(dc);
  });
  for (uintptr_t dc : mine) {
    Dcs().Erase(dc);
    DeleteDC(reinterpret_cast<HDC>(dc));
  }
  if (IsTopLevel(w) || !w->parent) Targets().erase(w->handle);
}

}  // namespace xj::wm

using namespace xj::wm;

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  Wnd* w = hwnd ? Checked(hwnd) : Desktop();
  if (!w) return nullptr;
  Region extra;
  bool useExtra = false;
  if ((flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) && (uintptr_t)clip > 1) {
    if (const Region* given = xj::gdi::RegionOf(clip)) {
      Region c = *given;
      // The region is in screen coordinates, as WM_NCPAINT hands it over.
      POINT o = (flags & DCX_WINDOW) ? WindowOrigin(w) : ClientOrigin(w);
      c.Translate(-o.x, -o.y);
      if (flags & DCX_INTERSECTRGN) {
        extra = c;
      } else {
        extra.Set(RECT { -32768, -32768, 32767, 32767 });
        extra.Subtract(c);
      }
      useExtra = true;
    }
  }
  // Without DCX_USESTYLE only the flags decide whether the children are cut out, so that a caller can
  // draw over them (a drag indicator).
  std::optional<bool> clipChildren;
  if (!(flags & DCX_USESTYLE)) clipChildren = (flags & DCX_CLIPCHILDREN) != 0;
  return MakeDC(w, (flags & DCX_WINDOW) != 0, useExtra ? &extra : nullptr, clipChildren);
}

HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_USESTYLE); }
HDC GetWindowDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_USESTYLE); }

int ReleaseDC(HWND, HDC dc) {
  if (!Dcs().Erase(dc)) return 0;
  DeleteDC(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  const HWND* hwnd = Dcs().Find(xj::AddressMap<HWND>::Key(dc));
  return hwnd ? *hwnd : nullptr;
}

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return 0;
  // Handing a window the region it already owns changes nothing (and must not free it).
  if (rgn && rgn == w->region) return 1;
  RECT box;
  if (rgn && (GetRgnBox(rgn, &box) == ERROR || xj::gdi::IsRegionOwned(rgn))) {
    SetLastError(rgn && GetRgnBox(rgn, &box) == ERROR ? ERROR_INVALID_HANDLE : ERROR_BUSY);
    return 0;
  }
  Pin pin(w);
  bool wasVisible = ReallyVisible(w);
  RECT before = ScreenRect(w);
  HRGN old = w->region;
  w->region = rgn;
  w->shape = rgn ? xj::gdi::RegionOf(rgn) : nullptr;
  GeometryChanged();
  if (rgn) xj::gdi::SetRegionOwned(rgn, true);
  if (old) xj::gdi::DeleteOwnedRegion(old);
  if (redraw && wasVisible) {
    Wnd* parent = w->parent ? w->parent : Desktop();
    POINT po = ClientOrigin(parent);
    Offset(before, -po.x, -po.y);
    InvalidateExposed(parent, Region(before));
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  SyncDisplay(w);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  Wnd* w = Checked(hwnd);
  if (!w || !w->region) return ERROR;
  return CombineRgn(rgn, w->region, nullptr, RGN_COPY);
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  if (!(w->exStyle & WS_EX_LAYERED)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  w->colorKey = key;
  w->layeredFlags = flags;
  if (flags & LWA_ALPHA) {
    w->alpha = alpha;
    w->alphaSet = true;
  }
  SyncDisplay(w);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
  Wnd* w = Checked(hwnd);
  if (!w) return FALSE;
  if (!(w->exStyle & WS_EX_LAYERED) || !w->alphaSet) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (key) *key = w->colorKey;
  if (alpha) *alpha = w->alpha;
  if (flags) *flags = w->layeredFlags;
  return TRUE;
}

namespace {

// Moves the pixels of src to dst (both in client coordinates; o is the client's origin in its
// top-level surface). Source and destination overlap: the moving pixels are read from a copy of their
// box only, not of the whole surface, which a small window on a large form would pay for at every step.
void MovePixels(TopSurface& s, const Region& src, const Region& dst, POINT o, int dx, int dy) {
  RECT box = src.Box();
  Offset(box, o.x, o.y);
  box.left = std::max<LONG>(box.left, 0);
  box.top = std::max<LONG>(box.top, 0);
  box.right = std::min<LONG>(box.right, s.width);
  box.bottom = std::min<LONG>(box.bottom, s.height);
  const int bw = std::max<int>(box.right - box.left, 0), bh = std::max<int>(box.bottom - box.top, 0);
  std::vector<uint32_t> copy((size_t)bw * bh);
  for (int y = 0; y < bh; ++y)
    std::copy_n(&s.pixels[(size_t)(box.top + y) * s.width + box.left], bw, &copy[(size_t)y * bw]);
  for (const RECT& r : dst.RectList()) {
    // The span of each row whose source lies in the copy and whose target lies on the surface.
    const int xlo = std::max({ (int)r.left, -o.x, (int)box.left - o.x + dx });
    const int xhi = std::min({ (int)r.right, s.width - o.x, (int)box.right - o.x + dx });
    if (xhi <= xlo) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const int sy = y - dy + o.y, ty = y + o.y;
      if (sy < box.top || sy >= box.bottom || ty < 0 || ty >= s.height) continue;
      std::copy_n(&copy[(size_t)(sy - box.top) * bw + (xlo - dx + o.x - box.left)], xhi - xlo,
                  &s.pixels[(size_t)ty * s.width + xlo + o.x]);
    }
  }
  RECT d = dst.Box();
  Offset(d, o.x, o.y);
  AddDirty(s, d);
}

// Pending invalid parts inside the scrolled area move along with the pixels.
void MovePendingUpdate(Wnd* w, const Region& area, int dx, int dy) {
  Region moved = w->update;
  moved.Intersect(area);
  w->update.Subtract(area);
  moved.Translate(dx, dy);
  moved.Intersect(area);
  w->update.Union(moved);
  PaintStateChanged(w);
}

// The children that meet the scrolled rectangle (all of them without one) move by the same amount.
void ScrollChildren(Wnd* w, const RECT* scroll, int dx, int dy) {
  for (Wnd* c : w->children) {
    RECT cr = c->rect;
    if (scroll &&
        !(cr.left < scroll->right && cr.right > scroll->left && cr.top < scroll->bottom && cr.bottom > scroll->top))
      continue;
    SetPos(c, nullptr, cr.left + dx, cr.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
}

}  // namespace

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, LPRECT updateRect,
                   UINT flags) {
  Wnd* w = Checked(hwnd);
  if (!w || w == Desktop()) return ERROR;
  RECT box { 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top };
  Region area(scroll ? *scroll : box);
  area.Intersect(box);
  if (clip) area.Intersect(*clip);
  // The pixels that can move: visible both where they are and where they go.
  const TopFrame f(w);
  POINT o = OriginInTop(f, w, true);
  Region vis = VisibleInTop(f, w, true, std::nullopt);
  vis.Translate(-o.x, -o.y);
  Region src = area;
  src.Intersect(vis);
  Region dst = src;
  dst.Translate(dx, dy);
  dst.Intersect(area);
  dst.Intersect(vis);
  if (TopSurface* s = SurfaceOf(f.top)) MovePixels(*s, src, dst, o, dx, dy);
  // What the move uncovered must be painted.
  Region uncovered = area;
  uncovered.Subtract(dst);
  MovePendingUpdate(w, area, dx, dy);
  if (flags & SW_SCROLLCHILDREN) ScrollChildren(w, scroll, dx, dy);
  if (flags & SW_INVALIDATE) InvalidateClient(w, &uncovered, (flags & SW_ERASE) != 0, (flags & SW_SCROLLCHILDREN) != 0);
  if (update) xj::gdi::AssignRegion(update, uncovered);
  if (updateRect) *updateRect = uncovered.Box();
  return uncovered.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, SW_INVALIDATE | SW_ERASE) != ERROR;
}

BOOL LockWindowUpdate(HWND) { return TRUE; }
