#pragma once
// The class library's Controls unit: TControl (windowless or windowed), TWinControl (a control with a
// window of its own), TGraphicControl, TCustomControl, the control canvas, the hint window, the mouse
// object, and the helpers that map windows to controls.
//
// Messages reach a control through WindowProc (a closure that defaults to the virtual WndProc), then
// the virtual Dispatch, whose chained switches play the part of message-handler methods: a class that
// handles a message overrides Dispatch, handles its cases and passes the rest (and "inherited") to its
// base class's Dispatch; what nobody handles ends in DefaultHandler (for a windowed control, the
// window's previous native procedure).

#include <functional>
#include <memory>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/Types.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;
class TControl;

// ---- Enumerations and sets ------------------------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
XJ_ENUM_IDENTS(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom);
typedef Set<TAlign> TAlignSet;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
XJ_ENUM_IDENTS(TAnchorKind, akLeft, akTop, akRight, akBottom);
typedef Set<TAnchorKind> TAnchors;
// The anchors a control gets when its Align is set.
TAnchors AnchorAlign(TAlign Align);

enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
XJ_ENUM_IDENTS(TShiftStateFlag, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble);
typedef Set<TShiftStateFlag> TShiftState;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
XJ_ENUM_IDENTS(TMouseButton, mbLeft, mbRight, mbMiddle);

enum TControlStyleFlag {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents
};
typedef Set<TControlStyleFlag> TControlStyle;

enum TControlStateFlag {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking
};
typedef Set<TControlStateFlag> TControlState;

// Stored and streamed only: there is no right-to-left layout, dragging, docking or input-method control.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
XJ_ENUM_IDENTS(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly);
enum TDragMode { dmManual, dmAutomatic };
XJ_ENUM_IDENTS(TDragMode, dmManual, dmAutomatic);
enum TDragKind { dkDrag, dkDock };
XJ_ENUM_IDENTS(TDragKind, dkDrag, dkDock);
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
XJ_ENUM_IDENTS(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
               imSHanguel, imHanguel);
typedef AnsiString TImeName;
typedef AnsiString TCaption;

// The border styles of forms; a control's BorderStyle uses the first two.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
XJ_ENUM_IDENTS(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin);
typedef TFormBorderStyle TBorderStyle;

typedef int TModalResult;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// A cursor: one of the standard shapes below or a number registered in Screen->Cursors. Streams by its
// identifier (crHandPoint) where it has one.
struct TCursor {
  constexpr TCursor(int Value = 0) : Value(static_cast<int16_t>(Value)) {}
  constexpr operator int() const { return Value; }
  int16_t Value;
};
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
bool CursorToIdent(int Cursor, AnsiString& Ident);
bool IdentToCursor(const AnsiString& Ident, int& Cursor);

template <>
struct TTypeTraits<TCursor> {
  static const TTypeInfo* Info();
  static void ToValue(TCursor v, TValue& out) { out.Ord = v.Value; }
  static TCursor FromValue(const TValue& in) { return TCursor(static_cast<int>(in.Ord)); }
};

// ---- Event types --------------------------------------------------------------------------------------

class TDragObject : public TObject {
  XJ_CLASS(TDragObject, TObject)
};
class TDragDockObject : public TDragObject {
  XJ_CLASS(TDragDockObject, TDragObject)
};

typedef TClosure<void(TMessage& Message)> TWndMethod;
typedef TClosure<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> TMouseEvent;
typedef TClosure<void(TObject* Sender, TShiftState Shift, int X, int Y)> TMouseMoveEvent;
typedef TClosure<void(TObject* Sender, WORD& Key, TShiftState Shift)> TKeyEvent;
typedef TClosure<void(TObject* Sender, char& Key)> TKeyPressEvent;
typedef TClosure<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>
    TMouseWheelEvent;
typedef TClosure<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)> TMouseWheelUpDownEvent;
typedef TClosure<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)> TCanResizeEvent;
typedef TClosure<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>
    TConstrainedResizeEvent;
