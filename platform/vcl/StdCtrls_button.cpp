// The button family: TButtonControl (the native button's press, capture and Space handling), the push
// button TButton, the check boxes TCustomCheckBox / TCheckBox and TRadioButton.

#include <algorithm>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls_private.h"

using xj::stdctrls::DrawCanvasText;
using xj::stdctrls::DrawPixels;

namespace {

// BM_GETSTATE bits beyond the check state.
constexpr LRESULT kStatePushed = 0x0004;
constexpr LRESULT kStateFocus = 0x0008;

constexpr int kCheckBoxSize = 13;
constexpr int kRadioSize = 12;
constexpr int kTextGap = 4;

void Inflate(TRect& R, int D) {
  R.Left += D;
  R.Top += D;
  R.Right -= D;
  R.Bottom -= D;
}

// Where a check box or radio button puts its box and its caption.
struct TBoxLayout {
  TRect Box;
  TRect Text;
};

TBoxLayout LayOutBox(TControl* Control, TAlignment Alignment, int BoxSize) {
  const int w = Control->Width(), h = Control->Height();
  const int top = (h - BoxSize) / 2;
  TBoxLayout l;
  if (Alignment == taLeftJustify) {
    l.Box = Bounds(w - BoxSize, top, BoxSize, BoxSize);
    l.Text = TRect(1, 0, w - BoxSize - kTextGap, h);
  } else {
    l.Box = Bounds(0, top, BoxSize, BoxSize);
    l.Text = TRect(BoxSize + kTextGap, 0, w, h);
  }
  return l;
}

}  // namespace

// ---- TButtonControl -----------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle { csSetCaption, csDoubleClicks };
}

TButtonControl::~TButtonControl() { TearDownWindow(); }

// A press focuses the button first, without counting as a click (a radio button that gets the focus from
// the keyboard checks itself; from the mouse it waits for the release).
void TButtonControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!FComponentState.Contains(csDesigning) && !Focused()) {
        auto life = LifeToken();
        {
          TControlChange quiet(this, FClicksDisabled, true);
          ::SetFocus(Handle());
        }
        if (life.expired() || !Focused()) return;
      }
      break;
    case CN_COMMAND:
      if (FClicksDisabled) return;
      break;
  }
  TCustomControl::WndProc(Message);
}

void TButtonControl::DefaultHandler(TMessage& Message) {
  if (FHandle && (MouseMessage(Message) || ButtonMessage(Message))) return;
  TCustomControl::DefaultHandler(Message);
}

// The mouse, the space key and the focus; true when the button took the message, false when the default
// handling sees it too (or alone).
bool TButtonControl::MouseMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      ButtonDown();
      return true;
    case WM_LBUTTONDBLCLK:
      DoubleClick();
      return true;
    case WM_MOUSEMOVE:
      if (FTracking) SetPressed(Inside(Message.LParam));
      return true;
    case WM_LBUTTONUP:
      ButtonUp(Message.LParam);
      return true;
    case WM_CAPTURECHANGED:
      CaptureLost();
      return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (Message.WParam != VK_SPACE) return false;
      SpaceKey(Message.Msg == WM_KEYDOWN);
      return true;
    case WM_SETFOCUS:
      Invalidate();
      return false;
    case WM_KILLFOCUS:
      FocusLost();
      return false;
    default:
      return false;
  }
}

// The button's state questions and commands, all taken.
bool TButtonControl::ButtonMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON;
      return true;
    case BM_GETCHECK:
      Message.Result = Checked() ? BST_CHECKED : BST_UNCHECKED;
      return true;
    case BM_SETCHECK:
      WithoutClicks([&] { SetChecked(Message.WParam == BST_CHECKED); });
      return true;
    case BM_GETSTATE:
      Message.Result = (Checked() ? BST_CHECKED : 0) | (FPressed ? kStatePushed : 0) | (Focused() ? kStateFocus : 0);
      return true;
    case BM_CLICK:
      Notify(BN_CLICKED);
      return true;
    default:
      return false;
  }
}

void TButtonControl::DoubleClick() {
  if (FReportsDoubleClicks)
    Notify(BN_DOUBLECLICKED);
  else
    ButtonDown();
}

void TButtonControl::CaptureLost() {
  if (!FTracking) return;
  FTracking = false;
  SetPressed(FSpaceDown);
}

void TButtonControl::FocusLost() {
  FSpaceDown = false;
  if (FTracking) {
    FTracking = false;
    if (GetCapture() == FHandle) ReleaseCapture();
  }
  SetPressed(false);
  Invalidate();
}

