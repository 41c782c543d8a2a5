#pragma once
// The skinned combo box: a face showing the selected item (or an inner edit to type in) and a button
// that drops down a skinned list in an owned, non-activating popup window. The colour and font combos
// derive from TbsSkinCustomComboBox and fill its items.

#include <memory>

#include "skin/controls/bsSkinBoxCtrls_dropdown.h"
#include "skin/controls/bsSkinBoxCtrls_edits.h"
#include "skin/controls/bsSkinBoxCtrls_lists.h"

class TbsSkinCustomComboBox;

enum TbsSkinCustomComboBoxStyle { bscbEditStyle, bscbFixedStyle };
XJ_ENUM_IDENTS(TbsSkinCustomComboBoxStyle, bscbEditStyle, bscbFixedStyle);

class TbsSkinCustomComboBox;

// The combo's drop-down list: a skinned list box in a top-level tool window owned by the combo's window.
// It never closes itself; the combo opens it with Show and closes it with Hide.
class TbsPopupListBox : public TbsSkinListBox {
  XJ_CLASS(TbsPopupListBox, TbsSkinListBox)
 public:
  // A list of no combo.
  explicit TbsPopupListBox(TComponent* AOwner);
  // The list of Combo, which alone frees it: no owning component.
  static std::unique_ptr<TbsPopupListBox> ForCombo(TbsSkinCustomComboBox* Combo);
  ~TbsPopupListBox() override;

  // Shows the list with its top-left at screen point P, its size as the owner set it, faded in as an
  // owning combo's alpha properties say.
  void Show(const TPoint& P);
  void Hide();
  TbsSkinCustomComboBox* Combo() const { return FCombo; }
  bool LayeredApplied() const { return FDropping.LayeredApplied(); }
  BYTE CurrentAlpha() const { return FDropping.CurrentAlpha(); }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TbsDropDownWindow FDropping;
  TbsSkinCustomComboBox* FCombo { nullptr };
};

class TbsSkinCustomComboBox : public TbsSkinCustomControl {
  XJ_CLASS(TbsSkinCustomComboBox, TbsSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomComboBox(TComponent* AOwner);
  ~TbsSkinCustomComboBox() override;

  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
  void SetAlphaBlendAnimation(bool Value) { FAlphaBlendAnimation = Value; }
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value) { FAlphaBlendValue = Value; }
  TbsSkinCustomComboBoxStyle Style() const { return FStyle; }
  // The style sets the tab stop as it is read: it is written when it differs from what the style gives.
  bool IsTabStopStored() const { return TabStop() != (FStyle != bscbEditStyle); }
  // TabStop as a form sets it: a Style read after it keeps it.
  void SetStreamedTabStop(bool Value);
  // Switches between a face showing the selected item and an inner edit; the same style again does
  // nothing. Safe from inside the inner edit's own notifications.
  void SetStyle(TbsSkinCustomComboBoxStyle Value);
  int DropDownCount() const { return FDropDownCount; }
  // Values of 0 and below are ignored.
  void SetDropDownCount(int Value) {
    if (Value > 0) FDropDownCount = Value;
  }
  TStrings* Items() const { return FPopupList->Items(); }
  void SetItems(TStrings* Value) { FPopupList->Items()->Assign(Value); }
  int ItemIndex() const { return FPopupList->ItemIndex(); }
  // Selects item Value (-1 none; out of range: none) and takes its text; fires OnClick and Change at run
  // time. While the form is being read the index waits for the items: Loaded selects it, quietly.
  void SetItemIndex(int Value);
  bool Sorted() const { return FPopupList->Sorted(); }
  void SetSorted(bool Value) { FPopupList->SetSorted(Value); }
  bool HorizontalExtent() const { return FPopupList->HorizontalExtent(); }
  void SetHorizontalExtent(bool Value) { FPopupList->SetHorizontalExtent(Value); }
  TCustomImageList* Images() const { return FPopupList->Images(); }
  void SetImages(TCustomImageList* Value);
  int ImageIndex() const { return FPopupList->ImageIndex(); }
  void SetImageIndex(int Value);
  AnsiString ListBoxCaption() const { return FPopupList->Caption(); }
  void SetListBoxCaption(const AnsiString& Value) { FPopupList->SetCaption(Value); }
  bool ListBoxCaptionMode() const { return FPopupList->CaptionMode(); }
  void SetListBoxCaptionMode(bool Value) { FPopupList->SetCaptionMode(Value); }
  TAlignment ListBoxCaptionAlignment() const { return FPopupList->Alignment(); }
  void SetListBoxCaptionAlignment(TAlignment Value) { FPopupList->SetAlignment(Value); }
  TFont* ListBoxDefaultFont() const { return FPopupList->DefaultFont(); }
  void SetListBoxDefaultFont(TFont* Value) { FPopupList->DefaultFont()->Assign(Value); }
  TFont* ListBoxDefaultCaptionFont() const { return FPopupList->DefaultCaptionFont(); }
  void SetListBoxDefaultCaptionFont(TFont* Value) { FPopupList->SetDefaultCaptionFont(Value); }
  int ListBoxDefaultItemHeight() const { return FPopupList->DefaultItemHeight(); }
  void SetListBoxDefaultItemHeight(int Value) { FPopupList->SetDefaultItemHeight(Value); }
  bool ListBoxUseSkinFont() const { return FPopupList->UseSkinFont(); }
  void SetListBoxUseSkinFont(bool Value) { FPopupList->SetUseSkinFont(Value); }
  TbsDrawSkinItemEvent OnListBoxDrawItem() const { return FOnListBoxDrawItem; }
  // The drop-down list draws its items with the same handler.
  void SetListBoxDrawItem(TbsDrawSkinItemEvent Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnClick;
  TNotifyEvent OnCloseUp;
  TbsDrawSkinItemEvent OnComboBoxDrawItem;

  TbsPopupListBox* PopupList() const { return FPopupList.get(); }
  TbsCustomEdit* InnerEdit() const { return FInnerEdit; }
  const TRect& FaceRect() const { return FFaceRect; }
  const TRect& ButtonRect() const { return FButtonRect; }
  // The item the face shows: the one held before the list opened while it is open.
  int FaceItemIndex() const;

  // Sizes the list to min(items, DropDownCount) rows and the combo's width, places it under the combo
  // (above it, or moved sideways, inside the work area) and shows it; nothing without items.
  void DropDown();
  // Hides an open list; accepting takes the list's item (Text, OnClick, Change, then OnCloseUp),
  // cancelling puts back the selection held before it opened and fires nothing.
  void CloseUp(bool Accept);
  bool IsPopupVisible() const { return FPopupList->Visible(); }
  bool CanCancelDropDown() const { return IsPopupVisible() && !FMouseInControl; }
  void ListBoxDrawItem(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect, TOwnerDrawState State);

  // One item up or down, a page (DropDownCount - 1 items) up or down. Committing selects through
  // SetItemIndex; otherwise only the open list's selection moves.
  void EditUp1(bool AChange);
  void EditDown1(bool AChange);
  void EditPageUp1(bool AChange);
  void EditPageDown1(bool AChange);
  // The inner edit's steps: committing takes the item's text and fires OnClick (not Change).
  void EditUp(bool AChange);
  void EditDown(bool AChange);
  void ShowEditor();
  void HideEditor();
  void CalcRects();

  void Invalidate() override;
  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void DefaultFontChange() override;
  void Dispatch(TMessage& Message) override;

  // Copied from the combobox record by the lookup.
  TRect SItemRect, FocusItemRect, ItemTextRect;
  int ItemLeftOffset { 0 }, ItemRightOffset { 0 };
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 }, FocusFontColor { 0 };
  AnsiString ListBoxName;
  TRect SButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;

