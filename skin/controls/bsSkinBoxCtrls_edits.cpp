#include "skin/controls/bsSkinBoxCtrls_edits.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsCustomEdit ----------------------------------------------------------------------------------------

TbsCustomEdit::TbsCustomEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csOpaque });
}

TbsCustomEdit::~TbsCustomEdit() = default;

void TbsCustomEdit::SetEditTransparent(bool Value) {
  FEditTransparent = Value;
  RecreateWnd();
}

void TbsCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
  if (FEditTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TbsCustomEdit::Invalidate() {
  if (!FEditTransparent) {
    TCustomMaskEdit::Invalidate();
    return;
  }
  if (!Parent() || !HandleAllocated()) return;
  // The owner repaints its face under the text first, then the text is drawn over it.
  const TRect c = ClientRect();
  const TPoint tl = Parent()->ScreenToClient(ClientToScreen(TPoint(c.Left, c.Top)));
  const TPoint br = Parent()->ScreenToClient(ClientToScreen(TPoint(c.Right, c.Bottom)));
  const RECT r { tl.X, tl.Y, br.X, br.Y };
  if (Parent()->HandleAllocated()) InvalidateRect(Parent()->Handle(), &r, TRUE);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TbsCustomEdit::Change() {
  auto life = LifeToken();
  TCustomMaskEdit::Change();
  if (!life.expired() && FEditTransparent) Invalidate();
}

void TbsCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (FReadOnly) return;
      break;
    case WM_KEYDOWN:
      if (FReadOnly && Message.WParam == VK_DELETE) return;
      break;
    case CN_CTLCOLOREDIT:
      if (FEditTransparent) {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())) & 0xFFFFFF);
        Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (FEditTransparent) {
        Invalidate();
        Message.Result = 1;
        return;
      }
      break;
    case WM_SETFONT:
      TCustomMaskEdit::Dispatch(Message);
      if (HandleAllocated()) SendMessageA(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(2, 0));
      return;
    case CM_CANCELMODE: {
      auto life = LifeToken();
      TCustomMaskEdit::Dispatch(Message);
      if (!life.expired() && OnEditCancelMode) OnEditCancelMode(reinterpret_cast<TControl*>(Message.LParam));
      return;
    }
    default:
      break;
  }
  auto life = LifeToken();
  TCustomMaskEdit::Dispatch(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      FLBDown = true;
      break;
    case WM_LBUTTONUP:
      FLBDown = false;
      return;
    case WM_MOUSEMOVE:
      if (!FLBDown) return;
      break;
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case WM_MOVE:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      break;
    default:
      return;
  }
  if (FEditTransparent) Invalidate();
}

// ---- TbsSkinNumEdit ---------------------------------------------------------------------------------------

TbsSkinNumEdit::TbsSkinNumEdit(TComponent* AOwner) : TbsCustomEdit(AOwner) {}

TbsSkinNumEdit::~TbsSkinNumEdit() = default;

bool TbsSkinNumEdit::IsValidChar(char Key) const {
  const unsigned char k = static_cast<unsigned char>(Key);
  bool valid =
      Key == '-' || (Key >= '0' && Key <= '9') || (FloatMode && Key == DecimalSeparator) || (k < 32 && Key != '\r');
  if (valid && !EditorEnabled && (k >= 32 || Key == '\b')) valid = false;
  return valid;
}

void TbsSkinNumEdit::KeyDown(WORD& Key, TShiftState Shift) {
  // The arrows only ask the owner for a step; the edit's own key events do not see them.
  if (Key == VK_UP) {
    if (OnUpClick) OnUpClick(this);
    return;
  }
  if (Key == VK_DOWN) {
    if (OnDownClick) OnDownClick(this);
    return;
  }
  TbsCustomEdit::KeyDown(Key, Shift);
}

void TbsSkinNumEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TbsCustomEdit::KeyPress(Key);
}

void TbsSkinNumEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    // One step per message, whatever the delta; a turn away from the user asks for a step down.
    TNotifyEvent& step = static_cast<int32_t>(Message.WParam) > 0 ? OnDownClick : OnUpClick;
    if (step) step(this);
    return;
  }
  TbsCustomEdit::Dispatch(Message);
}

// ---- TbsSkinSpinEdit --------------------------------------------------------------------------------------

TbsSkinSpinEdit::TbsSkinSpinEdit(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle(TControlStyle { csAcceptsControls, csCaptureMouse, csOpaque, csDoubleClicks });
  FEdit = new TbsSkinNumEdit(this);
  FEdit->Font()->Assign(FDefaultFont.get());
  FEdit->SetParent(this);
  FEdit->SetAutoSize(false);
  FEdit->SetVisible(true);
  FEdit->OnChange = TNotifyEvent(this, &TbsSkinSpinEdit::EditChange);
  FEdit->OnUpClick = TNotifyEvent(this, &TbsSkinSpinEdit::UpClick);
  FEdit->OnDownClick = TNotifyEvent(this, &TbsSkinSpinEdit::DownClick);
  FEdit->OnKeyUp = TKeyEvent(this, &TbsSkinSpinEdit::EditKeyUp);
  FEdit->OnKeyDown = TKeyEvent(this, &TbsSkinSpinEdit::EditKeyDown);
  FEdit->OnKeyPress = TKeyPressEvent(this, &TbsSkinSpinEdit::EditKeyPress);
  FEdit->OnEnter = TNotifyEvent(this, &TbsSkinSpinEdit::EditEnter);
  FEdit->OnExit = TNotifyEvent(this, &TbsSkinSpinEdit::EditExit);
  {
    xj::TemporaryChange guard(FStopCheck, true);
    SetText("0");
  }
  SetBounds(Left(), Top(), 120, 20);
  FSkinDataName = "spinedit";
  FArrows.CanStep = [] { return true; };
  FArrows.Step = [this](int Index) { Index == 0 ? UpClick(this) : DownClick(this); };
  CalcRects();
}

TbsSkinSpinEdit::~TbsSkinSpinEdit() {
  delete FEdit;
  FEdit = nullptr;
}

// ---- Value and text ---------------------------------------------------------------------------------------

double TbsSkinSpinEdit::CheckValue(double Value) const {
  if (FMaxValue == FMinValue) return Value;
  if (Value < FMinValue) return FMinValue;
  if (Value > FMaxValue) return FMaxValue;
  return Value;
}

double TbsSkinSpinEdit::Stored(double V) const {
  V = CheckValue(V);
  // What integer mode shows is what it holds: the nearest integer it can type back.
  if (FValueType == vtInteger) V = std::clamp(std::nearbyint(V), double { INT_MIN }, double { INT_MAX });
  return V;
}

AnsiString TbsSkinSpinEdit::ValueText(double V) const {
  if (FValueType == vtFloat) return FloatToStrF(V, ffFixed, 15, FDecimal);
  return IntToStr(static_cast<int64_t>(Round(V)));
}

void TbsSkinSpinEdit::SimpleSetValue(double AValue) {
  if (std::isnan(AValue) || (FValueType == vtFloat && std::isinf(AValue))) return;
  FValue = Stored(AValue);
  xj::TemporaryChange guard(FStopCheck, true);
  SetText(ValueText(FValue));
}

void TbsSkinSpinEdit::SetValue(double AValue) {
  auto life = LifeToken();
  SimpleSetValue(AValue);
  if (!life.expired()) Change();
}

void TbsSkinSpinEdit::SetValueType(TbsValueType Value) {
  if (Value == FValueType) return;
  FValueType = Value;
  if (FValueType == vtInteger) {
    FIncrement = std::nearbyint(FIncrement);
    if (FIncrement == 0) FIncrement = 1.0;
  }
  FEdit->FloatMode = FValueType == vtFloat;
}

void TbsSkinSpinEdit::SetDecimal(int Value) { FDecimal = std::clamp(Value, 0, 18); }

