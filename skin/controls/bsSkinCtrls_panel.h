#pragma once
// The skinned container: a panel with an optional caption bar (check box, roll-up marker, glyph) and the
// group box, which is the panel with the bar switched on. Groups, notebooks, tool bars and the calendar
// derive from the panel.

#include "skin/controls/bsSkinCtrls_base.h"

// The stock panel's bevel names (bvNone, bvLowered, bvRaised) are taken with other values, so the skinned
// border styles live in a namespace of their own: bs::bvFrame.
namespace bs {
enum TbsSkinBorderStyle : uint8_t { bvRaised, bvLowered, bvNone, bvFrame };
}  // namespace bs
using bs::TbsSkinBorderStyle;
template <>
struct TEnumTraits<TbsSkinBorderStyle> {
  static constexpr const char* Name = "TbsSkinBorderStyle";
  static constexpr const char* Names = "bvRaised, bvLowered, bvNone, bvFrame";
  static constexpr TbsSkinBorderStyle Values[] = { bs::bvRaised, bs::bvLowered, bs::bvNone, bs::bvFrame };
};

typedef uint8_t TbsSkinPanelNumGlyphs;  // 1..2

class TList;

// A W x H area of Canvas covered from its top-left corner: with the client part ClRect of the face
// SkinRect of Picture, or with the whole of Picture; the last row and column cut at the edges.
void bsTileClientPart(TCanvas* Canvas, int W, int H, TBitmap* Picture, const TRect& SkinRect, const TRect& ClRect);
void bsTilePicture(TCanvas* Canvas, int W, int H, TBitmap* Picture);
// Rectangle R of Picture (a skin picture: the image is kept for the next draw while no skin picture
// changes) drawn at (X, Y), its bottom-left pixel transparent.
void SkinDrawCheckImage(TCanvas* Canvas, int X, int Y, TBitmap* Picture, const TRect& R);
// The caption font of a skinned face: the skin's name, height and style with DefaultFont's charset, or
// DefaultFont itself when UseSkinFont is off.
void AssignSkinFont(TFont* Font, bool UseSkinFont, TFont* DefaultFont, const AnsiString& FontName, int FontHeight,
                    TFontStyles FontStyle);

class TbsSkinPanel : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinPanel, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinPanel(TComponent* AOwner);
  ~TbsSkinPanel() override;

  bool CheckedMode() const { return FCheckedMode; }
  void SetCheckedMode(bool Value);
  bool Checked() const { return FChecked; }
  // Every assignment (and every click on the caption's box) fires OnChecked, changed or not.
  void SetChecked(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  TbsSkinPanelNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TbsSkinPanelNumGlyphs Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  // The height before the panel rolled up; -1 until it first does.
  int SavedHeight() const { return FSavedHeight; }
  bool RollUpState() const { return FRollUpState; }
  void SetRollUpState(bool Value);
  bool RollUpMode() const { return FRollUpMode; }
  void SetRollUpMode(bool Value);
  bool CaptionMode() const { return FCaptionMode; }
  virtual void SetCaptionMode(bool Value);
  TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TbsSkinBorderStyle Value);
  int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  virtual void SetDefaultCaptionHeight(int Value);
  TAlignment DefaultAlignment() const { return FDefaultAlignment; }
  void SetDefaultAlignment(TAlignment Value);
  bool AutoEnabledControls() const { return FAutoEnabledControls; }
  void SetAutoEnabledControls(bool Value) { FAutoEnabledControls = Value; }
  // The children roll-up hid (null while none are).
  TList* HiddenControls() const { return FHiddenControls.get(); }

  TNotifyEvent OnChecked;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  // Rolls a rolled-up panel up again for the new skin, or realigns the children.
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

  // Copies of the skin record, and their places on the control at its current size.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 };
  TAlignment Alignment { taCenter };
  TRect CaptionRect, NewCaptionRect;
  TRect RollUpMarkerRect, RestoreMarkerRect, NewRollUpMarkerRect;
  int BGPictureIndex { -1 };
  TRect CheckImageRect, UnCheckImageRect;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

  // The height a rolled-up panel keeps: the caption bar and the frame.
  int RolledHeight() const;
  int UnskinnedHeight() const override;
  // A bar whose height the program sets to fit what it holds (tool bar, status bar): back in the
  // built-in look it takes the height last asked of it rather than DefaultHeight.
  bool FKeepAskedHeight { false };
  // The caption text, glyph and (with CheckedMode) box inside R, with the canvas font already chosen.
  void DrawCaptionContent(TCanvas* C, TRect R, TAlignment Align, int Indent);

 private:
  bool CanPaintBackground() const;
  void DoRollUp(bool Value);
  void HideControls();
  void ShowControls();
  void ReadRolledUp(TReader* Reader);
  void WriteRolledUp(TWriter* Writer);

  bool FCheckedMode { false };
  bool FChecked { false };
  std::unique_ptr<TBitmap> FGlyph;
  TbsSkinPanelNumGlyphs FNumGlyphs { 1 };
  int FSpacing { 2 };
  int FSavedHeight { -1 };
  bool FRollUpState { false };
  bool FRollUpMode { false };
  bool FCaptionMode { false };
  TbsOwnPress FPress;
  TbsSkinBorderStyle FBorderStyle { bs::bvRaised };
  int FDefaultCaptionHeight { 22 };
  TAlignment FDefaultAlignment { taLeftJustify };
  std::unique_ptr<TList> FHiddenControls;
  bool FAutoEnabledControls { true };
  // A rolled-up panel read from a stream: its full height and the names of the children it hid.
  int FStreamedSavedHeight { -1 };
  std::vector<AnsiString> FStreamedHidden;
  int FAskedHeight { 0 };
  bool FSizingToSkin { false };  // set while a skin change sizes the panel: no height asked then
};

class TbsSkinGroupBox : public TbsSkinPanel {
  XJ_CLASS(TbsSkinGroupBox, TbsSkinPanel)
 public:
  explicit TbsSkinGroupBox(TComponent* AOwner);
};
