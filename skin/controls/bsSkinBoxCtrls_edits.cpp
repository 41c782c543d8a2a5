#include "skin/controls/bsSkinBoxCtrls_edits.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
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
  if (!life.expired() && FEditTransparent) InvalidateText();
}

void TbsCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (!FReadOnly) DispatchAndRepaintText(Message);
      return;
    case WM_KEYDOWN:
      if (!FReadOnly || Message.WParam != VK_DELETE) DispatchAndRepaintText(Message);
      return;
    case CN_CTLCOLOREDIT:
      return FEditTransparent ? ColourTransparentText(Message) : DispatchAndRepaintText(Message);
    case WM_ERASEBKGND:
      return FEditTransparent ? EraseTransparent(Message) : DispatchAndRepaintText(Message);
    case WM_SETFONT:
      return SetFontKeepMargins(Message);
    case CM_CANCELMODE:
      return CancelModeNotify(Message);
    default:
      return DispatchAndRepaintText(Message);
  }
}

// The text draws over the owner's face: no background of its own.
void TbsCustomEdit::ColourTransparentText(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())) & 0xFFFFFF);
  Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void TbsCustomEdit::EraseTransparent(TMessage& Message) {
  Invalidate();
  Message.Result = 1;
}

void TbsCustomEdit::SetFontKeepMargins(TMessage& Message) {
  TCustomMaskEdit::Dispatch(Message);
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(2, 0));
}

void TbsCustomEdit::CancelModeNotify(TMessage& Message) {
  auto life = LifeToken();
  TCustomMaskEdit::Dispatch(Message);
  if (!life.expired() && OnEditCancelMode) OnEditCancelMode(reinterpret_cast<TControl*>(Message.LParam));
}

// The inherited handling, then in transparent mode a repaint of what the message may have changed.
void TbsCustomEdit::DispatchAndRepaintText(TMessage& Message) {
  auto life = LifeToken();
  TCustomMaskEdit::Dispatch(Message);
  if (life.expired()) return;
  if (TextMayHaveChanged(Message.Msg) && FEditTransparent) InvalidateText();
}

// Also follows the left button: a selection dragged with it changes what is drawn as the pointer moves.
bool TbsCustomEdit::TextMayHaveChanged(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN:
      FLBDown = true;
      return true;
    case WM_LBUTTONUP:
      FLBDown = false;
      return false;
    case WM_MOUSEMOVE:
      return FLBDown;
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case WM_MOVE:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return true;
    default:
      return false;
  }
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
  // The edit it owns goes while the spin edit is whole: its hooks call back into it.
  DestroyComponents();
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
  TControlChange guard(this, FFromEdit, true);
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

// ---- TbsSkinCustomEdit ------------------------------------------------------------------------------------

TbsSkinCustomEdit::TbsSkinCustomEdit(TComponent* AOwner) : TbsCustomEdit(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csOpaque });
  SetAutoSize(false);
  Font()->SetName("宋体");
  Font()->SetColor(clWindowText);
  Font()->SetStyle({});
  Font()->SetHeight(12);
  SetHeight(20);
  SetBorderStyle(bsNone);
  SetEditTransparent(true);
  FDefaultFont = std::make_unique<TFont>();
  FDefaultFont->Assign(Font());
  FDefaultFont->OnChange = TNotifyEvent(this, &TbsSkinCustomEdit::OnDefaultFontChange);
}

TbsSkinCustomEdit::~TbsSkinCustomEdit() = default;

void TbsSkinCustomEdit::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (Value && !Value->Empty && !ComponentState().Contains(csDesigning)) ChangeSkinData();
}

void TbsSkinCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TbsCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
    Picture = nullptr;
    FFaceValid = false;
  }
}

