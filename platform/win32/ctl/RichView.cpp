// The rich edit's rows: measured character by character in the font of each run, wrapped like the
// memo's (after the last blank, or between double-byte characters), painted run by run.

#include "platform/win32/ctl/RichView.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/win32/ctl/CtlCommon.h"

namespace xj::ctl {

namespace {

constexpr int kDefaultTab = 48;  // pixels between tab stops when a paragraph sets none (half an inch)
constexpr int kBulletBox = 14;   // the room a bullet takes before its paragraph's text
constexpr int kNumberBox = 24;   // and a number (the quarter inch common writers hang a list's text by)

// A soft line break (Shift+Enter, "\line"): it ends its row within the paragraph and takes no room.
constexpr char kSoftBreak = '\v';

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == kSoftBreak; }

// Steps through the runs of formats in order, so that walking a line looks each run and its font up
// once.
class RunWalk {
 public:
  RunWalk(const RunList& runs, size_t pos) : FRuns(runs.Runs()), FIndex(runs.IndexAt(pos)) {}
  uint32_t At(size_t pos) {
    while (FIndex + 1 < FRuns.size() && FRuns[FIndex + 1].start <= pos) ++FIndex;
    return FRuns[FIndex].value;
  }
  Measurer& Measure(RichLayout& l, size_t pos) {
    const uint32_t format = At(pos);
    if (!FMeasurer || format != FMeasured) {
      FMeasurer = &l.fonts.Measure(l.rich, format);
      FMeasured = format;
    }
    return *FMeasurer;
  }

 private:
  const std::vector<RunList::Run>& FRuns;
  size_t FIndex;
  Measurer* FMeasurer {};
  uint32_t FMeasured { 0 };
};

// Where the text of row k of a paragraph starts past the left edge: the first line's indent, the
// others', and room for a bullet or number when the first line's indent leaves none. The room is the
// same whatever the number, so that renumbering a list lays none of it out again.
int RowIndent(const ParaFormat& p, size_t k) {
  const int first = TwipsToPixels(p.left + p.first), rest = TwipsToPixels(p.left);
  if (p.numbering == Numbering::None) return std::max(0, k == 0 ? first : rest);
  const int box = p.numbering == Numbering::Bullet ? kBulletBox : kNumberBox;
  const int text = std::max(rest, std::max(0, first) + box);
  return k == 0 ? text : std::max(0, rest);
}

// The number of a numbered paragraph (a line): its list's start, counted on over the paragraphs
// before it of the same list. Walks back the runs of paragraph formats, not the paragraphs, so that
// the end of a long list costs what its few runs do.
int ParaNumber(const MemoText& text, const RichText& rich, int line) {
  const ParaFormat& p = rich.ParaAt(text.LineOffset(line));
  const std::vector<RunList::Run>& runs = rich.paraRuns.Runs();
  int first = line;  // the list's first line known so far
  for (size_t from = text.LineOffset(line); from > 0;) {
    size_t i = rich.paraRuns.IndexAt(from);
    while (i > 0 && rich.paras[runs[i - 1].value].SameList(p)) --i;
    const size_t start = runs[i].start;
    const int at = text.LineOf(start);
    const size_t lineStart = text.LineOffset(at);
    // A run of the list that starts inside a paragraph holds that paragraph only if its first byte does.
    first = lineStart == start || rich.ParaAt(lineStart).SameList(p) ? at : at + 1;
    if (lineStart == start || first > at) break;
    from = lineStart;
  }
  return p.numberStart + (line - first);
}

// The advance of the character at i of a line whose row starts `indent` pixels in, x pixels along.
int Advance(RichLayout& l, RunWalk& walk, const ParaFormat& p, const std::string& t, size_t offset, size_t i, int x,
            int indent) {
  if (t[i] == kSoftBreak) return 0;
  if (t[i] != '\t') return walk.Measure(l, offset + i).Width(t, i);
  const int at = indent + x;
  for (int stop : p.tabs)
    if (TwipsToPixels(stop) > at) return TwipsToPixels(stop) - at;
  return kDefaultTab - at % kDefaultTab;
}

// Heights and baselines of each row: the tallest ascent and descent of the runs in it (an empty row
// takes those of the format there).
void Heights(RichLayout& l, size_t offset, size_t size, MemoRows& rows) {
  rows.heights.clear();
  rows.ascents.clear();
  rows.height = 0;
  for (size_t k = 0; k < rows.starts.size(); ++k) {
    const size_t a = offset + rows.starts[k], b = offset + (k + 1 < rows.starts.size() ? rows.starts[k + 1] : size);
    int ascent = 0, descent = 0;
    const auto take = [&](uint32_t format) {
      const TEXTMETRICA& tm = l.fonts.Metrics(l.rich, format);
      ascent = std::max(ascent, (int)tm.tmAscent);
      descent = std::max(descent, (int)(tm.tmHeight - tm.tmAscent));
    };
    if (a == b)
      take(l.rich.charRuns.At(a));
    else
      l.rich.charRuns.Visit(a, b, [&](size_t, size_t, uint32_t v) { take(v); });
    rows.heights.push_back((uint16_t)std::clamp(ascent + descent, 1, 0xFFFF));
    rows.ascents.push_back((uint16_t)std::clamp(ascent, 0, 0xFFFF));
    rows.height += rows.heights.back();
  }
}

}  // namespace

