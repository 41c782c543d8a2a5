// The edit's text engine: GBK boundaries, words, limited editing, letter case and one-level undo.

#include "platform/win32/ctl/EditText.h"

#include <algorithm>

namespace xj::ctl {

namespace {

enum Kind { kBlank, kWord, kPunct, kWide, kWideSymbol };

bool IsAsciiWord(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

}  // namespace

// ---- Boundaries --------------------------------------------------------------------------------------

size_t EditText::ScanTo(size_t pos) const {
  // A line break never occurs inside a character (trail bytes start at 0x40), so the scan can
  // start at the line's beginning instead of the text's.
  size_t i = LineStart(pos);
  while (i < pos) {
    size_t next = Step(i);
    if (next > pos) return i;
    i = next;
  }
  return i;
}

std::vector<size_t> EditText::StartsBetween(size_t from, size_t to) const {
  std::vector<size_t> starts;
  for (size_t i = from; i < to; i = Step(i)) starts.push_back(i);
  return starts;
}

size_t EditText::Snap(size_t pos) const { return ScanTo(std::min(pos, FText.size())); }

size_t EditText::NextChar(size_t pos) const {
  size_t p = Snap(pos);
  return p >= FText.size() ? FText.size() : Step(p);
}

size_t EditText::PrevChar(size_t pos) const {
  size_t p = Snap(pos);
  return p == 0 ? 0 : ScanTo(p - 1);
}

size_t EditText::LineStart(size_t pos) const {
  pos = std::min(pos, FText.size());
  size_t nl = pos == 0 ? std::string::npos : FText.rfind('\n', pos - 1);
  return nl == std::string::npos ? 0 : nl + 1;
}

size_t EditText::LineEnd(size_t pos) const {
  size_t start = LineStart(pos);
  size_t nl = FText.find('\n', start);
  if (nl == std::string::npos) return FText.size();
  return nl > start && FText[nl - 1] == '\r' ? nl - 1 : nl;
}

int EditText::KindOf(const std::string& s, size_t pos) {
  unsigned char c = (unsigned char)s[pos];
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return kBlank;
  if (IsLead(c) && pos + 1 < s.size() && IsTrail((unsigned char)s[pos + 1]))
    return c <= 0xA9 && c >= 0xA1 ? kWideSymbol : kWide;  // rows A1–A9 hold the full-width symbols
  if (IsAsciiWord(c) || c >= 0x80) return kWord;
  return kPunct;
}

size_t EditText::WordRight(size_t pos) const {
  size_t p = Snap(pos), n = FText.size();
  if (p >= n) return n;
  int k = KindAt(p);
  if (k != kBlank)
    while (p < n && KindAt(p) == k) p = Step(p);
  while (p < n && KindAt(p) == kBlank) p = Step(p);
  return p;
}

size_t EditText::WordLeft(size_t pos) const {
  size_t p = Snap(pos);
  std::vector<size_t> starts = StartsBetween(0, p);  // blanks before the word may span lines
  size_t k = starts.size();
  while (k > 0 && KindAt(starts[k - 1]) == kBlank) --k;
  if (k == 0) return 0;
  int kind = KindAt(starts[k - 1]);
  while (k > 0 && KindAt(starts[k - 1]) == kind) --k;
  return starts[k];
}

std::pair<size_t, size_t> EditText::WordAt(size_t pos) const {
  size_t n = FText.size();
  if (n == 0) return { 0, 0 };
  size_t p = Snap(pos);
  if (p >= n) p = PrevChar(n);
  int kind = KindAt(p);
  size_t end = p;
  while (end < n && KindAt(end) == kind) end = Step(end);
  std::vector<size_t> starts = StartsBetween(LineStart(p), p);
  size_t k = starts.size();
  while (k > 0 && KindAt(starts[k - 1]) == kind) --k;
  return { k < starts.size() ? starts[k] : p, end };
}

int EditText::CharCount(size_t from, size_t to) const {
  int count = 0;
  to = std::min(to, FText.size());
  for (size_t i = Snap(from); i < to; i = Step(i)) ++count;
  return count;
}

void EditText::ApplyCase(std::string& s, LetterCase c) {
  if (c == LetterCase::Unchanged) return;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    unsigned char b = (unsigned char)s[i];
    if (c == LetterCase::Upper && b >= 'a' && b <= 'z') s[i] = char(b - 32);
    if (c == LetterCase::Lower && b >= 'A' && b <= 'Z') s[i] = char(b + 32);
  }
}

// ---- Selection -------------------------------------------------------------------------------------

void EditText::SetText(std::string text) {
  ApplyCase(text, FCase);
  FText = std::move(text);
  FAnchor = FCaret = 0;
  EmptyUndo();
  FModified = false;
}

void EditText::Select(size_t anchor, size_t caret) {
  FAnchor = Snap(anchor);
  FCaret = Snap(caret);
  FUndo.BreakRun();
}

void EditText::MoveCaret(size_t pos, bool extend) {
  FCaret = Snap(pos);
  if (!extend) FAnchor = FCaret;
  FUndo.BreakRun();
}

// ---- Editing ----------------------------------------------------------------------------------------

size_t EditText::Fit(const std::string& s) const {
  size_t kept = FText.size() - (SelEnd() - SelStart());
  return FitBytes(s, FLimit > kept ? FLimit - kept : 0);
}

size_t EditText::FitBytes(const std::string& s, size_t room) {
  if (s.size() <= room) return s.size();
  size_t fit = 0;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (i + CharLength(s, i) > room) break;
    fit = i + CharLength(s, i);
  }
  return fit;
}

