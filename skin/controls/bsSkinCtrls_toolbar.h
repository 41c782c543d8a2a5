#pragma once
// The skinned tool bar and status bar: panels that hold skinned controls and hand them their skin. The
// tool bar scrolls its buttons sideways with two arrows in its non-client area once they are wider than
// the bar, by the same child scroller as the scroll panel.

#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_scrollpanel.h"

class TCustomImageList;

class TbsSkinToolBar : public TbsSkinPanel {
  XJ_CLASS(TbsSkinToolBar, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinToolBar(TComponent* AOwner);
  ~TbsSkinToolBar() override;

  bool CanScroll() const { return FCanScroll; }
  // Off: the buttons scrolled home, no arrows, no non-client area.
  void SetCanScroll(bool Value);
  bool HotScroll() const { return FScroller.HotScroll; }
  void SetHotScroll(bool Value) { FScroller.HotScroll = Value; }
  int ScrollOffset() const { return FScroller.ScrollOffset; }
  // Pixels per arrow step, 0: one client width; negative values are refused.
  void SetScrollOffset(int Value) {
    if (Value >= 0) FScroller.ScrollOffset = Value;
  }
  int ScrollTimerInterval() const { return FScroller.ScrollTimerInterval; }
  // Values below 1 are refused.
  void SetScrollTimerInterval(int Value) {
    if (Value > 0) FScroller.ScrollTimerInterval = Value;
  }
  TCustomImageList* Images() const { return FImages; }
  // Repaints the speed buttons, which draw from it.
  void SetImages(TCustomImageList* Value);
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value);
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* Value);
  bool Flat() const { return FFlat; }
  // Passed on to every speed button on the bar.
  void SetFlat(bool Value);
  bool AutoShowHideCaptions() const { return FAutoShowHideCaptions; }
  void SetAutoShowHideCaptions(bool Value) { FAutoShowHideCaptions = Value; }
  bool ShowCaptions() const { return FShowCaptions; }
  // With AutoShowHideCaptions the speed buttons follow; with both widths set the bar takes one of them.
  void SetShowCaptions(bool Value);
  int WidthWithCaptions() const { return FWidthWithCaptions; }
  void SetWidthWithCaptions(int Value) { FWidthWithCaptions = Value; }
  int WidthWithoutCaptions() const { return FWidthWithoutCaptions; }
  void SetWidthWithoutCaptions(int Value) { FWidthWithoutCaptions = Value; }

  TbsChildScroller& Scroller() { return FScroller; }
  // The scroll step: the children move back by it.
  void HScrollControls(int Delta) { ScrollBy(-Delta, 0); }
  // The range of the buttons against the client width: the arrows shown or hidden, the buttons scrolled
  // back as far as the range no longer needs. Only with CanScroll and a window.
  void GetHRange();

  // While designing, renames the speed buttons' records after a normal or a big tool bar.
  void SetSkinDataName(const AnsiString& Value) override;
  // The bar's skin and then every speed button's and bevel's on it.
  void SetSkinData(TbsSkinData* Value) override;
  // The bar's record, and the arrows' "resizebutton" when it is a button record with a picture (else
  // the arrows take the default look).
  void GetSkinData() override;
  void BeforeChangeSkinData() override;
  // The arrows follow the new skin too.
  void ChangeSkinData() override;
  void CreateControlSkinImage(TBitmap* B) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;

 protected:
  void WndProc(TMessage& Message) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // Sets List to Value, following its removal.
  void SetList(TCustomImageList*& List, TCustomImageList* Value);
  // The buttons changed: the range follows once their layout has settled.
  void RangeChanged();
  bool ArrowsShown() const { return FCanScroll && FScroller.Arrows[0].Visible; }

  bool FCanScroll { false };
  bool FRangePending { false };
  TbsChildScroller FScroller { this };
  TCustomImageList* FImages { nullptr };
  TCustomImageList* FDisabledImages { nullptr };
  TCustomImageList* FHotImages { nullptr };
  bool FFlat { false };
  bool FAutoShowHideCaptions { false };
  bool FShowCaptions { false };
  int FWidthWithCaptions { 0 };
  int FWidthWithoutCaptions { 0 };
};

class TbsSkinStatusBar : public TbsSkinPanel {
  XJ_CLASS(TbsSkinStatusBar, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinStatusBar(TComponent* AOwner);
  // The bar's skin and then every windowed skinned control's on it.
  void SetSkinData(TbsSkinData* Value) override;
};
