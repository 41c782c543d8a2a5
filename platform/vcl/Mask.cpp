// TCustomMaskEdit and TMaskEdit: the mask layer over the single-line edit. The window keeps the shown
// text (literals and blank characters in place); every edit the mask makes is an equal-length,
// undoable replacement sent to it, so the window's change notice and undo work as for typing.

#include "platform/vcl/Mask.h"

#include <string>
#include <vector>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"

namespace xj::mask {

enum class Kind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
enum class Casing { Keep, Upper, Lower };

struct Slot {
  Kind kind { Kind::Literal };
  Casing casing { Casing::Keep };
  std::string literal;  // a literal's bytes (one character)
  size_t offset { 0 };  // where the slot starts in the shown text
  size_t Width() const { return kind == Kind::Literal ? literal.size() : 1; }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

class Pattern {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  // Null for a mask with no positions (an empty edit mask means a plain edit).
  static std::unique_ptr<Pattern> Compile(const AnsiString& editMask) {
    std::vector<std::string> fields = Fields(editMask);
    auto p = std::make_unique<Pattern>();
    if (fields.size() > 1) {
      if (fields[1] == "0")
        p->FSave = false;
      else if (!fields[1].empty() && fields[1] != "1")
        throw EDBEditError("Invalid edit mask '" + editMask + "': save-literals must be 0 or 1");
    }
    if (fields.size() > 2) {
      if (fields[2].size() > 1)
        throw EDBEditError("Invalid edit mask '" + editMask + "': the blank must be one character");
      if (fields[2].size() == 1) p->FBlank = fields[2][0];
    }
    p->Parse(fields[0]);
    if (p->FSlots.empty()) return nullptr;
    return p;
  }

  size_t Count() const { return FSlots.size(); }
  size_t Length() const { return FLength; }
  char BlankChar() const { return FBlank; }
  size_t Offset(size_t slot) const { return slot < FSlots.size() ? FSlots[slot].offset : FLength; }
  size_t End(size_t slot) const { return Offset(slot) + FSlots[slot].Width(); }
  bool IsInput(size_t slot) const { return slot < FSlots.size() && FSlots[slot].kind != Kind::Literal; }
  // Whether slot `slot` is the literal `c` (typing or pasting it steps over it).
  bool IsLiteral(size_t slot, char c) const {
    return slot < FSlots.size() && FSlots[slot].kind == Kind::Literal && FSlots[slot].literal == std::string(1, c);
  }

  // The slot holding byte `offset`; Count() at or past the end.
  size_t SlotAt(size_t offset) const {
    if (offset >= FLength) return FSlots.size();
    size_t lo = 0, hi = FSlots.size();
    while (hi - lo > 1) {
      size_t mid = (lo + hi) / 2;
      (FSlots[mid].offset <= offset ? lo : hi) = mid;
    }
    return lo;
  }
  size_t NextInput(size_t slot) const {
    while (slot < FSlots.size() && !IsInput(slot)) ++slot;
    return std::min(slot, FSlots.size());
  }
  size_t PrevInput(size_t slot) const {
    while (slot-- > 0)
      if (IsInput(slot)) return slot;
    return npos;
  }

