// The multi-line text engine: lines with prefix sums of their lengths and rows, editing that touches
// only the lines it changes, and the single-line engine's GBK stepping, word kinds, limit and undo.

#include "platform/win32/ctl/MemoText.h"

#include <algorithm>

namespace xj::ctl {

namespace {

constexpr size_t kBreak = 2;  // "\r\n"

bool IsBlankKind(const std::string& s, size_t i) { return EditText::KindOf(s, i) == EditText::KindOf(" ", 0); }

// The last character boundary <= col in a line (lines hold no breaks, so any byte may start the scan).
size_t BoundaryIn(const std::string& s, size_t col) {
  col = std::min(col, s.size());
  size_t i = 0;
  while (i < col) {
    size_t next = i + EditText::CharLength(s, i);
    if (next > col) return i;
    i = next;
  }
  return i;
}

// Calls f with each line of text: "\r\n", a lone "\n" and a lone "\r" each end one.
template <class F>
void ForEachLine(std::string_view text, F f) {
  for (size_t start = 0, i = 0;; ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != '\r' && text[i] != '\n') continue;
    f(text.substr(start, i - start));
    if (end) return;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
}

// Splits at "\r\n" only: the text given is already normalised.
std::vector<std::string> SplitLines(const std::string& s) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = s.find("\r\n", start);
    if (at == std::string::npos) break;
    parts.emplace_back(s, start, at - start);
    start = at + kBreak;
  }
  parts.emplace_back(s, start);
  return parts;
}

}  // namespace

// ---- The text -------------------------------------------------------------------------------------------------

MemoText::MemoText() { SetText(""); }

std::string MemoText::NormalBreaks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  bool first = true;
  ForEachLine(s, [&](std::string_view line) {
    if (!first) out += "\r\n";
    first = false;
    out += line;
  });
  return out;
}

// Cut into lines as it is read, with no normalised copy of the whole text between. A break never falls
// inside a character, so the case is applied line by line as it would be to the whole.
void MemoText::SetText(std::string_view text) {
  std::vector<LineRec> lines;
  ForEachLine(text, [&](std::string_view line) {
    lines.push_back(LineRec { std::string(line), {}, false });
    EditText::ApplyCase(lines.back().text, FCase);
  });
  FLines.Assign(std::move(lines));
  FChangedFrom = 0;
  FWidths.clear();
  FAllDirty = true;
  FAnchor = FCaret = 0;
  FUndo.Clear();
  FModified = false;
}

std::string MemoText::Text() const { return Range(0, Length()); }

std::string MemoText::Range(size_t from, size_t to) const {
  std::string out;
  to = std::min(to, Length());
  if (from >= to) return out;
  const int first = LineOf(from);
  size_t col = from - LineOffset(first), pos = from;
  out.reserve(to - from);
  FLines.ForEachFrom((size_t)first, [&](const LineRec& l) {
    const std::string& t = l.text;
    size_t take = std::min(t.size() - std::min(col, t.size()), to - pos);
    out.append(t, std::min(col, t.size()), take);
    pos += take;
    if (pos < to) {  // the break, or what of it the range holds
      size_t into = col > t.size() ? col - t.size() : 0;
      size_t part = std::min(kBreak - into, to - pos);
      out.append(&"\r\n"[into], part);
      pos += part;
    }
    col = 0;
    return pos < to;
  });
  return out;
}

// ---- Positions --------------------------------------------------------------------------------------------------

size_t MemoText::LineEnd(size_t pos) const {
  int line = LineOf(pos);
  return LineOffset(line) + Line(line).size();
}

size_t MemoText::Snap(size_t pos) const {
  pos = std::min(pos, Length());
  int line = LineOf(pos);
  size_t off = LineOffset(line);
  return off + BoundaryIn(Line(line), pos - off);
}

size_t MemoText::NextChar(size_t pos) const {
  size_t p = Snap(pos);
  int line = LineOf(p);
  size_t off = LineOffset(line), col = p - off;
  const std::string& t = Line(line);
  if (col < t.size()) return p + EditText::CharLength(t, col);
  return line + 1 < LineCount() ? LineOffset(line + 1) : Length();
}

size_t MemoText::PrevChar(size_t pos) const {
  size_t p = Snap(pos);
  int line = LineOf(p);
  size_t off = LineOffset(line), col = p - off;
  if (col > 0) return off + BoundaryIn(Line(line), col - 1);
  return line > 0 ? LineEnd(LineOffset(line - 1)) : 0;
}

size_t MemoText::WordRight(size_t pos) const {
  size_t p = Snap(pos);
  int line = LineOf(p);
  size_t off = LineOffset(line), col = p - off;
  const std::string& t = Line(line);
  if (col >= t.size()) return line + 1 < LineCount() ? LineOffset(line + 1) : Length();
  int kind = EditText::KindOf(t, col);
  if (!IsBlankKind(t, col))
    while (col < t.size() && EditText::KindOf(t, col) == kind) col += EditText::CharLength(t, col);
  while (col < t.size() && IsBlankKind(t, col)) col += EditText::CharLength(t, col);
  return off + col;
}

