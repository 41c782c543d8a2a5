#pragma once
// The borderless inner edit of the skinned edits, spin edit and combo box, the spin edit's numeric edit,
// and the spin edit.

#include <memory>

#include "platform/vcl/Mask.h"
#include "skin/controls/bsSkinBoxCtrls_updown.h"

class TbsSkinData;

typedef TClosure<void(TControl* C)> TbsOnEditCancelMode;

// A masked edit without border or client edge and with a 2-pixel left margin. Its own ReadOnly swallows
// every editing input while caret movement, selection and copying still work. In transparent mode it
// draws its text straight over what its owner painted behind it, and has the owner repaint that area
// whenever the text or the selection may have changed.
class TbsCustomEdit : public TCustomMaskEdit {
  XJ_CLASS(TbsCustomEdit, TCustomMaskEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsCustomEdit(TComponent* AOwner);
  ~TbsCustomEdit() override;

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool EditTransparent() const { return FEditTransparent; }
  // The window style depends on it: the window is recreated.
  void SetEditTransparent(bool Value);
  // A left-button selection is in progress.
  bool LBDown() const { return FLBDown; }

  // Told of a CM_CANCELMODE, with the control that takes over.
  TbsOnEditCancelMode OnEditCancelMode;

  void Invalidate() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Change() override;
  // What the text, caret or selection may have changed needs repainting (transparent mode): all of it,
  // unless a descendant can restore the background under the text alone.
  virtual void InvalidateText() { Invalidate(); }

 private:
  void ColourTransparentText(TMessage& Message);
  void EraseTransparent(TMessage& Message);
  void SetFontKeepMargins(TMessage& Message);
  void CancelModeNotify(TMessage& Message);
  void DispatchAndRepaintText(TMessage& Message);
  bool TextMayHaveChanged(UINT Msg);

  bool FLBDown { false };
  bool FReadOnly { false };
  bool FEditTransparent { false };
};

// The spin edit's inner edit: only characters that can form a number; the Up and Down keys and the
// wheel become step requests for its owner.
class TbsSkinNumEdit : public TbsCustomEdit {
  XJ_CLASS(TbsSkinNumEdit, TbsCustomEdit)

 public:
  explicit TbsSkinNumEdit(TComponent* AOwner);
  ~TbsSkinNumEdit() override;

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;
  // Typing allowed; without it only the clipboard shortcuts and other control keys pass.
  bool EditorEnabled { true };
  // The decimal separator is accepted.
  bool FloatMode { false };

  // The key alone is judged, not where it would land: the owner checks the whole text.
  bool IsValidChar(char Key) const;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
};

enum TbsValueType { vtInteger, vtFloat };
XJ_ENUM_IDENTS(TbsValueType, vtInteger, vtFloat);

// A framed numeric edit with up and down arrows on its right. Value stays within MinValue..MaxValue (no
// bounds while they are equal) and is stepped by Increment through the arrows (with hold-to-repeat), the
// Up and Down keys and the wheel. Typed text updates Value at each keystroke that leaves a number; a text
// that is no number (or none this control can hold) leaves Value as it was, without an error.
class TbsSkinSpinEdit : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinSpinEdit, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinSpinEdit(TComponent* AOwner);
  ~TbsSkinSpinEdit() override;

  double Value() const { return FValue; }
  // Clamps (and in integer mode rounds, halves to even), shows the value and fires OnChange, even
  // when it is unchanged. NaN, and infinities in float mode, are refused.
  void SetValue(double AValue);
  // The same without OnChange.
  void SimpleSetValue(double AValue);
  TbsValueType ValueType() const { return FValueType; }
  // Integer mode rounds Increment (1 when that gives 0); the text is not reformatted.
  void SetValueType(TbsValueType Value);
  int Decimal() const { return FDecimal; }
  // Shown from the next SetValue on.
  void SetDecimal(int Value);
  double MinValue() const { return FMinValue; }
  void SetMinValue(double Value) { FMinValue = Value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double Value) { FMaxValue = Value; }
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  bool EditorEnabled() const { return FEdit->EditorEnabled; }
  void SetEditorEnabled(bool Value) { FEdit->EditorEnabled = Value; }
  int MaxLength() const { return FEdit->MaxLength(); }
  void SetMaxLength(int Value) { FEdit->SetMaxLength(Value); }
  TbsSkinNumEdit* Edit() const { return FEdit; }

  // Whether T may be converted: digits, one leading minus sign and (float mode) one separator not in
  // front; an empty text or a lone "-" is none.
  bool IsNumText(const AnsiString& T) const;
  // Value held within the bounds.
  double CheckValue(double Value) const;

  TNotifyEvent OnChange;
  TKeyEvent OnEditKeyDown;
  TKeyPressEvent OnEditKeyPress;
  TKeyEvent OnEditKeyUp;
  TNotifyEvent OnEditEnter;
  TNotifyEvent OnEditExit;

  const TbsArrowPair::TButtonState& Button(int Index) const { return FArrows.Buttons[Index]; }
  bool Repeating() const { return FArrows.Repeating(); }
  void CalcRects();

  void Invalidate() override;
  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void DefaultFontChange() override;
  void Dispatch(TMessage& Message) override;

 protected:
  // The inner edit's events, handed on with the spin edit as sender.
  virtual void EditKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  virtual void EditKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  virtual void EditKeyPress(TObject* Sender, char& Key);
  virtual void EditEnter(TObject* Sender);
  virtual void EditExit(TObject* Sender);
  virtual void Change();

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  // The value as shown: fixed with Decimal digits, or the rounded integer.
  AnsiString ValueText(double V) const;
  // The value stored for V: clamped, and rounded in integer mode.
  double Stored(double V) const;
  void TextChanged();
  void UpClick(TObject*) { SetValue(FValue + FIncrement); }
  void DownClick(TObject*) { SetValue(FValue - FIncrement); }
  void EditChange(TObject* Sender);
  void ApplyEditFont();

