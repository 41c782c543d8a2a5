// TAHMLabel: painting through the DUV painters, and the references to the background painters.

#include "components/AHMTLabel.h"

#include "components/AHMTBackground.h"
#include "components/DUVEnhancedClass.h"

XJ_PUBLISHED(TAHMLabel,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(FocusControl)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ShowAccelChar, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Transparent, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WordWrap, false)
  XJ_PROP_RW(Font3D, Font3D, Set3D)
  XJ_PROP_RW(Frame, Frame, SetFrm)
  XJ_PROP_RW(Background, Background, SetBack2)
  XJ_PROP_RW(FontBackground, FontBackground, SetBack)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDrag));

static const bool xj_ahm_label_registered = (RegisterClasses({ TAHMLabel::StaticClass() }), true);

TAHMLabel::TAHMLabel(TComponent* AOwner)
    : TCustomLabel(AOwner), FFont3D(std::make_unique<TAHMFont3D>(this)), FFrame(std::make_unique<TAHMFrame>(this)) {
  SetAutoSize(false);
  FFrame->SetFrameStyle(frameNone);
}

TAHMLabel::~TAHMLabel() {
  Rebind(FBackground, nullptr);
  Rebind(FFontBackground, nullptr);
}

void TAHMLabel::Set3D(TAHMFont3D* Value) {
  if (Value == FFont3D.get()) return;
  FFont3D->Assign(Value);
  Invalidate();
}

void TAHMLabel::SetFrm(TAHMFrame* Value) {
  if (Value == FFrame.get()) return;
  FFrame->Assign(Value);
  Invalidate();
}

void TAHMLabel::SetBack(TAHMBackground* Value) {
  Rebind(FFontBackground, Value);
  Invalidate();
}

void TAHMLabel::SetBack2(TAHMBackground* Value) {
  Rebind(FBackground, Value);
  Invalidate();
}

void TAHMLabel::Rebind(TAHMBackground*& Field, TAHMBackground* Value) {
  // A background in its destructor has lost its list already: it only needs forgetting.
  if (Field && !Field->ComponentState().Contains(csDestroying)) Field->RemoveItem(this);
  if (Value) Value->AddItem(this);
  Field = Value;
}

void TAHMLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  if (AComponent == FBackground) SetBack2(nullptr);
  if (AComponent == FFontBackground) SetBack(nullptr);
}

void TAHMLabel::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  const int w = FFrame->Calcwidth();
  TRect r(client.Left + w, client.Top + w, client.Right - w, client.Bottom - w);
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    if (FBackground) FBackground->Draw(canvas->Handle(), Width(), Height(), true);
  }
  canvas->Brush()->SetStyle(bsClear);
  static constexpr UINT kAlign[] = { DT_LEFT, DT_RIGHT, DT_CENTER };
  const UINT flags = DT_EXPANDTABS | kAlign[Alignment()] | (WordWrap() ? DT_WORDBREAK : 0);
  r.Top += FFrame->FrameWidth();
  r.Bottom -= w;
  r.Right -= FFrame->FrameWidth();
  if (FFontBackground)
    FFontBackground->Write(FFont3D.get(), Font(), canvas, r, Caption(), flags);
  else
    FFont3D->Write(Font(), canvas->Handle(), r, Caption(), flags, Enabled());
  FFrame->Draw(canvas->Handle(), client);
}
