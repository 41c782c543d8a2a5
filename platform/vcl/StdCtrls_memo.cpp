// TCustomMemo and TMemo: the class-library side of the multi-line "EDIT" window, and the live view of
// its lines.

#include <algorithm>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

namespace {

[[noreturn]] void LineIndexError(int Index) { throw EListError::CreateFmt("List index out of bounds (%d)", Index); }

}  // namespace

// ---- TMemoStrings ------------------------------------------------------------------------------------------------

TMemoStrings::~TMemoStrings() = default;

LRESULT TMemoStrings::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  FMemo->HandleNeeded();
  return FMemo->Perform(Msg, WParam, LParam);
}

// The window always has one row more than there are lines when the text ends with a line break (or
// is empty): that row is not a line.
int TMemoStrings::GetCount() const {
  int rows = static_cast<int>(Send(EM_GETLINECOUNT, 0, 0));
  LRESULT last = Send(EM_LINEINDEX, static_cast<WPARAM>(rows - 1), 0);
  if (rows > 0 && Send(EM_LINELENGTH, static_cast<WPARAM>(last), 0) == 0) --rows;
  return rows;
}

AnsiString TMemoStrings::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) LineIndexError(Index);
  LRESULT start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  LRESULT length = Send(EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  AnsiString s(static_cast<size_t>(std::max<LRESULT>(length, 2)), '\0');
  *reinterpret_cast<WORD*>(s.data()) = static_cast<WORD>(std::min<LRESULT>(length, 0xFFFF));
  LRESULT got = Send(EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
  if (length > 0xFFFF) {  // longer than the message's word can ask for: read it from the text
    AnsiString text = FMemo->Text();
    s = text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  }
  return s;
}

void TMemoStrings::Put(int Index, const AnsiString& S) {
  if (Index < 0 || Index >= GetCount()) LineIndexError(Index);
  LRESULT start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  LRESULT length = Send(EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  Send(EM_SETSEL, static_cast<WPARAM>(start), start + length);
  Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

// Before an existing row the line goes in with its break; past the last row, after a break of its own.
void TMemoStrings::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > GetCount()) LineIndexError(Index);
  LRESULT at = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  AnsiString line;
  if (at >= 0) {
    line = S + "\r\n";
  } else {
    LRESULT prev = Send(EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
    at = prev + Send(EM_LINELENGTH, static_cast<WPARAM>(prev), 0);
    line = "\r\n" + S;
  }
  Send(EM_SETSEL, static_cast<WPARAM>(at), at);
  Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void TMemoStrings::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) LineIndexError(Index);
  LRESULT start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  LRESULT end = Send(EM_LINEINDEX, static_cast<WPARAM>(Index + 1), 0);
  if (end < 0) end = start + Send(EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  Send(EM_SETSEL, static_cast<WPARAM>(start), end);
  Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
}

void TMemoStrings::Clear() { FMemo->Clear(); }

AnsiString TMemoStrings::GetTextStr() const { return FMemo->Text(); }

// One WM_SETTEXT for the whole text, however many lines it holds.
void TMemoStrings::SetTextStr(const AnsiString& Value) { FMemo->SetText(Value); }

// ---- TCustomMemo ----------------------------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)) {
  FControlStyle >> csFixedHeight;
  SetAutoSize(false);
  SetBounds(Left(), Top(), 185, 89);
}

TCustomMemo::~TCustomMemo() { TearDownWindow(); }

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
  if (FWantReturns) Params.Style |= ES_WANTRETURN;
  if (FAlignment == taRightJustify) Params.Style |= ES_RIGHT;
  if (FAlignment == taCenter) Params.Style |= ES_CENTER;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FWordWrap) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWantReturns(bool Value) {
  if (FWantReturns == Value) return;
  FWantReturns = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

// Without WantReturns, Return is left to the form (Ctrl+Return still breaks the line).
void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs)
      Message.Result |= DLGC_WANTTAB;
    else
      Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
    if (!FWantReturns) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::Dispatch(Message);
}

// ---- TMemo ----------------------------------------------------------------------------------------------------------

TMemo::TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
TMemo::~TMemo() = default;

// ---- Streaming ------------------------------------------------------------------------------------------------------

XJ_PUBLISHED(TCustomMemo);
XJ_PUBLISHED(TMemo,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(Lines)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(OEMConvert, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(ScrollBars, ssNone)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WantReturns, true)
  XJ_PROP(WantTabs, false)
  XJ_PROP(WordWrap, true)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
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

bool RegisterStdCtrlsMemo() {
  static const bool registered = (RegisterClasses({ TMemo::StaticClass() }), true);
  return registered;
}

}  // namespace xj::vcl
