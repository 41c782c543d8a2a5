#pragma once
// The slider: a thumb moved along a ruler between MinValue and MaxValue by dragging, by pressing the
// ruler (jumps of Increment that repeat while held), by keys and by the wheel, with tick points beside
// the ruler. Its look is four images of its own (drawn in code unless the user gives others) or the
// ruler and thumb of a slider record.

#include <array>

#include "skin/controls/bsSkinCtrls_base.h"

enum TbsSliderOrientation { soHorizontal, soVertical };
XJ_ENUM_IDENTS(TbsSliderOrientation, soHorizontal, soVertical);
enum TbsSliderOption { soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque };
XJ_ENUM_IDENTS(TbsSliderOption, soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque);
typedef Set<TbsSliderOption> TbsSliderOptions;
enum TbsSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
XJ_ENUM_IDENTS(TbsSliderImage, siHThumb, siHRuler, siVThumb, siVRuler);
typedef Set<TbsSliderImage> TbsSliderImages;
enum TbsJumpMode { jmNone, jmHome, jmEnd, jmNext, jmPrior };

class TbsSkinCustomSlider : public TbsSkinControl {
  XJ_CLASS(TbsSkinCustomSlider, TbsSkinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomSlider(TComponent* AOwner);
  ~TbsSkinCustomSlider() override;

  TBitmap* ImageHThumb() const { return FImages[siHThumb].get(); }
  void SetImageHThumb(TBitmap* V) { SetImage(siHThumb, V); }
  TBitmap* ImageHRuler() const { return FImages[siHRuler].get(); }
  void SetImageHRuler(TBitmap* V) { SetImage(siHRuler, V); }
  TBitmap* ImageVThumb() const { return FImages[siVThumb].get(); }
  void SetImageVThumb(TBitmap* V) { SetImage(siVThumb, V); }
  TBitmap* ImageVRuler() const { return FImages[siVRuler].get(); }
  void SetImageVRuler(TBitmap* V) { SetImage(siVRuler, V); }
  // Null puts the drawn default back (and clears the matching opaque option); a bitmap is copied and
  // streamed with the form.
  void SetImage(TbsSliderImage Index, TBitmap* Value);
  TbsSliderImages UserImages() const { return FUserImages; }

  int Increment() const { return FIncrement; }
  // Values below 1 are ignored.
  void SetIncrement(int Value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  // An empty or reversed range is ignored (taken as it comes only from a stream).
  void SetRange(int AMin, int AMax);
  int Value() const { return FValue; }
  // Clamped to the range; fires OnChange when it changes.
  void SetValue(int Value);
  int NumThumbStates() const { return FNumThumbStates; }
  void SetNumThumbStates(int Value);
  TbsSliderOrientation Orientation() const { return FOrientation; }
  // Swaps width and height at run time.
  void SetOrientation(TbsSliderOrientation Value);
  int EdgeSize() const { return FEdgeSize; }
  void SetEdgeSize(int Value);
  TbsSliderOptions Options() const { return FOptions; }
  void SetOptions(TbsSliderOptions Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool UseSkinThumb() const { return FUseSkinThumb; }
  void SetUseSkinThumb(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  // Ends a press or a drag in progress.
  void SetReadOnly(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanged;
  TNotifyEvent OnDrawPoints;

  const TRect& ThumbRect() const { return FThumbRect; }
  const TPoint& RulerOrigin() const { return FRulerOrigin; }
  TBitmap* Ruler() const { return FRuler.get(); }
  const TRect& PointsRect() const { return FPointsRect; }
  bool Sliding() const { return FSliding; }
  bool Tracking() const { return FTracking; }
  // The distance the thumb travels (never below 0).
  int GetRulerLength() const;
  int GetOffsetByValue(int V) const;
  int GetValueByOffset(int P) const;
  // Draws the default tick points on the canvas being painted (for OnDrawPoints handlers).
  void DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight);
  // The canvas Paint draws on: the off-screen picture while painting.
  TCanvas* PaintCanvas() const {
    return FPaintCanvas ? FPaintCanvas : const_cast<TbsSkinCustomSlider*>(this)->Canvas();
  }
  void ThumbJump(TbsJumpMode Mode);

  void GetSkinData() override;
  void ChangeSkinData() override { AdjustElements(); }
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  virtual bool CanModify() { return true; }
  virtual TRect GetSliderRect() const { return TRect(0, 0, Width(), Height()); }
  virtual int GetSliderValue() const { return FValue; }
  virtual void Sized() { AdjustElements(); }
  virtual void RangeChanged() {}
  virtual void ThumbMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ThumbMouseMove(TShiftState Shift, int X, int Y);
  virtual void ThumbMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Change();
  void Changed() override;

  void DefineProperties(TFiler* Filer) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Only images the user gave are streamed.
  bool IsImageStored(TbsSliderImage I) const { return FUserImages.Contains(I); }
  bool IsImageHThumbStored() const { return IsImageStored(siHThumb); }
  bool IsImageHRulerStored() const { return IsImageStored(siHRuler); }
  bool IsImageVThumbStored() const { return IsImageStored(siVThumb); }
  bool IsImageVRulerStored() const { return IsImageStored(siVRuler); }

 private:
  bool Skinned() const { return FSkinObjectIndex != -1 && FPicture; }
  bool SkinThumb() const { return Skinned() && FUseSkinThumb; }
  bool Vertical() const { return FOrientation == soVertical; }
  void ThumbSizes(int& HW, int& HH, int& VW, int& VH, int& States) const;
  void AdjustElements();
  void BuildRuler(const TRect& R);
  void BuildSkinRuler(const TRect& R);
  void GetThumbPosition(int& Offset, TPoint& Pos) const;
  void SetThumbOffset(int Offset);
  void InvalidateThumb();
  TbsJumpMode JumpTo(int X, int Y) const;
  void TimerTrack();
  void StopTracking();
  void DrawThumb(TCanvas* C, TPoint P, bool Down);
  // Background, ruler, focus rectangle and points: everything but the thumb.
  void PaintBackground(TCanvas* C);
  void SliderImageChanged(TObject*);
  void ReadUserImages(TStream* S);
  void WriteUserImages(TStream* S);

  bool FUseSkinThumb { true };
  bool FTransparent { false };
  TbsSliderImages FUserImages;
  std::array<std::unique_ptr<TBitmap>, 4> FImages;
  int FEdgeSize { 2 };
  std::unique_ptr<TBitmap> FRuler;
  TCanvas* FPaintCanvas { nullptr };
  // The last background drawn, and what it was drawn with.
  TBitmap FBack;
  bool FBackValid { false };
  TColor FBackColor { clNone };
  TBitmap* FBackPicture { nullptr };
  TBitmap FThumbPieces[2];  // normal, pressed
  bool FThumbCut[2] {};
  TPoint FRulerOrigin;
  TRect FThumbRect;
  bool FThumbDown { false };
  int FNumThumbStates { 2 };
  TRect FPointsRect;
  TbsSliderOrientation FOrientation { soHorizontal };
  TbsSliderOptions FOptions { soShowFocus, soShowPoints, soSmooth };
  int FMinValue { 0 };
  int FMaxValue { 100 };
  int FIncrement { 10 };
  int FValue { 0 };
  int FHit { 0 };
  bool FFocused { false };
  bool FSliding { false };
  bool FTracking { false };
  bool FTimerActive { false };
  TPoint FMousePos;
  TbsJumpMode FStartJump { jmNone };
  bool FReadOnly { false };
  bool FCreating { true };

  // Copies of the slider record; the picture is borrowed while the lookup finds it.
  TRect FHRulerRect, FHThumbRect, FVRulerRect, FVThumbRect;
  int FSkinEdgeSize { 0 };
  TColor FBGColor { clBtnFace };
  TColor FPointsColor { clWindowText };
  TBitmap* FPicture { nullptr };
};

class TbsSkinSlider : public TbsSkinCustomSlider {
  XJ_CLASS(TbsSkinSlider, TbsSkinCustomSlider)
  XJ_PUBLISHED_ACCESS;

 public:
  using TbsSkinCustomSlider::TbsSkinCustomSlider;
};
