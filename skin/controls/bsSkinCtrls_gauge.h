#pragma once
// The skinned gauge: a bar filling from one end in proportion to Value between MinValue and MaxValue,
// drawn from a gauge record (which also decides the orientation) or in the built-in look, with an
// optional caption of a fixed text and the percentage.

#include "skin/controls/bsSkinCtrls_base.h"

// The caption font of a control that takes its text style from a skin record: the record's font
// (with DefaultFont's character set) when skinned and UseSkinFont, DefaultFont in the record's colour
// when skinned without it, DefaultFont alone when unskinned.
void bsSetCaptionFont(TCanvas* Canvas, bool Skinned, bool UseSkinFont, TFont* DefaultFont, const AnsiString& FontName,
                      TFontStyles FontStyle, int FontHeight, TColor FontColor);

// Area, given on a face of SkinRect's size, grown with a stretching face (resize modes 1 to 3) to a
// control of W x H: along the bar only, downwards for a vertical one.
TRect bsAreaForSize(const TRect& Area, const TRect& SkinRect, int ResizeMode, bool Vertical, int W, int H);

class TbsSkinGauge : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinGauge, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinGauge(TComponent* AOwner);
  ~TbsSkinGauge() override;

  // False: the control keeps its own size and a skinned face is stretched to it.
  bool UseSkinSize() const { return FUseSkinSize; }
  void SetUseSkinSize(bool Value) { FUseSkinSize = Value; }
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  int Value() const { return FValue; }
  void SetValue(int Value);
  bool Vertical() const { return FVertical; }
  void SetVertical(bool Value);
  const AnsiString& ProgressText() const { return FProgressText; }
  void SetProgressText(const AnsiString& Value);
  bool ShowProgressText() const { return FShowProgressText; }
  void SetShowProgressText(bool Value);
  bool ShowPercent() const { return FShowPercent; }
  void SetShowPercent(bool Value);

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& W, int& H) override;

  // The filled part of R.
  TRect CalcProgressRect(const TRect& R, bool AVertical) const;
  // The caption: ProgressText and the percentage as shown.
  AnsiString CaptionText() const;
  void DrawProgressText(TCanvas* Canvas);

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  void DrawBar(TBitmap* B, const TRect& P) const;

  bool FUseSkinSize { true };
  int FMinValue { 0 };
  int FMaxValue { 100 };
  int FValue { 50 };
  bool FVertical { false };
  AnsiString FProgressText;
  bool FShowProgressText { false };
  bool FShowPercent { false };

  // Copies of the record.
  TRect ProgressArea, NewProgressArea, ProgressRect;
  int BeginOffset { 0 }, EndOffset { 0 };
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 };
};
