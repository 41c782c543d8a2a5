#include "skin/controls/bsSkinCtrls_graphic.h"

#include "platform/vcl/Messages.h"
#include "skin/data/bsSkinData.h"

// ---- TbsGraphicSkinControl ------------------------------------------------------------------------------

TbsGraphicSkinControl::TbsGraphicSkinControl(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() << csOpaque);
}

TbsGraphicSkinControl::~TbsGraphicSkinControl() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsGraphicSkinControl::SetSkinData(TbsSkinData* Value) {
  ResetPaintError();  // a new look, or the built-in one: its failure to paint is its own
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (!Value) {
    BeforeChangeSkinData();
    return;
  }
  if (!Value->Empty && !ComponentState().Contains(csDesigning)) ChangeSkinData();
}

void TbsGraphicSkinControl::GetSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
}

TbsDataSkinControl* TbsGraphicSkinControl::SkinRecord() const {
  if (!FSkinData || FSkinObjectIndex < 0 || FSkinObjectIndex >= FSkinData->CtrlList->Count()) return nullptr;
  return static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex));
}

// The new looks come with the parent's next paint: a skin switch repaints whole forms, and a control that
// painted at once here would paint twice.
void TbsGraphicSkinControl::ChangeSkinData() {
  GetSkinData();
  Invalidate();
}

void TbsGraphicSkinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    BeforeChangeSkinData();
  }
}

void TbsGraphicSkinControl::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  TBitmap B;
  B.SetSize(Width(), Height());
  if (CanPaintSkin())
    CreateControlSkinImage(&B);
  else
    CreateControlDefaultImage(&B);
  Canvas()->Draw(0, 0, &B);
}

void TbsGraphicSkinControl::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_MOUSEENTER && Message.Msg != CM_MOUSELEAVE) {
    TGraphicControl::Dispatch(Message);
    return;
  }
  auto life = LifeToken();
  TGraphicControl::Dispatch(Message);
  if (life.expired()) return;
  const TNotifyEvent& event = Message.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave;
  if (event) event(this);
}

// ---- TbsGraphicSkinCustomControl ------------------------------------------------------------------------

TbsGraphicSkinCustomControl::TbsGraphicSkinCustomControl(TComponent* AOwner) : TbsSkinFaceControl(AOwner) {}

TbsGraphicSkinCustomControl::~TbsGraphicSkinCustomControl() = default;

void TbsGraphicSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool changing = FitSizeToSkin(AWidth, AHeight);
  const auto life = LifeToken();  // OnResize may free the control
  TbsGraphicSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changing && !life.expired()) Repaint();
}

void TbsGraphicSkinCustomControl::ChangeSkinData() {
  if (!SizeToSkin()) Invalidate();
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsGraphicSkinControl,
  XJ_PROP(Anchors) XJ_STORED(IsAnchorsStored)
  XJ_PROP(Visible, true)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName) XJ_STORED(IsSkinDataNameStored)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseLeave));

XJ_PUBLISHED(TbsGraphicSkinCustomControl,
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultWidth)
  XJ_PROP(DefaultHeight)
  XJ_PROP(UseSkinFont));
