#pragma once
// The buttons bar: a skinned panel with a column of section buttons, the items of the open section
// shown as large flat buttons between the section buttons above and below it, and two arrows that scroll
// items that do not fit. Sections and their items are two nested collections streamed with the form.

#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"

class TbsSkinButtonsBar;
class TbsButtonBarSection;
class TCustomImageList;

class TbsButtonBarItem : public TCollectionItem {
  XJ_CLASS(TbsButtonBarItem, TCollectionItem)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsButtonBarItem(TCollection* Collection) : TCollectionItem(Collection) {}

  void Assign(TPersistent* Source) override;
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // Fires OnClick with the item as the sender.
  void Click();

  TNotifyEvent OnClick;

 protected:
  AnsiString GetDisplayName() const override;

 private:
  AnsiString FText;
  int FImageIndex { 0 };
};

class TbsButtonBarItems : public TCollection {
  XJ_CLASS(TbsButtonBarItems, TCollection)
 public:
  explicit TbsButtonBarItems(TbsButtonBarSection* Section);

  TbsButtonBarItem* Add() { return static_cast<TbsButtonBarItem*>(TCollection::Add()); }
  TbsButtonBarItem* Items(int Index) const { return static_cast<TbsButtonBarItem*>(TCollection::Items(Index)); }
  void SetItems(int Index, TbsButtonBarItem* Value) { TCollection::SetItems(Index, Value); }

 protected:
  TPersistent* GetOwner() override;
  // An item's change is a change of its section.
  void Update(TCollectionItem* Item) override;

 private:
  TbsButtonBarSection* FSection;

  friend class TbsButtonBarSection;
};

class TbsButtonBarSection : public TCollectionItem {
  XJ_CLASS(TbsButtonBarSection, TCollectionItem)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsButtonBarSection(TCollection* Collection);
  ~TbsButtonBarSection() override;

  // Text and ImageIndex only.
  void Assign(TPersistent* Source) override;
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TbsButtonBarItems* Items() const { return FItems.get(); }
  void SetItems(TbsButtonBarItems* Value) { FItems->Assign(Value); }
  void Click();

  TNotifyEvent OnClick;

 protected:
  AnsiString GetDisplayName() const override;

 private:
  AnsiString FText;
  int FImageIndex { 0 };
  std::unique_ptr<TbsButtonBarItems> FItems;

  friend class TbsButtonBarItems;
};

class TbsButtonBarSections : public TCollection {
  XJ_CLASS(TbsButtonBarSections, TCollection)
 public:
  explicit TbsButtonBarSections(TbsSkinButtonsBar* Bar);

  TbsButtonBarSection* Add() { return static_cast<TbsButtonBarSection*>(TCollection::Add()); }
  TbsButtonBarSection* Items(int Index) const { return static_cast<TbsButtonBarSection*>(TCollection::Items(Index)); }
  TbsSkinButtonsBar* GetButtonsBar() const { return FBar; }

 protected:
  TPersistent* GetOwner() override;
  // One section changed: its button (and the items when it is open); none given: everything.
  void Update(TCollectionItem* Item) override;

 private:
  TbsSkinButtonsBar* FBar;

  friend class TbsSkinButtonsBar;
};

// A section's button: opens its section.
class TbsSectionButton : public TbsSkinSpeedButton {
  XJ_CLASS(TbsSectionButton, TbsSkinSpeedButton)
 public:
  TbsSectionButton(TComponent* AOwner, TbsSkinButtonsBar* Bar, int ASectionIndex);

  int SectionIndex() const { return FSectionIndex; }
  void ButtonClick() override;

 private:
  TbsSkinButtonsBar* FBar;
  int FSectionIndex;
};

// An item's button: fires the item's OnClick.
class TbsSectionItem : public TbsSkinSpeedButton {
  XJ_CLASS(TbsSectionItem, TbsSkinSpeedButton)
 public:
  TbsSectionItem(TComponent* AOwner, TbsSkinButtonsBar* Bar, int ASectionIndex, int AItemIndex);

  int ItemIndex() const { return FItemIndex; }
  int SectionIndex() const { return FSectionIndex; }
  void ButtonClick() override;

 private:
  TbsSkinButtonsBar* FBar;
  int FSectionIndex;
  int FItemIndex;
};