  // `c` as slot `i` takes it (its letter case applied), or 0 when it does not fit. Blanks never fill a
  // position, and a position holds one byte, so double-byte characters are refused.
  char Fit(size_t i, char c) const {
    const auto u = static_cast<unsigned char>(c);
    if (!IsInput(i) || c == ' ' || c == FBlank || u < 0x20 || u >= 0x7F) return 0;
    const Slot& s = FSlots[i];
    if (s.casing == Casing::Upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (s.casing == Casing::Lower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    switch (s.kind) {
      case Kind::Digit:
        return IsDigit(c) ? c : 0;
      case Kind::DigitOrSign:
        return IsDigit(c) || c == '+' || c == '-' ? c : 0;
      case Kind::Letter:
        return IsLetter(c) ? c : 0;
      case Kind::LetterOrDigit:
        return IsLetter(c) || IsDigit(c) ? c : 0;
      default:
        return c;
    }
  }

  // The shown form of the slots [from, to) with nothing filled in.
  std::string Blanks(size_t from, size_t to) const {
    std::string out;
    for (size_t i = from; i < to && i < FSlots.size(); ++i)
      out += FSlots[i].kind == Kind::Literal ? FSlots[i].literal : std::string(1, FBlank);
    return out;
  }

  // Pours a text into the mask. A text in the shown form, or one with its literals saved, is read
  // position by position: a literal in the text is passed over where the mask has it, each other
  // character fills the next position (a blank where it does not fit), and what is longer than the
  // mask is left out. Without saved literals the text holds only the filled positions; with "!" a
  // short one fills them from the right.
  std::string Shown(const std::string& text, bool withLiterals) const {
    std::string out;
    out.reserve(FLength);
    const char* const end = text.data() + text.size();
    const char* q = text.data();
    auto take = [&](size_t slot) {
      if (q >= end) return FBlank;
      const int n = xj::GbkCharLength(q, end);
      const char c = n == 1 ? Fit(slot, *q) : 0;
      q += n;
      return c ? c : FBlank;
    };
    if (withLiterals || FSave) {
      for (size_t i = 0; i < FSlots.size(); ++i) {
        const Slot& s = FSlots[i];
        if (s.kind == Kind::Literal) {
          if (static_cast<size_t>(end - q) >= s.literal.size() &&
              s.literal.compare(0, s.literal.size(), q, s.literal.size()) == 0)
            q += s.literal.size();
          out += s.literal;
        } else {
          out += take(i);
        }
      }
      return out;
    }
    size_t skip = 0;
    if (FLeadingBlanks) {
      size_t inputs = 0, chars = 0;
      for (size_t i = 0; i < FSlots.size(); ++i) inputs += IsInput(i);
      for (const char* r = q; r < end; r += xj::GbkCharLength(r, end)) ++chars;
      skip = chars < inputs ? inputs - chars : 0;
    }
    for (size_t i = 0; i < FSlots.size(); ++i) {
      const Slot& s = FSlots[i];
      if (s.kind == Kind::Literal)
        out += s.literal;
      else if (skip > 0)
        out += FBlank, --skip;
      else
        out += take(i);
    }
    return out;
  }

  // Text from the shown form: literals only when saved, unfilled positions as spaces.
  std::string TextOf(const std::string& shownText) const {
    const std::string shown = shownText.size() == FLength ? shownText : Shown(shownText, true);
    std::string out;
    for (size_t i = 0; i < FSlots.size(); ++i) {
      const Slot& s = FSlots[i];
      if (s.kind == Kind::Literal) {
        if (FSave) out += s.literal;
      } else {
        const char c = shown[s.offset];
        out += c == FBlank ? ' ' : c;
      }
    }
    return out;
  }

 private:
  // The fields of "mask;save;blank", split at the separators that are not escaped.
  static std::vector<std::string> Fields(const AnsiString& editMask) {
    std::vector<std::string> fields(1);
    const char* const end = editMask.data() + editMask.size();
    for (const char* q = editMask.data(); q < end;) {
      const int n = xj::GbkCharLength(q, end);
      if (n == 1 && *q == '\\') {
        if (q + 1 >= end) throw EDBEditError("Invalid edit mask '" + editMask + "': it ends with an escape");
        const int m = xj::GbkCharLength(q + 1, end);
        fields.back().append(q, static_cast<size_t>(1 + m));
        q += 1 + m;
        continue;
      }
      if (n == 1 && *q == ';' && fields.size() < 3) {
        fields.emplace_back();
      } else if (n == 1 && *q == ';') {
        throw EDBEditError("Invalid edit mask '" + editMask + "': more than three fields");
      } else {
        fields.back().append(q, static_cast<size_t>(n));
      }
      q += n;
    }
    return fields;
  }

  void Add(Kind kind, std::string literal = {}) {
    Slot s;
    s.kind = kind;
    s.casing = FCasing;
    s.literal = std::move(literal);
    s.offset = FLength;
    FLength += s.Width();
    FSlots.push_back(std::move(s));
  }

  void Parse(const std::string& mask) {
    const char* const end = mask.data() + mask.size();
    for (const char* q = mask.data(); q < end;) {
      const int n = xj::GbkCharLength(q, end);
      if (n == 2) {
        Add(Kind::Literal, std::string(q, 2));
        q += 2;
        continue;
      }
      const char c = *q++;
      switch (c) {
        case '\\': {
          const int m = xj::GbkCharLength(q, end);  // Fields() saw to it that something follows
          Add(Kind::Literal, std::string(q, static_cast<size_t>(m)));
          q += m;
          break;
        }
        case '!':
          FLeadingBlanks = true;
          break;
        case '>':
          FCasing = Casing::Upper;
          break;
        case '<':  // "<>" ends either conversion
          FCasing = q < end && *q == '>' ? (++q, Casing::Keep) : Casing::Lower;
          break;
        case '0':
        case '9':
          Add(Kind::Digit);
          break;
        case '#':
          Add(Kind::DigitOrSign);
          break;
        case 'L':
        case 'l':
          Add(Kind::Letter);
          break;
        case 'A':
        case 'a':
          Add(Kind::LetterOrDigit);
          break;
        case 'C':
        case 'c':
          Add(Kind::Any);
          break;
        case ':':
          Add(Kind::Literal, std::string(1, FormatSettings.TimeSeparator));
          break;
        case '/':
          Add(Kind::Literal, std::string(1, FormatSettings.DateSeparator));
          break;
        case '_':
          Add(Kind::Literal, " ");
          break;
        default:
          Add(Kind::Literal, std::string(1, c));
          break;
      }
    }
  }

  std::vector<Slot> FSlots;
  size_t FLength { 0 };
  bool FSave { true };
  char FBlank { '_' };
  bool FLeadingBlanks { false };
  Casing FCasing { Casing::Keep };
};

}  // namespace xj::mask

using xj::mask::Pattern;

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
TCustomMaskEdit::~TCustomMaskEdit() = default;

// ---- Properties ---------------------------------------------------------------------------------------------

void TCustomMaskEdit::SetEditMask(const AnsiString& Value) {
  if (Value == FEditMask) return;
  std::unique_ptr<Pattern> pattern = Pattern::Compile(Value);
  const AnsiString old = Text();
  FEditMask = Value;
  FPattern = std::move(pattern);
  if (FPattern)
    SetEditText(FPattern->Shown(old, false));
  else
    SetText(old);
}

AnsiString TCustomMaskEdit::EditText() { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const AnsiString& Value) {
  if (!FPattern) return SetText(Value);
  const AnsiString shown = FPattern->Shown(Value, true);
  if (shown == EditText()) return;
  TControlChange raw(this, FRawText, true);  // the change handler may free the edit
  SetTextBuf(shown.c_str());
}

AnsiString TCustomMaskEdit::GetText() {
  const AnsiString shown = TCustomEdit::GetText();
  return FPattern ? FPattern->TextOf(shown) : shown;
}

// ---- Selection and overwriting --------------------------------------------------------------------------------

size_t TCustomMaskEdit::CaretStart() { return static_cast<size_t>(std::max(SelStart(), 0)); }
size_t TCustomMaskEdit::CaretEnd() { return CaretStart() + static_cast<size_t>(std::max(SelLength(), 0)); }

void TCustomMaskEdit::SelectPosition(size_t slot) {
  const size_t from = FPattern->Offset(slot);
  const size_t to = slot < FPattern->Count() ? FPattern->End(slot) : from;
  Perform(EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

void TCustomMaskEdit::SelectInput(size_t offset) { SelectPosition(FPattern->NextInput(FPattern->SlotAt(offset))); }

// The mask, not MaxLength, decides the length: the limit is lifted while a position is written.
bool TCustomMaskEdit::Overwrite(size_t from, size_t to, const AnsiString& s) {
  const int limit = MaxLength();
  if (limit > 0) Perform(EM_LIMITTEXT, 0, 0);
  Perform(EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
  auto life = LifeToken();
  Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
  if (life.expired()) return false;
  if (limit > 0) Perform(EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
  return true;
}

// Blanks the positions the selection touches, literals kept.
bool TCustomMaskEdit::BlankSelection() {
  const size_t start = CaretStart(), end = CaretEnd();
  if (end <= start) return true;
  const size_t first = FPattern->SlotAt(start), last = FPattern->SlotAt(end - 1);
  if (first >= FPattern->Count()) return true;
  return Overwrite(FPattern->Offset(first), FPattern->End(last), FPattern->Blanks(first, last + 1));
}

// A selection reaching past the position it starts in.
static bool Ranged(const Pattern& p, size_t start, size_t end) {
  return end > start && p.SlotAt(end - 1) != p.SlotAt(start);
}

// ---- Typing -------------------------------------------------------------------------------------------------------

void TCustomMaskEdit::TypeChar(char c) {
  const size_t start = CaretStart();
  if (Ranged(*FPattern, start, CaretEnd()) && !BlankSelection()) return;
  const size_t at = FPattern->SlotAt(start);
  if (FPattern->IsLiteral(at, c)) {
    SelectPosition(FPattern->NextInput(at + 1));
    return;
  }
  const size_t k = FPattern->NextInput(at);
  const char fit = FPattern->Fit(k, c);
  if (!fit) {
    MessageBeep(0);
    SelectPosition(k);
    return;
  }
  if (Overwrite(FPattern->Offset(k), FPattern->End(k), AnsiString(1, fit))) SelectPosition(FPattern->NextInput(k + 1));
}

void TCustomMaskEdit::Backspace() {
  const size_t start = CaretStart();
  if (Ranged(*FPattern, start, CaretEnd())) {
    if (BlankSelection()) SelectInput(start);
    return;
  }
  const size_t p = FPattern->PrevInput(FPattern->SlotAt(start));
  if (p == Pattern::npos) return SelectInput(0);
  if (Overwrite(FPattern->Offset(p), FPattern->End(p), AnsiString(1, FPattern->BlankChar()))) SelectPosition(p);
}

// Pasted text is typed in from the caret; it stops at the first character that does not fit.
void TCustomMaskEdit::PasteText() {
  AnsiString s = Clipboard()->AsText();
  s.resize(std::min(s.size(), s.find_first_of("\r\n")));
  if (s.empty()) return;
  const size_t first = FPattern->SlotAt(CaretStart());
  if (Ranged(*FPattern, CaretStart(), CaretEnd()) && !BlankSelection()) return;
  AnsiString shown = EditText();
  size_t at = first;
  for (const char c : s) {
    if (FPattern->IsLiteral(at, c)) {
      ++at;
      continue;
    }
    const size_t k = FPattern->NextInput(at);
    const char fit = FPattern->Fit(k, c);
    if (!fit) {
      MessageBeep(0);
      break;
    }
    shown[FPattern->Offset(k)] = fit;
    at = k + 1;
  }
  const size_t from = FPattern->Offset(first), to = FPattern->Offset(at);
  if (to > from && !Overwrite(from, to, shown.substr(from, to - from))) return;
  SelectPosition(FPattern->NextInput(at));
}

// ---- Keys and messages ------------------------------------------------------------------------------------------

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TCustomEdit::KeyDown(Key, Shift);
  if (life.expired() || !FPattern || Key == 0 || !HandleAllocated() || Shift.Contains(ssShift) || Shift.Contains(ssAlt))
    return;
  SetEditText(EditText());
  if (life.expired()) return;
  const size_t at = FPattern->SlotAt(CaretStart());
  switch (Key) {
    case VK_LEFT:
    case VK_UP: {
      const size_t p = FPattern->PrevInput(at);
      SelectPosition(p == Pattern::npos ? FPattern->NextInput(0) : p);
      break;
    }
    case VK_RIGHT:
    case VK_DOWN:
      SelectPosition(FPattern->NextInput(at < FPattern->Count() ? at + 1 : at));
      break;
    case VK_HOME:
      SelectPosition(FPattern->NextInput(0));
      break;
    case VK_END:
      SelectPosition(FPattern->Count());
      break;
    case VK_DELETE:
      if (ReadOnly()) break;
      if (Ranged(*FPattern, CaretStart(), CaretEnd())) {
        const size_t start = CaretStart();
        if (BlankSelection()) SelectInput(start);
      } else if (const size_t k = FPattern->NextInput(at); k < FPattern->Count()) {
        if (Overwrite(FPattern->Offset(k), FPattern->End(k), AnsiString(1, FPattern->BlankChar()))) SelectPosition(k);
      }
      break;
    default:
      return;
  }
  Key = 0;
}

void TCustomMaskEdit::KeyPress(char& Key) {
  auto life = LifeToken();
  TCustomEdit::KeyPress(Key);
  if (life.expired() || !FPattern || Key == 0 || !HandleAllocated()) return;
  const auto c = static_cast<unsigned char>(Key);
  if (FSkipTrail) {
    FSkipTrail = false;
    if (c >= 0x40 && c != 0x7F) {
      Key = 0;
      return;
    }
  }
  if (c < 0x20 && c != 0x08) return;  // Enter, Escape and the clipboard keys go their usual way
  Key = 0;
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  if (c >= 0x81 && c <= 0xFE) {  // half of a double-byte character, which no position holds
    FSkipTrail = true;
    MessageBeep(0);
    return;
  }
  SetEditText(EditText());  // the window may hold a text of another shape (written to it directly)
  if (life.expired()) return;
  if (c == 0x08)
    Backspace();
  else
    TypeChar(static_cast<char>(c));
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
  if (!FPattern) return TCustomEdit::Dispatch(Message);
  switch (Message.Msg) {
    case WM_SETTEXT:
      if (!FRawText && Message.LParam) {
        const AnsiString shown = FPattern->Shown(reinterpret_cast<const char*>(Message.LParam), false);
        TMessage m = Message;
        m.LParam = reinterpret_cast<LPARAM>(shown.c_str());
        TCustomEdit::Dispatch(m);
        Message.Result = m.Result;
        return;
      }
      break;
    case WM_CUT:
    case WM_CLEAR:
    case WM_PASTE:
      Message.Result = 0;
      if (!HandleAllocated() || ReadOnly()) return;
      {
        auto life = LifeToken();
        SetEditText(EditText());
        if (life.expired()) return;
      }
      if (Message.Msg == WM_PASTE) return PasteText();
      if (Message.Msg == WM_CUT) Perform(WM_COPY, 0, 0);
      {
        const size_t start = CaretStart();
        if (BlankSelection()) SelectInput(start);
      }
      return;
    case WM_LBUTTONUP:
    case CM_ENTER:
      // The position under the caret is selected, as typing would have left it.
      auto life = LifeToken();
      TCustomEdit::Dispatch(Message);
      if (!life.expired() && FPattern && HandleAllocated() && SelLength() == 0) SelectInput(CaretStart());
      return;
  }
  TCustomEdit::Dispatch(Message);
}

// ---- TMaskEdit ----------------------------------------------------------------------------------------------------

TMaskEdit::TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
TMaskEdit::~TMaskEdit() = default;

// The mask comes before the text, so that a text read from a form resource is poured into it.
XJ_PUBLISHED(TCustomMaskEdit);
XJ_PUBLISHED(TMaskEdit,
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSelect, true)
  XJ_PROP(AutoSize, true)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(CharCase, ecNormal)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(EditMask)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PasswordChar, '\0')
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Text)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {

bool RegisterMask() {
  static const bool registered = (RegisterClasses({ TMaskEdit::StaticClass() }), true);
  return registered;
}

}  // namespace xj::vcl
