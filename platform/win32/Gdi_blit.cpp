// Raster operations and blits: the ternary-ROP engine, brush patterns, PatBlt, BitBlt, StretchBlt,
// MaskBlt, StretchDIBits and SetDIBitsToDevice.

#include <algorithm>
#include <cstring>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {

// ---- The ROP engine --------------------------------------------------------------------------------
Rop3::Rop3(uint8_t code) : code_(code) {}

Rop3 Rop3::FromRop2(int rop2) {
  // A binary mode's code minus one is its truth table over (P, D) with index P·2 + D.
  int t = (rop2 - 1) & 0xF;
  uint8_t code = 0;
  for (int i = 0; i < 8; ++i) {
    int p = (i >> 2) & 1, d = i & 1;
    if ((t >> (p * 2 + d)) & 1) code = uint8_t(code | (1 << i));
  }
  return Rop3(code);
}

void Rop3::Row(uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t pc, int n) const {
  constexpr uint32_t kRgb = 0xFFFFFF;
  switch (code_) {
    case 0xAA:
      return;
    case 0xCC:
      if (d != s) std::memmove(d, s, size_t(n) * 4);
      return;
    case 0xEE:
      for (int i = 0; i < n; ++i) d[i] |= s[i];
      return;
    case 0x88:
      for (int i = 0; i < n; ++i) d[i] &= s[i];
      return;
    case 0x66:
      for (int i = 0; i < n; ++i) d[i] ^= s[i];
      return;
    case 0xF0:
      if (p)
        std::memcpy(d, p, size_t(n) * 4);
      else
        FillPixels(d, n, pc);
      return;
    case 0x5A:
      if (p)
        for (int i = 0; i < n; ++i) d[i] ^= p[i];
      else
        for (int i = 0; i < n; ++i) d[i] ^= pc;
      return;
    case 0x55:
      for (int i = 0; i < n; ++i) d[i] ^= kRgb;
      return;
    case 0x00:
      FillPixels(d, n, 0);
      return;
    case 0xFF:
      FillPixels(d, n, kRgb);
      return;
    case 0xE2:
      if (p)
        for (int i = 0; i < n; ++i) d[i] ^= s[i] & (p[i] ^ d[i]);
      else
        for (int i = 0; i < n; ++i) d[i] ^= s[i] & (pc ^ d[i]);
      return;
  }
  if (p)
    s ? Generic<true, true>(d, s, p, pc, n) : Generic<true, false>(d, s, p, pc, n);
  else
    s ? Generic<false, true>(d, s, p, pc, n) : Generic<false, false>(d, s, p, pc, n);
}

namespace {

typedef uint32_t Lanes __attribute__((vector_size(16)));  // four pixels in one SSE2 register

template <class V>
inline V Minterms(V pv, V sv, V dv, const uint32_t* m) {
  V a = (dv & m[7]) | (~dv & m[6]);
  V b = (dv & m[5]) | (~dv & m[4]);
  V c = (dv & m[3]) | (~dv & m[2]);
  V e = (dv & m[1]) | (~dv & m[0]);
  V hi = (sv & a) | (~sv & b);
  V lo = (sv & c) | (~sv & e);
  return ((pv & hi) | (~pv & lo)) & 0xFFFFFFu;
}

}  // namespace

// Shannon expansion over P, S and D of the minterm table, eight pixels (two registers) at a time.
template <bool HasP, bool HasS>
void Rop3::Generic(uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t pc, int n) const {
  // All ones where the minterm is in the function: made per row rather than per operation, since most
  // blits are copies that never come here.
  uint32_t m[8];
  for (int k = 0; k < 8; ++k) m[k] = ((code_ >> k) & 1) ? 0xFFFFFFFFu : 0u;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    Lanes pv[2], sv[2], dv[2];
    std::memcpy(dv, d + i, sizeof dv);
    if constexpr (HasP) {
      std::memcpy(pv, p + i, sizeof pv);
    } else {
      pv[0] = Lanes {} + pc;
      pv[1] = pv[0];
    }
    if constexpr (HasS)
      std::memcpy(sv, s + i, sizeof sv);
    else
      sv[0] = sv[1] = Lanes {};
    Lanes r[2] = { Minterms(pv[0], sv[0], dv[0], m), Minterms(pv[1], sv[1], dv[1], m) };
    std::memcpy(d + i, r, sizeof r);
  }
  for (; i < n; ++i) d[i] = Minterms<uint32_t>(HasP ? p[i] : pc, HasS ? s[i] : 0, d[i], m);
}