typedef TClosure<void(TObject* Sender, TPoint MousePos, bool& Handled)> TContextPopupEvent;
typedef TClosure<void(TObject* Sender, TObject* Source, int X, int Y)> TDragDropEvent;
typedef TClosure<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)> TDragOverEvent;
typedef TClosure<void(TObject* Sender, TDragObject*& DragObject)> TStartDragEvent;
typedef TClosure<void(TObject* Sender, TObject* Target, int X, int Y)> TEndDragEvent;
typedef TClosure<void(TObject* Sender, TDragDockObject*& DragObject)> TStartDockEvent;
typedef TClosure<void(TObject* Sender, TDragDockObject* Source, int X, int Y)> TDockDropEvent;
typedef TClosure<void(TObject* Sender, TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept)>
    TDockOverEvent;
typedef TClosure<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect, TPoint MousePos, bool& CanDock)>
    TGetSiteInfoEvent;
typedef TClosure<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)> TUnDockEvent;

// ---- Hints --------------------------------------------------------------------------------------------

struct THintInfo {
  TControl* HintControl { nullptr };
  TClass HintWindowClass { nullptr };
  TPoint HintPos;  // screen
  int HintMaxWidth { 0 };
  TColor HintColor { clInfoBk };
  TRect CursorRect;  // the hint stays while the cursor is inside (client coordinates of HintControl)
  TPoint CursorPos;  // client coordinates of HintControl
  int ReshowTimeout { 0 };
  int HideTimeout { 0 };
  AnsiString HintStr;
  void* HintData { nullptr };
};

// The hint text before the first '|' (the long hint is the rest).
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);

// ---- Window creation parameters ------------------------------------------------------------------------

struct TCreateParams {
  AnsiString Caption;
  DWORD Style { 0 };
  DWORD ExStyle { 0 };
  int X { 0 };
  int Y { 0 };
  int Width { 0 };
  int Height { 0 };
  HWND WndParent { nullptr };
  void* Param { nullptr };
  WNDCLASSA WindowClass {};
  AnsiString WinClassName;

  // A bsSingle border: sunken with Ctl3D, else the flat one-pixel line.
  void AddBorder(TBorderStyle Border, bool Ctl3D) {
    if (Border != bsSingle) return;
    if (Ctl3D)
      ExStyle |= WS_EX_CLIENTEDGE;
    else
      Style |= WS_BORDER;
  }
};

// ---- Size constraints ---------------------------------------------------------------------------------

typedef int TConstraintSize;

// Limits on a control's size; 0 means no limit. A change re-applies the control's bounds.
class TSizeConstraints : public TPersistent {
  XJ_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* Control) : FControl(Control) {}

  void Assign(TPersistent* Source) override;
  TConstraintSize MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(TConstraintSize Value);
  TConstraintSize MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(TConstraintSize Value);
  TConstraintSize MinHeight() const { return FMinHeight; }
  void SetMinHeight(TConstraintSize Value);
  TConstraintSize MinWidth() const { return FMinWidth; }
  void SetMinWidth(TConstraintSize Value);
  TControl* Control() const { return FControl; }

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  TPersistent* GetOwner() override;

 private:
  TControl* FControl;
  TConstraintSize FMaxHeight { 0 };
  TConstraintSize FMaxWidth { 0 };
  TConstraintSize FMinHeight { 0 };
  TConstraintSize FMinWidth { 0 };
};

// ---- TControl -----------------------------------------------------------------------------------------

class TControl : public TComponent {
  XJ_CLASS(TControl, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TControl(TComponent* AOwner);
  // Leaves the parent, drops the mouse tracking and hint references to it and unlinks its action.
  ~TControl() override;

  // Placement. Every size and position change passes through the virtual SetBounds.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return FLeft; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  int Top() const { return FTop; }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  int Width() const { return FWidth; }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  // Honours the constraints, OnCanResize and AutoSize; realigns the siblings; fires OnResize.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect ClientRect() { return GetClientRect(); }
  int ClientWidth() { return ClientRect().Right; }
  void SetClientWidth(int Value) { SetClientSize(TPoint(Value, ClientHeight())); }
  int ClientHeight() { return ClientRect().Bottom; }
  void SetClientHeight(int Value) { SetClientSize(TPoint(ClientWidth(), Value)); }
  // Screen position of the client area's top-left corner.
  TPoint ClientOrigin() { return GetClientOrigin(); }
  TPoint ClientToScreen(const TPoint& Point);
  TPoint ScreenToClient(const TPoint& Point);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);

