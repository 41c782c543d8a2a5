// Regions on pixman: creation, algebra, queries, painting, and window ownership.

#include <algorithm>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {

Rgn::Rgn(const RECT& rc) {
  pixman_region32_init(&r_);
  SetRect(rc);
}

void Rgn::SetRect(const RECT& rc) {
  pixman_region32_fini(&r_);
  if (rc.left < rc.right && rc.top < rc.bottom)
    pixman_region32_init_rect(&r_, rc.left, rc.top, unsigned(rc.right - rc.left), unsigned(rc.bottom - rc.top));
  else
    pixman_region32_init(&r_);
}

void Rgn::IntersectRect(const RECT& rc) {
  if (rc.left >= rc.right || rc.top >= rc.bottom) {
    pixman_region32_clear(&r_);
    return;
  }
  pixman_region32_intersect_rect(&r_, &r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                                 unsigned(rc.bottom - rc.top));
}

RECT Rgn::Box() const {
  const pixman_box32_t* b = pixman_region32_extents(const_cast<pixman_region32_t*>(&r_));
  if (Empty()) return RECT { 0, 0, 0, 0 };
  return RECT { b->x1, b->y1, b->x2, b->y2 };
}

int Rgn::Complexity() const {
  int n = pixman_region32_n_rects(const_cast<pixman_region32_t*>(&r_));
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Rgn RegionFromSpans(const std::vector<Span>& spans) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(spans.size());
  for (const Span& s : spans)
    if (s.x0 < s.x1) boxes.push_back(pixman_box32_t { s.x0, s.y, s.x1, s.y + 1 });
  Rgn r;
  if (!boxes.empty()) {
    pixman_region32_fini(r.get());
    pixman_region32_init_rects(r.get(), boxes.data(), int(boxes.size()));
  }
  return r;
}

void PaintRegion(DC& dc, const Rgn& rgn, const Rop3& rop, const PatternSource& pat) {
  if (pat.none || rgn.Empty()) return;
  DrawScope ds(dc, rgn.Box());
  if (ds.Empty()) return;
  int n = 0;
  const pixman_box32_t* b = rgn.Rects(n);
  for (int i = 0; i < n; ++i) PaintRect(ds, RECT { b[i].x1, b[i].y1, b[i].x2, b[i].y2 }, rop, pat);
}

BOOL SetRegionOwned(HRGN rgn, bool owned) {
  Region* r = Get<Region>(rgn);
  if (!r) {
    SetError(kErrInvalidHandle);
    return FALSE;
  }
  r->owned = owned;
  return TRUE;
}

bool IsRegionOwned(HRGN rgn) {
  Region* r = Get<Region>(rgn);
  return r && r->owned;
}

BOOL DeleteOwnedRegion(HRGN rgn) {
  Region* r = Get<Region>(rgn);
  if (!r) {
    SetError(kErrInvalidHandle);
    return FALSE;
  }
  Destroy(r);
  return TRUE;
}

std::vector<RECT> RegionRects(HRGN rgn) {
  std::vector<RECT> out;
  if (Region* r = Get<Region>(rgn)) {
    int n = 0;
    const pixman_box32_t* b = r->rgn.Rects(n);
    for (int i = 0; i < n; ++i) out.push_back(RECT { b[i].x1, b[i].y1, b[i].x2, b[i].y2 });
  }
  return out;
}

}  // namespace xj::gdi

using namespace xj::gdi;

namespace {

HRGN NewRegion(Rgn rgn) {
  auto r = std::make_unique<Region>();
  r->rgn = std::move(rgn);
  return static_cast<HRGN>(Register(std::move(r)));
}

Region* RegionArg(HRGN h) {
  Region* r = Get<Region>(h);
  if (!r) SetError(kErrInvalidHandle);
  return r;
}

RECT Normal(int l, int t, int r, int b) { return RECT { std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b) }; }

