// The list frames' caption bar: title and glyph, the up, down and check buttons with their press,
// repeat and release, and the two faces the frame paints around its list.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinBoxCtrls_lists.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr int kFirstDelay = 500, kRepeat = 100, kReenter = 50;

}  // namespace

void TbsSkinCustomListBox::OnDefaultCaptionFontChange(TObject*) {
  if (!Skinned() && FCaptionMode) Repaint();
}

void TbsSkinCustomListBox::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  if (!Value) CancelPress();
  CalcRects();
  Repaint();
}

void TbsSkinCustomListBox::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (FCaptionMode) Repaint();
}

void TbsSkinCustomListBox::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinCustomListBox::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}

void TbsSkinCustomListBox::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TbsSkinCustomListBox::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (!Skinned() && FCaptionMode) {
    CalcRects();
    Repaint();
  }
}

// ---- Buttons ----------------------------------------------------------------------------------------

// While a button is held no other one lights up. A skin without any caption button has none to find.
void TbsSkinCustomListBox::TestActive(int X, int Y) {
  if (Skinned() && IsNullRect(UpButtonRect) && IsNullRect(DownButtonRect) && IsNullRect(CheckButtonRect)) return;
  OldActiveButton = ActiveButton;
  ActiveButton = -1;
  for (int i = 0; i < 3 && ActiveButton == -1; ++i) {
    const TRect& r = FButtons[i].R;
    if (!IsNullRect(r) && X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) ActiveButton = i;
  }
  if (CaptureButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
  if (ActiveButton == OldActiveButton) return;
  if (OldActiveButton != -1) ButtonLeave(OldActiveButton);
  if (ActiveButton != -1) ButtonEnter(ActiveButton);
}

void TbsSkinCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCaptionMode) {
    TestActive(X, Y);
    if (ActiveButton != -1) {
      CaptureButton = ActiveButton;
      ButtonDown(ActiveButton);
    }
  }
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (FCaptionMode) TestActive(X, Y);
}

void TbsSkinCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCaptionMode && CaptureButton != -1) {
    const int i = CaptureButton;
    CaptureButton = -1;
    auto life = LifeToken();  // the button's handler or the list's click may free the list
    ButtonUp(i);
    if (life.expired()) return;
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::ButtonDown(int I) {
  FButtons[I].MouseIn = true;
  FButtons[I].Down = true;
  Repaint();
  const TNotifyEvent& handler = I == 0 ? OnUpButtonClick : I == 1 ? OnDownButtonClick : OnCheckButtonClick;
  if (handler) return;
  TimerMode = I == 0 ? 1 : I == 1 ? 2 : 0;
  if (TimerMode != 0) {
    WaitMode = true;
    FRepeat.Start(kFirstDelay);
  }
}

void TbsSkinCustomListBox::ButtonEnter(int I) {
  FButtons[I].MouseIn = true;
  Repaint();
  if (TimerMode != 0 && FButtons[I].Down) FRepeat.Start(kReenter);
}

void TbsSkinCustomListBox::ButtonLeave(int I) {
  FButtons[I].MouseIn = false;
  Repaint();
  if (TimerMode != 0 && FButtons[I].Down) FRepeat.Stop();
}

void TbsSkinCustomListBox::StepItem(int Delta) {
  const int i = ItemIndex();
  if (Delta < 0 && i > 0) SetItemIndex(i - 1);
  if (Delta > 0 && i < Items()->Count() - 1) SetItemIndex(i + 1);
}

void TbsSkinCustomListBox::RepeatTick() {
  if (WaitMode) {
    WaitMode = false;
    FRepeat.Start(kRepeat);
    return;
  }
  StepItem(TimerMode == 1 ? -1 : 1);
}

// A press acts only when released over the button that was pressed: releasing elsewhere cancels it.
void TbsSkinCustomListBox::ButtonUp(int I) {
  TCaptionButton& b = FButtons[I];
  b.Down = false;
  if (ActiveButton != I) b.MouseIn = false;
  const bool over = b.MouseIn;
  TimerMode = 0;
  WaitMode = false;
  FRepeat.Stop();
  Repaint();
  if (!over) return;
  const TNotifyEvent& handler = I == 0 ? OnUpButtonClick : I == 1 ? OnDownButtonClick : OnCheckButtonClick;
  if (handler) {
    handler(this);
    return;
  }
  if (I == 2)
    CheckButtonAction();
  else
    StepItem(I == 0 ? -1 : 1);
}

void TbsSkinCustomListBox::CancelPress() {
  FRepeat.Stop();
  TimerMode = 0;
  WaitMode = false;
  if (CaptureButton == -1) return;
  FButtons[CaptureButton].Down = false;
  FButtons[CaptureButton].MouseIn = false;
  CaptureButton = -1;
  ActiveButton = -1;
  Repaint();
}

void TbsSkinCustomListBox::DrawButton(TCanvas* Cnvs, int I) {
  const TCaptionButton& b = FButtons[I];
  if (!Skinned()) {
    TRect r = b.R;
    bsDrawLookFace(Cnvs, r, bsLookState(b.MouseIn && b.Down, b.MouseIn), false);
    if (I == 2)
      DrawCheckImage(Cnvs, b.R.Left + 4, b.R.Top + 4, clBlack);
    else
      DrawArrowImage(Cnvs, b.R, clBlack, I == 0 ? 3 : 4);
    return;
  }
  if (IsNullRect(b.R) || !Picture) return;
  const TRect* normal[] = { &UpButtonRect, &DownButtonRect, &CheckButtonRect };
  const TRect* active[] = { &ActiveUpButtonRect, &ActiveDownButtonRect, &ActiveCheckButtonRect };
  const TRect* down[] = { &DownUpButtonRect, &DownDownButtonRect, &DownCheckButtonRect };
  // The hot and pressed pictures are rectangles of the picture; the normal one is a part of the face.
  TRect src = b.Down && b.MouseIn ? *down[I] : b.MouseIn ? *active[I] : TRect();
  if (IsNullRect(src)) src = bsShifted(*normal[I], SkinRect.Left, SkinRect.Top);
  Cnvs->CopyRect(b.R, Picture->Canvas(), src);
}

// ---- Faces ------------------------------------------------------------------------------------------

// The title and the glyph before it, aligned in T; Y is the text's top.
void TbsSkinCustomListBox::DrawTitle(TCanvas* C, const TRect& T, int Y) {
  const bool glyph = !FGlyph->Empty();
  const int cell = glyph ? FGlyph->Width() / FNumGlyphs : 0;
  const int w = C->TextWidth(Caption()) + (glyph ? cell + FSpacing : 0);
  const int x = FAlignment == taRightJustify ? T.Right - w - (Skinned() ? 2 : 0)
                : FAlignment == taCenter     ? T.Left + (Skinned() ? 2 : 0) + T.Width() / 2 - w / 2
                                             : T.Left + (Skinned() ? 2 : 0);
  C->Brush()->SetStyle(bsClear);
  C->TextRect(T, glyph ? x + cell + FSpacing : x, Y, Caption());
  if (glyph)
    DrawGlyph(C, x, T.Top + T.Height() / 2 - FGlyph->Height() / 2 - (Skinned() ? 0 : 1), FGlyph.get(), FNumGlyphs,
              !Enabled() && FNumGlyphs == 2 ? 2 : 1);
}

void TbsSkinCustomListBox::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* c = B->Canvas();
  const int bs = std::min(17, FDefaultCaptionHeight - 3);
  if (FCaptionMode) {
    FButtons[0].R = TRect(Width() - bs - 2, 2, Width() - 2, bs + 1);
    FButtons[1].R = TRect(FButtons[0].R.Left - bs, 2, FButtons[0].R.Left, bs + 1);
    FButtons[2].R = TRect(FButtons[1].R.Left - bs, 2, FButtons[1].R.Left, bs + 1);
  }
  TRect frame(0, 0, B->Width(), B->Height());
  Frame3D(c, frame, clBtnShadow, clBtnShadow, 1);
  if (!FCaptionMode) return;
  const TRect t(3, 2, Width() - 3 * bs - 3, FDefaultCaptionHeight - 2);
  c->SetFont(FDefaultCaptionFont.get());
  DrawTitle(c, t, (FDefaultCaptionHeight - 2) / 2 - c->TextHeight(Caption()) / 2);
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(1, FDefaultCaptionHeight - 1);
  c->LineTo(Width() - 1, FDefaultCaptionHeight - 1);
  for (int i = 0; i < 3; ++i) DrawButton(c, i);
}

void TbsSkinCustomListBox::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  SkinClientRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH);
  if (!FCaptionMode) return;
  NewCaptionRect = CaptionRect;
  if (CaptionRect.Right >= RTPoint.X) NewCaptionRect.Right += dW;
  const TRect* rects[] = { &UpButtonRect, &DownButtonRect, &CheckButtonRect };
  for (int i = 0; i < 3; ++i) {
    TRect r = *rects[i];
    if (!IsNullRect(r)) {
      if (r.Top <= LTPoint.Y)
        r = bsShifted(r, RTPoint.X < r.Left ? dW : 0, 0);
      else
        r = bsShifted(r, RBPoint.X < r.Left ? dW : 0, dH);
    }
    FButtons[i].R = r;
  }
  TCanvas* c = B->Canvas();
  if (!IsNullRect(CaptionRect)) {
    c->Font()->SetName(CaptionFontName);
    c->Font()->SetHeight(CaptionFontHeight);
    c->Font()->SetColor(CaptionFontColor);
    c->Font()->SetStyle(CaptionFontStyle);
    c->Font()->SetCharset(FDefaultCaptionFont->Charset());
    DrawTitle(c, NewCaptionRect, NewCaptionRect.Top + NewCaptionRect.Height() / 2 - c->TextHeight(Caption()) / 2);
  }
  for (int i = 0; i < 3; ++i) DrawButton(c, i);
}
