#pragma once
// The class library's StdCtrls unit: labels, push buttons, check boxes, radio buttons, group boxes,
// single-line edits over the native "EDIT" class, list boxes over the native "LISTBOX" class, and
// scroll bars.
//
// The edit and the list box keep their behaviour in the native window procedure, reached through
// DefaultHandler, so a WndProc or WindowProc override sees every message (EM_*, LB_*, WM_CHAR, the
// clipboard messages) and the native notices come back reflected (EN_CHANGE and LBN_* as CN_COMMAND,
// owner drawing as CN_DRAWITEM, colours as CN_CTLCOLOREDIT / CN_CTLCOLORLISTBOX). The other controls
// paint themselves in Paint; the button family keeps the behaviour of a native button (press and
// capture, Space, BN_CLICKED to the parent, which comes back as CN_COMMAND) in its DefaultHandler.

#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/win32/Scoped.h"

class TCustomListBox;

// ---- Types ------------------------------------------------------------------------------------------------

enum TTextLayout { tlTop, tlCenter, tlBottom };
XJ_ENUM_IDENTS(TTextLayout, tlTop, tlCenter, tlBottom);

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
XJ_ENUM_IDENTS(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase);

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
XJ_ENUM_IDENTS(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed);

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
XJ_ENUM_IDENTS(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable);

// Bit i is the owner-draw state bit 1 << i (ODS_SELECTED is odSelected, ODS_FOCUS odFocused).
enum TOwnerDrawStateFlag {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
typedef Set<TOwnerDrawStateFlag> TOwnerDrawState;

enum TScrollBarKind { sbHorizontal, sbVertical };
XJ_ENUM_IDENTS(TScrollBarKind, sbHorizontal, sbVertical);

enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
XJ_ENUM_IDENTS(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
               scEndScroll);

typedef TClosure<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)> TDrawItemEvent;
typedef TClosure<void(TWinControl* Control, int Index, int& Height)> TMeasureItemEvent;
typedef TClosure<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)> TScrollEvent;

// ---- Labels ---------------------------------------------------------------------------------------------

// A windowless text: aligned, laid out top to bottom, optionally word-wrapped (at blanks and between
// double-byte characters), sized to its text, with an '&' accelerator that focuses another control.
class TCustomLabel : public TGraphicControl {
  XJ_CLASS(TCustomLabel, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomLabel(TComponent* AOwner);
  ~TCustomLabel() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // With AutoSize the label takes the size of its text whenever text, font or wrapping change; a
  // right-aligned label keeps its right edge.
  void SetAutoSize(bool Value) override;
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // A transparent label paints only its text (the control style loses csOpaque).
  bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  void Dispatch(TMessage& Message) override;

 protected:
  // The text shown: the caption.
  virtual AnsiString GetLabelText();
  // Draws (or, with DT_CALCRECT, measures into Rect) the label text with the label's font; a disabled
  // label draws it engraved.
  virtual void DoDrawText(TRect& Rect, UINT Flags);
  // Sizes the label to its text when AutoSize is on.
  virtual void AdjustBounds();
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // The alignment and wrapping flags every drawing and measuring uses.
  UINT TextFlags() const;

  TWinControl* FFocusControl { nullptr };
  TAlignment FAlignment { taLeftJustify };
  TTextLayout FLayout { tlTop };
  bool FShowAccelChar { true };
  bool FWordWrap { false };
};

class TLabel : public TCustomLabel {
  XJ_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* AOwner);
  ~TLabel() override;
};

// ---- Buttons -----------------------------------------------------------------------------------------------

