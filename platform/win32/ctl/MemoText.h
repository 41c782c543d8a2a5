#pragma once
// The text engine beneath the multi-line "EDIT" and the rich edit: the text kept as lines, so that an
// edit in the middle of a long text touches one line and a few index entries rather than the whole
// text. Positions are byte offsets into the text as WM_GETTEXT gives it, each line break counting as
// its two bytes "\r\n". The GBK stepping, word kinds, letter case, limits and undo are the single-line
// engine's (EditText).
//
// A line may be shown as several rows (word wrap). The engine keeps, per line, where its rows start
// and how wide it is, as the view measured them; an edit marks its lines for measuring again, and the
// view measures only those (Relayout) before it asks about rows.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/OrderTree.h"

namespace xj::ctl {

// Where each row of a line starts (the first is always 0) and the widest row, in pixels. Rows of
// different heights (the rich edit's) also say how tall each is and where its baseline lies.
struct MemoRows {
  std::vector<uint32_t> starts;
  int width { 0 };
  std::vector<uint16_t> heights, ascents;  // empty: every row as tall as the view's line
  int height { 0 };                        // the heights' sum
};

struct MemoLine {
  std::string text;
  MemoRows rows;
  bool measured { false };
};

// The sums a line adds to the lines' tree: itself, its bytes with the break, its rows, whether it
// waits to be measured, and its height when its rows tell one.
struct LineSums {
  long long count = 0, chars = 0, rows = 0, dirty = 0, pixels = 0;
  static LineSums Of(const MemoLine& l) {
    return LineSums { 1, (long long)l.text.size() + 2, std::max<long long>(1, (long long)l.rows.starts.size()),
                      l.measured ? 0 : 1, l.rows.height };
  }
  void Add(const LineSums& s) {
    count += s.count;
    chars += s.chars;
    rows += s.rows;
    dirty += s.dirty;
    pixels += s.pixels;
  }
};

// The lines in order with their sums, so that a line is found by index, byte offset or row, and lines
// go in or out anywhere, in logarithmic time.
class LineTree {
 public:
  size_t Size() const { return FTree.Size(); }
  const MemoLine& At(size_t i) const { return FTree.At(i); }
  // Changes line i through f, keeping the sums right.
  void Modify(size_t i, const std::function<void(MemoLine&)>& f) { FTree.Modify(i, f); }
  void Insert(size_t at, std::vector<MemoLine> lines) { FTree.Insert(at, std::move(lines)); }
  void Erase(size_t at, size_t count) { FTree.Erase(at, count); }
  void Assign(std::vector<MemoLine> lines) { FTree.Assign(std::move(lines)); }
  long long Chars() const { return FTree.Total().chars; }
  long long Rows() const { return FTree.Total().rows; }
  long long Unmeasured() const { return FTree.Total().dirty; }
  long long CharsBefore(size_t i) const { return FTree.Before<&LineSums::chars>(i); }
  long long RowsBefore(size_t i) const { return FTree.Before<&LineSums::rows>(i); }
  long long Pixels() const { return FTree.Total().pixels; }
  long long PixelsBefore(size_t i) const { return FTree.Before<&LineSums::pixels>(i); }
  size_t FindPixel(long long sum) const { return FTree.Find<&LineSums::pixels>(sum); }
  // The line whose span holds byte `sum` (or row `sum`); the last line past the end.
  size_t FindChar(long long sum) const { return FTree.Find<&LineSums::chars>(sum); }
  size_t FindRow(long long sum) const { return FTree.Find<&LineSums::rows>(sum); }
  // Calls f on the lines from index i on, in order, while it returns true.
  template <class F>
  void ForEachFrom(size_t i, F f) const {
    FTree.ForEachFrom(i, f);
  }
  // Calls f on every line not measured (every line with `all`), in order, with its byte offset.
  void Visit(bool all, const std::function<void(size_t, MemoLine&)>& f) {
    FTree.VisitAfter([all](const LineSums& s) { return !all && s.dirty == 0; },
                     [&](const LineSums& before, MemoLine& l) {
                       if (all || !l.measured) f((size_t)before.chars, l);
                     });
  }

 private:
  OrderTree<MemoLine, LineSums> FTree;
};

class MemoText {
 public:
  using Rows = MemoRows;
  // Lays a line out: fills `rows` for `text`; the second kind also hears where the line starts.
  using Wrapper = std::function<void(const std::string& text, Rows& rows)>;
  using PlacedWrapper = std::function<void(size_t offset, const std::string& text, Rows& rows)>;

  MemoText();

  // ---- The text ----
  int LineCount() const { return (int)FLines.Size(); }
  const std::string& Line(int i) const { return FLines.At((size_t)i).text; }
  size_t Length() const { return (size_t)FLines.Chars() - 2; }
  std::string Text() const;
  std::string Range(size_t from, size_t to) const;
  // Replaces everything, as WM_SETTEXT does: "\r\n", a lone "\n" and a lone "\r" each end a line; the
  // letter case applies but not the limit; the caret goes to the start, the history is emptied and the
  // text counts as unmodified.
  void SetText(std::string_view text);

  // ---- Positions ----
  size_t LineOffset(int line) const { return (size_t)FLines.CharsBefore((size_t)line); }
  int LineOf(size_t pos) const { return (int)FLines.FindChar((long long)std::min(pos, Length())); }
  size_t LineStart(size_t pos) const { return LineOffset(LineOf(pos)); }
  size_t LineEnd(size_t pos) const;  // before the line break
  size_t Snap(size_t pos) const;     // the character boundary at or before pos (never inside a break)
  size_t NextChar(size_t pos) const;
  size_t PrevChar(size_t pos) const;
  size_t WordLeft(size_t pos) const;
  size_t WordRight(size_t pos) const;
  std::pair<size_t, size_t> WordAt(size_t pos) const;

