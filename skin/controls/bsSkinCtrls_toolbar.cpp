#include "skin/controls/bsSkinCtrls_toolbar.h"

#include <algorithm>

#include "platform/vcl/ImgList.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_bevel.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// Posted to the bar itself when its buttons changed, so that the range is measured once they settled.
constexpr UINT kRangeChanged = WM_APP + 0x144;

}  // namespace

// ---- TbsSkinToolBar ---------------------------------------------------------------------------------------

TbsSkinToolBar::TbsSkinToolBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = "toolpanel";
  FKeepAskedHeight = true;
  SetDefaultHeight(25);
  SetBorderStyle(bs::bvFrame);
}

TbsSkinToolBar::~TbsSkinToolBar() { TearDownWindow(); }

void TbsSkinToolBar::SetSkinDataName(const AnsiString& Value) {
  TbsSkinPanel::SetSkinDataName(Value);
  const TComponentState state = ComponentState();
  if (!state.Contains(csDesigning) || state.Contains(csLoading)) return;
  const bool big = Value == "bigtoolpanel";
  const AnsiString prefix = big ? "bigtool" : "tool";
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* menu = dynamic_cast<TbsSkinMenuSpeedButton*>(Controls(i)))
      menu->SetSkinDataName(prefix + (menu->TrackButtonMode() ? "menutrackbutton" : "menubutton"));
    else if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i)))
      button->SetSkinDataName(prefix + "button");
  }
}

void TbsSkinToolBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i)))
      button->SetSkinData(Value);
    else if (auto* bevel = dynamic_cast<TbsSkinBevel*>(Controls(i)))
      bevel->SetSkinData(Value);
  }
}

void TbsSkinToolBar::GetSkinData() {
  TbsSkinPanel::GetSkinData();
  FScroller.ArrowSkinData = nullptr;
  FScroller.ArrowPicture = nullptr;
  if (!FSkinData || FSkinData->Empty) return;
  const int index = FSkinData->GetControlIndex("resizebutton");
  if (index < 0 || index >= FSkinData->CtrlList->Count()) return;
  // Only a button record has the state faces and colours the arrows read.
  auto* arrow = dynamic_cast<TbsDataSkinButtonControl*>(static_cast<TObject*>(FSkinData->CtrlList->Items(index)));
  TBitmap* picture = arrow ? bsActivePicture(FSkinData, arrow->PictureIndex) : nullptr;
  if (!picture || picture->Empty() || IsNullRect(arrow->SkinRect)) return;
  FScroller.ArrowSkinData = arrow;
  FScroller.ArrowPicture = picture;
}

void TbsSkinToolBar::BeforeChangeSkinData() {
  TbsSkinPanel::BeforeChangeSkinData();
  FScroller.ArrowSkinData = nullptr;
  FScroller.ArrowPicture = nullptr;
}

void TbsSkinToolBar::ChangeSkinData() {
  TbsSkinPanel::ChangeSkinData();
  if (FCanScroll) FScroller.PaintArrows();
}

void TbsSkinToolBar::SetList(TCustomImageList*& List, TCustomImageList* Value) {
  if (List == Value) return;
  if (List) List->RemoveFreeNotification(this);
  List = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinToolBar::SetImages(TCustomImageList* Value) {
  SetList(FImages, Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->Repaint();
}

void TbsSkinToolBar::SetHotImages(TCustomImageList* Value) { SetList(FHotImages, Value); }

void TbsSkinToolBar::SetDisabledImages(TCustomImageList* Value) { SetList(FDisabledImages, Value); }

void TbsSkinToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinPanel::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FHotImages) SetHotImages(nullptr);
  if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
}

void TbsSkinToolBar::SetFlat(bool Value) {
  FFlat = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->SetFlat(Value);
}

void TbsSkinToolBar::SetShowCaptions(bool Value) {
  if (FShowCaptions == Value) return;
  FShowCaptions = Value;
  // Read from a form, the buttons and the stored width already are what they should be.
  if (ComponentState().Contains(csLoading)) return;
  if (FAutoShowHideCaptions)
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->SetShowCaption(Value);
  if (FWidthWithCaptions != 0 && FWidthWithoutCaptions != 0)
    SetWidth(Value ? FWidthWithCaptions : FWidthWithoutCaptions);
}