bool TbsSkinSpinEdit::IsNumText(const AnsiString& T) const {
  if (T.empty() || T == "-") return false;
  const bool floating = FValueType == vtFloat;
  for (size_t i = 0; i < T.size(); ++i) {
    const char c = T[i];
    if (c >= '0' && c <= '9') continue;
    if (c == '-' && i == 0) continue;
    if (floating && c == DecimalSeparator && i > 0 && T.find(c) == i) continue;
    return false;
  }
  return true;
}

void TbsSkinSpinEdit::EditChange(TObject*) {
  xj::TemporaryChange guard(FFromEdit, true);
  SetText(FEdit->Text());
}

void TbsSkinSpinEdit::TextChanged() {
  if (!FFromEdit) FEdit->SetText(Text());
  if (FStopCheck) return;
  const AnsiString t = FEdit->Text();
  if (!IsNumText(t)) return;
  // A number the control cannot hold ("-.", beyond 32 bits in integer mode) counts as none.
  double n = 0;
  if (FValueType == vtFloat) {
    if (!TryStrToFloat(t, n) || !std::isfinite(n)) return;
  } else {
    int i = 0;
    if (!TryStrToInt(t, i)) return;
    n = i;
  }
  const double typed = n;
  n = CheckValue(n);
  auto life = LifeToken();
  if (n != FValue) {
    FValue = n;
    Change();
    if (life.expired()) return;
  }
  // A clamped number is rewritten; one in range stays as typed.
  if (typed != n) FEdit->SetText(ValueText(FValue));
}

// ---- Events of the inner edit -------------------------------------------------------------------------------

void TbsSkinSpinEdit::EditKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (OnEditKeyDown) OnEditKeyDown(this, Key, Shift);
}

void TbsSkinSpinEdit::EditKeyUp(TObject*, WORD& Key, TShiftState Shift) {
  if (OnEditKeyUp) OnEditKeyUp(this, Key, Shift);
}

void TbsSkinSpinEdit::EditKeyPress(TObject*, char& Key) {
  if (OnEditKeyPress) OnEditKeyPress(this, Key);
}

void TbsSkinSpinEdit::EditEnter(TObject*) {
  if (OnEditEnter) OnEditEnter(this);
}

void TbsSkinSpinEdit::EditExit(TObject*) {
  if (OnEditExit) OnEditExit(this);
}

void TbsSkinSpinEdit::Change() {
  if (OnChange) OnChange(this);
}

// ---- Skin, layout and looks ---------------------------------------------------------------------------------

void TbsSkinSpinEdit::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinSpinEditControl>();
  if (!r || !Picture) {
    Unskin();
    return;
  }
  auto orElse = [](const TRect& a, const TRect& b) { return IsNullRect(a) ? b : a; };
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  UpButtonRect = r->UpButtonRect;
  ActiveUpButtonRect = r->ActiveUpButtonRect;
  DownUpButtonRect = orElse(r->DownUpButtonRect, ActiveUpButtonRect);
  DownButtonRect = r->DownButtonRect;
  ActiveDownButtonRect = r->ActiveDownButtonRect;
  DownDownButtonRect = orElse(r->DownDownButtonRect, ActiveDownButtonRect);
}

void TbsSkinSpinEdit::CalcRects() {
  const int w = Width(), h = Height();
  TbsArrowPair::TButtonState* b = FArrows.Buttons;
  if (!CanPaintSkin()) {
    b[0].R = TRect(w - 17, 2, w - 2, h / 2);
    b[1].R = TRect(w - 17, h / 2, w - 2, h - 2);
    if (FEdit) FEdit->SetBounds(2, 2, w - 19, h - 4);
    return;
  }
  // What lies right of the stretched middle moves with the right edge.
  const int dw = w - RectWidth(SkinRect);
  auto follow = [&](const TRect& r) { return r.Left > RTPoint.X ? bsShifted(r, dw, 0) : r; };
  b[0].R = follow(UpButtonRect);
  b[1].R = follow(DownButtonRect);
  if (FEdit) FEdit->SetBounds(ClRect.Left, ClRect.Top, RectWidth(ClRect) + dw, RectHeight(ClRect));
}