bool TButtonControl::Inside(LPARAM Point) {
  const int x = GET_X_LPARAM(Point), y = GET_Y_LPARAM(Point);
  return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void TButtonControl::ButtonDown() {
  SetCapture(FHandle);
  FTracking = true;
  SetPressed(true);
}

void TButtonControl::ButtonUp(LPARAM Point) {
  if (!FTracking) return;
  FTracking = false;
  const bool inside = Inside(Point);
  SetPressed(FSpaceDown);
  if (GetCapture() == FHandle) ReleaseCapture();
  if (inside) Notify(BN_CLICKED);
}

void TButtonControl::SpaceKey(bool Down) {
  if (Down) {
    if (FSpaceDown || FTracking) return;  // auto-repeat, or the mouse already holds it
    FSpaceDown = true;
    SetPressed(true);
    return;
  }
  if (!FSpaceDown) return;
  FSpaceDown = false;
  SetPressed(false);
  Notify(BN_CLICKED);
}

void TButtonControl::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

// To the parent, as a native button tells it; a parent of ours reflects it back as CN_COMMAND.
void TButtonControl::Notify(WORD Code) {
  HWND h = FHandle;
  if (!h) return;
  const WPARAM w = MAKEWPARAM(LOWORD(GetWindowLongPtrA(h, GWL_ID)), Code);
  HWND parent = GetParent(h);
  if (parent && FindControl(parent))
    SendMessageA(parent, WM_COMMAND, w, reinterpret_cast<LPARAM>(h));
  else
    Perform(CN_COMMAND, w, reinterpret_cast<LPARAM>(h));
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TCustomControl::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || (CheckDefaults && Checked())) return;
  WithoutClicks([&] { SetChecked(action->Checked()); });
}

void TButtonControl::DrawCaption(TRect Rect, UINT Flags, TColor Colour) {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  canvas->Font()->SetColor(Colour);
  canvas->Brush()->SetStyle(bsClear);
  DrawCanvasText(canvas, Caption(), Rect, Flags, Enabled());
}

TRect TButtonControl::FocusFrame(TRect TextRect) {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  TRect measured = TextRect;
  DrawCanvasText(canvas, Caption(), measured, DT_LEFT | DT_SINGLELINE | DT_CALCRECT, true);
  const int top = TextRect.Top + (TextRect.Height() - measured.Height()) / 2;
  TRect frame(measured.Left - 1, top - 1, measured.Right + 1, top + measured.Height() + 1);
  frame.Left = std::max<LONG>(frame.Left, 0);
  frame.Top = std::max<LONG>(frame.Top, 0);
  frame.Right = std::min<LONG>(frame.Right, Width());
  frame.Bottom = std::min<LONG>(frame.Bottom, Height());
  return frame;
}

// ---- TButton --------------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

