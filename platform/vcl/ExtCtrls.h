#pragma once
// The class library's ExtCtrls unit: the timer, the 3-D frame helper, bevels, panels, images, radio
// groups, splitters and control bars.

#include <map>
#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

// A timer on the GUI thread: OnTimer runs every Interval milliseconds while Enabled, Interval and
// OnTimer are all set. Changing any of them restarts the period. A tick never starts while the previous
// one's handler is still running (a nested message loop inside it gets none). The timer, or its owner,
// may be freed inside OnTimer. An exception escaping OnTimer is shown by the application.
class TTimer : public TComponent {
  XJ_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  UINT Interval() const { return FInterval; }
  void SetInterval(UINT Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled { true };
  UINT FInterval { 1000 };
  TNotifyEvent FOnTimer;
  HWND FWindowHandle { nullptr };
  bool FRunning { false };
  bool FInTimer { false };
  std::shared_ptr<const void> FLife { std::make_shared<char>(0) };
};

// ---- Frame3D ------------------------------------------------------------------------------------------

// Draws Width nested one-pixel rings just inside Rect: top and left sides in TopColor, bottom and right
// sides in BottomColor (which owns the top-right and bottom-left corners); Rect shrinks by one pixel on
// each side per ring. Leaves the canvas pen one pixel wide.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---- TBevel -------------------------------------------------------------------------------------------

enum TBevelStyle { bsLowered, bsRaised };
XJ_ENUM_IDENTS(TBevelStyle, bsLowered, bsRaised);
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
XJ_ENUM_IDENTS(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer);

// A windowless box, etched frame or edge line in the button shadow and highlight colours; a spacer
// draws nothing.
class TBevel : public TGraphicControl {
  XJ_CLASS(TBevel, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;
  // The shape in the two colours (Dark is the shadow side of a lowered bevel).
  void PaintShape(TColor Dark, TColor Light);
  // A ring over the inclusive rectangle (l, t)-(r, b): left and top in one colour, right and bottom in
  // the other; the bottom-left corner stays in the first colour.
  void Ring(int l, int t, int r, int b, TColor TopLeft, TColor BottomRight);

 private:
  TBevelShape FShape { bsBox };
  TBevelStyle FStyle { bsLowered };
};

// ---- TCustomPanel / TPanel ----------------------------------------------------------------------------

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
XJ_ENUM_IDENTS(TPanelBevel, bvNone, bvLowered, bvRaised, bvSpace);
typedef int TBevelWidth;
typedef int TBorderWidth;

// A windowed container: from the outside in, the outer bevel, a border of BorderWidth pixels in the
// panel's colour, the inner bevel, then the face with the caption centred vertically. Aligned children
// are laid out inside all of them. BorderStyle bsSingle adds a window border (sunken with Ctl3D).
class TCustomPanel : public TCustomControl {
  XJ_CLASS(TCustomPanel, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomPanel(TComponent* AOwner);
  ~TCustomPanel() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  // At least 1.
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  // The panel's own border, painted in its colour inside the outer bevel (not a window frame).
  TBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TBorderWidth Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Stored only: a resize always repaints the whole panel.
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }

  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  // The edges the bevels and the border take, on each side.
  int FrameWidth() const;
  void FrameChanged();

