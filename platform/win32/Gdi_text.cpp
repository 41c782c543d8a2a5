// Text output: layout of GBK strings, blending glyph coverage onto the surface (straight for
// upright text, through a coverage mask for turned or overlapping glyphs), background fill,
// underline and strike-out, measuring and the text log.

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {
namespace {

struct LogState {
  std::atomic<bool> on { false };
  std::mutex lock;
  std::vector<TextLogEntry> entries;
};

LogState& Log() {
  static LogState s;
  return s;
}

struct Placed {
  std::shared_ptr<const Glyph> g;  // held, so that another thread's lookups cannot let it go meanwhile
  int pen;                         // x of the pen in the text frame
  int advance;
  int offset;  // byte offset in the string
};

// Buffers reused by every run on a thread, so a warm run allocates nothing.
struct Scratch {
  std::vector<TextChar> chars;
  std::vector<Placed> placed;
  std::vector<uint8_t> mask;
};

// Lays the string out left to right from pen 0; returns the total advance.
int Layout(RealFont& f, const char* s, int len, const INT* dx, GlyphLookup& glyphs, Scratch& sc) {
  DecodeGbk(s, len, sc.chars);
  sc.placed.clear();
  int pen = 0;
  for (const TextChar& c : sc.chars) {
    const std::shared_ptr<const Glyph>& g = glyphs.Get(f, c);
    int adv = g->advance;
    if (dx) {
      adv = dx[c.offset];
      if (c.bytes == 2) adv += dx[c.offset + 1];
    }
    sc.placed.push_back(Placed { g, pen, adv, c.offset });
    pen += adv;
  }
  return pen;
}

// Text-frame point (u, v) relative to the reference → surface pixel, for each quarter turn
// (counter-clockwise, so 1 reads upwards).
inline void ToSurface(int q, int rx, int ry, int u, int v, int& x, int& y) {
  switch (q) {
    case 0:
      x = rx + u, y = ry + v;
      break;
    case 1:
      x = rx + v, y = ry - 1 - u;
      break;
    case 2:
      x = rx - 1 - u, y = ry - 1 - v;
      break;
    default:
      x = rx - 1 - v, y = ry + u;
      break;
  }
}

inline void ToText(int q, int rx, int ry, int x, int y, int& u, int& v) {
  switch (q) {
    case 0:
      u = x - rx, v = y - ry;
      break;
    case 1:
      v = x - rx, u = ry - 1 - y;
      break;
    case 2:
      u = rx - 1 - x, v = ry - 1 - y;
      break;
    default:
      v = rx - 1 - x, u = y - ry;
      break;
  }
}

// The surface rectangle covered by the text-frame rectangle [u0, u1) × [v0, v1).
RECT SurfaceRect(int q, int rx, int ry, int u0, int v0, int u1, int v1) {
  int xa, ya, xb, yb;
  ToSurface(q, rx, ry, u0, v0, xa, ya);
  ToSurface(q, rx, ry, u1 - 1, v1 - 1, xb, yb);
  return RECT { std::min(xa, xb), std::min(ya, yb), std::max(xa, xb) + 1, std::max(ya, yb) + 1 };
}

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom) };
}