int TwipsToPixels(long twips) { return (int)(twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15)); }

// ---- Fonts ------------------------------------------------------------------------------------------------------

RichFonts::~RichFonts() { Clear(); }

void RichFonts::Clear() {
  for (auto& [key, e] : FFonts)
    if (e.owned) DeleteObject(e.font);
  FFonts.clear();
  FByFormat.clear();
}

void RichFonts::SetWindowFont(HFONT font) {
  if (font == FWindowFont) return;
  Clear();
  FWindowFont = font;
}

// The default format is drawn in the window's font unless it was set to another face or style (with
// no face at all, it is the window's font whatever it says).
bool RichFonts::LooksLikeWindowFont(const CharFormat& f) const {
  if (f.face.empty()) return true;
  LOGFONTA lf {};
  if (!FWindowFont || !GetObjectA(FWindowFont, sizeof lf, &lf)) return false;
  return f.face == lf.lfFaceName && f.bold == (lf.lfWeight >= FW_BOLD) && f.italic == (lf.lfItalic != 0) &&
         f.underline == (lf.lfUnderline != 0) && f.strike == (lf.lfStrikeOut != 0) &&
         std::abs(TwipsToPixels(f.height) - std::abs((int)lf.lfHeight)) <= 1;
}

RichFonts::Entry& RichFonts::Made(const Key& key, HFONT font, bool owned) {
  Entry& e = FFonts[key];
  e.font = font;
  e.owned = owned;
  e.measure = std::make_unique<Measurer>(font);
  e.tm = MetricsOf(font);
  return e;
}

RichFonts::Entry& RichFonts::Of(const RichText& rich, uint32_t format) {
  if (format < FByFormat.size() && FByFormat[format]) return *FByFormat[format];
  if (format >= FByFormat.size()) FByFormat.resize((size_t)format + 1);
  const CharFormat& f = rich.chars[format];
  const int px = std::max(1, TwipsToPixels(f.height));
  const Key window { "", 0, false, false, false, false, 0, 0 };  // the window's own font
  Key key = format == rich.defaultChar && LooksLikeWindowFont(f)
                ? window
                : Key { f.face, px, f.bold, f.italic, f.underline, f.strike, f.charset, f.pitch };
  if (!FFonts.count(key) && FFonts.size() >= kMaxFonts) key = window;
  auto it = FFonts.find(key);
  if (it != FFonts.end()) return *(FByFormat[format] = &it->second);
  HFONT font = key == window ? FWindowFont
                             : CreateFontA(-px, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, f.underline, f.strike,
                                           f.charset, 0, 0, 0, f.pitch, f.face.c_str());
  return *(FByFormat[format] = &Made(key, font, key != window && font));
}