HRGN RoundRectRegion(const RECT& box, int cw, int ch) {
  std::vector<std::pair<int, int>> rows;
  RoundRectRows(box, cw, ch, rows);
  std::vector<Span> spans;
  for (size_t i = 0; i < rows.size(); ++i) spans.push_back(Span { box.top + int(i), rows[i].first, rows[i].second });
  return NewRegion(RegionFromSpans(spans));
}

// A region given in logical coordinates, moved to the DC's surface.
Rgn OnSurface(DC& dc, const Region& r) {
  Rgn out = r.rgn;
  out.Translate(dc.SX(0), dc.SY(0));
  return out;
}

}  // namespace

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion(Rgn(Normal(left, top, right, bottom)));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rc) {
  if (!rc) {
    SetError(kErrInvalidParameter);
    return nullptr;
  }
  return CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom);
}

HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom) {
  RECT box = Normal(left, top, right, bottom);
  return RoundRectRegion(box, box.right - box.left, box.bottom - box.top);
}

HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rc) {
  if (!rc) {
    SetError(kErrInvalidParameter);
    return nullptr;
  }
  return CreateEllipticRgn(rc->left, rc->top, rc->right, rc->bottom);
}

HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h) {
  return RoundRectRegion(Normal(left, top, right, bottom), std::abs(w), std::abs(h));
}

HRGN WINAPI CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  if (!pts || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
    SetError(kErrInvalidParameter);
    return nullptr;
  }
  std::vector<Span> spans;
  PolygonSpans(pts, count, fillMode, spans);
  return NewRegion(RegionFromSpans(spans));
}

HRGN WINAPI ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
  if (xform || !data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      data->rdh.iType != RDH_RECTANGLES || uint64_t(data->rdh.dwSize) + uint64_t(data->rdh.nCount) * 16 > size) {
    SetError(kErrInvalidParameter);
    return nullptr;
  }
  const auto* rects = reinterpret_cast<const RECT*>(reinterpret_cast<const char*>(data) + data->rdh.dwSize);
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(data->rdh.nCount);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, rects + i, sizeof rc);
    if (rc.left < rc.right && rc.top < rc.bottom) boxes.push_back(pixman_box32_t { rc.left, rc.top, rc.right, rc.bottom });
  }
  Rgn r;
  if (!boxes.empty()) {
    pixman_region32_fini(r.get());
    if (!pixman_region32_init_rects(r.get(), boxes.data(), int(boxes.size()))) {
      pixman_region32_init(r.get());
      SetError(kErrNoMemory);
      return nullptr;
    }
  }
  return NewRegion(std::move(r));
}

DWORD WINAPI GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data) {
  Region* r = RegionArg(rgn);
  if (!r) return 0;
  int n = 0;
  const pixman_box32_t* b = r->rgn.Rects(n);
  DWORD need = DWORD(sizeof(RGNDATAHEADER) + size_t(n) * sizeof(RECT));
  if (!data) return need;
  if (size < need) {
    SetError(kErrInvalidParameter);
    return 0;
  }
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(n);
  data->rdh.nRgnSize = DWORD(size_t(n) * sizeof(RECT));
  data->rdh.rcBound = r->rgn.Box();
  auto* out = reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER);
  for (int i = 0; i < n; ++i) {
    RECT rc { b[i].x1, b[i].y1, b[i].x2, b[i].y2 };
    std::memcpy(out + size_t(i) * sizeof(RECT), &rc, sizeof rc);
  }
  return size;
}

int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  Region* d = RegionArg(dest);
  Region* a = RegionArg(src1);
  Region* b = mode == RGN_COPY ? a : RegionArg(src2);
  if (!d || !a || !b) return ERROR;
  pixman_region32_t* out = d->rgn.get();
  switch (mode) {
    case RGN_COPY:
      pixman_region32_copy(out, a->rgn.get());
      break;
    case RGN_AND:
      pixman_region32_intersect(out, a->rgn.get(), b->rgn.get());
      break;
    case RGN_OR:
      pixman_region32_union(out, a->rgn.get(), b->rgn.get());
      break;
    case RGN_DIFF:
      pixman_region32_subtract(out, a->rgn.get(), b->rgn.get());
      break;
    case RGN_XOR: {
      Rgn both;
      pixman_region32_intersect(both.get(), a->rgn.get(), b->rgn.get());
      pixman_region32_union(out, a->rgn.get(), b->rgn.get());
      pixman_region32_subtract(out, out, both.get());
      break;
    }
    default:
      SetError(kErrInvalidParameter);
      return ERROR;
  }
  return d->rgn.Complexity();
}

