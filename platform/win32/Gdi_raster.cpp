// Lines and shapes with the pixel rules of the original platform: lines omit their end point,
// filled shapes cover [left, right) × [top, bottom), reversed corners are normalised, a width-1
// pen is cosmetic and styled pens restart their pattern at each segment.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {

void RoundRectRows(const RECT& box, int cw, int ch, std::vector<std::pair<int, int>>& rows) {
  int w = box.right - box.left, h = box.bottom - box.top;
  rows.assign(size_t(std::max(h, 0)), { box.left, box.left });
  if (w <= 0 || h <= 0) return;
  cw = std::min(cw, w);
  ch = std::min(ch, h);
  double rx = cw / 2.0, ry = ch / 2.0;
  double top = box.top + ry, bottom = box.bottom - ry;
  for (int i = 0; i < h; ++i) {
    double yc = box.top + i + 0.5;
    double dy = yc < top ? top - yc : yc > bottom ? yc - bottom : 0.0;
    if (cw <= 0 || ch <= 0 || dy == 0.0) {
      rows[size_t(i)] = { box.left, box.right };
      continue;
    }
    if (dy >= ry) continue;
    double half = rx * std::sqrt(1.0 - (dy / ry) * (dy / ry));
    double l = box.left + rx - half, r = box.right - rx + half;
    // Pixels whose centres lie within the edges.
    int x0 = int(std::ceil(l - 0.5)), x1 = int(std::floor(r - 0.5)) + 1;
    rows[size_t(i)] = { x0, std::max(x0, x1) };
  }
}

void PolygonSpans(const POINT* pts, int n, int fillMode, std::vector<Span>& out) {
  if (n < 3) return;
  int minY = pts[0].y, maxY = pts[0].y;
  for (int i = 1; i < n; ++i) {
    minY = std::min<int>(minY, pts[i].y);
    maxY = std::max<int>(maxY, pts[i].y);
  }
  struct Hit {
    double x;
    int dir;
  };
  std::vector<Hit> hits;
  for (int y = minY; y < maxY; ++y) {
    hits.clear();
    for (int i = 0; i < n; ++i) {
      const POINT& a = pts[i];
      const POINT& b = pts[(i + 1) % n];
      if (a.y == b.y) continue;
      int lo = std::min<int>(a.y, b.y), hi = std::max<int>(a.y, b.y);
      if (y < lo || y >= hi) continue;
      double x = a.x + double(y - a.y) * double(b.x - a.x) / double(b.y - a.y);
      hits.push_back(Hit { x, b.y > a.y ? 1 : -1 });
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& p, const Hit& q) { return p.x < q.x; });
    int winding = 0;
    for (size_t k = 0; k + 1 < hits.size(); ++k) {
      winding += hits[k].dir;
      bool inside = fillMode == WINDING ? winding != 0 : (k % 2) == 0;
      if (!inside) continue;
      int x0 = int(std::ceil(hits[k].x)), x1 = int(std::ceil(hits[k + 1].x));
      if (x0 < x1) out.push_back(Span { y, x0, x1 });
    }
  }
}

