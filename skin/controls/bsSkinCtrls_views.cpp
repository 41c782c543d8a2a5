#include "skin/controls/bsSkinCtrls_views.h"

#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/controls/bsSkinCtrls_viewlinks.h"
#include "skin/data/bsSkinData.h"

namespace bsviews {

bool Loading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

bool BarsFollow(UINT Msg, bool Updating) {
  switch (Msg) {
    case WM_SIZE:
    case WM_PAINT:
      return !Updating;
    case WM_KEYDOWN:
    case WM_LBUTTONUP:
    // A wheel turn scrolls the view without a key or a click: the bars follow at once.
    case WM_MOUSEWHEEL:
      return true;
  }
  return false;
}

bool BarelessDispatch(TControl* View, const TbsViewLinks& L, TMessage& Message,
                      const std::function<void(TMessage&)>& Inherited) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
      Message.Result = 0;
      return true;
    case CM_VISIBLECHANGED:
      Inherited(Message);
      ShowBarsWith(L, View->Visible());
      return true;
  }
  return false;
}

int ViewSkinIndex(TbsSkinData* Data, const AnsiString& Name) {
  return !Data || Data->Empty ? -1 : Data->GetControlIndex(Name);
}

namespace {

// A bar taken off a view forgets the view's handlers, so it never calls into a view that moved on or
// went away.
void Unhook(TbsSkinScrollBar* Bar, TObject* View) {
  if (!Bar) return;
  for (TNotifyEvent* e : { &Bar->OnChange, &Bar->OnUpButtonClick, &Bar->OnDownButtonClick })
    if (e->Data() == View) *e = nullptr;
}

// Stores a new reference to a component the view does not own, watching it for removal.
template <class T>
void Watch(TComponent* View, T*& Field, T* Value) {
  if (Field == Value) return;
  if (Field) Field->RemoveFreeNotification(View);
  Field = Value;
  if (Field) Field->FreeNotification(View);
}

}  // namespace

void Release(TComponent* View, TbsViewLinks& L) {
  Unhook(L.VScrollBar, View);
  Unhook(L.HScrollBar, View);
  Watch<TbsSkinData>(View, L.SkinData, nullptr);
  Watch<TbsSkinScrollBar>(View, L.VScrollBar, nullptr);
  Watch<TbsSkinScrollBar>(View, L.HScrollBar, nullptr);
}

void Forget(TComponent* Gone, TbsViewLinks& L) {
  if (L.SkinData == Gone) L.SkinData = nullptr;
  if (L.VScrollBar == Gone) L.VScrollBar = nullptr;
  if (L.HScrollBar == Gone) L.HScrollBar = nullptr;
}

bool StoreSkin(TComponent* View, TbsViewLinks& L, TbsSkinData* Value) {
  Watch(View, L.SkinData, Value);
  return Value && !Value->Empty && !View->ComponentState().Contains(csDesigning);
}

void LinkBar(TComponent* View, TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value) {
  if (Value != Field) Unhook(Field, View);
  Watch(View, Field, Value);
}

void LinkShownBar(TComponent* View, TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, TNotifyEvent OnChange) {
  LinkBar(View, Field, Value);
  if (!Value) return;
  Value->SetEnabled(true);
  Value->SetVisible(false);
  Value->OnChange = OnChange;
}

void ShowBarsWith(const TbsViewLinks& L, bool Visible) {
  for (TbsSkinScrollBar* bar : { L.VScrollBar, L.HScrollBar })
    if (bar) bar->SetVisible(Visible);
}

// The full position travels in lParam, so views longer than 65,535 units land where the bar says.
void ScrollViewTo(TWinControl* View, UINT Msg, int Position) {
  if (View->HandleAllocated()) View->Perform(Msg, MAKEWPARAM(SBX_THUMBPOSITION32, (WORD)Position), (LPARAM)Position);
}

void RealignBars(const TbsViewLinks& L) {
  for (TbsSkinScrollBar* bar : { L.VScrollBar, L.HScrollBar })
    if (bar) bar->SetAlign(bar->Align());
}

bool ShowBar(TControl* View, TbsSkinScrollBar* Bar, bool Show, bool& Updating) {
  const bool was = Bar->Visible();
  {
    TControlChange<bool> updating(View, Updating, true);
    Bar->SetVisible(Show);
  }
  return was != Bar->Visible();
}