BOOL WINAPI SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  Region* r = RegionArg(rgn);
  if (!r) return FALSE;
  r->rgn.SetRect(Normal(left, top, right, bottom));
  return TRUE;
}

int WINAPI OffsetRgn(HRGN rgn, int dx, int dy) {
  Region* r = RegionArg(rgn);
  if (!r) return ERROR;
  r->rgn.Translate(dx, dy);
  return r->rgn.Complexity();
}

BOOL WINAPI PtInRegion(HRGN rgn, int x, int y) {
  Region* r = RegionArg(rgn);
  return r && pixman_region32_contains_point(r->rgn.get(), x, y, nullptr) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN rgn, const RECT* rc) {
  Region* r = RegionArg(rgn);
  if (!r || !rc) return FALSE;
  RECT n = Normal(rc->left, rc->top, rc->right, rc->bottom);
  if (n.left == n.right || n.top == n.bottom) return FALSE;
  pixman_box32_t box { n.left, n.top, n.right, n.bottom };
  return pixman_region32_contains_rectangle(r->rgn.get(), &box) != PIXMAN_REGION_OUT ? TRUE : FALSE;
}

int WINAPI GetRgnBox(HRGN rgn, LPRECT rc) {
  Region* r = RegionArg(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->rgn.Box();
  return r->rgn.Complexity();
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  Region* ra = RegionArg(a);
  Region* rb = RegionArg(b);
  if (!ra || !rb) return ERROR;
  return pixman_region32_equal(ra->rgn.get(), rb->rgn.get()) ? TRUE : FALSE;
}

// ---- Painting regions ----------------------------------------------------------------------------
BOOL WINAPI FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  DC* dc = GetDC(hdc);
  Region* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  PaintRegion(*dc, OnSurface(*dc, *r), Rop3(0xF0), RealizeBrush(*dc, brush, dc->Mono()));
  return TRUE;
}

BOOL WINAPI PaintRgn(HDC hdc, HRGN rgn) {
  DC* dc = GetDC(hdc);
  return dc ? FillRgn(hdc, rgn, dc->st.brush) : FALSE;
}

BOOL WINAPI InvertRgn(HDC hdc, HRGN rgn) {
  DC* dc = GetDC(hdc);
  Region* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  PaintRegion(*dc, OnSurface(*dc, *r), Rop3(0x55), SolidSource(0));
  return TRUE;
}

BOOL WINAPI FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h) {
  DC* dc = GetDC(hdc);
  Region* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  if (w <= 0 || h <= 0) {
    SetError(kErrInvalidParameter);
    return FALSE;
  }
  // The frame is what erosion by a (2w + 1) × (2h + 1) box takes away.
  Rgn inner = r->rgn;
  for (int k = 1; k <= w; ++k)
    for (int sign : { -1, 1 }) {
      Rgn moved = r->rgn;
      moved.Translate(sign * k, 0);
      inner.Intersect(moved);
    }
  for (int k = 1; k <= h; ++k)
    for (int sign : { -1, 1 }) {
      Rgn moved = r->rgn;
      moved.Translate(0, sign * k);
      inner.Intersect(moved);
    }
  Region frame;
  frame.rgn = r->rgn;
  frame.rgn.Subtract(inner);
  PaintRegion(*dc, OnSurface(*dc, frame), Rop3(0xF0), RealizeBrush(*dc, brush, dc->Mono()));
  return TRUE;
}