// The text colour laid over a pixel with coverage a (1-254).
inline uint32_t Blend(uint32_t d, uint32_t c, unsigned a) {
  auto ch = [&](int shift) {
    int dv = int((d >> shift) & 0xFF), cv = int((c >> shift) & 0xFF);
    return uint32_t(dv + ((cv - dv) * int(a) + (cv > dv ? 127 : -127)) / 255) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

// Lays coverage onto a pixel: full coverage takes the colour, partial blends it (a monochrome target
// takes it from half coverage up).
template <bool Mono>
inline void BlendPixel(uint32_t& d, unsigned a, uint32_t color) {
  if (Mono)
    d = a >= 128 ? color : d;
  else if (a - 1 < 254)
    d = Blend(d, color, a);
  else
    d = a ? color : d;
}

// Lays h rows of w coverage bytes onto the surface from d.
template <bool Mono>
void BlendRows(uint32_t* d, ptrdiff_t stride, const uint8_t* a, size_t pitch, int w, int h, uint32_t color) {
  for (int y = 0; y < h; ++y, d += stride, a += pitch)
    for (int x = 0; x < w; ++x) BlendPixel<Mono>(d[x], a[x], color);
}

struct RunSpec {
  int x { 0 }, y { 0 };  // logical reference point
  bool align { true };   // honour the DC's text alignment (DrawText draws from the top-left)
  UINT options { 0 };
  const RECT* rc { nullptr };  // ETO_OPAQUE / ETO_CLIPPED rectangle
  const RECT* clip { nullptr };
  const INT* dx { nullptr };
  const std::vector<int>* underlined { nullptr };
};

// Where a laid-out run lands: the text frame [u, v] is placed at the surface reference (rx, ry)
// turned by q quarter turns; ink is the text-frame box of everything the run can cover.
struct RunFrame {
  int q { 0 };
  int rx { 0 }, ry { 0 };
  int ou { 0 }, ov { 0 };  // the text box's top-left relative to the reference
  int u0 { 0 }, v0 { 0 }, u1 { 0 }, v1 { 0 };
};

// A horizontal bar of full coverage (underline, strike-out) in the text frame.
struct Bar {
  int v, thick, ua, ub;
};

void CollectBars(const RealFont& f, const RunFrame& fr, int width, const RunSpec& spec,
                 const std::vector<Placed>& placed, std::vector<Bar>& bars) {
  int baseline = fr.ov + f.ascent;
  if (f.underline) bars.push_back(Bar { baseline + f.underlinePos, f.underlineThick, fr.ou, fr.ou + width });
  if (f.strikeOut) bars.push_back(Bar { baseline - f.strikePos, f.strikeThick, fr.ou, fr.ou + width });
  if (spec.underlined && !spec.underlined->empty())
    for (const Placed& p : placed)
      if (std::find(spec.underlined->begin(), spec.underlined->end(), p.offset) != spec.underlined->end())
        bars.push_back(Bar { baseline + f.underlinePos, f.underlineThick, fr.ou + p.pen, fr.ou + p.pen + p.advance });
}

// Whether any glyph's ink reaches into the ink of one before it: then coverage must be merged
// (the larger wins) before it is laid on, or the overlap would be drawn twice.
bool InkOverlaps(const std::vector<Placed>& placed) {
  int right = INT32_MIN;
  for (const Placed& p : placed) {
    if (!p.g->w) continue;
    int left = p.pen + p.g->bx;
    if (left < right) return true;
    right = std::max(right, left + p.g->w);
  }
  return false;
}

// Upright text without overlaps: each glyph's rows go straight onto the surface, clip rectangle by
// clip rectangle.
template <bool Mono>
void BlendUpright(DrawScope& ds, const RunFrame& fr, const std::vector<Placed>& placed, const std::vector<Bar>& bars,
                  uint32_t color) {
  int n = 0;
  const pixman_box32_t* rects = ds.Clip().Rects(n);
  // Everything drawn stays inside the run's ink box, as the mask path's does.
  RECT ink = SurfaceRect(0, fr.rx, fr.ry, fr.u0, fr.v0, fr.u1, fr.v1);
  for (int i = 0; i < n; ++i) {
    RECT clip = Intersect(RECT { rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2 }, ink);
    if (clip.left >= clip.right || clip.top >= clip.bottom) continue;
    for (const Placed& p : placed) {
      const Glyph& g = *p.g;
      if (!g.w) continue;
      int gx = fr.rx + fr.ou + p.pen + g.bx, gy = fr.ry + fr.ov + g.by;
      RECT r = Intersect(RECT { gx, gy, gx + g.w, gy + g.h }, clip);
      if (r.left >= r.right || r.top >= r.bottom) continue;
      const uint8_t* a = g.alpha.data() + size_t(r.top - gy) * size_t(g.w) + size_t(r.left - gx);
      BlendRows<Mono>(ds.At(r.left, r.top), ds.Stride(), a, size_t(g.w), r.right - r.left, r.bottom - r.top, color);
    }
    for (const Bar& b : bars) {
      RECT r = Intersect(RECT { fr.rx + b.ua, fr.ry + b.v, fr.rx + b.ub, fr.ry + b.v + b.thick }, clip);
      if (r.left >= r.right) continue;
      for (int y = r.top; y < r.bottom; ++y) FillPixels(ds.At(r.left, y), r.right - r.left, color);
    }
  }
}

// Turned or overlapping glyphs: their coverage is merged into a mask over the visible part of the
// ink box, which is then laid onto the surface (row by row when upright, else pixel by pixel through
// the turn).
template <bool Mono>
void BlendThroughMask(DrawScope& ds, const RunFrame& fr, const std::vector<Placed>& placed,
                      const std::vector<Bar>& bars, uint32_t color, std::vector<uint8_t>& mask) {
  const int q = fr.q, rx = fr.rx, ry = fr.ry;
  RECT vis = ds.Clip().Box();
  int a0, b0, a1, b1;
  ToText(q, rx, ry, vis.left, vis.top, a0, b0);
  ToText(q, rx, ry, vis.right - 1, vis.bottom - 1, a1, b1);
  int mu0 = std::max(fr.u0, std::min(a0, a1)), mu1 = std::min(fr.u1, std::max(a0, a1) + 1);
  int mv0 = std::max(fr.v0, std::min(b0, b1)), mv1 = std::min(fr.v1, std::max(b0, b1) + 1);
  if (mu0 >= mu1 || mv0 >= mv1) return;
  int mw = mu1 - mu0, mh = mv1 - mv0;
  mask.assign(size_t(mw) * size_t(mh), 0);
  for (const Placed& p : placed) {
    const Glyph& g = *p.g;
    int gu = fr.ou + p.pen + g.bx, gv = fr.ov + g.by;
    int xa = std::max(0, mu0 - gu), xb = std::min(g.w, mu1 - gu);
    for (int y = std::max(0, mv0 - gv); y < g.h && gv + y < mv1; ++y) {
      uint8_t* row = mask.data() + size_t(gv + y - mv0) * size_t(mw);
      const uint8_t* src = g.alpha.data() + size_t(y) * size_t(g.w);
      for (int x = xa; x < xb; ++x) row[gu + x - mu0] = std::max(row[gu + x - mu0], src[x]);
    }
  }
  for (const Bar& b : bars)
    for (int v = std::max(b.v, mv0); v < std::min(b.v + b.thick, mv1); ++v)
      for (int u = std::max(b.ua, mu0); u < std::min(b.ub, mu1); ++u)
        mask[size_t(v - mv0) * size_t(mw) + size_t(u - mu0)] = 255;
  int n = 0;
  const pixman_box32_t* rects = ds.Clip().Rects(n);
  if (q == 0) {
    // Upright: the mask's rows go straight onto the surface's.
    RECT box { rx + mu0, ry + mv0, rx + mu1, ry + mv1 };
    for (int i = 0; i < n; ++i) {
      RECT r = Intersect(RECT { rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2 }, box);
      if (r.left >= r.right) continue;
      BlendRows<Mono>(ds.At(r.left, r.top), ds.Stride(),
                      &mask[size_t(r.top - box.top) * size_t(mw) + size_t(r.left - box.left)], size_t(mw),
                      r.right - r.left, r.bottom - r.top, color);
    }
    return;
  }
  for (int i = 0; i < n; ++i)
    for (int y = rects[i].y1; y < rects[i].y2; ++y) {
      uint32_t* row = ds.At(rects[i].x1, y);
      for (int x = rects[i].x1; x < rects[i].x2; ++x) {
        int u, v;
        ToText(q, rx, ry, x, y, u, v);
        if (u < mu0 || u >= mu1 || v < mv0 || v >= mv1) continue;
        BlendPixel<Mono>(row[x - rects[i].x1], mask[size_t(v - mv0) * size_t(mw) + size_t(u - mu0)], color);
      }
    }
}

RECT ToSurfaceRect(const DC& dc, const RECT& r) {
  return RECT { dc.SX(std::min(r.left, r.right)), dc.SY(std::min(r.top, r.bottom)), dc.SX(std::max(r.left, r.right)),
                dc.SY(std::max(r.top, r.bottom)) };
}

// ETO_OPAQUE fills its rectangle (and, with ETO_CLIPPED, narrows the clip to it); otherwise the
// OPAQUE background mode fills the text box.
void PaintBackground(DC& dc, const RunSpec& spec, const RECT& box, bool hasText, uint32_t pixel, RECT& limit) {
  RECT background {};
  if (spec.rc && (spec.options & ETO_OPAQUE)) {
    background = ToSurfaceRect(dc, *spec.rc);
    if (spec.options & ETO_CLIPPED) limit = Intersect(limit, background);
  } else if (dc.st.bkMode == OPAQUE && hasText) {
    background = Intersect(box, limit);
  }
  if (background.left >= background.right || background.top >= background.bottom) return;
  DrawScope ds(dc, background);
  if (!ds.Empty()) PaintRect(ds, background, Rop3(0xF0), SolidSource(pixel));
}

// The box in the text frame of the text box and every glyph's coverage.
void SetInk(RunFrame& fr, const std::vector<Placed>& placed, int width, int height) {
  fr.u0 = fr.ou, fr.v0 = fr.ov, fr.u1 = fr.ou + width, fr.v1 = fr.ov + height;
  for (const Placed& p : placed) {
    if (!p.g->w) continue;
    fr.u0 = std::min(fr.u0, fr.ou + p.pen + p.g->bx);
    fr.u1 = std::max(fr.u1, fr.ou + p.pen + p.g->bx + p.g->w);
    fr.v0 = std::min(fr.v0, fr.ov + p.g->by);
    fr.v1 = std::max(fr.v1, fr.ov + p.g->by + p.g->h);
  }
}

void LogRun(DC& dc, const char* s, int len, const RunFrame& fr, const RECT& box) {
  TextLogEntry e;
  e.Tag = dc.tag;
  e.X = fr.rx;
  e.Y = fr.ry;
  e.Bounds = box;
  e.Color = ResolveColor(dc.st.textColor);
  if (Font* fo = Get<Font>(dc.st.font)) {
    e.Face = fo->lf.lfFaceName;
    e.Height = fo->lf.lfHeight;
    e.Escapement = fo->lf.lfEscapement;
  }
  e.Text.assign(s, size_t(len));
  LogState& log = Log();
  std::lock_guard<std::mutex> g(log.lock);
  if (log.on) log.entries.push_back(std::move(e));
}

// Draws one run; returns its advance.
int DrawRun(DC& dc, const char* s, int len, const RunSpec& spec) {
  RealFont& f = FontOf(dc);
  Scratch& sc = PerThread<Scratch>();
  GlyphLookup glyphs;
  int width = Layout(f, s, len, spec.dx, glyphs, sc);
  glyphs.Unlock();
  int height = f.Height();
  UINT align = spec.align ? dc.st.textAlign : UINT(TA_LEFT | TA_TOP);
  int lx = spec.x, ly = spec.y;
  if (align & TA_UPDATECP) {
    lx = dc.st.pos.x;
    ly = dc.st.pos.y;
  }
  RunFrame fr;
  fr.q = f.quarterTurns;
  fr.rx = dc.SX(lx);
  fr.ry = dc.SY(ly);
  // Offsets of the text box from the reference point, in the text's own frame.
  fr.ou = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  fr.ov = (align & TA_BASELINE) == TA_BASELINE ? -f.ascent : (align & TA_BOTTOM) ? -height : 0;
  RECT box = SurfaceRect(fr.q, fr.rx, fr.ry, fr.ou, fr.ov, fr.ou + std::max(width, 1), fr.ov + std::max(height, 1));
  if (width <= 0) box.right = box.left;

  // Clip: the DC's, narrowed by ETO_CLIPPED and by DrawText's rectangle.
  RECT limit { INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2 };
  if (spec.rc && (spec.options & ETO_CLIPPED)) limit = Intersect(limit, ToSurfaceRect(dc, *spec.rc));
  if (spec.clip) limit = Intersect(limit, ToSurfaceRect(dc, *spec.clip));

  bool mono = dc.Mono();
  auto target = [&](COLORREF c) {
    uint32_t p = ToPixel(ResolveColor(c));
    return mono ? MonoPixel(p) : p;
  };
  PaintBackground(dc, spec, box, width > 0, target(dc.st.bkColor), limit);
  SetInk(fr, sc.placed, width, height);
  RECT ink = fr.u0 < fr.u1 && fr.v0 < fr.v1 ? SurfaceRect(fr.q, fr.rx, fr.ry, fr.u0, fr.v0, fr.u1, fr.v1) : RECT {};
  if (RECT bounds = Intersect(ink, limit); bounds.left < bounds.right && bounds.top < bounds.bottom) {
    DrawScope ds(dc, bounds);
    if (!ds.Empty()) {
      std::vector<Bar> bars;
      CollectBars(f, fr, width, spec, sc.placed, bars);
      uint32_t color = target(dc.st.textColor);
      bool straight = fr.q == 0 && !InkOverlaps(sc.placed);
      if (straight)
        (mono ? BlendUpright<true> : BlendUpright<false>)(ds, fr, sc.placed, bars, color);
      else
        (mono ? BlendThroughMask<true> : BlendThroughMask<false>)(ds, fr, sc.placed, bars, color, sc.mask);
    }
  }
  if (align & TA_UPDATECP) {
    // The current position moves past the text: right for left-aligned, left for right-aligned.
    if ((align & TA_CENTER) == TA_LEFT) dc.st.pos.x = lx + width;
    if ((align & TA_CENTER) == TA_RIGHT) dc.st.pos.x = lx - width;
  }
  if (Log().on.load(std::memory_order_relaxed)) LogRun(dc, s, len, fr, box);
  return width;
}

}  // namespace

int MeasureChars(DC& dc, const char* s, int len, std::vector<MeasuredChar>* out) {
  RealFont& f = FontOf(dc);
  std::vector<TextChar>& chars = PerThread<Scratch>().chars;
  DecodeGbk(s, len, chars);
  if (out) {
    out->clear();
    out->reserve(chars.size());
  }
  int total = 0;
  GlyphLookup glyphs;
  for (const TextChar& c : chars) {
    int adv = glyphs.Get(f, c)->advance;
    if (out) out->push_back(MeasuredChar { c.offset, c.bytes, adv });
    total += adv;
  }
  return total;
}

SIZE MeasureText(DC& dc, const char* s, int len) {
  return SIZE { MeasureChars(dc, s, len, nullptr), FontOf(dc).Height() };
}

void DrawTextRun(DC& dc, int x, int y, const char* s, int len, const RECT* clipLogical,
                 const std::vector<int>& underlined) {
  RunSpec spec;
  spec.x = x;
  spec.y = y;
  spec.align = false;
  spec.clip = clipLogical;
  spec.underlined = &underlined;
  DrawRun(dc, s, len, spec);
}

void EnableTextLog(bool on) {
  std::lock_guard<std::mutex> g(Log().lock);
  Log().on = on;
}

const std::vector<TextLogEntry>& TextLog() { return Log().entries; }

void ClearTextLog() {
  std::lock_guard<std::mutex> g(Log().lock);
  Log().entries.clear();
}

}  // namespace xj::gdi