size_t MemoText::WordLeft(size_t pos) const {
  size_t p = Snap(pos);
  int line = LineOf(p);
  size_t col = p - LineOffset(line);
  if (col == 0) {  // from a line's start to the last word of the line before
    if (line == 0) return 0;
    --line;
    col = Line(line).size();
  }
  const std::string& t = Line(line);
  std::vector<size_t> starts;
  for (size_t i = 0; i < col; i += EditText::CharLength(t, i)) starts.push_back(i);
  size_t k = starts.size();
  while (k > 0 && IsBlankKind(t, starts[k - 1])) --k;
  if (k == 0) return LineOffset(line);
  int kind = EditText::KindOf(t, starts[k - 1]);
  while (k > 0 && EditText::KindOf(t, starts[k - 1]) == kind) --k;
  return LineOffset(line) + starts[k];
}

std::pair<size_t, size_t> MemoText::WordAt(size_t pos) const {
  size_t p = Snap(pos);
  int line = LineOf(p);
  size_t off = LineOffset(line), col = p - off;
  const std::string& t = Line(line);
  if (t.empty()) return { p, p };
  if (col >= t.size()) col = BoundaryIn(t, t.size() - 1);
  int kind = EditText::KindOf(t, col);
  size_t end = col;
  while (end < t.size() && EditText::KindOf(t, end) == kind) end += EditText::CharLength(t, end);
  // The run's start: the first boundary after the last character of another kind before col.
  size_t start = 0;
  for (size_t i = 0; i < col; i += EditText::CharLength(t, i))
    if (EditText::KindOf(t, i) != kind) start = i + EditText::CharLength(t, i);
  return { off + start, off + end };
}

// ---- Selection ----------------------------------------------------------------------------------------------------

void MemoText::Select(size_t anchor, size_t caret) {
  FAnchor = Snap(anchor);
  FCaret = Snap(caret);
  FUndo.BreakRun();
}

void MemoText::MoveCaret(size_t pos, bool extend) {
  FCaret = Snap(pos);
  if (!extend) FAnchor = FCaret;
  FUndo.BreakRun();
}

// ---- Editing --------------------------------------------------------------------------------------------------------

size_t MemoText::FitLimit(const std::string& s) const {
  size_t kept = Length() - (SelEnd() - SelStart());
  size_t fit = EditText::FitBytes(s, FLimit > kept ? FLimit - kept : 0);
  if (fit > 0 && fit < s.size() && s[fit - 1] == '\r') --fit;  // never half a line break
  return fit;
}

bool MemoText::ReplaceSelection(std::string s, UndoKind kind) {
  EditText::ApplyCase(s, FCase);
  s = NormalBreaks(s);
  bool wanted = !s.empty();
  s.resize(FitLimit(s));
  if (wanted ? s.empty() : !HasSelection()) return false;
  if (!Allowed(SelStart(), SelEnd())) return false;
  Splice(SelStart(), SelEnd(), s, kind);
  return true;
}

bool MemoText::Delete(bool backward) {
  auto [from, to] = DeletionSpan(*this, backward);
  if (from == to || !Allowed(from, to)) return false;
  Splice(from, to, "", HasSelection() ? UndoKind::Other : UndoKind::Deleting);
  return true;
}

// An edit whose guard changed the text or the selection meanwhile is dropped: the span it was about
// may be gone.
bool MemoText::Allowed(size_t from, size_t to) {
  if (!FGuard) return true;
  const size_t length = Length(), anchor = FAnchor, caret = FCaret;
  return FGuard(from, to) && Length() == length && FAnchor == anchor && FCaret == caret;
}

bool MemoText::Undo() {
  auto replace = [this](size_t at, size_t length, const std::string& s) { RawReplace(at, length, s); };
  auto restyle = [this](size_t at, size_t length) {
    if (FWatch) FWatch(at, length, length);
    Remeasure(at, at + length);
  };
  if (!FUndo.Undo(replace, restyle, FAnchor, FCaret)) return false;
  FModified = true;
  return true;
}

void MemoText::Splice(size_t from, size_t to, const std::string& s, UndoKind kind) {
  FUndo.Record(kind, from, Range(from, to), s, FAnchor, FCaret);
  RawReplace(from, to - from, s);
  FAnchor = FCaret = from + s.size();
  FModified = true;
}

