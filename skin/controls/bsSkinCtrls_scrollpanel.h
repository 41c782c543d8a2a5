#pragma once
// Child scrolling by two arrows in a container's non-client area, and the scroll panel built on it: a
// container whose children form a strip longer than the panel, scrolled by clicking, holding or hovering
// an arrow, and (when the panel takes the focus) by the wheel and the arrow keys.

#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"

class TbsDataSkinButtonControl;
class TbsDataSkinPanelControl;
class TbsSkinData;

// One non-client arrow: R in window coordinates.
struct TbsScrollArrow {
  TRect R;
  bool MouseIn { false };
  bool Down { false };
  bool Visible { false };
};

// The arrows of a container (0 back: left or top; 1 forward: right or bottom), 12 pixels at the two ends
// of the scroll axis while the children do not fit, and the scroll state of the children along that axis.
// The container hands its messages to Handle first; ScrollPosition is always how far the children stand
// scrolled. A press takes the mouse: it steps every ScrollTimerInterval while held over its arrow and once
// more when released there; released elsewhere, or losing the mouse, it only stops.
class TbsChildScroller {
 public:
  static constexpr int kArrowSize = 12;
  static constexpr int kBackHit = 119;
  static constexpr int kForwardHit = 120;

  explicit TbsChildScroller(TWinControl* Owner);

  // Settings the container publishes.
  bool Vertical { false };
  bool HotScroll { false };
  int ScrollOffset { 0 };          // pixels per step; 0: one client extent
  int ScrollTimerInterval { 50 };  // ms
  // The skin of the arrows; null: the default look.
  TbsDataSkinButtonControl* ArrowSkinData { nullptr };
  TBitmap* ArrowPicture { nullptr };

  TbsScrollArrow Arrows[2];
  int TimerMode { 0 };  // 0 none, 1 back, 2 forward
  int ScrollMax { 0 };  // end of the children, scrolled coordinates, - 1
  int ScrollPosition { 0 };
  int ScrollPage { 0 };  // client extent at the last range computation
  int OldScrollPosition { 0 };
  int GrowDelta { 0 };  // growth of the container's extent at its last SetBounds

  // Takes the skin's "resizebutton" record for the arrows when it is a button record whose picture the
  // skin has; otherwise (and with no usable skin) the arrows take the default look.
  void GetSkinData(TbsSkinData* Data);
  // Forgets the scroll state and hides the arrows (the children stay where they are).
  void Reset();
  // Measures the children against the client extent: hides or shows the arrows and scrolls back what
  // the container no longer needs scrolled.
  void GetRange();
  // One step back (0) or forward (1), clamped to the range; a step that moves nothing stops the timer.
  void ButtonClick(int Index);
  // The aligned children's rectangle: the client area shifted by the scroll position and as long as
  // the children.
  TRect ScrolledClientRect(int ClientWidth, int ClientHeight) const;
  // Handles what belongs to the arrows; true when the message is consumed.
  bool Handle(TMessage& Message);
  void StopTimer();
  // Draws the visible arrows on the window's frame.
  void PaintArrows();

 private:
  int HitTest(const TPoint& Screen);
  void SetButtonsVisible(bool Value);
  void Scroll(int Delta);
  int ClientExtent();
  void StartTimer();
  void ButtonDown(int Index);
  void ButtonUp(int Index);
  void Release(bool Step);
  void LoseHot();
  void NCCalcSize(TMessage& Message);
  bool Designing() const;
  bool HitTestArrows(TMessage& Message);
  bool HoverArrow(int Index);
  bool PressArrow(int Index);
  bool FollowHeldPress(TMessage& Message);
  bool PointerLeft();
  void PlaceArrows();
  void DrawButton(TCanvas* C, int Index, const TRect& R);

  TWinControl* FOwner;
  int FCaptureArrow { -1 };   // the arrow a held press belongs to
  bool FMeasuring { false };  // the frame changing under GetRange measures nothing again
  TbsRepeatTimer FTimer { [this] { OnTimer(); } };
  void OnTimer();
};

enum TbsScrollType { stHorizontal, stVertical };
XJ_ENUM_IDENTS(TbsScrollType, stHorizontal, stVertical);

class TbsSkinScrollPanel : public TbsSkinControl {
  XJ_CLASS(TbsSkinScrollPanel, TbsSkinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinScrollPanel(TComponent* AOwner);
  ~TbsSkinScrollPanel() override;

  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  bool HotScroll() const { return FScroller.HotScroll; }
  void SetHotScroll(bool Value) { FScroller.HotScroll = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) override;
  TbsScrollType ScrollType() const { return FScrollType; }
  // Resets the scroll state and hides the arrows.
  void SetScrollType(TbsScrollType Value);
  int ScrollOffset() const { return FScroller.ScrollOffset; }
  // Negative values are ignored.
  void SetScrollOffset(int Value);
  int ScrollTimerInterval() const { return FScroller.ScrollTimerInterval; }
  // Values below 1 are ignored.
  void SetScrollTimerInterval(int Value);

  const TbsChildScroller& Scroller() const { return FScroller; }
  TbsDataSkinPanelControl* PanelSkinData() const { return FPanelSkinData; }
  TbsDataSkinButtonControl* ArrowSkinData() const { return FScroller.ArrowSkinData; }
  // Measures the children again (arrows, range).
  void GetScrollInfo();
  void UpDateSize();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  // Finds the "panel" and "resizebutton" records; the skin object index stays -1.
  void GetSkinData() override;
  void BeforeChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void Paint() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  // A press focuses a panel that can take the focus; whether the press may go on.
  bool ClickFocuses();

  bool FSettingFocus { false };
  bool FCanFocused { false };
  bool FAutoSize { false };
  TbsScrollType FScrollType { stHorizontal };
  TbsDataSkinPanelControl* FPanelSkinData { nullptr };
  TBitmap* FPanelPicture { nullptr };
  TBitmap* FBGPicture { nullptr };
  TbsChildScroller FScroller { this };
};