 protected:
  // The inner edit's window procedure: the combo's keys and the wheel, then the edit's own.
  virtual void EditWindowProcHook(TMessage& Message);
  // After a committed selection and after text typed into the inner edit.
  virtual void Change() {}

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DrawButton(TCanvas* C);
  void DrawButtonPicture(TCanvas* C, const TRect& Src);
  void DrawDefaultItem(TCanvas* C);
  void DrawSkinItem(TCanvas* C);

 private:
  // SetItemIndex's work, once the items are in.
  void SelectItem(int Value);
  void ListBoxWindowProcHook(TMessage& Message);
  // Dispatch's handlers.
  void AfterInherited(TMessage& Message);
  void FocusGot(TMessage& Message);
  void FocusLost();
  bool WheelTurned(TMessage& Message);
  void TextChanged();
  void MouseLeft();
  void UsableChanged();
  void WantSpecialKey(TMessage& Message);
  bool EditKeyDown(WPARAM Key, bool Open);
  void ListBoxMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ListBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void ListBoxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void CheckButtonClick(TObject* Sender);
  void EditChange(TObject* Sender);
  void EditCancelMode(TControl* C);
  // Whether a control taking over leaves the list open: the combo, the list and the list's parts.
  bool IsOwnPart(TControl* C) const;
  // Text and images of item Index into T of a face buffer, or the user's drawing.
  void DrawFaceItem(TCanvas* C, int Index, int W, int H, TRect T);
  bool DefaultItem(TCanvas* C, int W, int H, bool Focused);
  // Sets the list's selection, kept within the items (none on an empty list).
  void SetListIndex(int Index);
  // Items a page key moves.
  int PageStep() const;
  void MoveTo(int Index, bool AChange);
  void StepEdit(int Delta, bool AChange);
  // The inner edit's font and transparency for the current look.
  void ApplyEditFont();

  bool FAlphaBlend { false };
  bool FAlphaBlendAnimation { false };
  BYTE FAlphaBlendValue { 0 };
  TbsSkinCustomComboBoxStyle FStyle { bscbFixedStyle };
  TbsDrawSkinItemEvent FOnListBoxDrawItem;
  bool FMouseInControl { false };
  int FOldItemIndex { -1 };
  int FStreamedItemIndex { -1 };  // an index read before the items it points into
  bool FTabStopRead { false };
  // Which of the two fonts a form being read gave.
  enum TStreamedFont { sfFont, sfDefaultFont };
  using TStreamedFonts = Set<TStreamedFont>;
  TStreamedFonts FStreamedFonts;
  int FDropDownCount { 8 };
  bool FListMouseDown { false };
  TWndMethod FOldListWindowProc;
  TWndMethod FOldEditWindowProc;
  std::unique_ptr<TbsPopupListBox> FPopupList;
  TRect FFaceRect, FButtonRect;
  TOwnerDrawState FItemState;
  bool FButtonMouseIn { false };
  bool FButtonDown { false };
  TbsCustomEdit* FInnerEdit { nullptr };
  bool FEditChanging { false };
};

class TbsSkinComboBox : public TbsSkinCustomComboBox {
  XJ_CLASS(TbsSkinComboBox, TbsSkinCustomComboBox)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinComboBox(TComponent* AOwner);
  ~TbsSkinComboBox() override;
};
