#pragma once
// The skinned text controls: the stock label taking its font from a skin ("stdlabel"), a framed one-line
// label whose face comes from the skin ("label") and widens to its caption, and the status panel, that
// label with a glyph before the text ("statuspanel").

#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"

// The panel's border styles, shared by the framed label.
#include "skin/controls/bsSkinCtrls_panel.h"

class TbsSkinData;

class TbsSkinStdLabel : public TCustomLabel, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinStdLabel, TCustomLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinStdLabel(TComponent* AOwner);
  ~TbsSkinStdLabel() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }

  void GetSkinData();
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override { FSkinObjectIndex = -1; }

 protected:
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void OnDefaultFontChange(TObject* Sender);

  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "stdlabel" };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  int FSkinObjectIndex { -1 };
  // Copies of the record.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 };
};

class TbsSkinLabel : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinLabel, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinLabel(TComponent* AOwner);
  ~TbsSkinLabel() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // On: the label takes the width of its caption (a stretching skin face widens anyway).
  void SetAutoSize(bool Value) override;
  TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TbsSkinBorderStyle Value);

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& W, int& H) override;
  void Dispatch(TMessage& Message) override;

  // The caption in R, aligned, not clipped.
  void DrawLabelText(TCanvas* Canvas, const TRect& R);
  // How many pixels the caption is wider than the skin's client area (0 for a fixed-size face).
  int CalcWidthOffset();
  void AdjustBounds();

 protected:
  bool CanAutoSize(int&, int&) override { return true; }  // the label sizes itself, in AdjustBounds
  // The default look's frame and the client part left inside it.
  TRect DrawDefaultFrame(TBitmap* B);

 private:
  TAlignment FAlignment { taLeftJustify };
  TbsSkinBorderStyle FBorderStyle { bs::bvRaised };
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 };
};

class TbsSkinStatusPanel : public TbsSkinLabel {
  XJ_CLASS(TbsSkinStatusPanel, TbsSkinLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinStatusPanel(TComponent* AOwner);
  ~TbsSkinStatusPanel() override;

  // Cell 1 the enabled image, cell 2 (when there are two) the disabled one.
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 or 2; other values are brought into that range.
  void SetNumGlyphs(int Value);

  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Dispatch(TMessage& Message) override;

 private:
  // Draws the glyph at X, centred on Y, and returns the width it takes with its gap (0 without one).
  int DrawPanelGlyph(TCanvas* Canvas, int X, int CentreY);

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs { 2 };
};
