// Device contexts: creation, selected objects, saved states, colours and modes, origins, clipping,
// and the drawing scope every primitive goes through.

#include <strings.h>

#include <algorithm>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {
namespace {

// Stock objects are never freed, so what holds them is not counted.
void Hold(Object* o, int delta) {
  if (o && !o->stock) o->selections += delta;
}
void Hold(void* h, int delta) { Hold(Lookup(h), delta); }

void HoldState(const DCState& s, int delta) {
  Hold(s.pen, delta);
  Hold(s.brush, delta);
  Hold(s.font, delta);
  Hold(s.bitmap, delta);
}

DCState DefaultState(bool memory) {
  DCState s;
  s.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  s.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  s.bitmap = memory ? HandleOf(StockBitmap()) : nullptr;
  return s;
}

// A new DC holds only stock objects: nothing to count.
HDC NewDC(std::unique_ptr<DC> dc) { return static_cast<HDC>(Register(std::move(dc))); }

RECT NormalRect(int l, int t, int r, int b) {
  RECT rc { l < r ? l : r, t < b ? t : b, l < r ? r : l, t < b ? b : t };
  return rc;
}

// The device-space rectangle of the whole surface: what "no clip region" means.
Region DeviceBounds(DC& dc) {
  Surface s = dc.CurrentSurface();
  return Region(RECT { -dc.origin.x, -dc.origin.y, s.Width - dc.origin.x, s.Height - dc.origin.y });
}

int ClipResult(DC& dc) { return dc.EffectiveClip().Complexity(); }

}  // namespace

DC::~DC() {
  HoldState(st, -1);
  for (const DCState& s : saved) HoldState(s, -1);
  if (Bitmap* b = Bmp(); b && b->selections == 0) b->selectedInto = nullptr;
}

DC* GetDC(HDC h) {
  DC* dc = Get<DC>(h);
  if (!dc) SetLastError(ERROR_INVALID_HANDLE);
  return dc;
}

bool DC::Mono() const {
  Bitmap* b = Bmp();
  return b && b->fmt.Mono();
}

Surface DC::CurrentSurface(Bitmap** packed) {
  if (packed) *packed = nullptr;
  if (target) return target->TargetSurface();
  Bitmap* b = Bmp();
  if (packed && b && !b->Direct()) *packed = b;
  return b ? b->View() : Surface {};
}

Region DC::EffectiveClip() {
  Surface s = CurrentSurface();
  return EffectiveClip(s, RECT { 0, 0, s.Width, s.Height });
}

Region DC::EffectiveClip(const Surface& s, const RECT& within) {
  // The visible and clipping regions are both origin-relative: the part of the surface asked for is cut
  // to them there, and the result moved once, rather than each region copied and moved.
  Region r(RECT { std::max<LONG>(within.left, 0) - origin.x, std::max<LONG>(within.top, 0) - origin.y,
                  std::min<LONG>(within.right, s.Width) - origin.x,
                  std::min<LONG>(within.bottom, s.Height) - origin.y });
  if (visible) r.Intersect(*visible);
  if (st.clip) r.Intersect(*st.clip);
  r.Translate(origin.x, origin.y);
  return r;
}

DrawScope::DrawScope(DC& dc, const RECT& bounds) : dc_(dc) {
  Bitmap* packed = nullptr;
  const Surface s = dc.CurrentSurface(&packed);
  if ((s.Pixels == nullptr && !packed) || s.Width <= 0 || s.Height <= 0 || bounds.left >= bounds.right ||
      bounds.top >= bounds.bottom)
    return;
  clip_ = dc.EffectiveClip(s, bounds);
  if (clip_.Empty()) return;
  box_ = clip_.Box();
  empty_ = false;
  mono_ = packed && packed->fmt.Mono();  // a 32-bit bitmap and a window are colour
  if (!packed) {
    base_ = s.Pixels;
    stride_ = s.Stride;
    return;
  }
  // Only the rectangle drawn on is converted: a large picture of few bits costs what is drawn on it.
  bmp_ = packed;
  bmp_->Pull(box_);
  base_ = bmp_->shadow.get();
  stride_ = box_.right - box_.left;
  left_ = box_.left;
  top_ = box_.top;
}

DrawScope::~DrawScope() {
  if (empty_) return;
  if (bmp_) bmp_->Push(box_);
  if (dc_.target) dc_.target->Damaged(box_);
}