void TbsSkinCustomEdit::GetSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
  Picture = nullptr;
  if (FSkinObjectIndex == -1) return;
  auto* r = dynamic_cast<TbsDataSkinEditControl*>(
      static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex)));
  TList* pictures = FSkinData->ActivePictures.get();
  if (r && r->PictureIndex >= 0 && r->PictureIndex < pictures->Count())
    Picture = static_cast<TBitmap*>(pictures->Items(r->PictureIndex));
  if (!Picture) {
    // Another class or no picture: nothing to draw from, so the default look.
    FSkinObjectIndex = -1;
    return;
  }
  auto orElse = [](const TRect& a, const TRect& b) { return IsNullRect(a) ? b : a; };
  SkinRect = r->SkinRect;
  ActiveSkinRect = orElse(r->ActiveSkinRect, SkinRect);
  LeftOffset = r->LTPoint.X;
  RightOffset = RectWidth(SkinRect) - r->RTPoint.X;
  ClRect = r->ClRect;
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  DisabledFontColor = r->DisabledFontColor;
  ActiveFontColor = r->ActiveFontColor;
  SkinButtonRect = r->ButtonRect;
  ActiveButtonRect = r->ActiveButtonRect;
  DownButtonRect = orElse(r->DownButtonRect, ActiveButtonRect);
}

void TbsSkinCustomEdit::ChangeSkinData() {
  GetSkinData();
  const bool focused = Focused();
  RecreateWndWith([&] {
    if (Skinned()) {
      if (FUseSkinFont) {
        Font()->SetName(FontName);
        Font()->SetStyle(FontStyle);
      } else {
        Font()->Assign(FDefaultFont.get());
      }
      SetHeight(RectHeight(SkinRect));
      if (FUseSkinFont) Font()->SetHeight(FontHeight);
      Font()->SetColor(focused ? ActiveFontColor : FontColor);
      if (FUseSkinFont) Font()->SetCharset(FDefaultFont->Charset());
    } else {
      Font()->Assign(FDefaultFont.get());
      if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
      if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
    }
  });
}

void TbsSkinCustomEdit::SetButtonMode(bool Value) {
  FButtonMode = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = Value ? "buttonedit" : "edit";
  RecreateWnd();
}

void TbsSkinCustomEdit::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TbsSkinCustomEdit::SetEditPasswordChar(char Value) {
  SetPasswordChar(Value);
  RecreateWnd();
}

void TbsSkinCustomEdit::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (!Skinned()) Font()->Assign(Value);
}

void TbsSkinCustomEdit::OnDefaultFontChange(TObject*) {
  if (!Skinned()) Font()->Assign(FDefaultFont.get());
}

void TbsSkinCustomEdit::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (!Skinned() && Value > 0) SetWidth(Value);
}

void TbsSkinCustomEdit::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (!Skinned() && Value > 0) SetHeight(Value);
}

void TbsSkinCustomEdit::CreateParams(TCreateParams& Params) {
  TbsCustomEdit::CreateParams(Params);
  Params.ExStyle &= ~WS_EX_TRANSPARENT;
  Params.Style &= ~(WS_BORDER | ES_MULTILINE);
  Params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
  if (PasswordChar() != 0) Params.Style |= ES_PASSWORD;
}