// ---- Brush patterns ----------------------------------------------------------------------------------
namespace {

inline int Mod(int a, int m) {
  int r = a % m;
  return r < 0 ? r + m : r;
}

bool HatchBit(LONG hatch, int x, int y) {
  switch (hatch) {
    case HS_HORIZONTAL:
      return y == 0;
    case HS_VERTICAL:
      return x == 0;
    case HS_FDIAGONAL:
      return x == y;
    case HS_BDIAGONAL:
      return x + y == 7;
    case HS_CROSS:
      return x == 0 || y == 0;
    case HS_DIAGCROSS:
      return x == y || x + y == 7;
  }
  return false;
}

}  // namespace

void PatternSource::Expand() {
  constexpr int kRun = 256;
  if (solid || w <= 0 || h <= 0 || w >= kRun || span) return;
  // One repeat more than a run needs: from any phase in the first repeat, kRun pixels follow.
  const int repeats = (kRun + w - 1) / w + 1;
  span = w * repeats;
  auto widen = [&](auto& v) {
    std::remove_reference_t<decltype(v)> wide(size_t(span) * size_t(h));
    for (int y = 0; y < h; ++y)
      for (int r = 0; r < repeats; ++r)
        std::copy_n(v.begin() + ptrdiff_t(y) * w, w, wide.begin() + ptrdiff_t(y) * span + ptrdiff_t(r) * w);
    v.swap(wide);
  };
  widen(tile);
  if (!paint.empty()) widen(paint);
}

const uint32_t* PatternSource::Run(int x, int y, int n, int& count, const uint8_t** mask) const {
  const int ty = Mod(y - orgY, h), tx = Mod(x - orgX, w);
  const size_t at = size_t(ty) * size_t(Span()) + size_t(tx);
  count = std::min(n, Span() - tx);
  if (mask) *mask = paint.empty() ? nullptr : paint.data() + at;
  return tile.data() + at;
}

void PatternSource::Fill(int x, int y, int n, uint32_t* out, uint8_t* mask) const {
  if (solid) {
    FillPixels(out, n, color);
    if (mask) std::fill(mask, mask + n, uint8_t(1));
    return;
  }
  for (int done = 0, k = 0; done < n; done += k) {
    const uint8_t* m = nullptr;
    const uint32_t* p = Run(x + done, y, n - done, k, &m);
    std::copy_n(p, k, out + done);
    if (mask) m ? std::copy_n(m, k, mask + done) : std::fill_n(mask + done, k, uint8_t(1));
  }
}

PatternSource SolidSource(uint32_t pixel) {
  PatternSource p;
  p.color = pixel;
  return p;
}

PatternSource RealizeBrush(DC& dc, HBRUSH hbrush, bool mono) {
  auto target = [mono](COLORREF c) {
    uint32_t p = ToPixel(ResolveColor(c));
    return mono ? MonoPixel(p) : p;
  };
  PatternSource ps;
  uintptr_t value = reinterpret_cast<uintptr_t>(hbrush);
  if (value >= 1 && value <= 31) {  // a system colour index + 1, as window classes pass it
    ps.color = target(0x80000000u | DWORD(value - 1));
    return ps;
  }
  Brush* b = Get<Brush>(hbrush);
  if (!b || b->style == BS_NULL) {
    ps.none = true;
    return ps;
  }
  ps.orgX = dc.origin.x + dc.st.brushOrg.x;
  ps.orgY = dc.origin.y + dc.st.brushOrg.y;
  if (b->style == BS_SOLID) {
    ps.color = target(b->color);
    return ps;
  }
  ps.solid = false;
  if (b->style == BS_HATCHED) {
    ps.w = ps.h = 8;
    ps.tile.resize(64);
    uint32_t fg = target(b->color), bg = target(dc.st.bkColor);
    bool opaque = dc.st.bkMode == OPAQUE;
    if (!opaque) ps.paint.resize(64);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        bool on = HatchBit(b->hatch, x, y);
        ps.tile[size_t(y * 8 + x)] = on ? fg : bg;
        if (!opaque) ps.paint[size_t(y * 8 + x)] = on;
      }
    ps.Expand();
    return ps;
  }
  ps.w = b->patWidth;
  ps.h = b->patHeight;
  ps.tile = b->pattern;
  if (b->patMono) {
    // A monochrome pattern paints its 0 bits in the text colour and its 1 bits in the background.
    uint32_t fg = target(dc.st.textColor), bg = target(dc.st.bkColor);
    for (uint32_t& v : ps.tile) v = v ? bg : fg;
  } else if (mono) {
    for (uint32_t& v : ps.tile) v = MonoPixel(v);
  }
  if (ps.w <= 0 || ps.h <= 0) ps.none = true;
  ps.Expand();
  return ps;
}