HFONT RichFonts::Font(const RichText& rich, uint32_t format) { return FontOrDefault(Of(rich, format).font); }
Measurer& RichFonts::Measure(const RichText& rich, uint32_t format) { return *Of(rich, format).measure; }
const TEXTMETRICA& RichFonts::Metrics(const RichText& rich, uint32_t format) { return Of(rich, format).tm; }

// ---- Layout -----------------------------------------------------------------------------------------------------

void RichWrap(RichLayout& l, size_t offset, const std::string& t, int room, MemoRows& rows) {
  const ParaFormat& p = l.rich.ParaAt(offset);
  const int right = std::max(0, TwipsToPixels(p.right));
  RunWalk walk(l.rich.charRuns, offset);
  rows.starts.assign(1, 0);
  int x = 0, widest = RowIndent(p, 0) + right;
  size_t rowStart = 0, breakAt = 0;  // breakAt: the best start of a next row seen so far (0: none)
  int indent = RowIndent(p, 0), avail = room < 0 ? -1 : std::max(1, room - indent - right);
  const auto newRow = [&](size_t next) {
    rows.starts.push_back((uint32_t)next);
    rowStart = next;
    breakAt = 0;
    indent = RowIndent(p, rows.starts.size() - 1);
    avail = room < 0 ? -1 : std::max(1, room - indent - right);
  };
  for (size_t i = 0; i < t.size();) {
    const size_t len = EditText::CharLength(t, i);
    const bool wide = len == 2;
    if (wide && i > rowStart) breakAt = i;
    int w = Advance(l, walk, p, t, offset, i, x, indent);
    if (avail >= 0 && x + w > avail && i > rowStart && !IsBlank(t[i])) {
      const size_t next = breakAt > rowStart ? breakAt : i;
      newRow(next);
      RunWalk again(l.rich.charRuns, offset + next);
      x = 0;
      for (size_t j = next; j < i; j += EditText::CharLength(t, j)) x += Advance(l, again, p, t, offset, j, x, indent);
      w = Advance(l, walk, p, t, offset, i, x, indent);
    }
    x += w;
    widest = std::max(widest, indent + x + right);
    i += len;
    if (t[i - len] == kSoftBreak) {  // the next row starts after it, even at the paragraph's end
      newRow(i);
      x = 0;
      widest = std::max(widest, indent + right);
    } else if (wide || IsBlank(t[i - len])) {
      breakAt = i;
    }
  }
  rows.width = widest;
  Heights(l, offset, t.size(), rows);
}

namespace {

// Calls f(i, length, x, advance) for each character of a row (i within its line) while f answers true.
// The blanks of a justified row that wraps share out the room it leaves, the first ones a pixel more.
template <class F>
void EachChar(RichLayout& l, const MemoText::RowSpan& s, F f) {
  const ParaFormat& p = l.rich.ParaAt(s.lineOffset);
  const int indent = RowIndent(p, s.index);
  const std::string& t = *s.text;
  const size_t a = s.start - s.lineOffset, b = s.end - s.lineOffset;
  size_t lastEnd = a;  // past the row's last character that is not a blank
  int extra = 0, blanks = 0;
  // A row that a soft break ends is a paragraph's last as far as justifying goes.
  const bool broken = s.end > s.start && t[s.end - s.lineOffset - 1] == kSoftBreak;
  if (p.align == ParaAlign::Justify && l.room > 0 && !broken && s.index + 1 < l.text.LineRows(s.line).starts.size()) {
    RunWalk walk(l.rich.charRuns, s.start);
    int x = 0, natural = 0;
    for (size_t i = a; i < b; i += EditText::CharLength(t, i)) {
      x += Advance(l, walk, p, t, s.lineOffset, i, x, indent);
      if (!IsBlank(t[i])) natural = x, lastEnd = i + EditText::CharLength(t, i);
    }
    blanks = (int)std::count(t.begin() + (long)a, t.begin() + (long)lastEnd, ' ');
    extra = std::max(0, l.room - indent - std::max(0, TwipsToPixels(p.right)) - natural);
  }
  RunWalk walk(l.rich.charRuns, s.start);
  int x = 0, k = 0;
  for (size_t i = a; i < b;) {
    const size_t len = EditText::CharLength(t, i);
    int w = Advance(l, walk, p, t, s.lineOffset, i, x, indent);
    if (blanks > 0 && t[i] == ' ' && i < lastEnd) w += extra / blanks + (k++ < extra % blanks ? 1 : 0);
    if (!f(i, len, x, w)) return;
    x += w;
    i += len;
  }
}

}  // namespace