namespace {

std::unique_ptr<DC> TargetDC(DCTarget* target, POINT origin, const void* tag) {
  auto dc = std::make_unique<DC>();
  dc->memory = false;
  dc->target = target;
  dc->origin = origin;
  dc->tag = tag;
  dc->st = DefaultState(false);
  return dc;
}

}  // namespace

HDC CreateTargetDC(DCTarget* target, POINT origin, HRGN visible, const void* tag) {
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = TargetDC(target, origin, tag);
  if (RegionObject* r = Get<RegionObject>(visible)) dc->visible = r->rgn;
  return NewDC(std::move(dc));
}

HDC CreateTargetDC(DCTarget* target, POINT origin, Region&& visible, const void* tag) {
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = TargetDC(target, origin, tag);
  dc->visible = std::move(visible);
  return NewDC(std::move(dc));
}

BOOL SetTargetDCGeometry(HDC hdc, POINT origin, HRGN visible) {
  DC* dc = GetDC(hdc);
  if (!dc || !dc->target) return FALSE;
  dc->origin = origin;
  if (RegionObject* r = Get<RegionObject>(visible))
    dc->visible = r->rgn;
  else
    dc->visible.reset();
  return TRUE;
}

}  // namespace xj::gdi

using namespace xj::gdi;

// ---- Creation ----------------------------------------------------------------------------------------
HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !GetDC(hdc)) return nullptr;
  auto dc = std::make_unique<DC>();
  dc->st = DefaultState(true);
  return NewDC(std::move(dc));
}

HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const void*) {
  if (!driver || strcasecmp(driver, "DISPLAY") != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HDC hdc = CreateCompatibleDC(nullptr);
  if (DC* dc = Get<DC>(hdc)) dc->display = true;
  return hdc;
}

BOOL WINAPI DeleteDC(HDC hdc) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  Destroy(dc);
  return TRUE;
}

// ---- Selected objects ----------------------------------------------------------------------------
namespace {

// Puts the object o (behind handle h) into the slot, returning the handle it held.
template <class H>
HGDIOBJ Swap(H& slot, Object* o, HGDIOBJ h) {
  H old = slot;
  Hold(o, +1);
  Hold(old, -1);
  slot = static_cast<H>(h);
  return old;
}

HGDIOBJ SelectBitmap(DC& dc, Bitmap* b, HGDIOBJ h) {
  if (!dc.memory) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A bitmap lives in one DC at a time.
  if (!b->stock && b->selections > 0 && b->selectedInto != dc.handle) {
    SetLastError(ERROR_BUSY);
    return nullptr;
  }
  Bitmap* old = dc.Bmp();
  HGDIOBJ prev = Swap(dc.st.bitmap, b, h);
  if (old && old->selections == 0) old->selectedInto = nullptr;
  if (!b->stock) b->selectedInto = dc.handle;
  return prev;
}

}  // namespace

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DC* dc = GetDC(hdc);
  Object* o = Lookup(h);
  if (!dc) return nullptr;
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  switch (o->kind) {
    case Kind::Pen:
      return Swap(dc->st.pen, o, h);
    case Kind::Brush:
      return Swap(dc->st.brush, o, h);
    case Kind::Font:
      return Swap(dc->st.font, o, h);
    case Kind::Bitmap:
      return SelectBitmap(*dc, static_cast<Bitmap*>(o), h);
    case Kind::Region: {
      // Selecting a region sets the clip region; the result is its complexity, not a handle.
      int r = SelectClipRgn(hdc, static_cast<HRGN>(h));
      return reinterpret_cast<HGDIOBJ>(intptr_t(r));
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
  }
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  DC* dc = GetDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->st.pen;
    case OBJ_BRUSH:
      return dc->st.brush;
    case OBJ_FONT:
      return dc->st.font;
    case OBJ_BITMAP:
      return dc->st.bitmap;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// ---- Saved states ----------------------------------------------------------------------------------
int WINAPI SaveDC(HDC hdc) {
  DC* dc = GetDC(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  HoldState(dc->st, +1);
  return int(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int savedDC) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  int depth = int(dc->saved.size());
  int level = savedDC < 0 ? depth + 1 + savedDC : savedDC;
  if (level < 1 || level > depth) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HoldState(dc->st, -1);
  for (int i = level; i < depth; ++i) HoldState(dc->saved[size_t(i)], -1);
  Bitmap* before = dc->Bmp();
  dc->st = std::move(dc->saved[size_t(level - 1)]);
  dc->saved.resize(size_t(level - 1));
  if (before && before->selections == 0) before->selectedInto = nullptr;
  return TRUE;
}

// ---- Colours and modes -------------------------------------------------------------------------------
namespace {

template <class V, class F>
V SetField(HDC hdc, V fail, F&& apply) {
  DC* dc = GetDC(hdc);
  return dc ? apply(*dc) : fail;
}

template <class V>
V Exchange(V& slot, V v) {
  V old = slot;
  slot = v;
  return old;
}

}  // namespace

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF c) {
  return SetField(hdc, CLR_INVALID, [&](DC& dc) { return Exchange(dc.st.bkColor, c); });
}
COLORREF WINAPI GetBkColor(HDC hdc) {
  return SetField(hdc, CLR_INVALID, [](DC& dc) { return dc.st.bkColor; });
}
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF c) {
  return SetField(hdc, CLR_INVALID, [&](DC& dc) { return Exchange(dc.st.textColor, c); });
}
COLORREF WINAPI GetTextColor(HDC hdc) {
  return SetField(hdc, CLR_INVALID, [](DC& dc) { return dc.st.textColor; });
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetField(hdc, 0, [&](DC& dc) { return Exchange(dc.st.bkMode, mode); });
}
int WINAPI GetBkMode(HDC hdc) {
  return SetField(hdc, 0, [](DC& dc) { return dc.st.bkMode; });
}