namespace {

// Merges overlapping spans of the same row so that each pixel is painted once.
void Normalise(std::vector<Span>& spans) {
  const auto before = [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; };
  if (!std::is_sorted(spans.begin(), spans.end(), before)) std::sort(spans.begin(), spans.end(), before);
  // Merged in place: the kept spans never overtake the one being read.
  size_t kept = 0;
  for (size_t i = 0; i < spans.size(); ++i) {
    const Span s = spans[i];
    if (s.x0 >= s.x1) continue;
    if (kept && spans[kept - 1].y == s.y && s.x0 <= spans[kept - 1].x1)
      spans[kept - 1].x1 = std::max(spans[kept - 1].x1, s.x1);
    else
      spans[kept++] = s;
  }
  spans.resize(kept);
}

RECT BoundsOf(const std::vector<Span>& spans) {
  RECT b { INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN };
  for (const Span& s : spans) {
    b.left = std::min(b.left, s.x0);
    b.right = std::max(b.right, s.x1);
    b.top = std::min(b.top, s.y);
    b.bottom = std::max(b.bottom, s.y + 1);
  }
  return b;
}

struct PenInfo {
  bool none { true };
  UINT style { PS_SOLID };
  int width { 1 };
  PatternSource ink;
  PatternSource gap;  // styled pens in OPAQUE mode fill their gaps with the background colour
};

PenInfo RealizePen(DC& dc) {
  PenInfo pi;
  Pen* p = Get<Pen>(dc.st.pen);
  if (!p || p->style == PS_NULL) return pi;
  bool mono = dc.Mono();
  auto target = [mono](COLORREF c) {
    uint32_t px = ToPixel(ResolveColor(c));
    return mono ? MonoPixel(px) : px;
  };
  pi.none = false;
  pi.style = p->style;
  pi.width = p->width;
  pi.ink = SolidSource(target(p->color));
  pi.gap = SolidSource(target(dc.st.bkColor));
  pi.gap.none = dc.st.bkMode != OPAQUE;
  return pi;
}

// On/off run lengths of the cosmetic styles.
const std::vector<int>& StylePattern(UINT style) {
  static const std::vector<int> none, dash { 18, 6 }, dot { 3, 3 }, dashDot { 9, 6, 3, 6 },
      dashDotDot { 9, 3, 3, 3, 3, 3 };
  switch (style) {
    case PS_DASH:
      return dash;
    case PS_DOT:
      return dot;
    case PS_DASHDOT:
      return dashDot;
    case PS_DASHDOTDOT:
      return dashDotDot;
  }
  return none;
}

// Calls fn(x, y) for each pixel of the segment, end point excluded, in drawing order.
template <class Fn>
void WalkLine(POINT a, POINT b, Fn&& fn) {
  int64_t dx = std::abs(int64_t(b.x) - a.x), dy = std::abs(int64_t(b.y) - a.y);
  int sx = b.x >= a.x ? 1 : -1, sy = b.y >= a.y ? 1 : -1;
  const bool xMajor = dx >= dy;
  const int64_t steps = std::max(dx, dy), across = std::min(dx, dy);
  // The minor coordinate of step k is (2 k across + steps) / (2 steps), rounded down: kept as a
  // quotient and remainder that each step moves on by 2 across (less than one whole 2 steps).
  int64_t minor = 0, rest = steps;
  for (int64_t k = 0; k < steps; ++k) {
    const int64_t x = a.x + sx * (xMajor ? k : minor);
    const int64_t y = a.y + sy * (xMajor ? minor : k);
    fn(int(x), int(y));
    rest += 2 * across;
    if (rest >= 2 * steps) {
      rest -= 2 * steps;
      ++minor;
    }
  }
}

// A cosmetic (one pixel wide) polyline, as runs of ink and gap pixels.
void CosmeticSpans(std::span<const POINT> pts, bool closed, UINT style, std::vector<Span>& ink,
                   std::vector<Span>& gap) {
  const std::vector<int>& pattern = StylePattern(style);
  size_t segments = closed ? pts.size() : pts.size() - 1;
  for (size_t i = 0; i < segments; ++i) {
    const POINT a = pts[i], b = pts[(i + 1) % pts.size()];
    // A solid level line is one run, a solid upright one a pixel per row: the same pixels the walk
    // below gives, without stepping through them.
    if (pattern.empty() && a.y == b.y) {
      if (a.x != b.x) ink.push_back(a.x < b.x ? Span { a.y, a.x, b.x } : Span { a.y, b.x + 1, a.x + 1 });
      continue;
    }
    if (pattern.empty() && a.x == b.x) {
      for (int y = a.y; y != b.y; y += a.y < b.y ? 1 : -1) ink.push_back(Span { y, a.x, a.x + 1 });
      continue;
    }
    size_t pos = 0;
    int left = pattern.empty() ? 0 : pattern[0];
    WalkLine(a, b, [&](int x, int y) {
      bool on = pattern.empty() || pos % 2 == 0;
      std::vector<Span>& out = on ? ink : gap;
      if (!out.empty() && out.back().y == y && out.back().x1 == x)
        ++out.back().x1;
      else if (!out.empty() && out.back().y == y && out.back().x0 == x + 1)
        --out.back().x0;
      else
        out.push_back(Span { y, x, x + 1 });
      if (!pattern.empty() && --left == 0) {
        pos = (pos + 1) % pattern.size();
        left = pattern[pos];
      }
    });
  }
}

// A wide polyline: a round pen of the width swept along every segment, end points included.
void WideSpans(std::span<const POINT> pts, bool closed, int width, std::vector<Span>& out) {
  int lo = width / 2, hi = (width - 1) / 2, e = (width % 2) ? 0 : 1;
  std::vector<std::pair<int, int>> disc;  // per row offset: [x0, x1)
  for (int oy = -lo; oy <= hi; ++oy) {
    int a = INT32_MAX, b = INT32_MIN;
    for (int ox = -lo; ox <= hi; ++ox) {
      int px = 2 * ox + e, py = 2 * oy + e;
      if (px * px + py * py <= width * width) {
        a = std::min(a, ox);
        b = std::max(b, ox + 1);
      }
    }
    disc.push_back({ a, b });
  }
  auto stamp = [&](int x, int y) {
    for (size_t k = 0; k < disc.size(); ++k)
      if (disc[k].first < disc[k].second)
        out.push_back(Span { y - lo + int(k), x + disc[k].first, x + disc[k].second });
  };
  size_t segments = closed ? pts.size() : pts.size() - 1;
  for (size_t i = 0; i < segments; ++i) {
    POINT b = pts[(i + 1) % pts.size()];
    WalkLine(pts[i], b, stamp);
    stamp(b.x, b.y);
  }
  if (pts.size() == 1) stamp(pts[0].x, pts[0].y);
}

void PaintSpans(DC& dc, const std::vector<Span>& spans, const Rop3& rop, const PatternSource& pat) {
  if (pat.none || spans.empty()) return;
  DrawScope ds(dc, BoundsOf(spans));
  if (ds.Empty()) return;
  // Normalised spans of the same columns in rows one below the other (an upright line) are one
  // rectangle: every pixel is still painted once.
  for (size_t i = 0, next; i < spans.size(); i = next) {
    const Span& s = spans[i];
    next = i + 1;
    while (next < spans.size() && spans[next].y == spans[next - 1].y + 1 && spans[next].x0 == s.x0 &&
           spans[next].x1 == s.x1)
      ++next;
    if (next == i + 1)
      PaintSpan(ds, s.y, s.x0, s.x1, rop, pat);
    else
      PaintRect(ds, RECT { s.x0, s.y, s.x1, spans[next - 1].y + 1 }, rop, pat);
  }
}

// A solid one-pixel line of level and upright segments, copied over what lies beneath: each segment is
// one rectangle, painted straight rather than as runs sorted row by row. A copy painted twice is the same
// as once, so where the segments meet needs no care. False, painting nothing, for any other line.
bool StrokeUpright(DC& dc, std::span<const POINT> pts, bool closed, const PenInfo& pen) {
  if (pen.width > 1 || dc.st.rop2 != R2_COPYPEN || !StylePattern(pen.style).empty() || pts.size() < 2) return false;
  const size_t segments = closed ? pts.size() : pts.size() - 1;
  // The end point is left out, as the walk along a line leaves it; empty for a segment of no length. Made
  // twice (for the bounds, then to paint) rather than kept: lines are drawn by the thousand.
  auto segment = [&](size_t i) {
    const POINT a = pts[i], b = pts[(i + 1) % pts.size()];
    if (a.x == b.x && a.y == b.y) return RECT {};
    if (a.y == b.y) return a.x < b.x ? RECT { a.x, a.y, b.x, a.y + 1 } : RECT { b.x + 1, a.y, a.x + 1, a.y + 1 };
    return a.y < b.y ? RECT { a.x, a.y, a.x + 1, b.y } : RECT { a.x, b.y + 1, a.x + 1, a.y + 1 };
  };
  RECT bounds { INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN };
  for (size_t i = 0; i < segments; ++i) {
    const POINT a = pts[i], b = pts[(i + 1) % pts.size()];
    if (a.x != b.x && a.y != b.y) return false;
    if (const RECT r = segment(i); r.left < r.right)
      bounds = RECT { std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                      std::max(bounds.bottom, r.bottom) };
  }
  if (bounds.left >= bounds.right) return true;
  const Rop3 rop = Rop3::FromRop2(dc.st.rop2);
  DrawScope ds(dc, bounds);
  if (ds.Empty()) return true;
  for (size_t i = 0; i < segments; ++i)
    if (const RECT r = segment(i); r.left < r.right) PaintRect(ds, r, rop, pen.ink);
  return true;
}

// Turns the caller's copy of the points into surface points where they lie.
void Stroke(DC& dc, std::span<POINT> pts, bool closed) {
  if (pts.empty()) return;
  PenInfo pen = RealizePen(dc);
  if (pen.none) return;
  for (POINT& p : pts) p = POINT { dc.SX(p.x), dc.SY(p.y) };
  if (StrokeUpright(dc, pts, closed, pen)) return;
  Rop3 rop = Rop3::FromRop2(dc.st.rop2);
  std::vector<Span> ink, gap;
  if (pen.width <= 1) {
    if (pts.size() < 2) return;
    CosmeticSpans(pts, closed, pen.style, ink, gap);
  } else {
    WideSpans(pts, closed, pen.width, ink);
  }
  Normalise(ink);
  Normalise(gap);
  PaintSpans(dc, ink, rop, pen.ink);
  PaintSpans(dc, gap, rop, pen.gap);
}

// Strokes a copy of Count points (the stroke turns them into surface points where they lie).
void StrokeCopy(DC& dc, const POINT* Points, size_t Count, bool closed) {
  std::vector<POINT> copy(Points, Points + Count);
  Stroke(dc, std::span<POINT>(copy), closed);
}

RECT NormalRect(int l, int t, int r, int b) {
  return RECT { std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b) };
}

