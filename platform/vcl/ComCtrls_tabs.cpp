// TCustomTabControl, TTabControl, TPageControl and TTabSheet over the native "SysTabControl32".

#include "platform/vcl/ComCtrls_tabs.h"

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"
#include "platform/win32/Scoped.h"

#undef GetObject

namespace {

[[noreturn]] void IndexError(int Index) { throw EListError::CreateFmt("List index out of bounds (%d)", Index); }

}  // namespace

// Tabs as a string list: every operation is a TCM_* message through the control's WindowProc; the
// objects ride in the tabs' parameters.
class TTabStrings : public TStrings {
  XJ_CLASS(TTabStrings, TStrings)
 public:
  explicit TTabStrings(TCustomTabControl* TabControl) : FTabControl(TabControl) {}

  void Clear() override {
    FTabControl->Send(TCM_DELETEALLITEMS, 0, 0);
    Changed();
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    FTabControl->Send(TCM_DELETEITEM, static_cast<WPARAM>(Index), 0);
    Changed();
  }
  void Insert(int Index, const AnsiString& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    TCITEMA item {};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = const_cast<char*>(S.c_str());
    item.iImage = -1;
    item.lParam = reinterpret_cast<LPARAM>(AObject);
    if (FTabControl->Send(TCM_INSERTITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)) < 0)
      throw EOutOfResources("Unable to insert a tab");
    // The image may depend on the object (a page's own image), so it is asked once the tab exists.
    item.mask = TCIF_IMAGE;
    item.iImage = FTabControl->GetImageIndex(Index);
    FTabControl->Send(TCM_SETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
    Changed();
  }

