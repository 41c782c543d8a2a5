#pragma once
// The text engine beneath the "EDIT" class: a GBK buffer with a selection, character and word
// boundaries that never split a double-byte character, editing under a byte limit, letter case and
// one level of undo. It knows nothing of windows or pixels. Lines end at "\n" (a preceding "\r"
// belongs to the break), so a multi-line view can share the engine; the single-line view simply
// never has more than one line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace xj::ctl {

enum class LetterCase { Unchanged, Upper, Lower };

// How an edit joins the undo history: typing and deleting runs merge into one step while the caret
// stays where the run left it; other edits make a step of their own; NoUndo empties the history.
enum class UndoKind { Typing, Deleting, Other, NoUndo };

// One level of undo kept as the edit itself (where, what went, what came, and the selection before),
// so that undoing a keystroke in a large text costs what the keystroke did. Runs of typing or
// deleting that continue where the last one left the caret grow the same step.
class UndoLog {
 public:
  bool Valid() const { return FValid; }
  // Counts the steps begun and the clearings, so that a watcher tells an edit that begins a step from
  // one that joins the step before.
  uint64_t Steps() const { return FSteps; }
  // Called before a splice of [from, from + removed.size()) by `inserted`.
  void Record(UndoKind kind, size_t from, std::string removed, const std::string& inserted, size_t anchor,
              size_t caret);
  // Called before the formats of `length` bytes at `from` change, the text staying as it is: a step
  // of its own that keeps no text (whoever keeps formats keeps those it replaces).
  void RecordRestyle(size_t from, size_t length, size_t anchor, size_t caret);
  // Ends the current run (the caret moved, the selection changed).
  void BreakRun() { FRun = Run::None; }
  void Clear();
  // Undoes the step through `replace(at, length, text)`, or a change of formats through
  // `restyle(at, length)`, and turns it into its own redo; returns the selection to restore, or false
  // when there is nothing to undo.
  template <class Replace, class Restyle>
  bool Undo(Replace&& replace, Restyle&& restyle, size_t& anchor, size_t& caret) {
    if (!FValid) return false;
    if (FRestyle)
      restyle(FAt, FSpan);
    else
      replace(FAt, FInserted.size(), FRemoved);
    std::swap(FRemoved, FInserted);
    std::swap(FAnchor, anchor);
    std::swap(FCaret, caret);
    FRun = Run::None;
    return true;
  }

 private:
  enum class Run { None, Typing, Deleting };
  bool FValid { false };
  bool FRestyle { false };  // the step changed the formats of FSpan bytes at FAt
  size_t FSpan { 0 };
  size_t FAt { 0 };
  std::string FRemoved;
  std::string FInserted;
  size_t FAnchor { 0 };
  size_t FCaret { 0 };
  Run FRun { Run::None };
  uint64_t FSteps { 0 };
};

// What Backspace (`backward`) or Delete takes from either engine: the selection, else the character
// before or after the caret; an empty span when there is none.
template <class Text>
std::pair<size_t, size_t> DeletionSpan(const Text& t, bool backward) {
  if (t.HasSelection()) return { t.SelStart(), t.SelEnd() };
  size_t caret = t.Caret();
  return backward ? std::make_pair(t.PrevChar(caret), caret) : std::make_pair(caret, t.NextChar(caret));
}

class EditText {
 public:
  static constexpr size_t kDefaultLimit = 32767;
  static constexpr size_t kNoLimit = 0x7FFFFFFE;

  const std::string& Text() const { return FText; }
  size_t Length() const { return FText.size(); }
  // Replaces everything, as WM_SETTEXT does: the letter case applies but not the limit, the caret
  // goes to the start, the history is emptied and the text counts as unmodified.
  void SetText(std::string text);