// ---- Painting spans and rectangles -------------------------------------------------------------
namespace {

// A pattern is painted run by run straight from its expanded tile rows; a transparent hatch only
// where its lines are.
void PaintPiece(const DrawScope& ds, int y, int x0, int x1, const Rop3& rop, const PatternSource& pat) {
  const int n = x1 - x0;
  uint32_t* d = ds.At(x0, y);
  if (pat.solid) {
    rop.Row(d, nullptr, nullptr, pat.color, n);
    return;
  }
  for (int done = 0, k = 0; done < n; done += k) {
    const uint8_t* m = nullptr;
    const uint32_t* p = pat.Run(x0 + done, y, n - done, k, &m);
    if (!m) {
      rop.Row(d + done, nullptr, p, 0, k);
      continue;
    }
    for (int i = 0; i < k;) {
      if (!m[i]) {
        ++i;
        continue;
      }
      int e = i + 1;
      while (e < k && m[e]) ++e;
      rop.Row(d + done + i, nullptr, p + i, 0, e - i);
      i = e;
    }
  }
}

}  // namespace

void PaintSpan(DrawScope& ds, int y, int x0, int x1, const Rop3& rop, const PatternSource& pat) {
  if (pat.none || x0 >= x1) return;
  int n = 0;
  const pixman_box32_t* b = ds.Clip().Rects(n);
  for (int i = 0; i < n; ++i) {
    if (y < b[i].y1 || y >= b[i].y2) continue;
    int a = std::max(x0, b[i].x1), e = std::min(x1, b[i].x2);
    if (a < e) PaintPiece(ds, y, a, e, rop, pat);
  }
}

namespace {

// Sets w × h pixels to v, rows step pixels apart; in one go where the rows follow one another in memory (a
// bitmap's whole background).
void FillRows(uint32_t* d, ptrdiff_t step, int w, int h, uint32_t v) {
  if (step == w) {
    FillPixels(d, w * h, v);
    return;
  }
  for (int y = 0; y < h; ++y, d += step) FillPixels(d, w, v);
}

}  // namespace

void PaintRect(DrawScope& ds, const RECT& rc, const Rop3& rop, const PatternSource& pat) {
  if (pat.none) return;
  // A solid brush copied (FillRect's case: backgrounds, frames, edges) is the colour written row by row;
  // the lines of frames and edges are a pixel or two wide and many rows high.
  const bool solidCopy = pat.solid && rop.Code() == 0xF0;
  int n = 0;
  const pixman_box32_t* b = ds.Clip().Rects(n);
  for (int i = 0; i < n; ++i) {
    int l = std::max<int>(rc.left, b[i].x1), r = std::min<int>(rc.right, b[i].x2);
    int t = std::max<int>(rc.top, b[i].y1), btm = std::min<int>(rc.bottom, b[i].y2);
    if (l >= r || t >= btm) continue;
    if (solidCopy)
      FillRows(ds.At(l, t), ds.Stride(), r - l, btm - t, pat.color);
    else
      for (int y = t; y < btm; ++y) PaintPiece(ds, y, l, r, rop, pat);
  }
}

BOOL FillWithBrush(DC& dc, const RECT& lr, HBRUSH brush, DWORD rop) {
  RECT rc { dc.SX(std::min(lr.left, lr.right)), dc.SY(std::min(lr.top, lr.bottom)), dc.SX(std::max(lr.left, lr.right)),
            dc.SY(std::max(lr.top, lr.bottom)) };
  Rop3 r(uint8_t((rop >> 16) & 0xFF));
  PatternSource pat = r.UsesPattern() ? RealizeBrush(dc, brush, dc.Mono()) : SolidSource(0);
  if (pat.none) return TRUE;
  DrawScope ds(dc, rc);
  if (!ds.Empty()) PaintRect(ds, rc, r, pat);
  return TRUE;
}

// ---- Blits -------------------------------------------------------------------------------------------
namespace {

enum class Convert { None, MonoToColor, ColorToMono };

// Source pixels for a blit: 32-bit pixels, where surface pixel (0, 0) is source coordinate (offX, offY), or
// rows of another depth, read and converted a row piece at a time as the blit goes (a small piece of a large
// picture of few bits costs that piece, not the picture in 32 bits). Only the valid rectangle (source
// coordinates) may be read.
struct SourceView {
  Surface s;
  PackedRows rows;  // in source coordinates; rows.fmt is null for 32-bit pixels
  int offX { 0 };
  int offY { 0 };
  RECT valid {};
  Convert convert { Convert::None };
  uint32_t fg { 0 };   // mono 0 → text colour
  uint32_t bg { 0 };   // mono 1 → background colour
  uint32_t key { 0 };  // colour → mono: this colour becomes white
  std::vector<uint32_t> store;