// What push buttons, check boxes and radio buttons share: the native button's behaviour, on a control that
// paints itself (there is no native button class beneath it). A left press
// focuses the button and captures the mouse; the button looks pushed while the mouse is held inside it
// (or Space is held); releasing inside (or releasing Space) sends BN_CLICKED to the parent, which the
// control gets back as CN_COMMAND. The control answers BM_GETCHECK, BM_SETCHECK and BM_CLICK.
class TButtonControl : public TCustomControl {
  XJ_CLASS(TButtonControl, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TButtonControl(TComponent* AOwner);
  ~TButtonControl() override;

  virtual bool Checked() const { return false; }
  virtual void SetChecked(bool Value) { (void)Value; }

  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

 protected:
  // While set, a change of Checked does not count as a click (nor does a reflected BN_CLICKED).
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  // Runs Change as the program's doing rather than the user's: a state it sets counts as no click.
  template <class F>
  void WithoutClicks(F Change) {
    xj::TemporaryChange quiet(FClicksDisabled, true);
    Change();
  }
  // The pushed look: the mouse is held inside the control, or Space is held.
  bool Pressed() const { return FPressed; }
  // The code a double click sends (radio buttons report BN_DOUBLECLICKED; the others press again).
  void SetReportsDoubleClicks(bool Value) { FReportsDoubleClicks = Value; }
  // Notifies the parent as a native button does (reflected back as CN_COMMAND).
  void Notify(WORD Code);
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  // The caption drawn in Rect with Flags in Colour, engraved when disabled.
  void DrawCaption(TRect Rect, UINT Flags, TColor Colour);
  // The focus rectangle round a one-line caption drawn left-aligned and centred vertically in TextRect.
  TRect FocusFrame(TRect TextRect);

 private:
  void SetPressed(bool Value);
  bool Inside(LPARAM Point);
  void ButtonDown();
  void ButtonUp(LPARAM Point);
  void SpaceKey(bool Down);
  // The steps of DefaultHandler.
  bool MouseMessage(TMessage& Message);
  bool ButtonMessage(TMessage& Message);
  void DoubleClick();
  void CaptureLost();
  void FocusLost();

  bool FClicksDisabled { false };
  bool FPressed { false };
  bool FTracking { false };  // a mouse press is being followed
  bool FSpaceDown { false };
  bool FReportsDoubleClicks { false };
};

// A push button: raised 3-D face with the caption centred, a pushed look while pressed, a focus
// rectangle while focused, a dark frame while it is the button Return reaches. Default takes Return
// when the focus is on a control that is not a button; Cancel takes Escape; a click copies ModalResult
// to the parent form.
class TButton : public TButtonControl {
  XJ_CLASS(TButton, TButtonControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TButton(TComponent* AOwner);
  ~TButton() override;

  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Whether Return now reaches this button (it is focused, or it is the default and the focus is on a
  // control that is not a button).
  bool Active() const { return FActive; }

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void CreateWnd() override;

 private:
  void SetActive(bool Value);

  bool FDefault { false };
  bool FCancel { false };
  bool FActive { false };
  TModalResult FModalResult { mrNone };
};

// A check box: a sunken 13×13 box (checked, unchecked or grayed) beside the caption. Every change of
// State counts as a click (OnClick) unless it comes from an action. A click cycles unchecked → checked
// → unchecked, or unchecked → grayed → checked → unchecked with AllowGrayed.
class TCustomCheckBox : public TButtonControl {
  XJ_CLASS(TCustomCheckBox, TButtonControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  ~TCustomCheckBox() override;

  // taRightJustify: the box on the left and the caption right of it; taLeftJustify: the other way.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool Checked() const override { return FState == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Toggle();
  void Paint() override;
  bool IsCheckedStored() const { return FState != cbGrayed; }

 private:
  TAlignment FAlignment { taRightJustify };
  bool FAllowGrayed { false };
  TCheckBoxState FState { cbUnchecked };
};

class TCheckBox : public TCustomCheckBox {
  XJ_CLASS(TCheckBox, TCustomCheckBox)
 public:
  explicit TCheckBox(TComponent* AOwner);
  ~TCheckBox() override;
};

// A radio button: checking it unchecks the radio buttons among its siblings, makes it the tab stop of
// the group and counts as a click. A click, the accelerator, or reaching it with the arrow keys (the
// form moves the focus among siblings) checks it.
class TRadioButton : public TButtonControl {
  XJ_CLASS(TRadioButton, TButtonControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TRadioButton(TComponent* AOwner);
  ~TRadioButton() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Checked() const override { return FChecked; }
  void SetChecked(bool Value) override;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  TAlignment FAlignment { taRightJustify };
  bool FChecked { false };
};

// ---- Group box -----------------------------------------------------------------------------------------------

// An etched frame with the caption in its top edge; its children are laid out inside the frame.
class TCustomGroupBox : public TCustomControl {
  XJ_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  ~TCustomGroupBox() override;

  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  XJ_CLASS(TGroupBox, TCustomGroupBox)
 public:
  explicit TGroupBox(TComponent* AOwner);
  ~TGroupBox() override;
};

// ---- Edit ------------------------------------------------------------------------------------------------------

// A single-line edit over the native "EDIT" window: every change of the text (typing, clipboard, undo,
// Text) reaches Change and OnChange through EN_CHANGE. MaxLength limits what the user types or pastes,
// never what the program sets. Text, selection and the modified flag survive RecreateWnd.
class TCustomEdit : public TWinControl {
  XJ_CLASS(TCustomEdit, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  // Focus by keyboard selects the whole text.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool Modified();
  void SetModified(bool Value);
  // ES_OEMCONVERT; under code page 936 the OEM and ANSI pages are one, so the text is never changed.
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Byte offsets into the GBK text.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  virtual AnsiString SelText();
  // Replaces the selection (not undoable).
  void SetSelText(const AnsiString& Value);
  bool CanUndo();

  void Clear() { SetText(AnsiString()); }
  void ClearSelection();
  void ClearUndo();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void SelectAll();

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // The height the font and the border need.
  int AutoHeight();

 private:
  void AdjustHeight();

  TBorderStyle FBorderStyle { bsSingle };
  TEditCharCase FCharCase { ecNormal };
  bool FAutoSelect { true };
  bool FHideSelection { true };
  bool FOEMConvert { false };
  bool FReadOnly { false };
  bool FCreating { false };
  int FMaxLength { 0 };
  char FPasswordChar { 0 };
  // Kept while there is no window.
  bool FModified { false };
  int FSelStart { 0 };
  int FSelLength { 0 };
};

class TEdit : public TCustomEdit {
  XJ_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* AOwner);
  ~TEdit() override;
};

// ---- List box --------------------------------------------------------------------------------------------------

// A list over the native "LISTBOX" window: items with a data slot (Items.Objects), single or multiple
// selection, sorting, columns, owner drawing through CN_DRAWITEM. The items live in the window (it is
// created when they are first touched, so the list needs a parent by then); across RecreateWnd they are
// saved in DestroyWnd and added back in CreateWnd, each item's data through one SetItemData, in order.
class TCustomListBox : public TWinControl {
  XJ_CLASS(TCustomListBox, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TCanvas* Canvas() const;
  // More than 0: the items flow down and across in that many visible columns.
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  // A standard list reports its font's line height once it has a window; values below 1 are ignored.
  int ItemHeight();
  void SetItemHeight(int Value);
  // -1 for none; setting an index outside the items clears the selection; the item is scrolled into view.
  int ItemIndex();
  void SetItemIndex(int Value);
  TStrings* Items() const;
  void SetItems(TStrings* Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  int SelCount();
  // Raises EListError for an index outside the items.
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  // Stored only.
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int Value) { FTabWidth = Value; }
  int TopIndex();
  void SetTopIndex(int Value);
  int Count() const;

  void Clear();
  // The item at a client point: -1 outside the client area; below the last item -1 when Existing,
  // else Count.
  int ItemAtPos(const TPoint& Pos, bool Existing);
  // The item's rectangle; for Count, the rectangle just below the last item; empty beyond.
  TRect ItemRect(int Index);

  void Dispatch(TMessage& Message) override;
  void UiDumpItems(std::vector<AnsiString>& Items) override;

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  // The raw item data of the window (virtual so that a descendant can keep records of its own there).
  virtual LONG_PTR GetItemData(int Index);
  virtual void SetItemData(int Index, LONG_PTR AData);
  // Remove every item / one item from the window.
  virtual void ResetContent();
  virtual void DeleteString(int Index);

 protected:
  // Fills Rect with the canvas brush and writes the item, unless OnDrawItem does the drawing.
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Makes sure the window exists, then passes the message through WindowProc.
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  friend class TListBoxStrings;
  struct TSavedItem {
    AnsiString Text;
    LONG_PTR Data;
    bool Selected;
  };
  void SetColumnWidth();
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);

  std::unique_ptr<TStrings> FItems;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<std::vector<TSavedItem>> FSaved;  // between DestroyWnd and CreateWnd
  int FSavedItemIndex { -1 };
  int FSavedTopIndex { 0 };
  TBorderStyle FBorderStyle { bsSingle };
  TListBoxStyle FStyle { lbStandard };
  int FColumns { 0 };
  int FItemHeight { 16 };
  int FTabWidth { 0 };
  bool FExtendedSelect { true };
  bool FIntegralHeight { false };
  bool FMultiSelect { false };
  bool FSorted { false };
};

class TListBox : public TCustomListBox {
  XJ_CLASS(TListBox, TCustomListBox)
 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
};

// ---- Scroll bar ---------------------------------------------------------------------------------------------------

// A scroll bar control: arrows, track and thumb (sized by PageSize, square when PageSize is 0) driven by
// mouse (arrows and track repeat while held, the thumb drags) and keys (arrows, Page Up / Down, Home,
// End). Every user move reports OnScroll (which may change the position) and then sets Position; every
// change of Position fires OnChange.
class TScrollBar : public TCustomControl {
  XJ_CLASS(TScrollBar, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TScrollBar(TComponent* AOwner);
  ~TScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return FMin; }
  void SetMin(int Value) { SetParams(FPosition, Value, FMax); }
  int Max() const { return FMax; }
  void SetMax(int Value) { SetParams(FPosition, FMin, Value); }
  int Position() const { return FPosition; }
  void SetPosition(int Value) { SetParams(Value, FMin, FMax); }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int Value) { FLargeChange = Value; }
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int Value) { FSmallChange = Value; }
  // Raises EInvalidOperation when AMax < AMin or the page does not fit the range; the position is brought
  // into range.
  void SetParams(int APosition, int AMin, int AMax);

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;

 private:
  enum TPart { spNone, spLineUp, spPageUp, spThumb, spPageDown, spLineDown };
  struct TGeometry {
    int Length;     // along the bar
    int Thickness;  // across it
    int Arrow;      // each arrow button, along the bar
    int ThumbPos;   // start of the thumb, along the bar (0 when there is no thumb)
    int ThumbSize;  // 0: no thumb
  };
  TGeometry Geometry();
  TRect PartRect(TPart Part);
  TPart PartAt(const TPoint& P);
  int MaxScrollPos() const;
  int PositionAt(int Along);
  bool Scrollable() const { return Enabled() && FMax > FMin; }
  void DoScroll(TScrollCode Code, int TrackPos);
  void StartRepeat(TPart Part);
  void RepeatStep();
  void StopTracking();
  static TScrollCode StepCode(TPart Part);
  void DrawArrow(const TRect& R, bool Up, bool Pushed);

  TScrollBarKind FKind { sbHorizontal };
  int FMin { 0 };
  int FMax { 100 };
  int FPosition { 0 };
  int FPageSize { 0 };
  int FLargeChange { 1 };
  int FSmallChange { 1 };
  // Mouse tracking.
  TPart FPressedPart { spNone };
  bool FPressedInside { false };
  TPoint FLastMouse;
  int FThumbGrab { 0 };  // where in the thumb it was grabbed, along the bar
  bool FTimerRunning { false };
};

// ---- Memo ---------------------------------------------------------------------------------------------------------

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
XJ_ENUM_IDENTS(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth);

class TCustomMemo;

// The lines of a memo as the window shows them (a wrapped line counts as several), read and written
// through the edit's messages, so a WndProc override sees every access. A final empty row is not a
// line. Index errors raise EListError.
class TMemoStrings : public TStrings {
  XJ_CLASS(TMemoStrings, TStrings)
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
  ~TMemoStrings() override;

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;

 protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const AnsiString& S) override;
  AnsiString GetTextStr() const override;
  void SetTextStr(const AnsiString& Value) override;
  TCustomMemo* Memo() const { return FMemo; }

 private:
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  TCustomMemo* FMemo;
};

// A multi-line edit over the native "EDIT" window with ES_MULTILINE: word wrap (lost to a horizontal
// bar, as the native edit wraps only without one), alignment, scroll bars, Return and Tab as text or
// as dialog keys. The native edit keeps its scroll state (vertical in rows, horizontal in pixels)
// readable through GetScrollInfo whether or not its bars are shown.
class TCustomMemo : public TCustomEdit {
  XJ_CLASS(TCustomMemo, TCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;
  // A descendant may keep its lines in an object of its own (the rich edit reads and writes RTF).
  void ReplaceLines(std::unique_ptr<TStrings> Lines) { FLines = std::move(Lines); }

 private:
  std::unique_ptr<TStrings> FLines;
  TAlignment FAlignment { taLeftJustify };
  TScrollStyle FScrollBars { ssNone };
  bool FWantReturns { true };
  bool FWantTabs { false };
  bool FWordWrap { true };
};

class TMemo : public TCustomMemo {
  XJ_CLASS(TMemo, TCustomMemo)
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
};

XJ_UNIT_REGISTRATION(RegisterStdCtrlsMemo)

// ---- Registration --------------------------------------------------------------------------------------------------

XJ_UNIT_REGISTRATION(RegisterStdCtrls)