int RichX(RichLayout& l, int row, size_t pos) {
  const MemoText::RowSpan s = l.text.Span(row);
  const size_t end = std::min(pos, s.end) - s.lineOffset;
  int x = 0;
  EachChar(l, s, [&](size_t i, size_t, int at, int w) {
    x = i < end ? at + w : x;
    return i < end;
  });
  return x;
}

size_t RichPos(RichLayout& l, int row, int x, size_t last) {
  const MemoText::RowSpan s = l.text.Span(row);
  size_t found = last;
  EachChar(l, s, [&](size_t i, size_t len, int cx, int w) {
    if (s.lineOffset + i >= last) return false;
    if (x >= cx + w) return true;
    found = s.lineOffset + (x - cx >= cx + w - x ? i + len : i);
    return false;
  });
  return found;
}

int RichRowShift(RichLayout& l, int row, int room) {
  const MemoText::RowSpan s = l.text.Span(row);
  const ParaFormat& p = l.rich.ParaAt(s.lineOffset);
  const int indent = RowIndent(p, s.index);
  const int avail = room - indent - std::max(0, TwipsToPixels(p.right));
  if (p.align != ParaAlign::Centre && p.align != ParaAlign::Right) return indent;
  const int width = RichX(l, row, s.end);
  return indent + std::max(0, p.align == ParaAlign::Centre ? (avail - width) / 2 : avail - 1 - width);
}

// ---- Painting ---------------------------------------------------------------------------------------------------

