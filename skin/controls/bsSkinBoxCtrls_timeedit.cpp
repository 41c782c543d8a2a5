#include "skin/controls/bsSkinBoxCtrls_timeedit.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

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

XJ_PUBLISHED(TbsSkinPopupTrackBar);

XJ_PUBLISHED(TbsSkinTimeEdit);

// ---- TbsSkinPopupTrackBar ---------------------------------------------------------------------------------

TbsSkinPopupTrackBar::TbsSkinPopupTrackBar(TComponent* AOwner) : TbsSkinTrackBar(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csNoDesignVisible, csReplicatable });
  SetSkinDataName("htrackbar");
}

TbsSkinPopupTrackBar::~TbsSkinPopupTrackBar() = default;

void TbsSkinPopupTrackBar::CreateParams(TCreateParams& Params) {
  TbsSkinTrackBar::CreateParams(Params);
  TbsDropDownWindow::CreateParams(Params, 0, false);
}

void TbsSkinPopupTrackBar::Dispatch(TMessage& Message) {
  if (!TbsDropDownWindow::MouseActivate(Message)) TbsSkinTrackBar::Dispatch(Message);
}

// ---- TbsSkinTrackEdit -------------------------------------------------------------------------------------

TbsSkinTrackEdit::TbsSkinTrackEdit(TComponent* AOwner) : TbsSkinCustomEdit(AOwner) {
  SetButtonMode(true);
  {
    xj::TemporaryChange guard(FStopCheck, true);
    SetText("0");
  }
  SetBounds(Left(), Top(), 120, 20);
  SetSkinDataName("buttonedit");
  OnButtonClick = TNotifyEvent(this, &TbsSkinTrackEdit::ButtonClick);
  FPopupTrackBar = new TbsSkinPopupTrackBar(this);
  FPopupTrackBar->SetVisible(false);
  FPopupTrackBar->SetParent(this);
  FPopupTrackBar->OnChange = TNotifyEvent(this, &TbsSkinTrackEdit::TrackBarChange);
}

TbsSkinTrackEdit::~TbsSkinTrackEdit() {
  // The track bar it owns goes while the edit is whole: its change hook calls back into the edit.
  DestroyComponents();
  FPopupTrackBar = nullptr;
}

int TbsSkinTrackEdit::CheckValue(int V) const {
  if (FMaxValue == FMinValue) return V;
  return V < FMinValue ? FMinValue : V > FMaxValue ? FMaxValue : V;
}

bool TbsSkinTrackEdit::IsNumText(const AnsiString& S) {
  if (S.empty() || S == "-") return false;
  for (size_t i = 0; i < S.size(); ++i)
    if (!(S[i] >= '0' && S[i] <= '9') && !(S[i] == '-' && i == 0)) return false;
  return true;
}

bool TbsSkinTrackEdit::IsValidChar(char Key) const {
  const bool control = static_cast<unsigned char>(Key) < 32;
  const bool valid = Key == '-' || (Key >= '0' && Key <= '9') || (control && Key != '\r');
  if (ReadOnly()) return valid && control && Key != '\b';
  return valid;
}

void TbsSkinTrackEdit::SetValue(int AValue) {
  FValue = bsLoading(this) ? AValue : CheckValue(AValue);
  auto life = LifeToken();  // OnChange, run by the new text, may free the edit
  {
    TControlChange guard(this, FStopCheck, true);
    SetText(IntToStr(FValue));
  }
  if (!life.expired()) Change();
}

// Value, not the text read with it, is the number; the limits hold it once both are in.
void TbsSkinTrackEdit::Loaded() {
  TbsSkinCustomEdit::Loaded();
  FValue = CheckValue(FValue);
  TControlChange guard(this, FStopCheck, true);
  SetText(IntToStr(FValue));
}

void TbsSkinTrackEdit::TakeText(bool Notify) {
  if (FStopCheck || bsLoading(this)) return;
  const AnsiString t = Text();
  int typed = 0;
  // Beyond 32 bits is no number here: Value stays, no error.
  if (!IsNumText(t) || !TryStrToInt(t, typed)) return;
  const int v = CheckValue(typed);
  auto life = LifeToken();
  if (v != FValue) {
    FValue = v;
    if (Notify) {
      Change();
    } else {
      TControlChange guard(this, FStopCheck, true);
      Change();
    }
    if (life.expired()) return;
  }
  if (typed != v) SetText(IntToStr(FValue));
}

void TbsSkinTrackEdit::Change() {
  auto life = LifeToken();
  TbsSkinCustomEdit::Change();
  if (!life.expired()) TakeText(true);
}

void TbsSkinTrackEdit::KeyPress(char& Key) {
  if (Key == 27) {
    CloseUp();
  } else if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  TbsSkinCustomEdit::KeyPress(Key);
}

void TbsSkinTrackEdit::ButtonClick(TObject*) {
  SetFocus();
  if (FPopupTrackBar->Visible())
    CloseUp();
  else
    DropDown();
}

void TbsSkinTrackEdit::TrackBarChange(TObject*) { SetValue(FPopupTrackBar->Value()); }

void TbsSkinTrackEdit::DropDown() {
  auto life = LifeToken();
  TbsSkinPopupTrackBar* bar = FPopupTrackBar;
  bar->SetWidth(Width());
  bar->SetDefaultHeight(Height());
  bar->SetSkinDataName(FTrackBarSkinDataName);
  bar->SetSkinData(SkinData());
  bar->SetMinValue(FMinValue);
  bar->SetMaxValue(FMaxValue);
  bar->SetValue(FValue);
  if (life.expired()) return;
  TbsDropDownAlpha alpha;
  alpha.AlphaBlend = FAlphaBlend;
  alpha.AlphaBlendAnimation = FAlphaBlendAnimation;
  alpha.AlphaBlendValue = FAlphaBlendValue;
  alpha.Step = 1;
  bar->Dropping().Show(bar, TbsDropDownWindow::Place(this, bar->Width(), bar->Height()), alpha);
}

void TbsSkinTrackEdit::CloseUp() {
  TbsSkinPopupTrackBar* bar = FPopupTrackBar;
  if (bar && bar->Visible()) bar->Dropping().Hide(bar, true);
}

void TbsSkinTrackEdit::Dispatch(TMessage& Message) {
  auto life = LifeToken();
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      TbsSkinCustomEdit::Dispatch(Message);
      if (!life.expired()) TakeText(false);
      return;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(Message.LParam) != FPopupTrackBar) CloseUp();
      return;
    case WM_KILLFOCUS:
      TbsSkinCustomEdit::Dispatch(Message);
      if (!life.expired()) CloseUp();
      return;
    case WM_CHAR:
      // A read-only edit drops every character before the key check sees it: the refusal still beeps.
      if (ReadOnly() && !IsValidChar(static_cast<char>(Message.WParam))) MessageBeep(0);
      break;
    default:
      break;
  }
  TbsSkinCustomEdit::Dispatch(Message);
}

XJ_PUBLISHED(TbsSkinTrackEdit,
  XJ_PROP(TrackBarSkinDataName)
  XJ_PROP(AlphaBlend)
  XJ_PROP(AlphaBlendAnimation)
  XJ_PROP(AlphaBlendValue)
  XJ_PROP(MinValue)
  XJ_PROP(MaxValue)
  XJ_PROP(Value)
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultWidth)
  XJ_PROP(DefaultHeight)
  XJ_PROP(ButtonMode)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(EditPasswordChar)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseLeave)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(Align, alNone)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSelect, true)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp));
