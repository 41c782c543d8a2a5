#pragma once
// The skinned list box: a frame (TbsSkinCustomListBox) drawn from the "listbox" skin object around an
// owner-drawn native list (TbsListBox) that paints its background and items from the frame's skin, and
// skinned scroll bars the frame makes when the list overflows and lets go of when it no longer does.
// The inner list reports its input to the frame through the frame's virtual ListBox* hooks.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/vcl/StdCtrls.h"
#include "platform/win32/ctl/OrderTree.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"

class TbsSkinScrollBar;
class TbsSkinCustomListBox;
class TCustomImageList;

// One item drawn by the user: a canvas of an off-screen bitmap of one item, its origin the item's
// top-left corner.
typedef TClosure<void(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect, TOwnerDrawState State)>
    TbsDrawSkinItemEvent;

// A canvas for one item drawn straight onto a DC: the origin at the item's top-left and everything
// clipped to W x H there, as in a bitmap of the item; the DC is left as it was found. The canvas is one
// of its own, or Lent: the rows of one paint share one, keeping its font and brush handles from row to
// row, so each row sets every property it draws with.
class TbsRowOnDC {
 public:
  TbsRowOnDC(HDC DC, int X, int Y, int W, int H, TCanvas* Lent = nullptr);
  ~TbsRowOnDC();
  TbsRowOnDC(const TbsRowOnDC&) = delete;
  TbsRowOnDC& operator=(const TbsRowOnDC&) = delete;
  TCanvas* Canvas() { return FCanvas; }

 private:
  HDC FDC;
  int FSaved;
  std::optional<TCanvas> FOwn;
  TCanvas* FCanvas;
};

class TbsListBox : public TListBox {
  XJ_CLASS(TbsListBox, TListBox)
 public:
  explicit TbsListBox(TComponent* AOwner);
  ~TbsListBox() override;

  // Pixels the item contents are moved left by (never negative); set by the frame's horizontal bar.
  int HScrollOffset { 0 };
  TbsSkinCustomListBox* Frame { nullptr };

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The background of an AW x AH area at (AX, AY), tiled from the skin's client part.
  void PaintBGWH(TCanvas* Cnvs, int AW, int AH, int AX, int AY);
  TOwnerDrawState GetState(int Index);
  // The list's click, as a user's selection gives it.
  void DoClick() { Click(); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Click() override;
  // What the rows of one paint share: the items' count and selection as last read, the DC they may be
  // drawn straight onto, and the skinned faces cut so far, each of a picture rectangle and width (the
  // rest of the face is the frame's, which a paint without draw handlers leaves as it is).
  struct TRowPaint {
    struct TFace {
      TRect Source;
      int Width;
      std::unique_ptr<TBitmap> Bitmap;
    };
    TRowPaint() = default;
    TRowPaint(const TRowPaint&) = delete;
    TRowPaint& operator=(const TRowPaint&) = delete;
    ~TRowPaint() { Release(); }
    int Count { 0 }, Current { -1 }, SelCount { 0 };
    bool Focused { false };
    HDC DC { nullptr };
    TCanvas Rows;  // lent to each row drawn straight onto DC
    std::vector<TFace> Faces;
    TBitmap& Face(const TRect& Source, int Width, TbsSkinCustomListBox* F);
    // Rows whose drawing stays inside them need no state of their own: Rows stays on DC from one such
    // row to the next, its origin moved to each, nothing saved, clipped or selected again. Release puts
    // the origin back and lets go of DC before anything else draws on it.
    TCanvas* RowAt(int X, int Y);
    void Release();

   private:
    bool FAttached { false };
    POINT FAt {};
  };
  // Item Index at R of Cnvs: through a bitmap of its own, or, in a paint (Paint given) where nothing but
  // the list draws it, straight onto the paint's DC.
  void DrawSkinItem(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State, TRowPaint* Paint = nullptr);
  void DrawDefaultItem(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State, TRowPaint* Paint = nullptr);
  // What a descendant adds to an item before its text: the check box. T is the text rectangle, which
  // it may narrow; Skin tells which look the item has.
  virtual void DrawItemExtra(TCanvas* Cnvs, int Index, int Width, int Height, TRect& T, bool Skin) {
    (void)Cnvs, (void)Index, (void)Width, (void)Height, (void)T, (void)Skin;
  }
  // Pixels at the left of a default-look item left to DrawItemExtra.
  virtual int DefaultColumn() const { return 0; }
  // Whether DrawItemExtra draws anything: a class that draws an extra says so, and its rows are clipped to
  // themselves (the extra may reach past the item's text rectangle).
  virtual bool HasItemExtra() const { return false; }
  // After the native list took, dropped or cleared items, before anyone is told: Result is its answer.
  virtual void ItemsChanged(TMessage& Message) { (void)Message; }
  bool Skinned() const;

 private:
  void PaintBG(HDC DC);
  bool PaintCoversAll();
  void PaintList(HDC DC, bool Columns);
  void DrawItemAt(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State, TRowPaint* Paint = nullptr);
  bool Direct(const TRowPaint* Paint, TOwnerDrawState State) const;
  // Whether a row of W x H drawn straight onto the paint, its text clipped to T, stays inside itself.
  bool StaysInRow(const TRect& T, int W, int H) const;
  void ReadRows(TRowPaint& Rows);
  TOwnerDrawState StateOf(int Index, const TRowPaint& Rows);
  bool SkinRow(TCanvas* C, int Index, int W, int H, TRect T, TOwnerDrawState State);
  bool DefaultRow(TCanvas* C, int Index, int W, int H, TOwnerDrawState State);
  // The text rectangle of a default-look row of W x H, before DrawItemExtra narrows it.
  TRect DefaultTextRect(int W, int H) const;
  // Image and text of an item into T of Cnvs, shifted left by HScrollOffset.
  void DrawImageAndText(TCanvas* Cnvs, int Index, const TRect& T);
};

class TbsSkinCustomListBox : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinCustomListBox, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomListBox(TComponent* AOwner);
  ~TbsSkinCustomListBox() override;