// Spans of the rows of a shape, from RoundRectRows.
void RowsToSpans(const RECT& box, const std::vector<std::pair<int, int>>& rows, std::vector<Span>& out) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].first < rows[i].second) out.push_back(Span { box.top + int(i), rows[i].first, rows[i].second });
}

// Subtracts the inner rows from the outer ones, row by row.
void RingSpans(const RECT& outer, const std::vector<std::pair<int, int>>& o, const RECT& inner,
               const std::vector<std::pair<int, int>>& in, std::vector<Span>& out) {
  for (size_t i = 0; i < o.size(); ++i) {
    int y = outer.top + int(i);
    auto [a, b] = o[i];
    if (a >= b) continue;
    int k = y - inner.top;
    if (k < 0 || k >= int(in.size()) || in[size_t(k)].first >= in[size_t(k)].second) {
      out.push_back(Span { y, a, b });
      continue;
    }
    auto [c, d] = in[size_t(k)];
    if (a < c) out.push_back(Span { y, a, std::min(b, c) });
    if (d < b) out.push_back(Span { y, std::max(a, d), b });
  }
}

// Rectangle, RoundRect and Ellipse: a brush-filled inside and a pen ring. cw/ch are the corner
// ellipse sizes of the outer edge (negative: the whole box, for an ellipse).
BOOL Shape(HDC hdc, int l, int t, int r, int b, int cw, int ch) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  RECT lr = NormalRect(l, t, r, b);
  if (lr.left == lr.right || lr.top == lr.bottom) return TRUE;
  RECT box { dc->SX(lr.left), dc->SY(lr.top), dc->SX(lr.right), dc->SY(lr.bottom) };
  PenInfo pen = RealizePen(*dc);
  Rop3 rop = Rop3::FromRop2(dc->st.rop2);
  bool ellipse = cw < 0;
  auto corner = [&](const RECT& rc, int c, bool horizontal) {
    if (ellipse) return horizontal ? int(rc.right - rc.left) : int(rc.bottom - rc.top);
    return std::max(c, 0);
  };
  RECT outer = box, inner;
  int w = pen.none ? 0 : pen.width;
  if (pen.none) {
    // Without a pen the filled shape is one pixel smaller, as on the original platform.
    inner = RECT { box.left, box.top, box.right - 1, box.bottom - 1 };
  } else {
    if (w > 1 && pen.style != PS_INSIDEFRAME) {
      int lo = w / 2, hi = (w - 1) / 2;
      outer = RECT { box.left - lo, box.top - lo, box.right + hi, box.bottom + hi };
    }
    inner = RECT { outer.left + w, outer.top + w, outer.right - w, outer.bottom - w };
  }
  std::vector<std::pair<int, int>> oRows, iRows;
  int icw = ellipse ? 0 : std::max(0, cw - 2 * w), ich = ellipse ? 0 : std::max(0, ch - 2 * w);
  RoundRectRows(inner, ellipse ? corner(inner, 0, true) : icw, ellipse ? corner(inner, 0, false) : ich, iRows);
  std::vector<Span> fill, ring;
  RowsToSpans(inner, iRows, fill);
  if (!pen.none) {
    RoundRectRows(outer, corner(outer, cw, true), corner(outer, ch, false), oRows);
    RingSpans(outer, oRows, inner, iRows, ring);
  }
  PaintSpans(*dc, fill, rop, RealizeBrush(*dc, dc->st.brush, dc->Mono()));
  if (!pen.none) PaintSpans(*dc, ring, rop, pen.ink);
  return TRUE;
}

}  // namespace

}  // namespace xj::gdi