  TAlignment FAlignment { taCenter };
  TPanelBevel FBevelInner { bvNone };
  TPanelBevel FBevelOuter { bvRaised };
  TBevelWidth FBevelWidth { 1 };
  TBorderWidth FBorderWidth { 0 };
  TBorderStyle FBorderStyle { bsNone };
  bool FFullRepaint { true };
  bool FLocked { false };
};

class TPanel : public TCustomPanel {
  XJ_CLASS(TPanel, TCustomPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---- TImage -------------------------------------------------------------------------------------------

// Shows its picture: at the picture's size from the top-left corner, centred with Center, stretched to
// the control (nearest neighbour) with Stretch, or scaled down keeping its proportions with
// Proportional. With AutoSize the control takes the picture's size. Transparent draws the picture
// without its transparent colour. The picture's OnChange is bound to PictureChanged and may be rebound
// by a descendant that wants the notification itself.
class TImage : public TGraphicControl {
  XJ_CLASS(TImage, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  // The picture's bitmap canvas, for drawing into the image; an empty picture first becomes a bitmap of
  // the control's size. A picture of another kind raises EInvalidOperation.
  TCanvas* Canvas();
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // A picture decoded while the image paints (a JPEG image) is shown part by part as the rows arrive,
  // rather than once it is whole.
  bool IncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }
  void SetAutoSize(bool Value) override;
  // A new size may uncover the parent (or stop doing so).
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  // The rectangle the picture is drawn into, in client coordinates.
  TRect DestRect();
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Paint() override;
  // Resizes (AutoSize), passes Transparent on to the graphic, decides whether the control is opaque and
  // repaints.
  void PictureChanged(TObject* Sender);

 private:
  // Opaque while a non-transparent picture covers the whole control.
  void UpdateOpaque();
  void PictureProgress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                       const AnsiString& Msg);

  std::unique_ptr<TPicture> FPicture;
  bool FCenter { false };
  bool FStretch { false };
  bool FProportional { false };
  bool FTransparent { false };
  bool FIncrementalDisplay { false };
  bool FDrawing { false };
};

// ---- TCustomRadioGroup / TRadioGroup ------------------------------------------------------------------

class TGroupButton;

// A group box holding one radio button per line of Items, laid out top to bottom in Columns columns.
// ItemIndex is the checked item (-1: none). A click on a button, or reaching it with the arrow keys
// (which move among the buttons and wrap), checks it, sets ItemIndex and calls Click (OnClick); so does
// setting ItemIndex. The buttons belong to the group and are not written to form resources.
class TCustomRadioGroup : public TCustomGroupBox {
  XJ_CLASS(TCustomRadioGroup, TCustomGroupBox)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  // 1 to 16.
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  // Clamped to -1..Items->Count() - 1.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }

  // Lays the buttons out again, with or without a window.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  // Whether the user may change the checked item now (a data-aware descendant may say no).
  virtual bool CanModify() { return true; }
  void Loaded() override;
  void ReadState(TReader* Reader) override;

 private:
  void ArrangeButtons();
  void ButtonClick(TObject* Sender);
  void ItemsChange(TObject* Sender);
  void SetButtonCount(int Value);
  void UpdateButtons();

  std::unique_ptr<TStringList> FItems;
  std::vector<TGroupButton*> FButtons;
  int FItemIndex { -1 };
  int FColumns { 1 };
  bool FReading { false };
  bool FUpdating { false };

  friend class TGroupButton;
};

class TRadioGroup : public TCustomRadioGroup {
  XJ_CLASS(TRadioGroup, TCustomRadioGroup)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

XJ_UNIT_REGISTRATION(RegisterExtCtrls)

// ---- TSplitter ----------------------------------------------------------------------------------------

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
XJ_ENUM_IDENTS(TResizeStyle, rsNone, rsLine, rsUpdate, rsPattern);
typedef TClosure<void(TObject* Sender, int& NewSize, bool& Accept)> TSplitterCanResizeEvent;

// A windowless bar aligned to an edge of its parent. Dragging it with the left button resizes the
// visible sibling aligned to the same side whose edge it touches: that sibling keeps at least MinSize,
// and so does the room left for the rest of the parent. rsUpdate resizes live; rsLine and rsPattern
// (drawn alike) show an inverted line while dragging and resize on release; rsNone resizes on release.
// With AutoSnap, a drag past the MinSize limit collapses the sibling to nothing. OnCanResize may change
// or refuse each new size; OnMoved follows the end of a drag that resized something.
class TSplitter : public TGraphicControl {
  XJ_CLASS(TSplitter, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TSplitter(TComponent* AOwner);

  bool AutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool Value) { FAutoSnap = Value; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool Value);
  int MinSize() const { return FMinSize; }
  // At least 1.
  void SetMinSize(int Value) { FMinSize = Value < 1 ? 1 : Value; }
  TResizeStyle ResizeStyle() const { return FResizeStyle; }
  void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }

  TSplitterCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;
  TNotifyEvent OnPaint;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;
  // Keeps the cursor matching the direction of the drag.
  void RequestAlign() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The sibling a drag resizes, or null.
  TControl* FindControl();

 private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  // The neighbour's size for the mouse at (X, Y), limited, snapped and offered to OnCanResize; false
  // when the handler refuses.
  bool CalcNewSize(int X, int Y, int& NewSize);
  void ApplySize(int NewSize);
  void ToggleLine();
  void StopSizing();

