#include "skin/controls/bsSkinCtrls_notebook.h"

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Messages.h"

namespace {

// Posted to the notebook: the button rebuild asked for during a page button's click.
constexpr UINT kRebuildMessage = WM_USER + 0x3B2;

constexpr int kButtonHeight = 25;

const char* const kListIndexError = "List index out of bounds (%d)";

}  // namespace

// ---- TbsSkinPage ------------------------------------------------------------------------------------------

TbsSkinPage::TbsSkinPage(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  SetVisible(false);
  SetControlStyle(ControlStyle() + TControlStyle { csNoDesignVisible });
  SetAlign(alClient);
  SetBorderStyle(bs::bvNone);
}

void TbsSkinPage::ReadState(TReader* Reader) {
  if (auto* notebook = dynamic_cast<TbsSkinNotebook*>(Reader->Parent())) notebook->FPageList.push_back(this);
  TbsSkinPanel::ReadState(Reader);
}

void TbsSkinPage::Dispatch(TMessage& Message) {
  // At run time a press on the page's own surface belongs to the notebook beneath.
  if (Message.Msg == WM_NCHITTEST && !ComponentState().Contains(csDesigning)) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TbsSkinPanel::Dispatch(Message);
}

// ---- TbsPageButton ----------------------------------------------------------------------------------------

TbsPageButton::TbsPageButton(TComponent* AOwner, TbsSkinNotebook* Notebook, int APageIndex)
    : TbsSkinSpeedButton(AOwner), FNotebook(Notebook), FPageIndex(APageIndex) {
  SetNumGlyphs(1);
  SetSpacing(5);
  SetSkinDataName(Notebook->ButtonSkinDataName());
}

void TbsPageButton::ButtonClick() {
  TbsSkinNotebook* notebook = FNotebook;
  const auto life = LifeToken();
  const auto notebookLife = notebook->LifeToken();
  ++notebook->FClickDepth;
  notebook->SetPageIndex(FPageIndex);
  if (!life.expired()) TbsSkinSpeedButton::ButtonClick();
  if (notebookLife.expired() || --notebook->FClickDepth > 0) return;
  // The rebuild asked for meanwhile runs once the press that is still on the stack has returned.
  if (notebook->FButtonsPending && !notebook->FRebuildPosted && notebook->HandleAllocated())
    notebook->FRebuildPosted = PostMessageA(notebook->Handle(), kRebuildMessage, 0, 0) != 0;
}

// ---- TbsPageAccess ----------------------------------------------------------------------------------------

void TbsPageAccess::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(kListIndexError, Index);
}

int TbsPageAccess::GetCount() const { return FNotebook->PageCount(); }

AnsiString TbsPageAccess::Get(int Index) const {
  CheckIndex(Index);
  return FNotebook->Page(Index)->Caption();
}

#pragma push_macro("GetObject")
#undef GetObject
TObject* TbsPageAccess::GetObject(int Index) const {
  CheckIndex(Index);
  return FNotebook->Page(Index);
}
#pragma pop_macro("GetObject")

void TbsPageAccess::Put(int Index, const AnsiString& S) {
  CheckIndex(Index);
  FNotebook->Page(Index)->SetCaption(S);
  if (FNotebook->ButtonsMode()) FNotebook->UpdateButton(Index, S);
}

int TbsPageAccess::Add(const AnsiString& S) {
  const int index = GetCount();
  Insert(index, S);
  return index;
}

void TbsPageAccess::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > GetCount()) Error(kListIndexError, Index);
  TbsSkinNotebook* nb = FNotebook;
  TbsSkinPage* shown = nb->ShownPage();
  nb->NewPage(Index, S);
  nb->FollowShownPage(shown, nb->FPageIndex);
  nb->SetPageIndex(Index);
  if (nb->ButtonsMode()) nb->UpdateButtons();
}

void TbsPageAccess::Delete(int Index) {
  CheckIndex(Index);
  TbsSkinNotebook* nb = FNotebook;
  TbsSkinPage* shown = nb->ShownPage();
  const int oldIndex = nb->FPageIndex;
  TbsSkinPage* page = nb->FPageList[Index];
  nb->FPageList.erase(nb->FPageList.begin() + Index);
  delete page;
  nb->FollowShownPage(shown == page ? nullptr : shown, oldIndex);
  if (nb->ButtonsMode()) nb->UpdateButtons();
}

void TbsPageAccess::Clear() {
  TbsSkinNotebook* nb = FNotebook;
  const bool hadPage = nb->ShownPage() != nullptr;
  std::vector<TbsSkinPage*> pages = std::exchange(nb->FPageList, {});
  nb->FPageIndex = -1;
  for (TbsSkinPage* p : pages) delete p;
  if (hadPage) nb->PageChanged();
  if (nb->ButtonsMode()) nb->UpdateButtons();
}

