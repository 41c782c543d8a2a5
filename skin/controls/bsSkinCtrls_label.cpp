#include "skin/controls/bsSkinCtrls_label.h"

#include <algorithm>

#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/StdCtrls_private.h"
#include "skin/controls/bsSkinCtrls_gauge.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsSkinStdLabel ------------------------------------------------------------------------------------

TbsSkinStdLabel::TbsSkinStdLabel(TComponent* AOwner) : TCustomLabel(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetTransparent(true);
  FDefaultFont->OnChange = TNotifyEvent(this, &TbsSkinStdLabel::OnDefaultFontChange);
}

TbsSkinStdLabel::~TbsSkinStdLabel() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsSkinStdLabel::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (Value) ChangeSkinData();
}

void TbsSkinStdLabel::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TbsSkinStdLabel::OnDefaultFontChange(TObject*) {
  AdjustBounds();
  Invalidate();
}

void TbsSkinStdLabel::GetSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
  if (FSkinObjectIndex == -1) return;
  // A record of another class leaves the earlier copies in use.
  auto* r = dynamic_cast<TbsDataSkinStdLabelControl*>(
      static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex)));
  if (!r) return;
  FontName = r->FontName;
  FontColor = r->FontColor;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
}

void TbsSkinStdLabel::ChangeSkinData() {
  GetSkinData();
  AdjustBounds();
  Repaint();
}

void TbsSkinStdLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
  }
}

void TbsSkinStdLabel::DoDrawText(TRect& Rect, UINT Flags) {
  GetSkinData();
  AnsiString text = GetLabelText();
  // An empty label still measures one line high (and a lone '&' would measure nothing).
  if (((Flags & DT_CALCRECT) && text.empty()) || (ShowAccelChar() && text == "&")) text += ' ';
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  TFont* f = Canvas()->Font();
  if (FSkinObjectIndex == -1) {
    f->Assign(FUseSkinFont ? FDefaultFont.get() : Font());
  } else {
    f->Assign(Font());
    if (FUseSkinFont) {
      f->SetName(FontName);
      f->SetStyle(FontStyle);
      f->SetHeight(FontHeight);
      f->SetCharset(FDefaultFont->Charset());
    }
    f->SetColor(FontColor);
  }
  xj::stdctrls::DrawCanvasText(Canvas(), text, Rect, Flags, Enabled());
}

// ---- TbsSkinLabel ---------------------------------------------------------------------------------------

namespace {

// Width of Text in Font, measured off-screen: the label may have no window yet.
int TextWidthIn(TFont* Font, const AnsiString& Text) {
  TBitmap b;
  b.SetSize(1, 1);
  b.Canvas()->SetFont(Font);
  return b.Canvas()->TextWidth(Text);
}

}  // namespace

TbsSkinLabel::TbsSkinLabel(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "label";
  SetBounds(0, 0, 75, 21);
}

TbsSkinLabel::~TbsSkinLabel() = default;

void TbsSkinLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Repaint();
}

void TbsSkinLabel::SetAutoSize(bool Value) {
  TbsSkinCustomControl::SetAutoSize(Value);
  if (Value) AdjustBounds();
}

void TbsSkinLabel::SetBorderStyle(TbsSkinBorderStyle Value) {
  FBorderStyle = Value;
  if (FSkinObjectIndex == -1) {
    Repaint();
    Realign();
  }
}

void TbsSkinLabel::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinLabelControl>();
  if (!r) {
    FSkinObjectIndex = -1;
    Picture = MaskPicture = nullptr;
    return;
  }
  FontName = r->FontName;
  FontColor = r->FontColor;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  // A face that does not stretch cannot follow the caption.
  if (FResizeMode == 0 && AutoSize()) TbsSkinCustomControl::SetAutoSize(false);
}

void TbsSkinLabel::DrawLabelText(TCanvas* Canvas, const TRect& R) {
  bsSetCaptionFont(Canvas, CanPaintSkin(), FUseSkinFont, FDefaultFont.get(), FontName, FontStyle, FontHeight,
                   FontColor);
  const AnsiString text = Caption();
  const int tw = Canvas->TextWidth(text), th = Canvas->TextHeight(text);
  const int y = R.Top + RectHeight(R) / 2 - th / 2;
  int x = R.Left;
  if (FAlignment == taRightJustify) x = R.Right - tw;
  if (FAlignment == taCenter) x = R.Left + RectWidth(R) / 2 - tw / 2;
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(x, y, text);
}

