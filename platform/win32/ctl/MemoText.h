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

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/ctl/EditText.h"

namespace xj::ctl {

// Prefix sums over a sequence of counts, updated and searched in logarithmic time.
class PrefixSums {
 public:
  void Assign(const std::vector<int>& values);
  size_t Size() const { return FTree.size(); }
  void Add(size_t i, long long delta);
  long long Before(size_t i) const;  // the sum of the values before index i
  long long Total() const { return Before(FTree.size()); }
  // The index whose span holds `sum`: the largest i with Before(i) <= sum (Size() - 1 at most).
  size_t Find(long long sum) const;

 private:
  std::vector<long long> FTree;
};

class MemoText {
 public:
  // Where each row of a line starts (the first is always 0) and the widest row, in pixels.
  struct Rows {
    std::vector<uint32_t> starts;
    int width { 0 };
  };
  // Lays a line out: fills `rows` for `text`.
  using Wrapper = std::function<void(const std::string& text, Rows& rows)>;

  MemoText();

  // ---- The text ----
  int LineCount() const { return (int)FLines.size(); }
  const std::string& Line(int i) const { return FLines[(size_t)i].text; }
  size_t Length() const { return (size_t)FChars.Total() - 2; }
  std::string Text() const;
  std::string Range(size_t from, size_t to) const;
  // Replaces everything, as WM_SETTEXT does: "\r\n", a lone "\n" and a lone "\r" each end a line; the
  // letter case applies but not the limit; the caret goes to the start, the history is emptied and the
  // text counts as unmodified.
  void SetText(std::string_view text);

  // ---- Positions ----
  size_t LineOffset(int line) const { return (size_t)FChars.Before((size_t)line); }
  int LineOf(size_t pos) const { return (int)FChars.Find((long long)std::min(pos, Length())); }
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
  // Line breaks in the form the text stores them ("\r\n"), as a paste or EM_REPLACESEL inserts them.
  static std::string NormalBreaks(std::string_view s);

  // ---- Rows ----
  // Measures with `wrapper` the lines edits touched (all of them after InvalidateLayout).
  void InvalidateLayout() { FAllDirty = true; }
  void Relayout(const Wrapper& wrapper);
  int RowCount() const { return (int)FRowCounts.Total(); }
  int FirstRow(int line) const { return (int)FRowCounts.Before((size_t)line); }
  int LineOfRow(int row) const { return (int)FRowCounts.Find(row); }
  // The row holding pos; at a soft break the position belongs to the row it starts.
  int RowOf(size_t pos) const;
  // The row's span [start, end) in the text (end before a hard break; rows of a wrapped line touch).
  size_t RowStart(int row) const;
  size_t RowEnd(int row) const;
  const Rows& LineRows(int line) const { return FLines[(size_t)line].rows; }
  int Widest() const { return FWidths.empty() ? 0 : FWidths.rbegin()->first; }

 private:
  struct LineRec {
    std::string text;
    Rows rows;
    bool measured { false };
  };

  // Replaces [from, to) by `s` (already normalised), keeping the indexes right.
  void Splice(size_t from, size_t to, const std::string& s, UndoKind kind);
  void RawReplace(size_t from, size_t length, const std::string& s);
  bool Delete(bool backward);
  void Measure(size_t line, const Wrapper& wrapper);
  void Forget(const LineRec& l);
  void Rebuild();
  size_t FitLimit(const std::string& s) const;

  std::vector<LineRec> FLines;
  PrefixSums FChars;           // bytes per line, its break included
  PrefixSums FRowCounts;       // rows per line
  std::map<int, int> FWidths;  // how many measured lines have each width
  std::vector<size_t> FDirty;  // lines to measure again
  bool FAllDirty { true };
  size_t FAnchor { 0 };
  size_t FCaret { 0 };
  size_t FLimit { EditText::kDefaultLimit };
  LetterCase FCase { LetterCase::Unchanged };
  bool FModified { false };
  UndoLog FUndo;
};

}  // namespace xj::ctl