  bool Packed() const { return rows.fmt != nullptr; }
  const uint32_t* At(int x, int y) const { return s.Row(y - offY) + (x - offX); }
};

// A monochrome mask for MaskBlt, read where it lies: 1 selects the foreground operation.
struct MaskView {
  PackedRows rows;
  int w { 0 };
  int h { 0 };
  int x { 0 };  // mask coordinate of the destination's left/top
  int y { 0 };
};

struct BlitJob {
  RECT dst {};  // surface coordinates, normalised
  RECT src {};  // source coordinates, normalised
  bool mirrorX { false };
  bool mirrorY { false };
  const SourceView* source { nullptr };
  Rop3 fore { 0xCC };
  Rop3 back { 0xCC };
  const MaskView* mask { nullptr };
};

void ConvertRow(const SourceView& sv, uint32_t* row, int n) {
  switch (sv.convert) {
    case Convert::None:
      return;
    case Convert::MonoToColor:
      for (int i = 0; i < n; ++i) row[i] = (row[i] & 0xFFFFFF) ? sv.bg : sv.fg;
      return;
    case Convert::ColorToMono:
      for (int i = 0; i < n; ++i) row[i] = (row[i] & 0xFFFFFF) == sv.key ? kWhite : 0;
      return;
  }
}

// The blit's extents and whether it stretches either way.
struct BlitShape {
  int dw, dh, sw, sh;
  bool stretchX, stretchY;

