// TCustomGroupBox and TGroupBox: an etched frame with its caption, hosting child controls.

#include "platform/vcl/StdCtrls_private.h"

using xj::stdctrls::DrawCanvasText;
using xj::stdctrls::FontHeight;

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle =
      TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable };
  SetBounds(0, 0, 185, 105);
}

TCustomGroupBox::~TCustomGroupBox() { TearDownWindow(); }

// Children sit below the caption line and inside the frame (two pixels of it when etched).
void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Rect.Top += FontHeight(Font());
  const int frame = Ctl3D() ? 2 : 1;
  Rect.Left += frame;
  Rect.Top += frame;
  Rect.Right -= frame;
  Rect.Bottom -= frame;
}

// The frame's top edge runs through the middle of the caption line; the caption, eight pixels from the
// left, is drawn on the group's colour so the line stops at the text.
void TCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  const int h = FontHeight(Font());
  TRect r(0, h / 2 - 1, Width(), Height());
  canvas->Brush()->SetStyle(bsSolid);
  if (Ctl3D()) {
    TRect light(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->FrameRect(light);
    r.Right -= 1;
    r.Bottom -= 1;
    canvas->Brush()->SetColor(clBtnShadow);
  } else {
    canvas->Brush()->SetColor(clWindowFrame);
  }
  canvas->FrameRect(r);
  const AnsiString text = Caption();
  if (text.empty()) return;
  const UINT flags = DrawTextBiDiModeFlags(DT_LEFT | DT_SINGLELINE);
  TRect caption(8, 0, 8, h);
  DrawCanvasText(canvas, text, caption, flags | DT_CALCRECT, true);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(caption);
  canvas->Brush()->SetStyle(bsClear);
  DrawCanvasText(canvas, text, caption, flags, Enabled());
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(reinterpret_cast<TWMKey&>(Message).CharCode, Caption()) && CanFocus()) {
        SelectFirst();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      break;
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      Realign();
      return;
  }
  TCustomControl::Dispatch(Message);
}

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
TGroupBox::~TGroupBox() = default;