bool EditText::ReplaceSelection(std::string s, UndoKind kind) {
  ApplyCase(s, FCase);
  bool wanted = !s.empty();
  s.resize(Fit(s));
  if (wanted ? s.empty() : !HasSelection()) return false;
  Splice(SelStart(), SelEnd(), s, kind);
  return true;
}

bool EditText::Delete(bool backward) {
  auto [from, to] = DeletionSpan(*this, backward);
  if (from == to) return false;
  Splice(from, to, "", HasSelection() ? UndoKind::Other : UndoKind::Deleting);
  return true;
}

void EditText::Splice(size_t from, size_t to, const std::string& s, UndoKind kind) {
  FUndo.Record(kind, from, FText.substr(from, to - from), s, FAnchor, FCaret);
  FText.replace(from, to - from, s);
  FAnchor = FCaret = from + s.size();
  FModified = true;
}

// ---- Undo ------------------------------------------------------------------------------------------------

bool EditText::Undo() {
  auto replace = [this](size_t at, size_t length, const std::string& s) { FText.replace(at, length, s); };
  auto restyle = [](size_t, size_t) {};  // the single-line engine keeps no formats
  if (!FUndo.Undo(replace, restyle, FAnchor, FCaret)) return false;
  FModified = true;
  return true;
}

void EditText::EmptyUndo() { FUndo.Clear(); }

// ---- The undo log ------------------------------------------------------------------------------------------

void UndoLog::Record(UndoKind kind, size_t from, std::string removed, const std::string& inserted, size_t anchor,
                     size_t caret) {
  if (kind == UndoKind::NoUndo) {
    Clear();
    return;
  }
  bool collapsed = anchor == caret;
  if (FValid && collapsed && kind == UndoKind::Typing && FRun == Run::Typing && removed.empty() &&
      from == FAt + FInserted.size() && caret == from) {
    FInserted += inserted;
    return;
  }
  if (FValid && collapsed && kind == UndoKind::Deleting && FRun == Run::Deleting && inserted.empty() &&
      FInserted.empty()) {
    if (from + removed.size() == FAt && caret == FAt) {  // Backspace continues leftwards
      FAt = from;
      FRemoved.insert(0, removed);
      return;
    }
    if (from == FAt && caret == FAt) {  // Delete continues rightwards
      FRemoved += removed;
      return;
    }
  }
  FValid = true;
  FRestyle = false;
  ++FSteps;
  FAt = from;
  FRemoved = std::move(removed);
  FInserted = inserted;
  FAnchor = anchor;
  FCaret = caret;
  FRun = kind == UndoKind::Typing ? Run::Typing : kind == UndoKind::Deleting ? Run::Deleting : Run::None;
}

void UndoLog::RecordRestyle(size_t from, size_t length, size_t anchor, size_t caret) {
  FValid = true;
  FRestyle = true;
  ++FSteps;
  FAt = from;
  FSpan = length;
  std::string().swap(FRemoved);  // let the text of a large step before go
  std::string().swap(FInserted);
  FAnchor = anchor;
  FCaret = caret;
  FRun = Run::None;
}

void UndoLog::Clear() {
  ++FSteps;
  FValid = false;
  FRestyle = false;
  FRemoved.clear();
  FInserted.clear();
  FRun = Run::None;
}

}  // namespace xj::ctl