void FitCorner(const TbsViewLinks& L) {
  if (!L.VScrollBar || !L.HScrollBar) return;
  if (!L.VScrollBar->Visible() && L.HScrollBar->Both())
    L.HScrollBar->SetBoth(false);
  else if (L.VScrollBar->Visible() && !L.HScrollBar->Both())
    L.HScrollBar->SetBoth(true);
}

void RealignWithParent(TControl* View, bool BarsChanged, bool& Updating) {
  if (View->Align() == alNone || !BarsChanged || !View->Parent()) return;
  TControlChange<bool> updating(View, Updating, true);
  TRect r = View->Parent()->ClientRect();
  View->Parent()->AlignControls(nullptr, r);
}

std::unique_ptr<TFont> NewDefaultFont() {
  auto f = std::make_unique<TFont>();
  f->SetName("宋体");
  f->SetHeight(12);
  f->SetStyle({});
  return f;
}

}  // namespace bsviews

using namespace bsviews;

// ---- TbsSkinCustomTreeView -------------------------------------------------------------------------------

TbsSkinCustomTreeView::TbsSkinCustomTreeView(TComponent* AOwner)
    : TCustomTreeView(AOwner), FDefaultFont(NewDefaultFont()) {}

TbsSkinCustomTreeView::~TbsSkinCustomTreeView() { Release(this, FLinks); }

void TbsSkinCustomTreeView::SetSkinData(TbsSkinData* Value) {
  if (StoreSkin(this, FLinks, Value)) ChangeSkinData();
}

void TbsSkinCustomTreeView::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FSkinObjectIndex == -1) SetColor(Value);
}

void TbsSkinCustomTreeView::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (FSkinObjectIndex == -1) Font()->Assign(Value);
}

void TbsSkinCustomTreeView::SetVScrollBar(TbsSkinScrollBar* Value) {
  LinkShownBar(this, FLinks.VScrollBar, Value, TNotifyEvent(this, &TbsSkinCustomTreeView::OnVScrollBarChange));
  UpDateScrollBars();
}

void TbsSkinCustomTreeView::SetHScrollBar(TbsSkinScrollBar* Value) {
  LinkShownBar(this, FLinks.HScrollBar, Value, TNotifyEvent(this, &TbsSkinCustomTreeView::OnHScrollBarChange));
  UpDateScrollBars();
}

void TbsSkinCustomTreeView::OnVScrollBarChange(TObject*) {
  ScrollViewTo(this, WM_VSCROLL, FLinks.VScrollBar->Position());
}

void TbsSkinCustomTreeView::OnHScrollBarChange(TObject*) {
  ScrollViewTo(this, WM_HSCROLL, FLinks.HScrollBar->Position());
}

void TbsSkinCustomTreeView::ChangeSkinData() {
  if (Loading(this)) return;
  FSkinObjectIndex = ViewSkinIndex(FLinks.SkinData, FSkinDataName);
  ApplyViewLook<TbsDataSkinTreeView>(this, Font(), FLinks.SkinData, FSkinObjectIndex, FUseSkinFont, FDefaultFont.get(),
                                     FDefaultColor);
  if (Images()) Images()->SetBkColor(Color());
  if (StateImages()) StateImages()->SetBkColor(Color());
  UpDateScrollBars();
  RealignBars(FLinks);
}

void TbsSkinCustomTreeView::UpDateScrollBars() {
  // Without a window there is no scroll state yet: the first size or paint brings the bars in step.
  if (Loading(this) || FScrollBarsUpdating || !HandleAllocated()) return;
  bool vChanged = false, hChanged = false;
  const auto life = LifeToken();  // a bar shown or hidden realigns the parent: OnResize may free the view
  auto fit = [this, &life](TbsSkinScrollBar* Bar, bool Show, int Min, int Max, int Pos, int Page) {
    const bool changed = ShowBar(this, Bar, Show, FScrollBarsUpdating);
    if (!life.expired() && Bar->Visible()) Bar->SetRange(Min, Max, Pos, Page);
    return changed;
  };
  if (FLinks.VScrollBar) {
    int min = 0, max = 0;
    GetScrollRange(Handle(), SB_VERT, &min, &max);
    const int pos = GetScrollPos(Handle(), SB_VERT);
    const int page = (int)Perform(TVM_GETVISIBLECOUNT, 0, 0);
    const int count = (int)Perform(TVM_GETCOUNT, 0, 0);
    vChanged = fit(FLinks.VScrollBar, max > 0 && max >= page && max < count && Visible(), min, max, pos, page);
    if (life.expired()) return;
  }
  if (FLinks.HScrollBar) {
    int min = 0, max = 0;
    GetScrollRange(Handle(), SB_HORZ, &min, &max);
    const int pos = GetScrollPos(Handle(), SB_HORZ);
    hChanged = fit(FLinks.HScrollBar, max > Width() && Visible(), min, max, pos, Width());
    if (life.expired()) return;
  }
  FitCorner(FLinks);
  RealignWithParent(this, vChanged || hChanged, FScrollBarsUpdating);
}