using namespace xj::gdi;

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR s, int len) {
  return ExtTextOutA(hdc, x, y, 0, nullptr, s, len < 0 ? 0u : UINT(len), nullptr);
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCSTR s, UINT len, const INT* dx) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  if (!s && len > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RunSpec spec;
  spec.x = x;
  spec.y = y;
  spec.options = options;
  spec.rc = rc;
  spec.dx = dx;
  DrawRun(*dc, s ? s : "", int(std::min<UINT>(len, 0x7FFFFFFF)), spec);
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR s, int len, LPSIZE size) {
  DC* dc = GetDC(hdc);
  if (!dc || !size || len < 0 || (!s && len > 0)) {
    if (dc) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *size = MeasureText(*dc, s ? s : "", len);
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  DC* dc = GetDC(hdc);
  if (!dc || !tm) return FALSE;
  RealFont& f = FontOf(*dc);
  *tm = TEXTMETRICA {};
  tm->tmHeight = f.Height();
  tm->tmAscent = f.ascent;
  tm->tmDescent = f.descent;
  tm->tmInternalLeading = f.internalLeading;
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = f.aveWidth;
  tm->tmMaxCharWidth = f.maxWidth;
  tm->tmWeight = f.weight;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = '?';
  tm->tmBreakChar = ' ';
  tm->tmItalic = f.italic;
  tm->tmUnderlined = f.underline;
  tm->tmStruckOut = f.strikeOut;
  tm->tmPitchAndFamily = f.pitchAndFamily;
  tm->tmCharSet = f.charSet;
  return TRUE;
}

int WINAPI GetTextFaceA(HDC hdc, int size, LPSTR face) {
  DC* dc = GetDC(hdc);
  if (!dc) return 0;
  Font* f = Get<Font>(dc->st.font);
  std::string name = f ? f->lf.lfFaceName : "";
  if (!face) return int(name.size()) + 1;
  if (size <= 0) return 0;
  size_t n = std::min(name.size(), size_t(size - 1));
  std::memcpy(face, name.data(), n);
  face[n] = 0;
  return int(n);
}
