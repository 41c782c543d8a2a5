#include "skin/controls/bsSkinCtrls_bevel.h"

#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsSkinBevel ---------------------------------------------------------------------------------------

TbsSkinBevel::TbsSkinBevel(TComponent* AOwner) : TBevel(AOwner) {}

TbsSkinBevel::~TbsSkinBevel() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsSkinBevel::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  ChangeSkinData();
}

void TbsSkinBevel::SetDividerMode(bool Value) {
  FDividerMode = Value;
  Repaint();
}

void TbsSkinBevel::Notification(TComponent* AComponent, TOperation Operation) {
  TBevel::Notification(AComponent, Operation);
  // A freed skin data is never read again: the default colours from now on.
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    if (!ComponentState().Contains(csDestroying)) ChangeSkinData();
  }
}

void TbsSkinBevel::ChangeSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
  if (FSkinObjectIndex == -1) {
    FLightColor = clBtnHighlight;
    FDarkColor = clBtnShadow;
  } else if (auto* r = dynamic_cast<TbsDataSkinBevel*>(
                 static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex)))) {
    FLightColor = r->LightColor;
    FDarkColor = r->DarkColor;
  }
  Repaint();
}

void TbsSkinBevel::Paint() {
  TCanvas* c = Canvas();
  if (ComponentState().Contains(csDesigning) && Shape() == bsSpacer) {
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(static_cast<TColor>(0xFFD8CE));
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, ClientWidth(), ClientHeight());
    return;
  }
  c->Pen()->SetMode(pmCopy);
  if (!FDividerMode) {
    PaintShape(FDarkColor, FLightColor);
    return;
  }
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  const TColor first = Style() == bsLowered ? FDarkColor : FLightColor;
  const TColor second = Style() == bsLowered ? FLightColor : FDarkColor;
  const int w = Width(), h = Height();
  switch (Shape()) {
    case bsTopLine:
    case bsBottomLine:
      Ring(2, h / 2 - 1, w - 2, h / 2, first, second);
      break;
    case bsSpacer:
      break;
    default:
      Ring(w / 2 - 1, 2, w / 2, h - 2, first, second);
      break;
  }
}

// ---- TbsSkinXFormButton ---------------------------------------------------------------------------------

TbsSkinXFormButton::TbsSkinXFormButton(TComponent* AOwner)
    : TbsSkinButton(AOwner),
      FDefImage(std::make_unique<TBitmap>()),
      FDefActiveImage(std::make_unique<TBitmap>()),
      FDefDownImage(std::make_unique<TBitmap>()),
      FDefMask(std::make_unique<TBitmap>()) {
  SetCanFocused(false);
}

TbsSkinXFormButton::~TbsSkinXFormButton() = default;

void TbsSkinXFormButton::SetDefImage(TBitmap* Value) {
  FDefImage->Assign(Value);
  if (FDefImage->Empty()) return;
  SetDefaultHeight(FDefImage->Height());
  SetDefaultWidth(FDefImage->Width());
}

void TbsSkinXFormButton::SetDefMask(TBitmap* Value) {
  FDefMask->Assign(Value);
  if (!FDefImage->Empty()) SetControlRegion();
}

void TbsSkinXFormButton::Loaded() {
  TbsSkinButton::Loaded();
  GetSkinData();
  if (!CanPaintSkin() && !FDefMask->Empty()) SetControlRegion();
}

void TbsSkinXFormButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const auto life = LifeToken();
  TbsSkinButton::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  if (ImageMode() && (Width() != FDefImage->Width() || Height() != FDefImage->Height()))
    TbsSkinButton::SetBounds(Left(), Top(), FDefImage->Width(), FDefImage->Height());
}

void TbsSkinXFormButton::ChangeSkinData() {
  GetSkinData();
  if (!ImageMode()) {
    TbsSkinButton::ChangeSkinData();
    return;
  }
  SetBounds(Left(), Top(), FDefImage->Width(), FDefImage->Height());
  SetControlRegion();
  Repaint();
}

void TbsSkinXFormButton::SetControlRegion() {
  if (!ImageMode()) {
    TbsSkinButton::SetControlRegion();
    return;
  }
  if (FDefMask->Empty()) {
    if (FRgn) {
      SetWindowRgn(Handle(), nullptr, TRUE);
      FRgn = nullptr;
    }
    return;
  }
  // A fresh handle every time: the window owns (and frees) the one it had.
  HRGN rgn = nullptr;
  CreateSkinSimplyRegion(rgn, FDefMask.get());
  FRgn = rgn;
  SetWindowRgn(Handle(), rgn, TRUE);
}

void TbsSkinXFormButton::CreateControlDefaultImage(TBitmap* B) {
  if (ImageMode())
    DrawDefaultButton(B->Canvas());
  else
    TbsSkinButton::CreateControlDefaultImage(B);
}

void TbsSkinXFormButton::DrawDefaultButton(TCanvas* C) {
  const bool pushed = ShowsDown();
  const bool hot = FMouseIn || IsFocused();
  if (pushed && !FDefDownImage->Empty())
    C->Draw(0, 0, FDefDownImage.get());
  else if (hot && !FDefActiveImage->Empty())
    C->Draw(0, 0, FDefActiveImage.get());
  else
    C->Draw(0, 0, FDefImage.get());
  C->Font()->Assign(DefaultFont());
  if (pushed)
    C->Font()->SetColor(FDefDownFontColor);
  else if (hot)
    C->Font()->SetColor(FDefActiveFontColor);
  DrawGlyphAndCaption(C, ClientRect(), Margin(), Spacing(), Layout(), Caption(), Glyph(), NumGlyphs(), 1, pushed);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinBevel,
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DividerMode));

XJ_PUBLISHED(TbsSkinXFormButton,
  XJ_PROP(DefImage)
  XJ_PROP(DefActiveImage)
  XJ_PROP(DefDownImage)
  XJ_PROP(DefMask)
  XJ_PROP(DefActiveFontColor)
  XJ_PROP(DefDownFontColor));