  explicit BlitShape(const BlitJob& job)
      : dw(job.dst.right - job.dst.left),
        dh(job.dst.bottom - job.dst.top),
        sw(job.src.right - job.src.left),
        sh(job.src.bottom - job.src.top),
        stretchX(job.source && sw != dw),
        stretchY(job.source && sh != dh) {}
};

// Row buffers kept per thread: small blits (pieces of skin pictures) are many, and a blit never runs
// inside another on one thread.
struct BlitBuffers {
  std::vector<uint32_t> sbuf, pbuf, tmp, alt, line, mask;
  std::vector<int> xmap, xrel;
  int lineX { 0 };            // source column of line[0] (and of xrel's 0), when the source is packed
  int sbufRow { INT32_MIN };  // the source row sbuf holds, converted, for the clip box being drawn
};

// One to one with no mask, either from a colour source with at most a solid pattern (a control's face drawn
// on its parent) or copied from packed rows (a piece of a skin picture): rows go straight from the source,
// with no buffers and no column map.
bool IsStraightCopy(const BlitJob& job, const BlitShape& shape, const PatternSource& pat) {
  const SourceView* sv = job.source;
  if (!sv || shape.stretchX || shape.stretchY || job.mirrorX || job.mirrorY || job.mask) return false;
  return sv->Packed() ? job.fore.Code() == 0xCC : sv->convert == Convert::None && pat.solid;
}

// A plain copy of w × h pixels between rows step pixels apart: most blits are pieces of faces, many rows of
// a few pixels each, so the rows are moved without going through the raster operation; where both sides'
// rows follow one another in memory (a face as wide as the bitmap it lands on) they go in one move.
void MoveBox(uint32_t* d, ptrdiff_t dStep, const uint32_t* s, ptrdiff_t sStep, int w, int h) {
  if (dStep == w && sStep == w) {
    std::memmove(d, s, size_t(w) * size_t(h) * 4);
    return;
  }
  for (int y = 0; y < h; ++y, d += dStep, s += sStep) std::memmove(d, s, size_t(w) * 4);
}

void CopyStraight(DrawScope& ds, const BlitJob& job, const PatternSource& pat) {
  const SourceView* sv = job.source;
  const int dx = job.src.left - job.dst.left, dy = job.src.top - job.dst.top;
  int n = 0;
  const pixman_box32_t* boxes = ds.Clip().Rects(n);
  for (int bi = 0; bi < n; ++bi) {
    const pixman_box32_t& b = boxes[bi];
    const int x0 = std::max({ int(b.x1), int(job.dst.left), int(sv->valid.left) - dx });
    const int x1 = std::min({ int(b.x2), int(job.dst.right), int(sv->valid.right) - dx });
    const int y0 = std::max({ int(b.y1), int(job.dst.top), int(sv->valid.top) - dy });
    const int y1 = std::min({ int(b.y2), int(job.dst.bottom), int(sv->valid.bottom) - dy });
    if (x0 >= x1 || y0 >= y1) continue;
    if (sv->Packed())
      for (int y = y0; y < y1; ++y) {
        // Converted straight into the destination (and from one bit to colour there).
        sv->rows.Read(y + dy, x0 + dx, x1 - x0, ds.At(x0, y));
        ConvertRow(*sv, ds.At(x0, y), x1 - x0);
      }
    else if (job.fore.Code() == 0xCC)
      MoveBox(ds.At(x0, y0), ds.Stride(), sv->At(x0 + dx, y0 + dy), sv->s.Stride, x1 - x0, y1 - y0);
    else
      for (int y = y0; y < y1; ++y) job.fore.Row(ds.At(x0, y), sv->At(x0 + dx, y + dy), nullptr, pat.color, x1 - x0);
  }
}

// Destination pixel i takes source pixel floor(i · sw / dw); columns outside the source stay, so the
// span [x0, x1) narrows to the columns that have a source. False when none has.
bool MapColumns(const BlitJob& job, const BlitShape& shape, int& x0, int& x1, BlitBuffers& buf) {
  const SourceView* sv = job.source;
  std::vector<int>& xmap = buf.xmap;
  xmap.resize(size_t(x1 - x0));
  for (int x = x0; x < x1; ++x) {
    int j = x - job.dst.left;
    if (job.mirrorX) j = shape.dw - 1 - j;
    int sx = job.src.left + (shape.stretchX ? int(int64_t(j) * shape.sw / shape.dw) : j);
    xmap[size_t(x - x0)] = (sx >= sv->valid.left && sx < sv->valid.right) ? sx : INT32_MIN;
  }
  int a = 0, e = x1 - x0;
  while (a < e && xmap[size_t(a)] == INT32_MIN) ++a;
  while (e > a && xmap[size_t(e - 1)] == INT32_MIN) --e;
  if (a >= e) return false;
  xmap.erase(xmap.begin(), xmap.begin() + a);
  xmap.resize(size_t(e - a));
  x1 = x0 + e;
  x0 += a;
  // Packed rows are read from the leftmost column the map reaches (it runs one way or the other).
  buf.lineX = sv->Packed() ? std::min(xmap.front(), xmap.back()) : sv->offX;
  if (sv->Packed()) buf.line.resize(size_t(std::abs(xmap.back() - xmap.front()) + 1));
  buf.xrel.resize(xmap.size());
  for (size_t k = 0; k < xmap.size(); ++k) buf.xrel[k] = xmap[k] - buf.lineX;
  return true;
}

// Source row sy, mapped to the columns and converted, into sbuf.
void ConvertSourceRow(const SourceView& sv, bool contiguous, int sy, int cols, BlitBuffers& buf) {
  uint32_t* out = buf.sbuf.data();
  if (contiguous && sv.Packed()) {
    sv.rows.Read(sy, buf.xmap[0], cols, out);
  } else if (contiguous) {
    std::memcpy(out, sv.At(buf.xmap[0], sy), size_t(cols) * 4);
  } else {
    if (sv.Packed()) sv.rows.Read(sy, buf.lineX, int(buf.line.size()), buf.line.data());
    const uint32_t* srow = sv.Packed() ? buf.line.data() : sv.At(sv.offX, sy);
    const int* map = buf.xrel.data();
    for (int k = 0; k < cols; ++k) out[k] = srow[map[k]];
  }
  ConvertRow(sv, out, cols);
}

// The source pixels for destination row y, converted; false when the row has no source row.
bool SourceRow(const BlitJob& job, const BlitShape& shape, int y, int cols, BlitBuffers& buf, const uint32_t*& s) {
  const SourceView* sv = job.source;
  int i = y - job.dst.top;
  if (job.mirrorY) i = shape.dh - 1 - i;
  int sy = job.src.top + (shape.stretchY ? int(int64_t(i) * shape.sh / shape.dh) : i);
  if (sy < sv->valid.top || sy >= sv->valid.bottom) return false;
  bool contiguous = !shape.stretchX && !job.mirrorX;
  if (contiguous && sv->convert == Convert::None && !sv->Packed()) {
    s = sv->At(buf.xmap[0], sy);
    return true;
  }
  // A source row stretched over several destination rows is converted once.
  if (sy != buf.sbufRow) ConvertSourceRow(*sv, contiguous, sy, cols, buf);
  buf.sbufRow = sy;
  s = buf.sbuf.data();
  return true;
}

// The mask's bits under cols destination pixels from (x0, y), 0 outside the mask.
void MaskRow(const BlitJob& job, int x0, int y, int cols, uint32_t* out) {
  const MaskView& m = *job.mask;
  std::fill(out, out + cols, 0u);
  const int64_t my = int64_t { m.y } + (y - job.dst.top), mx = int64_t { m.x } + (x0 - job.dst.left);
  const int64_t a = std::clamp<int64_t>(-mx, 0, cols), e = std::clamp<int64_t>(m.w - mx, 0, cols);
  if (my >= 0 && my < m.h && a < e) m.rows.Read(int(my), int(mx + a), int(e - a), out + a);
}

// Where the mask is set the foreground operation's result lands, elsewhere the background one's.
void MaskedRow(const BlitJob& job, uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t color, int x0, int y,
               int cols, BlitBuffers& buf) {
  buf.tmp.assign(d, d + cols);
  buf.alt.assign(d, d + cols);
  job.fore.Row(buf.tmp.data(), s, p, color, cols);
  job.back.Row(buf.alt.data(), s, p, color, cols);
  buf.mask.resize(size_t(cols));
  MaskRow(job, x0, y, cols, buf.mask.data());
  for (int k = 0; k < cols; ++k) d[k] = buf.mask[size_t(k)] ? buf.tmp[size_t(k)] : buf.alt[size_t(k)];
}

// One clip box of a blit that stretches, mirrors, converts, masks or has a patterned brush.
void BlitBox(DrawScope& ds, const BlitJob& job, const BlitShape& shape, const PatternSource& pat,
             const pixman_box32_t& b, BlitBuffers& buf) {
  int x0 = std::max<int>(b.x1, job.dst.left), x1 = std::min<int>(b.x2, job.dst.right);
  int y0 = std::max<int>(b.y1, job.dst.top), y1 = std::min<int>(b.y2, job.dst.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  if (job.source && !MapColumns(job, shape, x0, x1, buf)) return;
  int cols = x1 - x0;
  buf.sbuf.resize(size_t(cols));
  buf.pbuf.resize(size_t(cols));
  buf.sbufRow = INT32_MIN;
  for (int y = y0; y < y1; ++y) {
    const uint32_t* s = nullptr;
    if (job.source && !SourceRow(job, shape, y, cols, buf, s)) continue;
    const uint32_t* p = nullptr;
    if (!pat.solid) {
      pat.Fill(x0, y, cols, buf.pbuf.data(), nullptr);
      p = buf.pbuf.data();
    }
    uint32_t* d = ds.At(x0, y);
    if (job.mask)
      MaskedRow(job, d, s, p, pat.color, x0, y, cols, buf);
    else
      job.fore.Row(d, s, p, pat.color, cols);
  }
}

void RunBlit(DC& dst, const BlitJob& job, const PatternSource& pat) {
  DrawScope ds(dst, job.dst);
  if (ds.Empty()) return;
  BlitShape shape(job);
  if (IsStraightCopy(job, shape, pat)) {
    CopyStraight(ds, job, pat);
    return;
  }
  BlitBuffers& buf = PerThread<BlitBuffers>();
  int n = 0;
  const pixman_box32_t* boxes = ds.Clip().Rects(n);
  for (int bi = 0; bi < n; ++bi) BlitBox(ds, job, shape, pat, boxes[bi], buf);
}

// A DC's pixels as a blit source; copies them aside when they are also the destination and the two
// rectangles (dstRect in surface coordinates) overlap.
bool SourceFromDC(DC& src, DC& dst, const RECT& want, const RECT& dstRect, SourceView& sv) {
  Bitmap* packed = nullptr;
  Surface s = src.CurrentSurface(&packed);
  if (s.Width <= 0 || s.Height <= 0 || (!packed && !s.Pixels)) return false;
  RECT valid { std::max(0, int(want.left)), std::max(0, int(want.top)), std::min(s.Width, int(want.right)),
               std::min(s.Height, int(want.bottom)) };
  if (valid.left >= valid.right || valid.top >= valid.bottom) return false;
  if (packed) sv.rows = packed->Rows();
  sv.s = s;
  sv.valid = valid;
  const bool overlap = valid.left < dstRect.right && dstRect.left < valid.right && valid.top < dstRect.bottom &&
                       dstRect.top < valid.bottom;
  if (overlap && s.Pixels && dst.CurrentSurface().Pixels == s.Pixels) {
    int w = valid.right - valid.left, h = valid.bottom - valid.top;
    sv.store.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
      std::memcpy(sv.store.data() + size_t(y) * size_t(w), s.Row(valid.top + y) + valid.left, size_t(w) * 4);
    sv.s = Surface { sv.store.data(), w, h, w };
    sv.offX = valid.left;
    sv.offY = valid.top;
  }
  bool srcMono = src.Mono(), dstMono = dst.Mono();
  if (srcMono && !dstMono) {
    sv.convert = Convert::MonoToColor;
    sv.fg = ToPixel(ResolveColor(dst.st.textColor));
    sv.bg = ToPixel(ResolveColor(dst.st.bkColor));
  } else if (!srcMono && dstMono) {
    // Colour to monochrome: pixels of the source DC's background colour become white.
    sv.convert = Convert::ColorToMono;
    sv.key = ToPixel(ResolveColor(src.st.bkColor));
  }
  return true;
}

RECT Normalised(int x, int y, int w, int h) {
  return RECT { w < 0 ? x + w : x, h < 0 ? y + h : y, w < 0 ? x : x + w, h < 0 ? y : y + h };
}

BOOL Blit(DC& dst, int x, int y, int w, int h, DC* src, int sx, int sy, int sw, int sh, uint8_t fore, uint8_t back,
          const MaskView* mask) {
  BlitJob job;
  job.fore = Rop3(fore);
  job.back = Rop3(back);
  bool needSrc = job.fore.UsesSource() || (mask && job.back.UsesSource());
  bool needPat = job.fore.UsesPattern() || (mask && job.back.UsesPattern());
  if (needSrc && !src) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (w == 0 || h == 0 || (needSrc && (sw == 0 || sh == 0))) return TRUE;
  job.mirrorX = needSrc && ((w < 0) != (sw < 0));
  job.mirrorY = needSrc && ((h < 0) != (sh < 0));
  RECT d = Normalised(x, y, w, h);
  job.dst = RECT { dst.SX(d.left), dst.SY(d.top), dst.SX(d.right), dst.SY(d.bottom) };
  SourceView sv;
  if (needSrc) {
    RECT s = Normalised(sx, sy, sw, sh);
    job.src = RECT { src->SX(s.left), src->SY(s.top), src->SX(s.right), src->SY(s.bottom) };
    if (!SourceFromDC(*src, dst, job.src, job.dst, sv)) return TRUE;
    job.source = &sv;
  }
  PatternSource pat = needPat ? RealizeBrush(dst, dst.st.brush, dst.Mono()) : SolidSource(0);
  if (pat.none) return TRUE;
  job.mask = mask;
  RunBlit(dst, job, pat);
  return TRUE;
}

// The rows of a DIB in memory, for drawing from it directly.
struct DibMemory {
  PixelFormat fmt;
  int width { 0 };
  int height { 0 };
  bool topDown { false };
  const uint8_t* bits { nullptr };
  int stride { 0 };
  int firstRow { 0 };  // scan lines present: [firstRow, firstRow + rows), counted in storage order
  int rows { 0 };

  // Top-down row t, or null when it is not in the memory given.
  const uint8_t* Row(int t) const {
    int stored = topDown ? t : height - 1 - t;
    if (stored < firstRow || stored >= firstRow + rows) return nullptr;
    return bits + size_t(stored - firstRow) * size_t(stride);
  }
};

// The wanted part (top-down DIB coordinates) of a DIB as a source, read where it lies; only the scan lines
// present are valid.
bool SourceFromDib(const DibMemory& m, const RECT& want, SourceView& sv) {
  const int present = m.topDown ? m.firstRow : m.height - m.firstRow - m.rows;  // top-down, the first one
  RECT v { std::max(0, int(want.left)), std::max({ 0, int(want.top), present }), std::min(m.width, int(want.right)),
           std::min({ m.height, int(want.bottom), present + m.rows }) };
  if (v.left >= v.right || v.top >= v.bottom) return false;
  sv.rows = PackedRows { &m.fmt, m.Row(v.top), v.top, m.topDown ? ptrdiff_t(m.stride) : -ptrdiff_t(m.stride) };
  sv.valid = v;
  return true;
}

bool DibFromInfo(const void* bits, const BITMAPINFO* bmi, UINT usage, DibMemory& m) {
  if (!bits || !FormatFromInfo(bmi, usage, m.fmt, m.width, m.height, m.topDown)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  m.bits = static_cast<const uint8_t*>(bits);
  m.stride = StrideFor(m.width, m.fmt.bpp, 4);
  m.firstRow = 0;
  m.rows = m.height;
  return true;
}

}  // namespace

}  // namespace xj::gdi

using namespace xj::gdi;

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  DC* dc = GetDC(hdc);
  if (!dc) return FALSE;
  Rop3 r(uint8_t((rop >> 16) & 0xFF));
  if (r.UsesSource()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (w == 0 || h == 0) return TRUE;
  // Negative extents grow the rectangle left and up from (x, y).
  RECT rc { w < 0 ? x + w : x, h < 0 ? y + h : y, w < 0 ? x : x + w, h < 0 ? y : y + h };
  return FillWithBrush(*dc, rc, dc->st.brush, rop);
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  DC* d = GetDC(dst);
  if (!d) return FALSE;
  DC* s = src ? GetDC(src) : nullptr;
  if (src && !s) return FALSE;
  uint8_t code = uint8_t((rop >> 16) & 0xFF);
  return Blit(*d, x, y, w, h, s, sx, sy, w, h, code, code, nullptr);
}

BOOL WINAPI StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  DC* d = GetDC(dst);
  if (!d) return FALSE;
  DC* s = src ? GetDC(src) : nullptr;
  if (src && !s) return FALSE;
  uint8_t code = uint8_t((rop >> 16) & 0xFF);
  return Blit(*d, x, y, w, h, s, sx, sy, sw, sh, code, code, nullptr);
}