void TbsPageAccess::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  TbsSkinNotebook* nb = FNotebook;
  TbsSkinPage* shown = nb->ShownPage();
  TbsSkinPage* page = nb->FPageList[CurIndex];
  nb->FPageList.erase(nb->FPageList.begin() + CurIndex);
  nb->FPageList.insert(nb->FPageList.begin() + NewIndex, page);
  nb->FollowShownPage(shown, nb->FPageIndex);
  if (nb->ButtonsMode()) nb->UpdateButtons();
}

// ---- TbsSkinNotebook --------------------------------------------------------------------------------------

TbsSkinNotebook::TbsSkinNotebook(TComponent* AOwner)
    : TbsSkinPanel(AOwner), FAccess(std::make_unique<TbsPageAccess>(this)) {
  SetControlStyle(ControlStyle() - TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents });
  SetBorderStyle(bs::bvFrame);
  SetBounds(Left(), Top(), 150, 150);
  FAccess->Add("Default");
  SetComponentStyle(ComponentStyle() - TComponentStyle { csInheritable });
}

TbsSkinNotebook::~TbsSkinNotebook() {
  if (FImages) FImages->RemoveFreeNotification(this);
  ClearButtons();
  // The pages go with the window's children; nothing is shown or rebuilt on the way.
  FPageList.clear();
  FPageIndex = -1;
}

void TbsSkinNotebook::CreateParams(TCreateParams& Params) {
  TbsSkinPanel::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

TbsSkinPage* TbsSkinNotebook::NewPage(int Index, const AnsiString& S) {
  auto* page = new TbsSkinPage(this);
  FPageList.insert(FPageList.begin() + Index, page);
  page->SetParent(this);
  page->SetCaption(S);
  return page;
}

TbsSkinPage* TbsSkinNotebook::ShownPage() const {
  return FPageIndex >= 0 && FPageIndex < PageCount() ? FPageList[FPageIndex] : nullptr;
}

void TbsSkinNotebook::FollowShownPage(TbsSkinPage* Shown, int OldIndex) {
  if (Shown) {
    FPageIndex = static_cast<int>(std::find(FPageList.begin(), FPageList.end(), Shown) - FPageList.begin());
    return;
  }
  if (OldIndex < 0) return;  // nothing was shown, and nothing is made to show
  // The shown page went: its successor takes its place, or the new last page.
  if (FPageList.empty()) {
    FPageIndex = -1;
    PageChanged();
    return;
  }
  ShowPage(std::min(OldIndex, PageCount() - 1));
}

void TbsSkinNotebook::SetPageIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FPageIndex = Value;
    return;
  }
  if (Value == FPageIndex || Value < 0 || Value >= PageCount()) return;
  ShowPage(Value);
}

void TbsSkinNotebook::ShowPage(int Value) {
  TCustomForm* form = GetParentForm(this);
  // The focus must not stay on a control of a page that is about to hide.
  if (form && form->ActiveControl() && ContainsControl(form->ActiveControl()) && CanFocus())
    form->SetActiveControl(this);
  TbsSkinPage* page = FPageList[Value];
  page->BringToFront();
  page->SetSkinData(SkinData());
  page->SetVisible(true);
  page->SetAlign(alClient);
  for (TbsSkinPage* p : FPageList)
    if (p != page && p->Visible()) p->SetVisible(false);
  FPageIndex = Value;
  if (form && form->ActiveControl() == this) SelectFirst();
  if (FButtonsMode) {
    for (auto it = FPageButtons.rbegin(); it != FPageButtons.rend(); ++it)
      if ((*it)->PageIndex() > Value && (*it)->Align() != alBottom) (*it)->SetAlign(alBottom);
    for (TbsPageButton* b : FPageButtons)
      if (b->PageIndex() <= Value && b->Align() != alTop) b->SetAlign(alTop);
  }
  PageChanged();
}

void TbsSkinNotebook::PageChanged() {
  if (!ComponentState().Contains(csLoading) && OnPageChanged) OnPageChanged(this);
}

AnsiString TbsSkinNotebook::ActivePage() const {
  TbsSkinPage* page = ShownPage();
  return page ? page->Caption() : AnsiString();
}

void TbsSkinNotebook::SetActivePage(const AnsiString& Value) { SetPageIndex(FAccess->IndexOf(Value)); }

void TbsSkinNotebook::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  // The shown page and the page buttons wear the notebook's skin.
  if (TbsSkinPage* page = ShownPage()) page->SetSkinData(Value);
  for (TbsPageButton* b : FPageButtons) b->SetSkinData(Value);
}

void TbsSkinNotebook::SetPages(TStrings* Value) {
  FAccess->Assign(Value);
  if (FButtonsMode) UpdateButtons();
}

void TbsSkinNotebook::SetButtonsMode(bool Value) {
  FButtonsMode = Value;
  if (Value)
    UpdateButtons();
  else
    ClearButtons();
}

void TbsSkinNotebook::SetImages(TCustomImageList* Value) {
  if (FImages != Value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
  }
  if (FButtonsMode) UpdateButtons();
}

