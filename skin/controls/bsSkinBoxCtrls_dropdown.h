#pragma once
// How every drop-down window of the skinned edits and combos behaves: an owned top-level tool window
// (the owning control is its parent control, so the owner's window owns it) that never takes the
// activation from the form, placed under its owner (or above it) inside the work area of the owner's
// monitor, shown and hidden without activating anything, and optionally faded in as a layered window.
//
// A drop-down class keeps one TbsDropDownWindow beside its own base class: it calls CreateParams from its
// CreateParams override, MouseActivate first in its Dispatch, and Show / Hide to open and close.

#include "platform/vcl/Controls.h"

// The owner's fade settings, read at each Show.
struct TbsDropDownAlpha {
  bool AlphaBlend { false };
  bool AlphaBlendAnimation { false };
  int AlphaBlendValue { 0 };  // 0..255
  int Step { 2 };             // alpha added per fade step
};

class TbsDropDownWindow {
 public:
  // The creation parameters of a drop-down: the style replaced by WS_POPUP | ExtraStyle, the extended
  // style by WS_EX_TOOLWINDOW, and CS_SAVEBITS added to the class style (KeepClassStyle) or in its place.
  static void CreateParams(TCreateParams& Params, DWORD ExtraStyle, bool KeepClassStyle);
  // Answers WM_MOUSEACTIVATE with MA_NOACTIVATE: true when Message was that one and is done.
  static bool MouseActivate(TMessage& Message);
  // The screen point a W x H drop-down opens at for an owner whose window lies at OwnerRect (screen):
  // under it, or above it when there is no room below; then moved into the work area of the owner's
  // monitor on both axes (the top edge wins when the drop-down is taller than the work area).
  static TPoint Place(const RECT& OwnerRect, int W, int H);
  static TPoint Place(TWinControl* Owner, int W, int H);

  // Shows Window with its top-left at P, keeping its size and giving it no activation, then fades it in
  // as Alpha says (where layered windows are offered). Nothing else runs meanwhile: the window paints
  // itself before the fade starts, without a message loop.
  void Show(TWinControl* Window, const TPoint& P, const TbsDropDownAlpha& Alpha);
  // Hides Window without activating anything. DropLayered also takes the layered style off again (the
  // next Show adds it back and gives it its alpha).
  void Hide(TWinControl* Window, bool DropLayered = false);

  // WS_EX_LAYERED is set on the window.
  bool LayeredApplied() const { return FLayeredApplied; }
  // The alpha the window was last given; 0 after a fade, so the next Show fades from 0 again.
  BYTE CurrentAlpha() const { return FCurrentAlpha; }

 private:
  void SetLayered(HWND Handle, bool On);

  bool FLayeredApplied { false };
  BYTE FCurrentAlpha { 0 };
};