void TbsSkinCustomTreeView::Loaded() {
  TCustomTreeView::Loaded();
  ChangeSkinData();
}

void TbsSkinCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomTreeView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  Forget(AComponent, FLinks);
}

void TbsSkinCustomTreeView::CreateParams(TCreateParams& Params) {
  TCustomTreeView::CreateParams(Params);
  Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

void TbsSkinCustomTreeView::Change(TTreeNode* Node) {
  auto life = LifeToken();
  TCustomTreeView::Change(Node);
  if (!life.expired()) UpDateScrollBars();
}

void TbsSkinCustomTreeView::WndProc(TMessage& Message) {
  auto life = LifeToken();
  TCustomTreeView::WndProc(Message);
  if (!life.expired() && BarsFollow(Message.Msg, FScrollBarsUpdating)) UpDateScrollBars();
}

void TbsSkinCustomTreeView::Dispatch(TMessage& Message) {
  if (!BarelessDispatch(this, FLinks, Message, [this](TMessage& M) { TCustomTreeView::Dispatch(M); }))
    TCustomTreeView::Dispatch(Message);
}

// ---- TbsSkinRichEdit -------------------------------------------------------------------------------------

TbsSkinRichEdit::TbsSkinRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner), FDefaultFont(NewDefaultFont()) {
  Font()->Assign(FDefaultFont.get());
  SetScrollBars(ssBoth);
}

TbsSkinRichEdit::~TbsSkinRichEdit() { Release(this, FLinks); }

void TbsSkinRichEdit::SetSkinData(TbsSkinData* Value) {
  if (StoreSkin(this, FLinks, Value)) ChangeSkinData();
}

void TbsSkinRichEdit::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FSkinObjectIndex == -1 && FSkinSupport) SetColor(Value);
}

void TbsSkinRichEdit::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (FSkinObjectIndex == -1 && FSkinSupport) Font()->Assign(Value);
}

void TbsSkinRichEdit::SetVScrollBar(TbsSkinScrollBar* Value) {
  LinkBar(this, FLinks.VScrollBar, Value);
  if (Value) {
    Value->OnChange = TNotifyEvent(this, &TbsSkinRichEdit::OnVScrollBarChange);
    Value->OnUpButtonClick = TNotifyEvent(this, &TbsSkinRichEdit::OnVScrollBarUpButtonClick);
    Value->OnDownButtonClick = TNotifyEvent(this, &TbsSkinRichEdit::OnVScrollBarDownButtonClick);
  }
  UpDateScrollBars();
}

void TbsSkinRichEdit::SetHScrollBar(TbsSkinScrollBar* Value) {
  LinkBar(this, FLinks.HScrollBar, Value);
  if (Value) Value->OnChange = TNotifyEvent(this, &TbsSkinRichEdit::OnHScrollBarChange);
  UpDateScrollBars();
}

void TbsSkinRichEdit::OnVScrollBarChange(TObject*) { ScrollViewTo(this, WM_VSCROLL, FLinks.VScrollBar->Position()); }

void TbsSkinRichEdit::OnHScrollBarChange(TObject*) { ScrollViewTo(this, WM_HSCROLL, FLinks.HScrollBar->Position()); }

// The bar's up arrow points towards Max: one line further down the text, until the last page shows.
void TbsSkinRichEdit::OnVScrollBarUpButtonClick(TObject*) {
  if (HandleAllocated() && FLinks.VScrollBar->Max() - FLinks.VScrollBar->PageSize() + 1 > FLinks.VScrollBar->Position())
    Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, (WORD)FLinks.VScrollBar->Position()), 0);
  UpDateScrollBars();
}

void TbsSkinRichEdit::OnVScrollBarDownButtonClick(TObject*) {
  if (HandleAllocated() && FLinks.VScrollBar->Position() != 0)
    Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, (WORD)FLinks.VScrollBar->Position()), 0);
  UpDateScrollBars();
}

