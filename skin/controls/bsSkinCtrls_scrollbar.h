#pragma once
// The skinned scroll bar: arrows, track and thumb drawn from a scroll-bar record or in the built-in
// look. It holds a position between Min and Max (less a page) and reports changes; the views, lists and
// edits that place one beside themselves feed it their range and follow its OnChange.

#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"

// A control that may take the focus (CanFocused) takes it on a left press, as a native bar would. Returns
// whether the press must go no further: the window refused the focus, or a handler freed the control.
bool bsTakeFocusOnPress(TWinControl* Control, bool CanFocused, const TMessage& Message);
// Whether a CM_WANTSPECIALKEY asks for an arrow key that a focusable bar claims.
bool bsWantsArrowKey(bool CanFocused, const TMessage& Message);
// Whether a WM_CAPTURECHANGED or WM_CANCELMODE took the mouse from a control in the middle of a press:
// another window took the capture, or it went while a button is still held (a release lets it go too,
// and then the button is already up).
bool bsMouseTakenAway(TWinControl* Control, const TMessage& Message);

class TbsSkinScrollBar : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinScrollBar, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinScrollBar(TComponent* AOwner);
  ~TbsSkinScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  // At run time a bar still named for the other kind's standard record takes its own kind's.
  void SetKind(TScrollBarKind Value);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const { return FPosition; }
  // Clamps by the position rule; a real change repaints, then fires OnChange.
  void SetPosition(int Value);
  // The same without OnChange.
  void SimplySetPosition(int Value);
  int PageSize() const { return FPageSize; }
  // 0: no page (a thumb of the picture's size); negative values count as 0.
  void SetPageSize(int Value);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int Value);
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int Value);
  // Min, Max, PageSize and then the clamped position at once, without OnChange.
  void SetRange(int AMin, int AMax, int APosition, int APageSize);
  // The same, the bar drawn anew with the next paint rather than at once: a list filled one item at a
  // time changes its range with every item, and only the last range is ever seen.
  void SetRangeLater(int AMin, int AMax, int APosition, int APageSize);
  bool Both() const { return FBoth; }
  // A bar that shares its corner with a second bar looks up BothSkinDataName while on; a form keeps the
  // bar's own name, which it takes back when Both goes off.
  void SetBoth(bool Value);
  int BothMarkerWidth() const { return FBothMarkerWidth; }
  void SetBothMarkerWidth(int Value);
  const AnsiString& BothSkinDataName() const { return FBothSkinDataName; }
  void SetBothSkinDataName(const AnsiString& Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  bool IsFocused() { return Focused() && FCanFocused; }

  TNotifyEvent OnChange;
  TNotifyEvent OnLastChange;
  TNotifyEvent OnUpButtonClick;
  TNotifyEvent OnDownButtonClick;
  TNotifyEvent OnPageUp;
  TNotifyEvent OnPageDown;

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& W, int& H) override;

  // The parts, indexed by TPart; R in client coordinates, as CalcRects left them.
  enum TPart { bpThumb, bpUp, bpDown };
  struct TButtonPart {
    TRect R;
    bool MouseIn { false };
    bool Down { false };
  };
  const TButtonPart& Button(TPart Index) const { return FButtons[Index]; }
  const TRect& TrackRect() const { return FTrackR; }
  // Lays out track, arrows and thumb for the current size, skin and position.
  void CalcRects();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  // The name a form keeps: the bar's own, not the corner's it looks up while Both is on.
  const AnsiString& StreamedSkinDataName() const { return FBothSwapped ? FSavedSkinDataName : FSkinDataName; }
  bool Horizontal() const { return FKind == sbHorizontal; }
  // The position rule: no higher than the top of the range (Max, less a page), then no lower than Min.
  int Clamp(int Value) const;
  // Takes a range as SetRange does: whether anything changed.
  bool StoreRange(int AMin, int AMax, int APosition, int APageSize);
  void ApplyPosition(int Value, bool Notify);
  void ApplyBoth();
  void DrawButton(TBitmap* B, int Index);
  void TestActive(int X, int Y);
  void ButtonDown(int Index, int X, int Y);
  void ButtonUp(int Index);
  void ButtonEnter(int Index);
  void ButtonLeave(int Index);
  int CalcValue(int Offset);
  void ArrowStep(int Index);
  // Whether the last pointer position lies before (towards Min) or after the thumb.
  bool PointerBeforeThumb() const;
  bool PointerAfterThumb() const;
  void PageStep(bool TowardsMin);
  void StartTimer(UINT Interval);
  void StopTimer();
  // Drops every press, drag and repeat (capture lost, disabled, hidden).
  void CancelPress();
  // CalcRects' steps.
  void PlaceSkinnedParts();
  void PlaceDefaultParts();
  void PlaceThumb(bool Skinned, int ThumbW, int ThumbH);
  // Dispatch's handlers.
  void RepeatTick();
  void PageRepeat();
  bool WheelTurned(TMessage& Message);
  void MouseLeft(TMessage& Message);
  void InheritedThenRepaint(TMessage& Message);

  TScrollBarKind FKind { sbHorizontal };
  int FMin { 0 };
  int FMax { 100 };
  int FPosition { 0 };
  int FPageSize { 0 };
  int FSmallChange { 1 };
  int FLargeChange { 1 };
  bool FBoth { false };
  int FBothMarkerWidth { 0 };
  AnsiString FBothSkinDataName { "bothhscrollbar" };
  AnsiString FSavedSkinDataName;
  bool FBothSwapped { false };  // SkinDataName holds BothSkinDataName, the bar's own in FSavedSkinDataName
  bool FCanFocused { false };

  TButtonPart FButtons[3];
  int FActiveButton { -1 };
  int FDownButton { -1 };
  TRect FTrackR;
  int FThumbCenterMin { 0 }, FThumbCenterMax { 0 }, FThumbCenterOffset { 0 };
  bool FThumbDown { false };
  int FDragStart { 0 }, FDragOffset { 0 };
  int FLastMouseX { 0 }, FLastMouseY { 0 };
  bool FPressed { false };
  bool FWaitFirstTimer { false };
  bool FTimerOn { false };
  int FScrollMode { 0 };  // 0 none, 1 down-arrow steps, 2 up-arrow steps, 3 pages towards Min, 4 towards Max

  // Copies of the record's geometry.
  TRect TrackArea, UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
      DownDownButtonRect, ThumbRect, ActiveThumbRect, DownThumbRect, GlyphRect, ActiveGlyphRect, DownGlyphRect;
  int ThumbOffset1 { 0 }, ThumbOffset2 { 0 };
};