 protected:
  AnsiString Get(int Index) const override {
    char buf[4096];
    TCITEMA item {};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    if (!FTabControl->Send(TCM_GETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
      IndexError(Index);
    return buf;
  }
  int GetCount() const override { return static_cast<int>(FTabControl->Send(TCM_GETITEMCOUNT, 0, 0)); }
  TObject* GetObject(int Index) const override {
    TCITEMA item {};
    item.mask = TCIF_PARAM;
    if (!FTabControl->Send(TCM_GETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
      IndexError(Index);
    return reinterpret_cast<TObject*>(item.lParam);
  }
  void Put(int Index, const AnsiString& S) override {
    TCITEMA item {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(S.c_str());
    if (!FTabControl->Send(TCM_SETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
      IndexError(Index);
    Changed();
  }
  void PutObject(int Index, TObject* AObject) override {
    TCITEMA item {};
    item.mask = TCIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(AObject);
    if (!FTabControl->Send(TCM_SETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
      IndexError(Index);
  }
  void SetUpdateState(bool Updating) override {
    FUpdating = Updating;
    FTabControl->Send(WM_SETREDRAW, !Updating, 0);
    if (!Updating) Changed();
  }

 private:
  void Changed() {
    if (!FUpdating) FTabControl->TabsChanged();
  }

  TCustomTabControl* FTabControl;
  bool FUpdating { false };
};

// ---- TCustomTabControl ------------------------------------------------------------------------------------

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FTabs(std::make_unique<TTabStrings>(this)), FCanvas(std::make_unique<TControlCanvas>()) {
  FControlStyle = TControlStyle { csAcceptsControls, csDoubleClicks };
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  FCanvas->SetControl(this);
}

TCustomTabControl::~TCustomTabControl() {
  TearDownWindow();
  FCanvas.reset();
}

TCanvas* TCustomTabControl::Canvas() const { return FCanvas.get(); }

LRESULT TCustomTabControl::Send(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HandleNeeded();
  return Perform(Msg, WParam, LParam);
}

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLA);
  Params.Style |= WS_CLIPCHILDREN;
  if (FMultiLine) Params.Style |= TCS_MULTILINE;
  if (FMultiSelect) Params.Style |= TCS_MULTISELECT;
  if (FRaggedRight) Params.Style |= TCS_RAGGEDRIGHT;
  if (FScrollOpposite) Params.Style |= TCS_SCROLLOPPOSITE;
  if (FHotTrack) Params.Style |= TCS_HOTTRACK;
  if (FStyle != tsTabs) Params.Style |= TCS_BUTTONS;
  if (FStyle == tsFlatButtons) Params.Style |= TCS_FLATBUTTONS;
  switch (FTabPosition) {
    case tpTop:
      break;
    case tpBottom:
      Params.Style |= TCS_BOTTOM;
      break;
    case tpLeft:
      Params.Style |= TCS_VERTICAL;
      break;
    case tpRight:
      Params.Style |= TCS_VERTICAL | TCS_RIGHT;
      break;
  }
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// A re-created window gets its tabs (and their objects) and the selection back.
void TCustomTabControl::CreateWnd() {
  TWinControl::CreateWnd();
  if (FImages) Perform(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
  SetTabSize();
  if (FSaveTabs) {
    std::unique_ptr<TStringList> saved = std::move(FSaveTabs);
    {
      FTabs->BeginUpdate();
      xj::ScopeExit updated([&] { FTabs->EndUpdate(); });
      for (int i = 0; i < saved->Count(); ++i) FTabs->InsertObject(i, saved->Strings(i), saved->Objects(i));
    }
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(FSaveTabIndex), 0);
  }
}

void TCustomTabControl::DestroyWnd() {
  if (FHandle && !FComponentState.Contains(csDestroying) && KeepsTabs()) {
    auto saved = std::make_unique<TStringList>();
    for (int i = 0; i < FTabs->Count(); ++i) saved->AddObject(FTabs->Strings(i), FTabs->Objects(i));
    FSaveTabIndex = static_cast<int>(Perform(TCM_GETCURSEL, 0, 0));
    FSaveTabs = std::move(saved);
  }
  TWinControl::DestroyWnd();
}

TRect TCustomTabControl::DisplayRect() {
  TRect r = ClientRect();
  Send(TCM_ADJUSTRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
  Rect = DisplayRect();
  TWinControl::AdjustClientRect(Rect);
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) {
  TCHITTESTINFO info {};
  info.pt = POINT { X, Y };
  return static_cast<int>(Send(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

TRect TCustomTabControl::TabRect(int Index) {
  RECT r {};
  Send(TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return r;
}

int TCustomTabControl::RowCount() { return static_cast<int>(Send(TCM_GETROWCOUNT, 0, 0)); }

void TCustomTabControl::ScrollTabs(int Delta) {
  for (int i = 0; i < std::abs(Delta); ++i) Send(WM_HSCROLL, MAKEWPARAM(Delta < 0 ? SB_LINELEFT : SB_LINERIGHT, 0), 0);
}

void TCustomTabControl::TabsChanged() {
  if (!HandleAllocated()) return;
  Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(), Height()));
  Realign();
}

void TCustomTabControl::SetTabSize() {
  if (HandleAllocated()) Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
}

// ---- Properties -------------------------------------------------------------------------------------------

// A property the window's styles carry: a new value needs a new window.
template <class T>
void TCustomTabControl::ChangeStyle(T& Field, T Value) {
  if (Field == Value) return;
  Field = Value;
  RecreateWnd();
}

void TCustomTabControl::SetHotTrack(bool Value) { ChangeStyle(FHotTrack, Value); }

void TCustomTabControl::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  if (!HandleAllocated()) return;
  Perform(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  UpdateTabImages();
  TabsChanged();
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (!Value && (FTabPosition == tpLeft || FTabPosition == tpRight))
    throw EInvalidOperation("Tabs at the left or the right always wrap into rows");
  ChangeStyle(FMultiLine, Value);
}

void TCustomTabControl::SetMultiSelect(bool Value) { ChangeStyle(FMultiSelect, Value); }

void TCustomTabControl::SetRaggedRight(bool Value) { ChangeStyle(FRaggedRight, Value); }

void TCustomTabControl::SetScrollOpposite(bool Value) { ChangeStyle(FScrollOpposite, Value); }

void TCustomTabControl::SetStyle(TTabStyle Value) { ChangeStyle(FStyle, Value); }

void TCustomTabControl::SetTabHeight(short Value) {
  if (Value < 0) throw EInvalidOperation(Format("Tab height %d is negative", static_cast<int>(Value)));
  if (FTabHeight == Value) return;
  FTabHeight = Value;
  SetTabSize();
  TabsChanged();
}

void TCustomTabControl::SetTabWidth(short Value) {
  if (Value < 0) throw EInvalidOperation(Format("Tab width %d is negative", static_cast<int>(Value)));
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  SetTabSize();
  TabsChanged();
}

int TCustomTabControl::TabIndex() { return static_cast<int>(Send(TCM_GETCURSEL, 0, 0)); }

void TCustomTabControl::SetTabIndex(int Value) {
  if (FComponentState.Contains(csLoading)) {
    FLoadedTabIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FTabs->Count()) return;
  Send(TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  if (FTabPosition == Value) return;
  FTabPosition = Value;
  if (Value == tpLeft || Value == tpRight) FMultiLine = true;
  RecreateWnd();
}

void TCustomTabControl::SetTabs(TStrings* Value) { FTabs->Assign(Value); }

// ---- Events and images ------------------------------------------------------------------------------------

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

int TCustomTabControl::GetImageIndex(int TabIndex) {
  int index = TabIndex;
  if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, index);
  return index;
}

void TCustomTabControl::UpdateTabImages() {
  if (!HandleAllocated()) return;
  for (int i = 0; i < FTabs->Count(); ++i) {
    TCITEMA item {};
    item.mask = TCIF_IMAGE;
    item.iImage = GetImageIndex(i);
    Perform(TCM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

void TCustomTabControl::Loaded() {
  TWinControl::Loaded();
  if (FLoadedTabIndex != -2) {
    const int index = FLoadedTabIndex;
    FLoadedTabIndex = -2;
    SetTabIndex(index);
  }
  if (FImages) UpdateTabImages();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

bool TCustomTabControl::IsNextTabKey(TWMKey& Message) {
  if (Message.CharCode != VK_TAB || GetKeyState(VK_CONTROL) >= 0 || !HandleAllocated()) return false;
  const HWND focus = GetFocus();
  return focus && (focus == FHandle || IsChild(FHandle, focus));
}

void TCustomTabControl::CNNotify(TMessage& Message) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
  if (!hdr) return;
  if (hdr->code == TCN_SELCHANGING)
    Message.Result = CanChange() ? 0 : 1;
  else if (hdr->code == TCN_SELCHANGE) {
    auto life = LifeToken();
    SelectionMoved();
    if (!life.expired()) Change();
  }
}

// With ScrollOpposite a selection in another row moves rows to the far side, and the display area with
// them: the pages and children follow it.
void TCustomTabControl::SelectionMoved() {
  if (FScrollOpposite && FMultiLine && HandleAllocated()) Realign();
}

void TCustomTabControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      return CNNotify(Message);
    case CM_DIALOGKEY:
      // Ctrl+Tab moves to the next tab as a click would.
      if (IsNextTabKey(reinterpret_cast<TWMKey&>(Message))) {
        const int count = FTabs->Count();
        if (count > 0 && CanChange()) {
          const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
          SetTabIndex((std::max(TabIndex(), 0) + step) % count);
          Change();
        }
        Message.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      TabsChanged();
      return;
    case TCM_SETCURSEL: {
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (!life.expired()) SelectionMoved();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- TTabControl ------------------------------------------------------------------------------------------

TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TTabControl::~TTabControl() = default;

// ---- TTabSheet --------------------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alClient);
  FControlStyle = FControlStyle + TControlStyle { csAcceptsControls, csNoDesignVisible };
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
  TearDownWindow();
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (FPageControl == Value) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& pages = FPageControl->FPages;
  const int last = static_cast<int>(pages.size()) - 1;
  if (Value < 0 || Value > last)
    throw EListError::CreateFmt("%d is an invalid page index (the last is %d)", Value, last);
  const int oldTab = TabIndex();
  const int from = PageIndex();
  pages.erase(pages.begin() + from);
  pages.insert(pages.begin() + Value, this);
  if (oldTab >= 0) FPageControl->MoveTab(oldTab, TabIndex());
}

int TTabSheet::TabIndex() const {
  if (!FTabShowing || !FPageControl) return -1;
  int index = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return index;
    if (p->FTabShowing) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  UpdateTabShowing();
}

void TTabSheet::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  UpdateTab();
}

void TTabSheet::SetHighlighted(bool Value) {
  if (FHighlighted == Value) return;
  FHighlighted = Value;
  UpdateTab();
}

void TTabSheet::SetTabShowing(bool Value) {
  if (FTabShowing == Value) return;
  if (Value) {
    FTabShowing = true;
    FPageControl->InsertTab(this);
  } else {
    const int index = TabIndex();
    FTabShowing = false;
    FPageControl->DeleteTab(this, index);
  }
}

void TTabSheet::UpdateTabShowing() { SetTabShowing(FPageControl && FTabVisible); }

void TTabSheet::UpdateTab() {
  const int index = TabIndex();
  if (index < 0 || !FPageControl->HandleAllocated()) return;
  AnsiString caption = Caption();
  TCITEMA item {};
  item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
  item.pszText = const_cast<char*>(caption.c_str());
  item.iImage = FPageControl->GetImageIndex(index);
  item.dwStateMask = TCIS_HIGHLIGHTED;
  item.dwState = FHighlighted ? TCIS_HIGHLIGHTED : 0;
  FPageControl->Send(TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  FPageControl->TabsChanged();
}

void TTabSheet::DoShow() {
  if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
  if (OnHide) OnHide(this);
}

// A sheet read from a form resource inside a page control becomes one of its pages.
void TTabSheet::ReadState(TReader* Reader) {
  TWinControl::ReadState(Reader);
  if (auto* pages = dynamic_cast<TPageControl*>(Reader->Parent())) SetPageControl(pages);
}

void TTabSheet::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      TWinControl::Dispatch(Message);
      UpdateTab();
      return;
    case CM_SHOWINGCHANGED: {
      TWinControl::Dispatch(Message);
      if (Showing())
        DoShow();
      else
        DoHide();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- TPageControl -----------------------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
  FControlStyle = TControlStyle { csDoubleClicks, csOpaque };
}

// The sheets go with the control as its children; they must not call back into a half-destroyed control.
TPageControl::~TPageControl() {
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) IndexError(Index);
  return FPages[static_cast<size_t>(Index)];
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<size_t>(Value)] : nullptr);
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->UpdateTabShowing();
}

// The next page with a tab (round to the first) takes over when the active one goes.
void TPageControl::RemovePage(TTabSheet* Page) {
  TTabSheet* next = FindNextPage(Page, true, true);
  if (next == Page) next = nullptr;
  const bool wasActive = FActivePage == Page;
  Page->SetTabShowing(false);
  Page->FPageControl = nullptr;
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  if (FActivePage == Page) FActivePage = nullptr;
  if (wasActive) SetActivePage(next);
}

// The tabs live in the window. Without one, pages still come, go and change; the window's tabs are made
// from them when it is created.
void TPageControl::CreateWnd() {
  TCustomTabControl::CreateWnd();
  {
    Tabs()->BeginUpdate();
    xj::ScopeExit updated([&] { Tabs()->EndUpdate(); });
    for (TTabSheet* p : FPages)
      if (p->FTabShowing) Tabs()->InsertObject(p->TabIndex(), p->Caption(), p);
  }
  if (FActivePage)
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(FActivePage->TabIndex()), 0);
  else
    UpdateActivePage();
}

// The page whose tab is at that index, or null.
TTabSheet* TPageControl::PageOfTab(int Index) const {
  for (TTabSheet* p : FPages)
    if (p->FTabShowing && Index-- == 0) return p;
  return nullptr;
}

void TPageControl::InsertTab(TTabSheet* Page) {
  if (!HandleAllocated()) {
    if (!FActivePage) ChangeActivePage(Page);
    return;
  }
  Tabs()->InsertObject(Page->TabIndex(), Page->Caption(), Page);
  UpdateActivePage();
}

// The tab at Index is going; the active page's place goes to the page whose tab takes that place.
void TPageControl::DeleteTab(TTabSheet* Page, int Index) {
  const bool wasActive = Page == FActivePage;
  int count = 0;
  for (TTabSheet* p : FPages) count += p->FTabShowing ? 1 : 0;
  const int next = std::min(Index, count - 1);
  if (!HandleAllocated()) {
    if (wasActive) ChangeActivePage(PageOfTab(next));
    return;
  }
  Tabs()->Delete(Index);
  if (wasActive) Send(TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
  UpdateActivePage();
}

void TPageControl::MoveTab(int CurIndex, int NewIndex) {
  if (!HandleAllocated()) return;
  Tabs()->Move(CurIndex, NewIndex);
  if (FActivePage) Send(TCM_SETCURSEL, static_cast<WPARAM>(FActivePage->TabIndex()), 0);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  const int count = PageCount();
  if (count == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), CurPage);
  int start = it == FPages.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* p = FPages[static_cast<size_t>(i)];
    if (!CheckTabVisible || p->TabVisible()) return p;
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  TTabSheet* page = FindNextPage(FActivePage, GoForward, CheckTabVisible);
  if (!page || page == FActivePage || !CanChange()) return;
  SetActivePage(page);
  Change();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->FPageControl != this) return;
  ChangeActivePage(Page);
  if (!HandleAllocated()) return;
  if (!Page)
    Send(TCM_SETCURSEL, static_cast<WPARAM>(-1), 0);
  else if (Page == FActivePage)
    Send(TCM_SETCURSEL, static_cast<WPARAM>(Page->TabIndex()), 0);
}

// Shows the new page before hiding the old one (no flash of the empty area); the focus moves along
// when it was on the old page.
void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (FActivePage == Page) return;
  TCustomForm* form = GetParentForm(this);
  const bool focusOnOld = form && FActivePage && FActivePage->ContainsControl(form->ActiveControl());
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
    if (focusOnOld) {
      if (Page->CanFocus())
        form->SetActiveControl(Page);
      else
        form->SetActiveControl(this);
    }
  }
  if (FActivePage) FActivePage->SetVisible(false);
  FActivePage = Page;
  if (focusOnOld && Page && form->ActiveControl() == Page) Page->SelectFirst();
}

void TPageControl::UpdateActivePage() {
  if (!HandleAllocated()) return;
  const int index = TabIndex();
  SetActivePage(index >= 0 ? dynamic_cast<TTabSheet*>(Tabs()->Objects(index)) : nullptr);
}

void TPageControl::SetTabIndex(int Value) {
  if (FComponentState.Contains(csLoading) || Value < -1 || Value >= Tabs()->Count()) {
    TCustomTabControl::SetTabIndex(Value);
    return;
  }
  SetActivePage(Value >= 0 ? dynamic_cast<TTabSheet*>(Tabs()->Objects(Value)) : nullptr);
}

void TPageControl::Change() {
  UpdateActivePage();
  TCustomTabControl::Change();
}

// The page's own image for the page control.
int TPageControl::GetImageIndex(int TabIndex) {
  if (OnGetImageIndex) return TCustomTabControl::GetImageIndex(TabIndex);
  auto* page =
      TabIndex >= 0 && TabIndex < Tabs()->Count() ? dynamic_cast<TTabSheet*>(Tabs()->Objects(TabIndex)) : nullptr;
  return page ? page->ImageIndex() : TabIndex;
}

void TPageControl::ShowControl(TControl* AControl) {
  if (auto* page = dynamic_cast<TTabSheet*>(AControl); page && page->FPageControl == this) SetActivePage(page);
  TCustomTabControl::ShowControl(AControl);
}

void TPageControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TTabSheet* p : FPages)
    if (p->Owner() == Root) Proc(p);
}

void TPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY && IsNextTabKey(reinterpret_cast<TWMKey&>(Message))) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  TCustomTabControl::Dispatch(Message);
}

// ---- Published properties ---------------------------------------------------------------------------------

// What both controls publish.
XJ_PUBLISHED(TCustomTabControl,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Constraints)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HotTrack, false)
  XJ_PROP(Images)
  XJ_PROP(MultiLine, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(RaggedRight, false)
  XJ_PROP(ScrollOpposite, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Style, tsTabs)
  XJ_PROP(TabHeight, 0)
  XJ_PROP(TabOrder)
  XJ_PROP(TabPosition, tpTop)
  XJ_PROP(TabStop, true)
  XJ_PROP(TabWidth, 0)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanging)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnGetImageIndex)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
// Tabs before TabIndex, so a form resource selects among the tabs it has just read.
XJ_PUBLISHED(TTabControl,
  XJ_PROP(MultiSelect, false)
  XJ_PROP(Tabs)
  XJ_PROP(TabIndex, -1));
XJ_PUBLISHED(TPageControl,
  XJ_PROP(ActivePage));
XJ_PUBLISHED(TTabSheet,
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Constraints)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Highlighted, false)
  XJ_PROP(ImageIndex, 0)
  XJ_PROP(PageIndex) XJ_NOT_STORED
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabVisible, true)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnHide)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnShow)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {
bool RegisterComCtrlsTabs() {
  static const bool registered =
      (RegisterClasses({ TTabControl::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
