// TCustomLabel and TLabel, and the drawing helpers the StdCtrls units share.

#include "platform/vcl/StdCtrls_private.h"

namespace xj::stdctrls {

void DrawCanvasText(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, UINT Flags, bool Enabled) {
  TFont* font = Canvas->Font();
  const int length = static_cast<int>(Text.size());
  RECT r = Rect;
  if (Enabled || (Flags & DT_CALCRECT)) {
    DrawTextA(Canvas->Handle(), Text.c_str(), length, &r, Flags);
    Rect = r;
    return;
  }
  const TColor colour = font->Color();
  RECT shifted { r.left + 1, r.top + 1, r.right + 1, r.bottom + 1 };
  font->SetColor(clBtnHighlight);
  DrawTextA(Canvas->Handle(), Text.c_str(), length, &shifted, Flags);
  font->SetColor(clBtnShadow);
  DrawTextA(Canvas->Handle(), Text.c_str(), length, &r, Flags);
  font->SetColor(colour);
}

int FontHeight(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICA tm {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

void DrawPixels(TCanvas* Canvas, int X, int Y, std::initializer_list<const char*> Rows,
                std::initializer_list<TPixelColour> Colours) {
  HDC dc = Canvas->Handle();
  int y = Y;
  for (const char* row : Rows) {
    for (int x = 0; row[x]; ++x)
      for (const TPixelColour& c : Colours)
        if (c.Key == row[x]) {
          SetPixelV(dc, X + x, y, static_cast<COLORREF>(ColorToRGB(c.Colour)) & 0xFFFFFF);
          break;
        }
    ++y;
  }
}

}  // namespace xj::stdctrls

using xj::stdctrls::DrawCanvasText;

// ---- TCustomLabel ---------------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csOpaque << csReplicatable;
  SetBounds(0, 0, 65, 17);
  // Sized to its text from the first caption on.
  TGraphicControl::SetAutoSize(true);
}

TCustomLabel::~TCustomLabel() = default;

UINT TCustomLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  return flags;
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  AnsiString text = GetLabelText();
  // An empty label still measures one line high (and a lone '&' would measure nothing).
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  Canvas()->SetFont(Font());
  DrawCanvasText(Canvas(), text, Rect, Flags, Enabled());
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
  }
  canvas->Brush()->SetStyle(bsClear);
  TRect rect = ClientRect();
  const UINT flags = TextFlags();
  if (FLayout != tlTop) {
    TRect measured = rect;
    DoDrawText(measured, flags | DT_CALCRECT);
    const int room = Height() - measured.Bottom;
    const int shift = FLayout == tlBottom ? room : room / 2;
    rect.Top += shift;
    rect.Bottom += shift;
  }
  DoDrawText(rect, flags);
}

// Measures on a screen DC: the label may have no parent window yet.
void TCustomLabel::AdjustBounds() {
  if (FComponentState.Contains(csReading) || FComponentState.Contains(csLoading) || !AutoSize()) return;
  TRect rect = ClientRect();
  {
    HDC dc = GetDC(nullptr);
    xj::ScopeExit release([&] { ReleaseDC(nullptr, dc); });
    TCanvasDCScope lend(Canvas(), dc);
    DoDrawText(rect, TextFlags() | DT_CALCRECT);
  }
  int left = Left();
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(alignment);
  if (alignment == taRightJustify) left += Width() - rect.Right;
  SetBounds(left, Top(), rect.Right, rect.Bottom);
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TGraphicControl::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value)
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      break;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      break;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TWMKey&>(Message);
      if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(key.CharCode, Caption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      TGraphicControl::Dispatch(Message);
      break;
    }
    default:
      TGraphicControl::Dispatch(Message);
  }
}

// ---- TLabel ----------------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
TLabel::~TLabel() = default;