int WINAPI SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetField(hdc, 0, [&](DC& dc) { return Exchange(dc.st.rop2, rop2); });
}
int WINAPI GetROP2(HDC hdc) {
  return SetField(hdc, 0, [](DC& dc) { return dc.st.rop2; });
}

// Stored only: every mode stretches by nearest neighbour.
int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetField(hdc, 0, [&](DC& dc) { return Exchange(dc.st.stretchMode, mode); });
}
int WINAPI GetStretchBltMode(HDC hdc) {
  return SetField(hdc, 0, [](DC& dc) { return dc.st.stretchMode; });
}

int WINAPI SetPolyFillMode(HDC hdc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetField(hdc, 0, [&](DC& dc) { return Exchange(dc.st.polyFillMode, mode); });
}
int WINAPI GetPolyFillMode(HDC hdc) {
  return SetField(hdc, 0, [](DC& dc) { return dc.st.polyFillMode; });
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  return SetField(hdc, GDI_ERROR, [&](DC& dc) { return Exchange(dc.st.textAlign, align); });
}
UINT WINAPI GetTextAlign(HDC hdc) {
  return SetField(hdc, GDI_ERROR, [](DC& dc) { return dc.st.textAlign; });
}

// ---- Origins -----------------------------------------------------------------------------------------
namespace {

BOOL SetPoint(HDC hdc, POINT DCState::*field, int x, int y, LPPOINT old, bool relative) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  POINT& p = dc->st.*field;
  if (old) *old = p;
  if (relative) {
    p.x = xj::SatAdd(p.x, x);
    p.y = xj::SatAdd(p.y, y);
  } else {
    p = POINT { x, y };
  }
  return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DCState::*field, LPPOINT out) {
  DC* dc = GetDC(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->st.*field;
  return TRUE;
}

}  // namespace

BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DCState::brushOrg, x, y, old, false);
}
BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT pt) { return GetPoint(hdc, &DCState::brushOrg, pt); }
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DCState::viewportOrg, x, y, old, false);
}
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT pt) { return GetPoint(hdc, &DCState::viewportOrg, pt); }
BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  return SetPoint(hdc, &DCState::viewportOrg, dx, dy, old, true);
}
BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DCState::windowOrg, x, y, old, false);
}
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT pt) { return GetPoint(hdc, &DCState::windowOrg, pt); }
BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  return SetPoint(hdc, &DCState::windowOrg, dx, dy, old, true);
}
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT pt) { return GetPoint(hdc, &DCState::pos, pt); }

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT pts, int count) {
  DC* dc = GetDC(hdc);
  if (!dc || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = POINT { dc->DX(pts[i].x), dc->DY(pts[i].y) };
  return TRUE;
}

BOOL WINAPI DPtoLP(HDC hdc, LPPOINT pts, int count) {
  DC* dc = GetDC(hdc);
  if (!dc || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) {
    pts[i].x = xj::ClampInt(int64_t { pts[i].x } + dc->st.windowOrg.x - dc->st.viewportOrg.x);
    pts[i].y = xj::ClampInt(int64_t { pts[i].y } + dc->st.windowOrg.y - dc->st.viewportOrg.y);
  }
  return TRUE;
}

// ---- Clipping ------------------------------------------------------------------------------------------
int WINAPI SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DC* dc = GetDC(hdc);
  if (!dc) return ERROR;
  RegionObject* r = Get<RegionObject>(rgn);
  if (!r) {
    if (rgn || mode != RGN_COPY) {
      SetLastError(rgn ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    dc->st.clip.reset();
    return ClipResult(*dc);
  }
  Region current = dc->st.clip ? *dc->st.clip : DeviceBounds(*dc);
  Region& out = current;
  switch (mode) {
    case RGN_COPY:
      out = r->rgn;
      break;
    case RGN_AND:
      out.Intersect(r->rgn);
      break;
    case RGN_OR:
      pixman_region32_union(out.Raw(), out.Raw(), r->rgn.Raw());
      break;
    case RGN_XOR: {
      Region both = current;
      both.Intersect(r->rgn);
      pixman_region32_union(out.Raw(), out.Raw(), r->rgn.Raw());
      out.Subtract(both);
      break;
    }
    case RGN_DIFF:
      out.Subtract(r->rgn);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  dc->st.clip = std::move(current);
  return ClipResult(*dc);
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = GetDC(hdc);
  if (!dc) return ERROR;
  RECT rc = NormalRect(dc->DX(left), dc->DY(top), dc->DX(right), dc->DY(bottom));
  Region clip = dc->st.clip ? *dc->st.clip : DeviceBounds(*dc);
  clip.Intersect(rc);
  dc->st.clip = std::move(clip);
  return ClipResult(*dc);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = GetDC(hdc);
  if (!dc) return ERROR;
  RECT rc = NormalRect(dc->DX(left), dc->DY(top), dc->DX(right), dc->DY(bottom));
  Region clip = dc->st.clip ? *dc->st.clip : DeviceBounds(*dc);
  clip.Subtract(Region(rc));
  dc->st.clip = std::move(clip);
  return ClipResult(*dc);
}

int WINAPI OffsetClipRgn(HDC hdc, int dx, int dy) {
  DC* dc = GetDC(hdc);
  if (!dc) return ERROR;
  if (dc->st.clip) dc->st.clip->Translate(dx, dy);
  return ClipResult(*dc);
}

int WINAPI GetClipBox(HDC hdc, LPRECT rc) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return ERROR;
  Region clip = dc->EffectiveClip();
  RECT b = clip.Box();
  const int64_t dx = int64_t { dc->origin.x } + dc->st.viewportOrg.x - dc->st.windowOrg.x;
  const int64_t dy = int64_t { dc->origin.y } + dc->st.viewportOrg.y - dc->st.windowOrg.y;
  if (clip.Empty())
    *rc = RECT { 0, 0, 0, 0 };
  else
    *rc = RECT { xj::ClampInt(b.left - dx), xj::ClampInt(b.top - dy), xj::ClampInt(b.right - dx),
                 xj::ClampInt(b.bottom - dy) };
  return clip.Complexity();
}

int WINAPI GetClipRgn(HDC hdc, HRGN rgn) {
  DC* dc = GetDC(hdc);
  RegionObject* r = Get<RegionObject>(rgn);
  if (!dc || !r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  if (!dc->st.clip) return 0;
  r->rgn = *dc->st.clip;
  return 1;
}

BOOL WINAPI PtVisible(HDC hdc, int x, int y) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  Region clip = dc->EffectiveClip();
  return pixman_region32_contains_point(clip.Raw(), dc->SX(x), dc->SY(y), nullptr) ? TRUE : FALSE;
}

BOOL WINAPI RectVisible(HDC hdc, const RECT* rc) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc) return FALSE;
  Region clip = dc->EffectiveClip();
  clip.Intersect(NormalRect(dc->SX(rc->left), dc->SY(rc->top), dc->SX(rc->right), dc->SY(rc->bottom)));
  return clip.Empty() ? FALSE : TRUE;
}