  // ---- Selection ----
  size_t Anchor() const { return FAnchor; }
  size_t Caret() const { return FCaret; }
  size_t SelStart() const { return std::min(FAnchor, FCaret); }
  size_t SelEnd() const { return std::max(FAnchor, FCaret); }
  bool HasSelection() const { return FAnchor != FCaret; }
  std::string SelectedText() const { return Range(SelStart(), SelEnd()); }
  void Select(size_t anchor, size_t caret);
  void MoveCaret(size_t pos, bool extend);

  // ---- Editing: as EditText; "\r\n", "\n" and "\r" in `s` each make a line break ----
  bool ReplaceSelection(std::string s, UndoKind kind);
  bool DeleteBackward() { return Delete(true); }
  bool DeleteForward() { return Delete(false); }
  size_t Limit() const { return FLimit; }
  void SetLimit(size_t limit) { FLimit = limit; }
  LetterCase Case() const { return FCase; }
  void SetCase(LetterCase c) { FCase = c; }
  bool Modified() const { return FModified; }
  void SetModified(bool m) { FModified = m; }
  bool CanUndo() const { return FUndo.Valid(); }
  bool Undo();
  void EmptyUndo() { FUndo.Clear(); }
  uint64_t UndoSteps() const { return FUndo.Steps(); }
  // The formats of [from, to) are about to change, the text staying: a step of the undo history, whose
  // undoing the watcher hears as those bytes replaced by as many.
  void Restyling(size_t from, size_t to) { FUndo.RecordRestyle(from, to - from, FAnchor, FCaret); }
  // Line breaks in the form the text stores them ("\r\n"), as a paste or EM_REPLACESEL inserts them.
  static std::string NormalBreaks(std::string_view s);
  // The first byte any change since the last call touched (SIZE_MAX: none), so that a copy of the
  // text's head is taken again only when the head may have changed.
  size_t TakeChangedFrom() { return std::exchange(FChangedFrom, SIZE_MAX); }

  // ---- Watching edits ----
  // `guard` is asked before an edit replaces [from, to) (from == to: an insertion there) and may refuse
  // it; `watch` hears of every replacement, undo included. Setting the text as a whole tells neither.
  using EditGuard = std::function<bool(size_t from, size_t to)>;
  using EditWatch = std::function<void(size_t from, size_t removed, size_t inserted)>;
  void SetWatchers(EditGuard guard, EditWatch watch) {
    FGuard = std::move(guard);
    FWatch = std::move(watch);
  }
  // The guard's say on changing [from, to): false when it refuses, or when it changed the text or the
  // selection meanwhile (a handler that edits overtakes the change it was asked about).
  bool Allowed(size_t from, size_t to);

  // ---- Rows ----
  // Measures with `wrapper` the lines edits touched (all of them after InvalidateLayout).
  void InvalidateLayout() { FAllDirty = true; }
  // The lines holding [from, to] measured again when next laid out (their look changed, not their text).
  void Remeasure(size_t from, size_t to);
  void Relayout(const Wrapper& wrapper);
  void Relayout(const PlacedWrapper& wrapper);
  bool LaidOut() const { return !FAllDirty && FLines.Unmeasured() == 0; }  // Relayout would measure nothing
  int RowCount() const { return (int)FLines.Rows(); }
  int FirstRow(int line) const { return (int)FLines.RowsBefore((size_t)line); }
  int LineOfRow(int row) const { return (int)FLines.FindRow(row); }
  // The row holding pos; at a soft break the position belongs to the row it starts.
  int RowOf(size_t pos) const;
  // The row's span [start, end) in the text (end before a hard break; rows of a wrapped line touch).
  size_t RowStart(int row) const { return Span(row).start; }
  size_t RowEnd(int row) const { return Span(row).end; }
  // A row with its line and where that lies, so that a walk down the rows (a paint) looks the line up
  // once, not for every question about the row. Valid while the text and its layout stay as they are.
  struct RowSpan {
    int line;
    size_t lineOffset;
    const std::string* text;
    const std::vector<uint32_t>* starts;
    size_t index;  // the row within its line
    size_t start, end;
  };
  RowSpan Span(int row) const;
  // Moves s to the next row; s.line reaches LineCount() past the last.
  void NextSpan(RowSpan& s) const;
  const Rows& LineRows(int line) const { return FLines.At((size_t)line).rows; }
  // Rows of their own heights: all of them together, where a row's top lies, how tall it is, and the
  // row at a height (the last past the end).
  long long Pixels() const { return FLines.Pixels(); }
  long long RowPixel(int row) const;
  int RowHeight(int row) const;
  int RowAtPixel(long long y) const;
  int Widest() const { return FWidths.empty() ? 0 : FWidths.rbegin()->first; }

 private:
  using LineRec = MemoLine;

  // Replaces [from, to) by `s` (already normalised), keeping the indexes right.
  void Splice(size_t from, size_t to, const std::string& s, UndoKind kind);
  void RawReplace(size_t from, size_t length, const std::string& s);
  bool Delete(bool backward);
  void Measure(size_t offset, LineRec& l, const PlacedWrapper& wrapper);
  void Forget(const LineRec& l);
  size_t FitLimit(const std::string& s) const;

  LineTree FLines;
  std::map<int, int> FWidths;  // how many measured lines have each width
  bool FAllDirty { true };
  size_t FAnchor { 0 };
  size_t FCaret { 0 };
  size_t FLimit { EditText::kDefaultLimit };
  LetterCase FCase { LetterCase::Unchanged };
  bool FModified { false };
  size_t FChangedFrom { 0 };
  UndoLog FUndo;
  EditGuard FGuard;
  EditWatch FWatch;
};

}  // namespace xj::ctl
