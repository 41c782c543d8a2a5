#include "skin/controls/bsSkinCtrls_buttonsbar.h"

#include "platform/vcl/ImgList.h"
#include "platform/vcl/Messages.h"

namespace {

// Posted to the bar: the rebuilds asked for during a child button's click.
constexpr UINT kRebuildMessage = WM_USER + 0x3B1;

constexpr int kArrowSize = 18;
constexpr int kArrowGap = 5;

// The arrow glyphs: a small black triangle on a fuchsia ground (the glyph's transparent corner).
void DrawArrowGlyph(TBitmap* Glyph, bool Up) {
  const int w = 9, h = 6;
  Glyph->SetSize(w, h);
  TCanvas* c = Glyph->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(TRect(0, 0, w, h));
  for (int row = 0; row < 4; ++row) {
    const int half = Up ? row : 3 - row;
    for (int x = 4 - half; x <= 4 + half; ++x) c->SetPixels(x, 1 + row, clBlack);
  }
}

}  // namespace

// ---- Items and sections ---------------------------------------------------------------------------------

void TbsButtonBarItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TbsButtonBarItem*>(Source)) {
    SetText(s->FText);
    SetImageIndex(s->FImageIndex);
    OnClick = s->OnClick;
    return;
  }
  TCollectionItem::Assign(Source);
}

