#pragma once
// The skinned scroll box: a container whose children may reach past its client area. It has no bars of
// its own; it drives up to two skinned scroll bars placed beside it, keeps their ranges and visibility in
// step with the extent of its visible children, and moves the children when a bar moves. The frame is
// painted in the non-client area (the skin's border strips, or a one-pixel 3D line), the client area is
// tiled from the skin.

#include "skin/controls/bsSkinCtrls_panel.h"

class TbsSkinScrollBar;

class TbsSkinScrollBox : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinScrollBox, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinScrollBox(TComponent* AOwner);
  ~TbsSkinScrollBox() override;

  // An assigned bar is hidden, made unfocusable and enabled, and reports to the box; its range follows.
  TbsSkinScrollBar* VScrollBar() const { return FV.Bar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FH.Bar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);
  TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  // Rebuilds the window, so that the frame is measured again.
  void SetBorderStyle(TbsSkinBorderStyle Value);
  // The skin's background picture (an index into its active pictures), -1 when there is none.
  int BGPictureIndex() const { return FBGPictureIndex; }

  // Both bars recomputed from the children: the call to make after children were added, moved or
  // resized.
  void UpDateScrollRange();
  void GetVRange();
  void GetHRange();
  // Moves the children (and the window contents) up / left by Delta.
  void VScrollControls(int Delta);
  void HScrollControls(int Delta);
  // Sets the bar's position (the bar clamps it); the children follow through the bar's notification.
  void VScroll(int Position);
  void HScroll(int Position);
  // The frame on a canvas of the whole window.
  void PaintFrame(TCanvas* Canvas);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  // Re-reads the skin and rebuilds the window, so that the frame follows the new skin.
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  // A new window may have a new frame, so a new client size: the ranges follow it.
  void CreateWnd() override;
  void Paint() override;
  // The wheel scrolls the content when no handler took it.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

 private:
  // One direction's state, so that both passes run the same code.
  struct TAxis {
    TbsSkinScrollBar* Bar { nullptr };
    int Scrolled { 0 };  // the bar position the children are moved by
    int Growth { 0 };    // how far the last SetBounds grew the box in this direction
  };
  void GetRange(TAxis& A, bool Vertical);
  void ScrollControls(bool Vertical, int Delta);
  void BarChanged(TAxis& A, bool Vertical);
  void AttachBar(TAxis& A, TbsSkinScrollBar* Value, bool Vertical);
  void OnVScrollBarChange(TObject* Sender);
  void OnHScrollBarChange(TObject* Sender);
  void OnScrollBarLastChange(TObject* Sender);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint();
  void CMVisibleChanged(TMessage& Message);
  // Scrolls a descendant that took the focus into view.
  void ScrollInView(TControl* AControl);
  // The skin's background picture when it has pixels; null otherwise.
  TBitmap* BGPicture() const;
  // The client tiled from the skin's client rectangle (or the button face when it has no pixels).
  void PaintTiles(TCanvas* Canvas);
  bool HasFrame() const { return FBorderStyle != bs::bvNone && FBGPictureIndex == -1; }

  bool FUpdating { false };
  TAxis FV, FH;
  TbsSkinBorderStyle FBorderStyle { bs::bvRaised };
  int FBGPictureIndex { -1 };
};