void TbsSkinRichEdit::ChangeSkinData() {
  if (Loading(this)) return;
  FSkinObjectIndex = ViewSkinIndex(FLinks.SkinData, FSkinDataName);
  if (FSkinSupport) {
    if (FSkinObjectIndex == -1) {
      SetColor(FDefaultColor);
      Font()->Assign(FDefaultFont.get());
    } else if (auto* rec = ViewRecord<TbsDataSkinRichEdit>(FLinks.SkinData, FSkinObjectIndex)) {
      ApplySkinFont(Font(), *rec);
      Font()->SetColor(rec->FontColor);
      SetColor(rec->BGColor);
    }
  }
  UpDateScrollBars();
  RealignBars(FLinks);
}

void TbsSkinRichEdit::FitBar(TbsSkinScrollBar* Bar, int Which, int Page) {
  if (!Bar) return;
  int min = 0, max = 0;
  GetScrollRange(Handle(), Which, &min, &max);
  const int pos = GetScrollPos(Handle(), Which);
  if (max > min && Page < max && Lines()->Count() > 0) {
    if (!Bar->Enabled()) Bar->SetEnabled(true);
    Bar->SetRange(min, max, pos, Page);
  } else {
    Bar->SetEnabled(false);
    SetScrollRange(Handle(), Which, 0, 0, FALSE);
  }
}

void TbsSkinRichEdit::UpDateScrollBars() {
  if (Loading(this) || !HandleAllocated()) return;
  FitBar(FLinks.VScrollBar, SB_VERT, Height());
  FitBar(FLinks.HScrollBar, SB_HORZ, Width());
}

void TbsSkinRichEdit::Loaded() {
  TCustomRichEdit::Loaded();
  ChangeSkinData();
}

void TbsSkinRichEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomRichEdit::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  Forget(AComponent, FLinks);
}

void TbsSkinRichEdit::CreateParams(TCreateParams& Params) {
  TCustomRichEdit::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TbsSkinRichEdit::Change() {
  auto life = LifeToken();
  TCustomRichEdit::Change();
  if (!life.expired()) UpDateScrollBars();
}

void TbsSkinRichEdit::WndProc(TMessage& Message) {
  auto life = LifeToken();
  TCustomRichEdit::WndProc(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_SIZE:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEWHEEL:
      UpDateScrollBars();
      break;
  }
}

void TbsSkinRichEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCCALCSIZE) {
    Message.Result = 0;  // no border: the whole window is text
    return;
  }
  TCustomRichEdit::Dispatch(Message);
}

// ---- Publication -----------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinCustomTreeView);
XJ_PUBLISHED(TbsSkinTreeView,
  XJ_PROP(HScrollBar)
  XJ_PROP(VScrollBar)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultColor)
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoExpand, false)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(ChangeDelay, 0)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(HotTrack, false)
  XJ_PROP(Images)
  XJ_PROP(Indent, 19)
  XJ_PROP(Items)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(RightClickSelect, false)
  XJ_PROP(RowSelect, false)
  XJ_PROP(ShowButtons, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(ShowLines, true)
  XJ_PROP(ShowRoot, true)
  XJ_PROP(SortType, stNone)
  XJ_PROP(StateImages)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(ToolTips, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnAdvancedCustomDraw)
  XJ_EVENT(OnAdvancedCustomDrawItem)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanging)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnCollapsed)
  XJ_EVENT(OnCollapsing)
  XJ_EVENT(OnCompare)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnCustomDraw)
  XJ_EVENT(OnCustomDrawItem)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDeletion)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEdited)
  XJ_EVENT(OnEditing)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnExpanding)
  XJ_EVENT(OnExpanded)
  XJ_EVENT(OnGetImageIndex)
  XJ_EVENT(OnGetSelectedIndex)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

XJ_PUBLISHED(TbsSkinRichEdit,
  XJ_PROP(SkinSupport)
  XJ_PROP(HScrollBar)
  XJ_PROP(VScrollBar)
  XJ_PROP(DefaultFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultColor)
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(Constraints)
  XJ_PROP(Lines)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PlainText, false)
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WantTabs, false)
  XJ_PROP(WantReturns, true)
  XJ_PROP(WordWrap, true)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnMouseWheel)
  XJ_EVENT(OnMouseWheelDown)
  XJ_EVENT(OnMouseWheelUp)
  XJ_EVENT(OnProtectChange)
  XJ_EVENT(OnResizeRequest)
  XJ_EVENT(OnSaveClipboard)
  XJ_EVENT(OnSelectionChange)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
