// Regions on pixman: creation, algebra, queries, painting, and window ownership.

#include <algorithm>

#include "platform/win32/Gdi_private.h"

namespace xj {

Region::Region(const RECT& r) {
  if (r.left < r.right && r.top < r.bottom)
    pixman_region32_init_rect(&FRegion, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
  else
    pixman_region32_init(&FRegion);
}

Region::Region(const Region& o) {
  pixman_region32_init(&FRegion);
  pixman_region32_copy(&FRegion, &o.FRegion);
}

Region& Region::operator=(const Region& o) {
  if (this != &o) pixman_region32_copy(&FRegion, &o.FRegion);
  return *this;
}

void Region::Set(const RECT& r) {
  pixman_region32_fini(&FRegion);
  if (r.left < r.right && r.top < r.bottom)
    pixman_region32_init_rect(&FRegion, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
  else
    pixman_region32_init(&FRegion);
}

bool Region::SetBoxes(const std::vector<pixman_box32_t>& boxes) {
  pixman_region32_fini(&FRegion);
  if (boxes.empty()) {
    pixman_region32_init(&FRegion);
    return true;
  }
  if (pixman_region32_init_rects(&FRegion, boxes.data(), int(boxes.size()))) return true;
  pixman_region32_init(&FRegion);
  return false;
}

void Region::Union(const RECT& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  pixman_region32_union_rect(&FRegion, &FRegion, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
}

void Region::Intersect(const RECT& r) {
  if (r.left >= r.right || r.top >= r.bottom) {
    Clear();
    return;
  }
  pixman_region32_intersect_rect(&FRegion, &FRegion, r.left, r.top, unsigned(r.right - r.left),
                                 unsigned(r.bottom - r.top));
}

RECT Region::Box() const {
  if (Empty()) return RECT { 0, 0, 0, 0 };
  const pixman_box32_t* b = pixman_region32_extents(&FRegion);
  return RECT { b->x1, b->y1, b->x2, b->y2 };
}

int Region::Complexity() const {
  int n = pixman_region32_n_rects(&FRegion);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<RECT> Region::RectList() const {
  int n = 0;
  const pixman_box32_t* b = Rects(n);
  std::vector<RECT> out;
  out.reserve(size_t(n));
  for (int i = 0; i < n; ++i) out.push_back(RECT { b[i].x1, b[i].y1, b[i].x2, b[i].y2 });
  return out;
}

}  // namespace xj

namespace xj::gdi {

Region RegionFromSpans(const std::vector<Span>& spans) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(spans.size());
  for (const Span& s : spans)
    if (s.x0 < s.x1) boxes.push_back(pixman_box32_t { s.x0, s.y, s.x1, s.y + 1 });
  Region r;
  r.SetBoxes(boxes);
  return r;
}

void PaintRegion(DC& dc, const Region& rgn, const Rop3& rop, const PatternSource& pat) {
  if (pat.none || rgn.Empty()) return;
  DrawScope ds(dc, rgn.Box());
  if (ds.Empty()) return;
  int n = 0;
  const pixman_box32_t* b = rgn.Rects(n);
  for (int i = 0; i < n; ++i) PaintRect(ds, RECT { b[i].x1, b[i].y1, b[i].x2, b[i].y2 }, rop, pat);
}

BOOL SetRegionOwned(HRGN rgn, bool owned) {
  RegionObject* r = Get<RegionObject>(rgn);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  r->owned = owned;
  return TRUE;
}

bool IsRegionOwned(HRGN rgn) {
  RegionObject* r = Get<RegionObject>(rgn);
  return r && r->owned;
}

BOOL DeleteOwnedRegion(HRGN rgn) {
  RegionObject* r = Get<RegionObject>(rgn);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Destroy(r);
  return TRUE;
}

const Region* RegionOf(HRGN rgn) {
  RegionObject* r = Get<RegionObject>(rgn);
  if (!r) SetLastError(ERROR_INVALID_HANDLE);
  return r ? &r->rgn : nullptr;
}

HRGN CreateRegion(Region r) {
  auto o = std::make_unique<RegionObject>();
  o->rgn = std::move(r);
  return static_cast<HRGN>(Register(std::move(o)));
}

int AssignRegion(HRGN rgn, const Region& r) {
  RegionObject* o = Get<RegionObject>(rgn);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  o->rgn = r;
  return o->rgn.Complexity();
}

}  // namespace xj::gdi

using namespace xj::gdi;

namespace {

RegionObject* RegionArg(HRGN h) {
  RegionObject* r = Get<RegionObject>(h);
  if (!r) SetLastError(ERROR_INVALID_HANDLE);
  return r;
}

RECT Normal(int l, int t, int r, int b) {
  return RECT { std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b) };
}

HRGN RoundRectRegion(const RECT& box, int cw, int ch) {
  std::vector<std::pair<int, int>> rows;
  RoundRectRows(box, cw, ch, rows);
  std::vector<Span> spans;
  for (size_t i = 0; i < rows.size(); ++i) spans.push_back(Span { box.top + int(i), rows[i].first, rows[i].second });
  return CreateRegion(RegionFromSpans(spans));
}

// A region given in logical coordinates, moved to the DC's surface.
Region OnSurface(DC& dc, Region r) {
  r.Translate(dc.SX(0), dc.SY(0));
  return r;
}

}  // namespace

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  return CreateRegion(Region(Normal(left, top, right, bottom)));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rc) {
  if (!rc) {
    SetLastError(ERROR_INVALID_PARAMETER);
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
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateEllipticRgn(rc->left, rc->top, rc->right, rc->bottom);
}

HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h) {
  return RoundRectRegion(Normal(left, top, right, bottom), std::abs(w), std::abs(h));
}

HRGN WINAPI CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  if (!pts || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<Span> spans;
  PolygonSpans(pts, count, fillMode, spans);
  return CreateRegion(RegionFromSpans(spans));
}

namespace {

// Region data made from a picture has one band per pixel row, most of them repeating the row above.
// When the boxes come in bands (rows top to bottom, each band's boxes left to right and apart), a band
// that continues the one above with the same spans is joined to it, so the region is built from a few
// boxes. Boxes in any other order are left for the region to sort out.
void MergeRepeatedBands(std::vector<pixman_box32_t>& boxes) {
  const size_t n = boxes.size();
  for (size_t i = 1; i < n; ++i) {
    const pixman_box32_t &a = boxes[i - 1], &b = boxes[i];
    const bool sameBand = a.y1 == b.y1 && a.y2 == b.y2;
    if (sameBand ? b.x1 < a.x2 : b.y1 < a.y2) return;
  }
  size_t out = 0, prev = 0, prevEnd = 0;  // the last band written: [prev, prevEnd)
  for (size_t i = 0; i < n;) {
    size_t end = i + 1;
    while (end < n && boxes[end].y1 == boxes[i].y1) ++end;
    const size_t count = end - i;
    bool joins = prevEnd > prev && prevEnd - prev == count && boxes[prev].y2 == boxes[i].y1;
    for (size_t k = 0; joins && k < count; ++k)
      joins = boxes[prev + k].x1 == boxes[i + k].x1 && boxes[prev + k].x2 == boxes[i + k].x2;
    if (joins) {
      for (size_t k = 0; k < count; ++k) boxes[prev + k].y2 = boxes[i + k].y2;
    } else {
      prev = out;
      for (size_t k = i; k < end; ++k) boxes[out++] = boxes[k];
      prevEnd = out;
    }
    i = end;
  }
  boxes.resize(out);
}

}  // namespace

HRGN WINAPI ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
  if (xform || !data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      data->rdh.iType != RDH_RECTANGLES || uint64_t(data->rdh.dwSize) + uint64_t(data->rdh.nCount) * 16 > size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* rects = reinterpret_cast<const RECT*>(reinterpret_cast<const char*>(data) + data->rdh.dwSize);
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(data->rdh.nCount);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, rects + i, sizeof rc);
    if (rc.left < rc.right && rc.top < rc.bottom)
      boxes.push_back(pixman_box32_t { rc.left, rc.top, rc.right, rc.bottom });
  }
  MergeRepeatedBands(boxes);
  Region r;
  if (!r.SetBoxes(boxes)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return CreateRegion(std::move(r));
}

