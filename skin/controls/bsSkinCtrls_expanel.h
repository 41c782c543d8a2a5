#pragma once
// The roll-up panel: a container with a caption bar carrying a close button (hides the panel) and a roll
// button that rolls it up to its caption, in height or in width (a narrow strip with the caption
// turned), hiding its visible children until it unrolls.

#include "skin/controls/bsSkinCtrls_panel.h"

enum TbsExPanelRollKind { rkRollHorizontal, rkRollVertical };
XJ_ENUM_IDENTS(TbsExPanelRollKind, rkRollHorizontal, rkRollVertical);

class TbsSkinExPanel : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinExPanel, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  // Index 0 is the close button, 1 the roll button; an empty R is a button not shown.
  struct TButton {
    TRect R;
    bool MouseIn { false };
    bool Down { false };
  };

  explicit TbsSkinExPanel(TComponent* AOwner);
  ~TbsSkinExPanel() override;

  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  TbsSkinPanelNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TbsSkinPanelNumGlyphs Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  bool ShowRollButton() const { return FShowRollButton; }
  void SetShowRollButton(bool Value);
  bool ShowCloseButton() const { return FShowCloseButton; }
  void SetShowCloseButton(bool Value);
  int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  void SetDefaultCaptionHeight(int Value);
  bool RollState() const { return FRollState; }
  // While the form is read, only remembered: the roll happens in Loaded, when the children exist.
  void SetRollState(bool Value);
  TbsExPanelRollKind RollKind() const { return FRollKind; }
  // A rolled panel unrolls in its old direction first.
  void SetRollKind(TbsExPanelRollKind Value);
  int RollSavedWidth() const { return FRollSavedWidth; }
  int RollSavedHeight() const { return FRollSavedHeight; }
  const TButton& Buttons(int I) const { return FButtons[I]; }

  TNotifyEvent OnChangeRollState;
  TNotifyEvent OnClose;

  int GetRollWidth() const;
  int GetRollHeight() const;
  void Close();

  void GetSkinData() override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

 protected:
  void DefineProperties(TFiler* Filer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  bool Skinned() const { return FSkinObjectIndex != -1 && Picture; }
  void ApplyRollState(bool Value);
  void HideControls();
  void ShowControls();
  void TestActive(int X, int Y);
  void ButtonUp(int I, int X, int Y);
  void DrawButton(TCanvas* C, int I);
  void DrawCaption(TCanvas* C, TRect R, bool Turned, int GlyphBottomGap);
  void ReadSavedWidth(TReader* R) { FRollSavedWidth = R->ReadInteger(); }
  void WriteSavedWidth(TWriter* W) { W->WriteInteger(FRollSavedWidth); }
  void ReadSavedHeight(TReader* R) { FRollSavedHeight = R->ReadInteger(); }
  void WriteSavedHeight(TWriter* W) { W->WriteInteger(FRollSavedHeight); }
  // The places among the children of those the roll hid.
  void ReadHiddenControls(TReader* Reader);
  void WriteHiddenControls(TWriter* Writer);

  std::unique_ptr<TBitmap> FGlyph;
  TbsSkinPanelNumGlyphs FNumGlyphs { 1 };
  int FSpacing { 2 };
  bool FRolling { false };
  bool FRollState { false };
  bool FPendingRoll { false };
  TbsExPanelRollKind FRollKind { rkRollVertical };
  int FDefaultCaptionHeight { 21 };
  std::vector<TControl*> FHiddenControls;
  std::vector<std::weak_ptr<const void>> FHiddenLives;
  std::vector<int> FReadHidden;
  int FRollSavedWidth { 0 };
  int FRollSavedHeight { 0 };
  bool FShowRollButton { true };
  bool FShowCloseButton { true };
  TButton FButtons[2];
  int FOldActiveButton { -1 }, FActiveButton { -1 }, FCaptureButton { -1 };

  // Copies of the record.
  TRect CaptionRect, RollHSkinRect, RollVSkinRect, RollVCaptionRect, RollHCaptionRect;
  int RollLeftOffset { 0 }, RollRightOffset { 0 }, RollTopOffset { 0 }, RollBottomOffset { 0 };
  TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
  TRect HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect;
  TRect HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect;
  TRect VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect;
  TRect VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect;
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { clBtnText };
};
