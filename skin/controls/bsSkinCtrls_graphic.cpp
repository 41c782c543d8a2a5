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

TbsGraphicSkinCustomControl::TbsGraphicSkinCustomControl(TComponent* AOwner)
    : TbsGraphicSkinControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({});
  FDefaultFont->OnChange = TNotifyEvent(this, &TbsGraphicSkinCustomControl::OnDefaultFontChange);
}

TbsGraphicSkinCustomControl::~TbsGraphicSkinCustomControl() = default;

void TbsGraphicSkinCustomControl::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (FSkinObjectIndex == -1 && Value > 0) SetWidth(Value);
}

void TbsGraphicSkinCustomControl::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FSkinObjectIndex == -1 && Value > 0) SetHeight(Value);
}

void TbsGraphicSkinCustomControl::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  DefaultFontChange();
}

void TbsGraphicSkinCustomControl::OnDefaultFontChange(TObject*) {
  DefaultFontChange();
  if (FSkinObjectIndex == -1) Repaint();
}

void TbsGraphicSkinCustomControl::BeforeChangeSkinData() {
  TbsGraphicSkinControl::BeforeChangeSkinData();
  Picture = nullptr;
}

void TbsGraphicSkinCustomControl::GetSkinData() {
  TbsGraphicSkinControl::GetSkinData();
  auto* record = SkinRecordAs<TbsDataSkinCustomControl>();
  if (!record) {
    // No record, or one of another class: nothing of a skin that may since have been replaced is kept.
    Unskin();
    return;
  }
  ReadGeometry(*record);
  Picture = bsActivePicture(FSkinData, record->PictureIndex);
}

void TbsGraphicSkinCustomControl::CalcSize(int& W, int& H) {
  if (FSkinObjectIndex != -1) CalcGeometry(W, H);
}

void TbsGraphicSkinCustomControl::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(clBtnFace);
  B->Canvas()->FillRect(ClientRect());
}

void TbsGraphicSkinCustomControl::CreateControlSkinImage(TBitmap* B) { CreateSkinControlImage(B, Picture, SkinRect); }

void TbsGraphicSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  const bool changing = (AWidth != Width() || AHeight != Height()) && FSkinObjectIndex != -1;
  if (changing) {
    CalcSize(AWidth, AHeight);
    if (FResizeMode == 0) NewClRect = ClRect;
  }
  TbsGraphicSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changing) Repaint();
}

void TbsGraphicSkinCustomControl::ChangeSkinData() {
  GetSkinData();
  int W = Width(), H = Height();
  bool resized = false;
  if (FSkinObjectIndex == -1) {
    if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
    if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
  } else {
    CalcSize(W, H);
    resized = W != Width() || H != Height();
    if (W != Width()) SetWidth(W);
    if (H != Height()) SetHeight(H);
  }
  if (!resized) Invalidate();
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