  bool FAutoSnap { true };
  bool FBeveled { false };
  int FMinSize { 30 };
  TResizeStyle FResizeStyle { rsPattern };
  TControl* FControl { nullptr };
  TPoint FDownPos;  // in the parent's client coordinates
  int FOldSize { 0 };
  int FMaxSize { 0 };
  int FNewSize { 0 };
  // Where the indicator line is drawn, in the parent's client coordinates; empty when not shown.
  TRect FLine;
  bool FLineVisible { false };
};

// ---- TCustomControlBar / TControlBar ------------------------------------------------------------------

enum TBandPaintOption { bpoGrabber, bpoFrame };
XJ_ENUM_IDENTS(TBandPaintOption, bpoGrabber, bpoFrame);
typedef Set<TBandPaintOption> TBandPaintOptions;
typedef TClosure<void(TObject* Sender, TControl* Control, TCanvas* Canvas, TRect& ARect, TBandPaintOptions& Options)>
    TBandPaintEvent;
typedef TClosure<void(TObject* Sender, TControl* Control, bool& Drag)> TBandDragEvent;
typedef TClosure<void(TObject* Sender, TControl* Control, TRect& ARect)> TBandMoveEvent;
typedef TClosure<void(TObject* Sender, TControl* Control, TRect& Insets, int& PreferredSize, int& RowCount)>
    TBandInfoEvent;

// A container whose visible children are bands in rows. Each band is its control with an 11-pixel grip
// on the left and 2-pixel margins on the other sides, drawn by PaintControlFrame. Rows are found from the
// children's tops (a band whose frame starts inside a row joins it), run top to bottom without gaps and,
// with RowSnap, are a multiple of RowSize high; inside a row the bands keep their order and any gap
// between them. Each time the bands are placed, OnBandInfo may change a band's insets (grip and margins),
// its control's width (PreferredSize) and the rows of RowSize it takes at least (RowCount); what it leaves
// is where the band goes. With AutoSize the bar's height follows its rows. With AutoDrag a band dragged by its grip
// follows the mouse across and between rows (below the last row it starts a new one); OnBandDrag may
// refuse the drag and OnBandMove follows each move. The face is Color with Picture tiled over it.
class TCustomControlBar : public TCustomControl {
  XJ_CLASS(TCustomControlBar, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomControlBar(TComponent* AOwner);
  ~TCustomControlBar() override;

  bool AutoDrag() const { return FAutoDrag; }
  void SetAutoDrag(bool Value) { FAutoDrag = Value; }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // At least 1.
  int RowSize() const { return FRowSize; }
  void SetRowSize(int Value);
  bool RowSnap() const { return FRowSnap; }
  void SetRowSnap(bool Value);

  void AlignControls(TControl* AControl, TRect& Rect) override;

  TBandPaintEvent OnBandPaint;
  TBandDragEvent OnBandDrag;
  TBandMoveEvent OnBandMove;
  TBandInfoEvent OnBandInfo;
  TNotifyEvent OnPaint;

  static constexpr int kGrip = 11;
  static constexpr int kMargin = 2;

 protected:
  void CreateParams(TCreateParams& Params) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Paint() override;
  // Draws the frame and grip of the band around AControl; ARect is the band (the control's bounds grown
  // by the grip and margins) and may be changed by OnBandPaint.
  virtual void PaintControlFrame(TCanvas* Canvas, TControl* AControl, TRect& ARect);
  // The band around a child: its bounds grown by the insets its last placement gave it.
  TRect BandRect(const TControl* AControl) const;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void PictureChanged(TObject* Sender);
  struct TBandPlace {
    TControl* Control;
    TRect Insets;
    int PreferredSize, RowCount;
  };
  // The visible bands from the top, each as OnBandInfo leaves it; bands it freed are left out.
  std::vector<TBandPlace> BandPlaces();
  // Places the bands (when Apply) and gives the height of all rows; -1 when OnBandInfo freed the bar.
  int LayoutBands(bool Apply);
  TRect InsetsOf(const TControl* AControl) const;
  // The band dragged by the grip under the client point, or null.
  TControl* GripAt(int X, int Y);

  std::unique_ptr<TPicture> FPicture;
  bool FAutoDrag { true };
  int FRowSize { 26 };
  bool FRowSnap { true };
  bool FLayingOut { false };
  TControl* FDragControl { nullptr };
  TPoint FDragOffset;                        // the mouse from the dragged control's top-left corner
  std::map<const TControl*, TRect> FInsets;  // of the last placement
};

class TControlBar : public TCustomControlBar {
  XJ_CLASS(TControlBar, TCustomControlBar)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TControlBar(TComponent* AOwner) : TCustomControlBar(AOwner) {}
};