TButton::~TButton() { TearDownWindow(); }

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  FActive = FDefault;
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  if (!HandleAllocated()) return;
  // Every button of the form works out again which one Return reaches.
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TButton::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Invalidate();
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  auto& key = reinterpret_cast<TWMKey&>(Message);
  switch (Message.Msg) {
    case CM_DIALOGKEY:
      if (((key.CharCode == VK_RETURN && FActive) || (key.CharCode == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(key.KeyData).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(key.CharCode, Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      TWinControl* focused = reinterpret_cast<TCMFocusChanged&>(Message).Sender;
      SetActive(dynamic_cast<TButton*>(focused) ? focused == this : FDefault);
      break;
    }
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_TEXTCHANGED:
      Invalidate();
      break;
  }
  TButtonControl::Dispatch(Message);
}

// Raised face (pushed: a shadow frame, the caption one pixel down-right); the button Return reaches has
// a dark outer frame; the focus rectangle sits four pixels inside.
void TButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  if (FActive) {
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    Inflate(r, 1);
  }
  TRect text = r;
  if (Pressed()) {
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(r);
    text.Left += 1;
    text.Top += 1;
    text.Right += 1;
    text.Bottom += 1;
  } else {
    RECT edge = r;
    DrawEdge(canvas->Handle(), &edge, EDGE_RAISED, BF_RECT);
  }
  DrawCaption(text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, clBtnText);
  if (Focused()) {
    TRect focus = ClientRect();
    Inflate(focus, 4);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawFocusRect(focus);
  }
}

// ---- TCustomCheckBox -------------------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

TCustomCheckBox::~TCustomCheckBox() { TearDownWindow(); }

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  Invalidate();
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked:
      SetState(FAllowGrayed ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(reinterpret_cast<TWMKey&>(Message).CharCode, Caption()) && CanFocus()) {
        auto life = LifeToken();  // OnEnter may free the box
        SetFocus();
        if (!life.expired() && Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    case BM_GETCHECK:
      Message.Result = FState;
      return;
    case BM_SETCHECK:
      if (Message.WParam == BST_INDETERMINATE) {
        WithoutClicks([&] { SetState(cbGrayed); });
        return;
      }
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      break;
  }
  TButtonControl::Dispatch(Message);
}

// A sunken box (face colour while pressed, disabled or grayed) with the check mark, then the caption;
// the focus rectangle goes round the caption.
void TCustomCheckBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  const TBoxLayout layout = LayOutBox(this, FAlignment, kCheckBoxSize);
  RECT edge = layout.Box;
  DrawEdge(canvas->Handle(), &edge, EDGE_SUNKEN, BF_RECT);
  const bool dim = !Enabled() || FState == cbGrayed;
  canvas->Brush()->SetColor(Pressed() || dim ? clBtnFace : clWindow);
  TRect inner = layout.Box;
  Inflate(inner, 2);
  canvas->FillRect(inner);
  if (FState != cbUnchecked)
    DrawPixels(canvas, layout.Box.Left + 3, layout.Box.Top + 3,
               { "......x", ".....xx", "x...xxx", "xx.xxx.", "xxxxx..", ".xxx...", "..x...." },
               { { 'x', dim ? clBtnShadow : clWindowText } });
  DrawCaption(layout.Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, Font()->Color());
  if (Focused() && !Caption().empty()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawFocusRect(FocusFrame(layout.Text));
  }
}

TCheckBox::TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
TCheckBox::~TCheckBox() = default;

// ---- TRadioButton -------------------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  SetReportsDoubleClicks(true);
}

TRadioButton::~TRadioButton() { TearDownWindow(); }

void TRadioButton::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

// The checked button of a group is its tab stop; checking one clears the radio buttons beside it.
void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  Invalidate();
  if (!Value) return;
  if (TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
        sibling->SetChecked(false);
  auto life = LifeToken();
  Changed();
  if (!life.expired() && !ClicksDisabled()) Click();
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED)
        SetChecked(true);
      else if (HIWORD(Message.WParam) == BN_DOUBLECLICKED)
        DblClick();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(reinterpret_cast<TWMKey&>(Message).CharCode, Caption()) && CanFocus()) {
        SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
      return;
    case WM_SETFOCUS: {
      // Reaching a radio button from the keyboard (arrows, Tab, its accelerator) checks it.
      auto life = LifeToken();
      TButtonControl::Dispatch(Message);
      if (!life.expired() && !ClicksDisabled() && !FChecked && FHandle && GetCapture() != FHandle) Notify(BN_CLICKED);
      return;
    }
    case CM_TEXTCHANGED:
      Invalidate();
      break;
  }
  TButtonControl::Dispatch(Message);
}

// A sunken circle (face colour while pressed or disabled) with the dot when checked, then the caption.
void TRadioButton::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  const TBoxLayout layout = LayOutBox(this, FAlignment, kRadioSize);
  const TColor face = Pressed() || !Enabled() ? clBtnFace : clWindow;
  DrawPixels(
      canvas, layout.Box.Left, layout.Box.Top,
      { "....aaaa....", "..aabbbbaa..", ".abbwwwwbbd.", ".abwwwwwwcd.", "abwwwwwwwwcd", "abwwwwwwwwcd", "abwwwwwwwwcd",
        "abwwwwwwwwcd", ".abwwwwwwcd.", ".dccwwwwccd.", "..ddccccdd..", "....dddd...." },
      { { 'a', clBtnShadow }, { 'b', cl3DDkShadow }, { 'c', cl3DLight }, { 'd', clBtnHighlight }, { 'w', face } });
  if (FChecked)
    DrawPixels(canvas, layout.Box.Left + 4, layout.Box.Top + 4, { ".xx.", "xxxx", "xxxx", ".xx." },
               { { 'x', Enabled() ? clWindowText : clBtnShadow } });
  DrawCaption(layout.Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, Font()->Color());
  if (Focused() && !Caption().empty()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawFocusRect(FocusFrame(layout.Text));
  }
}
