#pragma once
// The borderless inner edit of the skinned edits, spin edit and combo box, and the spin edit's numeric
// edit.

#include "platform/vcl/Mask.h"

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

 private:
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