  // State and look.
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  bool Enabled() const { return GetEnabled(); }
  void SetEnabled(bool Value) { DoSetEnabled(Value); }
  // Through WM_GETTEXT / WM_SETTEXT, so a subclass or a native window sees them; CM_TEXTCHANGED
  // follows a change.
  AnsiString Caption() { return GetText(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  AnsiString Text() { return GetText(); }
  void SetText(const AnsiString& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  virtual void SetPopupMenu(TPopupMenu* Value);
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }

  // Stored only.
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  // No right-to-left locale is supported: text is laid out left to right whatever BiDiMode says.
  bool UseRightToLeftAlignment() const { return false; }
  int DrawTextBiDiModeFlags(int Flags) const { return Flags; }

  // Drawing and order.
  // Paints now: invalidate, then the parent's paint runs before this returns.
  virtual void Repaint();
  virtual void Invalidate();
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  void Show();
  void Hide() { SetVisible(false); }
  // A paint that raises is shown to the user once for each size of the control, the paints after it
  // failing quietly; a new look (a skin change) calls this so that its own failure is shown too.
  void ResetPaintError() { FPaintErrorSize = TPoint(-1, -1); }

  // Messages.
  // Calls WindowProc synchronously (also for a windowless control, and without creating a window).
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  bool MouseCapture();
  void SetMouseCapture(bool Value);
  int GetTextLen();
  int GetTextBuf(char* Buffer, int BufSize);
  void SetTextBuf(const char* Buffer);
  // Sends CM_CHANGED with this control.
  virtual void Changed();
  virtual void InitiateAction();

  // The lines a list-like control shows (items of a list box, lines of a memo), for the window-tree
  // dump; none by default.
  virtual void UiDumpItems(std::vector<AnsiString>& Items) { (void)Items; }

  // Expires when the control is destroyed: code that calls out to event handlers keeps one and checks
  // it before touching the control again.
  std::weak_ptr<const void> LifeToken() const { return FLife; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TContextPopupEvent OnContextPopup;
  // Stored only.
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

 protected:
  virtual bool GetEnabled() const { return FEnabled; }
  virtual void DoSetEnabled(bool Value);
  virtual AnsiString GetText();
  virtual TRect GetClientRect();
  virtual TPoint GetClientOrigin();
  virtual void SetClientSize(const TPoint& Value);
  virtual void SetZOrder(bool TopMost);
  virtual void VisibleChanging() {}
  virtual void RequestAlign();
  virtual void Resize();
  virtual void AdjustSize();
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  virtual void ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight);
  virtual void ConstraintsChanged();
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The device context of the parent window, its origin on this control and clipped to it.
  virtual HDC GetDeviceContext(HWND& WindowHandle);
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  // A button-down here first cancels whatever mode the focused control of each enclosing form is in.
  void SendCancelMode(TControl* Sender);
  void UpdateAnchorRules();
  bool CheckNewSize(int& NewWidth, int& NewHeight);
  bool IsCaptionStored() const;
  bool IsColorStored() const { return !FParentColor; }
  bool IsFontStored() const { return !FParentFont; }
  bool IsShowHintStored() const { return !FParentShowHint; }
  bool IsAnchorsStored() const { return FAnchors != AnchorAlign(FAlign); }
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;

  TControlStyle FControlStyle { csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks };
  TControlState FControlState;
  int FLeft { 0 };
  int FTop { 0 };
  int FWidth { 0 };
  int FHeight { 0 };
  bool FVisible { true };
  bool FEnabled { true };
  AnsiString FText;
  TColor FColor { clWindow };
  bool FParentColor { true };
  TWinControl* FParent { nullptr };
  TPoint FAnchorRules;
  TPoint FOriginalParentSize;
  bool FAnchorMove { false };

 private:
  void DoMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TWMMouse& Message, TMouseButton Button);
  void WMMouseButton(TMessage& Message);
  void WMMouseMove(TWMMouse& Message);
  void WMMouseWheel(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMMouseEnterLeave(TMessage& Message);
  void FontChanged(TObject* Sender);
  void DoActionChange(TObject* Sender);
  bool DoCanResize(int& NewWidth, int& NewHeight);
  bool DoCanAutoSize(int& NewWidth, int& NewHeight);
  void DoConstrainedResize(int& NewWidth, int& NewHeight);
  // Shows the exception being handled, raised by a paint of Control (null when the paint freed it),
  // unless one was shown already for the control at its current size.
  static void PaintFailed(TControl* Control);

  std::shared_ptr<const void> FLife { std::make_shared<char>(0) };
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TSizeConstraints> FConstraints;
  std::unique_ptr<TControlActionLink> FActionLink;
  // Whether its parent's alignment moves it.
  bool AlignedOrAnchored() const { return FAlign != alNone || FAnchors != TAnchors { akLeft, akTop }; }

  TAlign FAlign { alNone };
  TAnchors FAnchors { akLeft, akTop };
  bool FAnchorsRead { false };  // a form being read gave Anchors: Align, read after, keeps them
  bool FAutoSize { false };
  bool FParentFont { true };
  TCursor FCursor { crDefault };
  AnsiString FHint;
  bool FShowHint { false };
  bool FParentShowHint { true };
  TPopupMenu* FPopupMenu { nullptr };
  int FHelpContext { 0 };
  TBiDiMode FBiDiMode { bdLeftToRight };
  bool FParentBiDiMode { true };
  TCursor FDragCursor { crDrag };
  TDragKind FDragKind { dkDrag };
  TDragMode FDragMode { dmManual };
  TPoint FPaintErrorSize { -1, -1 };  // the size at which a paint error was last shown

  friend class TWinControl;
  friend class TControlCanvas;
  friend class TControlActionLink;
  friend class TSizeConstraints;
};

// A field of a control set for the length of a call that may free the control (an event handler runs
// inside it): the old value goes back only when the control is still there.
template <class T>
class TControlChange {
 public:
  TControlChange(const TControl* Control, T& Target, T Value)
      : FLife(Control->LifeToken()), FTarget(Target), FOld(std::move(Target)) {
    FTarget = std::move(Value);
  }
  ~TControlChange() {
    if (!FLife.expired()) FTarget = std::move(FOld);
  }
  TControlChange(const TControlChange&) = delete;
  TControlChange& operator=(const TControlChange&) = delete;

 private:
  std::weak_ptr<const void> FLife;
  T& FTarget;
  T FOld;
};

// While one lives on the thread, Update (and so Repaint) of a windowed control is held back: Flush then
// brings each held window up to date once. A change that reaches many controls at once (a new skin),
// each repainting at several steps of it, so paints every control once and is still painted when it
// returns. A scope left without Flush (by an exception) leaves the held windows to the message loop.
class TPaintLater {
 public:
  TPaintLater();
  ~TPaintLater();
  TPaintLater(const TPaintLater&) = delete;
  TPaintLater& operator=(const TPaintLater&) = delete;
  // Updates the held windows, in the order first held (the outermost scope only: an inner one leaves
  // them to it).
  void Flush();
  static bool Active();
  static void Hold(TWinControl* Control);

 private:
  bool FOpen { true };
};

// ---- TWinControl --------------------------------------------------------------------------------------

class TWinControl : public TControl {
  XJ_CLASS(TWinControl, TControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TWinControl(TComponent* AOwner);
  // Destroys the window and every child control (windowed or not), whoever owns them.
  ~TWinControl() override;

  // Moves the window at once (WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE arrive inside the call).
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The window, created on demand (its parents first).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // The native window this control lives in when it has no parent control.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  // Creates the window anew when it exists, keeping the object, its children and its state.
  void RecreateWnd();
  // The same, with Change made between the old window's going and the new one's making: what Change sets
  // (a font, colours, a size) is taken by the new window as it is made instead of being told to the old
  // one on its way out. Without a window, Change alone runs.
  void RecreateWndWith(const std::function<void()>& Change);
  void DestroyHandle();
  bool Showing() const { return FShowing; }

  // Children: windowless controls first, then windowed ones, each group bottom to top.
  TControl* Controls(int Index) const;
  int ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The topmost child at a client point: windowless ones, and windowed ones when asked.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  // Alignment: the aligned children are laid out inside AdjustClientRect's rectangle.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect);
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel != 0; }
  // Moves the children and scrolls the window's contents.
  void ScrollBy(int DeltaX, int DeltaY);
  virtual void ShowControl(TControl* AControl);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);

  // Focus and tab order.
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  void SetTabOrder(int Value);
  // Every windowed descendant in tab order, depth first.
  void GetTabOrderList(TList* List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectFirst();
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  TBrush* Brush() const { return FBrush.get(); }
  // Stored only.
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value) { FDockSite = Value; }
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value) { FUseDockManager = Value; }
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const TImeName& ImeName() const { return FImeName; }
  void SetImeName(const TImeName& Value) { FImeName = Value; }

