#pragma once
// The skinned track bar: a thumb dragged along a track to choose a value between MinValue and MaxValue,
// growing to the right or, vertical, upwards; drawn from a track-bar record (which also decides the
// orientation) or in the built-in look.

#include "skin/controls/bsSkinCtrls_base.h"

class TbsSkinTrackBar : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinTrackBar, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTrackBar(TComponent* AOwner);
  ~TbsSkinTrackBar() override;

  int MinValue() const { return FMinValue; }
  // Moves Value up to the new minimum without OnChange.
  void SetMinValue(int Value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  int Value() const { return FValue; }
  // Clamped; a real change repaints, then fires OnChange.
  void SetValue(int Value);
  bool Vertical() const { return FVertical; }
  void SetVertical(bool Value);
  bool MouseSupport() const { return FMouseSupport; }
  void SetMouseSupport(bool Value) { FMouseSupport = Value; }
  // A press and release off the thumb moves the thumb's centre to the pointer.
  bool JumpWhenClick() const { return FJumpWhenClick; }
  void SetJumpWhenClick(bool Value) { FJumpWhenClick = Value; }
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  bool IsFocused() { return Focused() && FCanFocused; }

  TNotifyEvent OnChange;

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& W, int& H) override;

  // The thumb inside track rectangle R; updates the thumb-centre range and offset.
  TRect CalcButtonRect(const TRect& R, bool AVertical);
  // The value for a thumb-centre offset from the lowest centre.
  int CalcValue(int Offset) const;
  // The track for the current size and look, and the thumb on it.
  TRect TrackRect() const;
  TRect ThumbRect() { return CalcButtonRect(TrackRect(), FVertical); }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  int FMinValue { 0 };
  int FMaxValue { 100 };
  int FValue { 50 };
  bool FVertical { false };
  bool FMouseSupport { true };
  bool FJumpWhenClick { false };
  bool FCanFocused { false };

  TRect FButtonR;
  int FThumbCenterMin { 0 }, FThumbCenterMax { 0 }, FThumbCenterOffset { 0 };
  bool FThumbDown { false };
  int FDragStart { 0 }, FDragOffset { 0 };

  // Copies of the record.
  TRect TrackArea, NewTrackArea, ButtonRect, ActiveButtonRect;
};
