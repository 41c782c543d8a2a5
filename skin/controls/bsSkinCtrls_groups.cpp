#include "skin/controls/bsSkinCtrls_groups.h"

#include <algorithm>

#include "platform/vcl/Classes.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsUtils.h"

// ---- Item buttons ---------------------------------------------------------------------------------------

// The group owns its items and keeps them in order (FButtons); it frees them itself, last first, as the
// items change. The items hear of a freed skin or image list through their own free notifications.
TbsGroupButton::TbsGroupButton(TbsSkinItemGroup* Group, bool ARadio) : TbsSkinCheckRadioBox(Group), FGroup(Group) {
  Group->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(Group->Enabled());
  SetParentShowHint(false);
  OnClick = TNotifyEvent(Group, &TbsSkinItemGroup::ButtonClick);
  SetParent(Group);
  SetRadio(ARadio);
  SetCanFocused(true);
  FSkinDataName = ARadio ? "radiobox" : "checkbox";
  if (ARadio) SetGroupIndex(1);  // the radio items exclude each other
  SetFlat(true);                 // the items draw over the group's face
}

TbsGroupButton::~TbsGroupButton() {
  TearDownWindow();
  // From the end: the group frees the last item first.
  auto& list = FGroup->FButtons;
  const auto it = std::find(list.rbegin(), list.rend(), this);
  if (it != list.rend()) list.erase(std::next(it).base());
}

void TbsGroupButton::KeyDown(WORD& Key, TShiftState Shift) {
  const auto life = LifeToken();
  TbsSkinCheckRadioBox::KeyDown(Key, Shift);
  if (!life.expired()) FGroup->KeyDown(Key, Shift);
}

void TbsGroupButton::KeyPress(char& Key) {
  const auto life = LifeToken();
  TbsSkinCheckRadioBox::KeyPress(Key);
  if (life.expired()) return;
  FGroup->KeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
}

// ---- TbsSkinItemGroup -----------------------------------------------------------------------------------

TbsSkinItemGroup::TbsSkinItemGroup(TComponent* AOwner, const AnsiString& AButtonSkinDataName)
    : TbsSkinGroupBox(AOwner),
      FButtonSkinDataName(AButtonSkinDataName),
      FItems(std::make_unique<TStringList>()),
      FButtonDefaultFont(std::make_unique<TFont>()) {
  SetControlStyle({ csSetCaption, csDoubleClicks });
  FButtonDefaultFont->SetName("宋体");
  FButtonDefaultFont->SetStyle({});
  FButtonDefaultFont->SetHeight(12);
  FItems->OnChange = TNotifyEvent(this, &TbsSkinItemGroup::ItemsChange);
}

// The items paint the group's face under themselves; the group's own paint must not cover them.
void TbsSkinItemGroup::CreateParams(TCreateParams& Params) {
  TbsSkinGroupBox::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

TbsSkinItemGroup::~TbsSkinItemGroup() {
  FItems->OnChange = TNotifyEvent();
  TearDownWindow();
  SetButtonCount(0);
}

TStrings* TbsSkinItemGroup::Items() const { return FItems.get(); }

void TbsSkinItemGroup::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TbsSkinItemGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns) return;
  FColumns = Value;
  ArrangeButtons();
  Invalidate();
}

void TbsSkinItemGroup::SetButtonSkinDataName(const AnsiString& Value) {
  FButtonSkinDataName = Value;
  for (TbsGroupButton* b : FButtons) b->SetSkinDataName(Value);
}

void TbsSkinItemGroup::SetButtonDefaultFont(TFont* Value) {
  FButtonDefaultFont->Assign(Value);
  for (TbsGroupButton* b : FButtons) b->SetDefaultFont(FButtonDefaultFont.get());
}

void TbsSkinItemGroup::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  for (TbsGroupButton* b : FButtons) b->SetImages(Value);
}

void TbsSkinItemGroup::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinGroupBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TbsSkinItemGroup::SetSkinData(TbsSkinData* Value) {
  TbsSkinGroupBox::SetSkinData(Value);
  for (TbsGroupButton* b : FButtons) b->SetSkinData(Value);
}

void TbsSkinItemGroup::ChangeSkinData() {
  TbsSkinGroupBox::ChangeSkinData();
  ArrangeButtons();
}

void TbsSkinItemGroup::SetButtonCount(int Value) {
  while (ButtonCount() < Value) NewButton();
  while (ButtonCount() > Value) delete FButtons.back();
  for (int i = 0; i < ButtonCount(); ++i) {
    TbsGroupButton* b = FButtons[i];
    b->SetSkinDataName(FButtonSkinDataName);
    b->SetSkinData(FSkinData);
    b->SetDefaultFont(FButtonDefaultFont.get());
    b->SetImages(FImages);
    b->SetImageIndex(i);
  }
}

void TbsSkinItemGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (int i = 0; i < ButtonCount(); ++i) FButtons[i]->SetCaption(FItems->Strings(i));
}

void TbsSkinItemGroup::ItemsChange(TObject*) {
  if (FReading) return;
  UpdateButtons();
  ArrangeButtons();
  Invalidate();
}

void TbsSkinItemGroup::ButtonClick(TObject* Sender) {
  const auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  if (it == FButtons.end()) return;
  FItemIndex = static_cast<int>(it - FButtons.begin());
  const auto life = LifeToken();
  Changed();
  if (!life.expired()) Click();
}