  // Painting: a paint cycle paints the window (PaintWindow), then the windowless children on top.
  void PaintHandler(TWMPaint& Message);
  // Paints the window into DC (any DC: a memory DC with a moved origin works).
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);

  void Repaint() override;
  void Invalidate() override;
  void Update() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  // Stored only.
  TDockDropEvent OnDockDrop;
  TDockOverEvent OnDockOver;
  TGetSiteInfoEvent OnGetSiteInfo;
  TUnDockEvent OnUnDock;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  // Takes the window class of a native class (its procedure becomes DefaultHandler's target).
  void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void CreateHandle();
  // The first step of destroying a windowed control (each class that handles messages calls it in its
  // destructor, so the window's last messages meet a whole object): focus leaves it, the window goes.
  void TearDownWindow();
  void UpdateBounds();
  void UpdateControlState();
  bool IsPopupRoot();
  void UpdateShowing();
  // The paint cycle of a control that paints itself: through PaintHandler even with no windowless
  // children.
  void WMCustomPaint(TMessage& Message);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  bool DoKeyDown(TWMKey& Message);
  bool DoKeyPress(TWMKey& Message);
  bool DoKeyUp(TWMKey& Message);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void ControlsAligned() {}
  void AlignControl(TControl* AControl);
  bool IsMenuKey(TWMKey& Message);
  void RemoveFocus(bool Removing);
  // The window handle the next sibling window sits below (for z-order on creation).
  HWND PrecedingWindow(TWinControl* Control);
  WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
  // The client size the window has, or would have once created.
  TPoint ParentSizeForAnchors();

  TRect GetClientRect() override;
  TPoint GetClientOrigin() override;
  void AdjustSize() override;
  void SetZOrder(bool TopMost) override;
  HDC GetDeviceContext(HWND& WindowHandle) override;
  void ReadState(TReader* Reader) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

  HWND FHandle { nullptr };
  bool FShowing { false };

 private:
  friend class TControl;
  friend class TCustomForm;
  static LRESULT InitWndProc(HWND hwnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT MainWndProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  void TrackMouse(TMessage& Message);
  bool IsControlMouseMsg(TWMMouse& Message);
  bool DoControlMsg(HWND ControlHandle, TMessage& Message);
  void Insert(TControl* AControl);
  void Remove(TControl* AControl);
  void DispatchControlMessage(TMessage& Message);
  // The steps of AlignControls.
  bool AnyAlignedOrAnchored();
  static void MoveByAlignment(TControl* c, int l, int t, int w, int h);
  void ApplyAnchors(TControl* c);
  bool PlaceChildren(TControl* AControl, TRect& Rect);
  bool PlaceAligned(TControl* c, TAlign Align, TRect& Rect);
  static bool TakesPartInAlignment(TControl* c, TAlign Align);
  std::vector<TControl*> AlignmentOrder(TControl* AControl, TAlign Align);
  void FixupTabList();
  void UpdateTabOrder(int Value);
  void WMPaint(TWMPaint& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMWindowPosChanging(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMKey(TMessage& Message);
  void WMCommandFamily(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CNKeyDown(TWMKey& Message);
  void CNChar(TWMKey& Message);
  void CNSysKeyDown(TWMKey& Message);
  void CNSysChar(TWMKey& Message);
  void CMChildKey(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMParentCtl3DChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);
  void CMInvalidate(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void ReadDesignSize(TReader* Reader);
  void WriteDesignSize(TWriter* Writer);

  std::vector<TControl*> FControls;        // windowless children, bottom to top
  std::vector<TWinControl*> FWinControls;  // windowed children, bottom to top
  std::vector<TWinControl*> FTabList;
  WNDPROC FDefWndProc;
  WNDPROC FObjectInstance;
  HWND FParentWindow { nullptr };
  std::unique_ptr<TBrush> FBrush;
  int FAlignLevel { 0 };
  unsigned FRemovals { 0 };  // children taken out so far: an alignment pass sees one go under it
  int FTabOrder { -1 };
  bool FTabStop { false };
  bool FCtl3D { true };
  bool FParentCtl3D { true };
  int FBorderWidth { 0 };
  TPoint FDesignSize;
  bool FSizeChecked { false };  // our own SetWindowPos: the size has passed CheckNewSize already
  bool FDockSite { false };
  bool FUseDockManager { false };
  TImeMode FImeMode { imDontCare };
  TImeName FImeName;
};

// ---- Windowless and self-painting controls --------------------------------------------------------------

class TControlCanvas;

// A windowless control: painted by its parent's paint cycle on a canvas whose origin and clip are the
// control's rectangle; mouse messages are routed to it by its parent.
class TGraphicControl : public TControl {
  XJ_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  XJ_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas() const;
  void Dispatch(TMessage& Message) override;
  // Paint on the canvas bound to DC.
  void PaintWindow(HDC DC) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// A canvas on a control. Outside a paint cycle it takes a device context of the control's window on
// demand (the parent's for a windowless control) and gives it back after the message being handled.
class TControlCanvas : public TCanvas {
  XJ_CLASS(TControlCanvas, TCanvas)
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return FControl; }
  void SetControl(TControl* AControl);
  void FreeHandle();
  void UpdateTextFlags() {}

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl { nullptr };
  HDC FDeviceContext { nullptr };
  HWND FWindowHandle { nullptr };
};

// Gives back the device contexts control canvases took outside paint cycles.
void FreeDeviceContexts();

// ---- The hint window ---------------------------------------------------------------------------------

// A borderless top-most pop-up showing the hint text; never takes activation or the mouse.
class THintWindow : public TCustomControl {
  XJ_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);

  // Shows the hint over Rect (screen), above every window, without activating it.
  virtual void ActivateHint(TRect Rect, const AnsiString& AHint);
  virtual void ActivateHintData(TRect Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }
  // The rectangle (at 0, 0) the text needs, wrapped at MaxWidth.
  virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  // Messages that end a hint: keys, clicks, activation, commands.
  virtual bool IsHintMsg(const MSG& Msg);
  void ReleaseHandle() { DestroyHandle(); }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// ---- Mouse ---------------------------------------------------------------------------------------------

class TMouse : public TObject {
  XJ_CLASS(TMouse, TObject)
 public:
  // The window that has the mouse captured, or null.
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND Value);
  TPoint CursorPos() const;
  void SetCursorPos(const TPoint& Value);
};
extern TMouse* Mouse;

// ---- Helpers --------------------------------------------------------------------------------------------

// The control object of a window made by a TWinControl, or null.
TWinControl* FindControl(HWND Handle);
// The control under a screen point: the deepest window's control, then its windowless child there.
TWinControl* FindVCLWindow(const TPoint& Pos);
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
bool IsVCLControl(HWND Handle);
// The control that has the mouse captured (a windowless one when its parent holds the capture).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The control that last got CM_MOUSEENTER, until it gets CM_MOUSELEAVE.
TControl* GetMouseControl();

TShiftState KeysToShiftState(WORD Keys);
TShiftState KeyDataToShiftState(LONG KeyData);
// Whether the '&'-marked character of Caption is the key's character (case-insensitive; "&&" is a
// literal '&').
bool IsAccel(WORD VK, const AnsiString& Caption);
// Left becomes right and right left (for a control that uses right-to-left alignment); centre stays.
void ChangeBiDiModeAlignment(TAlignment& Alignment);
// The character after the marking '&', or 0.
char GetHotkey(const AnsiString& Text);
AnsiString StripHotkey(const AnsiString& Text);
LPARAM PointToLParam(const TPoint& P);
TPoint SmallPointToPoint(LPARAM LParam);

// Hidden message windows whose procedure is an object's method; unhandled messages should be passed to
// DefWindowProcA by the method.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);
// A window procedure that calls the method; for native subclassing with SetWindowLongPtrA.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC ObjectInstance);