void TbsSkinToolBar::CreateControlSkinImage(TBitmap* B) {
  if (!ArrowsShown() || FResizeMode != 2) {
    TbsSkinPanel::CreateControlSkinImage(B);
    return;
  }
  // Scrolled, the face has no ends: its middle repeats from the left edge.
  CreateHSkinImage3(LTPoint.X, RectWidth(SkinRect) - RTPoint.X, B, Picture, SkinRect, Width(), Height(), FaceCut);
}

void TbsSkinToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int old = Width();
  const auto life = LifeToken();
  TbsSkinPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired() || !FCanScroll) return;
  FScroller.GrowDelta = old != 0 && Width() > old ? Width() - old : 0;
  // Measured after the size changed, aligned or not, so the growth is judged on the new client width.
  GetHRange();
  FScroller.GrowDelta = 0;
}

void TbsSkinToolBar::SetCanScroll(bool Value) {
  if (FCanScroll == Value) return;
  FCanScroll = Value;
  if (Value) {
    GetHRange();
    return;
  }
  // Off first, so that the frame measured anew has no arrow strips.
  if (FScroller.ScrollPosition > 0) HScrollControls(-FScroller.ScrollPosition);
  FScroller.Reset();
}

void TbsSkinToolBar::GetHRange() {
  const TComponentState state = ComponentState();
  if (!FCanScroll || !HandleAllocated() || state.Contains(csLoading) || state.Contains(csDestroying)) return;
  FScroller.GetRange();
}

void TbsSkinToolBar::RangeChanged() {
  if (FCanScroll && HandleAllocated() && !std::exchange(FRangePending, true))
    PostMessageA(Handle(), kRangeChanged, 0, 0);
}

void TbsSkinToolBar::AdjustClientRect(TRect& Rect) {
  TbsSkinPanel::AdjustClientRect(Rect);
  if (!ArrowsShown()) return;
  const int bottom = Rect.Bottom;
  Rect = FScroller.ScrolledClientRect(ClientWidth(), ClientHeight());
  if (CanPaintSkin() && !ComponentState().Contains(csDesigning)) {
    Rect.Top = NewClRect.Top;
    Rect.Bottom = NewClRect.Bottom;
  } else {
    Rect.Top = 1;
    Rect.Bottom = std::max(1, bottom - 1);
  }
}

// A pass for one child means a button was added, moved, resized, shown or hidden. The whole pass that
// scrolling itself asks for passes no child and leaves the range alone.
void TbsSkinToolBar::AlignControls(TControl* AControl, TRect& Rect) {
  const auto life = LifeToken();  // a child's OnResize may free the bar
  TbsSkinPanel::AlignControls(AControl, Rect);
  if (AControl && !life.expired()) RangeChanged();
}

void TbsSkinToolBar::CreateWnd() {
  TbsSkinPanel::CreateWnd();
  GetHRange();
}

void TbsSkinToolBar::WndProc(TMessage& Message) {
  if (Message.Msg == kRangeChanged) {
    FRangePending = false;
    GetHRange();
    return;
  }
  if (FCanScroll) {
    // The arrows are drawn and measured from the skin as it is now.
    if (Message.Msg == WM_NCPAINT || Message.Msg == WM_NCCALCSIZE) GetSkinData();
    if (FScroller.Handle(Message)) return;
  }
  auto life = LifeToken();
  TbsSkinPanel::WndProc(Message);
  if (!life.expired() && Message.Msg == CM_CONTROLLISTCHANGE) RangeChanged();
}

// ---- TbsSkinStatusBar -------------------------------------------------------------------------------------

TbsSkinStatusBar::TbsSkinStatusBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = "statusbar";
  FKeepAskedHeight = true;
  SetAlign(alBottom);
  SetDefaultHeight(21);
  SetBorderStyle(bs::bvFrame);
}

void TbsSkinStatusBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* c = dynamic_cast<TbsSkinControl*>(Controls(i))) c->SetSkinData(Value);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinToolBar,
  XJ_PROP(CanScroll, false)
  XJ_PROP(HotScroll, false)
  XJ_PROP(ScrollOffset, 0)
  XJ_PROP(ScrollTimerInterval, 50)
  XJ_PROP(Images)
  XJ_PROP(DisabledImages)
  XJ_PROP(HotImages)
  XJ_PROP(Flat, false)
  XJ_PROP(AutoShowHideCaptions, false)
  XJ_PROP(ShowCaptions, false)
  XJ_PROP(WidthWithCaptions, 0)
  XJ_PROP(WidthWithoutCaptions, 0));

XJ_PUBLISHED(TbsSkinStatusBar,
  XJ_PROP(Align, alBottom));
