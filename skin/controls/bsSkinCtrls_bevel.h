#pragma once
// The skinned bevel (the stock bevel in the two colours of a "bevel" record, or a thin centred divider)
// and the shaped image button (a skinned button that, without a skin, shows three pictures of its own
// and is cut to the black pixels of a mask picture).

#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/bsSkinCtrls_button.h"

class TbsSkinBevel : public TBevel, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinBevel, TBevel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinBevel(TComponent* AOwner);
  ~TbsSkinBevel() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  // Stores Value and takes its colours at once (the default colours for null).
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  // Takes effect at the next skin change.
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  bool DividerMode() const { return FDividerMode; }
  void SetDividerMode(bool Value);
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  TColor LightColor() const { return FLightColor; }
  TColor DarkColor() const { return FDarkColor; }

  // Looks the record up and takes its colours; a record of another class leaves them as they were.
  void ChangeSkinData() override;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "bevel" };
  int FSkinObjectIndex { -1 };
  bool FDividerMode { false };
  TColor FLightColor { clBtnHighlight };
  TColor FDarkColor { clBtnShadow };
};

class TbsSkinXFormButton : public TbsSkinButton {
  XJ_CLASS(TbsSkinXFormButton, TbsSkinButton)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinXFormButton(TComponent* AOwner);
  ~TbsSkinXFormButton() override;

  TBitmap* DefImage() const { return FDefImage.get(); }
  // The button takes the picture's size while it has no skin.
  void SetDefImage(TBitmap* Value);
  TBitmap* DefActiveImage() const { return FDefActiveImage.get(); }
  void SetDefActiveImage(TBitmap* Value) { FDefActiveImage->Assign(Value); }
  TBitmap* DefDownImage() const { return FDefDownImage.get(); }
  void SetDefDownImage(TBitmap* Value) { FDefDownImage->Assign(Value); }
  TBitmap* DefMask() const { return FDefMask.get(); }
  // Cuts the button to the mask's black pixels at once in the picture look.
  void SetDefMask(TBitmap* Value);
  TColor DefActiveFontColor() const { return FDefActiveFontColor; }
  void SetDefActiveFontColor(TColor Value) { FDefActiveFontColor = Value; }
  TColor DefDownFontColor() const { return FDefDownFontColor; }
  void SetDefDownFontColor(TColor Value) { FDefDownFontColor = Value; }

  // The button's own pictures are in force: no usable skin record, and a normal picture.
  bool ImageMode() const { return !CanPaintSkin() && !FDefImage->Empty(); }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void SetControlRegion() override;
  void DrawDefaultButton(TCanvas* C);

 protected:
  void Loaded() override;

 private:
  std::unique_ptr<TBitmap> FDefImage, FDefActiveImage, FDefDownImage, FDefMask;
  TColor FDefActiveFontColor { 0 };
  TColor FDefDownFontColor { 0 };
};
