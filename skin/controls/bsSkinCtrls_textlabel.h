#pragma once
// The windowless skinned labels that take only a font and colours from a "stdlabel" record: the
// multi-line text label, the link label and link image that open an address with the desktop's opener,
// and the button label (a glyph and caption that behaves like a flat button).

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_button.h"

// Hands URL to the desktop's opener when it is an address with a scheme or an existing file that is not
// a program; anything else opens nothing. Whether the opener started.
bool bsOpenLink(const AnsiString& URL);

// What the labels copy from a "stdlabel" record, and the lookup they share.
struct TbsLabelSkin {
  // The record index of Name in Data (-1 without a usable skin); a record of the right class is copied,
  // one of another class leaves the copies as they were.
  int Read(TbsSkinData* Data, const AnsiString& Name);
  // The skin font on F (name, style, height; the charset of Default).
  void ApplyFont(TFont* F, TFont* Default) const;

  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 };
  TColor ActiveFontColor { 0 };
};

// The skin-data reference every label keeps: cleared when the component goes.
class TbsLabelSkinLink : public IbsSkinChangeTarget {
 public:
  TbsSkinData* SkinData() const override { return FSkinData; }
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  const TbsLabelSkin& Skin() const { return FSkin; }

 protected:
  explicit TbsLabelSkinLink(TComponent* Self);
  ~TbsLabelSkinLink();
  // Stores Value; a non-null one is applied at once.
  void StoreSkinData(TbsSkinData* Value);
  void LookUp() { FSkinObjectIndex = FSkin.Read(FSkinData, FSkinDataName); }
  // Forgets a skin data component being freed.
  void Forget(TComponent* AComponent, TOperation Operation);

  TComponent* FSelf;
  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "stdlabel" };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  int FSkinObjectIndex { -1 };
  TbsLabelSkin FSkin;
};

class TbsSkinTextLabel : public TCustomLabel, public TbsLabelSkinLink {
  XJ_CLASS(TbsSkinTextLabel, TCustomLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinTextLabel(TComponent* AOwner);
  ~TbsSkinTextLabel() override;

  void SetSkinData(TbsSkinData* Value) { StoreSkinData(Value); }
  TStrings* Lines() const { return FLines.get(); }
  // Takes a copy, resizes to it (with AutoSize) and repaints.
  void SetLines(TStrings* Value);

  void GetSkinData() { LookUp(); }
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

 protected:
  AnsiString GetLabelText() override;
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::unique_ptr<TStringList> FLines;
};

class TbsSkinLinkImage : public TImage {
  XJ_CLASS(TbsSkinLinkImage, TImage)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinLinkImage(TComponent* AOwner);

  const AnsiString& URL() const { return FURL; }
  void SetURL(const AnsiString& Value) { FURL = Value; }

 protected:
  // OnClick first, then the address is opened.
  void Click() override;

 private:
  AnsiString FURL;
};

class TbsSkinLinkLabel : public TCustomLabel, public TbsLabelSkinLink {
  XJ_CLASS(TbsSkinLinkLabel, TCustomLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinLinkLabel(TComponent* AOwner);
  ~TbsSkinLinkLabel() override;

  void SetSkinData(TbsSkinData* Value) { StoreSkinData(Value); }
  TColor DefaultActiveFontColor() const { return FDefaultActiveFontColor; }
  void SetDefaultActiveFontColor(TColor Value) { FDefaultActiveFontColor = Value; }
  const AnsiString& URL() const { return FURL; }
  void SetURL(const AnsiString& Value) { FURL = Value; }
  bool MouseIn() const { return FMouseIn; }

  void GetSkinData() { LookUp(); }
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FMouseIn { false };
  TColor FDefaultActiveFontColor { clBlue };
  AnsiString FURL;
};

class TbsSkinButtonLabel : public TGraphicControl, public TbsLabelSkinLink {
  XJ_CLASS(TbsSkinButtonLabel, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinButtonLabel(TComponent* AOwner);
  ~TbsSkinButtonLabel() override;

  void SetSkinData(TbsSkinData* Value) { StoreSkinData(Value); }
  TColor DefaultActiveFontColor() const { return FDefaultActiveFontColor; }
  void SetDefaultActiveFontColor(TColor Value) { FDefaultActiveFontColor = Value; }
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  TbsNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  // Clamped to 1..4; repaints even when unchanged.
  void SetNumGlyphs(TbsNumGlyphs Value);
  int Margin() const { return FMargin; }
  // Values below -1 are refused.
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TbsButtonLayout Layout() const { return FLayout; }
  void SetLayout(TbsButtonLayout Value);
  bool MouseIn() const { return FMouseIn; }
  bool Pressed() const { return FPressed; }
  // The cell shown: 3 pressed, 4 hot, 2 disabled, else 1 (as far as the strip has cells).
  int GlyphNum() const;

  // Looks the record up; painting keeps that lookup until the next change.
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  template <class T>
  void ChangeLook(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Repaint();
  }

  bool FMouseIn { false };
  bool FPressed { false };
  TColor FDefaultActiveFontColor { clBlue };
  std::unique_ptr<TBitmap> FGlyph;
  TbsNumGlyphs FNumGlyphs { 2 };
  int FMargin { -1 };
  int FSpacing { 1 };
  TbsButtonLayout FLayout { blGlyphLeft };
};