void TbsSkinSpinEdit::ApplyEditFont() {
  TFont* f = FEdit->Font();
  if (!CanPaintSkin()) {
    f->Assign(FDefaultFont.get());
  } else if (FUseSkinFont) {
    f->SetStyle(FontStyle);
    f->SetColor(FontColor);
    f->SetHeight(FontHeight);
    f->SetName(FontName);
    f->SetCharset(FDefaultFont->Charset());
  } else {
    f->Assign(FDefaultFont.get());
    f->SetColor(FontColor);
  }
}

void TbsSkinSpinEdit::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  ApplyEditFont();
  const bool skinned = CanPaintSkin();
  // The skin face shows through the text; the default look has the edit paint its own background.
  if (FEdit->EditTransparent() != skinned) FEdit->SetEditTransparent(skinned);
  if (skinned) SetHeight(RectHeight(SkinRect));
  CalcRects();
  Repaint();
}

void TbsSkinSpinEdit::DefaultFontChange() {
  if (!CanPaintSkin() && FEdit) FEdit->Font()->Assign(FDefaultFont.get());
}

void TbsSkinSpinEdit::Invalidate() {
  TbsSkinCustomControl::Invalidate();
  if (CanPaintSkin() && FEdit) FEdit->Invalidate();
}

void TbsSkinSpinEdit::CreateControlDefaultImage(TBitmap* B) {
  TRect r(0, 0, B->Width(), B->Height());
  Frame3D(B->Canvas(), r, clBtnShadow, clBtnShadow, 1);
  Frame3D(B->Canvas(), r, clBtnFace, clBtnFace, 1);
  CalcRects();
  bsDrawDefaultArrowButton(B->Canvas(), FArrows.Buttons[0], 3, false);
  bsDrawDefaultArrowButton(B->Canvas(), FArrows.Buttons[1], 4, false);
}

void TbsSkinSpinEdit::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  CalcRects();
  bsDrawSkinArrowButton(B->Canvas(), Picture, FArrows.Buttons[0], ActiveUpButtonRect, DownUpButtonRect);
  bsDrawSkinArrowButton(B->Canvas(), Picture, FArrows.Buttons[1], ActiveDownButtonRect, DownDownButtonRect);
}

// ---- Mouse ------------------------------------------------------------------------------------------------

void TbsSkinSpinEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  FArrows.MouseDown(Button, X, Y);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinSpinEdit::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (!life.expired()) FArrows.TestActive(X, Y);
}

void TbsSkinSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  FArrows.MouseUp(Button);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinSpinEdit::Dispatch(TMessage& Message) {
  FArrows.Watch(Message);
  auto life = LifeToken();
  switch (Message.Msg) {
    case WM_SIZE:
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired()) CalcRects();
      return;
    case CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired()) FArrows.TestActive(-1, -1);
      return;
    case CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired()) FArrows.MouseLeave();
      return;
    case CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired() && FEdit) TextChanged();
      return;
    default:
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

XJ_PUBLISHED(TbsSkinSpinEdit,
  XJ_PROP(ValueType)
  XJ_PROP(Decimal, 2)
  XJ_PROP(Align, alNone)
  XJ_PROP(MinValue)
  XJ_PROP(MaxValue)
  XJ_PROP(Value)
  XJ_PROP(Increment)
  XJ_PROP(EditorEnabled)
  XJ_PROP(MaxLength)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnEditKeyDown)
  XJ_EVENT(OnEditKeyPress)
  XJ_EVENT(OnEditKeyUp)
  XJ_EVENT(OnEditEnter)
  XJ_EVENT(OnEditExit));

XJ_PUBLISHED(TbsCustomEdit,
  XJ_PROP(ReadOnly, false));
