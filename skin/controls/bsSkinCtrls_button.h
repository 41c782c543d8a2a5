#pragma once
// The skinned push button and menu button.

#include "skin/controls/bsSkinCtrls_press.h"

class TPopupMenu;

// Blends Hot into Normal by Kind at factor Kf (0.0 Normal .. 1.0 Hot) and draws the result on DC at (0, 0).
void bsDrawMorph(TBitmap& Normal, TBitmap& Hot, TbsMorphKind Kind, double Kf, HDC DC);

// ---- TbsSkinButton --------------------------------------------------------------------------------------

// The release rule runs before the inherited mouse-up: OnMouseUp hears of a release after its click.
class TbsSkinButton : public TbsSkinPushButton<TbsSkinCustomControl> {
  XJ_CLASS(TbsSkinButton, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  // Every button of the form works out again which one Return reaches.
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  // A group button never takes the focus.
  void SetGroupIndex(int Value);

  // Return reaches the button now (it is focused, or the default while the focus is on a non-button).
  bool DefaultActive() const { return FDefaultActive; }
  bool IsFocused();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap*) override {}
  void ChangeSkinData() override;

  // One face: the skin rectangle R of the current size with glyph and caption for the state.
  virtual void CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn);
  // The form's ModalResult (from a focusable button), then OnClick; a linked action runs through the
  // control's stock click.
  void ButtonClick() override;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWnd() override;
  void Paint() override;
  // Hot while the mouse is in or the button has the focus.
  bool Lit() override { return FMouseIn || IsFocused(); }
  // The pressed face shows while down and (grouped, hot, or focused without a held mouse).
  bool ShowsDown();

  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  // The press is cancelled (capture taken, disabled, hidden): no click, no repeat.
  void CancelPress();

  bool FInSetFocus { false };
  bool FReleasing { false };  // our own release of the capture is no capture loss

 private:
  bool FDefaultActive { false };
  bool FDefault { false };
  bool FCancel { false };
  TModalResult FModalResult { mrNone };
  bool FCanFocused { true };
};

// ---- TbsSkinMenuButton ----------------------------------------------------------------------------------

// Where a menu button opens its popup menu beside a screen rectangle on behalf of a control. The skinned
// popup menus of the form engine install it; it answers whether a menu opened, and an opened menu sends
// WM_CLOSESKINMENU to the control when it closes. Without one installed no menu ever opens.
using TbsPopupFromRect = std::function<bool(TPopupMenu* Menu, TControl* AControl, const TRect& R, bool Flag)>;
void SetSkinPopupFromRect(TbsPopupFromRect Opener);
// The opener installed (empty: none).
const TbsPopupFromRect& SkinPopupFromRect();

// What the menu button and the menu speed button (TButton) share: the popup menu, the track part of the
// face, and the left press there (anywhere outside track mode) that holds the button down while the menu
// is open.
template <class TButton>
class TbsSkinMenuPushButton : public TButton {
 public:
  // Width of the unskinned track area at the right edge.
  static constexpr int kTrackWidth = 15;

  explicit TbsSkinMenuPushButton(TComponent* AOwner);

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
  void CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Down, then the menu beside the button; a menu that did not open lets the button up at once.
  void OpenMenu();
  // The menu beside the button; whether one opened.
  bool TrackMenu();
  void CloseMenu();
  // The built-in look's frames (in track mode the button part and the track part apart) with the canvas
  // font set to DefaultFont; the rectangle left for glyph and caption.
  TRect DrawDefaultMenuFace(TCanvas* Canvas, bool Pressed, bool Hot, bool NormalFrame);
  // The built-in look's arrow at the right edge, pushed in while pressed or while the menu is open.
  void DrawDefaultMenuArrow(TCanvas* Canvas, bool Pressed);

  bool FTrackButtonMode { false };
  bool FMenuTracked { false };
  bool FMenuPress { false };  // the mouse press that opened (or tried to open) the menu is held
  TPopupMenu* FSkinPopupMenu { nullptr };
};

extern template class TbsSkinMenuPushButton<TbsSkinButton>;

class TbsSkinMenuButton : public TbsSkinMenuPushButton<TbsSkinButton> {
  XJ_CLASS(TbsSkinMenuButton, TbsSkinButton)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMenuButton(TComponent* AOwner);

  void CreateControlDefaultImage(TBitmap* B) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FMenuSpace { false };  // the Space that opened (or tried to open) the menu is held
};
