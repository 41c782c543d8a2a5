#pragma once
// TKRShapedForm: an image that gives its form the outline of its picture. Every pixel of the picture
// that differs from the picture's bottom-left pixel belongs to the form's window, every other pixel is
// cut away (the window region, in window coordinates); dragging the picture with the left button alone
// moves the form. One per form, and only directly on a form: SetParent refuses anything else before the
// parent changes.
//
// A picture that is empty or has no opaque pixel gives the whole window back (no region). A region
// handed to the window is the window's: the control never deletes it.

#include "platform/vcl/ExtCtrls.h"

class TCustomForm;

class TKRShapedForm : public TImage {
  XJ_CLASS(TKRShapedForm, TImage)
  XJ_PUBLISHED_ACCESS;

 public:
  // Aligned to the whole client area, neither AutoSize nor Stretch, movable.
  explicit TKRShapedForm(TComponent* AOwner);
  ~TKRShapedForm() override;

  bool Moveable() const { return FMoveable; }
  void SetMoveable(bool Value) { FMoveable = Value; }

  // Raises Exception "Please Drop on a Form" for a parent that is not a form and "Please Drop only one
  // TKRShapedForm per Form" for a form that holds another one; the parent is then left as it was.
  void SetParent(TWinControl* AParent) override;

  // The picture changed: with AutoSize the form's client area takes the picture's size, else the
  // control's size is the area the picture is stretched into; then the region is built and set.
  void PictureUpdate(TObject* Sender);
  // Builds the region of the picture stretched into the region size, moved into window coordinates.
  void ObtainRegion();
  // Adds the pixel run Left … Right (both included) of row Y to the region being built.
  void AddRegion(int Left, int Right, int Y);
  // Hands the region built last to the form's window (or takes the window's region away when the
  // picture had no opaque pixel).
  void RefreshForm();

 protected:
  void Loaded() override;
  // Keeps exactly one of AutoSize and Stretch on, rebuilding the region when AutoSize or the size
  // changed, then paints as the image does.
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  // The parent, which is always a form or nothing.
  TCustomForm* ParentForm() const;
  void DropRegion();

  HRGN FRegion { nullptr };      // built and not handed to the window yet
  bool FClearPending { false };  // the last build found nothing to keep: the window gets no region
  int FRegionWidth { 0 };
  int FRegionHeight { 0 };
  int FDragX { 0 };
  int FDragY { 0 };
  bool FLastStretch { false };
  bool FLastAutoSize { false };
  int FLastWidth { 0 };
  int FLastHeight { 0 };
  bool FMoveable { true };
};