namespace {

// A piece of a row in one format, selected or not: its bytes as drawn (tabs as blanks) and advances.
struct Piece {
  uint32_t format;
  bool selected;
  int x;
  std::string shown;
  std::vector<int> dx;
  int width { 0 };
};

void PaintPiece(RichLayout& l, const RichPaint& p, const Piece& piece, int x0, int y, int height, int ascent) {
  if (piece.shown.empty()) return;
  const CharFormat& f = l.rich.chars[piece.format];
  const int left = x0 + piece.x;
  RECT cell { std::max((int)p.clip.left, left), std::max((int)p.clip.top, y),
              std::min((int)p.clip.right, left + piece.width), std::min((int)p.clip.bottom, y + height) };
  SelectObject(p.dc, l.fonts.Font(l.rich, piece.format));
  const int top = y + ascent - l.fonts.Metrics(l.rich, piece.format).tmAscent;
  if (!piece.selected && !f.autoBack && cell.right > cell.left && cell.bottom > cell.top) {
    HBRUSH back = CreateSolidBrush((COLORREF)f.back);
    FillRect(p.dc, &cell, back);
    DeleteObject(back);
  }
  SetTextColor(p.dc, !p.enabled ? GetSysColor(COLOR_GRAYTEXT) : f.autoColor ? p.text : (COLORREF)f.color);
  DrawEditRun(p.dc, left, top, p.clip, piece.shown.data(), (UINT)piece.shown.size(), piece.dx.data(),
              piece.selected ? &cell : nullptr);
}

// A paragraph's number where its first line's indent starts, on the row's baseline, in the format of
// the paragraph's first character.
void PaintNumber(RichLayout& l, const RichPaint& p, const MemoText::RowSpan& s, int x, int y, int ascent) {
  const ParaFormat& para = l.rich.ParaAt(s.lineOffset);
  const std::string number = NumberText(para, ParaNumber(l.text, l.rich, s.line));
  if (number.empty()) return;
  const uint32_t format = l.rich.charRuns.At(s.lineOffset);
  const CharFormat& f = l.rich.chars[format];
  HGDIOBJ old = SelectObject(p.dc, l.fonts.Font(l.rich, format));
  SetTextColor(p.dc, !p.enabled ? GetSysColor(COLOR_GRAYTEXT) : f.autoColor ? p.text : (COLORREF)f.color);
  const int mode = SetBkMode(p.dc, TRANSPARENT);
  TextOutA(p.dc, x, y + ascent - l.fonts.Metrics(l.rich, format).tmAscent, number.data(), (int)number.size());
  SetBkMode(p.dc, mode);
  SelectObject(p.dc, old);
}

void PaintBullet(const RichPaint& p, int x, int y, int height, int ascent) {
  const int d = std::clamp(ascent / 3, 3, 9), cx = x + (kBulletBox - d) / 2 - 2,
            cy = y + std::min(ascent, height) - ascent / 2 - d / 2;
  HBRUSH brush = CreateSolidBrush(p.enabled ? p.text : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ oldBrush = SelectObject(p.dc, brush), oldPen = SelectObject(p.dc, GetStockObject(NULL_PEN));
  Ellipse(p.dc, cx, cy, cx + d + 1, cy + d + 1);
  SelectObject(p.dc, oldPen);
  SelectObject(p.dc, oldBrush);
  DeleteObject(brush);
}

}  // namespace

void RichPaintRow(RichLayout& l, const RichPaint& p, int row, int x0, int y) {
  const MemoText::RowSpan s = l.text.Span(row);
  const MemoRows& rows = l.text.LineRows(s.line);
  const int height = s.index < rows.heights.size() ? rows.heights[s.index] : 1;
  const int ascent = s.index < rows.ascents.size() ? rows.ascents[s.index] : 0;
  const ParaFormat& para = l.rich.ParaAt(s.lineOffset);
  const int indent = RowIndent(para, s.index);
  const int mark = x0 - indent + std::max(0, TwipsToPixels(para.left + para.first));
  if (para.numbering == Numbering::Bullet && s.index == 0) PaintBullet(p, mark, y, height, ascent);
  if (para.numbering > Numbering::Bullet && s.index == 0) PaintNumber(l, p, s, mark, y, ascent);
  const std::string& t = *s.text;
  RunWalk walk(l.rich.charRuns, s.start);
  std::vector<Piece> pieces;
  EachChar(l, s, [&](size_t i, size_t len, int x, int w) {
    const size_t pos = s.lineOffset + i;
    const uint32_t format = walk.At(pos);
    const bool selected = pos >= p.selS && pos < p.selE;
    if (pieces.empty() || pieces.back().format != format || pieces.back().selected != selected)
      pieces.push_back(Piece { format, selected, x, {}, {} });
    Piece& piece = pieces.back();
    for (size_t k = 0; k < len; ++k) {
      piece.shown += IsBlank(t[i]) ? ' ' : t[i + k];
      piece.dx.push_back(k == 0 ? w : 0);
    }
    piece.width += w;
    return true;
  });
  const int mode = SetBkMode(p.dc, TRANSPARENT);
  for (const Piece& piece : pieces) PaintPiece(l, p, piece, x0, y, height, ascent);
  SetBkMode(p.dc, mode);
}

}  // namespace xj::ctl