BOOL WINAPI MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
                    DWORD rop4) {
  DC* d = GetDC(dst);
  if (!d) return FALSE;
  DC* s = src ? GetDC(src) : nullptr;
  if (src && !s) return FALSE;
  uint8_t fore = uint8_t((rop4 >> 16) & 0xFF), back = uint8_t((rop4 >> 24) & 0xFF);
  if (!mask) return Blit(*d, x, y, w, h, s, sx, sy, w, h, fore, fore, nullptr);
  Bitmap* mb = Get<Bitmap>(mask);
  if (!mb || !mb->fmt.Mono()) {
    SetLastError(mb ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MaskView mv;
  mv.rows = mb->Rows();
  mv.w = mb->width;
  mv.h = mb->height;
  // The mask is read at (mx, my) for the destination's left/top, whichever way the extents point.
  mv.x = mx;
  mv.y = my;
  return Blit(*d, x, y, w, h, s, sx, sy, w, h, fore, back, &mv);
}

int WINAPI StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                         const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  DC* dc = GetDC(hdc);
  DibMemory m;
  if (!dc || !DibFromInfo(bits, bmi, usage, m)) return 0;
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return 0;
  BlitJob job;
  job.fore = job.back = Rop3(uint8_t((rop >> 16) & 0xFF));
  job.mirrorX = (w < 0) != (sw < 0);
  job.mirrorY = (h < 0) != (sh < 0);
  RECT d = Normalised(x, y, w, h);
  job.dst = RECT { dc->SX(d.left), dc->SY(d.top), dc->SX(d.right), dc->SY(d.bottom) };
  // A bottom-up DIB measures the source rectangle from its lower-left corner.
  RECT s = Normalised(sx, sy, sw, sh);
  if (!m.topDown) s = RECT { s.left, m.height - s.bottom, s.right, m.height - s.top };
  job.src = s;
  SourceView sv;
  if (!SourceFromDib(m, s, sv)) return std::abs(sh);
  if (dc->Mono()) {
    sv.convert = Convert::ColorToMono;
    sv.key = ToPixel(ResolveColor(dc->st.bkColor));
  }
  job.source = &sv;
  PatternSource pat = job.fore.UsesPattern() ? RealizeBrush(*dc, dc->st.brush, dc->Mono()) : SolidSource(0);
  if (!pat.none) RunBlit(*dc, job, pat);
  return std::abs(sh);
}

int WINAPI SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                             const void* bits, const BITMAPINFO* bmi, UINT usage) {
  DC* dc = GetDC(hdc);
  DibMemory m;
  if (!dc || !DibFromInfo(bits, bmi, usage, m)) return 0;
  if (w == 0 || h == 0 || lines == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return 0;
  m.firstRow = int(std::min<UINT>(startScan, UINT(m.height)));
  m.rows = int(std::min<UINT>(lines, UINT(m.height - m.firstRow)));
  BlitJob job;
  RECT d { x, y, x + int(w), y + int(h) };
  job.dst = RECT { dc->SX(d.left), dc->SY(d.top), dc->SX(d.right), dc->SY(d.bottom) };
  RECT s { sx, sy, sx + int(w), sy + int(h) };
  if (!m.topDown) s = RECT { s.left, m.height - s.bottom, s.right, m.height - s.top };
  job.src = s;
  if (!dc->Mono()) {
    // Unscaled colour copy: convert the DIB's rows straight into the destination.
    DrawScope ds(*dc, job.dst);
    if (ds.Empty()) return int(lines);
    int n = 0;
    const pixman_box32_t* boxes = ds.Clip().Rects(n);
    for (int i = 0; i < n; ++i) {
      int x0 = std::max<int>(boxes[i].x1, job.dst.left), x1 = std::min<int>(boxes[i].x2, job.dst.right);
      int sx0 = s.left + (x0 - job.dst.left), sx1 = s.left + (x1 - job.dst.left);
      int skip = std::max(0, -sx0);
      sx0 += skip;
      x0 += skip;
      sx1 = std::min(sx1, m.width);
      if (sx0 >= sx1) continue;
      for (int y = std::max<int>(boxes[i].y1, job.dst.top); y < std::min<int>(boxes[i].y2, job.dst.bottom); ++y) {
        int t = s.top + (y - job.dst.top);
        const uint8_t* row = t >= 0 && t < m.height ? m.Row(t) : nullptr;
        if (row) ReadRow(m.fmt, row, sx0, sx1 - sx0, ds.At(x0, y));
      }
    }
    return int(lines);
  }
  SourceView sv;
  if (!SourceFromDib(m, s, sv)) return int(lines);
  sv.convert = Convert::ColorToMono;
  sv.key = ToPixel(ResolveColor(dc->st.bkColor));
  job.source = &sv;
  RunBlit(*dc, job, SolidSource(0));
  return int(lines);
}