  TbsListBox* ListBox() const { return FListBox; }
  TbsSkinScrollBar* ScrollBar() const { return FScrollBar; }
  TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }

  TStrings* Items() const { return FListBox->Items(); }
  void SetItems(TStrings* Value);
  int ItemIndex() const { return FListBox->ItemIndex(); }
  // While a form is read the index waits for the items (Loaded selects it).
  void SetItemIndex(int Value);
  int Columns() const { return FListBox->Columns(); }
  void SetColumns(int Value);
  bool MultiSelect() const { return FListBox->MultiSelect(); }
  void SetMultiSelect(bool Value) { FListBox->SetMultiSelect(Value); }
  bool ExtandedSelect() const { return FListBox->ExtendedSelect(); }
  void SetExtandedSelect(bool Value) { FListBox->SetExtendedSelect(Value); }
  bool Sorted() const { return FListBox->Sorted(); }
  void SetSorted(bool Value) { FListBox->SetSorted(Value); }
  TFont* ListBoxFont() const { return FListBox->Font(); }
  void SetListBoxFont(TFont* Value) { FListBox->Font()->Assign(Value); }
  int ListBoxTabOrder() const { return FListBox->TabOrder(); }
  void SetListBoxTabOrder(int Value) { FListBox->SetTabOrder(Value); }
  bool ListBoxTabStop() const { return FListBox->TabStop(); }
  void SetListBoxTabStop(bool Value) { FListBox->SetTabStop(Value); }
  int SelCount() const { return FListBox->SelCount(); }
  bool Selected(int Index) const { return FListBox->Selected(Index); }
  void SetSelected(int Index, bool Value) { FListBox->SetSelected(Index, Value); }
  int TopIndex() const { return FListBox->TopIndex(); }
  void SetTopIndex(int Value) { FListBox->SetTopIndex(Value); }
  int ItemAtPos(const TPoint& Pos, bool Existing) const { return FListBox->ItemAtPos(Pos, Existing); }
  TRect ItemRect(int Index) const { return FListBox->ItemRect(Index); }

  bool HorizontalExtent() const { return FHorizontalExtent; }
  void SetHorizontalExtent(bool Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int Value);

  // The caption bar: title, glyph and the up, down and check buttons.
  bool CaptionMode() const { return FCaptionMode; }
  void SetCaptionMode(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  void SetDefaultCaptionHeight(int Value);
  TFont* DefaultCaptionFont() const { return FDefaultCaptionFont.get(); }
  void SetDefaultCaptionFont(TFont* Value) { FDefaultCaptionFont->Assign(Value); }
  // Replace a button's default action (and its repeat); Sender is the frame.
  TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnCheckButtonClick;
  struct TCaptionButton {
    TRect R;
    bool MouseIn { false };
    bool Down { false };
  };
  const TCaptionButton& Buttons(int I) const { return FButtons[I]; }

  TbsDrawSkinItemEvent OnDrawItem;
  TNotifyEvent OnListBoxClick, OnListBoxDblClick;
  TMouseEvent OnListBoxMouseDown, OnListBoxMouseUp;
  TMouseMoveEvent OnListBoxMouseMove;
  TKeyEvent OnListBoxKeyDown, OnListBoxKeyUp;
  TKeyPressEvent OnListBoxKeyPress;

  // What the inner list reports; each fires the matching OnListBox* event with the frame as Sender.
  virtual int GetFullItemWidth(int Index, TCanvas* ACanvas);
  virtual void ListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseMove(TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListBoxClick();
  virtual void ListBoxDblClick();
  virtual void ListBoxKeyDown(WORD& Key, TShiftState Shift);
  virtual void ListBoxKeyUp(WORD& Key, TShiftState Shift);
  virtual void ListBoxKeyPress(char& Key);
  virtual void ListBoxEnter() {}
  virtual void ListBoxExit() {}
  // Handled false drops the message.
  virtual void ListBoxWProc(TMessage& Message, bool& Handled) {
    (void)Message;
    Handled = true;
  }
  virtual void ListBoxCreateWnd() {}

  void GetSkinData() override;
  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void DefaultFontChange() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

  // The inner list's items about to change and changed (added, inserted, deleted, cleared, or gone with
  // the window): the widest item for the sideways bar follows them.
  void ListBoxItemsChanging(const TMessage& Message);
  void ListBoxItemsChanged(const TMessage& Message);
  // Mirrors the inner list's scroll state into the skinned bars, making or letting go of them.
  void UpDateScrollBar();
  // The same after the items changed: a new range shows with the next paint, so that a list filled one
  // item at a time draws its bar once, not once per item.
  void UpDateScrollBarLater();
  void CalcRects();
  // The frame height that shows N rows.
  int CalcHeight(int N);
  void Clear();

  // Copied from the listbox record by the lookup.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TRect SItemRect, ActiveItemRect, FocusItemRect, ItemTextRect;
  int ItemLeftOffset { 0 }, ItemRightOffset { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, FocusFontColor { 0 };
  TRect CaptionRect, NewCaptionRect;
  AnsiString CaptionFontName;
  TFontStyles CaptionFontStyle;
  int CaptionFontHeight { 12 };
  TColor CaptionFontColor { 0 };
  TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect, DownDownButtonRect,
      CheckButtonRect, ActiveCheckButtonRect, DownCheckButtonRect;
  AnsiString VScrollBarName { "vscrollbar" }, HScrollBarName { "hscrollbar" }, BothScrollBarName { "bothhscrollbar" };
  TRect SkinClientRect, RealClientRect;

 protected:
  // Around an inner list of a descendant's class, made by NewInner with this frame as owner.
  TbsSkinCustomListBox(TComponent* AOwner, TbsListBox* (*NewInner)(TComponent*));
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;
  // The check button's default action: the list's click.
  virtual void CheckButtonAction() { FListBox->DoClick(); }

 private:
  void OnDefaultCaptionFontChange(TObject* Sender);
  void TakeDefaultFont();
  void TestActive(int X, int Y);
  void ButtonDown(int I);
  void ButtonUp(int I);
  void ButtonEnter(int I);
  void ButtonLeave(int I);
  void DrawButton(TCanvas* Cnvs, int I);
  void RepeatTick();
  // Ends a press: the repeat stops and nothing is held (capture loss, disabling, hiding).
  void CancelPress();
  void StepItem(int Delta);
  void DrawTitle(TCanvas* C, const TRect& T, int Y);
  void ShowScrollBar();
  void ShowHScrollBar();
  void HideScrollBar();
  void HideHScrollBar();
  // A bar let go of is hidden at once and freed when no bar handler is running.
  void Retire(TbsSkinScrollBar*& Bar);
  void SetBarRange(TbsSkinScrollBar* Bar, int Min, int Max, int Position, int Page);
  void FreeRetired();
  void SkinBar(TbsSkinScrollBar* Bar, bool Horizontal);
  void SBChange(TObject* Sender);
  void HSBChange(TObject* Sender);
  bool Skinned() const { return FSkinObjectIndex != -1; }
  // The font items are measured in for the sideways bar: the inner list's, or the skin's item font.
  struct TMeasureFont {
    bool Skinned { false };
    AnsiString Name;
    int Height { 0 };
    TFontStyles Style;
    TFontCharset Charset { 0 };
    TFontPitch Pitch { fpDefault };
    bool operator==(const TMeasureFont& o) const {
      return Skinned == o.Skinned && Name == o.Name && Height == o.Height && Style == o.Style && Charset == o.Charset &&
             Pitch == o.Pitch;
    }
  };
  TMeasureFont MeasureFontNow() const;
  // A canvas in the measuring font; made again, and every item measured again, when that font changed.
  TCanvas* MeasureCanvas();
  void AddItemWidth(int Width, int Delta);
  int WidestItem();

  TbsListBox* FListBox { nullptr };
  TbsSkinScrollBar* FScrollBar { nullptr };
  TbsSkinScrollBar* FHScrollBar { nullptr };
  std::vector<TbsSkinScrollBar*> FRetired;
  TCustomImageList* FImages { nullptr };
  int FImageIndex { -1 };
  int FStreamedItemIndex { -1 };
  int FRowCount { 0 };
  int FDefaultItemHeight { 20 };
  bool FHorizontalExtent { false };
  // With HorizontalExtent: how many items have each width, kept as items come and go, so that a list
  // filled one item at a time is not measured in full for every item.
  std::map<int, int> FItemWidths;
  int FItemWidthsCount { 0 };
  bool FItemWidthsKept { false };
  std::unique_ptr<TBitmap> FMeasure;
  TMeasureFont FMeasureFont;
  bool SkinChanging { false };
  bool FUpdating { false };
  bool FBarLater { false };
  int FInBarChange { 0 };
  bool FCaptionMode { false };
  TAlignment FAlignment { taLeftJustify };
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs { 1 };
  int FSpacing { 2 };
  int FDefaultCaptionHeight { 20 };
  std::unique_ptr<TFont> FDefaultCaptionFont;
  TCaptionButton FButtons[3];
  int OldActiveButton { -1 }, ActiveButton { -1 }, CaptureButton { -1 };
  int TimerMode { 0 };
  bool WaitMode { false };
  bool FReleasing { false };
  TbsRepeatTimer FRepeat { [this] { RepeatTick(); } };
};

// The check records of the items live beside them, in step with every insert, delete, clear and
// re-creation of the window; the native item data word is never read as one.
class TbsCheckListBox : public TbsListBox {
  XJ_CLASS(TbsCheckListBox, TbsListBox)
 public:
  explicit TbsCheckListBox(TComponent* AOwner);
  ~TbsCheckListBox() override;

  // Index errors raise EListError.
  bool Checked(int Index);
  void SetChecked(int Index, bool AChecked);
  TCheckBoxState State(int Index);
  void SetState(int Index, TCheckBoxState AState);
  // Checked and unchecked swap, grayed stays; OnClickCheck fires either way.
  void ToggleClickCheck(int Index);
  // Fired with the frame as Sender when there is one, else the list.
  TNotifyEvent OnClickCheck;

  LONG_PTR GetItemData(int Index) override;
  void SetItemData(int Index, LONG_PTR AData) override;

 protected:
  void DestroyWnd() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void DrawItemExtra(TCanvas* Cnvs, int Index, int Width, int Height, TRect& T, bool Skin) override;
  int DefaultColumn() const override { return 20; }
  bool HasItemExtra() const override { return true; }
  void ItemsChanged(TMessage& Message) override;

 private:
  struct TCheckRecord {
    LONG_PTR Data { 0 };
    TCheckBoxState State { cbUnchecked };
  };
  TCheckRecord& Record(int Index);
  void InvalidateCheck(int Index);
  // Where the box of an item of the given width sits in the skinned look; empty without check rects.
  TRect SkinCheckRect(int ItemWidth) const;

  xj::ctl::IndexedList<TCheckRecord> FRecords;                // an item's record goes in or out without moving the rest
  std::unique_ptr<std::vector<TCheckBoxState>> FSavedStates;  // between DestroyWnd and CreateWnd
};

class TbsSkinListBox : public TbsSkinCustomListBox {
  XJ_CLASS(TbsSkinListBox, TbsSkinCustomListBox)
 public:
  explicit TbsSkinListBox(TComponent* AOwner);
  ~TbsSkinListBox() override;
};

class TbsSkinCheckListBox : public TbsSkinCustomListBox {
  XJ_CLASS(TbsSkinCheckListBox, TbsSkinCustomListBox)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCheckListBox(TComponent* AOwner);
  ~TbsSkinCheckListBox() override;

  TbsCheckListBox* CheckListBox() const { return static_cast<TbsCheckListBox*>(ListBox()); }
  bool Checked(int Index) const { return CheckListBox()->Checked(Index); }
  void SetChecked(int Index, bool Value) { CheckListBox()->SetChecked(Index, Value); }
  TCheckBoxState State(int Index) const { return CheckListBox()->State(Index); }
  void SetState(int Index, TCheckBoxState Value) { CheckListBox()->SetState(Index, Value); }

  // Fired with the frame as Sender, from the items' boxes and the caption's check button alike.
  TNotifyEvent OnClickCheck;
  void ListBoxOnClickCheck(TObject* Sender);

  void GetSkinData() override;

 protected:
  // Toggles the current item, as a click on its box does.
  void CheckButtonAction() override;

 public:
  // Copied from a check list record; empty for any other record.
  TRect UnCheckImageRect, CheckImageRect, ItemCheckRect;
};