using namespace xj::gdi;

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->st.pos;
  dc->st.pos = POINT { x, y };
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  const POINT line[] { dc->st.pos, POINT { x, y } };
  StrokeCopy(*dc, line, 2, false);
  dc->st.pos = POINT { x, y };
  return TRUE;
}

BOOL WINAPI Polyline(HDC hdc, const POINT* pts, int count) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  if (!pts || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  StrokeCopy(*dc, pts, size_t(count), false);
  return TRUE;
}

BOOL WINAPI PolylineTo(HDC hdc, const POINT* pts, DWORD count) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  if (!pts || count == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<POINT> all { dc->st.pos };
  all.insert(all.end(), pts, pts + count);
  Stroke(*dc, all, false);
  dc->st.pos = pts[count - 1];
  return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT* pts, int count) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  if (!pts || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<POINT> sp;
  for (int i = 0; i < count; ++i) sp.push_back(POINT { dc->SX(pts[i].x), dc->SY(pts[i].y) });
  std::vector<Span> fill;
  PolygonSpans(sp.data(), count, dc->st.polyFillMode, fill);
  Normalise(fill);
  Rop3 rop = Rop3::FromRop2(dc->st.rop2);
  PaintSpans(*dc, fill, rop, RealizeBrush(*dc, dc->st.brush, dc->Mono()));
  StrokeCopy(*dc, pts, size_t(count), true);
  return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return Shape(hdc, left, top, right, bottom, 0, 0);
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return Shape(hdc, left, top, right, bottom, -1, -1);
}

BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int w, int h) {
  return Shape(hdc, left, top, right, bottom, std::abs(w), std::abs(h));
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF c) {
  DC* dc = GetDC(hdc);
  if (!dc) return CLR_INVALID;
  int sx = dc->SX(x), sy = dc->SY(y);
  DrawScope ds(*dc, RECT { sx, sy, sx + 1, sy + 1 });
  if (ds.Empty()) return CLR_INVALID;
  uint32_t p = ToPixel(ResolveColor(c));
  if (ds.Mono()) p = MonoPixel(p);
  *ds.At(sx, sy) = p;
  return ToColorRef(p);
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF c) { return SetPixel(hdc, x, y, c) != CLR_INVALID; }

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  DC* dc = GetDC(hdc);
  if (!dc) return CLR_INVALID;
  int sx = dc->SX(x), sy = dc->SY(y);
  Region clip = dc->EffectiveClip();
  if (!pixman_region32_contains_point(clip.Raw(), sx, sy, nullptr)) return CLR_INVALID;
  if (Bitmap* b = dc->Bmp(); b && !b->Direct()) {
    uint32_t v = 0;
    ReadRow(b->fmt, b->Row(sy), sx, 1, &v);
    return ToColorRef(v);
  }
  Surface s = dc->CurrentSurface();
  return ToColorRef(s.Row(sy)[sx]);
}
