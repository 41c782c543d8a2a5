#pragma once
// The colour and font combo boxes: skinned combos whose items are the named colours (with a swatch and
// an optional custom colour picked in the colour dialog) or the font families installed on the machine
// (each listed in its own typeface, TrueType families marked).

#include "skin/controls/bsSkinBoxCtrls_combo.h"

struct tagLOGFONTA;
struct tagTEXTMETRICA;

// ---- Colour combo --------------------------------------------------------------------------------------

enum TbsColorBoxStyles {
  bscbStandardColors,
  bscbExtendedColors,
  bscbSystemColors,
  bscbIncludeNone,
  bscbIncludeDefault,
  bscbCustomColor,
  bscbPrettyNames
};
XJ_ENUM_IDENTS(TbsColorBoxStyles, bscbStandardColors, bscbExtendedColors, bscbSystemColors, bscbIncludeNone,
               bscbIncludeDefault, bscbCustomColor, bscbPrettyNames);
typedef Set<TbsColorBoxStyles> TbsColorBoxStyle;

// What Selected reads when no item is selected.
constexpr TColor bsNoColorSelected = int32_t(0xFF000000u);

class TbsSkinColorComboBox : public TbsSkinCustomComboBox {
  XJ_CLASS(TbsSkinColorComboBox, TbsSkinCustomComboBox)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinColorComboBox(TComponent* AOwner);
  ~TbsSkinColorComboBox() override;

  // The name beside a square swatch; without it the swatch fills the item.
  bool ShowNames() const { return FShowNames; }
  void SetShowNames(bool Value);
  // Which colours the list holds; refills at once. Without any colour group or custom item the list is
  // empty and the control disabled.
  TbsColorBoxStyle ExStyle() const { return FExStyle; }
  void SetExStyle(TbsColorBoxStyle Value);
  // Stored and streamed only.
  TColor DefaultColorColor() const { return FDefaultColorColor; }
  void SetDefaultColorColor(TColor Value);
  TColor NoneColorColor() const { return FNoneColorColor; }
  void SetNoneColorColor(TColor Value);
  // The selected item's colour (bsNoColorSelected without a selection). A colour not in the list goes
  // into the custom item when there is one; before the window exists only the value is kept.
  TColor Selected() const;
  void SetSelected(TColor Value);

  // Fills the list from the named-colour table by ExStyle (nothing before the window exists).
  void PopulateList();
  TColor GetColor(int Index) const;
  AnsiString GetColorName(int Index) const;
  // The swatch and name of item Index: the face's and the list rows' drawing.
  void DrawColorItem(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect, TOwnerDrawState State);
  // An accepted close on the custom item runs the colour dialog.
  void OnLBCloseUp(TObject* Sender);
  // Adds the named colour Name, under its pretty name when ExStyle asks for one.
  void ColorCallBack(const AnsiString& Name);
  // Runs the colour dialog on the custom item's colour; on confirmation the item takes the chosen
  // colour, the face repaints and OnClick then OnChange fire. Returns whether the user confirmed.
  virtual bool PickCustomColor();

 protected:
  void CreateWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  bool FShowNames { true };
  TbsColorBoxStyle FExStyle { bscbStandardColors, bscbExtendedColors, bscbSystemColors };
  TColor FDefaultColorColor { 0 };
  TColor FNoneColorColor { 0 };
  TColor FSelectedColor { 0 };
};

// ---- Font combo ----------------------------------------------------------------------------------------

enum TbsFontDevice : uint8_t { fdScreen, fdPrinter, fdBoth };
XJ_ENUM_IDENTS(TbsFontDevice, fdScreen, fdPrinter, fdBoth);

enum TbsFontListOption {
  foAnsiOnly,
  foTrueTypeOnly,
  foFixedPitchOnly,
  foNoOEMFonts,
  foOEMFontsOnly,
  foScalableOnly,
  foNoSymbolFonts
};
XJ_ENUM_IDENTS(TbsFontListOption, foAnsiOnly, foTrueTypeOnly, foFixedPitchOnly, foNoOEMFonts, foOEMFontsOnly,
               foScalableOnly, foNoSymbolFonts);
typedef Set<TbsFontListOption> TbsFontListOptions;

class TbsSkinFontComboBox : public TbsSkinCustomComboBox {
  XJ_CLASS(TbsSkinFontComboBox, TbsSkinCustomComboBox)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinFontComboBox(TComponent* AOwner);
  ~TbsSkinFontComboBox() override;

  // Whose fonts are listed; a change rebuilds the list.
  TbsFontDevice Device() const { return FDevice; }
  void SetDevice(TbsFontDevice Value);
  // Every option present must hold for a family to be listed; a change rebuilds the list.
  TbsFontListOptions Options() const { return FOptions; }
  void SetOptions(TbsFontListOptions Value);
  bool TrueTypeOnly() const { return FOptions.Contains(foTrueTypeOnly); }
  void SetTrueTypeOnly(bool Value);
  // Stored and streamed only.
  bool UseFonts() const { return FUseFonts; }
  void SetUseFonts(bool Value);
  // The selected family: the combo's text.
  AnsiString FontName() { return Text(); }
  // Selects the listed family of that name (letter case ignored, the list's spelling taken); a name not
  // listed clears the selection (fixed style) or becomes the text (edit style). OnChange fires once
  // when the name changed.
  void SetFontName(const AnsiString& Value);

  // Lists the families the device reports that pass Options (nothing before the window exists).
  void PopulateList();
  // Rebuilds the list and selects the old name again; OnChange fires only when the name was lost.
  void Reset();
  // A list row: the TrueType mark, then the name in its own typeface, 15 pixels in.
  void DrawLBFontItem(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect, TOwnerDrawState State);
  // The face: the name in the combo's font.
  void DrawCBFontItem(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect, TOwnerDrawState State);
  // A serif letter T, 8 pixels wide and 9 high, with its top-left corner at (X, Y).
  static void DrawTT(TCanvas* Cnvs, int X, int Y, TColor Color);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWnd() override;

 private:
  static int CALLBACK EnumFontsProc(const tagLOGFONTA* LogFont, const tagTEXTMETRICA* TextMetric, DWORD FontType,
                                    LPARAM Data);
  bool Accepts(const tagLOGFONTA& LogFont, DWORD FontType) const;
  void Enumerate(HDC DC);
  bool Loading() const { return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading); }
  // ItemIndex as a form sets it: the name it also holds decides.
  void SetStreamedItemIndex(int Value);

  TbsFontDevice FDevice { fdScreen };
  bool FUpdating { false };
  bool FUseFonts { false };
  TbsFontListOptions FOptions;
};
