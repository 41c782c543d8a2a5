// TCustomEdit and TEdit: the class-library side of the native "EDIT" window.

#include <algorithm>

#include "platform/vcl/StdCtrls_private.h"

using xj::stdctrls::FontHeight;

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle { csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight };
  SetBounds(0, 0, 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetAutoSize(true);
}

TCustomEdit::~TCustomEdit() { TearDownWindow(); }

// ---- The window -------------------------------------------------------------------------------------------

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_EDITA);
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  Params.AddBorder(FBorderStyle, Ctl3D());
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) Params.Style |= ES_OEMCONVERT;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// The settings the window keeps come back to a new window (a re-created one included).
void TCustomEdit::CreateWnd() {
  {
    xj::TemporaryChange creating(FCreating, true);
    TWinControl::CreateWnd();
  }
  if (!FComponentState.Contains(csLoading)) Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FModified) Perform(EM_SETMODIFY, 1, 0);  // a new window starts unmodified
  if (FPasswordChar) Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
  if (FSelStart != 0 || FSelLength != 0) Perform(EM_SETSEL, static_cast<WPARAM>(FSelStart), FSelStart + FSelLength);
}

void TCustomEdit::DestroyWnd() {
  if (FHandle) {
    FModified = Perform(EM_GETMODIFY, 0, 0) != 0;
    DWORD start = 0, end = 0;  // one question gives both ends
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    FSelStart = static_cast<int>(start);
    FSelLength = static_cast<int>(end) - static_cast<int>(start);
  }
  TWinControl::DestroyWnd();
}

int TCustomEdit::AutoHeight() { return FontHeight(Font()) + (Ctl3D() ? 8 : 6); }

bool TCustomEdit::CanAutoSize(int& NewWidth, int& NewHeight) {
  (void)NewWidth;
  if (FBorderStyle == bsSingle) NewHeight = AutoHeight();
  return true;
}

void TCustomEdit::AdjustHeight() {
  if (AutoSize()) AdjustSize();
}

// ---- Properties ---------------------------------------------------------------------------------------------

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (FOEMConvert == Value) return;
  FOEMConvert = Value;
  RecreateWnd();
}

// The limit holds what the user types: the lines a form was written with, read before or after it, are
// kept whole, so the window takes the limit once the form is read.
void TCustomEdit::SetMaxLength(int Value) {
  FMaxLength = std::max(Value, 0);
  if (HandleAllocated() && !FComponentState.Contains(csLoading))
    Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  if (HandleAllocated()) Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

bool TCustomEdit::Modified() { return HandleAllocated() ? Perform(EM_GETMODIFY, 0, 0) != 0 : FModified; }

void TCustomEdit::SetModified(bool Value) {
  if (HandleAllocated())
    Perform(EM_SETMODIFY, Value, 0);
  else
    FModified = Value;
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (HandleAllocated()) Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (HandleAllocated()) Perform(EM_SETREADONLY, Value, 0);
}

int TCustomEdit::SelStart() {
  if (!HandleAllocated()) return FSelStart;
  DWORD start = 0, end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() {
  if (!HandleAllocated()) return FSelLength;
  DWORD start = 0, end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) {
  Value = std::max(Value, 0);
  if (!HandleAllocated()) {
    FSelStart = Value;
    FSelLength = 0;
    return;
  }
  Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

void TCustomEdit::SetSelLength(int Value) {
  const int start = SelStart();
  const int end = std::max(start + Value, 0);
  if (!HandleAllocated()) {
    FSelStart = std::min(start, end);
    FSelLength = std::abs(end - start);
    return;
  }
  Perform(EM_SETSEL, static_cast<WPARAM>(start), end);
}

AnsiString TCustomEdit::SelText() {
  const AnsiString text = Text();
  const size_t start = std::min(static_cast<size_t>(std::max(SelStart(), 0)), text.size());
  const size_t length = std::min(static_cast<size_t>(std::max(SelLength(), 0)), text.size() - start);
  return text.substr(start, length);
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
  HandleNeeded();
  Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

bool TCustomEdit::CanUndo() { return HandleAllocated() && Perform(EM_CANUNDO, 0, 0) != 0; }

// ---- Operations: the messages a user's keys and the context menu send too ---------------------------------

void TCustomEdit::ClearSelection() {
  if (HandleAllocated()) Perform(WM_CLEAR, 0, 0);
}

void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) Perform(EM_EMPTYUNDOBUFFER, 0, 0);
}

void TCustomEdit::CopyToClipboard() {
  if (HandleAllocated()) Perform(WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard() {
  if (HandleAllocated()) Perform(WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard() {
  HandleNeeded();
  Perform(WM_PASTE, 0, 0);
}

void TCustomEdit::Undo() {
  if (HandleAllocated()) Perform(WM_UNDO, 0, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) {
    Perform(EM_SETSEL, 0, -1);
    return;
  }
  FSelStart = 0;
  FSelLength = static_cast<int>(Text().size());
}

// ---- Messages -------------------------------------------------------------------------------------------------

void TCustomEdit::Change() {
  TWinControl::Changed();
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && !FCreating) Change();
      return;
    case CM_ENTER:
      // Tabbing into the edit selects its text; a click places the caret instead.
      if (FAutoSelect && !FControlState.Contains(csLButtonDown) && HandleAllocated() &&
          !(GetWindowLongPtrA(FHandle, GWL_STYLE) & ES_MULTILINE))
        SelectAll();
      break;
    case CM_TEXTCHANGED: {
      // Without a window there is no EN_CHANGE: the change is reported here.
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (!life.expired() && (!HandleAllocated() || (GetWindowLongPtrA(FHandle, GWL_STYLE) & ES_MULTILINE))) Change();
      return;
    }
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      AdjustHeight();
      return;
    case CM_CTL3DCHANGED:
      if (FBorderStyle == bsSingle) {
        RecreateWnd();
        AdjustHeight();
      }
      break;
  }
  TWinControl::Dispatch(Message);
}

// The edit's own context menu (undo, cut, copy, paste, delete, select all) answers a request nobody
// took, instead of the parent.
void TCustomEdit::DefaultHandler(TMessage& Message) {
  if (FHandle && Message.Msg == WM_CONTEXTMENU) {
    Message.Result = CallWindowProcA(DefWndProc(), FHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TWinControl::DefaultHandler(Message);
}

// ---- TEdit ------------------------------------------------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
TEdit::~TEdit() = default;