  // ---- Selection: both ends always sit on character boundaries ----
  size_t Anchor() const { return FAnchor; }
  size_t Caret() const { return FCaret; }
  size_t SelStart() const { return FAnchor < FCaret ? FAnchor : FCaret; }
  size_t SelEnd() const { return FAnchor < FCaret ? FCaret : FAnchor; }
  bool HasSelection() const { return FAnchor != FCaret; }
  std::string SelectedText() const { return FText.substr(SelStart(), SelEnd() - SelStart()); }
  // Positions are clamped to the text and moved back onto a boundary.
  void Select(size_t anchor, size_t caret);
  // Moves the caret; `extend` keeps the anchor (Shift), otherwise the selection collapses there.
  void MoveCaret(size_t pos, bool extend);

  // ---- Boundaries ----
  size_t Snap(size_t pos) const;  // the boundary at or before pos
  size_t NextChar(size_t pos) const;
  size_t PrevChar(size_t pos) const;
  size_t LineStart(size_t pos) const;
  size_t LineEnd(size_t pos) const;  // before the line break
  // Ctrl+Left / Ctrl+Right: the start of the word before / after pos.
  size_t WordLeft(size_t pos) const;
  size_t WordRight(size_t pos) const;
  // The run of characters of one kind (word, blanks, punctuation) around pos, for double clicks.
  std::pair<size_t, size_t> WordAt(size_t pos) const;
  int CharCount(size_t from, size_t to) const;  // characters in [from, to)

  // ---- Editing; each returns true when the text changed ----
  // Replaces the selection with `s`, as typed, pasted or replaced by EM_REPLACESEL: the letter case
  // applies, and the insertion is cut to what the limit leaves (never inside a character). Nothing
  // changes when nothing of a non-empty `s` fits.
  bool ReplaceSelection(std::string s, UndoKind kind);
  // Backspace / Delete: the selection, else the character before / after the caret.
  bool DeleteBackward() { return Delete(true); }
  bool DeleteForward() { return Delete(false); }
  // How much of `s` the limit lets replace the selection: a prefix ending on a boundary.
  size_t Fit(const std::string& s) const;

  size_t Limit() const { return FLimit; }
  void SetLimit(size_t limit) { FLimit = limit; }
  LetterCase Case() const { return FCase; }
  void SetCase(LetterCase c) { FCase = c; }
  bool Modified() const { return FModified; }
  void SetModified(bool m) { FModified = m; }

  // ---- Undo: one level; undoing twice redoes ----
  bool CanUndo() const { return FUndo.Valid(); }
  bool Undo();
  void EmptyUndo();

  // GBK: a lead byte 0x81–0xFE followed by a trail byte 0x40–0xFE (not 0x7F) is one character.
  static bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
  static bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
  // Bytes of the character starting at s[i]: 2 for a lead byte with its trail, else 1.
  static size_t CharLength(const std::string& s, size_t i) {
    return IsLead((unsigned char)s[i]) && i + 1 < s.size() && IsTrail((unsigned char)s[i + 1]) ? 2 : 1;
  }
  // ASCII letters change case; double-byte characters (whose trail bytes may look like letters) do not.
  static void ApplyCase(std::string& s, LetterCase c);
  // The word-kind of the character at s[pos] (blank, word, punctuation, wide, wide symbol): what
  // word steps and double clicks group by.
  static int KindOf(const std::string& s, size_t pos);
  // How much of `s` fits in `room` bytes: a prefix ending on a character boundary.
  static size_t FitBytes(const std::string& s, size_t room);

 private:
  size_t ScanTo(size_t pos) const;  // the last boundary <= pos, scanning from its line's start
  size_t Step(size_t boundary) const { return boundary + CharLength(FText, boundary); }
  std::vector<size_t> StartsBetween(size_t from, size_t to) const;  // character starts in [from, to)
  int KindAt(size_t pos) const { return KindOf(FText, pos); }
  void Splice(size_t from, size_t to, const std::string& s, UndoKind kind);
  bool Delete(bool backward);

  std::string FText;
  size_t FAnchor { 0 };
  size_t FCaret { 0 };
  size_t FLimit { kDefaultLimit };
  LetterCase FCase { LetterCase::Unchanged };
  bool FModified { false };
  UndoLog FUndo;
};

}  // namespace xj::ctl