void TbsSkinNotebook::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (auto it = std::find(FPageButtons.begin(), FPageButtons.end(), AComponent); it != FPageButtons.end())
    FPageButtons.erase(it);
  // A page freed by other means than Pages leaves the list as a deletion does.
  if (auto it = std::find(FPageList.begin(), FPageList.end(), AComponent); it != FPageList.end()) {
    TbsSkinPage* shown = ShownPage();
    const int oldIndex = FPageIndex;
    FPageList.erase(it);
    if (!ComponentState().Contains(csDestroying)) FollowShownPage(shown == AComponent ? nullptr : shown, oldIndex);
  }
}

void TbsSkinNotebook::SetGlyph(TbsPageButton* Button, int Index) {
  Button->Glyph()->Assign(nullptr);
  const int image = FPageList[Index]->ImageIndex();
  if (image != -1 && FImages && image >= 0 && image < FImages->Count()) FImages->GetBitmap(image, Button->Glyph());
}

void TbsSkinNotebook::UpdateButtons() {
  if (FPageList.empty() || ComponentState().Contains(csDestroying)) return;
  if (FClickDepth > 0) {
    FButtonsPending = true;
    return;
  }
  FButtonsPending = false;
  ClearButtons();
  // One realignment for the column, not one per button.
  DisableAlign();
  for (int i = 0; i < PageCount(); ++i) {
    auto* b = new TbsPageButton(this, this, i);
    FPageButtons.push_back(b);
    b->SetTop(Height());
    b->SetAlign(i > FPageIndex ? alBottom : alTop);
    b->SetParent(this);
    b->SetDefaultHeight(kButtonHeight);
    b->SetSkinData(SkinData());
    b->SetCaption(FPageList[i]->Caption());
    SetGlyph(b, i);
  }
  EnableAlign();
}

void TbsSkinNotebook::UpdateButton(int Index, const AnsiString& S) {
  for (TbsPageButton* b : FPageButtons)
    if (b->PageIndex() == Index) {
      b->SetCaption(S);
      if (Index < PageCount()) SetGlyph(b, Index);
      b->Repaint();
    }
}

void TbsSkinNotebook::ClearButtons() {
  DisableAlign();
  for (TbsPageButton* b : std::exchange(FPageButtons, {})) delete b;
  EnableAlign();
}

void TbsSkinNotebook::Dispatch(TMessage& Message) {
  if (Message.Msg != kRebuildMessage) {
    TbsSkinPanel::Dispatch(Message);
    return;
  }
  FRebuildPosted = false;
  if (FButtonsPending && FButtonsMode) UpdateButtons();
}

void TbsSkinNotebook::ShowControl(TControl* AControl) {
  if (auto it = std::find(FPageList.begin(), FPageList.end(), AControl); it != FPageList.end()) {
    SetPageIndex(static_cast<int>(it - FPageList.begin()));
    return;
  }
  TbsSkinPanel::ShowControl(AControl);
}

void TbsSkinNotebook::GetChildren(TGetChildProc Proc, TComponent*) {
  for (TbsSkinPage* p : FPageList) Proc(p);
}

void TbsSkinNotebook::ReadState(TReader* Reader) {
  FAccess->Clear();
  // A stream that leaves PageIndex out means the default, the first page.
  FPageIndex = 0;
  TbsSkinPanel::ReadState(Reader);
  if (TbsSkinPage* page = ShownPage()) {
    page->BringToFront();
    page->SetSkinData(SkinData());
    page->SetVisible(true);
    page->SetAlign(alClient);
  } else {
    FPageIndex = -1;
  }
}

void TbsSkinNotebook::Loaded() {
  TbsSkinPanel::Loaded();
  if (TbsSkinPage* page = ShownPage()) page->SetSkinData(SkinData());
  if (FButtonsMode) UpdateButtons();
}

void NotebookHandlesNeeded(TbsSkinNotebook* Notebook) {
  if (!Notebook) return;
  for (int i = 0; i < Notebook->PageCount(); ++i) {
    TbsSkinPage* page = Notebook->Page(i);
    page->DisableAlign();
    page->HandleNeeded();
    page->SetControlState(page->ControlState() - TControlState { csAlignmentNeeded });
    page->EnableAlign();
  }
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinPage,
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(BorderStyle, bs::bvNone)
  XJ_PROP(Align, alClient)
  XJ_PROP(Height) XJ_NOT_STORED
  XJ_PROP(Width) XJ_NOT_STORED
  XJ_PROP(TabOrder) XJ_NOT_STORED
  XJ_PROP(Visible) XJ_NOT_STORED);

XJ_PUBLISHED(TbsSkinNotebook,
  XJ_PROP(Pages) XJ_NOT_STORED
  XJ_PROP(PageIndex, 0)
  XJ_PROP(ActivePage) XJ_NOT_STORED
  XJ_EVENT(OnPageChanged)
  XJ_PROP(ButtonsMode, false)
  XJ_PROP(Images)
  XJ_PROP(ButtonSkinDataName)
  XJ_PROP(BorderStyle, bs::bvFrame));