void MemoText::RawReplace(size_t from, size_t length, const std::string& s) {
  if (FWatch) FWatch(from, length, s.size());
  FChangedFrom = std::min(FChangedFrom, from);
  int a = LineOf(from), b = LineOf(from + length);
  size_t colA = from - LineOffset(a), colB = from + length - LineOffset(b);
  if (a == b && s.find('\n') == std::string::npos) {  // within one line: no line moves
    FLines.Modify((size_t)a, [&](LineRec& l) {
      Forget(l);
      l.text.replace(colA, colB - colA, s);
      l.measured = false;
    });
    return;
  }
  // The lines a to b give way to the parts of s, the first prefixed by what came before `from` on line a,
  // the last followed by what came after the replaced span on line b.
  std::vector<std::string> parts = SplitLines(s);
  parts.front().insert(0, Line(a), 0, colA);
  const std::string& tail = Line(b);
  parts.back().append(tail, std::min(colB, tail.size()));
  std::vector<LineRec> lines;
  for (std::string& part : parts) lines.push_back(LineRec { std::move(part), {}, false });
  for (int i = a; i <= b; ++i) Forget(FLines.At((size_t)i));
  FLines.Erase((size_t)a, (size_t)(b - a + 1));
  FLines.Insert((size_t)a, std::move(lines));
}

// ---- Rows -----------------------------------------------------------------------------------------------------------

void MemoText::Forget(const LineRec& l) {
  if (!l.measured) return;
  auto it = FWidths.find(l.rows.width);
  if (it != FWidths.end() && --it->second == 0) FWidths.erase(it);
}

void MemoText::Measure(size_t offset, LineRec& l, const PlacedWrapper& wrapper) {
  Forget(l);
  l.rows = Rows {};
  if (wrapper) wrapper(offset, l.text, l.rows);
  if (l.rows.starts.empty() || l.rows.starts.front() != 0) l.rows.starts.insert(l.rows.starts.begin(), 0);
  l.measured = true;
  ++FWidths[l.rows.width];
}

void MemoText::Relayout(const Wrapper& wrapper) {
  Relayout(PlacedWrapper([&wrapper](size_t, const std::string& text, Rows& rows) {
    if (wrapper) wrapper(text, rows);
  }));
}

void MemoText::Relayout(const PlacedWrapper& wrapper) {
  if (FAllDirty) FWidths.clear();
  FLines.Visit(FAllDirty, [&](size_t offset, LineRec& l) {
    l.measured = false;
    Measure(offset, l, wrapper);
  });
  FAllDirty = false;
}

void MemoText::Remeasure(size_t from, size_t to) {
  for (int line = LineOf(from), last = LineOf(to); line <= last; ++line)
    FLines.Modify((size_t)line, [this](LineRec& l) {
      Forget(l);
      l.measured = false;
    });
}

long long MemoText::RowPixel(int row) const {
  const int line = LineOfRow(row);
  const Rows& rows = LineRows(line);
  long long y = FLines.PixelsBefore((size_t)line);
  for (int k = 0, n = row - FirstRow(line); k < n && k < (int)rows.heights.size(); ++k) y += rows.heights[(size_t)k];
  return y;
}

int MemoText::RowHeight(int row) const {
  const int line = LineOfRow(row);
  const size_t k = (size_t)(row - FirstRow(line));
  const Rows& rows = LineRows(line);
  return k < rows.heights.size() ? rows.heights[k] : 0;
}

int MemoText::RowAtPixel(long long y) const {
  if (y < 0) return 0;
  if (y >= Pixels()) return RowCount() - 1;
  const int line = (int)FLines.FindPixel(y);
  const Rows& rows = LineRows(line);
  long long top = FLines.PixelsBefore((size_t)line);
  int row = FirstRow(line);
  for (size_t k = 0; k + 1 < rows.heights.size() && top + rows.heights[k] <= y; ++k, ++row) top += rows.heights[k];
  return row;
}

int MemoText::RowOf(size_t pos) const {
  int line = LineOf(pos);
  size_t col = std::min(Snap(pos) - LineOffset(line), Line(line).size());
  const std::vector<uint32_t>& starts = LineRows(line).starts;
  auto it = std::upper_bound(starts.begin(), starts.end(), (uint32_t)col);
  return FirstRow(line) + (int)(it - starts.begin()) - 1;
}

namespace {

void SetEnds(MemoText::RowSpan& s) {
  s.start = s.lineOffset + (*s.starts)[s.index];
  s.end = s.lineOffset + (s.index + 1 < s.starts->size() ? (*s.starts)[s.index + 1] : s.text->size());
}

}  // namespace

MemoText::RowSpan MemoText::Span(int row) const {
  RowSpan s {};
  s.line = LineOfRow(row);
  s.lineOffset = LineOffset(s.line);
  s.text = &Line(s.line);
  s.starts = &LineRows(s.line).starts;
  s.index = std::min((size_t)(row - FirstRow(s.line)), s.starts->size() - 1);
  SetEnds(s);
  return s;
}

void MemoText::NextSpan(RowSpan& s) const {
  if (s.index + 1 < s.starts->size()) {
    ++s.index;
  } else {
    if (++s.line >= LineCount()) return;
    s.lineOffset = LineOffset(s.line);
    s.text = &Line(s.line);
    s.starts = &LineRows(s.line).starts;
    s.index = 0;
  }
  SetEnds(s);
}

}  // namespace xj::ctl
