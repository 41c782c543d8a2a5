// TCustomRadioGroup and TRadioGroup: a group box of radio buttons made from a list of strings.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

// One radio button of a group: its keys go to the group too, and a click counts only when the group
// allows a change.
class TGroupButton : public TRadioButton {
  XJ_CLASS(TGroupButton, TRadioButton)
 public:
  explicit TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group), FGroup(Group) {
    Group->FButtons.push_back(this);
    SetVisible(false);
    SetEnabled(Group->Enabled());
    SetParentShowHint(false);
    OnClick = TNotifyEvent(Group, &TCustomRadioGroup::ButtonClick);
    SetParent(Group);
  }
  ~TGroupButton() override {
    TearDownWindow();
    auto& list = FGroup->FButtons;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND && !FGroup->CanModify()) return;
    TRadioButton::Dispatch(Message);
  }
  // Called by the group to check a button without it counting as the user's click.
  void CheckQuietly(bool Value) {
    WithoutClicks([&] { SetChecked(Value); });
  }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    auto life = LifeToken();
    TRadioButton::KeyDown(Key, Shift);
    if (!life.expired()) FGroup->KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    auto life = LifeToken();
    TRadioButton::KeyPress(Key);
    if (life.expired()) return;
    FGroup->KeyPress(Key);
    if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
  }

 private:
  TCustomRadioGroup* FGroup;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>()) {
  FControlStyle = TControlStyle { csSetCaption, csDoubleClicks, csReplicatable };
  FItems->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChange);
}

TCustomRadioGroup::~TCustomRadioGroup() {
  FItems->OnChange = TNotifyEvent();
  TearDownWindow();
  SetButtonCount(0);
}

void TCustomRadioGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (FColumns == Value) return;
  FColumns = Value;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
  if (FReading) {
    FItemIndex = Value;
    return;
  }
  Value = std::clamp(Value, -1, static_cast<int>(FButtons.size()) - 1);
  if (FItemIndex == Value) return;
  if (FItemIndex >= 0) FButtons[FItemIndex]->CheckQuietly(false);
  FItemIndex = Value;
  // Checking the button clicks it, which tells the group (ButtonClick).
  if (FItemIndex >= 0) FButtons[FItemIndex]->SetChecked(true);
}

void TCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (FUpdating) return;
  const auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  if (it == FButtons.end()) return;
  FItemIndex = static_cast<int>(it - FButtons.begin());
  auto life = LifeToken();
  Changed();
  if (!life.expired()) Click();
}

void TCustomRadioGroup::ItemsChange(TObject*) {
  if (FReading) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::SetButtonCount(int Value) {
  while (static_cast<int>(FButtons.size()) < Value) new TGroupButton(this);
  while (static_cast<int>(FButtons.size()) > Value) delete FButtons.back();
}

void TCustomRadioGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->SetCaption(FItems->Strings(static_cast<int>(i)));
  FItemIndex = std::clamp(FItemIndex, -1, static_cast<int>(FButtons.size()) - 1);
  {
    xj::TemporaryChange updating(FUpdating, true);
    for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->CheckQuietly(static_cast<int>(i) == FItemIndex);
  }
  ArrangeButtons();
  Invalidate();
}

// Below the caption line, column by column; the rows share the height left, the remainder split above
// and below.
void TCustomRadioGroup::ArrangeButtons() {
  if (FReading || FButtons.empty()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA tm {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int count = static_cast<int>(FButtons.size());
  const int perColumn = (count + FColumns - 1) / FColumns;
  const int buttonWidth = (Width() - 10) / FColumns;
  const int room = Height() - tm.tmHeight - 5;
  const int buttonHeight = room / perColumn;
  const int topMargin = tm.tmHeight + 1 + (room % perColumn) / 2;
  for (int i = 0; i < count; ++i) {
    TGroupButton* b = FButtons[i];
    b->SetBounds((i / perColumn) * buttonWidth + 8, (i % perColumn) * buttonHeight + topMargin, buttonWidth,
                 buttonHeight);
    b->SetVisible(true);
  }
}

void TCustomRadioGroup::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const auto life = LifeToken();  // OnResize may free the group
  TCustomGroupBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!life.expired()) ArrangeButtons();
}

void TCustomRadioGroup::ReadState(TReader* Reader) {
  {
    xj::TemporaryChange reading(FReading, true);
    TCustomGroupBox::ReadState(Reader);
  }
  UpdateButtons();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  ArrangeButtons();
}

// The buttons are made from Items: never written as children.
void TCustomRadioGroup::GetChildren(TGetChildProc, TComponent*) {}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TCustomGroupBox::Dispatch(Message);
      for (TGroupButton* b : FButtons) b->SetEnabled(Enabled());
      break;
    case CM_FONTCHANGED:
      TCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      break;
    default:
      TCustomGroupBox::Dispatch(Message);
  }
}

XJ_PUBLISHED(TCustomRadioGroup);
XJ_PUBLISHED(TRadioGroup,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Columns, 1)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(ItemIndex, -1)
  XJ_PROP(Items)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder, -1)
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