void TbsSkinCustomEdit::Invalidate() {
  FFaceValid = false;
  if (Parent() && HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

// A keystroke repaints the text area, not the whole face.
void TbsSkinCustomEdit::InvalidateText() {
  if (Parent() && HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

// Without a face painted since the last change (or with one a descendant's frame painting never
// made), the whole control is repainted instead, its frame first.
void TbsSkinCustomEdit::EraseUnderText(HDC DC) {
  if (!FFaceValid || FFace->Width() != Width() || FFace->Height() != Height()) {
    Invalidate();
    return;
  }
  RECT wr {};
  GetWindowRect(Handle(), &wr);
  const TPoint origin = ClientToScreen(TPoint(0, 0));
  BitBlt(DC, 0, 0, ClientWidth(), ClientHeight(), FFace->Canvas()->Handle(), origin.X - wr.left, origin.Y - wr.top,
         SRCCOPY);
}

void TbsSkinCustomEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  // A skinned edit is always as high as its face.
  if ((AWidth != Width() || AHeight != Height()) && Skinned()) AHeight = RectHeight(SkinRect);
  const auto life = LifeToken();
  TbsCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!life.expired()) Invalidate();
}

void TbsSkinCustomEdit::CalcRects() {
  const int w = Width(), h = Height();
  if (!Skinned()) {
    if (FButtonMode) {
      FEditRect = TRect(2, 2, w - 22, h - 2);
      FButtonRect = TRect(w - 20, 0, w, h);
    } else {
      FEditRect = TRect(2, 2, w - 2, h - 2);
    }
    return;
  }
  const int dw = w - RectWidth(SkinRect);
  FEditRect = ClRect;
  FEditRect.Right += dw;
  // A button in the fixed right part of the face moves with the right edge.
  FButtonRect =
      RectWidth(SkinRect) - RightOffset <= SkinButtonRect.Left ? bsShifted(SkinButtonRect, dw, 0) : SkinButtonRect;
}

void TbsSkinCustomEdit::TextFont(TFont* F, TColor SkinColour, TColor DefaultColour) {
  if (!Skinned() || !FUseSkinFont) {
    F->Assign(FDefaultFont.get());
    if (DefaultColour != clNone) F->SetColor(DefaultColour);
    return;
  }
  F->SetName(FontName);
  F->SetHeight(FontHeight);
  F->SetColor(SkinColour);
  F->SetStyle(FontStyle);
  F->SetCharset(FDefaultFont->Charset());
}

void TbsSkinCustomEdit::DrawSkinEdit(TCanvas* Canvas, bool DrawText) {
  TBitmap b;
  PaintFace(&b);
  if (DrawText) {
    TCanvas* c = b.Canvas();
    c->Brush()->SetStyle(bsClear);
    TextFont(c->Font(), FontColor, clNone);
    const AnsiString t = Text();
    const int tw = c->TextWidth(t);
    int x = FEditRect.Left + 1;
    if (FAlignment == taRightJustify)
      x = FEditRect.Right - 1 - tw;
    else if (FAlignment == taCenter)
      x = FEditRect.Left + 1 + RectWidth(FEditRect) / 2 - tw / 2;
    c->TextRect(FEditRect, x, FEditRect.Top - 1, t);
  }
  Canvas->Draw(0, 0, &b);
}

void TbsSkinCustomEdit::PaintFace(TBitmap* B) {
  GetSkinData();
  CalcRects();
  const int w = Width(), h = Height();
  const int bw = FButtonMode ? w - FButtonRect.Left : 0;
  TBitmap& b = *B;
  b.SetSize(w, h);
  TCanvas* c = b.Canvas();
  const bool hot = Hot();
  if (!Skinned()) {
    c->Brush()->SetColor(clWindow);
    c->FillRect(TRect(0, 0, w, h));
    TRect r(0, 0, w - bw, h);
    const TColor outer = hot ? clBtnShadow : clBtnFace, inner = hot ? clBtnFace : clBtnShadow;
    Frame3D(c, r, outer, outer, 1);
    Frame3D(c, r, inner, inner, 1);
    if (FButtonMode) {
      TbsArrowPair::TButtonState state { FButtonRect, FButtonActive, FButtonDown };
      // The same button look as the arrows', without a glyph.
      bsDrawDefaultArrowButton(c, state, 0, true);
    }
  } else {
    CreateHSkinImage(LeftOffset, RightOffset, &b, Picture, hot ? ActiveSkinRect : SkinRect, w,
                     RectHeight(hot ? ActiveSkinRect : SkinRect));
    c = b.Canvas();
    if (FButtonMode) {
      TbsArrowPair::TButtonState state { FButtonRect, FButtonActive, FButtonDown };
      bsDrawSkinArrowButton(c, Picture, state, ActiveButtonRect, DownButtonRect);
    }
  }
}

void TbsSkinCustomEdit::PaintDisabledText(TMessage& Message) {
  AnsiString t = Text();
  if (PasswordChar() != 0) t = AnsiString(t.size(), PasswordChar());
  GetSkinData();
  CalcRects();
  PAINTSTRUCT ps {};
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  const bool own = !dc;
  if (own) dc = BeginPaint(Handle(), &ps);
  {
    TCanvas c;
    c.SetHandle(dc);
    c.Brush()->SetStyle(bsClear);
    TextFont(c.Font(), DisabledFontColor, clGrayText);
    // The text area is in window coordinates; this DC is the client area's.
    RECT wr {};
    GetWindowRect(Handle(), &wr);
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    const TRect r = bsShifted(FEditRect, wr.left - origin.X, wr.top - origin.Y);
    // Where the enabled edit shows its text: after its 2-pixel margin, from the top of the client area.
    const int tw = c.TextWidth(t);
    int x = r.Left + 2;
    if (FAlignment == taRightJustify)
      x = r.Right - 1 - tw;
    else if (FAlignment == taCenter)
      x = r.Left + 2 + (RectWidth(r) - 2) / 2 - tw / 2;
    c.TextRect(r, x, r.Top, t);
    c.SetHandle(nullptr);
  }
  if (own) EndPaint(Handle(), &ps);
}

void TbsSkinCustomEdit::TrackPointerAgain() {
  POINT p {};
  GetCursorPos(&p);
  const bool client = SendMessageA(Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCLIENT;
  TRACKMOUSEEVENT t { sizeof(TRACKMOUSEEVENT), TME_LEAVE | (client ? 0u : TME_NONCLIENT), Handle(), 0 };
  TrackMouseEvent(&t);  // when the pointer has already gone, the leave comes at once
}

bool TbsSkinCustomEdit::PointerOnWindow() {
  POINT p {};
  RECT r {};
  return HandleAllocated() && GetCursorPos(&p) && GetWindowRect(Handle(), &r) && PtInRect(&r, p);
}

void TbsSkinCustomEdit::SetMouseIn(bool Value) {
  if (FMouseIn == Value) return;
  auto life = LifeToken();
  FMouseIn = Value;
  GetSkinData();
  if (!Focused()) {
    if (Skinned()) Font()->SetColor(Value ? ActiveFontColor : FontColor);
    Invalidate();
  }
  if (!Value && (FButtonDown || FButtonActive)) {
    FButtonDown = FButtonActive = false;
    Invalidate();
  }
  TNotifyEvent& event = Value ? OnMouseEnter : OnMouseLeave;
  if (event) event(this);
}

int TbsSkinCustomEdit::HitTest(LPARAM ScreenPoint) {
  // Window coordinates, as the rectangles are.
  RECT wr {};
  GetWindowRect(Handle(), &wr);
  const int x = GET_X_LPARAM(ScreenPoint) - wr.left, y = GET_Y_LPARAM(ScreenPoint) - wr.top;
  CalcRects();
  auto in = [&](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; };
  if (in(FButtonRect)) return HTHSCROLL;
  if (in(FEditRect)) return HTCLIENT;
  return HTVSCROLL;
}

void TbsSkinCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      return Enabled() ? TbsCustomEdit::Dispatch(Message) : PaintDisabledText(Message);
    case WM_NCCALCSIZE:
      return FitClientInFrame(Message);
    case WM_NCPAINT:
      return PaintFrameWindow(Message);
    case WM_ERASEBKGND:
      return EraseBehindText(Message);
    case WM_NCHITTEST:
      return HitTestButton(Message);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      return PressButton(Message);
    case WM_NCLBUTTONUP:
      return ReleaseButton(Message);
    case WM_NCMOUSEMOVE:
      return PointerOverFrame(Message);
    case WM_MOUSEMOVE:
      return PointerOverText(Message);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return FocusMoved(Message);
    case CM_MOUSEENTER:
      return PointerEntered(Message);
    case CM_MOUSELEAVE:
      return PointerLeft(Message);
    case WM_MOUSELEAVE:  // out of the text area: onto the frame, or away (a drag released on the frame)
    case WM_NCMOUSELEAVE:
      return PointerLeftPart(Message);
    case CM_ENABLEDCHANGED:
      return DispatchAndInvalidate(Message);
    case CM_SHOWINGCHANGED:  // a window made again (new face, alignment, button) is shown here
      return ShownAgain(Message);
    default:
      return TbsCustomEdit::Dispatch(Message);
  }
}

bool TbsSkinCustomEdit::ButtonWorks() const { return FButtonMode && !ComponentState().Contains(csDesigning); }

void TbsSkinCustomEdit::DeactivateButton() {
  if (!FButtonActive) return;
  FButtonActive = false;
  Invalidate();
}

void TbsSkinCustomEdit::FitClientInFrame(TMessage& Message) {
  GetSkinData();
  auto* r = reinterpret_cast<RECT*>(Message.LParam);
  if (!Skinned()) {
    r->left += 2;
    r->top += 2;
    r->right -= FButtonMode ? 22 : 2;
    r->bottom -= 2;
  } else {
    r->left += ClRect.Left;
    r->top += ClRect.Top;
    r->right -= RectWidth(SkinRect) - ClRect.Right;
    r->bottom -= RectHeight(SkinRect) - ClRect.Bottom;
  }
  Message.Result = 0;
}

void TbsSkinCustomEdit::PaintFrameWindow(TMessage& Message) {
  if (!FFace) FFace = std::make_unique<TBitmap>();
  PaintFace(FFace.get());
  FFaceValid = true;
  HDC dc = GetWindowDC(Handle());
  BitBlt(dc, 0, 0, FFace->Width(), FFace->Height(), FFace->Canvas()->Handle(), 0, 0, SRCCOPY);
  ReleaseDC(Handle(), dc);
  Message.Result = 0;
}

void TbsSkinCustomEdit::EraseBehindText(TMessage& Message) {
  EraseUnderText(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

void TbsSkinCustomEdit::HitTestButton(TMessage& Message) {
  if (ButtonWorks()) {
    if (const int hit = HitTest(Message.LParam); hit != HTCLIENT) {
      Message.Result = hit;
      return;
    }
  }
  TbsCustomEdit::Dispatch(Message);
}

void TbsSkinCustomEdit::PressButton(TMessage& Message) {
  if (!ButtonWorks() || Message.WParam != HTHSCROLL) return TbsCustomEdit::Dispatch(Message);
  FButtonDown = true;
  FButtonActive = true;
  Invalidate();
}

void TbsSkinCustomEdit::ReleaseButton(TMessage& Message) {
  if (!ButtonWorks() || Message.WParam != HTHSCROLL) return TbsCustomEdit::Dispatch(Message);
  auto life = LifeToken();
  // Only a press that began on the button clicks.
  const bool pressed = FButtonDown;
  FButtonDown = false;
  Invalidate();
  if (!pressed) return;
  if (!Focused()) SetFocus();
  if (life.expired()) return;
  if (OnButtonClick) OnButtonClick(this);
}

void TbsSkinCustomEdit::PointerOverFrame(TMessage& Message) {
  auto life = LifeToken();
  const bool button = ButtonWorks();
  // The frame is part of the control: the pointer on it is in.
  if (!FMouseIn) SetMouseIn(true);
  if (life.expired()) return;
  if (button && Message.WParam == HTHSCROLL) {
    if (!FButtonActive) {
      FButtonActive = true;
      Invalidate();
    }
    return;
  }
  DeactivateButton();
  TbsCustomEdit::Dispatch(Message);
}

void TbsSkinCustomEdit::PointerOverText(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (!life.expired() && FButtonMode) DeactivateButton();
}

void TbsSkinCustomEdit::FocusMoved(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (life.expired()) return;
  GetSkinData();
  if (!FMouseIn && Skinned()) Font()->SetColor(Message.Msg == WM_SETFOCUS ? ActiveFontColor : FontColor);
  Invalidate();
}

void TbsSkinCustomEdit::PointerEntered(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (!life.expired()) SetMouseIn(true);
}

void TbsSkinCustomEdit::PointerLeft(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  // Onto our own frame is not away from the control.
  if (!life.expired() && !PointerOnWindow()) SetMouseIn(false);
}

void TbsSkinCustomEdit::PointerLeftPart(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (life.expired()) return;
  DeactivateButton();
  if (!PointerOnWindow()) SetMouseIn(false);
}

void TbsSkinCustomEdit::DispatchAndInvalidate(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (!life.expired()) Invalidate();
}

void TbsSkinCustomEdit::ShownAgain(TMessage& Message) {
  auto life = LifeToken();
  TbsCustomEdit::Dispatch(Message);
  if (!life.expired() && FMouseIn && Showing()) TrackPointerAgain();
}

XJ_PUBLISHED(TbsSkinCustomEdit);

XJ_PUBLISHED(TbsSkinEdit,
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
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
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSelect, true)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(CharCase, ecNormal)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(OEMConvert, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Text)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnButtonClick)
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

XJ_PUBLISHED(TbsSkinMaskEdit,
  XJ_PROP(AutoSize, false)
  XJ_PROP(BorderStyle, bsNone)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(EditMask)
  XJ_PROP(PasswordChar, '\0'));

XJ_PUBLISHED(TbsCustomEdit,
  XJ_PROP(ReadOnly, false));

XJ_PUBLISHED(TbsSkinNumEdit);