void TbsSkinItemGroup::ArrangeButtons() {
  if (FButtons.empty() || FReading) return;
  TRect R(0, 0, Width(), Height());
  AdjustClientRect(R);
  const int count = ButtonCount();
  const int rows = (count + FColumns - 1) / FColumns;
  // A group too small for its items gives them no room rather than negative sizes.
  const int bw = std::max(0, RectWidth(R) / FColumns - 2), bh = std::max(0, RectHeight(R) / rows);
  HDWP dwp = BeginDeferWindowPos(count);
  const xj::ScopeExit end([&dwp] {
    if (dwp) EndDeferWindowPos(dwp);
  });
  for (int i = 0; i < count; ++i) {
    TbsGroupButton* b = FButtons[i];
    b->SetBiDiMode(BiDiMode());
    int left = (i / rows) * bw + R.Left + 1;
    if (b->UseRightToLeftAlignment()) left = RectWidth(R) - left - bw;
    const int top = (i % rows) * bh + R.Top;
    // Buttons without a window yet (the group not shown) are simply given their bounds.
    if (dwp && b->HandleAllocated())
      dwp = DeferWindowPos(dwp, b->Handle(), nullptr, left, top, bw, bh, SWP_NOZORDER | SWP_NOACTIVATE);
    else
      b->SetBounds(left, top, bw, bh);
    b->SetVisible(true);
  }
}

void TbsSkinItemGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TbsSkinGroupBox::Dispatch(Message);
      for (TbsGroupButton* b : FButtons) b->SetEnabled(Enabled());
      return;
    case CM_FONTCHANGED:
    case WM_SIZE: {
      const auto life = LifeToken();  // OnResize may free the group
      TbsSkinGroupBox::Dispatch(Message);
      if (!life.expired()) ArrangeButtons();
      return;
    }
    default:
      TbsSkinGroupBox::Dispatch(Message);
  }
}

void TbsSkinItemGroup::Loaded() {
  TbsSkinGroupBox::Loaded();
  ArrangeButtons();
}

void TbsSkinItemGroup::ReadState(TReader* Reader) {
  {
    xj::TemporaryChange reading(FReading, true);
    TbsSkinGroupBox::ReadState(Reader);
  }
  UpdateButtons();
  ArrangeButtons();
  Invalidate();
}

// The item buttons are made from Items: never written as children.
void TbsSkinItemGroup::GetChildren(TGetChildProc, TComponent*) {}

// ---- TbsSkinCustomRadioGroup ----------------------------------------------------------------------------

TbsSkinCustomRadioGroup::TbsSkinCustomRadioGroup(TComponent* AOwner) : TbsSkinItemGroup(AOwner, "radiobox") {}

TbsGroupButton* TbsSkinCustomRadioGroup::NewButton() { return new TbsGroupButton(this, true); }

void TbsSkinCustomRadioGroup::SetItemIndex(int Value) {
  if (FReading) {
    FItemIndex = Value;
    return;
  }
  Value = std::clamp(Value, -1, ButtonCount() - 1);
  if (Value == FItemIndex) return;
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) FButtons[FItemIndex]->SetChecked(false);
  FItemIndex = Value;
  // Checking the button fires its OnClick, that is ButtonClick and the group's OnClick.
  if (FItemIndex >= 0) FButtons[FItemIndex]->SetChecked(true);
}

void TbsSkinCustomRadioGroup::UpdateButtons() {
  TbsSkinItemGroup::UpdateButtons();
  // An index read from a stream may lie past the items.
  FItemIndex = std::clamp(FItemIndex, -1, ButtonCount() - 1);
  if (FItemIndex >= 0) {
    xj::TemporaryChange updating(FUpdating, true);
    FButtons[FItemIndex]->SetChecked(true);
  }
}

void TbsSkinCustomRadioGroup::ItemsChange(TObject* Sender) {
  if (FReading) return;
  if (FItemIndex >= Items()->Count()) FItemIndex = Items()->Count() - 1;
  TbsSkinItemGroup::ItemsChange(Sender);
}

void TbsSkinCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (!FUpdating) TbsSkinItemGroup::ButtonClick(Sender);
}

// ---- TbsSkinCustomCheckGroup ----------------------------------------------------------------------------

TbsSkinCustomCheckGroup::TbsSkinCustomCheckGroup(TComponent* AOwner) : TbsSkinItemGroup(AOwner, "checkbox") {}

TbsGroupButton* TbsSkinCustomCheckGroup::NewButton() { return new TbsCheckGroupButton(this); }

bool TbsSkinCustomCheckGroup::CheckedStatus(int Index) const {
  return Index >= 0 && Index < ButtonCount() && FButtons[Index]->Checked();
}

void TbsSkinCustomCheckGroup::SetCheckedStatus(int Index, bool Value) {
  if (Index >= 0 && Index < ButtonCount()) FButtons[Index]->SetChecked(Value);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsGroupButton);
XJ_PUBLISHED(TbsCheckGroupButton);
// Both groups publish these; the radio group adds its ItemIndex (the check group's is read-only).
XJ_PUBLISHED(TbsSkinItemGroup,
  XJ_PROP(ButtonSkinDataName)
  XJ_PROP(ButtonDefaultFont)
  XJ_PROP(Images)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Color, clWindow) XJ_STORED(IsColorStored)
  XJ_PROP(Columns, 1)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Items)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_EVENT(OnContextPopup));
XJ_PUBLISHED(TbsSkinCustomRadioGroup,
  XJ_PROP_RW(ItemIndex, ItemIndex, SetItemIndex, -1));
XJ_PUBLISHED(TbsSkinCustomCheckGroup);
XJ_PUBLISHED(TbsSkinRadioGroup);
XJ_PUBLISHED(TbsSkinCheckGroup);