int TbsSkinLabel::CalcWidthOffset() {
  if (FResizeMode == 0) return 0;
  TFont f;
  f.SetName(FontName);
  f.SetHeight(FontHeight);
  f.SetStyle(FontStyle);
  return TextWidthIn(&f, Caption()) - RectWidth(NewClRect);
}

void TbsSkinLabel::CalcSize(int& W, int& H) {
  TbsSkinCustomControl::CalcSize(W, H);
  const int d = CalcWidthOffset();
  if (d > 0 || AutoSize()) {
    W += d;
    // The client area goes with the face it is part of.
    NewClRect.Right += d;
    NewRTPoint.X += d;
    NewRBPoint.X += d;
  }
}

void TbsSkinLabel::AdjustBounds() {
  if (Align() != alNone || ComponentState().Contains(csLoading)) return;
  GetSkinData();
  const int d = FSkinObjectIndex == -1 ? TextWidthIn(FDefaultFont.get(), Caption()) - (Width() - 4) : CalcWidthOffset();
  if (d != 0) SetWidth(std::max(0, Width() + d));
}

TRect TbsSkinLabel::DrawDefaultFrame(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  const TRect r = ClientRect();
  switch (FBorderStyle) {
    case bs::bvRaised:
      Frm3D(B->Canvas(), r, clBtnHighlight, clBtnShadow);
      break;
    case bs::bvLowered:
      Frm3D(B->Canvas(), r, clBtnShadow, clBtnHighlight);
      break;
    case bs::bvFrame:
      Frm3D(B->Canvas(), r, clBtnShadow, clBtnShadow);
      break;
    case bs::bvNone:
      break;
  }
  return TRect(3, 3, Width() - 3, Height() - 3);
}

void TbsSkinLabel::CreateControlDefaultImage(TBitmap* B) { DrawLabelText(B->Canvas(), DrawDefaultFrame(B)); }

void TbsSkinLabel::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  DrawLabelText(B->Canvas(), NewClRect);
}

void TbsSkinLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    TbsSkinCustomControl::Dispatch(Message);
    if (AutoSize()) AdjustBounds();
    Repaint();
    return;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

// ---- TbsSkinStatusPanel ---------------------------------------------------------------------------------

TbsSkinStatusPanel::TbsSkinStatusPanel(TComponent* AOwner) : TbsSkinLabel(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FSkinDataName = "statuspanel";
}

TbsSkinStatusPanel::~TbsSkinStatusPanel() = default;

void TbsSkinStatusPanel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinStatusPanel::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}

int TbsSkinStatusPanel::DrawPanelGlyph(TCanvas* Canvas, int X, int CentreY) {
  if (FGlyph->Empty()) return 0;
  // Only a strip of two cells has a disabled image.
  const int cell = !Enabled() && FNumGlyphs == 2 ? 2 : 1;
  DrawGlyph(Canvas, X, CentreY - FGlyph->Height() / 2, FGlyph.get(), FNumGlyphs, cell);
  return FGlyph->Width() / FNumGlyphs + 2;
}

void TbsSkinStatusPanel::CreateControlSkinImage(TBitmap* B) {
  CreateSkinControlImage(B, Picture, SkinRect);
  TRect r = NewClRect;
  r.Left += DrawPanelGlyph(B->Canvas(), r.Left, r.Top + RectHeight(r) / 2);
  DrawLabelText(B->Canvas(), r);
}

void TbsSkinStatusPanel::CreateControlDefaultImage(TBitmap* B) {
  TRect r = DrawDefaultFrame(B);
  r.Left += DrawPanelGlyph(B->Canvas(), 3, B->Height() / 2);
  DrawLabelText(B->Canvas(), r);
}

void TbsSkinStatusPanel::Dispatch(TMessage& Message) {
  TbsSkinLabel::Dispatch(Message);
  if (Message.Msg == CM_ENABLEDCHANGED) Repaint();
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinStdLabel,
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont, true)
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoSize, true)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(FocusControl)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Layout, tlTop)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowAccelChar, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Transparent, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WordWrap, false)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

XJ_PUBLISHED(TbsSkinLabel,
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AutoSize)
  XJ_PROP(BorderStyle)
  XJ_PROP(Align, alNone)
  XJ_PROP(Caption)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

XJ_PUBLISHED(TbsSkinStatusPanel,
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs));
