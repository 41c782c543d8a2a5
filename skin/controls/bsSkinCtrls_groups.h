#pragma once
// Skinned radio and check groups: group boxes that show a string list as a grid of item buttons (radio
// buttons, one chosen; or check boxes, any checked). The item buttons are owned, made, placed and freed
// by the group and never streamed.

#include "skin/controls/bsSkinCtrls_checkradio.h"
#include "skin/controls/bsSkinCtrls_panel.h"

class TStringList;
class TStrings;
class TbsSkinItemGroup;

// An item button: a flat check or radio box whose keys also reach its group.
class TbsGroupButton : public TbsSkinCheckRadioBox {
  XJ_CLASS(TbsGroupButton, TbsSkinCheckRadioBox)
 public:
  TbsGroupButton(TbsSkinItemGroup* Group, bool ARadio);
  ~TbsGroupButton() override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  TbsSkinItemGroup* FGroup;
};

class TbsCheckGroupButton : public TbsGroupButton {
  XJ_CLASS(TbsCheckGroupButton, TbsGroupButton)
 public:
  explicit TbsCheckGroupButton(TbsSkinItemGroup* Group) : TbsGroupButton(Group, false) {}
};

// What the radio and the check group share: the items, the buttons made from them, their placement in
// columns and what every button takes from the group.
class TbsSkinItemGroup : public TbsSkinGroupBox {
  XJ_CLASS(TbsSkinItemGroup, TbsSkinGroupBox)
  XJ_PUBLISHED_ACCESS;

 public:
  ~TbsSkinItemGroup() override;

  TStrings* Items() const;
  void SetItems(TStrings* Value);
  int Columns() const { return FColumns; }
  // Clamped to 1..16.
  void SetColumns(int Value);
  int ItemIndex() const { return FItemIndex; }
  const AnsiString& ButtonSkinDataName() const { return FButtonSkinDataName; }
  void SetButtonSkinDataName(const AnsiString& Value);
  TFont* ButtonDefaultFont() const { return FButtonDefaultFont.get(); }
  void SetButtonDefaultFont(TFont* Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TbsGroupButton* Buttons(int Index) const { return FButtons.at(static_cast<size_t>(Index)); }
  bool Reading() const { return FReading; }

  // Whether the user may change the items' states; a descendant may refuse.
  virtual bool CanModify() { return true; }

  void SetSkinData(TbsSkinData* Value) override;
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  TbsSkinItemGroup(TComponent* AOwner, const AnsiString& AButtonSkinDataName);

  void CreateParams(TCreateParams& Params) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual TbsGroupButton* NewButton() = 0;
  // The buttons for the items, with their captions; the radio group also checks ItemIndex's.
  virtual void UpdateButtons();
  virtual void ItemsChange(TObject* Sender);
  virtual void ButtonClick(TObject* Sender);
  void SetButtonCount(int Value);
  void ArrangeButtons();

  std::vector<TbsGroupButton*> FButtons;
  int FItemIndex { -1 };
  bool FReading { false };

 private:
  friend class TbsGroupButton;

  AnsiString FButtonSkinDataName;
  std::unique_ptr<TStringList> FItems;
  int FColumns { 1 };
  std::unique_ptr<TFont> FButtonDefaultFont;
  TCustomImageList* FImages { nullptr };
};

class TbsSkinCustomRadioGroup : public TbsSkinItemGroup {
  XJ_CLASS(TbsSkinCustomRadioGroup, TbsSkinItemGroup)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomRadioGroup(TComponent* AOwner);

  // Clamped to -1..the last item; checks that item (which fires the group's OnClick).
  void SetItemIndex(int Value);

 protected:
  TbsGroupButton* NewButton() override;
  void UpdateButtons() override;
  void ItemsChange(TObject* Sender) override;
  void ButtonClick(TObject* Sender) override;

 private:
  bool FUpdating { false };
};

class TbsSkinCustomCheckGroup : public TbsSkinItemGroup {
  XJ_CLASS(TbsSkinCustomCheckGroup, TbsSkinItemGroup)
 public:
  explicit TbsSkinCustomCheckGroup(TComponent* AOwner);

  bool CheckedStatus(int Index) const;
  // Out of range does nothing; otherwise the item's SetChecked, which fires the group's OnClick.
  void SetCheckedStatus(int Index, bool Value);

 protected:
  TbsGroupButton* NewButton() override;
};

class TbsSkinRadioGroup : public TbsSkinCustomRadioGroup {
  XJ_CLASS(TbsSkinRadioGroup, TbsSkinCustomRadioGroup)
 public:
  using TbsSkinCustomRadioGroup::TbsSkinCustomRadioGroup;
};

class TbsSkinCheckGroup : public TbsSkinCustomCheckGroup {
  XJ_CLASS(TbsSkinCheckGroup, TbsSkinCustomCheckGroup)
 public:
  using TbsSkinCustomCheckGroup::TbsSkinCustomCheckGroup;
};
