#pragma once
// The skinned check box and radio button (one class, Radio picks), drawn from the skin with a hover fade,
// flat over its parent's background, or in a built-in look. Boxes with the same non-zero GroupIndex under
// one parent exclude each other.

#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_timers.h"
#include "skin/data/bsSkinData.h"

class TCustomImageList;

class TbsSkinCheckRadioBox : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinCheckRadioBox, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCheckRadioBox(TComponent* AOwner);
  ~TbsSkinCheckRadioBox() override;

  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  bool Radio() const { return FRadio; }
  void SetRadio(bool Value);
  bool Checked() const { return FChecked; }
  // Every assignment repaints and fires OnClick (a radio button only when it is checked afterwards); a
  // checked box with a GroupIndex unchecks its group.
  void SetChecked(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value) { FGroupIndex = Value; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool MouseIn() const { return FMouseIn; }
  bool FocusingByClick() const { return FFocusingByClick; }
  double MorphKf() const { return FFade.Kf(); }
  bool Morphing() const { return FMorphing; }
  bool MorphRunning() const { return FFade.Running(); }

  // What a user's click, Space or accelerator does: a check box toggles, a radio button checks.
  virtual void SetCheckState();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  // A flat box only looks the skin up again: the skin does not size it.
  void ChangeSkinData() override;
  void CalcSize(int& W, int& H) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Copies of the skin record.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, FrameFontColor { 0 }, UnEnabledFontColor { 0 };
  TRect ActiveSkinRect, CheckImageArea, TextArea, CheckImageRect, UnCheckImageRect, ActiveCheckImageRect,
      ActiveUnCheckImageRect, UnEnabledCheckImageRect, UnEnabledUnCheckImageRect;
  TbsMorphKind MorphKind { mkDefault };
  // Where the check image and the caption go on the face at the current size.
  TRect NewCheckImageArea, NewTextArea;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

  bool IsFocused();
  // Fades when the skin asks for it, repaints otherwise.
  void ReDrawControl();
  void CreateImage(TBitmap* B, const TRect& R, bool AActive);

 private:
  void UnCheckAll();
  const TRect& CheckImage() const;
  void PaintFlat();
  // The built-in look's box and mark, vertically centred at the left.
  void DrawDefaultBox(TCanvas* C);
  void SetMouseIn(bool Value);

  bool FFlat { false };
  bool FFocusingByClick { false };
  bool FCanFocused { false };
  bool FMouseIn { false };
  TbsOwnPress FPress;
  int FGroupIndex { 0 };
  bool FChecked { false };
  bool FRadio { false };
  bool FMorphing { false };
  TbsMorphFade FFade { [this] { return FMouseIn || IsFocused(); }, [this] { return FMorphing && CanPaintSkin(); },
                       [this] { Repaint(); } };
  TCustomImageList* FImages { nullptr };
  int FImageIndex { 0 };
};
