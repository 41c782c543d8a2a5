#pragma once
// The skinned push button and menu button.

#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"
#include "skin/data/bsSkinData.h"

class TPopupMenu;

// Blends Hot into Normal by Kind at factor Kf (0.0 Normal .. 1.0 Hot) and draws the result on DC at (0, 0).
void bsDrawMorph(TBitmap& Normal, TBitmap& Hot, TbsMorphKind Kind, double Kf, HDC DC);
// An empty Glyph takes the image of an action from its action list's images (on a fuchsia ground).
void bsGlyphFromAction(TBitmap* Glyph, TObject* Action);

// ---- TbsSkinButton --------------------------------------------------------------------------------------

using TbsNumGlyphs = int;  // 1..4 cells in a glyph strip

class TbsSkinButton : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinButton, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinButton(TComponent* AOwner);
  ~TbsSkinButton() override;

  bool RepeatMode() const { return FRepeatMode; }
  void SetRepeatMode(bool Value) { FRepeatMode = Value; }
  int RepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(int Value) { FRepeatInterval = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Default() const { return FDefault; }
  // Every button of the form works out again which one Return reaches.
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  bool Down() const { return FDown; }
  // Repaints; in a group without AllowAllUp, a button going down raises the others.
  void SetDown(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  // A group button never takes the focus.
  void SetGroupIndex(int Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  TbsNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TbsNumGlyphs Value);
  int Margin() const { return FMargin; }
  // -1 centres glyph and caption; values below -1 are refused.
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TbsButtonLayout Layout() const { return FLayout; }
  void SetLayout(TbsButtonLayout Value);

  // Return reaches the button now (it is focused, or the default while the focus is on a non-button).
  bool DefaultActive() const { return FDefaultActive; }
  bool MouseIn() const { return FMouseIn; }
  bool Pressed() const { return FPressed; }
  bool IsFocused();
  double MorphKf() const { return FMorph.Kf(); }
  bool Morphing() const { return FMorphing; }
  TbsMorphFade& Morph() { return FMorph; }
  TbsRepeatTimer& Repeat() { return FRepeat; }

  // The button's own click event; a linked action runs through the control's stock click.
  TNotifyEvent OnClick;

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap*) override {}
  void ChangeSkinData() override;

  // One face: the skin rectangle R of the current size with glyph and caption for the state.
  virtual void CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn);
  // The form's ModalResult (from a focusable button), then OnClick.
  virtual void ButtonClick();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the record while skinned.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, DownFontColor { 0 }, DisabledFontColor { 0 };
  TRect ActiveSkinRect, DownSkinRect, DisabledSkinRect;
  TbsMorphKind MorphKind { mkDefault };

 protected:
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

  // Cell of the glyph strip: 3 pressed, 4 hot, 2 disabled, else 1 (as far as the strip has cells).
  int GetGlyphNum(bool ADown, bool AMouseIn) const;
  // Fades when skinned and morphing, else repaints.
  void ReDrawControl();
  void StartMorph() { FMorph.Start(); }
  void StopMorph() { FMorph.Stop(); }
  void StartRepeat() { FRepeat.Start(FRepeatInterval); }
  void StopRepeat() { FRepeat.Stop(); }
  void DoAllUp();
  // The pressed face shows while down and (grouped, hot, or focused without a held mouse).
  bool ShowsDown();
  // The one-pixel frame and fill of the default look.
  static void DrawDefaultFrame(TCanvas* Canvas, TRect R, TColor Frame, TColor Fill);
  // Sets the font of a face: the skin's (with UseSkinFont) or DefaultFont.
  void SetFaceFont(TCanvas* Canvas);

  // Stores a value the face shows and repaints, when it differs.
  template <class T>
  void ChangeLook(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Repaint();
  }

  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  // The press is cancelled (capture taken, disabled, hidden): no click, no repeat.
  void CancelPress();

  bool FMouseIn { false };
  bool FPressed { false };
  bool FMorphing { false };
  bool FInSetFocus { false };
  bool FReleasing { false };  // our own release of the capture is no capture loss

 private:
  bool FRepeatMode { false };
  int FRepeatInterval { 100 };
  bool FDefaultActive { false };
  bool FAllowAllUp { false };
  bool FWasDown { false };
  bool FDefault { false };
  bool FCancel { false };
  TModalResult FModalResult { mrNone };
  bool FCanFocused { true };
  bool FDown { false };
  int FGroupIndex { 0 };
  std::unique_ptr<TBitmap> FGlyph;
  TbsNumGlyphs FNumGlyphs { 2 };
  int FMargin { -1 };
  int FSpacing { 1 };
  TbsButtonLayout FLayout { blGlyphLeft };
  TbsMorphFade FMorph;
  TbsRepeatTimer FRepeat;
};

// ---- TbsSkinMenuButton ----------------------------------------------------------------------------------

// Where a menu button opens its popup menu beside a screen rectangle on behalf of a control. The skinned
// popup menus of the form engine install it; it answers whether a menu opened, and an opened menu sends
// WM_CLOSESKINMENU to the control when it closes. Without one installed no menu ever opens.
using TbsPopupFromRect = std::function<bool(TPopupMenu* Menu, TControl* AControl, const TRect& R, bool Flag)>;
void SetSkinPopupFromRect(TbsPopupFromRect Opener);
// The opener installed (empty: none).
const TbsPopupFromRect& SkinPopupFromRect();

class TbsSkinMenuButton : public TbsSkinButton {
  XJ_CLASS(TbsSkinMenuButton, TbsSkinButton)
  XJ_PUBLISHED_ACCESS;

 public:
  // Width of the unskinned track area at the right edge.
  static constexpr int kTrackWidth = 15;

  explicit TbsSkinMenuButton(TComponent* AOwner);

  TPopupMenu* SkinPopupMenu() const { return FSkinPopupMenu; }
  void SetSkinPopupMenu(TPopupMenu* Value);
  bool TrackButtonMode() const { return FTrackButtonMode; }
  void SetTrackButtonMode(bool Value);
  bool MenuTracked() const { return FMenuTracked; }

  TNotifyEvent OnShowTrackMenu;
  TNotifyEvent OnHideTrackMenu;

  TRect TrackButtonRect;  // in face coordinates, copied from the record

  // TrackButtonRect moved to the current size.
  TRect GetNewTrackButtonRect();
  // Whether a press at (X, Y) opens the menu.
  bool CanMenuTrack(int X, int Y);

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Down, then the menu beside the client area; a menu that did not open lets the button up at once.
  void OpenMenu();
  // The menu beside the client area; whether one opened.
  bool TrackMenu();
  void CloseMenu();

 private:
  bool FTrackButtonMode { false };
  bool FMenuTracked { false };
  bool FMenuPress { false };  // the mouse press that opened (or tried to open) the menu is held
  bool FMenuSpace { false };  // the Space that opened (or tried to open) the menu is held
  TPopupMenu* FSkinPopupMenu { nullptr };
};
