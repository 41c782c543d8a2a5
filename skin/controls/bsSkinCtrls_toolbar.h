#pragma once
// The skinned tool bar and status bar: panels that hold skinned controls and hand them their skin. The
// tool bar scrolls its buttons sideways with two arrows in its non-client area once they are wider than
// the bar. The arrows' machinery (TbsScrollArrows) serves any container that scrolls its children along
// one axis.

#include <functional>

#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_timers.h"

class TbsDataSkinButtonControl;
class TCustomImageList;

// One non-client scroll arrow: its place in window coordinates and its state.
struct TbsScrollArrow {
  TRect R;
  bool MouseIn { false };
  bool Down { false };
  bool Visible { false };
};

// Two arrows at the ends of one axis of a window's non-client area (0: left or top, 1: right or bottom),
// shown while the owner's visible children reach past its client area. They scroll the children by a
// click, every ScrollTimerInterval ms while held (once more on a release over the arrow) or, with
// HotScroll, while hovered. The owner sends its window procedure through WndProc, calls BoundsChanged
// after its own size changed and RangeChanged after its children were laid out, and lays its aligned
// children out in ScrolledRect. Children always stand ScrollPosition pixels back along the axis.
class TbsScrollArrows {
 public:
  static constexpr int kArrowSize = 12;
  // Hit codes of the arrows, outside the system's own.
  static constexpr int kHitBack = 119, kHitForward = 120;

  TbsScrollArrows(TbsSkinControl* Owner, bool Vertical) : FOwner(Owner), FVertical(Vertical) {}

  bool Active() const { return FActive; }
  // Off: the children scrolled home, no arrows, no non-client area.
  void SetActive(bool Value);
  bool HotScroll { false };
  int ScrollOffset() const { return FScrollOffset; }
  // Pixels per step, 0: one client extent; negative values are refused.
  void SetScrollOffset(int Value) {
    if (Value >= 0) FScrollOffset = Value;
  }
  int ScrollTimerInterval() const { return FScrollTimerInterval; }
  // Values below 1 are refused.
  void SetScrollTimerInterval(int Value) {
    if (Value > 0) FScrollTimerInterval = Value;
  }

  // 0 no timer, 1 scrolling back, 2 scrolling forward.
  int TimerMode { 0 };
  // The far end of the children in unscrolled coordinates - 1 (0 while they fit).
  int ScrollMax { 0 };
  int ScrollPosition { 0 };
  // The client extent at the last range computation.
  int ScrollPage { 0 };
  // The position the children stand at.
  int OldScrollPosition { 0 };
  // How much the owner grew at its last size change (0 if it did not).
  int GrowDelta { 0 };
  TbsScrollArrow Arrows[2];

  // The owner's skin's "resizebutton" record when it is a button record with a picture; else null and
  // the arrows take the default look.
  void GetSkinData();
  TbsDataSkinButtonControl* ArrowSkinData() const { return FArrowSkinData; }

  // Computes the range from the visible children, shows or hides the arrows and scrolls back what the
  // range no longer needs.
  void GetRange();
  // The owner's extent along the axis was OldExtent before its size changed.
  void BoundsChanged(int OldExtent);
  // The children were laid out anew (added, moved, resized): the range follows, unless the arrows'
  // own scrolling or range computation did the layout.
  void RangeChanged() {
    if (!FBusy) GetRange();
  }
  // One step back (0) or forward (1).
  void ButtonClick(int Index);
  // Where aligned children are laid out while the arrows show: the whole strip, shifted back.
  TRect ScrolledRect();
  bool ArrowsShown() const { return FActive && Arrows[0].Visible; }

  // The arrows' part of the owner's window procedure; false: the owner handles the message itself.
  // Inherited is the owner's own handling, for messages the arrows act on after it.
  bool WndProc(TMessage& Message, const std::function<void(TMessage&)>& Inherited);
  void DrawButton(TCanvas* Canvas, int Index);
  // Paints the arrows again (the owner's frame).
  void RedrawFrame();

 private:
  int ClientExtent();
  int HitAt(TPoint Client);
  void ScrollControls(int Delta);
  void SetButtonsVisible(bool Value);
  void LayOutArrows();
  void StartTimer() { FTimer.Start(FScrollTimerInterval); }
  void StopTimer() {
    FTimer.Stop();
    TimerMode = 0;
  }
  void Tick();
  void ButtonDown(int Index);
  void ButtonUp(int Index, bool Over);
  // Ends a press or hover without a step (capture lost, disabled, hidden).
  void Cancel();
  bool Designing() const;
  // The pointer left the hot arrow for somewhere off the owner's window.
  void PointerGone();

  TbsSkinControl* FOwner;
  bool FVertical;
  bool FActive { false };
  int FScrollOffset { 0 };
  int FScrollTimerInterval { 50 };
  int FPressed { -1 };  // the arrow a held press began on
  bool FBusy { false };  // scrolling or computing the range
  TbsDataSkinButtonControl* FArrowSkinData { nullptr };
  TBitmap* FArrowPicture { nullptr };
  TbsRepeatTimer FTimer { [this] { Tick(); } };
};

class TbsSkinToolBar : public TbsSkinPanel {
  XJ_CLASS(TbsSkinToolBar, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinToolBar(TComponent* AOwner);
  ~TbsSkinToolBar() override;

  bool CanScroll() const { return FArrows.Active(); }
  void SetCanScroll(bool Value) { FArrows.SetActive(Value); }
  bool HotScroll() const { return FArrows.HotScroll; }
  void SetHotScroll(bool Value) { FArrows.HotScroll = Value; }
  int ScrollOffset() const { return FArrows.ScrollOffset(); }
  void SetScrollOffset(int Value) { FArrows.SetScrollOffset(Value); }
  int ScrollTimerInterval() const { return FArrows.ScrollTimerInterval(); }
  void SetScrollTimerInterval(int Value) { FArrows.SetScrollTimerInterval(Value); }
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

  TbsScrollArrows& Arrows() { return FArrows; }
  // The scroll step: the children move back by it.
  void HScrollControls(int Delta) { ScrollBy(-Delta, 0); }

  // While designing, renames the speed buttons' records after a normal or a big tool bar.
  void SetSkinDataName(const AnsiString& Value) override;
  // The bar's skin and then every speed button's and bevel's on it.
  void SetSkinData(TbsSkinData* Value) override;
  void GetSkinData() override;
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

  TbsScrollArrows FArrows { this, false };
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