  bool FStopCheck { false };
  int FDecimal { 2 };
  double FMinValue { 0 };
  double FMaxValue { 0 };
  double FIncrement { 1.0 };
  bool FFromEdit { false };
  TbsValueType FValueType { vtInteger };
  double FValue { 0 };
  TbsArrowPair FArrows { this, false };

  // Copies of the record.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { clBlack };
  TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;

  TbsSkinNumEdit* FEdit { nullptr };
};

// The skinned single-line edit: a native edit whose frame, background and optional push button are
// painted into its non-client area from an "edit" (or "buttonedit") record, or in the default look. The
// text is drawn transparently over that face. The button clicks on a press and a release over it.
class TbsSkinCustomEdit : public TbsCustomEdit, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinCustomEdit, TbsCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomEdit(TComponent* AOwner);
  ~TbsSkinCustomEdit() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  // A usable skin at run time is applied at once.
  virtual void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  // Font and size from the skin (or the default look), then a new window.
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override {
    FSkinObjectIndex = -1;
    FFaceValid = false;
  }

  bool ButtonMode() const { return FButtonMode; }
  // While designing it also picks the standard record name.
  void SetButtonMode(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  char EditPasswordChar() const { return PasswordChar(); }
  void SetEditPasswordChar(char Value);
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);

  TNotifyEvent OnButtonClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Looks SkinDataName up again; a record of another class or without a picture leaves the default look.
  void GetSkinData();
  // The text area and the button, in window coordinates.
  void CalcRects();
  const TRect& EditRect() const { return FEditRect; }
  const TRect& ButtonRect() const { return FButtonRect; }
  bool ButtonDown() const { return FButtonDown; }
  bool ButtonActive() const { return FButtonActive; }
  bool MouseIn() const { return FMouseIn; }
  // The whole face at (0, 0) of Canvas, with the text when DrawText.
  void DrawSkinEdit(TCanvas* Canvas, bool DrawText);

  // The whole control, its face included.
  void Invalidate() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  // The text area only: its erase puts back the face under it from the last face painted.
  void InvalidateText() override;

 private:
  bool Skinned() const { return FSkinObjectIndex != -1; }
  // The face without the text, as large as the window, into B.
  void PaintFace(TBitmap* B);
  // The face under the client area onto DC, from the face the frame's last painting kept.
  void EraseUnderText(HDC DC);
  bool Hot() { return FMouseIn || Focused(); }
  // The font for drawing the text ourselves, in Colour when skinned with the skin's font.
  void TextFont(TFont* F, TColor SkinColour, TColor DefaultColour);
  void OnDefaultFontChange(TObject*);
  int HitTest(LPARAM ScreenPoint);
  // Whether the pointer is over the window, its frame included.
  bool PointerOnWindow();
  // A window made anew under the pointer is not the one the pointer was tracked in: asks to hear when
  // the pointer leaves the part it is over now.
  void TrackPointerAgain();
  // Entering (the client or the frame) and leaving the control: hot colours, button states, events.
  void SetMouseIn(bool Value);
  void PaintDisabledText(TMessage& Message);
  // Dispatch's handlers.
  bool ButtonWorks() const;
  void DeactivateButton();
  void FitClientInFrame(TMessage& Message);
  void PaintFrameWindow(TMessage& Message);
  void EraseBehindText(TMessage& Message);
  void HitTestButton(TMessage& Message);
  void PressButton(TMessage& Message);
  void ReleaseButton(TMessage& Message);
  void PointerOverFrame(TMessage& Message);
  void PointerOverText(TMessage& Message);
  void FocusMoved(TMessage& Message);
  void PointerEntered(TMessage& Message);
  void PointerLeft(TMessage& Message);
  void PointerLeftPart(TMessage& Message);
  void DispatchAndInvalidate(TMessage& Message);
  void ShownAgain(TMessage& Message);

  TRect FButtonRect;
  bool FButtonMode { false };
  bool FButtonDown { false };
  bool FButtonActive { false };
  TRect FEditRect;
  bool FMouseIn { false };
  int FSkinObjectIndex { -1 };
  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "edit" };
  TBitmap* Picture { nullptr };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  int FDefaultWidth { 0 };
  int FDefaultHeight { 20 };
  TAlignment FAlignment { taLeftJustify };
  int LeftOffset { 0 }, RightOffset { 0 };
  TRect ClRect, SkinRect, ActiveSkinRect;
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, DisabledFontColor { 0 }, ActiveFontColor { 0 };
  TRect SkinButtonRect, ActiveButtonRect, DownButtonRect;
  // The face last painted, kept for repainting the text alone; stale once the control is invalidated.
  std::unique_ptr<TBitmap> FFace;
  bool FFaceValid { false };
};

class TbsSkinEdit : public TbsSkinCustomEdit {
  XJ_CLASS(TbsSkinEdit, TbsSkinCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  using TbsSkinCustomEdit::TbsSkinCustomEdit;
};

// Also publishes the mask and the plain edit's properties, with defaults equal to the constructor's.
class TbsSkinMaskEdit : public TbsSkinEdit {
  XJ_CLASS(TbsSkinMaskEdit, TbsSkinEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  using TbsSkinEdit::TbsSkinEdit;
};
