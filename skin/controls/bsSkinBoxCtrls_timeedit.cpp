#include "skin/controls/bsSkinBoxCtrls_timeedit.h"

#include "platform/vcl/Menus.h"
#include "platform/vcl/SysUtils.h"

namespace {

constexpr int kDay = 24 * 60 * 60 * 1000;

int Field(const AnsiString& T, size_t From, size_t Count, bool& Ok) {
  AnsiString s = From < T.size() ? T.substr(From, Count) : AnsiString();
  TbsSkinTimeEdit::CheckSpace(s);
  int v = 0;
  if (!TryStrToInt(s, v) || v < 0) Ok = false;
  return v;
}

}  // namespace

TbsSkinTimeEdit::TbsSkinTimeEdit(TComponent* AOwner) : TbsSkinMaskEdit(AOwner) {
  SetEditMask("!90:00:00;1; ");
  SetText("00:00:00");
  OnKeyPress = TKeyPressEvent(this, &TbsSkinTimeEdit::HandleOnKeyPress);
}

TbsSkinTimeEdit::~TbsSkinTimeEdit() = default;

void TbsSkinTimeEdit::CheckSpace(AnsiString& S) {
  for (char& c : S)
    if (c == ' ') c = '0';
}

bool TbsSkinTimeEdit::IsValidTime(WORD Hour, WORD Min, WORD Sec, WORD MSec) {
  return (Hour < 24 && Min < 60 && Sec < 60 && MSec < 1000) || (Hour == 24 && Min == 0 && Sec == 0 && MSec == 0);
}

bool TbsSkinTimeEdit::Parse(const AnsiString& T, bool WithMSec, int& H, int& M, int& S, int& Z) {
  bool ok = true;
  H = Field(T, 0, 2, ok);
  M = Field(T, 3, 2, ok);
  S = Field(T, 6, 2, ok);
  Z = WithMSec ? Field(T, 9, 3, ok) : 0;
  return ok;
}

void TbsSkinTimeEdit::SetFields(int H, int M, int S, int Z) {
  // Only a valid time is written, in the format of the current mask, so the text always fits it.
  if (H < 0 || M < 0 || S < 0 || Z < 0 || !IsValidTime(H, M, S, Z)) {
    SetText(ZeroText());
    return;
  }
  SetText(FShowMilliseconds ? Format("%2.2d:%2.2d:%2.2d.%3.3d", H, M, S, Z) : Format("%2.2d:%2.2d:%2.2d", H, M, S));
}

void TbsSkinTimeEdit::SetShowMilliseconds(bool Value) {
  if (FShowMilliseconds == Value) return;
  FShowMilliseconds = Value;
  SetEditMask(Value ? "!90:00:00.000;1; " : "!90:00:00;1; ");
  SetText(ZeroText());
}

void TbsSkinTimeEdit::SetTime(const AnsiString& Value) {
  int h, m, s, z;
  if (!Parse(Value, FShowMilliseconds, h, m, s, z)) {
    SetText(ZeroText());
    return;
  }
  SetFields(h, m, s, z);
}

int TbsSkinTimeEdit::Milliseconds() {
  int h, m, s, z;
  if (!Parse(Text(), FShowMilliseconds, h, m, s, z)) return 0;
  return ((h * 60 + m) * 60 + s) * 1000 + z;
}

void TbsSkinTimeEdit::SetMilliseconds(int Value) {
  if (Value < 0 || Value > kDay) {
    SetText(ZeroText());
    return;
  }
  const int s = Value / 1000, m = s / 60;
  SetFields(m / 60, m % 60, s % 60, Value % 1000);
}

void TbsSkinTimeEdit::DecodeTime(WORD& Hour, WORD& Min, WORD& Sec, WORD& MSec) {
  const AnsiString t = Text();
  auto field = [&](size_t from, size_t count) {
    AnsiString s = from < t.size() ? t.substr(from, count) : AnsiString();
    CheckSpace(s);
    return static_cast<WORD>(StrToInt(s));
  };
  Hour = field(0, 2);
  Min = field(3, 2);
  Sec = field(6, 2);
  MSec = FShowMilliseconds ? field(9, 3) : 0;
}

void TbsSkinTimeEdit::EncodeTime(WORD Hour, WORD Min, WORD Sec, WORD MSec) {
  if (IsValidTime(Hour, Min, Sec, MSec)) SetFields(Hour, Min, Sec, MSec);
}

void TbsSkinTimeEdit::HandleOnKeyPress(TObject*, char& Key) {
  if (Key == '\r' || Key == '\b') return;
  AnsiString t = Text();
  if (SelLength() > 1) SetSelLength(1);
  if (IsValidChar(Key)) {
    // Overtype as the mask does it: a literal under the caret is skipped to the next field first.
    size_t at = static_cast<size_t>(SelStart());
    while (at < t.size() && (t[at] == ':' || t[at] == '.')) ++at;
    if (at >= t.size()) {
      Key = 0;
      return;
    }
    t[at] = Key;
  }
  int h, m, s, z;
  if (!Parse(t, FShowMilliseconds, h, m, s, z) || !IsValidTime(h, m, s, z)) Key = 0;
}

XJ_PUBLISHED(TbsSkinTimeEdit);