void TbsButtonBarItem::SetText(const AnsiString& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void TbsButtonBarItem::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TbsButtonBarItem::Click() {
  if (OnClick) OnClick(this);
}

AnsiString TbsButtonBarItem::GetDisplayName() const {
  return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

TbsButtonBarItems::TbsButtonBarItems(TbsButtonBarSection* Section)
    : TCollection(TbsButtonBarItem::StaticClass()), FSection(Section) {}

TPersistent* TbsButtonBarItems::GetOwner() { return FSection; }

void TbsButtonBarItems::Update(TCollectionItem*) {
  if (FSection) FSection->Changed(false);
}

TbsButtonBarSection::TbsButtonBarSection(TCollection* Collection)
    : TCollectionItem(Collection), FItems(std::make_unique<TbsButtonBarItems>(this)) {}

TbsButtonBarSection::~TbsButtonBarSection() {
  // The items go first, without reporting to a section that is going.
  FItems->FSection = nullptr;
}

void TbsButtonBarSection::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TbsButtonBarSection*>(Source)) {
    SetText(s->FText);
    SetImageIndex(s->FImageIndex);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TbsButtonBarSection::SetText(const AnsiString& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void TbsButtonBarSection::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TbsButtonBarSection::Click() {
  if (OnClick) OnClick(this);
}

AnsiString TbsButtonBarSection::GetDisplayName() const {
  return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

TbsButtonBarSections::TbsButtonBarSections(TbsSkinButtonsBar* Bar)
    : TCollection(TbsButtonBarSection::StaticClass()), FBar(Bar) {}

TPersistent* TbsButtonBarSections::GetOwner() { return FBar; }

void TbsButtonBarSections::Update(TCollectionItem* Item) {
  if (!FBar || FBar->ComponentState().Contains(csDestroying)) return;
  if (Item)
    FBar->UpdateSection(Item->Index());
  else
    FBar->UpdateSections();
}

// ---- The buttons ------------------------------------------------------------------------------------------

TbsSectionButton::TbsSectionButton(TComponent* AOwner, TbsSkinButtonsBar* Bar, int ASectionIndex)
    : TbsSkinSpeedButton(AOwner), FBar(Bar), FSectionIndex(ASectionIndex) {
  SetNumGlyphs(1);
  SetSpacing(5);
  SetSkinDataName(Bar->SectionButtonSkinDataName());
  SetDefaultFont(Bar->DefaultSectionFont());
  SetUseSkinFont(Bar->UseSkinFont());
}

void TbsSectionButton::ButtonClick() {
  TbsSkinButtonsBar::TClickScope scope(FBar);
  auto life = LifeToken();
  FBar->OpenSection(FSectionIndex);
  if (!life.expired()) TbsSkinSpeedButton::ButtonClick();
}

TbsSectionItem::TbsSectionItem(TComponent* AOwner, TbsSkinButtonsBar* Bar, int ASectionIndex, int AItemIndex)
    : TbsSkinSpeedButton(AOwner), FBar(Bar), FSectionIndex(ASectionIndex), FItemIndex(AItemIndex) {
  SetFlat(true);
  SetSkinDataName("resizebutton");
  SetNumGlyphs(1);
  SetLayout(blGlyphTop);
  SetSpacing(5);
  SetDefaultFont(Bar->DefaultItemFont());
  SetUseSkinFont(Bar->UseSkinFont());
}

void TbsSectionItem::ButtonClick() {
  TbsSkinButtonsBar::TClickScope scope(FBar);
  auto life = LifeToken();
  // The section or the item may be gone since the button was made.
  TbsButtonBarSections* sections = FBar->Sections();
  if (FSectionIndex < sections->Count()) {
    TbsButtonBarItems* items = sections->Items(FSectionIndex)->Items();
    if (FItemIndex < items->Count()) items->Items(FItemIndex)->Click();
  }
  if (!life.expired()) TbsSkinSpeedButton::ButtonClick();
}

// ---- TbsSkinButtonsBar ----------------------------------------------------------------------------------

TbsSkinButtonsBar::TClickScope::TClickScope(TbsSkinButtonsBar* Bar) : FBar(Bar), FLife(Bar->LifeToken()) {
  ++Bar->FClickDepth;
}

TbsSkinButtonsBar::TClickScope::~TClickScope() {
  if (FLife.expired() || --FBar->FClickDepth > 0) return;
  if ((FBar->FSectionsPending || FBar->FItemsPending) && !FBar->FRebuildPosted && FBar->HandleAllocated())
    FBar->FRebuildPosted = PostMessageA(FBar->Handle(), kRebuildMessage, 0, 0) != 0;
}

TbsSkinButtonsBar::TbsSkinButtonsBar(TComponent* AOwner)
    : TbsSkinPanel(AOwner),
      FDefaultSectionFont(std::make_unique<TFont>()),
      FDefaultItemFont(std::make_unique<TFont>()),
      FSections(std::make_unique<TbsButtonBarSections>(this)) {
  for (TFont* f : { FDefaultSectionFont.get(), FDefaultItemFont.get() }) {
    f->SetName("宋体");
    f->SetStyle({});
    f->SetHeight(12);
  }
  SetBorderStyle(bs::bvFrame);
  FItemPanel = new TbsSkinPanel(this);
  FItemPanel->SetParent(this);
  FItemPanel->SetAlign(alClient);
  FItemPanel->SetBorderStyle(bs::bvNone);
  FItemPanel->OnResize = TNotifyEvent(this, &TbsSkinButtonsBar::OnItemPanelResize);
  SetWidth(150);
  SetAlign(alLeft);
}

TbsSkinButtonsBar::~TbsSkinButtonsBar() {
  if (FItemImages) FItemImages->RemoveFreeNotification(this);
  if (FSectionImages) FSectionImages->RemoveFreeNotification(this);
  FItemPanel->OnResize = {};
  ClearItems();
  ClearSections();
  // The sections go without asking a bar that is going for rebuilds.
  FSections->FBar = nullptr;
  FSections.reset();
}

void TbsSkinButtonsBar::CreateWnd() {
  TbsSkinPanel::CreateWnd();
  UpdateSections();
  UpdateItems();
}

void TbsSkinButtonsBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  if (FItemPanel) FItemPanel->SetSkinData(Value);
}

void TbsSkinButtonsBar::ChangeSkinData() {
  TbsSkinPanel::ChangeSkinData();
  CheckVisibleItems();
}

void TbsSkinButtonsBar::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FItemImages) SetItemImages(nullptr);
  if (AComponent == FSectionImages) SetSectionImages(nullptr);
}

void TbsSkinButtonsBar::Dispatch(TMessage& Message) {
  if (Message.Msg != kRebuildMessage) {
    TbsSkinPanel::Dispatch(Message);
    return;
  }
  FRebuildPosted = false;
  RunPendingRebuilds();
}

void TbsSkinButtonsBar::SetShowButtons(bool Value) {
  FShowButtons = Value;
  UpdateSections();
}

void TbsSkinButtonsBar::SetDefaultButtonHeight(int Value) {
  FDefaultButtonHeight = Value;
  UpdateSectionButtons();
}

void TbsSkinButtonsBar::SetItemHeight(int Value) {
  if (Value < 1) return;
  FItemHeight = Value;
  UpdateItems();
}

void TbsSkinButtonsBar::SetItemsTransparent(bool Value) {
  FItemsTransparent = Value;
  UpdateItems();
}

void TbsSkinButtonsBar::SetItemImages(TCustomImageList* Value) {
  if (FItemImages != Value) {
    if (FItemImages) FItemImages->RemoveFreeNotification(this);
    FItemImages = Value;
    if (Value) Value->FreeNotification(this);
  }
  UpdateItems();
}

void TbsSkinButtonsBar::SetSectionImages(TCustomImageList* Value) {
  if (FSectionImages != Value) {
    if (FSectionImages) FSectionImages->RemoveFreeNotification(this);
    FSectionImages = Value;
    if (Value) Value->FreeNotification(this);
  }
  UpdateSectionButtons();
}

void TbsSkinButtonsBar::SetSectionIndex(int Value) {
  if (Value >= 0 && Value != FSectionIndex && Value < FSections->Count()) OpenSection(Value);
}

void TbsSkinButtonsBar::ClampSectionIndex() {
  FSectionIndex = std::clamp(FSectionIndex, 0, std::max(FSections->Count() - 1, 0));
}

bool TbsSkinButtonsBar::MayRebuild(bool& Pending) {
  if (FClickDepth == 0) return true;
  Pending = true;
  return false;
}

void TbsSkinButtonsBar::RunPendingRebuilds() {
  if (FClickDepth > 0) return;
  if (std::exchange(FSectionsPending, false)) {
    FItemsPending = true;
    UpdateSections();
  }
  if (std::exchange(FItemsPending, false)) UpdateItems();
}

void TbsSkinButtonsBar::SetImage(TBitmap* Glyph, TCustomImageList* Images, int Index) {
  if (Index >= 0 && Images && Index < Images->Count()) Images->GetBitmap(Index, Glyph);
}

void TbsSkinButtonsBar::ClearSections() {
  // One realignment for the lot, not one per button.
  DisableAlign();
  for (TbsSectionButton* b : std::exchange(FSectionButtons, {})) delete b;
  EnableAlign();
}

void TbsSkinButtonsBar::ClearItems() {
  FItemPanel->DisableAlign();
  std::vector<TbsSectionItem*> items = std::exchange(FItemButtons, {});
  for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
  delete std::exchange(FUpButton, nullptr);
  delete std::exchange(FDownButton, nullptr);
  FItemPanel->EnableAlign();
}

void TbsSkinButtonsBar::UpdateSections() {
  if (!HandleAllocated() || ComponentState().Contains(csDestroying)) return;
  if (FSections->Count() == 0) {
    // Nothing is left to show: no button may name a section or item that went.
    ClearSections();
    ClearItems();
    FSectionIndex = 0;
    return;
  }
  if (!MayRebuild(FSectionsPending)) return;
  ClampSectionIndex();
  ClearSections();
  if (FShowButtons) {
    DisableAlign();
    auto make = [this](int i, TAlign align) {
      auto* b = new TbsSectionButton(this, this, i);
      FSectionButtons.push_back(b);
      b->SetAlign(align);
      b->SetParent(this);
      b->SetDefaultHeight(FDefaultButtonHeight);
      b->SetSkinData(SkinData());
      b->SetCaption(FSections->Items(i)->Text());
      SetImage(b->Glyph(), FSectionImages, FSections->Items(i)->ImageIndex());
    };
    for (int i = FSectionIndex; i >= 0; --i) make(i, alTop);
    for (int i = FSections->Count() - 1; i > FSectionIndex; --i) make(i, alBottom);
    EnableAlign();
  }
  CheckVisibleItems();
}

void TbsSkinButtonsBar::UpdateSectionButtons() {
  for (int i = 0; i < FSections->Count(); ++i) UpdateSection(i);
}

void TbsSkinButtonsBar::UpdateSection(int Index) {
  if (!HandleAllocated() || FSections->Count() == 0 || ComponentState().Contains(csDestroying)) return;
  if (!MayRebuild(FSectionsPending)) return;
  if (FShowButtons) {
    auto it = std::find_if(FSectionButtons.begin(), FSectionButtons.end(),
                           [Index](TbsSectionButton* b) { return b->SectionIndex() == Index; });
    if (it == FSectionButtons.end()) {
      // A section that has no button yet (just added): the whole column again.
      UpdateSections();
      return;
    }
    TbsSectionButton* b = *it;
    TbsButtonBarSection* section = FSections->Items(Index);
    b->SetDefaultHeight(FDefaultButtonHeight);
    const bool changed = b->Caption() != section->Text();
    if (changed) b->SetCaption(section->Text());
    b->Glyph()->Assign(nullptr);
    SetImage(b->Glyph(), FSectionImages, section->ImageIndex());
    b->Repaint();
    if (Index != FSectionIndex || changed) return;
  }
  UpdateItems();
}

void TbsSkinButtonsBar::UpdateItems() {
  if (!HandleAllocated() || FSections->Count() == 0 || ComponentState().Contains(csDestroying)) return;
  if (FShowButtons && FSectionButtons.empty()) return;
  if (!MayRebuild(FItemsPending)) return;
  ClampSectionIndex();
  ClearItems();
  TbsButtonBarItems* items = FSections->Items(FSectionIndex)->Items();
  if (items->Count() == 0) return;
  FTopIndex = 0;
  FItemPanel->DisableAlign();
  for (int i = 0; i < items->Count(); ++i) {
    auto* b = new TbsSectionItem(FItemPanel, this, FSectionIndex, i);
    FItemButtons.push_back(b);
    b->SetDefaultHeight(FItemHeight);
    b->SetTransparent(FItemsTransparent);
    b->SetSkinData(SkinData());
    b->SetCaption(items->Items(i)->Text());
    SetImage(b->Glyph(), FItemImages, items->Items(i)->ImageIndex());
    b->SetVisible(false);
  }
  FItemPanel->EnableAlign();
  FVisibleCount = 0;
  CheckVisibleItems();
}

void TbsSkinButtonsBar::OpenSection(int Index) {
  if (Index == FSectionIndex || Index < 0 || Index >= FSections->Count()) return;
  FSectionIndex = Index;
  if (FShowButtons) {
    DisableAlign();
    for (TbsSectionButton* b : FSectionButtons)
      if (b->SectionIndex() > Index && b->Align() != alBottom) b->SetAlign(alBottom);
    for (auto it = FSectionButtons.rbegin(); it != FSectionButtons.rend(); ++it)
      if ((*it)->SectionIndex() <= Index && (*it)->Align() != alTop) (*it)->SetAlign(alTop);
    EnableAlign();
  }
  UpdateItems();
  // What the section's handler changes is rebuilt once, after it returns.
  TClickScope scope(this);
  FSections->Items(Index)->Click();
}

void TbsSkinButtonsBar::CheckVisibleItems() {
  const int count = static_cast<int>(FItemButtons.size());
  const int oldVisible = FVisibleCount, oldTop = FTopIndex;
  FVisibleCount = std::min(std::max(FItemPanel->Height(), 0) / FItemHeight, count);
  if (FVisibleCount == count) {
    FTopIndex = 0;
  } else if (FTopIndex + FVisibleCount > count && FTopIndex >= 1) {
    // The window slides up when the panel grows at the end of the list.
    FTopIndex = std::max(FTopIndex - (FVisibleCount - oldVisible), 0);
  }
  FTopIndex = std::clamp(FTopIndex, 0, std::max(count - FVisibleCount, 0));
  for (int i = 0; i < count; ++i) {
    TbsSectionItem* b = FItemButtons[i];
    const bool shown = i >= FTopIndex && i <= FTopIndex + FVisibleCount - 1;
    if (!shown || b->Visible()) {
      b->SetVisible(shown);
      if (!shown) b->SetParent(nullptr);
    } else {
      b->SetTop(i >= oldTop ? FItemPanel->Height() : 0);
      b->SetVisible(true);
    }
  }
  ArrangeItems();
}

void TbsSkinButtonsBar::ShowArrow(TbsSkinButton*& Arrow, bool Up) {
  if (Arrow) return;
  Arrow = new TbsSkinButton(this);
  Arrow->SetCanFocused(false);
  Arrow->SetBounds(0, -kArrowSize, kArrowSize, kArrowSize);
  Arrow->SetSpacing(0);
  Arrow->SetSkinDataName("resizebutton");
  Arrow->SetRepeatMode(true);
  Arrow->SetRepeatInterval(150);
  Arrow->SetNumGlyphs(1);
  DrawArrowGlyph(Arrow->Glyph(), Up);
  Arrow->OnClick = Up ? TNotifyEvent(this, &TbsSkinButtonsBar::UpButtonClick)
                      : TNotifyEvent(this, &TbsSkinButtonsBar::DownButtonClick);
  Arrow->SetSkinData(SkinData());
  Arrow->SetParent(FItemPanel);
}

void TbsSkinButtonsBar::ArrangeItems() {
  const int count = static_cast<int>(FItemButtons.size());
  if (FTopIndex > 0)
    ShowArrow(FUpButton, true);
  else
    delete std::exchange(FUpButton, nullptr);
  if (FTopIndex + FVisibleCount < count)
    ShowArrow(FDownButton, false);
  else
    delete std::exchange(FDownButton, nullptr);
  const int w = FItemPanel->Width(), h = FItemPanel->Height();
  if (FUpButton)
    FUpButton->SetBounds(w - FUpButton->Width() - kArrowGap, kArrowGap, FUpButton->Width(), FUpButton->Height());
  if (FDownButton)
    FDownButton->SetBounds(w - FDownButton->Width() - kArrowGap, h - FDownButton->Height() - kArrowGap,
                           FDownButton->Width(), FDownButton->Height());
  int y = 0;
  for (TbsSectionItem* b : FItemButtons) {
    if (!b->Visible()) continue;
    b->SetBounds(0, y, w, FItemHeight);
    y += FItemHeight;
    b->SetParent(FItemPanel);
  }
  // The arrows stay above the items they scroll.
  if (FUpButton) FUpButton->BringToFront();
  if (FDownButton) FDownButton->BringToFront();
}

void TbsSkinButtonsBar::ScrollUp() {
  if (FTopIndex <= 0 || FVisibleCount <= 0) return;
  FItemButtons[FTopIndex + FVisibleCount - 1]->SetVisible(false);
  --FTopIndex;
  FItemButtons[FTopIndex]->SetVisible(true);
  ArrangeItems();
}

void TbsSkinButtonsBar::ScrollDown() {
  const int count = static_cast<int>(FItemButtons.size());
  if (FVisibleCount <= 0 || FTopIndex + FVisibleCount >= count) return;
  FItemButtons[FTopIndex]->SetVisible(false);
  ++FTopIndex;
  FItemButtons[FTopIndex + FVisibleCount - 1]->SetVisible(true);
  ArrangeItems();
}

void TbsSkinButtonsBar::OnItemPanelResize(TObject*) { CheckVisibleItems(); }

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsButtonBarItem,
  XJ_PROP(Text)
  XJ_PROP(ImageIndex)
  XJ_EVENT(OnClick));

XJ_PUBLISHED(TbsButtonBarSection,
  XJ_PROP(Text)
  XJ_PROP(Items)
  XJ_PROP(ImageIndex)
  XJ_EVENT(OnClick));

XJ_PUBLISHED(TbsSkinButtonsBar,
  XJ_PROP(ShowButtons)
  XJ_PROP(DefaultSectionFont)
  XJ_PROP(DefaultItemFont)
  XJ_PROP(ItemHeight)
  XJ_PROP(ItemsTransparent)
  XJ_PROP(Sections)
  XJ_PROP(SectionIndex)
  XJ_PROP(ItemImages)
  XJ_PROP(SectionImages)
  XJ_PROP(SectionButtonSkinDataName)
  XJ_PROP(DefaultButtonHeight)
  XJ_PROP(Align, alLeft));