DWORD WINAPI GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data) {
  RegionObject* r = RegionArg(rgn);
  if (!r) return 0;
  int n = 0;
  const pixman_box32_t* b = r->rgn.Rects(n);
  DWORD need = DWORD(sizeof(RGNDATAHEADER) + size_t(n) * sizeof(RECT));
  if (!data) return need;
  if (size < need) {
    SetLastError(ERROR_INVALID_PARAMETER);
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
  RegionObject* d = RegionArg(dest);
  RegionObject* a = RegionArg(src1);
  RegionObject* b = mode == RGN_COPY ? a : RegionArg(src2);
  if (!d || !a || !b) return ERROR;
  pixman_region32_t* out = d->rgn.Raw();
  switch (mode) {
    case RGN_COPY:
      pixman_region32_copy(out, a->rgn.Raw());
      break;
    case RGN_AND:
      pixman_region32_intersect(out, a->rgn.Raw(), b->rgn.Raw());
      break;
    case RGN_OR:
      pixman_region32_union(out, a->rgn.Raw(), b->rgn.Raw());
      break;
    case RGN_DIFF:
      pixman_region32_subtract(out, a->rgn.Raw(), b->rgn.Raw());
      break;
    case RGN_XOR: {
      Region both;
      pixman_region32_intersect(both.Raw(), a->rgn.Raw(), b->rgn.Raw());
      pixman_region32_union(out, a->rgn.Raw(), b->rgn.Raw());
      pixman_region32_subtract(out, out, both.Raw());
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  return d->rgn.Complexity();
}

BOOL WINAPI SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  RegionObject* r = RegionArg(rgn);
  if (!r) return FALSE;
  r->rgn.Set(Normal(left, top, right, bottom));
  return TRUE;
}

int WINAPI OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionObject* r = RegionArg(rgn);
  if (!r) return ERROR;
  r->rgn.Translate(dx, dy);
  return r->rgn.Complexity();
}

BOOL WINAPI PtInRegion(HRGN rgn, int x, int y) {
  RegionObject* r = RegionArg(rgn);
  return r && pixman_region32_contains_point(r->rgn.Raw(), x, y, nullptr) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN rgn, const RECT* rc) {
  RegionObject* r = RegionArg(rgn);
  if (!r || !rc) return FALSE;
  RECT n = Normal(rc->left, rc->top, rc->right, rc->bottom);
  if (n.left == n.right || n.top == n.bottom) return FALSE;
  pixman_box32_t box { n.left, n.top, n.right, n.bottom };
  return pixman_region32_contains_rectangle(r->rgn.Raw(), &box) != PIXMAN_REGION_OUT ? TRUE : FALSE;
}

int WINAPI GetRgnBox(HRGN rgn, LPRECT rc) {
  RegionObject* r = RegionArg(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->rgn.Box();
  return r->rgn.Complexity();
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  RegionObject* ra = RegionArg(a);
  RegionObject* rb = RegionArg(b);
  if (!ra || !rb) return ERROR;
  return pixman_region32_equal(ra->rgn.Raw(), rb->rgn.Raw()) ? TRUE : FALSE;
}

// ---- Painting regions ----------------------------------------------------------------------------
BOOL WINAPI FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  DC* dc = GetDC(hdc);
  RegionObject* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  PaintRegion(*dc, OnSurface(*dc, r->rgn), Rop3(0xF0), RealizeBrush(*dc, brush, dc->Mono()));
  return TRUE;
}

BOOL WINAPI PaintRgn(HDC hdc, HRGN rgn) {
  DC* dc = GetDC(hdc);
  return dc ? FillRgn(hdc, rgn, dc->st.brush) : FALSE;
}

BOOL WINAPI InvertRgn(HDC hdc, HRGN rgn) {
  DC* dc = GetDC(hdc);
  RegionObject* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  PaintRegion(*dc, OnSurface(*dc, r->rgn), Rop3(0x55), SolidSource(0));
  return TRUE;
}

BOOL WINAPI FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h) {
  DC* dc = GetDC(hdc);
  RegionObject* r = RegionArg(rgn);
  if (!dc || !r) return FALSE;
  if (w <= 0 || h <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The frame is what erosion by a (2w + 1) × (2h + 1) box takes away.
  Region inner = r->rgn;
  for (int k = 1; k <= w; ++k)
    for (int sign : { -1, 1 }) {
      Region moved = r->rgn;
      moved.Translate(sign * k, 0);
      inner.Intersect(moved);
    }
  for (int k = 1; k <= h; ++k)
    for (int sign : { -1, 1 }) {
      Region moved = r->rgn;
      moved.Translate(0, sign * k);
      inner.Intersect(moved);
    }
  Region frame = r->rgn;
  frame.Subtract(inner);
  PaintRegion(*dc, OnSurface(*dc, std::move(frame)), Rop3(0xF0), RealizeBrush(*dc, brush, dc->Mono()));
  return TRUE;
}
