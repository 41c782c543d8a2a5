// Text output: layout of GBK strings, the coverage mask, quarter-turn rotation, blending onto the
// surface, background fill, underline and strike-out, measuring and the text log.

#include <algorithm>
#include <mutex>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {
namespace {

struct LogState {
  std::mutex lock;
  bool on { false };
  std::vector<TextLogEntry> entries;
};

LogState& Log() {
  static LogState s;
  return s;
}

struct Placed {
  const Glyph* g;
  int pen;       // x of the pen in the text frame
  int advance;
  int offset;    // byte offset in the string
};

// Lays the string out left to right from pen 0; returns the total advance.
int Layout(RealFont& f, const char* s, int len, const INT* dx, std::vector<Placed>& out) {
  std::vector<TextChar> chars;
  DecodeGbk(s, len, chars);
  out.clear();
  out.reserve(chars.size());
  int pen = 0;
  for (const TextChar& c : chars) {
    const Glyph& g = f.GetGlyph(c);
    int adv = g.advance;
    if (dx) {
      adv = dx[c.offset];
      if (c.bytes == 2) adv += dx[c.offset + 1];
    }
    out.push_back(Placed { &g, pen, adv, c.offset });
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

inline uint32_t Blend(uint32_t d, uint32_t c, unsigned a) {
  if (a >= 255) return c;
  auto ch = [&](int shift) {
    int dv = int((d >> shift) & 0xFF), cv = int((c >> shift) & 0xFF);
    return uint32_t(dv + ((cv - dv) * int(a) + (cv > dv ? 127 : -127)) / 255) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

struct RunSpec {
  int x { 0 }, y { 0 };        // logical reference point
  bool align { true };         // honour the DC's text alignment (DrawText draws from the top-left)
  UINT options { 0 };
  const RECT* rc { nullptr };  // ETO_OPAQUE / ETO_CLIPPED rectangle
  const RECT* clip { nullptr };
  const INT* dx { nullptr };
  const std::vector<int>* underlined { nullptr };
};

// Draws one run; returns its advance.
int DrawRun(DC& dc, const char* s, int len, const RunSpec& spec) {
  RealFont& f = FontOf(dc);
  std::vector<Placed> placed;
  int width = Layout(f, s, len, spec.dx, placed);
  int height = f.Height();
  UINT align = spec.align ? dc.st.textAlign : UINT(TA_LEFT | TA_TOP);
  int lx = spec.x, ly = spec.y;
  if (align & TA_UPDATECP) {
    lx = dc.st.pos.x;
    ly = dc.st.pos.y;
  }
  // Offsets of the text box from the reference point, in the text's own frame.
  int ou = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  int ov = (align & TA_BASELINE) == TA_BASELINE ? -f.ascent : (align & TA_BOTTOM) ? -height : 0;
  int q = f.quarterTurns;
  int rx = dc.SX(lx), ry = dc.SY(ly);
  RECT box = SurfaceRect(q, rx, ry, ou, ov, ou + std::max(width, 1), ov + std::max(height, 1));
  if (width <= 0) box.right = box.left;

  // Clip: the DC's, narrowed by ETO_CLIPPED and by DrawText's rectangle.
  auto toSurface = [&](const RECT& r) {
    return RECT { dc.SX(std::min(r.left, r.right)), dc.SY(std::min(r.top, r.bottom)), dc.SX(std::max(r.left, r.right)),
                  dc.SY(std::max(r.top, r.bottom)) };
  };
  RECT limit { INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2 };
  auto narrow = [&](const RECT& r) {
    limit = RECT { std::max(limit.left, r.left), std::max(limit.top, r.top), std::min(limit.right, r.right),
                   std::min(limit.bottom, r.bottom) };
  };
  if (spec.rc && (spec.options & ETO_CLIPPED)) narrow(toSurface(*spec.rc));
  if (spec.clip) narrow(toSurface(*spec.clip));

  bool mono = dc.Mono();
  auto target = [&](COLORREF c) {
    uint32_t p = ToPixel(ResolveColor(c));
    return mono ? MonoPixel(p) : p;
  };
  Rop3 copy(0xF0);
  if (spec.rc && (spec.options & ETO_OPAQUE)) {
    RECT r = toSurface(*spec.rc);
    if (spec.options & ETO_CLIPPED) narrow(r);
    DrawScope ds(dc, r);
    if (!ds.Empty()) PaintRect(ds, r, copy, SolidSource(target(dc.st.bkColor)));
  } else if (dc.st.bkMode == OPAQUE && width > 0) {
    RECT r { std::max(box.left, limit.left), std::max(box.top, limit.top), std::min(box.right, limit.right),
             std::min(box.bottom, limit.bottom) };
    DrawScope ds(dc, r);
    if (!ds.Empty()) PaintRect(ds, r, copy, SolidSource(target(dc.st.bkColor)));
  }

  // The coverage of the run in the text frame, over the part that can show.
  int u0 = ou, v0 = ov, u1 = ou + width, v1 = ov + height;
  for (const Placed& p : placed) {
    if (!p.g->w) continue;
    u0 = std::min(u0, ou + p.pen + p.g->bx);
    u1 = std::max(u1, ou + p.pen + p.g->bx + p.g->w);
    v0 = std::min(v0, ov + p.g->by);
    v1 = std::max(v1, ov + p.g->by + p.g->h);
  }
  RECT ink = u0 < u1 && v0 < v1 ? SurfaceRect(q, rx, ry, u0, v0, u1, v1) : RECT {};
  RECT bounds { std::max(ink.left, limit.left), std::max(ink.top, limit.top), std::min(ink.right, limit.right),
                std::min(ink.bottom, limit.bottom) };
  {
    DrawScope ds(dc, bounds);
    if (!ds.Empty()) {
      RECT vis = ds.Clip().Box();
      int a0, b0, a1, b1;
      ToText(q, rx, ry, vis.left, vis.top, a0, b0);
      ToText(q, rx, ry, vis.right - 1, vis.bottom - 1, a1, b1);
      int mu0 = std::max(u0, std::min(a0, a1)), mu1 = std::min(u1, std::max(a0, a1) + 1);
      int mv0 = std::max(v0, std::min(b0, b1)), mv1 = std::min(v1, std::max(b0, b1) + 1);
      if (mu0 < mu1 && mv0 < mv1) {
        int mw = mu1 - mu0, mh = mv1 - mv0;
        std::vector<uint8_t> mask(size_t(mw) * size_t(mh), 0);
        auto hline = [&](int v, int thick, int ua, int ub) {
          for (int t = 0; t < thick; ++t)
            for (int u = std::max(ua, mu0); u < std::min(ub, mu1); ++u)
              if (v + t >= mv0 && v + t < mv1) mask[size_t(v + t - mv0) * size_t(mw) + size_t(u - mu0)] = 255;
        };
        for (const Placed& p : placed) {
          const Glyph& g = *p.g;
          int gu = ou + p.pen + g.bx, gv = ov + g.by;
          if (gu >= mu1 || gu + g.w <= mu0 || gv >= mv1 || gv + g.h <= mv0) continue;
          for (int y = std::max(0, mv0 - gv); y < g.h && gv + y < mv1; ++y) {
            uint8_t* row = mask.data() + size_t(gv + y - mv0) * size_t(mw);
            for (int x = std::max(0, mu0 - gu); x < g.w && gu + x < mu1; ++x) {
              uint8_t a = g.alpha[size_t(y * g.w + x)];
              uint8_t& m = row[gu + x - mu0];
              m = std::max(m, a);
            }
          }
        }
        int baseline = ov + f.ascent;
        if (f.underline) hline(baseline + f.underlinePos, f.underlineThick, ou, ou + width);
        if (f.strikeOut) hline(baseline - f.strikePos, f.strikeThick, ou, ou + width);
        if (spec.underlined)
          for (const Placed& p : placed)
            if (std::find(spec.underlined->begin(), spec.underlined->end(), p.offset) != spec.underlined->end())
              hline(baseline + f.underlinePos, f.underlineThick, ou + p.pen, ou + p.pen + p.advance);
        uint32_t color = target(dc.st.textColor);
        int n = 0;
        const pixman_box32_t* rects = ds.Clip().Rects(n);
        for (int i = 0; i < n; ++i)
          for (int y = rects[i].y1; y < rects[i].y2; ++y) {
            uint32_t* row = ds.S().Row(y);
            for (int x = rects[i].x1; x < rects[i].x2; ++x) {
              int u, v;
              ToText(q, rx, ry, x, y, u, v);
              if (u < mu0 || u >= mu1 || v < mv0 || v >= mv1) continue;
              unsigned a = mask[size_t(v - mv0) * size_t(mw) + size_t(u - mu0)];
              if (!a) continue;
              if (mono)
                row[x] = a >= 128 ? color : row[x];
              else
                row[x] = Blend(row[x], color, a);
            }
          }
      }
    }
  }
  if (align & TA_UPDATECP) {
    // The current position moves past the text: right for left-aligned, left for right-aligned.
    if ((align & TA_CENTER) == TA_LEFT) dc.st.pos.x = lx + width;
    if ((align & TA_CENTER) == TA_RIGHT) dc.st.pos.x = lx - width;
  }

  LogState& log = Log();
  std::lock_guard<std::mutex> g(log.lock);
  if (log.on) {
    TextLogEntry e;
    e.Tag = dc.tag;
    e.X = rx;
    e.Y = ry;
    e.Bounds = box;
    e.Color = ResolveColor(dc.st.textColor);
    if (Font* fo = Get<Font>(dc.st.font)) {
      e.Face = fo->lf.lfFaceName;
      e.Height = fo->lf.lfHeight;
      e.Escapement = fo->lf.lfEscapement;
    }
    std::string text(s, size_t(len));
    e.Text = text;
    log.entries.push_back(std::move(e));
  }
  return width;
}

}  // namespace

SIZE MeasureText(DC& dc, const char* s, int len) {
  RealFont& f = FontOf(dc);
  std::vector<Placed> placed;
  int w = Layout(f, s, len, nullptr, placed);
  return SIZE { w, f.Height() };
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
    SetError(kErrInvalidParameter);
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
    if (dc) SetError(kErrInvalidParameter);
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