class TbsSkinButtonsBar : public TbsSkinPanel {
  XJ_CLASS(TbsSkinButtonsBar, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinButtonsBar(TComponent* AOwner);
  ~TbsSkinButtonsBar() override;

  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value);
  TFont* DefaultSectionFont() const { return FDefaultSectionFont.get(); }
  // Copied; shows when the section buttons are next rebuilt.
  void SetDefaultSectionFont(TFont* Value) { FDefaultSectionFont->Assign(Value); }
  TFont* DefaultItemFont() const { return FDefaultItemFont.get(); }
  void SetDefaultItemFont(TFont* Value) { FDefaultItemFont->Assign(Value); }
  int ItemHeight() const { return FItemHeight; }
  // Values below 1 are refused: the visible count is the panel's height divided by it.
  void SetItemHeight(int Value);
  bool ItemsTransparent() const { return FItemsTransparent; }
  void SetItemsTransparent(bool Value);
  TbsButtonBarSections* Sections() const { return FSections.get(); }
  void SetSections(TbsButtonBarSections* Value) { FSections->Assign(Value); }
  int SectionIndex() const { return FSectionIndex; }
  // Opens section Value; an index outside the sections, or the open one, is ignored.
  void SetSectionIndex(int Value);
  TCustomImageList* ItemImages() const { return FItemImages; }
  void SetItemImages(TCustomImageList* Value);
  TCustomImageList* SectionImages() const { return FSectionImages; }
  void SetSectionImages(TCustomImageList* Value);
  const AnsiString& SectionButtonSkinDataName() const { return FSectionButtonSkinDataName; }
  void SetSectionButtonSkinDataName(const AnsiString& Value) { FSectionButtonSkinDataName = Value; }
  int DefaultButtonHeight() const { return FDefaultButtonHeight; }
  void SetDefaultButtonHeight(int Value);

  TbsSkinPanel* ItemPanel() const { return FItemPanel; }
  TbsSkinButton* UpButton() const { return FUpButton; }
  TbsSkinButton* DownButton() const { return FDownButton; }
  int TopIndex() const { return FTopIndex; }
  int VisibleCount() const { return FVisibleCount; }
  int SectionButtonCount() const { return static_cast<int>(FSectionButtons.size()); }
  TbsSectionButton* SectionButton(int I) const { return FSectionButtons[I]; }
  int ItemButtonCount() const { return static_cast<int>(FItemButtons.size()); }
  TbsSectionItem* ItemButton(int I) const { return FItemButtons[I]; }

  void SetSkinData(TbsSkinData* Value) override;
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

  void UpdateSections();
  void UpdateSection(int Index);
  void UpdateItems();
  void UpdateSectionButtons();
  void OpenSection(int Index);
  void CheckVisibleItems();
  void ScrollUp();
  void ScrollDown();

  // While a child button's click runs, rebuilds wait until it has returned: the rebuild would free the
  // button whose click is on the stack.
  class TClickScope {
   public:
    explicit TClickScope(TbsSkinButtonsBar* Bar);
    ~TClickScope();

   private:
    TbsSkinButtonsBar* FBar;
    std::weak_ptr<const void> FLife;
  };

 protected:
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ClearSections();
  void ClearItems();
  void ArrangeItems();
  void ShowArrow(TbsSkinButton*& Arrow, bool Up);
  // Whether a rebuild may run now; otherwise it is noted and runs after the click.
  bool MayRebuild(bool& Pending);
  void RunPendingRebuilds();
  void SetImage(TBitmap* Glyph, TCustomImageList* Images, int Index);
  void ClampSectionIndex();
  void OnItemPanelResize(TObject* Sender);
  void UpButtonClick(TObject*) { ScrollUp(); }
  void DownButtonClick(TObject*) { ScrollDown(); }

  bool FShowButtons { true };
  std::unique_ptr<TFont> FDefaultSectionFont;
  std::unique_ptr<TFont> FDefaultItemFont;
  TbsSkinButton* FUpButton { nullptr };
  TbsSkinButton* FDownButton { nullptr };
  int FTopIndex { 0 };
  int FVisibleCount { 0 };
  int FItemHeight { 60 };
  bool FItemsTransparent { true };
  TbsSkinPanel* FItemPanel { nullptr };
  std::unique_ptr<TbsButtonBarSections> FSections;
  int FSectionIndex { 0 };
  TCustomImageList* FItemImages { nullptr };
  TCustomImageList* FSectionImages { nullptr };
  std::vector<TbsSectionButton*> FSectionButtons;
  std::vector<TbsSectionItem*> FItemButtons;
  AnsiString FSectionButtonSkinDataName { "toolbutton" };
  int FDefaultButtonHeight { 25 };
  int FClickDepth { 0 };
  bool FSectionsPending { false };
  bool FItemsPending { false };
  bool FRebuildPosted { false };
};
